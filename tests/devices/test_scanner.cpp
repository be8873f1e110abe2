// The scanner layer on SANE's test backend, through a private configuration.
#include "devices/scanner/Scanner.h"
#include "support/TestDevices.h"

#include <QtTest>

using namespace vellora;

class TestScanner : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Scanner::Shutdown(); }

    void noBackendsMeansNotAvailable()
    {
        test::TestScannerConfig config(QStringList{});
        Scanner::Shutdown();
        const ScannerProbe probe = Scanner::Probe();
        QVERIFY(probe.initialised);
        QVERIFY(!probe.available());
        QCOMPARE(Scanner::Source(), QString());
        QVERIFY_THROWS_EXCEPTION(ScannerError, Scanner::Acquire());
    }

    void listsDevicesAndChoosesSource()
    {
        test::TestScannerConfig config;
        Scanner::Shutdown();
        const ScannerProbe probe = Scanner::Probe();
        QVERIFY(probe.available());
        QCOMPARE(probe.devices.size(), 2);
        QCOMPARE(probe.devices[0].name, QStringLiteral("test:0"));
        QVERIFY(probe.devices[0].text().endsWith(QStringLiteral("(test:0)")));
        Scanner::SetSource(QString());
        QCOMPARE(Scanner::Source(), QStringLiteral("test:0"));
        Scanner::SetSource(QStringLiteral("test:1"));
        QCOMPARE(Scanner::Source(), QStringLiteral("test:1"));
        // A device no longer present falls back to the first.
        Scanner::SetSource(QStringLiteral("gone:3"));
        QCOMPARE(Scanner::Source(), QStringLiteral("test:0"));
    }

    // One picture in colour at 300 dpi over the whole 50 x 50 mm area,
    // however the device sends it.
    void acquire_data()
    {
        QTest::addColumn<QStringList>("conf");
        QTest::newRow("one pass, 8 bit") << QStringList{};
        QTest::newRow("three passes") << QStringList{QStringLiteral("three-pass true")};
        QTest::newRow("16 bit") << QStringList{QStringLiteral("depth 16")};
        QTest::newRow("hand scanner, height unknown") << QStringList{QStringLiteral("hand-scanner true")};
        QTest::newRow("short reads") << QStringList{QStringLiteral("read-limit true"), QStringLiteral("read-limit-size 7")};
    }
    void acquire()
    {
        QFETCH(QStringList, conf);
        test::TestScannerConfig config({QStringLiteral("test")}, conf);
        Scanner::Shutdown();
        QVERIFY(Scanner::Probe().available());
        const std::optional<QImage> picture = Scanner::Acquire();
        QVERIFY(picture.has_value());
        QVERIFY(!picture->isGrayscale());
        const bool hand = conf.contains(QStringLiteral("hand-scanner true"));
        // The whole 50 mm square at 300 dpi, 590.55 pixels cut to 590 (the
        // hand scanner has a fixed 11 cm width).
        if (!hand)
            QCOMPARE(picture->size(), QSize(590, 590));
        QVERIFY(picture->height() > 100);
        // The colour pattern has more than one colour.
        QSet<QRgb> colours;
        for (int y = 0; y < picture->height(); y += 13)
            for (int x = 0; x < picture->width(); x += 13)
                colours.insert(picture->pixel(x, y));
        QVERIFY(colours.size() > 3);
    }

    void deviceThatDeliversNothing()
    {
        for (const char *status : {"SANE_STATUS_NO_DOCS", "SANE_STATUS_CANCELLED"}) {
            test::TestScannerConfig config({QStringLiteral("test")},
                                           {QStringLiteral("read-status-code \"%1\"").arg(QLatin1String(status))});
            Scanner::Shutdown();
            QVERIFY(Scanner::Probe().available());
            QVERIFY2(!Scanner::Acquire().has_value(), status);
        }
    }

    void deviceFailureIsAnError()
    {
        test::TestScannerConfig config({QStringLiteral("test")}, {QStringLiteral("read-status-code \"SANE_STATUS_IO_ERROR\"")});
        Scanner::Shutdown();
        QVERIFY(Scanner::Probe().available());
        QVERIFY_THROWS_EXCEPTION(ScannerError, Scanner::Acquire());
        QVERIFY_THROWS_EXCEPTION(ScannerError, Scanner::AcquireFrom(QStringLiteral("nosuchdevice:0")));
    }
};

QTEST_MAIN(TestScanner)
#include "test_scanner.moc"
