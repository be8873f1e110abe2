#pragma once
// The program's own viewer for its HTML pages (the manual, the quick tour),
// used when the desktop has no handler that opens them.
#include <QString>

class QTextBrowser;

namespace vellora {

// Shows `file` in the viewer window (object name "HelpViewer"), created on
// first use and raised afterwards; links between the pages are followed in
// it, addresses outside the program folder go to the desktop. Returns the
// viewer's browser.
QTextBrowser *ShowHelpPage(const QString &file);

}  // namespace vellora
