#pragma once
// The card design dialog behind the main window's design button and the
// "Change card design..." menu item, working on the main window's settings
// and card face.
#include <QPointer>

class TForm1;
class TCardLayout;

namespace vellora {

// Makes the dialog (owned by the main window's lifetime: it is deleted
// with the returned host) and enables the design commands.
QPointer<TCardLayout> InstallCardDesignCommands(TForm1 &main);

}  // namespace vellora
