// The layout designer driven as an operator drives it: real mouse presses,
// moves and releases on the shown window, keys, menus, the orientation
// switch, OK and Cancel, and the layout file it writes.
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/RadioGroup.h"
#include "lang/Translation.h"
#include "lang/EditTextDialog.h"
#include "layout/designer/DesignerItems.h"
#include "layout/designer/SelectionHitTest.h"
#include "layout/designer/TCustomlayout.h"
#include "layout/file/LayoutFile.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"
#include "support/WindowMouse.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QUndoStack>
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace vellora;
using namespace vellora::test;

namespace {

const QStringList kFields = {"Card_Number", "First_name", "Last_name", "Title", "Department",
                             "Sparefield1", "Sparefield2", "magstripe1", "magstripe2", "magstripe3"};

DesignerEnvironment environment(const QString &folder, QStringList fields = kFields, int layoutType = 6)
{
    DesignerEnvironment env;
    env.appFolder = folder;
    env.tableFields = [fields] { return fields; };
    env.layoutType = [layoutType](CardSide) { return layoutType; };
    return env;
}

void useLanguage(const QString &name)
{
    static QStringList lines;
    if (lines.isEmpty())
        QVERIFY(ReadUtf16Lines(TempProgramFolder::builtProgramFolder() + "/languages.ini", &lines));
    SetCurrentLanguage(name, SectionLines(lines, name));
    LoadDialogCaptions();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray layoutFile(const QStringList &lines) { return (lines.join("\r\n") + "\r\n").toLatin1(); }

// A designer shown on the screen, with the scripted dialogs in place.
struct Shown {
    explicit Shown(const DesignerEnvironment &env, CardSide side = CardSide::Front)
        : designer(env, side)
    {
        designer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&designer));
    }
    TCustomlayout designer;
    WindowMouse mouse{&designer};
};

// Scrolls the palette so that the item is in view, then returns its centre.
QPoint paletteSpot(TCustomlayout &d, const QString &name)
{
    QWidget *w = d.item(name);
    d.palette()->ensureWidgetVisible(w, 0, 10);
    return QPoint(w->width() / 2, w->height() / 2);
}

void dropOnCard(Shown &s, const QString &name, QPoint onCard)
{
    const QPoint from = paletteSpot(s.designer, name);
    s.mouse.drag(s.designer.item(name), from, s.designer.card(), onCard);
}

// Acts on the next modal dialog from inside its modal loop.
void whenModal(std::function<void(QWidget *)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    auto tries = std::make_shared<int>(0);
    *poll = [act, poll, tries] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            act(modal);
            *poll = nullptr;
            return;
        }
        if (++*tries > 500) {
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

// A picture file of the given size in one colour.
QString writePicture(const TempProgramFolder &folder, const QString &name, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder.file(name);
    image.save(path);
    return path;
}

// The entries of a menu that are shown, by name.
QStringList shownEntries(QMenu *menu)
{
    QStringList names;
    for (QAction *a : menu->actions())
        if (!a->isSeparator() && a->isVisible())
            names << a->objectName();
    return names;
}

}  // namespace

class TestDesigner : public QObject {
    Q_OBJECT
private slots:
    // The shipped English texts, as the program runs by default.
    void init()
    {
        useLanguage("English");
    }

    // ---- the pure geometry --------------------------------------------

    void hitTestOfTheSelectionFrame_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("hit");
        const QSize f(104, 29);  // a 100 x 25 item
        QTest::newRow("outside left") << f << QPoint(-1, 10) << int(SelectionHit::None);
        QTest::newRow("outside below") << f << QPoint(50, 29) << int(SelectionHit::None);
        QTest::newRow("top-left corner") << f << QPoint(0, 0) << int(SelectionHit::TopLeft);
        QTest::newRow("4 px from top-left") << f << QPoint(4, 4) << int(SelectionHit::TopLeft);
        QTest::newRow("5 px from top-left is the frame") << f << QPoint(5, 5) << int(SelectionHit::Move);
        QTest::newRow("top-right corner") << f << QPoint(103, 1) << int(SelectionHit::TopRight);
        QTest::newRow("bottom-right corner") << f << QPoint(100, 25) << int(SelectionHit::BottomRight);
        QTest::newRow("bottom-left corner") << f << QPoint(2, 27) << int(SelectionHit::BottomLeft);
        QTest::newRow("top middle") << f << QPoint(51, 2) << int(SelectionHit::Top);
        QTest::newRow("top, 3 px off the middle") << f << QPoint(48, 2) << int(SelectionHit::Top);
        QTest::newRow("top, 5 px off the middle") << f << QPoint(46, 2) << int(SelectionHit::Move);
        QTest::newRow("bottom middle") << f << QPoint(52, 28) << int(SelectionHit::Bottom);
        QTest::newRow("left middle") << f << QPoint(1, 14) << int(SelectionHit::Left);
        QTest::newRow("right middle") << f << QPoint(102, 15) << int(SelectionHit::Right);
        QTest::newRow("right, 5 px in") << f << QPoint(98, 14) << int(SelectionHit::Move);
        QTest::newRow("centre") << f << QPoint(52, 14) << int(SelectionHit::Move);
        // A tiny frame: the corner squares cover the edge middles.
        QTest::newRow("tiny frame corner first") << QSize(8, 8) << QPoint(3, 0) << int(SelectionHit::TopLeft);
    }
    void hitTestOfTheSelectionFrame()
    {
        QFETCH(QSize, frame);
        QFETCH(QPoint, point);
        QFETCH(int, hit);
        QCOMPARE(int(HitSelection(frame, point)), hit);
    }

    void draggedBoundsStayOnTheCard_data()
    {
        QTest::addColumn<QRect>("start");
        QTest::addColumn<int>("hit");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QRect>("expected");
        const QRect r(100, 100, 130, 25);
        QTest::newRow("move") << r << int(SelectionHit::Move) << QPoint(10, -5) << QRect(110, 95, 130, 25);
        QTest::newRow("move past the right edge") << r << int(SelectionHit::Move) << QPoint(500, 0)
                                                  << QRect(383, 100, 130, 25);
        QTest::newRow("move past the top-left") << r << int(SelectionHit::Move) << QPoint(-200, -200)
                                                << QRect(0, 0, 130, 25);
        QTest::newRow("resize bottom-right") << r << int(SelectionHit::BottomRight) << QPoint(20, 10)
                                             << QRect(100, 100, 150, 35);
        QTest::newRow("resize right past the card") << r << int(SelectionHit::Right) << QPoint(400, 0)
                                                    << QRect(100, 100, 413, 25);
        QTest::newRow("resize left past the card") << r << int(SelectionHit::Left) << QPoint(-300, 0)
                                                   << QRect(0, 100, 230, 25);
        QTest::newRow("resize top over the bottom") << r << int(SelectionHit::Top) << QPoint(0, 80)
                                                    << QRect(100, 124, 130, 1);
        QTest::newRow("top edge ignores x") << r << int(SelectionHit::Top) << QPoint(30, -20)
                                            << QRect(100, 80, 130, 45);
    }
    void draggedBoundsStayOnTheCard()
    {
        QFETCH(QRect, start);
        QFETCH(int, hit);
        QFETCH(QPoint, delta);
        QFETCH(QRect, expected);
        QCOMPARE(DraggedBounds(start, SelectionHit(hit), delta, QSize(513, 321)), expected);
    }

    // ---- the window ------------------------------------------------------

    void paletteHoldsTheFieldItemsAndTheirGhosts()
    {
        TempProgramFolder folder;
        TCustomlayout d(environment(folder.path()), CardSide::Front);
        QCOMPARE(d.size(), QSize(704, 577));
        // Seven field items; the stripe fields have none.
        QCOMPARE(d.itemNames().mid(0, 8),
                 QStringList({"Card_Number", "First_name", "Last_name", "Title", "Department", "Sparefield1",
                              "Sparefield2", "Image1"}));
        QVERIFY(!d.item("magstripe1"));
        QCOMPARE(d.item("Card_Number")->geometry(), QRect(8, 29, 130, 25));
        QCOMPARE(d.item("Sparefield2")->geometry(), QRect(8, 203, 130, 25));
        const int y = 29 * 7;
        QCOMPARE(d.item("Image1")->geometry(), QRect(35, y + 29, 75, 100));
        QCOMPARE(d.item("secphot")->geometry(), QRect(22, y + 29 + 104, 100, 49));
        QCOMPARE(d.item("StaticText1")->geometry(), QRect(8, y + 29 + 104 + 53 + 25, 130, 25));
        QCOMPARE(d.item("StaticText4")->geometry().top(), y + 29 + 104 + 53 + 25 + 3 * 29);
        QCOMPARE(d.item("Statimage1")->geometry(), QRect(22, y + 29 + 104 + 53 + 25 + 4 * 29, 100, 49));
        for (const QString &name : d.itemNames()) {
            QWidget *ghost = d.ghost(name);
            QVERIFY2(ghost, qPrintable(name));
            QCOMPARE(ghost->objectName(), name + "ghost");
            QVERIFY(!ghost->isEnabled());
            QCOMPARE(ghost->geometry(), d.item(name)->geometry());
            QCOMPARE(d.item(name)->toolTip(), QString("Click & Drag To Place The Component On The Card"));
        }
        QCOMPARE(static_cast<QLabel *>(d.ghost("StaticText2"))->text(), QString("Static Text"));
        QCOMPARE(d.ghost("secphot")->accessibleName(), Literal(64));

        // Only stripe fields: the photo heads the palette.
        TCustomlayout bare(environment(folder.path(), {"magstripe1", "MagStripe2"}), CardSide::Front);
        QCOMPARE(bare.item("Image1")->y(), 29);

        // 250 fields: only the first 200 get items.
        QStringList many;
        for (int i = 0; i < 250; ++i)
            many << QString("F%1").arg(i);
        TCustomlayout big(environment(folder.path(), many), CardSide::Front);
        QVERIFY(big.item("F199"));
        QVERIFY(!big.item("F200"));
        QCOMPARE(big.item("Image1")->y(), 29 * 201);
    }

    void dropsFromThePaletteLandOnTheCard()
    {
        TempProgramFolder folder;
        ScriptedMessages messages;
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        QCOMPARE(d.card()->size(), QSize(513, 321));

        // The second photo dropped at the card's bottom-right corner lies
        // flush with the right and bottom edges, at its palette size.
        dropOnCard(s, "secphot", QPoint(510, 318));
        QVERIFY(d.isOnCard("secphot"));
        QCOMPARE(d.item("secphot")->geometry(), QRect(413, 272, 100, 49));
        QCOMPARE(d.selectedItem(), d.item("secphot"));
        QCOMPARE(d.selectionHandles()->geometry(), QRect(411, 270, 104, 53));
        QVERIFY(d.dragOutline()->isHidden());

        // The photo takes 150 x 200, pushed inside as well.
        dropOnCard(s, "Image1", QPoint(500, 300));
        QCOMPARE(d.item("Image1")->geometry(), QRect(363, 121, 150, 200));

        // A text keeps its palette size at the drop point.
        dropOnCard(s, "Last_name", QPoint(20, 30));
        QCOMPARE(d.item("Last_name")->geometry(), QRect(20, 30, 130, 25));
        QCOMPARE(d.item("Last_name")->parentWidget(), d.card());

        // Released over the help group (neither card nor palette): nothing.
        const QPoint from = paletteSpot(d, "Title");
        s.mouse.drag(d.item("Title"), from, d.helpGroup(), QPoint(20, 100));
        QVERIFY(!d.isOnCard("Title"));
        QCOMPARE(d.item("Title")->geometry(), d.ghost("Title")->geometry());
        QCOMPARE(messages.shown().size(), 0);
    }

    void dragShowsADottedOutlineThatFollowsThePointer()
    {
        TempProgramFolder folder;
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        const QPoint from = paletteSpot(d, "First_name");
        s.mouse.press(d.item("First_name"), from);
        s.mouse.move(d.card(), QPoint(100, 50));
        QVERIFY(d.dragOutline()->isVisible());
        QCOMPARE(d.dragOutline()->geometry(), QRect(d.card()->mapTo(&d, QPoint(100, 50)), QSize(130, 25)));
        // Over the card the photo's outline already has the card size.
        s.mouse.release(d.card(), QPoint(100, 50));
        QVERIFY(d.dragOutline()->isHidden());
        const QPoint photo = paletteSpot(d, "Image1");
        s.mouse.press(d.item("Image1"), photo);
        s.mouse.move(d.card(), QPoint(10, 10));
        QCOMPARE(d.dragOutline()->size(), QSize(150, 200));
        s.mouse.release(d.card(), QPoint(10, 10));
    }

    void selectedItemsMoveResizeAndReturn()
    {
        TempProgramFolder folder;
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        dropOnCard(s, "Department", QPoint(100, 100));
        QWidget *item = d.item("Department");
        QWidget *handles = d.selectionHandles();
        QCOMPARE(item->geometry(), QRect(100, 100, 130, 25));

        // Move: press inside the frame, drag, release on the card.
        s.mouse.press(handles, QPoint(60, 14));
        s.mouse.move(handles, QPoint(70, 20));
        QVERIFY(d.dragOutline()->isVisible());
        QCOMPARE(item->geometry(), QRect(100, 100, 130, 25));  // only the outline moved yet
        s.mouse.move(handles, QPoint(90, 34));
        s.mouse.release(handles, QPoint(90, 34));
        QCOMPARE(item->geometry(), QRect(130, 120, 130, 25));
        QCOMPARE(handles->geometry(), QRect(128, 118, 134, 29));

        // Resize from the bottom-right square.
        s.mouse.press(handles, QPoint(132, 27));
        s.mouse.move(handles, QPoint(150, 40));
        s.mouse.release(handles, QPoint(172, 57));
        QCOMPARE(item->geometry(), QRect(130, 120, 170, 55));

        // A move past the card's edge keeps the item inside.
        s.mouse.press(handles, QPoint(80, 20));
        s.mouse.move(d.card(), QPoint(500, 300));
        s.mouse.release(d.card(), QPoint(510, 318));
        QCOMPARE(item->geometry(), QRect(343, 266, 170, 55));

        // Arrow keys move it by one pixel, never off the card.
        QTest::keyClick(handles, Qt::Key_Left);
        QTest::keyClick(handles, Qt::Key_Up);
        QCOMPARE(item->geometry(), QRect(342, 265, 170, 55));
        QTest::keyClick(handles, Qt::Key_Right);
        QTest::keyClick(handles, Qt::Key_Right);
        QCOMPARE(item->geometry().right(), 512);

        // Released over another control: nothing moves, selection cleared.
        s.mouse.press(handles, QPoint(80, 20));
        s.mouse.move(d.helpGroup(), QPoint(30, 30));
        s.mouse.release(d.helpGroup(), QPoint(30, 30));
        QCOMPARE(item->geometry(), QRect(343, 265, 170, 55));
        QVERIFY(!d.selectedItem());
        QVERIFY(handles->isHidden());

        // A press on the item selects it again; a move released over the
        // palette returns it there with its ghost's state.
        s.mouse.press(item, QPoint(10, 10));
        s.mouse.release(item, QPoint(10, 10));
        QCOMPARE(d.selectedItem(), item);
        s.mouse.press(handles, QPoint(80, 20));
        s.mouse.move(d.palette()->viewport(), QPoint(60, 60));
        s.mouse.release(d.palette()->viewport(), QPoint(60, 60));
        QVERIFY(!d.isOnCard("Department"));
        QCOMPARE(item->geometry(), d.ghost("Department")->geometry());
        QVERIFY(!d.selectedItem());
    }

    void freeTextReturnedToThePaletteGetsItsPaletteLookBack()
    {
        TempProgramFolder folder;
        ScriptedDialogs dialogs;
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        dropOnCard(s, "StaticText2", QPoint(30, 30));
        auto *label = qobject_cast<QLabel *>(d.item("StaticText2"));
        QFont big("Liberation Serif");
        big.setPointSize(28);
        big.setBold(true);
        dialogs.answerFont(big, QColor(200, 0, 0));
        d.chooseItemFont(label);
        d.alignItem(label, LayoutAlignment::Right);
        QVERIFY(label->font().bold());
        // Dropped back on the palette from the card.
        s.mouse.press(d.selectionHandles(), QPoint(40, 10));
        s.mouse.move(d.palette()->viewport(), QPoint(50, 40));
        s.mouse.release(d.palette()->viewport(), QPoint(50, 40));
        QCOMPARE(label->text(), QString("Static Text"));
        QVERIFY(!label->font().bold());
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        const LayoutRecord r = d.layoutRecord();
        const LayoutItem *line = r.find("StaticText2");
        QCOMPARE(line->fontName, QString("MS Sans Serif"));
        QCOMPARE(line->fontHeight, -15);
        QCOMPARE(line->place, QString("PALLETE"));
    }

    void okWritesTheSideFileAndCancelWritesNothing()
    {
        TempProgramFolder folder;
        const QString front = LayoutFileName(folder.path(), CardSide::Front);
        const QString back = LayoutFileName(folder.path(), CardSide::Back);
        QFile::remove(front);
        QFile::remove(back);
        {
            Shown s(environment(folder.path()), CardSide::Back);
            dropOnCard(s, "Last_name", QPoint(186, 167));
            dropOnCard(s, "StaticText1", QPoint(24, 10));
            QTest::mouseClick(s.designer.okButton(), Qt::LeftButton);
            QCOMPARE(s.designer.result(), int(QDialog::Accepted));
        }
        QVERIFY(!QFile::exists(front));
        const QByteArray written = readFile(back);
        const QList<QByteArray> lines = written.split('\n');
        QCOMPARE(lines.value(0), QByteArray("513\r"));
        QCOMPARE(lines.value(3), QByteArray("323\r"));
        QCOMPARE(lines.value(4), QByteArray("\r"));
        // Field items in table order, then the pictures and free texts.
        QStringList names;
        for (int i = 5; i < lines.size() - 1; ++i)
            names << QString::fromLatin1(lines[i].left(lines[i].indexOf(',')));
        QCOMPARE(names, QStringList({"Card_Number", "First_name", "Last_name", "Title", "Department", "Sparefield1",
                                     "Sparefield2", "Image1", "StaticText1", "StaticText2", "StaticText3",
                                     "StaticText4", "Statimage1", "secphot"}));
        QCOMPARE(lines[7], QByteArray("Last_name,STATICTEXT,Last_name,C,\"MS Sans Serif\",11,-2147483640,-15,\"    "
                                      "\",CARD,186,167,130,25\r"));
        QVERIFY(lines[17].startsWith("Statimage1,IMAGE,PALLETE,"));
        QVERIFY(lines[17].endsWith(",\r"));

        // Cancel after changes: the file stays byte for byte.
        {
            Shown s(environment(folder.path()), CardSide::Back);
            QVERIFY(s.designer.isOnCard("Last_name"));
            QCOMPARE(s.designer.item("Last_name")->geometry(), QRect(186, 167, 130, 25));
            dropOnCard(s, "Title", QPoint(10, 200));
            QTest::mouseClick(s.designer.cancelButton(), Qt::LeftButton);
            QCOMPARE(s.designer.result(), int(QDialog::Rejected));
        }
        QCOMPARE(readFile(back), written);
    }

    void openingReadsTheFileAsTheDesignerPlacesIt()
    {
        TempProgramFolder folder;
        ScriptedMessages messages;
        writeFile(LayoutFileName(folder.path(), CardSide::Front),
                  layoutFile({"321", "513", "323", "515", "",
                              "Lastname,STATICTEXT,Last_name,R,Arial,16,255,-21,\"B   \",CARD,20,300,250,30",
                              "Title,STATICTEXT,\"Boss, \"\"big\"\"\",L,Arial,12,0,-16,\" I  \",PALLETE,1,2,3,4",
                              "Gone_field,STATICTEXT,x,L,Arial,12,0,-16,\"    \",CARD,1,2,3,4",
                              "Image1,IMAGE,SOMEWHERE,10,10,150,200",
                              "Statimage1,IMAGE,PALLETE,22,560,100,49,/nowhere/logo.png"}));
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        // Portrait: the card, its frame and the background group beside it.
        QVERIFY(!d.isLandscape());
        QCOMPARE(d.orientationGroup()->itemIndex(), 1);
        QCOMPARE(d.card()->size(), QSize(321, 513));
        QCOMPARE(d.cardFrame()->size(), QSize(323, 515));
        QCOMPARE(d.backgroundGroup()->pos(), QPoint(d.helpGroup()->x(), d.card()->y()));
        // The legacy name, the colour and style, the card place.
        auto *last = qobject_cast<QLabel *>(d.item("Last_name"));
        QVERIFY(d.isOnCard("Last_name"));
        QCOMPARE(last->geometry(), QRect(20, 300, 250, 30));
        QCOMPARE(last->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(last->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(last->font().bold());
        // "PALLETE": back at the ghost's bounds, with the line's text.
        QVERIFY(!d.isOnCard("Title"));
        QCOMPARE(d.item("Title")->geometry(), d.ghost("Title")->geometry());
        QCOMPARE(qobject_cast<QLabel *>(d.item("Title"))->text(), QString("Boss, \"big\""));
        // Anything but "PALLETE" is the card.
        QVERIFY(d.isOnCard("Image1"));
        QCOMPARE(d.staticPicturePath(), QString("/nowhere/logo.png"));
        // A field the table no longer has is dropped, and not written back.
        QVERIFY(!d.layoutRecord().find("Gone_field"));
        QCOMPARE(messages.shown().size(), 0);
    }

    void malformedFileShowsWhatWasRead()
    {
        TempProgramFolder folder;
        ScriptedMessages messages;
        const QString path = LayoutFileName(folder.path(), CardSide::Front);
        const QByteArray bad = layoutFile({"513", "321", "515", "323", "",
                                           "First_name,STATICTEXT,First_name,L,Arial,16,0,-21,\"B   \",CARD,5,6,130,25",
                                           "Title,STATICTEXT,Title,L,Arial,x16,0,-21,\"B   \",CARD,5,40,130,25",
                                           "Department,STATICTEXT,Department,L,Arial,16,0,-21,\"B   \",CARD,5,80,130,25"});
        writeFile(path, bad);
        {
            Shown s(environment(folder.path()));
            QVERIFY(s.designer.isOnCard("First_name"));
            QVERIFY(!s.designer.isOnCard("Title"));
            QVERIFY(!s.designer.isOnCard("Department"));
            QCOMPARE(messages.shown().size(), 1);
            QVERIFY(messages.shown()[0].text.contains("'x16' is not a valid integer value"));
            QTest::mouseClick(s.designer.cancelButton(), Qt::LeftButton);
        }
        QCOMPARE(readFile(path), bad);
    }

    void unreadableBackgroundFallsBackAndSays()
    {
        TempProgramFolder folder;
        ScriptedMessages messages;
        ScriptedDialogs dialogs;
        writeFile(folder.file("backgrounds/broken.png"), "not a picture");
        Shown s(environment(folder.path()));
        dialogs.answerText(folder.file("backgrounds/broken.png"));
        s.designer.selectBackground(false);
        QCOMPARE(dialogs.requests().value(0).initial, folder.path() + "backgrounds");
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].text, Literal(1));
        QVERIFY(s.designer.backgroundPicture()->isHidden());
    }

    void orientationSwitchAsksAndAnswersAsChosen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("OK returns the items") << int(MrOk);
        QTest::newRow("Cancel keeps landscape") << int(MrCancel);
    }
    void orientationSwitchAsksAndAnswersAsChosen()
    {
        QFETCH(int, answer);
        TempProgramFolder folder;
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        dropOnCard(s, "secphot", QPoint(400, 40));
        QCOMPARE(d.item("secphot")->x(), 400);
        dropOnCard(s, "Title", QPoint(10, 10));
        ScriptedMessages messages({answer});
        QTest::mouseClick(d.orientationGroup()->entry(1), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].text, Literal(3));
        QCOMPARE(messages.shown()[0].kind, MsgKind::Warning);
        QCOMPARE(messages.shown()[0].buttons, MsgButtons(MsgButton::OK | MsgButton::Cancel));
        QVERIFY(!d.selectedItem());
        if (answer == MrCancel) {
            QVERIFY(d.isLandscape());
            QCOMPARE(d.orientationGroup()->itemIndex(), 0);
            QCOMPARE(d.card()->size(), QSize(513, 321));
            QCOMPARE(d.cardFrame()->size(), QSize(515, 323));
            QCOMPARE(d.backgroundGroup()->pos(), QPoint(176, 344));
            QVERIFY(d.isOnCard("secphot"));
            QCOMPARE(d.item("secphot")->x(), 400);
            QVERIFY(d.okButton()->hasFocus());
            return;
        }
        QVERIFY(!d.isLandscape());
        QCOMPARE(d.card()->size(), QSize(321, 513));
        QCOMPARE(d.cardFrame()->size(), QSize(323, 515));
        QCOMPARE(d.backgroundGroup()->pos(), QPoint(512, 16));
        QVERIFY(!d.isOnCard("secphot"));
        QCOMPARE(d.item("secphot")->geometry(), d.ghost("secphot")->geometry());
        QVERIFY(d.isOnCard("Title"));
        // Back to landscape: everything fits, no question.
        messages.clear();
        QTest::mouseClick(d.orientationGroup()->entry(0), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(d.card()->size(), QSize(513, 321));
        QCOMPARE(d.backgroundGroup()->pos(), QPoint(176, 344));
        // An item below the landscape card goes back once.
        d.setOrientation(false);
        dropOnCard(s, "Image1", QPoint(150, 300));
        QCOMPARE(d.item("Image1")->geometry(), QRect(150, 300, 150, 200));
        messages.push(MrOk);
        d.setOrientation(true);
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].text, Literal(2));
        QVERIFY(!d.isOnCard("Image1"));
        QCOMPARE(d.item("Image1")->geometry(), d.ghost("Image1")->geometry());
    }

    void itemMenuOffersWhatTheItemTakes()
    {
        TempProgramFolder folder;
        ScriptedDialogs dialogs;
        ScriptedMessages messages;
        Shown s(environment(folder.path(), {"Stat_code", "Last_name"}));
        TCustomlayout &d = s.designer;
        dropOnCard(s, "StaticText1", QPoint(10, 10));
        dropOnCard(s, "Last_name", QPoint(10, 60));
        dropOnCard(s, "Stat_code", QPoint(10, 110));
        dropOnCard(s, "Image1", QPoint(300, 10));
        dropOnCard(s, "Statimage1", QPoint(150, 200));
        const QStringList text = {"FontStyle1", "LeftAlign1", "Center1", "RightAlign1"};
        const struct {
            const char *item;
            QStringList entries;
        } cases[] = {
            {"StaticText1", text + QStringList{"EditText1"}},
            {"Last_name", text},
            {"Stat_code", text + QStringList{"EditText1"}},
            {"Image1", {}},
            {"Statimage1", {"LoadImage1", "ClearImage1"}},
        };
        for (const auto &c : cases) {
            QWidget *item = d.item(c.item);
            s.mouse.press(item, QPoint(3, 3), Qt::RightButton);
            s.mouse.release(item, QPoint(3, 3), Qt::RightButton);
            QTRY_VERIFY(d.itemMenu()->isVisible());
            QCOMPARE(shownEntries(d.itemMenu()), c.entries);
            QCOMPARE(d.selectedItem(), item);
            d.itemMenu()->hide();
        }

        // The entries act on the item the menu opened on.
        s.mouse.press(d.item("Last_name"), QPoint(3, 3), Qt::RightButton);
        s.mouse.release(d.item("Last_name"), QPoint(3, 3), Qt::RightButton);
        d.menuAction("RightAlign1")->trigger();
        d.itemMenu()->hide();
        auto *last = qobject_cast<QLabel *>(d.item("Last_name"));
        QCOMPARE(last->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QFont font("Liberation Serif");
        font.setPointSize(18);
        font.setUnderline(true);
        dialogs.answerFont(font, QColor(0, 128, 0));
        d.menuAction("FontStyle1")->trigger();
        QCOMPARE(dialogs.requests().last().kind, CommonDialogKind::Font);
        const LayoutItem *line = d.layoutRecord().find("Last_name");
        QCOMPARE(line->fontName, QString("Liberation Serif"));
        QCOMPARE(line->fontSize, 18);
        QCOMPARE(line->fontHeight, -24);
        QVERIFY(line->style.underline);
        QCOMPARE(line->fontColor, qint32(128 << 8));
        // Cancelling the font dialog changes nothing.
        const LayoutRecord before = d.layoutRecord();
        dialogs.answerCancel();
        d.menuAction("FontStyle1")->trigger();
        QVERIFY(d.layoutRecord() == before);

        // Load Image and Clear Image on the static picture.
        const QString logo = writePicture(folder, "logo.png", QSize(200, 98), Qt::red);
        s.mouse.press(d.item("Statimage1"), QPoint(3, 3), Qt::RightButton);
        s.mouse.release(d.item("Statimage1"), QPoint(3, 3), Qt::RightButton);
        d.itemMenu()->hide();
        dialogs.answerText(logo);
        d.menuAction("LoadImage1")->trigger();
        QCOMPARE(dialogs.requests().last().initial, folder.path());
        QCOMPARE(d.staticPicturePath(), logo);
        QCOMPARE(static_cast<DesignerPicture *>(d.item("Statimage1"))->picture().pixelColor(5, 5), QColor(Qt::red));
        QCOMPARE(*d.layoutRecord().find("Statimage1")->picturePath, logo);
        d.menuAction("ClearImage1")->trigger();
        QCOMPARE(d.staticPicturePath(), QString());
        QVERIFY(static_cast<DesignerPicture *>(d.item("Statimage1"))->picture().pixelColor(5, 5) != QColor(Qt::red));
        QCOMPARE(messages.shown().size(), 0);
    }

    void editTextPutsTheBoxTextIntoAFreeText()
    {
        TempProgramFolder folder;
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        dropOnCard(s, "StaticText3", QPoint(10, 10));
        s.mouse.press(d.item("StaticText3"), QPoint(3, 3), Qt::RightButton);
        s.mouse.release(d.item("StaticText3"), QPoint(3, 3), Qt::RightButton);
        d.itemMenu()->hide();
        QString shown;
        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<TOKBottomDlg *>(modal);
            QVERIFY(dialog);
            shown = dialog->edit1()->toPlainText();
            dialog->edit1()->setPlainText("ACME, \"West\"\nGate 2");
            dialog->okButton()->click();
        });
        d.menuAction("EditText1")->trigger();
        QCOMPARE(shown, QString("Static Text"));
        QCOMPARE(qobject_cast<QLabel *>(d.item("StaticText3"))->text(), QString("ACME, \"West\"\nGate 2"));
        QCOMPARE(d.layoutRecord().find("StaticText3")->text, QString("ACME, \"West\"\r\nGate 2"));
        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<TOKBottomDlg *>(modal);
            dialog->edit1()->setPlainText("dropped");
            dialog->cancelButton()->click();
        });
        d.editItemText(d.item("StaticText3"));
        QCOMPARE(d.layoutRecord().find("StaticText3")->text, QString("ACME, \"West\"\r\nGate 2"));
        // Written and read back with the line break.
        QVERIFY(d.SaveLayout());
        QCOMPARE(LoadLayout(LayoutFileName(folder.path(), CardSide::Front)).record.find("StaticText3")->text,
                 QString("ACME, \"West\"\r\nGate 2"));
    }

    void backgroundMenuAndItsColourRule()
    {
        TempProgramFolder folder;
        ScriptedDialogs dialogs;
        ScriptedMessages messages;
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        s.mouse.press(d.card(), QPoint(200, 200), Qt::RightButton);
        s.mouse.release(d.card(), QPoint(200, 200), Qt::RightButton);
        QTRY_VERIFY(d.backgroundMenu()->isVisible());
        d.backgroundMenu()->hide();
        // Without the colour printer mark no plain colours.
        QVERIFY(!d.colorPrinter());
        QVERIFY(!d.menuAction("SelectBackgroundColor1")->isEnabled());
        d.menuAction("UseColorPrinter1")->trigger();
        QVERIFY(d.colorPrinter());
        QVERIFY(d.menuAction("SelectBackgroundColor1")->isEnabled());

        const QString blue = writePicture(folder, "colors/blue test.png", QSize(1026, 642), Qt::blue);
        dialogs.answerText(blue);
        d.menuAction("SelectBackgroundColor1")->trigger();
        QCOMPARE(dialogs.requests().last().initial, folder.path() + "colors");
        QCOMPARE(d.backgroundPath(), blue);
        QVERIFY(d.backgroundPicture()->isVisible());
        QCOMPARE(d.backgroundPicture()->geometry(), QRect(0, 0, 513, 321));
        // Cancelling the picture dialog keeps the background.
        dialogs.answerCancel();
        d.menuAction("SelectBackgroundImage1")->trigger();
        QCOMPARE(dialogs.requests().last().initial, folder.path() + "backgrounds");
        QCOMPARE(d.backgroundPath(), blue);
        QCOMPARE(d.layoutRecord().backgroundPath, blue);
        d.menuAction("ClearBackground1")->trigger();
        QVERIFY(d.backgroundPicture()->isHidden());
        QCOMPARE(d.layoutRecord().backgroundPath, QString());
        QCOMPARE(messages.shown().size(), 0);
        // The card design dialog reads the mark back.
        d.setColorPrinter(false);
        QVERIFY(!d.menuAction("SelectBackgroundColor1")->isEnabled());
    }

    void openingOfACustomSideComparesWithTheCardFace_data()
    {
        QTest::addColumn<int>("layoutType");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("No takes the card face over") << 6 << int(MrNo) << "On the card face";
        QTest::newRow("Yes keeps the file") << 6 << int(MrYes) << "In the file";
        QTest::newRow("a quick layout side asks nothing") << 3 << -1 << "In the file";
    }
    void openingOfACustomSideComparesWithTheCardFace()
    {
        QFETCH(int, layoutType);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        TempProgramFolder folder;
        const QString path = LayoutFileName(folder.path(), CardSide::Back);
        writeFile(path, layoutFile({"513", "321", "515", "323", "",
                                    "StaticText1,STATICTEXT,\"In the file\",C,Arial,20,0,-27,\"B   \",CARD,24,10,465,54"}));
        const QByteArray before = readFile(path);
        DesignerEnvironment env = environment(folder.path(), kFields, layoutType);
        env.cardFace = [](CardSide side) -> std::optional<CardFaceSnapshot> {
            if (side != CardSide::Back)
                return std::nullopt;
            CardFaceSnapshot face;
            CardFaceText text;
            text.text = "On the card face";
            text.alignment = LayoutAlignment::Center;
            text.font = QFont("Arial");
            text.font.setPixelSize(27);
            text.font.setBold(true);
            text.colour = Qt::black;
            face.freeTexts[0] = text;
            return face;
        };
        ScriptedMessages messages(answer < 0 ? QList<int>{} : QList<int>{answer});
        {
            Shown s(env, CardSide::Back);
            QCOMPARE(messages.shown().size(), answer < 0 ? 0 : 1);
            if (answer >= 0)
                QCOMPARE(messages.shown()[0].text, Literal(66));
            QCOMPARE(qobject_cast<QLabel *>(s.designer.item("StaticText1"))->text(), shown);
            // Opening is not an edit.
            QVERIFY(!s.designer.undoStack()->canUndo());
        }
        QCOMPARE(readFile(path), before);  // nothing written without OK
    }

    void undoAndRedoWalkThroughASession()
    {
        TempProgramFolder folder;
        ScriptedDialogs dialogs;
        ScriptedMessages messages({MrOk});
        Shown s(environment(folder.path()));
        TCustomlayout &d = s.designer;
        d.setColorPrinter(true);
        QList<LayoutRecord> states{d.layoutRecord()};
        const auto step = [&] { states.append(d.layoutRecord()); };

        dropOnCard(s, "First_name", QPoint(380, 40));  // drop
        step();
        s.mouse.press(d.selectionHandles(), QPoint(50, 14));  // move
        s.mouse.move(d.selectionHandles(), QPoint(40, 24));
        s.mouse.release(d.selectionHandles(), QPoint(30, 34));
        step();
        const QPoint corner(d.selectionHandles()->width() - 2, d.selectionHandles()->height() - 2);
        s.mouse.press(d.selectionHandles(), corner);  // resize
        s.mouse.move(d.selectionHandles(), corner + QPoint(10, 10));
        s.mouse.release(d.selectionHandles(), corner + QPoint(20, 10));
        step();
        QFont font("Liberation Sans");
        font.setPointSize(16);
        dialogs.answerFont(font, Qt::black);
        d.chooseItemFont(d.item("First_name"));  // style
        step();
        d.alignItem(d.item("First_name"), LayoutAlignment::Right);
        step();
        dialogs.answerText(writePicture(folder, "backgrounds/grey.png", QSize(600, 400), Qt::gray));
        d.selectBackground(false);  // background
        step();
        d.setOrientation(false);  // the item at 360 goes back to the palette
        step();
        dropOnCard(s, "Image1", QPoint(10, 10));
        step();
        s.mouse.press(d.selectionHandles(), QPoint(40, 40));  // return to the palette
        s.mouse.move(d.palette()->viewport(), QPoint(40, 40));
        s.mouse.release(d.palette()->viewport(), QPoint(40, 40));
        step();
        QCOMPARE(messages.shown().size(), 1);  // the orientation question
        for (int i = 1; i < states.size(); ++i)
            QVERIFY2(!(states[i] == states[i - 1]), qPrintable(QString("step %1 changed nothing").arg(i)));
        QCOMPARE(d.undoStack()->count(), states.size() - 1);

        // Ctrl+Z walks back to the start ...
        for (int i = states.size() - 2; i >= 0; --i) {
            QTest::keyClick(&d, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(d.layoutRecord() == states[i], qPrintable(QString("undo to %1").arg(i)));
        }
        QVERIFY(!d.isOnCard("First_name"));
        QVERIFY(d.isLandscape());
        QVERIFY(d.backgroundPicture()->isHidden());
        // ... and Ctrl+Shift+Z and Ctrl+Y forward to the end.
        for (int i = 1; i < states.size(); ++i) {
            if (i % 2)
                QTest::keyClick(&d, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            else
                QTest::keyClick(&d, Qt::Key_Y, Qt::ControlModifier);
            QVERIFY2(d.layoutRecord() == states[i], qPrintable(QString("redo to %1").arg(i)));
        }
        QVERIFY(!d.isLandscape());
        QVERIFY(d.backgroundPicture()->isVisible());
        QCOMPARE(messages.shown().size(), 1);  // undo and redo ask nothing
        // Cancel still writes nothing.
        QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
        QVERIFY(!QFile::exists(LayoutFileName(folder.path(), CardSide::Front)));
    }

    void badInputLeavesTheFileAlone()
    {
        TempProgramFolder folder;
        ScriptedMessages messages;
        // 10,000 lines: most name nothing the table has, one static picture
        // on the card whose file is no picture.
        writeFile(folder.file("broken.png"), "not a picture");
        QStringList lines{"513", "321", "515", "323", folder.file("missing.png")};
        for (int i = 0; i < 10000; ++i)
            lines << (i % 100 == 0 ? QString("Title,STATICTEXT,T%1,L,Arial,12,0,-16,\"    \",CARD,%2,10,130,25").arg(i).arg(i % 300)
                                   : QString("Old_%1,STATICTEXT,x,L,Arial,12,0,-16,\"    \",CARD,1,2,3,4").arg(i));
        lines << QString("Statimage1,IMAGE,CARD,300,200,100,49,%1").arg(folder.file("broken.png"));
        const QString path = LayoutFileName(folder.path(), CardSide::Front);
        writeFile(path, layoutFile(lines));
        const QByteArray before = readFile(path);
        {
            Shown s(environment(folder.path()));
            TCustomlayout &d = s.designer;
            QCOMPARE(qobject_cast<QLabel *>(d.item("Title"))->text(), QString("T9900"));
            QVERIFY(d.isOnCard("Statimage1"));
            QVERIFY(static_cast<DesignerPicture *>(d.item("Statimage1"))->picture().size() == StockStaticPicture().size());
            // The background and the static picture: one error box each.
            QCOMPARE(messages.shown().size(), 2);
            QCOMPARE(messages.shown()[0].text, Literal(1));
            QCOMPARE(messages.shown()[1].text, Literal(1));
            QVERIFY(d.backgroundPicture()->isHidden());
            QCOMPARE(d.layoutRecord().items.size(), 14);
            QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
        }
        QCOMPARE(readFile(path), before);
    }

    void backgroundGroupTakesTheCardDesignDialogsTexts()
    {
        TempProgramFolder folder;
        QDialog cardDesign;
        auto *group = new QGroupBox("Hintergrund", &cardDesign);
        group->setObjectName("GroupBoxBack");
        auto *text = new QLabel("Erklaerung", group);
        text->setWordWrap(true);
        const char *captions[] = {"Farbe", "Muster", "Leeren"};
        for (const char *caption : captions) {
            auto *b = new QPushButton(caption, group);
            b->setToolTip(QString("Hinweis ") + caption);
        }
        TCustomlayout d(environment(folder.path()), CardSide::Front, &cardDesign);
        QCOMPARE(d.backgroundGroup()->title(), QString("Hintergrund"));
        QCOMPARE(d.backgroundGroup()->findChild<QLabel *>("Label3")->text(), QString("Erklaerung"));
        QCOMPARE(d.backgroundGroup()->findChild<QPushButton *>("BitBtn3")->text(), QString("Farbe"));
        QCOMPARE(d.backgroundGroup()->findChild<QPushButton *>("BitBtn4")->toolTip(), QString("Hinweis Muster"));
        QCOMPARE(d.backgroundGroup()->findChild<QPushButton *>("BitBtn5")->text(), QString("Leeren"));
        // Without a program folder OK refuses to write anywhere else.
        TCustomlayout lost(environment(QString()), CardSide::Front);
        QString error;
        QVERIFY(!lost.SaveLayout(&error));
        QVERIFY(!error.isEmpty());
    }

    void everyTextHasItsKeyInEveryLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "English";
        QTest::newRow("German") << "German";
    }
    void everyTextHasItsKeyInEveryLanguage()
    {
        QFETCH(QString, language);
        TempProgramFolder folder;
        useLanguage(language);
        TCustomlayout d(environment(folder.path()), CardSide::Front);
        const QStringList missing = MissingKeys(&d, CurrentLanguage());
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join('\n')));
        QVERIFY(!d.windowTitle().isEmpty());
        QVERIFY(!d.item("First_name")->toolTip().isEmpty());
        QCOMPARE(d.ghost("Image1")->accessibleName(), Literal(63));
        if (language == "German")
            QVERIFY(d.windowTitle() != "Custom Card Layout");
    }
};

QTEST_MAIN(TestDesigner)
#include "test_designer.moc"
