#include "dataman/dataview/Tdataview.h"

#include "dataman/dataview/DBNavigator.h"
#include "dataman/dataview/ExRxDBGrid.h"
#include "dataman/dataview/TablePrint.h"
#include "devices/print/PrinterRegistry.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"
#include "engine/EngineError.h"
#include "lang/CommonDialogs.h"
#include "store/CardTable.h"
#include "store/Photos.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QPdfWriter>
#include <QPrinter>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QScreen>
#include <QTextStream>

using namespace vellora;

namespace {

QAction *addItem(QMenu *menu, const char *name, const char *caption)
{
    auto *a = new QAction(QString::fromUtf8(caption), menu);
    a->setObjectName(QLatin1String(name));
    menu->addAction(a);
    return a;
}

QAction *addSeparator(QMenu *menu, const char *name)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

QAction *addToggle(QMenu *menu, const char *name, const char *caption, bool on)
{
    QAction *a = addItem(menu, name, caption);
    a->setCheckable(true);
    a->setChecked(on);
    return a;
}

class WaitCursorScope {
public:
    WaitCursorScope() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursorScope() { QApplication::restoreOverrideCursor(); }
    WaitCursorScope(const WaitCursorScope &) = delete;
    WaitCursorScope &operator=(const WaitCursorScope &) = delete;
};

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')) && text.trimmed() == text)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

Tdataview::Tdataview(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dataview"));
    setWindowTitle(QStringLiteral("Database View"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    setModal(true);

    Table1 = new Table(this);
    Table1->setObjectName(QStringLiteral("Table1"));

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    File1 = new QMenu(QStringLiteral("File"), this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setTitle(QStringLiteral("File"));
    MainMenu1->addMenu(File1);
    EditTableFormat1 = addItem(File1, "EditTableFormat1", "Edit Table Format");
    ImportData1 = addItem(File1, "ImportData1", "Import Data");
    ExportData1 = addItem(File1, "ExportData1", "Export Data");
    N1 = addSeparator(File1, "N1");
    SaveBackupCopy1 = addItem(File1, "SaveBackupCopy1", "Save Backup Copy");
    LoadBackupData1 = addItem(File1, "LoadBackupData1", "Load Backup Data");
    Print1 = addItem(File1, "Print1", "Print");
    N2 = addSeparator(File1, "N2");
    Exit1 = addItem(File1, "Exit1", "Exit");

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    DBNavigator1 = new DBNavigator(m_client);
    DBNavigator1->setGeometry(80, 0, 402, 18);
    ExRxDBGrid1 = new TExRxDBGrid(m_client);
    ExRxDBGrid1->setGeometry(8, 24, 533, 297);
    ExRxDBGrid1->gridModel()->setTable(Table1);
    DBNavigator1->setGrid(ExRxDBGrid1);
    ExRxDBGrid1->setDeletedHook([this](const QStringList &numbers) { removePhotos(numbers); });
    setFocusProxy(ExRxDBGrid1);

    connect(EditTableFormat1, &QAction::triggered, this, [this] {
        if (m_restructure)
            RunTableTool(m_restructure);
    });
    connect(ImportData1, &QAction::triggered, this, [this] {
        if (m_import)
            RunTableTool(m_import);
    });
    connect(ExportData1, &QAction::triggered, this, [this] {
        if (m_export)
            RunTableTool(m_export);
    });
    connect(SaveBackupCopy1, &QAction::triggered, this, [this] {
        if (m_saveBackup)
            RunBackupCommand(m_saveBackup);
    });
    connect(LoadBackupData1, &QAction::triggered, this, [this] {
        if (m_loadBackup)
            RunBackupCommand(m_loadBackup);
    });
    connect(Print1, &QAction::triggered, this, [this] { RunReportingErrors([this] { PrintTable(); }); });
    connect(Exit1, &QAction::triggered, this, [this] { done(QDialog::Accepted); });
    for (QAction *a : {EditTableFormat1, ImportData1, ExportData1, SaveBackupCopy1, LoadBackupData1})
        a->setEnabled(false);

    buildGridMenu();
    resize(561, 393);
}

Tdataview::~Tdataview() = default;

void Tdataview::setImportWizard(std::function<void()> showModal)
{
    m_import = std::move(showModal);
    ImportData1->setEnabled(bool(m_import));
}

void Tdataview::setRestructureDialog(std::function<void()> showModal)
{
    m_restructure = std::move(showModal);
    EditTableFormat1->setEnabled(bool(m_restructure));
}

void Tdataview::setExportWizard(std::function<void()> showModal)
{
    m_export = std::move(showModal);
    ExportData1->setEnabled(bool(m_export));
}

void Tdataview::setBackupCommands(std::function<void()> save, std::function<void()> load,
                                  std::function<void()> closeMainTable)
{
    m_saveBackup = std::move(save);
    m_loadBackup = std::move(load);
    m_closeMainTable = std::move(closeMainTable);
    SaveBackupCopy1->setEnabled(bool(m_saveBackup));
    LoadBackupData1->setEnabled(bool(m_loadBackup));
}

void Tdataview::buildGridMenu()
{
    GridMenu = new QMenu(this);
    GridMenu->setObjectName(QStringLiteral("GridMenu"));
    TExRxDBGrid *g = ExRxDBGrid1;
    TableGridModel *m = g->gridModel();
    QMenu *menu = GridMenu;
    connect(addItem(menu, "AutoWidth1", "Auto Width"), &QAction::triggered, g, &TExRxDBGrid::autoWidth);
    menu->addSeparator();
    connect(addToggle(menu, "DisplayBoolean1", "Display Boolean", m->displayBoolean()), &QAction::toggled, m,
            &TableGridModel::setDisplayBoolean);
    connect(addToggle(menu, "ShowTextEllipsis1", "Show Text Ellipsis", g->showTextEllipsis()), &QAction::toggled, g,
            &TExRxDBGrid::setShowTextEllipsis);
    connect(addToggle(menu, "ShowTitleEllipsis1", "Show Title Ellipsis", false), &QAction::toggled, g,
            [g](bool on) {
                g->horizontalHeader()->setTextElideMode(on ? Qt::ElideRight : Qt::ElideNone);
                g->horizontalHeader()->viewport()->update();
            });
    connect(addToggle(menu, "AllowRowSizing1", "Allow Row Sizing", false), &QAction::toggled, g, [g](bool on) {
        g->verticalHeader()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
        if (!on)
            g->verticalHeader()->resetDefaultSectionSize(), g->verticalHeader()->setDefaultSectionSize(17);
    });
    connect(addToggle(menu, "CellHints1", "Cell Hints", g->cellHints()), &QAction::toggled, g,
            &TExRxDBGrid::setCellHints);
    connect(addToggle(menu, "MultiLineTitles1", "Multi Line Titles", g->multiLineTitles()), &QAction::toggled, g,
            &TExRxDBGrid::setMultiLineTitles);
    connect(addToggle(menu, "UseRowColors1", "Use Row Colors", m->useRowColors()), &QAction::toggled, m,
            &TableGridModel::setUseRowColors);
    QAction *fixed = addToggle(menu, "FixedColumns1", "Fixed Columns", false);
    connect(fixed, &QAction::toggled, g, [g](bool on) {
        // The columns up to the current one stay at the left edge.
        const int upTo = g->currentIndex().isValid() ? g->horizontalHeader()->visualIndex(g->currentIndex().column())
                                                     : 0;
        g->setFixedColumns(on ? upTo + 1 : 0);
    });
    menu->addSeparator();
    connect(addItem(menu, "PrintGrid1", "Print Grid"), &QAction::triggered, this,
            [this] { RunReportingErrors([this] { PrintTable(); }); });
    connect(addItem(menu, "ExportGrid1", "Export Grid"), &QAction::triggered, this,
            [this] { RunReportingErrors([this] { exportGrid(); }); });
    menu->addSeparator();
    connect(addItem(menu, "SelectAll1", "Select All"), &QAction::triggered, g, &TExRxDBGrid::selectAllRows);
    connect(addItem(menu, "UnselectAll1", "Unselect All"), &QAction::triggered, g, &TExRxDBGrid::unselectAllRows);
    menu->addSeparator();
    QAction *sort = addToggle(menu, "SortByForm1", "Sort By Form", false);
    connect(sort, &QAction::toggled, this, [this, g, m](bool on) {
        if (!on) {
            m->clearSort();
            g->horizontalHeader()->setSortIndicatorShown(false);
            return;
        }
        if (!g->postEdit()) {
            return;
        }
        const int column = g->currentIndex().isValid() ? g->currentIndex().column() : 0;
        g->horizontalHeader()->setSortIndicatorShown(true);
        g->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
        if (!m->sorted())
            m->sortByColumn(column, Qt::AscendingOrder);
        g->moveToRow(0);
    });
    // While sorted, a click on a column title sorts by it (again: the other
    // way); the title shows the order.
    connect(g->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [g, m, sort](int column, Qt::SortOrder order) {
        if (!sort->isChecked() || (m->sorted() && m->sortColumn() == column && m->sortOrder() == order))
            return;
        if (!g->postEdit())
            return;
        m->sortByColumn(column, order);
        g->moveToRow(0);
    });
    connect(addToggle(menu, "SearchMode1", "Search Mode", false), &QAction::toggled, g, &TExRxDBGrid::setSearchMode);
    menu->addSeparator();
    connect(addItem(menu, "SaveLayout1", "Save Layout"), &QAction::triggered, this,
            [this] { RunReportingErrors([this] { saveLayout(); }); });
    connect(addItem(menu, "LoadLayout1", "Load Layout"), &QAction::triggered, this,
            [this] { RunReportingErrors([this] { loadLayout(); }); });
    g->setContextMenu(GridMenu);
    connect(g->gridModel(), &QAbstractItemModel::modelReset, this, [sort, m] {
        if (!m->sorted() && sort->isChecked()) {
            const QSignalBlocker block(sort);
            sort->setChecked(false);
        }
    });
}

void Tdataview::OpenTable()
{
    Table1->close();
    Table1->setDatabaseName(CardTableFolder(m_appFolder));
    Table1->setTableName(QString::fromLatin1(kCardTableName));
    Table1->setCachedUpdates(false);
    Table1->setExclusive(false);
    Table1->open();
}

void Tdataview::FormShow()
{
    OpenTable();
    try {
        ExRxDBGrid1->fitColumns();
    } catch (const EngineError &) {
        Table1->close();
        OpenTable();
    }
    if (ExRxDBGrid1->gridModel()->rowCount() > 0)
        ExRxDBGrid1->moveToRow(0);
    PlaceOverMainWindow();
    ExRxDBGrid1->setFocus();
}

void Tdataview::PlaceOverMainWindow()
{
    if (m_mainWindow) {
        const QRect frame = m_mainWindow->frameGeometry();
        const QRect client = m_mainWindow->geometry();
        const int left = frame.x();
        const int top = client.y();
        const int width = frame.width();
        const int height = frame.height() - (client.y() - frame.y());
        // Our own frame is added around the size given.
        // Our own frame is as wide as the main window's until we know it.
        const QWidget *framed = isVisible() ? static_cast<QWidget *>(this) : m_mainWindow;
        const int extraW = framed->frameGeometry().width() - framed->geometry().width();
        const int extraH = framed->frameGeometry().height() - framed->geometry().height();
        resize(std::max(200, width - extraW), std::max(150, height - extraH));
        move(left, top);
    }
    layoutClient();
}

int Tdataview::ShowView()
{
    FormShow();
    return exec();
}

void Tdataview::layoutClient()
{
    const int menuHeight = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, width(), menuHeight);
    m_client->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
    const int w = m_client->width();
    const int h = m_client->height();
    ExRxDBGrid1->setGeometry(8, 24, std::max(0, w - 20), std::max(0, h - 72));
    DBNavigator1->move((width() - DBNavigator1->width()) / 2, 0);
}

void Tdataview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    layoutClient();
}

void Tdataview::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        if (m_help)
            RunReportingErrors(m_help);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        // Escape belongs to the grid (cancelling an edit), not to closing.
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Tdataview::CloseTable()
{
    if (Table1->isOpen() && !ExRxDBGrid1->postEdit())
        return false;
    Table1->close();
    return true;
}

void Tdataview::done(int result)
{
    // A row in edit is stored before the table closes; when the engine
    // refuses it, the view stays open with the row in edit.
    if (!CloseTable())
        return;
    QDialog::done(result);
}

void Tdataview::RunTableTool(const std::function<void()> &tool)
{
    if (!CloseTable())
        return;
    const bool ok = RunReportingErrors(tool);
    (void)ok;
    RunReportingErrors([this] {
        OpenTable();
        ExRxDBGrid1->fitColumns();
        if (ExRxDBGrid1->gridModel()->rowCount() > 0)
            ExRxDBGrid1->moveToRow(0);
    });
}

void Tdataview::RunBackupCommand(const std::function<void()> &command)
{
    if (!CloseTable())
        return;
    RunReportingErrors(command);
    RunReportingErrors([this] {
        OpenTable();
        if (ExRxDBGrid1->gridModel()->rowCount() > 0)
            ExRxDBGrid1->moveToRow(0);
    });
    // The command reopened the main window's card table; the view keeps it
    // closed while shown.
    if (m_closeMainTable)
        m_closeMainTable();
}

void Tdataview::removePhotos(const QStringList &cardNumbers)
{
    if (m_appFolder.isEmpty())
        return;
    for (const QString &number : cardNumbers) {
        if (number.trimmed().isEmpty())
            continue;
        for (PhotoSlot slot : {PhotoSlot::First, PhotoSlot::Second}) {
            QFile::remove(PhotoPath(m_appFolder, number, PhotoSuffix(slot)));
            QFile::remove(PhotoBitmapPath(m_appFolder, number, PhotoSuffix(slot)));
        }
    }
}

void Tdataview::exportGrid()
{
    const std::optional<QString> file =
        SaveFileDialog(this, GridMenu->findChild<QAction *>(QStringLiteral("ExportGrid1"))->text(), QString(), QStringLiteral("Comma separated files (*.csv);;Any file (*)"));
    if (!file || file->isEmpty())
        return;
    if (!ExRxDBGrid1->postEdit())
        return;
    TableGridModel *m = ExRxDBGrid1->gridModel();
    QHeaderView *h = ExRxDBGrid1->horizontalHeader();
    QList<int> columns;
    for (int v = 0; v < h->count(); ++v)
        if (!h->isSectionHidden(h->logicalIndex(v)))
            columns.append(h->logicalIndex(v));
    QSaveFile out(*file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
        throw OperatorError(QStringLiteral("Cannot write %1: %2").arg(*file, out.errorString()));
    QTextStream s(&out);
    s.setEncoding(QStringConverter::Utf8);
    QStringList line;
    for (int c : columns)
        line.append(csvField(m->headerData(c, Qt::Horizontal).toString()));
    s << line.join(QLatin1Char(',')) << '\n';
    for (int r = 0; r < m->rowCount(); ++r) {
        line.clear();
        for (int c : columns)
            line.append(csvField(m->text(r, c)));
        s << line.join(QLatin1Char(',')) << '\n';
    }
    s.flush();
    if (!out.commit())
        throw OperatorError(QStringLiteral("Cannot write %1: %2").arg(*file, out.errorString()));
}

void Tdataview::saveLayout()
{
    const std::optional<QString> file =
        SaveFileDialog(this, GridMenu->findChild<QAction *>(QStringLiteral("SaveLayout1"))->text(), QString(), QStringLiteral("Grid layouts (*.grd);;Any file (*)"));
    if (!file || file->isEmpty())
        return;
    QSaveFile out(*file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
        throw OperatorError(QStringLiteral("Cannot write %1: %2").arg(*file, out.errorString()));
    out.write(ExRxDBGrid1->layoutText().toUtf8() + '\n');
    if (!out.commit())
        throw OperatorError(QStringLiteral("Cannot write %1: %2").arg(*file, out.errorString()));
}

void Tdataview::loadLayout()
{
    const std::optional<QString> file =
        OpenFileDialog(this, GridMenu->findChild<QAction *>(QStringLiteral("LoadLayout1"))->text(), QString(), QStringLiteral("Grid layouts (*.grd);;Any file (*)"));
    if (!file || file->isEmpty())
        return;
    QFile in(*file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        throw OperatorError(QStringLiteral("Cannot read %1: %2").arg(*file, in.errorString()));
    if (!ExRxDBGrid1->applyLayoutText(QString::fromUtf8(in.read(1 << 20))))
        throw OperatorError(QStringLiteral("%1 holds no column of this table.").arg(*file));
}

void Tdataview::PrintTable()
{
    if (!Table1->isOpen() || !ExRxDBGrid1->postEdit())
        return;
    TablePrintDialog dialog(this);
    TranslateComponent(&dialog);
    // The page boxes are named by their captions in the current language.
    dialog.SpinEdit1->setAccessibleName(dialog.RadioButton2->text());
    dialog.SpinEdit2->setAccessibleName(dialog.Label2->text());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const TablePrintChoice choice = dialog.choice();
    QList<PrintColumn> columns;
    const QHeaderView *h = ExRxDBGrid1->horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (!h->isSectionHidden(logical))
            columns.append({logical, ExRxDBGrid1->columnWidth(logical)});
    }
    TableGridModel *model = ExRxDBGrid1->gridModel();
    const QString title = QStringLiteral("Vellora ID Database View");
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);

    if (choice.toFile) {
        const std::optional<QString> file = SaveFileDialog(this, Print1->text(), QString(),
                                                           QStringLiteral("List Files (*.LST);;Any file (*)"));
        if (!file || file->isEmpty())
            return;
        QSaveFile out(*file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Text) ||
            out.write(TableListing(model, columns, title, date).toUtf8()) < 0 || !out.commit())
            throw OperatorError(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(*file), out.errorString()));
        return;
    }

    std::unique_ptr<QPagedPaintDevice> device;
    if (choice.printer.isEmpty() || choice.printer == TheVirtualCardPrinter().deviceName()) {
        // A PDF file: chosen by the operator, or the virtual card printer's
        // own beside its printed cards.
        QString path;
        if (choice.printer.isEmpty()) {
            const std::optional<QString> file =
                SaveFileDialog(this, Print1->text(), QString(), QStringLiteral("PDF files (*.pdf);;Any file (*)"));
            if (!file || file->isEmpty())
                return;
            path = *file;
        } else {
            QString folder = TheVirtualCardPrinter().outputFolder();
            if (folder.isEmpty())
                folder = m_appFolder + QStringLiteral("printed/");
            QDir().mkpath(folder);
            path = QDir(folder).filePath(QStringLiteral("table-%1.pdf")
                                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
        }
        auto pdf = std::make_unique<QPdfWriter>(path);
        pdf->setResolution(300);
        pdf->setTitle(QStringLiteral("Vellora ID"));
        pdf->setCreator(QStringLiteral("Vellora ID"));
        pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        m_lastPrintFile = path;
        device = std::move(pdf);
    } else {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPrinterName(choice.printer);
        printer->setPageOrientation(QPageLayout::Landscape);
        printer->setDocName(QStringLiteral("Vellora ID"));
        if (!printer->isValid())
            throw OperatorError(QStringLiteral("The printer %1 cannot be used.").arg(choice.printer));
        m_lastPrintFile.clear();
        device = std::move(printer);
    }
    TablePages pages(model, columns, title, date);
    const double sx = device->logicalDpiX() / 96.0;
    const double sy = device->logicalDpiY() / 96.0;
    pages.layout(QSizeF(device->width() / sx, device->height() / sy));
    if (pages.widerThanPaper() &&
        LocalMessageDlg(QStringLiteral("Printed width is larger than paper width. Abort the print-out?"),
                        MsgKind::Confirmation, MsgButton::Yes | MsgButton::No | MsgButton::Cancel) != MrNo) {
        device.reset();
        if (!m_lastPrintFile.isEmpty())
            QFile::remove(m_lastPrintFile);
        m_lastPrintFile.clear();
        return;
    }
    WaitCursorScope wait;
    pages.print(*device, choice.range ? choice.from : 1, choice.range ? choice.to : std::numeric_limits<int>::max());
    device.reset();
}
