#include "capture/CropFrame.h"

#include <QMouseEvent>
#include <QPainter>

namespace vellora {

namespace {

struct HandlePoint {
    GrabZone zone;
    QPoint at;
    bool corner;
    bool horizontalEdge;  // top or bottom midpoint
};

QList<HandlePoint> HandlePoints(const QRect &frame)
{
    const int x0 = frame.left() - 2, y0 = frame.top() - 2;
    const int x1 = frame.left() + frame.width() + 1, y1 = frame.top() + frame.height() + 1;
    const int xm = (x0 + x1) / 2, ym = (y0 + y1) / 2;
    return {{GrabZone::TopLeft, {x0, y0}, true, false},     {GrabZone::Top, {xm, y0}, false, true},
            {GrabZone::TopRight, {x1, y0}, true, false},    {GrabZone::Right, {x1, ym}, false, false},
            {GrabZone::BottomRight, {x1, y1}, true, false}, {GrabZone::Bottom, {xm, y1}, false, true},
            {GrabZone::BottomLeft, {x0, y1}, true, false},  {GrabZone::Left, {x0, ym}, false, false}};
}

}  // namespace

GrabZone HitGrabHandle(const QRect &frame, QPoint p)
{
    for (const HandlePoint &h : HandlePoints(frame)) {
        const int dx = std::abs(p.x() - h.at.x()), dy = std::abs(p.y() - h.at.y());
        if (h.corner ? (dx <= 2 && dy <= 2) : h.horizontalEdge ? (dx <= 1 && dy <= 2) : (dy <= 1 && dx <= 2))
            return h.zone;
    }
    return frame.contains(p) ? GrabZone::Move : GrabZone::None;
}

QList<QRect> GrabHandleSquares(const QRect &frame)
{
    QList<QRect> out;
    for (const HandlePoint &h : HandlePoints(frame))
        out.append(QRect(h.at.x() - 2, h.at.y() - 2, 5, 5));
    return out;
}

QRect DragFrame(const QRect &start, GrabZone zone, QPoint delta, const QRect &bounds)
{
    int left = start.left(), top = start.top();
    int right = start.left() + start.width(), bottom = start.top() + start.height();
    const int bl = bounds.left(), bt = bounds.top();
    const int br = bounds.left() + bounds.width(), bb = bounds.top() + bounds.height();
    if (zone == GrabZone::Move) {
        const int dx = std::clamp(delta.x(), bl - left, br - right);
        const int dy = std::clamp(delta.y(), bt - top, bb - bottom);
        return QRect(left + dx, top + dy, start.width(), start.height());
    }
    const bool l = zone == GrabZone::TopLeft || zone == GrabZone::Left || zone == GrabZone::BottomLeft;
    const bool r = zone == GrabZone::TopRight || zone == GrabZone::Right || zone == GrabZone::BottomRight;
    const bool t = zone == GrabZone::TopLeft || zone == GrabZone::Top || zone == GrabZone::TopRight;
    const bool b = zone == GrabZone::BottomLeft || zone == GrabZone::Bottom || zone == GrabZone::BottomRight;
    if (l)
        left = std::clamp(left + delta.x(), bl, right - 1);
    if (r)
        right = std::clamp(right + delta.x(), left + 1, br);
    if (t)
        top = std::clamp(top + delta.y(), bt, bottom - 1);
    if (b)
        bottom = std::clamp(bottom + delta.y(), top + 1, bb);
    return QRect(left, top, right - left, bottom - top);
}

CropOutline::CropOutline(QWidget *parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void CropOutline::setOutline(bool on)
{
    m_outline = on;
    update();
}

void CropOutline::paintEvent(QPaintEvent *)
{
    if (!m_outline)
        return;
    QPainter p(this);
    // Inverting what lies below keeps the line visible on any picture.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white, 1, Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

StretchHandle::StretchHandle(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    hide();
}

void StretchHandle::attach(CropOutline *frame)
{
    m_frame = frame;
    refit();
    show();
    raise();
}

void StretchHandle::detach()
{
    m_frame = nullptr;
    m_zone = GrabZone::None;
    hide();
}

void StretchHandle::refit()
{
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    update();
}

void StretchHandle::paintEvent(QPaintEvent *)
{
    if (!m_frame)
        return;
    QPainter p(this);
    for (const QRect &square : GrabHandleSquares(m_frame->geometry()))
        p.fillRect(square, Qt::black);
}

void StretchHandle::mousePressEvent(QMouseEvent *event)
{
    if (!m_frame || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_zone = HitGrabHandle(m_frame->geometry(), event->position().toPoint());
    if (m_zone == GrabZone::None)
        return;
    m_pressAt = event->position().toPoint();
    m_startFrame = m_frame->geometry();
    // The outline goes while the frame moves.
    m_frame->setOutline(false);
}

void StretchHandle::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (!m_frame)
        return;
    if (m_zone == GrabZone::None || !(event->buttons() & Qt::LeftButton)) {
        switch (HitGrabHandle(m_frame->geometry(), at)) {
        case GrabZone::TopLeft:
        case GrabZone::BottomRight: setCursor(Qt::SizeFDiagCursor); break;
        case GrabZone::TopRight:
        case GrabZone::BottomLeft: setCursor(Qt::SizeBDiagCursor); break;
        case GrabZone::Top:
        case GrabZone::Bottom: setCursor(Qt::SizeVerCursor); break;
        case GrabZone::Left:
        case GrabZone::Right: setCursor(Qt::SizeHorCursor); break;
        case GrabZone::Move: setCursor(Qt::SizeAllCursor); break;
        case GrabZone::None: unsetCursor(); break;
        }
        return;
    }
    m_frame->setGeometry(DragFrame(m_startFrame, m_zone, at - m_pressAt, rect()));
    update();
}

void StretchHandle::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_zone == GrabZone::None || event->button() != Qt::LeftButton)
        return;
    m_zone = GrabZone::None;
    if (dragFinished)
        dragFinished();
    update();
}

}  // namespace vellora
