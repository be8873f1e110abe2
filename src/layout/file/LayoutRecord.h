#pragma once
// The in-memory form of one layout file (layout.ccl, layout_b.ccl).
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace vellora {

enum class LayoutItemKind { StaticText, Image };
enum class LayoutAlignment { Left, Right, Center };
enum class LayoutPlace { Card, Pallete };

// Which window reads a file. They differ in the names they rename, in the
// header lines they need and in how they read the place field.
enum class LayoutReader { Designer, CardFace };

struct LayoutStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const LayoutStyle &) const = default;
};

// One item line. Text items use every field up to height; picture items only
// place and bounds, and the static picture its picture path.
struct LayoutItem {
    QString name;
    LayoutItemKind kind = LayoutItemKind::StaticText;

    // Text items. `text` holds real line breaks (CR LF as read).
    QString text;
    // Empty when the line's alignment letter is none of L, R, C: the reader
    // then leaves the window item's alignment as it was.
    std::optional<LayoutAlignment> alignment = LayoutAlignment::Left;
    QString fontName;
    int fontSize = 0;      // points
    qint32 fontColor = 0;  // 0x00BBGGRR, or 0x80000000 + system colour index
    int fontHeight = 0;    // pixels; negative: without internal leading
    LayoutStyle style;

    // "CARD" or "PALLETE" as written; kept as read so that a file read and
    // written again stays the same. Use placeFor() to interpret it.
    QString place = QStringLiteral("CARD");
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // Pictures: the eighth field, present on the static picture's line.
    std::optional<QString> picturePath;

    // The card face shows an item only for exactly "CARD"; the designer
    // puts it on the card for anything but exactly "PALLETE".
    LayoutPlace placeFor(LayoutReader reader) const;
    void setPlace(LayoutPlace p);

    bool operator==(const LayoutItem &) const = default;
};

// The system colour the designer gives new texts (the window text colour).
inline constexpr qint32 kLayoutDefaultColor = -2147483640;
inline constexpr int kLayoutDefaultFontHeight = -15;

struct LayoutRecord {
    int panelWidth = 513;
    int panelHeight = 321;
    int frameWidth = 515;
    int frameHeight = 323;
    QString backgroundPath;  // empty for no background
    QList<LayoutItem> items; // in file order

    // Equal sides count as portrait.
    bool isLandscape() const { return panelHeight < panelWidth; }
    // 513 x 321 (landscape) or 321 x 513, frame 2 pixels larger.
    void setOrientation(bool landscape);

    // The last item of that name (letter case counts), or nullptr.
    const LayoutItem *find(const QString &name) const;

    bool operator==(const LayoutRecord &) const = default;
};

}  // namespace vellora
