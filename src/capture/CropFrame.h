#pragma once
// The crop frame of the Load page: the frame itself (a transparent label
// whose outline is a dotted line drawn by inverting the picture below it)
// and the grab handles around it, with which the operator moves and sizes
// the frame by mouse.
#include <QLabel>
#include <QWidget>
#include <functional>

namespace vellora {

// Where on a frame a mouse press lands.
enum class GrabZone { None, Move, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };

// The handles are 5 x 5 squares centred on the corners and edge midpoints
// of the frame's box widened by 2 pixels on each side. A corner's hit zone
// is the 5 x 5 square around it, an edge midpoint's 3 pixels along the edge
// and 5 across; a press inside the frame elsewhere moves it.
GrabZone HitGrabHandle(const QRect &frame, QPoint point);
// The eight handle squares in the order TopLeft, Top, TopRight, Right,
// BottomRight, Bottom, BottomLeft, Left.
QList<QRect> GrabHandleSquares(const QRect &frame);
// The frame after dragging `zone` by `delta` from `start`, kept inside
// `bounds`; any width and height may result (at least 1 pixel).
QRect DragFrame(const QRect &start, GrabZone zone, QPoint delta, const QRect &bounds);

// LblCrop: draws its outline when shown with the outline on.
class CropOutline : public QLabel {
    Q_OBJECT
public:
    explicit CropOutline(QWidget *parent = nullptr);
    void setOutline(bool on);
    bool outline() const { return m_outline; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_outline = false;
};

// StretchHandle1: lies over the whole panel while attached and paints the
// handles of its frame. Dragging a handle sizes the frame, dragging inside
// it moves it; at the end of a drag `dragFinished` runs (the window
// corrects the frame and re-fits the handles).
class StretchHandle : public QWidget {
    Q_OBJECT
public:
    explicit StretchHandle(QWidget *parent = nullptr);
    void attach(CropOutline *frame);
    void detach();
    CropOutline *attached() const { return m_frame; }
    void refit();
    std::function<void()> dragFinished;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    CropOutline *m_frame = nullptr;
    GrabZone m_zone = GrabZone::None;
    QPoint m_pressAt;
    QRect m_startFrame;
};

}  // namespace vellora
