#include "dataman/dataview/GridModel.h"

#include "engine/EngineError.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <numeric>

namespace vellora {

namespace {

// Rows kept read at most; the engine reads blocks around a row anyway.
constexpr int kCachedRows = 1024;

const QColor kLightRow(0xE3, 0xE3, 0xE3);   // 3-D light
const QColor kTealRow(0x00, 0x80, 0x80);

bool isTrueText(const QString &text)
{
    return text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1");
}

}  // namespace

TableGridModel::TableGridModel(QObject *parent) : QAbstractTableModel(parent) {}

void TableGridModel::setTable(Table *table)
{
    for (const auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_table = table;
    if (table)
        m_connections = {connect(table, &Table::rowsChanged, this, &TableGridModel::tableRowsChanged),
                         connect(table, &Table::afterOpen, this, &TableGridModel::reload),
                         connect(table, &Table::afterClose, this, &TableGridModel::reload)};
    reload();
}

void TableGridModel::tableRowsChanged()
{
    if (!m_posting)
        reload();
}

void TableGridModel::reload()
{
    beginResetModel();
    m_cache.clear();
    m_order.clear();
    m_editRow = -1;
    m_inserting = false;
    m_buffer.clear();
    m_changed.clear();
    m_titles.clear();
    m_types.clear();
    m_readOnly.clear();
    const bool open = m_table && m_table->isOpen();
    m_rows = open ? m_table->recordCount() : 0;
    m_columns = open ? m_table->fieldCount() : 0;
    for (int c = 0; c < m_columns; ++c) {
        const Field f = m_table->field(c);
        m_titles.append(f.displayName());
        m_types.append(f.type());
        m_readOnly.append(f.isReadOnly());
    }
    if (m_currentRow >= m_rows)
        m_currentRow = m_rows - 1;
    endResetModel();
    emit editStateChanged();
}

void TableGridModel::dropCache() const { m_cache.clear(); }

int TableGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows + (m_inserting ? 1 : 0);
}

int TableGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

int TableGridModel::tableRow(int row) const
{
    if (!m_order.empty())
        return row >= 0 && row < int(m_order.size()) ? m_order[size_t(row)] : -1;
    if (m_inserting) {
        if (row == m_editRow)
            return -1;
        if (row > m_editRow)
            return row - 1;
    }
    return row;
}

const QVariantList &TableGridModel::rowValues(int tableRow) const
{
    static const QVariantList none;
    if (!m_table || !m_table->isOpen() || tableRow < 0 || tableRow >= m_rows)
        return none;
    auto it = m_cache.constFind(tableRow);
    if (it != m_cache.constEnd())
        return *it;
    if (m_cache.size() >= kCachedRows)
        m_cache.clear();
    QVariantList values;
    try {
        m_table->setRecNo(tableRow + 1);
        values.reserve(m_columns);
        for (int c = 0; c < m_columns; ++c)
            values.append(m_table->field(c).value());
    } catch (const EngineError &) {
        // A row that cannot be read shows empty; the error shows where the
        // row is used (editing, printing).
        values.clear();
        for (int c = 0; c < m_columns; ++c)
            values.append(QVariant());
    }
    return *m_cache.insert(tableRow, values);
}

QVariant TableGridModel::value(int row, int column) const
{
    if (column < 0 || column >= m_columns)
        return {};
    if (row == m_editRow && row >= 0) {
        if (m_changed.contains(column))
            return m_changed.value(column);
        return m_buffer.value(column);
    }
    return rowValues(tableRow(row)).value(column);
}

QString TableGridModel::text(int row, int column) const
{
    if (column < 0 || column >= m_columns)
        return {};
    if (row == m_editRow && m_changed.contains(column))
        return m_changed.value(column);
    const QVariant v = value(row, column);
    if (!v.isValid() || v.isNull())
        return {};
    switch (m_types[column]) {
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Date:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case FieldType::Time:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case FieldType::DateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob:
    case FieldType::Graphic:
    case FieldType::FmtMemo:
    case FieldType::ParadoxOle:
    case FieldType::DBaseOle:
    case FieldType::TypedBinary:
        return QStringLiteral("(%1 bytes)").arg(v.toByteArray().size());
    default:
        return v.toString();
    }
}

QVariant TableGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns)
        return {};
    const int row = index.row();
    const int column = index.column();
    const bool boolean = m_types[column] == FieldType::Boolean;
    switch (role) {
    case Qt::DisplayRole: {
        if (boolean && m_displayBoolean)
            return {};
        const QString t = text(row, column);
        if (boolean && !t.isEmpty())
            return isTrueText(t) ? QStringLiteral("1") : QStringLiteral("0");
        return t;
    }
    case Qt::EditRole:
        return text(row, column);
    case Qt::CheckStateRole:
        if (boolean && m_displayBoolean)
            return isTrueText(text(row, column)) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::AccessibleTextRole:
        return text(row, column);
    case Qt::BackgroundRole:
        if (!m_rowColors)
            return {};
        return QBrush(row % 2 == 0 ? kLightRow : kTealRow);
    case Qt::ForegroundRole:
        if (!m_rowColors)
            return {};
        return QBrush(row % 2 == 0 ? QColor(Qt::black) : QColor(Qt::white));
    default:
        return {};
    }
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_columns)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
            return m_titles[section];
        return {};
    }
    // The row indicator: the current row, the row in edit, the new row.
    if (role == Qt::DisplayRole) {
        if (section == m_editRow)
            return m_inserting ? QStringLiteral("*") : QStringLiteral("I");
        if (section == m_currentRow)
            return QStringLiteral("\u25B6");
        return QString();
    }
    if (role == Qt::AccessibleTextRole) {
        if (section == m_editRow)
            return m_inserting ? tr("new record") : tr("record in edit");
        if (section == m_currentRow)
            return tr("current record");
        return QString::number(section + 1);
    }
    return {};
}

Qt::ItemFlags TableGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.column() >= m_columns)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!m_readOnly[index.column()]) {
        f |= Qt::ItemIsEditable;
        if (m_types[index.column()] == FieldType::Boolean && m_displayBoolean)
            f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

void TableGridModel::setEdit(int row, bool inserting)
{
    m_editRow = row;
    m_inserting = inserting;
    m_changed.clear();
    m_buffer.clear();
    if (!inserting) {
        m_buffer = rowValues(tableRow(row));
    } else {
        for (int c = 0; c < m_columns; ++c)
            m_buffer.append(QVariant());
    }
    emit headerDataChanged(Qt::Vertical, row, row);
    emit editStateChanged();
}

bool TableGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() >= m_columns || m_readOnly[index.column()])
        return false;
    QString text;
    if (role == Qt::CheckStateRole)
        text = value.toInt() == Qt::Checked ? QStringLiteral("True") : QStringLiteral("False");
    else if (role == Qt::EditRole)
        text = value.toString();
    else
        return false;
    const int row = index.row();
    if (m_editRow >= 0 && m_editRow != row)
        return false;   // the row in edit is posted before another row is edited
    if (m_types[index.column()] == FieldType::Boolean && !text.isEmpty())
        text = isTrueText(text) ? QStringLiteral("True")
               : (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || text == QLatin1String("0"))
                   ? QStringLiteral("False")
                   : text;
    if (m_editRow < 0) {
        if (this->text(row, index.column()) == text)
            return true;   // nothing changed: the row stays browsing
        setEdit(row, false);
    }
    m_changed.insert(index.column(), text);
    emit dataChanged(this->index(row, 0), this->index(row, m_columns - 1));
    emit editStateChanged();
    return true;
}

void TableGridModel::insertRowAt(int row)
{
    if (!m_table || !m_table->isOpen())
        return;
    if (m_editRow >= 0)
        post();
    clearSort();
    row = std::clamp(row, 0, m_rows);
    beginInsertRows({}, row, row);
    m_editRow = row;
    m_inserting = true;
    m_changed.clear();
    m_buffer.clear();
    for (int c = 0; c < m_columns; ++c)
        m_buffer.append(QVariant());
    endInsertRows();
    emit editStateChanged();
}

void TableGridModel::cancel()
{
    if (m_editRow < 0)
        return;
    const int row = m_editRow;
    if (m_inserting) {
        beginRemoveRows({}, row, row);
        m_editRow = -1;
        m_inserting = false;
        m_changed.clear();
        m_buffer.clear();
        endRemoveRows();
    } else {
        m_editRow = -1;
        m_changed.clear();
        m_buffer.clear();
        emit dataChanged(index(row, 0), index(row, m_columns - 1));
        emit headerDataChanged(Qt::Vertical, row, row);
    }
    emit editStateChanged();
}

int TableGridModel::post()
{
    if (m_editRow < 0 || !m_table)
        return -1;
    const int row = m_editRow;
    if (m_changed.isEmpty()) {
        cancel();
        return m_inserting ? -1 : row;
    }
    Table &t = *m_table;
    m_posting = true;
    try {
        if (m_inserting) {
            const int before = row;   // table row the new one goes in front of
            if (before < m_rows) {
                t.setRecNo(before + 1);
                t.insert();
            } else {
                t.append();
            }
        } else {
            t.setRecNo(tableRow(row) + 1);
            t.edit();
        }
        QList<int> columns = m_changed.keys();
        std::sort(columns.begin(), columns.end());
        for (int c : columns)
            t.field(c).setAsString(m_changed.value(c));
        t.post();
    } catch (...) {
        if (t.state() == TableState::Edit || t.state() == TableState::Insert)
            t.cancel();
        m_posting = false;
        m_cache.clear();
        throw;
    }
    m_posting = false;
    const int at = t.recNo() - 1;
    const bool wasInsert = m_inserting;
    m_editRow = -1;
    m_inserting = false;
    m_changed.clear();
    m_buffer.clear();
    m_cache.clear();
    const int newRows = t.recordCount();
    if ((wasInsert && at == row && newRows == m_rows + 1) || (!wasInsert && !sorted() && at == row) ||
        (!wasInsert && sorted())) {
        m_rows = newRows;
        emit dataChanged(index(row, 0), index(row, m_columns - 1));
        emit headerDataChanged(Qt::Vertical, row, row);
        emit editStateChanged();
        return row;
    }
    reload();
    return at;
}

Bookmark TableGridModel::bookmarkOf(int row) const
{
    const int tr = tableRow(row);
    if (!m_table || !m_table->isOpen() || tr < 0 || tr >= m_rows)
        return {};
    m_table->setRecNo(tr + 1);
    return m_table->bookmark();
}

int TableGridModel::rowOfBookmark(const Bookmark &bookmark) const
{
    if (!m_table || !m_table->isOpen() || !m_table->bookmarkValid(bookmark))
        return -1;
    m_table->gotoBookmark(bookmark);
    const int tr = m_table->recNo() - 1;
    if (!m_order.empty()) {
        auto it = std::find(m_order.begin(), m_order.end(), tr);
        return it == m_order.end() ? -1 : int(it - m_order.begin());
    }
    return tr;
}

void TableGridModel::deleteRows(const QList<int> &rows)
{
    if (!m_table || !m_table->isOpen())
        return;
    cancel();
    QList<Bookmark> marks;
    for (int r : rows) {
        const Bookmark b = bookmarkOf(r);
        if (b.isValid() && !marks.contains(b))
            marks.append(b);
    }
    m_posting = true;
    try {
        for (const Bookmark &b : marks) {
            if (!m_table->bookmarkValid(b))
                continue;
            m_table->gotoBookmark(b);
            m_table->deleteRecord();
        }
    } catch (...) {
        m_posting = false;
        reload();
        throw;
    }
    m_posting = false;
    reload();
}

void TableGridModel::setDisplayBoolean(bool on)
{
    if (m_displayBoolean == on)
        return;
    beginResetModel();
    m_displayBoolean = on;
    endResetModel();
}

void TableGridModel::setUseRowColors(bool on)
{
    if (m_rowColors == on)
        return;
    m_rowColors = on;
    if (rowCount() > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1), {Qt::BackgroundRole, Qt::ForegroundRole});
}

void TableGridModel::setCurrentRow(int row)
{
    if (row == m_currentRow)
        return;
    const int old = m_currentRow;
    m_currentRow = row;
    if (old >= 0 && old < rowCount())
        emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < rowCount())
        emit headerDataChanged(Qt::Vertical, row, row);
}

void TableGridModel::sortByColumn(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_columns || m_inserting)
        return;
    if (m_editRow >= 0)
        post();
    std::vector<std::pair<QVariant, int>> keys;
    keys.reserve(size_t(m_rows));
    for (int r = 0; r < m_rows; ++r) {
        if (m_cache.size() >= kCachedRows)
            m_cache.clear();
        keys.emplace_back(rowValues(r).value(column), r);
    }
    const auto less = [](const QVariant &a, const QVariant &b) {
        if (a.isNull() || !a.isValid())
            return b.isValid() && !b.isNull();
        if (b.isNull() || !b.isValid())
            return false;
        return QVariant::compare(a, b) == QPartialOrdering::Less;
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const auto &x, const auto &y) {
        return order == Qt::AscendingOrder ? less(x.first, y.first) : less(y.first, x.first);
    });
    beginResetModel();
    m_sortColumn = column;
    m_sortOrder = order;
    m_order.clear();
    m_order.reserve(keys.size());
    for (const auto &k : keys)
        m_order.push_back(k.second);
    m_cache.clear();
    endResetModel();
}

void TableGridModel::clearSort()
{
    if (m_order.empty())
        return;
    beginResetModel();
    m_order.clear();
    endResetModel();
}

}  // namespace vellora
