// Card table figures on 100,000 cards (and 1,000 for the commit ratio):
// open, moving, edit+post+commit, insert+post+commit+last, reading every
// field, converting a legacy Paradox table, memory of the open table.
// Benchmarks that change a table work on a copy of it.
#include "engine/Table.h"
#include "engine/card/CardDriver.h"
#include "../../tests/engine/CardTables.h"
#include "../../tests/engine/PxCardWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

using namespace vellora;

namespace {

const QStringList kLast{"Smith", "Johnson", "Williams", "Brown", "Jones", "García", "Miller", "Davis",
                        "Rodríguez", "Martínez", "Hernández", "López", "Gonzalez", "Wilson", "Anderson",
                        "Thomas", "Taylor", "Moore", "Jackson", "Martin", "Lee", "Pérez", "Thompson", "White"};
const QStringList kFirst{"James", "Mary", "Robert", "Patricia", "John", "Jennifer", "Michael", "Linda", "David",
                         "Elizabeth", "William", "Barbara", "Richard", "Susan", "Joseph", "Jessica", "Zoë"};
const QStringList kTitle{"Mr", "Mrs", "Ms", "Dr", "Prof", "Engineer", "Manager", "Clerk"};
const QStringList kDept{"Sales", "Engineering", "Accounts", "Human Resources", "Security", "Logistics",
                        "Customer Service", "Research and Development"};

QStringList cardTexts(int i)
{
    auto *r = QRandomGenerator::global();
    const QString last = kLast[int(r->bounded(kLast.size()))] + QStringLiteral("-%1").arg(i);
    const QString first = kFirst[int(r->bounded(kFirst.size()))];
    return {last,
            first,
            kTitle[int(r->bounded(kTitle.size()))],
            kDept[int(r->bounded(kDept.size()))],
            QStringLiteral("Badge %1").arg(100000 + i),
            QStringLiteral("Floor %1").arg(r->bounded(12)),
            QStringLiteral("%B%1^%2/%3^2512").arg(4000000000LL + i).arg(last.toUpper(), first.toUpper()).left(76),
            QStringLiteral(";%1=2512?").arg(4000000000LL + i),
            QStringLiteral(";%1=%2?").arg(4000000000LL + i).arg(QString(60, QLatin1Char('0')))};
}

struct Fixture {
    QTemporaryDir dir;
    QString folder(int n) const { return dir.filePath(QStringLiteral("cards%1").arg(n)); }
    std::map<int, bool> made;

    QString cards(int n)
    {
        if (!made[n]) {
            test::createCardTable(folder(n));
            Table t;
            t.setDatabaseName(folder(n));
            t.setTableName(QStringLiteral("cardset1.DB"));
            t.setCachedUpdates(true);
            t.open();
            for (int i = 0; i < n; ++i) {
                t.append();
                const QStringList texts = cardTexts(i);
                for (int f = 1; f < 10; ++f)
                    t.field(f).setAsString(texts[f - 1]);
                t.post();
            }
            t.commitUpdates();
            made[n] = true;
        }
        return folder(n);
    }

    // A copy of the n-card table for a benchmark that changes it, so that
    // the others always see exactly n cards as made.
    QString scratchCopy(int n, const QString &name)
    {
        const QString source = cards(n);
        const QString copy = dir.filePath(name);
        QDir(copy).removeRecursively();
        QDir().mkpath(copy);
        QFile::copy(source + QStringLiteral("/cardset1.DB"), copy + QStringLiteral("/cardset1.DB"));
        return copy;
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void openCards(Table &t, const QString &folder)
{
    t.setDatabaseName(folder);
    t.setTableName(QStringLiteral("cardset1.DB"));
    t.setCachedUpdates(true);
    t.open();
}

qint64 rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

void BM_Open(benchmark::State &state)
{
    const QString folder = fixture().cards(int(state.range(0)));
    for (auto _ : state) {
        Table t;
        openCards(t, folder);
        benchmark::DoNotOptimize(t.recordCount());
        state.PauseTiming();
        t.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Open)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Move(benchmark::State &state)
{
    const QString folder = fixture().cards(100000);
    Table t;
    openCards(t, folder);
    const int kind = int(state.range(0));
    t.setRecNo(t.recordCount() / 2);
    int step = 0;
    for (auto _ : state) {
        switch (kind) {
        case 0: t.first(); break;
        case 1: if (t.bof()) t.last(); t.prior(); break;
        case 2: if (t.eof()) t.first(); t.next(); break;
        default: t.last(); break;
        }
        // Every move also reads the current card's name, as the card face does.
        benchmark::DoNotOptimize(t.field(1).asString());
        ++step;
    }
    state.SetLabel(kind == 0 ? "first" : kind == 1 ? "prior" : kind == 2 ? "next" : "last");
}
BENCHMARK(BM_Move)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_EditPostCommit(benchmark::State &state)
{
    const int n = int(state.range(0));
    const bool sync = state.range(1) != 0;
    engine::setCardTablesSynchronous(sync);
    const QString folder = fixture().scratchCopy(n, QStringLiteral("edit%1").arg(n));
    Table t;
    openCards(t, folder);
    int i = 0;
    for (auto _ : state) {
        t.setRecNo(1 + (i * 7919) % t.recordCount());
        t.edit();
        t.fieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Edit %1").arg(i++));
        t.post();
        t.commitUpdates();
    }
    state.SetLabel(sync ? "synchronous=FULL" : "synchronous=OFF");
    engine::setCardTablesSynchronous(true);
}
BENCHMARK(BM_EditPostCommit)->Args({100000, 1})->Args({1000, 1})->Args({100000, 0})->Args({1000, 0})
    ->Unit(benchmark::kMillisecond);

void BM_InsertPostCommitLast(benchmark::State &state)
{
    const bool sync = state.range(0) != 0;
    engine::setCardTablesSynchronous(sync);
    const QString folder = fixture().scratchCopy(100000, QStringLiteral("insert"));
    Table t;
    openCards(t, folder);
    for (auto _ : state) {
        t.insert();
        t.field(1).setAsString(QStringLiteral(" "));
        t.post();
        t.commitUpdates();
        t.last();
    }
    state.SetLabel(sync ? "synchronous=FULL" : "synchronous=OFF");
    engine::setCardTablesSynchronous(true);
}
BENCHMARK(BM_InsertPostCommitLast)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_ReadEveryField(benchmark::State &state)
{
    const QString folder = fixture().cards(100000);
    for (auto _ : state) {
        state.PauseTiming();
        Table t;
        openCards(t, folder);
        state.ResumeTiming();
        qint64 chars = 0;
        const int fields = t.fieldCount();
        for (t.first(); !t.eof(); t.next())
            for (int f = 0; f < fields; ++f)
                chars += t.field(f).asString().size();
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_ReadEveryField)->Unit(benchmark::kMillisecond);

void BM_OpenTableMemory(benchmark::State &state)
{
    const QString folder = fixture().cards(100000);
    const qint64 fileKb = QFileInfo(folder + QStringLiteral("/cardset1.DB")).size() / 1024;
    double ratio = 0;
    for (auto _ : state) {
        const qint64 before = rssKb();
        Table t;
        openCards(t, folder);
        qint64 peak = rssKb();
        for (t.first(); !t.eof(); t.next()) {
            benchmark::DoNotOptimize(t.field(9).asString());
            if (t.recNo() % 5000 == 0)
                peak = std::max(peak, rssKb());
        }
        peak = std::max(peak, rssKb());
        ratio = double(peak - before) / double(fileKb);
    }
    state.counters["file_kB"] = double(fileKb);
    state.counters["rss_growth_percent_of_file"] = ratio * 100.0;
}
BENCHMARK(BM_OpenTableMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ConvertParadox(benchmark::State &state)
{
    const QString src = fixture().dir.filePath(QStringLiteral("px/cardset1.DB"));
    if (!QFileInfo::exists(src)) {
        QDir().mkpath(QFileInfo(src).absolutePath());
        QList<test::PxCard> cards;
        cards.reserve(100000);
        for (int i = 0; i < 100000; ++i)
            cards.append({i + 1, cardTexts(i)});
        if (!test::writePxCardTable(src, {"Last_name", "First_name", "Title", "Department", "Sparefield1",
                                          "Sparefield2", "MagStripe1", "MagStripe2", "MagStripe3"},
                                    {35, 35, 30, 35, 30, 30, 79, 40, 107}, cards)) {
            state.SkipWithError("pxlib could not write the table");
            return;
        }
    }
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString folder = fixture().dir.filePath(QStringLiteral("conv%1").arg(round++));
        QDir().mkpath(folder);
        QFile::copy(src, folder + QStringLiteral("/cardset1.DB"));
        state.ResumeTiming();
        Table t;
        openCards(t, folder);
        if (t.recordCount() != 100000)
            state.SkipWithError("conversion lost cards");
    }
}
BENCHMARK(BM_ConvertParadox)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
