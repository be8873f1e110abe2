#include "layout/file/LayoutRecord.h"

namespace vellora {

LayoutPlace LayoutItem::placeFor(LayoutReader reader) const
{
    if (reader == LayoutReader::CardFace)
        return place == QLatin1String("CARD") ? LayoutPlace::Card : LayoutPlace::Pallete;
    return place == QLatin1String("PALLETE") ? LayoutPlace::Pallete : LayoutPlace::Card;
}

void LayoutItem::setPlace(LayoutPlace p)
{
    place = p == LayoutPlace::Card ? QStringLiteral("CARD") : QStringLiteral("PALLETE");
}

void LayoutRecord::setOrientation(bool landscape)
{
    panelWidth = landscape ? 513 : 321;
    panelHeight = landscape ? 321 : 513;
    frameWidth = panelWidth + 2;
    frameHeight = panelHeight + 2;
}

const LayoutItem *LayoutRecord::find(const QString &name) const
{
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        if (items[i].name == name)
            return &items[i];
    return nullptr;
}

}  // namespace vellora
