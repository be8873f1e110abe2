// The built program folder holds an empty standard card table and the blank
// project that Create Blank Project imports.
#include "engine/Table.h"
#include "store/CardTable.h"
#include "engine/util/FileLookup.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

class TestProgramFolder : public QObject {
    Q_OBJECT

    void checkEmptyCardTable(const QString &dataFolder)
    {
        Table table;
        table.setDatabaseName(dataFolder);
        table.setTableName(kCardTableName);
        table.open();
        QCOMPARE(table.recordCount(), 0);
        QCOMPARE(table.fieldDefs(), StandardCardFields());
    }

private slots:
    void cardTableAndBlankProjectAreInstalled()
    {
        TempProgramFolder folder;
        QVERIFY2(folder.isValid(), "VELLORA_PROGRAM_DIR names no built program folder");
        checkEmptyCardTable(folder.file("data/"));
        const QString blank = folder.file("defaultproject files/");
        for (const char *sub : {"", "data", "backup", "data/images"})
            QVERIFY2(QDir(blank + sub).exists(), sub);
        checkEmptyCardTable(blank + "data/");
    }

    void toolNeverReplacesATable()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        const auto runTool = [&] {
            return QProcess::execute(QStringLiteral(VELLORA_CARDTABLE_TOOL), {folder.path()});
        };
        QCOMPARE(runTool(), 0);
        {
            Table table;
            OpenCardTable(table, folder.path());
            table.insert();
            table.fieldByName("Last_name").setAsString("Kept");
            table.post();
            table.commitUpdates();
        }
        QCOMPARE(runTool(), 0);
        Table table;
        OpenCardTable(table, folder.path());
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.fieldByName("Last_name").asString(), QString("Kept"));
    }

    void toolRecognisesATableInAnotherLetterCase()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        QVERIFY(QDir().mkpath(folder.file("Data/images")));
        CreateStandardCardTable(folder.file("Data/"), "CardSet1.DB");
        QCOMPARE(QProcess::execute(QStringLiteral(VELLORA_CARDTABLE_TOOL), {folder.path()}), 0);
        QCOMPARE(QDir(folder.file("Data")).entryList({"*.db"}, QDir::Files), QStringList{"CardSet1.DB"});
        QVERIFY(!QDir(folder.file("data")).exists());
    }
};

QTEST_MAIN(TestProgramFolder)
#include "test_programfolder.moc"
