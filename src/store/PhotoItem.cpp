#include "store/PhotoItem.h"

#include "engine/util/Rounding.h"
#include "store/Photos.h"

#include <QPainter>

#include <cmath>

namespace vellora {

PhotoItem::PhotoItem(QWidget *parent) : QWidget(parent) {}

void PhotoItem::setUnreadablePhoto(const QString &path, const QString &reason)
{
    m_unreadablePhoto = path;
    m_unreadableReason = path.isEmpty() ? QString() : reason;
}

const QImage &PhotoItem::picture() const
{
    if (m_picture.isNull() && !m_jpeg.isEmpty()) {
        try {
            m_picture = DecodeJpegData(m_jpeg, m_jpegPath);
        } catch (const PhotoError &) {
            // The same bytes decoded for the screen: only memory can fail
            // here. The screen's picture beats none.
            m_picture = m_shown;
        } catch (const std::bad_alloc &) {
            m_picture = m_shown;
        }
    }
    return m_picture;
}

void PhotoItem::setJpeg(const QByteArray &data, const QString &path)
{
    const QSize full = JpegPictureSize(data, path);
    const int eighths = JpegEighthsFor(full, size() * devicePixelRatioF(), m_stretch);
    const QImage shown = DecodeJpegData(data, path, eighths);
    m_jpeg = data;
    m_jpegPath = path;
    m_shown = shown;
    m_shownEighths = eighths;
    m_size = full;
    m_picture = eighths == 8 ? shown : QImage();
    m_unreadablePhoto.clear();
    m_unreadableReason.clear();
    update();
    emit pictureChanged();
}

void PhotoItem::sharePicture(const PhotoItem &other)
{
    m_picture = other.m_picture;
    m_jpeg = other.m_jpeg;
    m_jpegPath = other.m_jpegPath;
    m_shown = other.m_shown;
    m_shownEighths = other.m_shownEighths;
    m_size = other.m_size;
    m_unreadablePhoto.clear();
    m_unreadableReason.clear();
    update();
    emit pictureChanged();
}

const QImage &PhotoItem::shownPicture()
{
    if (m_jpeg.isEmpty() || m_shownEighths == 8)
        return m_picture;
    if (!m_picture.isNull())
        return m_picture;
    const int needed = JpegEighthsFor(m_size, size() * devicePixelRatioF(), m_stretch);
    if (needed > m_shownEighths) {
        // The box grew since the photo was shown: decode it finer.
        try {
            m_shown = DecodeJpegData(m_jpeg, m_jpegPath, needed);
            m_shownEighths = needed;
        } catch (const PhotoError &) {
        } catch (const std::bad_alloc &) {
        }
        if (needed == 8)
            m_picture = m_shown;
    }
    return m_shown;
}

void PhotoItem::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_jpeg.clear();
    m_jpegPath.clear();
    m_shown = QImage();
    m_shownEighths = 0;
    m_size = picture.size();
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
    return m_size.isEmpty() ? QSize(150, 200) : m_size;
}

void PhotoItem::paintEvent(QPaintEvent *)
{
    const QImage &shown = shownPicture();
    if (shown.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    // The geometry comes from the picture's own size, whatever the scale
    // it was decoded at for the screen.
    painter.drawImage(PictureRect(m_size, size(), m_stretch, m_proportional), shown);
}

}  // namespace vellora
