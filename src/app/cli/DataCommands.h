#pragma once
// The command line's --import and --export: the moves of the import and
// export wizards without a window, on the card table of a program folder.
#include <QString>

class QTextStream;

namespace vellora {

struct DataCommandOptions {
    QString appFolder;   // with a trailing '/'
    QString file;        // SOURCE of --import, DEST of --export
    QString format;      // csv, dbase, paradox, text; empty: from the extension
    QString table;       // the table of an odbc:DSN
    QString map;         // "DEST=SRC,DEST=SRC"; empty: equal names
    bool replace = false;
    bool noHeader = false;   // --import of a .csv whose first line is data
};

// Exit codes: 0 every record moved, 1 some records had problems, 2 bad
// arguments, a source that cannot be read or a destination that cannot be
// written (the reason on err). out gets "N records moved, M problems".
inline constexpr int kExitMoved = 0;
inline constexpr int kExitSomeProblems = 1;
inline constexpr int kExitMoveFailed = 2;

int RunImport(const DataCommandOptions &options, QTextStream &out, QTextStream &err);
int RunExport(const DataCommandOptions &options, QTextStream &out, QTextStream &err);

}  // namespace vellora
