#pragma once
// Opening a document or an address with the desktop's default handler.
#include <QUrl>
#include <functional>

namespace vellora {

// Returns false when the desktop has no handler or the file is missing.
bool OpenWithDesktop(const QUrl &url);

// As OpenWithDesktop, and calls `failed` (on the event loop) when the
// desktop turns out to have no handler: the opener's helper fails within a
// few seconds. A helper still running then (a browser it waits for) counts
// as success.
void OpenWithDesktop(const QUrl &url, std::function<void()> failed);

// Tests and headless runs catch the request instead of starting a program.
using DesktopOpener = std::function<bool(const QUrl &)>;
void SetDesktopOpener(DesktopOpener opener);

}  // namespace vellora
