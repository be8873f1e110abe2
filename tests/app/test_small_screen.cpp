// The main window on a screen of 800 x 600: fixed to the screen's size, and
// still shown after the commands that create it afresh (Create Blank
// Project, Import Project). The offscreen platform is given that screen
// before the application starts.
#include "app/shell/StartupWait.h"
#include "lang/MessageDialog.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "test_projects_support.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

class TestSmallScreen : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetStartupWaitEnabled(false);
        QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(800, 600));
    }

    void windowStaysShownWhenTheCollectionIsCreatedAfresh()
    {
        Program p;
        TForm1 &main = p.main();
        QCOMPARE(main.size(), QSize(800, 600));
        QVERIFY(!main.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        p.addCard("Okafor");

        ScriptedDialogs dialogs;
        ScriptedMessages answers({MrNo});
        p.trigger("CreateBlankProject1");
        QCOMPARE(p.cards().size(), 1);
        QVERIFY(main.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.size(), QSize(800, 600));
        QVERIFY(!main.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }
};

int main(int argc, char **argv)
{
    // A screen of 800 x 600 for the offscreen platform.
    QTemporaryDir dir;
    const QString config = dir.filePath("screens.json");
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly))
        return 3;
    f.write(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
               "screens": [{"name": "small", "x": 0, "y": 0, "width": 800, "height": 600,
                            "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(config));
    QApplication app(argc, argv);
    TestSmallScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_small_screen.moc"
