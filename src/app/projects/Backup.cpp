// The main window's entry to the backup copy (the exit question calls it).
#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectCommands.h"

void TForm1::SaveBackupCopy() { vellora::SaveBackupCopy(*this); }
