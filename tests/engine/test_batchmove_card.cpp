// Batch moves into the card table: a move is one change of the card table.
// A move that fails part-way (here a source table whose memo file is damaged
// in the middle) leaves every card as it was, also when the move was to
// replace the cards; a replacing move that succeeds numbers the new cards
// after the old ones, so no photo file of an old card is taken over.
#include "CardTables.h"
#include "engine/BatchMove.h"
#include "engine/EngineError.h"
#include "engine/Table.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

// A dBASE III+ table of `rows` people with a memo each.
void writePeople(const QString &folder, int rows)
{
    Table t;
    t.setDatabaseName(folder);
    t.setTableName(QStringLiteral("people.dbf"));
    t.setTableType(TableType::DBase);
    t.setFieldDefs({{QStringLiteral("LAST_NAME"), FieldType::String, 40}, {QStringLiteral("NOTE"), FieldType::Memo, 0}});
    t.createTable();
    t.setCachedUpdates(true);
    t.open();
    for (int i = 1; i <= rows; ++i) {
        t.append();
        t.field(0).setAsString(QStringLiteral("Person %1").arg(i));
        t.field(1).setAsString(QStringLiteral("Note of person %1").arg(i));
        t.post();
    }
    t.commitUpdates();
}

// Points the memo of record `record` (from 1) beyond the end of the memo file.
void damageMemo(const QString &dbfPath, int record)
{
    QFile f(dbfPath);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray head = f.read(32);
    const int headerLength = quint8(head[8]) | (quint8(head[9]) << 8);
    const int recordLength = quint8(head[10]) | (quint8(head[11]) << 8);
    // Deletion flag, LAST_NAME (40), then the memo's block number (10 digits).
    QVERIFY(f.seek(qint64(headerLength) + qint64(record - 1) * recordLength + 1 + 40));
    QCOMPARE(f.write("9999999999"), qint64(10));
}

QStringList cardsBySqlite(const QString &dbPath)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {dbPath, QStringLiteral("select Card_Number, Last_name from cardset1 order by 1")});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestBatchMoveCard : public QObject {
    Q_OBJECT
private slots:
    void failedMoveLeavesTheCardTable_data();
    void failedMoveLeavesTheCardTable();
    void replaceNumbersAfterTheOldCards();
};

void TestBatchMoveCard::failedMoveLeavesTheCardTable_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("append") << false;
    QTest::newRow("replace") << true;
}

void TestBatchMoveCard::failedMoveLeavesTheCardTable()
{
    QFETCH(bool, replace);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    createCardTable(folder);
    {
        Table card;
        card.setDatabaseName(folder);
        card.setTableName(QStringLiteral("cardset1.DB"));
        card.open();
        for (const char *name : {"Ada", "Grace", "Edsger"})
            addCard(card, QString::fromLatin1(name));
    }
    const QStringList before = cardsBySqlite(folder + QStringLiteral("cardset1.DB"));
    QCOMPARE(before.size(), 3);

    writePeople(folder, 3000);
    damageMemo(folder + QStringLiteral("people.dbf"), 2500);

    Table source, card;
    source.setDatabaseName(folder);
    source.setTableName(QStringLiteral("people.dbf"));
    card.setDatabaseName(folder);
    card.setTableName(QStringLiteral("cardset1.DB"));
    BatchMove move;
    move.setSource(&source);
    move.setDestination(&card);
    move.setMode(replace ? BatchMoveMode::Replace : BatchMoveMode::Append);
    move.setMappings({QStringLiteral("Last_name=LAST_NAME"), QStringLiteral("Department=NOTE")});
    move.setAbortOnKeyViolation(false);
    move.setAbortOnProblem(false);
    int progressCalls = 0;
    move.setProgress([&](int done, int total) {
        ++progressCalls;
        QCOMPARE(total, 3000);
        QVERIFY(done <= total);
    });
    try {
        move.execute();
        QFAIL("the move over a damaged memo file went through");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QLatin1String("people.dbt")), qPrintable(e.message()));
    }
    QVERIFY(progressCalls >= 4);   // it failed part-way, not at the start
    QCOMPARE(cardsBySqlite(folder + QStringLiteral("cardset1.DB")), before);

    // The next card still gets the next number.
    card.open();
    QCOMPARE(card.recordCount(), 3);
    addCard(card, QStringLiteral("Barbara"));
    card.last();
    QCOMPARE(card.fieldByName(QStringLiteral("Card_Number")).asString(), QStringLiteral("4"));
}

void TestBatchMoveCard::replaceNumbersAfterTheOldCards()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    createCardTable(folder);
    Table card;
    card.setDatabaseName(folder);
    card.setTableName(QStringLiteral("cardset1.DB"));
    card.open();
    for (const char *name : {"Ada", "Grace", "Edsger"})
        addCard(card, QString::fromLatin1(name));
    card.close();
    writePeople(folder, 2);

    Table source;
    source.setDatabaseName(folder);
    source.setTableName(QStringLiteral("people.dbf"));
    BatchMove move;
    move.setSource(&source);
    move.setDestination(&card);
    move.setMode(BatchMoveMode::Replace);
    move.setMappings({QStringLiteral("Last_name=LAST_NAME")});
    move.execute();
    QCOMPARE(move.movedCount(), 2);
    QCOMPARE(cardsBySqlite(folder + QStringLiteral("cardset1.DB")),
             (QStringList{QStringLiteral("4|Person 1"), QStringLiteral("5|Person 2")}));

    // An empty source empties the card table.
    source.setTableName(QStringLiteral("empty.dbf"));
    source.setTableType(TableType::DBase);
    source.setFieldDefs({{QStringLiteral("LAST_NAME"), FieldType::String, 40}});
    source.createTable();
    move.execute();
    QCOMPARE(move.movedCount(), 0);
    QVERIFY(cardsBySqlite(folder + QStringLiteral("cardset1.DB")).isEmpty());
}

QTEST_GUILESS_MAIN(TestBatchMoveCard)
#include "test_batchmove_card.moc"
