#include "print/CardSideModel.h"

#include <algorithm>

namespace vellora {

CardItem *CardSideModel::find(const QString &name)
{
    for (CardItem &item : items)
        if (item.name.compare(name, Qt::CaseInsensitive) == 0)
            return &item;
    return nullptr;
}

const CardItem *CardSideModel::find(const QString &name) const
{
    return const_cast<CardSideModel *>(this)->find(name);
}

QString SideItemName(CardSideId side, const QString &frontName)
{
    return side == CardSideId::Back ? frontName + QStringLiteral("_b") : frontName;
}

QStringList StandardStackingOrder(CardSideId side)
{
    if (side == CardSideId::Front)
        return {QStringLiteral("BackImage1"), QStringLiteral("statimage1"), QStringLiteral("secphot"),
                QStringLiteral("statlabel1"), QStringLiteral("statlabel2"), QStringLiteral("statlabel4"),
                QStringLiteral("statlabel3"), QStringLiteral("Image1")};
    return {QStringLiteral("BackImage1"), QStringLiteral("statimage1"), QStringLiteral("secphot"),
            QStringLiteral("Image1"),     QStringLiteral("statlabel1"), QStringLiteral("statlabel2"),
            QStringLiteral("statlabel3"), QStringLiteral("statlabel4")};
}

void PutInPanelOrder(CardSideModel &model)
{
    const QStringList order = StandardStackingOrder(model.side);
    auto rank = [&](const CardItem &item) -> int {
        if (item.kind == CardItemKind::FieldItem)
            return order.size() + 2;
        for (int i = 0; i < order.size(); ++i)
            if (item.name.compare(SideItemName(model.side, order[i]), Qt::CaseInsensitive) == 0)
                return i;
        return order.size() + 1;
    };
    std::stable_sort(model.items.begin(), model.items.end(),
                     [&](const CardItem &a, const CardItem &b) { return rank(a) < rank(b); });
}

}  // namespace vellora
