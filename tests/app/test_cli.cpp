// The command line without windows: the real program file prints cards of a
// temporary program folder on the virtual card printer, lists the printers
// and refuses bad arguments with the documented exit codes.
#include "app/cli/CommandLine.h"
#include "test_printing_support.h"

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
        QCOMPARE(page.size(), QSize(1011, 638));
        // Nothing of the collection changed: no settings file was written.
        QVERIFY(!QFile::exists(folder.file("config.cfg")) || QFileInfo(folder.file("config.cfg")).size() == 10568);
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
