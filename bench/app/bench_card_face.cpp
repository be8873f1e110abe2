// Moving on the main window's card face through collections where every card
// has a photo file: each move is the navigator's (move, then commit), with
// the photo refresh, the bound boxes following the new card and the
// repaint of the card face.
//   BM_CardFaceMove/N  mean time of one move among N cards,
//   BM_CardFaceWalk/N  every card once, first to last: time per move and the
//                      peak memory of the walk (flat in N),
//   BM_FindLast/N      the Find dialog from the first card to the last one,
//                      whose last name only it has (whole field, all fields).
#include "BenchCollections.h"

#include "app/mainwindow/TForm1.h"
#include "app/shell/StartupWait.h"
#include "app/startup/ProgramWindows.h"
#include "dataman/find/TForm3.h"
#include "engine/Table.h"
#include "lang/MessageDialog.h"
#include "store/CardStore.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QFile>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace vellora;

namespace {

// The program's windows on a collection, made once per collection; they go
// before the application object does.
std::map<int, std::unique_ptr<ProgramWindows>> g_windows;

ProgramWindows &Windows(int cards)
{
    auto &w = g_windows[cards];
    if (!w) {
        const QString folder = benchcards::Collection(cards);
        g_windows.clear();  // one collection open at a time: the table is locked
        auto &fresh = g_windows[cards];
        fresh = std::make_unique<ProgramWindows>();
        fresh->createMainWindow(folder);
        fresh->createOtherWindows();
        fresh->applyLayouts();
        fresh->main->show();
        return *fresh;
    }
    return *w;
}

// Peak resident memory since the last reset, in MB.
double PeakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void ResetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void BM_CardFaceMove(benchmark::State &state)
{
    ProgramWindows &w = Windows(int(state.range(0)));
    CardStore *store = w.main->store();
    Table *table = w.main->table();
    table->setRecNo(table->recordCount() / 2);
    bool forward = true;
    for (auto _ : state) {
        if (forward)
            store->next();
        else
            store->prior();
        QCoreApplication::processEvents();  // the card face repaints
        if (table->eof() || table->bof())
            forward = !forward;
    }
    state.counters["cards"] = table->recordCount();
    if (!QFileInfo::exists(benchcards::Collection(int(state.range(0))) + "data/images/" +
                           table->field(0).asString() + ".jpg"))
        state.SkipWithError("the card has no photo file");
}

void BM_CardFaceWalk(benchmark::State &state)
{
    ProgramWindows &w = Windows(int(state.range(0)));
    CardStore *store = w.main->store();
    Table *table = w.main->table();
    double seconds = 0;
    int moves = 0;
    for (auto _ : state) {
        store->first();
        ResetPeakRss();
        QElapsedTimer t;
        t.start();
        while (!table->eof()) {
            store->next();
            QCoreApplication::processEvents();
            ++moves;
        }
        seconds = t.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
    }
    state.counters["us_per_move"] = seconds * 1e6 / moves;
    state.counters["peak_rss_MB"] = PeakRssMb();
}

void BM_FindLast(benchmark::State &state)
{
    const int cards = int(state.range(0));
    ProgramWindows &w = Windows(cards);
    Table *table = w.main->table();
    TForm3 find(table, w.main.get());
    find.FormShow();
    find.ComboBox1->setCurrentIndex(0);  // all fields
    find.ComboBox2->setCurrentIndex(int(FindMatch::WholeField));
    find.Edit1->setText(QStringLiteral("Last%1").arg(cards));
    bool found = true;
    for (auto _ : state) {
        state.PauseTiming();
        table->first();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        find.Button1Click();
        found = found && table->recNo() == cards;
    }
    if (!found)
        state.SkipWithError("Find did not stop at the last card");
}

}  // namespace

BENCHMARK(BM_FindLast)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardFaceMove)->Arg(1000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CardFaceWalk)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetStartupWaitEnabled(false);
    // No message box may wait for a person.
    SetMessageAnswerer([](const ShownMessage &) { return int(MrCancel); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_windows.clear();
    return 0;
}
