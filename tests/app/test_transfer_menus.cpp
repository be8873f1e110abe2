// The import and export wizards reached from the program: the main menu's
// "Import Data..." and "Export Data..." open them with the card table
// closed, and the card face is rebuilt afterwards with what the wizard
// brought; the Database view's File menu opens the same wizards.
#include "ProgramFixture.h"
#include "app/mainwindow/MainMenu.h"
#include "dataman/dataview/Tdataview.h"
#include "dataman/exportwiz/Texportform.h"
#include "dataman/importwiz/Timportform.h"
#include "engine/Table.h"
#include "store/CardTable.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace vellora;
using namespace vellora::test;

class TestTransferMenus : public QObject {
    Q_OBJECT
private slots:
    void mainMenuOpensTheWizardsWithTheTableClosed();
};

void TestTransferMenus::mainMenuOpensTheWizardsWithTheTableClosed()
{
    TempProgramFolder folder;
    QVERIFY(folder.isValid());
    ScriptedMessages messages;
    Program program(folder);
    TForm1 &main = program.main();
    QAction *importItem = main.dataModule()->item("ImportData1");
    QAction *exportItem = main.dataModule()->item("ExportData1");
    QVERIFY(importItem && exportItem);
    QVERIFY(importItem->isEnabled() && exportItem->isEnabled());
    QVERIFY(program.windows.dataview->ImportData1->isEnabled());
    QVERIFY(program.windows.dataview->ExportData1->isEnabled());
    QVERIFY(main.table()->isOpen());
    const int cardsBefore = main.table()->recordCount();

    // Import: a comma-separated file; the wizard is driven while it is shown.
    QTemporaryDir dir;
    QFile csv(dir.filePath("people.csv"));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("Last_name,First_name\nLovelace,Ada\n");
    csv.close();
    ScriptedDialogs dialogs;
    dialogs.answerText(csv.fileName());
    messages.push(MrYes);   // names in the first line
    messages.push(MrOk);    // the summary
    bool tableClosedWhileShown = false;
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<Timportform *>(QApplication::activeModalWidget());
        if (!w)
            return;
        tableClosedWhileShown = !main.table()->isOpen();
        w->RadioButton2Click();
        w->importtypes->setCurrentRow(4);
        w->Button8Click();
        w->pairnamesClick();
        w->Button10Click();
        driven = true;
    });
    importItem->trigger();
    QVERIFY(driven);
    QVERIFY(tableClosedWhileShown);
    QVERIFY(main.table()->isOpen());
    QCOMPARE(main.table()->recordCount(), cardsBefore + 1);
    main.table()->last();
    QCOMPARE(main.table()->fieldByName("Last_name").asString(), QStringLiteral("Lovelace"));

    // Export: cancelled in the save dialog, the table is open again after.
    bool exportShown = false;
    dialogs.answerCancel();
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<Texportform *>(QApplication::activeModalWidget());
        if (!w)
            return;
        exportShown = !main.table()->isOpen();
        w->RadioButton2Click();
        w->importtypes->setCurrentRow(3);
        w->Button8Click();
    });
    exportItem->trigger();
    QVERIFY(exportShown);
    QVERIFY(main.table()->isOpen());
}

QTEST_MAIN(TestTransferMenus)
#include "test_transfer_menus.moc"
