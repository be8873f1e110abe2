#include "layout/designer/DesignerItems.h"

#include "layout/file/LayoutFont.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace vellora {

namespace {

Qt::Alignment ToQt(LayoutAlignment a)
{
    switch (a) {
    case LayoutAlignment::Right: return Qt::AlignRight;
    case LayoutAlignment::Center: return Qt::AlignHCenter;
    case LayoutAlignment::Left: break;
    }
    return Qt::AlignLeft;
}

// A stock picture drawn once: a light card-coloured box with a simple
// figure, so that the palette's pictures read as what they stand for.
QImage DrawStock(QSize size, const std::function<void(QPainter &, QRectF)> &figure)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xF4, 0xF6, 0xF8));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8A, 0x96, 0xA3), 2));
    p.drawRect(QRectF(1, 1, size.width() - 2, size.height() - 2));
    figure(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

void DrawPerson(QPainter &p, QRectF r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7B, 0x8C, 0x9E));
    const double cx = r.center().x();
    const double head = r.width() * 0.18;
    p.drawEllipse(QPointF(cx, r.height() * 0.38), head, head * 1.15);
    QPainterPath body;
    body.addRoundedRect(QRectF(cx - r.width() * 0.32, r.height() * 0.62, r.width() * 0.64, r.height() * 0.5), 18, 18);
    p.drawPath(body);
}

}  // namespace

DesignerText::DesignerText(QWidget *parent) : QLabel(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

void DesignerText::setData(const LayoutItem &data)
{
    m_data = data;
    QString shown = data.text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    setText(shown);
    setAccessibleName(shown);
    setAlignment(ToQt(data.alignment.value_or(LayoutAlignment::Left)) | Qt::AlignTop);
    setFont(LayoutItemFont(data));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, LayoutColor(data.fontColor, pal));
    setPalette(pal);
}

void DesignerText::setBackground(const QColor &colour)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colour);
    setPalette(pal);
}

DesignerPicture::DesignerPicture(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void DesignerPicture::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void DesignerPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_picture.isNull())
        return;
    QSize s = m_picture.size().scaled(size(), Qt::KeepAspectRatio);
    if (s.isEmpty())
        return;
    const QRect target(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_picture);
}

DesignerPictureGhost::DesignerPictureGhost(const QString &caption, QWidget *parent)
    : QWidget(parent), m_caption(caption)
{
    setEnabled(false);
    setAccessibleName(caption);
}

void DesignerPictureGhost::setCaption(const QString &caption)
{
    m_caption = caption;
    setAccessibleName(caption);
    update();
}

void DesignerPictureGhost::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0xC0, 0xC0, 0xC0));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QColor(128, 128, 128));
    const QFontMetrics fm(font());
    const int tw = fm.horizontalAdvance(m_caption);
    const int th = fm.height();
    p.drawText(QPoint((width() - tw) / 2, (height() - th) / 2 + fm.ascent()), m_caption);
}

QImage StockPhotoPicture()
{
    return DrawStock(QSize(150, 200), DrawPerson);
}

QImage StockSecondPhotoPicture()
{
    return DrawStock(QSize(200, 98), [](QPainter &p, QRectF r) {
        DrawPerson(p, QRectF(r.width() * 0.05, 0, r.height() * 0.75, r.height()));
        DrawPerson(p, QRectF(r.width() * 0.55, 0, r.height() * 0.75, r.height()));
    });
}

QImage StockStaticPicture()
{
    return DrawStock(QSize(200, 98), [](QPainter &p, QRectF r) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x6F, 0x9F, 0xC8));
        const double s = r.height() * 0.6;
        QPainterPath star;
        star.addEllipse(QRectF(r.center().x() - s / 2, r.center().y() - s / 2, s, s));
        p.drawPath(star);
        p.setBrush(QColor(0xF4, 0xF6, 0xF8));
        p.drawEllipse(QRectF(r.center().x() - s / 4, r.center().y() - s / 4, s / 2, s / 2));
    });
}

}  // namespace vellora
