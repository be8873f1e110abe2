#pragma once
// The arithmetic of the capture window: fitting a camera picture into the
// video area, the 3 : 4 strip a captured frame is cut to, fitting a picture
// into the Load page's display, the crop frame, its corrections after a
// drag, and the cut it makes. Pure functions, so each rule is tested alone.
#include <QImage>
#include <QRect>
#include <QSize>

namespace vellora {

// The largest size of the live or captured picture on the capture page.
inline constexpr QSize kVideoArea{244, 200};
// The size a captured strip is stored at.
inline constexpr QSize kStoredCapture{300, 400};
// The smallest crop frame a drag can leave.
inline constexpr int kMinCropSide = 50;

// s = 244 / w, or 200 / h when the height would not fit; the size is
// Trunc(w * s) x Trunc(h * s). An empty picture gives an empty size.
QSize FitIntoVideoArea(QSize picture, QSize area = kVideoArea);

// Where a box of `inner` size sits centred in `outer`: Trunc of half the
// differences.
QPoint CentredIn(QSize outer, QSize inner);

// The columns [left, right) of the centred strip three quarters as wide as
// the picture is high: left = Trunc(w/2 - 3h/8), right = Trunc(3h/8 + w/2).
// Left may be negative and right beyond w for a frame narrower than 3 : 4.
struct StoreStrip {
    int left = 0;
    int right = 0;
};
StoreStrip StoreStripOf(QSize picture);

// The strip of a captured frame scaled to 300 x 400. Columns outside a
// frame narrower than the strip are white.
QImage CutStoreStrip(const QImage &frame);

// The Load page display of a picture of `picture` pixels in a panel of
// `panel` size (the panel's 2-pixel bevel inside): the largest rectangle of
// the picture's shape, centred. Ratios are 32-bit floats, sizes rounded
// halves to even.
QRect FitIntoLoadDisplay(QSize panel, QSize picture);

// The crop frame for a target photo of `target` size: the largest
// rectangle of the target's shape in the displayed picture `display`,
// centred in the panel.
QRect CropFrameFor(QSize panel, QRect display, QSize target);

// The corrections at the end of a drag: width at least 50, then at most the
// display's width; the same for the height; then moved inside the display.
QRect CorrectDraggedFrame(QRect frame, QRect display);

// The part of a picture of `picture` pixels that a frame cuts, scaled from
// display to picture pixels and rounded.
QRect CutRectangle(QSize picture, QRect frame, QRect display);

}  // namespace vellora
