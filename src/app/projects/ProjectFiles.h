#pragma once
// File work of the backup copy and the project archives. Every copy goes to
// a scratch name beside its target and is renamed over the target only once
// complete, so a copy that fails never destroys the file it would replace.
// Only regular files are copied: links are neither followed nor copied, and
// sub-folders are left alone, so copying a folder never reads or writes
// outside the two folders named.
#include <QString>
#include <QStringList>

namespace vellora {

// The folder of a project archive beside its marker file: the marker's
// folder + its file name with every occurrence of its extension (from the
// last full stop on) removed + " files". "/p/Staff.mag" gives "/p/Staff files",
// "/p/a.mag.b.mag" gives "/p/a.b files".
QString ProjectFolderFor(const QString &markerPath);

// The marker file's only line: its own file name, ended by CR LF.
QByteArray MarkerContents(const QString &markerPath);
// Writes the marker (replacing an older one as a whole). False on failure.
bool WriteMarkerFile(const QString &markerPath);

// True for a regular file (not a link, folder or device) at path.
bool IsRegularFile(const QString &path);
// True for a real folder at path (a link to a folder does not count).
bool IsRealFolder(const QString &path);

// The entry `name` directly in `folder`, found without regard to letter
// case; `name` itself appended when there is none.
QString EntryIn(const QString &folder, const QString &name);

// Copies `from` over `to` through a scratch name. A link at `to` is replaced,
// never written through. False when nothing was replaced.
bool ReplaceWithCopy(const QString &from, const QString &to);

// Copies every regular file directly in `from` into `to` (hidden and
// read-only ones included), replacing files of the same name. Returns the
// names that could not be copied.
QStringList CopyFolderFiles(const QString &from, const QString &to);

// The sum of the sizes of the regular files directly in `folder`, as their
// copies will take (a sparse file counts with its full size).
qint64 FolderFilesSize(const QString &folder);

// Moves every entry directly in `from` that is not a folder into the real
// folder `to` (made when missing), by renaming; returns the names that
// could not be moved.
QStringList MoveFolderFiles(const QString &from, const QString &to);

// Deletes every file directly in `folder` (links are removed, not their
// targets; folders stay).
void DeleteFolderFiles(const QString &folder);

// Deletes `name` in `folder` in every letter case it exists in.
void DeleteEntryAnyCase(const QString &folder, const QString &name);

// Makes `path` a real folder: a link standing in its place is removed (its
// target is left alone), missing folders are created. False on failure.
bool MakeRealFolder(const QString &path);

}  // namespace vellora
