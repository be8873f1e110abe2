// The main window's entry to the backup copy (the exit question calls it),
// and the take-over of card-face edits into a custom layout file at exit.
#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectCommands.h"

void TForm1::SaveBackupCopy() { vellora::SaveBackupCopy(*this); }

void TForm1::TakeOverCustomLayoutEdits(int)
{
    // A custom layout's items are written to its layout file by the layout
    // designer; the card face keeps no edits of its own to take over yet,
    // so the file stays as it is.
}
