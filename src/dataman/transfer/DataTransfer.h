#pragma once
// Moving records between the card table and other tables or comma-separated
// files: the code the import and export wizards and the command line's
// --import and --export share. No windows here; callers that show one pass
// a progress function that lets pending input through.
#include "engine/Table.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace vellora {
class Table;
}

namespace vellora::transfer {

// The temporary text table a comma-separated file is loaded into.
inline constexpr char kTempTableName[] = "temptab.txt";
inline constexpr char kTempSchemaName[] = "temptab.sch";
// Width of every field of the temporary table.
inline constexpr int kTempFieldWidth = 2048;
// Most fields a text table (and so the temporary table) holds.
inline constexpr int kMaxTempFields = 4096;
// Longest value a field of the temporary table holds (characters).
inline constexpr int kMaxTempFieldWidth = 1 << 20;

// Called with work done and total (rows); total may be 0 when unknown.
using Progress = std::function<void(int done, int total)>;

// Deletes folder/temptab.txt and folder/temptab.sch where they exist.
void RemoveTempTable(const QString &folder);

// Reads the comma-separated file csvPath and writes it as the text table
// folder/temptab.txt (with temptab.sch): with header true the first record
// names the fields, otherwise they are "Field0", "Field1", ... as many as
// the first record has values; every field a string of kTempFieldWidth
// characters. Each further record is one row; a record with fewer values
// than fields leaves the rest empty, values beyond the fields are ignored,
// an empty line is no row. A first line of more than kMaxTempFields values
// is refused, and so is a value longer than kMaxTempFieldWidth (naming its
// line). Throws OperatorError (EngineError from the
// engine) when the file cannot be read or is not text, or the table cannot
// be written; the partly written temporary files are then left for
// RemoveTempTable. Returns the number of rows written.
int LoadCommaFile(const QString &csvPath, const QString &folder, bool header, const Progress &progress = {});

// Writes every record of the open or closed table into a comma-separated
// file: the first line the field names, then one line per record, lines
// ended by CR LF, in Windows-1252 or UTF-8 (see CommaText.h). The file is
// replaced as a whole (never left half written). Returns the records
// written. Throws OperatorError.
int WriteCommaFile(Table &source, const QString &path, const Progress &progress = {});

// The export's new table: creates folder/fileName of the given kind with
// the source's field and index definitions, its first field made a 32-bit
// integer (the card number, numbered by the card table, is a plain value
// elsewhere). An existing table of that name is replaced. Leaves dest
// pointing at the new table (closed).
void CreateTableLike(Table &source, Table &dest, const QString &folder, const QString &fileName, TableType type);

// "DEST=SRC" lines pairing each destination field with the source field of
// the same name, letter case ignored, in destination order; destinations in
// skip (case ignored) are left out.
QStringList PairEqualNames(const QStringList &destFields, const QStringList &sourceFields,
                           const QStringList &skip = {});

struct MoveResult {
    int moved = 0;
    int problems = 0;
};

// Moves every record of source into dest with the mapping lines
// ("DEST=SRC"); rows with key violations or values that do not fit are
// skipped and counted. replace empties dest in the same change, so a move
// that fails (EngineError) leaves dest as it was.
MoveResult MoveRecords(Table &source, Table &dest, const QStringList &mapping, bool replace,
                       const Progress &progress = {});

// The table kind a file name's extension stands for (.dbf dBASE, .db
// Paradox, .txt text table with schema); Default for anything else.
TableType TableTypeForFile(const QString &fileName);

}  // namespace vellora::transfer
