// The Find dialog on the real main window: the "Look In:" list, the search
// from the card after the current one, the end-of-table question, Cancel,
// and the marking of the matching field items on the front card panel.
#include "test_projects_support.h"

#include "app/projects/ProjectCommands.h"
#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "dataman/find/TForm3.h"
#include "engine/EngineError.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"
#include "store/DataSource.h"
#include "support/ScriptedMessages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace vellora;
using namespace vellora::test;

namespace {

const QStringList kCaptions{"Card_Number=Card Number", "First_name=Given Name", "Last_name=Last Name",
                            "Department=Department", "AllFields=All Fields"};

// Cards 1..5; card 4's last name is the capitalised one with blanks.
void fillCards(Program &p)
{
    p.addCard("Okafor", "Ada", "Research");
    p.addCard("Lindqvist", "Grace", "Sales");
    p.addCard("Moreau", "Bo", "Grace Hall");
    p.addCard("  Nakamura  ", "Kenji", "Legal");
    p.addCard("Silva", "Ines", "Research");
}

DBMemo *frontItem(TForm1 &main, const QString &field)
{
    for (DBMemo *item : main.side(0).panel->findChildren<DBMemo *>())
        if (item->dataField() == field)
            return item;
    return nullptr;
}

bool wholeTextSelected(DBMemo *item)
{
    return item && !item->toPlainText().isEmpty() && item->textCursor().selectedText() == item->toPlainText();
}

}  // namespace

class TestProjectsFind : public QObject {
    Q_OBJECT

    TForm3 *open(Program &p)
    {
        auto *button = p.main().findChild<GlyphButton *>("BitBtn8");
        if (!button || !button->isEnabled())
            return nullptr;
        button->click();
        return FindDialogOf(p.main());
    }
    void search(TForm3 *find, const QString &text, int lookIn, FindMatch match)
    {
        find->Edit1->setText(text);
        find->ComboBox1->setCurrentIndex(lookIn);
        find->ComboBox2->setCurrentIndex(int(match));
        find->Button1->click();
    }

private slots:
    void initTestCase()
    {
        SetStartupWaitEnabled(false);
        QApplication::setApplicationDisplayName("Vellora-Id");
    }
    void init() { FieldCaptions() = kCaptions; }

    void dialogListsTheFieldsByTheirCaptions()
    {
        Program p;
        fillCards(p);
        p.main().show();
        TForm3 *find = open(p);
        QVERIFY(find);
        QVERIFY(find->isVisible());
        QVERIFY(!find->isModal());
        QVERIFY(find->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(find->size(), QSize(421, 99));
        QStringList entries;
        for (int i = 0; i < find->ComboBox1->count(); ++i)
            entries.append(find->ComboBox1->itemText(i));
        QStringList expected{"All Fields"};
        for (const QString &name : p.table().fieldNames()) {
            const QString caption = FieldCaption(name);
            expected.append(caption.isEmpty() ? name : caption);
        }
        QCOMPARE(entries, expected);
        QVERIFY(entries.contains("Given Name"));
        QVERIFY(entries.contains("Title"));   // no caption: the field's name
        QCOMPARE(find->ComboBox1->currentIndex(), 0);
        QCOMPARE(find->ComboBox2->currentText(), QString("Whole Field"));
        QVERIFY(find->Edit1->text().isEmpty());

        // Every showing starts afresh.
        find->Edit1->setText("left over");
        find->ComboBox1->setCurrentIndex(3);
        find->Button2->click();
        QVERIFY(!find->isVisible());
        FieldCaptions().clear();
        open(p);
        QCOMPARE(find->ComboBox1->itemText(0), QString());
        QCOMPARE(find->ComboBox1->itemText(2), p.table().fieldNames()[1]);
        QVERIFY(find->Edit1->text().isEmpty());
    }

    void everyTextOfTheDialogIsInTheLanguageFiles()
    {
        // The dialog as built: its field list is data, filled when shown.
        Program p;
        TForm3 find;
        QStringList lines;
        QVERIFY(ReadUtf16Lines(p.file("languages.ini"), &lines));
        for (const QString &language : {QStringLiteral("English"), QStringLiteral("German")}) {
            const LanguageTable table(SectionLines(lines, language));
            QVERIFY(!table.isEmpty());
            QCOMPARE(MissingKeys(&find, table).join("\n"), QString());
        }
    }

    void lowerCaseWholeFieldFindsTheCapitalisedNameWithBlanks()
    {
        Program p;
        fillCards(p);
        p.table().setRecNo(1);
        TForm3 *find = open(p);
        ScriptedMessages answers;
        search(find, "nakamura", find->ComboBox1->findText("Last Name"), FindMatch::WholeField);
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(p.table().recNo(), 4);
        // The card face follows: the field item shows the found card, all selected.
        DBMemo *item = frontItem(p.main(), "Last_name");
        QVERIFY(item);
        QCOMPARE(item->toPlainText(), QString("  Nakamura  "));
        QVERIFY(wholeTextSelected(item));
        QVERIFY(!wholeTextSelected(frontItem(p.main(), "First_name")));
        QVERIFY(p.main().isEnabled());
    }

    void allFieldsMarksEveryMatchingItem()
    {
        Program p;
        fillCards(p);
        p.table().setRecNo(1);
        TForm3 *find = open(p);
        ScriptedMessages answers;
        search(find, "GRACE", 0, FindMatch::StartOfField);
        QCOMPARE(p.table().recNo(), 2);     // First_name "Grace"
        QVERIFY(wholeTextSelected(frontItem(p.main(), "First_name")));
        QVERIFY(!wholeTextSelected(frontItem(p.main(), "Department")));
        find->Button1->click();             // on from card 2: card 3's department
        QCOMPARE(p.table().recNo(), 3);
        QVERIFY(wholeTextSelected(frontItem(p.main(), "Department")));
        QVERIFY(!wholeTextSelected(frontItem(p.main(), "First_name")));
        QCOMPARE(answers.shown().size(), 0);
    }

    void theLastCardTestsItselfFirst()
    {
        Program p;
        fillCards(p);
        p.table().setRecNo(5);
        TForm3 *find = open(p);
        ScriptedMessages answers;
        search(find, "silva", find->ComboBox1->findText("Last Name"), FindMatch::WholeField);
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(p.table().recNo(), 5);

        // Not matching there: the end question, then on from the first card.
        answers.push(MrOk);
        search(find, "okafor", find->ComboBox1->findText("Last Name"), FindMatch::WholeField);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, Literal(62));
        QCOMPARE(answers.shown()[0].kind, MsgKind::Information);
        QCOMPARE(answers.shown()[0].buttons, MsgButton::OK | MsgButton::Cancel);
        QCOMPARE(p.table().recNo(), 1);
        QCOMPARE(p.currentLastName(), QString("Okafor"));
    }

    void theEndQuestionIsAboveTheFindDialog()
    {
        // The Find dialog stays on top: its question must belong to it, or
        // it opens underneath.
        Program p;
        fillCards(p);
        p.main().show();
        p.table().setRecNo(3);
        TForm3 *find = open(p);
        QVERIFY(QTest::qWaitForWindowActive(find));
        ScriptedMessages answers({MrCancel});
        search(find, "nobody", 0, FindMatch::AnyPart);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].owner, static_cast<QWidget *>(find));
    }

    void wrapsAroundToCardsBeforeTheStart()
    {
        Program p;
        fillCards(p);
        p.table().setRecNo(3);
        TForm3 *find = open(p);
        ScriptedMessages answers({MrOk});
        search(find, "research", find->ComboBox1->findText("Department"), FindMatch::WholeField);
        QCOMPARE(p.table().recNo(), 5);     // after the start, before the wrap
        QCOMPARE(answers.shown().size(), 0);
        search(find, "ada", find->ComboBox1->findText("Given Name"), FindMatch::AnyPart);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(p.table().recNo(), 1);
    }

    void emptyTextWithAnyPartNeverMatches()
    {
        Program p;
        fillCards(p);
        p.table().setRecNo(2);
        TForm3 *find = open(p);
        ScriptedMessages answers({MrOk, MrOk, MrCancel});
        search(find, "   ", 0, FindMatch::AnyPart);
        QCOMPARE(answers.shown().size(), 3);   // asked at every end until Cancel
        QCOMPARE(p.table().recNo(), 2);
        for (DBMemo *item : p.main().side(0).panel->findChildren<DBMemo *>())
            QVERIFY(!wholeTextSelected(item));
    }

    void displayNameFromTheLanguageSearchesItsField()
    {
        Program p;
        fillCards(p);
        p.addCard("Ada Lovelace", "Mary");     // card 6: "ada" in the last name
        p.addCard("Byron", "Ada");             // card 7: "ada" in the first name
        p.table().setRecNo(5);
        TForm3 *find = open(p);
        const int givenName = find->ComboBox1->findText("Given Name");
        QVERIFY(givenName > 0);
        ScriptedMessages answers;
        search(find, "ada", givenName, FindMatch::WholeField);
        QCOMPARE(p.table().recNo(), 7);
        QVERIFY(wholeTextSelected(frontItem(p.main(), "First_name")));
        p.table().setRecNo(5);
        search(find, "ada", 0, FindMatch::StartOfField);
        QCOMPARE(p.table().recNo(), 6);
        QCOMPARE(TForm3::FieldNameForEntry("Given Name"), QString("First_name"));
        QCOMPARE(TForm3::FieldNameForEntry("Title"), QString("Title"));
        // The last line with the display name wins.
        FieldCaptions().append("Sparefield1=Given Name");
        QCOMPARE(TForm3::FieldNameForEntry("Given Name"), QString("Sparefield1"));
    }

    void cancelAtTheEndReturnsToTheStartCard()
    {
        Program p;
        fillCards(p);
        p.table().setRecNo(3);
        TForm3 *find = open(p);
        ScriptedMessages answers({MrOk, MrCancel});
        search(find, "nobody", 0, FindMatch::AnyPart);
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(p.table().recNo(), 3);
        QCOMPARE(frontItem(p.main(), "Last_name")->toPlainText(), QString("Moreau"));
        QVERIFY(!wholeTextSelected(frontItem(p.main(), "Last_name")));
    }

    void cancelDuringTheSearchStopsAndGoesBack()
    {
        Program p;
        for (int i = 0; i < 400; ++i)
            p.addCard(QString("Card %1").arg(i));
        p.table().setRecNo(10);
        TForm3 *find = open(p);
        ScriptedMessages answers;
        int recNoSeen = -1;
        bool enabledDuring = true;
        QTimer::singleShot(0, find, [&] {
            recNoSeen = p.table().recNo();
            enabledDuring = p.main().isEnabled();
            QVERIFY(find->searching());
            find->Button2->click();
        });
        search(find, "nobody", 0, FindMatch::WholeField);
        QVERIFY(recNoSeen > 10);               // the search had moved on
        QVERIFY(!enabledDuring);               // no edits of the card face meanwhile
        QCOMPARE(answers.shown().size(), 0);
        QVERIFY(!find->searching());
        QVERIFY(!find->isVisible());
        QCOMPARE(p.table().recNo(), 10);
        QCOMPARE(frontItem(p.main(), "Last_name")->toPlainText(), QString("Card 9"));
        QVERIFY(p.main().isEnabled());
    }

    void anEntryNamingNoFieldIsAnEngineError()
    {
        Program p;
        fillCards(p);
        p.table().setRecNo(2);
        TForm3 *find = open(p);
        find->ComboBox1->addItem("Shoe size");
        find->ComboBox1->setCurrentIndex(find->ComboBox1->count() - 1);
        find->Edit1->setText("44");
        QVERIFY_THROWS_EXCEPTION(EngineError, find->Button1Click());
        QCOMPARE(p.table().recNo(), 2);
        QVERIFY(!find->searching());
        QVERIFY(p.main().isEnabled());
    }

    void emptyTableAsksAtOnce()
    {
        Program p;
        TForm3 *find = open(p);
        ScriptedMessages answers({MrOk, MrCancel});
        search(find, "", 0, FindMatch::WholeField);
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(p.table().recordCount(), 0);
    }
};

int main(int argc, char **argv)
{
    VelloraApplication app(argc, argv);
    TestProjectsFind test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_projects_find.moc"
