// The headless command line printing single-sided colour cards with photos
// on the virtual card printer at 300 dpi, on collections where every card
// has a photo file:
//   BM_PrintTwo/N   two cards out of N (the time must not grow with N),
//   BM_PrintAll/N   every card: cards per second and peak memory,
//   BM_PrintMany/N  the first 2,000 cards of N: peak memory (flat in N).
// Each run is the built program file as a separate process; times are the
// whole run, start-up included.
#include "BenchCollections.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

struct RunResult {
    int exitCode = -1;
    long maxRssKb = 0;
    double seconds = 0;
};

RunResult RunPrint(const QString &folder, const QByteArray &cards)
{
    const QByteArray program = QByteArray(VELLORA_PROGRAM_DIR) + "/vellora-id";
    const QByteArray folderArg = folder.toLocal8Bit();
    char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>("--folder"),
                    const_cast<char *>(folderArg.constData()), const_cast<char *>("--print"),
                    const_cast<char *>(cards.constData()), nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    RunResult r;
    QElapsedTimer t;
    t.start();
    const int spawned = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return r;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    r.seconds = t.nsecsElapsed() / 1e9;
    r.maxRssKb = usage.ru_maxrss;
    return r;
}

int PngFiles(const QString &folder)
{
    return int(QDir(folder + "printed").entryList({"*.png"}, QDir::Files).size());
}

void Run(benchmark::State &state, const QByteArray &cards, int expected)
{
    const QString folder = benchcards::Collection(int(state.range(0)));
    RunResult last;
    double total = 0;
    bool allPrinted = true;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder + "printed").removeRecursively();
        state.ResumeTiming();
        last = RunPrint(folder, cards);
        state.SetIterationTime(last.seconds);
        total += last.seconds;
        allPrinted = allPrinted && last.exitCode == 0 && PngFiles(folder) == expected;
    }
    if (!allPrinted)
        state.SkipWithError("the run did not print every card asked for");
    const double mean = total / double(state.iterations());
    state.counters["cards_per_s"] = expected / mean;
    state.counters["peak_rss_MB"] = last.maxRssKb / 1024.0;
}

void BM_PrintTwo(benchmark::State &state)
{
    const int n = int(state.range(0));
    Run(state, QByteArray::number(n / 2) + ',' + QByteArray::number(n / 2 + 1), 2);
}

void BM_PrintAll(benchmark::State &state) { Run(state, "all", int(state.range(0))); }

void BM_PrintMany(benchmark::State &state) { Run(state, "1-2000", 2000); }

}  // namespace

BENCHMARK(BM_PrintTwo)->Arg(20)->Arg(1000)->Arg(20000)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(BM_PrintAll)->Arg(200)->Arg(1000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_PrintMany)->Arg(20000)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
