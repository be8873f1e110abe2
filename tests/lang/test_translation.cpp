// Translation of windows from component names: key grammar, each kind of
// component, tag 777, list entries, data modules, error reports, and the
// key listing used to check a language for completeness.
#include "lang/LanguageSelection.h"
#include "lang/LanguageTable.h"
#include "lang/RadioGroup.h"
#include "lang/Translation.h"
#include "support/ScriptedMessages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>
#include <stdexcept>

using namespace vellora;
using namespace vellora::test;

namespace {

// Names a component made with its parent (the parent argument documents
// where it sits).
template <typename T>
T *named(QObject *, const char *name, T *object)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A window with one component of every kind, as a designer would place them.
std::unique_ptr<QWidget> makeWindow()
{
    auto window = std::make_unique<QWidget>();
    QWidget *w = window.get();
    w->setObjectName("Win");
    w->setWindowTitle("Built-in title");
    named(w, "Label1", new QLabel("Built-in label", w));
    named(w, "StaticText1", new QLabel("Static", w))->setProperty("kind", "statictext");
    named(w, "Button1", new QPushButton("Built-in button", w));
    named(w, "Button2", new QPushButton("No key for me", w));
    named(w, "RadioButton1", new QRadioButton("Radio", w));
    new QRadioButton("Unnamed radio", w);
    named(w, "CheckBox1", new QCheckBox("Check", w));
    auto *tabs = named(w, "PageControl1", new QTabWidget(w));
    tabs->addTab(named<QWidget>(nullptr, "TabSheet1", new QWidget), "Page one");
    tabs->addTab(named<QWidget>(nullptr, "TabSheet2", new QWidget), "Page two");
    named(tabs->widget(0), "Label2", new QLabel("On a page", tabs->widget(0)));
    named(w, "GroupBox1", new QGroupBox("Group", w));
    named(w, "RadioGroup1", new RadioGroup("Choose", {"one", "two", "three"}, w))->setItemIndex(1);
    auto *combo1 = named(w, "ComboBox1", new QComboBox(w));
    combo1->addItems({"keep a", "keep b"});
    combo1->setCurrentIndex(1);
    auto *combo2 = named(w, "ComboBox2", new QComboBox(w));
    combo2->addItems({"x", "y", "z"});
    combo2->setCurrentIndex(2);
    named(w, "ListBox1", new QListWidget(w))->addItems({"l1", "l2"});
    named(w, "Panel1", new QFrame(w));
    auto *kept = named(w, "statlabel1", new QLabel("Card text", w));
    SetTag(kept, kKeepCaptionTag);
    auto *popup = named(w, "PopupMenu1", new QMenu(w));
    named(popup, "Cut1", popup->addAction("Cut"));
    named(popup, "N1", popup->addSeparator());
    auto *dialog = named(w, "Dlg", new QDialog(w));
    dialog->setWindowTitle("Dialog title");
    named(dialog, "OkBtn", new QPushButton("OK", dialog));
    return window;
}

const QStringList kTexts{
    "FORM:Win-OWNER:-CONTROL:Win-CAPTION=Translated title",
    "FORM:Win-OWNER:-CONTROL:Win-HINT=Window hint",
    "FORM:Win-OWNER:Win-CONTROL:Label1-CAPTION=two<BR>lines",
    "FORM:Win-OWNER:Win-CONTROL:Label1-HINT=hint<BR>two",
    "FORM:Win-OWNER:Win-CONTROL:StaticText1-CAPTION=still<BR>one",
    "FORM:Win-OWNER:Win-CONTROL:Button1-CAPTION=two<BR>lines",
    "FORM:Win-OWNER:Win-CONTROL:RadioButton1-CAPTION=Radio T",
    "FORM:Win-OWNER:Win-CONTROL:CheckBox1-CAPTION=Check T",
    "FORM:Win-OWNER:Win-CONTROL:TabSheet1-CAPTION=Page T",
    "form:win-owner:win-control:label2-caption=On a page T",
    "FORM:Win-OWNER:Win-CONTROL:GroupBox1-CAPTION=Group T",
    "FORM:Win-OWNER:Win-CONTROL:RadioGroup1-CAPTION=Choose T",
    "FORM:Win-OWNER:Win-CONTROL:RadioGroup1-ITEM0=eins",
    "FORM:Win-OWNER:Win-CONTROL:RadioGroup1-ITEM2=drei",
    "FORM:Win-OWNER:Win-CONTROL:ComboBox1-ITEM1=ignored without ITEM0",
    "FORM:Win-OWNER:Win-CONTROL:ComboBox2-ITEM0=first",
    "FORM:Win-OWNER:Win-CONTROL:ComboBox2-ITEM2=third",
    "FORM:Win-OWNER:Win-CONTROL:ComboBox2-ITEM50=last",
    "FORM:Win-OWNER:Win-CONTROL:ComboBox2-ITEM51=beyond",
    "FORM:Win-OWNER:Win-CONTROL:ListBox1-ITEM0=only",
    "FORM:Win-OWNER:Win-CONTROL:Panel1-CAPTION=Panel T",
    "FORM:Win-OWNER:Win-CONTROL:statlabel1-CAPTION=must not appear",
    "FORM:Win-OWNER:Win-CONTROL:statlabel1-HINT=Right-click",
    "FORM:Win-OWNER:Win-CONTROL:Cut1-CAPTION=Ausschneiden",
    "FORM:Win-OWNER:Win-CONTROL:N1-CAPTION=not a separator's",
    "FORM:Dlg-OWNER:-CONTROL:Dlg-CAPTION=Dialog T",
    "FORM:Dlg-OWNER:Dlg-CONTROL:OkBtn-CAPTION=OK T",
    "FORM:-OWNER:-CONTROL:File1-CAPTION=&Datei",
    "FORM:-OWNER:-CONTROL:Exit1-CAPTION=&Beenden",
};

}  // namespace

class TestTranslation : public QObject {
    Q_OBJECT
private slots:
    void keysFollowTheComponentNames()
    {
        auto window = makeWindow();
        QCOMPARE(KeyPrefix(window.get()), QString("FORM:Win-OWNER:-CONTROL:Win"));
        QCOMPARE(KeyPrefix(window->findChild<QObject *>("Label2")), QString("FORM:Win-OWNER:Win-CONTROL:Label2"));
        QCOMPARE(KeyPrefix(window->findChild<QObject *>("Cut1")), QString("FORM:Win-OWNER:Win-CONTROL:Cut1"));
        QCOMPARE(KeyPrefix(window->findChild<QObject *>("OkBtn")), QString("FORM:Dlg-OWNER:Dlg-CONTROL:OkBtn"));
        QCOMPARE(KindOf(window->findChild<QObject *>("TabSheet1")), ComponentKind::TabSheet);
        QCOMPARE(KindOf(window->findChild<QObject *>("N1")), ComponentKind::None);
        QCOMPARE(KindOf(window->findChild<QObject *>("PopupMenu1")), ComponentKind::MenuItem);
        QCOMPARE(Tag(window->findChild<QObject *>("statlabel1")), 777);
        QCOMPARE(Tag(window.get()), 0);
    }

    void everyKindTakesItsText()
    {
        SetCurrentLanguage("Test", kTexts);
        auto window = makeWindow();
        ScriptedMessages messages;
        TranslateComponent(window.get());
        QWidget *w = window.get();
        QCOMPARE(w->windowTitle(), QString("Translated title"));
        QCOMPARE(w->toolTip(), QString("Window hint"));
        // "<BR>" is a line break in labels and hints, literal elsewhere.
        QCOMPARE(w->findChild<QLabel *>("Label1")->text(), QString("two\nlines"));
        QCOMPARE(w->findChild<QLabel *>("Label1")->toolTip(), QString("hint\ntwo"));
        QCOMPARE(w->findChild<QLabel *>("StaticText1")->text(), QString("still<BR>one"));
        QCOMPARE(w->findChild<QPushButton *>("Button1")->text(), QString("two<BR>lines"));
        // A caption whose key is missing becomes empty.
        QCOMPARE(w->findChild<QPushButton *>("Button2")->text(), QString());
        QCOMPARE(w->findChild<QRadioButton *>("RadioButton1")->text(), QString("Radio T"));
        QCOMPARE(w->findChild<QCheckBox *>("CheckBox1")->text(), QString("Check T"));
        auto *tabs = w->findChild<QTabWidget *>("PageControl1");
        QCOMPARE(tabs->tabText(0), QString("Page T"));
        QCOMPARE(tabs->tabText(1), QString());
        QCOMPARE(w->findChild<QLabel *>("Label2")->text(), QString("On a page T"));
        QCOMPARE(w->findChild<QGroupBox *>("GroupBox1")->title(), QString("Group T"));
        auto *group = w->findChild<RadioGroup *>("RadioGroup1");
        QCOMPARE(group->title(), QString("Choose T"));
        QCOMPARE(group->items(), (QStringList{"eins", "two", "drei"}));
        QCOMPARE(group->itemIndex(), 1);
        QCOMPARE(w->findChild<QFrame *>("Panel1")->property("caption").toString(), QString("Panel T"));
        auto *kept = w->findChild<QLabel *>("statlabel1");
        QCOMPARE(kept->text(), QString("Card text"));
        QCOMPARE(kept->toolTip(), QString("Right-click"));
        QCOMPARE(w->findChild<QAction *>("Cut1")->text(), QString("Ausschneiden"));
        QVERIFY(w->findChild<QAction *>("N1")->isSeparator());
        QCOMPARE(w->findChild<QDialog *>("Dlg")->windowTitle(), QString("Dialog T"));
        QCOMPARE(w->findChild<QPushButton *>("OkBtn")->text(), QString("OK T"));
        // Unnamed controls are no components and keep their text.
        bool unnamedKept = false;
        for (auto *radio : w->findChildren<QRadioButton *>())
            unnamedKept = unnamedKept || radio->text() == "Unnamed radio";
        QVERIFY(unnamedKept);
        QCOMPARE(messages.shown().size(), 0);
    }

    void listEntriesOnlyWithItemZero()
    {
        SetCurrentLanguage("Test", kTexts);
        auto window = makeWindow();
        auto *combo1 = window->findChild<QComboBox *>("ComboBox1");
        auto *combo2 = window->findChild<QComboBox *>("ComboBox2");
        QSignalSpy changes(combo2, &QComboBox::currentIndexChanged);
        TranslateComponent(window.get());
        QCOMPARE(combo1->count(), 2);
        QCOMPARE(combo1->itemText(0), QString("keep a"));
        QCOMPARE(combo1->currentIndex(), 1);
        // Entries without a key are gone, ITEM50 is the last one read, and
        // the first entry is selected without a change notification.
        QStringList entries;
        for (int i = 0; i < combo2->count(); ++i)
            entries.append(combo2->itemText(i));
        QCOMPARE(entries, (QStringList{"first", "third", "last"}));
        QCOMPARE(combo2->currentIndex(), 0);
        QCOMPARE(changes.count(), 0);
        auto *list = window->findChild<QListWidget *>("ListBox1");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->currentRow(), 0);
    }

    void mainMenuKeysHaveEmptyWindowAndOwner()
    {
        SetCurrentLanguage("Test", kTexts);
        auto window = makeWindow();
        // The menu bar sits in the main window but belongs to the data module.
        auto *bar = named(window.get(), "MainMenu1", new QMenuBar(window.get()));
        MarkDataModule(bar);
        auto *file = named(bar, "File1", bar->addMenu("&File"));
        auto *exit = named(file, "Exit1", file->addAction("E&xit"));
        QCOMPARE(KeyPrefix(exit), QString("FORM:-OWNER:-CONTROL:Exit1"));
        // A data module of its own, held by no window.
        QObject module;
        module.setObjectName("DataModule1");
        MarkDataModule(&module);
        auto *loose = named(&module, "File1", new QAction("&File", &module));
        TranslateApplication();
        QCOMPARE(file->title(), QString("&Datei"));
        QCOMPARE(exit->text(), QString("&Beenden"));
        QCOMPARE(loose->text(), QString("&Datei"));
        QCOMPARE(window->windowTitle(), QString("Translated title"));  // hidden, still translated
    }

    void errorsNameTheComponentAndTheWalkGoesOn()
    {
        SetCurrentLanguage("Test", kTexts);
        auto window = makeWindow();
        named(window.get(), "Bad", new QLabel("bad", window.get()));
        named(window.get(), "Label9", new QLabel("after", window.get()));
        SetTranslationHook([](QObject *component, const QString &) {
            if (component->objectName() == "Bad")
                throw std::runtime_error("broken component");
        });
        ScriptedMessages messages;
        TranslateComponent(window.get());
        SetTranslationHook({});
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].text, QString("WinBad"));
        QVERIFY(messages.shown()[0].plain);
        QCOMPARE(window->findChild<QLabel *>("Label9")->text(), QString());  // went on
        QCOMPARE(window->findChild<QLabel *>("Label1")->text(), QString("two\nlines"));
    }

    void writtenSectionTranslatesBackToTheBuiltInTexts()
    {
        auto original = makeWindow();
        original->findChild<QLabel *>("Label1")->setText("first\nsecond");
        original->findChild<QLabel *>("Label1")->setToolTip("a hint");
        const QString section = WriteSectionFromWindow(original.get());
        QVERIFY(section.contains("FORM:Win-OWNER:Win-CONTROL:Label1-CAPTION=first<BR>second\n"));
        QVERIFY(section.contains("FORM:Win-OWNER:Win-CONTROL:RadioGroup1-ITEM2=three\n"));
        QVERIFY(!section.contains("statlabel1-CAPTION"));  // tag 777: data, not interface text
        QVERIFY(!section.contains("Unnamed radio"));

        const LanguageTable table(section.split('\n'));
        QCOMPARE(MissingKeys(original.get(), table), QStringList{});
        SetCurrentLanguage("Written", section.split('\n'));
        auto copy = makeWindow();
        copy->findChild<QLabel *>("Label1")->setText("other");
        TranslateComponent(copy.get());
        QCOMPARE(copy->findChild<QLabel *>("Label1")->text(), QString("first\nsecond"));
        QCOMPARE(copy->findChild<QLabel *>("Label1")->toolTip(), QString("a hint"));
        QCOMPARE(copy->windowTitle(), QString("Built-in title"));
        QCOMPARE(copy->findChild<RadioGroup *>("RadioGroup1")->items(), (QStringList{"one", "two", "three"}));
        QCOMPARE(copy->findChild<QTabWidget *>("PageControl1")->tabText(1), QString("Page two"));
    }

    void missingKeysAreListed()
    {
        auto window = makeWindow();
        const LanguageTable partial(kTexts);
        const QStringList missing = MissingKeys(window.get(), partial);
        QVERIFY(missing.contains("FORM:Win-OWNER:Win-CONTROL:Button2-CAPTION"));
        QVERIFY(missing.contains("FORM:Win-OWNER:Win-CONTROL:TabSheet2-CAPTION"));
        QVERIFY(missing.contains("FORM:Win-OWNER:Win-CONTROL:RadioGroup1-ITEM1"));
        QVERIFY(!missing.contains("FORM:Win-OWNER:Win-CONTROL:Label1-CAPTION"));
        // Keys without a built-in text (an empty hint) are not required...
        QVERIFY(!missing.contains("FORM:Win-OWNER:Win-CONTROL:Button2-HINT"));
        // ...but are still looked up.
        QVERIFY(TranslationKeys(window.get()).contains("FORM:Win-OWNER:Win-CONTROL:Button2-HINT"));
    }

    void shippedLanguagesCoverTheSelectionDialog()
    {
        const QString built = qEnvironmentVariable("VELLORA_PROGRAM_DIR");
        QStringList lines;
        QVERIFY(ReadUtf16Lines(built + "/languages.ini", &lines));
        TForm2 dialog(built);
        for (const QString &language : SectionNamesOf(lines)) {
            const LanguageTable table(SectionLines(lines, language));
            QCOMPARE(MissingKeys(&dialog, table), QStringList{});
        }
    }
};

QTEST_MAIN(TestTranslation)
#include "test_translation.moc"
