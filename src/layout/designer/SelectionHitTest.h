#pragma once
// Where a press on the selection frame of the designer's card lands, and
// what a move or a resize makes of the item's bounds. Pure functions of
// the geometry, shared by the window and its tests.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace vellora {

enum class SelectionHit {
    None,  // outside the frame: the press goes to what lies under it
    Move,  // inside the frame, on no square
    TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left,
};

// The frame lies 2 pixels outside the selected item on every side.
inline constexpr int kSelectionMargin = 2;
// The black squares at the corners and edge middles of the frame.
inline constexpr int kHandleSize = 5;

// The frame of an item with these bounds.
QRect SelectionFrame(const QRect &item);

// `point` in the frame's own coordinates (0,0 its top-left corner). A
// corner square is hit within 5 pixels of its corner; an edge's square
// within 3 pixels of the edge's middle along the edge and 5 pixels across
// it; corners win over edge middles on a tiny frame.
SelectionHit HitSelection(QSize frame, QPoint point);

// The bounds after dragging by `delta` from `start` with the press on
// `hit`, kept inside a card of `card` pixels: a move keeps the size and
// pushes the item inside; a resize moves the dragged edges, never past the
// card's edges, and keeps at least one pixel of width and height.
QRect DraggedBounds(const QRect &start, SelectionHit hit, QPoint delta, QSize card);

// Where an item of `size` dropped with its top-left corner at `at` lands on
// a card of `card` pixels: pushed back inside the right and bottom edges.
QPoint DropPosition(QPoint at, QSize size, QSize card);

}  // namespace vellora
