// The main window's size and place from the screen and its work area.
#include "app/shell/WindowSizing.h"

#include <QtTest>

using namespace vellora;

class TestWindowSizing : public QObject {
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QRect>("work");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("resizable");
        QTest::newRow("800x600 fills the screen") << QSize(800, 600) << QRect(0, 0, 800, 560) << QRect(0, 0, 800, 600) << false;
        QTest::newRow("1024x600 is still small") << QSize(1024, 600) << QRect(0, 0, 1024, 600) << QRect(0, 0, 1024, 600) << false;
        QTest::newRow("1280x1024 centred 1024x768") << QSize(1280, 1024) << QRect(0, 0, 1280, 994) << QRect(128, 128, 1024, 768) << true;
        QTest::newRow("1024x768 takes the work area") << QSize(1024, 768) << QRect(0, 30, 1024, 738) << QRect(0, 30, 1024, 738) << true;
        QTest::newRow("wide but short work area") << QSize(1920, 800) << QRect(60, 0, 1860, 760) << QRect(448, 0, 1024, 760) << true;
    }
    void placement()
    {
        QFETCH(QSize, screen);
        QFETCH(QRect, work);
        QFETCH(QRect, expected);
        QFETCH(bool, resizable);
        const MainWindowPlacement p = PlaceMainWindow(screen, work);
        QCOMPARE(p.geometry, expected);
        QCOMPARE(p.resizable, resizable);
        QCOMPARE(p.maximiseButton, resizable);
    }
};

QTEST_MAIN(TestWindowSizing)
#include "test_window_sizing.moc"
