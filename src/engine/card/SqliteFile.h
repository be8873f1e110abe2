// Small helpers over libsqlite3 for the card table files.
#pragma once

#include "engine/FieldDef.h"

#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <functional>

namespace vellora::engine {

// A prepared statement, reset on destruction.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3 *db, const QString &sql, const QString &file);
    ~Statement();
    Statement(Statement &&o) noexcept : m_stmt(o.m_stmt) { o.m_stmt = nullptr; }
    Statement &operator=(Statement &&o) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    sqlite3_stmt *get() const { return m_stmt; }
    void reset() const;
    void bind(int index, const QVariant &value, FieldType type) const;
    void bindInt(int index, qint64 value) const;
    QVariant column(int index, FieldType type) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
};

// Runs sql (no results); throws EngineError naming file.
void execSql(sqlite3 *db, const QString &sql, const QString &file);
// EngineError text for the last error of db.
QString sqliteMessage(sqlite3 *db, const QString &file);
[[noreturn]] void throwSqlite(sqlite3 *db, const QString &file);

// An SQL identifier in double quotes ("First_name", "a""b").
QString quoteName(const QString &name);

// Schema of a card table file. The rows live in one SQL table named after
// the card table (cardset1.DB holds "cardset1"), one column per field named
// after the field, so that other SQLite tools read the cards as they are.
// What SQL cannot say (field types and sizes, index names, the AutoInc
// counters) is kept in the engine's side tables engine_table,
// engine_fields, engine_indexes and engine_counters.
struct CardSchema {
    QString table;              // the SQL table holding the rows
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    int idKeyField = -1;        // single integer primary key = rowid
    QList<int> primaryFields;   // positions, key order
    QString rowid;              // a name for the row id that no field shadows

    QString column(int field) const { return quoteName(fields[field].name); }
    QString columnList() const;   // every column, quoted, in field order
};
// Checks the fields and indexes; table is the SQL table's name.
CardSchema makeSchema(const QList<FieldDef> &fields, const QList<IndexDef> &indexes,
                      const QString &table, const QString &file);
// The SQL table name for the card table file at path: its base name, unless
// SQLite or the engine reserves that name.
QString tableNameFor(const QString &path);
// Creates the rows table (named tableName instead of schema.table when
// given) with the schema's columns, and its indexes.
void createRowsTable(sqlite3 *db, const CardSchema &schema, const QString &tableName,
                     const QString &file);
void createIndexes(sqlite3 *db, const CardSchema &schema, const QString &file);
// Writes the engine's side tables (replacing what is there).
void writeSchemaTables(sqlite3 *db, const CardSchema &schema, const QString &file);
// Reads the schema back from the side tables; the table's name from
// engine_table unless given (files of format 1 have no such table).
CardSchema readSchemaTables(sqlite3 *db, const QString &file, QString table = QString());
void setCounter(sqlite3 *db, int field, qint64 last, const QString &file);
qint64 counter(sqlite3 *db, int field, const QString &file);

constexpr int kApplicationId = 0x564C4944;   // "VLID"
// 1: rows in "rows" with columns c0, c1, ... (converted on open);
// 2: rows in a table named after the card table, columns named after fields.
constexpr int kFormatVersion = 2;

// Makes a new card table file at path from the schema; fills it through
// fill (inside the creating transaction) when given. The file appears only
// complete: it is written under a scratch name and linked into place.
// Fails when path exists, unless replace is set (then the file is renamed
// over it, atomically). The scratch file is kept open and locked when
// lockedFd is given (returns the descriptor there).
struct CreateOptions {
    bool replace = false;
    int *lockedFd = nullptr;
};
void createCardFile(const QString &path, const CardSchema &schema,
                    const std::function<void(sqlite3 *)> &fill, const CreateOptions &options,
                    const QString &displayName);

// fsync() a file or folder; false on failure.
bool syncPath(const QString &path);

} // namespace vellora::engine
