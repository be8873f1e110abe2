#pragma once
// The one message box for keyed messages: title and button captions come
// from the language table, the layout follows the message font. Tests answer
// it through MessageAnswerer instead of a modal loop.
#include <QFlags>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace vellora {

enum class MsgKind { Warning, Error, Information, Confirmation, Custom };

// Buttons in their fixed display order.
enum class MsgButton : unsigned {
    Yes = 1u << 0, No = 1u << 1, OK = 1u << 2, Cancel = 1u << 3,
    Abort = 1u << 4, Retry = 1u << 5, Ignore = 1u << 6, All = 1u << 7,
    NoToAll = 1u << 8, YesToAll = 1u << 9, Help = 1u << 10
};
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// Results returned by a pressed button; the close box gives MrCancel.
enum MsgResult : int {
    MrNone = 0, MrOk = 1, MrCancel = 2, MrAbort = 3, MrRetry = 4, MrIgnore = 5,
    MrYes = 6, MrNo = 7, MrAll = 8, MrNoToAll = 9, MrYesToAll = 10
};

// Sets the four titles (Literals31..34) and eleven button captions
// (Literals35..45) from the current language table.
void LoadDialogCaptions();

// What a single question may change of the box: the button Enter presses
// (a question whose Yes destroys something makes the safe answer the
// default) and what it is about, named in the window title after the
// kind's title ("Warning - 17 Jürgen Müller").
struct MessageOptions {
    std::optional<MsgButton> defaultButton;
    QString subject;
    int helpContext = 0;
};
// The window title of a message of kind about subject.
QString MessageTitle(MsgKind kind, const QString &subject);

// Builds the laid-out dialog, not yet shown. The caller owns it.
QDialog *BuildMessageDialog(const QString &text, MsgKind kind, MsgButtons buttons,
                            const MessageOptions &options = {});

// Shows the message modally (or hands it to the installed answerer) and
// returns the pressed button's result.
int LocalMessageDlg(const QString &text, MsgKind kind, MsgButtons buttons, int helpContext = 0);
int LocalMessageDlg(const QString &text, MsgKind kind, MsgButtons buttons, const MessageOptions &options);

// Opens the program's help at a help context; the Help button calls it.
void SetMessageHelpHandler(std::function<void(int helpContext)> handler);

// A message with a fixed text (not from the language table), shown in the
// platform's plain message box with an OK button.
enum class PlainIcon { Information, Warning, Error };
void PlainMessage(const QString &title, const QString &text, PlainIcon icon);

// What a shown message looked like, for the test answerer.
struct ShownMessage {
    QString text;
    QString title;
    MsgKind kind = MsgKind::Custom;
    MsgButtons buttons;
    bool plain = false;  // PlainMessage rather than LocalMessageDlg
    MsgButton defaultButton = MsgButton::OK;  // the one Enter presses
    QWidget *owner = nullptr;                 // the window the message is shown above
};

// The window a message belongs to: the modal window in front, else the
// active window (never the splash). The message box is that window's child
// dialog, so the window manager keeps it above the window that asked, and it
// stays on top as its owner does.
QWidget *MessageOwner();
void AttachToOwner(QDialog *dialog, QWidget *owner);

// When set, every message goes to this function instead of the screen and
// its return value is the result. Used by tests and by headless runs.
using MessageAnswerer = std::function<int(const ShownMessage &)>;
void SetMessageAnswerer(MessageAnswerer answerer);
bool HasMessageAnswerer();

}  // namespace vellora
