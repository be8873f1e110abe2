// Draws the picture of each quick layout for its button in the card design
// dialog: <folder>/quick1.png .. quick5.png, each a miniature card with the
// photo, the two free texts and the four fields where the layout puts them
// (the portrait layout standing upright).
#include "layout/quick/QuickLayouts.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

using namespace vellora;

namespace {

// The long side of a picture, in pixels (drawn at twice the button's size).
constexpr int kLongSide = 192;

// A bar standing for a line of text: `share` of the box's width, aligned as
// the layout aligns it, `height` of the box's height, near the box's top as
// a label's text sits.
QRectF TextBar(const QRectF &box, double share, double height, LayoutAlignment align)
{
    const double w = box.width() * share;
    const double h = std::max(1.5, box.height() * height);
    double x = box.left();
    if (align == LayoutAlignment::Center)
        x = box.center().x() - w / 2;
    else if (align == LayoutAlignment::Right)
        x = box.right() - w;
    return QRectF(x, box.top() + std::min(box.height() * 0.15, 6.0), w, h);
}

void DrawPhoto(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(QColor(90, 110, 140), 1));
    p.setBrush(QColor(200, 215, 235));
    p.drawRect(r);
    // Head and shoulders.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 130, 160));
    const double cx = r.center().x();
    p.drawEllipse(QPointF(cx, r.top() + r.height() * 0.38), r.width() * 0.2, r.height() * 0.17);
    QPainterPath shoulders;
    shoulders.moveTo(r.left() + r.width() * 0.12, r.bottom());
    shoulders.cubicTo(QPointF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.6),
                      QPointF(r.right() - r.width() * 0.15, r.top() + r.height() * 0.6),
                      QPointF(r.right() - r.width() * 0.12, r.bottom()));
    shoulders.closeSubpath();
    p.drawPath(shoulders);
}

QImage Draw(const QuickLayout &layout)
{
    const QSize picture = layout.landscape ? QSize(kLongSide, kLongSide * 321 / 513) : QSize(kLongSide * 321 / 513, kLongSide);
    const double scale = double(picture.width()) / layout.panel.width();
    QImage image(picture, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const auto at = [scale](const QRect &r) {
        return QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
    };
    // The card.
    p.setPen(QPen(QColor(120, 120, 120), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(1, 1, picture.width() - 2, picture.height() - 2), 6, 6);

    DrawPhoto(p, at(layout.image1));
    p.setPen(Qt::NoPen);
    // Free text 1: the company name in large bold type; free text 2 below it.
    p.setBrush(QColor(30, 60, 130));
    p.drawRect(TextBar(at(layout.statlabel1), 0.62, layout.landscape ? 0.5 : 0.28, layout.labelAlignment));
    p.setBrush(QColor(120, 140, 180));
    p.drawRect(TextBar(at(layout.statlabel2), 0.55, 0.4, layout.labelAlignment));
    // The names, then title and department, left aligned.
    p.setBrush(QColor(40, 40, 40));
    for (const QRect &r : {layout.firstName, layout.lastName})
        p.drawRect(TextBar(at(r), 0.6, 0.42, LayoutAlignment::Left));
    p.setBrush(QColor(140, 140, 140));
    for (const QRect &r : {layout.title, layout.department})
        p.drawRect(TextBar(at(r), 0.45, 0.36, LayoutAlignment::Left));
    return image;
}

}  // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (int type = 1; type <= 5; ++type) {
        const QString file = QDir(folder).filePath(QStringLiteral("quick%1.png").arg(type));
        if (!Draw(QuickLayoutFor(type)).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
