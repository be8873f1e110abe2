// Printing exactly what the card face shows: the stacking order the card
// face is built in is the order printed, and Print Card leaves the preview
// open when nothing was printed.
#include "app/printing/PrintCommands.h"
#include "print/preview/TPrintPreview.h"
#include "store/DataSource.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedMessages.h"
#include "test_printing_support.h"

#include <QAction>
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

// The names of the pictures and free texts in the order they are composed.
QStringList composedOrder(TForm1 &main, int side)
{
    const CardSideModel model =
        CardSideFromPanel(main.side(side), side == 0 ? CardSideId::Front : CardSideId::Back);
    QStringList names;
    for (const CardItem &item : model.items)
        if (item.kind != CardItemKind::FieldItem)
            names << item.name;
    return names;
}

}  // namespace

class TestPrintCardFace : public QObject {
    Q_OBJECT
private slots:
    // The production path composes front and back in the card face's
    // stacking order, with every item shown (a custom layout may show them
    // all).
    void printingComposesInTheCardFacesStackingOrder()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) {
            s.front.DoubleSided = 1;
            s.back.DoubleSided = 1;
        });
        Program program(folder.path());
        TForm1 &main = program.main();
        // As every print and preview command leaves the card face.
        main.ShowPlaceholders(false);
        QCOMPARE(composedOrder(main, 0),
                 (QStringList{"BackImage1", "statimage1", "secphot", "statlabel1", "statlabel2", "statlabel4",
                              "statlabel3", "Image1"}));
        QCOMPARE(composedOrder(main, 1),
                 (QStringList{"BackImage1_b", "statimage1_b", "secphot_b", "Image1_b", "statlabel1_b",
                              "statlabel2_b", "statlabel3_b", "statlabel4_b"}));
        // The field items come last, in the order they were made.
        const CardSideModel front = CardSideFromPanel(main.side(0), CardSideId::Front);
        QCOMPARE(front.items.back().name, main.side(0).fieldItems.back()->objectName());
        // Applying the layouts again keeps the order.
        main.ApplyAllLayouts();
        main.ShowPlaceholders(false);
        QCOMPARE(composedOrder(main, 0).last(), QString("Image1"));
        QCOMPARE(composedOrder(main, 0).indexOf("statlabel4"), composedOrder(main, 0).indexOf("statlabel3") - 1);
    }

    // A monochrome card printer prints black or nothing: the whole page,
    // texts included, holds only black and white.
    void monochromeCardPrintsBlackAndWhiteOnly()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        writeSettings(folder.path(), [](Settings &s) {
            s.front.MonoPrinter = 1;
            s.front.FreeText[0] = "R&D Lab";
        });
        Program program(folder.path());
        ScriptedDialogs dialogs;
        dialogs.answerText(QString());
        ScriptedMessages messages;
        menuItem(program.main(), "PrintCard1")->trigger();
        QCOMPARE(messages.shown().size(), 0);
        const QImage page =
            QImage(TheVirtualCardPrinter().jobs().back().pages.first().imageFile).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page.size(), QSize(1026, 642));
        int black = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb p = page.pixel(x, y) & 0xffffff;
                if (p != 0 && p != 0xffffff)
                    QFAIL(qPrintable(QString("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 6, 16)));
                black += p == 0;
            }
        QVERIFY(black > 1000);
    }

    // Print Card whose print dialog is cancelled: nothing is printed and the
    // preview stays open.
    void cancelledPrintCardLeavesThePreviewOpen()
    {
        TempProgramFolder folder;
        addCards(folder.path(), 1);
        Program program(folder.path());
        TForm1 &main = program.main();
        TPrintPreview *preview = program.print().preview;
        ScriptedDialogs dialogs;
        dialogs.answerCancel();
        ScriptedMessages messages;
        const size_t before = TheVirtualCardPrinter().jobs().size();
        menuItem(main, "PrintCard1")->trigger();
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(dialogs.requests()[0].kind, CommonDialogKind::Print);
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before);
        QVERIFY(printedPngs(folder.path()).isEmpty());
        QVERIFY(preview->isVisible());
        QCOMPARE(messages.shown().size(), 0);

        // Printed from the open preview: it closes.
        dialogs.answerText(QString());
        preview->PrintCommand(RenderMode::Full);
        QCOMPARE(TheVirtualCardPrinter().jobs().size(), before + 1);
        QVERIFY(!preview->isVisible());
    }
};

QTEST_MAIN(TestPrintCardFace)
#include "test_print_card_face.moc"
