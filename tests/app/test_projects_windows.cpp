// A project archive written by an installation on Windows: a Paradox card
// table with its primary index, folders and files in other letter cases,
// layout and settings files naming Windows paths. Importing it opens the
// collection; the engine converts the table on open.
#include "test_projects_support.h"

#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "engine/PxCardWriter.h"
#include "layout/file/LayoutFile.h"
#include "store/PhotoItem.h"
#include "store/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

using namespace vellora;
using namespace vellora::test;

namespace {

const QStringList kPxFields{"Last_name", "First_name", "Title", "Department", "Sparefield1", "Sparefield2",
                            "MagStripe1", "MagStripe2", "MagStripe3"};
const QList<int> kPxWidths{40, 40, 40, 40, 40, 40, 79, 40, 107};

QList<PxCard> windowsCards()
{
    return {{1, {"Okafor", "Ada", "Dr", "Research", "", "", "%B123?", "", ""}},
            {2, {QString::fromUtf8("Müller"), QString::fromUtf8("Jörg"), "", "Sales", "", "", "", ";456?", ""}},
            {5, {"Moreau", "Claire", "", "Legal", "", "", "", "", ""}}};
}

// The archive as that installation left it: "Windows.mag" and "Windows files".
void writeWindowsArchive(const QString &projects)
{
    const QString root = projects + "/Windows files";
    QVERIFY(QDir().mkpath(root + "/Data/Images"));
    QVERIFY(QDir().mkpath(root + "/Backup"));
    QVERIFY(writePxCardTable(root + "/Data/CardSet1.DB", kPxFields, kPxWidths, windowsCards(), 6));
    // The primary index and the engine's network control file come along;
    // nothing here reads them.
    QVERIFY(writeBytes(root + "/Data/CardSet1.PX", QByteArray(2048, '\0')));
    QVERIFY(writeBytes(root + "/Data/PDOXUSRS.NET", QByteArray(512, '\0')));
    QVERIFY(QFile::copy(root + "/Data/CardSet1.DB", root + "/Backup/CardSet1.DB"));
    QVERIFY(QFile::copy(root + "/Data/CardSet1.PX", root + "/Backup/CardSet1.PX"));
    QVERIFY(writeBytes(root + "/Data/Images/1.jpg", photoBytes(1)));
    QVERIFY(writeBytes(root + "/Data/Images/5-2.jpg", photoBytes(52)));

    LayoutRecord layout;
    layout.backgroundPath = "C:\\Program Files\\Vellora ID\\backgrounds\\Blue waves.jpg";
    const std::optional<QByteArray> bytes = EncodeLayoutFile(layout);
    QVERIFY(bytes);
    QVERIFY(writeBytes(root + "/Layout.ccl", *bytes));

    Settings settings;
    settings.ResetSettings();
    settings.front.LayoutType = 6;
    settings.back.BackgroundPath = "C:\\Program Files\\Vellora ID\\backgrounds\\Green.jpg";
    settings.front.FreeText[1] = "From Windows";
    QVERIFY(settings.SaveSettings(root + "/config.cfg"));
    QVERIFY(writeBytes(projects + "/Windows.mag", "Windows.mag\r\n"));
}

}  // namespace

class TestProjectsWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetStartupWaitEnabled(false);
        QApplication::setApplicationDisplayName("Vellora-Id");
    }

    void windowsArchiveImportsAndOpens()
    {
        Program p;
        p.addCard("Replaced");
        QVERIFY(QDir().mkpath(p.file("Projects")));
        writeWindowsArchive(p.file("Projects"));
        if (QTest::currentTestFailed())
            return;
        ScriptedDialogs dialogs;
        ScriptedMessages answers({MrNo});
        dialogs.answerText(p.file("Projects/Windows.mag"));
        p.trigger("ImportProject1");
        QCOMPARE(answers.shown().size(), 1);   // the question only: no error

        QVERIFY(p.table().isOpen());
        QCOMPARE(p.cards(), (QStringList{"1|Ada|Okafor|Research", QString::fromUtf8("2|Jörg|Müller|Sales"),
                                         "5|Claire|Moreau|Legal"}));
        QCOMPARE(p.main().fieldItemCount(), 10);
        // The table is one of ours now; the Paradox originals are kept aside.
        QCOMPARE(readBytes(p.file("data/CardSet1.DB")).left(15), QByteArray("SQLite format 3"));
        QCOMPARE(QDir(p.file("data")).entryList({"legacy-*"}, QDir::Dirs).size(), 1);
        // Photos by card number, the custom layout and its Windows path kept as text.
        p.table().setRecNo(1);
        QCOMPARE(readBytes(p.file("data/images/1.jpg")), photoBytes(1));
        QCOMPARE(p.main().settings().front.effectiveLayoutType(), 6);
        QCOMPARE(p.main().settings().front.FreeText[1], QString("From Windows"));
        QVERIFY(p.main().settings().back.BackgroundPath.isEmpty());     // no such picture here
        const LayoutLoad layout = LoadLayout(LayoutFileName(p.folder.path(), CardSide::Front));
        QVERIFY(layout.ok());
        QCOMPARE(layout.record.backgroundPath, QString("C:\\Program Files\\Vellora ID\\backgrounds\\Blue waves.jpg"));
        QVERIFY(p.main().side(0).BackImage1->isHidden());

        // Numbers go on after the table's own, and the collection works on.
        QCOMPARE(p.addCard("New here"), 6);

        // The Paradox backup of that installation loads as well.
        answers.push(MrYes);
        p.trigger("LoadBackupCopy1");
        QCOMPARE(answers.shown().size(), 2);
        QVERIFY2(answers.shown()[1].text.contains(" 3 cards"), qPrintable(answers.shown()[1].text));
        QCOMPARE(p.cards().size(), 3);
        QCOMPARE(p.addCard("After the backup"), 6);
    }
};

int main(int argc, char **argv)
{
    VelloraApplication app(argc, argv);
    TestProjectsWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_projects_windows.moc"
