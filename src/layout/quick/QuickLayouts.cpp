#include "layout/quick/QuickLayouts.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace vellora {

namespace {

QuickLayout make(int type, QRect image, QRect label1, QRect label2, QRect first, QRect last, QRect title,
                 QRect department, LayoutAlignment align)
{
    QuickLayout q;
    q.type = type;
    q.landscape = type != 5;
    q.panel = q.landscape ? QSize(513, 321) : QSize(321, 513);
    q.noteTop = q.landscape ? 328 : 538;
    q.image1 = image;
    q.statlabel1 = label1;
    q.statlabel2 = label2;
    q.firstName = first;
    q.lastName = last;
    q.title = title;
    q.department = department;
    q.labelAlignment = align;
    return q;
}

const std::array<QuickLayout, 5> &table()
{
    using A = LayoutAlignment;
    static const std::array<QuickLayout, 5> layouts = {
        make(1, {24, 61, 150, 200}, {24, 10, 465, 54}, {186, 66, 303, 24}, {186, 109, 303, 38}, {186, 167, 303, 38},
             {186, 225, 303, 30}, {24, 267, 465, 30}, A::Left),
        make(2, {339, 61, 150, 200}, {24, 10, 465, 54}, {24, 74, 303, 24}, {24, 109, 303, 38}, {24, 167, 303, 38},
             {24, 225, 303, 30}, {24, 267, 465, 30}, A::Left),
        make(3, {339, 97, 150, 200}, {24, 10, 465, 54}, {24, 66, 465, 24}, {24, 109, 303, 38}, {24, 167, 303, 38},
             {24, 225, 303, 30}, {24, 267, 303, 30}, A::Center),
        make(4, {24, 97, 150, 200}, {24, 10, 465, 54}, {24, 66, 465, 24}, {186, 109, 303, 38}, {186, 167, 303, 38},
             {186, 225, 303, 30}, {186, 267, 303, 30}, A::Center),
        make(5, {81, 145, 150, 200}, {12, 52, 297, 102}, {12, 104, 297, 24}, {24, 352, 273, 38}, {24, 391, 273, 38},
             {24, 430, 273, 30}, {24, 469, 273, 30}, A::Center),
    };
    return layouts;
}

}  // namespace

int EffectiveLayoutType(int stored)
{
    return stored >= 1 && stored <= kCustomLayoutType ? stored : 3;
}

QList<QuickPlacement> QuickLayout::placements(CardSide side) const
{
    return {
        {SideItemName(QStringLiteral("Image1"), side), false, image1},
        {SideItemName(QStringLiteral("statlabel1"), side), false, statlabel1},
        {SideItemName(QStringLiteral("statlabel2"), side), false, statlabel2},
        {QStringLiteral("First_name"), true, firstName},
        {QStringLiteral("Last_name"), true, lastName},
        {QStringLiteral("Title"), true, title},
        {QStringLiteral("Department"), true, department},
    };
}

const QuickLayout &QuickLayoutFor(int layoutType)
{
    const int t = layoutType >= 1 && layoutType <= 5 ? layoutType : 3;
    return table()[std::size_t(t - 1)];
}

QStringList QuickLayoutHiddenItems(CardSide side)
{
    QStringList out;
    for (const char *n : {"secphot", "statimage1", "statlabel3", "statlabel4"})
        out << SideItemName(QLatin1String(n), side);
    return out;
}

QString SideItemName(const QString &name, CardSide side)
{
    return side == CardSide::Back ? name + QLatin1String("_b") : name;
}

bool SideCountsAsLandscape(int layoutType, QSize panel)
{
    if (layoutType >= 1 && layoutType <= 4)
        return true;
    if (layoutType == kCustomLayoutType || layoutType == kDialogLayoutType)
        return panel.width() > panel.height();
    return false;
}

CardPanelArrangement ArrangeCardPanels(const QRect &front, bool frontLandscape, bool backLandscape)
{
    CardPanelArrangement a;
    a.stacked = frontLandscape && backLandscape;
    if (a.stacked) {
        a.backTopLeft = QPoint(front.left(), front.top() + front.height() + 4);
        a.note = QRect(front.left() + front.width() + 4, front.top(), 110, 120);
    } else {
        a.backTopLeft = QPoint(front.left() + front.width() + 4, front.top());
        a.note = QRect(front.left(), front.top() + front.height() + 4, front.width(), 40);
    }
    return a;
}

QList<qsizetype> OrderByTop(const QList<int> &tops)
{
    QList<qsizetype> order(tops.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return tops[a] < tops[b]; });
    return order;
}

}  // namespace vellora
