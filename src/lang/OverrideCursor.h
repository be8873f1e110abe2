#pragma once
// An application-wide cursor (the hourglass by default) for as long as the
// guard lives, restored however the scope ends. Without a GUI application
// (command-line runs, tests of the layers below the windows) it does nothing.
#include <Qt>

namespace vellora {

class OverrideCursor {
public:
    explicit OverrideCursor(Qt::CursorShape shape = Qt::WaitCursor);
    ~OverrideCursor();
    OverrideCursor(const OverrideCursor &) = delete;
    OverrideCursor &operator=(const OverrideCursor &) = delete;

private:
    bool m_set = false;
};

}  // namespace vellora
