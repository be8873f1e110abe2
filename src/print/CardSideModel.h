#pragma once
// What one card side looks like, as the renderer needs it: the card panel's
// items in stacking order (first drawn first), in card panel pixels. The
// main window fills it from its card panel; nothing here knows a widget.
#include "layout/file/CardSide.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace vellora {

// The renderer's sides are the layout files' sides; CardSideId is the older
// name of the same type.
using CardSideId = CardSide;

enum class CardItemKind {
    Background,     // BackImage1 / BackImage1_b
    Photo,          // Image1, secphot (and _b)
    StaticPicture,  // statimage1 (and _b)
    FreeText,       // statlabel1..4 (and _b): single-line label
    FieldItem,      // the multi-line box of one card-table field
    Other           // anything else on the panel: never rendered
};

// Stored alignment values.
enum class CardTextAlign : int { Left = 0, Right = 1, Center = 2 };

struct CardFont {
    QString face = QStringLiteral("Arial");
    int size = 12;  // points
    QColor colour = Qt::black;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

struct CardItem {
    QString name;  // component name, e.g. "Image1", "statlabel2_b", "First_name"
    CardItemKind kind = CardItemKind::Other;
    QRect geometry;  // card panel pixels
    bool visible = true;

    // Pictures: the picture the card face shows, or, when it is null and
    // pictureFile is set, the file it shows (loaded when the side is
    // composed; an unreadable file is an error).
    QImage picture;
    QString pictureFile;
    // Photos: the card's photo file that is there but could not be read,
    // and why. Composing a visible item with one fails naming the file:
    // a card is never printed with the placeholder in place of its photo.
    QString unreadablePhoto;
    QString unreadableReason;
    bool stretch = false;
    bool proportional = false;

    // Texts: the label's caption or the field's current value (line breaks
    // kept). A field item's placeholder is not part of it.
    QString text;
    CardFont font;
    CardTextAlign alignment = CardTextAlign::Left;
    bool wordWrap = false;  // labels: their own flag; field items always wrap
    bool transparent = true;
    QColor background;  // shown on the card face, never printed

    bool isPicture() const
    {
        return kind == CardItemKind::Background || kind == CardItemKind::Photo || kind == CardItemKind::StaticPicture;
    }
    bool isText() const { return kind == CardItemKind::FreeText || kind == CardItemKind::FieldItem; }
};

struct CardSideModel {
    CardSideId side = CardSideId::Front;
    QSize panelSize{513, 321};  // landscape 513 x 321, portrait 321 x 513
    bool monochrome = false;    // MonoPrinter of the front settings, for both sides
    std::vector<CardItem> items;

    // A side is landscape when its panel is wider than high (square: portrait).
    bool landscape() const { return panelSize.width() > panelSize.height(); }

    CardItem *find(const QString &name);
    const CardItem *find(const QString &name) const;
};

// The stacking order of the pictures and labels of a card panel as the
// main window builds it, bottom first (the front photo lies above the free
// texts because the placeholders' refresh raises it). Names without "_b";
// the back's carry the suffix.
QStringList StandardStackingOrder(CardSideId side);

// Puts a model filled in any order into the panel's order: the pictures and
// labels named in StandardStackingOrder in that order, then the other
// non-field items in their given order, then the field items in their given
// (creation) order.
void PutInPanelOrder(CardSideModel &model);

// The item name of a side: "Image1" on the front, "Image1_b" on the back.
QString SideItemName(CardSideId side, const QString &frontName);

}  // namespace vellora
