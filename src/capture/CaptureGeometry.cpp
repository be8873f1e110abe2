#include "capture/CaptureGeometry.h"

#include "engine/util/Rounding.h"

#include <QPainter>

#include <cmath>

namespace vellora {

namespace {

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

}  // namespace

QSize FitIntoVideoArea(QSize picture, QSize area)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return QSize();
    const double w = picture.width(), h = picture.height();
    double s = area.width() / w;
    if (h * s > area.height())
        s = area.height() / h;
    return QSize(Trunc(w * s), Trunc(h * s));
}

QPoint CentredIn(QSize outer, QSize inner)
{
    return QPoint(Trunc((outer.width() - inner.width()) / 2.0), Trunc((outer.height() - inner.height()) / 2.0));
}

StoreStrip StoreStripOf(QSize picture)
{
    const double w = picture.width(), h = picture.height();
    return {Trunc(w / 2 - 3 * h / 8), Trunc(3 * h / 8 + w / 2)};
}

QImage CutStoreStrip(const QImage &frame)
{
    if (frame.isNull())
        return QImage();
    const StoreStrip strip = StoreStripOf(frame.size());
    const int width = strip.right - strip.left;
    if (width <= 0)
        return QImage();
    QImage cut(width, frame.height(), QImage::Format_RGB32);
    cut.fill(Qt::white);
    {
        QPainter p(&cut);
        p.drawImage(QPoint(-strip.left, 0), frame);
    }
    return cut.scaled(kStoredCapture, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QRect FitIntoLoadDisplay(QSize panel, QSize picture)
{
    int width = panel.width() - 4;
    int height = panel.height() - 4;
    if (picture.width() > 0 && picture.height() > 0 && width > 0 && height > 0) {
        const float across = float(picture.width()) / float(picture.height());
        const float down = float(picture.height()) / float(picture.width());
        if (RoundHalfEven(height * double(across)) > width)
            height = RoundHalfEven(width * double(down));
        else
            width = RoundHalfEven(height * double(across));
    }
    const int left = (panel.width() - width - 4) / 2 + 2;
    const int top = (panel.height() - height - 4) / 2 + 2;
    return QRect(left, top, width, height);
}

QRect CropFrameFor(QSize panel, QRect display, QSize target)
{
    if (target.width() <= 0 || target.height() <= 0)
        target = QSize(3, 4);
    const double a = double(target.width()) / target.height();
    int width, height;
    if (RoundHalfEven(display.height() * a) > display.width()) {
        width = display.width();
        height = RoundHalfEven(display.width() / a);
    } else {
        height = display.height();
        width = RoundHalfEven(display.height() * a);
    }
    const int left = (panel.width() - 4 - width) / 2 + 2;
    const int top = (panel.height() - 4 - height) / 2 + 2;
    return QRect(left, top, width, height);
}

QRect CorrectDraggedFrame(QRect frame, QRect display)
{
    int w = frame.width(), h = frame.height();
    w = std::max(w, kMinCropSide);
    w = std::min(w, display.width());
    h = std::max(h, kMinCropSide);
    h = std::min(h, display.height());
    int left = frame.left(), top = frame.top();
    left = std::max(left, display.left());
    if (left + w > display.left() + display.width())
        left = display.left() + display.width() - w;
    top = std::max(top, display.top());
    if (top + h > display.top() + display.height())
        top = display.top() + display.height() - h;
    return QRect(left, top, w, h);
}

QRect CutRectangle(QSize picture, QRect frame, QRect display)
{
    if (display.width() <= 0 || display.height() <= 0)
        return QRect();
    const double w = picture.width(), h = picture.height();
    return QRect(RoundHalfEven(w * (frame.left() - display.left()) / display.width()),
                 RoundHalfEven(h * (frame.top() - display.top()) / display.height()),
                 RoundHalfEven(w * frame.width() / display.width()), RoundHalfEven(h * frame.height() / display.height()));
}

}  // namespace vellora
