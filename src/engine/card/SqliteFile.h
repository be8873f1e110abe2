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

QString columnName(int index);   // "c0", "c1", ...
QString quoteName(const QString &name);

// Schema of a card table file: the rows table "rows" and its description.
struct CardSchema {
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    int idKeyField = -1;        // single integer primary key = rowid
    QList<int> primaryFields;   // positions, key order
};
CardSchema makeSchema(const QList<FieldDef> &fields, const QList<IndexDef> &indexes,
                      const QString &file);
// Creates "rows" (named tableName) with the schema's columns and indexes.
void createRowsTable(sqlite3 *db, const CardSchema &schema, const QString &tableName,
                     const QString &file);
void createIndexes(sqlite3 *db, const CardSchema &schema, const QString &tableName,
                   const QString &file);
// Writes the engine's description tables (replacing what is there).
void writeSchemaTables(sqlite3 *db, const CardSchema &schema, const QString &file);
void setCounter(sqlite3 *db, int field, qint64 last, const QString &file);
qint64 counter(sqlite3 *db, int field, const QString &file);

constexpr int kApplicationId = 0x564C4944;   // "VLID"
constexpr int kFormatVersion = 1;

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
