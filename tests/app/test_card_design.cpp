// The card design dialog on the running program: its pages and controls,
// the layout and background choices, the stripe rules with real keys and
// clicks, applying to the card face, the wiring from the main window, and
// the printed card and stripe data after a change of design.
#include "app/mainwindow/MainMenu.h"
#include "devices/print/VirtualCardPrinter.h"
#include "layout/design/TCardLayout.h"
#include "layout/designer/TCustomlayout.h"
#include "layout/file/LayoutFile.h"
#include "lang/GlyphButton.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "store/TrackKeyFilter.h"
#include "lang/ModalHelper.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "test_printing_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

template <typename T>
T *child(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// A click where a user clicks: on the box of a check box, on the middle of
// anything else.
void click(QWidget *w)
{
    if (qobject_cast<QCheckBox *>(w))
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
    else
        QTest::mouseClick(w, Qt::LeftButton);
}

void showPage(TCardLayout *dialog, int page)
{
    QTabBar *bar = dialog->pages()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QCOMPARE(dialog->pages()->currentIndex(), page);
}

// Chooses an entry of a closed list with the arrow keys, as a user may.
void chooseEntry(QComboBox *list, int index)
{
    list->setFocus();
    while (list->currentIndex() < index)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > index)
        QTest::keyClick(list, Qt::Key_Up);
}

void writePicture(const QString &path, QColor colour, QSize size = QSize(1026, 642))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path));
}

// A custom layout file of a landscape card with the first photo at `photo`.
void writeCustomLayout(const QString &appFolder, CardSide side, QRect photo)
{
    LayoutRecord record;
    LayoutItem image;
    image.name = "Image1";
    image.kind = LayoutItemKind::Image;
    image.left = photo.x();
    image.top = photo.y();
    image.width = photo.width();
    image.height = photo.height();
    record.items.append(image);
    QVERIFY(SaveLayout(appFolder, side, record));
}

}  // namespace

class TestCardDesign : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetStartupWaitEnabled(false); }

    // The window as the operator first sees it, and what showing reads.
    void showingReadsTheSettings()
    {
        TempProgramFolder folder;
        writeSettings(folder.path(), [](Settings &s) {
            s.front.MonoPrinter = 1;
            s.front.LayoutType = 4;
            s.front.StripeOn = 1;
            s.front.Track[0] = {1, 0, QStringLiteral("STATIC1"), 1};
            s.front.Track[1] = {1, 1, QStringLiteral("Last_name"), 0};
            s.front.Track[2] = {0, 2, QStringLiteral("kept"), 0};
        });
        Program program(folder.path());
        TCardLayout *dialog = program.windows.cardLayout;
        QVERIFY(dialog);
        dialog->show();
        QCOMPARE(dialog->size(), QSize(696, 438));
        QCOMPARE(dialog->windowTitle(), QString("Card Design"));
        QVERIFY(!(dialog->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
        QTabWidget *pages = dialog->pages();
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->tabText(2), QString("Magnetic Stripe"));
        QVERIFY(!pages->isTabVisible(TCardLayout::BackPage));  // single-sided
        QCOMPARE(pages->currentIndex(), int(TCardLayout::FrontPage));
        QCOMPARE(dialog->markedButton(), dialog->quickButton(4));
        QCOMPARE(child<QWidget>(dialog, "Shape1")->geometry(), dialog->quickButton(4)->geometry().adjusted(-2, -2, 2, 2));
        QCOMPARE(dialog->quickButton(4)->objectName(), QString("BitBtn6"));
        QCOMPARE(dialog->quickButton(3)->toolTip(), QString("Company Card - Text Logo - Photo Right"));
        for (int type = 1; type <= 5; ++type) {
            QToolButton *b = dialog->quickButton(type);
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
            QCOMPARE(b->accessibleName(), b->toolTip());
        }
        QVERIFY(dialog->quickButton(5)->height() > dialog->quickButton(5)->width());  // standing upright
        QVERIFY(dialog->quickButton(1)->width() > dialog->quickButton(1)->height());
        QVERIFY(child<QGroupBox>(dialog, "GroupBox3")->isVisible());
        QVERIFY(!child<QCheckBox>(dialog, "colorprinter")->isChecked());
        QVERIFY(!child<QPushButton>(dialog, "SelectColor")->isEnabled());
        QCOMPARE(child<QPushButton>(dialog, "OKBtn")->accessibleDescription(),
                 QString("Save Settings and return to main window"));

        // The stripe page: every field of the table in each list, the values
        // where their type puts them.
        showPage(dialog, TCardLayout::StripePage);
        auto *list1 = child<QComboBox>(dialog, "stripevaluecombo1");
        QCOMPARE(list1->count(), program.main().table()->fieldCount());
        QCOMPARE(list1->itemText(7), QString("MagStripe1"));
        QCOMPARE(child<QLineEdit>(dialog, "stripevalue1")->text(), QString("STATIC1"));
        QVERIFY(child<QLineEdit>(dialog, "stripevalue1")->isVisible());
        QCOMPARE(child<QComboBox>(dialog, "stripevaluecombo2")->currentText(), QString("Last_name"));
        QVERIFY(child<QComboBox>(dialog, "stripevaluecombo2")->isVisible());
        QVERIFY(child<QLineEdit>(dialog, "stripevalue2")->text().isEmpty());
        QVERIFY(!child<QCheckBox>(dialog, "usestripe3")->isChecked());
        QVERIFY(!child<QComboBox>(dialog, "stripetype3")->isEnabled());
        QVERIFY(!child<QLabel>(dialog, "valuelabel3")->isVisible());
        dialog->close();
    }

    // Apply writes a changed layout once; Cancel drops what is pending.
    void quickLayoutAppliesOnceAndCancelDrops()
    {
        TempProgramFolder folder;
        Program program(folder.path());
        TForm1 &main = program.main();
        TCardLayout *dialog = program.windows.cardLayout;
        // A font that is not the standard one: applying a quick layout from
        // the dialog asks about it.
        QFont odd = main.side(0).statlabel[0]->font();
        odd.setFamily("Courier New");
        main.side(0).statlabel[0]->setFont(odd);

        dialog->show();
        click(dialog->quickButton(2));
        QCOMPARE(dialog->markedButton(), dialog->quickButton(2));
        QCOMPARE(main.settings().front.LayoutType, quint8(3));  // nothing applied yet
        ScriptedMessages answers({MrNo});
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(main.settings().front.LayoutType, quint8(2));
        QCOMPARE(main.side(0).Image1->geometry(), QRect(339, 61, 150, 200));
        QCOMPARE(answers.shown().size(), 1);  // the font question
        QCOMPARE(answers.shown().first().kind, MsgKind::Confirmation);
        // No kept the font, the free texts are left aligned all the same.
        QCOMPARE(main.side(0).statlabel[0]->font().family(), QString("Courier New"));
        QVERIFY(main.side(0).statlabel[0]->alignment() & Qt::AlignLeft);
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(answers.shown().size(), 1);  // applied once
        QCOMPARE(answers.unexpected(), 0);

        // Another choice, then Cancel: nothing changes; showing again starts
        // from the settings.
        click(dialog->quickButton(5));
        QVERIFY(!dialog->previewLandscape());
        click(child<QPushButton>(dialog, "CancelBtn"));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(main.settings().front.LayoutType, quint8(2));
        QCOMPARE(main.side(0).panel->size(), QSize(513, 321));
        dialog->show();
        QCOMPARE(dialog->markedButton(), dialog->quickButton(2));
        QVERIFY(dialog->previewLandscape());
        dialog->close();
    }

    // Confirming the designer applies the custom layout at once, even when
    // the side was custom already; its colour mark reaches the settings.
    void confirmedCustomLayoutAppliesAtOnce()
    {
        TempProgramFolder folder;
        writeCustomLayout(folder.path(), CardSide::Front, QRect(20, 20, 100, 120));
        writeSettings(folder.path(), [](Settings &s) { s.front.LayoutType = 6; });
        Program program(folder.path());
        TForm1 &main = program.main();
        QCOMPARE(main.side(0).Image1->geometry(), QRect(20, 20, 100, 120));
        TCardLayout *dialog = program.windows.cardLayout;
        int runs = 0;
        // The designer's OK writes the side's file; this one moves the photo.
        dialog->setDesignerRunner([&](QWidget *, int side, bool colour) -> std::optional<bool> {
            ++runs;
            if (runs == 2)
                return std::nullopt;  // cancelled
            writeCustomLayout(folder.path(), side == 0 ? CardSide::Front : CardSide::Back, QRect(300, 40, 150, 200));
            return !colour;
        });
        dialog->show();
        QCOMPARE(dialog->markedButton(), child<QAbstractButton>(dialog, "CustomBtn"));
        QVERIFY(!child<QGroupBox>(dialog, "GroupBox3")->isVisible());
        QVERIFY(child<QCheckBox>(dialog, "colorprinter")->isChecked());
        click(child<QPushButton>(dialog, "CustomBtn"));
        QCOMPARE(runs, 1);
        QCOMPARE(main.side(0).Image1->geometry(), QRect(300, 40, 150, 200));
        QCOMPARE(main.settings().front.LayoutType, quint8(6));
        QCOMPARE(dialog->pendingLayoutType(0), 6);
        QCOMPARE(main.settings().front.MonoPrinter, quint8(1));  // the designer's mark
        QVERIFY(!child<QCheckBox>(dialog, "colorprinter")->isChecked());
        QVERIFY(main.findChild<QLabel *>("Image6")->isVisibleTo(&main));
        QVERIFY(!main.findChild<QLabel *>("Image5")->isVisibleTo(&main));
        // Cancelled in the designer: nothing changes.
        main.side(0).Image1->move(1, 1);
        click(child<QPushButton>(dialog, "CustomBtn"));
        QCOMPARE(runs, 2);
        QCOMPARE(main.side(0).Image1->pos(), QPoint(1, 1));
        dialog->close();
    }

    // The stripe page's rules, driven by clicks and keys.
    void stripeControlsFollowTheirBoxes()
    {
        TempProgramFolder folder;
        writeSettings(folder.path(), [](Settings &s) {
            s.front.StripeOn = 1;
            s.front.Track[0] = {1, 0, QStringLiteral("OLD"), 0};
            s.front.Track[1] = {1, 0, QString(), 0};
            s.front.Track[2] = {1, 1, QStringLiteral("Title"), 1};
        });
        Program program(folder.path());
        TForm1 &main = program.main();
        TCardLayout *dialog = program.windows.cardLayout;
        dialog->show();
        showPage(dialog, TCardLayout::StripePage);
        auto *use = child<QCheckBox>(dialog, "usemagstripe");
        auto *use2 = child<QCheckBox>(dialog, "Usestripe2");
        const auto trackControls = [&](int t) {
            const QByteArray n = QByteArray::number(t);
            return QList<QWidget *>{child<QWidget>(dialog, t == 2 ? "Usestripe2" : ("usestripe" + n).constData()),
                                    child<QWidget>(dialog, "stripetype" + n), child<QWidget>(dialog, "stripevalue" + n),
                                    child<QWidget>(dialog, "stripevaluecombo" + n), child<QWidget>(dialog, "stripeshow" + n)};
        };
        // Track 2 not used: its controls but the box are disabled.
        click(use2);
        QVERIFY(!use2->isChecked());
        QVERIFY(use2->isEnabled());
        QVERIFY(!child<QWidget>(dialog, "stripetype2")->isEnabled());
        QVERIFY(!child<QWidget>(dialog, "stripeshow2")->isEnabled());
        // No stripe: every control of every track is disabled, even those
        // whose track stays used.
        click(use);
        for (int t = 1; t <= 3; ++t)
            for (QWidget *w : trackControls(t))
                QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        // Ticked again: each track follows its own box.
        click(use);
        for (QWidget *w : trackControls(1))
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(use2->isEnabled());
        QVERIFY(!child<QWidget>(dialog, "stripetype2")->isEnabled());
        QVERIFY(child<QWidget>(dialog, "stripetype3")->isEnabled());

        // "Separate Data Field" hides the value, forces Show on and keeps
        // the stored value.
        auto *show1 = child<QCheckBox>(dialog, "stripeshow1");
        QVERIFY(!show1->isChecked());
        chooseEntry(child<QComboBox>(dialog, "stripetype1"), 2);
        QVERIFY(show1->isChecked());
        QVERIFY(!show1->isEnabled());
        QVERIFY(!child<QWidget>(dialog, "stripevalue1")->isVisible());
        QVERIFY(!child<QWidget>(dialog, "stripevaluecombo1")->isVisible());
        QVERIFY(!child<QWidget>(dialog, "valuelabel1")->isVisible());
        // "Linked Card Field" on track 2: the field list instead of the box.
        click(use2);
        chooseEntry(child<QComboBox>(dialog, "stripetype2"), 1);
        QVERIFY(child<QWidget>(dialog, "stripevaluecombo2")->isVisible());
        QVERIFY(!child<QWidget>(dialog, "stripevalue2")->isVisible());
        chooseEntry(child<QComboBox>(dialog, "stripevaluecombo2"), 3);  // Last_name

        click(child<QPushButton>(dialog, "OKBtn"));
        QVERIFY(!dialog->isVisible());
        const SettingsRecord &s = main.settings().front;
        QCOMPARE(s.StripeOn, quint8(1));
        QCOMPARE(s.Track[0], (TrackSettings{1, 2, QStringLiteral("OLD"), 1}));
        QCOMPARE(s.Track[1], (TrackSettings{1, 1, QStringLiteral("Last_name"), 0}));
        QCOMPARE(s.Track[2], (TrackSettings{1, 1, QStringLiteral("Title"), 1}));
        // The main window's stripe panel shows track 1 (its own data) and
        // track 3 (the linked field).
        QVERIFY(main.magPanel()->isVisibleTo(&main));
        QVERIFY(main.magTrack(1).dataBox->isVisibleTo(&main));
        QVERIFY(main.magTrack(1).dataBox->isEnabled());
        QVERIFY(!main.magTrack(2).label->isVisibleTo(&main));
    }

    // Typed and pasted track values obey the track's character set.
    void trackValuesKeepTheirCharacterSet()
    {
        TempProgramFolder folder;
        writeSettings(folder.path(), [](Settings &s) {
            s.front.StripeOn = 1;
            for (TrackSettings &t : s.front.Track)
                t = {1, 0, QString(), 1};
        });
        Program program(folder.path());
        TCardLayout *dialog = program.windows.cardLayout;
        int beeps = 0;
        SetTrackBeepHandler([&] { ++beeps; });
        dialog->show();
        showPage(dialog, TCardLayout::StripePage);
        auto *track1 = child<QLineEdit>(dialog, "stripevalue1");
        auto *track2 = child<QLineEdit>(dialog, "stripevalue2");
        QTest::keyClicks(track1, "a");
        QCOMPARE(track1->text(), QString("A"));
        QCOMPARE(beeps, 0);
        QTest::keyClicks(track2, "A");
        QCOMPARE(track2->text(), QString());
        QCOMPARE(beeps, 1);
        QTest::keyClicks(track2, "12");
        QTest::keyClick(track2, Qt::Key_Backspace);
        QCOMPARE(track2->text(), QString("1"));
        QCOMPARE(beeps, 1);
        // Pasted text with letters does not reach a numeric track.
        QApplication::clipboard()->setText("9x9");
        track2->setFocus();
        QTest::keyClick(track2, Qt::Key_V, Qt::ControlModifier);
        QVERIFY2(!track2->text().contains('x') && !track2->text().contains('X'), qPrintable(track2->text()));
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(program.main().settings().front.Track[0].value, QString("A"));
        QCOMPARE(program.main().settings().front.Track[1].value, track2->text());
        SetTrackBeepHandler({});
        dialog->close();
    }

    // A linked field that the table no longer has stays stored until the
    // operator picks another.
    void vanishedLinkedFieldIsKept()
    {
        TempProgramFolder folder;
        writeSettings(folder.path(), [](Settings &s) {
            s.front.StripeOn = 1;
            s.front.Track[0] = {1, 1, QStringLiteral("Badge"), 1};
        });
        Program program(folder.path());
        TCardLayout *dialog = program.windows.cardLayout;
        dialog->show();
        auto *list = child<QComboBox>(dialog, "stripevaluecombo1");
        QCOMPARE(list->findText("Badge"), -1);
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->placeholderText(), QString("Badge"));
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(program.main().settings().front.Track[0].value, QString("Badge"));
        showPage(dialog, TCardLayout::StripePage);
        chooseEntry(list, 2);
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(program.main().settings().front.Track[0].value, QString("First_name"));
        dialog->close();
    }

    // Backgrounds: chosen in the pattern and colour folders, previewed at a
    // fifth, kept on Cancel and on an unreadable picture, cut to what the
    // settings file holds.
    void backgroundChoices()
    {
        TempProgramFolder folder;
        QDir(folder.path()).mkpath("backgrounds");
        QDir(folder.path()).mkpath("colors");
        const QString blue = folder.file("backgrounds/blue.png");
        writePicture(blue, QColor(20, 40, 220));
        const QString broken = folder.file("backgrounds/broken.png");
        {
            QFile f(broken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a picture");
        }
        Program program(folder.path());
        TForm1 &main = program.main();
        TCardLayout *dialog = program.windows.cardLayout;
        dialog->show();
        auto *preview = child<QLabel>(dialog, "BackgroundPreview");
        QVERIFY(!preview->isVisible());
        QCOMPARE(child<QWidget>(dialog, "SampleCard")->size(), QSize(208, 131));

        ScriptedDialogs dialogs;
        dialogs.answerText(blue);
        click(child<QPushButton>(dialog, "SelectPattern"));
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(QDir(dialogs.requests().first().initial).canonicalPath(), QDir(folder.file("backgrounds")).canonicalPath());
        QCOMPARE(dialog->pendingBackground(0), blue);
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->pixmap().size(), QSize(205, 128));  // a fifth of 1026 x 642
        QCOMPARE(preview->geometry(), QRect(2, 2, 205, 128));

        // Cancel, then a picture that cannot be read: the blue one stays.
        dialogs.answerCancel();
        click(child<QPushButton>(dialog, "SelectPattern"));
        QCOMPARE(dialog->pendingBackground(0), blue);
        {
            ScriptedMessages errors;
            dialogs.answerText(broken);
            click(child<QPushButton>(dialog, "SelectPattern"));
            QCOMPARE(errors.shown().size(), 1);
            QVERIFY(errors.shown().first().plain);
            QVERIFY(errors.shown().first().text.contains("broken.png"));
        }
        QCOMPARE(dialog->pendingBackground(0), blue);
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->pixmap().toImage().pixelColor(50, 50), QColor(20, 40, 220));

        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(main.settings().front.BackgroundPath, blue);
        QVERIFY(main.side(0).BackImage1->isVisibleTo(&main));
        QCOMPARE(main.side(0).BackImage1->picture().pixelColor(10, 10), QColor(20, 40, 220));

        // "Select Color" starts in colors/ and works only for a colour printer.
        click(child<QCheckBox>(dialog, "colorprinter"));
        QVERIFY(!child<QPushButton>(dialog, "SelectColor")->isEnabled());
        click(child<QCheckBox>(dialog, "colorprinter"));
        dialogs.answerCancel();
        click(child<QPushButton>(dialog, "SelectColor"));
        QCOMPARE(QDir(dialogs.requests().last().initial).canonicalPath(), QDir(folder.file("colors")).canonicalPath());

        // Clear, then Apply: no background on the card face.
        click(child<QPushButton>(dialog, "ClearBackground"));
        QVERIFY(!preview->isVisible());
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QVERIFY(main.settings().front.BackgroundPath.isEmpty());
        QVERIFY(!main.side(0).BackImage1->isVisibleTo(&main));

        // A path longer than the settings file holds is cut as stored.
        const QString deep = folder.file(QString("backgrounds/") + QString(120, 'd') + "/" + QString(150, 'e'));
        QVERIFY(QDir().mkpath(deep));
        const QString longPath = deep + "/blue.png";
        writePicture(longPath, QColor(20, 40, 220));
        dialogs.answerText(longPath);
        click(child<QPushButton>(dialog, "SelectPattern"));
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QVERIFY(main.settings().front.BackgroundPath.size() <= 255);
        const QByteArray record = main.settings().front.toBytes();
        QCOMPARE(record.size(), SettingsRecord::Size);
        QCOMPARE(SettingsRecord::fromBytes(record), main.settings().front);
        dialog->close();
    }

    // Double-sided printing: the back page comes and goes with the box;
    // turning it on shows the back's stored layout at once, turning it off
    // hides the back panel and leaves the back's layout alone.
    void doubleSidedShowsAndHidesTheBack()
    {
        TempProgramFolder folder;
        writeSettings(folder.path(), [](Settings &s) { s.back.LayoutType = 5; });
        Program program(folder.path());
        TForm1 &main = program.main();
        QVERIFY(!main.side(1).panel->isVisibleTo(&main));
        TCardLayout *dialog = program.windows.cardLayout;
        dialog->show();
        auto *duplex = child<QCheckBox>(dialog, "duplexprinter");
        click(duplex);
        QVERIFY(dialog->pages()->isTabVisible(TCardLayout::BackPage));
        showPage(dialog, TCardLayout::BackPage);
        QCOMPARE(dialog->markedButton(), dialog->quickButton(5));
        QCOMPARE(child<QWidget>(dialog, "SampleCard")->size(), QSize(131, 208));
        QCOMPARE(dialog->pendingLayoutType(1), 5);
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(main.settings().front.DoubleSided, quint8(1));
        QVERIFY(main.side(1).panel->isVisibleTo(&main));
        QCOMPARE(main.side(1).panel->size(), QSize(321, 513));  // the stored portrait back
        // Side by side: the front is landscape, the back portrait.
        QCOMPARE(main.side(1).panel->pos(), QPoint(main.side(0).panel->geometry().right() + 1 + 4, main.side(0).panel->y()));

        // The back gets quick layout 1, then double-sided goes off: the page
        // goes, the front is shown, the back panel hides, its layout stays.
        click(dialog->quickButton(1));
        click(duplex);
        QVERIFY(!dialog->pages()->isTabVisible(TCardLayout::BackPage));
        QCOMPARE(dialog->pages()->currentIndex(), int(TCardLayout::FrontPage));
        click(child<QPushButton>(dialog, "ApplyBtn"));
        QCOMPARE(main.settings().front.DoubleSided, quint8(0));
        QVERIFY(!main.side(1).panel->isVisibleTo(&main));
        QCOMPARE(main.settings().back.LayoutType, quint8(5));
        QCOMPARE(main.side(1).panel->size(), QSize(321, 513));
        dialog->close();
    }

    // The design button commits the card first, the menu item does not;
    // both open the dialog modally with the placeholders hidden, and quick
    // sides keep their card-face texts in the settings.
    void openedFromTheMainWindow()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1, [](int, Table &t) { t.fieldByName("Title").clear(); });
        Program program(folder.path());
        TForm1 &main = program.main();
        GlyphButton *design = main.button("BitBtn7");
        QVERIFY(design->isEnabled());
        QAction *menu = main.dataModule()->item("Changecarddesign1");
        QVERIFY(menu->isEnabled());
        QCOMPARE(menu->shortcut(), QKeySequence("Ctrl+D"));
        main.side(0).statlabel[0]->setText("Vellora Rowing Club");
        QLabel *titleGhost = nullptr;
        for (QLabel *ghost : main.side(0).placeholders)
            if (ghost->objectName() == "Titleghost")
                titleGhost = ghost;
        QVERIFY(titleGhost);
        QVERIFY(!titleGhost->isHidden());

        // Typed but not committed.
        main.table()->edit();
        main.table()->fieldByName("First_name").setAsString("Greta");
        bool seen = false, ghostHidden = false;
        WhenModal([&](QWidget *modal) {
            ghostHidden = titleGhost->isHidden();
            modal->close();
        }, &seen);
        menu->trigger();
        QVERIFY(seen);
        QVERIFY(ghostHidden);
        QVERIFY(!titleGhost->isHidden());
        QCOMPARE(main.settings().front.FreeText[0], QString("Vellora Rowing Club"));
        QVERIFY(main.table()->updatesPending() || main.table()->state() != TableState::Browse);

        // "Custom Layout" opens the layout designer itself; its Cancel
        // changes nothing.
        bool designerSeen = false;
        const quint8 frontType = main.settings().front.LayoutType;
        WhenModal([&](QWidget *modal) {
            QCOMPARE(modal, static_cast<QWidget *>(program.windows.cardLayout.data()));
            auto *custom = modal->findChild<QPushButton *>("CustomBtn");
            QVERIFY(custom && custom->isEnabled());
            QTimer designerWatch;
            designerWatch.setInterval(10);
            QObject::connect(&designerWatch, &QTimer::timeout, [&] {
                if (auto *designer = qobject_cast<TCustomlayout *>(QApplication::activeModalWidget())) {
                    designerSeen = true;
                    designer->reject();
                }
            });
            designerWatch.start();
            click(custom);
            designerWatch.stop();
            modal->close();
        }, &seen);
        click(design);
        QVERIFY(seen);
        QVERIFY(designerSeen);
        QCOMPARE(main.settings().front.LayoutType, frontType);
        QVERIFY(!main.table()->updatesPending());
        Table check;
        OpenCardTable(check, folder.path());
        QCOMPARE(check.fieldByName("First_name").asString(), QString("Greta"));
    }

    // After Apply every printer prints the new design: monochrome, double-
    // sided with a portrait back, three tracks; and the settings reach
    // config.cfg at exit.
    void printedCardFollowsTheDesign()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1, [](int, Table &t) {
            t.fieldByName("First_name").setAsString("Aiko");
            t.fieldByName("MagStripe3").setAsString("4242");
        });
        Program program(folder.path());
        TForm1 &main = program.main();
        TCardLayout *dialog = program.windows.cardLayout;
        dialog->show();
        click(child<QCheckBox>(dialog, "colorprinter"));
        click(child<QCheckBox>(dialog, "duplexprinter"));
        showPage(dialog, TCardLayout::BackPage);
        click(dialog->quickButton(5));
        showPage(dialog, TCardLayout::StripePage);
        click(child<QCheckBox>(dialog, "usemagstripe"));
        for (const char *use : {"usestripe1", "Usestripe2", "usestripe3"})
            click(child<QCheckBox>(dialog, use));
        QTest::keyClicks(child<QLineEdit>(dialog, "stripevalue1"), "vlid card");
        chooseEntry(child<QComboBox>(dialog, "stripetype2"), 1);
        chooseEntry(child<QComboBox>(dialog, "stripevaluecombo2"), 0);  // Card_Number
        chooseEntry(child<QComboBox>(dialog, "stripetype3"), 2);
        click(child<QPushButton>(dialog, "OKBtn"));
        QVERIFY(main.findChild<QLabel *>("Image6")->isVisibleTo(&main));

        ScriptedDialogs dialogs;
        dialogs.answerText(QString());  // the print dialog: the current printer
        ScriptedMessages messages;
        const size_t before = TheVirtualCardPrinter().jobs().size();
        main.dataModule()->item("PrintCard1")->trigger();
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 1);
        TheVirtualCardPrinter().finishWrites();
        const PrintedJob &job = TheVirtualCardPrinter().jobs().back();
        QCOMPARE(job.pages.size(), 2);
        QCOMPARE(job.pages[0].orientation, PageOrientation::Landscape);
        QCOMPARE(job.pages[1].orientation, PageOrientation::Portrait);
        const QImage back(job.pages[1].imageFile);
        QCOMPARE(back.size(), QSize(642, 1026));
        for (const QString &file : {job.pages[0].imageFile, job.pages[1].imageFile}) {
            const QImage page = QImage(file).convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < page.height(); y += 7)
                for (int x = 0; x < page.width(); x += 7) {
                    const QRgb c = page.pixel(x, y);
                    QVERIFY2(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255), qPrintable(file));
                }
        }
        QVERIFY(job.tracks[0] && job.tracks[1] && job.tracks[2]);
        QCOMPARE(job.tracks[0]->data, QString("VLID CARD"));
        QCOMPARE(job.tracks[1]->data, QString("1"));
        QCOMPARE(job.tracks[2]->data, QString("4242"));
        QFile info(job.infoFile);
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QString stripe = QString::fromUtf8(info.readAll());
        QVERIFY2(stripe.contains("VLID CARD") && stripe.contains("4242"), qPrintable(stripe));

        QVERIFY(main.FormClose(true));
        Settings saved;
        QCOMPARE(saved.LoadSettings(folder.file("config.cfg")), SettingsLoad::Complete);
        QCOMPARE(saved.front.MonoPrinter, quint8(1));
        QCOMPARE(saved.front.DoubleSided, quint8(1));
        QCOMPARE(saved.back.LayoutType, quint8(5));
        QCOMPARE(saved.front.StripeOn, quint8(1));
        QCOMPARE(saved.front.Track[0], (TrackSettings{1, 0, QStringLiteral("VLID CARD"), 0}));
        QCOMPARE(saved.front.Track[1], (TrackSettings{1, 1, QStringLiteral("Card_Number"), 0}));
        QCOMPARE(saved.front.Track[2].source, 2);
        QCOMPARE(saved.front.Track[2].show, quint8(1));
    }
};

QTEST_MAIN(TestCardDesign)
#include "test_card_design.moc"
