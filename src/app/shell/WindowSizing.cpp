#include "app/shell/WindowSizing.h"

namespace vellora {

namespace {
// One axis: the designed extent is replaced by the limit when the work area
// is larger than the limit (centred on the screen), else by the work area
// itself (placed at its start).
void fitAxis(int screenExtent, int workStart, int workExtent, int limit, int *pos, int *extent)
{
    if (workExtent > limit) {
        *extent = limit;
        *pos = (screenExtent - limit) / 2;
    } else {
        *extent = workExtent;
        *pos = workStart;
    }
}
}  // namespace

MainWindowPlacement PlaceMainWindow(const QSize &screen, const QRect &workArea)
{
    MainWindowPlacement p;
    if (screen.width() <= 800 || screen.height() <= 600) {
        p.geometry = QRect(QPoint(0, 0), screen);
        p.resizable = false;
        p.maximiseButton = false;
        return p;
    }
    int x = 0, y = 0, w = 0, h = 0;
    fitAxis(screen.width(), workArea.left(), workArea.width(), 1024, &x, &w);
    fitAxis(screen.height(), workArea.top(), workArea.height(), 768, &y, &h);
    p.geometry = QRect(x, y, w, h);
    return p;
}

}  // namespace vellora
