// Conversion of a Paradox table left by an earlier installation into a card
// table file, in place. The new file is written under a scratch name and
// renamed over the old one only when complete; the original files (.DB,
// .PX, .MB and the table's other files) are kept unchanged in a folder
// "legacy-<yyyyMMdd-HHmmss>" beside it. On failure nothing is changed.
#pragma once

#include <QString>

namespace vellora::engine {

class TableLock;

// path is the Paradox .DB file (locked through lock); on success the lock
// holds the new file. Returns the folder holding the originals.
QString convertParadoxTable(const QString &path, TableLock &lock, const QString &displayName);

} // namespace vellora::engine
