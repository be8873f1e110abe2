// The comma text of layout lines, including the quirks of files written on
// Windows (unquoted blanks end a field, the trailing comma, a lost quote).
#include "layout/file/CommaText.h"

#include <QTest>

using namespace vellora;

class TestCommaText : public QObject {
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void quoting_data();
    void quoting();
    void roundTrip();
};

void TestCommaText::split_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << "a,b,c" << QStringList{"a", "b", "c"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("blanks only") << "  \t " << QStringList{};
    QTest::newRow("unquoted blank ends field") << "Arial Black,30" << QStringList{"Arial", "Black", "30"};
    QTest::newRow("quoted blank") << "\"Arial Black\",30" << QStringList{"Arial Black", "30"};
    QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\",x" << QStringList{"say \"hi\"", "x"};
    QTest::newRow("trailing comma") << "a," << QStringList{"a", ""};
    QTest::newRow("comma then blank at end") << "a, " << QStringList{"a"};
    QTest::newRow("adjacent commas") << "a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("lone comma") << "," << QStringList{"", ""};
    QTest::newRow("blanks around fields") << "  x  ,   y  " << QStringList{"x", "y"};
    QTest::newRow("missing closing quote") << "a,\"abc" << QStringList{"a", "ab"};
    QTest::newRow("missing closing quote after pair") << "\"a\"\"bc" << QStringList{"a\"b"};
    QTest::newRow("lone quote") << "\"" << QStringList{""};
    QTest::newRow("text after closing quote") << "\"ab\"cd,e" << QStringList{"ab", "cd", "e"};
    QTest::newRow("empty quoted") << "\"\",x" << QStringList{"", "x"};
    QTest::newRow("four blanks") << "\"    \",CARD" << QStringList{"    ", "CARD"};
    QTest::newRow("control char ends field") << QString("a\tb") << QStringList{"a", "b"};
    QTest::newRow("NUL is a blank") << QString::fromUtf16(u"a\0b,c", 5) << QStringList{"a", "b", "c"};
    QTest::newRow("quoted NUL kept") << QString::fromUtf16(u"\"a\0b\"", 5) << QStringList{QString::fromUtf16(u"a\0b", 3)};
    QTest::newRow("non-ASCII") << QString::fromUtf8("Stra\u00dfe,\u20ac") << QStringList{QString::fromUtf8("Stra\u00dfe"), QString::fromUtf8("\u20ac")};
}

void TestCommaText::split()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitCommaText(line), fields);
}

void TestCommaText::quoting_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "Last_name" << "Last_name";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("blank") << "XYZ Company" << "\"XYZ Company\"";
    QTest::newRow("comma") << "a,b" << "\"a,b\"";
    QTest::newRow("quote") << "a\"b" << "\"a\"\"b\"";
    QTest::newRow("tab") << "a\tb" << "\"a\tb\"";
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0", 2) << QString::fromUtf16(u"\"a\0\"", 4);
    QTest::newRow("path") << "C:\\cards\\blue.jpg" << "C:\\cards\\blue.jpg";
    QTest::newRow("accent") << QString::fromUtf8("Jos\u00e9") << QString::fromUtf8("Jos\u00e9");
}

void TestCommaText::quoting()
{
    QFETCH(QString, field);
    QFETCH(QString, written);
    QCOMPARE(CommaTextField(field), written);
}

void TestCommaText::roundTrip()
{
    const QList<QStringList> cases = {
        {"a", "b"},
        {"a", ""},
        {"", "a"},
        {"", ""},
        {" ", ""},
        {"\"", ",", "\"\"", " , "},
        {"  leading", "trailing  ", "mid dle"},
        {"x", "", "", "y", ""},
        {QString::fromUtf8("\u00e9\u20ac\u03a9"), "\x01\x1f"},
    };
    for (const QStringList &fields : cases) {
        const QString line = JoinCommaText(fields);
        QCOMPARE(SplitCommaText(line), fields);
    }
    // The one list that cannot survive: a single empty field is an empty line.
    QCOMPARE(JoinCommaText({""}), QString());
    QCOMPARE(JoinCommaText({"a", ""}), QString("a,"));
}

QTEST_MAIN(TestCommaText)
#include "test_comma_text.moc"
