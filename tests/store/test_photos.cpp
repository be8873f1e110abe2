// Photo files: naming and case-insensitive lookup, JPEG writing and reading,
// the bitmap fall-back, refusing bad files, and the card face refresh.
#include "store/CardPhotos.h"
#include "engine/util/FileLookup.h"
#include "store/PhotoItem.h"
#include "store/Photos.h"
#include "support/TempProgramFolder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace vellora;
using namespace vellora::test;

namespace {

QImage Solid(QColor colour, int w = 60, int h = 80)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage Gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) % 256));
    return image;
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray EncodeWithQt(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

// Colour distance of the item's picture centre from `colour`.
// Mean difference per channel of two pictures of the same size.
double MeanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size() || x.isNull())
        return 255;
    qint64 sum = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (3.0 * x.width() * x.height());
}

// Blocks of 4 x 4 pixels in colours that change from block to block: a
// decoding at a quarter of the size or less smears them.
QImage Blocks(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int bx = x / 4, by = y / 4;
            image.setPixel(x, y, ((bx + by) % 2) ? qRgb(240, 240, 240) : qRgb(20, 60 + bx % 100, 30 + by % 150));
        }
    return image;
}

// What the item shows on the screen, painted into a picture of its size.
QImage Painted(PhotoItem &item)
{
    return item.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int Distance(const QImage &image, QColor colour)
{
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    return qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) + qAbs(c.blue() - colour.blue());
}

// A JPEG whose frame header claims w x h pixels (the scan data stays that of
// a tiny picture): what a decompression bomb looks like to the reader.
QByteArray JpegClaiming(int w, int h)
{
    QByteArray bytes = EncodeWithQt(Solid(Qt::gray, 16, 16), "jpeg");
    for (int i = 2; i + 9 < bytes.size(); ++i) {
        const auto m = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
            qToBigEndian<quint16>(quint16(h), bytes.data() + i + 5);
            qToBigEndian<quint16>(quint16(w), bytes.data() + i + 7);
            return bytes;
        }
    }
    return {};
}

// A 24-bit BMP header claiming w x h pixels, followed by a few bytes.
QByteArray BmpClaiming(int w, int h)
{
    QByteArray b(54 + 64, '\0');
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<quint32>(quint32(b.size()), b.data() + 2);
    qToLittleEndian<quint32>(54, b.data() + 10);
    qToLittleEndian<quint32>(40, b.data() + 14);
    qToLittleEndian<qint32>(w, b.data() + 18);
    qToLittleEndian<qint32>(h, b.data() + 22);
    qToLittleEndian<quint16>(1, b.data() + 26);
    qToLittleEndian<quint16>(24, b.data() + 28);
    return b;
}

// The standard luminance quantisation table (natural order) and the table
// libjpeg derives from it for a quality.
QList<int> LuminanceTableFor(int quality)
{
    static const int base[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                 14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                 18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    QList<int> out;
    for (int v : base)
        out << qBound(1, (v * scale + 50) / 100, 255);
    return out;
}

// Table 0 of the file's first DQT segment, in natural order.
QList<int> FirstQuantTable(const QByteArray &jpeg)
{
    static const int zigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                   12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                   35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                   58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    const int at = jpeg.indexOf(QByteArray("\xFF\xDB", 2));
    if (at < 0 || at + 5 + 64 > jpeg.size() || (jpeg[at + 4] & 0xF0) != 0)
        return {};
    QList<int> natural(64);
    for (int i = 0; i < 64; ++i)
        natural[zigzag[i]] = static_cast<unsigned char>(jpeg[at + 5 + i]);
    return natural;
}

}  // namespace

class TestPhotos : public QObject {
    Q_OBJECT

    QString images(const TempProgramFolder &f) { return f.file("data/images/"); }

    // Folder with data/images/ and the items of one card face.
    struct Face {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        PhotoItem image1, secphot, image1Back, secphotBack;
        CardFacePhotos photos;
        Face(bool doubleSided = false)
        {
            QDir().mkpath(folder.file("data/images"));
            photos = {&image1, &secphot, &image1Back, &secphotBack, Solid(Qt::green, 30, 40), doubleSided};
        }
        void refresh(const QString &number = QStringLiteral("17")) { RefreshCardPhotos(photos, folder.path(), number); }
        bool shows(const PhotoItem &item, QColor colour) { return Distance(item.picture(), colour) < 40; }
        bool showsPlaceholder(const PhotoItem &item) { return item.picture() == photos.placeholder; }
    };

private slots:
    void photoPathsFollowTheCardNumber()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        QDir().mkpath(folder.file("data/images"));
        QCOMPARE(PhotoSuffix(PhotoSlot::First), QString());
        QCOMPARE(PhotoSuffix(PhotoSlot::Second), QString("-2"));
        QCOMPARE(PhotoSuffixForItem("SecPhot_b"), QString("-2"));
        QCOMPARE(PhotoSuffixForItem("Image1_b"), QString());
        QCOMPARE(PhotoPath(folder.path(), "17", ""), folder.file("data/images/17.jpg"));
        QCOMPARE(PhotoPath(folder.path(), "17", "-2"), folder.file("data/images/17-2.jpg"));
        QCOMPARE(PhotoBitmapPath(folder.path(), "17", "-2"), folder.file("data/images/17-2.bmp"));
        // Nothing outside the photo folder can be named.
        for (const char *bad : {"", " ", "..", "../17", "a/b", "a\\b"})
            QVERIFY2(PhotoPath(folder.path(), bad, "").isEmpty(), bad);
    }

    void filesAreFoundWhateverTheirLetterCase()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        QDir().mkpath(folder.file("Data/Images"));
        WriteBytes(folder.file("Data/Images/17.JPG"), "x");
        WriteBytes(folder.file("Data/CardSet1.DB"), "x");
        QCOMPARE(PhotoPath(folder.path(), "17", ""), folder.file("Data/Images/17.JPG"));
        QCOMPARE(ResolveCaseInsensitive(folder.path(), "data/cardset1.db"), folder.file("Data/CardSet1.DB"));
        QVERIFY(FileExistsCaseInsensitive(folder.path(), "DATA/cardset1.DB"));
        // A missing file resolves below the existing folders, ready to be written.
        QCOMPARE(PhotoPath(folder.path(), "18", "-2"), folder.file("Data/Images/18-2.jpg"));
        QVERIFY(!FileExistsCaseInsensitive(folder.path(), "data/images"));  // a folder, not a file
        // An exact spelling wins over another one.
        WriteBytes(folder.file("Data/Images/17.jpg"), "y");
        QCOMPARE(PhotoPath(folder.path(), "17", ""), folder.file("Data/Images/17.jpg"));
    }

    // The folder's listing is kept between lookups: files another program
    // adds or removes are still seen, and so are the program's own writes
    // even when the folder's time does not show them.
    void keptListingFollowsTheFolder()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        const QString dir = folder.file("data/images");
        QDir().mkpath(dir);
        WriteBytes(dir + "/A.JPG", "x");
        const timespec old[2] = {{1577836800, 0}, {1577836800, 0}};  // 2020-01-01
        auto backdate = [&] { QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(dir).constData(), old, 0), 0); };
        backdate();
        QCOMPARE(PhotoPath(folder.path(), "a", ""), dir + "/A.JPG");  // listed now

        // Behind the program's back.
        WriteBytes(dir + "/B.JPG", "x");
        QCOMPARE(PhotoPath(folder.path(), "b", ""), dir + "/B.JPG");
        QVERIFY(QFile::remove(dir + "/A.JPG"));
        QVERIFY(!QFileInfo::exists(PhotoPath(folder.path(), "a", "")));
        QVERIFY(!FileExistsCaseInsensitive(folder.path(), "data/images/a.jpg"));

        // The program's own writes and deletions, on a file system whose
        // clock did not move.
        backdate();
        QCOMPARE(PhotoPath(folder.path(), "c", ""), dir + "/c.jpg");  // listed again, without c.jpg
        WriteBytes(dir + "/c.jpg", "x");
        backdate();
        NoteFileWritten(dir + "/c.jpg");
        QCOMPARE(ResolveCaseInsensitive(folder.path(), "DATA/IMAGES/C.JPG"), dir + "/c.jpg");
        WriteBytes(dir + "/d.jpg", "x");
        WriteBytes(dir + "/D.JPG", "x");
        backdate();
        QCOMPARE(ResolveCaseInsensitive(dir, "d.Jpg"), dir + "/D.JPG");  // the first in name order
        QVERIFY(QFile::remove(dir + "/D.JPG"));
        backdate();
        NoteFileRemoved(dir + "/D.JPG");
        QCOMPARE(ResolveCaseInsensitive(dir, "d.Jpg"), dir + "/d.jpg");  // the other spelling is left
        // SaveJpeg tells the resolver too.
        SaveJpeg(Solid(Qt::red), dir + "/e.jpg");
        QCOMPARE(PhotoPath(folder.path(), "E", ""), dir + "/e.jpg");
    }

    void jpegRoundTripAtQuality90()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        const QString path = folder.file("photo.jpg");
        const QImage original = Gradient(300, 400);
        SaveJpeg(original, path);
        const QByteArray bytes = ReadBytes(path);
        QCOMPARE(FirstQuantTable(bytes), LuminanceTableFor(90));
        QVERIFY(FirstQuantTable(bytes) != LuminanceTableFor(75));

        const QImage loaded = LoadJpeg(path);
        QCOMPARE(loaded.size(), original.size());
        qint64 error = 0;
        for (int y = 0; y < 400; y += 7)
            for (int x = 0; x < 300; x += 7) {
                const QRgb a = original.pixel(x, y), b = loaded.pixel(x, y);
                error += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
            }
        const double perPixel = double(error) / ((400 / 7 + 1) * (300 / 7 + 1));
        QVERIFY2(perPixel < 12.0, qPrintable(QString::number(perPixel)));
        // Qt's reader agrees with ours.
        QCOMPARE(QImage(path).size(), QSize(300, 400));
    }

    void savingReplacesWholeFilesOnly()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        const QString path = folder.file("17.jpg");
        SaveJpeg(Solid(Qt::red), path);
        SaveJpeg(Solid(Qt::blue, 30, 20), path);
        QCOMPARE(LoadJpeg(path).size(), QSize(30, 20));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"17.jpg"});  // no temporary left

        const QByteArray before = ReadBytes(path);
        QVERIFY_THROWS_EXCEPTION(PhotoError, SaveJpeg(QImage(), path));
        QVERIFY_THROWS_EXCEPTION(PhotoError, SaveJpeg(Solid(Qt::red), folder.file("missing/17.jpg")));
        QCOMPARE(ReadBytes(path), before);

        // Transparent parts become white rather than black.
        QImage clear(10, 10, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        SaveJpeg(clear, path);
        QVERIFY(Distance(LoadJpeg(path), Qt::white) < 10);
    }

    void greyAndCmykJpegsLoad()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        QImage grey(20, 10, QImage::Format_Grayscale8);
        grey.fill(200);
        WriteBytes(folder.file("g.jpg"), EncodeWithQt(grey, "jpeg"));
        const QImage loaded = LoadJpeg(folder.file("g.jpg"));
        QCOMPARE(loaded.size(), QSize(20, 10));
        QVERIFY(qAbs(qGray(loaded.pixel(5, 5)) - 200) < 4);
        QCOMPARE(LoadPicture(folder.file("g.jpg")).size(), QSize(20, 10));
    }

    void badPhotoFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        const QByteArray good = EncodeWithQt(Gradient(64, 64), "jpeg");
        QByteArray corruptHeader = good;
        corruptHeader.replace(corruptHeader.indexOf(QByteArray("\xFF\xC0", 2)), 2, QByteArray("\xFF\xCC", 2));
        QTest::newRow("empty jpeg") << QByteArray() << "17.jpg";
        QTest::newRow("text as jpeg") << QByteArray("not a picture at all\n") << "17.jpg";
        QTest::newRow("truncated jpeg") << good.left(good.size() / 2) << "17.jpg";
        QTest::newRow("header only") << good.left(20) << "17.jpg";
        QTest::newRow("damaged frame header") << corruptHeader << "17.jpg";
        QTest::newRow("zero-size jpeg") << JpegClaiming(0, 0) << "17.jpg";
        QTest::newRow("jpeg bomb 60000x60000") << JpegClaiming(60000, 60000) << "17.jpg";
        QTest::newRow("jpeg too wide") << JpegClaiming(12001, 16) << "17.jpg";
        QTest::newRow("png named jpg") << EncodeWithQt(Solid(Qt::red), "png") << "17.jpg";
        QTest::newRow("empty bmp") << QByteArray() << "17.bmp";
        QTest::newRow("text as bmp") << QByteArray("BM garbage") << "17.bmp";
        QTest::newRow("bmp bomb 60000x60000") << BmpClaiming(60000, 60000) << "17.bmp";
        QTest::newRow("bmp negative size") << BmpClaiming(-5, 10) << "17.bmp";
        QByteArray extreme = BmpClaiming(std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min());
        qToLittleEndian<quint16>(0xFFFF, extreme.data() + 28);   // bits per pixel
        QTest::newRow("bmp header numbers at their limits") << extreme << "17.bmp";
        QTest::newRow("bmp truncated") << EncodeWithQt(Solid(Qt::red), "bmp").left(70) << "17.bmp";
    }

    void badPhotoFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        Face face;
        const QString path = face.folder.file("data/images/" + name);
        WriteBytes(path, bytes);
        if (name.endsWith(".jpg"))
            QVERIFY_THROWS_EXCEPTION(PhotoError, LoadJpeg(path));
        // A PNG is a picture, only not a JPEG photo.
        if (QTest::currentDataTag() != QByteArray("png named jpg"))
            QVERIFY_THROWS_EXCEPTION(PhotoError, LoadPicture(path));

        // On the card face: the placeholder, no crash, and the second photo
        // still shows.
        SaveJpeg(Solid(Qt::blue), face.folder.file("data/images/17-2.jpg"));
        face.image1.setPicture(Solid(Qt::red));
        face.refresh();
        QVERIFY(face.showsPlaceholder(face.image1));
        QVERIFY(face.shows(face.secphot, Qt::blue));
    }

    void picturesAtTheSizeLimitLoad()
    {
        TempProgramFolder folder{TempProgramFolder::Empty{}};
        SaveJpeg(Solid(Qt::red, kMaxPictureSide, 2), folder.file("wide.jpg"));
        QCOMPARE(LoadJpeg(folder.file("wide.jpg")).size(), QSize(kMaxPictureSide, 2));
        WriteBytes(folder.file("wide.png"), EncodeWithQt(Solid(Qt::red, kMaxPictureSide + 1, 2), "png"));
        QVERIFY_THROWS_EXCEPTION(PhotoError, LoadPicture(folder.file("wide.png")));
        QVERIFY(PictureSizeAcceptable(kMaxPictureSide, 4000));
        QVERIFY(!PictureSizeAcceptable(kMaxPictureSide, kMaxPictureSide));  // over the pixel budget
    }

    void jpegWinsOverBitmap()
    {
        Face face;
        SaveJpeg(Solid(Qt::red), face.folder.file("data/images/17.jpg"));
        QVERIFY(Solid(Qt::blue).save(face.folder.file("data/images/17.bmp")));
        face.refresh();
        QVERIFY(face.shows(face.image1, Qt::red));
        QVERIFY(!face.image1.proportional());
        QVERIFY(face.showsPlaceholder(face.secphot));

        QFile::remove(face.folder.file("data/images/17.jpg"));
        face.refresh();
        QVERIFY(face.shows(face.image1, Qt::blue));
    }

    void secondPhotoIsProportionalOnlyWhenFound()
    {
        Face face;
        QVERIFY(Solid(Qt::blue, 40, 40).save(face.folder.file("data/images/17-2.bmp")));
        face.refresh();
        QVERIFY(face.shows(face.secphot, Qt::blue));
        QVERIFY(face.secphot.proportional());
        QVERIFY(face.showsPlaceholder(face.image1));

        face.refresh("18");  // a card without photos
        QVERIFY(face.showsPlaceholder(face.secphot));
        QVERIFY(!face.secphot.proportional());

        SaveJpeg(Solid(Qt::red), face.folder.file("data/images/18-2.JPG"));
        face.refresh("18");
        QVERIFY(face.shows(face.secphot, Qt::red));
        QVERIFY(face.secphot.proportional());

        face.refresh("");  // no current card
        QVERIFY(face.showsPlaceholder(face.image1));
        QVERIFY(face.showsPlaceholder(face.secphot));
    }

    void backItemsFollowTheFrontWhenDoubleSided()
    {
        Face single(false);
        SaveJpeg(Solid(Qt::red), single.folder.file("data/images/17.jpg"));
        SaveJpeg(Solid(Qt::blue), single.folder.file("data/images/17-2.jpg"));
        single.refresh();
        QVERIFY(single.image1Back.picture().isNull());

        Face both(true);
        SaveJpeg(Solid(Qt::red), both.folder.file("data/images/17.jpg"));
        SaveJpeg(Solid(Qt::blue), both.folder.file("data/images/17-2.jpg"));
        both.refresh();
        QCOMPARE(both.image1Back.picture(), both.image1.picture());
        QCOMPARE(both.secphotBack.picture(), both.secphot.picture());
        QVERIFY(both.secphotBack.proportional());
        QVERIFY(!both.image1Back.proportional());
    }

    void storePhotoWritesAndShowsWhatWasStored()
    {
        Face face;
        face.secphot.setPicture(Gradient(120, 90));
        QVERIFY(StorePhoto(&face.secphot, "-2", face.folder.path(), "17"));
        const QString path = face.folder.file("data/images/17-2.jpg");
        QVERIFY(QFile::exists(path));
        QCOMPARE(face.secphot.picture(), LoadJpeg(path));

        // No card number: nothing is written.
        face.image1.setPicture(Solid(Qt::red));
        QVERIFY(!StorePhoto(&face.image1, "", face.folder.path(), ""));
        QCOMPARE(QDir(face.folder.file("data/images")).entryList(QDir::Files), QStringList{"17-2.jpg"});

        // Without a photo folder the caller hears of it and the item keeps its picture.
        QVERIFY(QDir(face.folder.file("data/images")).removeRecursively());
        QVERIFY_THROWS_EXCEPTION(PhotoError, StorePhoto(&face.image1, "", face.folder.path(), "17"));
        QVERIFY(face.shows(face.image1, Qt::red));
        face.refresh();
        QVERIFY(face.showsPlaceholder(face.image1));
    }

    void screenDecodingFollowsTheBoxAndPrintingGetsTheWholePicture()
    {
        // The scale chosen for a 300 x 400 photo: as small as still covers
        // the box (sides rounded up), whole when unstretched or unknown.
        const struct {
            QSize box;
            bool stretch;
            int eighths;
        } cases[] = {
            {{150, 200}, true, 4}, {{75, 100}, true, 2}, {{38, 50}, true, 1}, {{39, 50}, true, 2},
            {{151, 200}, true, 8}, {{150, 200}, false, 8}, {{0, 0}, true, 8},
        };
        for (const auto &c : cases)
            QCOMPARE(JpegEighthsFor({300, 400}, c.box, c.stretch), c.eighths);

        Face face;
        const QString path = face.folder.file("data/images/17.jpg");
        SaveJpeg(Blocks(300, 400), path);
        const QImage whole = LoadJpeg(path);
        const QImage reference = whole.scaled(150, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        face.image1.resize(150, 200);
        face.refresh();
        QCOMPARE(face.image1.pictureSize(), QSize(300, 400));
        QVERIFY2(MeanDifference(Painted(face.image1), reference) < 12,
                 qPrintable(QString::number(MeanDifference(Painted(face.image1), reference))));
        // Printing and the clipboard get the whole picture, and so does the
        // back item that shares it.
        QCOMPARE(face.image1.picture(), whole);

        // Shown first in a tiny box, then the box grows: the screen decodes
        // the photo again, finer, instead of blowing up the tiny one.
        Face grown;
        SaveJpeg(Blocks(300, 400), grown.folder.file("data/images/17.jpg"));
        grown.image1.resize(20, 25);
        grown.refresh();
        grown.image1.resize(300, 400);
        QVERIFY2(MeanDifference(Painted(grown.image1), whole) < 6,
                 qPrintable(QString::number(MeanDifference(Painted(grown.image1), whole))));

        // A damaged file shows the placeholder and is remembered as before.
        Face damaged;
        const QByteArray bytes = ReadBytes(path);
        WriteBytes(damaged.folder.file("data/images/17.jpg"), bytes.left(bytes.size() / 2));
        damaged.image1.resize(150, 200);
        damaged.refresh();
        QVERIFY(damaged.showsPlaceholder(damaged.image1));
        QCOMPARE(damaged.image1.unreadablePhoto(), damaged.folder.file("data/images/17.jpg"));
    }

    void proportionalPicturesKeepTheirShape()
    {
        // 640 x 480 into 300 x 400: scale 0.46875, anchored top-left.
        QCOMPARE(PhotoItem::PictureRect({640, 480}, {300, 400}, true, true), QRect(0, 0, 300, 225));
        QCOMPARE(PhotoItem::PictureRect({640, 480}, {300, 400}, true, false), QRect(0, 0, 300, 400));
        QCOMPARE(PhotoItem::PictureRect({640, 480}, {300, 400}, false, true), QRect(0, 0, 640, 480));
        // Sizes round halves to even: 4 x 2 at 1.25 gives 5 x 2.5 -> 5 x 2.
        QCOMPARE(PhotoItem::PictureRect({4, 2}, {5, 5}, true, true), QRect(0, 0, 5, 2));
        QCOMPARE(PhotoItem::PictureRect({4, 6}, {6, 6}, true, true), QRect(0, 0, 4, 6));

        PhotoItem item;
        item.resize(100, 100);
        item.setPicture(Solid(Qt::red, 200, 100));
        item.setProportional(true);
        const QImage shot = item.grab().toImage();
        QVERIFY(Distance(shot.copy(0, 0, 100, 50), Qt::red) < 40);
        QVERIFY(Distance(shot.copy(0, 60, 100, 40), Qt::red) > 100);
    }
};

QTEST_MAIN(TestPhotos)
#include "test_photos.moc"
