// The Database view on real card tables, driven by key and mouse events:
// column fitting, editing in place with the row posted when left, engine
// errors leaving the row in edit, selecting and deleting rows, the
// navigator, closing with a row in edit, F1, the layout, and the grid's
// context menu functions. sqlite3 reads the card table behind the view.
#include "DataFixture.h"

#include "dataman/dataview/DBNavigator.h"
#include "dataman/dataview/ExRxDBGrid.h"
#include "dataman/dataview/TablePrint.h"
#include "dataman/dataview/Tdataview.h"
#include "lang/Translation.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QScrollBar>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "../lang/ModalHelper.h"

using namespace vellora;
using namespace vellora::test;

namespace {

struct View {
    Tdataview view;
    explicit View(const TempProgramFolder &folder)
    {
        view.setAppFolder(folder.path());
        view.FormShow();
        view.show();
        QApplication::setActiveWindow(&view);
        if (!QTest::qWaitForWindowExposed(&view))
            qWarning("the view was not exposed");
        grid()->setFocus();
    }
    ~View()
    {
        if (view.Table1->isOpen())
            view.Table1->close();
    }
    TExRxDBGrid *grid() { return view.ExRxDBGrid1; }
    TableGridModel *model() { return grid()->gridModel(); }
    int column(const QString &field) { return view.Table1->fieldByName(field).index(); }
    QPoint cell(int row, int column)
    {
        grid()->scrollTo(model()->index(row, column));
        return grid()->visualRect(model()->index(row, column)).center();
    }
    void click(int row, int column, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, mods, cell(row, column));
    }
    // Clicks the cell and types the text into it, ending with Return.
    void type(int row, int column, const QString &text)
    {
        click(row, column);
        QTest::keyClick(grid(), Qt::Key_F2);
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid());
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        TypeText(editor, text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The cell editor hands its text over from the event loop.
        QCoreApplication::processEvents();
    }
};

const QList<QMap<QString, QString>> kCards{Card("Ada", "Okafor", "Research"), Card("Grace", "Lindqvist", "Sales"),
                                           Card("Bo", "Moreau", "Legal"), Card("Kenji", "Nakamura", "Research"),
                                           Card("Ines", "Silva", "Sales")};

void WhenModalDialog(std::function<void(QWidget *)> act, bool *seen) { WhenModal(std::move(act), seen); }

}  // namespace

class TestDataView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationDisplayName(QStringLiteral("Vellora-Id")); }

    void columnsFitNamesAndValues_data()
    {
        QTest::addColumn<QString>("department");
        QTest::newRow("value shorter than the name") << QStringLiteral("HR");
        QTest::newRow("value longer than the name") << QStringLiteral("Department of Very Long Names and Titles");
        QTest::newRow("empty table") << QString();
    }
    void columnsFitNamesAndValues()
    {
        QFETCH(QString, department);
        TempProgramFolder folder;
        if (!department.isNull())
            AddCards(folder, {Card("Al", "Bo", department), Card("Cy", "Di", "IT")});
        View v(folder);
        const QFontMetrics fm = v.grid()->fontMetrics();
        const int dep = v.column(QStringLiteral("Department"));
        const int expected = std::max(fm.horizontalAdvance(QStringLiteral("DepartmentWW")),
                                      fm.horizontalAdvance(department + QStringLiteral("WW")));
        QCOMPARE(v.grid()->columnWidth(dep), expected);
        QCOMPARE(v.grid()->columnWidth(0), fm.horizontalAdvance(QStringLiteral("Card_NumberWW")));
        QCOMPARE(v.model()->rowCount(), department.isNull() ? 0 : 2);
        QCOMPARE(v.model()->columnCount(), 10);
        QCOMPARE(v.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("First_name"));
    }

    void editedRowIsPostedWhenLeft()
    {
        TempProgramFolder folder;
        AddCards(folder, kCards);
        View v(folder);
        const int last = v.column(QStringLiteral("Last_name"));
        v.type(1, last, QStringLiteral("Hopper"));
        QVERIFY(v.model()->rowInEdit());
        QCOMPARE(v.model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("I"));
        // Not in the table until the row is left.
        QCOMPARE(Sql(CardFile(folder), "select Last_name from cardset1 where Card_Number=2"), QStringLiteral("Lindqvist"));
        QTest::keyClick(v.grid(), Qt::Key_Down);
        QVERIFY(!v.model()->rowInEdit());
        QCOMPARE(Sql(CardFile(folder), "select Last_name from cardset1 where Card_Number=2"), QStringLiteral("Hopper"));
        QCOMPARE(v.grid()->currentIndex().row(), 2);
        // Tab moves to the next cell of the row.
        const int col = v.grid()->currentIndex().column();
        QTest::keyClick(v.grid(), Qt::Key_Tab);
        QCOMPARE(v.grid()->currentIndex().column(), v.grid()->horizontalHeader()->logicalIndex(
                                                        v.grid()->horizontalHeader()->visualIndex(col) + 1));
        // Escape drops what was typed.
        v.type(3, last, QStringLiteral("Typo"));
        QTest::keyClick(v.grid(), Qt::Key_Escape);
        QVERIFY(!v.model()->rowInEdit());
        QCOMPARE(v.model()->text(3, last), QStringLiteral("Nakamura"));
    }

    void refusedValueKeepsRowInEdit()
    {
        TempProgramFolder folder;
        MakeCardTable(folder, {{QStringLiteral("Age"), FieldType::Integer, 0}});
        AddCards(folder, {Card("Ada", "Okafor"), Card("Bo", "Moreau")});
        View v(folder);
        ScriptedMessages answers;
        const int age = v.column(QStringLiteral("Age"));
        v.type(0, age, QStringLiteral("abc"));
        QTest::keyClick(v.grid(), Qt::Key_Down);
        QCOMPARE(answers.shown().size(), 1);
        QVERIFY(answers.shown().first().plain);
        QVERIFY2(answers.shown().first().text.contains(QStringLiteral("Age")), qPrintable(answers.shown().first().text));
        QVERIFY(v.model()->rowInEdit());
        QCOMPARE(v.grid()->currentIndex().row(), 0);
        QCOMPARE(v.model()->text(0, age), QStringLiteral("abc"));
        QCOMPARE(Sql(CardFile(folder), "select count(*) from cardset1 where Age is not null"), QStringLiteral("0"));
        // Corrected, the row goes in.
        v.type(0, age, QStringLiteral("42"));
        QTest::keyClick(v.grid(), Qt::Key_Down);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(Sql(CardFile(folder), "select Age from cardset1 where Card_Number=1"), QStringLiteral("42"));
    }

    void deletingSelectedRowsAsksFirst()
    {
        TempProgramFolder folder;
        QVERIFY(LoadLanguage(folder, QStringLiteral("English")));
        AddCards(folder, kCards);
        QFile photo(folder.file(QStringLiteral("data/images/2.jpg")));
        QVERIFY(photo.open(QIODevice::WriteOnly));
        photo.write("x");
        photo.close();
        View v(folder);
        ScriptedMessages answers({MrCancel, MrOk});
        // No row selected: Delete asks nothing and deletes nothing.
        v.click(0, 2);
        QTest::keyClick(v.grid(), Qt::Key_Delete);
        QCOMPARE(answers.shown().size(), 0);
        // Ctrl-click rows 2 and 4 (card 2 and 4).
        v.click(1, 2, Qt::ControlModifier);
        v.click(3, 2, Qt::ControlModifier);
        QCOMPARE(v.grid()->selectedRowNumbers(), (QList<int>{1, 3}));
        QTest::keyClick(v.grid(), Qt::Key_Delete);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().at(0).text, Literal(13));
        QCOMPARE(answers.shown().at(0).kind, MsgKind::Warning);
        QCOMPARE(answers.shown().at(0).buttons, MsgButtons(MsgButton::OK | MsgButton::Cancel));
        QCOMPARE(Sql(CardFile(folder), "select count(*) from cardset1"), QStringLiteral("5"));
        QTest::keyClick(v.grid(), Qt::Key_Delete);
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(Sql(CardFile(folder), "select group_concat(Card_Number) from cardset1"), QStringLiteral("1,3,5"));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("data/images/2.jpg"))));
        QCOMPARE(v.model()->rowCount(), 3);
    }

    void shiftClickSelectsFromTheAnchor()
    {
        TempProgramFolder folder;
        AddCards(folder, kCards);
        View v(folder);
        v.click(3, 1);
        QCOMPARE(v.grid()->anchorRow(), 3);
        v.click(1, 1, Qt::ShiftModifier);
        QCOMPARE(v.grid()->selectedRowNumbers(), (QList<int>{1, 2, 3}));
        QCOMPARE(v.grid()->anchorRow(), 1);
        v.click(4, 1, Qt::ShiftModifier);
        QCOMPARE(v.grid()->selectedRowNumbers(), (QList<int>{1, 2, 3, 4}));
        // A plain click drops the selection.
        v.click(0, 1);
        QVERIFY(v.grid()->selectedRowNumbers().isEmpty());
    }

    void navigatorMovesInsertsAndDeletes()
    {
        TempProgramFolder folder;
        QVERIFY(LoadLanguage(folder, QStringLiteral("English")));
        AddCards(folder, kCards);
        View v(folder);
        DBNavigator *nav = v.view.DBNavigator1;
        QVERIFY(!nav->button(DBNavigator::First)->isEnabled());
        QTest::mouseClick(nav->button(DBNavigator::Last), Qt::LeftButton);
        QCOMPARE(v.grid()->currentIndex().row(), 4);
        QVERIFY(!nav->button(DBNavigator::Next)->isEnabled());
        QTest::mouseClick(nav->button(DBNavigator::Prior), Qt::LeftButton);
        QCOMPARE(v.grid()->currentIndex().row(), 3);
        QTest::mouseClick(nav->button(DBNavigator::First), Qt::LeftButton);
        QCOMPARE(v.grid()->currentIndex().row(), 0);
        // Insert, type a name, leave the row: a new card numbered on.
        QTest::mouseClick(nav->button(DBNavigator::Insert), Qt::LeftButton);
        QVERIFY(v.model()->inserting());
        QCOMPARE(v.model()->rowCount(), 6);
        v.type(0, v.column(QStringLiteral("Last_name")), QStringLiteral("Turing"));
        QTest::keyClick(v.grid(), Qt::Key_Down);
        QCOMPARE(Sql(CardFile(folder), "select Card_Number from cardset1 where Last_name='Turing'"), QStringLiteral("6"));
        QCOMPARE(v.model()->rowCount(), 6);
        // An insert nothing was typed into is dropped when left.
        QTest::mouseClick(nav->button(DBNavigator::Insert), Qt::LeftButton);
        QCOMPARE(v.model()->rowCount(), 7);
        QTest::keyClick(v.grid(), Qt::Key_Down);
        QCOMPARE(v.model()->rowCount(), 6);
        QCOMPARE(Sql(CardFile(folder), "select count(*) from cardset1"), QStringLiteral("6"));
        // Delete asks for the current row.
        ScriptedMessages answers({MrOk});
        v.click(0, 1);
        const QString number = v.model()->text(0, 0);
        QTest::mouseClick(nav->button(DBNavigator::Delete), Qt::LeftButton);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(Sql(CardFile(folder), QStringLiteral("select count(*) from cardset1 where Card_Number=%1").arg(number)),
                 QStringLiteral("0"));
        // Hints are the buttons' accessible names.
        QCOMPARE(nav->button(DBNavigator::Next)->accessibleName(), nav->button(DBNavigator::Next)->toolTip());
        QVERIFY(!nav->button(DBNavigator::Next)->accessibleName().isEmpty());
    }

    void closingStoresTheRowInEdit()
    {
        TempProgramFolder folder;
        AddCards(folder, kCards);
        View v(folder);
        v.type(4, v.column(QStringLiteral("Department")), QStringLiteral("Archive"));
        QVERIFY(v.model()->rowInEdit());
        QTest::mouseClick(v.view.MainMenu1, Qt::LeftButton, {}, v.view.MainMenu1->actionGeometry(
                                                                    v.view.File1->menuAction()).center());
        v.view.Exit1->trigger();
        QVERIFY(!v.view.isVisible());
        QVERIFY(!v.view.Table1->isOpen());
        QCOMPARE(Sql(CardFile(folder), "select Department from cardset1 where Card_Number=5"), QStringLiteral("Archive"));
    }

    void placedOverTheMainWindowAndLaidOut()
    {
        TempProgramFolder folder;
        QWidget main;
        main.setGeometry(40, 50, 900, 640);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        Tdataview view;
        view.setAppFolder(folder.path());
        view.setMainWindow(&main);
        int helped = 0;
        view.setHelpCommand([&helped] { ++helped; });
        view.FormShow();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QRect frame = main.frameGeometry();
        QCOMPARE(view.frameGeometry(), QRect(frame.x(), main.geometry().y(), frame.width(),
                                             frame.height() - (main.geometry().y() - frame.y())));
        const QWidget *client = view.ExRxDBGrid1->parentWidget();
        QCOMPARE(view.ExRxDBGrid1->geometry(), QRect(8, 24, client->width() - 20, client->height() - 72));
        QCOMPARE(view.DBNavigator1->x(), (view.width() - view.DBNavigator1->width()) / 2);
        view.resize(700, 500);
        QCOMPARE(view.ExRxDBGrid1->width(), client->width() - 20);
        QTest::keyClick(view.ExRxDBGrid1, Qt::Key_F1);
        QCOMPARE(helped, 1);
        view.done(0);
    }

    void tableToolsCloseTheTableWhileTheyRun()
    {
        TempProgramFolder folder;
        AddCards(folder, kCards);
        View v(folder);
        bool closedDuring = false;
        v.view.setRestructureDialog([&] {
            closedDuring = !v.view.Table1->isOpen();
            // The tool may replace the table: here it adds a field.
            Table t;
            t.setDatabaseName(CardTableFolder(folder.path()));
            t.setTableName(QString::fromLatin1(kCardTableName));
            t.setExclusive(true);
            t.open();
            t.close();
        });
        v.type(0, v.column(QStringLiteral("Title")), QStringLiteral("Dr"));
        v.view.EditTableFormat1->trigger();
        QVERIFY(closedDuring);
        QVERIFY(v.view.Table1->isOpen());
        QCOMPARE(Sql(CardFile(folder), "select Title from cardset1 where Card_Number=1"), QStringLiteral("Dr"));
        int saved = 0, closedMain = 0;
        v.view.setBackupCommands([&] { saved += v.view.Table1->isOpen() ? 100 : 1; }, {}, [&] { ++closedMain; });
        v.view.SaveBackupCopy1->trigger();
        QCOMPARE(saved, 1);
        QCOMPARE(closedMain, 1);
        QVERIFY(v.view.Table1->isOpen());
        QVERIFY(!v.view.LoadBackupData1->isEnabled());
    }

    void contextMenuFunctions()
    {
        TempProgramFolder folder;
        AddCards(folder, kCards);
        View v(folder);
        QMenu *menu = v.view.GridMenu;
        auto item = [menu](const char *name) { return menu->findChild<QAction *>(QLatin1String(name)); };
        const int last = v.column(QStringLiteral("Last_name"));

        // Search Mode: typing finds the first row whose cell in the current
        // column starts with the typed text.
        item("SearchMode1")->trigger();
        v.click(0, last);
        QTest::keyClicks(v.grid(), QStringLiteral("na"));
        QCOMPARE(v.grid()->currentIndex().row(), 3);
        QVERIFY(!v.model()->rowInEdit());
        item("SearchMode1")->trigger();

        // Sort By Form sorts the view by the current column; the table keeps
        // its order.
        v.click(0, last);
        item("SortByForm1")->trigger();
        QCOMPARE(v.model()->text(0, last), QStringLiteral("Lindqvist"));
        QCOMPARE(v.model()->text(4, last), QStringLiteral("Silva"));
        QTest::mouseClick(v.grid()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(v.grid()->horizontalHeader()->sectionViewportPosition(last) + 5, 5));
        QCOMPARE(v.model()->text(0, last), QStringLiteral("Silva"));
        // An edit in the sorted view reaches the right card.
        v.type(0, v.column(QStringLiteral("Title")), QStringLiteral("Prof"));
        QTest::keyClick(v.grid(), Qt::Key_Down);
        QCOMPARE(Sql(CardFile(folder), "select Card_Number from cardset1 where Title='Prof'"), QStringLiteral("5"));
        item("SortByForm1")->trigger();
        QCOMPARE(v.model()->text(0, last), QStringLiteral("Okafor"));

        // Export Grid: the shown columns, titles first.
        QTemporaryDir out;
        {
            ScriptedDialogs dialogs;
            dialogs.answerText(out.filePath(QStringLiteral("grid.csv")));
            item("ExportGrid1")->trigger();
        }
        QFile csv(out.filePath(QStringLiteral("grid.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines.first().startsWith(QStringLiteral("Card_Number,Sparefield2,First_name,Last_name")));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("1,,Ada,Okafor,")), qPrintable(lines.at(1)));

        // Save Layout, change the columns, Load Layout.
        v.grid()->horizontalHeader()->moveSection(v.grid()->horizontalHeader()->visualIndex(last), 0);
        v.grid()->setColumnWidth(last, 123);
        {
            ScriptedDialogs dialogs;
            dialogs.answerText(out.filePath(QStringLiteral("grid.grd")));
            item("SaveLayout1")->trigger();
        }
        v.grid()->horizontalHeader()->moveSection(0, 5);
        v.grid()->setColumnWidth(last, 40);
        {
            ScriptedDialogs dialogs;
            dialogs.answerText(out.filePath(QStringLiteral("grid.grd")));
            item("LoadLayout1")->trigger();
        }
        QCOMPARE(v.grid()->horizontalHeader()->logicalIndex(0), last);
        QCOMPARE(v.grid()->columnWidth(last), 123);

        // Auto Width, Select All, Unselect All, Display Boolean, Row Colors.
        v.grid()->setColumnWidth(last, 5);
        item("AutoWidth1")->trigger();
        QCOMPARE(v.grid()->columnWidth(last), v.grid()->fontMetrics().horizontalAdvance(QStringLiteral("Last_nameWW")));
        item("SelectAll1")->trigger();
        QCOMPARE(v.grid()->selectedRowNumbers().size(), 5);
        item("UnselectAll1")->trigger();
        QVERIFY(v.grid()->selectedRowNumbers().isEmpty());
        QVERIFY(v.model()->data(v.model()->index(1, 1), Qt::BackgroundRole).isValid());
        item("UseRowColors1")->trigger();
        QVERIFY(!v.model()->data(v.model()->index(1, 1), Qt::BackgroundRole).isValid());

        // Fixed Columns: the columns up to the current one stay at the left
        // edge while the grid scrolls sideways.
        v.view.resize(500, 400);
        v.click(0, 2);
        item("FixedColumns1")->trigger();
        QTableView *fixed = v.grid()->frozenView();
        QVERIFY(fixed && fixed->isVisible());
        QHeaderView *titles = v.grid()->horizontalHeader();
        const int upTo = titles->visualIndex(2);
        int fixedWidth = 0;
        for (int vis = 0; vis < titles->count(); ++vis) {
            QCOMPARE(fixed->isColumnHidden(titles->logicalIndex(vis)), vis > upTo);
            if (vis <= upTo)
                fixedWidth += v.grid()->columnWidth(titles->logicalIndex(vis));
        }
        QVERIFY(fixed->width() >= fixedWidth && fixed->width() <= fixedWidth + 2);
        v.grid()->horizontalScrollBar()->setValue(v.grid()->horizontalScrollBar()->maximum());
        QVERIFY(v.grid()->horizontalScrollBar()->value() > 0);
        QCOMPARE(fixed->x(), v.grid()->verticalHeader()->width() + v.grid()->frameWidth());
        QCOMPARE(fixed->verticalScrollBar()->value(), v.grid()->verticalScrollBar()->value());
        QVERIFY(!v.grid()->horizontalHeader()->sectionsMovable());
        item("FixedColumns1")->trigger();
        QVERIFY(!fixed->isVisible());
        QVERIFY(v.grid()->horizontalHeader()->sectionsMovable());
    }

    void booleanFieldsShowCheckMarks()
    {
        TempProgramFolder folder;
        MakeCardTable(folder, {{QStringLiteral("Active"), FieldType::Boolean, 0}});
        AddCards(folder, {Card("Ada", "Okafor"), Card("Bo", "Moreau")});
        View v(folder);
        const int active = v.column(QStringLiteral("Active"));
        const QModelIndex cell = v.model()->index(0, active);
        QCOMPARE(v.model()->data(cell, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(v.model()->data(cell, Qt::DisplayRole).toString().isEmpty());
        // A click on the check box ticks it; leaving the row stores True.
        v.click(0, active);
        QTest::keyClick(v.grid(), Qt::Key_Space);
        QCOMPARE(v.model()->data(cell, Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QTest::keyClick(v.grid(), Qt::Key_Down);
        QCOMPARE(Sql(CardFile(folder), "select Active from cardset1 where Card_Number=1"), QStringLiteral("1"));
        v.view.GridMenu->findChild<QAction *>(QStringLiteral("DisplayBoolean1"))->trigger();
        QCOMPARE(v.model()->data(v.model()->index(0, active), Qt::DisplayRole).toString(), QStringLiteral("1"));
    }

    // Print to a PDF file: the pages hold the title, the columns and every
    // card, as pdftotext reads them; the page range limits the pages; the
    // text listing holds every row; a table wider than the paper asks first.
    void printingTheTable()
    {
        TempProgramFolder folder;
        QList<QMap<QString, QString>> cards;
        for (int i = 1; i <= 120; ++i)
            cards.append(Card(QStringLiteral("Given%1").arg(i), QStringLiteral("Family%1").arg(i), QStringLiteral("Dept%1").arg(i % 7)));
        AddCards(folder, cards);
        View v(folder);
        v.click(5, 2);
        QTemporaryDir out;
        const auto print = [&](const std::function<void(TablePrintDialog *)> &fill, const QString &file) {
            ScriptedDialogs dialogs;
            if (!file.isEmpty())
                dialogs.answerText(file);
            bool seen = false;
            WhenModalDialog(
                [fill](QWidget *modal) {
                    auto *d = qobject_cast<TablePrintDialog *>(modal);
                    if (!d)
                        return;
                    fill(d);
                    QTest::mouseClick(d->OKButton, Qt::LeftButton);
                },
                &seen);
            v.view.Print1->trigger();
            QVERIFY(seen);
        };
        const auto pdfText = [](const QString &pdf) {
            QProcess p;
            p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
            p.waitForFinished(30000);
            return QString::fromUtf8(p.readAllStandardOutput());
        };
        const auto pages = [](const QString &pdf) {
            QProcess p;
            p.start(QStringLiteral("pdfinfo"), {pdf});
            p.waitForFinished(30000);
            const QString info = QString::fromUtf8(p.readAllStandardOutput());
            const int at = info.indexOf(QStringLiteral("Pages:"));
            return at < 0 ? -1 : info.mid(at + 6, 12).trimmed().split(QLatin1Char('\n')).first().trimmed().toInt();
        };
        // Narrow the grid so that it fits the paper.
        for (int c = 6; c < 10; ++c)
            v.grid()->setColumnHidden(c, true);
        const QString all = out.filePath(QStringLiteral("all.pdf"));
        print([](TablePrintDialog *d) { d->ComboBox1->setCurrentIndex(d->ComboBox1->count() - 1); d->RadioButton1->setChecked(true); }, all);
        // VELLORA_KEEP_PRINTS names a folder to keep the printed file in, to look at.
        if (!qEnvironmentVariableIsEmpty("VELLORA_KEEP_PRINTS"))
            QFile::copy(all, QDir(qEnvironmentVariable("VELLORA_KEEP_PRINTS")).filePath(QStringLiteral("table.pdf")));
        const QString text = pdfText(all);
        QVERIFY2(text.contains(QStringLiteral("Vellora ID Database View")), qPrintable(text.left(400)));
        QVERIFY(text.contains(QStringLiteral("Last_name")));
        QVERIFY(text.contains(QStringLiteral("Family1 ")) && text.contains(QStringLiteral("Family120")));
        QVERIFY(text.contains(QStringLiteral("Page: 1")));
        const int total = pages(all);
        QVERIFY2(total >= 3, qPrintable(QString::number(total)));
        QVERIFY(text.contains(QStringLiteral("Page: %1").arg(total)));
        // The grid's current row stays.
        QCOMPARE(v.grid()->currentIndex().row(), 5);

        const QString two = out.filePath(QStringLiteral("two.pdf"));
        print([](TablePrintDialog *d) {
            d->ComboBox1->setCurrentIndex(d->ComboBox1->count() - 1);
            QCOMPARE(d->SpinEdit1->value(), 1);
            QCOMPARE(d->SpinEdit2->value(), 1000);
            d->SpinEdit1->setValue(2);
            d->SpinEdit2->setValue(2);
        }, two);
        QCOMPARE(pages(two), 1);
        QVERIFY(pdfText(two).contains(QStringLiteral("Page: 2")));
        QVERIFY(!pdfText(two).contains(QStringLiteral("Family1 ")));

        // The text listing.
        const QString lst = out.filePath(QStringLiteral("table.LST"));
        print([](TablePrintDialog *d) { d->CheckBox1->setChecked(true); }, lst);
        QFile listing(lst);
        QVERIFY(listing.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(listing.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + 1 + 1 + 120);
        QVERIFY(lines.at(1).startsWith(QStringLiteral("Card_Number")));
        QVERIFY(lines.last().contains(QStringLiteral("Family120")));

        // Every column shown is wider than the paper: asked first, only No prints.
        for (int c = 6; c < 10; ++c)
            v.grid()->setColumnHidden(c, false);
        v.grid()->setColumnWidth(9, 3000);
        ScriptedMessages answers({MrYes, MrNo});
        const QString wide = out.filePath(QStringLiteral("wide.pdf"));
        print([](TablePrintDialog *d) { d->ComboBox1->setCurrentIndex(d->ComboBox1->count() - 1); }, wide);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().text, QStringLiteral("Printed width is larger than paper width. Abort the print-out?"));
        QCOMPARE(answers.shown().first().buttons, MsgButtons(MsgButton::Yes | MsgButton::No | MsgButton::Cancel));
        QVERIFY(!QFile::exists(wide));
        print([](TablePrintDialog *d) { d->ComboBox1->setCurrentIndex(d->ComboBox1->count() - 1); }, wide);
        QCOMPARE(answers.shown().size(), 2);
        QVERIFY(QFile::exists(wide));
    }

    void everyTextHasItsKeys()
    {
        TempProgramFolder folder;
        for (const QString &language : LanguageSectionNames(folder.path())) {
            QVERIFY(LoadLanguage(folder, language));
            Tdataview view;
            QStringList missing;
            for (const TranslationKey &k : CollectTranslationKeys(&view))
                if (LangText(k.key).isEmpty() && !k.text.isEmpty())
                    missing.append(k.key + QLatin1Char('=') + k.text);
            QVERIFY2(missing.isEmpty(), qPrintable(language + QStringLiteral(":\n") + missing.join(QLatin1Char('\n'))));
            TranslateComponent(&view);
            QVERIFY(!view.windowTitle().isEmpty());
            TablePrintDialog dialog;
            for (const TranslationKey &k : CollectTranslationKeys(&dialog))
                if (LangText(k.key).isEmpty() && !k.text.isEmpty())
                    missing.append(k.key + QLatin1Char('=') + k.text);
            QVERIFY2(missing.isEmpty(), qPrintable(language + QStringLiteral(":\n") + missing.join(QLatin1Char('\n'))));
        }
    }
};

QTEST_MAIN(TestDataView)
#include "test_dataview.moc"
