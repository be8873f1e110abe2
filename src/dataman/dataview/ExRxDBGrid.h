#pragma once
// The data grid of the Database view: a table view over TableGridModel.
// A row is posted to the table when the operator leaves it; an error of the
// engine is shown in the generic error report and the row stays in edit.
// Rows are selected with Ctrl-click (toggle) and Shift-click (from the
// anchor, the row clicked before); the selection is kept as bookmarks of the
// table's rows.
#include "dataman/dataview/GridModel.h"

#include <QTableView>
#include <functional>

class QMenu;

namespace vellora {

class TExRxDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TExRxDBGrid(QWidget *parent = nullptr);

    TableGridModel *gridModel() const { return m_model; }

    // Column widths from the field names and every value of the table
    // (name or value in the grid's font, followed by "WW"). Reads the
    // table from its first row to the end, then returns to the first row.
    // Throws EngineError when reading fails.
    void fitColumns();
    // The same from the rows as the grid shows them, for the context menu.
    void autoWidth();

    // Rows selected, in ascending order.
    QList<int> selectedRowNumbers() const;
    QList<Bookmark> selectedBookmarks() const;
    void selectRow(int row, bool on = true);
    void selectAllRows();
    void unselectAllRows();
    int anchorRow() const { return m_anchor; }

    // Posts the row in edit (closing a cell editor first). False when the
    // engine refused: the error was reported and the row stays in edit.
    bool postEdit();
    // Deletes the selected rows after asking Literals13; false when not
    // asked or not confirmed.
    bool deleteSelection();
    // Deletes the current row after asking Literals13.
    bool deleteCurrent();
    // Starts a new row before the current one.
    void insertRecord();
    // Moves the current row, keeping the column.
    void moveToRow(int row);

    // Called with the card numbers (first column's texts) of rows about to
    // be deleted, after the rows are gone.
    void setDeletedHook(std::function<void(const QStringList &)> hook) { m_deletedHook = std::move(hook); }

    // Context menu functions (state the menu shows).
    bool cellHints() const { return m_cellHints; }
    void setCellHints(bool on) { m_cellHints = on; }
    bool showTextEllipsis() const { return textElideMode() != Qt::ElideNone; }
    void setShowTextEllipsis(bool on);
    bool multiLineTitles() const { return m_multiLineTitles; }
    void setMultiLineTitles(bool on);
    int fixedColumns() const { return m_fixedColumns; }
    void setFixedColumns(int count);
    QTableView *frozenView() const { return m_frozen; }
    bool searchMode() const { return m_searchMode; }
    void setSearchMode(bool on);
    QString searchText() const { return m_search; }
    // Column order and widths as text ("name:width" per shown column).
    QString layoutText() const;
    bool applyLayoutText(const QString &text);

    // The grid's menu (built by the Database view).
    void setContextMenu(QMenu *menu) { m_menu = menu; }

signals:
    void currentRowChanged(int row);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void clickRow(int row, Qt::KeyboardModifiers modifiers);
    void placeFrozen();
    void searchFor(const QString &text);
    void updateTitleHeight();
    int textWidth(const QString &text) const;

    TableGridModel *m_model = nullptr;
    int m_anchor = -1;
    bool m_restoring = false;
    bool m_cellHints = false;
    bool m_multiLineTitles = false;
    int m_fixedColumns = 0;
    bool m_searchMode = false;
    QString m_search;
    QMenu *m_menu = nullptr;
    // The fixed columns: a second view over the same model and selection,
    // laid over the left edge, scrolling only vertically.
    QTableView *m_frozen = nullptr;
    std::function<void(const QStringList &)> m_deletedHook;
};

// The generic error report from within the data management windows: a
// message box titled with the application title, error icon, OK.
void ReportDataError(const QString &message);
// Runs a command, reporting an exception as ReportDataError; false then.
bool RunReportingErrors(const std::function<void()> &command);

}  // namespace vellora
