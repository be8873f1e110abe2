#pragma once
// Program files written on Windows differ in letter case from the names the
// program uses (CardSet1.DB for cardset1.DB, 17.JPG for 17.jpg). Every lookup
// of a program file goes through this one resolver.
//
// A name that exists as given costs one file status query. Otherwise the
// folder's entries are read once and kept, keyed by lower-case name, so that
// a folder of 100,000 photos is not read again for every card; the kept
// listing is read again when the folder's modification time changes (another
// program added or removed a file), and the program's own writes and
// deletions update it through NoteFileWritten and NoteFileRemoved.
#include <QString>

namespace vellora {

// The path of the entry `name` below `folder`, matching every component of
// `name` ("data/images/17.jpg") without regard to letter case. An exact match
// wins; among several case-insensitive matches the first in name order is
// taken so the answer is stable. Components that do not exist are appended
// as given, so the result is also the path to create a missing file at.
// `folder` itself is taken as it stands; a trailing '/' is optional.
QString ResolveCaseInsensitive(const QString &folder, const QString &name);

// True when ResolveCaseInsensitive finds an existing file (not a folder).
bool FileExistsCaseInsensitive(const QString &folder, const QString &name);

// Tell the resolver that this program created or replaced (written) or
// deleted (removed) the file at `path`, which must be spelt as the folder
// lists it (as ResolveCaseInsensitive returns it).
void NoteFileWritten(const QString &path);
void NoteFileRemoved(const QString &path);

// Drops every kept listing (the next lookups read the folders again).
void ForgetFolderListings();

}  // namespace vellora
