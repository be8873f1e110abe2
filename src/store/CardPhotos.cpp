#include "store/CardPhotos.h"

#include "store/PhotoItem.h"
#include "store/Photos.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>

namespace vellora {

namespace {

struct CardPhoto {
    QImage image;         // a bitmap, read whole
    QByteArray jpeg;      // or a JPEG's bytes, decoded by the item it shows in
    QString path;
    QString unreadable;   // the file that is there but could not be read
    QString reason;
};

// The card's photo for one suffix: its JPEG, or failing that its bitmap.
// No picture and no unreadable file when there is neither.
CardPhoto ReadCardPhoto(const QString &appFolder, const QString &cardNumberText, const QString &suffix)
{
    const QString jpeg = PhotoPath(appFolder, cardNumberText, suffix);
    const QString bitmap = PhotoBitmapPath(appFolder, cardNumberText, suffix);
    for (const QString &path : {jpeg, bitmap}) {
        if (path.isEmpty())
            continue;
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            continue;
        // A device, a pipe or a folder is never opened: reading one could
        // wait for ever.
        if (!info.isFile())
            return {{}, {}, {}, path, QStringLiteral("it is not a regular file")};
        try {
            if (path == jpeg)
                return {{}, ReadJpegFile(path), path, {}, {}};
            QImage image = LoadPicture(path);
            if (image.isNull())
                return {{}, {}, {}, path, QStringLiteral("it holds no picture")};
            return {std::move(image), {}, path, {}, {}};
        } catch (const PhotoError &e) {
            return {{}, {}, {}, path, e.message()};
        } catch (const std::bad_alloc &) {
            return {{}, {}, {}, path, QStringLiteral("it is too large")};
        }
    }
    return {};
}

// The placeholder, as for a card without a photo; a file that is there but
// unreadable is remembered, so the card is not printed without its photo.
void ShowPlaceholder(PhotoItem *item, const QImage &placeholder, const QString &unreadable, const QString &reason)
{
    item->setPicture(placeholder);
    item->setUnreadablePhoto(unreadable, reason);
}

void Show(PhotoItem *item, const CardPhoto &photo, const QImage &placeholder, bool proportionalWhenFound)
{
    if (!item)
        return;
    if (photo.image.isNull() && photo.jpeg.isEmpty()) {
        ShowPlaceholder(item, placeholder, photo.unreadable, photo.reason);
        return;
    }
    if (!photo.jpeg.isEmpty()) {
        try {
            item->setJpeg(photo.jpeg, photo.path);
        } catch (const PhotoError &e) {
            ShowPlaceholder(item, placeholder, photo.path, e.message());
            return;
        } catch (const std::bad_alloc &) {
            ShowPlaceholder(item, placeholder, photo.path, QStringLiteral("it is too large"));
            return;
        }
    } else {
        item->setPicture(photo.image);
    }
    if (proportionalWhenFound)
        item->setProportional(true);
}

}  // namespace

void RefreshCardPhotos(const CardFacePhotos &photos, const QString &appFolder, const QString &cardNumberText)
{
    const CardPhoto first = ReadCardPhoto(appFolder, cardNumberText, PhotoSuffix(PhotoSlot::First));
    Show(photos.image1, first, photos.placeholder, false);

    if (photos.secphot)
        photos.secphot->setProportional(false);
    const CardPhoto second = ReadCardPhoto(appFolder, cardNumberText, PhotoSuffix(PhotoSlot::Second));
    Show(photos.secphot, second, photos.placeholder, true);

    if (!photos.doubleSided)
        return;
    if (photos.image1 && photos.image1Back) {
        photos.image1Back->sharePicture(*photos.image1);
        photos.image1Back->setUnreadablePhoto(photos.image1->unreadablePhoto(), photos.image1->unreadableReason());
        photos.image1Back->setProportional(photos.image1->proportional());
    }
    if (photos.secphot && photos.secphotBack) {
        photos.secphotBack->sharePicture(*photos.secphot);
        photos.secphotBack->setUnreadablePhoto(photos.secphot->unreadablePhoto(), photos.secphot->unreadableReason());
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
