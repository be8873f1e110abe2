#pragma once
// Where the main window goes and how large it is, from the screen and the
// desktop's work area (the screen less panels and docks).
#include <QRect>
#include <QSize>

namespace vellora {

struct MainWindowPlacement {
    QRect geometry;          // frame geometry on the screen
    bool resizable = true;   // false: fixed border, size of the screen
    bool maximiseButton = true;
};

inline constexpr QSize kMainWindowDesignSize{975, 780};
inline constexpr QSize kMainWindowMinimumSize{640, 480};

MainWindowPlacement PlaceMainWindow(const QSize &screen, const QRect &workArea);

}  // namespace vellora
