#include "dataman/dataview/ExRxDBGrid.h"

#include "engine/EngineError.h"
#include "engine/util/OperatorError.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace vellora {

void ReportDataError(const QString &message)
{
    const QString title = QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                                            : QApplication::applicationDisplayName();
    PlainMessage(title, message, PlainIcon::Error);
}

bool RunReportingErrors(const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const OperatorError &e) {
        ReportDataError(e.message());
    } catch (const std::exception &e) {
        ReportDataError(QString::fromUtf8(e.what()));
    }
    return false;
}

namespace {

// Paints the current cell in the selection colours (navy, white text).
class CurrentCellDelegate : public QStyledItemDelegate {
public:
    explicit CurrentCellDelegate(QTableView *view) : QStyledItemDelegate(view), m_view(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index == m_view->currentIndex())
            option->state |= QStyle::State_Selected;
        option->state &= ~QStyle::State_HasFocus;
    }

private:
    QTableView *m_view;
};

}  // namespace

TExRxDBGrid::TExRxDBGrid(QWidget *parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("ExRxDBGrid1"));
    m_model = new TableGridModel(this);
    setModel(m_model);
    setItemDelegate(new CurrentCellDelegate(this));
    setFrameShape(QFrame::NoFrame);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideNone);

    QHeaderView *rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(17);
    rows->setDefaultSectionSize(17);
    rows->setFixedWidth(14);
    rows->setDefaultAlignment(Qt::AlignCenter);
    rows->setHighlightSections(false);
    QHeaderView *titles = horizontalHeader();
    titles->setSectionsMovable(true);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setMinimumSectionSize(8);

    QPalette p = palette();
    p.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    setPalette(p);

    connect(rows, &QHeaderView::sectionPressed, this, [this](int row) {
        clickRow(row, QApplication::keyboardModifiers());
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_anchor = -1;
        m_search.clear();
    });
}

int TExRxDBGrid::textWidth(const QString &text) const
{
    return fontMetrics().horizontalAdvance(text);
}

void TExRxDBGrid::fitColumns()
{
    Table *t = m_model->table();
    if (!t || !t->isOpen())
        return;
    const QFontMetrics fm = fontMetrics();
    const int ww = fm.horizontalAdvance(QStringLiteral("WW"));
    const int widest = std::max(1, fm.maxWidth());
    const int n = t->fieldCount();
    std::vector<int> widths(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i)
        widths[size_t(i)] = fm.horizontalAdvance(t->field(i).displayName() + QStringLiteral("WW"));
    // A value is measured only when it may widen its column: the sum of its
    // characters' advances (kept per character) bounds its width from
    // above, up to kerning, which the slack covers. Each distinct value is
    // measured once per column.
    std::vector<QSet<QString>> measured(static_cast<size_t>(n));
    std::vector<Field> fields;
    for (int i = 0; i < n; ++i)
        fields.push_back(t->field(i));
    std::vector<int> advance(0x10000, -1);
    const auto estimate = [&](const QString &v) {
        int sum = 0;
        for (const QChar c : v) {
            int &a = advance[c.unicode()];
            if (a < 0)
                a = fm.horizontalAdvance(c);
            sum += a;
        }
        return sum;
    };
    const int slack = 2 + fm.averageCharWidth() / 2;
    for (t->first(); !t->eof(); t->next()) {
        for (int i = 0; i < n; ++i) {
            const QString v = fields[size_t(i)].asString();
            int &w = widths[size_t(i)];
            if (v.isEmpty() || qint64(v.size()) * widest + ww <= w || estimate(v) + ww + slack <= w)
                continue;
            QSet<QString> &seen = measured[size_t(i)];
            if (seen.contains(v))
                continue;
            seen.insert(v);
            const int vw = fm.horizontalAdvance(v + QStringLiteral("WW"));
            if (vw > w)
                w = vw;
        }
    }
    t->first();
    for (int i = 0; i < n; ++i)
        setColumnWidth(i, widths[size_t(i)]);
}

void TExRxDBGrid::autoWidth()
{
    const int ww = textWidth(QStringLiteral("WW"));
    const int rowsShown = m_model->rowCount();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int w = textWidth(m_model->headerData(c, Qt::Horizontal).toString()) + ww;
        QSet<QString> seen;
        for (int r = 0; r < rowsShown; ++r) {
            const QString v = m_model->text(r, c);
            if (v.isEmpty() || seen.contains(v))
                continue;
            seen.insert(v);
            w = std::max(w, textWidth(v) + ww);
        }
        setColumnWidth(c, w);
    }
}

QList<int> TExRxDBGrid::selectedRowNumbers() const
{
    QList<int> rows;
    for (const QItemSelectionRange &r : selectionModel()->selection())
        for (int row = r.top(); row <= r.bottom(); ++row)
            if (!rows.contains(row))
                rows.append(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QList<Bookmark> TExRxDBGrid::selectedBookmarks() const
{
    QList<Bookmark> marks;
    for (int row : selectedRowNumbers()) {
        const Bookmark b = m_model->bookmarkOf(row);
        if (b.isValid())
            marks.append(b);
    }
    return marks;
}

void TExRxDBGrid::selectRow(int row, bool on)
{
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0)
        return;
    const QItemSelection s(m_model->index(row, 0), m_model->index(row, m_model->columnCount() - 1));
    selectionModel()->select(s, on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void TExRxDBGrid::selectAllRows()
{
    if (m_model->rowCount() == 0 || m_model->columnCount() == 0)
        return;
    const QItemSelection s(m_model->index(0, 0),
                           m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1));
    selectionModel()->select(s, QItemSelectionModel::ClearAndSelect);
}

void TExRxDBGrid::unselectAllRows() { selectionModel()->clearSelection(); }

QItemSelectionModel::SelectionFlags TExRxDBGrid::selectionCommand(const QModelIndex &, const QEvent *) const
{
    // Rows are selected by the clicks and keys handled here, not by moving.
    return QItemSelectionModel::NoUpdate;
}

void TExRxDBGrid::clickRow(int row, Qt::KeyboardModifiers modifiers)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    if (modifiers & Qt::ShiftModifier) {
        // From the clicked row towards the anchor, one row at a time.
        int r = row;
        const int anchor = m_anchor < 0 ? row : m_anchor;
        const int step = anchor >= r ? 1 : -1;
        while (r >= 0 && r < m_model->rowCount()) {
            selectRow(r, true);
            if (r == anchor)
                break;
            r += step;
        }
    } else if (modifiers & Qt::ControlModifier) {
        selectRow(row, !selectionModel()->isRowSelected(row, {}));
    } else {
        selectionModel()->clearSelection();
    }
    m_anchor = row;
}

void TExRxDBGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    if (at.isValid() && event->button() == Qt::LeftButton)
        clickRow(currentIndex().isValid() ? currentIndex().row() : at.row(), event->modifiers());
}

void TExRxDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_restoring)
        return;
    if (m_model->rowInEdit() && current.isValid() && current.row() != m_model->editRow()) {
        const int editRow = m_model->editRow();
        const int target = current.row();
        const int column = current.column();
        bool ok = true;
        int landed = target;
        const bool editIsBefore = editRow < target;
        const bool dropsEmptyInsert = m_model->inserting() && !m_model->editModified();
        ok = RunReportingErrors([&] { m_model->post(); });
        if (!ok) {
            m_restoring = true;
            setCurrentIndex(m_model->index(editRow, column));
            m_restoring = false;
            m_model->setCurrentRow(editRow);
            emit currentRowChanged(editRow);
            return;
        }
        if (dropsEmptyInsert && editIsBefore)
            landed = target - 1;
        if (!currentIndex().isValid() || currentIndex().row() != landed) {
            m_restoring = true;
            setCurrentIndex(m_model->index(std::clamp(landed, 0, std::max(0, m_model->rowCount() - 1)), column));
            m_restoring = false;
        }
    }
    const int row = currentIndex().isValid() ? currentIndex().row() : -1;
    m_model->setCurrentRow(row);
    emit currentRowChanged(row);
}

bool TExRxDBGrid::postEdit()
{
    if (QWidget *editor = indexWidget(currentIndex()); editor || state() == QAbstractItemView::EditingState) {
        // Hand the open cell editor's text to the model first.
        QWidget *focus = QApplication::focusWidget();
        if (focus && isAncestorOf(focus) && focus != viewport())
            commitData(focus);
        closePersistentEditor(currentIndex());
        setState(QAbstractItemView::NoState);
        if (focus && isAncestorOf(focus) && focus != viewport())
            closeEditor(focus, QAbstractItemDelegate::NoHint);
        (void)editor;
    }
    if (!m_model->rowInEdit())
        return true;
    return RunReportingErrors([this] {
        const int at = m_model->post();
        if (at >= 0 && m_model->columnCount() > 0) {
            m_restoring = true;
            setCurrentIndex(m_model->index(at, std::max(0, currentIndex().column())));
            m_restoring = false;
        }
    });
}

namespace {
QStringList cardNumbersOf(TableGridModel *model, const QList<int> &rows)
{
    QStringList numbers;
    for (int r : rows)
        if (model->tableRow(r) >= 0)
            numbers.append(model->text(r, 0));
    return numbers;
}
}  // namespace

bool TExRxDBGrid::deleteSelection()
{
    const QList<int> rows = selectedRowNumbers();
    if (rows.isEmpty())
        return false;
    if (LocalMessageDlg(Literal(13), MsgKind::Warning, MsgButton::OK | MsgButton::Cancel) != MrOk)
        return false;
    const QStringList numbers = cardNumbersOf(m_model, rows);
    const int current = currentIndex().isValid() ? currentIndex().row() : 0;
    const int column = std::max(0, currentIndex().column());
    m_model->deleteRows(rows);
    selectionModel()->clearSelection();
    if (m_deletedHook)
        m_deletedHook(numbers);
    if (m_model->rowCount() > 0)
        setCurrentIndex(m_model->index(std::min(current, m_model->rowCount() - 1), column));
    return true;
}

bool TExRxDBGrid::deleteCurrent()
{
    const QModelIndex cur = currentIndex();
    if (!cur.isValid())
        return false;
    if (m_model->inserting() && cur.row() == m_model->editRow()) {
        m_model->cancel();
        return true;
    }
    if (LocalMessageDlg(Literal(13), MsgKind::Warning, MsgButton::OK | MsgButton::Cancel) != MrOk)
        return false;
    const QStringList numbers = cardNumbersOf(m_model, {cur.row()});
    m_model->deleteRows({cur.row()});
    if (m_deletedHook)
        m_deletedHook(numbers);
    if (m_model->rowCount() > 0)
        setCurrentIndex(m_model->index(std::min(cur.row(), m_model->rowCount() - 1), cur.column()));
    return true;
}

void TExRxDBGrid::insertRecord()
{
    if (!postEdit())
        return;
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    const int column = std::max(0, currentIndex().column());
    m_model->insertRowAt(row);
    m_restoring = true;
    setCurrentIndex(m_model->index(row, column));
    m_restoring = false;
    m_model->setCurrentRow(row);
    setFocus();
}

void TExRxDBGrid::moveToRow(int row)
{
    if (m_model->rowCount() == 0 || m_model->columnCount() == 0)
        return;
    row = std::clamp(row, 0, m_model->rowCount() - 1);
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(m_model->index(row, column));
    scrollTo(currentIndex());
}

void TExRxDBGrid::keyPressEvent(QKeyEvent *event)
{
    const bool editing = state() == QAbstractItemView::EditingState;
    if (!editing && event->key() == Qt::Key_Delete) {
        if (event->modifiers() & Qt::ControlModifier)
            deleteCurrent();
        else
            deleteSelection();
        event->accept();
        return;
    }
    if (!editing && event->key() == Qt::Key_Escape && m_model->rowInEdit()) {
        m_model->cancel();
        event->accept();
        return;
    }
    if (!editing && event->key() == Qt::Key_Insert) {
        insertRecord();
        event->accept();
        return;
    }
    if (!editing && m_searchMode) {
        const QString typed = event->text();
        if (event->key() == Qt::Key_Backspace) {
            m_search.chop(1);
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            m_search.clear();
            event->accept();
            return;
        }
        if (!typed.isEmpty() && typed.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
            searchFor(m_search + typed);
            event->accept();
            return;
        }
    }
    if (!editing && event->key() == Qt::Key_Down && currentIndex().isValid() &&
        currentIndex().row() == m_model->rowCount() - 1 && !(event->modifiers() & Qt::ShiftModifier)) {
        // Down from the last row starts a new one, unless that row is a new
        // one nothing was typed into.
        if (!(m_model->inserting() && !m_model->editModified())) {
            if (!postEdit())
                return;
            const int column = currentIndex().column();
            m_model->insertRowAt(m_model->rowCount());
            setCurrentIndex(m_model->index(m_model->rowCount() - 1, column));
        }
        event->accept();
        return;
    }
    if (!editing && (event->modifiers() & Qt::ShiftModifier) &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && currentIndex().isValid()) {
        const int from = currentIndex().row();
        selectRow(from, true);
        QTableView::keyPressEvent(event);
        selectRow(currentIndex().row(), true);
        m_anchor = currentIndex().row();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TExRxDBGrid::searchFor(const QString &text)
{
    const QModelIndex cur = currentIndex();
    const int column = cur.isValid() ? cur.column() : 0;
    const int start = cur.isValid() ? cur.row() : 0;
    const int n = m_model->rowCount();
    for (int i = 0; i < n; ++i) {
        const int row = (start + i) % n;
        if (m_model->text(row, column).startsWith(text, Qt::CaseInsensitive)) {
            m_search = text;
            moveToRow(row);
            return;
        }
    }
    QApplication::beep();
}

void TExRxDBGrid::setSearchMode(bool on)
{
    m_searchMode = on;
    m_search.clear();
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                       : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
}

void TExRxDBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    // A new row nothing was typed into is dropped when the operator goes
    // elsewhere; a cell editor taking the focus stays in the grid.
    QWidget *focus = QApplication::focusWidget();
    const bool inside = focus && (focus == this || isAncestorOf(focus));
    if (!inside && event->reason() != Qt::PopupFocusReason && m_model->inserting() && !m_model->editModified())
        m_model->cancel();
}

void TExRxDBGrid::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_menu)
        m_menu->exec(event->globalPos());
    event->accept();
}

bool TExRxDBGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex at = indexAt(help->pos());
        if (m_cellHints && at.isValid()) {
            const QString text = m_model->text(at.row(), at.column());
            if (!text.isEmpty() && textWidth(text) + 6 > columnWidth(at.column())) {
                QToolTip::showText(help->globalPos(), text, viewport(), visualRect(at));
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QTableView::viewportEvent(event);
}

void TExRxDBGrid::setShowTextEllipsis(bool on)
{
    setTextElideMode(on ? Qt::ElideRight : Qt::ElideNone);
    viewport()->update();
}

void TExRxDBGrid::setMultiLineTitles(bool on)
{
    m_multiLineTitles = on;
    horizontalHeader()->setDefaultAlignment(on ? Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap) : Qt::Alignment(Qt::AlignCenter));
    updateTitleHeight();
}

void TExRxDBGrid::updateTitleHeight()
{
    const int line = horizontalHeader()->fontMetrics().height();
    horizontalHeader()->setFixedHeight(m_multiLineTitles ? 2 * line + 8 : line + 6);
    horizontalHeader()->viewport()->update();
}

void TExRxDBGrid::setFixedColumns(int count)
{
    m_fixedColumns = std::clamp(count, 0, m_model->columnCount());
    // While columns are fixed they keep their places.
    horizontalHeader()->setSectionsMovable(m_fixedColumns == 0);
    if (m_fixedColumns == 0) {
        if (m_frozen)
            m_frozen->hide();
        return;
    }
    if (!m_frozen) {
        m_frozen = new QTableView(this);
        m_frozen->setObjectName(QStringLiteral("FixedColumnsView"));
        m_frozen->setModel(m_model);
        m_frozen->setSelectionModel(selectionModel());
        m_frozen->setItemDelegate(new CurrentCellDelegate(m_frozen));
        m_frozen->setFocusPolicy(Qt::NoFocus);
        m_frozen->verticalHeader()->hide();
        m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozen->setFrameShape(QFrame::NoFrame);
        m_frozen->setSelectionBehavior(selectionBehavior());
        m_frozen->setSelectionMode(QAbstractItemView::NoSelection);
        m_frozen->setEditTriggers(editTriggers());
        m_frozen->setPalette(palette());
        m_frozen->setStyleSheet(QStringLiteral("QTableView { border-right: 2px solid #404040; }"));
        connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
            if (m_frozen)
                m_frozen->setColumnWidth(logical, size);
            placeFrozen();
        });
        connect(m_model, &QAbstractItemModel::modelReset, this, [this] { setFixedColumns(0); });
        connect(selectionModel(), &QItemSelectionModel::currentChanged, m_frozen->viewport(),
                qOverload<>(&QWidget::update));
    }
    const QHeaderView *h = horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        const int at = m_frozen->horizontalHeader()->visualIndex(logical);
        if (at != v)
            m_frozen->horizontalHeader()->moveSection(at, v);
        m_frozen->setColumnHidden(logical, v >= m_fixedColumns || isColumnHidden(logical));
        m_frozen->setColumnWidth(logical, columnWidth(logical));
    }
    m_frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    m_frozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
    m_frozen->show();
    placeFrozen();
    viewport()->update();
}

void TExRxDBGrid::placeFrozen()
{
    if (!m_frozen || m_fixedColumns == 0)
        return;
    int width = 0;
    const QHeaderView *h = horizontalHeader();
    for (int v = 0; v < m_fixedColumns && v < h->count(); ++v)
        if (!isColumnHidden(h->logicalIndex(v)))
            width += columnWidth(h->logicalIndex(v));
    m_frozen->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), width + 2,
                          viewport()->height() + horizontalHeader()->height());
}

void TExRxDBGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    placeFrozen();
}

QString TExRxDBGrid::layoutText() const
{
    QStringList lines;
    const QHeaderView *h = horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        const QString name = m_model->table() && m_model->table()->isOpen() ? m_model->table()->field(logical).name()
                                                                             : QString::number(logical);
        lines.append(name + QLatin1Char('=') + QString::number(columnWidth(logical)));
    }
    return lines.join(QLatin1Char('\n'));
}

bool TExRxDBGrid::applyLayoutText(const QString &text)
{
    Table *t = m_model->table();
    if (!t || !t->isOpen())
        return false;
    QHeaderView *h = horizontalHeader();
    int visual = 0;
    bool any = false;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const int eq = line.lastIndexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const Field f = t->findField(line.left(eq).trimmed());
        bool ok = false;
        const int width = line.mid(eq + 1).trimmed().toInt(&ok);
        if (!f.isValid() || !ok || width < 0 || width > 10000)
            continue;
        const int from = h->visualIndex(f.index());
        if (from != visual && visual < h->count())
            h->moveSection(from, visual);
        setColumnWidth(f.index(), width);
        ++visual;
        any = true;
    }
    return any;
}

}  // namespace vellora
