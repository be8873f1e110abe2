// Rendering and printing a landscape card with a full-size background, two
// photos, a logo, four free texts and six field items.
#include "../../tests/print/SampleCard.h"
#include "devices/print/PrinterRegistry.h"
#include "print/CardRenderer.h"
#include "print/PrintJob.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vellora;

namespace {

QTemporaryDir *workDir()
{
    static QTemporaryDir dir;
    return &dir;
}

const QString &backgroundFile()
{
    static const QString path = sample::writeBackground(workDir()->path());
    return path;
}

void BM_ComposeSideAndPreview(benchmark::State &state)
{
    const CardSideModel front = sample::front();
    Tprintlayoutcanvas canvas;
    for (auto _ : state) {
        ComposeSide(canvas, front, Qt::white, backgroundFile());
        QImage preview = RenderPreview(canvas);
        benchmark::DoNotOptimize(preview.constBits());
    }
}
BENCHMARK(BM_ComposeSideAndPreview)->Unit(benchmark::kMillisecond);

void BM_RenderSideToDevice(benchmark::State &state)
{
    const int dpi = int(state.range(0));
    const bool mono = state.range(1) != 0;
    CardSideModel front = sample::front();
    front.monochrome = mono;
    Tprintlayoutcanvas canvas;
    ComposeSide(canvas, front, Qt::white, backgroundFile());
    VirtualCardPrinter printer({workDir()->filePath("device"), dpi, OrientationReset::Accepted, {}});
    for (auto _ : state) {
        printer.beginDocument("bench");
        RenderSideToDevice(canvas, printer, RenderMode::Full);
        printer.abortDocument();
    }
    state.SetLabel(mono ? "monochrome" : "colour");
}
BENCHMARK(BM_RenderSideToDevice)
    ->Args({300, 0})->Args({600, 0})->Args({1200, 0})
    ->Args({300, 1})->Args({600, 1})->Args({1200, 1})
    ->Unit(benchmark::kMillisecond);

void BM_DitherToBlackWhite(benchmark::State &state)
{
    // The background at 600 dpi: the largest intermediate bitmap of a card.
    const QImage source = sample::backgroundPicture(QSize(2052, 1284))
                              .scaled(2052, 1284)
                              .convertToFormat(QImage::Format_RGB32);
    const QImage photo = sample::photoPicture(QSize(2052, 1284));
    QImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work = state.range(0) ? photo.copy() : source.copy();
        state.ResumeTiming();
        DitherToBlackWhite(work);
        benchmark::DoNotOptimize(work.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 2052 * 1284);
    state.SetLabel("items = pixels");
}
BENCHMARK(BM_DitherToBlackWhite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WholeJobVirtualPrinter(benchmark::State &state)
{
    VirtualCardPrinterSettings settings;
    settings.outputFolder = workDir()->filePath("printed/");
    settings.dpi = 300;
    TheVirtualCardPrinter().setSettings(settings);
    SelectPrinter(QString::fromLatin1(VirtualCardPrinterName));
    PrintJobRequest request;
    request.batchMode = true;
    request.front = sample::front();
    request.frontBackground = backgroundFile();
    request.settings.monoPrinter = state.range(0) != 0;
    request.settings.stripeOn = true;
    request.settings.tracks[0] = {true, TrackStaticText, "MARIA LINDQVIST"};
    request.settings.tracks[1] = {true, TrackStaticText, "00017=4711"};
    for (auto _ : state) {
        const PrintJobResult result = RunPrintJob(request);
        if (result.outcome != PrintJobOutcome::Printed)
            state.SkipWithError("not printed");
    }
    state.SetLabel(request.settings.monoPrinter ? "monochrome, files written" : "colour, files written");
}
BENCHMARK(BM_WholeJobVirtualPrinter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Keep the last pages for a look when asked.
    if (!qEnvironmentVariableIsEmpty("VELLORA_BENCH_KEEP"))
        workDir()->setAutoRemove(false), fprintf(stderr, "output kept in %s\n", qPrintable(workDir()->path()));
    return 0;
}
