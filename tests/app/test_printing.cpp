// Printing one card from the main window: the card panels as the renderer's
// model, the print preview (placement, buttons, front and back, rebuilt on
// every showing), the same card on the preview and on the virtual card
// printer, and bad input that must not print half a card.
#include "app/printing/PrintCommands.h"
#include "lang/LanguageTable.h"
#include "lang/Translation.h"
#include "print/preview/TPrintPreview.h"
#include "store/DataSource.h"
#include "store/PhotoItem.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "test_printing_support.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
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

// Runs `check` while the modal preview is up, then closes it.
void whilePreviewShown(TPrintPreview *preview, std::function<void()> check)
{
    QTimer::singleShot(0, preview, [preview, check] {
        check();
        preview->done(QDialog::Rejected);
    });
}

const CardItem *itemNamed(const CardSideModel &m, const QString &name)
{
    for (const CardItem &i : m.items)
        if (i.name == name)
            return &i;
    return nullptr;
}

int indexOf(const CardSideModel &m, const QString &name)
{
    for (size_t i = 0; i < m.items.size(); ++i)
        if (m.items[i].name == name)
            return int(i);
    return -1;
}

void writePhoto(const QString &appFolder, int card, QColor colour)
{
    QImage photo(300, 400, QImage::Format_RGB32);
    photo.fill(colour);
    QDir().mkpath(appFolder + "data/images");
    QVERIFY(photo.save(appFolder + QString("data/images/%1.jpg").arg(card), "JPG", 90));
}

}  // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void modelFollowsTheCardPanel()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 2);
        Program program(folder.path());
        TForm1 &main = program.main();
        main.ShowPlaceholders(true);
        const CardSideItems &front = main.side(0);
        const CardSideModel m = CardSideFromPanel(front, CardSideId::Front);
        QCOMPARE(m.panelSize, front.panel->size());

        // Field items after every picture and label, in creation order.
        int lastNonField = -1, firstField = int(m.items.size());
        for (size_t i = 0; i < m.items.size(); ++i) {
            if (m.items[i].kind == CardItemKind::FieldItem)
                firstField = std::min(firstField, int(i));
            else
                lastNonField = int(i);
        }
        QVERIFY(lastNonField < firstField);
        QCOMPARE(int(m.items.size()) - firstField, int(front.fieldItems.size()));
        QCOMPARE(m.items[firstField].name, front.fieldItems[0]->objectName());
        // Stacking order: the background at the bottom, the photo above the texts.
        QCOMPARE(m.items.front().kind, CardItemKind::Background);
        QVERIFY(indexOf(m, "Image1") > indexOf(m, "statlabel1"));

        // Texts and fonts as the card face shows them; no placeholder text.
        const CardItem *first = itemNamed(m, "First_name");
        QVERIFY(first);
        QCOMPARE(first->text, QString("Maria"));
        QCOMPARE(first->font.size, CardFontPoints(front.fieldItem("First_name")->font()));
        QCOMPARE(first->font.face, front.fieldItem("First_name")->font().family());
        for (const CardItem &i : m.items)
            QVERIFY2(!i.text.startsWith('<'), qPrintable(i.name + ": " + i.text));
        const CardItem *label = itemNamed(m, "statlabel1");
        QVERIFY(label);
        QCOMPARE(label->text, front.statlabel[0]->text());
        QCOMPARE(label->visible, !front.statlabel[0]->isHidden());
        const CardItem *photo = itemNamed(m, "Image1");
        QCOMPARE(photo->picture, front.Image1->picture());
        QCOMPARE(photo->proportional, front.Image1->proportional());
        // A hidden item is in the model with its flag off.
        const CardItem *second = itemNamed(m, "secphot");
        QVERIFY(second);
        QCOMPARE(second->visible, !front.secphot->isHidden());

        // An empty field is empty in the model while its placeholder shows.
        main.table()->edit();
        main.table()->fieldByName("Title").setAsString(QString());
        main.table()->post();
        main.ShowPlaceholders(true);
        QCOMPARE(itemNamed(CardSideFromPanel(front, CardSideId::Front), "Title")->text, QString());
    }

    void previewIsPlacedAsTheMainWindow_data()
    {
        QTest::addColumn<bool>("mono");
        QTest::addColumn<bool>("doubleSided");
        QTest::newRow("colour, single-sided") << false << false;
        QTest::newRow("monochrome, double-sided") << true << true;
    }
    void previewIsPlacedAsTheMainWindow()
    {
        QFETCH(bool, mono);
        QFETCH(bool, doubleSided);
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [&](Settings &s) {
            s.front.MonoPrinter = mono;
            s.front.DoubleSided = doubleSided;
            s.back.LayoutType = 5;  // portrait back
        });
        Program program(folder.path());
        TForm1 &main = program.main();
        main.setGeometry(40, 50, 900, 820);
        TPrintPreview *preview = program.print().preview;
        QVERIFY(preview);
        bool checked = false;
        whilePreviewShown(preview, [&] {
            checked = true;
            QCOMPARE(preview->geometry(), main.geometry());
            QCOMPARE(preview->panel(CardSideId::Front)->geometry(), main.side(0).panel->geometry());
            QCOMPARE(preview->panel(CardSideId::Back)->isVisible(), doubleSided);
            if (doubleSided) {
                QCOMPARE(preview->panel(CardSideId::Back)->geometry(), main.side(1).panel->geometry());
                QCOMPARE(preview->previewPicture(CardSideId::Back).size(), 2 * main.side(1).panel->size());
            }
            QCOMPARE(preview->findChild<QWidget *>("PrintButtonLo")->isVisible(), mono);
            QVERIFY(preview->findChild<QWidget *>("PrintButtonHi")->isVisible());
            QCOMPARE(preview->findChild<QWidget *>("PrintButtonHi")->y(), 68);
            QCOMPARE(preview->previewPicture(CardSideId::Front).size(), QSize(1026, 642));
            QCOMPARE(preview->image(CardSideId::Front)->pixmap().size(), QSize(513, 321));
            // Placeholders are hidden while the preview is up.
            for (QLabel *ghost : main.side(0).placeholders)
                QVERIFY(ghost->isHidden());
            if (mono) {
                const QImage p = preview->previewPicture(CardSideId::Front);
                for (int y = 0; y < p.height(); y += 17)
                    for (int x = 0; x < p.width(); x += 13) {
                        const QRgb c = p.pixel(x, y);
                        QVERIFY(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
                    }
            }
        });
        QTest::mouseClick(main.findChild<QWidget *>("BitBtn6"), Qt::LeftButton);
        QVERIFY(checked);
        QVERIFY(!preview->isVisible());
    }

    void previewShowsTheCurrentCardEveryTime()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 2);
        writePhoto(folder.path(), 2, QColor(200, 30, 30));
        Program program(folder.path());
        TForm1 &main = program.main();
        TPrintPreview *preview = program.print().preview;
        QImage first, second;
        whilePreviewShown(preview, [&] { first = preview->previewPicture(CardSideId::Front); });
        menuItem(main, "PrintPreview1")->trigger();
        main.table()->next();
        whilePreviewShown(preview, [&] { second = preview->previewPicture(CardSideId::Front); });
        menuItem(main, "PrintPreview1")->trigger();
        QVERIFY(!first.isNull() && !second.isNull());
        QVERIFY(first != second);
        // Card 2's red photo is in the second picture, where the photo item sits.
        const QRect photo = main.side(0).Image1->geometry();
        const QRgb c = second.pixel(2 * photo.x() + 10, 2 * photo.y() + 10);
        QVERIFY2(qRed(c) > 150 && qGreen(c) < 90, qPrintable(QString::number(c, 16)));
        QVERIFY(first.pixel(2 * photo.x() + 10, 2 * photo.y() + 10) != c);
    }

    void previewAndVirtualPrinterPrintTheSameCard_data()
    {
        QTest::addColumn<bool>("mono");
        QTest::newRow("colour") << false;
        QTest::newRow("monochrome") << true;
    }
    void previewAndVirtualPrinterPrintTheSameCard()
    {
        QFETCH(bool, mono);
        TempProgramFolder folder;
        // No title: its field item shows a placeholder on the card face.
        addCards(folder.path(), 1, [](int, Table &t) { t.fieldByName("Title").clear(); });
        writePhoto(folder.path(), 1, QColor(40, 120, 200));
        writeSettings(folder.path(), [&](Settings &s) { s.front.MonoPrinter = mono; });
        Program program(folder.path());
        TForm1 &main = program.main();
        TPrintPreview *preview = program.print().preview;
        ScriptedDialogs dialogs;
        dialogs.answerText(QString());  // the print dialog: the current printer
        ScriptedMessages messages;
        const size_t before = TheVirtualCardPrinter().jobs().size();
        menuItem(main, "PrintCard1")->trigger();
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 1);
        QVERIFY(!preview->isVisible());
        const QImage composed = preview->previewPicture(CardSideId::Front);
        const QImage page(TheVirtualCardPrinter().jobs().back().pages.first().imageFile);
        // The page is the whole card the preview shows, nothing cut off.
        QCOMPARE(page.size(), QSize(1026, 642));
        QCOMPARE(page.size(), composed.size());
        const QImage cut = composed;
        if (!mono) {
            // Pictures are the same pixels; texts differ only in their
            // anti-aliased edges.
            const double share = differingShare(cut, page, 60);
            QVERIFY2(share < 0.01, qPrintable(QString::number(share)));
        } else {
            // The photo holds only black and white; seen from afar the page
            // is the preview's grey.
            const QRect photo(2 * main.side(0).Image1->x() + 2, 2 * main.side(0).Image1->y() + 2, 40, 40);
            for (int y = photo.top(); y < photo.bottom(); ++y)
                for (int x = photo.left(); x < photo.right(); ++x) {
                    const QRgb c = page.pixel(x, y);
                    QVERIFY(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255));
                }
            const QSize small(page.width() / 16, page.height() / 16);
            const QImage a = cut.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const QImage b = page.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const double share = differingShare(a, b, 70);
            QVERIFY2(share < 0.1, qPrintable(QString::number(share)));
        }
        // Placeholders are back after printing: the title's shows, exactly
        // as the card face shows them anyway.
        QList<bool> afterPrinting;
        for (QLabel *ghost : main.side(0).placeholders)
            afterPrinting.append(!ghost->isHidden());
        QVERIFY(afterPrinting.contains(true));
        main.ShowPlaceholders(true);
        QList<bool> expected;
        for (QLabel *ghost : main.side(0).placeholders)
            expected.append(!ghost->isHidden());
        QCOMPARE(afterPrinting, expected);
    }

    void badInputPrintsNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("unreadable background") << "background";
        QTest::newRow("linked track field missing") << "track";
    }
    void badInputPrintsNothing()
    {
        QFETCH(QString, fault);
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        const QString broken = folder.file("backgrounds/broken.png");
        QDir().mkpath(folder.file("backgrounds"));
        QImage good(1026, 642, QImage::Format_RGB32);
        good.fill(QColor(220, 230, 250));
        QVERIFY(good.save(broken));
        writeSettings(folder.path(), [&](Settings &s) {
            if (fault == "background") {
                s.front.BackgroundPath = broken;
            } else {
                s.front.StripeOn = 1;
                s.front.Track[0] = {1, 1, "Employee_Id", 1};
            }
        });
        Program program(folder.path());
        TForm1 &main = program.main();
        TPrintPreview *preview = program.print().preview;
        // The background is damaged while the program runs.
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a picture at all");
        f.close();
        const size_t before = TheVirtualCardPrinter().jobs().size();
        ScriptedDialogs dialogs;
        dialogs.answerText(QString());
        ScriptedMessages messages({MrOk, MrOk});
        menuItem(main, "PrintCard1")->trigger();
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before);
        QVERIFY(printedPngs(folder.path()).isEmpty());
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.shown()[0].text.contains(fault == "background" ? "broken.png" : "Employee_Id"),
                 qPrintable(messages.shown()[0].text));
        QVERIFY(!preview->isVisible());
        if (fault == "background") {
            // The preview itself reports it and is not shown.
            messages.clear();
            QTest::mouseClick(main.findChild<QWidget *>("BitBtn6"), Qt::LeftButton);
            QCOMPARE(messages.shown().size(), 1);
            QVERIFY(!preview->isVisible());
        }
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void vanishedLayoutFilePrintsWithTheCardFaceBackground()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) { s.front.LayoutType = 6; });
        Program program(folder.path());
        QFile::remove(folder.file("layout.ccl"));
        ScriptedDialogs dialogs;
        dialogs.answerText(QString());
        ScriptedMessages messages;
        const size_t before = TheVirtualCardPrinter().jobs().size();
        menuItem(program.main(), "PrintCard1")->trigger();
        QCOMPARE(messages.shown().size(), 0);
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 1);
    }

    void windowsCarryTheirLanguageKeys()
    {
        TempProgramFolder folder;
        Program program(folder.path());
        const PrintWindows w = program.print();
        QStringList lines;
        QVERIFY(ReadUtf16Lines(folder.file("languages.ini"), &lines));
        for (const char *language : {"English", "German"}) {
            const LanguageTable table(SectionLines(lines, QLatin1String(language)));
            QVERIFY(!table.isEmpty());
            for (QWidget *window : QList<QWidget *>{w.preview.data(), w.batch.data(), w.progress.data()}) {
                const QStringList missing = MissingKeys(window, table);
                QVERIFY2(missing.isEmpty(), qPrintable(QString(language) + ": " + missing.join(", ")));
            }
        }
    }
};

QTEST_MAIN(TestPrinting)
#include "test_printing.moc"
