// The Find dialog's comparison of a field value with the search text.
#include "dataman/find/FindMatch.h"

#include <QtTest>

using namespace vellora;

class TestFindMatch : public QObject {
    Q_OBJECT
private slots:
    void matches_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("match");
        QTest::addColumn<bool>("expected");
        const int any = int(FindMatch::AnyPart), whole = int(FindMatch::WholeField), start = int(FindMatch::StartOfField);
        QTest::newRow("whole: case and blanks ignored") << "  Okafor  " << "okafor" << whole << true;
        QTest::newRow("whole: control characters trimmed") << "\t\r\nOkafor\x01" << " OKAFOR\x1f" << whole << true;
        QTest::newRow("whole: inner blank counts") << "Oka for" << "okafor" << whole << false;
        QTest::newRow("whole: part is not whole") << "Okafor" << "oka" << whole << false;
        QTest::newRow("whole: only a-z fold (umlaut)") << QString::fromUtf8("MÜLLER") << QString::fromUtf8("müller") << whole << false;
        QTest::newRow("whole: same umlaut") << QString::fromUtf8("Müller") << QString::fromUtf8("müller") << whole << true;
        QTest::newRow("whole: code 160 is not trimmed") << QString::fromUtf8("Okafor\u00a0") << "okafor" << whole << false;
        QTest::newRow("whole: empty text, empty value") << "" << "" << whole << true;
        QTest::newRow("whole: empty text, blank value") << "   " << "" << whole << true;
        QTest::newRow("whole: empty text, value") << "x" << "" << whole << false;
        QTest::newRow("any: empty text never") << "" << "" << any << false;
        QTest::newRow("any: blank text never") << "abc" << "  " << any << false;
        QTest::newRow("start: empty text never") << "" << "" << start << false;
        QTest::newRow("any: middle") << "Human Resources" << "man res" << any << true;
        QTest::newRow("any: at the end") << "Human Resources" << "URCES" << any << true;
        QTest::newRow("any: longer than value") << "abc" << "abcd" << any << false;
        QTest::newRow("any: overlapping prefix") << "aab" << "ab" << any << true;
        QTest::newRow("start: prefix after blanks") << "   Smithson" << "smith" << start << true;
        QTest::newRow("start: not a prefix") << "Blacksmith" << "smith" << start << false;
        QTest::newRow("start: digits and signs as they are") << "#17-b" << "#17-B" << start << true;
    }

    void matches()
    {
        QFETCH(QString, value);
        QFETCH(QString, text);
        QFETCH(int, match);
        QFETCH(bool, expected);
        QCOMPARE(FindText(text, FindMatch(match)).matches(value), expected);
    }

    void normalisedText()
    {
        QCOMPARE(NormalizedForFind(u"  abc xyz\t"), QString("ABC XYZ"));
        QCOMPARE(NormalizedForFind(QString::fromUtf8("\x01öa\x20")), QString::fromUtf8("öA"));
        QCOMPARE(NormalizedForFind(u"{|}~`@[]"), QString("{|}~`@[]"));
    }
};

QTEST_MAIN(TestFindMatch)
#include "test_findmatch.moc"
