#include "lang/MessageDialog.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>

namespace vellora {

namespace {
MessageAnswerer &installedAnswerer()
{
    static MessageAnswerer answerer;
    return answerer;
}
}  // namespace

QWidget *MessageOwner()
{
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner || !owner->isVisible())
        owner = QApplication::activeWindow();
    if (owner && (owner->windowType() == Qt::SplashScreen || !owner->isVisible()))
        owner = nullptr;
    return owner ? owner->window() : nullptr;
}

void AttachToOwner(QDialog *dialog, QWidget *owner)
{
    if (!owner)
        return;
    Qt::WindowFlags flags = dialog->windowFlags();
    if (owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        flags |= Qt::WindowStaysOnTopHint;
    // setParent with the window's own flags keeps it a separate dialog.
    dialog->setParent(owner, flags);
}

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
    QWidget *owner = MessageOwner();
    ShownMessage shown{text, title, MsgKind::Custom, MsgButton::OK, true, MsgButton::OK, owner};
    AnswerScripted(shown, &answered);
    if (answered)
        return;
    const QMessageBox::Icon boxIcon = icon == PlainIcon::Error     ? QMessageBox::Critical
                                      : icon == PlainIcon::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    // On the heap: a box with an owner goes when its owner goes.
    QPointer<QMessageBox> box = new QMessageBox(boxIcon, title, text, QMessageBox::Ok);
    AttachToOwner(box, owner);
    box->exec();
    delete box.data();
}

}  // namespace vellora
