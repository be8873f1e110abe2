// The capture window and its setup dialog in the running program, on the
// test camera and SANE's test scanner, driven by mouse clicks; the stored
// photos on the card face and on the printed card.
#include <gst/gst.h>

#include "app/capture/CaptureCommands.h"
#include "capture/TImageCapture.h"
#include "capture/Tcapsetup.h"
#include "lang/GlyphButton.h"
#include "lang/LanguageTable.h"
#include "lang/ModalHelper.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "support/TestDevices.h"
#include "test_printing_support.h"

#include <QClipboard>
#include <QComboBox>
#include <QListWidget>
#include <QMimeData>
#include <QTabBar>
#include <QtTest>

using namespace vellora;
using namespace vellora::test;

namespace {

QAction *menuItem(TForm1 &main, const char *name)
{
    for (QAction *a : main.findChildren<QAction *>())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

template <typename T = QWidget>
T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

void click(QWidget *w)
{
    QVERIFY2(w && w->isVisible() && w->isEnabled(), w ? qPrintable(w->objectName()) : "no widget");
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

QString photoFile(const TempProgramFolder &folder, const QString &name) { return folder.path() + "data/images/" + name; }

// The average colour of a rectangle.
QColor averageOf(const QImage &image, QRect r)
{
    qint64 red = 0, green = 0, blue = 0, n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            red += qRed(p);
            green += qGreen(p);
            blue += qBlue(p);
            ++n;
        }
    return n ? QColor(int(red / n), int(green / n), int(blue / n)) : QColor();
}

// Acts on the next modal window; whatever happens in `act` (a failed check
// returns early), the modal window it acted on is closed, so a failing
// test cannot hang.
void Drive(std::function<void(QWidget *)> act, bool *seen = nullptr)
{
    WhenModal(
        [act](QWidget *modal) {
            QPointer<QWidget> window(modal);
            act(modal);
            if (auto *d = qobject_cast<QDialog *>(window.data()); d && d->isVisible())
                d->reject();
        },
        seen);
}

bool near(QColor a, QColor b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance && qAbs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

class TestCapture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // SANE takes its configuration folder once per process: the shared
        // test folder, with no scanner until a test writes one.
        TestScannerConfig none(QStringList{});
    }

    void init()
    {
        SetStartupWaitEnabled(false);
        UseTestCamera(true);
    }

    void commandsEnabled()
    {
        TempProgramFolder folder;
        Program program(folder.path());
        TForm1 &main = program.main();
        for (const char *b : {"BitBtn3", "getimgbtn"})
            QVERIFY2(main.button(QLatin1String(b))->isEnabled(), b);
        QVERIFY(menuItem(main, "CaptureImage1")->isEnabled());
        QVERIFY(menuItem(main, "LoadImage1")->isEnabled());
    }

    // Live picture, a held frame, back to live, a held frame again, OK: the
    // centred 3 : 4 strip at 300 x 400 is the card's photo, shown on the
    // card face and printed.
    void cameraPhotoStoredShownAndPrinted()
    {
        TempProgramFolder folder;
        TestScannerConfig scanners;
        Scanner::Shutdown();
        addCards(folder.path(), 1);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages;
        TImageCapture *capture = program.windows.capture;
        bool seen = false;
        Drive(
            [&](QWidget *modal) {
                QCOMPARE(modal, capture);
                QVERIFY(capture->VideoSource);
                QVERIFY(capture->TwainSource);
                auto *live = child(capture, "VideoCap1");
                QVERIFY(live->isVisible());
                QCOMPARE(live->size(), QSize(244, 183));
                QCOMPARE(child(capture, "Panel1")->geometry(), QRect(96, 51, 248, 187));
                QVERIFY(!child(capture, "OKButton")->isEnabled());
                QVERIFY(QTest::qWaitFor([&] { return capture->video().framesReceived() > 3; }, 5000));
                click(child(capture, "CaptureImage"));
                QVERIFY(capture->FrameHeld);
                QVERIFY(child(capture, "Image1")->isVisible());
                QVERIFY(!live->isVisible());
                QVERIFY(child(capture, "getphoto")->isVisible());
                QVERIFY(child(capture, "CaptureImage")->isHidden());
                QVERIFY(QFile::exists(folder.path() + "data/temp.bmp"));
                QCOMPARE(capture->capturedPicture().size(), QSize(640, 480));
                // Back to live, then hold another frame.
                click(child(capture, "getphoto"));
                QVERIFY(!capture->FrameHeld);
                QVERIFY(live->isVisible());
                QVERIFY(!child(capture, "OKButton")->isEnabled());
                click(child(capture, "CaptureImage"));
                click(child(capture, "OKButton"));
            },
            &seen);
        click(main.button(QStringLiteral("BitBtn3")));
        QVERIFY(seen);
        QVERIFY(!capture->isVisible());
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(main.settings().front.CaptureDevice, QStringLiteral("Test Camera"));

        const QImage stored = LoadJpeg(photoFile(folder, "1.jpg"));
        QCOMPARE(stored.size(), QSize(300, 400));
        PhotoItem *face = main.side(0).Image1;
        QCOMPARE(face->picture().size(), QSize(300, 400));
        QVERIFY(face->proportional());
        QCOMPARE(face->picture().convertToFormat(QImage::Format_RGB32), stored.convertToFormat(QImage::Format_RGB32));
        // The test pattern's bars, not the placeholder's silhouette.
        QVERIFY(stored.pixelColor(20, 100) != stored.pixelColor(280, 100));

        ScriptedDialogs dialogs;
        dialogs.answerText(QString());
        const size_t before = TheVirtualCardPrinter().jobs().size();
        menuItem(main, "PrintCard1")->trigger();
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 1);
        const QImage page(TheVirtualCardPrinter().jobs().back().pages.first().imageFile);
        const QRect item = face->geometry();
        const QRect shown = PhotoItem::PictureRect(stored.size(), item.size(), true, true);
        // A band of the photo on the page (card pixels doubled) has the
        // stored photo's colours.
        const QRect band(2 * (item.x() + shown.x()) + 4, 2 * (item.y() + shown.y()) + 20, 2 * shown.width() - 8, 20);
        const QRect sameBand(0, 10, 300, 10);
        QVERIFY(near(averageOf(page, band), averageOf(stored, sameBand), 40));
    }

    // The Load page: a picture file, the crop frame driven by the mouse, the
    // cut stored at its own size as the second photo.
    void loadAndCropByMouse()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        QImage picture(1200, 800, QImage::Format_RGB32);
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 1200; ++x)
                picture.setPixel(x, y, qRgb(x * 255 / 1199, y * 255 / 799, 90));
        const QString file = folder.path() + "portrait.png";
        QVERIFY(picture.save(file));
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages;
        ScriptedDialogs dialogs;
        dialogs.answerText(file);
        TImageCapture *capture = program.windows.capture;
        bool seen = false;
        Drive(
            [&](QWidget *) {
                QCOMPARE(capture->pageControl()->currentIndex(), int(TImageCapture::LoadPage));
                QCOMPARE(child(capture, "Panel2")->size(), QSize(362, 334));
                click(child(capture, "loadimage"));
                QCOMPARE(capture->workPicture().size(), QSize(1200, 800));
                QCOMPARE(capture->imgSrcRect(), QRect(2, 47, 358, 239));
                click(child(capture, "showcropper"));
                QVERIFY(capture->cropMode());
                QVERIFY(child(capture, "loadimage")->isHidden());
                QVERIFY(child(capture, "imgokbtn")->isHidden());
                // secphot is 150 x 200 in the standard layout.
                const QSize target = main.side(0).Image1->size();
                const QRect start = capture->cropFrame();
                QCOMPARE(start.height(), 239);
                QCOMPARE(start.width(), qRound(239.0 * target.width() / target.height()));
                // Drag the bottom-right handle up and left to a 20 x 20 frame.
                auto *handles = child(capture, "StretchHandle1");
                const QPoint corner(start.left() + start.width() + 1, start.top() + start.height() + 1);
                QTest::mousePress(handles, Qt::LeftButton, {}, corner);
                const QPoint to(start.left() + 20 + 1, start.top() + 20 + 1);
                QTest::mouseMove(handles, (corner + to) / 2);
                QTest::mouseMove(handles, to);
                QTest::mouseRelease(handles, Qt::LeftButton, {}, to);
                QCOMPARE(capture->cropFrame(), QRect(start.topLeft(), QSize(50, 50)));
                // Move it by its inside to the display's top-left corner
                // and beyond: it stops at the panel and is corrected onto
                // the picture.
                const QPoint inside = capture->cropFrame().center();
                QTest::mousePress(handles, Qt::LeftButton, {}, inside);
                QTest::mouseMove(handles, inside - QPoint(60, 60));
                QTest::mouseMove(handles, inside - QPoint(300, 300));
                QTest::mouseRelease(handles, Qt::LeftButton, {}, inside - QPoint(300, 300));
                QCOMPARE(capture->cropFrame(), QRect(2, 47, 50, 50));
                click(child(capture, "cropimage"));
                QVERIFY(!capture->cropMode());
                QCOMPARE(capture->workPicture().size(), QSize(168, 167));
                click(child(capture, "imgokbtn"));
            },
            &seen);
        main.preparePhotoMenu(main.side(0).Image1);
        menuItem(main, "LoadImage1")->trigger();
        QVERIFY(seen);
        QCOMPARE(messages.shown().size(), 0);
        const QImage stored = LoadJpeg(photoFile(folder, "1.jpg"));
        QCOMPARE(stored.size(), QSize(168, 167));
        QVERIFY(!QFile::exists(photoFile(folder, "1-2.jpg")));
        QCOMPARE(main.side(0).Image1->picture().size(), QSize(168, 167));
        // The top-left corner of the picture: dark red-green, blue 90.
        QVERIFY(near(stored.pixelColor(5, 5), QColor(0, 0, 90), 30));
    }

    // Crop mode left with cancelimgbtn cuts nothing; outside crop mode it
    // closes the window and the card face shows the files as they are.
    void cancelLeavesCardAsOnDisk()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages;
        TImageCapture *capture = program.windows.capture;
        const QImage before = main.side(0).Image1->picture();
        Drive([&](QWidget *) {
            const QImage work = capture->workPicture();
            click(child(capture, "showcropper"));
            click(child(capture, "cancelimgbtn"));
            QVERIFY(!capture->cropMode());
            QCOMPARE(capture->workPicture(), work);
            click(child(capture, "cancelimgbtn"));
        });
        main.preparePhotoMenu(main.side(0).Image1);
        menuItem(main, "LoadImage1")->trigger();
        QVERIFY(!capture->isVisible());
        QVERIFY(!QFile::exists(photoFile(folder, "1.jpg")));
        QCOMPARE(main.side(0).Image1->picture(), before);
    }

    // The scanner as the source (CaptureDevice "TWAIN"): one acquisition,
    // cut to 3 : 4 and stored; a scanner that delivers nothing changes
    // nothing, a failing one warns.
    void scannerPhoto()
    {
        TempProgramFolder folder;
        TestScannerConfig scanners;
        Scanner::Shutdown();
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) { s.front.CaptureDevice = QStringLiteral("TWAIN"); });
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages;
        TImageCapture *capture = program.windows.capture;
        Drive([&](QWidget *) {
            QVERIFY(!capture->VideoSource);
            QVERIFY(capture->TwainSource);
            QVERIFY(child(capture, "VideoCap1")->isHidden() || !child(capture, "VideoCap1")->isVisible());
            click(child(capture, "CaptureImage"));
            QCOMPARE(capture->capturedPicture().size(), QSize(590, 590));
            QCOMPARE(child(capture, "Image1")->size(), QSize(200, 200));
            click(child(capture, "OKButton"));
        });
        click(main.button(QStringLiteral("BitBtn3")));
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(LoadJpeg(photoFile(folder, "1.jpg")).size(), QSize(300, 400));
        QCOMPARE(main.settings().front.CaptureDevice, QStringLiteral("TWAIN"));
        const QByteArray storedBytes = [&] {
            QFile f(photoFile(folder, "1.jpg"));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();

        for (const char *status : {"SANE_STATUS_NO_DOCS", "SANE_STATUS_IO_ERROR"}) {
            TestScannerConfig failing({QStringLiteral("test")}, {QStringLiteral("read-status-code \"%1\"").arg(QLatin1String(status))});
            Scanner::Shutdown();
            Scanner::Probe();
            messages.clear();
            Drive([&](QWidget *) {
                const QImage shown = capture->capturedPicture();
                click(child(capture, "CaptureImage"));
                QCOMPARE(capture->capturedPicture(), shown);
                click(child(capture, "CancelButton"));
            });
            click(main.button(QStringLiteral("BitBtn3")));
            if (QByteArray(status) == "SANE_STATUS_IO_ERROR") {
                QCOMPARE(messages.shown().size(), 1);
                QCOMPARE(messages.shown().first().text, Literal(16));
                QCOMPARE(messages.shown().first().kind, MsgKind::Warning);
            } else {
                QCOMPARE(messages.shown().size(), 0);
            }
            QFile f(photoFile(folder, "1.jpg"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), storedBytes);
        }
    }

    // The setup dialog: the camera list, its dialogs' buttons, the scanner
    // tab; OK on the scanner tab makes the scanner the source.
    void setupDialogChoosesScanner()
    {
        TempProgramFolder folder;
        TestScannerConfig scanners;
        Scanner::Shutdown();
        addCards(folder.path(), 1);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages;
        TImageCapture *capture = program.windows.capture;
        Tcapsetup *setup = program.windows.capsetup;
        bool setupSeen = false;
        Drive([&](QWidget *) {
            Drive(
                [&](QWidget *modal) {
                    QCOMPARE(modal, setup);
                    // The live picture stopped while the dialog is open.
                    QVERIFY(!capture->video().isOpen());
                    auto *list = child<QComboBox>(setup, "VFWdrvlist");
                    QVERIFY(list->isEnabled());
                    QCOMPARE(list->currentText(), QStringLiteral("Test Camera test"));
                    QVERIFY(child(setup, "VFWFormat")->isEnabled());
                    QVERIFY(!child(setup, "VFWSource")->isEnabled());  // the test camera has no controls
                    QVERIFY(child(setup, "VFWDisplay")->isEnabled());
                    QVERIFY(child(setup, "Panel1")->isVisible());
                    // The format dialog: 1280 x 720 is chosen.
                    Tcapsetup::SetDialogRunner([](QDialog *d) {
                        auto *formats = d->findChild<QListWidget *>(QStringLiteral("FormatList"));
                        for (int i = 0; i < formats->count(); ++i)
                            if (formats->item(i)->text().startsWith(QStringLiteral("1280 x 720")))
                                formats->setCurrentRow(i);
                        return true;
                    });
                    click(child(setup, "VFWFormat"));
                    Tcapsetup::SetDialogRunner({});
                    QCOMPARE(capture->video().format().width, 1280);
                    // The scanner tab, then OK.
                    auto *tabs = child<QTabBar>(setup, "TabControl1");
                    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
                    QVERIFY(child(setup, "Panel2")->isVisible());
                    QVERIFY(!child(setup, "Panel1")->isVisible());
                    click(child(setup, "Button1"));
                    setupSeen = true;
                },
                nullptr);
            click(child(capture, "SetupButton"));
            QVERIFY(!capture->VideoSource);
            QVERIFY(capture->TwainSource);
            QVERIFY(child(capture, "CaptureImage")->isVisible());
            QVERIFY(!capture->video().isOpen());
            click(child(capture, "CancelButton"));
        });
        click(main.button(QStringLiteral("BitBtn3")));
        QVERIFY(setupSeen);
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(main.settings().front.CaptureDevice, QStringLiteral("TWAIN"));

        // Back to the camera at 1280 x 720 through the setup dialog.
        Drive([&](QWidget *) {
            Drive([&](QWidget *) {
                auto *tabs = child<QTabBar>(setup, "TabControl1");
                QCOMPARE(tabs->currentIndex(), int(Tcapsetup::TwainTab));
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
                click(child(setup, "Button1"));
            });
            click(child(capture, "SetupButton"));
            QVERIFY(capture->VideoSource);
            QCOMPARE(capture->video().pictureSize(), QSize(1280, 720));
            QCOMPARE(child(capture, "VideoCap1")->size(), QSize(244, 137));
            click(child(capture, "CaptureImage"));
            QCOMPARE(capture->capturedPicture().size(), QSize(1280, 720));
            click(child(capture, "OKButton"));
        });
        click(main.button(QStringLiteral("BitBtn3")));
        QCOMPARE(main.settings().front.CaptureDevice, QStringLiteral("Test Camera"));
        QCOMPARE(LoadJpeg(photoFile(folder, "1.jpg")).size(), QSize(300, 400));
    }

    // No camera and no scanner: the warning when the window first opens,
    // the setup dialog stays on the scanner tab, files still load.
    void noSourceAtAll()
    {
        UseTestCamera(false);
        TestScannerConfig none(QStringList{});
        Scanner::Shutdown();
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) { s.front.CaptureDevice = QStringLiteral("Old Camera"); });
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages({MrOk});
        TImageCapture *capture = program.windows.capture;
        if (!capture->video().listDrivers().isEmpty())
            QSKIP("this machine has a camera");
        Tcapsetup *setup = program.windows.capsetup;
        Drive([&](QWidget *) {
            QVERIFY(!capture->VideoSource);
            QVERIFY(!capture->TwainSource);
            Drive([&](QWidget *) {
                auto *tabs = child<QTabBar>(setup, "TabControl1");
                QCOMPARE(tabs->currentIndex(), int(Tcapsetup::TwainTab));
                QVERIFY(!child(setup, "VFWdrvlist")->isEnabled());
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
                QCOMPARE(tabs->currentIndex(), int(Tcapsetup::TwainTab));
                click(child(setup, "Button2"));
            });
            click(child(capture, "SetupButton"));
            click(child(capture, "CancelButton"));
        });
        click(main.button(QStringLiteral("BitBtn3")));
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().text, Literal(17));
        QCOMPARE(messages.shown().first().kind, MsgKind::Warning);
        QCOMPARE(main.settings().front.CaptureDevice, QString());
    }

    // The camera fails while live: the picture stops and the next capture
    // reports Literals15; nothing is stored.
    void cameraLostWhileLive()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages;
        TImageCapture *capture = program.windows.capture;
        Drive([&](QWidget *) {
            QVERIFY(capture->video().isOpen());
            auto *src = static_cast<GstElement *>(capture->video().sourceElement());
            GError *error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "Device disconnected");
            gst_element_post_message(src, gst_message_new_error(GST_OBJECT(src), error, "unplugged"));
            g_error_free(error);
            QVERIFY(QTest::qWaitFor([&] { return capture->video().lost(); }, 3000));
            click(child(capture, "CaptureImage"));
            QVERIFY(!child(capture, "OKButton")->isEnabled());
            click(child(capture, "CancelButton"));
        });
        click(main.button(QStringLiteral("BitBtn3")));
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().text, Literal(15));
        QCOMPARE(messages.shown().first().kind, MsgKind::Error);
        QVERIFY(!QFile::exists(photoFile(folder, "1.jpg")));
    }

    // A picture file dropped onto a photo item opens the Load page with it;
    // a picture bomb is refused and nothing opens.
    void dropPictureFileOnPhoto()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(QColor(200, 30, 30));
        const QString file = folder.path() + "dropped.jpg";
        QVERIFY(picture.save(file, "JPG", 95));
        Program program(folder.path());
        TForm1 &main = program.main();
        main.show();
        ScriptedMessages messages;
        TImageCapture *capture = program.windows.capture;
        PhotoItem *item = main.side(0).Image1;

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(item, &enter);
        QVERIFY(enter.isAccepted());
        bool seen = false;
        Drive(
            [&](QWidget *) {
                QCOMPARE(capture->pageControl()->currentIndex(), int(TImageCapture::LoadPage));
                QCOMPARE(capture->workPicture().size(), QSize(400, 300));
                QCOMPARE(capture->target(), item);
                click(child(capture, "imgokbtn"));
            },
            &seen);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(item, &drop);
        QVERIFY(QTest::qWaitFor([&] { return seen && !capture->isVisible(); }, 5000));
        QCOMPARE(LoadJpeg(photoFile(folder, "1.jpg")).size(), QSize(400, 300));

        // The same file copied in the file manager and pasted on the second
        // photo: Paste is enabled and opens the Load page with it.
        auto *copied = new QMimeData;
        copied->setUrls({QUrl::fromLocalFile(file)});
        QGuiApplication::clipboard()->setMimeData(copied);
        main.preparePhotoMenu(main.side(0).secphot);
        QAction *paste = menuItem(main, "Paste1");
        QVERIFY(paste->isEnabled());
        seen = false;
        Drive(
            [&](QWidget *) {
                QCOMPARE(capture->pageControl()->currentIndex(), int(TImageCapture::LoadPage));
                QCOMPARE(capture->workPicture().size(), QSize(400, 300));
                QCOMPARE(capture->target(), main.side(0).secphot);
                click(child(capture, "imgokbtn"));
            },
            &seen);
        paste->trigger();
        QVERIFY(QTest::qWaitFor([&] { return seen && !capture->isVisible(); }, 5000));
        QCOMPARE(LoadJpeg(photoFile(folder, "1-2.jpg")).size(), QSize(400, 300));
        // A file that is not a picture leaves Paste disabled.
        auto *notPicture = new QMimeData;
        notPicture->setUrls({QUrl::fromLocalFile(folder.path() + "config.cfg")});
        QGuiApplication::clipboard()->setMimeData(notPicture);
        main.preparePhotoMenu(main.side(0).secphot);
        QVERIFY(!paste->isEnabled());

        // Not a picture: not accepted.
        QMimeData text;
        text.setUrls({QUrl::fromLocalFile(folder.path() + "config.cfg")});
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
        QApplication::sendEvent(item, &refused);
        QVERIFY(!refused.isAccepted());

        // A 60000 x 60000 bitmap header: refused with a message, the photo
        // file stays as it was.
        QFile bomb(folder.path() + "bomb.bmp");
        QVERIFY(bomb.open(QIODevice::WriteOnly));
        QByteArray header(54, '\0');
        header[0] = 'B';
        header[1] = 'M';
        auto put32 = [&](int at, qint32 v) { memcpy(header.data() + at, &v, 4); };
        put32(2, 54);
        put32(10, 54);
        put32(14, 40);
        put32(18, 60000);
        put32(22, 60000);
        header[26] = 1;
        header[28] = 24;
        bomb.write(header);
        bomb.close();
        const QByteArray before = [&] {
            QFile f(photoFile(folder, "1.jpg"));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        messages.clear();
        QCOMPARE(capture->OpenWithPictureFile(item, QString(), bomb.fileName()), int(QDialog::Rejected));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.shown().first().plain);
        QFile after(photoFile(folder, "1.jpg"));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }
};

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
