#pragma once
// The five built-in card layouts and the arithmetic of placing the card
// panels, as data: the card face applies them to its items.
#include "layout/file/CardSide.h"
#include "layout/file/LayoutRecord.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace vellora {

inline constexpr int kCustomLayoutType = 6;
// Only inside the card design dialog.
inline constexpr int kDialogLayoutType = 7;

// A stored LayoutType as it behaves: 1..6 stand, anything else is 3.
int EffectiveLayoutType(int stored);

struct QuickPlacement {
    QString name;  // card-face item name (front), or the field a field item is bound to
    bool isField = false;
    QRect bounds;
};

struct QuickLayout {
    int type = 3;
    bool landscape = true;
    QSize panel;   // 513 x 321 or 321 x 513
    int noteTop = 0;  // top of the note label under the front panel
    QRect image1;
    QRect statlabel1;
    QRect statlabel2;
    QRect firstName;
    QRect lastName;
    QRect title;
    QRect department;
    // Of statlabel1 and statlabel2, set when the card design dialog applies
    // the layout.
    LayoutAlignment labelAlignment = LayoutAlignment::Center;

    // Image1, statlabel1, statlabel2 (with "_b" on the back), then the
    // fields First_name, Last_name, Title, Department: placed and shown.
    QList<QuickPlacement> placements(CardSide side) const;
};

// The layout of a LayoutType; types other than 1..5 give layout 3.
const QuickLayout &QuickLayoutFor(int layoutType);
// Hidden by every quick layout besides all field items: secphot,
// statimage1, statlabel3, statlabel4 (with "_b" on the back).
QStringList QuickLayoutHiddenItems(CardSide side);

// A card-face item's name on a side: the back appends "_b".
QString SideItemName(const QString &name, CardSide side);

// How ArrangeCardPanels counts a side: landscape for types 1..4, and for 6
// and 7 when the panel is wider than high; everything else portrait.
bool SideCountsAsLandscape(int layoutType, QSize panel);

struct CardPanelArrangement {
    bool stacked = false;  // back below front
    QPoint backTopLeft;
    QRect note;            // the note label
};

// Stacked when both sides are landscape, side by side otherwise, 4 pixels
// apart; the note label goes beside a stack or under the pair.
CardPanelArrangement ArrangeCardPanels(const QRect &front, bool frontLandscape, bool backLandscape);

// Keyboard order of field items: indexes sorted by top, equal tops keeping
// their order.
QList<qsizetype> OrderByTop(const QList<int> &tops);

}  // namespace vellora
