#pragma once
// Turning a card side into pixels. Composition copies the side's visible
// items onto the composition canvas at twice the card panel's size (canvas
// pixels count as 300 per inch); output draws the canvas either as one
// picture for the preview or item by item onto a printer page at the
// printer's resolution.
#include "engine/util/Rounding.h"
#include "devices/print/PrintDevice.h"
#include "print/CardSideModel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

namespace vellora {

enum class RenderMode { Full, Half };

// Logical resolution the card face's fonts are measured at, whatever the
// screen: a point size becomes pixels at 96 per inch.
inline constexpr int DisplayLogicalDpi = 96;
inline constexpr int CanvasDpi = 300;
inline constexpr int CanvasMaxSize = 2026;
inline constexpr int IntermediateMaxDpi = 600;

struct CanvasItem {
    enum class Kind { Picture, Text };
    Kind kind = Kind::Picture;
    QString name;
    QRect box;  // canvas pixels

    QImage bitmap;  // pictures: the printed size is the bitmap's own

    QString text;  // texts
    CardFont font;  // size already doubled
    CardTextAlign alignment = CardTextAlign::Left;
    bool wordWrap = false;
};

// The composition canvas: never shown, reused for every composition; holds
// the side composed last.
class Tprintlayoutcanvas {
public:
    int width() const { return m_width; }
    int height() const { return m_height; }
    QColor colour() const { return m_colour; }
    bool monochrome() const { return m_mono; }
    const std::vector<CanvasItem> &items() const { return m_items; }

    // Sizes are limited to CanvasMaxSize.
    void reset(int width, int height, const QColor &colour, bool monochrome);
    void add(CanvasItem item) { m_items.push_back(std::move(item)); }

private:
    int m_width = 0;
    int m_height = 0;
    QColor m_colour = Qt::white;
    bool m_mono = false;
    std::vector<CanvasItem> m_items;
};

// The canvas of the run.
Tprintlayoutcanvas &PrintLayoutCanvas();

// Rounding to the nearest integer, halves to even, of num / den (den > 0).
std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den);

// Rebuilds the canvas from one card side. backgroundPath: the side's
// background file (ReadLayoutBackground), may be empty. Raises PrintError
// when a picture file that exists cannot be read.
void ComposeSide(Tprintlayoutcanvas &canvas, const CardSideModel &side, const QColor &canvasColour,
                 const QString &backgroundPath);

// The whole canvas as one picture of canvas size, not dithered.
QImage RenderPreview(const Tprintlayoutcanvas &canvas);

// Draws every canvas item onto the current page of an open document.
void RenderSideToDevice(const Tprintlayoutcanvas &canvas, PrintDevice &device, RenderMode mode);

// --- The arithmetic of the steps, for the renderer and its tests ---

// Bitmap size of a stretched proportional picture in a box: the smaller of
// the two scales, each side rounded.
QSize ProportionalSize(QSize picture, QSize box);
// A canvas rectangle (left, top, width, height) in device pixels.
QRect DeviceBox(const QRect &canvasRect, int dpiX, int dpiY);
// The intermediate bitmap's size for a device box.
QSize IntermediateSize(QSize deviceBox, int dpiX, int dpiY, RenderMode mode);
// Character height in canvas pixels of a font of (already doubled) points.
int CanvasCharHeight(int doubledPoints);
// Character height in device pixels.
int DeviceCharHeight(int doubledPoints, int dpiY);
// The text as drawn: line breaks of any convention become "\n".
QString NormalisedText(const QString &text);
// The part of a text drawn into a box: its first line and every further
// line that fits the box whole, so no sliver of a line is printed below the
// last one the card face shows. qtFlags: the Qt text flags it is drawn with.
QString WholeLines(const QFont &font, QSize box, const QString &text, int qtFlags);

// (red + green + blue) div 3.
inline int GreyValue(int red, int green, int blue) { return (red + green + blue) / 3; }
int GreyValue(const QColor &colour);
// A COLORREF-style value: red in the low byte, then green, then blue.
int GreyValueOfColorRef(std::uint32_t colour);

// Makes every pixel grey (GreyValue in red, green and blue). Returns an
// RGB32 image.
QImage ToGrey(const QImage &image);

// Error diffusion to pure black and white, column by column (x outer, y
// inner), shares 7/16 right, 5/16 down, 1/16 down-right, each truncated
// toward zero; the 3/16 share to the lower left reaches pixels already
// decided and changes nothing. Works in place; the result is RGB32.
void DitherToBlackWhite(QImage &bitmap);

// Hands a bitmap to the device, stretched onto (left, top, width, height).
// Raises PrintError when the rectangle does not fit the device's 16-bit
// coordinates.
void TransferBitmapToDevice(PrintDevice &device, int left, int top, int width, int height, const QImage &bitmap);

}  // namespace vellora
