#pragma once
// Fonts and colours of layout items as Qt values. A stored font height is in
// pixels of the screen the layout was made on: negative for the character
// height without internal leading (Qt's pixel size), positive for the cell
// height; the point size follows from it at the screen's pixels per inch.
#include "layout/file/LayoutRecord.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace vellora {

// -(points x ppi / 72), rounded to the nearest integer, halves to even.
int LayoutFontHeightForPoints(int points, int ppi);

// The font an item's fields describe; the height decides the size.
QFont LayoutItemFont(const LayoutItem &item);
// Face name, point size, height and style from a font (colour untouched).
void SetLayoutItemFont(LayoutItem *item, const QFont &font, int ppi);

// A stored colour: 0x00BBGGRR, or for a negative value the system colour
// whose index is in the low byte (8, the window text, by default), taken
// from the palette.
QColor LayoutColor(qint32 stored, const QPalette &palette);
// A plain colour as stored (never a system colour).
qint32 LayoutColorValue(const QColor &color);

}  // namespace vellora
