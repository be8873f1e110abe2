// Import and export figures on 100,000 cards: a comma-separated file into
// the card table through the temporary text table (with the longest wait
// between two progress calls, i.e. how long the wizard's event loop can go
// without running), and the card table written to each of the four
// built-in formats.
#include "dataman/transfer/DataTransfer.h"
#include "engine/Table.h"
#include "store/CardTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vellora;

namespace {

constexpr int kRows = 100000;

struct Fixture {
    QTemporaryDir dir;
    bool made = false;
    QString cards() const { return dir.filePath(QStringLiteral("cards")) + QLatin1Char('/'); }
    QString csv() const { return dir.filePath(QStringLiteral("people.csv")); }

    void make()
    {
        if (made)
            return;
        QDir().mkpath(cards());
        CreateStandardCardTable(cards());
        Table t;
        t.setDatabaseName(cards());
        t.setTableName(QString::fromLatin1(kCardTableName));
        t.setCachedUpdates(true);
        t.open();
        for (int i = 0; i < kRows; ++i) {
            t.append();
            for (int f = 1; f < t.fieldCount(); ++f)
                t.field(f).setAsString(QStringLiteral("Value %1, field %2 é").arg(i).arg(f));
            t.post();
        }
        t.commitUpdates();
        t.close();
        QFile f(csv());
        f.open(QIODevice::WriteOnly);
        f.write("Last_name,First_name,Title,Department,Sparefield1\r\n");
        for (int i = 0; i < kRows; ++i)
            f.write(QStringLiteral("Surname %1,Jean Luc,\"Captain, \"\"USS\"\"\",Bridge %2,Zoë\r\n").arg(i).arg(i % 7).toUtf8());
        made = true;
    }
};

Fixture &fixture()
{
    static Fixture f;
    f.make();
    return f;
}

void BM_ImportCommaFile(benchmark::State &state)
{
    Fixture &f = fixture();
    double maxGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir target;
        const QString folder = target.path() + QLatin1Char('/');
        QDir().mkpath(folder + QStringLiteral("data"));
        CreateStandardCardTable(folder + QStringLiteral("data/"));
        state.ResumeTiming();
        QElapsedTimer gap;
        gap.start();
        double longest = 0;
        const transfer::Progress progress = [&](int, int) {
            longest = std::max(longest, double(gap.nsecsElapsed()) / 1e6);
            gap.restart();
        };
        const int rows = transfer::LoadCommaFile(f.csv(), folder, true, progress);
        Table source, card;
        source.setDatabaseName(folder);
        source.setTableName(QString::fromLatin1(transfer::kTempTableName));
        source.setTableType(TableType::Text);
        card.setDatabaseName(folder + QStringLiteral("data/"));
        card.setTableName(QString::fromLatin1(kCardTableName));
        source.open();
        card.open();
        const QStringList mapping = transfer::PairEqualNames(card.fieldNames(), source.fieldNames());
        const transfer::MoveResult r = transfer::MoveRecords(source, card, mapping, false, progress);
        longest = std::max(longest, double(gap.nsecsElapsed()) / 1e6);
        maxGap = std::max(maxGap, longest);
        if (rows != kRows || r.moved != kRows)
            state.SkipWithError("not every row moved");
    }
    state.counters["longest_wait_ms"] = maxGap;
}
BENCHMARK(BM_ImportCommaFile)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Export(benchmark::State &state)
{
    Fixture &f = fixture();
    const int kind = int(state.range(0));
    for (auto _ : state) {
        QTemporaryDir out;
        Table card;
        card.setDatabaseName(f.cards());
        card.setTableName(QString::fromLatin1(kCardTableName));
        if (kind == 0) {
            if (transfer::WriteCommaFile(card, out.filePath(QStringLiteral("cards.csv"))) != kRows)
                state.SkipWithError("not every row written");
            continue;
        }
        const TableType type = kind == 1 ? TableType::DBase : kind == 2 ? TableType::Paradox : TableType::Text;
        const QString name = kind == 1 ? QStringLiteral("cards.dbf") : kind == 2 ? QStringLiteral("cards.db")
                                                                               : QStringLiteral("cards.txt");
        Table dest;
        transfer::CreateTableLike(card, dest, out.path(), name, type);
        card.open();
        QStringList mapping;
        const QStringList from = card.fieldNames(), to = dest.fieldNames();
        card.close();
        for (int i = 0; i < from.size(); ++i)
            mapping.append(to[i] + QLatin1Char('=') + from[i]);
        if (transfer::MoveRecords(card, dest, mapping, false).moved != kRows)
            state.SkipWithError("not every row moved");
    }
    state.SetLabel(kind == 0 ? "csv" : kind == 1 ? "dbase" : kind == 2 ? "paradox" : "text");
}
BENCHMARK(BM_Export)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
