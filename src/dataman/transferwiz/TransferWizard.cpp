#include "dataman/transferwiz/TransferWizard.h"

#include "dataman/odbcsetup/DataSourceDialog.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "lang/Translation.h"
#include "store/CardTable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

using namespace vellora;

// ---------------------------------------------------------------- FieldLabel

FieldLabel::FieldLabel(const QString &name, int tag, TransferWizard *wizard, QWidget *parent)
    : QLabel(name, parent), m_wizard(wizard)
{
    SetTag(this, tag);
    setAutoFillBackground(true);
    setAccessibleName(name);
    setCursor(Qt::OpenHandCursor);
    // The caption is a field's name, not a text of the language file.
    setTextFormat(Qt::PlainText);
}

int FieldLabel::tag() const { return Tag(this); }

void FieldLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_wizard->beginDrag(this, event->globalPosition().toPoint());
    QLabel::mousePressEvent(event);
}

// ------------------------------------------------------------ TransferWizard

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const char *text, const QRect &geometry, bool bold = false,
                  bool wrap = false)
{
    auto *l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | (wrap ? Qt::AlignTop : Qt::AlignVCenter));
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

QPushButton *makeButton(QWidget *parent, const char *name, const char *text, const QRect &geometry)
{
    auto *b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    return b;
}

QListWidget *makeList(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

QScrollArea *makeBox(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *box = new QScrollArea(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setWidgetResizable(false);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *inner = new QWidget;
    inner->resize(geometry.width() - 4, geometry.height() - 4);
    box->setWidget(inner);
    return box;
}

}  // namespace

TransferWizard::TransferWizard(const QString &appFolder, int destinationTag, QWidget *parent)
    : QDialog(parent), m_destinationTag(destinationTag)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setMouseTracking(true);

    Session1 = new Session(this);
    Session1->setSessionName(Session::uniqueSessionName(QStringLiteral("Session1")));
    Table1 = new Table(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->setSession(Session1);
    Table1->setTableName(QString::fromLatin1(kCardTableName));
    Table2 = new Table(this);
    Table2->setObjectName(QStringLiteral("Table2"));
    Table2->setSession(Session1);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TransferWizard::Timer1Timer);
    Timer1->start();

    const QRect pageRect(3, 3, 393, 321);
    auto makePage = [&](const char *name) {
        auto *p = new QWidget(this);
        p->setObjectName(QLatin1String(name));
        p->setProperty("kind", QStringLiteral("panel"));
        p->setGeometry(pageRect);
        p->setMouseTracking(true);
        return p;
    };

    // Page 1: where the data comes from (goes to).
    Panel1 = makePage("Panel1");
    Label5 = makeLabel(Panel1, "Label5", "Select Import Source", {8, 4, 377, 20}, true);
    GroupBox1 = new QGroupBox(QStringLiteral("ODBC DSN"), Panel1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 28, 377, 138);
    Label8 = makeLabel(GroupBox1, "Label8", "Use a ODBC datasource name to map to an existing database. ",
                       {10, 18, 357, 32}, false, true);
    RadioButton1 = new QRadioButton(GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(10, 56, 18, 18);
    RadioButton1->setAutoExclusive(false);
    RadioButton1->setChecked(true);
    aliasnames = makeList(GroupBox1, "aliasnames", {32, 54, 205, 76});
    adddsn = makeButton(GroupBox1, "adddsn", "Add New DSN", {243, 54, 125, 25});
    GroupBox2 = new QGroupBox(QStringLiteral("Built-in Drivers"), Panel1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 172, 377, 145);
    Label9 = makeLabel(GroupBox2, "Label9", "Map to a database file of a specific type listed below. ",
                       {10, 18, 357, 32}, false, true);
    RadioButton2 = new QRadioButton(GroupBox2);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(10, 56, 18, 18);
    RadioButton2->setAutoExclusive(false);
    importtypes = makeList(GroupBox2, "importtypes", {32, 54, 336, 84});
    importtypes->setEnabled(false);
    connect(RadioButton1, &QRadioButton::clicked, this, &TransferWizard::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TransferWizard::RadioButton2Click);
    connect(adddsn, &QPushButton::clicked, this, &TransferWizard::adddsnClick);

    // Page 2: the table.
    Panel2 = makePage("Panel2");
    Label6 = makeLabel(Panel2, "Label6", "Select Table ", {8, 4, 377, 20}, true);
    Label11 = makeLabel(Panel2, "Label11", "Select which database table to use from the selected database.",
                        {8, 28, 377, 32}, false, true);
    tablelist = makeList(Panel2, "tablelist", {8, 64, 377, 250});
    Label11->setBuddy(tablelist);

    // Page 3: the field mapping.
    Panel3 = makePage("Panel3");
    Label7 = makeLabel(Panel3, "Label7", "Field Mappings", {8, 2, 377, 18}, true);
    Label10 = makeLabel(Panel3, "Label10",
                        "Drag and drop fields from the soure table to the destination table to decide which fields "
                        "will be imported and how they will map to the destination data.",
                        {8, 20, 377, 44}, false, true);
    maplist = makeList(Panel3, "maplist", {8, 66, 222, 62});
    maplist->setStyleSheet(QStringLiteral("QListWidget { background: palette(button); }"));
    Button5 = makeButton(Panel3, "Button5", "Remove ", {236, 66, 149, 25});
    pairnames = makeButton(Panel3, "pairnames", "Pair Equal Names", {236, 96, 149, 25});
    Label2 = makeLabel(Panel3, "Label2", "Destination Database", {8, 130, 165, 16});
    ScrollBox1 = makeBox(Panel3, "ScrollBox1", {8, 146, 165, 114});
    Image1 = new QLabel(Panel3);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(180, 190, 28, 28);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_ArrowLeft).pixmap(24, 24));
    Label4 = makeLabel(Panel3, "Label4", "Source Database", {215, 130, 170, 16});
    ScrollBox2 = makeBox(Panel3, "ScrollBox2", {215, 146, 170, 114});
    GroupBox3 = new QGroupBox(QStringLiteral("Import Mode"), Panel3);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(8, 262, 377, 56);
    RadioButton3 = new QRadioButton(QStringLiteral("Append Records"), GroupBox3);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    RadioButton3->setGeometry(10, 16, 160, 18);
    RadioButton3->setAutoExclusive(false);
    RadioButton3->setChecked(true);
    RadioButton4 = new QRadioButton(QStringLiteral("Copy And Replace Records"), GroupBox3);
    RadioButton4->setObjectName(QStringLiteral("RadioButton4"));
    RadioButton4->setGeometry(175, 16, 195, 18);
    RadioButton4->setAutoExclusive(false);
    Label3 = makeLabel(GroupBox3, "Label3", "(This will DELETE all existing records)", {10, 34, 360, 18});
    connect(RadioButton3, &QRadioButton::clicked, this, [this] {
        RadioButton3->setChecked(true);
        RadioButton4->setChecked(false);
    });
    connect(RadioButton4, &QRadioButton::clicked, this, [this] {
        RadioButton4->setChecked(true);
        RadioButton3->setChecked(false);
    });
    connect(Button5, &QPushButton::clicked, this, &TransferWizard::Button5Click);
    connect(pairnames, &QPushButton::clicked, this, &TransferWizard::pairnamesClick);

    // Buttons below the pages.
    Button7 = makeButton(this, "Button7", "Back", {76, 333, 76, 25});
    Button8 = makeButton(this, "Button8", "Next", {156, 333, 76, 25});
    Button9 = makeButton(this, "Button9", "Cancel", {236, 333, 76, 25});
    Button10 = makeButton(this, "Button10", "Finish", {316, 333, 76, 25});
    Button10->setEnabled(false);
    Button8->setDefault(true);
    connect(Button7, &QPushButton::clicked, this, &TransferWizard::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TransferWizard::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &TransferWizard::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TransferWizard::Button10Click);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 337, 64, 17);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    // The pick lists are updated at once as well as by the timer.
    for (QListWidget *list : {aliasnames, importtypes, tablelist, maplist})
        connect(list, &QListWidget::itemSelectionChanged, this, &TransferWizard::Timer1Timer);
    connect(tablelist, &QListWidget::itemDoubleClicked, this, [this] {
        if (Button8->isEnabled())
            Button8Click();
    });

    setAppFolder(appFolder);
    showPage(0);
}

TransferWizard::~TransferWizard()
{
    // The labels point back at the wizard: they go first.
    clearMapping();
}

void TransferWizard::setAppFolder(const QString &folder)
{
    m_appFolder = folder.endsWith(QLatin1Char('/')) || folder.isEmpty() ? folder : folder + QLatin1Char('/');
}

int TransferWizard::page() const
{
    if (Panel3->isVisibleTo(this))
        return 2;
    if (Panel2->isVisibleTo(this))
        return 1;
    return 0;
}

void TransferWizard::showPage(int page)
{
    Panel1->setVisible(page == 0);
    Panel2->setVisible(page == 1);
    Panel3->setVisible(page == 2);
    Timer1Timer();
}

void TransferWizard::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TransferWizard::FormShow()
{
    Table1->close();
    Table1->setDatabaseName(CardTableFolder(m_appFolder));
    // Radio buttons without a caption take their group's.
    RadioButton1->setAccessibleName(GroupBox1->title());
    RadioButton2->setAccessibleName(GroupBox2->title());
    aliasnames->setAccessibleName(GroupBox1->title());
    importtypes->setAccessibleName(GroupBox2->title());
    tablelist->setAccessibleName(Label6->text().trimmed());
    maplist->setAccessibleName(Label7->text());
    ScrollBox1->setAccessibleName(Label2->text());
    ScrollBox2->setAccessibleName(Label4->text());
    Image1->setAccessibleName(QStringLiteral("%1 \u2190 %2").arg(Label2->text(), Label4->text()));
    refillAliases();
    showPage(0);
}

void TransferWizard::refillAliases()
{
    aliasnames->clear();
    aliasnames->addItems(Session1->aliasNames());
}

void TransferWizard::Timer1Timer()
{
    if (m_busy)
        return;
    switch (page()) {
    case 0: {
        Button10->setEnabled(false);
        Button7->setEnabled(false);
        const bool ok = (RadioButton1->isChecked() && aliasnames->currentItem() && aliasnames->currentItem()->isSelected())
                        || (RadioButton2->isChecked() && importtypes->currentItem() && importtypes->currentItem()->isSelected());
        Button8->setEnabled(ok);
        break;
    }
    case 1:
        Button10->setEnabled(false);
        Button7->setEnabled(true);
        Button8->setEnabled(tablelist->currentItem() && tablelist->currentItem()->isSelected());
        break;
    default:
        Button7->setEnabled(true);
        Button8->setEnabled(false);
        Button10->setEnabled(maplist->count() > 0);
        Button5->setEnabled(maplist->currentItem() && maplist->currentItem()->isSelected());
        break;
    }
}

void TransferWizard::RadioButton1Click()
{
    RadioButton1->setChecked(true);
    RadioButton2->setChecked(false);
    aliasnames->setEnabled(true);
    adddsn->setEnabled(true);
    importtypes->setEnabled(false);
    Timer1Timer();
}

void TransferWizard::RadioButton2Click()
{
    RadioButton2->setChecked(true);
    RadioButton1->setChecked(false);
    aliasnames->setEnabled(false);
    adddsn->setEnabled(false);
    importtypes->setEnabled(true);
    Timer1Timer();
}

void TransferWizard::adddsnClick()
{
    if (m_installer)
        m_installer(this);
    else
        ShowDataSourceDialog(this);
    // The session reads the data sources again.
    Session1->restart();
    refillAliases();
}

void TransferWizard::fillTableList(const QString &database, const QString &pattern, bool extensions)
{
    const QStringList names = Session1->tableNames(database, pattern, extensions, false);
    tablelist->clear();
    tablelist->addItems(names);
}

void TransferWizard::Button8Click()
{
    if (m_busy || !Button8->isEnabled())
        return;
    if (page() == 0)
        nextFromPage1();
    else if (page() == 1)
        nextFromPage2();
}

void TransferWizard::Button7Click()
{
    if (m_busy)
        return;
    if (page() == 1)
        showPage(0);
    else if (page() == 2)
        showPage(1);
}

void TransferWizard::Button9Click()
{
    if (!m_busy)
        reject();
}

void TransferWizard::Button10Click()
{
    if (m_busy || page() != 2 || maplist->count() == 0)
        return;
    finish();
}

void TransferWizard::clearMapping()
{
    clearHighlight();
    for (QScrollArea *box : {ScrollBox1, ScrollBox2})
        if (box && box->widget())
            qDeleteAll(box->widget()->findChildren<FieldLabel *>(Qt::FindDirectChildrenOnly));
    if (maplist)
        maplist->clear();
}

void TransferWizard::addLabels(QScrollArea *box, const QStringList &names, const QString &prefix, int firstNumber,
                               int tag, bool fullWidth)
{
    QWidget *inner = box->widget();
    int top = 0;
    int width = box->viewport()->width();
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto *label = new FieldLabel(names[i], tag, this, inner);
        label->setObjectName(prefix + QString::number(firstNumber + i));
        const int h = label->sizeHint().height();
        if (fullWidth)
            label->setGeometry(0, top, box->viewport()->width(), h);
        else
            label->setGeometry(0, top, label->sizeHint().width(), h);
        width = std::max(width, label->width());
        top += h + 2;
        label->show();
    }
    inner->resize(width, std::max(top, box->viewport()->height()));
}

QList<FieldLabel *> TransferWizard::labelsIn(QScrollArea *box) const
{
    return box->widget()->findChildren<FieldLabel *>(Qt::FindDirectChildrenOnly);
}

FieldLabel *TransferWizard::labelNamed(const QString &objectName) const
{
    for (QScrollArea *box : {ScrollBox1, ScrollBox2})
        for (FieldLabel *l : labelsIn(box))
            if (l->objectName() == objectName)
                return l;
    return nullptr;
}

void TransferWizard::highlight(FieldLabel *label)
{
    if (m_highlighted == label)
        return;
    // The label highlighted before takes on the new target's own colours.
    QPalette p = label->palette();
    if (m_highlighted)
        m_highlighted->setPalette(p);
    m_highlighted = label;
    p.setColor(QPalette::Window, p.color(QPalette::Highlight));
    p.setColor(QPalette::WindowText, p.color(QPalette::HighlightedText));
    label->setPalette(p);
}

void TransferWizard::clearHighlight()
{
    if (!m_highlighted)
        return;
    QPalette p = m_highlighted->palette();
    p.setColor(QPalette::Window, palette().color(QPalette::Button));
    p.setColor(QPalette::WindowText, palette().color(QPalette::WindowText));
    m_highlighted->setPalette(p);
    m_highlighted = nullptr;
}

void TransferWizard::dragOver(FieldLabel *dragged, QWidget *under)
{
    auto *target = qobject_cast<FieldLabel *>(under);
    const bool accepted = target && target != dragged && target->isVisible()
                          && ((dragged->tag() == 1 && target->tag() == 2) || (dragged->tag() == 2 && target->tag() == 1));
    if (accepted)
        highlight(target);
    else
        clearHighlight();
}

void TransferWizard::beginDrag(FieldLabel *label, const QPoint &globalPos)
{
    endDrag();
    m_dragSource = label;
    m_pressAt = globalPos;
    m_dragging = false;
    qApp->installEventFilter(this);
}

void TransferWizard::endDrag()
{
    if (m_dragging)
        QApplication::restoreOverrideCursor();
    m_dragging = false;
    m_dragSource = nullptr;
    qApp->removeEventFilter(this);
}

bool TransferWizard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (m_dragSource && (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)) {
        const auto *me = static_cast<QMouseEvent *>(event);
        const QPoint global = me->globalPosition().toPoint();
        QWidget *under = childAt(mapFromGlobal(global));
        if (type == QEvent::MouseMove) {
            if (!m_dragging && (me->buttons() & Qt::LeftButton)
                && (global - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
                m_dragging = true;
                QApplication::setOverrideCursor(Qt::ClosedHandCursor);
            }
            if (m_dragging)
                dragOver(m_dragSource, under);
        } else if (me->button() == Qt::LeftButton) {
            QPointer<FieldLabel> source = m_dragSource;
            const bool dropped = m_dragging;
            endDrag();
            clearHighlight();
            if (dropped)
                if (auto *target = qobject_cast<FieldLabel *>(under))
                    pairLabels(source, target);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TransferWizard::mouseMoveEvent(QMouseEvent *event)
{
    // Moves that labels pass on reach here too; while dragging, dragOver()
    // decides.
    if (!m_dragging)
        clearHighlight();
    QDialog::mouseMoveEvent(event);
}

void TransferWizard::pairLabels(FieldLabel *dragged, FieldLabel *target)
{
    if (!dragged || !target || dragged == target || !target->isVisible() || !dragged->isVisible())
        return;
    if (!((dragged->tag() == 1 && target->tag() == 2) || (dragged->tag() == 2 && target->tag() == 1)))
        return;
    FieldLabel *dest = dragged->tag() == m_destinationTag ? dragged : target;
    FieldLabel *src = dest == dragged ? target : dragged;
    dest->hide();
    maplist->addItem(dest->text() + QLatin1Char('=') + src->text());
    Timer1Timer();
}

void TransferWizard::Button5Click()
{
    QListWidgetItem *item = maplist->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString entry = item->text();
    const QString name = entry.left(entry.indexOf(QLatin1Char('=')));
    delete maplist->takeItem(maplist->row(item));
    for (FieldLabel *l : labelsIn(ScrollBox1))
        if (l->text() == name)
            l->show();
    Timer1Timer();
}

void TransferWizard::pairnamesClick()
{
    for (FieldLabel *dest : labelsIn(ScrollBox1)) {
        if (dest->isHidden())
            continue;
        for (FieldLabel *src : labelsIn(ScrollBox2))
            if (src->text().compare(dest->text(), Qt::CaseInsensitive) == 0) {
                pairLabels(src, dest);
                break;
            }
    }
}

transfer::MoveResult TransferWizard::moveMapped(Table &from, Table &to)
{
    QStringList mapping;
    for (int i = 0; i < maplist->count(); ++i)
        mapping.append(maplist->item(i)->text());
    const bool replace = !RadioButton3->isChecked();
    transfer::MoveResult result;
    Table1->close();
    Table2->close();
    runBusy([&](const transfer::Progress &progress) {
        result = transfer::MoveRecords(from, to, mapping, replace, progress);
    });
    Table1->close();
    Table2->close();
    return result;
}

void TransferWizard::runBusy(const std::function<void(const transfer::Progress &)> &work)
{
    m_busy = true;
    const QList<QWidget *> controls{Panel1, Panel2, Panel3, Button7, Button8, Button9, Button10};
    QList<bool> enabled;
    for (QWidget *w : controls) {
        enabled.append(w->isEnabled());
        w->setEnabled(false);
    }
    QElapsedTimer clock, pumped;
    clock.start();
    pumped.start();
    auto restore = [&] {
        for (qsizetype i = 0; i < controls.size(); ++i)
            controls[i]->setEnabled(enabled[i]);
        ProgressBar1->hide();
        m_busy = false;
    };
    const transfer::Progress progress = [&](int done, int total) {
        if (pumped.elapsed() < 50)
            return;
        if (clock.elapsed() >= 1000 && !ProgressBar1->isVisible())
            ProgressBar1->show();
        if (ProgressBar1->isVisible()) {
            ProgressBar1->setRange(0, std::max(total, 0));
            ProgressBar1->setValue(std::min(done, std::max(total, 0)));
        }
        QCoreApplication::processEvents();
        pumped.restart();
    };
    try {
        work(progress);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TransferWizard::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TransferWizard::done(int result)
{
    if (m_busy)
        return;
    cleanUp();
    QDialog::done(result);
}

void TransferWizard::cleanUp()
{
    clearHighlight();
    Table1->close();
    Table2->close();
}
