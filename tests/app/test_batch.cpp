// Batch printing on real card tables: the list rows and their columns, the
// range boxes, the button layout, and batch runs on the virtual card
// printer with a failing card, Cancel, a stop at the error question and an
// empty table.
#include "app/printing/PrintCommands.h"
#include "lang/LanguageTable.h"
#include "print/batch/BatchList.h"
#include "store/DataSource.h"
#include "support/ScriptedMessages.h"
#include "test_printing_support.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

QList<int> tickedPositions(const Tbatchprint &batch)
{
    QList<int> out;
    const QList<bool> t = batch.ticks();
    for (int i = 0; i < t.size(); ++i)
        if (t[i])
            out.append(i + 1);
    return out;
}

QList<int> range(int from, int to)
{
    QList<int> out;
    for (int i = from; i <= to; ++i)
        out.append(i);
    return out;
}

// Makes the virtual card printer fail from now on (its folder cannot be
// made) or work again.
void breakPrinter(const QString &appFolder, bool broken)
{
    VirtualCardPrinterSettings s = TheVirtualCardPrinter().settings();
    if (broken) {
        QFile blocker(appFolder + "blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        s.outputFolder = appFolder + "blocker/printed/";
    } else {
        s.outputFolder = appFolder + "printed/";
    }
    TheVirtualCardPrinter().setSettings(s);
}

}  // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void rowsSplitAsTheListFormatSays_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("plain") << BatchListItemText("17", "Research", "Maria", "Lindqvist")
                               << QStringList{"17", "Research", "Maria", "Lindqvist"};
        QTest::newRow("empty fields") << BatchListItemText("3", "", "", "") << QStringList{"3", "", "", ""};
        // A bar in the department shifts the parts after it.
        QTest::newRow("bar in department") << BatchListItemText("5", "R|D", "Aiko", "Tanaka")
                                           << QStringList{"5", "R", "D", "Aiko"};
        QTest::newRow("no bar") << "8=Sales" << QStringList{"8", "", "", ""};
        QTest::newRow("one bar") << "8=Sales|Omar" << QStringList{"8", "Sales", "", ""};
        QTest::newRow("equals in a name") << BatchListItemText("9", "Legal", "A=B", "C")
                                          << QStringList{"9", "Legal", "A=B", "C"};
    }
    void rowsSplitAsTheListFormatSays()
    {
        QFETCH(QString, item);
        QFETCH(QStringList, parts);
        const BatchListItemParts p = SplitBatchListItem(item);
        QCOMPARE((QStringList{p.cardNumber, p.department, p.firstName, p.lastName}), parts);
    }

    void columnArithmetic()
    {
        // A row from 20 to 480: e = Round(460 / 12) = 38.
        const BatchRowColumns c = BatchColumns(20, 480);
        QCOMPARE(c.e, 38);
        QCOMPARE(c.departmentRight, 74);  // 2e - 2, from the list's own left edge
        QCOMPARE(c.numberLeft, 76);
        QCOMPARE(c.numberRight, 480 - 304);
        QCOMPARE(c.firstLeft, 176);
        QCOMPARE(c.lastLeft, 480 - 152);
        QCOMPARE(c.lastRight, 478);
        QCOMPARE(c.departmentText, 22);
        QCOMPARE(c.firstText, 180);
        QCOMPARE((QList<int>{c.separator1, c.separator2, c.separator3}), (QList<int>{76, 178, 330}));
        // Halves round to even: 30 / 12 = 2.5 gives 2, 42 / 12 = 3.5 gives 4.
        QCOMPARE(BatchColumns(0, 30).e, 2);
        QCOMPARE(BatchColumns(0, 42).e, 4);
    }

    void listAndRangeBoxes()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 10, [](int i, Table &t) {
            if (i == 4)
                t.fieldByName("Department").setAsString("R|D");
        });
        Program program(folder.path());
        TForm1 &main = program.main();
        main.table()->setRecNo(6);
        Tbatchprint *batch = program.print().batch;
        batch->BuildList();
        QCOMPARE(batch->list()->count(), 10);
        QCOMPARE(batch->list()->item(0)->text(), BatchListItemText("1", "Research", "Maria", sampleCard(0).last));
        QCOMPARE(batch->list()->item(4)->text(), BatchListItemText("5", "R|D", "Lena", sampleCard(4).last));
        QCOMPARE(main.table()->recNo(), 6);  // back on the card that was current
        QVERIFY(tickedPositions(*batch).isEmpty());

        batch->edit1()->setText("3");
        batch->edit2()->setText("5");
        QCOMPARE(tickedPositions(*batch), (QList<int>{3, 4, 5}));
        batch->edit2()->setText("5x");  // not an integer: up to the last item
        QCOMPARE(tickedPositions(*batch), range(3, 10));
        batch->edit1()->setText("0");
        QCOMPARE(tickedPositions(*batch), range(1, 10));
        batch->edit2()->setText("4");
        QCOMPARE(tickedPositions(*batch), range(1, 4));

        // The range replaces ticks set by hand; Select All and Deselect All.
        batch->list()->item(8)->setCheckState(Qt::Checked);
        batch->edit1()->setText("2");
        QCOMPARE(tickedPositions(*batch), range(2, 4));
        QTest::mouseClick(batch->findChild<QWidget *>("BitBtn2"), Qt::LeftButton);
        QCOMPARE(tickedPositions(*batch), range(1, 10));
        QTest::mouseClick(batch->findChild<QWidget *>("BitBtn3"), Qt::LeftButton);
        QVERIFY(tickedPositions(*batch).isEmpty());

        // Rebuilt on the next showing, every item unticked again.
        QTest::mouseClick(batch->findChild<QWidget *>("BitBtn2"), Qt::LeftButton);
        batch->BuildList();
        QVERIFY(tickedPositions(*batch).isEmpty());
    }

    void buttonsMoveWithTheColourMode_data()
    {
        QTest::addColumn<bool>("mono");
        QTest::addColumn<QList<int>>("lefts");  // BitBtn1, PrintButton2, PrintButton, BitBtn4
        QTest::newRow("monochrome") << true << QList<int>{42, 151, 260, 370};
        QTest::newRow("colour") << false << QList<int>{98, -1, 210, 322};
    }
    void buttonsMoveWithTheColourMode()
    {
        QFETCH(bool, mono);
        QFETCH(QList<int>, lefts);
        TempProgramFolder folder;
        writeSettings(folder.path(), [&](Settings &s) { s.front.MonoPrinter = mono; });
        Program program(folder.path());
        Tbatchprint *batch = program.print().batch;
        batch->PlaceButtons();
        const char *names[] = {"BitBtn1", "PrintButton2", "PrintButton", "BitBtn4"};
        for (int i = 0; i < 4; ++i) {
            QWidget *b = batch->findChild<QWidget *>(names[i]);
            QVERIFY(b);
            QCOMPARE(b->y(), 340);
            if (lefts[i] < 0)
                QVERIFY(b->isHidden());
            else
                QCOMPARE(b->x(), lefts[i]);
        }
    }

    void failingCardAnsweredYesGoesOn()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 3);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.table()->setRecNo(2);
        const PrintWindows w = program.print();
        const size_t before = TheVirtualCardPrinter().jobs().size();
        ScriptedMessages messages({MrYes, MrOk});
        QStringList reports;
        const BatchRunResult r = RunBatch(BatchHostFor(main, w.preview, w.progress), {true, true, true}, 1,
                                          [&](const BatchCardReport &c) {
                                              reports.append(c.cardNumber + (c.printed ? " ok" : " failed"));
                                              breakPrinter(folder.path(), c.k == 1);  // the second job fails
                                          });
        QCOMPARE(reports, (QStringList{"1 ok", "2 failed", "3 ok"}));
        QCOMPARE(r.printed, 2);
        QVERIFY(!r.cancelled && !r.stopped);
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 2);
        QCOMPARE(printedPngs(folder.path()).size(), 2);
        QCOMPARE(messages.shown().size(), 2);
        QCOMPARE(messages.shown()[0].kind, MsgKind::Error);
        QCOMPARE(messages.shown()[0].buttons, MsgButton::Yes | MsgButton::Cancel);
        QVERIFY(messages.shown()[0].text.startsWith(Literal(55)));
        QVERIFY(messages.shown()[0].text.endsWith(Literal(56)));
        QVERIFY(messages.shown()[0].text.contains("blocker"));
        QCOMPARE(messages.shown()[1].text, "2" + Literal(58));
        QCOMPARE(messages.shown()[1].kind, MsgKind::Information);
        QCOMPARE(main.table()->recNo(), 2);
        QVERIFY(!w.preview->BatchMode);
    }

    void questionsOfTheRunAreNotUnderTheProgressWindow()
    {
        // The progress window stays on top: the error question belongs to
        // it, and the summary comes once it is gone.
        TempProgramFolder folder;
        addCards(folder.path(), 2);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        const PrintWindows w = program.print();
        struct Seen {
            QString text;
            QWidget *owner;
            bool progressVisible;
        };
        QList<Seen> seen;
        SetMessageAnswerer([&](const ShownMessage &m) {
            seen.append({m.text, m.owner, w.progress->isVisible()});
            return m.buttons.testFlag(MsgButton::Yes) ? int(MrYes) : int(MrOk);
        });
        const BatchRunResult r = RunBatch(BatchHostFor(main, w.preview, w.progress), {true, true}, 1,
                                          [&](const BatchCardReport &c) {
                                              if (c.k == 1)
                                                  QVERIFY(QTest::qWaitForWindowActive(w.progress));
                                              breakPrinter(folder.path(), c.k == 1);  // the second job fails
                                          });
        SetMessageAnswerer({});
        breakPrinter(folder.path(), false);
        QCOMPARE(r.printed, 1);
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0].text.startsWith(Literal(55)));
        QVERIFY(seen[0].progressVisible);
        QCOMPARE(seen[0].owner, static_cast<QWidget *>(w.progress));
        QCOMPARE(seen[1].text, "1" + Literal(58));
        QVERIFY(!seen[1].progressVisible);
        QVERIFY(seen[1].owner != static_cast<QWidget *>(w.progress));
        QVERIFY(!w.progress->isVisible());
    }

    void errorQuestionAnsweredCancelStops()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 4);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.table()->setRecNo(4);
        const PrintWindows w = program.print();
        ScriptedMessages messages({MrCancel});
        breakPrinter(folder.path(), true);
        const BatchRunResult r = RunBatch(BatchHostFor(main, w.preview, w.progress), {true, true, true, true}, 2);
        breakPrinter(folder.path(), false);
        QVERIFY(r.stopped);
        QCOMPARE(r.printed, 0);
        QCOMPARE(r.failed, 1);
        QCOMPARE(messages.shown().size(), 1);  // no summary
        QCOMPARE(main.table()->recNo(), 4);
        QVERIFY(!w.preview->BatchMode);
        QVERIFY(!w.progress->isVisible());
    }

    void cancelDuringTheThirdOfFive()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 6);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.table()->setRecNo(1);
        const PrintWindows w = program.print();
        ScriptedMessages messages;
        int started = 0;
        // The operator presses Cancel while the third card prints.
        const BatchRunResult r = RunBatch(BatchHostFor(main, w.preview, w.progress),
                                          {false, true, true, true, true, true}, 1, [&](const BatchCardReport &c) {
                                              ++started;
                                              QCOMPARE(w.progress->label()->text(),
                                                       Literal(53) + QString::number(c.k) + Literal(54) + "5");
                                              if (c.k == 3)
                                                  QTest::mouseClick(w.progress->cancelButton(), Qt::LeftButton);
                                          });
        QVERIFY(r.cancelled);
        QCOMPARE(started, 3);
        QCOMPARE(r.printed, 3);
        QCOMPARE(printedPngs(folder.path()).size(), 3);
        QCOMPARE(messages.shown().size(), 0);  // no summary
        QCOMPARE(main.table()->recNo(), 4);    // stays on the last card printed
        QVERIFY(!w.progress->isVisible());
    }

    void emptyTableAndNoTicks()
    {
        TempProgramFolder folder;
        Program program(folder.path());
        const PrintWindows w = program.print();
        w.batch->BuildList();
        QCOMPARE(w.batch->list()->count(), 0);
        ScriptedMessages messages({MrOk, MrOk});
        QTest::mouseClick(w.batch->findChild<QWidget *>("PrintButton"), Qt::LeftButton);
        w.batch->StartBatch(2);  // the half-resolution button of a monochrome printer
        QCOMPARE(messages.shown().size(), 2);
        for (const ShownMessage &m : messages.shown()) {
            QCOMPARE(m.text, Literal(57));
            QCOMPARE(m.kind, MsgKind::Error);
            QCOMPARE(m.buttons, MsgButtons(MsgButton::OK));
        }
        QVERIFY(printedPngs(folder.path()).isEmpty());
    }

    void menuCommandShowsTheWindowWithPlaceholdersHidden()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 2, [](int i, Table &t) {
            if (i == 0)
                for (const char *f : {"First_name", "Last_name", "Title", "Department"})
                    t.fieldByName(f).setAsString(QString());
        });
        Program program(folder.path());
        TForm1 &main = program.main();
        main.ShowPlaceholders(true);
        auto shownPlaceholders = [&] {
            int n = 0;
            for (QLabel *ghost : main.side(0).placeholders)
                n += ghost->isHidden() ? 0 : 1;
            return n;
        };
        const int before = shownPlaceholders();
        QVERIFY(before > 0);
        const PrintWindows w = program.print();
        int whileShown = -1, items = -1;
        QTimer::singleShot(0, w.batch, [&] {
            whileShown = shownPlaceholders();
            items = w.batch->list()->count();
            w.batch->done(QDialog::Rejected);
        });
        QAction *action = nullptr;
        for (QAction *a : main.findChildren<QAction *>())
            if (a->objectName() == "BatchPrint1")
                action = a;
        QVERIFY(action && action->isEnabled());
        action->trigger();
        QCOMPARE(whileShown, 0);
        QCOMPARE(items, 2);
        QCOMPARE(main.table()->recNo(), 1);
        QCOMPARE(shownPlaceholders(), before);
    }
};

QTEST_MAIN(TestBatch)
#include "test_batch.moc"
