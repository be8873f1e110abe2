#include "dataman/dataview/DBNavigator.h"

#include "dataman/dataview/ExRxDBGrid.h"
#include "lang/Translation.h"

#include <QEvent>
#include <QToolButton>

namespace vellora {

namespace {

struct ButtonSpec {
    const char *name;
    const char *symbol;
    const char *hint;
};

const ButtonSpec kButtons[] = {
    {"NavFirst", "|\u25C0", "First record"},   {"NavPrior", "\u25C0", "Prior record"},
    {"NavNext", "\u25B6", "Next record"},     {"NavLast", "\u25B6|", "Last record"},
    {"NavInsert", "+", "Insert record"},      {"NavDelete", "\u2212", "Delete record"},
};

}  // namespace

DBNavigator::DBNavigator(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DBNavigator1"));
    for (int i = 0; i < 6; ++i) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(kButtons[i].name));
        b->setText(QString::fromUtf8(kButtons[i].symbol));
        // The symbol is not a text of the language.
        SetTag(b, kKeepCaptionTag);
        b->setToolTip(QString::fromLatin1(kButtons[i].hint));
        b->setAccessibleName(b->toolTip());
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(false);
        b->installEventFilter(this);
        connect(b, &QToolButton::clicked, this, [this, i] { press(Button(i)); });
        m_buttons[i] = b;
    }
    resize(402, 18);
}

bool DBNavigator::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTipChange)
        if (auto *b = qobject_cast<QToolButton *>(watched))
            b->setAccessibleName(b->toolTip());
    return QWidget::eventFilter(watched, event);
}

void DBNavigator::resizeEvent(QResizeEvent *)
{
    const int n = 6;
    for (int i = 0; i < n; ++i) {
        const int x0 = width() * i / n;
        const int x1 = width() * (i + 1) / n;
        m_buttons[i]->setGeometry(x0, 0, x1 - x0, height());
    }
}

void DBNavigator::setGrid(TExRxDBGrid *grid)
{
    m_grid = grid;
    connect(grid, &TExRxDBGrid::currentRowChanged, this, &DBNavigator::updateButtons);
    connect(grid->gridModel(), &QAbstractItemModel::modelReset, this, &DBNavigator::updateButtons);
    connect(grid->gridModel(), &QAbstractItemModel::rowsInserted, this, &DBNavigator::updateButtons);
    connect(grid->gridModel(), &QAbstractItemModel::rowsRemoved, this, &DBNavigator::updateButtons);
    connect(grid->gridModel(), &TableGridModel::editStateChanged, this, &DBNavigator::updateButtons);
    updateButtons();
}

void DBNavigator::updateButtons()
{
    if (!m_grid)
        return;
    TableGridModel *m = m_grid->gridModel();
    const bool open = m->table() && m->table()->isOpen();
    const int rows = m->rowCount();
    const int row = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : -1;
    m_buttons[First]->setEnabled(open && rows > 0 && row != 0);
    m_buttons[Prior]->setEnabled(open && rows > 0 && row != 0);
    m_buttons[Next]->setEnabled(open && rows > 0 && row < rows - 1);
    m_buttons[Last]->setEnabled(open && rows > 0 && row < rows - 1);
    m_buttons[Insert]->setEnabled(open);
    m_buttons[Delete]->setEnabled(open && rows > 0);
}

void DBNavigator::press(Button which)
{
    if (!m_grid)
        return;
    TableGridModel *m = m_grid->gridModel();
    const int row = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : 0;
    RunReportingErrors([&] {
        switch (which) {
        case First:
            m_grid->moveToRow(0);
            break;
        case Prior:
            m_grid->moveToRow(row - 1);
            break;
        case Next:
            m_grid->moveToRow(row + 1);
            break;
        case Last:
            m_grid->moveToRow(m->rowCount() - 1);
            break;
        case Insert:
            m_grid->insertRecord();
            break;
        case Delete:
            if (!m_grid->deleteSelection() && m_grid->selectedRowNumbers().isEmpty())
                m_grid->deleteCurrent();
            break;
        }
    });
    updateButtons();
}

}  // namespace vellora
