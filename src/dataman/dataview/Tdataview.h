#pragma once
// The Database view: the card table in an editable grid, posted row by row
// (no update cache), and the door to the table tools (restructure, import,
// export), the backup commands and printing the table as a list. Shown
// modally over the main window while the main window's card table is closed.
#include "engine/Table.h"

#include <QDialog>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;

namespace vellora {
class DBNavigator;
class TExRxDBGrid;
}

class Tdataview : public QDialog {
    Q_OBJECT
public:
    explicit Tdataview(QWidget *parent = nullptr);
    ~Tdataview() override;

    void setAppFolder(const QString &appFolder) { m_appFolder = appFolder; }
    QString appFolder() const { return m_appFolder; }
    // The window the view is placed over when shown.
    void setMainWindow(QWidget *window) { m_mainWindow = window; }

    // Commands of the program the view calls.
    void setRestructureDialog(std::function<void()> showModal);
    void setImportWizard(std::function<void()> showModal);
    void setExportWizard(std::function<void()> showModal);
    // The main menu's backup commands; closeMainTable closes the main
    // window's card table, which the commands reopen.
    void setBackupCommands(std::function<void()> save, std::function<void()> load,
                           std::function<void()> closeMainTable);
    void setHelpCommand(std::function<void()> openManual) { m_help = std::move(openManual); }

    // Opens the table, fits the columns, places the view and shows it
    // modally. Throws EngineError when the card table cannot be opened.
    int ShowView();
    // Opening and fitting, then placing over the main window (without
    // showing).
    void FormShow();
    // Places the view over the main window.
    void PlaceOverMainWindow();

    // Posts a row in edit and closes the table. False when the post was
    // refused (reported; the row stays in edit).
    bool CloseTable();
    void OpenTable();

    // Closes the table, runs the tool, opens the table again.
    void RunTableTool(const std::function<void()> &tool);
    void RunBackupCommand(const std::function<void()> &command);

    // Prints the table (print dialog, landscape list or .LST file).
    void PrintTable();
    // The PDF file the last print wrote ("" for a printer queue).
    QString lastPrintFile() const { return m_lastPrintFile; }

    vellora::Table *Table1 = nullptr;
    vellora::DBNavigator *DBNavigator1 = nullptr;
    vellora::TExRxDBGrid *ExRxDBGrid1 = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr;
    QAction *EditTableFormat1 = nullptr;
    QAction *ImportData1 = nullptr;
    QAction *ExportData1 = nullptr;
    QAction *N1 = nullptr;
    QAction *SaveBackupCopy1 = nullptr;
    QAction *LoadBackupData1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *N2 = nullptr;
    QAction *Exit1 = nullptr;
    QMenu *GridMenu = nullptr;

public slots:
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildGridMenu();
    void layoutClient();
    void exportGrid();
    void saveLayout();
    void loadLayout();
    void removePhotos(const QStringList &cardNumbers);

    QString m_appFolder;
    QString m_lastPrintFile;
    QWidget *m_mainWindow = nullptr;
    QWidget *m_client = nullptr;
    std::function<void()> m_restructure;
    std::function<void()> m_import, m_export, m_saveBackup, m_loadBackup, m_closeMainTable, m_help;
};
