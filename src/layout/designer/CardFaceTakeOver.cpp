#include "layout/designer/CardFaceTakeOver.h"

#include "layout/designer/TCustomlayout.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"

#include <QApplication>
#include <QFileInfo>

namespace vellora {

TakeOverResult TakeOverCardFaceEdits(const DesignerEnvironment &environment, CardSide side,
                                     const CardFaceSnapshot &face)
{
    if (environment.appFolder.isEmpty() || !QFileInfo::exists(LayoutFileName(environment.appFolder, side)))
        return TakeOverResult::NoFile;
    TCustomlayout designer(environment, side);
    bool complete = false;
    if (!designer.LoadSideLayout(&complete))
        return TakeOverResult::NoFile;
    if (!complete)
        return TakeOverResult::Unreadable;
    if (!designer.LayoutDiffersFromCardFace(face))
        return TakeOverResult::Same;
    const int key = side == CardSide::Front ? 67 : 68;
    if (LocalMessageDlg(Literal(key), MsgKind::Confirmation, MsgButton::Yes | MsgButton::No) != MrNo)
        return TakeOverResult::KeptFile;
    designer.TakeOverCardFace(face);
    QString error;
    if (!designer.SaveLayout(&error)) {
        const QString title = QApplication::applicationDisplayName().isEmpty()
                                  ? QApplication::applicationName()
                                  : QApplication::applicationDisplayName();
        PlainMessage(title, error, PlainIcon::Error);
        return TakeOverResult::WriteFailed;
    }
    return TakeOverResult::Written;
}

}  // namespace vellora
