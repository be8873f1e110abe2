#include "store/ScaledPicture.h"

#include "engine/util/Rounding.h"
#include "store/Photos.h"

#include <QFile>
#include <QPainter>

namespace vellora {

QSize ScaledPictureSize(QSize picture, int percent)
{
    return {RoundHalfEven(picture.width() / 100.0 * percent), RoundHalfEven(picture.height() / 100.0 * percent)};
}

QImage LoadScaledPicture(const QString &path, int percent)
{
    if (!QFile::exists(path))
        return {};
    const QImage picture = LoadPicture(path);
    const QSize size = ScaledPictureSize(picture.size(), percent);
    if (size == picture.size())
        return picture;
    if (size.isEmpty())
        return {};
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(QPoint(0, 0), size), picture);
    return out;
}

}  // namespace vellora
