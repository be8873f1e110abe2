// Card rendering: composition onto the canvas, the preview picture, device
// output at several resolutions, the dither.
#include "SampleCard.h"
#include "devices/print/VirtualCardPrinter.h"
#include "print/CardRenderer.h"
#include "store/Photos.h"
#include "store/ScaledPicture.h"

#include <QPainter>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace vellora;

namespace {

// The virtual card printer, remembering what reached it.
class RecordingPrinter : public VirtualCardPrinter {
public:
    using VirtualCardPrinter::VirtualCardPrinter;
    struct Bitmap {
        QRect destination;
        QSize size;
        QImage image;
    };
    QList<Bitmap> bitmaps;
    QList<DeviceFont> fonts;
    QList<QPair<QRect, QString>> texts;
    QImage lastPage;

    void stretchBitmap(const QRect &d, const QImage &b) override
    {
        bitmaps.append({d, b.size(), b});
        VirtualCardPrinter::stretchBitmap(d, b);
    }
    void selectFont(const DeviceFont &f) override
    {
        fonts.append(f);
        VirtualCardPrinter::selectFont(f);
    }
    void drawTextInBox(const QRect &box, const QString &text, int flags) override
    {
        texts.append({box, text});
        VirtualCardPrinter::drawTextInBox(box, text, flags);
    }
};

CardSideModel onePhoto(QSize picture, QRect geometry, bool stretch, bool proportional)
{
    CardSideModel m;
    m.items.push_back(sample::picture("Image1", CardItemKind::Photo, geometry, sample::photoPicture(picture), stretch, proportional));
    return m;
}

// The dither exactly as written: two (W+2) x (H+2) arrays, column by
// column, all four shares.
QImage referenceDither(const QImage &in)
{
    QImage img = in.convertToFormat(QImage::Format_RGB32);
    const int W = img.width(), H = img.height();
    std::vector<std::vector<int>> V(W + 2, std::vector<int>(H + 2)), O(W + 2, std::vector<int>(H + 2));
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < H; ++y) {
            const QRgb p = img.pixel(x, y);
            V[x][y] = (qRed(p) + qGreen(p) + qBlue(p)) / 3;
        }
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < H; ++y) {
            O[x][y] = V[x][y] > 128 ? 255 : 0;
            const int e = V[x][y] - O[x][y];
            if (x < W - 1)
                V[x + 1][y] += e * 7 / 16;
            if (x > 0 && y < H - 1)
                V[x - 1][y + 1] += e * 3 / 16;
            if (y < H - 1)
                V[x][y + 1] += e * 5 / 16;
            if (x < W - 1 && y < H - 1)
                V[x + 1][y + 1] += e / 16;
        }
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < H; ++y)
            img.setPixel(x, y, O[x][y] ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return img;
}

QRect inkBounds(const QImage &img, QRect area, int threshold = 128)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < threshold)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

}  // namespace

class TestRender : public QObject {
    Q_OBJECT

private slots:
    void roundHalfEven_data()
    {
        QTest::addColumn<qint64>("num");
        QTest::addColumn<qint64>("den");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("half down to even") << qint64(5) << qint64(2) << qint64(2);
        QTest::newRow("half up to even") << qint64(3) << qint64(2) << qint64(2);
        QTest::newRow("above half") << qint64(8) << qint64(3) << qint64(3);
        QTest::newRow("below half") << qint64(7) << qint64(3) << qint64(2);
        QTest::newRow("negative half") << qint64(-3) << qint64(2) << qint64(-2);
        QTest::newRow("negative half odd") << qint64(-5) << qint64(2) << qint64(-2);
        QTest::newRow("exact") << qint64(900) << qint64(300) << qint64(3);
    }
    void roundHalfEven()
    {
        QFETCH(qint64, num);
        QFETCH(qint64, den);
        QFETCH(qint64, expected);
        QCOMPARE(vellora::RoundHalfEven(num, den), expected);
    }

    void deviceArithmetic_data()
    {
        QTest::addColumn<QRect>("canvas");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("device");
        QTest::addColumn<QSize>("intermediate");
        const QRect photo(40, 140, 300, 400);
        QTest::newRow("300 dpi: canvas box") << photo << 300 << 0 << photo << QSize(300, 400);
        QTest::newRow("300 dpi half resolution") << photo << 300 << 1 << photo << QSize(150, 200);
        QTest::newRow("600 dpi: doubled, full size") << photo << 600 << 0 << QRect(80, 280, 600, 800) << QSize(600, 800);
        QTest::newRow("1200 dpi: four times, 600 dpi raster") << photo << 1200 << 0 << QRect(160, 560, 1200, 1600) << QSize(600, 800);
        QTest::newRow("1200 dpi half") << photo << 1200 << 1 << QRect(160, 560, 1200, 1600) << QSize(300, 400);
        // 150 dpi halves: odd canvas coordinates end on .5 and go to even.
        QTest::newRow("150 dpi halves to even") << QRect(3, 5, 7, 3) << 150 << 0 << QRect(2, 2, 3, 2) << QSize(3, 2);
        QTest::newRow("half of odd size truncates") << QRect(0, 0, 301, 3) << 300 << 1 << QRect(0, 0, 301, 3) << QSize(150, 1);
    }
    void deviceArithmetic()
    {
        QFETCH(QRect, canvas);
        QFETCH(int, dpi);
        QFETCH(int, mode);
        QFETCH(QRect, device);
        QFETCH(QSize, intermediate);
        const QRect box = DeviceBox(canvas, dpi, dpi);
        QCOMPARE(box, device);
        QCOMPARE(IntermediateSize(box.size(), dpi, dpi, mode ? RenderMode::Half : RenderMode::Full), intermediate);
    }

    void textHeights()
    {
        QCOMPARE(CanvasCharHeight(24), 32);  // a 12-point item, doubled, at 96 per inch
        QCOMPARE(DeviceCharHeight(24, 300), 32);
        QCOMPARE(DeviceCharHeight(24, 600), 64);
        QCOMPARE(DeviceCharHeight(24, 1200), 128);
        QCOMPARE(DeviceCharHeight(24, 150), 16);
        QCOMPARE(CanvasCharHeight(20), 27);  // 26.67
        QCOMPARE(DeviceCharHeight(20, 203), 18);  // 27 * 203 / 300 = 18.27
    }

    void greyValue()
    {
        QCOMPARE(GreyValue(QColor(255, 255, 255)), 255);
        QCOMPARE(GreyValue(QColor(255, 0, 0)), 85);
        QCOMPARE(GreyValue(QColor(1, 1, 0)), 0);  // 2 div 3
        QCOMPARE(GreyValueOfColorRef(0x00000080u), 42);   // red 128 in the low byte
        QCOMPARE(GreyValueOfColorRef(0x00C0C0C0u), 192);
        QCOMPARE(GreyValueOfColorRef(0xFF000000u), 0);    // the high byte is not a colour
    }

    void pictureCases_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<bool>("proportional");
        QTest::addColumn<QSize>("bitmap");
        QTest::newRow("proportional 640x480 in 150x200") << QSize(640, 480) << true << true << QSize(300, 225);
        QTest::newRow("proportional, height limits") << QSize(300, 600) << true << true << QSize(200, 400);
        QTest::newRow("proportional enlarges") << QSize(60, 80) << true << true << QSize(300, 400);
        QTest::newRow("proportional rounds") << QSize(700, 300) << true << true << QSize(300, 129);  // 128.57
        QTest::newRow("stretched to the box") << QSize(640, 480) << true << false << QSize(300, 400);
        QTest::newRow("unstretched keeps its size") << QSize(640, 480) << false << false << QSize(640, 480);
    }
    void pictureCases()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, stretch);
        QFETCH(bool, proportional);
        QFETCH(QSize, bitmap);
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, onePhoto(picture, QRect(10, 20, 150, 200), stretch, proportional), Qt::white, {});
        QCOMPARE(canvas.width(), 1026);
        QCOMPARE(canvas.height(), 642);
        QCOMPARE(int(canvas.items().size()), 1);
        QCOMPARE(canvas.items()[0].box, QRect(20, 40, 300, 400));
        QCOMPARE(canvas.items()[0].bitmap.size(), bitmap);
    }

    // The proportional photo sits at the box's top-left corner; the rows
    // below it stay empty in preview and print.
    void proportionalPhotoAnchoredTopLeft()
    {
        CardSideModel side = onePhoto(QSize(640, 480), QRect(10, 20, 150, 200), true, true);
        side.items[0].picture.fill(Qt::red);
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, side, Qt::white, {});
        const QImage preview = RenderPreview(canvas);
        QCOMPARE(preview.pixel(20, 40), qRgb(255, 0, 0));
        QCOMPARE(preview.pixel(319, 264), qRgb(255, 0, 0));
        QCOMPARE(preview.pixel(319, 265), qRgb(255, 255, 255));  // 175 empty rows
        QCOMPARE(preview.pixel(20, 439), qRgb(255, 255, 255));
    }

    void backgroundFileCutOrPadded()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CardSideModel side;
        side.items.push_back(sample::picture("BackImage1", CardItemKind::Background, QRect(0, 0, 513, 321), QImage(), false, false));
        QImage half(513, 321, QImage::Format_RGB32);
        half.fill(Qt::green);
        side.items[0].picture = half;
        Tprintlayoutcanvas canvas;

        // Exactly canvas size: pixel for pixel.
        QImage exact(1026, 642, QImage::Format_RGB32);
        for (int y = 0; y < 642; ++y)
            for (int x = 0; x < 1026; ++x)
                exact.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
        const QString exactPath = dir.filePath("exact.png");
        QVERIFY(exact.save(exactPath));
        ComposeSide(canvas, side, Qt::white, exactPath);
        QCOMPARE(canvas.items()[0].bitmap.convertToFormat(QImage::Format_RGB32), exact);

        // Larger: cut at the right and bottom.
        QImage large(1500, 900, QImage::Format_RGB32);
        large.fill(Qt::blue);
        large.setPixel(1025, 641, qRgb(1, 2, 3));
        const QString largePath = dir.filePath("large.bmp");
        QVERIFY(large.save(largePath));
        ComposeSide(canvas, side, Qt::white, largePath);
        QCOMPARE(canvas.items()[0].bitmap.size(), QSize(1026, 642));
        QCOMPARE(canvas.items()[0].bitmap.pixel(1025, 641), qRgb(1, 2, 3));

        // No file: the card face's half-size picture, padded with white.
        ComposeSide(canvas, side, Qt::white, dir.filePath("missing.png"));
        const QImage &b = canvas.items()[0].bitmap;
        QCOMPARE(b.size(), QSize(1026, 642));
        QCOMPARE(b.pixel(512, 320), qRgb(0, 255, 0));
        QCOMPARE(b.pixel(513, 320), qRgb(255, 255, 255));
        QCOMPARE(b.pixel(100, 321), qRgb(255, 255, 255));

        // A file that exists but is no picture: an error for the caller.
        const QString broken = dir.filePath("broken.jpg");
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        f.close();
        QVERIFY_THROWS_EXCEPTION(PrintError, ComposeSide(canvas, side, Qt::white, broken));
    }

    void unreadablePhotoFileIsAnError()
    {
        QTemporaryDir dir;
        const QString broken = dir.filePath("17.jpg");
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xff\xd8 truncated");
        f.close();
        CardSideModel side;
        CardItem photo = sample::picture("Image1", CardItemKind::Photo, QRect(0, 0, 100, 100), QImage());
        photo.pictureFile = broken;
        side.items.push_back(photo);
        Tprintlayoutcanvas canvas;
        try {
            ComposeSide(canvas, side, Qt::white, {});
            QFAIL("no error");
        } catch (const PrintError &e) {
            QVERIFY2(e.message().contains(broken), qPrintable(e.message()));
        }
    }

    void whichItemsAndTheirText()
    {
        CardSideModel side = sample::front();
        side.find("secphot")->visible = false;
        CardItem other;
        other.name = "CardCaption";
        other.kind = CardItemKind::Other;
        other.geometry = QRect(0, 0, 10, 10);
        other.text = "note";
        side.items.push_back(other);
        side.find("Title")->text = "line one\r\nline two";
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, side, Qt::white, {});
        QStringList names;
        for (const CanvasItem &c : canvas.items())
            names << c.name;
        QCOMPARE(names, (QStringList{"BackImage1", "statimage1", "statlabel1", "statlabel2", "statlabel4", "statlabel3", "Image1",
                                     "Card_Number", "First_name", "Last_name", "Title", "Department", "Sparefield1"}));
        const CanvasItem &label = canvas.items()[2];
        QCOMPARE(label.font.size, 60);
        QCOMPARE(label.font.face, QString("Arial Black"));
        QCOMPARE(label.font.colour, QColor(Qt::white));
        QVERIFY(!label.wordWrap);
        QCOMPARE(label.box, QRect(36, 20, 840, 96));
        const CanvasItem &title = canvas.items()[10];
        QVERIFY(title.wordWrap);  // field items always wrap
        QCOMPARE(title.text, QString("line one\nline two"));
    }

    void panelOrder()
    {
        for (CardSideId s : {CardSideId::Front, CardSideId::Back}) {
            CardSideModel m;
            m.side = s;
            const QStringList order = StandardStackingOrder(s);
            QStringList shuffled = order;
            std::reverse(shuffled.begin(), shuffled.end());
            CardItem field;
            field.kind = CardItemKind::FieldItem;
            field.name = SideItemName(s, "Zeta");
            m.items.push_back(field);
            for (const QString &n : shuffled) {
                CardItem i;
                i.name = SideItemName(s, n);
                i.kind = n.startsWith("stat") && n.contains("label") ? CardItemKind::FreeText : CardItemKind::Photo;
                m.items.push_back(i);
            }
            field.name = SideItemName(s, "Alpha");
            m.items.push_back(field);
            PutInPanelOrder(m);
            QStringList got;
            for (const CardItem &i : m.items)
                got << i.name;
            QStringList expected;
            for (const QString &n : order)
                expected << SideItemName(s, n);
            expected << SideItemName(s, "Zeta") << SideItemName(s, "Alpha");
            QCOMPARE(got, expected);
        }
        QCOMPARE(StandardStackingOrder(CardSideId::Front).last(), QString("Image1"));
        QCOMPARE(StandardStackingOrder(CardSideId::Back).indexOf("Image1"), 3);
    }

    void monochromeComposition()
    {
        CardSideModel side = sample::front();
        side.monochrome = true;
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, side, Qt::white, {});
        for (const CanvasItem &c : canvas.items()) {
            if (c.kind == CanvasItem::Kind::Text) {
                QCOMPARE(c.font.colour, QColor(Qt::black));
                continue;
            }
            for (int y = 0; y < c.bitmap.height(); y += 7)
                for (int x = 0; x < c.bitmap.width(); x += 7) {
                    const QRgb p = c.bitmap.pixel(x, y);
                    QVERIFY(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
                }
        }
        const QRgb blue = canvas.items()[0].bitmap.pixel(0, 0);  // the band's (10, 60, 140)
        QCOMPARE(qRed(blue), 70);
    }

    void previewClipsAndDrawsTransparently()
    {
        CardSideModel side;
        QImage big(400, 400, QImage::Format_RGB32);
        big.fill(Qt::red);
        side.items.push_back(sample::picture("statimage1", CardItemKind::StaticPicture, QRect(10, 10, 50, 50), big, false, false));
        side.items.push_back(sample::text("statlabel2", CardItemKind::FreeText, QRect(10, 10, 50, 20), "I", sample::font("Arial", 12)));
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, side, Qt::white, {});
        const QImage preview = RenderPreview(canvas);
        QCOMPARE(preview.size(), QSize(1026, 642));
        QCOMPARE(preview.pixel(119, 119), qRgb(255, 0, 0));
        QCOMPARE(preview.pixel(120, 119), qRgb(255, 255, 255));  // clipped to the box
        QCOMPARE(preview.pixel(119, 120), qRgb(255, 255, 255));
        QCOMPARE(preview.pixel(110, 58), qRgb(255, 0, 0));  // right of the "I": the label has no background
        QVERIFY(inkBounds(preview, QRect(20, 20, 100, 40), 60).isValid());  // the text is drawn over the picture

        // The printed page shows the whole unclipped picture from the box's corner.
        QTemporaryDir dir;
        RecordingPrinter printer({dir.path(), 300, OrientationReset::Accepted, {}});
        printer.beginDocument("clip");
        RenderSideToDevice(canvas, printer, RenderMode::Full);
        QCOMPARE(printer.bitmaps[0].destination, QRect(20, 20, 400, 400));
        printer.abortDocument();
    }

    // Texts print as the card face shows them: "R&D" is R, an ampersand and
    // D, with no underline; "&&" is two ampersands.
    void ampersands()
    {
        auto render = [](const QString &text) {
            CardSideModel side;
            side.items.push_back(sample::text("statlabel2", CardItemKind::FreeText, QRect(10, 10, 200, 40), text, sample::font("Arial", 12, Qt::black, false)));
            Tprintlayoutcanvas canvas;
            ComposeSide(canvas, side, Qt::white, {});
            return RenderPreview(canvas);
        };
        auto drawn = [](const QString &text) {
            QImage out(1026, 642, QImage::Format_RGB32);
            out.fill(Qt::white);
            QPainter p(&out);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            DeviceFont f;
            f.face = "Arial";
            f.pixelHeight = CanvasCharHeight(24);
            p.setFont(QtFontFor(f));
            p.setPen(Qt::black);
            p.drawText(QRect(20, 20, 400, 80), Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, text);
            return out;
        };
        const QRect area(20, 20, 400, 80);
        const QRect plain = inkBounds(render("RD"), area);
        const QRect marked = inkBounds(render("R&D"), area);
        QVERIFY(plain.isValid());
        QVERIFY2(marked.right() > plain.right() + 10, "the ampersand is drawn");
        QCOMPARE(marked.bottom(), plain.bottom());  // nothing underlined
        QCOMPARE(render("R&D Lab"), drawn("R&D Lab"));
        QCOMPARE(render("R&&D"), drawn("R&&D"));

        // On the printer's page too.
        QTemporaryDir dir;
        CardSideModel side;
        side.items.push_back(sample::text("statlabel1", CardItemKind::FreeText, QRect(10, 10, 200, 40), "R&D", sample::font("Arial", 12, Qt::black, false)));
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, side, Qt::white, {});
        RecordingPrinter printer({dir.path(), 300, OrientationReset::Accepted, {}});
        printer.beginDocument("ampersand");
        RenderSideToDevice(canvas, printer, RenderMode::Full);
        printer.endDocument();
        const QImage page(printer.jobs().back().pages[0].imageFile);
        const QImage preview = RenderPreview(canvas);
        QCOMPARE(inkBounds(page, area), inkBounds(preview, area));
    }

    // A text longer than its box prints its first line and every further
    // line that fits whole, never a sliver of the next.
    void textsPrintWholeLinesOnly()
    {
        const QString value = "Anna-Katharina Maximiliane";
        auto compose = [](const QString &text, int height) {
            CardSideModel side;
            side.items.push_back(sample::text("First_name", CardItemKind::FieldItem, QRect(24, 109, 303, height), text, sample::font("Arial", 24)));
            Tprintlayoutcanvas canvas;
            ComposeSide(canvas, side, Qt::white, {});
            return canvas;
        };
        // One and a half lines high: the first line only.
        const Tprintlayoutcanvas longer = compose(value, 55);
        const Tprintlayoutcanvas firstLine = compose("Anna-Katharina", 55);
        QCOMPARE(RenderPreview(longer), RenderPreview(firstLine));
        QTemporaryDir dir;
        QStringList printed;
        for (const Tprintlayoutcanvas *canvas : {&longer, &firstLine}) {
            RecordingPrinter printer({dir.path(), 300, OrientationReset::Accepted, {}});
            printer.beginDocument("lines");
            RenderSideToDevice(*canvas, printer, RenderMode::Full);
            printer.endDocument();
            printed << printer.jobs().back().pages[0].imageFile;
        }
        QCOMPARE(QImage(printed[0]), QImage(printed[1]));
        // Two lines high: both lines.
        QVERIFY(RenderPreview(compose(value, 80)) != RenderPreview(compose("Anna-Katharina", 80)));
        // Lines by their breaks, too; a box lower than one line keeps it.
        QFont font = QtFontFor(DeviceFont{"Arial", 64, Qt::black, true, false, false, false});
        const int lineHeight = QFontMetrics(font).lineSpacing();
        QCOMPARE(WholeLines(font, QSize(600, lineHeight + lineHeight / 2), "one\ntwo", Qt::TextWordWrap), QString("one"));
        QCOMPARE(WholeLines(font, QSize(600, 3 * lineHeight), "one\ntwo", Qt::TextWordWrap), QString("one\ntwo"));
        QCOMPARE(WholeLines(font, QSize(600, lineHeight / 2), "one\ntwo", Qt::TextWordWrap), QString("one"));
    }

    // Pictures print through the card face's loader: what it refuses does
    // not print either.
    void picturesLoadAsOnTheCardFace()
    {
        QTemporaryDir dir;
        CardSideModel side;
        side.items.push_back(sample::picture("BackImage1", CardItemKind::Background, QRect(0, 0, 513, 321), QImage(), false, false));
        Tprintlayoutcanvas canvas;
        // Wider than any picture the program reads.
        QImage wide(kMaxPictureSide + 1, 2, QImage::Format_RGB32);
        wide.fill(Qt::blue);
        const QString widePath = dir.filePath("wide.png");
        QVERIFY(wide.save(widePath));
        QVERIFY_THROWS_EXCEPTION(PhotoError, LoadScaledPicture(widePath, 50));
        QVERIFY_THROWS_EXCEPTION(PrintError, ComposeSide(canvas, side, Qt::white, widePath));
        side.items[0].pictureFile = widePath;
        side.items[0].kind = CardItemKind::StaticPicture;
        side.items[0].name = "statimage1";
        QVERIFY_THROWS_EXCEPTION(PrintError, ComposeSide(canvas, side, Qt::white, {}));

        // A JPEG prints the pixels the card face decodes.
        QImage photo(1026, 642, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        const QString jpeg = dir.filePath("back.jpg");
        QVERIFY(photo.save(jpeg, "JPG", 90));
        CardSideModel back;
        back.items.push_back(sample::picture("BackImage1", CardItemKind::Background, QRect(0, 0, 513, 321), QImage(), false, false));
        ComposeSide(canvas, back, Qt::white, jpeg);
        QCOMPARE(canvas.items()[0].bitmap.convertToFormat(QImage::Format_RGB32),
                 LoadPicture(jpeg).convertToFormat(QImage::Format_RGB32));
    }

    void deviceOutput_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("mode");
        QTest::newRow("300") << 300 << 0;
        QTest::newRow("300 half") << 300 << 1;
        QTest::newRow("600") << 600 << 0;
        QTest::newRow("1200") << 1200 << 0;
        QTest::newRow("150") << 150 << 0;
    }
    void deviceOutput()
    {
        QFETCH(int, dpi);
        QFETCH(int, mode);
        QTemporaryDir dir;
        CardSideModel side;
        QImage red(640, 480, QImage::Format_RGB32);
        red.fill(Qt::red);
        side.items.push_back(sample::picture("Image1", CardItemKind::Photo, QRect(10, 20, 150, 200), red));
        side.items.push_back(sample::text("First_name", CardItemKind::FieldItem, QRect(200, 20, 200, 40), "Maria", sample::font("Arial", 12)));
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, side, Qt::white, {});
        RecordingPrinter printer({dir.path(), dpi, OrientationReset::Accepted, {}});
        printer.beginDocument("device");
        RenderSideToDevice(canvas, printer, mode ? RenderMode::Half : RenderMode::Full);
        QCOMPARE(printer.bitmaps.size(), 1);
        const QRect expected = DeviceBox(QRect(20, 40, 300, 225), dpi, dpi);
        QCOMPARE(printer.bitmaps[0].destination, expected);
        QCOMPARE(printer.bitmaps[0].size, IntermediateSize(expected.size(), dpi, dpi, mode ? RenderMode::Half : RenderMode::Full));
        QVERIFY(printer.bitmaps[0].size.width() <= 300 * 600 / 300);
        QCOMPARE(printer.fonts.size(), 1);
        QCOMPARE(printer.fonts[0].pixelHeight, DeviceCharHeight(24, dpi));
        QCOMPARE(printer.texts[0].first, DeviceBox(QRect(400, 40, 400, 80), dpi, dpi));
        printer.endDocument();
        const QImage page(printer.jobs().back().pages[0].imageFile);
        const QPoint inside = expected.center();
        QCOMPARE(page.pixel(inside), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(expected.right() + 2, inside.y()), qRgb(255, 255, 255));
        QCOMPARE(page.pixel(inside.x(), expected.bottom() + 2), qRgb(255, 255, 255));
    }

    void monochromePrintIsBlackAndWhite()
    {
        QTemporaryDir dir;
        CardSideModel side = sample::front();
        side.monochrome = true;
        // No texts: every printed pixel comes from a picture.
        std::erase_if(side.items, [](const CardItem &i) { return i.isText(); });
        Tprintlayoutcanvas canvas;
        ComposeSide(canvas, side, Qt::white, {});
        RecordingPrinter printer({dir.path(), 300, OrientationReset::Accepted, {}});
        printer.beginDocument("mono");
        RenderSideToDevice(canvas, printer, RenderMode::Full);
        printer.endDocument();
        const QImage page = QImage(printer.jobs().back().pages[0].imageFile).convertToFormat(QImage::Format_RGB32);
        int black = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb p = page.pixel(x, y) & 0xffffff;
                QVERIFY2(p == 0 || p == 0xffffff, qPrintable(QString("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 6, 16)));
                black += p == 0;
            }
        QVERIFY(black > page.width() * page.height() / 20);
    }

    void ditherMatchesTheColumnScan_data()
    {
        QTest::addColumn<QImage>("image");
        QImage noise(97, 61, QImage::Format_RGB32);
        QRandomGenerator rng(7);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, rng.generate() | 0xff000000u);
        QTest::newRow("noise") << noise;
        QImage ramp(256, 40, QImage::Format_RGB32);
        for (int y = 0; y < ramp.height(); ++y)
            for (int x = 0; x < ramp.width(); ++x)
                ramp.setPixel(x, y, qRgb(x, (x + y) % 256, 255 - x));
        QTest::newRow("ramp") << ramp;
        QTest::newRow("photo") << sample::photoPicture(QSize(120, 150));
        QImage grey(33, 17, QImage::Format_RGB32);
        grey.fill(qRgb(128, 128, 128));
        QTest::newRow("flat grey at the threshold") << grey;
        QImage column(1, 50, QImage::Format_RGB32);
        column.fill(qRgb(100, 100, 100));
        QTest::newRow("single column") << column;
        QImage row(50, 1, QImage::Format_RGB888);
        row.fill(qRgb(200, 10, 90));
        QTest::newRow("single row, 24-bit") << row;
    }
    void ditherMatchesTheColumnScan()
    {
        QFETCH(QImage, image);
        QImage fast = image;
        DitherToBlackWhite(fast);
        QCOMPARE(fast.convertToFormat(QImage::Format_RGB32), referenceDither(image));
    }

    void transferRejectsCoordinatesBeyond16Bits()
    {
        QTemporaryDir dir;
        VirtualCardPrinter printer({dir.path(), 300, OrientationReset::Accepted, {}});
        printer.beginDocument("range");
        QImage img(2, 2, QImage::Format_RGB32);
        img.fill(Qt::black);
        QVERIFY_THROWS_EXCEPTION(PrintError, TransferBitmapToDevice(printer, 40000, 0, 10, 10, img));
        TransferBitmapToDevice(printer, 0, 0, 10, 10, img);
        printer.abortDocument();
    }
};

QTEST_MAIN(TestRender)
#include "test_render.moc"
