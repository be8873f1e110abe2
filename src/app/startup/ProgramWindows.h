#pragma once
// Every window of the program, created once at start-up in a fixed order and
// kept until the program ends.
#include <QPointer>
#include <QString>
#include <memory>

class TForm1;
class TForm2;
class TAboutForm;
class TImageCapture;
class Tcapsetup;
class Tdataview;
class TCardLayout;

namespace vellora {

class ProgramWindows {
public:
    ProgramWindows();
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows &) = delete;
    ProgramWindows &operator=(const ProgramWindows &) = delete;

    // Creates the main window and runs its creation steps (throws
    // StartupError when the card table cannot be opened).
    void createMainWindow(const QString &appFolder);
    // The other windows, in start-up order.
    void createOtherWindows();
    // The layouts of both sides onto the card face, then the current card's
    // photos and the placeholders.
    void applyLayouts();

    std::unique_ptr<TForm1> main;
    QPointer<TForm2> form2;
    QPointer<TAboutForm> about;
    QPointer<TImageCapture> capture;
    QPointer<Tcapsetup> capsetup;
    QPointer<Tdataview> dataview;
    QPointer<TCardLayout> cardLayout;

private:
    QString m_appFolder;
};

}  // namespace vellora
