// Text tables with a schema file: reading both file types, writing them,
// the temporary table of the comma-separated import, and bad input.
#include "engine/EngineError.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "engine/text/TextTable.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QStringList> readAll(Table &t)
{
    QList<QStringList> rows;
    for (t.first(); !t.eof(); t.next()) {
        QStringList r;
        for (int i = 0; i < t.fieldCount(); ++i)
            r << t.field(i).asString();
        rows << r;
    }
    return rows;
}

const QByteArray kAllTypesSchema = "[PEOPLE]\r\n"
                                   "Filetype=VARYING\r\n"
                                   "Delimiter=\"\r\n"
                                   "Separator=;\r\n"
                                   "CharSet=ascii\r\n"
                                   "Field1=Name,CHAR,20,00,00\r\n"
                                   "Field2=Amount,NUMBER,10,02,20\r\n"
                                   "Field3=Ratio,FLOAT,20,00,30\r\n"
                                   "Field4=Id,LONGINT,11,00,50\r\n"
                                   "Field5=Small,SHORTINT,6,00,61\r\n"
                                   "Field6=Ok,BOOL,1,00,67\r\n"
                                   "Field7=Born,DATE,10,00,68\r\n"
                                   "Field8=At,TIME,8,00,78\r\n"
                                   "Field9=Stamp,TIMESTAMP,19,00,86\r\n";

} // namespace

class TestTextTable : public QObject {
    Q_OBJECT
private slots:
    void readsVaryingTablesOfEveryType();
    void readsFixedTables();
    void writesVaryingTablesThatReadBack();
    void writesFixedTables();
    void charactersOutsideTheCharSetTurnTheTableIntoUtf8();
    void temporaryImportTable();
    void badInputGivesClearErrors_data();
    void badInputGivesClearErrors();
};

void TestTextTable::readsVaryingTablesOfEveryType()
{
    QTemporaryDir tmp;
    writeBytes(tmp.filePath(QStringLiteral("people.sch")), kAllTypesSchema);
    // Code page 437: 0x81 is u-umlaut. A quoted value holds the separator,
    // a doubled quote and a line break; lines end in CR LF, LF and CR.
    writeBytes(tmp.filePath(QStringLiteral("people.txt")),
               "\"M\x81ller\";12.5;0.25;7;-3;T;1999-12-31;08:30:00;2001-02-03 04:05:06\r\n"
               "\n"
               "\"a;b \"\"c\"\"\nd\";;;;;F;12/24/2020;;\n"
               "  \"spaced\"  ; -1 ;1e3;2147483647;32767;Y;24.12.2020;23:59:59;2020-01-01 00:00:00\r");
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("PEOPLE.TXT"));
    t.open();
    QCOMPARE(t.kindName(), QStringLiteral("ASCII"));
    QCOMPARE(t.fieldNames(), QStringList({"Name", "Amount", "Ratio", "Id", "Small", "Ok", "Born", "At", "Stamp"}));
    const QList<FieldType> types{FieldType::String, FieldType::BCD, FieldType::Float, FieldType::Integer,
                                 FieldType::Smallint, FieldType::Boolean, FieldType::Date, FieldType::Time,
                                 FieldType::DateTime};
    for (int i = 0; i < types.size(); ++i)
        QCOMPARE(t.field(i).type(), types[i]);
    const QList<QStringList> rows = readAll(t);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], QStringList({QStringLiteral("Müller"), "12.50", "0.25", "7", "-3", "True", "1999-12-31",
                                   "08:30:00", "2001-02-03 04:05:06"}));
    QCOMPARE(rows[1], QStringList({"a;b \"c\"\nd", "", "", "", "", "False", "2020-12-24", "", ""}));
    QCOMPARE(rows[2], QStringList({"spaced", "-1.00", "1000", "2147483647", "32767", "True", "2020-12-24",
                                   "23:59:59", "2020-01-01 00:00:00"}));
}

void TestTextTable::readsFixedTables()
{
    QTemporaryDir tmp;
    writeBytes(tmp.filePath(QStringLiteral("fix.sch")), "[fix]\nFiletype=FIXED\nCharSet=ansi\n"
                                                        "Field1=Code,CHAR,4,00,00\n"
                                                        "Field2=Qty,LONGINT,5,00,04\n"
                                                        "Field3=Name,CHAR,10,00,09\n");
    writeBytes(tmp.filePath(QStringLiteral("fix.txt")), "AB12   42Caf\xE9      \r\nX      -7Zed\r\n");
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("fix.txt"));
    t.open();
    const QList<QStringList> rows = readAll(t);
    QCOMPARE(rows, QList<QStringList>({{"AB12", "42", QStringLiteral("Café")}, {"X", "-7", "Zed"}}));
}

void TestTextTable::writesVaryingTablesThatReadBack()
{
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("out.txt"));
    t.setTableType(TableType::Text);
    t.setFieldDefs({{QStringLiteral("Card_Number"), FieldType::AutoInc, 0},
                    {QStringLiteral("Last, Name"), FieldType::String, 30},
                    {QStringLiteral("Notes"), FieldType::Memo, 0},
                    {QStringLiteral("Born"), FieldType::Date, 0},
                    {QStringLiteral("Ok"), FieldType::Boolean, 0},
                    {QStringLiteral("Pay"), FieldType::Money, 0},
                    {QStringLiteral("Exact"), FieldType::BCD, 2}});
    t.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("Card_Number")}, true, true}});
    t.createTable();
    QCOMPARE(t.fieldDefs()[1].name, QStringLiteral("Last_ Name"));
    QVERIFY(QFileInfo::exists(tmp.filePath(QStringLiteral("out.sch"))));
    t.open();
    const QList<QStringList> values{{"1", "O'Brien \"Jr\", Sr", "line1\r\nline2", "1980-05-17", "True", "12.5", "3.10"},
                                    {"2", "", "", "", "False", "", ""}};
    for (const QStringList &row : values) {
        t.append();
        for (int i = 0; i < row.size(); ++i)
            t.field(i).setAsString(row[i]);
        t.post();
    }
    t.close();
    QCOMPARE(QString::fromLatin1(fileBytes(tmp.filePath(QStringLiteral("out.sch")))),
             QStringLiteral("[out]\r\nFiletype=VARYING\r\nDelimiter=\"\r\nSeparator=,\r\nCharSet=ansi\r\n"
                            "Field1=Card_Number,LONGINT,11,00,00\r\n"
                            "Field2=Last_ Name,CHAR,30,00,11\r\n"
                            "Field3=Notes,CHAR,4096,00,41\r\n"
                            "Field4=Born,DATE,10,00,4137\r\n"
                            "Field5=Ok,BOOL,01,00,4147\r\n"
                            "Field6=Pay,FLOAT,24,00,4148\r\n"
                            "Field7=Exact,NUMBER,24,02,4172\r\n"));
    QCOMPARE(fileBytes(tmp.filePath(QStringLiteral("out.txt"))),
             QByteArray("1,\"O'Brien \"\"Jr\"\", Sr\",\"line1\r\nline2\",1980-05-17,T,12.5,3.10\r\n"
                        "2,,,,F,,\r\n"));
    t.open();
    QList<QStringList> back = readAll(t);
    QCOMPARE(back, values);
    // Emptying leaves the schema and no rows.
    t.emptyTable();
    QCOMPARE(t.recordCount(), 0);
    t.close();
    QCOMPARE(fileBytes(tmp.filePath(QStringLiteral("out.txt"))), QByteArray());
    t.open();
    QCOMPARE(t.fieldCount(), 7);
}

void TestTextTable::writesFixedTables()
{
    QTemporaryDir tmp;
    engine::createTextTable(tmp.filePath(QStringLiteral("f.txt")),
                            {{QStringLiteral("Code"), FieldType::String, 4}, {QStringLiteral("Qty"), FieldType::Integer, 0}},
                            true);
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("f.txt"));
    t.open();
    t.append();
    t.field(0).setAsString(QStringLiteral("ABCDEF"));
    t.field(1).setAsString(QStringLiteral("-42"));
    t.post();
    t.append();
    t.field(0).setAsString(QStringLiteral("Z"));
    t.post();
    // Editing rewrites the file.
    t.first();
    t.edit();
    t.field(1).setAsString(QStringLiteral("7"));
    t.post();
    t.close();
    QCOMPARE(fileBytes(tmp.filePath(QStringLiteral("f.txt"))), QByteArray("ABCD           7\r\nZ               \r\n"));
    t.open();
    QCOMPARE(readAll(t), QList<QStringList>({{"ABCD", "7"}, {"Z", ""}}));
}

void TestTextTable::charactersOutsideTheCharSetTurnTheTableIntoUtf8()
{
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("u.txt"));
    t.setFieldDefs({{QStringLiteral("Name"), FieldType::String, 40}});
    t.createTable();
    t.open();
    for (const QString &name : {QStringLiteral("Zoë"), QStringLiteral("Łukasz Żółw"), QStringLiteral("Дмитрий")}) {
        t.append();
        t.field(0).setAsString(name);
        t.post();
    }
    t.close();
    QVERIFY(fileBytes(tmp.filePath(QStringLiteral("u.sch"))).contains("CharSet=utf8"));
    QCOMPARE(QString::fromUtf8(fileBytes(tmp.filePath(QStringLiteral("u.txt")))),
             QStringLiteral("\"Zoë\"\r\n\"Łukasz Żółw\"\r\n\"Дмитрий\"\r\n"));
    t.open();
    QCOMPARE(readAll(t), QList<QStringList>({{QStringLiteral("Zoë")}, {QStringLiteral("Łukasz Żółw")}, {QStringLiteral("Дмитрий")}}));
}

void TestTextTable::temporaryImportTable()
{
    // As the comma-separated import makes it: string fields of width 2048
    // named after the first line, created, filled, closed and listed.
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("temptab.txt"));
    t.setTableType(TableType::Text);
    t.setFieldDefs({{QStringLiteral("First Name"), FieldType::String, 2048}, {QStringLiteral("Field1"), FieldType::String, 2048}});
    t.createTable();
    t.open();
    t.insert();
    t.field(0).setAsString(QString(3000, QLatin1Char('x')));
    t.field(1).setAsString(QStringLiteral("b"));
    t.post();
    t.close();
    QCOMPARE(Session::defaultSession()->tableNames(tmp.path(), QStringLiteral("*.txt"), true), QStringList({"temptab.txt"}));
    t.open();
    QCOMPARE(t.field(0).asString().size(), 2048);
    QCOMPARE(t.fieldByName(QStringLiteral("first name")).asString().left(2), QStringLiteral("xx"));
}

void TestTextTable::badInputGivesClearErrors_data()
{
    QTest::addColumn<QByteArray>("schema");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    const QByteArray two = "[t]\nFiletype=VARYING\nDelimiter=\"\nSeparator=,\nCharSet=ansi\n"
                           "Field1=A,CHAR,10,00,00\nField2=B,LONGINT,11,00,10\n";
    QTest::newRow("missing schema") << QByteArray() << QByteArray("1,2\n") << "has no schema file";
    QTest::newRow("schema without fields") << QByteArray("[t]\nFiletype=VARYING\n") << QByteArray("1\n") << "names no fields";
    QTest::newRow("unknown type") << QByteArray("[t]\nField1=A,WIDGET,10\n") << QByteArray("1\n") << "unknown type WIDGET";
    QTest::newRow("unknown file type") << QByteArray("[t]\nFiletype=CSV\nField1=A,CHAR,10\n") << QByteArray() << "neither VARYING nor FIXED";
    QTest::newRow("not a schema") << QByteArray("\x00\x01garbage=") << QByteArray() << "section";
    QTest::newRow("schema names fields the text lacks") << two << QByteArray("\"x\",1\n\"y\"\n") << "line 2 holds 1 values";
    QTest::newRow("ragged line with too many values") << two << QByteArray("\"x\",1,3\n") << "line 1 holds 3 values";
    QTest::newRow("unclosed quote") << two << QByteArray("\"x\",1\n\"y,2\n") << "starts in line 2 is never closed";
    QTest::newRow("value of the wrong type") << two << QByteArray("\"x\",1\n\"y\",abc\n") << "row 2 holds 'abc' in the field B";
}

void TestTextTable::badInputGivesClearErrors()
{
    QFETCH(QByteArray, schema);
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    if (!schema.isNull())
        writeBytes(tmp.filePath(QStringLiteral("t.sch")), schema);
    writeBytes(tmp.filePath(QStringLiteral("t.txt")), text);
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("t.txt"));
    QString message;
    try {
        t.open();
    } catch (const EngineError &e) {
        message = e.message();
    }
    QVERIFY2(message.contains(expected), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("t.sch")) || message.contains(QStringLiteral("t.txt")), qPrintable(message));
    QCOMPARE(fileBytes(tmp.filePath(QStringLiteral("t.txt"))), text);
}

QTEST_GUILESS_MAIN(TestTextTable)
#include "test_texttable.moc"
