#include "devices/shell/DesktopShell.h"

#include <QDesktopServices>

namespace vellora {

namespace {
DesktopOpener &opener()
{
    static DesktopOpener o;
    return o;
}
}  // namespace

void SetDesktopOpener(DesktopOpener o) { opener() = std::move(o); }

bool OpenWithDesktop(const QUrl &url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

}  // namespace vellora
