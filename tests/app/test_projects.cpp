// Backup copies and project archives on the real main window: the commands
// of the File menu, their questions and dialogs answered from a script, the
// files they leave behind.
#include "test_projects_support.h"

#include "app/projects/ProjectCommands.h"
#include "app/projects/ProjectFiles.h"
#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "lang/LanguageTable.h"
#include "layout/file/LayoutFile.h"
#include "store/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"

#include <QLabel>

using namespace vellora;
using namespace vellora::test;

namespace {

// A collection with three cards, photos of two of them, both layout files.
void fillCollection(Program &p)
{
    p.addCard("Okafor", "Ada", "Research");
    p.addCard("Lindqvist", "Bo", "Sales");
    p.addCard("Moreau", "Claire", "Legal");
    QVERIFY(writeBytes(p.file("data/images/1.jpg"), photoBytes(1)));
    QVERIFY(writeBytes(p.file("data/images/2.jpg"), photoBytes(2)));
    QVERIFY(writeBytes(p.file("data/images/2-2.jpg"), photoBytes(22)));
    QVERIFY(writeBytes(p.file("layout.ccl"), "front layout of this collection\r\n"));
    QVERIFY(writeBytes(p.file("layout_b.ccl"), "back layout of this collection\r\n"));
}

// Answers the next export: the save dialog with `marker`.
void exportTo(Program &p, ScriptedDialogs &dialogs, const QString &marker)
{
    dialogs.answerText(marker);
    p.trigger("ExportProject1");
}

// The dated card tables in backup/ whose names start with prefix, by name.
QStringList datedFiles(const Program &p, const QString &prefix)
{
    return QDir(p.file("backup")).entryList({prefix + "*.DB"}, QDir::Files, QDir::Name);
}

QStringList plainTexts(const ScriptedMessages &answers)
{
    QStringList out;
    for (const ShownMessage &m : answers.shown())
        if (m.plain)
            out.append(m.text);
    return out;
}

// The collection's own files (not the blank project, manual and pictures).
QMap<QString, QByteArray> collectionFiles(const Program &p)
{
    QMap<QString, QByteArray> out;
    for (const QString &sub : {QStringLiteral("data"), QStringLiteral("backup")}) {
        const auto files = treeContents(p.file(sub));
        for (auto it = files.begin(); it != files.end(); ++it)
            out.insert(sub + '/' + it.key(), it.value());
    }
    for (const QString &name : {QStringLiteral("layout.ccl"), QStringLiteral("layout_b.ccl"), QStringLiteral("config.cfg")})
        if (QFile::exists(p.file(name)))
            out.insert(name, readBytes(p.file(name)));
    return out;
}

}  // namespace

class TestProjects : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetStartupWaitEnabled(false);
        QApplication::setApplicationDisplayName("Vellora-Id");
    }

    void projectFolderNames_data()
    {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "/p/Staff.mag" << "/p/Staff files";
        QTest::newRow("every occurrence") << "/p/a.mag.b.mag" << "/p/a.b files";
        QTest::newRow("inside a word") << "/p/x.magic.mag" << "/p/xic files";
        QTest::newRow("letter case counts") << "/p/A.MAG.mag" << "/p/A.MAG files";
        QTest::newRow("other extension") << "/p/Staff.MAG" << "/p/Staff files";
        QTest::newRow("blanks kept") << "/p/My cards.mag" << "/p/My cards files";
        QTest::newRow("no extension") << "/p/Staff" << "/p/Staff files";
        QTest::newRow("dot in folder only") << "/p.q/Staff" << "/p.q/Staff files";
    }
    void projectFolderNames()
    {
        QFETCH(QString, marker);
        QFETCH(QString, folder);
        QCOMPARE(ProjectFolderFor(marker), folder);
    }

    void exportedProjectImportsElsewhereAsItWas()
    {
        Program a;
        fillCollection(a);
        a.main().side(0).statlabel[0]->setText("Round Trip Ltd");   // reaches config.cfg at export
        QVERIFY(QFile::remove(a.file("Projects")) || !QFile::exists(a.file("Projects")));
        ScriptedDialogs dialogs;
        ScriptedMessages answers;
        a.table().setRecNo(2);
        exportTo(a, dialogs, a.file("Projects/Staff"));    // the default extension is added
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].kind, CommonDialogKind::SaveFile);
        QCOMPARE(dialogs.requests()[0].filter, QString("Vellora-ID Projects (*.mag)"));
        QVERIFY(dialogs.requests()[0].initial.startsWith(a.file("Projects")));
        QCOMPARE(readBytes(a.file("Projects/Staff.mag")), QByteArray("Staff.mag\r\n"));
        const QString archive = a.file("Projects/Staff files");
        QCOMPARE(readBytes(archive + "/data/images/2-2.jpg"), photoBytes(22));
        QCOMPARE(readBytes(archive + "/layout.ccl"), readBytes(a.file("layout.ccl")));
        QCOMPARE(readBytes(archive + "/config.cfg").size(), 2 * SettingsRecord::Size);
        // The program goes on with its collection at the card it was on.
        QVERIFY(a.table().isOpen());
        QCOMPARE(a.currentLastName(), QString("Lindqvist"));
        QVERIFY(a.main().fieldItemCount() > 0);

        Program b;
        b.addCard("Someone Else");
        QVERIFY(writeBytes(b.file("data/images/9.jpg"), photoBytes(9)));
        QVERIFY(writeBytes(b.file("data/notes.txt"), "b's own file"));
        answers.push(MrNo);   // no export of b's collection first
        dialogs.answerText(a.file("Projects/Staff.mag"));
        b.trigger("ImportProject1");
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, Literal(52));
        QCOMPARE(answers.shown()[0].kind, MsgKind::Confirmation);
        QCOMPARE(answers.shown()[0].buttons, MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        QCOMPARE(dialogs.requests().last().kind, CommonDialogKind::OpenFile);
        QVERIFY(b.table().isOpen());

        QCOMPARE(b.cards(), a.cards());
        QCOMPARE(treeContents(b.file("data/images")), treeContents(a.file("data/images")));
        QVERIFY(!QFile::exists(b.file("data/notes.txt")));
        QCOMPARE(readBytes(b.file("layout.ccl")), readBytes(a.file("layout.ccl")));
        QCOMPARE(readBytes(b.file("layout_b.ccl")), readBytes(a.file("layout_b.ccl")));
        QCOMPARE(b.main().settings().front.FreeText[0], QString("Round Trip Ltd"));
        QCOMPARE(b.main().side(0).statlabel[0]->text(), QString("Round Trip Ltd"));
        QCOMPARE(b.main().fieldItemCount(), b.table().fieldCount());
        QCOMPARE(plainTexts(answers), QStringList());
    }

    void exportOntoExistingMarkerAnsweredNoChangesNothing()
    {
        Program p;
        fillCollection(p);
        ScriptedDialogs dialogs;
        ScriptedMessages answers;
        exportTo(p, dialogs, p.file("Projects/Staff.mag"));
        const auto before = treeContents(p.file("Projects"));
        p.addCard("Added Later");
        QVERIFY(writeBytes(p.file("data/images/4.jpg"), photoBytes(4)));
        answers.push(MrNo);
        exportTo(p, dialogs, p.file("Projects/Staff.mag"));
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, Literal(51));
        QCOMPARE(answers.shown()[0].kind, MsgKind::Confirmation);
        QCOMPARE(answers.shown()[0].buttons, MsgButton::Yes | MsgButton::No);
        QCOMPARE(treeContents(p.file("Projects")), before);
        // The program works on with the current collection.
        QVERIFY(p.table().isOpen());
        QCOMPARE(p.cards().size(), 4);
        p.addCard("Still Working");
        QCOMPARE(p.cards().size(), 5);
    }

    void exportingTwiceKeepsTheDeletedCardsPhoto()
    {
        Program p;
        fillCollection(p);
        ScriptedDialogs dialogs;
        ScriptedMessages answers;
        exportTo(p, dialogs, p.file("Projects/Staff.mag"));
        p.table().setRecNo(2);
        answers.push(MrYes);
        QVERIFY(p.main().store()->deleteCard());
        p.main().CommitCard();
        QVERIFY(!QFile::exists(p.file("data/images/2.jpg")));
        answers.push(MrYes);   // replace the archive
        exportTo(p, dialogs, p.file("Projects/Staff.mag"));
        QCOMPARE(answers.shown().size(), 2);
        const QString archive = p.file("Projects/Staff files");
        QCOMPARE(readBytes(archive + "/data/images/2.jpg"), photoBytes(2));

        Program q;
        answers.push(MrNo);
        dialogs.answerText(p.file("Projects/Staff.mag"));
        q.trigger("ImportProject1");
        QCOMPARE(q.cards(), p.cards());
        QCOMPARE(q.cards().size(), 2);
        QCOMPARE(readBytes(q.file("data/images/2.jpg")), photoBytes(2));
    }

    void importWithAFolderMissingDeletesNothing_data()
    {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("error");
        QTest::newRow("project folder") << "" << "Cannot find project files";
        QTest::newRow("data") << "data" << "Cannot find data files";
        QTest::newRow("backup") << "backup" << "Cannot Find backup files";
        QTest::newRow("images") << "data/images" << "Cannot find client images";
    }
    void importWithAFolderMissingDeletesNothing()
    {
        QFETCH(QString, removed);
        QFETCH(QString, error);
        Program source;
        fillCollection(source);
        ScriptedDialogs dialogs;
        ScriptedMessages answers;
        exportTo(source, dialogs, source.file("Projects/Staff.mag"));
        QVERIFY(QDir(source.file("Projects/Staff files/" + removed)).removeRecursively());

        Program p;
        p.addCard("Kept", "Safe");
        QVERIFY(writeBytes(p.file("data/images/1.jpg"), photoBytes(5)));
        QVERIFY(writeBytes(p.file("layout.ccl"), "mine"));
        p.trigger("SaveBackupCopy1");
        const auto before = collectionFiles(p);
        const QStringList cards = p.cards();
        answers.push(MrNo);
        dialogs.answerText(source.file("Projects/Staff.mag"));
        p.trigger("ImportProject1");
        QCOMPARE(plainTexts(answers), QStringList{error});
        QCOMPARE(collectionFiles(p), before);
        QVERIFY(p.table().isOpen());
        QCOMPARE(p.cards(), cards);
        QVERIFY(p.main().fieldItemCount() > 0);
    }

    // Import looks at the archive before it touches the collection: a card
    // table that does not open, or files that do not fit on the disk (a
    // sparse file counts with its full size), stop it with nothing changed.
    void importOfABadArchiveChangesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("error");
        QTest::newRow("damaged card table") << "table" << "cannot be opened";
        QTest::newRow("larger than the free space") << "space" << " MB are free";
    }
    void importOfABadArchiveChangesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QString, error);
        Program source;
        fillCollection(source);
        ScriptedDialogs dialogs;
        ScriptedMessages answers;
        exportTo(source, dialogs, source.file("Projects/Staff.mag"));
        const QString archive = source.file("Projects/Staff files/");
        if (fault == "table") {
            QVERIFY(writeBytes(archive + "data/cardset1.DB", QByteArray(5000, 'x')));
        } else {
            QFile big(archive + "data/images/9.jpg");
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize(qint64(1) << 42));   // 4 TiB, no block of it written
        }

        Program p;
        p.addCard("Kept", "Safe");
        QVERIFY(writeBytes(p.file("data/images/1.jpg"), photoBytes(5)));
        QVERIFY(writeBytes(p.file("layout.ccl"), "mine"));
        p.trigger("SaveBackupCopy1");
        const auto before = collectionFiles(p);
        const QStringList cards = p.cards();
        const QStringList entries = QDir(p.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        answers.clear();
        answers.push(MrNo);
        dialogs.answerText(source.file("Projects/Staff.mag"));
        p.trigger("ImportProject1");
        QCOMPARE(plainTexts(answers).size(), 1);
        QVERIFY2(plainTexts(answers)[0].contains(error), qPrintable(plainTexts(answers)[0]));
        QCOMPARE(collectionFiles(p), before);
        QCOMPARE(QDir(p.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
        QVERIFY(p.table().isOpen());
        QCOMPARE(p.cards(), cards);
        QVERIFY(p.main().fieldItemCount() > 0);
    }

    void linksInAProjectAreNotFollowed()
    {
        QTemporaryDir outside;
        QVERIFY(writeBytes(outside.filePath("secret.txt"), "outside the project"));
        QVERIFY(QDir().mkpath(outside.filePath("images")));
        Program source;
        fillCollection(source);
        ScriptedDialogs dialogs;
        ScriptedMessages answers;
        exportTo(source, dialogs, source.file("Projects/Staff.mag"));
        const QString archive = source.file("Projects/Staff files");
        // A file link in data/ and a linked layout file: neither is read on import.
        QVERIFY(QFile::link(outside.filePath("secret.txt"), archive + "/data/secret.txt"));
        QVERIFY(QFile::remove(archive + "/layout_b.ccl"));
        QVERIFY(QFile::link(outside.filePath("secret.txt"), archive + "/layout_b.ccl"));
        QVERIFY(QDir().mkpath(archive + "/data/sub"));
        QVERIFY(writeBytes(archive + "/data/sub/deep.txt", "sub-folders are not part of a project"));

        Program p;
        answers.push(MrNo);
        dialogs.answerText(source.file("Projects/Staff.mag"));
        p.trigger("ImportProject1");
        QCOMPARE(plainTexts(answers), QStringList());
        QCOMPARE(p.cards(), source.cards());
        QVERIFY(!QFileInfo::exists(p.file("data/secret.txt")) && !QFileInfo(p.file("data/secret.txt")).isSymLink());
        QVERIFY(!QFileInfo::exists(p.file("layout_b.ccl")));
        QVERIFY(!QFileInfo::exists(p.file("data/sub")));

        // Exporting into an archive whose folders and files are links writes
        // into the archive only, never through the links.
        const QString target = p.file("Projects/Linked files");
        QVERIFY(QDir().mkpath(target + "/data"));
        QVERIFY(QDir().mkpath(target + "/backup"));
        QVERIFY(QFile::link(outside.filePath("images"), target + "/data/images"));
        QVERIFY(QFile::link(outside.filePath("secret.txt"), target + "/layout.ccl"));
        QVERIFY(writeBytes(p.file("Projects/Linked.mag"), "Linked.mag\r\n"));
        answers.push(MrYes);
        exportTo(p, dialogs, p.file("Projects/Linked.mag"));
        QCOMPARE(readBytes(outside.filePath("secret.txt")), QByteArray("outside the project"));
        QCOMPARE(QDir(outside.filePath("images")).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(!QFileInfo(target + "/data/images").isSymLink());
        QCOMPARE(readBytes(target + "/data/images/2-2.jpg"), photoBytes(22));
        QVERIFY(!QFileInfo(target + "/layout.ccl").isSymLink());
        QCOMPARE(readBytes(target + "/layout.ccl"), readBytes(p.file("layout.ccl")));

        // A project folder whose backup folder is a link to elsewhere is
        // missing that folder.
        QVERIFY(QDir(target + "/backup").removeRecursively());
        QVERIFY(QFile::link(outside.path(), target + "/backup"));
        const auto before = collectionFiles(p);
        answers.clear();
        answers.push(MrNo);
        dialogs.answerText(p.file("Projects/Linked.mag"));
        p.trigger("ImportProject1");
        QCOMPARE(plainTexts(answers), QStringList{"Cannot Find backup files"});
        QCOMPARE(collectionFiles(p), before);
    }

    void createBlankProjectCancelledMakesNoCard()
    {
        Program p;
        fillCollection(p);
        const auto before = collectionFiles(p);
        ScriptedDialogs dialogs;
        ScriptedMessages answers({MrCancel});
        p.trigger("CreateBlankProject1");
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, Literal(52));
        QCOMPARE(dialogs.requests().size(), 0);
        QCOMPARE(p.cards().size(), 3);
        QCOMPARE(collectionFiles(p), before);
    }

    void createBlankProjectStartsWithOneBlankCard()
    {
        Program p;
        fillCollection(p);
        ScriptedDialogs dialogs;
        ScriptedMessages answers({MrNo});
        const auto blank = treeContents(p.file("defaultproject files"));
        p.trigger("CreateBlankProject1");
        QCOMPARE(dialogs.requests().size(), 0);     // no file dialog for the blank project
        QCOMPARE(plainTexts(answers), QStringList());
        QCOMPARE(p.cards().size(), 1);
        QCOMPARE(p.table().recNo(), 1);
        QCOMPARE(QDir(p.file("data/images")).entryList(QDir::Files), QStringList());
        QVERIFY(!QFile::exists(p.file("layout.ccl")));
        // The installed blank project itself is unchanged.
        QCOMPARE(treeContents(p.file("defaultproject files")), blank);
    }

    void createBlankProjectWithExportFirst()
    {
        Program p;
        fillCollection(p);
        ScriptedDialogs dialogs;
        ScriptedMessages answers({MrYes});
        dialogs.answerText(p.file("Projects/Before blank.mag"));
        p.trigger("CreateBlankProject1");
        QCOMPARE(p.cards().size(), 1);
        QVERIFY(QFile::exists(p.file("Projects/Before blank files/data/images/2-2.jpg")));
        // The export cancelled stops the whole command.
        ScriptedMessages again({MrYes});
        dialogs.answerCancel();
        p.trigger("CreateBlankProject1");
        QCOMPARE(p.cards().size(), 1);
        QCOMPARE(again.shown().size(), 1);
    }

    void twoBackupsKeepTheSecond()
    {
        Program p;
        ScriptedMessages answers({MrOk, MrOk});
        p.addCard("First");
        p.trigger("SaveBackupCopy1");
        const QByteArray firstBackup = readBytes(p.file("backup/CardSet1.DB"));
        p.addCard("Second");
        p.table().edit();
        p.table().fieldByName("Department").setAsString("typed, not saved");   // committed by the command
        p.trigger("SaveBackupCopy1");
        // Each save tells where the copy went; the second keeps the first.
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(answers.unexpected(), 0);
        const QString backupPath = QDir::toNativeSeparators(QDir::cleanPath(p.file("backup/CardSet1.DB")));
        QCOMPARE(answers.shown()[0].kind, MsgKind::Information);
        QVERIFY2(answers.shown()[0].text.contains(backupPath), qPrintable(answers.shown()[0].text));
        const QStringList previous = datedFiles(p, "CardSet1-2");
        QCOMPARE(previous.size(), 1);
        QVERIFY2(answers.shown()[1].text.contains(previous.first()), qPrintable(answers.shown()[1].text));
        QCOMPARE(readBytes(p.file("backup/" + previous.first())), firstBackup);
        const QStringList atSecondBackup = p.cards();
        QVERIFY(atSecondBackup.last().endsWith("|typed, not saved"));

        p.addCard("Third");
        QVERIFY(writeBytes(p.file("data/images/3.jpg"), photoBytes(3)));
        QVERIFY(writeBytes(p.file("layout.ccl"), "a layout made after the backup"));
        const QByteArray config = readBytes(p.file("config.cfg"));
        const QByteArray replaced = readBytes(p.file("data/cardset1.DB"));
        answers.clear();
        answers.push(MrYes);
        p.trigger("LoadBackupCopy1");
        // Asked first, naming the backup's cards, No the default.
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].kind, MsgKind::Warning);
        QCOMPARE(answers.shown()[0].buttons, MsgButton::Yes | MsgButton::No);
        QCOMPARE(answers.shown()[0].defaultButton, MsgButton::No);
        QVERIFY2(answers.shown()[0].text.contains(" 2 cards"), qPrintable(answers.shown()[0].text));
        QCOMPARE(p.cards(), atSecondBackup);
        QCOMPARE(readBytes(p.file("data/images/3.jpg")), photoBytes(3));
        QCOMPARE(readBytes(p.file("layout.ccl")), QByteArray("a layout made after the backup"));
        QCOMPARE(readBytes(p.file("config.cfg")), config);
        QCOMPARE(p.main().fieldItemCount(), p.table().fieldCount());
        // The replaced table is kept beside the backup, where the question said.
        const QStringList kept = datedFiles(p, "CardSet1-replaced-");
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readBytes(p.file("backup/" + kept.first())), replaced);
        QVERIFY2(answers.shown()[0].text.contains(kept.first()), qPrintable(answers.shown()[0].text));
        // Card numbers go on after the loaded table's own.
        QCOMPARE(p.addCard("After"), 3);
    }

    // Load Backup Copy asks before it replaces anything: No (the default)
    // loses no card.
    void restoreAnsweredNoKeepsTheCards()
    {
        Program p;
        ScriptedMessages answers({MrOk});
        p.addCard("Backed up");
        p.trigger("SaveBackupCopy1");
        p.addCard("Added since");
        p.addCard("Added too");
        const auto before = collectionFiles(p);
        const QStringList cards = p.cards();
        answers.clear();
        answers.push(MrNo);
        p.trigger("LoadBackupCopy1");
        QCOMPARE(answers.shown().size(), 1);
        QVERIFY2(answers.shown()[0].text.contains(" 1 cards"), qPrintable(answers.shown()[0].text));
        QCOMPARE(collectionFiles(p), before);
        QCOMPARE(p.cards(), cards);
    }

    // Only the last ten dated copies of each kind stay.
    void datedCopiesKeepTheLastTen()
    {
        Program p;
        ScriptedMessages answers({MrOk, MrOk});
        p.addCard("One");
        p.trigger("SaveBackupCopy1");
        for (int i = 10; i < 22; ++i) {
            QVERIFY(writeBytes(p.file(QStringLiteral("backup/CardSet1-200001%1-000000.DB").arg(i)), "old backup"));
            QVERIFY(writeBytes(p.file(QStringLiteral("backup/CardSet1-replaced-200001%1-000000.DB").arg(i)), "old table"));
        }
        p.trigger("SaveBackupCopy1");
        answers.push(MrYes);
        p.trigger("LoadBackupCopy1");
        QCOMPARE(answers.unexpected(), 0);
        for (const char *kind : {"CardSet1-2", "CardSet1-replaced-"}) {
            const QStringList copies = datedFiles(p, kind);
            QCOMPARE(copies.size(), 10);
            QVERIFY(!copies.contains(QString(kind).replace("-2", "-") + "20000110-000000.DB"));
            QVERIFY(!copies.contains(QString(kind).replace("-2", "-") + "20000112-000000.DB"));
            QVERIFY(copies.contains(QString(kind).replace("-2", "-") + "20000113-000000.DB"));
        }
    }

    // A backup that could not be made is said so; a missing backup folder is
    // made first.
    void backupFolderMissingOrBlocked()
    {
        Program p;
        p.addCard("Only");
        QVERIFY(QDir(p.file("backup")).removeRecursively());
        {
            ScriptedMessages answers({MrOk});
            p.trigger("SaveBackupCopy1");
            QCOMPARE(readBytes(p.file("backup/CardSet1.DB")), readBytes(p.file("data/cardset1.DB")));
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown()[0].kind, MsgKind::Information);
        }
        QVERIFY(QDir(p.file("backup")).removeRecursively());
        QVERIFY(writeBytes(p.file("backup"), "a file where the folder should be"));
        ScriptedMessages answers({MrOk});
        p.trigger("SaveBackupCopy1");
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].kind, MsgKind::Error);
        QVERIFY2(answers.shown()[0].text.contains("No backup copy was made"), qPrintable(answers.shown()[0].text));
        QCOMPARE(readBytes(p.file("backup")), QByteArray("a file where the folder should be"));
        QVERIFY(p.table().isOpen());
    }

    // Export Project names every file it could not copy.
    void exportNamesTheFilesNotCopied()
    {
        Program p;
        fillCollection(p);
        // A folder standing where a photo's copy should go.
        QVERIFY(QDir().mkpath(p.file("Projects/Staff files/data/images/2.jpg")));
        ScriptedDialogs dialogs;
        ScriptedMessages answers({MrOk});
        exportTo(p, dialogs, p.file("Projects/Staff.mag"));
        const QList<ShownMessage> reports = answers.shown();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].kind, MsgKind::Warning);
        QVERIFY2(reports[0].text.contains(QDir::toNativeSeparators(p.file("data/images/2.jpg"))),
                 qPrintable(reports[0].text));
        QVERIFY2(!reports[0].text.contains("1.jpg"), qPrintable(reports[0].text));
        QCOMPARE(readBytes(p.file("Projects/Staff files/data/images/1.jpg")), photoBytes(1));
    }

    void backupWithoutCardTableFilesWarns()
    {
        Program p;
        p.addCard("Only");
        QVERIFY(QFile::remove(p.file("data/cardset1.DB")));
        QFile::remove(p.file("backup/CardSet1.DB"));
        ScriptedMessages answers({MrOk});
        p.trigger("SaveBackupCopy1");
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, Literal(47));
        QCOMPARE(answers.shown()[0].kind, MsgKind::Warning);
        QCOMPARE(answers.shown()[0].buttons, MsgButtons(MsgButton::OK));
        QCOMPARE(QDir(p.file("backup")).entryList(QDir::Files), QStringList());
    }

    void loadingWithoutBackupDoesNothing()
    {
        Program p;
        p.addCard("Only");
        QCOMPARE(QDir(p.file("backup")).entryList(QDir::Files), QStringList());
        const auto before = collectionFiles(p);
        ScriptedMessages answers;
        p.trigger("LoadBackupCopy1");
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(collectionFiles(p), before);
        QCOMPARE(p.cards().size(), 1);
    }

    void damagedBackupLeavesTheCardTable()
    {
        Program p;
        p.addCard("Precious");
        QVERIFY(writeBytes(p.file("backup/CardSet1.DB"), QByteArray(3000, 'x')));
        const QByteArray table = readBytes(p.file("data/cardset1.DB"));
        ScriptedMessages answers;
        p.trigger("LoadBackupCopy1");
        QCOMPARE(plainTexts(answers).size(), 1);
        QVERIFY(p.table().isOpen());
        QCOMPARE(p.cards().size(), 1);
        QCOMPARE(p.currentLastName(), QString("Precious"));
        QCOMPARE(readBytes(p.file("data/cardset1.DB")), table);
        QCOMPARE(QDir(p.file("data")).entryList(QDir::Files), QStringList{"cardset1.DB"});
    }

    void exitQuestionYesSavesTheBackupThroughTheCommand()
    {
        Program p;
        p.addCard("At exit");
        QVERIFY(writeBytes(p.file("backup/CardSet1.PX"), "index of an older Paradox backup"));
        p.main().show();
        ScriptedMessages answers({MrYes, MrOk});
        QVERIFY(p.main().close());
        QCOMPARE(readBytes(p.file("backup/CardSet1.DB")), readBytes(p.file("data/cardset1.DB")));
        // An index that does not belong to this table is not left beside it.
        QVERIFY(!QFile::exists(p.file("backup/CardSet1.PX")));
    }
};

int main(int argc, char **argv)
{
    VelloraApplication app(argc, argv);
    TestProjects test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_projects.moc"
