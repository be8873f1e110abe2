// "Edit Database" on the real main window: the card typed into the main
// window is committed first, the main window's card table is closed while
// the Database view is shown, and afterwards the main window has its table
// and field items again, showing what was edited in the view.
#include "test_projects_support.h"

#include "../lang/ModalHelper.h"
#include "app/shell/StartupWait.h"
#include "dataman/dataview/ExRxDBGrid.h"
#include "dataman/dataview/Tdataview.h"
#include "dataman/restructure/TRestructureform.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include "store/DataSource.h"
#include "support/ScriptedMessages.h"

#include <QAction>
#include <QProcess>

using namespace vellora;
using namespace vellora::test;

namespace {

QString sql(const QString &file, const QString &query)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file, query});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

DBMemo *frontItem(TForm1 &main, const QString &field)
{
    for (DBMemo *item : main.side(0).panel->findChildren<DBMemo *>())
        if (item->dataField().compare(field, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

}  // namespace

class TestDatabaseView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetStartupWaitEnabled(false);
        QApplication::setApplicationDisplayName("Vellora-Id");
    }

    void editDatabaseOpensTheViewOverTheClosedCardTable()
    {
        Program p;
        ScriptedMessages answers;
        p.addCard("Okafor", "Ada");
        p.addCard("Moreau", "Bo");
        // Typed into the main window but not committed yet.
        p.table().edit();
        p.table().fieldByName("Department").setAsString("Legal");
        QAction *item = p.main().dataModule()->item(QStringLiteral("EditDatabase1"));
        QVERIFY(item->isEnabled());

        bool seen = false, mainClosed = false;
        QString departmentSeen;
        WhenModal(
            [&](QWidget *modal) {
                auto *view = qobject_cast<Tdataview *>(modal);
                if (!view)
                    return;
                mainClosed = !p.table().isOpen();
                QApplication::setActiveWindow(view);
                TExRxDBGrid *grid = view->ExRxDBGrid1;
                const int dep = view->Table1->fieldByName("Department").index();
                departmentSeen = grid->gridModel()->text(1, dep);
                // Type a new last name into the first card and leave by Exit.
                const int last = view->Table1->fieldByName("Last_name").index();
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                  grid->visualRect(grid->gridModel()->index(0, last)).center());
                QTest::keyClick(grid, Qt::Key_F2);
                QWidget *editor = QApplication::focusWidget();
                QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(editor, "Hopper");
                QTest::keyClick(editor, Qt::Key_Return);
                QCoreApplication::processEvents();
                view->Exit1->trigger();
            },
            &seen);
        item->trigger();
        QVERIFY(seen);
        QVERIFY(mainClosed);
        QCOMPARE(departmentSeen, QStringLiteral("Legal"));
        QCOMPARE(sql(p.file("data/cardset1.DB"), "select Last_name from cardset1 where Card_Number=1"),
                 QStringLiteral("Hopper"));
        // The main window is back on its table with its field items.
        QVERIFY(p.table().isOpen());
        QVERIFY(frontItem(p.main(), "Last_name"));
        p.table().first();
        QCOMPARE(p.currentLastName(), QStringLiteral("Hopper"));
        QCOMPARE(frontItem(p.main(), "Last_name")->toPlainText(), QStringLiteral("Hopper"));
        QCOMPARE(answers.unexpected(), 0);
    }

    // Edit Table Format from the view: a field added and a field deleted;
    // after the view closes the card face has an item for the new field and
    // none for the deleted one, and the values stayed with their cards.
    void restructureRebuildsTheFieldItems()
    {
        Program p;
        ScriptedMessages answers({MrOk});
        p.addCard("Okafor", "Ada", "Research");
        bool seenView = false, seenForm = false;
        WhenModal(
            [&](QWidget *modal) {
                auto *view = qobject_cast<Tdataview *>(modal);
                if (!view)
                    return;
                seenView = true;
                // First pass: add "Phone".
                WhenModal(
                    [&](QWidget *dialog) {
                        auto *f = qobject_cast<TRestructureform *>(dialog);
                        if (!f)
                            return;
                        seenForm = true;
                        QTest::mouseClick(f->Button1, Qt::LeftButton);
                        f->Edit1->setFocus();
                        f->Edit1->setText("Phone");
                        QTest::keyClick(f->Edit1, Qt::Key_Tab);
                        QTest::mouseClick(f->Button3, Qt::LeftButton);
                    },
                    nullptr);
                view->EditTableFormat1->trigger();
                view->Exit1->trigger();
            },
            &seenView);
        p.trigger("EditDatabase1");
        QVERIFY(seenView && seenForm);
        QVERIFY(frontItem(p.main(), "Phone"));
        QCOMPARE(p.currentLastName(), QStringLiteral("Okafor"));

        // Second pass: delete it again.
        seenForm = false;
        WhenModal(
            [&](QWidget *modal) {
                auto *view = qobject_cast<Tdataview *>(modal);
                if (!view)
                    return;
                WhenModal(
                    [&](QWidget *dialog) {
                        auto *f = qobject_cast<TRestructureform *>(dialog);
                        if (!f)
                            return;
                        seenForm = true;
                        f->selectField(f->ListBox1->count() - 1);
                        QTest::mouseClick(f->Button2, Qt::LeftButton);
                        QTest::mouseClick(f->Button3, Qt::LeftButton);
                    },
                    nullptr);
                view->EditTableFormat1->trigger();
                view->Exit1->trigger();
            },
            nullptr);
        p.trigger("EditDatabase1");
        QVERIFY(seenForm);
        QVERIFY(!frontItem(p.main(), "Phone"));
        QVERIFY(frontItem(p.main(), "Last_name"));
        QCOMPARE(p.cards(), QStringList{"1|Ada|Okafor|Research"});
    }
};

QTEST_MAIN(TestDatabaseView)
#include "test_database_view.moc"
