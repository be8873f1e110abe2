// The driver interface: one TableDriver per table kind, each opening a
// TableStorage for one table. Table (Table.h) does everything above the
// storage itself: the current row, the edit states, the update cache and
// key checks, so a driver only reads rows and applies committed changes.
#pragma once

#include "engine/FieldDef.h"
#include "engine/Table.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace vellora::engine {

// Values of one row, one per field in table order (invalid QVariant = null).
using RowValues = QVariantList;

// Where a table is: a file in a folder, or a table of an alias.
struct TableLocation {
    QString database;   // as given: folder or alias
    QString alias;      // non-empty for a table of an alias
    QString tableName;  // as given
    QString filePath;   // resolved file (folder tables)
};

struct RowChange {
    enum Kind { Insert, Update, Delete };
    Kind kind = Insert;
    qint64 id = 0;       // Update/Delete: the stored row; Insert: the key when idKeyField() >= 0
    RowValues values;    // Insert/Update: the whole row
};

class TableStorage {
public:
    virtual ~TableStorage() = default;

    virtual QString kindName() const = 0;   // "PARADOX", "DBASE", ...
    virtual QList<FieldDef> fieldDefs() const = 0;
    virtual QList<IndexDef> indexDefs() const = 0;

    // Ids of every stored row, in the table's order (primary key order).
    virtual std::vector<qint64> rowIds() = 0;
    // Position of the field whose value is the row id (a single integer
    // primary key), or -1. Then rowIds() are ascending and an inserted
    // row's id is its key.
    virtual int idKeyField() const { return -1; }
    // Values of the rows with the given ids (in the order given).
    virtual void readRows(const qint64 *ids, int count, std::vector<RowValues> &out) = 0;
    // Id of a stored row whose primary key fields hold these values (in key
    // order), or nothing.
    virtual std::optional<qint64> findKey(const RowValues &keyValues) = 0;

    // Hands out count consecutive numbers of an AutoInc field, durably (a
    // number once handed out is never handed out again). Returns the first.
    virtual qint64 reserveAutoInc(int field, qint64 count) = 0;
    // Gives back the unused tail [firstUnused, end) of the last reservation,
    // when nothing was handed out after it.
    virtual void releaseAutoInc(int field, qint64 firstUnused, qint64 end) = 0;

    // Highest number of an AutoInc field ever handed out (0 when unknown).
    // Kept for integer fields too when raised below, so that a copy whose
    // key becomes AutoInc again continues the original's numbering.
    virtual qint64 autoIncHighWater(int field) { (void)field; return 0; }
    virtual void raiseAutoIncHighWater(int field, qint64 value) { (void)field; (void)value; }

    // Applies the changes in one atomic transaction, in the order given.
    // Returns the ids of the inserted rows in order. Throws EngineError
    // (KeyViolationError for a unique key) having written nothing.
    virtual std::vector<qint64> apply(const std::vector<RowChange> &changes) = 0;
    virtual void emptyTable() = 0;

    // In-place change of one field's definition, keeping the data.
    // Drivers of kinds that cannot do it throw the engine's error.
    virtual void changeField(int index, const FieldDef &def) = 0;
};

class TableDriver {
public:
    virtual ~TableDriver() = default;

    virtual TableType type() const = 0;
    // File extensions of its tables, lower case with the dot (".db").
    virtual QStringList extensions() const = 0;
    // Other files that belong to a table (".px", ".mb"), for listings.
    virtual QStringList companionExtensions() const { return {}; }

    virtual std::unique_ptr<TableStorage> open(const TableLocation &where, bool exclusive) = 0;
    virtual void create(const TableLocation &where, const QList<FieldDef> &fields,
                        const QList<IndexDef> &indexes) = 0;
    // The definitions as a table of this kind will store them (names the
    // format cannot hold shortened, index fields renamed to match). Table
    // takes them over before create(), so mappings by name follow.
    virtual void adaptDefinitions(QList<FieldDef> &fields, QList<IndexDef> &indexes) const
    {
        (void)fields; (void)indexes;
    }

    // Drivers offering aliases (data sources): their names and tables.
    virtual QStringList aliasNames() { return {}; }
    virtual QStringList aliasTableNames(const QString &alias, bool systemTables) {
        (void)alias; (void)systemTables; return {};
    }
};

// The drivers known to the engine; the card table driver is always there.
// Later drivers register themselves once (registerDriver takes ownership;
// a driver of a type already present replaces it).
void registerDriver(std::unique_ptr<TableDriver> driver);
TableDriver *driverFor(TableType type);
TableDriver *driverForExtension(const QString &extensionWithDot);
TableDriver *driverForAlias(const QString &alias);
std::vector<TableDriver *> drivers();

} // namespace vellora::engine
