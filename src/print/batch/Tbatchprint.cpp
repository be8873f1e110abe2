#include "print/batch/Tbatchprint.h"

#include "engine/Table.h"
#include "lang/GlyphButton.h"
#include "lang/MessageDialog.h"
#include "print/PrinterChoice.h"
#include "print/batch/BatchList.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

using namespace vellora;

namespace {

// Rows drawn by hand: the check box, then four columns (department, card
// number, first name, last name) on alternating white and grey, with grey
// separators; the selected row is not highlighted.
class BatchRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 16);
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect row = option.rect;
        const QColor background = index.row() % 2 == 0 ? QColor(228, 228, 228) : QColor(Qt::white);
        p->save();
        p->fillRect(row, background);

        // The check box at the row's left.
        const int box = 13;
        const QRect check(row.left() + 2, row.top() + (row.height() - box) / 2, box, box);
        QStyleOptionButton cb;
        cb.rect = check;
        cb.state = QStyle::State_Enabled |
                   (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : nullptr;
        if (style)
            style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &cb, p, widget);

        const int L = check.right() + 4;
        const int R = row.right() + 1;
        const BatchRowColumns c = BatchColumns(L, R);
        const BatchListItemParts parts = SplitBatchListItem(index.data(Qt::DisplayRole).toString());
        p->setFont(option.font);
        p->setPen(Qt::black);
        auto column = [&](int left, int right, int textLeft, const QString &text) {
            if (right <= left)
                return;
            const QRect r(left, row.top(), right - left, row.height());
            p->fillRect(r, background);
            p->save();
            p->setClipRect(r);
            p->drawText(QRect(textLeft, row.top(), right - textLeft, row.height()),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
            p->restore();
        };
        column(c.departmentLeft, c.departmentRight, c.departmentText, parts.department);
        column(c.numberLeft, c.numberRight, c.numberText, parts.cardNumber);
        column(c.firstLeft, c.firstRight, c.firstText, parts.firstName);
        column(c.lastLeft, c.lastRight, c.lastText, parts.lastName);
        p->setPen(QColor(128, 128, 128));
        for (int x : {c.separator1, c.separator2, c.separator3})
            p->drawLine(x, row.top(), x, row.bottom());
        p->restore();
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        // A click anywhere on the check box's part of the row, or Space,
        // toggles the tick.
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->position().x() <= option.rect.left() + 18) {
                toggle(model, index);
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            toggle(model, index);
            return true;
        } else if (event->type() == QEvent::KeyPress) {
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
                toggle(model, index);
                return true;
            }
        }
        return false;
    }

private:
    static void toggle(QAbstractItemModel *model, const QModelIndex &index)
    {
        const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model->setData(index, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
};

QString fieldText(Table *table, const char *name)
{
    const Field f = table->findField(QLatin1String(name));
    return f.isValid() ? f.asString() : QString();
}

}  // namespace

Tbatchprint::Tbatchprint(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("batchprint"));
    setWindowTitle(QStringLiteral("Batch Print"));
    setFixedSize(519, 387);

    auto *group1 = new QGroupBox(QStringLiteral("Select Cards"), this);
    group1->setObjectName(QStringLiteral("GroupBox1"));
    group1->setGeometry(2, 1, 511, 328);
    QFont arialBold(QStringLiteral("Arial"));
    arialBold.setBold(true);
    group1->setFont(arialBold);

    auto *label1 = new QLabel(QStringLiteral("Use the checkboxes below to select the cards which you require printing "
                                             "within your batch."),
                              group1);
    label1->setObjectName(QStringLiteral("Label1"));
    QFont arial(QStringLiteral("Arial"));
    arial.setBold(false);
    label1->setFont(arial);
    label1->setWordWrap(true);
    label1->setGeometry(16, 16, 481, 30);

    m_list = new QListWidget(group1);
    m_list->setObjectName(QStringLiteral("CheckListBox1"));
    m_list->setGeometry(16, 48, 481, 225);
    m_list->setFont(arial);
    m_list->setItemDelegate(new BatchRowDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);

    auto glyph = [this](QWidget *parent, const char *name, const char *hint, QRect geometry) {
        auto *b = new GlyphButton(parent);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(QLatin1String(hint));
        b->setGeometry(geometry);
        return b;
    };
    // Positions within the group box: the design's window positions less
    // the group's own.
    glyph(group1, "BitBtn2", "Select All Cards", QRect(18 - 2, 284 - 1, 92, 36));
    glyph(group1, "BitBtn3", "Deselect All Cards", QRect(122 - 2, 284 - 1, 92, 36));

    auto *group2 = new QGroupBox(group1);
    group2->setObjectName(QStringLiteral("GroupBox2"));
    group2->setTitle(QStringLiteral("Range"));
    group2->setGeometry(272 - 2, 280 - 1, 225, 41);
    auto *label2 = new QLabel(QStringLiteral("From:"), group2);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(8, 18, 62, 18);
    auto *label3 = new QLabel(QStringLiteral("To:"), group2);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setGeometry(128, 18, 46, 18);
    m_edit1 = new QLineEdit(QStringLiteral("1"), group2);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setGeometry(344 - 272, 296 - 280, 49, 21);
    m_edit2 = new QLineEdit(QStringLiteral("1000"), group2);
    m_edit2->setObjectName(QStringLiteral("Edit2"));
    m_edit2->setGeometry(448 - 272, 296 - 280, 41, 21);

    m_setup = glyph(this, "BitBtn1", "Setup the printer", QRect(98, 340, 92, 36));
    m_printLo = glyph(this, "PrintButton2", "Print card at 150 dpi resolution", QRect(151, 340, 92, 36));
    m_printHi = glyph(this, "PrintButton", "Print card at 300 dpi resolution", QRect(210, 340, 92, 36));
    m_close = glyph(this, "BitBtn4", "Close Batch Print", QRect(322, 340, 92, 36));
    m_printLo->hide();

    connect(findChild<GlyphButton *>(QStringLiteral("BitBtn2")), &QAbstractButton::clicked, this,
            [this] { SelectAll(true); });
    connect(findChild<GlyphButton *>(QStringLiteral("BitBtn3")), &QAbstractButton::clicked, this,
            [this] { SelectAll(false); });
    connect(m_edit1, &QLineEdit::textChanged, this, [this] { ApplyRange(); });
    connect(m_edit2, &QLineEdit::textChanged, this, [this] { ApplyRange(); });
    connect(m_setup, &QAbstractButton::clicked, this, [this] { ShowPrinterSetupDialog(this); });
    connect(m_printHi, &QAbstractButton::clicked, this, [this] { StartBatch(1); });
    connect(m_printLo, &QAbstractButton::clicked, this, [this] { StartBatch(2); });
    connect(m_close, &QAbstractButton::clicked, this, [this] { done(QDialog::Rejected); });
}

void Tbatchprint::PlaceButtons()
{
    const bool mono = m_monochrome && m_monochrome();
    m_setup->move(mono ? 42 : 98, 340);
    m_printLo->move(151, 340);
    m_printLo->setVisible(mono);
    m_printHi->move(mono ? 260 : 210, 340);
    m_close->move(mono ? 370 : 322, 340);
}

void Tbatchprint::BuildList()
{
    PlaceButtons();
    Table *table = m_host.table;
    auto hide = [this] {
        if (m_host.hidePlaceholders)
            m_host.hidePlaceholders();
    };
    int remembered = 0;
    m_list->clear();
    try {
        if (!table || !table->isOpen())
            throw std::runtime_error("no table");
        remembered = table->recNo();
        // The card face stays on its card while the list is read: it would
        // load every card's photos on the way.
        const QSignalBlocker quiet(table);
        table->first();
        hide();
        while (!table->eof()) {
            auto *item = new QListWidgetItem(BatchListItemText(fieldText(table, "card_number"),
                                                               fieldText(table, "department"),
                                                               fieldText(table, "first_name"),
                                                               fieldText(table, "last_name")),
                                             m_list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            item->setCheckState(Qt::Unchecked);
            table->next();
            hide();
        }
        if (remembered > 0)
            table->setRecNo(remembered);
    } catch (...) {
        // The list keeps what it has so far; the card face is still on the
        // remembered card, and so is the table again where it can be.
        try {
            if (remembered > 0)
                table->setRecNo(remembered);
        } catch (...) {
        }
    }
    hide();
}

void Tbatchprint::SelectAll(bool tick)
{
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
}

void Tbatchprint::ApplyRange()
{
    const BatchRange range = ParseBatchRange(m_edit1->text(), m_edit2->text(), m_list->count());
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setCheckState(range.contains(i + 1) ? Qt::Checked : Qt::Unchecked);
}

QList<bool> Tbatchprint::ticks() const
{
    QList<bool> out;
    for (int i = 0; i < m_list->count(); ++i)
        out.append(m_list->item(i)->checkState() == Qt::Checked);
    return out;
}

BatchRunResult Tbatchprint::StartBatch(int resolution)
{
    return RunBatch(m_host, ticks(), resolution);
}

void Tbatchprint::showEvent(QShowEvent *event)
{
    if (m_mainWindow) {
        const QRect main = m_mainWindow();
        move(main.center() - rect().center());
    }
    BuildList();
    QDialog::showEvent(event);
}
