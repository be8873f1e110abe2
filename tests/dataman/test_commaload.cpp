// Loading comma-separated files into the temporary text table, and moving
// them into the card table: ragged lines, unclosed quotes, very wide and
// very long lines.
#include "dataman/transfer/DataTransfer.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "store/CardTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;
using namespace vellora::transfer;

namespace {

QList<QStringList> rowsOf(const QString &folder)
{
    Table t;
    t.setDatabaseName(folder);
    t.setTableName(QString::fromLatin1(kTempTableName));
    t.setTableType(TableType::Text);
    t.open();
    QList<QStringList> rows;
    rows << t.fieldNames();
    for (t.first(); !t.eof(); t.next()) {
        QStringList r;
        for (int i = 0; i < t.fieldCount(); ++i)
            r << t.field(i).asString();
        rows << r;
    }
    return rows;
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class TestCommaLoad : public QObject {
    Q_OBJECT
private slots:
    void loadsIntoTheTemporaryTable_data();
    void loadsIntoTheTemporaryTable();
    void wideAndLongLines();
};

void TestCommaLoad::loadsIntoTheTemporaryTable_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QList<QStringList>>("rows");   // field names first
    QTest::newRow("header only") << QByteArray("a,b\r\n") << true << QList<QStringList>{{"a", "b"}};
    QTest::newRow("no header") << QByteArray("x,y\n1,2\n") << false
                               << QList<QStringList>{{"Field0", "Field1"}, {"x", "y"}, {"1", "2"}};
    // Fewer values: the rest empty; more: ignored; empty lines: no row.
    QTest::newRow("ragged") << QByteArray("a,b,c\n1\n\n1,2,3,4\n") << true
                            << QList<QStringList>{{"a", "b", "c"}, {"1", "", ""}, {"1", "2", "3"}};
    QTest::newRow("unclosed quote") << QByteArray("a,b\n\"x,1\n2,3\n") << true
                                    << QList<QStringList>{{"a", "b"}, {"x,1", ""}, {"2", "3"}};
    QTest::newRow("names empty and twice") << QByteArray("Name,,name\n1,2,3\n") << true
                                           << QList<QStringList>{{"Name", "Field1", "name_2"}, {"1", "2", "3"}};
    QTest::newRow("windows-1252") << QByteArray("N\xE4me\nM\xFCller \x80\n") << true
                                  << QList<QStringList>{{"Näme"}, {"Müller €"}};
}

void TestCommaLoad::loadsIntoTheTemporaryTable()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, header);
    QFETCH(QList<QStringList>, rows);
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    write(folder + "in.csv", file);
    QCOMPARE(LoadCommaFile(folder + "in.csv", folder, header), int(rows.size()) - 1);
    QCOMPARE(rowsOf(folder), rows);
    RemoveTempTable(folder);
    QVERIFY(!QFile::exists(folder + "temptab.txt") && !QFile::exists(folder + "temptab.sch"));
}

void TestCommaLoad::wideAndLongLines()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    // 4,000 columns load; 10,000 are more than a table holds: a clear error.
    auto wideLine = [](int columns) {
        QByteArray line;
        for (int i = 0; i < columns; ++i)
            line += (i ? "," : "") + QByteArray::number(i);
        return line;
    };
    write(folder + "wide.csv", wideLine(4000) + "\n" + wideLine(4000) + "\n");
    QCOMPARE(LoadCommaFile(folder + "wide.csv", folder, true), 1);
    {
        const QList<QStringList> rows = rowsOf(folder);
        QCOMPARE(rows[0].size(), 4000);
        QCOMPARE(rows[1].last(), QStringLiteral("3999"));
    }
    write(folder + "wider.csv", wideLine(10000) + "\n" + wideLine(10000) + "\n");
    try {
        LoadCommaFile(folder + "wider.csv", folder, true);
        QFAIL("10,000 columns were loaded");
    } catch (const OperatorError &e) {
        QVERIFY2(e.message().contains("10000") && e.message().contains("4096"), qPrintable(e.message()));
    }
    // A value of 1 MiB is kept whole, and a move into the card table counts
    // it as a problem (it does not fit Last_name) without losing the cards
    // that were there; a 50-MB line is refused naming its line.
    QDir().mkpath(folder + "data");
    CreateStandardCardTable(folder + "data/");
    {
        Table card;
        card.setDatabaseName(folder + "data/");
        card.setTableName(QString::fromLatin1(kCardTableName));
        card.open();
        card.append();
        card.fieldByName("Last_name").setAsString("Kept");
        card.post();
    }
    const QByteArray big(kMaxTempFieldWidth, 'x');
    write(folder + "long.csv", "Last_name\n" + big + "\nShort\n");
    QCOMPARE(LoadCommaFile(folder + "long.csv", folder, true), 2);
    Table source, card;
    source.setDatabaseName(folder);
    source.setTableName(QString::fromLatin1(kTempTableName));
    source.setTableType(TableType::Text);
    source.open();
    QCOMPARE(source.field(0).asString().size(), big.size());
    source.close();
    card.setDatabaseName(folder + "data/");
    card.setTableName(QString::fromLatin1(kCardTableName));
    const MoveResult r = MoveRecords(source, card, {"Last_name=Last_name"}, false);
    QCOMPARE(r.moved, 1);
    QCOMPARE(r.problems, 1);
    card.open();
    QCOMPARE(card.recordCount(), 2);
    card.first();
    QCOMPARE(card.fieldByName("Last_name").asString(), QStringLiteral("Kept"));

    write(folder + "huge.csv", "Last_name\nShort\n" + QByteArray(50 * 1024 * 1024, 'x') + "\n");
    try {
        LoadCommaFile(folder + "huge.csv", folder, true);
        QFAIL("a 50-MB value was loaded");
    } catch (const OperatorError &e) {
        QVERIFY2(e.message().startsWith("Line 3 of"), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestCommaLoad)
#include "test_commaload.moc"
