// Fonts and colours of layout items as Qt values.
#include "layout/file/LayoutFont.h"

#include <QTest>

using namespace vellora;

class TestLayoutFont : public QObject {
    Q_OBJECT
private slots:
    void heightForPoints_data();
    void heightForPoints();
    void fontFromItem();
    void fontIntoItem();
    void colours();
};

void TestLayoutFont::heightForPoints_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("ppi");
    QTest::addColumn<int>("height");
    QTest::newRow("12 at 96") << 12 << 96 << -16;
    QTest::newRow("8 at 96") << 8 << 96 << -11;
    QTest::newRow("11 at 96") << 11 << 96 << -15;
    QTest::newRow("16 at 96") << 16 << 96 << -21;
    QTest::newRow("half to even down") << 5 << 36 << -2;
    QTest::newRow("half to even up") << 7 << 36 << -4;
    QTest::newRow("12 at 120") << 12 << 120 << -20;
}

void TestLayoutFont::heightForPoints()
{
    QFETCH(int, points);
    QFETCH(int, ppi);
    QFETCH(int, height);
    QCOMPARE(LayoutFontHeightForPoints(points, ppi), height);
}

void TestLayoutFont::fontFromItem()
{
    LayoutItem item;
    item.fontName = "Arial";
    item.fontSize = 16;
    item.fontHeight = -21;
    item.style = {true, false, true, false};
    QFont f = LayoutItemFont(item);
    QCOMPARE(f.family(), QString("Arial"));
    QCOMPARE(f.pixelSize(), 21);  // the height wins over the size
    QVERIFY(f.bold() && !f.italic() && f.underline() && !f.strikeOut());

    item.fontHeight = 0;
    f = LayoutItemFont(item);
    QCOMPARE(f.pointSize(), 16);
    item.fontHeight = 20;  // cell height
    QVERIFY(LayoutItemFont(item).pixelSize() < 20);
}

void TestLayoutFont::fontIntoItem()
{
    LayoutItem item;
    item.fontColor = kLayoutDefaultColor;
    QFont f("Times New Roman", 16);
    f.setItalic(true);
    f.setStrikeOut(true);
    SetLayoutItemFont(&item, f, 96);
    QCOMPARE(item.fontName, QString("Times New Roman"));
    QCOMPARE(item.fontSize, 16);
    QCOMPARE(item.fontHeight, -21);
    QCOMPARE(item.style, (LayoutStyle{false, true, false, true}));
    QCOMPARE(item.fontColor, kLayoutDefaultColor);

    QFont px("MS Sans Serif");
    px.setPixelSize(15);
    SetLayoutItemFont(&item, px, 96);
    QCOMPARE(item.fontSize, 11);
    QCOMPARE(item.fontHeight, -15);
    // And back: the same pixel size.
    QCOMPARE(LayoutItemFont(item).pixelSize(), 15);
}

void TestLayoutFont::colours()
{
    QPalette pal;
    pal.setColor(QPalette::Active, QPalette::WindowText, QColor(10, 20, 30));
    pal.setColor(QPalette::Active, QPalette::Highlight, QColor(1, 2, 3));
    QCOMPARE(LayoutColor(0x0000FF, pal), QColor(255, 0, 0));
    QCOMPARE(LayoutColor(0xFF0000, pal), QColor(0, 0, 255));
    QCOMPARE(LayoutColor(0x00CCC7CF, pal), QColor(0xCF, 0xC7, 0xCC));
    QCOMPARE(LayoutColor(kLayoutDefaultColor, pal), QColor(10, 20, 30));
    QCOMPARE(LayoutColor(qint32(0x8000000D), pal), QColor(1, 2, 3));
    QCOMPARE(LayoutColor(qint32(0x800000FF), pal), QColor(10, 20, 30));  // unknown index
    QCOMPARE(LayoutColorValue(QColor(1, 2, 3)), qint32(0x030201));
    QCOMPARE(LayoutColor(LayoutColorValue(QColor(200, 100, 50)), pal), QColor(200, 100, 50));
}

QTEST_MAIN(TestLayoutFont)
#include "test_layout_font.moc"
