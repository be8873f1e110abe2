#include "dataman/find/TForm3.h"

#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/OverrideCursor.h"
#include "store/DataSource.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

using namespace vellora;

namespace {

// Disables a window for the length of a search; restores what it was.
class DisabledWindow {
public:
    explicit DisabledWindow(QWidget *window) : m_window(window)
    {
        if (m_window && m_window->isEnabled()) {
            m_window->setEnabled(false);
            m_restore = true;
        }
    }
    ~DisabledWindow()
    {
        if (m_window && m_restore)
            m_window->setEnabled(true);
    }
    DisabledWindow(const DisabledWindow &) = delete;
    DisabledWindow &operator=(const DisabledWindow &) = delete;

private:
    QPointer<QWidget> m_window;
    bool m_restore = false;
};

}  // namespace

TForm3::TForm3(Table *table, QWidget *cardPanel, QWidget *parent)
    : QDialog(parent), m_table(table), m_cardPanel(cardPanel)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Find"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    setFixedSize(421, 99);

    auto label = [this](const char *name, const char *text, int x, int y) {
        auto *l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, 70, 21);
        return l;
    };
    auto combo = [this](const char *name, int x, int y) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(false);
        c->setGeometry(x, y, 240, 22);
        return c;
    };
    Label1 = label("Label1", "Find What:", 8, 8);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(82, 8, 240, 22);
    Label2 = label("Label2", "Look In:", 8, 38);
    ComboBox1 = combo("ComboBox1", 82, 38);
    Label3 = label("Label3", "Match", 8, 68);
    ComboBox2 = combo("ComboBox2", 82, 68);
    ComboBox2->addItems({QStringLiteral("Any Part Of Field"), QStringLiteral("Whole Field"),
                         QStringLiteral("Start Of Field")});
    ComboBox2->setCurrentIndex(int(FindMatch::WholeField));
    Label1->setBuddy(Edit1);
    Label2->setBuddy(ComboBox1);
    Label3->setBuddy(ComboBox2);

    Button1 = new QPushButton(QStringLiteral("Find"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(334, 8, 79, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(334, 38, 79, 25);
    // Errors (a "Look In:" entry naming no field) reach the application's
    // error report through the event loop.
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
}

void TForm3::setTable(Table *table) { m_table = table; }

void TForm3::setCardPanel(QWidget *panel) { m_cardPanel = panel; }

void TForm3::fitLabelColumn()
{
    // The labels' column as wide as the widest label of the current
    // language; the boxes take the rest up to the buttons.
    int widest = 70;
    for (const QLabel *l : {Label1, Label2, Label3})
        widest = qMax(widest, l->fontMetrics().horizontalAdvance(l->text()) + 4);
    widest = qMin(widest, 160);
    for (QLabel *l : {Label1, Label2, Label3})
        l->setGeometry(8, l->y(), widest, l->height());
    const int left = 8 + widest + 4;
    const int right = Button1->x() - 12;
    for (QWidget *box : std::initializer_list<QWidget *>{Edit1, ComboBox1, ComboBox2})
        box->setGeometry(left, box->y(), right - left, box->height());
}

void TForm3::showEvent(QShowEvent *event)
{
    fitLabelColumn();
    QDialog::showEvent(event);
    if (!event->spontaneous() && !m_searching)
        FormShow();
}

void TForm3::FormShow()
{
    m_stop = true;
    ComboBox1->clear();
    ComboBox1->addItem(FieldCaption(QStringLiteral("AllFields")));
    if (m_table && m_table->isOpen()) {
        for (const QString &name : m_table->fieldNames()) {
            const QString caption = FieldCaption(name);
            ComboBox1->addItem(caption.isEmpty() ? name : caption);
        }
    }
    ComboBox1->setCurrentIndex(0);
    Edit1->clear();
}

QString TForm3::FieldNameForEntry(const QString &entry)
{
    QString name = entry;
    for (const QString &line : FieldCaptions()) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && line.mid(eq + 1) == entry)
            name = line.left(eq);
    }
    return name;
}

bool TForm3::RecordMatches(Table &table, int fieldIndex, const FindText &text)
{
    if (fieldIndex >= 0)
        return text.matches(table.field(fieldIndex).asString());
    const int count = table.fieldCount();
    for (int i = 0; i < count; ++i) {
        if (text.matches(table.field(i).asString()))
            return true;
    }
    return false;
}

void TForm3::Button1Click()
{
    if (m_searching || !m_table || !m_table->isOpen())
        return;
    Table &table = *m_table;
    const FindText text(Edit1->text(), FindMatch(qBound(0, ComboBox2->currentIndex(), 2)));
    QString chosenField;
    int fieldIndex = -1;
    if (ComboBox1->currentIndex() > 0) {
        chosenField = FieldNameForEntry(ComboBox1->currentText());
        fieldIndex = table.fieldByName(chosenField).index();   // throws for an unknown field
    }

    const int origin = table.recNo();
    int start = origin;
    bool haveStart = true;
    m_stop = false;
    m_searching = true;
    int finalRecNo = origin;
    bool matched = false;
    {
        const OverrideCursor busy(Qt::BusyCursor);
        // The main window is left alone while its table moves underneath it;
        // the card face follows once, at the end, instead of at every record.
        const DisabledWindow mainWindow(m_cardPanel ? m_cardPanel->window() : nullptr);
        QSignalBlocker quiet(&table);
        auto backToOrigin = [&] {
            if (table.isOpen() && table.recNo() != origin && origin > 0)
                table.setRecNo(origin);
        };
        try {
            bool atEnd = false;
            if (table.eof()) {
                haveStart = false;
                atEnd = true;
            } else if (table.recordCount() == table.recNo()) {
                haveStart = false;
            } else {
                table.next();
            }
            bool stoppedAtEnd = false;
            while (!m_stop) {
                if (atEnd || table.eof()) {
                    atEnd = false;
                    if (LocalMessageDlg(Literal(62), MsgKind::Information, MsgButton::OK | MsgButton::Cancel) == MrOk) {
                        table.first();
                        continue;
                    }
                    stoppedAtEnd = true;
                    break;
                }
                if (RecordMatches(table, fieldIndex, text)) {
                    matched = true;
                    m_stop = true;
                    break;
                }
                table.next();
                QCoreApplication::processEvents();
                if (!table.isOpen())
                    break;
            }
            if (matched)
                finalRecNo = table.recNo();
            else if (stoppedAtEnd || m_stop)
                finalRecNo = haveStart ? start : table.recNo();
            backToOrigin();
        } catch (...) {
            backToOrigin();
            m_searching = false;
            throw;
        }
    }
    // Signals flow again: the card face follows the move to the result.
    if (table.isOpen() && finalRecNo != table.recNo() && finalRecNo > 0)
        table.setRecNo(finalRecNo);
    m_searching = false;
    if (m_stop)
        markResult(chosenField, text);
}

void TForm3::markResult(const QString &chosenField, const FindText &text)
{
    if (!m_cardPanel)
        return;
    for (DBMemo *item : m_cardPanel->findChildren<DBMemo *>()) {
        const bool mark = chosenField.isEmpty() ? text.matches(item->toPlainText())
                                                : item->dataField().compare(chosenField, Qt::CaseInsensitive) == 0;
        if (mark)
            item->selectAll();
    }
}

void TForm3::Button2Click()
{
    m_stop = true;
    hide();
}

void TForm3::reject() { Button2Click(); }
