#pragma once
// The selection frame with its eight squares and the dotted outline shown
// while an item is dragged: both parts of the designer window.
#include "layout/designer/SelectionHitTest.h"

#include <QWidget>

class TCustomlayout;

namespace vellora {

// Lies over the selected item, 2 pixels outside it; presses on it move or
// resize the item, the arrow keys nudge it.
class SelectionHandles : public QWidget {
    Q_OBJECT
public:
    explicit SelectionHandles(TCustomlayout *designer, QWidget *parent);
    void frameItem(const QRect &itemBounds);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    TCustomlayout *m_designer;
};

// A dotted rectangle over the window; only its border is painted and
// exposed, so following the mouse costs little.
class DragOutline : public QWidget {
    Q_OBJECT
public:
    explicit DragOutline(QWidget *parent);
    void showAt(const QRect &bounds);

protected:
    void paintEvent(QPaintEvent *event) override;
};

}  // namespace vellora
