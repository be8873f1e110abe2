// Comma-separated text: splitting lines, writing values, choosing the
// character encoding, and cutting a file into records.
#include "dataman/transfer/CommaText.h"
#include "engine/text/Cp1252.h"

#include <QtTest>

using namespace vellora;
using namespace vellora::transfer;

class TestCommaText : public QObject {
    Q_OBJECT
private slots:
    void splitsLines_data();
    void splitsLines();
    void writesValues_data();
    void writesValues();
    void writtenValuesReadBack();
    void choosesEncoding_data();
    void choosesEncoding();
    void refusesBytesThatAreNotText();
    void cutsRecords_data();
    void cutsRecords();
};

void TestCommaText::splitsLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("values");
    const QString e;
    QTest::newRow("plain") << "a,b,c" << QStringList{"a", "b", "c"};
    // Spreadsheets quote only values holding a comma or a quote: the blank
    // inside an unquoted value belongs to it.
    QTest::newRow("blank inside") << "Jean Luc,Picard,Captain" << QStringList{"Jean Luc", "Picard", "Captain"};
    QTest::newRow("quoted blank") << "\"John Smith\",Sales" << QStringList{"John Smith", "Sales"};
    QTest::newRow("blanks around") << "  a  ,\tb ,  c  " << QStringList{"a", "b", "c"};
    QTest::newRow("empty middle") << "a,,b" << QStringList{"a", e, "b"};
    QTest::newRow("comma at end") << "a," << QStringList{"a", e};
    QTest::newRow("comma blanks at end") << "a,  " << QStringList{"a", e};
    QTest::newRow("comma first") << ",a" << QStringList{e, "a"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("blank line") << "   \t" << QStringList{};
    QTest::newRow("doubled quotes") << "\"say \"\"hi\"\"\",x" << QStringList{"say \"hi\"", "x"};
    QTest::newRow("comma in quotes") << "\"Riker, W.\",1" << QStringList{"Riker, W.", "1"};
    QTest::newRow("unclosed quote") << "a,\"b,c" << QStringList{"a", "b,c"};
    QTest::newRow("after closing quote") << "\"a\"b,c" << QStringList{"a", "b", "c"};
    QTest::newRow("quote inside unquoted") << "ab\"c,d" << QStringList{"ab\"c", "d"};
    QTest::newRow("empty quoted") << "\"\",\"\"" << QStringList{e, e};
    QTest::newRow("line break in quotes") << "\"a\nb\",c" << QStringList{"a\nb", "c"};
    QTest::newRow("umlauts") << "Müller,Zoë" << QStringList{"Müller", "Zoë"};
}

void TestCommaText::splitsLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, values);
    QCOMPARE(SplitCommaLine(line), values);
}

void TestCommaText::writesValues_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << QStringList{"1", "Doe"} << "1,Doe";
    QTest::newRow("comma") << QStringList{"Riker, W.", "x"} << "\"Riker, W.\",x";
    QTest::newRow("blank") << QStringList{"Jean Luc"} << "\"Jean Luc\"";
    QTest::newRow("quote") << QStringList{"say \"hi\""} << "\"say \"\"hi\"\"\"";
    QTest::newRow("empty between") << QStringList{"a", "", "b"} << "a,,b";
    QTest::newRow("one empty value") << QStringList{""} << "\"\"";
    QTest::newRow("tab") << QStringList{"a\tb"} << "\"a\tb\"";
    QTest::newRow("line break") << QStringList{"a\r\nb"} << "\"a\r\nb\"";
}

void TestCommaText::writesValues()
{
    QFETCH(QStringList, values);
    QFETCH(QString, line);
    QCOMPARE(CommaText(values), line);
}

void TestCommaText::writtenValuesReadBack()
{
    const QList<QStringList> rows{
        {"1", "Jean Luc", "Picard", "", "Captain"},
        {" leading", "trailing ", "\"quoted\"", ",", "a,\"b\",c"},
        {"two\r\nlines", "€uro", "Łódź", "", ""},
        {""},
    };
    QString text;
    for (const QStringList &r : rows)
        text += CommaText(r) + QStringLiteral("\r\n");
    QString decoded, why;
    QVERIFY(DecodeCommaFile(EncodeCommaFile(text), &decoded, &why));
    CommaRecords records(decoded);
    for (const QStringList &r : rows) {
        QVERIFY(!records.atEnd());
        QCOMPARE(SplitCommaLine(records.next()), r);
    }
    QVERIFY(records.atEnd());
}

void TestCommaText::choosesEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("a,b") << "a,b";
    QTest::newRow("utf-8") << QByteArray("M\xC3\xBCller") << "Müller";
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBFM\xC3\xBCller") << "Müller";
    QTest::newRow("windows-1252") << QByteArray("M\xFCller \x80") << "Müller €";
    QTest::newRow("utf-16le with mark") << QByteArray("\xFF\xFE" "a\0,\0\xFC\0", 8) << "a,ü";
}

void TestCommaText::choosesEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QString decoded, why;
    QVERIFY(DecodeCommaFile(bytes, &decoded, &why));
    QCOMPARE(decoded, text);
    // Written back: what fits Windows-1252 is written so, the rest as UTF-8
    // with a mark; either way it reads back unchanged.
    const QByteArray written = EncodeCommaFile(text);
    QCOMPARE(written.startsWith("\xEF\xBB\xBF"), !FitsCp1252(text));
    QVERIFY(DecodeCommaFile(written, &decoded, &why));
    QCOMPARE(decoded, text);
}

void TestCommaText::refusesBytesThatAreNotText()
{
    QString decoded, why;
    QVERIFY(!DecodeCommaFile(QByteArray("a,b\0c\n", 6), &decoded, &why));
    QVERIFY2(why.contains(QLatin1String("NUL")), qPrintable(why));
    // Windows-1252 text whose bytes happen to be valid UTF-8 is written as
    // UTF-8 so that it does not change when read back.
    const QString tricky = QStringLiteral("Ã©");
    QVERIFY(DecodeCommaFile(EncodeCommaFile(tricky), &decoded, &why));
    QCOMPARE(decoded, tricky);
}

void TestCommaText::cutsRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QList<int>>("lines");
    QTest::newRow("line ends") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"} << QList<int>{1, 2, 3, 4};
    QTest::newRow("empty lines") << "a\n\nb\n" << QStringList{"a", "", "b"} << QList<int>{1, 2, 3};
    QTest::newRow("quoted break") << "\"x\r\ny\",1\nz" << QStringList{"\"x\r\ny\",1", "z"} << QList<int>{1, 3};
    QTest::newRow("never closed") << "\"x,1\nz,2\n" << QStringList{"\"x,1", "z,2"} << QList<int>{1, 2};
    QTest::newRow("quote inside unquoted") << "ab\"c\nd" << QStringList{"ab\"c", "d"} << QList<int>{1, 2};
}

void TestCommaText::cutsRecords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, records);
    QFETCH(QList<int>, lines);
    CommaRecords reader(text);
    QStringList got;
    QList<int> gotLines;
    while (!reader.atEnd()) {
        got << reader.next().toString();
        gotLines << reader.lineNumber();
    }
    QCOMPARE(got, records);
    QCOMPARE(gotLines, lines);
}

QTEST_GUILESS_MAIN(TestCommaText)
#include "test_commatext.moc"
