// dBASE and FoxPro tables: the real tables of shared/fixtures/dbase read as
// their summaries and python3-dbf say, what we write opens in python3-dbf
// with the same definitions and values, and damaged files give clear errors.
#include "engine/BatchMove.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/dbase/DbaseDriver.h"
#include "engine/dbase/DbfFile.h"
#include "engine/paradox/CodePages.h"
#include "engine/text/Cp1252.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace vellora;

namespace {

QString fixtureDir()
{
    const QString root = qEnvironmentVariable("VELLORA_FIXTURES");
    const QString dir = QDir(root).filePath(QStringLiteral("dbase"));
    return !root.isEmpty() && QFileInfo::exists(dir + QStringLiteral("/README.md")) ? dir : QString();
}

#define REQUIRE_FIXTURES(dir)                                                                        \
    const QString dir = fixtureDir();                                                                \
    if (dir.isEmpty())                                                                               \
        QSKIP("VELLORA_FIXTURES does not point at a folder with dbase/ tables (set it to shared/fixtures)");

QString oracleScript()
{
    return QDir(qEnvironmentVariable("VELLORA_SOURCE_DIR")).filePath(QStringLiteral("tests/engine/oracle/dbf_dump.py"));
}

// The table as python3-dbf reads it (see oracle/dbf_dump.py).
QJsonObject oracle(const QString &path, const QString &codePage = QString())
{
    QProcess p;
    QStringList args{QStringLiteral("-W"), QStringLiteral("ignore"), oracleScript(), path};
    if (!codePage.isEmpty())
        args << codePage;
    p.start(QStringLiteral("/usr/bin/python3"), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning().noquote() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

struct SummaryField {
    QString name;
    QString type;
    int length = 0;
    int decimals = 0;
};

struct Summary {
    int version = 0;
    int records = 0;
    QList<SummaryField> fields;
};

Summary readSummary(const QString &path)
{
    Summary s;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return s;
    bool inFields = false;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Type: ("))) {
            s.version = line.mid(7, 2).toInt(nullptr, 16);
        } else if (line.startsWith(QLatin1String("Records: "))) {
            s.records = line.mid(9).trimmed().toInt();
        } else if (line.startsWith(QLatin1String("-----"))) {
            inFields = true;
        } else if (inFields && !line.trimmed().isEmpty()) {
            const QStringList parts = line.simplified().split(QLatin1Char(' '));
            if (parts.size() >= 4)
                s.fields.append({parts[0], parts[1], parts[2].toInt(), parts[3].toInt()});
        }
    }
    return s;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Our text of a value against python3-dbf's JSON value.
bool sameValue(const QString &ours, const QJsonValue &theirs, QString *why)
{
    if (theirs.isNull()) {
        if (ours.trimmed().isEmpty())
            return true;
        *why = QStringLiteral("expected null, got '%1'").arg(ours);
        return false;
    }
    if (theirs.isBool()) {
        const QString want = theirs.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        if (ours == want)
            return true;
        *why = QStringLiteral("expected %1, got '%2'").arg(want, ours);
        return false;
    }
    if (theirs.isDouble()) {
        bool ok = false;
        const double v = ours.toDouble(&ok);
        if (ok && std::fabs(v - theirs.toDouble()) <= 1e-9 * std::max(1.0, std::fabs(v)))
            return true;
        *why = QStringLiteral("expected %1, got '%2'").arg(theirs.toDouble(), 0, 'g', 17).arg(ours);
        return false;
    }
    const QString want = theirs.toString();
    QString mine = ours;
    while (mine.endsWith(QLatin1Char(' ')) || mine.endsWith(QLatin1Char('\n')) || mine.endsWith(QLatin1Char('\r')))
        mine.chop(1);
    QString w = want;
    while (w.endsWith(QLatin1Char(' ')) || w.endsWith(QLatin1Char('\n')) || w.endsWith(QLatin1Char('\r')))
        w.chop(1);
    if (mine == w)
        return true;
    *why = QStringLiteral("expected '%1', got '%2'").arg(w.left(80), mine.left(80));
    return false;
}

// Every row and field of a table opened with the engine against the oracle.
// recode: our texts are taken back to the file's bytes (Windows-1252) and
// read in that code page, for tables that name none.
void compareWithOracle(const QString &path, const QJsonObject &o, int recode = 0)
{
    Table t;
    t.setDatabaseName(QFileInfo(path).absolutePath());
    t.setTableName(QFileInfo(path).fileName());
    t.open();
    const QJsonArray fields = o.value(QStringLiteral("fields")).toArray();
    const QJsonArray rows = o.value(QStringLiteral("rows")).toArray();
    QCOMPARE(t.fieldCount(), fields.size());
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(t.field(i).name().toLower(), fields[i].toArray()[0].toString().toLower());
    QCOMPARE(t.recordCount(), rows.size());
    int r = 0;
    for (t.first(); !t.eof(); t.next(), ++r) {
        const QJsonArray row = rows[r].toArray();
        for (int i = 0; i < t.fieldCount(); ++i) {
            QString ours = t.field(i).asString();
            if (recode) {
                const QByteArray bytes = ToCp1252(ours);
                paradox::TextDecoder dec(recode);
                ours = dec.decode(bytes.constData(), bytes.size());
            }
            QString why;
            if (!sameValue(ours, row[i], &why))
                QFAIL(qPrintable(QStringLiteral("%1 row %2 field %3: %4")
                                     .arg(QFileInfo(path).fileName())
                                     .arg(r + 1)
                                     .arg(t.field(i).name(), why)));
        }
    }
    QCOMPARE(r, rows.size());
}


} // namespace

class TestDbase : public QObject {
    Q_OBJECT
private slots:
    void fixturesReadAsTheirSummaries_data();
    void fixturesReadAsTheirSummaries();
    void fixturesReadAsPythonDbfReadsThem_data();
    void fixturesReadAsPythonDbfReadsThem();
    void fixtureValuesThatPythonDbfCannotRead();
    void writtenTablesOpenInPythonDbf();
    void appendEmptyAndKeyViolations();
    void foxProTablesAreWrittenWithFptMemos();
    void fieldNamesAreShortenedToUniqueNames();
    void damagedFilesGiveClearErrors_data();
    void damagedFilesGiveClearErrors();
    void changeFieldTypeKeepsTheData();
};

void TestDbase::fixturesReadAsTheirSummaries_data()
{
    QTest::addColumn<QString>("name");
    for (const char *n : {"dbase_02", "dbase_03", "dbase_03_cyrillic", "dbase_30", "dbase_31", "dbase_32",
                          "dbase_83", "dbase_8b", "dbase_f5"})
        QTest::newRow(n) << QString::fromLatin1(n);
}

void TestDbase::fixturesReadAsTheirSummaries()
{
    REQUIRE_FIXTURES(dir);
    QFETCH(QString, name);
    const Summary s = readSummary(dir + QLatin1Char('/') + name + QStringLiteral("_summary.txt"));
    QVERIFY(!s.fields.isEmpty());
    const QByteArray bytes = fileBytes(dir + QLatin1Char('/') + name + QStringLiteral(".dbf"));
    dbase::DbfFile dbf;
    dbf.parse(bytes.constData(), bytes.size(), name);
    QCOMPARE(dbf.version(), s.version);
    QCOMPARE(int(dbf.recordCount()), s.records);
    QCOMPARE(dbf.allFields().size(), s.fields.size());
    for (int i = 0; i < s.fields.size(); ++i) {
        const dbase::DbfField &f = dbf.allFields()[i];
        QCOMPARE(f.name, s.fields[i].name);
        QCOMPARE(QString(QLatin1Char(f.type)), s.fields[i].type);
        QCOMPARE(f.length, s.fields[i].length);
        // FoxBase keeps decimals in the descriptor's last byte, which the
        // summary's reader does not look at: PAYRATE holds "   6.000".
        if (dbf.version() == 0x02 && f.type == 'N')
            QCOMPARE(f.decimals, f.name.contains(QLatin1String("PAY")) ? 3 : 0);
        else
            QCOMPARE(f.decimals, s.fields[i].decimals);
    }
    // Every record reads through the engine, memos included; the table's
    // rows are the records not marked deleted.
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(name + QStringLiteral(".dbf"));
    t.open();
    QCOMPARE(t.kindName(), QStringLiteral("DBASE"));
    int deleted = 0;
    for (qint64 r = 0; r < dbf.recordCount(); ++r)
        deleted += dbf.isDeleted(r);
    QCOMPARE(t.recordCount(), s.records - deleted);
    int n = 0;
    for (t.first(); !t.eof(); t.next(), ++n)
        for (int i = 0; i < t.fieldCount(); ++i)
            (void)t.field(i).asString();
    QCOMPARE(n, t.recordCount());
}

void TestDbase::fixturesReadAsPythonDbfReadsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("oracleCodePage");
    QTest::addColumn<int>("recode");
    QTest::newRow("dBASE III with memo, no code page") << "dbase_83" << "cp437" << 437;
    QTest::newRow("FoxPro 2 with memo, no code page") << "dbase_f5" << "cp437" << 437;
    QTest::newRow("Visual FoxPro with memo, 1252") << "dbase_30" << "" << 0;
    QTest::newRow("UTF-8 language driver") << "dbase_03_cyrillic" << "" << 0;
}

void TestDbase::fixturesReadAsPythonDbfReadsThem()
{
    REQUIRE_FIXTURES(dir);
    QFETCH(QString, name);
    QFETCH(QString, oracleCodePage);
    QFETCH(int, recode);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".dbf");
    const QJsonObject o = oracle(path, oracleCodePage);
    QVERIFY2(!o.isEmpty(), "python3-dbf could not read the table");
    compareWithOracle(path, o, recode);
}

void TestDbase::fixtureValuesThatPythonDbfCannotRead()
{
    REQUIRE_FIXTURES(dir);
    // python3-dbf refuses these versions; values checked against the bytes.
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(QStringLiteral("dbase_02.dbf"));
    t.open();
    QCOMPARE(t.recordCount(), 9);
    QCOMPARE(t.field(0).name(), QStringLiteral("EMP:NMBR"));
    QCOMPARE(t.field(0).type(), FieldType::Smallint);
    QCOMPARE(t.fieldByName(QStringLiteral("LAST")).asString(), QStringLiteral("Stegman"));
    QCOMPARE(t.fieldByName(QStringLiteral("PAYRATE")).asString(), QStringLiteral("6.000"));
    QCOMPARE(t.fieldByName(QStringLiteral("HIREDATE")).asString(), QStringLiteral("07/31/82"));
    t.close();

    // Visual FoxPro auto-increment: the first field numbers the rows;
    // currency has four decimals; the null flags are hidden.
    t.setTableName(QStringLiteral("dbase_31.dbf"));
    t.open();
    QCOMPARE(t.fieldCount(), 10);
    QCOMPARE(t.field(0).type(), FieldType::AutoInc);
    QCOMPARE(t.fieldByName(QStringLiteral("UNITPRICE")).type(), FieldType::Money);
    QCOMPARE(t.field(0).asString(), QStringLiteral("1"));
    QCOMPARE(t.fieldByName(QStringLiteral("PRODUCTNAM")).asString(), QStringLiteral("Chai"));
    QCOMPARE(t.fieldByName(QStringLiteral("QUANTITYPE")).asString(), QStringLiteral("10 boxes x 20 bags"));
    QCOMPARE(t.fieldByName(QStringLiteral("UNITPRICE")).asString(), QStringLiteral("18"));
    QCOMPARE(t.fieldByName(QStringLiteral("UNITSINSTO")).asString(), QStringLiteral("39"));
    QCOMPARE(t.fieldByName(QStringLiteral("DISCONTINU")).asString(), QStringLiteral("False"));
    t.last();
    QCOMPARE(t.field(0).asString(), QStringLiteral("77"));
    t.close();

    // Varchar: the length is in the field's last byte, told by the null flags.
    t.setTableName(QStringLiteral("dbase_32.dbf"));
    t.open();
    QCOMPARE(t.fieldCount(), 1);
    QCOMPARE(t.field(0).asString(), QStringLiteral("Bad Meets Evil"));
    t.close();

    // dBASE IV memos carry their length.
    t.setTableName(QStringLiteral("dbase_8b.dbf"));
    t.open();
    QCOMPARE(t.recordCount(), 10);
    bool sawMemo = false;
    for (t.first(); !t.eof(); t.next())
        for (int i = 0; i < t.fieldCount(); ++i)
            if (t.field(i).type() == FieldType::Memo && !t.field(i).asString().isEmpty())
                sawMemo = true;
    QVERIFY(sawMemo);
}

void TestDbase::writtenTablesOpenInPythonDbf()
{
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("people.dbf"));
    t.setTableType(TableType::DBase);
    t.setFieldDefs({{QStringLiteral("Card_Number"), FieldType::AutoInc, 0},
                    {QStringLiteral("Last_Name"), FieldType::String, 30},
                    {QStringLiteral("Notes"), FieldType::String, 2048},
                    {QStringLiteral("Born"), FieldType::Date, 0},
                    {QStringLiteral("Active"), FieldType::Boolean, 0},
                    {QStringLiteral("Salary"), FieldType::Money, 0},
                    {QStringLiteral("Ratio"), FieldType::Float, 0},
                    {QStringLiteral("Count"), FieldType::Smallint, 0},
                    {QStringLiteral("Big"), FieldType::LargeInt, 0},
                    {QStringLiteral("Memo"), FieldType::Memo, 0}});
    t.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("Card_Number")}, true, true}});
    t.createTable();
    // Integer numbering becomes N(11,0); long texts become memos.
    QCOMPARE(t.fieldDefs()[0].name, QStringLiteral("Card_Numbe"));
    QCOMPARE(t.fieldDefs()[0].type, FieldType::Integer);
    QCOMPARE(t.fieldDefs()[2].type, FieldType::Memo);
    t.open();
    struct Row {
        int n;
        QString name, notes;
        QDate born;
        bool active;
        double salary, ratio;
        int count;
        qint64 big;
        QString memo;
    };
    const QList<Row> rows{
        {1, QStringLiteral("Müller-Lüdenscheidt"), QString(3000, QLatin1Char('x')), QDate(1970, 2, 28), true, 1234.5, 0.125, -7,
         1234567890123LL, QStringLiteral("line one\r\nline two")},
        {2, QStringLiteral("O'Brien, \"Jr\""), QStringLiteral("short"), QDate(2000, 1, 1), false, -0.25, -3.5e-3, 32767,
         -5, QString()},
        {3, QString(), QString(), QDate(), false, 0, 0, 0, 0, QStringLiteral("café")},
    };
    for (const Row &r : rows) {
        t.append();
        t.field(0).setValue(r.n);
        if (!r.name.isEmpty())
            t.field(1).setAsString(r.name);
        if (!r.notes.isEmpty())
            t.field(2).setAsString(r.notes);
        if (r.born.isValid())
            t.field(3).setValue(r.born);
        t.field(4).setValue(r.active);
        t.field(5).setValue(r.salary);
        t.field(6).setValue(r.ratio);
        t.field(7).setValue(r.count);
        t.field(8).setValue(r.big);
        if (!r.memo.isEmpty())
            t.field(9).setAsString(r.memo);
        t.post();
    }
    t.close();

    const QJsonObject o = oracle(tmp.filePath(QStringLiteral("people.dbf")));
    QVERIFY2(!o.isEmpty(), "python3-dbf could not read what we wrote");
    QCOMPARE(o.value(QStringLiteral("version")).toInt(), 0x83);
    const QJsonArray fields = o.value(QStringLiteral("fields")).toArray();
    const QStringList expected{"card_numbe:N:11:0", "last_name:C:30:0", "notes:M:10:0", "born:D:8:0",
                               "active:L:1:0", "salary:N:20:4", "ratio:N:20:6", "count:N:6:0",
                               "big:N:20:0", "memo:M:10:0"};
    QStringList got;
    for (const QJsonValue &f : fields) {
        const QJsonArray a = f.toArray();
        got << QStringLiteral("%1:%2:%3:%4").arg(a[0].toString()).arg(a[1].toString()).arg(a[2].toInt()).arg(a[3].toInt());
    }
    QCOMPARE(got, expected);
    compareWithOracle(tmp.filePath(QStringLiteral("people.dbf")), o);
    const QJsonArray r0 = o.value(QStringLiteral("rows")).toArray()[0].toArray();
    QCOMPARE(r0[1].toString(), QStringLiteral("Müller-Lüdenscheidt"));
    QCOMPARE(r0[2].toString().size(), 3000);
    QCOMPARE(r0[3].toString(), QStringLiteral("1970-02-28"));
}

void TestDbase::appendEmptyAndKeyViolations()
{
    QTemporaryDir tmp;
    Table src;
    src.setDatabaseName(tmp.path());
    src.setTableName(QStringLiteral("src.dbf"));
    src.setFieldDefs({{QStringLiteral("ID"), FieldType::Integer, 0}, {QStringLiteral("NAME"), FieldType::String, 20}});
    src.createTable();
    src.open();
    for (int i : {1, 2, 2, 3, 1}) {
        src.append();
        src.field(0).setValue(i);
        src.field(1).setAsString(QStringLiteral("n%1").arg(i));
        src.post();
    }
    src.close();

    Table dst;
    dst.setDatabaseName(tmp.path());
    dst.setTableName(QStringLiteral("dst.dbf"));
    dst.setFieldDefs({{QStringLiteral("ID"), FieldType::Integer, 0}, {QStringLiteral("NAME"), FieldType::String, 20}});
    dst.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("ID")}, true, true}});
    dst.createTable();

    BatchMove move;
    move.setSource(&src);
    move.setDestination(&dst);
    move.setAbortOnKeyViolation(false);
    move.setAbortOnProblem(false);
    move.execute();
    QCOMPARE(move.movedCount(), 3);
    QCOMPARE(move.keyViolationCount(), 2);
    // The key survives closing: a second move finds every key taken.
    move.execute();
    QCOMPARE(move.movedCount(), 0);
    QCOMPARE(move.keyViolationCount(), 5);
    const QJsonObject o = oracle(tmp.filePath(QStringLiteral("dst.dbf")));
    QCOMPARE(o.value(QStringLiteral("rows")).toArray().size(), 3);

    dst.emptyTable();
    dst.open();
    QCOMPARE(dst.recordCount(), 0);
    dst.close();
    QCOMPARE(oracle(tmp.filePath(QStringLiteral("dst.dbf"))).value(QStringLiteral("rows")).toArray().size(), 0);
    move.execute();
    QCOMPARE(move.movedCount(), 3);

    // Deleting marks the record; the oracle and we skip it.
    dst.open();
    dst.first();
    dst.deleteRecord();
    QCOMPARE(dst.recordCount(), 2);
    dst.close();
    QCOMPARE(oracle(tmp.filePath(QStringLiteral("dst.dbf"))).value(QStringLiteral("rows")).toArray().size(), 2);
}

void TestDbase::foxProTablesAreWrittenWithFptMemos()
{
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("fox.dbf"));
    t.setTableType(TableType::FoxPro);
    t.setFieldDefs({{QStringLiteral("NAME"), FieldType::String, 10}, {QStringLiteral("TEXT"), FieldType::Memo, 0}});
    t.createTable();
    t.open();
    QCOMPARE(t.kindName(), QStringLiteral("FOXPRO"));
    for (int i = 0; i < 50; ++i) {
        t.append();
        t.field(0).setAsString(QStringLiteral("r%1").arg(i));
        t.field(1).setAsString(QString(i * 7, QLatin1Char('a' + i % 26)));
        t.post();
    }
    t.close();
    QVERIFY(QFileInfo::exists(tmp.filePath(QStringLiteral("fox.fpt"))));
    const QJsonObject o = oracle(tmp.filePath(QStringLiteral("fox.dbf")));
    QCOMPARE(o.value(QStringLiteral("version")).toInt(), 0xF5);
    compareWithOracle(tmp.filePath(QStringLiteral("fox.dbf")), o);
}

void TestDbase::fieldNamesAreShortenedToUniqueNames()
{
    using engine::shortenFieldNames;
    QCOMPARE(shortenFieldNames({QStringLiteral("Card_Number"), QStringLiteral("Sparefield1"),
                                QStringLiteral("Sparefield2"), QStringLiteral("Last Name")},
                               10),
             QStringList({"Card_Numbe", "Sparefiel1", "Sparefiel2", "Last_Name"}));
    QCOMPARE(shortenFieldNames({QStringLiteral("Department_A"), QStringLiteral("Department_B"),
                                QStringLiteral("DEPARTMENT")},
                               10),
             QStringList({"Department", "Departmen1", "DEPARTMEN2"}));

    // A table made from the card table's definitions, and a batch move whose
    // mapping uses the new table's names.
    QTemporaryDir tmp;
    Table card;
    card.setDatabaseName(tmp.path());
    card.setTableName(QStringLiteral("cards.dbf"));
    card.setFieldDefs({{QStringLiteral("Card_Number"), FieldType::Integer, 0},
                       {QStringLiteral("Sparefield1"), FieldType::String, 40},
                       {QStringLiteral("Sparefield2"), FieldType::String, 40}});
    card.createTable();
    card.open();
    card.append();
    card.field(0).setValue(5);
    card.field(1).setAsString(QStringLiteral("one"));
    card.field(2).setAsString(QStringLiteral("two"));
    card.post();

    Table out;
    out.setDatabaseName(tmp.path());
    out.setTableName(QStringLiteral("export.dbf"));
    out.setFieldDefs({{QStringLiteral("Card_Number"), FieldType::AutoInc, 0},
                      {QStringLiteral("Sparefield1"), FieldType::String, 40},
                      {QStringLiteral("Sparefield2"), FieldType::String, 40}});
    out.createTable();
    QStringList map;
    for (int i = 0; i < 3; ++i)
        map << out.fieldDefs()[i].name + QLatin1Char('=') + card.fieldNames()[i];
    BatchMove move;
    move.setSource(&card);
    move.setDestination(&out);
    move.setMappings(map);
    move.execute();
    QCOMPARE(move.movedCount(), 1);
    out.open();
    QCOMPARE(out.fieldNames(), QStringList({"Card_Numbe", "Sparefiel1", "Sparefiel2"}));
    QCOMPARE(out.field(2).asString(), QStringLiteral("two"));
}

void TestDbase::damagedFilesGiveClearErrors_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("expected");
    QTest::newRow("truncated table") << "truncate" << "ends in record";
    QTest::newRow("memo pointer beyond its file") << "pointer" << "points beyond its end";
    QTest::newRow("missing memo file") << "nomemo" << "is missing";
    QTest::newRow("not a table") << "garbage" << "is not a dBASE table";
    QTest::newRow("empty file") << "empty" << "too short";
}

void TestDbase::damagedFilesGiveClearErrors()
{
    REQUIRE_FIXTURES(dir);
    QFETCH(QString, damage);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    QByteArray dbf = fileBytes(dir + QStringLiteral("/dbase_83.dbf"));
    QByteArray dbt = fileBytes(dir + QStringLiteral("/dbase_83.dbt"));
    if (damage == QLatin1String("truncate"))
        dbf.truncate(dbf.size() / 2);
    else if (damage == QLatin1String("pointer"))
        dbt.truncate(1024);
    else if (damage == QLatin1String("garbage"))
        dbf = QByteArray("\x41this is just some text that goes on and on for a while longer than a header");
    else if (damage == QLatin1String("empty"))
        dbf.clear();
    writeBytes(tmp.filePath(QStringLiteral("t.dbf")), dbf);
    if (damage != QLatin1String("nomemo"))
        writeBytes(tmp.filePath(QStringLiteral("t.dbt")), dbt);
    const QByteArray before = fileBytes(tmp.filePath(QStringLiteral("t.dbf")));
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("t.dbf"));
    QString message;
    try {
        t.open();
        for (t.first(); !t.eof(); t.next())
            for (int i = 0; i < t.fieldCount(); ++i)
                (void)t.field(i).asString();
    } catch (const EngineError &e) {
        message = e.message();
    }
    QVERIFY2(message.contains(expected), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("t.d")), qPrintable(message));
    if (damage == QLatin1String("pointer") || damage == QLatin1String("nomemo"))
        QVERIFY2(message.contains(QStringLiteral("record")), qPrintable(message));
    QCOMPARE(fileBytes(tmp.filePath(QStringLiteral("t.dbf"))), before);
}

void TestDbase::changeFieldTypeKeepsTheData()
{
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("r.dbf"));
    t.setFieldDefs({{QStringLiteral("ID"), FieldType::String, 10}, {QStringLiteral("NAME"), FieldType::String, 20}});
    t.createTable();
    t.open();
    for (int i = 1; i <= 3; ++i) {
        t.append();
        t.field(0).setAsString(QString::number(i * 10));
        t.field(1).setAsString(QStringLiteral("n%1").arg(i));
        t.post();
    }
    t.close();
    t.setExclusive(true);
    t.open();
    t.changeFieldType(0, {QString(), FieldType::Integer, 0});
    QVERIFY(!t.isOpen());
    t.open();
    QCOMPARE(t.field(0).type(), FieldType::Integer);
    t.last();
    QCOMPARE(t.field(0).value().toLongLong(), 30);
    QCOMPARE(t.field(1).asString(), QStringLiteral("n3"));
    const QJsonObject o = oracle(tmp.filePath(QStringLiteral("r.dbf")));
    QCOMPARE(o.value(QStringLiteral("fields")).toArray()[0].toArray()[1].toString(), QStringLiteral("N"));
}

QTEST_GUILESS_MAIN(TestDbase)
#include "test_dbase.moc"
