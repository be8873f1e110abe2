// The capture window on the test camera: how long opening takes until the
// first live picture is on screen, and the live preview at 1280 x 720 (frame
// rate and the share of time the GUI thread is busy).
#include "capture/TImageCapture.h"
#include "capture/VideoDisplay.h"
#include "devices/scanner/Scanner.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <ctime>

using namespace vellora;

namespace {

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

CaptureHost Host(const QString &folder)
{
    CaptureHost host;
    host.appFolder = folder;
    auto device = std::make_shared<QString>();
    host.captureDevice = [device] { return *device; };
    host.setCaptureDevice = [device](const QString &d) { *device = d; };
    host.store = [] { return static_cast<CardStore *>(nullptr); };
    return host;
}

QTemporaryDir &ProgramFolder()
{
    static QTemporaryDir dir;
    static const bool made = QDir(dir.path()).mkpath(QStringLiteral("data"));
    (void)made;
    return dir;
}

VideoDisplay *LiveDisplay(TImageCapture &w) { return w.findChild<VideoDisplay *>(QStringLiteral("VideoCap1")); }

// Shows the window on its capture page and waits for the first live picture.
double OpenUntilFirstPicture(TImageCapture &window)
{
    QElapsedTimer t;
    t.start();
    window.show();
    VideoDisplay *live = LiveDisplay(window);
    const quint64 before = live->framesShown();
    while (live->framesShown() == before && t.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return t.nsecsElapsed() / 1e9;
}

void BM_OpenCaptureWindow(benchmark::State &state)
{
    // Created as at start-up; opened and closed by the operator.
    TImageCapture window(Host(ProgramFolder().path() + QLatin1Char('/')));
    for (auto _ : state) {
        const double seconds = OpenUntilFirstPicture(window);
        state.SetIterationTime(seconds);
        window.reject();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OpenCaptureWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LivePreview720p(benchmark::State &state)
{
    TImageCapture window(Host(ProgramFolder().path() + QLatin1Char('/')));
    window.completeCreation();
    window.video().setFormat({QStringLiteral("video/x-raw"), QStringLiteral("YUY2"), 1280, 720, 30, 1});
    OpenUntilFirstPicture(window);
    VideoDisplay *live = LiveDisplay(window);
    for (auto _ : state) {
        const quint64 frames0 = live->framesShown();
        const double cpu0 = ThreadCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < 3000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double seconds = wall.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        state.counters["fps"] = double(live->framesShown() - frames0) / seconds;
        state.counters["gui_busy_share"] = (ThreadCpuSeconds() - cpu0) / seconds;
        state.counters["picture_w"] = window.video().pictureSize().width();
    }
    window.reject();
}
BENCHMARK(BM_LivePreview720p)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VELLORA_TEST_CAMERA", "1");
    // One scanner, SANE's test backend, as on a machine with one device.
    QTemporaryDir sane;
    QFile conf(sane.filePath(QStringLiteral("dll.conf")));
    if (conf.open(QIODevice::WriteOnly))
        conf.write("test\n");
    conf.close();
    qputenv("SANE_CONFIG_DIR", sane.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
