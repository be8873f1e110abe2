// The test harness itself: scripted messages and dialogs answer in order and
// record what was asked; a temporary program folder is a real copy.
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

class TestHarness : public QObject {
    Q_OBJECT
private slots:
    void plainMessagesAreRecordedInOrder()
    {
        ScriptedMessages script;
        PlainMessage("Title", "first", PlainIcon::Error);
        PlainMessage("Title", "second", PlainIcon::Warning);
        QCOMPARE(script.shown().size(), 2);
        QCOMPARE(script.shown()[0].text, QString("first"));
        QVERIFY(script.shown()[1].plain);
        QCOMPARE(script.unexpected(), 2);  // no answers were scripted
        QVERIFY(HasMessageAnswerer());
    }
    void answererIsRemovedWithTheScript()
    {
        { ScriptedMessages script; }
        QVERIFY(!HasMessageAnswerer());
    }
    void dialogsAnswerFromScriptThenCancel()
    {
        ScriptedDialogs dialogs;
        dialogs.answerText("/tmp/a.jpg");
        QCOMPARE(OpenFileDialog(nullptr, "Open", "/tmp", "*.jpg").value_or(QString()), QString("/tmp/a.jpg"));
        QVERIFY(!FolderDialog(nullptr, "Folder", "/tmp").has_value());
        QCOMPARE(dialogs.requests().size(), 2);
        QCOMPARE(dialogs.requests()[1].kind, CommonDialogKind::Folder);
    }
    void programFolderIsCopied()
    {
        TempProgramFolder folder;
        QVERIFY(folder.isValid());
        QVERIFY(QDir(folder.file("data/images")).exists());
        QVERIFY(QDir(folder.file("backup")).exists());
    }
};

QTEST_MAIN(TestHarness)
#include "test_harness.moc"
