// The main window's card editor on a real program folder: field items and
// their placeholders, the stripe panel, the navigator's Esc, the photo and
// text pop-up menus, the standard fonts, the window commands of other parts
// and the language keys of the window.
#include "app/mainwindow/CardFaceStyle.h"
#include "lang/EditTextDialog.h"
#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"
#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "app/startup/ProgramWindows.h"
#include "engine/FieldDef.h"
#include "engine/Table.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

// Replaces the program folder's card table by one with these fields.
void writeCardTable(const TempProgramFolder &folder, const QList<FieldDef> &fields)
{
    QFile::remove(folder.file("data/cardset1.DB"));
    Table table;
    table.setDatabaseName(folder.file("data"));
    table.setTableName("cardset1.DB");
    table.setTableType(TableType::Card);
    table.setFieldDefs(fields);
    table.setIndexDefs(StandardCardIndexes());
    table.createTable();
}

// Cards 1..n, each with a last name.
void makeCards(TForm1 &main, int n)
{
    for (int i = 0; i < n; ++i) {
        main.store()->newCard();
        main.table()->edit();
        main.table()->fieldByName("Last_name").setAsString(QString("Person %1").arg(i + 1));
        main.CommitCard();
    }
}

QLabel *ghostOf(const CardSideItems &side, const QString &field)
{
    for (int i = 0; i < side.fieldItems.size(); ++i)
        if (side.fieldItems[i]->dataField() == field)
            return side.placeholders[i];
    return nullptr;
}

QAction *menuItem(QMenu *menu, const QString &name)
{
    for (QAction *a : menu->actions())
        if (a->objectName() == name)
            return a;
    return nullptr;
}

// Answers the next modal dialog that opens.
template <typename F>
void whenModal(F &&answer)
{
    QTimer::singleShot(0, [answer = std::forward<F>(answer)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal)
            answer(modal);
    });
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetStartupWaitEnabled(false); }
    void init() { SetCurrentLanguage(QString(), {}); }

    // ---- regions and controls ----

    void regionsHaveTheirNamesAndPlaces()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        QCOMPARE(main.windowTitle(), QString("Vellora-ID"));
        auto *panel2 = main.findChild<QFrame *>("Panel2");
        QVERIFY(panel2);
        QCOMPARE(panel2->height(), 60);
        QCOMPARE(main.findChild<QWidget *>("BannerPanel")->geometry(), QRect(10, 10, 200, 40));
        auto *number = main.findChild<QLineEdit *>("DBEdit8");
        QVERIFY(!number->isEnabled());
        QVERIFY(number->font().bold());
        QCOMPARE(number->font().pixelSize(), 16);
        QCOMPARE(main.findChild<QWidget *>("DBNavigator1")->toolTip(), QString("Scroll through the card collection"));
        const QStringList hints = {"First card", "Previous card", "Next card", "Last card"};
        const QStringList names = {"nbFirst", "nbPrior", "nbNext", "nbLast"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(main.findChild<QToolButton *>(names[i])->toolTip(), hints[i]);

        // The button column: ten 92 x 36 buttons top to bottom.
        const QStringList order = {"BitBtn8", "BitBtn2", "BitBtn3", "getimgbtn", "BitBtn4",
                                   "BitBtn1", "BitBtn5", "BitBtn6", "BitBtn7", "ExitButton"};
        QCOMPARE(main.findChild<QFrame *>("Panel5")->width(), 106);
        int lastTop = -1;
        for (const QString &name : order) {
            GlyphButton *b = main.button(name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->size(), QSize(92, 36));
            if (name == "getimgbtn")
                continue;  // hidden by quick layout 3, its place taken by the next
            QVERIFY2(b->y() > lastTop, qPrintable(name));
            lastTop = b->y();
        }
        QVERIFY(main.button("getimgbtn")->isHidden());

        for (int s = 0; s < 2; ++s) {
            const QString suffix = s ? "_b" : "";
            CardSideItems &side = main.side(s);
            QCOMPARE(side.panel->objectName(), "Panel4" + suffix);
            for (const char *n : {"BackImage1", "Image1", "secphot", "statimage1", "statlabel1", "statlabel4"})
                QVERIFY2(side.item(n + suffix), n);
            for (QLabel *label : side.statlabel) {
                QCOMPARE(Tag(label), kKeepCaptionTag);
                QCOMPARE(label->toolTip(), QString("Right-Click To Edit Properties."));
            }
            QCOMPARE(side.Image1->toolTip(), QString("Right-click to Cut - Copy - Paste image"));
        }
        QCOMPARE(main.cardCaption()->font().pixelSize(), 13);
        QCOMPARE(main.findChild<QLabel *>("StatusLabel")->text(), QString("Press F1 for Help"));
        QVERIFY(main.findChild<QLabel *>("template")->isHidden());
        QVERIFY(main.side(1).panel->isHidden());  // single-sided
    }

    void menuHasItsShortcutsAndLaterWindowsStayDisabled()
    {
        TempProgramFolder folder;
        // The main window alone: no other window has given it commands.
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.main->ApplyAllLayouts();
        TDataModule1 *menu = windows.main->dataModule();
        const struct {
            const char *name;
            const char *shortcut;
        } items[] = {{"Save1", "Ctrl+S"},          {"SaveBackupCopy1", "Ctrl+B"}, {"LoadBackupCopy1", "Ctrl+L"},
                     {"EditDatabase1", "Ctrl+A"},  {"ImportProject1", "Ctrl+M"},  {"ExportProject1", "Ctrl+G"},
                     {"CreateBlankProject1", "Ctrl+K"}, {"BatchPrint1", "Ctrl+T"}, {"PrinterSetup1", "Ctrl+E"},
                     {"PrintPreview1", "Ctrl+R"},  {"PrintCard1", "Ctrl+P"},      {"Exit1", "Alt+X"},
                     {"Undo1", "Ctrl+Z"},          {"Insertnewcard1", "Ctrl+N"},  {"Clearcarddata1", "Ctrl+Ins"},
                     {"Deletecard1", "Ctrl+Del"},  {"CaptureImage1", "Ctrl+I"},   {"Changecarddesign1", "Ctrl+D"}};
        for (const auto &i : items) {
            QAction *a = menu->item(i.name);
            QVERIFY2(a, i.name);
            QCOMPARE(a->shortcut(), QKeySequence(i.shortcut));
        }
        for (const char *later : {"EditDatabase1", "ImportData1", "ExportData1", "BatchPrint1", "PrintPreview1",
                                  "PrintCard1", "CaptureImage1", "Changecarddesign1"})
            QVERIFY2(!menu->item(later)->isEnabled(), later);
        for (const char *later : {"BitBtn8", "BitBtn3", "BitBtn6", "BitBtn7"})
            QVERIFY2(!windows.main->button(later)->isEnabled(), later);
        // Separators: after Export Data, after Create Blank Project, after
        // Print Card and after Undo.
        QMenu *file = menu->item("File1")->menu();
        QStringList shape;
        for (QAction *a : file->actions())
            shape << (a->isSeparator() ? "-" : a->objectName());
        QCOMPARE(shape, QStringList({"Save1", "SaveBackupCopy1", "LoadBackupCopy1", "EditDatabase1", "ImportData1",
                                     "ExportData1", "-",
                                     "ImportProject1", "ExportProject1", "CreateBlankProject1", "-", "BatchPrint1",
                                     "PrinterSetup1", "PrintPreview1", "PrintCard1", "-", "Exit1"}));
        QCOMPARE(menu->item("Edit1")->menu()->actions().at(1)->isSeparator(), true);
    }

    // ---- field items and placeholders ----

    void onlyTheFirst200FieldsGetItems()
    {
        TempProgramFolder folder;
        QList<FieldDef> fields = StandardCardFields();
        while (fields.size() < 230)
            fields.append(FieldDef{QString("Extra%1").arg(fields.size()), FieldType::String, 20});
        writeCardTable(folder, fields);
        Program program(folder);
        TForm1 &main = program.main();
        QCOMPARE(main.fieldItemCount(), 200);
        QCOMPARE(main.side(0).fieldItems.size(), 200);
        QCOMPARE(main.side(1).fieldItems.size(), 200);
        QCOMPARE(main.side(0).fieldItems[199]->objectName(), fields[199].name);
        QCOMPARE(main.side(1).fieldItems[199]->objectName(), fields[199].name + "_b");
        QVERIFY(!main.findChild<QWidget *>(fields[200].name));
        QCOMPARE(main.side(1).fieldItems[5]->dataField(), fields[5].name);
        QCOMPARE(main.side(1).placeholders[5]->objectName(), fields[5].name + "_bghost");
        QCOMPARE(Tag(main.side(1).placeholders[5]), kKeepCaptionTag);

        main.FreeFieldItems();
        QCOMPARE(main.fieldItemCount(), 0);
        QVERIFY(main.side(0).fieldItems.isEmpty());
        QVERIFY(!main.findChild<DBMemo *>("First_name"));
    }

    void createdItemsCarryTheirTabOrder()
    {
        TempProgramFolder folder;
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        TForm1 &main = *windows.main;
        const QStringList fields = main.table()->fieldNames();
        for (int s = 0; s < 2; ++s)
            for (int i = 0; i < fields.size(); ++i) {
                QCOMPARE(main.side(s).fieldItems[i]->property("tabOrder").toInt(), s * 100 + i);
                QVERIFY(main.side(s).fieldItems[i]->isHidden());
                QCOMPARE(main.side(s).fieldItems[i]->focusPolicy(), Qt::StrongFocus);
            }
    }

    void placeholderTextFollowsTheFieldKey_data()
    {
        QTest::addColumn<QStringList>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no key") << QStringList{"Literals1=x"} << "<Title>";
        QTest::newRow("with key") << QStringList{"Field:Title=Job title"} << "<Job title>";
        QTest::newRow("key in other case") << QStringList{"FIELD:title=Funktion"} << "<Funktion>";
        QTest::newRow("empty value") << QStringList{"Field:Title="} << "<Title>";
    }
    void placeholderTextFollowsTheFieldKey()
    {
        QFETCH(QStringList, language);
        QFETCH(QString, expected);
        SetCurrentLanguage("Test", language);
        TempProgramFolder folder;
        Program program(folder);
        QCOMPARE(ghostOf(program.main().side(0), "Title")->text(), expected);
        QCOMPARE(ghostOf(program.main().side(1), "Title")->text(), expected);
    }

    void emptyingAFieldShowsItsPlaceholderAgain()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        DBMemo *last = main.side(0).fieldItem("Last_name");
        QLabel *ghost = ghostOf(main.side(0), "Last_name");
        QVERIFY(!last->isHidden());
        QVERIFY(ghost->isHidden());  // the card has a last name
        QLabel *titleGhost = ghostOf(main.side(0), "Title");
        QVERIFY(!titleGhost->isHidden());  // empty title
        // "<Title>" is shown as text, not taken for markup.
        QCOMPARE(titleGhost->textFormat(), Qt::PlainText);
        const QImage painted = titleGhost->grab().toImage();
        bool inked = false;
        for (int y = 0; y < painted.height() && !inked; ++y)
            for (int x = 0; x < painted.width() && !inked; ++x)
                inked = qGray(painted.pixel(x, y)) < 160;
        QVERIFY(inked);

        last->setFocus();
        QTRY_VERIFY(last->hasFocus());
        last->selectAll();
        QTest::keyClick(last, Qt::Key_Delete);
        QCOMPARE(last->toPlainText(), QString());
        QVERIFY(ghost->isHidden());  // still being edited
        main.side(0).fieldItem("First_name")->setFocus();
        QTRY_VERIFY(!ghost->isHidden());
        QVERIFY(main.table()->fieldByName("Last_name").asString().isEmpty());

        // Clicking the placeholder puts the focus into its item.
        QTest::mouseClick(titleGhost, Qt::LeftButton);
        QTRY_VERIFY(main.side(0).fieldItem("Title")->hasFocus());
        QVERIFY(titleGhost->isHidden());

        // Hidden for rendering, back afterwards.
        main.ShowPlaceholders(false);
        QVERIFY(ghost->isHidden());
        main.ShowPlaceholders(true);
        QVERIFY(!ghost->isHidden());
    }

    // A click on a button while a field item has the focus: the press and
    // the release arrive together, as from a real mouse; the focus leaving
    // the item must not swallow the click.
    void buttonClickWhileEditingAFieldIsNotLost()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        DBMemo *title = main.side(0).fieldItem("Title");
        title->setFocus();
        QTRY_VERIFY(title->hasFocus());
        QAbstractButton *newCard = main.button("BitBtn2");
        QWindow *window = main.windowHandle();
        const QPointF at = QPointF(newCard->mapTo(&main, newCard->rect().center()));
        const QPointF global = QPointF(main.mapToGlobal(at.toPoint()));
        QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                            Qt::NoButton, Qt::NoModifier));
        QTRY_COMPARE(main.table()->recordCount(), 2);
        QVERIFY(!newCard->isDown());
    }

    // ---- magnetic stripe panel ----

    void stripePanelShowsTheUsedAndShownTracks()
    {
        TempProgramFolder folder;
        writeSettings(folder, [](Settings &s) {
            s.front.StripeOn = 1;
            s.front.Track[0] = TrackSettings{1, 0, "STATIC1", 1};
            s.front.Track[1] = TrackSettings{1, 2, "", 0};  // used, not shown
            s.front.Track[2] = TrackSettings{1, 2, "", 1};
        });
        Program program(folder);
        TForm1 &main = program.main();
        QVERIFY(!main.magPanel()->isHidden());
        QCOMPARE(main.magPanel()->height(), 73);
        const MagTrackControls &t1 = main.magTrack(1), &t2 = main.magTrack(2), &t3 = main.magTrack(3);
        QCOMPARE(t1.staticBox->y(), 16);
        QCOMPARE(t1.label->y(), 20);
        QCOMPARE(t3.dataBox->y(), 40);
        QCOMPARE(t3.label->y(), 44);
        QVERIFY(!t1.staticBox->isHidden());
        QCOMPARE(t1.staticBox->text(), QString("STATIC1"));
        QVERIFY(t1.dataBox->isHidden());
        QVERIFY(t2.label->isHidden() && t2.staticBox->isHidden() && t2.dataBox->isHidden());
        QVERIFY(t3.staticBox->isHidden());
        QVERIFY(!t3.dataBox->isHidden());
        QVERIFY(t3.dataBox->isEnabled());
        QCOMPARE(t3.dataBox->dataField().toLower(), QString("magstripe3"));
        QCOMPARE(t3.dataBox->width(), 227);
        // Widths from the widest label.
        const int w = std::max(t1.label->width(), t3.label->width());
        QCOMPARE(t1.label->x(), 5);
        QCOMPARE(t3.label->width(), w);
        QCOMPARE(t3.dataBox->x(), 5 + w + 3);
        QCOMPARE(main.findChild<QGroupBox *>("GroupBox1")->width(), w + 227 + 13);
        QCOMPARE(main.magPanel()->width(), w + 227 + 13 + 6);
        // In the card area's bottom right corner.
        const QSize area = main.cardArea()->viewport()->size();
        QCOMPARE(main.magPanel()->geometry().right(), area.width() - 5 - 1);
        QCOMPARE(main.magPanel()->geometry().bottom(), area.height() - 5 - 1);
    }

    void linkedTrackIsAGreyBoxOfTheField()
    {
        TempProgramFolder folder;
        writeSettings(folder, [](Settings &s) {
            s.front.StripeOn = 1;
            s.front.Track[1] = TrackSettings{1, 1, "Last_name", 1};
        });
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        const MagTrackControls &t2 = main.magTrack(2);
        QVERIFY(!t2.dataBox->isHidden());
        QVERIFY(!t2.dataBox->isEnabled());
        QCOMPARE(t2.dataBox->dataField(), QString("Last_name"));
        QCOMPARE(t2.dataBox->palette().color(QPalette::Disabled, QPalette::Base), QColor(209, 209, 209));
        QCOMPARE(t2.dataBox->text(), QString("Person 1"));
        QCOMPARE(t2.staticBox->y(), 16);
        QCOMPARE(main.magPanel()->height(), 49);
    }

    void stripeOnWithoutShownTrackHidesThePanel_data()
    {
        QTest::addColumn<int>("stripeOn");
        QTest::addColumn<int>("use");
        QTest::addColumn<int>("show");
        QTest::newRow("used, not shown") << 1 << 1 << 0;
        QTest::newRow("shown, not used") << 1 << 0 << 1;
        QTest::newRow("stripe off") << 0 << 1 << 1;
    }
    void stripeOnWithoutShownTrackHidesThePanel()
    {
        QFETCH(int, stripeOn);
        QFETCH(int, use);
        QFETCH(int, show);
        TempProgramFolder folder;
        writeSettings(folder, [&](Settings &s) {
            s.front.StripeOn = quint8(stripeOn);
            for (auto &t : s.front.Track)
                t = TrackSettings{quint8(use), 2, "", quint8(show)};
        });
        Program program(folder);
        QVERIFY(program.main().magPanel()->isHidden());
    }

    void trackBoxesTakeOnlyTrackCharacters()
    {
        TempProgramFolder folder;
        writeSettings(folder, [](Settings &s) {
            s.front.StripeOn = 1;
            s.front.Track[1] = TrackSettings{1, 2, "", 1};
        });
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        main.show();
        DBEdit *box = main.magTrack(2).dataBox;
        box->setFocus();
        QTest::keyClicks(box, "12ab;3");
        QCOMPARE(box->text(), QString("12;3"));
        main.CommitCard();
        QCOMPARE(main.table()->fieldByName("MagStripe2").asString(), QString("12;3"));
    }

    // ---- navigator and buttons ----

    void escOnANavigatorButtonAsksTheDeleteQuestion()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        SetCurrentLanguage("Test", {"Literals24=Delete this card?"});
        makeCards(main, 2);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *next = main.findChild<QToolButton *>("nbFirst");
        next->setFocus();
        QTRY_VERIFY(next->hasFocus());
        {
            ScriptedMessages answers({MrNo});
            QTest::keyClick(next, Qt::Key_Escape);
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown()[0].text, QString("Delete this card?"));
            QCOMPARE(answers.shown()[0].kind, MsgKind::Warning);
        }
        QCOMPARE(main.table()->recordCount(), 2);
        {
            // Esc typed into a field item belongs to the box.
            ScriptedMessages answers({MrNo});
            DBMemo *last = main.side(0).fieldItem("Last_name");
            last->setFocus();
            QTRY_VERIFY(last->hasFocus());
            QTest::keyClick(last, Qt::Key_Escape);
            QCOMPARE(answers.shown().size(), 0);
        }
        {
            ScriptedMessages answers({MrYes});
            next->setFocus();
            QTRY_VERIFY(next->hasFocus());
            QTest::keyClick(next, Qt::Key_Escape);
            QCOMPARE(answers.shown().size(), 1);
        }
        main.CommitCard();
        QCOMPARE(main.table()->recordCount(), 1);
    }

    void navigatorMovesAndCommits()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 3);
        main.findChild<QToolButton *>("nbFirst")->click();
        QCOMPARE(main.table()->recNo(), 1);
        main.table()->edit();
        main.table()->fieldByName("First_name").setAsString("Ada");
        main.findChild<QToolButton *>("nbNext")->click();
        QCOMPARE(main.table()->recNo(), 2);
        QVERIFY(!main.table()->updatesPending());
        main.findChild<QToolButton *>("nbLast")->click();
        QCOMPARE(main.table()->recNo(), 3);
        main.findChild<QToolButton *>("nbPrior")->click();
        QCOMPARE(main.table()->recNo(), 2);
        QCOMPARE(main.findChild<QLineEdit *>("DBEdit8")->text(), main.table()->fieldByName("Card_Number").asString());
    }

    void commandsOfOtherWindowsWrapTheirWindows()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        main.show();
        // Preview: committed, placeholders hidden while it is up.
        bool ghostsWhileShown = true;
        bool committed = false;
        main.setPreviewWindow(
            [&] {
                committed = !main.table()->updatesPending() && main.table()->state() == TableState::Browse;
                ghostsWhileShown = !ghostOf(main.side(0), "Title")->isHidden();
            },
            [] {});
        QVERIFY(main.button("BitBtn6")->isEnabled());
        QVERIFY(main.dataModule()->item("PrintPreview1")->isEnabled());
        main.table()->edit();
        main.table()->fieldByName("Title").setAsString("");
        main.button("BitBtn6")->click();
        QVERIFY(committed);
        QVERIFY(!ghostsWhileShown);
        QVERIFY(!ghostOf(main.side(0), "Title")->isHidden());

        // Capture: the photo item, its suffix and the page.
        QList<std::tuple<PhotoItem *, QString, int>> captures;
        main.setCaptureWindow([&](PhotoItem *item, const QString &suffix, int page) {
            captures.append({item, suffix, page});
        });
        main.button("BitBtn3")->click();
        main.dataModule()->item("CaptureImage1")->trigger();
        main.preparePhotoMenu(main.side(0).secphot);
        menuItem(main.photoMenu(), "LoadImage1")->trigger();
        main.preparePhotoMenu(main.side(1).Image1);
        menuItem(main.photoMenu(), "CaptureImage1")->trigger();
        QCOMPARE(captures.size(), 4);
        QCOMPARE(captures[0], std::make_tuple(main.side(0).Image1, QString(""), 0));
        QCOMPARE(captures[1], std::make_tuple(main.side(0).Image1, QString(""), 0));
        QCOMPARE(captures[2], std::make_tuple(main.side(0).secphot, QString("-2"), 1));
        QCOMPARE(captures[3], std::make_tuple(main.side(1).Image1, QString(""), 0));

        // The card design dialog gets the quick layout's texts in the settings.
        QString storedText;
        main.setCardDesignWindow([&] { storedText = main.settings().front.FreeText[1]; });
        main.side(0).statlabel[1]->setText("Changed on the card");
        main.dataModule()->item("Changecarddesign1")->trigger();
        QCOMPARE(storedText, QString("Changed on the card"));

        // An error inside a window reaches the generic report, placeholders
        // come back.
        main.setBatchPrintWindow([] { throw PhotoError("batch went wrong"); });
        ScriptedMessages answers;
        main.dataModule()->item("BatchPrint1")->trigger();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, QString("batch went wrong"));
        QVERIFY(!ghostOf(main.side(0), "Title")->isHidden());
    }

    void editDatabaseCommitsRebuildsAndKeepsFonts()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 2);
        main.findChild<QToolButton *>("nbFirst")->click();
        SetItemStyle(main.side(0).fieldItem("First_name"), FontSlot{"Times New Roman", 20, 0x0000FF, StyleItalic, 2});
        main.table()->edit();
        main.table()->fieldByName("Department").setAsString("Typed, not saved");
        bool closedWhileShown = false;
        QString seenDepartment;
        main.setDatabaseView([&] {
            closedWhileShown = !main.table()->isOpen();
            Table other;
            OpenCardTable(other, folder.path());
            seenDepartment = other.fieldByName("Department").asString();
            // The view adds a card.
            other.append();
            other.fieldByName("Last_name").setAsString("Added in the view");
            other.post();
            other.commitUpdates();
        });
        DBMemo *before = main.side(0).fieldItem("First_name");
        QPointer<DBMemo> old(before);
        main.dataModule()->item("EditDatabase1")->trigger();
        QVERIFY(closedWhileShown);
        QCOMPARE(seenDepartment, QString("Typed, not saved"));
        QVERIFY(old.isNull());  // rebuilt
        QVERIFY(main.table()->isOpen());
        QCOMPARE(main.table()->recordCount(), 3);
        DBMemo *first = main.side(0).fieldItem("First_name");
        QVERIFY(first && !first->isHidden());
        QCOMPARE(first->geometry(), QRect(24, 109, 303, 38));
        const FontSlot slot = ItemStyle(first);
        QCOMPARE(slot.face, QString("Times New Roman"));
        QCOMPARE(slot.size, 20);
        QCOMPARE(slot.style, quint8(StyleItalic));
    }

    // ---- photo pop-up menu ----

    void pasteAndCutStoreTheCardsPhotos()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 17);
        QCOMPARE(main.store()->cardNumberText(), QString("17"));

        QImage picture(300, 120, QImage::Format_RGB32);
        picture.fill(QColor(20, 120, 200));
        QGuiApplication::clipboard()->setImage(picture);
        PhotoItem *second = main.side(0).secphot;
        main.preparePhotoMenu(second);
        QAction *paste = menuItem(main.photoMenu(), "Paste1");
        QVERIFY(paste->isEnabled());
        paste->trigger();
        QVERIFY(QFile::exists(folder.file("data/images/17-2.jpg")));
        QCOMPARE(LoadJpeg(folder.file("data/images/17-2.jpg")).size(), QSize(300, 120));
        QVERIFY(second->proportional());
        QCOMPARE(second->picture().size(), QSize(300, 120));

        // Cut on the first photo: the photo on the clipboard, the placeholder
        // stored as the card's photo.
        QImage photo(150, 200, QImage::Format_RGB32);
        photo.fill(QColor(200, 40, 40));
        main.side(0).Image1->setPicture(photo);
        main.preparePhotoMenu(main.side(0).Image1);
        menuItem(main.photoMenu(), "Cut1")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().pixelColor(5, 5), QColor(200, 40, 40));
        const QImage stored = LoadJpeg(folder.file("data/images/17.jpg"));
        QCOMPARE(stored.size(), main.placeholderPicture().size());
        QVERIFY(stored.pixelColor(5, 5) != QColor(200, 40, 40));

        // Copy leaves the item alone.
        main.preparePhotoMenu(second);
        menuItem(main.photoMenu(), "Copy1")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(300, 120));

        // Nothing on the clipboard: Paste is disabled.
        QGuiApplication::clipboard()->setText("not a picture");
        main.preparePhotoMenu(second);
        QVERIFY(!paste->isEnabled());
    }

    void pasteOnABackPhotoStoresUnderTheFrontName()
    {
        TempProgramFolder folder;
        writeSettings(folder, [](Settings &s) { s.front.DoubleSided = 1; });
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        QImage picture(80, 100, QImage::Format_RGB32);
        picture.fill(Qt::green);
        QGuiApplication::clipboard()->setImage(picture);
        main.preparePhotoMenu(main.side(1).Image1);
        menuItem(main.photoMenu(), "Paste1")->trigger();
        QVERIFY(QFile::exists(folder.file("data/images/1.jpg")));
        QVERIFY(!QFile::exists(folder.file("data/images/1_b.jpg")));
        QCOMPARE(main.side(0).Image1->picture().size(), QSize(80, 100));
    }

    void pasteFailureIsReported()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        QVERIFY(QFile::remove(folder.file("data/images")) || QDir(folder.file("data/images")).removeRecursively());
        QImage picture(10, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QGuiApplication::clipboard()->setImage(picture);
        ScriptedMessages answers;
        main.preparePhotoMenu(main.side(0).Image1);
        menuItem(main.photoMenu(), "Paste1")->trigger();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].buttons, MsgButtons(MsgButton::OK));
        // Cut fails silently.
        answers.clear();
        main.preparePhotoMenu(main.side(0).Image1);
        menuItem(main.photoMenu(), "Cut1")->trigger();
        QCOMPARE(answers.shown().size(), 0);
    }

    void rightClickOnAPhotoOpensThePhotoMenu()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::mousePress(main.side(0).Image1, Qt::RightButton, {}, QPoint(10, 10));
        QTRY_VERIFY(main.photoMenu()->isVisible());
        QCOMPARE(main.rememberedItem(), main.side(0).Image1);
        main.photoMenu()->hide();
        QStringList shape;
        for (QAction *a : main.photoMenu()->actions())
            shape << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(shape, QStringList({"Capture Image", "Load Image", "-", "Cut", "Copy", "Paste"}));
    }

    // ---- text pop-up menu ----

    void editTextIsOfferedOnFreeTextsOnly()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QAction *editText = menuItem(main.textMenu(), "EditText1");
        DBMemo *first = main.side(0).fieldItem("First_name");
        QTest::mousePress(first->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(main.textMenu()->isVisible());
        QCOMPARE(main.rememberedItem(), first);
        QVERIFY(!editText->isVisible());
        QVERIFY(menuItem(main.textMenu(), "FontStyle1")->isVisible());
        main.textMenu()->hide();
        QTest::mousePress(main.side(0).statlabel[0], Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(main.textMenu()->isVisible());
        QCOMPARE(main.rememberedItem(), main.side(0).statlabel[0]);
        QVERIFY(editText->isVisible());
        main.textMenu()->hide();
    }

    void editTextPutsTheBoxTextIntoTheFreeText()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        QLabel *label = main.side(0).statlabel[1];
        main.prepareTextMenu(label);
        TOKBottomDlg *dialog = main.editTextDialog();
        QCOMPARE(dialog->size(), QSize(313, 214));
        QVERIFY(dialog->okButton()->isDefault());
        QString shownText;
        whenModal([&](QWidget *) {
            shownText = dialog->edit1()->toPlainText();
            dialog->edit1()->setPlainText("Line one\nLine two");
            dialog->okButton()->click();
        });
        menuItem(main.textMenu(), "EditText1")->trigger();
        QCOMPARE(shownText, QString("Showing the way forward . . ."));
        QCOMPARE(label->text(), QString("Line one\nLine two"));
        whenModal([&](QWidget *) {
            dialog->edit1()->setPlainText("dropped");
            dialog->cancelButton()->click();
        });
        main.EditItemText(label);
        QCOMPARE(label->text(), QString("Line one\nLine two"));
    }

    void fontStyleAndAlignmentChangeTheItem()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        makeCards(main, 1);
        DBMemo *last = main.side(0).fieldItem("Last_name");
        ScriptedDialogs dialogs;
        QFont chosen("DejaVu Serif");
        chosen.setPointSize(20);
        chosen.setItalic(true);
        dialogs.answerFont(chosen, QColor(200, 0, 0));
        main.prepareTextMenu(last);
        menuItem(main.textMenu(), "FontStyle1")->trigger();
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].kind, CommonDialogKind::Font);
        QCOMPARE(dialogs.requests()[0].font.pointSize(), 24);  // preset from the item
        QCOMPARE(last->font().family(), QString("DejaVu Serif"));
        QCOMPARE(last->font().pixelSize(), 27);  // 20 points at 96 dpi
        QVERIFY(last->font().italic());
        QCOMPARE(ItemColour(last), QColor(200, 0, 0));

        main.prepareTextMenu(last);
        menuItem(main.textMenu(), "RightAlign1")->trigger();
        QCOMPARE(ItemAlignment(last), Qt::Alignment(Qt::AlignRight));
        main.prepareTextMenu(main.side(0).statlabel[0]);
        menuItem(main.textMenu(), "Center1")->trigger();
        QCOMPARE(ItemAlignment(main.side(0).statlabel[0]), Qt::Alignment(Qt::AlignHCenter));
        // Styling never edits the card.
        QCOMPARE(main.table()->state(), TableState::Browse);
        QCOMPARE(main.table()->fieldByName("Last_name").asString(), QString("Person 1"));

        // Cancel changes nothing.
        dialogs.answerCancel();
        main.ChooseItemFont(last, true);
        QCOMPARE(last->font().family(), QString("DejaVu Serif"));
    }

    // ---- standard fonts ----

    void standardFontsDifferOnFaceSizeColourAndStyle()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        main.ResetStandardFonts(0, false);
        QVERIFY(!main.StandardFontsDiffer(0));
        QCOMPARE(ItemStyle(main.side(0).statlabel[0]).face, QString("Arial Black"));
        QCOMPARE(ItemStyle(main.side(0).fieldItem("First_name")).size, 24);
        QCOMPARE(ItemStyle(main.side(0).fieldItem("Last_name")).size, 24);
        QCOMPARE(ItemStyle(main.side(0).fieldItem("Card_Number")).size, 16);

        // Last_name and alignment are not compared.
        SetItemStyle(main.side(0).fieldItem("Last_name"), FontSlot{"Courier New", 9, 0xFF, 0, 1});
        SetItemAlignment(main.side(0).statlabel[2], Qt::AlignRight);
        QVERIFY(!main.StandardFontsDiffer(0));
        for (auto change : {+[](FontSlot &f) { f.face = "Arial Narrow"; }, +[](FontSlot &f) { f.size = 17; },
                            +[](FontSlot &f) { f.colour = 0x10; }, +[](FontSlot &f) { f.style |= StyleUnderline; }}) {
            main.ResetStandardFonts(0, false);
            FontSlot slot = ItemStyle(main.side(0).fieldItem("Department"));
            change(slot);
            SetItemStyle(main.side(0).fieldItem("Department"), slot);
            QVERIFY(main.StandardFontsDiffer(0));
            QVERIFY(!main.StandardFontsDiffer(1));
        }
    }

    void keyCompletenessOfEveryShippedLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "English";
        QTest::newRow("German") << "German";
    }
    void keyCompletenessOfEveryShippedLanguage()
    {
        QFETCH(QString, language);
        TempProgramFolder folder;
        QVERIFY(WriteLanguageChoice(folder.path(), language));
        QString error;
        QVERIFY2(LoadLanguageTable(folder.path(), &error), qPrintable(error));
        QCOMPARE(CurrentLanguageName().toLower(), language.toLower());
        const LanguageTable table = CurrentLanguage();
        SetCurrentLanguage(QString(), {});  // built-in texts
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        TForm1 &main = *windows.main;
        QStringList missing = MissingKeys(&main, table);
        QVERIFY(main.photoMenu()->parent() == &main && main.editTextDialog()->parent() == &main);
        // The main menu's keys live with the data module.
        missing += MissingKeys(main.dataModule(), table);
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join('\n')));

        // Translated, the window reads the language's texts.
        SetCurrentLanguage(table.language(), table.lines());
        TranslateComponent(&main);
        QCOMPARE(menuItem(main.textMenu(), "EditText1")->text(),
                 table.value("FORM:Form1-OWNER:Form1-CONTROL:EditText1-CAPTION"));
        QVERIFY(!main.editTextDialog()->windowTitle().isEmpty());
        QVERIFY(!main.findChild<QToolButton *>("nbFirst")->toolTip().isEmpty());
        QCOMPARE(main.side(0).statlabel[0]->text(), QString("XYZ Company"));  // data, kept
    }
};

int main(int argc, char **argv)
{
    VelloraApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
