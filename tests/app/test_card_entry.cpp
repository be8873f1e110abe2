// Typing on the card face as an operator does: into an empty collection,
// long values, fields that are not text, track data stored with characters
// outside its set, and card tables whose field names differ in letter case.
#include "app/mainwindow/TForm1.h"
#include "app/shell/StartupWait.h"
#include "engine/FieldDef.h"
#include "engine/Table.h"
#include "lang/FontChoiceDialog.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/DataSource.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QSpinBox>
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

void addCard(const TempProgramFolder &folder, const QString &field, const QString &value)
{
    Table table;
    OpenCardTable(table, folder.path());
    table.append();
    table.fieldByName(field).setAsString(value);
    table.post();
    table.commitUpdates();
}

void showAndActivate(TForm1 &main)
{
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
}

void focus(QWidget *box)
{
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
}

QToolButton *navigatorButton(TForm1 &main, const char *name)
{
    return main.findChild<QToolButton *>(QLatin1String(name));
}

}  // namespace

class TestCardEntry : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetStartupWaitEnabled(false); }
    void init() { SetCurrentLanguage(QString(), {}); }

    // A fresh collection: the first keystroke makes a card as New does,
    // every key shows and the whole texts are kept.
    void typingIntoAnEmptyCollectionMakesACard()
    {
        TempProgramFolder folder;
        Program program(folder);
        TForm1 &main = program.main();
        QCOMPARE(main.table()->recordCount(), 0);
        showAndActivate(main);
        DBMemo *first = main.side(0).fieldItem("First_name");
        DBMemo *last = main.side(0).fieldItem("Last_name");
        focus(first);
        QTest::keyClicks(first, "An");
        QCOMPARE(first->toPlainText(), QString("An"));
        QTest::keyClicks(first, "na");
        QCOMPARE(first->toPlainText(), QString("Anna"));
        QTest::keyClick(first, Qt::Key_Tab);
        QTRY_VERIFY(last->hasFocus());
        QTest::keyClicks(last, "Lang");
        QCOMPARE(last->toPlainText(), QString("Lang"));
        QCOMPARE(first->toPlainText(), QString("Anna"));
        main.CommitCard();

        QCOMPARE(main.table()->recordCount(), 1);
        // Made as New makes a card: numbered, the second field a blank.
        QVERIFY(main.table()->fieldByName("Card_Number").asString().toInt() > 0);
        QCOMPARE(main.table()->field(1).asString(), QString(" "));
        Table stored;
        OpenCardTable(stored, folder.path());
        QCOMPARE(stored.recordCount(), 1);
        QCOMPARE(stored.fieldByName("First_name").asString(), QString("Anna"));
        QCOMPARE(stored.fieldByName("Last_name").asString(), QString("Lang"));
    }

    // Long values wrap; a box without the focus shows its first line, and
    // every card shows its own values afterwards.
    void longValuesShowFromTheirFirstLine()
    {
        TempProgramFolder folder;
        addCard(folder, "Last_name", "Berg");
        addCard(folder, "Last_name", "Kraus");
        Program program(folder);
        TForm1 &main = program.main();
        showAndActivate(main);
        main.table()->last();
        DBMemo *first = main.side(0).fieldItem("First_name");
        DBMemo *last = main.side(0).fieldItem("Last_name");
        focus(first);
        QTest::keyClicks(first, "Anna-Katharina Maximiliane");
        QTest::keyClick(first, Qt::Key_Tab);
        QTRY_VERIFY(last->hasFocus());
        last->selectAll();
        QTest::keyClicks(last, "von Hohenzollern-Sigmaringen");
        QVERIFY2(first->document()->firstBlock().layout()->lineCount() > 1, "the value wraps in its box");
        QCOMPARE(first->verticalScrollBar()->value(), 0);
        QTest::keyClick(last, Qt::Key_Tab);
        QTRY_VERIFY(!last->hasFocus());
        QCOMPARE(last->verticalScrollBar()->value(), 0);

        navigatorButton(main, "nbPrior")->click();
        QCOMPARE(main.table()->recNo(), 1);
        QCOMPARE(last->toPlainText(), QString("Berg"));
        QCOMPARE(last->verticalScrollBar()->value(), 0);
        QCOMPARE(first->verticalScrollBar()->value(), 0);
        navigatorButton(main, "nbNext")->click();
        QCOMPARE(last->toPlainText(), QString("von Hohenzollern-Sigmaringen"));
        QCOMPARE(last->verticalScrollBar()->value(), 0);
        Table stored;
        OpenCardTable(stored, folder.path());
        stored.last();
        QCOMPARE(stored.fieldByName("Last_name").asString(), QString("von Hohenzollern-Sigmaringen"));
        QCOMPARE(stored.fieldByName("First_name").asString(), QString("Anna-Katharina Maximiliane"));
    }

    // A date or a number is checked when the operator leaves the box or the
    // card; a value the field cannot hold is reported by field and value and
    // stays in the box for correction.
    void fieldsThatAreNotTextTakeTheirValueWhenLeft()
    {
        TempProgramFolder folder;
        QList<FieldDef> fields = StandardCardFields();
        fields.append(FieldDef{"Birth_date", FieldType::Date, 0});
        fields.append(FieldDef{"Credit", FieldType::Integer, 0});
        writeCardTable(folder, fields);
        addCard(folder, "Last_name", "Berg");
        addCard(folder, "Last_name", "Kraus");
        Program program(folder);
        TForm1 &main = program.main();
        showAndActivate(main);
        main.table()->last();
        DBMemo *date = main.side(0).fieldItem("Birth_date");
        DBMemo *credit = main.side(0).fieldItem("Credit");
        DBMemo *title = main.side(0).fieldItem("Title");
        QVERIFY(date && credit);
        date->show();
        credit->show();

        ScriptedMessages messages({MrOk, MrOk, MrOk}, MrOk);
        focus(credit);
        QTest::keyClicks(credit, "-42");
        QCOMPARE(credit->toPlainText(), QString("-42"));
        focus(date);
        QCOMPARE(main.table()->fieldByName("Credit").asString(), QString("-42"));
        QTest::keyClicks(date, "2024-02-3");
        QCOMPARE(date->toPlainText(), QString("2024-02-3"));  // every key shows
        QTest::keyClicks(date, "0x");
        focus(title);
        QTRY_COMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.shown()[0].text.contains("Birth_date") && messages.shown()[0].text.contains("2024-02-30x"),
                 qPrintable(messages.shown()[0].text));
        QCOMPARE(date->toPlainText(), QString("2024-02-30x"));  // kept for correction
        QVERIFY(main.table()->fieldByName("Birth_date").isNull());

        // Leaving the card with the value still wrong: reported, the card stays.
        navigatorButton(main, "nbPrior")->click();
        QTRY_COMPARE(messages.shown().size(), 2);
        QCOMPARE(main.table()->recNo(), 2);
        QCOMPARE(date->toPlainText(), QString("2024-02-30x"));

        // Corrected: taken when the card is left.
        focus(date);
        date->selectAll();
        QTest::keyClicks(date, "2024-02-29");
        navigatorButton(main, "nbPrior")->click();
        QCOMPARE(main.table()->recNo(), 1);
        QCOMPARE(messages.shown().size(), 2);
        QVERIFY(date->toPlainText().isEmpty());
        Table stored;
        OpenCardTable(stored, folder.path());
        stored.last();
        QCOMPARE(stored.fieldByName("Birth_date").value().toDate(), QDate(2024, 2, 29));
        QCOMPARE(stored.fieldByName("Credit").asString(), QString("-42"));
    }

    // Track data stored with characters outside the track's set stays as it
    // is and stays editable: only the keys typed are judged.
    void storedTrackValueOutsideItsSetStaysEditable()
    {
        TempProgramFolder folder;
        writeSettings(folder, [](Settings &s) {
            s.front.StripeOn = 1;
            s.front.Track[0] = TrackSettings{1, 2, "", 1};
        });
        addCard(folder, "MagStripe1", "abc.1");
        Program program(folder);
        TForm1 &main = program.main();
        showAndActivate(main);
        DBEdit *box = main.magTrack(1).dataBox;
        QCOMPARE(box->text(), QString("abc.1"));
        focus(box);
        box->end(false);
        QTest::keyClicks(box, "x2");
        QCOMPARE(box->text(), QString("abc.1X2"));
        QTest::keyClicks(box, ".");  // refused as typed
        QCOMPARE(box->text(), QString("abc.1X2"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QString("abc.1X"));
        // Leaving the box does not rewrite what it holds.
        focus(main.side(0).fieldItem("First_name"));
        QCOMPARE(box->text(), QString("abc.1X"));
        main.CommitCard();
        QCOMPARE(main.table()->fieldByName("MagStripe1").asString(), QString("abc.1X"));
        focus(box);
        box->end(false);
        QTest::keyClicks(box, "7");
        QCOMPARE(box->text(), QString("abc.1X7"));
        main.CommitCard();
        QCOMPARE(main.table()->fieldByName("MagStripe1").asString(), QString("abc.1X7"));
    }

    // FontStyle on the bold free text: the dialog shows the face as stored,
    // its size, style and colour, and OK without a change changes nothing;
    // a colour chosen in it reaches the item.
    void fontDialogKeepsTheItemsFontUntilChanged()
    {
        TempProgramFolder folder;
        addCard(folder, "Last_name", "Berg");
        Program program(folder);
        TForm1 &main = program.main();
        showAndActivate(main);
        QLabel *title = main.side(0).statlabel[0];
        const QFont before = title->font();
        QCOMPARE(before.family(), QString("Arial Black"));
        QVERIFY(before.bold());
        const QColor colour = title->palette().color(QPalette::WindowText);

        struct Seen {
            QString face;
            int size = 0;
            bool bold = false;
            bool italicOffered = false;
            bool colourOffered = false;
        } seen;
        auto answer = [&](std::function<void(FontChoiceDialog *)> change) {
            QTimer::singleShot(0, [&seen, change] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                if (auto *face = dialog->findChild<QComboBox *>("FaceBox"))
                    seen.face = face->currentText();
                if (auto *size = dialog->findChild<QSpinBox *>("SizeBox"))
                    seen.size = size->value();
                if (auto *bold = dialog->findChild<QCheckBox *>("BoldBox"))
                    seen.bold = bold->isChecked();
                seen.italicOffered = dialog->findChild<QCheckBox *>("ItalicBox") != nullptr;
                seen.colourOffered = dialog->findChild<QPushButton *>("ColourButton") != nullptr;
                if (auto *choice = qobject_cast<FontChoiceDialog *>(dialog); choice && change)
                    change(choice);
                dialog->accept();
            });
        };
        answer({});
        main.prepareTextMenu(title);
        for (QAction *a : main.textMenu()->actions())
            if (a->objectName() == "FontStyle1")
                a->trigger();
        QCOMPARE(seen.face, QString("Arial Black"));
        QCOMPARE(seen.size, 30);
        QVERIFY(seen.bold);
        QVERIFY(seen.italicOffered);
        QVERIFY(seen.colourOffered);
        QCOMPARE(title->font().family(), before.family());
        QCOMPARE(title->font().pixelSize(), before.pixelSize());
        QCOMPARE(title->font().bold(), true);
        QCOMPARE(title->font().italic(), false);
        QCOMPARE(title->palette().color(QPalette::WindowText), colour);

        // Italic and a colour chosen in the dialog.
        answer([](FontChoiceDialog *dialog) {
            dialog->findChild<QCheckBox *>("ItalicBox")->setChecked(true);
            dialog->setColour(QColor(0, 90, 160));
        });
        main.ChooseItemFont(title, false);
        QCOMPARE(title->font().family(), QString("Arial Black"));
        QVERIFY(title->font().italic());
        QVERIFY(title->font().bold());
        QCOMPARE(title->palette().color(QPalette::WindowText), QColor(0, 90, 160));
    }

    // The font dialog's texts are in every shipped language.
    void fontDialogHasItsKeysInEveryLanguage()
    {
        TempProgramFolder folder;
        QStringList lines;
        QVERIFY(ReadUtf16Lines(folder.file("languages.ini"), &lines));
        const QStringList languages = SectionNamesOf(lines);
        QVERIFY(languages.contains("German"));
        FontChoiceDialog dialog(QFont("Arial"), Qt::black);
        for (const QString &language : languages) {
            const LanguageTable table(SectionLines(lines, language));
            QVERIFY2(MissingKeys(&dialog, table).isEmpty(), qPrintable(language + ": " + MissingKeys(&dialog, table).join(", ")));
        }
    }

    // Field names spelled in other letter case (a converted table): the
    // quick layouts place and show their field items all the same.
    void quickLayoutsFindFieldsWhateverTheirLetterCase()
    {
        TempProgramFolder folder;
        QList<FieldDef> fields = StandardCardFields();
        for (FieldDef &f : fields)
            if (f.name != "Card_Number")
                f.name = f.name.toUpper();
        writeCardTable(folder, fields);
        addCard(folder, "FIRST_NAME", "Anna");
        Program program(folder);
        TForm1 &main = program.main();
        for (const char *name : {"First_name", "Last_name", "Title", "Department"}) {
            DBMemo *item = main.side(0).fieldItem(name);
            QVERIFY2(item, name);
            QVERIFY2(!item->isHidden(), name);
        }
        QCOMPARE(main.side(0).fieldItem("First_name")->geometry(), QRect(24, 109, 303, 38));
        QCOMPARE(main.side(0).fieldItem("First_name")->toPlainText(), QString("Anna"));
        // Their fonts are those of the quick layout's font slots.
        QCOMPARE(CardFontPoints(main.side(0).fieldItem("First_name")->font()), 24);
    }
};

QTEST_MAIN(TestCardEntry)
#include "test_card_entry.moc"
