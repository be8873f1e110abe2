#pragma once
// What the layout designer needs from the program around it: the program
// folder, the card table's fields, the side's stored layout type and the
// card face to compare with. The main window installs it once at start-up;
// a designer created without an explicit environment uses that one.
#include "layout/file/CardSide.h"
#include "layout/file/LayoutRecord.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class TOKBottomDlg;

namespace vellora {

// One text of the card face as the operator left it.
struct CardFaceText {
    bool visible = true;
    QString text;
    LayoutAlignment alignment = LayoutAlignment::Left;
    QFont font;            // face, size (points or pixels), style
    QColor colour;
};

// The texts of one card side that the operator can edit on the card face:
// the free texts statlabel1..statlabel4 (back: _b) and the field items,
// keyed by field item name without the "_b" suffix.
struct CardFaceSnapshot {
    std::array<std::optional<CardFaceText>, 4> freeTexts;
    QHash<QString, CardFaceText> fieldItems;
};

struct DesignerEnvironment {
    QString appFolder;  // with a trailing '/'
    // The card table's field names in table order; the palette gets the
    // field items of the first 200 without "MAGSTRIPE".
    std::function<QStringList()> tableFields;
    // The side's stored layout type (6: custom layout).
    std::function<int(CardSide)> layoutType;
    // The card face of a side; nullopt when there is none to compare with.
    std::function<std::optional<CardFaceSnapshot>(CardSide)> cardFace;
    // The program's one Edit Text dialog; without it the designer makes
    // its own.
    std::function<TOKBottomDlg *()> editTextDialog;
};

void SetDesignerEnvironment(const DesignerEnvironment &environment);
const DesignerEnvironment &CurrentDesignerEnvironment();

}  // namespace vellora
