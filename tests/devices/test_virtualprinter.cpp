// The virtual card printer: pages at its resolution, the escape lines taken
// off the page, the files of a job, unique names, dropped documents.
#include "devices/print/VirtualCardPrinter.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

class TestVirtualPrinter : public QObject {
    Q_OBJECT

private slots:
    void pageSizes_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QSize>("landscape");
        // The rendered card: 1026 x 642 at 300 dpi, in proportion elsewhere.
        QTest::newRow("150") << 150 << QSize(513, 321);
        QTest::newRow("300") << 300 << QSize(1026, 642);
        QTest::newRow("600") << 600 << QSize(2052, 1284);
        QTest::newRow("1200") << 1200 << QSize(4104, 2568);
    }
    void pageSizes()
    {
        QFETCH(int, dpi);
        QFETCH(QSize, landscape);
        QCOMPARE(CardPagePixels(dpi, PageOrientation::Landscape), landscape);
        QCOMPARE(CardPagePixels(dpi, PageOrientation::Portrait), landscape.transposed());
    }

    // A card image of the rendered size fills the page exactly (the PDF
    // keeps the card's real size: jobFiles).
    void pageHoldsTheWholeCard()
    {
        QTemporaryDir dir;
        VirtualCardPrinter printer({dir.filePath("out"), 300, OrientationReset::Accepted, {}});
        printer.beginDocument("card");
        QImage card(1026, 642, QImage::Format_RGB32);
        card.fill(Qt::white);
        for (int y = 0; y < card.height(); ++y)
            for (int x = 0; x < card.width(); ++x)
                if (x < 2 || y < 2 || x >= card.width() - 2 || y >= card.height() - 2)
                    card.setPixel(x, y, qRgb(200, 0, 0));
        printer.stretchBitmap(QRect(0, 0, 1026, 642), card);
        printer.endDocument();
        const PrintedJob &job = printer.jobs().back();
        const QImage page = QImage(job.pages[0].imageFile).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page, card);
    }

    // A monochrome job: black or nothing, also at the edges of texts.
    void monochromePagesAreBlackAndWhite()
    {
        QTemporaryDir dir;
        VirtualCardPrinter printer({dir.filePath("out"), 300, OrientationReset::Accepted, {}});
        printer.setMonochrome(true);
        printer.beginDocument("mono");
        DeviceFont font;
        font.pixelHeight = 40;
        font.colour = QColor(90, 90, 90);
        printer.selectFont(font);
        printer.drawTextInBox(QRect(20, 20, 900, 300), "Anna-Katharina Maximiliane", TextWordBreak);
        QImage grey(100, 100, QImage::Format_RGB32);
        grey.fill(QColor(100, 100, 100));
        printer.stretchBitmap(QRect(600, 300, 250, 250), grey);
        printer.endDocument();
        const QImage page = QImage(printer.jobs().back().pages[0].imageFile).convertToFormat(QImage::Format_RGB32);
        int black = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb p = page.pixel(x, y) & 0xffffff;
                QVERIFY2(p == 0 || p == 0xffffff, qPrintable(QString("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 6, 16)));
                black += p == 0;
            }
        QVERIFY(black > 250 * 250);

        // The next colour job keeps its colours.
        printer.setMonochrome(false);
        printer.beginDocument("colour");
        printer.stretchBitmap(QRect(0, 0, 100, 100), grey);
        printer.endDocument();
        QCOMPARE(QImage(printer.jobs().back().pages[0].imageFile).pixel(50, 50), qRgb(100, 100, 100));
    }

    void escapeLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("data");
        QTest::newRow("track 1") << "~1,MPC7,BPI210,%JOHN?" << 1 << "JOHN";
        QTest::newRow("track 2") << "~2,MPC5,BPI75,;1234=56?" << 2 << "1234=56";
        QTest::newRow("track 3 empty") << "~3,MPC5,BPI210,;?" << 3 << "";
        QTest::newRow("track 4 is none") << "~4,MPC5,BPI210,;1?" << 0 << "";
        QTest::newRow("no tilde") << "1,MPC7" << 0 << "";
    }
    void escapeLines()
    {
        QFETCH(QString, text);
        QFETCH(int, track);
        QFETCH(QString, data);
        const auto parsed = ParseEscapeLine(text);
        QCOMPARE(parsed ? parsed->first : 0, track);
        if (parsed)
            QCOMPARE(parsed->second.data, data);
    }

    void jobFiles()
    {
        QTemporaryDir dir;
        VirtualCardPrinter printer({dir.filePath("out"), 300, OrientationReset::Accepted, {}});
        QVERIFY(printer.setOrientation(PageOrientation::Landscape).applied);
        printer.beginDocument("two pages");
        printer.setTransparentTextBackground();
        QImage red(10, 10, QImage::Format_RGB32);
        red.fill(Qt::red);
        printer.stretchBitmap(QRect(100, 100, 200, 100), red);
        DeviceFont arial;
        arial.pixelHeight = 42;
        printer.selectFont(arial);
        printer.textOut(QPoint(0, 0), "~1,MPC7,BPI210,%MARIA?");
        printer.textOut(QPoint(0, 0), "~2,MPC5,BPI75,;00017?");
        printer.endPage();
        QVERIFY(printer.setOrientation(PageOrientation::Portrait).applied);
        printer.startPage();
        printer.textOut(QPoint(0, 0), "Plain text at the origin");
        printer.textOut(QPoint(5, 5), "~3,MPC5,BPI210,;1?");  // not at the origin: printed
        printer.endDocument();

        QCOMPARE(printer.jobs().size(), size_t(1));
        const PrintedJob &job = printer.jobs().back();
        QCOMPARE(job.pages.size(), 2);
        const QImage front(job.pages[0].imageFile);
        const QImage back(job.pages[1].imageFile);
        QCOMPARE(front.size(), QSize(1026, 642));
        QCOMPARE(back.size(), QSize(642, 1026));
        QCOMPARE(front.pixel(200, 150), qRgb(255, 0, 0));
        for (int y = 0; y < 90; ++y)  // the escape lines left nothing
            for (int x = 0; x < 1026; ++x)
                QCOMPARE(front.pixel(x, y), qRgb(255, 255, 255));
        int ink = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 600; ++x)
                ink += qGray(back.pixel(x, y)) < 100;
        QVERIFY(ink > 100);
        QCOMPARE(job.tracks[0]->data, QString("MARIA"));
        QCOMPARE(job.tracks[1]->data, QString("00017"));
        QVERIFY(!job.tracks[2]);

        QFile info(job.infoFile);
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(info.readAll());
        for (const char *line : {"resolution=300x300\n", "pages=2\n", "page1.orientation=landscape\n",
                                 "page2.orientation=portrait\n", "track1=MARIA\n", "track2=00017\n"})
            QVERIFY2(text.contains(QLatin1String(line)), line);

        if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("pdfinfo not installed: the PDF is not examined");
        QProcess pdfinfo;
        pdfinfo.start("pdfinfo", {"-f", "1", "-l", "2", job.pdfFile});
        QVERIFY(pdfinfo.waitForFinished(30000));
        const QString out = QString::fromUtf8(pdfinfo.readAllStandardOutput());
        QVERIFY2(out.contains(QRegularExpression("Page\\s+1 size:\\s+24[23](\\.\\d+)? x 153(\\.\\d+)? pts")), qPrintable(out));
        QVERIFY2(out.contains(QRegularExpression("Page\\s+2 size:\\s+153(\\.\\d+)? x 24[23](\\.\\d+)? pts")), qPrintable(out));

        // The PDF's pages show the pictures of the PNG files.
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
            QSKIP("pdftoppm not installed: the PDF's pictures are not examined");
        QProcess pdftoppm;
        pdftoppm.start("pdftoppm", {"-r", "300", "-png", job.pdfFile, dir.filePath("render")});
        QVERIFY(pdftoppm.waitForFinished(60000));
        const QImage frontPdf = QImage(dir.filePath("render-1.png")).convertToFormat(QImage::Format_RGB32);
        const QImage backPdf = QImage(dir.filePath("render-2.png")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(qAbs(frontPdf.width() - 1011) <= 1 && qAbs(frontPdf.height() - 638) <= 1);
        QVERIFY(qAbs(backPdf.width() - 638) <= 1 && qAbs(backPdf.height() - 1011) <= 1);
        auto near = [](QRgb a, QRgb b) {
            return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) < 30;
        };
        int differ = 0;
        for (int y = 2; y < 630; y += 7)
            for (int x = 2; x < 1000; x += 7)
                differ += !near(frontPdf.pixel(x, y), front.pixel(x, y));
        QVERIFY2(differ < 20, qPrintable(QString::number(differ)));
        QCOMPARE(QImage(job.pages[0].imageFile).dotsPerMeterX(), 11811);  // 300 dpi
        // Nothing of the writing is left behind.
        QCOMPARE(QDir(dir.filePath("out")).entryList(QDir::Files | QDir::Hidden).size(), 4);
    }

    void jobsNeverOverwriteEachOther()
    {
        QTemporaryDir dir;
        VirtualCardPrinter first({dir.path(), 150, OrientationReset::Accepted, {}});
        VirtualCardPrinter second({dir.path(), 150, OrientationReset::Accepted, {}});
        for (int i = 0; i < 3; ++i) {
            first.beginDocument("a");
            first.endDocument();
            second.beginDocument("b");
            second.endDocument();
        }
        QSet<QString> names;
        for (const auto *p : {&first, &second})
            for (const PrintedJob &j : p->jobs()) {
                names.insert(j.name);
                QVERIFY(QFile::exists(j.infoFile) && QFile::exists(j.pdfFile) && QFile::exists(j.pages[0].imageFile));
            }
        QCOMPARE(names.size(), 6);
        QCOMPARE(QDir(dir.path()).entryList({"*.txt"}).size(), 6);
    }

    void droppedDocumentLeavesNothing()
    {
        QTemporaryDir dir;
        VirtualCardPrinter printer({dir.filePath("out"), 300, OrientationReset::Accepted, {}});
        printer.beginDocument("dropped");
        printer.textOut(QPoint(0, 0), "~1,MPC7,BPI210,%X?");
        printer.abortDocument();
        QVERIFY(!printer.documentOpen());
        QVERIFY(printer.jobs().empty());
        QVERIFY(QDir(dir.filePath("out")).entryList(QDir::Files).isEmpty());
        printer.beginDocument("next");
        printer.endDocument();
        QVERIFY(!printer.jobs().back().tracks[0]);  // nothing carried over
    }

    void orientationResets()
    {
        QTemporaryDir dir;
        VirtualCardPrinter later({dir.path(), 150, OrientationReset::NextDocument, {}});
        later.beginDocument("x");
        const OrientationResult r = later.setOrientation(PageOrientation::Portrait);
        QVERIFY(r.changed && !r.applied);
        later.startPage();
        later.endDocument();
        QCOMPARE(int(later.jobs().back().pages[1].orientation), int(PageOrientation::Landscape));
        later.beginDocument("y");
        later.endDocument();
        QCOMPARE(int(later.jobs().back().pages[0].orientation), int(PageOrientation::Portrait));

        VirtualCardPrinter none({dir.path(), 150, OrientationReset::Unavailable, {}});
        QVERIFY(!none.setOrientation(PageOrientation::Portrait).changed);
    }

    void badSettingsAndFolders()
    {
        QTemporaryDir dir;
        VirtualCardPrinter odd({dir.path(), 333, OrientationReset::Accepted, {}});
        QVERIFY_THROWS_EXCEPTION(PrintError, odd.beginDocument("x"));
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        VirtualCardPrinter blocked({dir.filePath("file/sub"), 150, OrientationReset::Accepted, {}});
        blocked.beginDocument("x");
        QVERIFY_THROWS_EXCEPTION(PrintError, blocked.endDocument());
        QVERIFY(!blocked.documentOpen());
        QVERIFY(blocked.jobs().empty());
        QCOMPARE(VirtualCardPrinter().driverName().toUpper().contains("VELLORA"), true);
    }
};

QTEST_MAIN(TestVirtualPrinter)
#include "test_virtualprinter.moc"
