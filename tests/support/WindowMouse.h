#pragma once
// Mouse actions on a shown window at a point of one of its widgets,
// delivered through the window system as a pointer delivers them, so that
// grabs, hit-testing and the widget under the pointer behave as for a user.
#include <QWidget>
#include <QWindow>
#include <QtTest>

namespace vellora::test {

class WindowMouse {
public:
    explicit WindowMouse(QWidget *window) : m_window(window) {}
    QPoint at(QWidget *w, QPoint p) const { return w->mapTo(m_window, p); }
    void press(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(m_window->windowHandle(), b, {}, at(w, p));
    }
    void move(QWidget *w, QPoint p) { QTest::mouseMove(m_window->windowHandle(), at(w, p)); }
    void release(QWidget *w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseRelease(m_window->windowHandle(), b, {}, at(w, p));
    }
    // Press on `from`, move in a few steps to `to`, release there.
    void drag(QWidget *from, QPoint p, QWidget *to, QPoint q)
    {
        press(from, p);
        const QPoint a = at(from, p);
        const QPoint b = at(to, q);
        for (int i = 1; i <= 4; ++i)
            QTest::mouseMove(m_window->windowHandle(), a + (b - a) * i / 4);
        release(to, q);
    }

private:
    QWidget *m_window;
};

}  // namespace vellora::test
