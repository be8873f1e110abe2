#pragma once
// Opening a document or an address with the desktop's default handler.
#include <QUrl>
#include <functional>

namespace vellora {

// Returns false when the desktop has no handler or the file is missing.
bool OpenWithDesktop(const QUrl &url);

// Tests and headless runs catch the request instead of starting a program.
using DesktopOpener = std::function<bool(const QUrl &)>;
void SetDesktopOpener(DesktopOpener opener);

}  // namespace vellora
