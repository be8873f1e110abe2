// Printing through a real CUPS server: a private cupsd (scripts/cups-test-
// server) with a cups-pdf queue whose driver names a supported card printer
// and one whose driver does not. The PDF that cups-pdf writes is rendered
// with pdftoppm and looked at.
#include "SampleCard.h"
#include "devices/print/CupsPrintDevice.h"
#include "devices/print/PrinterRegistry.h"
#include "lang/LanguageTable.h"
#include "print/PrintJob.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace vellora;

class TestCups : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_script;
    QString m_serverDir;
    QString m_pdfDir;
    bool m_started = false;

    QStringList pdfs() const { return QDir(m_pdfDir).entryList({"*.pdf"}, QDir::Files); }

    // The first PDF not among those there before.
    QString waitForPdf(const QStringList &before, int timeoutMs = 60000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            QStringList found = pdfs();
            for (const QString &old : before)
                found.removeAll(old);
            if (!found.isEmpty()) {
                const QString path = QDir(m_pdfDir).filePath(found.first());
                // cups-pdf writes the file and then gives it away; wait
                // until pdfinfo reads it whole.
                QProcess info;
                info.start("pdfinfo", {path});
                if (info.waitForFinished(10000) && info.exitCode() == 0)
                    return path;
            }
            QTest::qWait(200);
        }
        return {};
    }

    static QString run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    PrintJobRequest request(const QString &title) const
    {
        PrintJobRequest r;
        r.front = sample::front();
        r.back = sample::back();
        r.documentTitle = title;
        r.frontBackground = sample::writeBackground(m_dir.path(), true);
        r.backBackground = sample::writeBackground(m_dir.path(), false);
        r.settings.doubleSided = true;
        r.settings.stripeOn = true;
        r.settings.tracks[0] = {true, TrackStaticText, "MARIA LINDQVIST"};
        r.settings.tracks[1] = {true, TrackStaticText, "00017"};
        return r;
    }

private slots:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("the private CUPS server needs root (cupsd's backends and a mount namespace)");
        const QString source = qEnvironmentVariable("VELLORA_SOURCE_DIR");
        m_script = QDir(source.isEmpty() ? QStringLiteral(".") : source).filePath("scripts/cups-test-server");
        if (!QFile::exists(m_script))
            QSKIP("scripts/cups-test-server not found (VELLORA_SOURCE_DIR unset)");
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty() || QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("poppler-utils (pdftoppm, pdfinfo) not installed");
        QVERIFY(m_dir.isValid());
        // VELLORA_KEEP_CUPS_DIR keeps the server's folder (logs, spool) for a look.
        m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("VELLORA_KEEP_CUPS_DIR"));
        // The server's filters run as lp and must reach the folder.
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ReadGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::ExeOther);
        m_serverDir = m_dir.filePath("cups");
        QProcess start;
        start.start("sh", {m_script, "start", m_serverDir});
        QVERIFY(start.waitForFinished(120000));
        if (start.exitCode() == 3)
            QSKIP(qPrintable("CUPS test server unavailable: " + QString::fromUtf8(start.readAllStandardError())));
        QVERIFY2(start.exitCode() == 0, start.readAllStandardError().constData());
        m_started = true;
        for (const QString &line : QString::fromUtf8(start.readAllStandardOutput()).split('\n')) {
            if (line.startsWith("CUPS_SERVER="))
                qputenv("CUPS_SERVER", line.mid(12).toUtf8());
            if (line.startsWith("PDF_DIR="))
                m_pdfDir = line.mid(8);
        }
        QVERIFY(!m_pdfDir.isEmpty());
        CurrentLanguage().append("Literals61=This printer is not a supported card printer.");
    }

    void cleanupTestCase()
    {
        if (m_started)
            QProcess::execute("sh", {m_script, "stop", m_serverDir});
    }

    void queuesAreListedWithTheirDrivers()
    {
        const QList<PrinterEntry> printers = AvailablePrinters();
        QVERIFY(printers.size() >= 3);
        QVERIFY(printers[0].isVirtual);
        QStringList names;
        for (const PrinterEntry &p : printers)
            names << p.name;
        QVERIFY(names.contains("VelloraCardTest"));
        QVERIFY(names.contains("VelloraPlainTest"));
        QCOMPARE(CupsMakeAndModel("VelloraCardTest"), QString("KESTA K200 Card Printer, cups-pdf"));
        QCOMPARE(CupsMakeAndModel("VelloraPlainTest"), QString("Generic CUPS-PDF Printer (w/ options)"));
        QCOMPARE(CupsMakeAndModel("NoSuchQueue"), QString());
    }

    void doubleSidedCardOnTheCardPrinter()
    {
        test::ScriptedDialogs dialogs;
        dialogs.answerText("VelloraCardTest");
        test::ScriptedMessages messages;
        const QString title = "vellora-cups-card";
        const QStringList before = pdfs();
        const PrintJobResult result = RunPrintJob(request(title));
        QCOMPARE(int(result.outcome), int(PrintJobOutcome::Printed));
        QCOMPARE(result.pagesPrinted, 2);
        QCOMPARE(result.documents, 1);
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(CurrentPrinterName(), QString("VelloraCardTest"));
        QVERIFY(PrinterDriverName().contains("KESTA"));

        const QString pdf = waitForPdf(before);
        QVERIFY2(!pdf.isEmpty(), "cups-pdf wrote no PDF");
        const QString info = run("pdfinfo", {"-f", "1", "-l", "2", pdf});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+2\\b")), qPrintable(info));

        // Page sizes in points: 85.6 x 54 mm is 242.6 x 153.1.
        const QRegularExpression size("Page\\s+(\\d) size:\\s+([\\d.]+) x ([\\d.]+) pts");
        QList<QSizeF> sizes;
        for (auto m = size.globalMatch(info); m.hasNext();) {
            const auto match = m.next();
            sizes << QSizeF(match.captured(2).toDouble(), match.captured(3).toDouble());
        }
        QCOMPARE(sizes.size(), 2);
        // The queue's media is the card, portrait; a landscape page arrives
        // either as it is or turned onto it by the queue's filters.
        QVERIFY(qAbs(qMax(sizes[0].width(), sizes[0].height()) - 242.6) < 2);
        QVERIFY(qAbs(qMin(sizes[0].width(), sizes[0].height()) - 153.1) < 2);
        QVERIFY2(sizes[1].width() < sizes[1].height(), "the back is portrait");

        const QString prefix = m_dir.filePath("page");
        QCOMPARE(QProcess::execute("pdftoppm", {"-q", "-r", "100", "-png", pdf, prefix}), 0);
        QImage front(prefix + "-1.png");
        const QImage back(prefix + "-2.png");
        QVERIFY(!front.isNull() && !back.isNull());
        auto near = [](QRgb p, QColor c, int tolerance = 40) {
            return qAbs(qRed(p) - c.red()) < tolerance && qAbs(qGreen(p) - c.green()) < tolerance &&
                   qAbs(qBlue(p) - c.blue()) < tolerance;
        };
        // Positions in card pixels at 300 dpi (1011 across the long side).
        auto at = [](const QImage &img, int x300, int y300) {
            const double s = qMax(img.width(), img.height()) / 1011.0;
            return img.pixel(qMin(img.width() - 1, int(x300 * s)), qMin(img.height() - 1, int(y300 * s)));
        };
        const QColor red(200, 40, 40), blue(25, 95, 170), backdrop(120, 150, 180), paper(250, 250, 246);
        if (front.width() < front.height()) {
            // Turned: find the way round that puts the front's bands right.
            const QImage left = front.transformed(QTransform().rotate(90));
            const QImage right = front.transformed(QTransform().rotate(-90));
            front = near(at(left, 500, 620), red) ? left : right;
        }
        QVERIFY2(front.width() > front.height(), "page 1 carries the landscape front");
        QVERIFY2(near(at(front, 500, 620), red), "red band at the bottom of the front");
        QVERIFY2(near(at(front, 600, 90), blue, 60), "blue band at the top of the front");
        QVERIFY2(near(at(front, 50, 210), backdrop), "the photo where the photo item lies");
        QVERIFY2(near(at(front, 700, 450), paper, 20), "card background beside the texts");
        QVERIFY2(near(at(back, 300, 40), blue, 60), "blue band at the top of the back");
        QVERIFY2(near(at(back, 300, 990), red), "red band at the bottom of the back");
        // The escape text, drawn for the card printer's driver, sits at the
        // front's top-left corner: dark text on the blue band; the back has none.
        int darkFront = 0, darkBack = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 200; ++x) {
                darkFront += qGray(front.pixel(x, y)) < 40;
                darkBack += qGray(back.pixel(x, y)) < 40;
            }
        QVERIFY2(darkFront > 20, "escape text on the front page");
        QCOMPARE(darkBack, 0);
    }

    void plainPrinterIsRefused()
    {
        test::ScriptedDialogs dialogs;
        dialogs.answerText("VelloraPlainTest");
        test::ScriptedMessages messages({MrOk});
        const QString title = "vellora-cups-plain";
        const QStringList before = pdfs();
        const PrintJobResult result = RunPrintJob(request(title));
        QCOMPARE(int(result.outcome), int(PrintJobOutcome::UnsupportedPrinter));
        QVERIFY(result.closePreview);
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].text, Literal(61));
        QTest::qWait(1500);
        QCOMPARE(pdfs(), before);
        // Back to the card printer for whatever runs next.
        QVERIFY(SelectPrinter("VelloraCardTest"));
    }

    void badPictureOnTheCardPrinterSendsNoJob()
    {
        QVERIFY(SelectPrinter("VelloraCardTest"));
        const QString broken = m_dir.filePath("broken.png");
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a png");
        f.close();
        PrintJobRequest r = request("vellora-cups-broken");
        r.batchMode = true;
        r.backBackground = broken;
        const QStringList before = pdfs();
        QVERIFY_THROWS_EXCEPTION(PrintError, RunPrintJob(r));
        QVERIFY(!CurrentPrinter().documentOpen());
        QTest::qWait(3000);
        QCOMPARE(pdfs(), before);
    }
};

QTEST_MAIN(TestCups)
#include "test_cups.moc"
