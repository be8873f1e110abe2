#pragma once
// Reduces a picture to at most 256 colours (median cut) for 8-bit bitmaps.
#include <QImage>

namespace buttonpics {

// An Indexed8 copy of image (alpha dropped) with at most maxColors entries
// in its colour table; exact when the picture has no more colours.
QImage ToIndexed8(const QImage &image, int maxColors = 256);

}  // namespace buttonpics
