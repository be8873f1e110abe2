// Conversion of a Paradox table left by an earlier installation, or of a card
// table of an earlier format, into a card table file, in place. The new file is written under a scratch name and
// renamed over the old one only when complete; the original files (.DB,
// .PX, .MB and the table's other files) are kept unchanged in a folder
// "legacy-<yyyyMMdd-HHmmss>" beside it. On failure nothing is changed.
#pragma once

#include <QByteArray>
#include <QString>

namespace vellora::engine {

class TableLock;

// path is the Paradox .DB file (locked through lock); on success the lock
// holds the new file. Returns the folder holding the originals.
QString convertParadoxTable(const QString &path, TableLock &lock, const QString &displayName);

// True when the 100-byte header of an SQLite file names a card table of
// an earlier format of ours (rows in "rows", columns c0, c1, ...).
bool isOldCardTable(const QByteArray &header);
// Converts such a table in place into the current format, keeping every
// row (with its row id), field, index and counter. The original is kept
// unchanged in "legacy-<yyyyMMdd-HHmmss>" as above; on failure nothing is
// changed. Returns the folder holding the original.
QString convertOldCardTable(const QString &path, TableLock &lock, const QString &displayName);

} // namespace vellora::engine
