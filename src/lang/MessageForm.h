#pragma once
// The window of the localised message box and the arithmetic of its layout.
#include "lang/MessageDialog.h"

#include <QDialog>
#include <QList>
#include <QRect>

class QPushButton;

namespace vellora {

// Product divided by divisor, rounded to the nearest integer with halves
// away from zero.
int MulDiv(int number, int numerator, int divisor);

// Everything the layout needs from the font and the screen.
struct MessageMetrics {
    int charWidth = 0;   // average character width w
    int charHeight = 0;  // character height h
    int textWidth = 0;   // word-wrapped text rectangle tw x th
    int textHeight = 0;
    int screenWidth = 0;
    int screenHeight = 0;
};

// Where everything of a message box goes, in client coordinates.
struct MessageLayout {
    int horzMargin = 0, vertMargin = 0, horzSpacing = 0, vertSpacing = 0;
    int buttonWidth = 0, buttonHeight = 0, buttonSpacing = 0;
    int iconTextWidth = 0, iconTextHeight = 0;
    int buttonGroupWidth = 0;
    int clientWidth = 0, clientHeight = 0;
    int left = 0, top = 0;  // window position on the screen
    QRect icon;             // empty without an icon
    QRect message;
    QList<QRect> buttons;  // one per button, in display order
};

MessageLayout ComputeMessageLayout(const MessageMetrics &metrics, bool hasIcon, int buttonCount);

// The buttons of a set in display order.
QList<MsgButton> ButtonsInOrder(MsgButtons buttons);
// Component name ("Yes", "NoToAll", ...) and result of a button.
QString ButtonName(MsgButton button);
int ButtonResult(MsgButton button);
// The default button and the one answering Escape for a set.
MsgButton DefaultButtonOf(MsgButtons buttons);
// The default button a question shows: the one asked for when the set has it.
MsgButton DefaultButtonOf(MsgButtons buttons, const MessageOptions &options);
MsgButton EscapeButtonOf(MsgButtons buttons);
// The title shown for a kind with the current captions.
QString MessageTitle(MsgKind kind);
// The caption of a button with the current captions.
QString ButtonCaption(MsgButton button);

// The font message boxes use.
QFont MessageFont();
// Average character size of a font: width of "A".."Z" "a".."z" div 52,
// and the text's height.
QSize AverageCharSize(const QFont &font);

// The dialog: built laid out, shown by the caller. Escape presses the
// cancel button of the set; the close box returns MrCancel.
class TMessageForm : public QDialog {
    Q_OBJECT
public:
    TMessageForm(const QString &text, MsgKind kind, MsgButtons buttons, QWidget *parent = nullptr,
                 const MessageOptions &options = {});

    void setHelpContext(int context) { m_helpContext = context; }
    int helpContext() const { return m_helpContext; }
    const MessageLayout &layout() const { return m_layout; }
    QPushButton *button(MsgButton which) const;

    void reject() override;  // the close box

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    MessageLayout m_layout;
    MsgButton m_escape = MsgButton::OK;
    int m_helpContext = 0;
};

}  // namespace vellora
