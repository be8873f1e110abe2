#pragma once
// An item model over an open table of the engine for the data grid: one row
// per table row, one column per field. Rows are read from the table when the
// view asks for them (the engine reads blocks around them), never all at
// once. Edits of a row are held here and posted to the table when the row is
// left (post()); until then the table stays browsing, so the view can read
// the other rows freely. A pending insert is a row of its own that reaches
// the table only when posted.
#include "engine/Table.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QVariantList>
#include <vector>

namespace vellora {

class TableGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableGridModel(QObject *parent = nullptr);

    Table *table() const { return m_table; }
    // Not owned. The model follows the table's opening, closing and row
    // changes.
    void setTable(Table *table);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The field's text of a row as the grid shows it ("" for null).
    QString text(int row, int column) const;
    QVariant value(int row, int column) const;

    // ---- editing ----
    bool rowInEdit() const { return m_editRow >= 0; }
    int editRow() const { return m_editRow; }
    bool inserting() const { return m_inserting; }
    bool editModified() const { return !m_changed.isEmpty(); }
    // Starts a new row before `row` (at the end when row >= rowCount()).
    // A row in edit is posted first (throws as post()).
    void insertRowAt(int row);
    // Posts the row in edit to the table. Throws EngineError (the engine's
    // message: a value the field cannot hold, a key that exists already);
    // the row then stays in edit with what was typed. An insert nothing was
    // typed into is dropped. Returns the row the posted record is at.
    int post();
    // Drops what was typed into the row in edit (and a pending insert).
    void cancel();

    // Deletes the rows' records (by bookmark, so the order does not matter).
    // A row in edit is dropped first.
    void deleteRows(const QList<int> &rows);
    Bookmark bookmarkOf(int row) const;
    int rowOfBookmark(const Bookmark &bookmark) const;   // -1 when gone

    // ---- what the grid shows ----
    bool displayBoolean() const { return m_displayBoolean; }
    void setDisplayBoolean(bool on);
    bool useRowColors() const { return m_rowColors; }
    void setUseRowColors(bool on);
    void setCurrentRow(int row);   // for the row indicator
    int currentRow() const { return m_currentRow; }

    // A sort of the shown rows by one column, for viewing only: the table
    // keeps its order. Reads the column of every row once. Dropped when the
    // rows change.
    void sortByColumn(int column, Qt::SortOrder order);
    void clearSort();
    bool sorted() const { return !m_order.empty(); }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // The table's row number (0-based) of a shown row.
    int tableRow(int row) const;

    // Re-reads the rows (after the table was changed behind the model).
    void reload();

signals:
    // The row in edit began, changed or ended (row indicator, navigator).
    void editStateChanged();

private:
    const QVariantList &rowValues(int tableRow) const;
    void tableRowsChanged();
    void dropCache() const;
    void setEdit(int row, bool inserting);

    QPointer<Table> m_table;
    QList<QMetaObject::Connection> m_connections;
    int m_rows = 0;
    int m_columns = 0;
    QStringList m_titles;
    QList<FieldType> m_types;
    QList<bool> m_readOnly;

    // Rows read, by table row; small and dropped on every change.
    mutable QHash<int, QVariantList> m_cache;

    int m_editRow = -1;
    bool m_inserting = false;
    QVariantList m_buffer;          // the row in edit: values or typed texts
    QHash<int, QString> m_changed;  // column -> typed text
    bool m_posting = false;

    bool m_displayBoolean = true;
    bool m_rowColors = true;
    int m_currentRow = -1;
    std::vector<int> m_order;       // shown row -> table row when sorted
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

}  // namespace vellora
