// A table of the table engine: one table file (or one table of an alias),
// its fields, a current row with browse/edit/insert states, and an optional
// cache of posted changes that reach the file only when committed.
//
// Typical use (the card table):
//
//     Table t;
//     t.setDatabaseName(appFolder + "data/");   // a folder or an alias
//     t.setTableName("cardset1.DB");             // letter case ignored
//     t.setCachedUpdates(true);
//     t.open();                                  // throws EngineError
//     t.insert();
//     t.fieldByName("last_name").setAsString("Doe");
//     t.post();                                  // Card_Number known now
//     t.commitUpdates();                         // one atomic transaction
//
// Rows are in the order of the primary index (tables without one: in the
// order they were added). Every failing operation throws EngineError (see
// EngineError.h) and leaves the table, its cache and the current row as they
// were before the call.
//
// Card tables ("*.DB") are SQLite files. A table file that is still a
// Paradox table from an earlier installation is converted on its first open:
// the originals are kept unchanged in a folder "legacy-<date-time>" beside
// it. While a card table is open in this process, other programs cannot open
// it ("The card table is in use by another program."); a crashed holder
// leaves no lock behind.
#pragma once

#include "engine/FieldDef.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

namespace vellora {

class Session;
class Table;

enum class TableType {
    Default,        // chosen from the file's extension (.db card table, .dbf, .txt; none = .db)
    Card,           // our own card tables ("*.DB", SQLite)
    // Paradox table files (".db" with ".px" and ".mb") read and written as
    // they are, for import and export. A ".db" of the Default type is a card
    // table, and a Paradox file opened as a card table is converted.
    Paradox,
    DBase,
    FoxPro,
    Text,           // text table with a schema file
    Odbc,           // a table of an ODBC data source (the database is its name)
};

enum class TableState { Inactive, Browse, Edit, Insert };

// A row of a table that can be returned to (gotoBookmark). Stays valid while
// the row exists, across commits.
struct Bookmark {
    qint64 id = 0;
    bool valid = false;
    bool isValid() const { return valid; }
    bool operator==(const Bookmark &) const = default;
};

// One field of an open table, addressing the current row. A small handle:
// copy it freely; it is invalid (isValid() false) when the field does not
// exist, and any use of an invalid handle throws EngineError.
class Field {
public:
    Field() = default;
    bool isValid() const { return m_table != nullptr; }
    int index() const { return m_index; }   // 0-based position in the table

    QString name() const;
    // Caption for controls and grids; the field name unless set.
    QString displayName() const;
    void setDisplayName(const QString &caption);
    FieldType type() const;
    int size() const;
    bool isReadOnly() const;   // AutoInc fields are numbered by the engine

    // The current row's value (an invalid QVariant for null); see FieldDef.h
    // for the QVariant type of each field type.
    QVariant value() const;
    bool isNull() const;
    // Text of the value: "" for null, dates "yyyy-MM-dd", times "HH:mm:ss",
    // date-times "yyyy-MM-dd HH:mm:ss", Boolean "True"/"False", numbers in
    // C-locale form, binary data as it stands (Latin-1).
    QString asString() const;

    // Assigning needs the table in edit or insert state; Table::edit() is
    // not called for you. setAsString parses the text for the field's type
    // (an empty text is null; a text longer than a String field's size is
    // cut to the size) and throws EngineError naming the field when the
    // text does not fit the type. Read-only fields refuse.
    void setAsString(const QString &text);
    void setValue(const QVariant &value);
    void clear();   // set to null

private:
    friend class Table;
    Field(Table *table, int index) : m_table(table), m_index(index) {}
    Table *m_table = nullptr;
    int m_index = -1;
};

// Change of one field's definition for Table::changeFieldType(); an empty
// name, Unknown type or zero size keeps that part unchanged.
struct FieldChange {
    QString name;
    FieldType type = FieldType::Unknown;
    int size = 0;
};

class Table : public QObject {
    Q_OBJECT
public:
    explicit Table(QObject *parent = nullptr);
    ~Table() override;   // closes (dropping the cache)

    // ---- where the table is (set while closed) ----
    Session *session() const;
    void setSession(Session *session);
    QString databaseName() const;            // folder path or alias
    void setDatabaseName(const QString &folderOrAlias);
    QString tableName() const;               // "cardset1.DB", "cardset1"
    void setTableName(const QString &name);
    TableType tableType() const;
    void setTableType(TableType type);
    bool exclusive() const;
    void setExclusive(bool exclusive);
    // The table file the names resolve to (existing spelling when the file
    // exists in another letter case).
    QString filePath() const;
    // Kind of the open table as the engine names it: "PARADOX" for card
    // tables, "DBASE", "FOXPRO", "ASCII", "ODBC".
    QString kindName() const;

    // ---- open and close ----
    // Opening a missing table throws EngineError naming it. After a
    // successful open the current row is the first one and afterScroll()
    // is emitted.
    void open();
    // Drops a pending edit or insert and the update cache; never throws.
    void close();
    bool isOpen() const;
    void setActive(bool active) { active ? open() : close(); }

    // ---- definitions ----
    // Open: the table's definitions. Closed: the definitions set for
    // createTable() (or read by the last open).
    QList<FieldDef> fieldDefs() const;
    void setFieldDefs(const QList<FieldDef> &defs);   // closed only
    QList<IndexDef> indexDefs() const;
    void setIndexDefs(const QList<IndexDef> &defs);   // closed only
    // Writes a new empty table from fieldDefs()/indexDefs(). Fails when
    // the table file already exists (delete it first) or a definition is
    // invalid (empty or duplicate field name, unknown type, index on a
    // missing field).
    void createTable();
    // Deletes every row, straight to the file (no cache). Works closed
    // (the table is opened exclusively for the moment) or open (the cache
    // is dropped first). Auto-increment numbers handed out stay used.
    void emptyTable();

    // ---- fields of the current row ----
    int fieldCount() const;
    Field field(int index);                    // throws when out of range
    Field fieldByName(const QString &name);    // case ignored; throws when missing
    Field findField(const QString &name);      // invalid Field when missing
    QStringList fieldNames() const;

    // ---- moving ----
    // Moving posts a pending edit or insert first (as post() does; when the
    // post fails, the move does not happen and the error is thrown).
    void first();
    void prior();
    void next();
    void last();
    void findLast() { last(); }
    // eof(): after last(), after next() on the last row, or with no rows.
    // bof(): after first(), after prior() on the first row, or with no rows.
    // "for (t.first(); !t.eof(); t.next())" visits every row once.
    bool eof() const;
    bool bof() const;
    int recordCount() const;     // rows including cached inserts, without cached deletes
    int recNo() const;           // 1..recordCount(); 0 when there is no row
    void setRecNo(int recNo);    // clamped to 1..recordCount()
    Bookmark bookmark() const;   // of the current row; invalid when none
    bool bookmarkValid(const Bookmark &b) const;
    void gotoBookmark(const Bookmark &b);      // throws when the row is gone
    // Record number of the row whose primary key holds these values (one
    // per key field, in key order), cached changes included; 0 when there
    // is none. Does not move. A card is found by its number without reading
    // the table; tables without a primary key throw EngineError.
    int recNoOfKey(const QVariantList &keyValues) const;

    // ---- editing ----
    TableState state() const;
    void edit();        // current row into edit state (no row: starts an insert)
    // New row before the current one (emits beforeInsert() first); a keyed
    // table moves it to its key's place when posted.
    void insert();
    void append();      // new row at the end
    // Writes the edited row into the cache (cached updates) or the file.
    // Auto-increment fields get their number here. A key that exists
    // already throws KeyViolationError; the row stays in edit/insert state.
    void post();
    void cancel();      // drops the pending edit or insert
    void deleteRecord();  // deletes the current row (into the cache when cached)
    // Re-reads the rows from the file (pending edit is posted first); the
    // cache is kept and stays applied on top.
    void refresh();

    // ---- cached updates ----
    // With cached updates on, post() and deleteRecord() only change the
    // in-memory cache; commitUpdates() writes all of it in one transaction.
    // Off (default): every post and delete is written at once.
    bool cachedUpdates() const;
    // Switching off while open commits what the cache holds.
    void setCachedUpdates(bool on);
    bool updatesPending() const;
    // Posts a pending edit or insert, then writes the cache in one atomic
    // transaction; an empty cache is fine. On failure nothing is written and
    // the cache is unchanged (KeyViolationError for a duplicate key).
    void commitUpdates();
    void cancelUpdates();             // drops the whole cache
    // Undoes the cached change of the current row: an edited row gets its
    // stored values back, a cached insert disappears. Deletions cannot be
    // reverted this way (the deleted row is not current any more).
    void revertRecord();

    // ---- restructure ----
    // Changes one field's name, type or size in place, keeping the data
    // (values converted to the new type; ones that do not convert become
    // null). The table must be open exclusively; it is closed afterwards.
    // Making an integer field AutoInc numbers new rows after the highest
    // value present. Errors (exact texts): "Table must be opened to
    // restructure", "Table must be opened exclusively to restructure",
    // "Field altering can only occur on Paradox or dBASE tables".
    void changeFieldType(int fieldIndex, const FieldChange &change);

signals:
    void afterOpen();
    void beforeClose();
    void afterClose();
    void afterScroll();     // the current row changed (also after open)
    void beforeInsert();    // an insert or append is about to begin
    // The current row's data or the state changed (assignments, post,
    // cancel, scroll, open, close): data-aware controls refresh.
    void recordChanged();
    // Rows appeared, disappeared or were re-read (post of an insert,
    // delete, revert, commit, refresh, open, close): grids refresh.
    void rowsChanged();
    void stateChanged(vellora::TableState state);

private:
    friend class Field;
    friend class BatchMove;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vellora
