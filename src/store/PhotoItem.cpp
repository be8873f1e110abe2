#include "store/PhotoItem.h"

#include "engine/util/Rounding.h"

#include <QPainter>

#include <cmath>

namespace vellora {

PhotoItem::PhotoItem(QWidget *parent) : QWidget(parent) {}

void PhotoItem::setUnreadablePhoto(const QString &path, const QString &reason)
{
    m_unreadablePhoto = path;
    m_unreadableReason = path.isEmpty() ? QString() : reason;
}

void PhotoItem::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_unreadablePhoto.clear();
    m_unreadableReason.clear();
    update();
    emit pictureChanged();
}

void PhotoItem::setStretch(bool on)
{
    if (m_stretch != on) {
        m_stretch = on;
        update();
    }
}

void PhotoItem::setProportional(bool on)
{
    if (m_proportional != on) {
        m_proportional = on;
        update();
    }
}

QRect PhotoItem::PictureRect(QSize picture, QSize box, bool stretch, bool proportional)
{
    if (picture.isEmpty())
        return {};
    if (!stretch)
        return QRect(QPoint(0, 0), picture);
    if (!proportional)
        return QRect(QPoint(0, 0), box);
    double s = double(box.width()) / picture.width();
    const double sh = double(box.height()) / picture.height();
    if (sh < s)
        s = sh;
    const int w = RoundHalfEven(picture.width() * s);
    const int h = RoundHalfEven(picture.height() * s);
    return QRect(0, 0, w, h);
}

QSize PhotoItem::sizeHint() const
{
    return m_picture.isNull() ? QSize(150, 200) : m_picture.size();
}

void PhotoItem::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    painter.drawImage(PictureRect(m_picture.size(), size(), m_stretch, m_proportional), m_picture);
}

}  // namespace vellora
