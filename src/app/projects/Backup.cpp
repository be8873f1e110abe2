// The main window's entry to the backup copy (the exit question calls it),
// and the take-over of card-face edits into a custom layout file at exit.
#include "app/mainwindow/DesignerHost.h"
#include "app/mainwindow/TForm1.h"
#include "layout/designer/CardFaceTakeOver.h"
#include "app/projects/ProjectCommands.h"

void TForm1::SaveBackupCopy() { vellora::SaveBackupCopy(*this); }

void TForm1::TakeOverCustomLayoutEdits(int s)
{
    // Free texts, fonts and alignment edited on the card face of a custom
    // layout reach its file only here, when the operator agrees.
    vellora::TakeOverCardFaceEdits(vellora::DesignerEnvironmentFor(*this),
                                   s == 0 ? vellora::CardSide::Front : vellora::CardSide::Back,
                                   vellora::CardFaceOf(*this, s));
}
