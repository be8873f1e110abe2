#include "dataman/restructure/TRestructureform.h"

#include "dataman/dataview/ExRxDBGrid.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/util/FileLookup.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"
#include "store/CardTable.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalBlocker>

using namespace vellora;

TRestructureform::TRestructureform(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Restructureform"));
    setWindowTitle(QStringLiteral("Restructure Table"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFixedSize(235, 357);

    Table1 = new Table(this);
    Table1->setObjectName(QStringLiteral("Table1"));

    auto label = [](QWidget *parent, const char *name, const char *text, int x, int y, int w) {
        auto *l = new QLabel(QString::fromLatin1(text), parent);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, w, 17);
        return l;
    };
    auto button = [this](const char *name, const char *text, int x, int y, int w) {
        auto *b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, w, 25);
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    Label5 = label(this, "Label5", "Fields", 8, 6, 120);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    // Field names are data, not texts of the language.
    SetTag(ListBox1, kKeepCaptionTag);
    ListBox1->setGeometry(8, 24, 219, 153);
    Label5->setBuddy(ListBox1);
    Button1 = button("Button1", "Add", 8, 182, 105);
    Button2 = button("Button2", "Delete", 122, 182, 105);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setGeometry(8, 214, 219, 104);
    Label4 = label(Panel1, "Label4", "Field Properties", 8, 4, 203);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Label1 = label(Panel1, "Label1", "Field Name:", 6, 28, 76);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(84, 26, 127, 21);
    Label2 = label(Panel1, "Label2", "Type:", 6, 53, 76);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    // Type names count only as typed, letter case included: no completion.
    ComboBox1->setCompleter(nullptr);
    ComboBox1->addItems(TypeNames());
    // The type names are the engine's, typed as they stand.
    SetTag(ComboBox1, kKeepCaptionTag);
    ComboBox1->setGeometry(84, 51, 127, 21);
    Label3 = label(Panel1, "Label3", "Size:", 6, 78, 76);
    Edit2 = new QLineEdit(Panel1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(84, 76, 60, 21);
    // Each box is named by its label (its buddy) for assistive technology.
    Label1->setBuddy(Edit1);
    Label2->setBuddy(ComboBox1);
    Label3->setBuddy(Edit2);

    Button3 = button("Button3", "Save/Reindex", 8, 326, 105);
    Button4 = button("Button4", "Cancel", 122, 326, 105);

    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
    connect(Button1, &QPushButton::clicked, this, [this] { RunReportingErrors([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { RunReportingErrors([this] { Button2Click(); }); });
    connect(Edit1, &QLineEdit::editingFinished, this, &TRestructureform::Edit1Exit);
    connect(Edit2, &QLineEdit::editingFinished, this, &TRestructureform::Edit2Exit);
    // The combo box matches typed text to an entry without regard to case
    // when the box is left; what the operator typed is kept apart.
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        m_typedType = text;
        m_typing = true;
    });
    connect(ComboBox1->lineEdit(), &QLineEdit::editingFinished, this, &TRestructureform::ComboBox1Exit);
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        if (m_typing && ComboBox1->itemText(index) != m_typedType)
            return;   // the box's own matching of typed text
        m_typing = false;
        m_typedType = ComboBox1->itemText(index);
        m_typing = true;
        ComboBox1Exit();
    });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    showSelected();
}

TRestructureform::~TRestructureform() = default;

QStringList TRestructureform::TypeNames()
{
    return {QStringLiteral("String"),     QStringLiteral("Integer"),   QStringLiteral("Word"),
            QStringLiteral("Boolean"),    QStringLiteral("Float"),     QStringLiteral("Currency"),
            QStringLiteral("BCD"),        QStringLiteral("Date"),      QStringLiteral("Time"),
            QStringLiteral("DateTime"),   QStringLiteral("Bytes"),     QStringLiteral("VarBytes"),
            QStringLiteral("AutoInc"),    QStringLiteral("Blob"),      QStringLiteral("Memo"),
            QStringLiteral("Graphic"),    QStringLiteral("FmtMemo"),   QStringLiteral("ParadoxOle"),
            QStringLiteral("DBaseOle"),   QStringLiteral("TypedBinary"), QStringLiteral("Cursor"),
            QStringLiteral("FixedChar"),  QStringLiteral("WideString"), QStringLiteral("LargeInt"),
            QStringLiteral("ADT"),        QStringLiteral("Array"),     QStringLiteral("Reference"),
            QStringLiteral("DataSet"),    QStringLiteral("OraBlob"),   QStringLiteral("OraClob"),
            QStringLiteral("Variant"),    QStringLiteral("Interface"), QStringLiteral("IDispatch"),
            QStringLiteral("Guid")};
}

bool TRestructureform::openExclusive()
{
    Table1->close();
    Table1->setDatabaseName(CardTableFolder(m_appFolder));
    Table1->setTableName(QString::fromLatin1(kCardTableName));
    Table1->setExclusive(true);
    const QString path = ResolveCaseInsensitive(CardTableFolder(m_appFolder), QString::fromLatin1(kCardTableName));
    if (!QFileInfo(path).isFile()) {
        Table1->open();   // throws the engine's error naming the missing table
        return false;
    }
    try {
        Table1->open();
    } catch (const EngineError &) {
        // Held by another program (or another window of this one).
        return false;
    }
    return true;
}

bool TRestructureform::FormShow()
{
    ListBox1->clear();
    m_fields.clear();
    if (!openExclusive()) {
        LocalMessageDlg(Literal(29), MsgKind::Warning, MsgButton::OK);
        return false;
    }
    m_fields = CurrentCardStructure(Table1->fieldDefs());
    fillList(0);
    if (m_mainWindow) {
        const QRect r = m_mainWindow->frameGeometry();
        move(r.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    return true;
}

int TRestructureform::ShowDialog()
{
    if (!FormShow())
        return QDialog::Rejected;
    return exec();
}

void TRestructureform::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ListBox1->setFocus();
}

void TRestructureform::keyPressEvent(QKeyEvent *event)
{
    // Return finishes the box being edited, never saves.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

int TRestructureform::selectedField() const { return ListBox1->currentRow(); }

void TRestructureform::selectField(int index) { ListBox1->setCurrentRow(index); }

void TRestructureform::fillList(int select)
{
    {
        const QSignalBlocker block(ListBox1);
        ListBox1->clear();
        for (const RestructureField &f : m_fields)
            ListBox1->addItem(f.def.name);
        if (select >= 0 && select < ListBox1->count())
            ListBox1->setCurrentRow(select);
    }
    showSelected();
}

void TRestructureform::showSelected()
{
    const int i = selectedField();
    const bool editable = i >= kStandardFieldCount && i < m_fields.size();
    for (QWidget *w : {static_cast<QWidget *>(Edit1), static_cast<QWidget *>(Edit2),
                       static_cast<QWidget *>(ComboBox1), static_cast<QWidget *>(Button2)})
        w->setEnabled(editable);
    if (i < 0 || i >= m_fields.size()) {
        Edit1->clear();
        Edit2->clear();
        ComboBox1->setEditText(QString());
        return;
    }
    const FieldDef &d = m_fields[i].def;
    m_typing = false;
    Edit1->setText(d.name);
    ComboBox1->setEditText(fieldTypeName(d.type));
    Edit2->setText(QString::number(d.size));
}

void TRestructureform::Button1Click()
{
    if (m_fields.size() >= kMaxCardFields) {
        LocalMessageDlg(Literal(27), MsgKind::Warning, MsgButton::OK);
        return;
    }
    // A number below 32000 that no field has yet.
    QString name;
    do {
        name = QStringLiteral("newfield") + QString::number(QRandomGenerator::global()->bounded(32000));
    } while (std::any_of(m_fields.cbegin(), m_fields.cend(), [&name](const RestructureField &f) {
        return f.def.name.compare(name, Qt::CaseInsensitive) == 0;
    }));
    m_fields.append({FieldDef{name, FieldType::String, 20}, -1});
    fillList(int(m_fields.size()) - 1);
}

void TRestructureform::Button2Click()
{
    const int i = selectedField();
    if (i < kStandardFieldCount || i >= m_fields.size())
        return;
    if (LocalMessageDlg(Literal(28), MsgKind::Warning, MsgButton::OK | MsgButton::Cancel) != MrOk)
        return;
    m_fields.removeAt(i);
    fillList(1);
}

void TRestructureform::Edit1Exit()
{
    const int i = selectedField();
    if (i < kStandardFieldCount || i >= m_fields.size())
        return;
    if (Edit1->text() != m_fields[i].def.name) {
        m_fields[i].def.name = Edit1->text();
        fillList(i);
    }
}

void TRestructureform::Edit2Exit()
{
    const int i = selectedField();
    if (i < kStandardFieldCount || i >= m_fields.size())
        return;
    bool ok = false;
    const int size = Edit2->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        Edit2->setText(QString::number(m_fields[i].def.size));
        return;
    }
    if (size != m_fields[i].def.size) {
        m_fields[i].def.size = size;
        fillList(i);
    }
}

void TRestructureform::ComboBox1Exit()
{
    const int i = selectedField();
    if (i < kStandardFieldCount || i >= m_fields.size())
        return;
    if (!m_typing)
        return;
    m_typing = false;
    const QString text = m_typedType;
    const std::optional<FieldType> type = fieldTypeFromName(text);
    if (type && (TypeNames().contains(text) || text == QLatin1String("Unknown") || text == QLatin1String("Smallint")) &&
        *type != m_fields[i].def.type) {
        m_fields[i].def.type = *type;
        m_fields[i].def.size = DefaultFieldSize(*type);
        fillList(i);
        return;
    }
    showSelected();   // the box shows the field's type again
}

bool TRestructureform::Button3Click()
{
    // What is typed into a box counts even when Save is pressed at once.
    Edit1Exit();
    Edit2Exit();
    ComboBox1Exit();
    const bool ok = RunReportingErrors([this] {
        CheckCardStructure(m_fields);
        Table1->close();
        QApplication::setOverrideCursor(Qt::BusyCursor);
        try {
            RestructureCardTable(m_appFolder, m_fields);
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
    });
    if (!ok) {
        // The card table is as it was: hold it again for the next attempt.
        if (!Table1->isOpen())
            RunReportingErrors([this] {
                if (!openExclusive())
                    LocalMessageDlg(Literal(29), MsgKind::Warning, MsgButton::OK);
            });
        return false;
    }
    done(QDialog::Accepted);
    return true;
}

void TRestructureform::done(int result)
{
    Table1->close();
    Table1->setExclusive(true);
    QDialog::done(result);
}
