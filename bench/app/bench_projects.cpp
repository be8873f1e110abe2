// The Find dialog over a large collection, and exporting and importing a
// project with many photos, on the real main window (offscreen).
#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectCommands.h"
#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "app/startup/ProgramWindows.h"
#include "dataman/find/TForm3.h"
#include "engine/Table.h"
#include "lang/CommonDialogs.h"
#include "lang/MessageDialog.h"
#include "store/CardTable.h"

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace vellora;

namespace {

// A program folder with `cards` cards and, for the first `photos` of them, a
// photo each.
bool makeCollection(const QString &app, int cards, int photos)
{
    if (!QDir().mkpath(app + "data/images") || !QDir().mkpath(app + "backup"))
        return false;
    CreateStandardCardTable(app + "data/");
    Table t;
    OpenCardTable(t, app);
    for (int i = 0; i < cards; ++i) {
        t.append();
        t.fieldByName("Last_name").setAsString(QStringLiteral("Lastname%1").arg(i));
        t.fieldByName("First_name").setAsString(QStringLiteral("First %1").arg(i % 977));
        t.fieldByName("Department").setAsString(QStringLiteral("Department %1").arg(i % 31));
        t.fieldByName("Title").setAsString(QStringLiteral("Title"));
        t.post();
    }
    t.commitUpdates();
    t.close();
    QImage image(120, 150, QImage::Format_RGB32);
    for (int i = 1; i <= photos; ++i) {
        image.fill(QColor::fromHsv(i % 360, 180, 200));
        if (!image.save(app + QStringLiteral("data/images/%1.jpg").arg(i), "JPG", 90))
            return false;
    }
    return true;
}

void BM_FindNoMatchAllFields(benchmark::State &state)
{
    const int cards = int(state.range(0));
    QTemporaryDir dir;
    const QString app = dir.path() + '/';
    if (!makeCollection(app, cards, 0)) {
        state.SkipWithError("cannot build the collection");
        return;
    }
    ProgramWindows windows;
    windows.createMainWindow(app);
    windows.createOtherWindows();
    TForm3 *find = FindDialogOf(*windows.main);
    find->show();
    SetMessageAnswerer([](const ShownMessage &) { return int(MrCancel); });   // stop at the end
    // The longest time the event loop waited for a turn during the search.
    QElapsedTimer sinceTurn;
    qint64 longestWait = 0;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestWait = std::max(longestWait, sinceTurn.nsecsElapsed());
        sinceTurn.restart();
    });
    for (auto _ : state) {
        windows.main->table()->setRecNo(1);
        find->Edit1->setText("no such text anywhere");
        find->ComboBox1->setCurrentIndex(0);
        find->ComboBox2->setCurrentIndex(int(FindMatch::AnyPart));
        sinceTurn.start();
        ticker.start();
        find->Button1Click();
        ticker.stop();
    }
    SetMessageAnswerer({});
    state.counters["cards"] = cards;
    state.counters["longest_ui_wait_ms"] = double(longestWait) / 1e6;
    windows.main->table()->close();
}
BENCHMARK(BM_FindNoMatchAllFields)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportAndImportProject(benchmark::State &state)
{
    const int cards = int(state.range(0));
    QTemporaryDir dir;
    const QString app = dir.path() + '/';
    if (!makeCollection(app, cards, cards)) {
        state.SkipWithError("cannot build the collection");
        return;
    }
    ProgramWindows windows;
    windows.createMainWindow(app);
    windows.createOtherWindows();
    TForm1 &main = *windows.main;
    SetMessageAnswerer([](const ShownMessage &) { return int(MrNo); });   // no export first
    int n = 0;
    double exportSeconds = 0, importSeconds = 0;
    for (auto _ : state) {
        const QString marker = app + QStringLiteral("Projects/Bench%1.mag").arg(n++);
        SetCommonDialogAnswerer([marker](const CommonDialogRequest &) {
            return std::optional<CommonDialogAnswer>(CommonDialogAnswer{marker, {}, {}});
        });
        QElapsedTimer timer;
        timer.start();
        main.dataModule()->item("ExportProject1")->trigger();
        exportSeconds += double(timer.nsecsElapsed()) / 1e9;
        timer.restart();
        main.dataModule()->item("ImportProject1")->trigger();
        importSeconds += double(timer.nsecsElapsed()) / 1e9;
        if (main.table()->recordCount() != cards || QDir(app + "data/images").count() != uint(cards) + 2)
            state.SkipWithError("the imported collection is not the exported one");
    }
    SetCommonDialogAnswerer({});
    SetMessageAnswerer({});
    state.counters["export_s"] = exportSeconds / double(n);
    state.counters["import_s"] = importSeconds / double(n);
    main.table()->close();
}
BENCHMARK(BM_ExportAndImportProject)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    VelloraApplication app(argc, argv);
    SetStartupWaitEnabled(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
