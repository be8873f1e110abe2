// Table driver figures on 100,000 cards: reading every field of a dBASE
// table as text, batch moves from dBASE, text and the SQLite ODBC driver
// into the card table, and writing dBASE, Paradox and text tables from the
// card table. Every move goes into a new table or a fresh copy.
#include "engine/BatchMove.h"
#include "engine/Table.h"
#include "../../tests/engine/CardTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vellora;

namespace {

constexpr int kRows = 100000;

struct Fixture {
    QTemporaryDir dir;
    bool made = false;
    QString cards() const { return dir.filePath(QStringLiteral("cards")); }

    void make()
    {
        if (made)
            return;
        test::createCardTable(cards());
        Table t;
        t.setDatabaseName(cards());
        t.setTableName(QStringLiteral("cardset1.DB"));
        t.setCachedUpdates(true);
        t.open();
        for (int i = 0; i < kRows; ++i) {
            t.append();
            for (int f = 1; f < t.fieldCount(); ++f)
                t.field(f).setAsString(QStringLiteral("Value %1 of field %2 é").arg(i).arg(f).left(t.field(f).size() > 0 ? t.field(f).size() : 40));
            t.post();
        }
        t.commitUpdates();
        t.close();
        for (auto [name, type] : {std::pair{QStringLiteral("src.dbf"), TableType::DBase},
                                  std::pair{QStringLiteral("src.txt"), TableType::Text}})
            exportTo(name, type);
        made = true;
    }

    // The card table moved into a new table of a kind, as the export does.
    void exportTo(const QString &name, TableType type, const QString &folder = QString())
    {
        const QString where = folder.isEmpty() ? dir.path() : folder;
        QFile::remove(where + QLatin1Char('/') + name);
        Table card, out;
        card.setDatabaseName(cards());
        card.setTableName(QStringLiteral("cardset1.DB"));
        card.open();
        QList<FieldDef> defs = card.fieldDefs();
        defs[0].type = FieldType::Integer;
        card.close();
        out.setDatabaseName(where);
        out.setTableName(name);
        out.setTableType(type);
        out.setFieldDefs(defs);
        out.setIndexDefs(test::cardNumberKey());
        out.createTable();
        QStringList map;
        for (int i = 0; i < defs.size(); ++i)
            map << out.fieldDefs()[i].name + QLatin1Char('=') + defs[i].name;
        BatchMove move;
        move.setSource(&card);
        move.setDestination(&out);
        move.setMappings(map);
        move.execute();
    }

    // A fresh empty card table to move into.
    QString emptyCards(const QString &name)
    {
        const QString folder = dir.filePath(name);
        QDir(folder).removeRecursively();
        test::createCardTable(folder);
        return folder;
    }
};

Fixture &fixture()
{
    static Fixture f;
    f.make();
    return f;
}

void BM_ReadDbaseEveryField(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        Table t;
        t.setDatabaseName(f.dir.path());
        t.setTableName(QStringLiteral("src.dbf"));
        t.open();
        qint64 chars = 0;
        for (t.first(); !t.eof(); t.next())
            for (int i = 0; i < t.fieldCount(); ++i)
                chars += t.field(i).asString().size();
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_ReadDbaseEveryField)->Unit(benchmark::kMillisecond)->Iterations(3);

void moveIntoCards(benchmark::State &state, const QString &database, const QString &table)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        const QString folder = f.emptyCards(QStringLiteral("into"));
        Table src, dst;
        src.setDatabaseName(database);
        src.setTableName(table);
        dst.setDatabaseName(folder);
        dst.setTableName(QStringLiteral("cardset1.DB"));
        dst.setCachedUpdates(true);
        src.open();
        QStringList map;
        for (int i = 1; i < src.fieldCount(); ++i)
            map << test::standardCardFields()[i].name + QLatin1Char('=') + src.fieldNames()[i];
        BatchMove move;
        move.setSource(&src);
        move.setDestination(&dst);
        move.setMappings(map);
        state.ResumeTiming();
        move.execute();
        if (move.movedCount() != kRows)
            state.SkipWithError("not every row moved");
    }
}

void BM_MoveDbaseIntoCards(benchmark::State &state) { moveIntoCards(state, fixture().dir.path(), QStringLiteral("src.dbf")); }
BENCHMARK(BM_MoveDbaseIntoCards)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MoveTextIntoCards(benchmark::State &state) { moveIntoCards(state, fixture().dir.path(), QStringLiteral("src.txt")); }
BENCHMARK(BM_MoveTextIntoCards)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MoveOdbcIntoCards(benchmark::State &state)
{
    // The card table's rows in an SQLite database reached through the
    // SQLite ODBC driver, configured in the temporary folder.
    Fixture &f = fixture();
    const QString db = f.dir.filePath(QStringLiteral("odbc.sqlite"));
    if (!QFile::exists(db)) {
        QFile::copy(f.cards() + QStringLiteral("/cardset1.DB"), db);
        QFile inst(f.dir.filePath(QStringLiteral("odbcinst.ini")));
        inst.open(QIODevice::WriteOnly);
        inst.write("[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n");
        inst.close();
        QFile ini(f.dir.filePath(QStringLiteral("odbc.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral("[bench_cards]\nDriver=SQLite3\nDatabase=%1\n").arg(db).toUtf8());
        ini.close();
        qputenv("ODBCSYSINI", f.dir.path().toUtf8());
        qputenv("ODBCINI", f.dir.filePath(QStringLiteral("odbc.ini")).toUtf8());
    }
    Table probe;
    probe.setDatabaseName(QStringLiteral("bench_cards"));
    probe.setTableName(QStringLiteral("cardset1"));
    try {
        probe.open();
    } catch (const std::exception &e) {
        state.SkipWithError(e.what());
        return;
    }
    probe.close();
    moveIntoCards(state, QStringLiteral("bench_cards"), QStringLiteral("cardset1"));
}
BENCHMARK(BM_MoveOdbcIntoCards)->Unit(benchmark::kMillisecond)->Iterations(2);

void writeFromCards(benchmark::State &state, const QString &name, TableType type)
{
    Fixture &f = fixture();
    const QString folder = f.dir.filePath(QStringLiteral("out"));
    for (auto _ : state) {
        state.PauseTiming();
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        state.ResumeTiming();
        f.exportTo(name, type, folder);
    }
}

void BM_WriteDbaseFromCards(benchmark::State &state) { writeFromCards(state, QStringLiteral("out.dbf"), TableType::DBase); }
BENCHMARK(BM_WriteDbaseFromCards)->Unit(benchmark::kMillisecond)->Iterations(2);
void BM_WriteParadoxFromCards(benchmark::State &state) { writeFromCards(state, QStringLiteral("out.db"), TableType::Paradox); }
BENCHMARK(BM_WriteParadoxFromCards)->Unit(benchmark::kMillisecond)->Iterations(2);
void BM_WriteTextFromCards(benchmark::State &state) { writeFromCards(state, QStringLiteral("out.txt"), TableType::Text); }
BENCHMARK(BM_WriteTextFromCards)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
