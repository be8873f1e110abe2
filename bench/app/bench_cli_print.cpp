// The headless command line printing single-sided colour cards with photos
// on the virtual card printer at 300 dpi: cards per second and the peak
// memory of the program, for 100 and for 1000 cards (the peak must not grow
// with the number of cards).
#include "engine/Table.h"
#include "store/CardTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int kCards = 1000;

bool copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir src(from);
    for (const QFileInfo &fi : src.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + '/' + fi.fileName();
        if (fi.isDir()) {
            if (!copyTree(fi.filePath(), target))
                return false;
        } else if (fi.fileName() != "vellora-id" && !QFile::copy(fi.filePath(), target)) {
            return false;
        }
    }
    return true;
}

// A program folder with kCards cards, each with its own photo.
struct Collection {
    QTemporaryDir dir;
    QString folder;
    Collection()
    {
        folder = dir.path() + '/';
        if (!copyTree(QStringLiteral(VELLORA_PROGRAM_DIR), dir.path()))
            qFatal("cannot copy the program folder");
        vellora::Table table;
        vellora::OpenCardTable(table, folder);
        for (int i = 0; i < kCards; ++i) {
            table.append();
            table.fieldByName("First_name").setAsString(QStringLiteral("First%1").arg(i));
            table.fieldByName("Last_name").setAsString(QStringLiteral("Last%1").arg(i));
            table.fieldByName("Title").setAsString(QStringLiteral("Engineer"));
            table.fieldByName("Department").setAsString(QStringLiteral("Research"));
            table.post();
        }
        table.commitUpdates();
        table.close();
        QImage photo(300, 400, QImage::Format_RGB32);
        for (int i = 1; i <= kCards; ++i) {
            photo.fill(QColor::fromHsv((i * 37) % 360, 120, 200));
            photo.save(folder + QStringLiteral("data/images/%1.jpg").arg(i), "JPG", 90);
        }
    }
};

Collection &collection()
{
    static Collection c;
    return c;
}

struct RunResult {
    int exitCode = -1;
    long maxRssKb = 0;
};

RunResult runPrint(const QString &folder, int cards)
{
    const QByteArray program = QByteArray(VELLORA_PROGRAM_DIR) + "/vellora-id";
    const QByteArray folderArg = folder.toLocal8Bit();
    const QByteArray cardsArg = QByteArray("1-") + QByteArray::number(cards);
    char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>("--folder"),
                    const_cast<char *>(folderArg.constData()), const_cast<char *>("--print"),
                    const_cast<char *>(cardsArg.constData()), nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    RunResult r;
    if (posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ) != 0)
        return r;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    r.maxRssKb = usage.ru_maxrss;
    return r;
}

void BM_CommandLinePrint(benchmark::State &state)
{
    const int cards = int(state.range(0));
    Collection &c = collection();
    RunResult last;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(c.folder + "printed").removeRecursively();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        last = runPrint(c.folder, cards);
        seconds = t.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
    }
    const int files = int(QDir(c.folder + "printed").entryList({"*.png"}, QDir::Files).size());
    if (last.exitCode != 0 || files != cards)
        state.SkipWithError("the run did not print every card");
    state.counters["cards_per_s"] = cards / seconds;
    state.counters["peak_rss_MB"] = last.maxRssKb / 1024.0;
    state.counters["png_files"] = files;
}

}  // namespace

BENCHMARK(BM_CommandLinePrint)->Arg(100)->Arg(kCards)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
