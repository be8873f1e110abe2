// The built-in card layouts and the placing of the card panels.
#include "layout/quick/QuickLayouts.h"

#include <QTest>

using namespace vellora;

class TestQuickLayouts : public QObject {
    Q_OBJECT
private slots:
    void positions_data();
    void positions();
    void everyItemInsideItsPanel();
    void unknownTypesBehaveAsThree();
    void backSideNames();
    void landscapeCounting_data();
    void landscapeCounting();
    void panelArrangement();
    void tabOrderByTop();
};

using Rects = QList<QRect>;

void TestQuickLayouts::positions_data()
{
    // Image1, statlabel1, statlabel2, First_name, Last_name, Title, Department
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<Rects>("rects");
    QTest::addColumn<int>("alignment");
    const int L = int(LayoutAlignment::Left), C = int(LayoutAlignment::Center);
    QTest::newRow("1") << 1 << true
                       << Rects{{24, 61, 150, 200}, {24, 10, 465, 54}, {186, 66, 303, 24}, {186, 109, 303, 38},
                                {186, 167, 303, 38}, {186, 225, 303, 30}, {24, 267, 465, 30}} << L;
    QTest::newRow("2") << 2 << true
                       << Rects{{339, 61, 150, 200}, {24, 10, 465, 54}, {24, 74, 303, 24}, {24, 109, 303, 38},
                                {24, 167, 303, 38}, {24, 225, 303, 30}, {24, 267, 465, 30}} << L;
    QTest::newRow("3") << 3 << true
                       << Rects{{339, 97, 150, 200}, {24, 10, 465, 54}, {24, 66, 465, 24}, {24, 109, 303, 38},
                                {24, 167, 303, 38}, {24, 225, 303, 30}, {24, 267, 303, 30}} << C;
    QTest::newRow("4") << 4 << true
                       << Rects{{24, 97, 150, 200}, {24, 10, 465, 54}, {24, 66, 465, 24}, {186, 109, 303, 38},
                                {186, 167, 303, 38}, {186, 225, 303, 30}, {186, 267, 303, 30}} << C;
    QTest::newRow("5") << 5 << false
                       << Rects{{81, 145, 150, 200}, {12, 52, 297, 102}, {12, 104, 297, 24}, {24, 352, 273, 38},
                                {24, 391, 273, 38}, {24, 430, 273, 30}, {24, 469, 273, 30}} << C;
}

void TestQuickLayouts::positions()
{
    QFETCH(int, type);
    QFETCH(bool, landscape);
    QFETCH(Rects, rects);
    QFETCH(int, alignment);
    const QuickLayout &q = QuickLayoutFor(type);
    QCOMPARE(q.type, type);
    QCOMPARE(q.landscape, landscape);
    QCOMPARE(q.panel, landscape ? QSize(513, 321) : QSize(321, 513));
    QCOMPARE(q.noteTop, landscape ? 328 : 538);
    QCOMPARE(int(q.labelAlignment), alignment);
    const QList<QuickPlacement> p = q.placements(CardSide::Front);
    QCOMPARE(p.size(), rects.size());
    const QStringList names = {"Image1", "statlabel1", "statlabel2", "First_name", "Last_name", "Title", "Department"};
    for (qsizetype i = 0; i < p.size(); ++i) {
        QCOMPARE(p[i].name, names[i]);
        QCOMPARE(p[i].isField, i >= 3);
        QCOMPARE(p[i].bounds, rects[i]);
    }
}

void TestQuickLayouts::everyItemInsideItsPanel()
{
    for (int type = 1; type <= 5; ++type) {
        const QuickLayout &q = QuickLayoutFor(type);
        const QRect panel(QPoint(0, 0), q.panel);
        for (const QuickPlacement &p : q.placements(CardSide::Front))
            QVERIFY2(panel.contains(p.bounds), qPrintable(QString("layout %1, %2").arg(type).arg(p.name)));
    }
}

void TestQuickLayouts::unknownTypesBehaveAsThree()
{
    for (int t : {0, 6, 7, 8, -1, 255})
        QCOMPARE(&QuickLayoutFor(t), &QuickLayoutFor(3));
    QCOMPARE(EffectiveLayoutType(0), 3);
    QCOMPARE(EffectiveLayoutType(8), 3);
    QCOMPARE(EffectiveLayoutType(7), 3);
    QCOMPARE(EffectiveLayoutType(6), 6);
    QCOMPARE(EffectiveLayoutType(1), 1);
}

void TestQuickLayouts::backSideNames()
{
    const QList<QuickPlacement> p = QuickLayoutFor(1).placements(CardSide::Back);
    QCOMPARE(p[0].name, QString("Image1_b"));
    QCOMPARE(p[2].name, QString("statlabel2_b"));
    // Field items are found by their field, which has no side suffix.
    QCOMPARE(p[3].name, QString("First_name"));
    QCOMPARE(QuickLayoutHiddenItems(CardSide::Back),
             QStringList({"secphot_b", "statimage1_b", "statlabel3_b", "statlabel4_b"}));
    QCOMPARE(QuickLayoutHiddenItems(CardSide::Front), QStringList({"secphot", "statimage1", "statlabel3", "statlabel4"}));
}

void TestQuickLayouts::landscapeCounting_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("quick 1") << 1 << QSize(321, 513) << true;
    QTest::newRow("quick 4") << 4 << QSize(513, 321) << true;
    QTest::newRow("quick 5") << 5 << QSize(513, 321) << false;
    QTest::newRow("custom wide") << 6 << QSize(513, 321) << true;
    QTest::newRow("custom high") << 6 << QSize(321, 513) << false;
    QTest::newRow("custom square") << 6 << QSize(400, 400) << false;
    QTest::newRow("dialog wide") << 7 << QSize(513, 321) << true;
    QTest::newRow("other value") << 9 << QSize(513, 321) << false;
}

void TestQuickLayouts::landscapeCounting()
{
    QFETCH(int, type);
    QFETCH(QSize, panel);
    QFETCH(bool, landscape);
    QCOMPARE(SideCountsAsLandscape(type, panel), landscape);
}

void TestQuickLayouts::panelArrangement()
{
    const QRect front(10, 20, 513, 321);
    // Front 3, back 1: stacked, note to the right of the front.
    CardPanelArrangement a = ArrangeCardPanels(front, SideCountsAsLandscape(3, front.size()),
                                               SideCountsAsLandscape(1, front.size()));
    QVERIFY(a.stacked);
    QCOMPARE(a.backTopLeft, QPoint(10, 20 + 321 + 4));
    QCOMPARE(a.note, QRect(10 + 513 + 4, 20, 110, 120));
    // Front 5: side by side, note under the front.
    const QRect portrait(10, 20, 321, 513);
    a = ArrangeCardPanels(portrait, SideCountsAsLandscape(5, portrait.size()), true);
    QVERIFY(!a.stacked);
    QCOMPARE(a.backTopLeft, QPoint(10 + 321 + 4, 20));
    QCOMPARE(a.note, QRect(10, 20 + 513 + 4, 321, 40));
    // A portrait back beside a landscape front.
    a = ArrangeCardPanels(front, true, false);
    QVERIFY(!a.stacked);
    QCOMPARE(a.note, QRect(10, 20 + 321 + 4, 513, 40));
}

void TestQuickLayouts::tabOrderByTop()
{
    QCOMPARE(OrderByTop({167, 109, 225, 109, 0}), QList<qsizetype>({4, 1, 3, 0, 2}));
    QCOMPARE(OrderByTop({}), QList<qsizetype>());
}

QTEST_MAIN(TestQuickLayouts)
#include "test_quick_layouts.moc"
