#pragma once
// Acts on the next modal window from inside its modal loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace vellora::test {

// Polls until a modal widget is up, then calls act with it (once). Gives up
// after timeoutMs so a test cannot hang; *seen tells whether it acted.
inline void WhenModal(std::function<void(QWidget *)> act, bool *seen = nullptr, int timeoutMs = 5000)
{
    if (seen)
        *seen = false;
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, seen, timer, timeoutMs, poll]() {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (seen)
                *seen = true;
            act(modal);
            *poll = nullptr;  // break the cycle
            return;
        }
        if (timer->elapsed() > timeoutMs) {
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

}  // namespace vellora::test
