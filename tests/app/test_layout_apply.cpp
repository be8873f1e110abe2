// Layouts applied to the main window's card face: the five quick layouts,
// custom layout files, the arrangement of the two card panels, the
// second-photo button and the keyboard order.
#include "app/mainwindow/CardFaceStyle.h"
#include "app/mainwindow/TForm1.h"
#include "app/shell/ErrorReport.h"
#include "app/shell/StartupWait.h"
#include "app/startup/ProgramWindows.h"
#include "engine/FieldDef.h"
#include "engine/Table.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageTable.h"
#include "layout/quick/QuickLayouts.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QAction *menuItem(QMenu *menu, const QString &name)
{
    for (QAction *a : menu->actions())
        if (a->objectName() == name)
            return a;
    return nullptr;
}

// A file as the designer writes it, lines joined with CR LF.
QByteArray layoutFile(const QStringList &lines) { return (lines.join("\r\n") + "\r\n").toLatin1(); }

// The example front file: one field item and a free text on the card, the
// static picture in the palette.
QByteArray exampleFile(const QString &background)
{
    return layoutFile({"513", "321", "515", "323", background,
                       "Last_name,STATICTEXT,Last_name,L,Arial,16,0,-21,\"B   \",CARD,186,167,303,30",
                       "Image1,IMAGE,CARD,24,61,150,200",
                       "StaticText1,STATICTEXT,\"XYZ Company\",C,\"Arial Black\",30,0,-40,\"B   \",CARD,24,10,465,54",
                       "Statimage1,IMAGE,PALLETE,22,560,100,49,"});
}

}  // namespace

class TestLayoutApply : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetStartupWaitEnabled(false); }
    void init() { SetCurrentLanguage(QString(), {}); }

    void quickLayoutsPlaceTheirItems_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<QRect>("image1");
        QTest::addColumn<QRect>("statlabel1");
        QTest::addColumn<QRect>("statlabel2");
        QTest::addColumn<QRect>("first");
        QTest::addColumn<QRect>("last");
        QTest::addColumn<QRect>("title");
        QTest::addColumn<QRect>("department");
        QTest::addColumn<int>("noteTop");
        QTest::newRow("1") << 1 << QSize(513, 321) << QRect(24, 61, 150, 200) << QRect(24, 10, 465, 54)
                           << QRect(186, 66, 303, 24) << QRect(186, 109, 303, 38) << QRect(186, 167, 303, 38)
                           << QRect(186, 225, 303, 30) << QRect(24, 267, 465, 30) << 328;
        QTest::newRow("2") << 2 << QSize(513, 321) << QRect(339, 61, 150, 200) << QRect(24, 10, 465, 54)
                           << QRect(24, 74, 303, 24) << QRect(24, 109, 303, 38) << QRect(24, 167, 303, 38)
                           << QRect(24, 225, 303, 30) << QRect(24, 267, 465, 30) << 328;
        QTest::newRow("3") << 3 << QSize(513, 321) << QRect(339, 97, 150, 200) << QRect(24, 10, 465, 54)
                           << QRect(24, 66, 465, 24) << QRect(24, 109, 303, 38) << QRect(24, 167, 303, 38)
                           << QRect(24, 225, 303, 30) << QRect(24, 267, 303, 30) << 328;
        QTest::newRow("4") << 4 << QSize(513, 321) << QRect(24, 97, 150, 200) << QRect(24, 10, 465, 54)
                           << QRect(24, 66, 465, 24) << QRect(186, 109, 303, 38) << QRect(186, 167, 303, 38)
                           << QRect(186, 225, 303, 30) << QRect(186, 267, 303, 30) << 328;
        QTest::newRow("5") << 5 << QSize(321, 513) << QRect(81, 145, 150, 200) << QRect(12, 52, 297, 102)
                           << QRect(12, 104, 297, 24) << QRect(24, 352, 273, 38) << QRect(24, 391, 273, 38)
                           << QRect(24, 430, 273, 30) << QRect(24, 469, 273, 30) << 538;
    }
    void quickLayoutsPlaceTheirItems()
    {
        QFETCH(int, type);
        QFETCH(QSize, panel);
        QFETCH(QRect, image1);
        QFETCH(QRect, statlabel1);
        QFETCH(QRect, statlabel2);
        QFETCH(QRect, first);
        QFETCH(QRect, last);
        QFETCH(QRect, title);
        QFETCH(QRect, department);
        QFETCH(int, noteTop);
        TempProgramFolder folder;
        writeSettings(folder, [&](Settings &s) {
            s.front.LayoutType = quint8(type);
            s.back.LayoutType = quint8(type);
            s.front.DoubleSided = 1;
        });
        Program program(folder);
        TForm1 &main = program.main();
        for (int s = 0; s < 2; ++s) {
            CardSideItems &side = main.side(s);
            QCOMPARE(side.panel->size(), panel);
            QCOMPARE(side.Image1->geometry(), image1);
            QCOMPARE(side.statlabel[0]->geometry(), statlabel1);
            QCOMPARE(side.statlabel[1]->geometry(), statlabel2);
            QCOMPARE(side.fieldItem("First_name")->geometry(), first);
            QCOMPARE(side.fieldItem("Last_name")->geometry(), last);
            QCOMPARE(side.fieldItem("Title")->geometry(), title);
            QCOMPARE(side.fieldItem("Department")->geometry(), department);
            for (QWidget *w : {static_cast<QWidget *>(side.Image1), static_cast<QWidget *>(side.statlabel[0]),
                               static_cast<QWidget *>(side.statlabel[1]),
                               static_cast<QWidget *>(side.fieldItem("Department"))})
                QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
            for (QWidget *w : {static_cast<QWidget *>(side.secphot), static_cast<QWidget *>(side.statimage1),
                               static_cast<QWidget *>(side.statlabel[2]), static_cast<QWidget *>(side.statlabel[3]),
                               static_cast<QWidget *>(side.fieldItem("Card_Number")),
                               static_cast<QWidget *>(side.fieldItem("Sparefield1")),
                               static_cast<QWidget *>(side.fieldItem("MagStripe1"))})
                QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
            QCOMPARE(side.BackImage1->size(), panel);
        }
        // The front's note label: 4 pixels under a single front, or placed by
        // the arrangement of two panels.
        ScriptedMessages none;
        main.settings().front.DoubleSided = 0;
        main.ApplyAllLayouts();
        QCOMPARE(main.cardCaption()->y(), noteTop);
        QVERIFY(main.side(1).panel->isHidden());
        QCOMPARE(none.shown().size(), 0);
    }

    void twoLandscapeSidesAreStackedWithTheNoteBeside()
    {
        TempProgramFolder folder;
        writeSettings(folder, [](Settings &s) {
            s.front.LayoutType = 3;
            s.back.LayoutType = 1;
            s.front.DoubleSided = 1;
        });
        Program program(folder);
        TForm1 &main = program.main();
        const QRect front = main.side(0).panel->geometry();
        const QRect back = main.side(1).panel->geometry();
        QVERIFY(!main.side(1).panel->isHidden());
        QCOMPARE(back.topLeft(), QPoint(front.left(), front.top() + front.height() + 4));
        QCOMPARE(main.cardCaption()->geometry(), QRect(front.left() + front.width() + 4, front.top(), 110, 120));
        QCOMPARE(main.side(1).Image1->geometry(), QRect(24, 61, 150, 200));
    }

    void aPortraitFrontPutsTheBackBeside()
    {
        TempProgramFolder folder;
        writeSettings(folder, [](Settings &s) {
            s.front.LayoutType = 5;
            s.back.LayoutType = 2;
            s.front.DoubleSided = 1;
        });
        Program program(folder);
        TForm1 &main = program.main();
        const QRect front = main.side(0).panel->geometry();
        QCOMPARE(front.size(), QSize(321, 513));
        QCOMPARE(main.side(1).panel->geometry().topLeft(), QPoint(front.left() + front.width() + 4, front.top()));
        QCOMPARE(main.cardCaption()->geometry(), QRect(front.left(), front.top() + front.height() + 4, 321, 40));
    }

    void unknownTypesAreStoredAsThree_data()
    {
        QTest::addColumn<int>("stored");
        QTest::newRow("0") << 0;
        QTest::newRow("8") << 8;
        QTest::newRow("255") << 255;
    }
    void unknownTypesAreStoredAsThree()
    {
        QFETCH(int, stored);
        TempProgramFolder folder;
        writeSettings(folder, [&](Settings &s) {
            s.front.LayoutType = quint8(stored);
            s.back.LayoutType = quint8(stored);
            s.front.DoubleSided = 1;
        });
        Program program(folder);
        TForm1 &main = program.main();
        QCOMPARE(main.settings().front.LayoutType, quint8(3));
        QCOMPARE(main.settings().back.LayoutType, quint8(3));
        QCOMPARE(main.side(0).Image1->geometry(), QRect(339, 97, 150, 200));
        QCOMPARE(main.side(1).Image1->geometry(), QRect(339, 97, 150, 200));
    }

    void missingCustomFileShowsQuickLayoutThreeAndKeepsSix()
    {
        TempProgramFolder folder;
        QFile::remove(folder.file("layout.ccl"));
        writeSettings(folder, [](Settings &s) { s.front.LayoutType = 6; });
        ScriptedMessages answers;
        Program program(folder);
        TForm1 &main = program.main();
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(main.settings().front.LayoutType, quint8(6));
        QCOMPARE(main.side(0).Image1->geometry(), QRect(339, 97, 150, 200));
        QVERIFY(!main.side(0).fieldItem("First_name")->isHidden());
    }

    void aTableWithoutTitleSkipsIt()
    {
        TempProgramFolder folder;
        QList<FieldDef> fields;
        for (const FieldDef &f : StandardCardFields())
            if (f.name != "Title")
                fields.append(f);
        QFile::remove(folder.file("data/cardset1.DB"));
        Table table;
        table.setDatabaseName(folder.file("data"));
        table.setTableName("cardset1.DB");
        table.setTableType(TableType::Card);
        table.setFieldDefs(fields);
        table.setIndexDefs(StandardCardIndexes());
        table.createTable();
        for (int type = 1; type <= 5; ++type) {
            writeSettings(folder, [&](Settings &s) { s.front.LayoutType = quint8(type); });
            Program program(folder);
            TForm1 &main = program.main();
            QVERIFY(!main.side(0).fieldItem("Title"));
            QVERIFY(!main.side(0).fieldItem("First_name")->isHidden());
            QVERIFY(!main.side(0).fieldItem("Last_name")->isHidden());
            QVERIFY(!main.side(0).fieldItem("Department")->isHidden());
            QCOMPARE(main.side(0).fieldItem("Department")->geometry(), QuickLayoutFor(type).department);
        }
    }

    void fontQuestionAnsweredNoStillAlignsTheTexts()
    {
        TempProgramFolder folder;
        SetCurrentLanguage("Test", {"Literals20=Fonts differ. ", "Literals21=Reset? ", "Literals22=Sure?"});
        Program program(folder);
        TForm1 &main = program.main();
        QLabel *label1 = main.side(0).statlabel[0];
        SetItemAlignment(label1, Qt::AlignHCenter);
        SetItemAlignment(main.side(0).statlabel[1], Qt::AlignRight);
        SetItemStyle(label1, FontSlot{"Courier New", 18, 0, 0, 2});
        {
            ScriptedMessages answers({MrNo});
            main.settings().front.LayoutType = 2;
            main.ApplyLayout(0, 2, true);
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown()[0].text, QString("Fonts differ. Reset? Sure?"));
            QCOMPARE(answers.shown()[0].kind, MsgKind::Confirmation);
            QCOMPARE(answers.shown()[0].buttons, MsgButton::Yes | MsgButton::No);
        }
        QCOMPARE(ItemStyle(label1).face, QString("Courier New"));
        QCOMPARE(ItemAlignment(label1), Qt::Alignment(Qt::AlignLeft));
        QCOMPARE(ItemAlignment(main.side(0).statlabel[1]), Qt::Alignment(Qt::AlignLeft));
        {
            ScriptedMessages answers({MrYes});
            main.settings().front.LayoutType = 3;
            main.ApplyLayout(0, 3, true);
            QCOMPARE(answers.shown().size(), 1);
        }
        QCOMPARE(ItemStyle(label1).face, QString("Arial Black"));
        QCOMPARE(ItemStyle(label1).size, 30);
        QCOMPARE(ItemAlignment(label1), Qt::Alignment(Qt::AlignHCenter));
        {
            // Standard fonts already: no question.
            ScriptedMessages answers;
            main.ApplyLayout(0, 1, true);
            QCOMPARE(answers.shown().size(), 0);
        }
        // At start-up the fonts stay as restored.
        SetItemStyle(label1, FontSlot{"Courier New", 18, 0, 0, 2});
        ScriptedMessages answers;
        main.ApplyLayout(0, 4, false);
        QCOMPARE(answers.shown().size(), 0);
        QCOMPARE(ItemStyle(label1).face, QString("Courier New"));
    }

    void theExampleFileIsApplied()
    {
        TempProgramFolder folder;
        writeFile(folder.file("layout.ccl"), exampleFile("C:\\cards\\backgrounds\\blue.jpg"));
        writeSettings(folder, [](Settings &s) { s.front.LayoutType = 6; });
        ScriptedMessages answers;
        Program program(folder);
        TForm1 &main = program.main();
        QCOMPARE(answers.shown().size(), 0);
        CardSideItems &front = main.side(0);
        QCOMPARE(front.panel->size(), QSize(513, 321));
        QVERIFY(front.BackImage1->isHidden());  // a Windows path names no file here
        DBMemo *last = front.fieldItem("Last_name");
        QVERIFY(!last->isHidden());
        QCOMPARE(last->geometry(), QRect(186, 167, 303, 30));
        QCOMPARE(last->font().family(), QString("Arial"));
        QCOMPARE(last->font().pixelSize(), 21);
        QVERIFY(last->font().bold());
        QCOMPARE(ItemAlignment(last), Qt::Alignment(Qt::AlignLeft));
        QCOMPARE(front.Image1->geometry(), QRect(24, 61, 150, 200));
        QVERIFY(!front.Image1->isHidden());
        QLabel *label = front.statlabel[0];
        QCOMPARE(label->text(), QString("XYZ Company"));
        QCOMPARE(label->geometry(), QRect(24, 10, 465, 54));
        QCOMPARE(label->font().family(), QString("Arial Black"));
        QCOMPARE(label->font().pixelSize(), 40);
        QCOMPARE(ItemAlignment(label), Qt::Alignment(Qt::AlignHCenter));
        QVERIFY(!label->isHidden());
        // In the palette: bounds set, hidden.
        QCOMPARE(front.statimage1->geometry(), QRect(22, 560, 100, 49));
        QVERIFY(front.statimage1->isHidden());
        // Items the file does not mention stay hidden.
        for (QWidget *w : {static_cast<QWidget *>(front.fieldItem("First_name")),
                           static_cast<QWidget *>(front.fieldItem("Title")), static_cast<QWidget *>(front.secphot),
                           static_cast<QWidget *>(front.statlabel[1])})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        // The field item shows the card's value, not the line's text.
        QVERIFY(last->toPlainText().isEmpty());
        QCOMPARE(main.cardCaption()->y(), front.panel->y() + 321 + 4);
        QVERIFY(main.button("getimgbtn")->isHidden());
    }

    void aBackgroundThatExistsIsShownAtHalfSize()
    {
        TempProgramFolder folder;
        QImage picture(1026, 642, QImage::Format_RGB32);
        picture.fill(QColor(0, 0, 255));
        QVERIFY(picture.save(folder.file("backgrounds/full.png")));
        writeFile(folder.file("layout_b.ccl"), exampleFile(folder.file("backgrounds/full.png")));
        writeSettings(folder, [](Settings &s) {
            s.front.DoubleSided = 1;
            s.back.LayoutType = 6;
        });
        Program program(folder);
        TForm1 &main = program.main();
        PhotoItem *background = main.side(1).BackImage1;
        QVERIFY(!background->isHidden());
        QCOMPARE(background->picture().size(), QSize(513, 321));
        QVERIFY(!background->stretch());
        QCOMPARE(background->geometry(), QRect(0, 0, 513, 321));
        // Back names carry _b.
        QVERIFY(!main.side(1).fieldItem("Last_name")->isHidden());
        QCOMPARE(main.side(1).fieldItem("Last_name")->objectName(), QString("Last_name_b"));
        QCOMPARE(main.side(1).statlabel[0]->text(), QString("XYZ Company"));
        // The front (quick layout 3) is untouched by the back's file.
        QVERIFY(main.side(0).BackImage1->isHidden());
        QCOMPARE(main.side(0).fieldItem("Last_name")->geometry(), QRect(24, 167, 303, 38));
    }

    void staticTextLinesReachTheFreeTextsOfEachSide()
    {
        TempProgramFolder folder;
        const QByteArray file =
            layoutFile({"321", "513", "323", "515", "",
                        "StaticText3,STATICTEXT,\"Line 1[CRLF]Line 2\",R,Arial,12,255,-16,\" I  \",CARD,10,400,200,40",
                        "CardNumber,STATICTEXT,CardNumber,L,Arial,12,0,-16,\"    \",CARD,10,10,100,20",
                        "DEPARTMENT,STATICTEXT,Department,L,Arial,12,0,-16,\"    \",CARD,10,70,100,20",
                        "Lastname,STATICTEXT,x,X,Arial,12,0,-16,\"B\",CARD,10,40,100,20"});
        writeFile(folder.file("layout.ccl"), file);
        writeFile(folder.file("layout_b.ccl"), file);
        writeSettings(folder, [](Settings &s) {
            s.front.LayoutType = 6;
            s.back.LayoutType = 6;
            s.front.DoubleSided = 1;
        });
        Program program(folder);
        TForm1 &main = program.main();
        for (int s = 0; s < 2; ++s) {
            CardSideItems &side = main.side(s);
            QCOMPARE(side.panel->size(), QSize(321, 513));
            QLabel *label = side.statlabel[2];
            QCOMPARE(label->objectName(), s ? QString("statlabel3_b") : QString("statlabel3"));
            QVERIFY(!label->isHidden());
            QCOMPARE(label->text(), QString("Line 1\nLine 2"));
            QCOMPARE(label->geometry(), QRect(10, 400, 200, 40));
            QCOMPARE(ItemAlignment(label), Qt::Alignment(Qt::AlignRight));
            QCOMPARE(ItemColour(label), QColor(255, 0, 0));
            QVERIFY(label->font().italic());
            QVERIFY(!label->font().bold());
            // A legacy name, and a name in another letter case.
            QVERIFY(!side.fieldItem("Card_Number")->isHidden());
            QCOMPARE(side.fieldItem("Card_Number")->geometry(), QRect(10, 10, 100, 20));
            QVERIFY(!side.fieldItem("Department")->isHidden());
            QCOMPARE(side.fieldItem("Department")->geometry(), QRect(10, 70, 100, 20));
            // "X" leaves the alignment; a short style sets what it has.
            DBMemo *last = side.fieldItem("Last_name");
            QVERIFY(!last->isHidden());
            QVERIFY(last->font().bold());
        }
        // Portrait front, portrait back: side by side.
        const QRect front = main.side(0).panel->geometry();
        QCOMPARE(main.side(1).panel->geometry().topLeft(), QPoint(front.right() + 1 + 4, front.top()));
    }

    void secondPhotoOnACustomSideShowsItsButton()
    {
        TempProgramFolder folder;
        writeFile(folder.file("layout.ccl"),
                  layoutFile({"513", "321", "515", "323", "", "secphot,IMAGE,CARD,300,60,150,200",
                              "Image1,IMAGE,CARD,24,61,150,200"}));
        writeSettings(folder, [](Settings &s) { s.front.LayoutType = 6; });
        Program program(folder);
        TForm1 &main = program.main();
        GlyphButton *capture2 = main.button("getimgbtn");
        GlyphButton *undo = main.button("BitBtn4");
        GlyphButton *exit = main.button("ExitButton");
        QVERIFY(!capture2->isHidden());
        QVERIFY(!main.side(0).secphot->isHidden());
        const int undoTop = undo->y(), exitTop = exit->y();
        QCOMPARE(undoTop, capture2->y() + 40);
        QVERIFY(menuItem(main.photoMenu(), "LoadImage1")->isVisible());

        // Quick layout 2 hides the button, the six move up and "Load Image"
        // goes from the photo menu.
        main.settings().front.LayoutType = 2;
        main.ApplyLayout(0, 2, false);
        QVERIFY(capture2->isHidden());
        QCOMPARE(undo->y(), undoTop - 40);
        QCOMPARE(exit->y(), exitTop - 40);
        QVERIFY(!menuItem(main.photoMenu(), "LoadImage1")->isVisible());
        // Applying it again moves nothing further.
        main.ApplyLayout(0, 2, false);
        QCOMPARE(undo->y(), undoTop - 40);

        // The custom layout again: shown and moved down; the menu entry
        // stays as quick layout 2 left it.
        main.settings().front.LayoutType = 6;
        main.ApplyLayout(0, 6, false);
        QVERIFY(!capture2->isHidden());
        QCOMPARE(undo->y(), undoTop);
        QVERIFY(!menuItem(main.photoMenu(), "LoadImage1")->isVisible());
    }

    void theOtherSidesSecondPhotoKeepsTheButton()
    {
        TempProgramFolder folder;
        writeFile(folder.file("layout_b.ccl"),
                  layoutFile({"513", "321", "515", "323", "", "secphot,IMAGE,CARD,300,60,150,200"}));
        writeSettings(folder, [](Settings &s) {
            s.front.LayoutType = 2;
            s.back.LayoutType = 6;
            s.front.DoubleSided = 1;
        });
        Program program(folder);
        TForm1 &main = program.main();
        GlyphButton *capture2 = main.button("getimgbtn");
        QVERIFY(!capture2->isHidden());
        QVERIFY(!main.side(1).secphot->isHidden());
        QAction *load = menuItem(main.photoMenu(), "LoadImage1");
        load->setVisible(false);
        // Quick layout 3 on the front: the back still shows its second photo,
        // so the button stays and "Load Image" comes back.
        main.settings().front.LayoutType = 3;
        main.ApplyLayout(0, 3, false);
        QVERIFY(!capture2->isHidden());
        QVERIFY(load->isVisible());
        // Single-sided, the back's photo does not count.
        main.settings().front.DoubleSided = 0;
        main.ApplyAllLayouts();
        QVERIFY(capture2->isHidden());
    }

    void malformedFileKeepsWhatWasReadAndReportsTheError_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<bool>("imageShown");
        QTest::addColumn<QString>("error");
        QTest::newRow("width") << QStringList{"wide", "513", "323", "515", ""} << QSize(513, 321) << false
                               << "'wide' is not a valid integer value";
        QTest::newRow("item") << QStringList{"321", "513", "323", "515", "", "Image1,IMAGE,CARD,5,6,70,80",
                                             "StaticText1,STATICTEXT,x,L,Arial,12,0,-16,\"B\",CARD,1,2,zz,4"}
                              << QSize(321, 513) << true << "'zz' is not a valid integer value";
        QTest::newRow("short item") << QStringList{"321", "513", "323", "515", "", "Image1,IMAGE,CARD,5,6,70,80",
                                                   "secphot,IMAGE,CARD,1"}
                                    << QSize(321, 513) << true << "List index out of bounds (4)";
    }
    void malformedFileKeepsWhatWasReadAndReportsTheError()
    {
        QFETCH(QStringList, lines);
        QFETCH(QSize, panel);
        QFETCH(bool, imageShown);
        QFETCH(QString, error);
        TempProgramFolder folder;
        writeFile(folder.file("layout.ccl"), layoutFile(lines));
        writeSettings(folder, [](Settings &s) { s.front.LayoutType = 6; });
        QApplication::setApplicationDisplayName("Vellora-Id");
        ScriptedMessages answers;
        Program program(folder);
        TForm1 &main = program.main();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, error);
        QCOMPARE(answers.shown()[0].title, QString("Vellora-Id"));
        QCOMPARE(main.side(0).panel->size(), panel);
        QCOMPARE(main.side(0).Image1->isHidden(), !imageShown);
        if (imageShown)
            QCOMPARE(main.side(0).Image1->geometry(), QRect(5, 6, 70, 80));
        QVERIFY(main.side(0).fieldItem("First_name")->isHidden());
    }

    void tabsFollowTheTopsFrontBeforeBack()
    {
        TempProgramFolder folder;
        writeFile(folder.file("layout.ccl"),
                  layoutFile({"513", "321", "515", "323", "",
                              "First_name,STATICTEXT,First_name,L,Arial,12,0,-16,\"B\",CARD,10,200,100,20",
                              "Last_name,STATICTEXT,Last_name,L,Arial,12,0,-16,\"B\",CARD,10,20,100,20",
                              "Title,STATICTEXT,Title,L,Arial,12,0,-16,\"B\",CARD,200,20,100,20",
                              "Department,STATICTEXT,Department,L,Arial,12,0,-16,\"B\",PALLETE,10,100,100,20"}));
        writeSettings(folder, [](Settings &s) {
            s.front.LayoutType = 6;
            s.back.LayoutType = 1;
            s.front.DoubleSided = 1;
        });
        Program program(folder);
        TForm1 &main = program.main();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QStringList order;
        QWidget *w = main.side(0).fieldItem("Last_name");
        w->setFocus();
        QTRY_VERIFY(w->hasFocus());
        order << w->objectName();
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        // Equal tops keep the items' order; the back's items follow by top.
        QCOMPARE(order.mid(0, 7), QStringList({"Last_name", "Title", "First_name", "First_name_b", "Last_name_b",
                                               "Title_b", "Department_b"}));
    }
};

int main(int argc, char **argv)
{
    VelloraApplication app(argc, argv);
    TestLayoutApply test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_layout_apply.moc"
