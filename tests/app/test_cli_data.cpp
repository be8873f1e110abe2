// --import and --export of the real program file: a round trip card table
// -> each format -> a fresh card table keeps every value, what is written is
// read by other programs' readers (Python's csv module, python3-dbf, pxlib,
// sqlite3), and bad input ends with exit code 2 and the card table as it was.
#include "engine/Table.h"
#include "store/CardTable.h"
#include "support/TempProgramFolder.h"

extern "C" {
#include <paradox.h>
}

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runProgram(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(TempProgramFolder::builtProgramFolder() + "/vellora-id", args);
    Run r;
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Rows of a file as another program's reader sees them, every value as text.
const char *kReader = R"PY(
import sys, json, csv, sqlite3
kind, path = sys.argv[1], sys.argv[2]
rows = []
def text(v):
    return '' if v is None else str(v)
if kind == 'csv':
    raw = open(path, 'rb').read()
    enc = 'utf-8-sig' if raw.startswith(b'\xef\xbb\xbf') else 'cp1252'
    rows = [r for r in csv.reader(raw.decode(enc).splitlines(True))]
elif kind == 'text':
    sch = open(path[:-4] + '.sch', encoding='latin-1').read()
    enc = 'utf-8' if 'charset=utf' in sch.lower() else 'cp1252'
    sch = open(path[:-4] + '.sch', encoding=enc).read().splitlines()
    names = [l.split('=', 1)[1].split(',')[0] for l in sch if l.lower().startswith('field')]
    rows = [names] + [r for r in csv.reader(open(path, encoding=enc, newline=''))]
elif kind == 'dbase':
    import dbf
    t = dbf.Table(path); t.open()
    rows = [list(t.field_names)] + [[text(v).rstrip() for v in r] for r in t]
elif kind == 'card':
    c = sqlite3.connect(path)
    cur = c.execute('select * from cardset1 order by Card_Number')
    rows = [[d[0] for d in cur.description]] + [[text(v) for v in r] for r in cur]
print(json.dumps(rows))
)PY";

QList<QStringList> readWithPython(const QString &kind, const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kReader), kind, path});
    p.waitForFinished(60000);
    const QByteArray out = p.readAllStandardOutput();
    if (p.exitCode() != 0)
        qWarning().noquote() << p.readAllStandardError();
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(out).array()) {
        QStringList cells;
        for (const QJsonValue &v : row.toArray())
            cells << v.toString();
        rows << cells;
    }
    return rows;
}

void pxQuiet(pxdoc_t *, int, const char *, void *) {}

QList<QStringList> readWithPxlib(const QString &path)
{
    QList<QStringList> rows;
    pxdoc_t *px = PX_new3(pxQuiet, nullptr, nullptr, nullptr, nullptr);
    if (PX_open_file(px, QFile::encodeName(path).constData()) != 0)
        return rows;
    const int nf = PX_get_num_fields(px);
    pxfield_t *fields = PX_get_fields(px);
    QStringList names;
    for (int f = 0; f < nf; ++f)
        names << QString::fromLatin1(fields[f].px_fname);
    rows << names;
    QByteArray rec(PX_get_recordsize(px), '\0');
    for (int r = 0; r < PX_get_num_records(px); ++r) {
        if (!PX_get_record(px, r, rec.data()))
            break;
        char *p = rec.data();
        QStringList cells;
        for (int f = 0; f < nf; ++f) {
            if (fields[f].px_ftype == pxfLong) {
                long l = 0;
                cells << (PX_get_data_long(px, p, fields[f].px_flen, &l) == 1 ? QString::number(l) : QString());
            } else if (fields[f].px_ftype == pxfAlpha) {
                char *s = nullptr;
                // pxlib keeps the bytes; the table is in Windows-1252.
                cells << (PX_get_data_alpha(px, p, fields[f].px_flen, &s) == 1
                              ? QString::fromLatin1(QByteArray(s)).replace(QChar(0x80), QChar(0x20AC))
                              : QString());
                if (s)
                    px->free(px, s);
            } else {
                cells << QStringLiteral("?type %1").arg(int(fields[f].px_ftype));
            }
            p += fields[f].px_flen;
        }
        rows << cells;
    }
    PX_close(px);
    PX_delete(px);
    return rows;
}

// Values of the cards (without Card_Number), in the order of
// StandardCardFields() from its second field on.
QList<QStringList> sampleCards(bool beyond1252)
{
    QList<QStringList> cards{
        // Sparefield2, First_name, Last_name, Title, Department, Sparefield1, MagStripe1..3
        {"", "Jean Luc", "Picard", "Captain, \"Enterprise\"", "Brücke", "  indented", "%B123^PICARD/J^?", ";123=4?", "€ 100"},
        {"x", "Miles", "O'Brien", "Chief\r\nEngineer", "", "a,b,,c", "", "", ""},
        {"", "", "Müller-Lüdenscheidt", "Dr.", "Verwaltung", "", "", "", ""},
    };
    if (beyond1252)
        cards.append({"", "Zoë", "Łódź 日本", "", "trailing ", "", "", "", ""});
    return cards;
}

void fillCards(const QString &appFolder, const QList<QStringList> &cards)
{
    Table t;
    OpenCardTable(t, appFolder);
    const QStringList names = t.fieldNames();
    for (const QStringList &card : cards) {
        t.append();
        for (int f = 0; f < card.size(); ++f)
            t.fieldByName(names[f + 1]).setAsString(card[f]);
        t.post();
    }
    t.commitUpdates();
}

QList<QStringList> withNumbers(const QList<QStringList> &cards)
{
    QList<QStringList> rows;
    int n = 0;
    for (const QStringList &c : cards)
        rows << (QStringList{QString::number(++n)} + c);
    return rows;
}

QStringList cardFieldNames()
{
    QStringList names;
    for (const FieldDef &f : StandardCardFields())
        names << f.name;
    return names;
}

}  // namespace

class TestCliData : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsEveryValue_data();
    void roundTripKeepsEveryValue();
    void badInputEndsWithTwoAndChangesNothing_data();
    void badInputEndsWithTwoAndChangesNothing();
    void problemsAreCountedAndReplaceKeepsNumbering();
    void odbcBothWays();
};

void TestCliData::roundTripKeepsEveryValue_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<bool>("beyond1252");
    QTest::addColumn<QString>("map");
    QTest::newRow("csv") << "cards.csv" << "csv" << true << "";
    QTest::newRow("text") << "cards.txt" << "text" << true << "";
    // dBASE and Paradox tables are written in Windows-1252; dBASE names hold
    // ten characters, so the spare fields are paired by hand on the way back.
    QTest::newRow("dbase") << "cards.dbf" << "dbase" << false
                           << "Sparefield2=Sparefiel2,First_name=First_name,Last_name=Last_name,Title=Title,"
                              "Department=Department,Sparefield1=Sparefiel1,MagStripe1=MagStripe1,"
                              "MagStripe2=MagStripe2,MagStripe3=MagStripe3";
    QTest::newRow("paradox") << "cards.db" << "paradox" << false << "";
}

void TestCliData::roundTripKeepsEveryValue()
{
    QFETCH(QString, file);
    QFETCH(QString, reader);
    QFETCH(bool, beyond1252);
    QFETCH(QString, map);
    TempProgramFolder from, to;
    QVERIFY(from.isValid() && to.isValid());
    const QList<QStringList> cards = sampleCards(beyond1252);
    fillCards(from.path(), cards);
    QTemporaryDir out;
    const QString path = out.filePath(file);

    Run r = runProgram({"--folder", from.path(), "--export", path});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QStringLiteral("%1 records moved, 0 problems").arg(cards.size()));

    // Another reader sees every value.
    QList<QStringList> seen = reader == "paradox" ? readWithPxlib(path) : readWithPython(reader, path);
    QVERIFY(!seen.isEmpty());
    QStringList header = seen.takeFirst();
    if (reader == "dbase") {
        QCOMPARE(header.size(), 10);
        QCOMPARE(header.value(0), QStringLiteral("card_numbe"));
    } else {
        QCOMPARE(header, cardFieldNames());
    }
    QList<QStringList> expected = withNumbers(cards);
    if (reader == "dbase" || reader == "paradox")
        for (QStringList &row : expected)
            for (QString &v : row)
                while (v.endsWith(QLatin1Char(' ')))   // fixed-width fields keep no trailing blanks
                    v.chop(1);
    QCOMPARE(seen, expected);

    // Back into a fresh card table, read with sqlite3.
    QStringList args{"--folder", to.path(), "--import", path};
    if (!map.isEmpty())
        args << "--map" << map;
    r = runProgram(args);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QStringLiteral("%1 records moved, 0 problems").arg(cards.size()));
    seen = readWithPython("card", to.file("data/cardset1.DB"));
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.takeFirst(), cardFieldNames());
    QCOMPARE(seen, expected);
}

void TestCliData::badInputEndsWithTwoAndChangesNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("content");   // written to in.csv / in.dbf
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such file") << QStringList{"--import", "@/missing.csv"} << QByteArray() << "no file";
    QTest::newRow("unknown extension") << QStringList{"--import", "@/in.xyz"} << QByteArray("a") << "--format";
    QTest::newRow("unknown format") << QStringList{"--export", "@/out.x", "--format", "xls"} << QByteArray() << "xls";
    QTest::newRow("nul bytes") << QStringList{"--import", "@/in.csv"} << QByteArray("Last_name\nA\0B\n", 14) << "NUL";
    QTest::newRow("no common field") << QStringList{"--import", "@/in.csv"} << QByteArray("Foo,Bar\n1,2\n") << "--map";
    QTest::newRow("map names a missing field") << QStringList{"--import", "@/in.csv", "--map", "Title=Nope"}
                                               << QByteArray("Last_name\nA\n") << "Nope";
    QTest::newRow("card number") << QStringList{"--import", "@/in.csv", "--map", "Card_Number=Last_name"}
                                 << QByteArray("Last_name\nA\n") << "Card_Number";
    QTest::newRow("odbc without table") << QStringList{"--import", "odbc:nothing"} << QByteArray() << "--table";
    QTest::newRow("damaged dbf, replace") << QStringList{"--import", "@/in.dbf", "--replace"}
                                          << QByteArray("\x03garbage", 8) << "in.dbf";
    QTest::newRow("unwritable export") << QStringList{"--export", "@/no/such/folder/out.csv"} << QByteArray()
                                       << "cannot be written";
}

void TestCliData::badInputEndsWithTwoAndChangesNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    fillCards(pf.path(), sampleCards(false));
    const QList<QStringList> before = readWithPython("card", pf.file("data/cardset1.DB"));
    QTemporaryDir dir;
    for (QString &a : args) {
        a.replace(QLatin1Char('@'), dir.path());
        if (!content.isEmpty() && QFileInfo(a).fileName().startsWith(QLatin1String("in."))) {
            QFile f(a);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
    }
    const Run r = runProgram(QStringList{"--folder", pf.path()} + args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(reason), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(readWithPython("card", pf.file("data/cardset1.DB")), before);
}

void TestCliData::problemsAreCountedAndReplaceKeepsNumbering()
{
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    fillCards(pf.path(), sampleCards(false));
    QTemporaryDir dir;
    const QString csv = dir.filePath("people.csv");
    QFile f(csv);
    QVERIFY(f.open(QIODevice::WriteOnly));
    // No header: fields are Field0, Field1; the second name is too long for
    // the 40 characters of Last_name.
    f.write("Jean Luc,Picard\nX," + QByteArray(41, 'y') + "\n\n");
    f.close();
    const Run r = runProgram({"--folder", pf.path(), "--import", csv, "--no-header", "--replace", "--map",
                              "First_name=Field0,Last_name=Field1"});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out.trimmed(), QStringLiteral("1 records moved, 1 problems"));
    const QList<QStringList> rows = readWithPython("card", pf.file("data/cardset1.DB"));
    QCOMPARE(rows.size(), 2);
    // The old cards were 1 to 3: the new one continues the numbering.
    QCOMPARE(rows[1].mid(0, 4), (QStringList{"4", "", "Jean Luc", "Picard"}));
}

void TestCliData::odbcBothWays()
{
    // unixODBC set up in a temporary folder with the SQLite ODBC driver.
    QTemporaryDir odbc;
    QFile inst(odbc.filePath("odbcinst.ini"));
    QVERIFY(inst.open(QIODevice::WriteOnly));
    inst.write("[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n");
    inst.close();
    const QString db = odbc.filePath("hr.sqlite");
    QFile ini(odbc.filePath("odbc.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[HR]\nDriver=SQLite3\nDatabase=%1\n").arg(db).toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", odbc.path().toUtf8());
    qputenv("ODBCINI", odbc.filePath("odbc.ini").toUtf8());
    QProcess sqlite;
    sqlite.start("sqlite3", {db, "create table staff (id integer primary key, last_name varchar(40), "
                                 "first_name varchar(40)); insert into staff values (7, 'Old', 'Row');"});
    QVERIFY(sqlite.waitForFinished());

    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    fillCards(pf.path(), sampleCards(false));
    Run r = runProgram({"--folder", pf.path(), "--export", "odbc:HR", "--table", "staff", "--replace", "--map",
                        "id=Card_Number,last_name=Last_name,first_name=First_name"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QStringLiteral("3 records moved, 0 problems"));
    sqlite.start("sqlite3", {db, "select id, last_name, first_name from staff order by id"});
    QVERIFY(sqlite.waitForFinished());
    QCOMPARE(QString::fromUtf8(sqlite.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             (QStringList{"1|Picard|Jean Luc", "2|O'Brien|Miles", "3|Müller-Lüdenscheidt|"}));

    // Back, pairing by equal names (letter case ignored; id is not a card field).
    TempProgramFolder fresh;
    QVERIFY(fresh.isValid());
    r = runProgram({"--folder", fresh.path(), "--import", "odbc:HR", "--table", "staff"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out.trimmed(), QStringLiteral("3 records moved, 0 problems"));
    const QList<QStringList> cards = readWithPython("card", fresh.file("data/cardset1.DB"));
    QCOMPARE(cards.size(), 4);
    QCOMPARE(cards[3].mid(0, 4), (QStringList{"3", "", "", "Müller-Lüdenscheidt"}));
    QCOMPARE(cards[1].mid(0, 4), (QStringList{"1", "", "Jean Luc", "Picard"}));

    // A data source that does not exist: exit 2 with the driver's reason.
    r = runProgram({"--folder", fresh.path(), "--import", "odbc:Nowhere", "--table", "staff"});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains("Nowhere"), qPrintable(r.err));
    qunsetenv("ODBCSYSINI");
    qunsetenv("ODBCINI");
}

QTEST_MAIN(TestCliData)
#include "test_cli_data.moc"
