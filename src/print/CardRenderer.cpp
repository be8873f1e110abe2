#include "print/CardRenderer.h"

#include "store/Photos.h"
#include "store/ScaledPicture.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace vellora {

void Tprintlayoutcanvas::reset(int width, int height, const QColor &colour, bool monochrome)
{
    m_width = std::clamp(width, 0, CanvasMaxSize);
    m_height = std::clamp(height, 0, CanvasMaxSize);
    m_colour = colour.isValid() ? colour : QColor(Qt::white);
    m_mono = monochrome;
    m_items.clear();
}

Tprintlayoutcanvas &PrintLayoutCanvas()
{
    static Tprintlayoutcanvas canvas;
    return canvas;
}

std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den)
{
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) {  // floor division
        r += den;
        --q;
    }
    const std::int64_t twice = 2 * r;
    if (twice > den || (twice == den && (q & 1)))
        ++q;
    return q;
}


QSize ProportionalSize(QSize picture, QSize box)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {0, 0};
    // s = box width / picture width, or box height / picture height when
    // that is smaller; compared exactly as fractions.
    const std::int64_t bw = box.width(), bh = box.height(), pw = picture.width(), ph = picture.height();
    if (bh * pw < bw * ph)  // bh/ph < bw/pw
        return QSize(static_cast<int>(RoundHalfEven(pw * bh, ph)), bh);
    return QSize(bw, static_cast<int>(RoundHalfEven(ph * bw, pw)));
}

QRect DeviceBox(const QRect &r, int dpiX, int dpiY)
{
    const int left = static_cast<int>(RoundHalfEven(std::int64_t(r.x()) * dpiX, CanvasDpi));
    const int top = static_cast<int>(RoundHalfEven(std::int64_t(r.y()) * dpiY, CanvasDpi));
    const int right = static_cast<int>(RoundHalfEven(std::int64_t(r.x() + r.width()) * dpiX, CanvasDpi));
    const int bottom = static_cast<int>(RoundHalfEven(std::int64_t(r.y() + r.height()) * dpiY, CanvasDpi));
    return QRect(left, top, right - left, bottom - top);
}

QSize IntermediateSize(QSize box, int dpiX, int dpiY, RenderMode mode)
{
    int w = box.width();
    int h = box.height();
    if (dpiX > IntermediateMaxDpi || dpiY > IntermediateMaxDpi) {
        w = static_cast<int>(RoundHalfEven(std::int64_t(box.width()) * IntermediateMaxDpi, dpiX));
        h = static_cast<int>(RoundHalfEven(std::int64_t(box.height()) * IntermediateMaxDpi, dpiY));
    }
    if (mode == RenderMode::Half) {
        w /= 2;
        h /= 2;
    }
    return {w, h};
}

int CanvasCharHeight(int doubledPoints)
{
    return static_cast<int>(RoundHalfEven(std::int64_t(doubledPoints) * DisplayLogicalDpi, 72));
}

int DeviceCharHeight(int doubledPoints, int dpiY)
{
    return static_cast<int>(RoundHalfEven(std::int64_t(CanvasCharHeight(doubledPoints)) * dpiY, CanvasDpi));
}

QString NormalisedText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

int GreyValue(const QColor &c) { return GreyValue(c.red(), c.green(), c.blue()); }

int GreyValueOfColorRef(std::uint32_t c)
{
    return GreyValue(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
}

namespace {

// The picture as an opaque RGB32 bitmap; transparent parts become white,
// as when a picture is drawn onto a fresh bitmap.
QImage opaque(const QImage &picture)
{
    if (picture.isNull())
        return {};
    if (!picture.hasAlphaChannel())
        return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage out(picture.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    return out;
}

// Pictures are read for printing exactly as the card face reads them: the
// photo store's loader, with its size limits and its colour conversions.
QImage loadPicture(const QString &path, int percent)
{
    try {
        QImage image = percent == 100 ? LoadPicture(path) : LoadScaledPicture(path, percent);
        if (image.isNull())
            throw PhotoError(QStringLiteral("The picture \"%1\" cannot be read.").arg(path));
        return image;
    } catch (const PhotoError &e) {
        throw PrintError(e.message());
    }
}

QImage stretched(const QImage &picture, QSize size)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    if (picture.size() == size)
        return picture;
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

int textFlags(CardTextAlign alignment, bool wordWrap)
{
    int flags = alignment == CardTextAlign::Center  ? TextAlignCenter
                : alignment == CardTextAlign::Right ? TextAlignRight
                                                    : TextAlignLeft;
    if (wordWrap)
        flags |= TextWordBreak;
    return flags;
}

DeviceFont deviceFont(const CardFont &f, int pixelHeight)
{
    DeviceFont d;
    d.face = f.face;
    d.pixelHeight = pixelHeight;
    d.colour = f.colour;
    d.bold = f.bold;
    d.italic = f.italic;
    d.underline = f.underline;
    d.strikeOut = f.strikeOut;
    return d;
}

}  // namespace

QString WholeLines(const QFont &font, QSize box, const QString &text, int qtFlags)
{
    if (text.isEmpty() || box.isEmpty())
        return text;
    const QFontMetricsF metrics(font);
    const QRectF area(0, 0, box.width(), 1e7);
    auto height = [&](const QString &part) { return metrics.boundingRect(area, qtFlags, part).height(); };
    if (height(text) <= box.height())
        return text;
    // The ends of the lines as the text is broken: by its line breaks and,
    // with word wrap, at word boundaries within the box's width.
    QString layoutText = text;
    layoutText.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(layoutText, font);
    QTextOption option;
    option.setWrapMode((qtFlags & Qt::TextWordWrap) ? QTextOption::WordWrap : QTextOption::ManualWrap);
    if (qtFlags & Qt::TextExpandTabs)
        option.setTabStopDistance(8 * metrics.horizontalAdvance(u'x'));
    layout.setTextOption(option);
    QList<int> ends;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        ends.append(line.textStart() + line.textLength());
    }
    layout.endLayout();
    // The first line always (clipped when the box is lower than a line),
    // then every further line that fits the box whole.
    QString kept = ends.isEmpty() ? text : text.left(ends.first());
    for (int i = 1; i < ends.size(); ++i) {
        const QString longer = text.left(ends[i]);
        if (height(longer) > box.height())
            break;
        kept = longer;
    }
    while (kept.endsWith(u'\n'))
        kept.chop(1);
    return kept;
}

QImage ToGrey(const QImage &image)
{
    if (image.isNull())
        return {};
    QImage out = opaque(image);
    out.detach();
    const int w = out.width();
    for (int y = 0; y < out.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            const unsigned g = ((p >> 16 & 0xff) + (p >> 8 & 0xff) + (p & 0xff)) / 3;
            line[x] = 0xff000000u | g << 16 | g << 8 | g;
        }
    }
    return out;
}

void ComposeSide(Tprintlayoutcanvas &canvas, const CardSideModel &side, const QColor &canvasColour,
                 const QString &backgroundPath)
{
    canvas.reset(2 * side.panelSize.width(), 2 * side.panelSize.height(), canvasColour, side.monochrome);
    for (const CardItem &item : side.items) {
        if (!item.visible || (!item.isPicture() && !item.isText()))
            continue;
        CanvasItem c;
        c.name = item.name;
        c.box = QRect(2 * item.geometry.x(), 2 * item.geometry.y(), 2 * item.geometry.width(),
                      2 * item.geometry.height());
        if (item.isPicture()) {
            c.kind = CanvasItem::Kind::Picture;
            if (!item.unreadablePhoto.isEmpty())
                throw PrintError(QStringLiteral("The photo \"%1\" cannot be read (%2); the card is not printed "
                                                "without it.")
                                     .arg(item.unreadablePhoto, item.unreadableReason));
            QImage picture = item.picture;
            if (picture.isNull() && !item.pictureFile.isEmpty())
                picture = loadPicture(item.pictureFile, 100);
            picture = opaque(picture);
            if (!item.stretch)
                c.bitmap = picture;
            else if (item.proportional)
                c.bitmap = stretched(picture, ProportionalSize(picture.size(), c.box.size()));
            else
                c.bitmap = stretched(picture, c.box.size());

            if (item.name.contains(QLatin1String("BackImage1")) || item.kind == CardItemKind::Background) {
                const QFileInfo file(backgroundPath);
                if (!backgroundPath.isEmpty() && file.exists() && file.isFile())
                    c.bitmap = opaque(loadPicture(backgroundPath, 100));
                // Exactly canvas size: the top-left part kept, the rest cut
                // off or white.
                QImage full(canvas.width(), canvas.height(), QImage::Format_RGB32);
                full.fill(Qt::white);
                if (!c.bitmap.isNull()) {
                    QPainter p(&full);
                    p.setCompositionMode(QPainter::CompositionMode_Source);
                    p.drawImage(0, 0, c.bitmap);
                }
                c.bitmap = full;
            }
            if (side.monochrome)
                c.bitmap = ToGrey(c.bitmap);
        } else {
            c.kind = CanvasItem::Kind::Text;
            c.text = NormalisedText(item.text);
            c.font = item.font;
            c.font.size = 2 * item.font.size;
            if (side.monochrome)
                c.font.colour = Qt::black;
            c.alignment = item.alignment;
            c.wordWrap = item.kind == CardItemKind::FieldItem ? true : item.wordWrap;
        }
        canvas.add(std::move(c));
    }
}

QImage RenderPreview(const Tprintlayoutcanvas &canvas)
{
    QImage out(qMax(1, canvas.width()), qMax(1, canvas.height()), QImage::Format_RGB32);
    out.fill(canvas.colour());
    QPainter p(&out);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setBackgroundMode(Qt::TransparentMode);
    for (const CanvasItem &item : canvas.items()) {
        if (item.box.isEmpty())
            continue;
        p.save();
        p.setClipRect(item.box);
        if (item.kind == CanvasItem::Kind::Picture) {
            if (!item.bitmap.isNull())
                p.drawImage(item.box.topLeft(), item.bitmap);
        } else if (!item.text.isEmpty()) {
            const QFont font = QtFontFor(deviceFont(item.font, CanvasCharHeight(item.font.size)));
            const int flags = QtTextFlags(textFlags(item.alignment, item.wordWrap) | TextExpandTabs);
            p.setFont(font);
            p.setPen(item.font.colour);
            p.drawText(item.box, flags, WholeLines(font, item.box.size(), item.text, flags));
        }
        p.restore();
    }
    return out;
}

void RenderSideToDevice(const Tprintlayoutcanvas &canvas, PrintDevice &device, RenderMode mode)
{
    const int dpiX = device.dpiX();
    const int dpiY = device.dpiY();
    if (dpiX <= 0 || dpiY <= 0)
        throw PrintError(QStringLiteral("The printer reports no resolution."));
    for (const CanvasItem &item : canvas.items()) {
        if (item.kind == CanvasItem::Kind::Picture) {
            if (item.bitmap.isNull())
                continue;
            const QRect box = DeviceBox(QRect(item.box.topLeft(), item.bitmap.size()), dpiX, dpiY);
            const QSize size = IntermediateSize(box.size(), dpiX, dpiY, mode);
            if (size.isEmpty())
                continue;
            QImage intermediate = stretched(item.bitmap, size);
            if (canvas.monochrome())
                DitherToBlackWhite(intermediate);
            TransferBitmapToDevice(device, box.x(), box.y(), box.width(), box.height(), intermediate);
        } else {
            if (item.text.isEmpty())
                continue;
            const QRect box = DeviceBox(item.box, dpiX, dpiY);
            const DeviceFont font = deviceFont(item.font, DeviceCharHeight(item.font.size, dpiY));
            const int flags = textFlags(item.alignment, item.wordWrap);
            device.selectFont(font);
            device.drawTextInBox(box, WholeLines(QtFontFor(font), box.size(), item.text, QtTextFlags(flags)), flags);
        }
    }
}

void DitherToBlackWhite(QImage &bitmap)
{
    if (bitmap.isNull())
        return;
    if (bitmap.format() != QImage::Format_RGB32 && bitmap.format() != QImage::Format_ARGB32)
        bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    const int w = bitmap.width();
    const int h = bitmap.height();
    // The column-by-column scan decides pixel (x, y) after the shares of
    // (x-1, y), (x, y-1) and (x-1, y-1) have arrived and before the one of
    // (x+1, y-1): so does a row-by-row scan that leaves out the lower-left
    // share, with the same values, and it runs along the scanlines.
    std::vector<int> below(static_cast<size_t>(w) + 1, 0);
    std::vector<int> current(static_cast<size_t>(w) + 1, 0);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(bitmap.scanLine(y));
        const bool lastRow = y == h - 1;
        int *cur = current.data();
        int *nxt = below.data();
        int right = 0;
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            const int v = int(((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff)) / 3 + cur[x] + right;
            const bool white = v > 128;
            const int e = white ? v - 255 : v;
            line[x] = white ? 0xffffffffu : 0xff000000u;
            right = e * 7 / 16;  // unused after the last column
            if (!lastRow) {
                nxt[x] += e * 5 / 16;
                nxt[x + 1] += e / 16;  // nxt[w] takes the last column's share and is never read
            }
        }
        std::swap(current, below);
        std::fill(below.begin(), below.end(), 0);
    }
}

void TransferBitmapToDevice(PrintDevice &device, int left, int top, int width, int height, const QImage &bitmap)
{
    auto fits = [](int v) { return v >= -32768 && v <= 32767; };
    if (!fits(left) || !fits(top) || !fits(width) || !fits(height))
        throw PrintError(QStringLiteral("A picture does not fit the printer's page coordinates."));
    if (bitmap.isNull())
        return;
    const QImage source = bitmap.format() == QImage::Format_RGB32 || bitmap.format() == QImage::Format_ARGB32
                              ? bitmap
                              : bitmap.convertToFormat(QImage::Format_RGB32);
    device.stretchBitmap(QRect(left, top, width, height), source);
}

}  // namespace vellora
