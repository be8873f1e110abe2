// Inner state of Table, shared with BatchMove. Internal to the engine.
#pragma once

#include "engine/Driver.h"
#include "engine/Table.h"

#include <QHash>
#include <QSet>

#include <limits>
#include <optional>
#include <vector>

namespace vellora {

struct Table::Impl {
    using RowValues = engine::RowValues;

    struct Pending {
        enum Kind { Inserted, Modified };
        Kind kind = Inserted;
        RowValues values;
        std::optional<qint64> origin;   // stored row this insert replaces (key changed)
        qint64 serial = 0;              // order of creation
    };
    struct Snapshot {
        std::vector<qint64> order;
        QHash<qint64, Pending> pending;
        QSet<qint64> deleted;
        int cur = -1;
        bool bof = true, eof = true;
    };

    explicit Impl(Table *table) : q(table) {}

    Table *q;
    Session *session = nullptr;
    QString database, tableName;
    TableType type = TableType::Default;
    bool exclusive = false;
    bool cached = false;
    QList<FieldDef> defs;
    QList<IndexDef> indexes;
    QStringList displayNames;

    std::unique_ptr<engine::TableStorage> storage;
    QString kind;
    QString display;
    TableState state = TableState::Inactive;

    std::vector<qint64> order;   // the visible rows, in table order
    int cur = -1;
    bool bof = true, eof = true;
    // Stored values of the rows at positions wFrom.. (a window on the file).
    mutable std::vector<qint64> wIds;
    mutable std::vector<RowValues> wRows;
    mutable int wFrom = -10;
    void dropWindow() { wIds.clear(); wRows.clear(); wFrom = -10; }
    QHash<qint64, Pending> pending;  // cached inserts and edits, by row id
    QSet<qint64> deleted;            // stored rows deleted in the cache
    qint64 nextTemp = std::numeric_limits<qint64>::min() / 2;
    qint64 serial = 0;

    RowValues buf;       // the row being edited or inserted
    qint64 editId = 0;
    bool modified = false;
    int idKey = -1;
    QList<int> pk;
    QHash<int, std::pair<qint64, qint64>> autoPool;   // field -> [next, end)
    bool holdCommits = false;   // batch move: posts stay in the cache

    mutable RowValues curValues;
    mutable qint64 curValuesId = 0;
    mutable bool curValuesValid = false;

    // helpers (Table.cpp)
    engine::TableLocation resolve(engine::TableDriver **driver) const;
    void requireOpen() const;
    RowValues rowAt(int pos) const;
    const RowValues &current() const;
    void invalidateCurrent() { curValuesValid = false; }
    bool isStored(qint64 id) const;
    int positionFor(qint64 id, const RowValues &values) const;
    int compareKeys(const RowValues &a, const RowValues &b) const;
    void checkKey(const RowValues &values, qint64 self) const;
    void checkBrowse();
    qint64 takeAutoInc(int field);
    void releasePools();
    void commit();
    Snapshot snapshot() const { return {order, pending, deleted, cur, bof, eof}; }
    void restore(Snapshot s);
    void rebuildOrder(std::vector<qint64> stored);
    void setState(TableState s);
    void scrolled(qint64 previousId, bool always);
    qint64 currentId() const { return cur >= 0 && cur < int(order.size()) ? order[size_t(cur)] : 0; }
    RowValues nulls() const { RowValues r; for (int i = 0; i < defs.size(); ++i) r.append(QVariant()); return r; }
    void assign(int field, const QVariant &value);
};

} // namespace vellora
