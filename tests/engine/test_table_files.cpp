// Card table files on the disk: damaged files are refused and left alone;
// legacy Paradox tables are converted in place with their originals kept.
#include "CardTables.h"
#include "PxCardWriter.h"

#include "engine/paradox/ParadoxReader.h"
#include "support/TempProgramFolder.h"

#include <QtTest>

#include <sqlite3.h>

using namespace vellora;
using vellora::test::TempProgramFolder;

class TestTableFiles : public QObject {
    Q_OBJECT

    static QStringList names() { return {"Last_name", "First_name", "Title", "Department", "Sparefield1",
                                         "Sparefield2", "MagStripe1", "MagStripe2", "MagStripe3"}; }
    static QList<int> widths() { return {30, 30, 30, 30, 30, 30, 79, 40, 107}; }

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
        else if (damage == QLatin1String("foreign")) {
            QFile::remove(path);
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
            sqlite3_exec(db, "CREATE TABLE x(a); INSERT INTO x VALUES(1);", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            bytes = test::fileBytes(path);
        }
        if (damage != QLatin1String("foreign")) {
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
};

QTEST_MAIN(TestTableFiles)
#include "test_table_files.moc"
