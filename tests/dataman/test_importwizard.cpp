// The import wizard driven as an operator drives it: real mouse clicks and
// drags on the real window (offscreen), real files of every kind, the SQLite
// ODBC driver, and the card table read back with sqlite3.
#include "WizardSupport.h"
#include "dataman/importwiz/Timportform.h"
#include "dataman/odbcsetup/DataSourceDialog.h"
#include "engine/EngineError.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableWidget>

using namespace vellora;
using namespace vellora::test;

namespace {

void clickItem(QListWidget *list, int row)
{
    QListWidgetItem *item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void clickItem(QListWidget *list, const QString &text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    clickItem(list, list->row(found.first()));
}

bool tempFilesExist(const QString &appFolder)
{
    return QFileInfo::exists(appFolder + "temptab.txt") || QFileInfo::exists(appFolder + "temptab.sch");
}

QString summary(int moved, int problems)
{
    return Literal(9) + QString::number(moved) + Literal(10) + QString::number(problems) + Literal(11);
}

}  // namespace

class TestImportWizard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void commaFileByDragAndDrop();
    void folderTablesOfEveryKind_data();
    void folderTablesOfEveryKind();
    void odbcSourceAndAddNewDsn();
    void badCommaFilesKeepTheCards_data();
    void badCommaFilesKeepTheCards();
};

void TestImportWizard::init()
{
    SetMessageAnswerer({});
}

void TestImportWizard::commaFileByDragAndDrop()
{
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    QVERIFY(loadLanguage(pf.path(), "English"));
    addCards(pf.path(), {{"Old", "Card"}});
    QTemporaryDir dir;
    const QString csv = dir.filePath("people.csv");
    writeFile(csv, "Last_name,First name,TITLE,Dept\r\n"
                   "Picard,Jean Luc,Captain,Bridge\r\n"
                   "\"Riker, W.\",William,\"Number \"\"One\"\"\",Bridge\r\n"
                   "\r\n"
                   "M\xC3\xBCller,Zo\xC3\xAB,,\r\n");
    Timportform w(pf.path());
    TranslateComponent(&w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.page(), 0);
    QVERIFY(!w.Button8->isEnabled());
    QVERIFY(!w.importtypes->isEnabled());

    QTest::mouseClick(w.RadioButton2, Qt::LeftButton);
    QVERIFY(w.importtypes->isEnabled() && !w.aliasnames->isEnabled() && !w.RadioButton1->isChecked());
    clickItem(w.importtypes, 4);
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);

    ScriptedDialogs dialogs;
    dialogs.answerText(csv);
    ScriptedMessages messages({MrYes});
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(dialogs.requests().size(), 1);
    QCOMPARE(dialogs.requests()[0].initial, pf.path());
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].text, Literal(7));
    QCOMPARE(messages.shown()[0].kind, MsgKind::Confirmation);
    QCOMPARE(w.page(), 2);
    QVERIFY(tempFilesExist(pf.path()));
    QCOMPARE(w.tablelist->count(), 1);
    QCOMPARE(w.tablelist->item(0)->text(), QStringLiteral("temptab.txt"));

    // Card_Number is never offered; the labels carry their numbers and tags.
    const QStringList cardFields{"Sparefield2", "First_name", "Last_name", "Title", "Department",
                                 "Sparefield1", "MagStripe1", "MagStripe2", "MagStripe3"};
    QCOMPARE(captions(w, w.ScrollBox1, true), cardFields);
    QCOMPARE(captions(w, w.ScrollBox2, true), (QStringList{"Last_name", "First name", "TITLE", "Dept"}));
    QVERIFY(w.labelNamed("tab1lab2") && w.labelNamed("tab1lab2")->text() == "Sparefield2");
    QCOMPARE(w.labelNamed("tab1lab2")->tag(), 2);
    QCOMPARE(w.labelNamed("tab2lab4")->tag(), 1);
    QVERIFY(!w.Button10->isEnabled());

    // A source label dropped on a destination, and a destination dropped on
    // a source, make entries of the same form.
    dragWithMouse(w.labelNamed("tab2lab1"), labelWithCaption(w, w.ScrollBox1, "Last_name"));
    dragWithMouse(labelWithCaption(w, w.ScrollBox1, "First_name"), w.labelNamed("tab2lab2"));
    QCOMPARE(mapEntries(w), (QStringList{"Last_name=Last_name", "First_name=First name"}));
    QVERIFY(labelWithCaption(w, w.ScrollBox1, "Last_name")->isHidden());
    QVERIFY(!w.labelNamed("tab2lab1")->isHidden());   // a source can be used again
    // Source onto source pairs nothing.
    dragWithMouse(w.labelNamed("tab2lab3"), w.labelNamed("tab2lab4"));
    QCOMPARE(w.maplist->count(), 2);

    // While dragging, the label under the mouse is highlighted; the one
    // before gets its own colours back.
    FieldLabel *title = labelWithCaption(w, w.ScrollBox1, "Title");
    FieldLabel *dept = labelWithCaption(w, w.ScrollBox1, "Department");
    const QColor normal = dept->palette().color(QPalette::Window);
    dragWithMouse(w.labelNamed("tab2lab4"), title, false);
    QCOMPARE(w.highlightedLabel(), title);
    QCOMPARE(title->palette().color(QPalette::Window), title->palette().color(QPalette::Highlight));
    QTest::mouseMove(dept, QPoint(4, dept->height() / 2));
    QCOMPARE(w.highlightedLabel(), dept);
    QCOMPARE(title->palette().color(QPalette::Window), normal);
    QTest::mouseMove(w.Label7, QPoint(2, 2));
    QVERIFY(!w.highlightedLabel());
    QTest::mouseMove(dept, QPoint(4, dept->height() / 2));
    QTest::mouseRelease(dept, Qt::LeftButton, {}, QPoint(4, dept->height() / 2));
    QCOMPARE(mapEntries(w).last(), QStringLiteral("Department=Dept"));

    // Remove shows the destination again; Pair Equal Names pairs the rest
    // by name, letter case ignored.
    QTRY_VERIFY_WITH_TIMEOUT(w.Button10->isEnabled(), 1500);
    clickItem(w.maplist, "First_name=First name");
    QTRY_VERIFY_WITH_TIMEOUT(w.Button5->isEnabled(), 1500);
    QTest::mouseClick(w.Button5, Qt::LeftButton);
    QVERIFY(!labelWithCaption(w, w.ScrollBox1, "First_name")->isHidden());
    QTest::mouseClick(w.pairnames, Qt::LeftButton);
    QCOMPARE(mapEntries(w), (QStringList{"Last_name=Last_name", "Department=Dept", "Title=TITLE"}));

    // Back keeps the mapping until Next rebuilds it.
    QTest::mouseClick(w.Button7, Qt::LeftButton);
    QCOMPARE(w.page(), 1);
    QTest::mouseClick(w.Button7, Qt::LeftButton);
    QCOMPARE(w.page(), 0);
    QVERIFY(!w.Button7->isEnabled() && !w.Button10->isEnabled());
    dialogs.answerText(csv);
    messages.push(MrYes);
    QTest::mouseClick(w.Button8, Qt::LeftButton);   // the file again
    QCOMPARE(w.page(), 2);
    QVERIFY(w.maplist->count() == 0);
    QTest::mouseClick(w.pairnames, Qt::LeftButton);
    dragWithMouse(w.labelNamed("tab2lab2"), labelWithCaption(w, w.ScrollBox1, "First_name"));
    dragWithMouse(w.labelNamed("tab2lab4"), labelWithCaption(w, w.ScrollBox1, "Department"));

    messages.push(MrOk);
    QTest::mouseClick(w.Button10, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(messages.shown().last().text, summary(3, 0));
    QCOMPARE(messages.shown().last().kind, MsgKind::Information);
    QVERIFY(!tempFilesExist(pf.path()));
    QCOMPARE(cardsBySqlite(pf.path()), (QStringList{"1|Old|Card||", "2|Picard|Jean Luc|Captain|Bridge",
                                                    "3|Riker, W.|William|Number \"One\"|Bridge",
                                                    "4|Müller|Zoë||"}));
}

void TestImportWizard::folderTablesOfEveryKind_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("cancelFolder");
    QTest::newRow("dbase") << 0 << "people.dbf" << int(TableType::DBase) << false;
    QTest::newRow("text") << 1 << "people.txt" << int(TableType::Text) << false;
    QTest::newRow("paradox") << 2 << "people.db" << int(TableType::Paradox) << false;
    QTest::newRow("foxpro") << 3 << "people.dbf" << int(TableType::FoxPro) << false;
    // The folder chooser cancelled: the tables of the program folder.
    QTest::newRow("program folder") << 0 << "people.dbf" << int(TableType::DBase) << true;
}

void TestImportWizard::folderTablesOfEveryKind()
{
    QFETCH(int, entry);
    QFETCH(QString, file);
    QFETCH(int, type);
    QFETCH(bool, cancelFolder);
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    QVERIFY(loadLanguage(pf.path(), "English"));
    addCards(pf.path(), {{"Old", "One"}, {"Old", "Two"}});
    QTemporaryDir dir;
    const QString folder = cancelFolder ? pf.path() : dir.path() + '/';
    {
        Table t;
        t.setDatabaseName(folder);
        t.setTableName(file);
        t.setTableType(TableType(type));
        t.setFieldDefs({{"ID", FieldType::Integer, 0}, {"LAST_NAME", FieldType::String, 30},
                        {"TITLE", FieldType::String, 30}});
        t.setIndexDefs({{"pk", {"ID"}, true, true}});
        t.createTable();
        t.setCachedUpdates(true);
        t.open();
        int id = 0;
        for (const char *name : {"Lovelace", "Hopper", "Dijkstra"}) {
            t.append();
            t.field(0).setAsString(QString::number(++id));
            t.field(1).setAsString(QString::fromLatin1(name));
            t.field(2).setAsString("Dr.");
            t.post();
        }
        t.commitUpdates();
    }
    // Another kind in the same folder is not listed.
    writeFile(folder + "other.csv", "a\n1\n");

    Timportform w(pf.path());
    TranslateComponent(&w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.RadioButton2, Qt::LeftButton);
    clickItem(w.importtypes, entry);
    ScriptedDialogs dialogs;
    if (cancelFolder)
        dialogs.answerCancel();
    else
        dialogs.answerText(dir.path());
    ScriptedMessages messages({MrOk});
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(dialogs.requests().size(), 1);
    QCOMPARE(dialogs.requests()[0].kind, CommonDialogKind::Folder);
    QCOMPARE(dialogs.requests()[0].initial, pf.path());
    QCOMPARE(w.page(), 1);
    QCOMPARE(w.chosenSource(), folder);
    const auto listed = w.tablelist->findItems(file, Qt::MatchFixedString);
    QCOMPARE(listed.size(), 1);
    QVERIFY(w.tablelist->findItems("other.csv", Qt::MatchExactly).isEmpty());
    clickItem(w.tablelist, w.tablelist->row(listed.first()));
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(w.page(), 2);
    QCOMPARE(captions(w, w.ScrollBox2, true), (QStringList{"ID", "LAST_NAME", "TITLE"}));
    QTest::mouseClick(w.pairnames, Qt::LeftButton);
    QCOMPARE(mapEntries(w), (QStringList{"Last_name=LAST_NAME", "Title=TITLE"}));
    // Copy And Replace: the old cards go, the new ones are numbered after them.
    QTest::mouseClick(w.RadioButton4, Qt::LeftButton);
    QVERIFY(!w.RadioButton3->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(w.Button10->isEnabled(), 1500);
    QTest::mouseClick(w.Button10, Qt::LeftButton);
    QCOMPARE(messages.shown().last().text, summary(3, 0));
    QCOMPARE(cardsBySqlite(pf.path()),
             (QStringList{"3|Lovelace||Dr.|", "4|Hopper||Dr.|", "5|Dijkstra||Dr.|"}));
}

void TestImportWizard::odbcSourceAndAddNewDsn()
{
    OdbcFolder odbc;
    const QString hr = odbc.path("hr.sqlite");
    runTool("sqlite3", {hr, "create table staff (id integer primary key, last_name varchar(40), "
                            "department varchar(40)); insert into staff values (1, 'Zoë Müller', 'Labor'); "
                            "insert into staff values (2, 'O''Brien', 'Ops'); create view v as select * from staff;"});
    odbc.addSource("HR", hr);
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    QVERIFY(loadLanguage(pf.path(), "English"));
    Timportform w(pf.path());
    TranslateComponent(&w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.RadioButton1->isChecked());
    QCOMPARE(w.aliasnames->count(), 1);

    // Add New DSN: our installer dialog, filled in and confirmed; the list
    // is refilled from the restarted session.
    bool filled = false;
    QTimer::singleShot(0, [&] {
        auto *form = qobject_cast<TDsnForm *>(QApplication::activeModalWidget());
        if (!form)
            return;
        QTest::keyClicks(form->dsnname, "Staff DB");
        form->drivers->setCurrentIndex(form->drivers->findText("SQLite3"));
        QCOMPARE(form->keywords->item(0, 0)->text(), QStringLiteral("Database"));
        form->keywords->item(0, 1)->setText(hr);
        filled = true;
        QTest::mouseClick(form->Button1, Qt::LeftButton);
    });
    QTest::mouseClick(w.adddsn, Qt::LeftButton);
    QVERIFY(filled);
    QCOMPARE(w.aliasnames->count(), 2);
    QFile iniFile(odbc.path("odbc.ini"));
    QVERIFY(iniFile.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(iniFile.readAll());
    QVERIFY2(written.contains("[Staff DB]") && written.contains(hr), qPrintable(written));

    clickItem(w.aliasnames, "Staff DB");
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(w.page(), 1);
    QCOMPARE(w.chosenSource(), QStringLiteral("Staff DB"));
    QVERIFY(!w.tablelist->findItems("staff", Qt::MatchExactly).isEmpty());
    clickItem(w.tablelist, "staff");
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(captions(w, w.ScrollBox2, true), (QStringList{"id", "last_name", "department"}));
    dragWithMouse(w.labelNamed("tab2lab2"), labelWithCaption(w, w.ScrollBox1, "Last_name"));
    dragWithMouse(labelWithCaption(w, w.ScrollBox1, "Department"), w.labelNamed("tab2lab3"));
    ScriptedMessages messages({MrOk});
    QTRY_VERIFY_WITH_TIMEOUT(w.Button10->isEnabled(), 1500);
    QTest::mouseClick(w.Button10, Qt::LeftButton);
    QCOMPARE(messages.shown().last().text, summary(2, 0));
    QCOMPARE(cardsBySqlite(pf.path()), (QStringList{"1|Zoë Müller|||Labor", "2|O'Brien|||Ops"}));
}

void TestImportWizard::badCommaFilesKeepTheCards_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("nul bytes") << QByteArray("Last_name\nA\0B\n", 14) << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("dialog cancelled") << QByteArray("Last_name\nA\n") << true;
}

void TestImportWizard::badCommaFilesKeepTheCards()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, cancel);
    TempProgramFolder pf;
    QVERIFY(pf.isValid());
    QVERIFY(loadLanguage(pf.path(), "German"));
    addCards(pf.path(), {{"Alt", "Karte"}});
    QTemporaryDir dir;
    writeFile(dir.filePath("bad.csv"), content);
    Timportform w(pf.path());
    TranslateComponent(&w);
    QCOMPARE(w.importtypes->item(4)->text(), QStringLiteral("Text-/CSV-Dateien (.txt/.csv)"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.RadioButton2, Qt::LeftButton);
    clickItem(w.importtypes, 4);
    ScriptedDialogs dialogs;
    if (cancel)
        dialogs.answerCancel();
    else
        dialogs.answerText(dir.filePath("bad.csv"));
    ScriptedMessages messages({MrYes, MrOk});
    QTRY_VERIFY_WITH_TIMEOUT(w.Button8->isEnabled(), 1500);
    QTest::mouseClick(w.Button8, Qt::LeftButton);
    QCOMPARE(w.page(), 0);
    if (!cancel) {
        QCOMPARE(messages.shown().size(), 2);
        QVERIFY(messages.shown()[1].text.startsWith(Literal(8)));
        QCOMPARE(messages.shown()[1].kind, MsgKind::Error);
    } else {
        QVERIFY(messages.shown().isEmpty());
    }
    QTest::mouseClick(w.Button9, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QVERIFY(!tempFilesExist(pf.path()));
    QCOMPARE(cardsBySqlite(pf.path()), QStringList{"1|Alt|Karte||"});
}

QTEST_MAIN(TestImportWizard)
#include "test_importwizard.moc"
