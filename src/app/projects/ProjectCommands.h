#pragma once
// Backup copies and project archives of the card collection: the card table,
// the photos, the two layout files and config.cfg below AppFolder.
//
// The backup copy is the card table's files in backup/, one copy deep. A
// project archive is a marker file "<name>.mag" beside its folder
// "<name> files" (ProjectFolderFor) holding layout.ccl, layout_b.ccl,
// config.cfg and the files of data/, backup/ and data/images/. Every command
// works on whole files with the card table closed and commits the current
// card first. Failed copies are not reported, but each copy replaces its
// target only once complete.
#include <QString>

#include "engine/util/OperatorError.h"

class TForm1;
class TForm3;

namespace vellora {

// A project that cannot be imported (one of its folders is missing). The
// message is meant for the operator; nothing has been deleted.
class ProjectError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

// The checks of an import, in this order, before anything is deleted.
inline constexpr const char *kNoProjectFiles = "Cannot find project files";
inline constexpr const char *kNoDataFiles = "Cannot find data files";
inline constexpr const char *kNoBackupFiles = "Cannot Find backup files";
inline constexpr const char *kNoClientImages = "Cannot find client images";

// File dialogs' filter and the folder they start in (AppFolder + "Projects").
inline constexpr const char *kProjectFilter = "Vellora-ID Projects (*.mag)";
QString ProjectsFolder(const TForm1 &main);

// Saves backup/CardSet1.DB (and .PX where the table has one). Commits
// first; shows Literals47 when the card table's file is missing.
void SaveBackupCopy(TForm1 &main);
// Puts the backup copy in place of the card table and rebuilds the card
// face; nothing happens without a backup. A backup copy that cannot be
// opened is taken out again, the card table is left as it was, and the
// engine's message is thrown.
void LoadBackupCopy(TForm1 &main);
// Asks for a marker file, saves the card face and settings, copies the
// collection into the archive. False when the operator cancelled (the save
// dialog, or No to replacing an existing archive).
bool ExportProject(TForm1 &main);
// Replaces the collection by a project archive (asking Literals52 first,
// offering the export). `markerPath` empty: ask with the open dialog.
// False when the operator stopped it; throws ProjectError (nothing deleted)
// when the archive lacks one of its folders.
bool ImportProject(TForm1 &main, const QString &markerPath = QString());
// The blank project installed with the program ("defaultproject files"),
// then one new blank card. No card is made when the import stops.
bool CreateBlankProject(TForm1 &main);

// Gives the main menu's backup and project items, and the Find button, their
// commands; makes the Find dialog (TForm3).
void InstallProjectCommands(TForm1 &main);
// The Find dialog made by InstallProjectCommands (nullptr before).
TForm3 *FindDialogOf(const TForm1 &main);

}  // namespace vellora
