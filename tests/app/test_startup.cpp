// Start-up and shut-down of the real program on a temporary program folder:
// the creation steps, the settings file at exit, the exit question, failure
// handling, the help commands and the generic error report.
#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"
#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "app/startup/AboutForm.h"
#include "app/startup/ProgramWindows.h"
#include "app/startup/SplashForm.h"
#include "app/startup/StartupError.h"
#include "devices/shell/DesktopShell.h"
#include "engine/Table.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageSelection.h"
#include "lang/LanguageTable.h"
#include "lang/ModalHelper.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/PhotoItem.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Thrown by a command to see the report of an error no command caught.
struct Boom : std::exception {
    const char *what() const noexcept override { return "the printer caught fire"; }
};

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetStartupWaitEnabled(false); }

    void firstRunWritesDefaultSettingsAtExit()
    {
        TempProgramFolder folder;
        QVERIFY(folder.isValid());
        QFile::remove(folder.file("config.cfg"));
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        TForm1 &main = *windows.main;
        QCOMPARE(main.settings().front.FreeText[0], QString("XYZ Company"));
        QCOMPARE(main.side(0).statlabel[0]->text(), QString("XYZ Company"));
        QCOMPARE(main.side(0).statlabel[0]->font().family(), QString("Arial Black"));
        QVERIFY(main.side(0).statlabel[0]->font().bold());
        QCOMPARE(main.settings().front.effectiveLayoutType(), 3);
        QCOMPARE(main.settings().front.DoubleSided, quint8(0));
        QVERIFY(!QFile::exists(folder.file("config.cfg")));

        ScriptedMessages answers({MrNo});
        main.show();
        QVERIFY(main.close());
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].kind, MsgKind::Warning);
        QCOMPARE(answers.shown()[0].buttons, MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
        QCOMPARE(readAll(folder.file("config.cfg")).size(), 10568);
        QVERIFY(!main.table()->isOpen());
    }

    void frontRecordOnlyGivesSingleSidedDefaults()
    {
        TempProgramFolder folder;
        Settings written;
        written.ResetSettings();
        written.front.DoubleSided = 1;
        written.front.FreeText[1] = "Front only";
        QFile f(folder.file("config.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(written.front.toBytes());
        f.close();
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        TForm1 &main = *windows.main;
        QCOMPARE(main.settings().front.FreeText[1], QString("Front only"));
        QCOMPARE(main.settings().front.DoubleSided, quint8(0));
        QCOMPARE(main.settings().back, DefaultSettingsRecord());
        QVERIFY(main.side(1).panel->isHidden());
    }

    void cancelAtExitKeepsRunningWithTheCardSaved()
    {
        TempProgramFolder folder;
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        TForm1 &main = *windows.main;
        main.show();
        main.store()->newCard();
        main.table()->edit();
        main.table()->fieldByName("Last_name").setAsString("Okafor");  // typed, not yet saved
        {
            ScriptedMessages answers({MrCancel});
            QVERIFY(!main.close());
            QCOMPARE(answers.shown().size(), 1);
        }
        QVERIFY(main.isVisible());
        QVERIFY(main.table()->isOpen());
        QVERIFY(!main.table()->updatesPending());
        // What another opening of the table sees is the saved card.
        main.table()->close();
        Table again;
        OpenCardTable(again, folder.path());
        QCOMPARE(again.recordCount(), 1);
        QCOMPARE(again.fieldByName("Last_name").asString(), QString("Okafor"));
        again.close();
        OpenCardTable(*main.table(), folder.path());
        ScriptedMessages answers({MrNo});
        QVERIFY(main.close());
    }

    void yesAtExitSavesTheBackupCopy()
    {
        TempProgramFolder folder;
        QFile::remove(folder.file("backup/CardSet1.DB"));
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.main->show();
        windows.main->store()->newCard();
        ScriptedMessages answers({MrYes, MrOk});
        QVERIFY(windows.main->close());
        QCOMPARE(answers.unexpected(), 0);
        QVERIFY(QFile::exists(folder.file("backup/CardSet1.DB")));
        Table backup;
        backup.setDatabaseName(folder.file("backup"));
        backup.setTableName("CardSet1.DB");
        backup.open();
        QCOMPARE(backup.recordCount(), 1);
    }

    void missingCardTableStopsWithoutWriting()
    {
        TempProgramFolder folder;
        QFile::remove(folder.file("data/cardset1.DB"));
        QFile::remove(folder.file("config.cfg"));
        ProgramWindows windows;
        try {
            windows.createMainWindow(folder.path());
            QFAIL("start-up went on without a card table");
        } catch (const StartupError &e) {
            QVERIFY2(e.message().contains("cardset1", Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(folder.file("config.cfg")));
        QVERIFY(!QFile::exists(folder.file("data/cardset1.DB")));
    }

    void damagedSettingsAreKeptAsideAndDefaultsUsed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("too short") << QByteArray(1000, '\x07');
        // Both records' worth of noise: no font, text or flag of it is used.
        QByteArray noise(2 * 5284, '\0');
        quint32 x = 2024;
        for (char &c : noise) {
            x = x * 1664525u + 1013904223u;
            c = char(x >> 24);
        }
        QTest::newRow("random bytes") << noise;
    }
    void damagedSettingsAreKeptAsideAndDefaultsUsed()
    {
        QFETCH(QByteArray, bytes);
        TempProgramFolder folder;
        QFile f(folder.file("config.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        ScriptedMessages answers;
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        QCOMPARE(answers.shown().size(), 1);
        QVERIFY(answers.shown()[0].text.contains("config.cfg.damaged"));
        QCOMPARE(readAll(folder.file("config.cfg.damaged")), bytes);
        QVERIFY(!QFile::exists(folder.file("config.cfg")));
        QCOMPARE(windows.main->settings().front, DefaultSettingsRecord());
    }

    void startupQuestionsAreNotUnderTheSplash()
    {
        // The splash stays on top of everything; a question asked while it
        // is up would be hidden under it. The real dialogs are shown here.
        TempProgramFolder folder;
        QVERIFY(!QFile::exists(folder.file("Language.cfg")));
        QFile f(folder.file("config.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1000, '\x07'));
        f.close();

        TSplashForm splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        struct Asked {
            QString title;
            bool visible = false;
            bool splashVisible = true;
        };
        QList<Asked> asked;
        auto answer = [&](const char *button) {
            WhenModal([&asked, &splash, button](QWidget *w) {
                asked.append({w->windowTitle(), w->isVisible(), splash.isVisible()});
                if (auto *b = w->findChild<QAbstractButton *>(QLatin1String(button)))
                    b->click();
                else if (auto *box = qobject_cast<QDialog *>(w))
                    box->accept();
            });
        };
        answer("Button1");  // the first-start language question: Ok
        StartupLoadLanguage(folder.path());
        QTRY_VERIFY(splash.isVisible());
        answer("OK");  // the notice about the damaged settings file (plain box)
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        QTRY_VERIFY(splash.isVisible());

        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].title, QString("Select Language"));
        for (const Asked &a : asked) {
            QVERIFY2(a.visible, qPrintable(a.title));
            QVERIFY2(!a.splashVisible, qPrintable(a.title));
        }
        QVERIFY(QFile::exists(folder.file("config.cfg.damaged")));
    }

    void missingBackgroundIsForgotten()
    {
        TempProgramFolder folder;
        Settings s;
        s.ResetSettings();
        s.front.BackgroundPath = folder.file("backgrounds/gone.jpg");
        s.back.BackgroundPath = folder.file("backgrounds/Blue waves.jpg");
        QVERIFY(s.SaveSettings(folder.file("config.cfg")));
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        TForm1 &main = *windows.main;
        QVERIFY(main.settings().front.BackgroundPath.isEmpty());
        QVERIFY(main.side(0).BackImage1->isHidden());
        QCOMPARE(main.settings().back.BackgroundPath, folder.file("backgrounds/Blue waves.jpg"));
    }

    void helpMenuOpensManualTourAndSupport()
    {
        TempProgramFolder folder;
        QList<QUrl> opened;
        SetDesktopOpener([&](const QUrl &url) { opened.append(url); return true; });
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        TDataModule1 *menu = windows.main->dataModule();
        QCOMPARE(menu->item("Manual1")->shortcut(), QKeySequence("F1"));
        QCOMPARE(menu->item("QuickTour1")->shortcut(), QKeySequence("F6"));
        menu->item("Manual1")->trigger();
        menu->item("QuickTour1")->trigger();
        menu->item("OnlineSupport1")->trigger();
        SetDesktopOpener({});
        QCOMPARE(opened.size(), 3);
        QVERIFY(QFile::exists(opened[0].toLocalFile()));
        QCOMPARE(opened[1].toString(), QString("file://") + folder.file("tour/tour.html"));
        QVERIFY(QFile::exists(opened[1].toLocalFile()));
        QCOMPARE(opened[2].scheme(), QString("https"));

        menu->item("AboutVelloraID1")->trigger();
        QVERIFY(windows.about->isVisible());
        QVERIFY(!windows.about->isModal());
        QCOMPARE(windows.about->windowTitle(), QString("About Vellora-ID"));
        windows.about->appendVersionLine();
        QVERIFY(windows.about->infoLabel()->text().endsWith("\r\nV3.0.5"));
    }

    void helpWithoutADesktopHandlerUsesTheProgramsViewer()
    {
        // A desktop with nothing that opens web pages: the manual and the
        // tour show in the program's own viewer, the support address is told.
        TempProgramFolder folder;
        QList<QUrl> asked;
        SetDesktopOpener([&](const QUrl &url) { asked.append(url); return false; });
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        TDataModule1 *menu = windows.main->dataModule();
        ScriptedMessages answers({MrOk});
        auto viewer = [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == "HelpViewer" && w->isVisible())
                    return w;
            return static_cast<QWidget *>(nullptr);
        };
        menu->item("Manual1")->trigger();
        QTRY_VERIFY(viewer());
        auto *browser = viewer()->findChild<QTextBrowser *>("HelpBrowser");
        QVERIFY(browser);
        QCOMPARE(browser->source(), QUrl::fromLocalFile(folder.file("manual/index.html")));
        QVERIFY(browser->toPlainText().size() > 100);
        QVERIFY(!viewer()->windowTitle().isEmpty());
        menu->item("QuickTour1")->trigger();
        QTRY_COMPARE(browser->source(), QUrl::fromLocalFile(folder.file("tour/tour.html")));
        QVERIFY(browser->toPlainText().size() > 100);
        menu->item("OnlineSupport1")->trigger();
        QTRY_COMPARE(answers.shown().size(), 1);
        QVERIFY2(answers.shown()[0].text.contains(asked.last().toString()), qPrintable(answers.shown()[0].text));
        QCOMPARE(asked.size(), 3);
        SetDesktopOpener({});
        viewer()->close();
    }

    void closingTheMainWindowEndsTheProgram()
    {
        // The program ends when its last window closes: the About box (or
        // the Find dialog) left open would keep it running without its
        // main window and with the card table closed.
        TempProgramFolder folder;
        ProgramWindows windows;
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        windows.applyLayouts();
        windows.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(windows.main.get()));
        windows.main->dataModule()->item("AboutVelloraID1")->trigger();
        windows.main->button("BitBtn8")->click();  // the Find dialog
        QVERIFY(windows.about->isVisible());
        ScriptedMessages answers({MrNo});
        QVERIFY(windows.main->close());
        QStringList open;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && !w->testAttribute(Qt::WA_DontShowOnScreen))
                open.append(w->objectName());
        QCOMPARE(open, QStringList());
    }

    void windowGoesAwayWithItsTableOpen()
    {
        TempProgramFolder folder;
        {
            ProgramWindows windows;
            windows.createMainWindow(folder.path());
            windows.createOtherWindows();
            windows.applyLayouts();
            windows.main->show();
            windows.main->store()->newCard();
            QVERIFY(windows.main->table()->isOpen());
        }
        // and the committed card is still there
        Table again;
        OpenCardTable(again, folder.path());
        QCOMPARE(again.recordCount(), 1);
    }

    void uncaughtErrorIsReportedAndProgramGoesOn()
    {
        QApplication::setApplicationDisplayName("Vellora-Id");
        ScriptedMessages answers;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [] { throw Boom(); });
        timer.start(0);
        QTRY_COMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].title, QString("Vellora-Id"));
        QCOMPARE(answers.shown()[0].text, QString("the printer caught fire"));
        QCOMPARE(answers.shown()[0].buttons, MsgButtons(MsgButton::OK));
        bool stillRunning = false;
        QTimer::singleShot(0, this, [&] { stillRunning = true; });
        QTRY_VERIFY(stillRunning);
    }
};

int main(int argc, char **argv)
{
    VelloraApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
