// The table engine on real card table files: fields, moving, editing,
// cached updates, numbering, key violations, definitions and batch move.
#include "CardTables.h"

#include "engine/BatchMove.h"
#include "engine/Session.h"
#include "support/TempProgramFolder.h"

#include <QSignalSpy>
#include <QtTest>

using namespace vellora;
using vellora::test::TempProgramFolder;

class TestTable : public QObject {
    Q_OBJECT

    QString data(const TempProgramFolder &tmp) { return tmp.file(QStringLiteral("data")); }

    void openCards(Table &t, const QString &folder, bool cached = true)
    {
        t.setDatabaseName(folder);
        t.setTableName(QStringLiteral("cardset1.DB"));
        t.setCachedUpdates(cached);
        t.open();
    }

private slots:
    void openingMissingTableNamesIt()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        Table t;
        t.setDatabaseName(tmp.path());
        t.setTableName(QStringLiteral("nosuch.DB"));
        try {
            t.open();
            QFAIL("opened a missing table");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("nosuch.DB")), qPrintable(e.message()));
        }
        QVERIFY(!t.isOpen());
        QCOMPARE(t.state(), TableState::Inactive);
    }

    void fieldsByPositionAndName()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        Table t;
        openCards(t, data(tmp));
        QCOMPARE(t.fieldCount(), 10);
        QCOMPARE(t.field(0).name(), QStringLiteral("Card_Number"));
        QCOMPARE(t.field(0).type(), FieldType::AutoInc);
        QVERIFY(t.field(0).isReadOnly());
        QCOMPARE(t.fieldByName(QStringLiteral("magstripe1")).name(), QStringLiteral("MagStripe1"));
        QCOMPARE(t.fieldByName(QStringLiteral("MAGSTRIPE3")).size(), 107);
        QVERIFY(!t.findField(QStringLiteral("nope")).isValid());
        QVERIFY_THROWS_EXCEPTION(EngineError, t.fieldByName(QStringLiteral("nope")));
        QVERIFY_THROWS_EXCEPTION(EngineError, t.field(10));

        Field last = t.fieldByName(QStringLiteral("last_name"));
        QCOMPARE(last.displayName(), QStringLiteral("Last_name"));
        last.setDisplayName(QStringLiteral("Surname"));
        QCOMPARE(last.displayName(), QStringLiteral("Surname"));

        // Assigning outside edit/insert state is refused.
        QVERIFY_THROWS_EXCEPTION(EngineError, last.setAsString(QStringLiteral("x")));
        t.insert();
        QVERIFY_THROWS_EXCEPTION(EngineError, t.field(0).setAsString(QStringLiteral("5")));
        last.setAsString(QStringLiteral("Ødegård 山田 🙂"));
        t.fieldByName(QStringLiteral("Title")).setAsString(QString(60, QLatin1Char('t')));
        t.fieldByName(QStringLiteral("Department")).setAsString(QStringLiteral("Sales"));
        t.fieldByName(QStringLiteral("Department")).clear();
        t.post();
        QCOMPARE(t.fieldByName(QStringLiteral("Title")).asString().size(), 40);   // cut to the width
        QVERIFY(t.fieldByName(QStringLiteral("Department")).isNull());
        QCOMPARE(t.fieldByName(QStringLiteral("Department")).asString(), QString());
        t.commitUpdates();
        t.close();

        openCards(t, data(tmp));
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.fieldByName(QStringLiteral("Last_name")).asString(), QStringLiteral("Ødegård 山田 🙂"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("1"));
        QVERIFY(t.fieldByName(QStringLiteral("Department")).isNull());
    }

    void movingAndEvents()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        Table t;
        QSignalSpy scrolls(&t, &Table::afterScroll);
        QSignalSpy inserts(&t, &Table::beforeInsert);
        openCards(t, data(tmp), false);
        QCOMPARE(scrolls.count(), 1);   // opening counts as a scroll
        QVERIFY(t.eof() && t.bof());
        QCOMPARE(t.recNo(), 0);
        for (const char *n : {"Adams", "Baker", "Clark", "Davis"})
            test::addCard(t, QString::fromLatin1(n));
        QCOMPARE(inserts.count(), 4);
        QCOMPARE(t.recordCount(), 4);

        t.first();
        QVERIFY(t.bof() && !t.eof());
        QCOMPARE(t.recNo(), 1);
        QCOMPARE(t.fieldByName(QStringLiteral("Last_name")).asString(), QStringLiteral("Adams"));
        t.prior();
        QVERIFY(t.bof());
        QCOMPARE(t.recNo(), 1);
        t.next();
        QCOMPARE(t.recNo(), 2);
        QVERIFY(!t.bof() && !t.eof());
        const Bookmark b = t.bookmark();
        t.last();
        QVERIFY(t.eof());
        QCOMPARE(t.fieldByName(QStringLiteral("Last_name")).asString(), QStringLiteral("Davis"));
        t.next();
        QVERIFY(t.eof());
        QCOMPARE(t.recNo(), 4);
        t.setRecNo(3);
        QCOMPARE(t.fieldByName(QStringLiteral("Last_name")).asString(), QStringLiteral("Clark"));
        t.setRecNo(99);
        QCOMPARE(t.recNo(), 4);
        QVERIFY(t.bookmarkValid(b));
        scrolls.clear();
        t.gotoBookmark(b);
        QCOMPARE(scrolls.count(), 1);
        QCOMPARE(t.fieldByName(QStringLiteral("Last_name")).asString(), QStringLiteral("Baker"));
        t.deleteRecord();
        QVERIFY(!t.bookmarkValid(b));
        QVERIFY_THROWS_EXCEPTION(EngineError, t.gotoBookmark(b));

        // Walking with next() until eof visits every row once.
        QStringList seen;
        for (t.first(); !t.eof(); t.next())
            seen << t.fieldByName(QStringLiteral("Last_name")).asString();
        QCOMPARE(seen, (QStringList{"Adams", "Clark", "Davis"}));
    }

    // A row is found by its key without moving, cached changes included;
    // tables keyed by text are searched as well.
    void rowsAreFoundByTheirKey()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        Table t;
        openCards(t, data(tmp));
        for (const char *n : {"Adams", "Baker", "Clark", "Davis", "Evans"})
            test::addCard(t, QString::fromLatin1(n));
        t.commitUpdates();
        t.setRecNo(2);
        t.deleteRecord();                  // card 2, in the cache
        test::addCard(t, QStringLiteral("Fox"));  // card 6, in the cache
        t.setRecNo(3);
        QSignalSpy scrolls(&t, &Table::afterScroll);
        const QList<std::pair<QVariant, int>> cases{{1, 1}, {2, 0}, {3, 2}, {5, 4}, {6, 5},
                                                    {99, 0}, {QStringLiteral("4"), 3}, {QStringLiteral("x"), 0}};
        for (const auto &[key, recNo] : cases)
            QCOMPARE(t.recNoOfKey({key}), recNo);
        QCOMPARE(t.recNo(), 3);
        QCOMPARE(scrolls.count(), 0);
        QVERIFY_THROWS_EXCEPTION(EngineError, t.recNoOfKey({1, 2}));

        Table byName;
        byName.setDatabaseName(data(tmp));
        byName.setTableName(QStringLiteral("names.DB"));
        byName.setFieldDefs({{QStringLiteral("Name"), FieldType::String, 20}, {QStringLiteral("N"), FieldType::Integer, 0}});
        byName.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("Name")}, true, true}});
        byName.createTable();
        byName.setCachedUpdates(true);
        byName.open();
        for (const char *n : {"pear", "apple", "fig"}) {
            byName.append();
            byName.fieldByName(QStringLiteral("Name")).setAsString(QString::fromLatin1(n));
            byName.post();
        }
        QCOMPARE(byName.recNoOfKey({QStringLiteral("apple")}), 1);
        QCOMPARE(byName.recNoOfKey({QStringLiteral("fig")}), 2);
        QCOMPARE(byName.recNoOfKey({QStringLiteral("pear")}), 3);
        QCOMPARE(byName.recNoOfKey({QStringLiteral("kiwi")}), 0);

        Table unkeyed;
        unkeyed.setDatabaseName(data(tmp));
        unkeyed.setTableName(QStringLiteral("plain.DB"));
        unkeyed.setFieldDefs({{QStringLiteral("Name"), FieldType::String, 20}});
        unkeyed.createTable();
        unkeyed.open();
        QVERIFY_THROWS_EXCEPTION(EngineError, unkeyed.recNoOfKey({QStringLiteral("a")}));
    }

    void editingStatesAndRecordSignal()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        Table t;
        openCards(t, data(tmp));
        test::addCard(t, QStringLiteral("Adams"));
        test::addCard(t, QStringLiteral("Baker"));
        QSignalSpy changed(&t, &Table::recordChanged);
        QSignalSpy states(&t, &Table::stateChanged);
        t.first();
        t.edit();
        QCOMPARE(t.state(), TableState::Edit);
        t.fieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Dr"));
        QVERIFY(changed.count() >= 2);
        t.cancel();
        QCOMPARE(t.state(), TableState::Browse);
        QVERIFY(t.fieldByName(QStringLiteral("Title")).isNull());
        QCOMPARE(states.count(), 2);

        // Moving posts a pending edit.
        t.edit();
        t.fieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Dr"));
        t.next();
        t.first();
        QCOMPARE(t.fieldByName(QStringLiteral("Title")).asString(), QStringLiteral("Dr"));

        // Insert at the current row; the keyed table puts the new card last.
        t.first();
        t.insert();
        QCOMPARE(t.state(), TableState::Insert);
        t.field(1).setAsString(QStringLiteral(" "));
        t.post();
        QCOMPARE(t.field(0).asString(), QStringLiteral("3"));
        QCOMPARE(t.recNo(), 3);
        // Delete while inserting only drops the insert.
        t.insert();
        t.deleteRecord();
        QCOMPARE(t.recordCount(), 3);
        QCOMPARE(t.state(), TableState::Browse);
    }

    void cachedUpdatesReachTheFileOnlyOnCommit()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        {
            Table t;
            openCards(t, data(tmp), false);
            for (const char *n : {"Adams", "Baker", "Clark"})
                test::addCard(t, QString::fromLatin1(n));
        }
        Table t;
        openCards(t, data(tmp));
        t.setRecNo(2);
        t.edit();
        t.fieldByName(QStringLiteral("Last_name")).setAsString(QStringLiteral("Baker-Smith"));
        t.post();
        t.last();
        t.deleteRecord();
        test::addCard(t, QStringLiteral("Evans"));
        QVERIFY(t.updatesPending());
        QCOMPARE(t.recordCount(), 3);

        auto stored = [&]() {
            Table other;
            openCards(other, data(tmp));
            return test::allRows(other);
        };
        QCOMPARE(stored().size(), 3);
        QVERIFY(stored().at(1).contains(QStringLiteral("|Baker|")));

        // revertRecord undoes only the current row's change.
        t.setRecNo(2);
        t.edit();
        t.fieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Ms"));   // unposted edit is cancelled
        t.revertRecord();
        QCOMPARE(t.fieldByName(QStringLiteral("Last_name")).asString(), QStringLiteral("Baker"));
        QVERIFY(t.updatesPending());   // the delete and the insert stay

        t.commitUpdates();
        QVERIFY(!t.updatesPending());
        const QStringList rows = stored();
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows.at(0).startsWith(QStringLiteral("1|Adams|")));
        QVERIFY(rows.at(1).startsWith(QStringLiteral("2|Baker|")));
        QVERIFY(rows.at(2).startsWith(QStringLiteral("4|Evans|")));

        // Commit with nothing pending is fine; closing drops the cache.
        t.commitUpdates();
        test::addCard(t, QStringLiteral("Dropped"));
        t.first();
        t.edit();
        t.fieldByName(QStringLiteral("Last_name")).setAsString(QStringLiteral("Changed"));
        t.post();
        t.close();
        QCOMPARE(stored(), rows);

        // A reverted insert disappears.
        openCards(t, data(tmp));
        test::addCard(t, QStringLiteral("Temp"));
        QCOMPARE(t.recordCount(), 4);
        t.revertRecord();
        QCOMPARE(t.recordCount(), 3);
        t.cancelUpdates();
        QVERIFY(!t.updatesPending());
    }

    void cardNumbersAreNeverReused()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        Table t;
        openCards(t, data(tmp));
        test::addCard(t, QStringLiteral("A"));
        test::addCard(t, QStringLiteral("B"));
        test::addCard(t, QStringLiteral("C"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("3"));   // in the row right after the post
        t.commitUpdates();
        t.last();
        t.deleteRecord();
        t.commitUpdates();
        test::addCard(t, QStringLiteral("D"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("4"));   // not 3 again
        t.close();                                              // card 4 dropped with the cache
        openCards(t, data(tmp));
        QCOMPARE(t.recordCount(), 2);
        test::addCard(t, QStringLiteral("E"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("5"));
        t.commitUpdates();
        t.close();
        t.emptyTable();   // closed: emptied in place
        openCards(t, data(tmp));
        QCOMPARE(t.recordCount(), 0);
        test::addCard(t, QStringLiteral("F"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("6"));
        t.commitUpdates();
        t.emptyTable();   // open
        QCOMPARE(t.recordCount(), 0);
        test::addCard(t, QStringLiteral("G"));
        QCOMPARE(t.field(0).asString(), QStringLiteral("7"));
    }

    void keyViolationsLoseNothingElse()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        Table t;
        t.setDatabaseName(data(tmp));
        QDir().mkpath(data(tmp));
        t.setTableName(QStringLiteral("people.db"));
        t.setFieldDefs({{QStringLiteral("Id"), FieldType::Integer, 0}, {QStringLiteral("Name"), FieldType::String, 20}});
        t.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("id")}, true, true}});
        t.createTable();
        QVERIFY_THROWS_EXCEPTION(EngineError, t.createTable());   // never replaces a table
        t.setCachedUpdates(true);
        t.open();
        auto add = [&](int id, const QString &name) {
            t.append();
            t.field(0).setAsString(QString::number(id));
            t.field(1).setAsString(name);
            t.post();
        };
        add(5, QStringLiteral("five"));
        add(2, QStringLiteral("two"));
        QCOMPARE(t.recNo(), 1);   // key order
        try {
            add(5, QStringLiteral("again"));
            QFAIL("duplicate key posted");
        } catch (const KeyViolationError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Id 5")), qPrintable(e.message()));
        }
        QCOMPARE(t.state(), TableState::Insert);   // the row can be fixed
        t.field(0).setAsString(QStringLiteral("7"));
        t.post();
        t.append();
        QVERIFY_THROWS_EXCEPTION(EngineError, t.post());   // key left empty
        t.cancel();
        QVERIFY_THROWS_EXCEPTION(EngineError, t.append(), t.field(0).setAsString(QStringLiteral("abc")));
        t.cancel();
        t.commitUpdates();
        // Changing a key moves the row; taking a free key works, a used one fails.
        t.first();
        t.edit();
        t.field(0).setAsString(QStringLiteral("9"));
        t.post();
        QCOMPARE(t.recNo(), 3);
        t.first();
        t.edit();
        t.field(0).setAsString(QStringLiteral("7"));
        QVERIFY_THROWS_EXCEPTION(KeyViolationError, t.post());
        t.cancel();
        t.last();
        t.revertRecord();   // 9 goes back to being 2
        QCOMPARE(test::allRows(t), (QStringList{"2|two", "5|five", "7|again"}));
        t.commitUpdates();
        t.close();
        t.open();
        QCOMPARE(test::allRows(t), (QStringList{"2|two", "5|five", "7|again"}));
    }

    void typesRoundTrip()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        QDir().mkpath(data(tmp));
        Table t;
        t.setDatabaseName(data(tmp));
        t.setTableName(QStringLiteral("types"));   // no extension: a card table types.DB
        t.setFieldDefs({{"S", FieldType::String, 10}, {"I", FieldType::Integer, 0}, {"Sm", FieldType::Smallint, 0},
                        {"F", FieldType::Float, 0}, {"M", FieldType::Money, 0}, {"B", FieldType::BCD, 2},
                        {"L", FieldType::Boolean, 0}, {"D", FieldType::Date, 0}, {"T", FieldType::Time, 0},
                        {"DT", FieldType::DateTime, 0}, {"Me", FieldType::Memo, 0}, {"Bl", FieldType::Blob, 0}});
        t.createTable();
        QVERIFY(QFileInfo::exists(data(tmp) + QStringLiteral("/types.DB")));
        t.open();
        t.append();
        const QStringList in{"text", "-42", "300", "2.5", "12.75", "3.1", "true", "2024-02-29", "13:45:00",
                             "2024-02-29 13:45:10", "line1\nline2", "bytes"};
        for (int i = 0; i < in.size(); ++i)
            t.field(i).setAsString(in[i]);
        QVERIFY_THROWS_EXCEPTION(EngineError, t.field(2).setAsString(QStringLiteral("70000")));
        QVERIFY_THROWS_EXCEPTION(EngineError, t.field(7).setAsString(QStringLiteral("2024-02-30")));
        t.post();
        t.close();
        t.open();
        const QStringList out{"text", "-42", "300", "2.5", "12.75", "3.10", "True", "2024-02-29", "13:45:00",
                              "2024-02-29 13:45:10", "line1\nline2", "bytes"};
        for (int i = 0; i < out.size(); ++i)
            QCOMPARE(t.field(i).asString(), out[i]);
        QCOMPARE(t.field(7).value().toDate(), QDate(2024, 2, 29));
        QCOMPARE(t.field(1).value().toLongLong(), -42);
    }

    void definitionsAndSessionListing()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        test::createCardTable(data(tmp), QStringLiteral("Other.db"));
        QFile stray(data(tmp) + QStringLiteral("/notes.xyz"));
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.close();
        Table t;
        openCards(t, data(tmp));
        QCOMPARE(t.fieldDefs(), test::standardCardFields());
        QCOMPARE(t.indexDefs().size(), 1);
        QVERIFY(t.indexDefs().first().primary);
        QCOMPARE(t.indexDefs().first().fields, QStringList{QStringLiteral("Card_Number")});
        QCOMPARE(t.kindName(), QStringLiteral("PARADOX"));
        // Letter case of the name does not matter.
        Table u;
        u.setDatabaseName(data(tmp));
        u.setTableName(QStringLiteral("CardSet1.db"));
        u.open();
        QCOMPARE(QFileInfo(u.filePath()).fileName(), QStringLiteral("cardset1.DB"));

        Session s;
        s.setSessionName(Session::uniqueSessionName());
        QCOMPARE(s.tableNames(data(tmp)), (QStringList{"cardset1", "Other"}));
        QCOMPARE(s.tableNames(data(tmp), QStringLiteral("*.DB"), true), (QStringList{"cardset1.DB", "Other.db"}));
        QCOMPARE(s.tableNames(data(tmp), QStringLiteral("card*"), true), QStringList{"cardset1.DB"});
        s.addAlias(QStringLiteral("CARDS"), data(tmp));
        QVERIFY(s.aliasNames().contains(QStringLiteral("CARDS")));
        QCOMPARE(s.tableNames(QStringLiteral("cards")).size(), 2);
        QVERIFY_THROWS_EXCEPTION(EngineError, s.tableNames(tmp.file(QStringLiteral("missing"))));
        s.restart();
        QVERIFY(s.isActive());

        Table viaAlias;
        viaAlias.setSession(&s);
        viaAlias.setDatabaseName(QStringLiteral("cards"));
        viaAlias.setTableName(QStringLiteral("other"));
        viaAlias.open();
        QCOMPARE(viaAlias.fieldCount(), 10);
    }

    void batchMoveCountsAndSkips()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        QDir().mkpath(data(tmp));
        test::createCardTable(data(tmp));
        Table src;
        src.setDatabaseName(data(tmp));
        src.setTableName(QStringLiteral("source.db"));
        src.setFieldDefs({{"Surname", FieldType::String, 60}, {"Given", FieldType::String, 20}, {"Code", FieldType::String, 10}});
        src.createTable();
        src.open();
        const QList<QStringList> rows{{"Adams", "Ann", "1"}, {QString(50, QLatin1Char('x')), "Too", "2"},
                                      {"Baker", "Bob", "3"}, {"Clark", "Cy", "4"}};
        for (const QStringList &r : rows) {
            src.append();
            for (int i = 0; i < 3; ++i)
                src.field(i).setAsString(r[i]);
            src.post();
        }
        src.close();

        Table dst;
        dst.setDatabaseName(data(tmp));
        dst.setTableName(QStringLiteral("cardset1.DB"));
        BatchMove bm;
        bm.setSource(&src);
        bm.setDestination(&dst);
        bm.setMode(BatchMoveMode::Append);
        bm.setAbortOnKeyViolation(false);
        bm.setAbortOnProblem(false);
        bm.setMappings({QStringLiteral("Last_name=surname"), QStringLiteral("First_name=Given")});
        bm.execute();
        QCOMPARE(bm.movedCount(), 3);
        QCOMPARE(bm.problemCount(), 1);   // the 50-character name does not fit the 40 of Last_name
        QVERIFY(!dst.isOpen() && !src.isOpen());
        dst.open();
        QCOMPARE(test::allRows(dst).join(QLatin1Char(';')),
                 QStringLiteral("1|Adams|Ann|||||||;2|Baker|Bob|||||||;3|Clark|Cy|||||||"));
        test::addCard(dst, QStringLiteral("Next"));
        QCOMPARE(dst.field(0).asString(), QStringLiteral("4"));   // the unused reservation went back
        dst.close();

        bm.setMappings({QStringLiteral("Nope=Surname")});
        QVERIFY_THROWS_EXCEPTION(EngineError, bm.execute());

        // Key violations into an integer-keyed table are skipped and counted;
        // with abort on, nothing is written at all.
        Table keyed;
        keyed.setDatabaseName(data(tmp));
        keyed.setTableName(QStringLiteral("keyed.db"));
        keyed.setFieldDefs({{"K", FieldType::Integer, 0}, {"Name", FieldType::String, 80}});
        keyed.setIndexDefs({{"pk", {"K"}, true, true}});
        keyed.createTable();
        bm.setMappings({QStringLiteral("K=Code"), QStringLiteral("Name=Surname")});
        bm.setDestination(&keyed);
        bm.execute();
        QCOMPARE(bm.movedCount(), 4);
        bm.setAbortOnKeyViolation(true);
        QVERIFY_THROWS_EXCEPTION(KeyViolationError, bm.execute());
        bm.setAbortOnKeyViolation(false);
        bm.execute();
        QCOMPARE(bm.movedCount(), 0);
        QCOMPARE(bm.keyViolationCount(), 4);
        QCOMPARE(bm.problemCount(), 4);
        keyed.open();
        QCOMPARE(keyed.recordCount(), 4);
    }

    void restructureFirstFieldBackToAutoInc()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        test::createCardTable(data(tmp));
        {
            Table t;
            openCards(t, data(tmp), false);
            for (int i = 0; i < 5; ++i)
                test::addCard(t, QStringLiteral("card%1").arg(i));
            t.setRecNo(5);
            t.deleteRecord();   // highest number 5 handed out, 4 is the highest left
            t.setRecNo(2);
            t.deleteRecord();
        }
        Table t;
        QVERIFY_THROWS_EXCEPTION(EngineError, t.changeFieldType(0, {}));
        try {
            t.changeFieldType(0, {});
        } catch (const EngineError &e) {
            QCOMPARE(e.message(), QStringLiteral("Table must be opened to restructure"));
        }
        openCards(t, data(tmp), false);
        try {
            t.changeFieldType(0, {});
            QFAIL("restructured a shared table");
        } catch (const EngineError &e) {
            QCOMPARE(e.message(), QStringLiteral("Table must be opened exclusively to restructure"));
        }
        t.close();

        // The rebuild: a copy with an integer first field, filled by position,
        // then turned back into the numbered key.
        const QString temp = data(tmp) + QStringLiteral("/temp");
        QDir().mkpath(temp);
        Table fresh;
        fresh.setDatabaseName(temp);
        fresh.setTableName(QStringLiteral("Cardset1.db"));
        QList<FieldDef> defs = test::standardCardFields();
        defs[0].type = FieldType::Integer;
        defs.append({QStringLiteral("Extra"), FieldType::String, 20});
        fresh.setFieldDefs(defs);
        fresh.setIndexDefs(test::cardNumberKey());
        fresh.createTable();
        openCards(t, data(tmp), false);
        BatchMove bm;
        bm.setSource(&t);
        bm.setDestination(&fresh);
        QStringList map;
        for (int i = 0; i < t.fieldCount(); ++i)
            map << defs[i].name + QLatin1Char('=') + t.field(i).name();
        bm.setMappings(map);
        bm.execute();
        QCOMPARE(bm.movedCount(), 3);
        fresh.setExclusive(true);
        fresh.open();
        fresh.changeFieldType(0, {QStringLiteral("Card_Number"), FieldType::AutoInc, 0});
        QVERIFY(!fresh.isOpen());
        fresh.setExclusive(false);
        fresh.setCachedUpdates(true);
        fresh.open();
        QCOMPARE(fresh.field(0).type(), FieldType::AutoInc);
        QCOMPARE(fresh.fieldCount(), 11);
        QStringList numbers;
        for (fresh.first(); !fresh.eof(); fresh.next())
            numbers << fresh.field(0).asString();
        QCOMPARE(numbers, (QStringList{"1", "3", "4"}));
        test::addCard(fresh, QStringLiteral("new"));
        QCOMPARE(fresh.field(0).asString(), QStringLiteral("6"));   // 5 was handed out before
        fresh.commitUpdates();
    }
};

QTEST_MAIN(TestTable)
#include "test_table.moc"
