// The capture window's arithmetic: fitting, the store strip, the Load page
// display, the crop frame, its corrections and the cut, and the handles.
#include "capture/CaptureGeometry.h"
#include "capture/CropFrame.h"

#include <QtTest>

using namespace vellora;

class TestCaptureGeometry : public QObject {
    Q_OBJECT

private slots:
    void fitIntoVideoArea_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("640x480") << QSize(640, 480) << QSize(244, 183);
        QTest::newRow("320x240") << QSize(320, 240) << QSize(244, 183);
        QTest::newRow("1280x720") << QSize(1280, 720) << QSize(244, 137);
        QTest::newRow("portrait 480x640") << QSize(480, 640) << QSize(150, 200);
        QTest::newRow("empty") << QSize(0, 0) << QSize();
    }
    void fitIntoVideoArea()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, fitted);
        QCOMPARE(FitIntoVideoArea(picture), fitted);
    }

    void panelCentredInGroupBox()
    {
        // 244 x 183 + 4 in the 441 x 289 group box.
        QCOMPARE(CentredIn(QSize(441, 289), QSize(248, 187)), QPoint(96, 51));
    }

    void storeStrip_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("640x480") << QSize(640, 480) << 140 << 500;
        QTest::newRow("320x240") << QSize(320, 240) << 70 << 250;
        QTest::newRow("scanner 590x590") << QSize(590, 590) << 73 << 516;
        // Narrower than 3 : 4: the strip reaches beyond both sides.
        QTest::newRow("portrait 300x800") << QSize(300, 800) << -150 << 450;
    }
    void storeStrip()
    {
        QFETCH(QSize, frame);
        QFETCH(int, left);
        QFETCH(int, right);
        const StoreStrip strip = StoreStripOf(frame);
        QCOMPARE(strip.left, left);
        QCOMPARE(strip.right, right);
    }

    void cutStoreStripScalesTo300x400()
    {
        // Left half red, right half blue: the centred strip keeps both.
        QImage frame(640, 480, QImage::Format_RGB32);
        frame.fill(Qt::red);
        for (int y = 0; y < 480; ++y)
            for (int x = 320; x < 640; ++x)
                frame.setPixel(x, y, qRgb(0, 0, 255));
        const QImage strip = CutStoreStrip(frame);
        QCOMPARE(strip.size(), QSize(300, 400));
        QCOMPARE(QColor(strip.pixel(10, 200)), QColor(Qt::red));
        QCOMPARE(QColor(strip.pixel(290, 200)), QColor(Qt::blue));

        // A frame narrower than 3 : 4 gets white beside the picture.
        QImage narrow(300, 800, QImage::Format_RGB32);
        narrow.fill(Qt::black);
        const QImage padded = CutStoreStrip(narrow);
        QCOMPARE(padded.size(), QSize(300, 400));
        QCOMPARE(QColor(padded.pixel(5, 200)), QColor(Qt::white));
        QCOMPARE(QColor(padded.pixel(150, 200)), QColor(Qt::black));
    }

    void loadDisplayAndCropFrame_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("display");
        QTest::addColumn<QRect>("frame");
        // 358 x 330 inside the 362 x 334 panel.
        QTest::newRow("1200x800") << QSize(1200, 800) << QRect(2, 47, 358, 239) << QRect(91, 47, 179, 239);
        QTest::newRow("portrait 600x1200") << QSize(600, 1200) << QRect(98, 2, 165, 330) << QRect(98, 57, 165, 220);
        QTest::newRow("work picture 349x327") << QSize(349, 327) << QRect(5, 2, 352, 330) << QRect(57, 2, 248, 330);
    }
    void loadDisplayAndCropFrame()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, display);
        QFETCH(QRect, frame);
        const QRect shown = FitIntoLoadDisplay(QSize(362, 334), picture);
        QCOMPARE(shown, display);
        QCOMPARE(CropFrameFor(QSize(362, 334), shown, QSize(150, 200)), frame);
    }

    void dragCorrections_data()
    {
        QTest::addColumn<QRect>("dragged");
        QTest::addColumn<QRect>("corrected");
        const QRect display(2, 47, 358, 239);
        QTest::newRow("20x20 grows to 50x50") << QRect(100, 100, 20, 20) << QRect(100, 100, 50, 50);
        QTest::newRow("too wide and high") << QRect(0, 0, 400, 300) << QRect(2, 47, 358, 239);
        QTest::newRow("beyond the right and bottom") << QRect(340, 270, 60, 60) << QRect(300, 226, 60, 60);
        QTest::newRow("above and left") << QRect(-10, 10, 100, 100) << QRect(2, 47, 100, 100);
        QTest::newRow("inside stays") << QRect(91, 47, 179, 239) << QRect(91, 47, 179, 239);
    }
    void dragCorrections()
    {
        QFETCH(QRect, dragged);
        QFETCH(QRect, corrected);
        QCOMPARE(CorrectDraggedFrame(dragged, QRect(2, 47, 358, 239)), corrected);
    }

    void cutRectangle()
    {
        // The centred 3 : 4 frame of a 1200 x 800 picture cuts 600 x 800.
        QCOMPARE(CutRectangle(QSize(1200, 800), QRect(91, 47, 179, 239), QRect(2, 47, 358, 239)), QRect(298, 0, 600, 800));
        // A 50 x 50 frame at the display's corner.
        QCOMPARE(CutRectangle(QSize(1200, 800), QRect(2, 47, 50, 50), QRect(2, 47, 358, 239)), QRect(0, 0, 168, 167));
    }

    void grabHandles()
    {
        const QRect frame(100, 100, 50, 80);
        // Box widened by 2: corners at (98,98) and (152,182).
        QCOMPARE(HitGrabHandle(frame, {98, 98}), GrabZone::TopLeft);
        QCOMPARE(HitGrabHandle(frame, {96, 100}), GrabZone::TopLeft);
        QCOMPARE(HitGrabHandle(frame, {152, 182}), GrabZone::BottomRight);
        QCOMPARE(HitGrabHandle(frame, {125, 98}), GrabZone::Top);
        QCOMPARE(HitGrabHandle(frame, {127, 98}), GrabZone::None);   // 2 along the edge: outside the 3-pixel zone
        QCOMPARE(HitGrabHandle(frame, {125, 96}), GrabZone::Top);    // 2 across: inside the 5-pixel zone
        QCOMPARE(HitGrabHandle(frame, {152, 140}), GrabZone::Right);
        QCOMPARE(HitGrabHandle(frame, {120, 150}), GrabZone::Move);
        QCOMPARE(HitGrabHandle(frame, {20, 20}), GrabZone::None);
        QCOMPARE(GrabHandleSquares(frame).size(), 8);
        QCOMPARE(GrabHandleSquares(frame).first(), QRect(96, 96, 5, 5));

        const QRect bounds(0, 0, 362, 334);
        QCOMPARE(DragFrame(frame, GrabZone::BottomRight, {-30, -60}, bounds), QRect(100, 100, 20, 20));
        QCOMPARE(DragFrame(frame, GrabZone::Move, {500, 0}, bounds), QRect(312, 100, 50, 80));
        QCOMPARE(DragFrame(frame, GrabZone::Left, {-200, 0}, bounds), QRect(0, 100, 150, 80));
    }
};

QTEST_MAIN(TestCaptureGeometry)
#include "test_capture_geometry.moc"
