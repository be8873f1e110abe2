#include "lang/MessageDialog.h"

#include <QApplication>
#include <QMessageBox>

namespace vellora {

namespace {
MessageAnswerer &installedAnswerer()
{
    static MessageAnswerer answerer;
    return answerer;
}
}  // namespace

void SetMessageAnswerer(MessageAnswerer answerer) { installedAnswerer() = std::move(answerer); }

bool HasMessageAnswerer() { return static_cast<bool>(installedAnswerer()); }

// Internal entry for LocalMessageDlg: the answerer's result when one is set.
int AnswerScripted(const ShownMessage &message, bool *answered)
{
    if (!installedAnswerer()) {
        *answered = false;
        return MrNone;
    }
    *answered = true;
    return installedAnswerer()(message);
}

void PlainMessage(const QString &title, const QString &text, PlainIcon icon)
{
    bool answered = false;
    ShownMessage shown{text, title, MsgKind::Custom, MsgButton::OK, true};
    AnswerScripted(shown, &answered);
    if (answered)
        return;
    const QMessageBox::Icon boxIcon = icon == PlainIcon::Error     ? QMessageBox::Critical
                                      : icon == PlainIcon::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace vellora
