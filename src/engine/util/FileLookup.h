#pragma once
// Program files written on Windows differ in letter case from the names the
// program uses (CardSet1.DB for cardset1.DB, 17.JPG for 17.jpg). Every lookup
// of a program file goes through this one resolver.
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

}  // namespace vellora
