// Every window of the program in every shipped language: no window may lose
// a text for want of a key, a German start shows German, and a switch to
// English at run time reaches every window at once.
#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"
#include "app/shell/StartupWait.h"
#include "app/startup/AboutForm.h"
#include "app/startup/ProgramWindows.h"
#include "lang/LanguageSelection.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

QStringList shippedLines(const TempProgramFolder &folder)
{
    QStringList lines;
    ReadUtf16Lines(folder.file("languages.ini"), &lines);
    return lines;
}

// Every window of the running program, and the data module of the menu.
QList<QObject *> programComponents(ProgramWindows &windows)
{
    QList<QObject *> all;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            all.append(w);
    all.append(windows.main->dataModule());
    return all;
}

}  // namespace

class TestLanguageKeys : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetStartupWaitEnabled(false); }

    void everyWindowHasItsKeysInEveryLanguage()
    {
        TempProgramFolder folder;
        const QStringList lines = shippedLines(folder);
        const QStringList languages = SectionNamesOf(lines);
        QVERIFY(languages.contains("English"));
        QVERIFY(languages.contains("German"));
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        const QList<QObject *> components = programComponents(windows);
        QVERIFY(components.size() >= 4);
        QStringList missing;
        for (const QString &language : languages) {
            const LanguageTable table(SectionLines(lines, language));
            for (QObject *component : components)
                for (const QString &key : MissingKeys(component, table))
                    missing.append(language + ": " + key);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join('\n')));
    }

    void germanStartThenEnglishEverywhereAtOnce()
    {
        TempProgramFolder folder;
        QVERIFY(WriteLanguageChoice(folder.path(), "German"));
        ScriptedMessages answers;
        StartupLoadLanguage(folder.path());
        QCOMPARE(CurrentLanguageName(), QString("German"));
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        TranslateApplication();
        windows.about->appendVersionLine();
        StartupLoadGraphics(folder.path());

        const QStringList lines = shippedLines(folder);
        const LanguageTable german(SectionLines(lines, "German"));
        const LanguageTable english(SectionLines(lines, "English"));
        const QString aboutKey = "FORM:AboutForm-OWNER:-CONTROL:AboutForm-CAPTION";
        const QString saveKey = "FORM:-OWNER:-CONTROL:Save1-CAPTION";
        QVERIFY(german.value(aboutKey) != english.value(aboutKey));
        QVERIFY(german.value(saveKey) != english.value(saveKey));
        QCOMPARE(windows.about->windowTitle(), german.value(aboutKey));
        QCOMPARE(windows.main->dataModule()->item("Save1")->text(), german.value(saveKey));
        QVERIFY(windows.about->infoLabel()->text().endsWith("\r\nV3.0.5"));

        QVERIFY(WriteLanguageChoice(folder.path(), "English"));
        QVERIFY(ApplyLanguageChange(folder.path()));
        QCOMPARE(windows.about->windowTitle(), english.value(aboutKey));
        QCOMPARE(windows.main->dataModule()->item("Save1")->text(), english.value(saveKey));
        QCOMPARE(windows.main->windowTitle(), english.value("FORM:Form1-OWNER:-CONTROL:Form1-CAPTION"));
        // The version line survives the switch, once.
        QVERIFY(windows.about->infoLabel()->text().endsWith("\r\nV3.0.5"));
        QCOMPARE(windows.about->infoLabel()->text().count("V3.0.5"), 1);
        QCOMPARE(answers.unexpected(), 0);
    }
};

QTEST_MAIN(TestLanguageKeys)
#include "test_language_keys.moc"
