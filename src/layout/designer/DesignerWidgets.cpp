#include "layout/designer/DesignerWidgets.h"

#include "layout/designer/TCustomlayout.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace vellora {

namespace {

Qt::CursorShape CursorFor(SelectionHit hit)
{
    switch (hit) {
    case SelectionHit::TopLeft:
    case SelectionHit::BottomRight: return Qt::SizeFDiagCursor;
    case SelectionHit::TopRight:
    case SelectionHit::BottomLeft: return Qt::SizeBDiagCursor;
    case SelectionHit::Top:
    case SelectionHit::Bottom: return Qt::SizeVerCursor;
    case SelectionHit::Left:
    case SelectionHit::Right: return Qt::SizeHorCursor;
    case SelectionHit::Move: return Qt::SizeAllCursor;
    case SelectionHit::None: break;
    }
    return Qt::ArrowCursor;
}

}  // namespace

SelectionHandles::SelectionHandles(TCustomlayout *designer, QWidget *parent) : QWidget(parent), m_designer(designer)
{
    setObjectName(QStringLiteral("StretchHandle1"));
    setProperty("translate", false);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

void SelectionHandles::frameItem(const QRect &itemBounds) { setGeometry(SelectionFrame(itemBounds)); }

bool SelectionHandles::event(QEvent *event)
{
    // Over the selection the card's background hint is not shown.
    if (event->type() == QEvent::ToolTip)
        return true;
    return QWidget::event(event);
}

void SelectionHandles::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int w = width();
    const int h = height();
    const int s = kHandleSize;
    const int xs[] = {0, (w - s) / 2, w - s};
    const int ys[] = {0, (h - s) / 2, h - s};
    for (int yi = 0; yi < 3; ++yi)
        for (int xi = 0; xi < 3; ++xi)
            if (xi != 1 || yi != 1)
                p.fillRect(xs[xi], ys[yi], s, s, Qt::black);
}

void SelectionHandles::mousePressEvent(QMouseEvent *event)
{
    TCustomlayout::Slot *slot = m_designer->slotOf(m_designer->m_selected);
    if (!slot) {
        event->ignore();
        return;
    }
    const SelectionHit hit = HitSelection(size(), event->position().toPoint());
    if (hit == SelectionHit::None) {
        event->ignore();
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        m_designer->beginCardDrag(*slot, hit, global);
    } else if (event->button() == Qt::RightButton) {
        m_designer->prepareItemMenu(*slot);
        m_designer->m_itemMenu->popup(global);
    }
}

void SelectionHandles::mouseMoveEvent(QMouseEvent *event)
{
    if (m_designer->m_drag.mode != TCustomlayout::DragMode::None) {
        m_designer->dragTo(event->globalPosition().toPoint());
        return;
    }
    setCursor(CursorFor(HitSelection(size(), event->position().toPoint())));
}

void SelectionHandles::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_designer->m_drag.mode != TCustomlayout::DragMode::None)
        m_designer->dropAt(event->globalPosition().toPoint());
}

void SelectionHandles::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left: m_designer->nudgeSelection(-1, 0); return;
    case Qt::Key_Right: m_designer->nudgeSelection(1, 0); return;
    case Qt::Key_Up: m_designer->nudgeSelection(0, -1); return;
    case Qt::Key_Down: m_designer->nudgeSelection(0, 1); return;
    default: break;
    }
    QWidget::keyPressEvent(event);
}

DragOutline::DragOutline(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setProperty("translate", false);
}

void DragOutline::showAt(const QRect &bounds)
{
    const QRect r(bounds.topLeft(), bounds.size().expandedTo(QSize(2, 2)));
    if (r.size() != size())
        setMask(QRegion(0, 0, r.width(), r.height()) - QRegion(1, 1, r.width() - 2, r.height() - 2));
    setGeometry(r);
    if (isHidden()) {
        show();
        raise();
    }
}

void DragOutline::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vellora
