// Tables of ODBC data sources (unixODBC). The session's aliases are the data
// source names (user and system, SQLDataSources); a database's tables are
// what SQLTables lists as TABLE or VIEW (SYSTEM TABLE too when asked).
// Opening a table reads its fields with SQLColumns and its primary key with
// SQLPrimaryKeys, then every row with one SELECT (rows are held in memory
// while the table is open). Appending runs a prepared INSERT with
// parameters, all rows of one commit in one transaction; emptying runs
// DELETE; changing or deleting single rows needs a primary key (UPDATE /
// DELETE ... WHERE key). Every driver error carries the driver's own
// diagnostic text (SQLGetDiagRec) and names the data source.
//
// Type mapping (SQL type of the column -> engine field type):
//   CHAR, VARCHAR, WCHAR, WVARCHAR of 1..255 characters -> String(size)
//   longer ones, LONGVARCHAR, WLONGVARCHAR               -> Memo
//   BIT, BOOLEAN                                         -> Boolean
//   TINYINT, SMALLINT                                    -> Smallint
//   INTEGER                                              -> Integer
//   BIGINT                                               -> LargeInt
//   REAL, FLOAT, DOUBLE                                  -> Float
//   DECIMAL, NUMERIC (scale s)                           -> BCD(s)
//   DATE, TIME, TIMESTAMP                                -> Date, Time, DateTime
//   BINARY, VARBINARY of 1..255 bytes                    -> Bytes(size)
//   longer ones, LONGVARBINARY                           -> Blob
//   GUID                                                 -> Guid
//   anything else                                        -> String, read as text
// Values travel as text (SQL_C_WCHAR) and binary data as bytes; the driver
// converts them to the column's type.
#pragma once

#include "engine/Driver.h"

namespace vellora::engine {

class OdbcDriver : public TableDriver {
public:
    TableType type() const override { return TableType::Odbc; }
    QStringList extensions() const override { return {}; }
    std::unique_ptr<TableStorage> open(const TableLocation &where, bool exclusive) override;
    void create(const TableLocation &where, const QList<FieldDef> &fields,
                const QList<IndexDef> &indexes) override;
    QStringList aliasNames() override;
    QStringList aliasTableNames(const QString &alias, bool systemTables) override;
};

// Installed ODBC drivers (SQLDrivers), by name.
QStringList odbcDriverNames();

} // namespace vellora::engine
