// Card table files on the disk: damaged files are refused and left alone;
// legacy Paradox tables and card tables of the earlier format are converted
// in place with their originals kept; other SQLite tools read the cards by
// field name.
#include "CardTables.h"
#include "PxCardWriter.h"

#include "engine/paradox/ParadoxReader.h"
#include "support/TempProgramFolder.h"

#include <QProcess>
#include <QtTest>

#include <sqlite3.h>

using namespace vellora;
using vellora::test::TempProgramFolder;

class TestTableFiles : public QObject {
    Q_OBJECT

    static QStringList names() { return {"Last_name", "First_name", "Title", "Department", "Sparefield1",
                                         "Sparefield2", "MagStripe1", "MagStripe2", "MagStripe3"}; }
    static QList<int> widths() { return {30, 30, 30, 30, 30, 30, 79, 40, 107}; }

    // Runs sql on file in SQLite's own shell, as an operator would.
    static QString sqliteShell(const QString &file, const QString &sql)
    {
        QProcess p;
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file, sql});
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return QStringLiteral("sqlite3 failed: ") + QString::fromUtf8(p.readAllStandardError());
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    static QString openTableIn(Table &t, const QString &data, const QString &name = QStringLiteral("cardset1.DB"))
    {
        t.setDatabaseName(data);
        t.setTableName(name);
        t.setCachedUpdates(true);
        t.open();
        return data + QLatin1Char('/') + name;
    }

    // A card table as the earlier format wrote it: rows in "rows", columns
    // c0, c1, ..., the fields described in the side tables.
    static void writeOldFormatTable(const QString &path, const QString &rowsSql, bool keyed)
    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        QString sql = QStringLiteral(
            "CREATE TABLE rows (c0 %1, c1 TEXT, c2 TEXT, c3 REAL, c4 TEXT);"
            "CREATE TABLE engine_fields (position INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT NULL, "
            "  size INTEGER NOT NULL);"
            "CREATE TABLE engine_indexes (position INTEGER PRIMARY KEY, name TEXT NOT NULL, fields TEXT NOT NULL, "
            "  is_primary INTEGER NOT NULL, is_unique INTEGER NOT NULL);"
            "CREATE TABLE engine_counters (field INTEGER PRIMARY KEY, last INTEGER NOT NULL);"
            "INSERT INTO engine_fields VALUES (0, 'Card_Number', 'AutoInc', 0), (1, 'Last_name', 'String', 30),"
            "  (2, 'First_name', 'String', 30), (3, 'Fee', 'Currency', 0), (4, 'Issued', 'Date', 0);"
            "INSERT INTO engine_counters VALUES (0, 41);")
                          .arg(keyed ? QStringLiteral("INTEGER PRIMARY KEY") : QStringLiteral("INTEGER"));
        if (keyed)
            sql += QStringLiteral("INSERT INTO engine_indexes VALUES (0, '', 'Card_Number', 1, 1);"
                                  "INSERT INTO engine_indexes VALUES (1, 'byname', 'Last_name\nFirst_name', 0, 0);"
                                  "CREATE INDEX ix2 ON rows (c1, c2);");
        sql += rowsSql;
        sql += QStringLiteral("PRAGMA application_id = 1447840068; PRAGMA user_version = 1;");
        char *err = nullptr;
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
        const QString message = err ? QString::fromUtf8(err) : QString();
        sqlite3_free(err);
        sqlite3_close(db);
        QVERIFY2(rc == SQLITE_OK, qPrintable(message));
    }

private slots:
    void damagedFilesAreRefusedAndKept_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("empty") << "empty";
        QTest::newRow("truncated to half") << "half";
        QTest::newRow("truncated inside the header") << "header";
        QTest::newRow("garbage") << "garbage";
        QTest::newRow("garbage pages after a good header") << "pages";
        QTest::newRow("other SQLite database") << "foreign";
        QTest::newRow("written by a newer version") << "newer";
    }

    void damagedFilesAreRefusedAndKept()
    {
        QFETCH(QString, damage);
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        test::createCardTable(data);
        const QString path = data + QStringLiteral("/cardset1.DB");
        {
            Table t;
            t.setDatabaseName(data);
            t.setTableName(QStringLiteral("cardset1.DB"));
            t.setCachedUpdates(true);
            t.open();
            for (int i = 0; i < 2000; ++i)
                test::addCard(t, QStringLiteral("Name %1 with some text to fill pages").arg(i));
            t.commitUpdates();
        }
        QByteArray bytes = test::fileBytes(path);
        QVERIFY(bytes.size() > 100000);
        if (damage == QLatin1String("empty"))
            bytes.clear();
        else if (damage == QLatin1String("half"))
            bytes.truncate(bytes.size() / 2);
        else if (damage == QLatin1String("header"))
            bytes.truncate(60);
        else if (damage == QLatin1String("garbage"))
            for (int i = 0; i < bytes.size(); ++i)
                bytes[i] = char((i * 7919 + 13) & 0xff);
        else if (damage == QLatin1String("pages"))
            for (int i = 4096; i < bytes.size(); ++i)
                bytes[i] = char((i * 31 + 7) & 0xff);
        else if (damage == QLatin1String("newer")) {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, "PRAGMA user_version = 3", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
            bytes = test::fileBytes(path);
        } else if (damage == QLatin1String("foreign")) {
            QFile::remove(path);
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
            sqlite3_exec(db, "CREATE TABLE x(a); INSERT INTO x VALUES(1);", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            bytes = test::fileBytes(path);
        }
        if (damage != QLatin1String("foreign") && damage != QLatin1String("newer")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("cardset1.DB"));
        t.setCachedUpdates(true);
        try {
            t.open();
            QFAIL("a damaged table opened");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("cardset1.DB")), qPrintable(e.message()));
        }
        QVERIFY(!t.isOpen());
        QCOMPARE(test::fileBytes(path), bytes);   // never overwritten
        QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("cardset1.DB")});
    }

    void paradoxTableIsConvertedInPlace()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        QDir().mkpath(data);
        const QString path = data + QStringLiteral("/cardset1.DB");
        QList<test::PxCard> cards{
            {3, {"Müller", "Jürgen", "Dr.", "Entwicklung", "", "x", "%B123^MÜLLER?", "", ""}},
            {7, {"O'Brien", "Seán", "", "Sales", "", "", "", ";1234?", ""}},
            {12, {QString(30, QLatin1Char('w')), "", "", "", "", "", "", "", QString(107, QLatin1Char('9'))}},
        };
        QVERIFY(test::writePxCardTable(path, names(), widths(), cards, 20));
        // A primary index and memo file of the family, kept as they are.
        for (const char *ext : {".PX", ".MB"}) {
            QFile f(data + QStringLiteral("/cardset1") + QLatin1String(ext));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("legacy ") + ext);
        }
        const QByteArray original = test::fileBytes(path);
        {
            paradox::ParadoxReader r;
            r.open(path);
            QCOMPARE(r.info().nextAutoInc, 20);
        }

        Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("CARDSET1.db"));
        t.setCachedUpdates(true);
        t.open();
        QCOMPARE(t.fieldCount(), 10);
        QCOMPARE(t.field(0).name(), QStringLiteral("Card_Number"));
        QCOMPARE(t.field(0).type(), FieldType::AutoInc);
        for (int i = 1; i < 10; ++i) {
            QCOMPARE(t.field(i).name(), names()[i - 1]);
            QCOMPARE(t.field(i).type(), FieldType::String);
            QCOMPARE(t.field(i).size(), widths()[i - 1]);
        }
        QCOMPARE(t.recordCount(), 3);
        int k = 0;
        for (t.first(); !t.eof(); t.next(), ++k) {
            QCOMPARE(t.field(0).value().toLongLong(), cards[k].number);
            for (int i = 1; i < 10; ++i)
                QCOMPARE(t.field(i).asString(), cards[k].texts[i - 1]);
        }
        test::addCard(t, QStringLiteral("New"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("20"));   // after the highest ever handed out
        t.commitUpdates();
        t.close();

        QVERIFY(test::fileBytes(path).startsWith("SQLite format 3"));
        const QStringList legacy = QDir(data).entryList({QStringLiteral("legacy-*")}, QDir::Dirs);
        QCOMPARE(legacy.size(), 1);
        const QString kept = data + QLatin1Char('/') + legacy.first();
        QCOMPARE(test::fileBytes(kept + QStringLiteral("/cardset1.DB")), original);
        QCOMPARE(test::fileBytes(kept + QStringLiteral("/cardset1.PX")), QByteArray("legacy .PX"));
        QCOMPARE(test::fileBytes(kept + QStringLiteral("/cardset1.MB")), QByteArray("legacy .MB"));
        QVERIFY(!QFileInfo::exists(data + QStringLiteral("/cardset1.PX")));

        // Converted once: the next open reads the card table as it is.
        t.open();
        QCOMPARE(t.recordCount(), 4);
        QCOMPARE(QDir(data).entryList({QStringLiteral("legacy-*")}, QDir::Dirs).size(), 1);
    }

    void failedConversionChangesNothing()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        QDir().mkpath(data);
        const QString path = data + QStringLiteral("/cardset1.DB");
        QList<test::PxCard> cards;
        for (int i = 1; i <= 3000; ++i)
            cards.append({i, {QStringLiteral("Name %1").arg(i), "First", "", "", "", "", "", "", ""}});
        QVERIFY(test::writePxCardTable(path, names(), widths(), cards));
        // Cut the table inside its data blocks: the header is intact, the
        // records are not all there.
        QByteArray bytes = test::fileBytes(path);
        bytes.truncate(bytes.size() * 2 / 3);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        const QStringList before = QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        Table t;
        t.setDatabaseName(data);
        t.setTableName(QStringLiteral("cardset1.DB"));
        try {
            t.open();
            QFAIL("a damaged Paradox table was converted");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("cardset1.DB")), qPrintable(e.message()));
        }
        QCOMPARE(test::fileBytes(path), bytes);
        QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }
    void otherToolsReadTheCardsByFieldName()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        test::createCardTable(data);
        Table t;
        const QString path = openTableIn(t, data);
        test::addCard(t, QStringLiteral("Müller"), QStringLiteral("Jürgen"));
        test::addCard(t, QStringLiteral("O'Brien"), QStringLiteral("Seán"));
        t.commitUpdates();

        // Read while the program has the table open.
        QCOMPARE(sqliteShell(path, QStringLiteral("select First_name from cardset1 order by Card_Number")),
                 QStringLiteral("Jürgen\nSeán"));
        QCOMPARE(sqliteShell(path, QStringLiteral("select Card_Number, Last_name from cardset1 "
                                                  "where First_name = 'Seán'")),
                 QStringLiteral("2|O'Brien"));
        QCOMPARE(sqliteShell(path, QStringLiteral("select group_concat(name || ' ' || type, ',') "
                                                  "from pragma_table_info('cardset1')")),
                 QStringLiteral("Card_Number INTEGER,Last_name VARCHAR(40),First_name VARCHAR(40),"
                                "Title VARCHAR(40),Department VARCHAR(40),Sparefield1 VARCHAR(40),"
                                "Sparefield2 VARCHAR(40),MagStripe1 VARCHAR(79),MagStripe2 VARCHAR(40),"
                                "MagStripe3 VARCHAR(107)"));
        t.close();

        // A card added by another tool is a card of the collection, and the
        // program numbers its next card after it.
        QCOMPARE(sqliteShell(path, QStringLiteral("insert into cardset1 (Last_name, First_name) "
                                                  "values ('Added', 'Elsewhere')")),
                 QString());
        openTableIn(t, data);
        QCOMPARE(t.recordCount(), 3);
        t.last();
        QCOMPARE(t.fieldByName(QStringLiteral("First_name")).asString(), QStringLiteral("Elsewhere"));
        test::addCard(t, QStringLiteral("Next"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("4"));
        t.commitUpdates();
    }

    // Field names that SQL must quote, one that hides SQLite's row id and
    // one that looks like a text placeholder all work through every
    // operation, and other tools see them as they are.
    void fieldNamesNeedingQuotesWork()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        QDir().mkpath(data);
        {
            Table t;
            t.setDatabaseName(data);
            t.setTableName(QStringLiteral("Staff list.DB"));
            t.setFieldDefs({{QStringLiteral("No."), FieldType::AutoInc, 0},
                            {QStringLiteral("rowid"), FieldType::String, 10},
                            {QStringLiteral("Say \"hi\""), FieldType::String, 20},
                            {QStringLiteral("100%1"), FieldType::Integer, 0},
                            {QStringLiteral("Fee"), FieldType::BCD, 2}});
            t.setIndexDefs({{QStringLiteral("bycode"), {QStringLiteral("rowid")}, false, true}});
            t.createTable();
        }
        Table t;
        const QString path = openTableIn(t, data, QStringLiteral("Staff list.DB"));
        for (int i = 0; i < 3; ++i) {
            t.append();
            t.field(1).setAsString(QStringLiteral("R%1").arg(i));
            t.field(2).setAsString(QStringLiteral("hello %1").arg(i));
            t.field(3).setAsString(QString::number(100 + i));
            t.field(4).setAsString(QStringLiteral("12.50"));
            t.post();
        }
        t.commitUpdates();
        t.first();
        t.deleteRecord();
        t.edit();
        t.field(2).setAsString(QStringLiteral("changed"));
        t.post();
        t.commitUpdates();
        QCOMPARE(sqliteShell(path, QStringLiteral("select \"No.\", rowid, \"Say \"\"hi\"\"\", \"100%1\", Fee "
                                                  "from \"Staff list\" order by 1")),
                 QStringLiteral("2|R1|changed|101|12.50\n3|R2|hello 2|102|12.50"));

        // A repeated key names its field.
        t.append();
        t.field(1).setAsString(QStringLiteral("R2"));
        t.post();
        try {
            t.commitUpdates();
            QFAIL("a repeated key was stored");
        } catch (const KeyViolationError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("rowid")), qPrintable(e.message()));
        }
        t.cancelUpdates();
        t.close();

        // Restructured: the column follows the field's new name and type.
        t.setExclusive(true);
        t.setCachedUpdates(true);
        t.open();
        t.changeFieldType(3, FieldChange{QStringLiteral("Count %2"), FieldType::String, 8});
        t.setExclusive(false);
        t.open();
        QCOMPARE(test::allRows(t), QStringList({QStringLiteral("2|R1|changed|101|12.50"),
                                                QStringLiteral("3|R2|hello 2|102|12.50")}));
        QCOMPARE(sqliteShell(path, QStringLiteral("select \"Count %2\" || '/' || typeof(\"Count %2\") "
                                                  "from \"Staff list\" order by 1")),
                 QStringLiteral("101/text\n102/text"));
    }

    void oldFormatIsConvertedOnOpen_data()
    {
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QStringList>("order");   // last names, in table order
        // Row ids out of the key's order and with gaps.
        QTest::newRow("numbered by a key")
            << true
            << QStringLiteral("INSERT INTO rows (rowid, c0, c1, c2, c3, c4) VALUES "
                              "(7, 7, 'Müller', 'Jürgen', 12.5, '2024-02-29'),"
                              "(3, 3, 'O''Brien', 'Seán', NULL, NULL),"
                              "(40, 40, 'Zed', '', 0.1, '1999-12-31');")
            << QStringList{QStringLiteral("O'Brien"), QStringLiteral("Müller"), QStringLiteral("Zed")};
        // Without a key the row ids are the cards' order.
        QTest::newRow("without a key, in the order stored")
            << false
            << QStringLiteral("INSERT INTO rows (rowid, c0, c1, c2, c3, c4) VALUES "
                              "(9, 7, 'Müller', 'Jürgen', 12.5, '2024-02-29'),"
                              "(5, 3, 'O''Brien', 'Seán', NULL, NULL),"
                              "(1, 40, 'Zed', '', 0.1, '1999-12-31');")
            << QStringList{QStringLiteral("Zed"), QStringLiteral("O'Brien"), QStringLiteral("Müller")};
    }

    void oldFormatIsConvertedOnOpen()
    {
        QFETCH(bool, keyed);
        QFETCH(QString, rows);
        QFETCH(QStringList, order);
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        QDir().mkpath(data);
        const QString path = data + QStringLiteral("/cardset1.DB");
        writeOldFormatTable(path, rows, keyed);
        const QByteArray original = test::fileBytes(path);

        Table t;
        openTableIn(t, data);
        QCOMPARE(t.fieldNames(), QStringList({QStringLiteral("Card_Number"), QStringLiteral("Last_name"),
                                              QStringLiteral("First_name"), QStringLiteral("Fee"),
                                              QStringLiteral("Issued")}));
        QCOMPARE(t.field(1).size(), 30);
        QCOMPARE(t.field(3).type(), FieldType::Money);
        QCOMPARE(t.indexDefs().size(), keyed ? 2 : 0);
        const QHash<QString, QString> cards{{QStringLiteral("O'Brien"), QStringLiteral("3|O'Brien|Seán||")},
                                            {QStringLiteral("Müller"), QStringLiteral("7|Müller|Jürgen|12.5|2024-02-29")},
                                            {QStringLiteral("Zed"), QStringLiteral("40|Zed||0.1|1999-12-31")}};
        QStringList expected;
        for (const QString &name : order)
            expected.append(cards[name]);
        QCOMPARE(test::allRows(t), expected);
        test::addCard(t, QStringLiteral("New"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("42"));   // after the counter kept
        t.commitUpdates();
        t.close();

        const QStringList legacy = QDir(data).entryList({QStringLiteral("legacy-*")}, QDir::Dirs);
        QCOMPARE(legacy.size(), 1);
        QCOMPARE(test::fileBytes(data + QLatin1Char('/') + legacy.first() + QStringLiteral("/cardset1.DB")),
                 original);
        QCOMPARE(sqliteShell(path, QStringLiteral("select group_concat(Last_name, ',') from "
                                                  "(select Last_name from cardset1 order by rowid)")),
                 (order + QStringList{QStringLiteral("New")}).join(QLatin1Char(',')));
        QCOMPARE(sqliteShell(path, QStringLiteral("select count(*) from sqlite_master where name = 'rows'")),
                 QStringLiteral("0"));

        // Converted once.
        openTableIn(t, data);
        QCOMPARE(t.recordCount(), 4);
        QCOMPARE(QDir(data).entryList({QStringLiteral("legacy-*")}, QDir::Dirs).size(), 1);
    }

    void damagedOldFormatIsNotConverted_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("unknown field type")
            << QStringLiteral("UPDATE engine_fields SET type = 'Nonsense' WHERE position = 2;");
        QTest::newRow("more fields than columns")
            << QStringLiteral("INSERT INTO engine_fields VALUES (5, 'Extra', 'String', 10);");
        QTest::newRow("index on a missing field")
            << QStringLiteral("UPDATE engine_indexes SET fields = 'Nobody' WHERE position = 1;");
    }

    void damagedOldFormatIsNotConverted()
    {
        QFETCH(QString, damage);
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        QDir().mkpath(data);
        const QString path = data + QStringLiteral("/cardset1.DB");
        writeOldFormatTable(path, QStringLiteral("INSERT INTO rows VALUES (1, 'A', 'B', 1, NULL);") + damage,
                            true);
        const QByteArray original = test::fileBytes(path);
        Table t;
        try {
            openTableIn(t, data);
            QFAIL("a damaged table was converted");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("cardset1.DB")), qPrintable(e.message()));
        }
        QCOMPARE(test::fileBytes(path), original);
        QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("cardset1.DB")});
    }
};

QTEST_MAIN(TestTableFiles)
#include "test_table_files.moc"
