#include "devices/print/PrintDevice.h"

namespace vellora {

int QtTextFlags(int f)
{
    // An ampersand is an ampersand: texts print exactly as the card face
    // shows them.
    int flags = Qt::AlignTop;
    if (f & TextAlignCenter)
        flags |= Qt::AlignHCenter;
    else if (f & TextAlignRight)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (f & TextWordBreak)
        flags |= Qt::TextWordWrap;
    if (f & TextExpandTabs)
        flags |= Qt::TextExpandTabs;
    return flags;
}

QFont QtFontFor(const DeviceFont &d)
{
    QFont font(d.face);
    font.setPixelSize(qMax(1, d.pixelHeight));
    font.setBold(d.bold);
    font.setItalic(d.italic);
    font.setUnderline(d.underline);
    font.setStrikeOut(d.strikeOut);
    // Device pixels are exact: no hinting that would move glyphs between
    // the preview and a page of another resolution.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

}  // namespace vellora
