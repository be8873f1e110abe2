// The command line without windows: the real program file prints cards of a
// temporary program folder on the virtual card printer, lists the printers
// and refuses bad arguments with the documented exit codes.
#include "app/cli/CommandLine.h"
#include "engine/PxCardWriter.h"
#include "test_printing_support.h"

#include <QtEndian>

#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

using namespace vellora;
using namespace vellora::test;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

QString programFile() { return TempProgramFolder::builtProgramFolder() + "/vellora-id"; }

Run runProgram(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display and no platform chosen: the program must pick the
    // offscreen platform itself.
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(programFile(), args);
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

// config.cfg as another program writes it: two records of 5284 bytes,
// little-endian, short strings with a length byte, every offset fixed.
QByteArray configBytes(bool monochrome, const QByteArray &freeText1)
{
    QByteArray record(5284, '\0');
    auto putString = [&](int at, const QByteArray &text) {
        record[at] = char(text.size());
        record.replace(at + 1, text.size(), text);
    };
    auto putFont = [&](int at, const QByteArray &face, qint32 points, quint8 style) {
        putString(at, face);
        qToLittleEndian<qint32>(points, record.data() + at + 256);
        qToLittleEndian<qint32>(0, record.data() + at + 260);  // black
        record[at + 264] = char(style);
        record[at + 265] = 0;  // left
    };
    record[256] = char(monochrome ? 1 : 0);  // MonoPrinter
    record[257] = 3;                         // quick layout 3
    putString(258, freeText1);               // free text 1
    putString(258 + 256, "Staff");           // free text 2
    putFont(1284, "Arial Black", 30, 1);
    for (int i = 1; i < 4; ++i)
        putFont(1284 + i * 268, "Arial", 12, 1);
    const qint32 fieldPoints[7] = {16, 16, 16, 24, 24, 16, 16};
    for (int i = 0; i < 7; ++i)
        putFont(2356 + i * 268, "Arial", fieldPoints[i], 1);
    return record + record;  // the back side as the front, not double-sided
}

// Text tesseract reads on a page image; empty when it cannot run.
QString ocr(const QString &image)
{
    QProcess p;
    p.start("tesseract", {image, "stdout", "--psm", "11"});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList cardLines(const QString &out)
{
    QStringList lines;
    for (const QString &l : out.split('\n', Qt::SkipEmptyParts))
        if (l.startsWith("card "))
            lines.append(l);
    return lines;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo(programFile()).isExecutable())
            QSKIP("the program file is not built");
    }

    void cardSelectionsParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QList<qint64>>("numbers");
        QTest::newRow("all") << "all" << true << QList<qint64>{};
        QTest::newRow("ALL") << " ALL " << true << QList<qint64>{};
        QTest::newRow("list and range") << "3,7,10-12" << true << QList<qint64>{3, 7, 10, 11, 12};
        QTest::newRow("repeats kept once") << "5,4-6" << true << QList<qint64>{5, 4, 6};
        QTest::newRow("blanks") << " 3 , 4 " << true << QList<qint64>{3, 4};
        QTest::newRow("empty") << "" << false << QList<qint64>{};
        QTest::newRow("empty entry") << "3,,4" << false << QList<qint64>{};
        QTest::newRow("letter") << "3,x" << false << QList<qint64>{};
        QTest::newRow("backwards range") << "20-10" << false << QList<qint64>{};
        QTest::newRow("zero") << "0" << false << QList<qint64>{};
        QTest::newRow("open range") << "5-" << false << QList<qint64>{};
        QTest::newRow("huge range") << "1-99999999" << false << QList<qint64>{};
    }
    void cardSelectionsParse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QList<qint64>, numbers);
        QString error;
        const auto s = ParseCardSelection(text, &error);
        QCOMPARE(s.has_value(), valid);
        if (!valid) {
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(s->numbers(), numbers);
        if (s->all)
            QVERIFY(s->contains(123456));
        else
            QVERIFY(!s->contains(9));
    }

    // A photo file that is there but cannot be read (damaged, a pipe)
    // stops its card with a message naming the file, and the run ends with
    // exit code 1; a card without a photo file prints the placeholder.
    void unreadablePhotoStopsItsCard()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 3);
        const QString images = folder.file("data/images/");
        QDir().mkpath(images);
        {
            QFile damaged(images + "1.jpg");
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write(QByteArray("\xff\xd8\xff\xe0 this is no longer a picture", 40));
        }
        QCOMPARE(::mkfifo(QFile::encodeName(images + "2.jpg").constData(), 0644), 0);
        const Run r = runProgram({"--folder", folder.path(), "--print", "all"});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = cardLines(r.out);
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith("card 1: not printed") && lines[0].contains(images + "1.jpg"),
                 qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith("card 2: not printed") && lines[1].contains(images + "2.jpg"),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith("card 3: printed "), qPrintable(lines[2]));
        QVERIFY2(r.out.contains("1 of 3 cards printed"), qPrintable(r.out));
        QCOMPARE(printedPngs(folder.path()).size(), 1);
    }

    void printsAllCardsOnTheVirtualPrinter()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 4);
        const Run r = runProgram({"--folder", folder.path(), "--print", "all"});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = cardLines(r.out);
        QCOMPARE(lines.size(), 4);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(lines[i].startsWith(QString("card %1: printed ").arg(i + 1)), qPrintable(lines[i]));
        QVERIFY2(r.out.contains("4 of 4 cards printed"), qPrintable(r.out));
        const QStringList pngs = printedPngs(folder.path());
        QCOMPARE(pngs.size(), 4);
        // Each line names a page image that exists: a landscape card at 300 dpi.
        const QString file = lines[0].section(' ', 3);
        const QImage page(file);
        QCOMPARE(page.size(), QSize(1026, 642));
        // Nothing of the collection changed: no settings file was written.
        QVERIFY(!QFile::exists(folder.file("config.cfg")) || QFileInfo(folder.file("config.cfg")).size() == 10568);
    }

    // A collection written by other programs (a card table written by pxlib,
    // config.cfg byte by byte), printed from the command line: pages of the
    // rendered card's size, black and white only on a monochrome card, and
    // the free text "R&D Lab" printed as it reads.
    void collectionOfOtherToolsPrintsAsItsCardFace()
    {
        TempProgramFolder folder;
        for (const QString &name : QDir(folder.file("data")).entryList({"cardset1.*"}, QDir::Files))
            QVERIFY(QFile::remove(folder.file("data/" + name)));
        const QStringList fields{"Last_name", "First_name", "Title", "Department", "Sparefield1", "Sparefield2",
                                 "MagStripe1", "MagStripe2", "MagStripe3"};
        const QList<int> widths{40, 40, 40, 40, 40, 40, 79, 40, 107};
        QList<PxCard> cards;
        cards.append(PxCard{1, {"von Hohenzollern-Sigmaringen", "Anna-Katharina Maximiliane", "Research Fellow", "Lab"}});
        cards.append(PxCard{2, {"Lang", "Anna", "Engineer", "R&D"}});
        QVERIFY(writePxCardTable(folder.file("data/cardset1.DB"), fields, widths, cards));
        QFile config(folder.file("config.cfg"));
        QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(config.write(configBytes(true, "R&D Lab")), qint64(2 * 5284));
        config.close();

        const Run r = runProgram({"--folder", folder.path(), "--print", "all"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        const QStringList lines = cardLines(r.out);
        QCOMPARE(lines.size(), 2);
        for (const QString &line : lines) {
            const QString file = line.section(' ', 3);
            QImage page(file);
            QCOMPARE(page.size(), QSize(1026, 642));
            page = page.convertToFormat(QImage::Format_RGB32);
            int black = 0;
            for (int y = 0; y < page.height(); ++y)
                for (int x = 0; x < page.width(); ++x) {
                    const QRgb p = page.pixel(x, y) & 0xffffff;
                    if (p != 0 && p != 0xffffff)
                        QFAIL(qPrintable(QString("%1: pixel %2,%3 is %4").arg(file).arg(x).arg(y).arg(p, 6, 16)));
                    black += p == 0;
                }
            QVERIFY(black > 1000);
            const QString text = ocr(file);
            QVERIFY2(text.contains("R&D Lab"), qPrintable(file + ": " + text));
        }
        // The long names are on the first card's page, from their first line.
        const QString first = ocr(lines[0].section(' ', 3));
        QVERIFY2(first.contains("Anna-Katharina") && first.contains("Hohenzollern"), qPrintable(first));
    }

    void printsAListOfNumbersAndReportsMissingOnes()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 12);
        const Run r = runProgram({"--folder", folder.path(), "--print", "3,7,10-20"});
        QCOMPARE(r.exitCode, 1);  // 13..20 do not exist
        const QStringList lines = cardLines(r.out);
        QStringList printed, missing;
        for (const QString &l : lines)
            (l.contains(": printed") ? printed : missing).append(l.section(':', 0, 0));
        QCOMPARE(printed, (QStringList{"card 3", "card 7", "card 10", "card 11", "card 12"}));
        QCOMPARE(missing.size(), 8);
        QVERIFY(missing.contains("card 13") && missing.contains("card 20"));
        QVERIFY2(r.out.contains("5 of 13 cards printed"), qPrintable(r.out));
        QCOMPARE(printedPngs(folder.path()).size(), 5);

        // With every card of the list present the run succeeds.
        addCards(folder.path(), 8);
        const Run again = runProgram({"--folder", folder.path(), "--print", "3,7,10-20", "--half"});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(cardLines(again.out).size(), 13);
        QVERIFY(again.out.contains("13 of 13 cards printed"));
    }

    void refusesBadArgumentsAndUnknownPrinters()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 2);
        const Run badList = runProgram({"--folder", folder.path(), "--print", "3,x"});
        QCOMPARE(badList.exitCode, 2);
        QVERIFY(badList.err.contains("\"x\" is not a card number"));

        const Run noPrinter = runProgram({"--folder", folder.path(), "--print", "all", "--printer", "No Such Queue"});
        QCOMPARE(noPrinter.exitCode, 2);
        QVERIFY2(noPrinter.err.contains("no printer named \"No Such Queue\""), qPrintable(noPrinter.err));
        QVERIFY(printedPngs(folder.path()).isEmpty());

        const Run noFolder = runProgram({"--folder", folder.path() + "nowhere", "--print", "all"});
        QCOMPARE(noFolder.exitCode, 2);

        const Run stray = runProgram({"--folder", folder.path(), "--half"});
        QCOMPARE(stray.exitCode, 2);

        // Options the program does not know, a missing option value and a
        // stray argument are bad arguments too; no window opens for them.
        const QList<QStringList> bad = {{"--folder", folder.path(), "--no-such-option"},
                                        {"--folder", folder.path(), "--print"},
                                        {"--folder", folder.path(), "--print", "all", "extra"}};
        for (const QStringList &args : bad) {
            const Run r = runProgram(args);
            QVERIFY2(r.exitCode == 2, qPrintable(args.join(' ') + ": " + QString::number(r.exitCode) + " " + r.err));
            QVERIFY2(!r.err.isEmpty(), qPrintable(args.join(' ')));
        }
    }

    void emptyCollectionPrintsNothingAndFails()
    {
        TempProgramFolder folder;
        const Run r = runProgram({"--folder", folder.path(), "--print", "all"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.contains("no card to print"));
        QVERIFY(printedPngs(folder.path()).isEmpty());
    }

    void failingCardsAreReportedAndGiveExitOne()
    {
        // Track 1 linked to a field the card table lacks: every job stops
        // before anything reaches the printer, the batch goes on with the
        // next card and the run fails.
        TempProgramFolder folder;
        addCards(folder.path(), 3);
        writeSettings(folder.path(), [](Settings &s) {
            s.front.StripeOn = 1;
            s.front.Track[0] = {1, 1, "Employee_Id", 1};
        });
        const Run r = runProgram({"--folder", folder.path(), "--print", "all"});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = cardLines(r.out);
        QCOMPARE(lines.size(), 3);
        for (const QString &l : lines)
            QVERIFY2(l.contains("not printed") && l.contains("Employee_Id"), qPrintable(l));
        QVERIFY(r.out.contains("0 of 3 cards printed"));
        QVERIFY(printedPngs(folder.path()).isEmpty());
        QVERIFY(r.err.contains("Employee_Id"));  // the error question, answered by going on
    }

    void listsPrintersAndDocumentsItself()
    {
        const Run list = runProgram({"--list-printers"});
        QCOMPARE(list.exitCode, 0);
        QVERIFY2(list.out.startsWith(QString::fromLatin1(VirtualCardPrinterName) + "\tcard printer"), qPrintable(list.out));

        const Run help = runProgram({"--help"});
        QCOMPARE(help.exitCode, 0);
        for (const char *option : {"--print <cards>", "--printer <name>", "--half", "--list-printers", "--folder"})
            QVERIFY2(help.out.contains(option), option);
    }
};

QTEST_MAIN(TestCli)
#include "test_cli.moc"
