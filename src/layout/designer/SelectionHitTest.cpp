#include "layout/designer/SelectionHitTest.h"

#include <algorithm>
#include <cstdlib>

namespace vellora {

QRect SelectionFrame(const QRect &item)
{
    return item.adjusted(-kSelectionMargin, -kSelectionMargin, kSelectionMargin, kSelectionMargin);
}

SelectionHit HitSelection(QSize frame, QPoint p)
{
    const int w = frame.width();
    const int h = frame.height();
    if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h)
        return SelectionHit::None;
    const int right = w - 1;
    const int bottom = h - 1;
    const auto near = [](int a, int b, int d) { return std::abs(a - b) < d; };
    const bool atLeft = near(p.x(), 0, kHandleSize);
    const bool atRight = near(p.x(), right, kHandleSize);
    const bool atTop = near(p.y(), 0, kHandleSize);
    const bool atBottom = near(p.y(), bottom, kHandleSize);
    if (atTop && atLeft)
        return SelectionHit::TopLeft;
    if (atTop && atRight)
        return SelectionHit::TopRight;
    if (atBottom && atRight)
        return SelectionHit::BottomRight;
    if (atBottom && atLeft)
        return SelectionHit::BottomLeft;
    const bool midX = std::abs(p.x() - right / 2) <= 3;
    const bool midY = std::abs(p.y() - bottom / 2) <= 3;
    if (atTop && midX)
        return SelectionHit::Top;
    if (atBottom && midX)
        return SelectionHit::Bottom;
    if (atLeft && midY)
        return SelectionHit::Left;
    if (atRight && midY)
        return SelectionHit::Right;
    return SelectionHit::Move;
}

QRect DraggedBounds(const QRect &start, SelectionHit hit, QPoint delta, QSize card)
{
    const int cw = std::max(1, card.width());
    const int ch = std::max(1, card.height());
    if (hit == SelectionHit::None)
        return start;
    if (hit == SelectionHit::Move) {
        const int w = std::min(start.width(), cw);
        const int h = std::min(start.height(), ch);
        const int left = std::clamp(start.left() + delta.x(), 0, cw - w);
        const int top = std::clamp(start.top() + delta.y(), 0, ch - h);
        return QRect(left, top, w, h);
    }
    // Edges as exclusive coordinates: left <= x < right.
    int left = start.left();
    int top = start.top();
    int right = start.left() + start.width();
    int bottom = start.top() + start.height();
    const bool movesLeft = hit == SelectionHit::TopLeft || hit == SelectionHit::Left || hit == SelectionHit::BottomLeft;
    const bool movesRight = hit == SelectionHit::TopRight || hit == SelectionHit::Right || hit == SelectionHit::BottomRight;
    const bool movesTop = hit == SelectionHit::TopLeft || hit == SelectionHit::Top || hit == SelectionHit::TopRight;
    const bool movesBottom = hit == SelectionHit::BottomLeft || hit == SelectionHit::Bottom || hit == SelectionHit::BottomRight;
    if (movesLeft)
        left = std::clamp(left + delta.x(), 0, right - 1);
    if (movesRight)
        right = std::clamp(right + delta.x(), left + 1, cw);
    if (movesTop)
        top = std::clamp(top + delta.y(), 0, bottom - 1);
    if (movesBottom)
        bottom = std::clamp(bottom + delta.y(), top + 1, ch);
    // An item that was partly outside the card is brought inside.
    left = std::clamp(left, 0, cw - 1);
    top = std::clamp(top, 0, ch - 1);
    right = std::clamp(right, left + 1, cw);
    bottom = std::clamp(bottom, top + 1, ch);
    return QRect(left, top, right - left, bottom - top);
}

QPoint DropPosition(QPoint at, QSize size, QSize card)
{
    int left = at.x();
    int top = at.y();
    if (left + size.width() > card.width())
        left = card.width() - size.width();
    if (top + size.height() > card.height())
        top = card.height() - size.height();
    return QPoint(left, top);
}

}  // namespace vellora
