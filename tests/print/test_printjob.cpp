// The print job on the virtual card printer: printer check, orientation,
// pages and jobs, magnetic escape text, bad input.
#include "SampleCard.h"
#include "devices/print/PrinterRegistry.h"
#include "lang/LanguageTable.h"
#include "print/PrintJob.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

namespace {

// The files in the folder once the virtual printer has written its jobs.
QStringList filesIn(const QString &folder)
{
    TheVirtualCardPrinter().jobs();
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QString repeated(const QString &digits, int n)
{
    QString s;
    while (s.size() < n)
        s += digits;
    return s.left(n);
}

}  // namespace

class TestPrintJob : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_out;
    QString m_background;

    PrintJobRequest request() const
    {
        PrintJobRequest r;
        r.front = sample::front();
        r.back = sample::back();
        r.frontBackground = m_background;
        r.settings.stripeOn = true;
        r.settings.tracks[0] = {true, TrackStaticText, "MARIA LINDQVIST"};
        r.settings.tracks[1] = {true, TrackLinkedField, "Card_Number"};
        r.settings.tracks[2] = {false, TrackStaticText, "999"};
        r.cardField = [](const QString &name) -> std::optional<QString> {
            const QString n = name.toLower();
            if (n == "card_number")
                return QString("00017");
            if (n.startsWith("magstripe"))
                return QString("12|34=56AB");
            return std::nullopt;
        };
        return r;
    }

    void usePrinter(OrientationReset reset, const QString &driver = {})
    {
        VirtualCardPrinterSettings s;
        s.outputFolder = m_out;
        s.dpi = 300;
        s.orientationReset = reset;
        s.driverName = driver;
        TheVirtualCardPrinter().setSettings(s);
        QVERIFY(SelectPrinter(QString::fromLatin1(VirtualCardPrinterName)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_out = m_dir.filePath("printed/");
        m_background = sample::writeBackground(m_dir.path());
        CurrentLanguage().append("Literals61=This printer is not a supported card printer.");
    }

    void init() { usePrinter(OrientationReset::Accepted); }

    void supportedPrinters_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<int>("token");
        QTest::newRow("token anywhere") << "Generic KESTA K200 Card Printer, cups-pdf" << 0;
        QTest::newRow("lower case") << "kesta k1" << 0;
        QTest::newRow("virtual") << QString::fromLatin1(VirtualCardPrinterDriver) << 1;
        QTest::newRow("mixed case") << "Brano Duo" << 2;
        QTest::newRow("last token") << "TAVI 3000" << 3;
        QTest::newRow("first in order wins") << "TAVI compatible with Kesta" << 0;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("no token") << "Generic CUPS-PDF Printer (w/ options)" << -1;
    }
    void supportedPrinters()
    {
        QFETCH(QString, driver);
        QFETCH(int, token);
        QCOMPARE(MatchSupportedPrinter(driver), token);
    }

    void trackTexts_data()
    {
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString digits120 = repeated("0123456789", 120);
        QTest::newRow("1 static, lower case kept") << 1 << 0 << "Maria de la Cruz" << "~1,MPC7,BPI210,%Maria de la Cruz?";
        QTest::newRow("1 static empty") << 1 << 0 << "" << "~1,MPC7,BPI210,%?";
        QTest::newRow("1 limit 76") << 1 << 0 << repeated("AB", 80) << "~1,MPC7,BPI210,%" + repeated("AB", 76) + "?";
        QTest::newRow("1 not filtered") << 1 << 0 << "a|b;c" << "~1,MPC7,BPI210,%a|b;c?";
        QTest::newRow("2 separate field filtered") << 2 << 2 << "" << "~2,MPC5,BPI75,;1234=56?";
        QTest::newRow("2 static filtered, limit 37") << 2 << 0 << "x" + repeated("12345", 50) << "~2,MPC5,BPI75,;" + repeated("12345", 37) + "?";
        QTest::newRow("3 linked field, limit 104") << 3 << 1 << "Digits" << "~3,MPC5,BPI210,;" + digits120.left(104) + "?";
        QTest::newRow("3 keeps :;<=>?") << 3 << 0 << "1:2;3<4=5>6?7" << "~3,MPC5,BPI210,;1:2;3<4=5>6?7?";
        QTest::newRow("unknown source draws nothing") << 2 << 7 << "123" << QString();
    }
    void trackTexts()
    {
        QFETCH(int, track);
        QFETCH(int, source);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        PrintSettings s;
        s.stripeOn = true;
        s.tracks[track - 1] = {true, source, value};
        const QString digits = repeated("0123456789", 120);
        CardFieldLookup fields = [&](const QString &name) -> std::optional<QString> {
            if (name.compare("digits", Qt::CaseInsensitive) == 0)
                return digits;
            if (name == QString("magstripe%1").arg(track))
                return QString("12|34=56AB");
            return std::nullopt;
        };
        const std::optional<QString> text = TrackEncodingText(track, s, fields);
        if (expected.isNull())
            QVERIFY(!text);
        else
            QCOMPARE(text.value_or("<none>"), expected);

        // Nothing without the stripe or the track's use.
        s.stripeOn = false;
        QVERIFY(!TrackEncodingText(track, s, fields));
        s.stripeOn = true;
        s.tracks[track - 1].use = false;
        QVERIFY(!TrackEncodingText(track, s, fields));
    }

    void missingTrackFieldIsAnError()
    {
        PrintSettings s;
        s.stripeOn = true;
        s.tracks[0] = {true, TrackLinkedField, "Employee_ID"};
        CardFieldLookup none = [](const QString &) -> std::optional<QString> { return std::nullopt; };
        try {
            TrackEncodingText(1, s, none);
            QFAIL("no error");
        } catch (const PrintError &e) {
            QVERIFY(e.message().contains("Employee_ID"));
        }
    }

    void numericTrackData()
    {
        QCOMPARE(NumericTrackData("12|34=56AB", 37), QString("1234=56"));
        QCOMPARE(NumericTrackData("", 5), QString());
        QCOMPARE(NumericTrackData("9a8b7c6", 3), QString("987"));
    }

    void doubleSidedCardIsOneJobOfTwoPages()
    {
        test::ScriptedDialogs dialogs;
        dialogs.answerText(QString());
        test::ScriptedMessages messages;
        const size_t before = TheVirtualCardPrinter().jobs().size();
        PrintJobRequest r = request();
        r.settings.doubleSided = true;
        const PrintJobResult result = RunPrintJob(r);
        QCOMPARE(int(result.outcome), int(PrintJobOutcome::Printed));
        QVERIFY(result.closePreview);
        QCOMPARE(result.pagesPrinted, 2);
        QCOMPARE(result.documents, 1);
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(int(dialogs.requests()[0].kind), int(CommonDialogKind::Print));

        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 1);
        const PrintedJob job = TheVirtualCardPrinter().jobs().back();
        QCOMPARE(job.pages.size(), 2);
        QCOMPARE(int(job.pages[0].orientation), int(PageOrientation::Landscape));
        QCOMPARE(int(job.pages[1].orientation), int(PageOrientation::Portrait));
        QCOMPARE(QImage(job.pages[0].imageFile).size(), QSize(1026, 642));
        QCOMPARE(QImage(job.pages[1].imageFile).size(), QSize(642, 1026));
        QVERIFY(QFile::exists(job.pdfFile));
        QVERIFY(job.tracks[0] && job.tracks[1] && !job.tracks[2]);
        QCOMPARE(job.tracks[0]->line, QString("~1,MPC7,BPI210,%MARIA LINDQVIST?"));
        QCOMPARE(job.tracks[0]->data, QString("MARIA LINDQVIST"));
        QCOMPARE(job.tracks[1]->data, QString("00017"));

        QFile info(job.infoFile);
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(info.readAll());
        QVERIFY(text.contains("resolution=300x300\n"));
        QVERIFY(text.contains("page1.orientation=landscape\n"));
        QVERIFY(text.contains("page2.orientation=portrait\n"));
        QVERIFY(text.contains("track2=00017\n"));
        QVERIFY(!text.contains("track3"));

        // The escape text never reaches the page: the front is the same
        // picture as a card printed without a stripe.
        PrintJobRequest plain = request();
        plain.settings.stripeOn = false;
        dialogs.answerText(QString());
        RunPrintJob(plain);
        const PrintedJob &without = TheVirtualCardPrinter().jobs().back();
        QVERIFY(!without.tracks[0] && !without.tracks[1]);
        QCOMPARE(without.pages.size(), 1);
        QCOMPARE(QImage(without.pages[0].imageFile), QImage(job.pages[0].imageFile));
        QVERIFY(without.name != job.name);
    }

    void stripeSwitches()
    {
        test::ScriptedMessages messages;
        PrintJobRequest r = request();
        r.batchMode = true;  // no print dialog
        for (auto &t : r.settings.tracks)
            t.use = false;
        RunPrintJob(r);
        for (const auto &t : TheVirtualCardPrinter().jobs().back().tracks)
            QVERIFY(!t);
        r.settings.stripeOn = false;
        for (auto &t : r.settings.tracks)
            t.use = true;
        RunPrintJob(r);
        for (const auto &t : TheVirtualCardPrinter().jobs().back().tracks)
            QVERIFY(!t);
        QCOMPARE(messages.shown().size(), 0);
    }

    void cancelledDialogPrintsNothing()
    {
        test::ScriptedDialogs dialogs;
        dialogs.answerCancel();
        const QStringList files = filesIn(m_out);
        const PrintJobResult result = RunPrintJob(request());
        QCOMPARE(int(result.outcome), int(PrintJobOutcome::Cancelled));
        QVERIFY(!result.closePreview);
        QCOMPARE(filesIn(m_out), files);
    }

    void printerWithoutResetsGetsTwoJobs()
    {
        usePrinter(OrientationReset::NextDocument);
        test::ScriptedMessages messages;
        const size_t before = TheVirtualCardPrinter().jobs().size();
        PrintJobRequest r = request();
        r.batchMode = true;
        r.settings.doubleSided = true;
        const PrintJobResult result = RunPrintJob(r);
        QCOMPARE(result.documents, 2);
        QCOMPARE(result.pagesPrinted, 2);
        const auto &jobs = TheVirtualCardPrinter().jobs();
        QCOMPARE(jobs.size(), before + 2);
        QCOMPARE(jobs[before].pages.size(), 1);
        QCOMPARE(jobs[before + 1].pages.size(), 1);
        QCOMPARE(int(jobs[before].pages[0].orientation), int(PageOrientation::Landscape));
        QCOMPARE(int(jobs[before + 1].pages[0].orientation), int(PageOrientation::Portrait));
        QVERIFY(jobs[before].tracks[0]);
        QVERIFY(!jobs[before + 1].tracks[0]);  // the back carries no magnetic data
    }

    void orientationThatCannotBeSet()
    {
        usePrinter(OrientationReset::Unavailable);
        test::ScriptedMessages messages;
        const QStringList files = filesIn(m_out);
        PrintJobRequest r = request();
        r.batchMode = true;
        const PrintJobResult result = RunPrintJob(r);
        QCOMPARE(int(result.outcome), int(PrintJobOutcome::FrontOrientationFailed));
        QVERIFY(result.closePreview);
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.shown()[0].plain);
        QCOMPARE(messages.shown()[0].text, QString("Error setting orientation of front card"));
        QCOMPARE(filesIn(m_out), files);
    }

    void unsupportedPrinter()
    {
        usePrinter(OrientationReset::Accepted, "Generic Office Printer");
        const QStringList files = filesIn(m_out);
        {
            test::ScriptedDialogs dialogs;
            dialogs.answerText(QString());
            test::ScriptedMessages messages({MrOk});
            const PrintJobResult result = RunPrintJob(request());
            QCOMPARE(int(result.outcome), int(PrintJobOutcome::UnsupportedPrinter));
            QVERIFY(result.closePreview);
            QCOMPARE(messages.shown().size(), 1);
            QCOMPARE(messages.shown()[0].text, QString("This printer is not a supported card printer."));
            QCOMPARE(int(messages.shown()[0].kind), int(MsgKind::Warning));
            QCOMPARE(messages.shown()[0].buttons, MsgButtons(MsgButton::OK));
        }
        {
            test::ScriptedDialogs dialogs;
            dialogs.answerText(QString());
            test::ScriptedMessages messages({MrCancel});
            QVERIFY(!RunPrintJob(request()).closePreview);
        }
        {
            test::ScriptedMessages messages;
            PrintJobRequest r = request();
            r.batchMode = true;
            try {
                RunPrintJob(r);
                QFAIL("no error");
            } catch (const PrintError &e) {
                QCOMPARE(e.message(), QString("Vellora-ID is not compatible with this printer."));
            }
            QCOMPARE(messages.shown().size(), 0);
        }
        QCOMPARE(filesIn(m_out), files);
    }

    void badInputPrintsNothing_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("front background unreadable") << 0;
        QTest::newRow("front photo unreadable") << 1;
        QTest::newRow("back photo unreadable") << 2;
        QTest::newRow("linked track field missing") << 3;
    }
    void badInputPrintsNothing()
    {
        QFETCH(int, fault);
        const QString broken = m_dir.filePath("broken.jpg");
        {
            QFile f(broken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("definitely not a JPEG");
        }
        PrintJobRequest r = request();
        r.batchMode = true;
        r.settings.doubleSided = true;
        switch (fault) {
        case 0:
            r.frontBackground = broken;
            break;
        case 1:
            r.front.find("Image1")->picture = QImage();
            r.front.find("Image1")->pictureFile = broken;
            break;
        case 2: {
            CardItem photo = sample::picture("Image1_b", CardItemKind::Photo, QRect(100, 80, 120, 150), QImage());
            photo.pictureFile = broken;
            r.back.items.push_back(photo);
            break;
        }
        case 3:
            r.settings.tracks[0] = {true, TrackLinkedField, "Employee_ID"};
            break;
        }
        test::ScriptedMessages messages;
        const QStringList files = filesIn(m_out);
        const size_t jobs = TheVirtualCardPrinter().jobs().size();
        QVERIFY_THROWS_EXCEPTION(PrintError, RunPrintJob(r));
        QVERIFY(!TheVirtualCardPrinter().documentOpen());
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), jobs);
        QCOMPARE(filesIn(m_out), files);
        QCOMPARE(messages.shown().size(), 0);

        // The printer is usable again at once.
        r = request();
        r.batchMode = true;
        QCOMPARE(int(RunPrintJob(r).outcome), int(PrintJobOutcome::Printed));
    }

    void halfResolutionChangesOnlyPictures()
    {
        PrintJobRequest r = request();
        r.batchMode = true;
        r.settings.stripeOn = false;
        r.front.items.erase(r.front.items.begin(), r.front.items.begin() + 1);  // no background
        std::erase_if(r.front.items, [](const CardItem &i) { return i.isPicture(); });
        RunPrintJob(r);
        const QImage full(TheVirtualCardPrinter().jobs().back().pages[0].imageFile);
        r.mode = RenderMode::Half;
        RunPrintJob(r);
        const QImage half(TheVirtualCardPrinter().jobs().back().pages[0].imageFile);
        QCOMPARE(half, full);
    }
};

QTEST_MAIN(TestPrintJob)
#include "test_printjob.moc"
