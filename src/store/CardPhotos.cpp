#include "store/CardPhotos.h"

#include "store/PhotoItem.h"
#include "store/Photos.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>

namespace vellora {

namespace {

// The card's photo for one suffix, or a null image when there is none or it
// cannot be read.
QImage ReadCardPhoto(const QString &appFolder, const QString &cardNumberText, const QString &suffix)
{
    try {
        const QString jpeg = PhotoPath(appFolder, cardNumberText, suffix);
        if (!jpeg.isEmpty() && QFileInfo(jpeg).isFile())
            return LoadJpeg(jpeg);
        const QString bitmap = PhotoBitmapPath(appFolder, cardNumberText, suffix);
        if (!bitmap.isEmpty() && QFileInfo(bitmap).isFile())
            return LoadPicture(bitmap);
    } catch (const PhotoError &) {
        // A damaged photo shows as no photo; the operator can store a new one.
    } catch (const std::bad_alloc &) {
    }
    return {};
}

void Show(PhotoItem *item, const QImage &photo, const QImage &placeholder, bool proportionalWhenFound)
{
    if (!item)
        return;
    if (photo.isNull()) {
        item->setPicture(placeholder);
        return;
    }
    item->setPicture(photo);
    if (proportionalWhenFound)
        item->setProportional(true);
}

}  // namespace

void RefreshCardPhotos(const CardFacePhotos &photos, const QString &appFolder, const QString &cardNumberText)
{
    const QImage first = ReadCardPhoto(appFolder, cardNumberText, PhotoSuffix(PhotoSlot::First));
    Show(photos.image1, first, photos.placeholder, false);

    if (photos.secphot)
        photos.secphot->setProportional(false);
    const QImage second = ReadCardPhoto(appFolder, cardNumberText, PhotoSuffix(PhotoSlot::Second));
    Show(photos.secphot, second, photos.placeholder, true);

    if (!photos.doubleSided)
        return;
    if (photos.image1 && photos.image1Back) {
        photos.image1Back->setPicture(photos.image1->picture());
        photos.image1Back->setProportional(photos.image1->proportional());
    }
    if (photos.secphot && photos.secphotBack) {
        photos.secphotBack->setPicture(photos.secphot->picture());
        photos.secphotBack->setProportional(photos.secphot->proportional());
    }
}

bool StorePhoto(PhotoItem *item, const QString &suffix, const QString &appFolder, const QString &cardNumberText)
{
    if (!item || cardNumberText.trimmed().isEmpty())
        return false;
    const QString path = PhotoPath(appFolder, cardNumberText, suffix);
    if (path.isEmpty())
        throw PhotoError(QStringLiteral("The card number \"%1\" cannot name a photo file").arg(cardNumberText));
    SaveJpeg(item->picture(), path);
    item->setPicture(LoadJpeg(path));
    return true;
}

QImage DefaultPlaceholderPicture()
{
    QImage image(150, 200, QImage::Format_RGB32);
    image.fill(QColor(230, 230, 230));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(160, 160, 160));
    // Head and shoulders.
    p.drawEllipse(QRectF(47, 38, 56, 68));
    QPainterPath body;
    body.moveTo(12, 200);
    body.cubicTo(14, 140, 50, 118, 75, 118);
    body.cubicTo(100, 118, 136, 140, 138, 200);
    body.closeSubpath();
    p.drawPath(body);
    p.end();
    return image;
}

}  // namespace vellora
