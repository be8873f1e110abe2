// The video capture layer on GStreamer's test source (the test camera).
#include <gst/gst.h>

#include "devices/video/VideoCapture.h"
#include "support/TestDevices.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

class TestVideoCapture : public QObject {
    Q_OBJECT

    // Selects the test camera (the last entry) and returns its index.
    static int selectTestCamera(VideoCapture &video)
    {
        const QList<VideoDriver> drivers = video.listDrivers();
        for (int i = 0; i < drivers.size(); ++i)
            if (drivers[i].version == QLatin1String("test")) {
                video.selectDriver(i);
                return i;
            }
        return -1;
    }

private slots:
    void testCameraListedOnlyWhenAsked()
    {
        test::UseTestCamera(false);
        VideoCapture video;
        for (const VideoDriver &d : video.listDrivers())
            QVERIFY(d.version != QLatin1String("test"));
        QVERIFY(video.listDrivers().size() <= VideoCapture::kMaxDrivers);

        test::UseTestCamera(true);
        const QList<VideoDriver> drivers = video.listDrivers();
        QVERIFY(!drivers.isEmpty());
        QCOMPARE(drivers.last().name, QStringLiteral("Test Camera"));
        QCOMPARE(drivers.last().text(), QStringLiteral("Test Camera test"));
        // The order is stable from one listing to the next.
        QCOMPARE(video.listDrivers().size(), drivers.size());
        for (int i = 0; i < drivers.size(); ++i)
            QCOMPARE(video.drivers()[i].id, drivers[i].id);
    }

    void selectionByNameAndIndex()
    {
        test::UseTestCamera(true);
        VideoCapture video;
        const int cam = selectTestCamera(video);
        QVERIFY(cam >= 0);
        QVERIFY(video.selectDriverByName(QStringLiteral("Test Camera")));
        QCOMPARE(video.driverIndex(), cam);
        QCOMPARE(video.driverName(), QStringLiteral("Test Camera"));
        QVERIFY(!video.selectDriverByName(QStringLiteral("Camera that was unplugged")));
        QCOMPARE(video.driverIndex(), -1);
        QCOMPARE(video.driverName(), QString());
        video.selectDriver(99);
        QCOMPARE(video.driverIndex(), -1);
    }

    void openWithoutDriverGivesFixedText()
    {
        VideoCapture video;
        video.selectDriver(-1);
        try {
            video.open();
            QFAIL("open without a driver succeeded");
        } catch (const VideoCaptureError &e) {
            QCOMPARE(e.message(), QStringLiteral("No capture driver selected"));
        }
        QVERIFY(!video.isOpen());
        QVERIFY_THROWS_EXCEPTION(VideoCaptureError, video.grabFrame());
    }

    // Each format the camera offers, odd pixel layouts and 10-bit ones
    // included, reaches the program as an ordinary picture of its size.
    void formats_data()
    {
        QTest::addColumn<QString>("pixelFormat");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("default 640x480") << QString() << 640 << 480;
        QTest::newRow("YUY2 1280x720") << "YUY2" << 1280 << 720;
        QTest::newRow("I420 320x240") << "I420" << 320 << 240;
        QTest::newRow("10-bit I420_10LE") << "I420_10LE" << 640 << 480;
        QTest::newRow("NV12 odd width") << "NV12" << 642 << 482;
        QTest::newRow("MJPEG 1280x720") << "MJPEG" << 1280 << 720;
    }
    void formats()
    {
        QFETCH(QString, pixelFormat);
        QFETCH(int, width);
        QFETCH(int, height);
        test::UseTestCamera(true);
        VideoCapture video;
        QVERIFY(selectTestCamera(video) >= 0);
        if (pixelFormat == QLatin1String("MJPEG"))
            video.setFormat({QStringLiteral("image/jpeg"), QString(), width, height, 30, 1});
        else if (!pixelFormat.isEmpty())
            video.setFormat({QStringLiteral("video/x-raw"), pixelFormat, width, height, 30, 1});
        video.open();
        QVERIFY(video.isOpen());
        QCOMPARE(video.pictureSize(), QSize(width, height));

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("temp.bmp"));
        QVERIFY(video.saveFrame(file));
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.read(2), QByteArray("BM"));
        const QImage saved(file);
        QCOMPARE(saved.size(), QSize(width, height));
        // The test pattern's bars: left white-ish, not one flat colour.
        QVERIFY(saved.pixelColor(width / 20, height / 3) != saved.pixelColor(width - width / 20, height / 3));
        video.close();
        QVERIFY(!video.isOpen());
    }

    void offersFormatsAndDisplayButNoControls()
    {
        test::UseTestCamera(true);
        VideoCapture video;
        QVERIFY(selectTestCamera(video) >= 0);
        QVERIFY(video.hasFormats());
        QVERIFY(video.formats().first().text().startsWith(QStringLiteral("640 x 480, 30 fps, YUY2")));
        QVERIFY(!video.hasControls());
        QVERIFY(video.hasDisplayOptions());
        video.selectDriver(-1);
        QVERIFY(!video.hasFormats());
        QVERIFY(!video.hasDisplayOptions());
    }

    void livePreviewScaledIntoDisplay()
    {
        test::UseTestCamera(true);
        VideoCapture video;
        QVERIFY(selectTestCamera(video) >= 0);
        video.setPreviewSize(QSize(244, 200));
        QSignalSpy frames(&video, &VideoCapture::previewFrame);
        video.open();
        video.setPreview(true);
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 5, 5000);
        QCOMPARE(frames.last().first().value<QImage>().size(), QSize(244, 183));
        video.setPreview(false);
        QTest::qWait(200);
        const qsizetype stopped = frames.size();
        QTest::qWait(300);
        QCOMPARE(frames.size(), stopped);
    }

    void displayOptionsTurnAndMirror()
    {
        test::UseTestCamera(true);
        VideoCapture video;
        QVERIFY(selectTestCamera(video) >= 0);
        video.open();
        const QImage plain = video.grabFrame();
        video.setDisplayOptions({true, 0});
        const QImage mirrored = video.grabFrame();
        QCOMPARE(mirrored.pixel(5, 50), plain.pixel(plain.width() - 6, 50));
        video.setDisplayOptions({false, 90});
        QCOMPARE(video.pictureSize(), QSize(480, 640));
        QTemporaryDir dir;
        QVERIFY(video.saveFrame(dir.filePath(QStringLiteral("t.bmp"))));
        QCOMPARE(QImage(dir.filePath(QStringLiteral("t.bmp"))).size(), QSize(480, 640));
    }

    // A camera that fails while live (unplugged): the picture stops, the
    // next capture is refused with an error, nothing crashes; opening again
    // works.
    void deviceLostWhileLive()
    {
        test::UseTestCamera(true);
        VideoCapture video;
        QVERIFY(selectTestCamera(video) >= 0);
        QSignalSpy lost(&video, &VideoCapture::deviceLost);
        QSignalSpy frames(&video, &VideoCapture::previewFrame);
        video.open();
        video.setPreview(true);
        QTRY_VERIFY(frames.size() >= 1);
        auto *src = static_cast<GstElement *>(video.sourceElement());
        GError *error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "Device disconnected");
        gst_element_post_message(src, gst_message_new_error(GST_OBJECT(src), error, "unplugged"));
        g_error_free(error);
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(lost.first().first().toString(), QStringLiteral("Device disconnected"));
        QVERIFY(video.lost());
        QVERIFY_THROWS_EXCEPTION(VideoCaptureError, video.saveFrame(QDir::temp().filePath(QStringLiteral("never.bmp"))));
        const qsizetype after = frames.size();
        QTest::qWait(300);
        QVERIFY(frames.size() <= after + 1);
        video.open();
        QVERIFY(!video.lost());
        QVERIFY(!video.grabFrame().isNull());
    }

    void unwritableFileReportsFailure()
    {
        test::UseTestCamera(true);
        VideoCapture video;
        QVERIFY(selectTestCamera(video) >= 0);
        video.open();
        QVERIFY(!video.saveFrame(QStringLiteral("/nonexistent-folder/temp.bmp")));
    }
};

QTEST_MAIN(TestVideoCapture)
#include "test_videocapture.moc"
