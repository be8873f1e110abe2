#include "layout/file/LayoutFont.h"

#include <cmath>
#include <cstdlib>

namespace vellora {

int LayoutFontHeightForPoints(int points, int ppi)
{
    return -int(std::nearbyint(double(points) * ppi / 72.0));
}

QFont LayoutItemFont(const LayoutItem &item)
{
    QFont font(item.fontName);
    if (item.fontHeight < 0) {
        font.setPixelSize(-item.fontHeight);
    } else if (item.fontHeight > 0) {
        // A cell height includes the internal leading, about a fifth of it
        // for common faces.
        font.setPixelSize(std::max(1, int(std::nearbyint(item.fontHeight * 0.8))));
    } else if (item.fontSize > 0) {
        font.setPointSize(item.fontSize);
    }
    font.setBold(item.style.bold);
    font.setItalic(item.style.italic);
    font.setUnderline(item.style.underline);
    font.setStrikeOut(item.style.strikeOut);
    return font;
}

void SetLayoutItemFont(LayoutItem *item, const QFont &font, int ppi)
{
    item->fontName = font.family();
    int points = font.pointSize();
    if (points <= 0 && font.pixelSize() > 0 && ppi > 0)
        points = int(std::nearbyint(double(font.pixelSize()) * 72.0 / ppi));
    item->fontSize = points;
    item->fontHeight = font.pixelSize() > 0 ? -font.pixelSize() : LayoutFontHeightForPoints(points, ppi);
    item->style.bold = font.bold();
    item->style.italic = font.italic();
    item->style.underline = font.underline();
    item->style.strikeOut = font.strikeOut();
}

QColor LayoutColor(qint32 stored, const QPalette &palette)
{
    if (stored >= 0)
        return QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF);
    using R = QPalette::ColorRole;
    // System colour indexes of files from Windows installations.
    static const R roles[] = {
        R::Button,          // 0 scroll bar
        R::Window,          // 1 desktop
        R::Highlight,       // 2 active caption
        R::Mid,             // 3 inactive caption
        R::Window,          // 4 menu
        R::Base,            // 5 window
        R::Shadow,          // 6 window frame
        R::WindowText,      // 7 menu text
        R::WindowText,      // 8 window text
        R::HighlightedText, // 9 caption text
        R::Button,          // 10 active border
        R::Button,          // 11 inactive border
        R::Dark,            // 12 application workspace
        R::Highlight,       // 13 highlight
        R::HighlightedText, // 14 highlighted text
        R::Button,          // 15 button face
        R::Mid,             // 16 button shadow
        R::PlaceholderText, // 17 grey text
        R::ButtonText,      // 18 button text
        R::WindowText,      // 19 inactive caption text
        R::Light,           // 20 button highlight
        R::Shadow,          // 21 3-D dark shadow
        R::Midlight,        // 22 3-D light
        R::ToolTipText,     // 23 info text
        R::ToolTipBase,     // 24 info background
    };
    const int index = stored & 0xFF;
    if (index < int(sizeof roles / sizeof roles[0]))
        return palette.color(QPalette::Active, roles[index]);
    return palette.color(QPalette::Active, R::WindowText);
}

qint32 LayoutColorValue(const QColor &color)
{
    const QColor c = color.toRgb();
    return qint32(c.red() | (c.green() << 8) | (c.blue() << 16));
}

}  // namespace vellora
