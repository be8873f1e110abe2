// The card commands on a real card table: numbering of new cards, deleting
// a card with its photo files, clearing and undoing, the commit rule and
// engine errors reaching the caller, and the data-aware boxes.
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"
#include "lang/ModalHelper.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtTest>

#include <memory>

using namespace vellora;
using namespace vellora::test;

namespace {

QImage Solid(QColor colour)
{
    QImage image(40, 50, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A program folder with an empty standard card table, opened as the main
// window opens it, and a card store with the four photo items.
struct Collection {
    TempProgramFolder folder{TempProgramFolder::Empty{}};
    Table table;
    PhotoItem image1, secphot, image1Back, secphotBack;
    std::unique_ptr<CardStore> store;

    explicit Collection(bool create = true)
    {
        QDir().mkpath(folder.file("data/images"));
        if (create)
            CreateStandardCardTable(folder.file("data/"));
    }
    void open()
    {
        OpenCardTable(table, folder.path());
        store = std::make_unique<CardStore>(&table, folder.path());
        store->setCardFace({&image1, &secphot, &image1Back, &secphotBack, Solid(Qt::green), false});
    }
    void reopen()
    {
        table.close();
        table.open();
    }
    QString image(const QString &name) const { return folder.file("data/images/" + name); }
    void touch(const QString &name) const
    {
        QFile f(image(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("photo");
    }
    void setField(const QString &name, const QString &value)
    {
        if (table.state() == TableState::Browse)
            table.edit();
        table.fieldByName(name).setAsString(value);
    }
    QString fieldText(const QString &name) { return table.fieldByName(name).asString(); }
};

}  // namespace

class TestCardStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CurrentLanguage().append("Literals24=Delete this card?");
        CurrentLanguage().append("Literals46=Clear this card?");
    }

    void standardTableHasTheTenFields()
    {
        Collection c;
        c.open();
        QCOMPARE(c.table.fieldNames(),
                 QStringList({"Card_Number", "Sparefield2", "First_name", "Last_name", "Title", "Department",
                              "Sparefield1", "MagStripe1", "MagStripe2", "MagStripe3"}));
        QCOMPARE(c.table.field(0).type(), FieldType::AutoInc);
        QVERIFY(c.table.field(0).isReadOnly());
        QVERIFY(c.table.fieldByName("magstripe1").size() >= 79);
        QVERIFY(c.table.fieldByName("magstripe2").size() >= 40);
        QVERIFY(c.table.fieldByName("magstripe3").size() >= 107);
        QCOMPARE(c.table.recordCount(), 0);
        // The full track capacities are stored.
        c.store->newCard();
        const QString track1 = QString(79, 'A'), track3 = QString(107, '9');
        c.setField("MagStripe1", track1);
        c.setField("MagStripe3", track3);
        c.store->commitCard();
        c.reopen();
        QCOMPARE(c.fieldText("MagStripe1"), track1);
        QCOMPARE(c.fieldText("MagStripe3"), track3);
        // An existing table is never replaced.
        QVERIFY_THROWS_EXCEPTION(EngineError, CreateStandardCardTable(c.folder.file("data/")));
        QCOMPARE(c.table.recordCount(), 1);
    }

    void newCardOnAnEmptyTable()
    {
        Collection c;
        c.open();
        QStringList refreshedFor;
        connect(c.store.get(), &CardStore::cardPhotosRefreshed, c.store.get(),
                [&] { refreshedFor << c.store->cardNumberText(); });
        c.image1.setPicture(Solid(Qt::red));

        c.store->newCard();
        QCOMPARE(c.table.recordCount(), 1);
        QCOMPARE(c.store->cardNumberText(), QString("1"));
        QCOMPARE(c.table.field(1).asString(), QString(" "));
        QCOMPARE(c.table.state(), TableState::Browse);
        QVERIFY(!c.table.updatesPending());
        QCOMPARE(c.image1.picture(), c.store->cardFace().placeholder);
        QCOMPARE(c.secphot.picture(), c.store->cardFace().placeholder);

        // The next card: the card that was current is refreshed before the
        // insert, and the new card, the last row, becomes current.
        SaveJpeg(Solid(Qt::blue), c.image("1.jpg"));
        refreshedFor.clear();
        c.store->newCard();
        QVERIFY(!refreshedFor.isEmpty());
        QCOMPARE(refreshedFor.first(), QString("1"));
        QCOMPARE(c.store->cardNumberText(), QString("2"));
        QCOMPARE(c.table.recNo(), 2);
        QCOMPARE(c.image1.picture(), c.store->cardFace().placeholder);

        // Both are in the file, not only in the cache.
        c.reopen();
        QCOMPARE(c.table.recordCount(), 2);
        // Photo commands work on the new card at once.
        c.store->last();
        c.image1.setPicture(Solid(Qt::red));
        QVERIFY(c.store->storePhoto(&c.image1, ""));
        QVERIFY(QFile::exists(c.image("2.jpg")));
    }

    void numbersAreNeverReused()
    {
        Collection c;
        c.open();
        c.store->newCard();
        c.store->newCard();
        ScriptedMessages answers({MrYes});
        QVERIFY(c.store->deleteCard());
        c.store->commitCard();
        c.store->newCard();
        QCOMPARE(c.store->cardNumberText(), QString("3"));
    }

    void deleteRemovesTheCardAndItsPhotos()
    {
        Collection c;
        c.open();
        for (int i = 0; i < 17; ++i)
            c.store->newCard();
        QCOMPARE(c.store->cardNumberText(), QString("17"));
        for (const char *name : {"17.jpg", "17.bmp", "17-2.jpg", "17-2.bmp", "16.jpg", "170.jpg"})
            c.touch(name);

        {   // No keeps everything.
            ScriptedMessages answers({MrNo});
            QVERIFY(!c.store->deleteCard());
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown()[0].text, QString("Delete this card?"));
            QCOMPARE(answers.shown()[0].kind, MsgKind::Warning);
            QCOMPARE(answers.shown()[0].buttons, MsgButton::Yes | MsgButton::No);
            QCOMPARE(c.table.recordCount(), 17);
            QVERIFY(QFile::exists(c.image("17.jpg")));
        }
        {   // Closing the box is not Yes either.
            ScriptedMessages answers({MrCancel});
            QVERIFY(!c.store->deleteCard());
            QCOMPARE(c.table.recordCount(), 17);
        }

        ScriptedMessages answers({MrYes});
        QVERIFY(c.store->deleteCard());
        QCOMPARE(answers.unexpected(), 0);
        QVERIFY(!QFile::exists(c.image("17.jpg")));
        QVERIFY(!QFile::exists(c.image("17.bmp")));
        QVERIFY(!QFile::exists(c.image("17-2.jpg")));
        QVERIFY(QFile::exists(c.image("17-2.bmp")));
        QVERIFY(QFile::exists(c.image("16.jpg")));
        QVERIFY(QFile::exists(c.image("170.jpg")));
        QCOMPARE(c.table.recordCount(), 16);
        // The deletion waits in the cache until the next commit.
        QVERIFY(c.table.updatesPending());
        c.store->save();
        c.reopen();
        QCOMPARE(c.table.recordCount(), 16);
        c.table.last();
        QCOMPARE(c.store->cardNumberText(), QString("16"));
    }

    // Enter on the delete or clear question (after an Escape that did not
    // close it, or a key pressed by mistake) keeps the card; the question
    // names the card it is about.
    void enterOnADestructiveQuestionKeepsTheCard_data()
    {
        QTest::addColumn<bool>("clear");
        QTest::newRow("delete") << false;
        QTest::newRow("clear") << true;
    }
    void enterOnADestructiveQuestionKeepsTheCard()
    {
        QFETCH(bool, clear);
        QVERIFY(!HasMessageAnswerer());
        Collection c;
        c.open();
        c.store->newCard();
        c.store->newCard();
        c.setField("First_name", "Jürgen");
        c.setField("Last_name", "Müller");
        c.store->commitCard();
        c.touch("2.jpg");
        QString title, text;
        bool seen = false;
        WhenModal(
            [&](QWidget *w) {
                title = w->windowTitle();
                text = w->findChild<QLabel *>("Message")->text();
                QTest::keyClick(w, Qt::Key_Return);
            },
            &seen);
        QVERIFY(!(clear ? c.store->clearCard() : c.store->deleteCard()));
        QVERIFY(seen);
        QCOMPARE(text, clear ? QString("Clear this card?") : QString("Delete this card?"));
        QVERIFY2(title.contains("2 Jürgen Müller"), qPrintable(title));
        c.store->commitCard();
        c.reopen();
        QCOMPARE(c.table.recordCount(), 2);
        c.table.last();
        QCOMPARE(c.fieldText("Last_name"), QString("Müller"));
        QVERIFY(QFile::exists(c.image("2.jpg")));
    }

    void photosInAnotherLetterCaseAreDeletedToo()
    {
        Collection c;
        c.open();
        c.store->newCard();
        c.touch("1.JPG");
        c.touch("1-2.Jpg");
        ScriptedMessages answers({MrYes});
        QVERIFY(c.store->deleteCard());
        QCOMPARE(QDir(c.image("")).entryList(QDir::Files), QStringList());
    }

    void commandsOnAnEmptyTableAskNothing()
    {
        Collection c;
        c.open();
        ScriptedMessages answers({MrYes, MrYes});
        QVERIFY(!c.store->deleteCard());
        QVERIFY(!c.store->clearCard());
        c.store->undoCard();
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(c.store->cardNumberText(), QString());
    }

    void clearThenUndoBeforeCommit()
    {
        Collection c;
        c.open();
        c.store->newCard();
        c.setField("First_name", "Ann");
        c.setField("Last_name", "Lee");
        c.store->newCard();  // commits card 1, makes card 2
        c.store->first();
        c.touch("1.jpg");

        ScriptedMessages answers({MrYes});
        QVERIFY(c.store->clearCard());
        QCOMPARE(answers.shown().value(0).text, QString("Clear this card?"));
        QCOMPARE(c.fieldText("First_name"), QString());
        QCOMPARE(c.fieldText("Sparefield2"), QString());
        QCOMPARE(c.store->cardNumberText(), QString("1"));
        QVERIFY(QFile::exists(c.image("1.jpg")));  // photos are not touched
        QCOMPARE(c.table.state(), TableState::Browse);

        c.store->undoCard();
        QCOMPARE(c.fieldText("First_name"), QString("Ann"));
        QCOMPARE(c.fieldText("Last_name"), QString("Lee"));
        QCOMPARE(c.fieldText("Sparefield2"), QString(" "));

        // Answered No: nothing changes.
        answers.push(MrNo);
        QVERIFY(!c.store->clearCard());
        QCOMPARE(c.fieldText("First_name"), QString("Ann"));
    }

    void clearIsPermanentAfterNavigatingAway()
    {
        Collection c;
        c.open();
        c.store->newCard();
        c.setField("First_name", "Ann");
        c.store->newCard();
        c.store->first();

        ScriptedMessages answers({MrYes});
        QVERIFY(c.store->clearCard());
        c.store->next();  // the navigator commits after moving
        c.store->prior();
        c.store->undoCard();
        QCOMPARE(c.fieldText("First_name"), QString());
        c.reopen();
        QCOMPARE(c.fieldText("First_name"), QString());
    }

    void undoDropsAnEditAndOnlyTheCurrentRow()
    {
        Collection c;
        c.open();
        c.store->newCard();
        c.store->newCard();
        c.store->first();
        c.setField("Title", "Dr");
        c.table.post();        // row 1 changed in the cache
        c.table.next();
        c.setField("Title", "Prof");  // row 2 being edited
        c.store->undoCard();
        QCOMPARE(c.table.state(), TableState::Browse);
        QCOMPARE(c.fieldText("Title"), QString());
        c.table.first();
        QCOMPARE(c.fieldText("Title"), QString("Dr"));  // another row's change stays
        c.store->commitCard();
        c.reopen();
        QCOMPARE(c.fieldText("Title"), QString("Dr"));
    }

    void commitErrorsReachTheCallerAndKeepPendingChanges()
    {
        // A card table with a unique index on the last name.
        Collection c(false);
        {
            Table t;
            t.setDatabaseName(c.folder.file("data/"));
            t.setTableName(kCardTableName);
            auto fields = StandardCardFields();
            t.setFieldDefs(fields);
            auto indexes = StandardCardIndexes();
            IndexDef unique;
            unique.name = "ByLastName";
            unique.fields = QStringList{"Last_name"};
            unique.unique = true;
            indexes << unique;
            t.setIndexDefs(indexes);
            t.createTable();
        }
        c.open();
        c.store->newCard();
        c.setField("Last_name", "Adams");
        c.store->newCard();
        c.setField("Last_name", "Baker");
        c.store->commitCard();

        c.store->first();
        c.setField("Department", "Sales");
        c.table.post();                       // pending in the cache
        c.table.next();
        c.setField("Last_name", "Adams");     // would occur twice
        try {
            c.store->commitCard();
            QFAIL("a key violation must reach the caller");
        } catch (const EngineError &e) {
            QVERIFY2(!e.message().trimmed().isEmpty(), "the error needs a message for the operator");
        }
        // Nothing was lost: the pending change and the refused edit are still there.
        // (The engine may refuse at the post or at the commit.)
        QVERIFY(c.table.updatesPending());
        QCOMPARE(c.fieldText("Last_name"), QString("Adams"));
        c.setField("Last_name", "Clark");
        c.store->commitCard();
        c.reopen();
        QCOMPARE(c.fieldText("Department"), QString("Sales"));
        QCOMPARE(c.fieldText("Last_name"), QString("Adams"));
        c.table.next();
        QCOMPARE(c.fieldText("Last_name"), QString("Clark"));
    }

    void boundBoxesFollowTheTable()
    {
        Collection c;
        c.open();
        c.store->newCard();
        c.setField("First_name", "Ann");
        c.store->newCard();
        c.setField("First_name", "Bob");
        c.store->commitCard();

        DataSource source(&c.table);
        DBMemo front, back;
        front.setDataSource(&source);
        front.setDataField("First_name");
        back.setDataSource(&source);
        back.setDataField("first_NAME");  // names ignore letter case
        DBEdit number;
        number.setDataSource(&source);
        number.setDataField("Card_Number");
        DBEdit missing;
        missing.setDataSource(&source);
        missing.setDataField("NoSuchField");

        QCOMPARE(front.toPlainText(), QString("Bob"));
        QCOMPARE(number.text(), QString("2"));
        QVERIFY(number.isReadOnly());
        QVERIFY(missing.isReadOnly());
        c.store->first();
        QCOMPARE(front.toPlainText(), QString("Ann"));
        QCOMPARE(number.text(), QString("1"));

        // Typing puts the table into edit state and the text into the field.
        front.setFocus();
        front.moveCursor(QTextCursor::End);
        QTest::keyClicks(&front, "ie");
        QCOMPARE(c.table.state(), TableState::Edit);
        QCOMPARE(c.fieldText("First_name"), QString("Annie"));
        QCOMPARE(back.toPlainText(), QString("Annie"));
        QTest::keyClick(&front, Qt::Key_Return);
        QTest::keyClicks(&front, "Lou");
        c.store->commitCard();
        c.reopen();
        QCOMPARE(front.toPlainText(), QString("Annie\nLou"));

        // Closing empties the boxes; opening shows the row again.
        c.table.close();
        QCOMPARE(front.toPlainText(), QString());
        QVERIFY(front.isReadOnly());
        c.table.open();
        QCOMPARE(front.toPlainText(), QString("Annie\nLou"));
        QVERIFY(!front.isReadOnly());

        // A line edit takes no more than the field's width.
        DBEdit track;
        track.setDataSource(&source);
        track.setDataField("MagStripe2");
        QCOMPARE(track.maxLength(), c.table.fieldByName("MagStripe2").size());
    }
};

QTEST_MAIN(TestCardStore)
#include "test_cardstore.moc"
