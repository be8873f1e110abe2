// The restructure dialog on real card tables: the fixed standard fields,
// Add with its limit, Delete, the edits on leaving each box, Save/Reindex
// adding, renaming, retyping and deleting fields without losing a value,
// keeping card numbers and their numbering, and refusing bad definitions
// (unstorable types first) and a table in use with the card table left as
// it was. sqlite3 reads the card table.
#include "DataFixture.h"

#include "dataman/dataview/ExRxDBGrid.h"
#include "dataman/dataview/Tdataview.h"
#include "dataman/restructure/TRestructureform.h"
#include "engine/EngineError.h"
#include "lang/Translation.h"
#include "support/ScriptedMessages.h"

#include "../lang/ModalHelper.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace vellora;
using namespace vellora::test;

namespace {

QByteArray digest(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The dialog shown on the folder's card table, with the keyboard.
struct Dialog {
    TRestructureform form;
    explicit Dialog(const TempProgramFolder &folder)
    {
        form.setAppFolder(folder.path());
        ok = form.FormShow();
        if (ok) {
            form.show();
            QApplication::setActiveWindow(&form);
            if (!QTest::qWaitForWindowExposed(&form))
                qWarning("not exposed");
        }
    }
    ~Dialog()
    {
        if (form.isVisible() || form.Table1->isOpen())
            form.done(QDialog::Rejected);
    }
    void select(const QString &name)
    {
        const auto items = form.ListBox1->findItems(name, Qt::MatchExactly);
        QVERIFY2(!items.isEmpty(), qPrintable(name));
        const QRect r = form.ListBox1->visualItemRect(items.first());
        form.ListBox1->scrollToItem(items.first());
        QTest::mouseClick(form.ListBox1->viewport(), Qt::LeftButton, {},
                          form.ListBox1->visualItemRect(items.first()).center());
        (void)r;
    }
    // Types into a box and leaves it with Tab.
    void enter(QWidget *box, const QString &text)
    {
        box->setFocus();
        QLineEdit *edit = qobject_cast<QLineEdit *>(box);
        if (auto *combo = qobject_cast<QComboBox *>(box))
            edit = combo->lineEdit();
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    QStringList names() const
    {
        QStringList n;
        for (const RestructureField &f : form.fields())
            n.append(f.def.name);
        return n;
    }
    const FieldDef &def(const QString &name) const
    {
        for (const RestructureField &f : form.fields())
            if (f.def.name == name)
                return f.def;
        static FieldDef none;
        return none;
    }
    bool ok = false;
};

const QList<FieldDef> kExtra{{QStringLiteral("Badge"), FieldType::String, 20},
                             {QStringLiteral("Room"), FieldType::String, 10},
                             {QStringLiteral("Level"), FieldType::String, 5}};

// Three cards with values in the extra fields; card 4 was made and deleted
// (its number was handed out).
void fillExtra(const TempProgramFolder &folder)
{
    MakeCardTable(folder, kExtra);
    QList<QMap<QString, QString>> cards;
    for (int i = 1; i <= 4; ++i) {
        QMap<QString, QString> c = Card(QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i));
        c.insert(QStringLiteral("Badge"), QStringLiteral("B-%1").arg(i));
        c.insert(QStringLiteral("Room"), QStringLiteral("R%1").arg(i));
        c.insert(QStringLiteral("Level"), QString::number(i * 10));
        cards.append(c);
    }
    AddCards(folder, cards);
    Sql(CardFile(folder), "delete from cardset1 where Card_Number=4");
}

}  // namespace

class TestRestructure : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationDisplayName(QStringLiteral("Vellora-Id")); }

    void standardFieldsStayFixed()
    {
        TempProgramFolder folder;
        fillExtra(folder);
        Dialog d(folder);
        QVERIFY(d.ok);
        QCOMPARE(d.names().mid(0, 4), (QStringList{"Card_Number", "Sparefield2", "First_name", "Last_name"}));
        QCOMPARE(d.form.ListBox1->count(), 13);
        d.select(QStringLiteral("Last_name"));
        QCOMPARE(d.form.Edit1->text(), QStringLiteral("Last_name"));
        QCOMPARE(d.form.ComboBox1->currentText(), QStringLiteral("String"));
        QCOMPARE(d.form.Edit2->text(), QStringLiteral("40"));
        for (QWidget *w : {static_cast<QWidget *>(d.form.Edit1), static_cast<QWidget *>(d.form.Edit2),
                           static_cast<QWidget *>(d.form.ComboBox1), static_cast<QWidget *>(d.form.Button2)})
            QVERIFY(!w->isEnabled());
        d.select(QStringLiteral("Badge"));
        QVERIFY(d.form.Edit1->isEnabled() && d.form.Button2->isEnabled());
        // The type names in their order, the sizes of a type reset.
        QCOMPARE(d.form.ComboBox1->count(), 34);
        QCOMPARE(d.form.ComboBox1->itemText(5), QStringLiteral("Currency"));
        QCOMPARE(d.form.ComboBox1->itemText(33), QStringLiteral("Guid"));
    }

    void addAndTheLimitOfFields()
    {
        TempProgramFolder folder;
        QVERIFY(LoadLanguage(folder, QStringLiteral("English")));
        fillExtra(folder);
        {
            Dialog d(folder);
            QTest::mouseClick(d.form.Button1, Qt::LeftButton);
            QCOMPARE(d.form.fields().size(), 14);
            const FieldDef added = d.form.fields().last().def;
            QVERIFY(added.name.startsWith(QStringLiteral("newfield")));
            QVERIFY(added.name.mid(8).toInt() < 32000);
            QCOMPARE(added.type, FieldType::String);
            QCOMPARE(added.size, 20);
            QCOMPARE(d.form.ListBox1->currentRow(), 13);
            QCOMPARE(d.form.Edit1->text(), added.name);
        }
        QList<FieldDef> many;
        for (int i = 0; i < 190; ++i)
            many.append({QStringLiteral("f%1").arg(i), FieldType::String, 5});
        MakeCardTable(folder, many);
        Dialog d(folder);
        ScriptedMessages answers;
        QCOMPARE(d.form.fields().size(), 200);
        QTest::mouseClick(d.form.Button1, Qt::LeftButton);
        QCOMPARE(d.form.fields().size(), 200);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().text, Literal(27));
    }

    void leavingTheBoxes()
    {
        TempProgramFolder folder;
        fillExtra(folder);
        Dialog d(folder);
        d.select(QStringLiteral("Room"));
        // Letters as the size give back the size.
        d.enter(d.form.Edit2, QStringLiteral("abc"));
        QCOMPARE(d.form.Edit2->text(), QStringLiteral("10"));
        d.enter(d.form.Edit2, QStringLiteral("30"));
        QCOMPARE(d.def(QStringLiteral("Room")).size, 30);
        // Only exact type names count; Smallint is taken though not listed.
        d.enter(d.form.ComboBox1, QStringLiteral("integer"));
        QCOMPARE(d.def(QStringLiteral("Room")).type, FieldType::String);
        d.enter(d.form.ComboBox1, QStringLiteral("Smallint"));
        QCOMPARE(d.def(QStringLiteral("Room")).type, FieldType::Smallint);
        QCOMPARE(d.def(QStringLiteral("Room")).size, 0);
        d.enter(d.form.ComboBox1, QStringLiteral("FixedChar"));
        QCOMPARE(d.def(QStringLiteral("Room")).size, 20);
        QCOMPARE(d.form.Edit2->text(), QStringLiteral("20"));
        // A new name shows in the list, the selection stays.
        d.enter(d.form.Edit1, QStringLiteral("Office"));
        QCOMPARE(d.form.ListBox1->currentItem()->text(), QStringLiteral("Office"));
        QCOMPARE(d.names().at(11), QStringLiteral("Office"));
    }

    void saveCarriesEveryValueToItsField()
    {
        TempProgramFolder folder;
        QVERIFY(LoadLanguage(folder, QStringLiteral("English")));
        fillExtra(folder);
        {
            Dialog d(folder);
            ScriptedMessages answers({MrOk});
            // Delete the field in the middle (Badge), rename Room, retype Level,
            // add a field and name it.
            d.select(QStringLiteral("Badge"));
            QTest::mouseClick(d.form.Button2, Qt::LeftButton);
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown().first().text, Literal(28));
            QCOMPARE(d.form.ListBox1->currentRow(), 1);
            d.select(QStringLiteral("Room"));
            d.enter(d.form.Edit1, QStringLiteral("Office"));
            d.select(QStringLiteral("Level"));
            d.enter(d.form.ComboBox1, QStringLiteral("Integer"));
            QTest::mouseClick(d.form.Button1, Qt::LeftButton);
            d.enter(d.form.Edit1, QStringLiteral("Phone"));
            QTest::mouseClick(d.form.Button3, Qt::LeftButton);
            QVERIFY(!d.form.isVisible());
            QCOMPARE(answers.shown().size(), 1);
        }
        const QString file = CardFile(folder);
        QCOMPARE(Sql(file, "select group_concat(name, ',') from engine_fields order by position"),
                 QStringLiteral("Card_Number,Sparefield2,First_name,Last_name,Title,Department,Sparefield1,"
                                "MagStripe1,MagStripe2,MagStripe3,Office,Level,Phone"));
        QCOMPARE(Sql(file, "select Card_Number, First_name, Last_name, Office, Level, Phone from cardset1 order by 1"),
                 QStringLiteral("1|First1|Last1|R1|10|\n2|First2|Last2|R2|20|\n3|First3|Last3|R3|30|"));
        QCOMPARE(Sql(file, "select typeof(Level) from cardset1 limit 1"), QStringLiteral("integer"));
        QVERIFY(!QFileInfo::exists(folder.file(QStringLiteral("data/temp/cardset1.DB"))));
        // New cards number on from the highest number ever handed out (4).
        AddCards(folder, {Card("New", "Card")});
        QCOMPARE(Sql(file, "select Card_Number from cardset1 where First_name='New'"), QStringLiteral("5"));
    }

    void refusedDefinitionsChangeNothing_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("empty name") << "name" << "" << "no name";
        QTest::newRow("duplicate name") << "name" << "room" << "twice";
        QTest::newRow("name too long") << "name" << "abcdefghijklmnopqrstuvwxyz0123456789" << "longer than 31";
        QTest::newRow("quote in name") << "name" << "Say\"Hi" << "character";
        QTest::newRow("equals in name") << "name" << "a=b" << "character";
        QTest::newRow("size 0") << "size" << "0" << "size 0";
        QTest::newRow("size 100000") << "size" << "100000" << "size 100000";
        QTest::newRow("Cursor") << "type" << "Cursor" << "Cursor";
        QTest::newRow("ADT") << "type" << "ADT" << "ADT";
        QTest::newRow("Reference") << "type" << "Reference" << "Reference";
        QTest::newRow("DataSet") << "type" << "DataSet" << "DataSet";
        QTest::newRow("Interface") << "type" << "Interface" << "Interface";
        QTest::newRow("IDispatch") << "type" << "IDispatch" << "IDispatch";
        QTest::newRow("Unknown") << "type" << "Unknown" << "Unknown";
    }
    void refusedDefinitionsChangeNothing()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, inMessage);
        TempProgramFolder folder;
        fillExtra(folder);
        const QByteArray before = digest(CardFile(folder));
        Dialog d(folder);
        ScriptedMessages answers;
        d.select(QStringLiteral("Badge"));
        d.enter(box == "name" ? static_cast<QWidget *>(d.form.Edit1)
                : box == "size" ? static_cast<QWidget *>(d.form.Edit2)
                                : static_cast<QWidget *>(d.form.ComboBox1),
                text);
        // A bad name elsewhere as well: the type is still reported first.
        if (box == "type") {
            d.select(QStringLiteral("Room"));
            d.enter(d.form.Edit1, QString());
        }
        QTest::mouseClick(d.form.Button3, Qt::LeftButton);
        QCOMPARE(answers.shown().size(), 1);
        QVERIFY2(answers.shown().first().text.contains(inMessage), qPrintable(answers.shown().first().text));
        if (box == "type")
            QVERIFY(answers.shown().first().text.contains(QStringLiteral("\"Badge\"")));
        QVERIFY(d.form.isVisible());
        QVERIFY(d.form.Table1->isOpen());
        QCOMPARE(digest(CardFile(folder)), before);
    }

    void aFailureHalfWayLeavesTheCardTable()
    {
        TempProgramFolder folder;
        fillExtra(folder);
        Sql(CardFile(folder), "update cardset1 set Level='high' where Card_Number=2");
        const QByteArray before = digest(CardFile(folder));
        Dialog d(folder);
        ScriptedMessages answers;
        d.select(QStringLiteral("Level"));
        d.enter(d.form.ComboBox1, QStringLiteral("Integer"));
        QTest::mouseClick(d.form.Button3, Qt::LeftButton);
        QCOMPARE(answers.shown().size(), 1);
        QVERIFY2(answers.shown().first().text.contains(QStringLiteral("not changed")),
                 qPrintable(answers.shown().first().text));
        QCOMPARE(digest(CardFile(folder)), before);
        QVERIFY(d.form.isVisible());
        QVERIFY(d.form.Table1->isOpen());
        QDir temp(folder.file(QStringLiteral("data/temp")));
        QVERIFY(!temp.exists() || temp.removeRecursively());
        // Shrinking a text below its longest value stops it as well.
        d.enter(d.form.ComboBox1, QStringLiteral("String"));
        d.select(QStringLiteral("Badge"));
        d.enter(d.form.Edit2, QStringLiteral("2"));
        QTest::mouseClick(d.form.Button3, Qt::LeftButton);
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(digest(CardFile(folder)), before);
    }

    void aTableInUseIsRefused()
    {
        TempProgramFolder folder;
        QVERIFY(LoadLanguage(folder, QStringLiteral("English")));
        fillExtra(folder);
        Table other;
        other.setDatabaseName(CardTableFolder(folder.path()));
        other.setTableName(QString::fromLatin1(kCardTableName));
        other.open();
        ScriptedMessages answers;
        TRestructureform form;
        form.setAppFolder(folder.path());
        QVERIFY(!form.FormShow());
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().text, Literal(29));
        QCOMPARE(form.ListBox1->count(), 0);
        other.close();
        // Another program holding the file (a lock on it, as the engine
        // takes one): refused the same way.
        QProcess holder;
        holder.start(QStringLiteral("flock"), {QStringLiteral("-x"), QStringLiteral("--no-fork"), CardFile(folder), QStringLiteral("sleep"),
                                               QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        QTest::qWait(300);
        QVERIFY(!form.FormShow());
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(answers.shown().last().text, Literal(29));
        holder.kill();
        holder.waitForFinished();
        // The dialog holds the table: nobody else opens it meanwhile.
        QVERIFY(form.FormShow());
        QVERIFY_THROWS_EXCEPTION(EngineError, other.open());
        form.done(0);
    }

    void theViewShowsTheNewColumn()
    {
        TempProgramFolder folder;
        fillExtra(folder);
        Tdataview view;
        TRestructureform form;
        view.setAppFolder(folder.path());
        form.setAppFolder(folder.path());
        view.setRestructureDialog([&form] { form.ShowDialog(); });
        view.FormShow();
        view.show();
        QCOMPARE(view.ExRxDBGrid1->gridModel()->columnCount(), 13);
        bool seen = false;
        WhenModal(
            [](QWidget *modal) {
                auto *f = qobject_cast<TRestructureform *>(modal);
                if (!f)
                    return;
                QTest::mouseClick(f->Button1, Qt::LeftButton);
                f->Edit1->setFocus();
                f->Edit1->setText(QStringLiteral("Extension"));
                QTest::keyClick(f->Edit1, Qt::Key_Tab);
                QTest::mouseClick(f->Button3, Qt::LeftButton);
            },
            &seen);
        view.EditTableFormat1->trigger();
        QVERIFY(seen);
        QVERIFY(view.Table1->isOpen());
        QCOMPARE(view.ExRxDBGrid1->gridModel()->columnCount(), 14);
        QCOMPARE(view.ExRxDBGrid1->gridModel()->headerData(13, Qt::Horizontal).toString(), QStringLiteral("Extension"));
        QCOMPARE(view.ExRxDBGrid1->gridModel()->text(1, 10), QStringLiteral("B-2"));
        view.done(0);
    }

    void everyTextHasItsKeys()
    {
        TempProgramFolder folder;
        for (const QString &language : LanguageSectionNames(folder.path())) {
            QVERIFY(LoadLanguage(folder, language));
            TRestructureform form;
            QStringList missing;
            for (const TranslationKey &k : CollectTranslationKeys(&form))
                if (LangText(k.key).isEmpty() && !k.text.isEmpty())
                    missing.append(k.key + QLatin1Char('=') + k.text);
            QVERIFY2(missing.isEmpty(), qPrintable(language + QStringLiteral(":\n") + missing.join(QLatin1Char('\n'))));
            TranslateComponent(&form);
            QCOMPARE(form.ComboBox1->count(), 34);
            QCOMPARE(form.ComboBox1->itemText(0), QStringLiteral("String"));
        }
    }
};

QTEST_MAIN(TestRestructure)
#include "test_restructure.moc"
