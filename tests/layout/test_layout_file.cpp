// Layout files: the line encoding of items, the whole file, its text
// encoding, and the errors that stop a malformed file.
#include "layout/file/CommaText.h"
#include "layout/file/LayoutFile.h"
#include "store/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vellora;

namespace {

// A file's bytes put together by hand: every line ends with CR LF.
QByteArray crlfFile(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

const QList<QByteArray> kExample = {
    "513",
    "321",
    "515",
    "323",
    "C:\\cards\\backgrounds\\blue.jpg",
    "Last_name,STATICTEXT,Last_name,L,Arial,16,0,-21,\"B   \",CARD,186,167,303,30",
    "Image1,IMAGE,CARD,24,61,150,200",
    "StaticText1,STATICTEXT,\"XYZ Company\",C,\"Arial Black\",30,0,-40,\"B   \",CARD,24,10,465,54",
    "Statimage1,IMAGE,PALLETE,22,560,100,49,",
};

LayoutItem textItem(const QString &name, const QString &text)
{
    LayoutItem it;
    it.name = name;
    it.kind = LayoutItemKind::StaticText;
    it.text = text;
    it.alignment = LayoutAlignment::Center;
    it.fontName = "MS Sans Serif";
    it.fontSize = 8;
    it.fontColor = kLayoutDefaultColor;
    it.fontHeight = kLayoutDefaultFontHeight;
    it.left = 8;
    it.top = 29;
    it.width = 130;
    it.height = 25;
    return it;
}

LayoutItem pictureItem(const QString &name, std::optional<QString> path = std::nullopt)
{
    LayoutItem it;
    it.name = name;
    it.kind = LayoutItemKind::Image;
    it.alignment.reset();
    it.left = 24;
    it.top = 61;
    it.width = 150;
    it.height = 200;
    it.picturePath = path;
    return it;
}

QString itemLine(const LayoutItem &item)
{
    const auto line = EncodeLayoutItem(item);
    return line ? *line : QStringLiteral("<failed>");
}

LayoutItem readLine(const QString &line, LayoutItemKind kind)
{
    LayoutItem item;
    QString error;
    if (!DecodeLayoutItem(SplitCommaText(line), kind, &item, &error))
        qWarning("decode failed: %s", qPrintable(error));
    return item;
}

}  // namespace

class TestLayoutFile : public QObject {
    Q_OBJECT
private slots:
    void textWithSpecialCharacters();
    void textHoldingCrLfMark();
    void loneLineBreaksBecomeMarks();
    void styleField_data();
    void styleField();
    void alignmentLetter_data();
    void alignmentLetter();
    void staticPictureLine();
    void orientation_data();
    void orientation();
    void legacyNames_data();
    void legacyNames();
    void systemColourSurvives();
    void fieldItemsFromFirst200Fields();
    void exampleFile();
    void lineEnds_data();
    void lineEnds();
    void writtenFilesReadBackIdentically();
    void textEncoding_data();
    void textEncoding();
    void errors_data();
    void errors();
    void longLineStopsWithShortMessage();
    void binaryJunkNeverCrashes();
    void resolverDecidesKindAndSkips();
    void missingAndUnreadableFiles();
    void saveRefusesLineBreaksAndKeepsOldFile();
    void fileNameIgnoresLetterCase();
    void backgroundForRenderer();
};

void TestLayoutFile::textWithSpecialCharacters()
{
    LayoutItem item = textItem("StaticText1", "Smith, \"Jr.\" a b\r\nsecond");
    const QString line = itemLine(item);
    QCOMPARE(line, QString("StaticText1,STATICTEXT,\"Smith, \"\"Jr.\"\" a b[CRLF]second\",C,\"MS Sans Serif\","
                           "8,-2147483640,-15,\"    \",CARD,8,29,130,25"));
    const LayoutItem back = readLine(line, LayoutItemKind::StaticText);
    QCOMPARE(back.text, item.text);
    QCOMPARE(back, item);
}

void TestLayoutFile::textHoldingCrLfMark()
{
    const LayoutItem item = textItem("StaticText2", "one[CRLF]two");
    const LayoutItem back = readLine(itemLine(item), LayoutItemKind::StaticText);
    QCOMPARE(back.text, QString("one\r\ntwo"));
}

void TestLayoutFile::loneLineBreaksBecomeMarks()
{
    // A line break typed in a Qt editor is a lone LF: written raw it would
    // split the file's line.
    const LayoutItem item = textItem("StaticText3", "a\nb\rc\r\nd");
    const QString line = itemLine(item);
    QVERIFY(!line.contains('\n') && !line.contains('\r'));
    QCOMPARE(readLine(line, LayoutItemKind::StaticText).text, QString("a\r\nb\r\nc\r\nd"));
}

void TestLayoutFile::styleField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<LayoutStyle>("style");
    QTest::newRow("four blanks") << "\"    \"" << LayoutStyle{};
    QTest::newRow("all") << "BIUS" << LayoutStyle{true, true, true, true};
    QTest::newRow("bold only") << "\"B   \"" << LayoutStyle{true, false, false, false};
    QTest::newRow("short: bold") << "B" << LayoutStyle{true, false, false, false};
    QTest::newRow("short: italic") << "\" I\"" << LayoutStyle{false, true, false, false};
    QTest::newRow("wrong places") << "IBSU" << LayoutStyle{};
    QTest::newRow("lower case") << "bius" << LayoutStyle{};
    QTest::newRow("empty") << "" << LayoutStyle{};
}

void TestLayoutFile::styleField()
{
    QFETCH(QString, field);
    QFETCH(LayoutStyle, style);
    const QString line = "Title,STATICTEXT,Title,L,Arial,12,0,-16," + field + ",CARD,1,2,3,4";
    QCOMPARE(readLine(line, LayoutItemKind::StaticText).style, style);
    if (field == "\"    \"") {
        LayoutItem item = textItem("Title", "Title");
        item.style = {};
        QVERIFY(itemLine(item).contains(",\"    \",CARD,"));
    }
}

void TestLayoutFile::alignmentLetter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("alignment");  // -1: left unchanged
    QTest::newRow("L") << "L" << int(LayoutAlignment::Left);
    QTest::newRow("R") << "R" << int(LayoutAlignment::Right);
    QTest::newRow("C") << "C" << int(LayoutAlignment::Center);
    QTest::newRow("first letter counts") << "Centre" << int(LayoutAlignment::Center);
    QTest::newRow("other") << "X" << -1;
    QTest::newRow("lower case") << "c" << -1;
    QTest::newRow("none") << "" << -1;
}

void TestLayoutFile::alignmentLetter()
{
    QFETCH(QString, field);
    QFETCH(int, alignment);
    const LayoutItem item = readLine("Title,STATICTEXT,Title," + field + ",Arial,12,0,-16,B,CARD,1,2,3,4",
                                     LayoutItemKind::StaticText);
    if (alignment < 0)
        QVERIFY(!item.alignment.has_value());
    else
        QCOMPARE(int(*item.alignment), alignment);
}

void TestLayoutFile::staticPictureLine()
{
    // No picture loaded: an empty eighth field, written as a trailing comma.
    LayoutItem logo = pictureItem("Statimage1", QString());
    logo.setPlace(LayoutPlace::Pallete);
    const QString line = itemLine(logo);
    QCOMPARE(line, QString("Statimage1,IMAGE,PALLETE,24,61,150,200,"));
    const LayoutItem back = readLine(line, LayoutItemKind::Image);
    QVERIFY(back.picturePath.has_value());
    QCOMPARE(*back.picturePath, QString());
    QCOMPARE(back, logo);

    // The photo has no eighth field at all.
    const LayoutItem photo = pictureItem("Image1");
    QCOMPARE(itemLine(photo), QString("Image1,IMAGE,CARD,24,61,150,200"));
    QVERIFY(!readLine(itemLine(photo), LayoutItemKind::Image).picturePath.has_value());

    // A path with a blank is quoted and comes back whole.
    const LayoutItem named = pictureItem("Statimage1", QString("/home/op/My Logos/logo, 2.png"));
    QCOMPARE(*readLine(itemLine(named), LayoutItemKind::Image).picturePath, *named.picturePath);
}

void TestLayoutFile::orientation_data()
{
    QTest::addColumn<QByteArray>("width");
    QTest::addColumn<QByteArray>("height");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("portrait") << QByteArray("321") << QByteArray("513") << false;
    QTest::newRow("landscape") << QByteArray("513") << QByteArray("321") << true;
    QTest::newRow("equal is portrait") << QByteArray("400") << QByteArray("400") << false;
}

void TestLayoutFile::orientation()
{
    QFETCH(QByteArray, width);
    QFETCH(QByteArray, height);
    QFETCH(bool, landscape);
    for (LayoutReader reader : {LayoutReader::Designer, LayoutReader::CardFace}) {
        const LayoutLoad load = ParseLayout(crlfFile({width, height, "1", "1", ""}), {reader, {}});
        QVERIFY2(load.ok(), qPrintable(load.error));
        QCOMPARE(load.record.isLandscape(), landscape);
    }
}

void TestLayoutFile::legacyNames_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("reader");
    QTest::addColumn<QString>("name");
    const int d = int(LayoutReader::Designer), c = int(LayoutReader::CardFace);
    const QByteArray rest = ",STATICTEXT,x,L,Arial,12,0,-16,B,CARD,1,2,3,4";
    QTest::newRow("CardNumber") << "CardNumber" + rest << d << "Card_Number";
    QTest::newRow("CardNumber face") << "CardNumber" + rest << c << "Card_Number";
    QTest::newRow("Lastname") << "Lastname" + rest << d << "Last_name";
    QTest::newRow("Firstname") << "Firstname" + rest << c << "First_name";
    QTest::newRow("prefix only") << "LastnameOld" + rest << d << "Last_nameOld";
    QTest::newRow("letter case counts") << "lastname" + rest << d << "lastname";
    QTest::newRow("not at start") << "MyLastname" + rest << d << "MyLastname";
    QTest::newRow("StaticText designer") << "StaticText3" + rest << d << "StaticText3";
    QTest::newRow("StaticText face") << "StaticText3" + rest << c << "statlabel3";
    QTest::newRow("quoted is not renamed") << "\"Lastname\"" + rest << d << "Lastname";
}

void TestLayoutFile::legacyNames()
{
    QFETCH(QByteArray, line);
    QFETCH(int, reader);
    QFETCH(QString, name);
    const LayoutLoad load = ParseLayout(crlfFile({"513", "321", "515", "323", "", line}),
                                        {LayoutReader(reader), {}});
    QVERIFY2(load.ok(), qPrintable(load.error));
    QCOMPARE(load.record.items.size(), 1);
    QCOMPARE(load.record.items[0].name, name);
    // The rest of the line is untouched by the renaming.
    QCOMPARE(load.record.items[0].text, QString("x"));
}

void TestLayoutFile::systemColourSurvives()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    LayoutRecord rec;
    rec.items << textItem("Title", "Title");
    rec.items[0].fontColor = -2147483640;
    rec.items << textItem("Department", "Department");
    rec.items[1].fontColor = 0x00FF8040;
    QString error;
    QVERIFY2(SaveLayout(dir.filePath("layout.ccl"), rec, &error), qPrintable(error));
    const LayoutLoad load = LoadLayout(dir.filePath("layout.ccl"));
    QVERIFY(load.ok());
    QCOMPARE(load.record.items[0].fontColor, qint32(-2147483640));
    QCOMPARE(load.record.items[1].fontColor, qint32(0x00FF8040));
    QVERIFY(QFile(dir.filePath("layout.ccl")).open(QIODevice::ReadOnly));
}

void TestLayoutFile::fieldItemsFromFirst200Fields()
{
    QStringList fields;
    for (int i = 1; i <= 250; ++i)
        fields << (i == 10 ? QString("Magstripe1") : i == 150 ? QString("xMAGSTRIPEx") : QString("F%1").arg(i));
    const QStringList names = LayoutFieldItemNames(fields);
    QCOMPARE(names.size(), 198);
    QCOMPARE(names.first(), QString("F1"));
    QCOMPARE(names.last(), QString("F200"));
    QVERIFY(!names.contains("F201"));
    QVERIFY(!names.contains("Magstripe1"));
    QVERIFY(!names.contains("xMAGSTRIPEx"));

    const QStringList order = LayoutItemWriteOrder({"Card_Number", "Last_name", "MagStripe2"});
    QCOMPARE(order, QStringList({"Card_Number", "Last_name", "Image1", "StaticText1", "StaticText2", "StaticText3",
                                 "StaticText4", "Statimage1", "secphot"}));
}

void TestLayoutFile::exampleFile()
{
    const QByteArray bytes = crlfFile(kExample);
    for (LayoutReader reader : {LayoutReader::Designer, LayoutReader::CardFace}) {
        const LayoutLoad load = ParseLayout(bytes, {reader, {}});
        QVERIFY2(load.ok(), qPrintable(load.error));
        const LayoutRecord &r = load.record;
        QCOMPARE(r.panelWidth, 513);
        QCOMPARE(r.panelHeight, 321);
        QCOMPARE(r.frameWidth, 515);
        QCOMPARE(r.frameHeight, 323);
        QVERIFY(r.isLandscape());
        QCOMPARE(r.backgroundPath, QString("C:\\cards\\backgrounds\\blue.jpg"));
        QCOMPARE(r.items.size(), 4);

        const LayoutItem &last = r.items[0];
        QCOMPARE(last.name, QString("Last_name"));
        QCOMPARE(last.kind, LayoutItemKind::StaticText);
        QCOMPARE(last.text, QString("Last_name"));
        QCOMPARE(last.alignment, std::optional(LayoutAlignment::Left));
        QCOMPARE(last.fontName, QString("Arial"));
        QCOMPARE(last.fontSize, 16);
        QCOMPARE(last.fontColor, 0);
        QCOMPARE(last.fontHeight, -21);
        QCOMPARE(last.style, (LayoutStyle{true, false, false, false}));
        QCOMPARE(last.placeFor(reader), LayoutPlace::Card);
        QCOMPARE(QList<int>({last.left, last.top, last.width, last.height}), QList<int>({186, 167, 303, 30}));

        const LayoutItem &photo = r.items[1];
        QCOMPARE(photo.kind, LayoutItemKind::Image);
        QCOMPARE(QList<int>({photo.left, photo.top, photo.width, photo.height}), QList<int>({24, 61, 150, 200}));
        QVERIFY(!photo.picturePath.has_value());

        const LayoutItem &free = r.items[2];
        QCOMPARE(free.name, reader == LayoutReader::CardFace ? QString("statlabel1") : QString("StaticText1"));
        QCOMPARE(free.text, QString("XYZ Company"));
        QCOMPARE(free.alignment, std::optional(LayoutAlignment::Center));
        QCOMPARE(free.fontName, QString("Arial Black"));
        QCOMPARE(free.fontSize, 30);
        QCOMPARE(free.fontHeight, -40);

        const LayoutItem &logo = r.items[3];
        QCOMPARE(logo.name, QString("Statimage1"));
        QCOMPARE(logo.kind, LayoutItemKind::Image);
        QCOMPARE(logo.placeFor(reader), LayoutPlace::Pallete);
        QCOMPARE(logo.picturePath, std::optional(QString()));
    }
    // What the designer read it writes back byte for byte.
    const auto again = EncodeLayoutFile(ParseLayout(bytes).record);
    QVERIFY(again);
    QCOMPARE(*again, bytes);
}

void TestLayoutFile::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray lf, cr, mixed;
    for (int i = 0; i < kExample.size(); ++i) {
        lf += kExample[i] + "\n";
        cr += kExample[i] + "\r";
        mixed += kExample[i] + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    }
    QTest::newRow("LF") << lf;
    QTest::newRow("CR") << cr;
    QTest::newRow("mixed") << mixed;
    QTest::newRow("no final line end") << crlfFile(kExample).chopped(2);
}

void TestLayoutFile::lineEnds()
{
    QFETCH(QByteArray, bytes);
    const LayoutLoad expected = ParseLayout(crlfFile(kExample));
    const LayoutLoad load = ParseLayout(bytes);
    QVERIFY2(load.ok(), qPrintable(load.error));
    QCOMPARE(load.record, expected.record);
}

void TestLayoutFile::writtenFilesReadBackIdentically()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList texts = {
        "plain",                                           // Windows-1252
        QString::fromUtf8("Caf\u00e9 \u20ac 5, \"quoted\""),  // Windows-1252 beyond ASCII
        QString::fromUtf8("\u0418\u0432\u0430\u043d \u03a9"), // needs UTF-8
        QString::fromUtf8("\u00c3\u00a9"),                   // 1252 bytes that would read as UTF-8
    };
    for (const QString &t : texts) {
        LayoutRecord rec;
        rec.setOrientation(false);
        rec.backgroundPath = "/home/op/backgrounds/" + t + ".png";
        for (const QString &name : LayoutItemWriteOrder({"Card_Number", "First_name", "Last_name"})) {
            if (name == "Image1" || name == "secphot")
                rec.items << pictureItem(name);
            else if (name == "Statimage1")
                rec.items << pictureItem(name, "/pics/" + t + ".png");
            else
                rec.items << textItem(name, t + "\r\nline 2");
        }
        rec.items[1].setPlace(LayoutPlace::Pallete);
        rec.items[2].style = {true, true, false, true};
        rec.items[2].alignment = LayoutAlignment::Right;

        const QString path = dir.filePath("layout_b.ccl");
        QString error;
        QVERIFY2(SaveLayout(path, rec, &error), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray first = f.readAll();
        f.close();
        QVERIFY(first.startsWith("321\r\n513\r\n323\r\n515\r\n"));
        QVERIFY(first.endsWith("\r\n"));

        const LayoutLoad load = LoadLayout(path);
        QVERIFY2(load.ok(), qPrintable(load.error));
        QCOMPARE(load.record, rec);
        QVERIFY(SaveLayout(path, load.record, &error));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), first);
    }
}

void TestLayoutFile::textEncoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");  // the text field as it appears in the file
    QTest::newRow("ASCII") << "Name" << QByteArray("Name");
    QTest::newRow("Windows-1252") << QString::fromUtf8("Jos\u00e9-\u20ac\u2013") << QByteArray("Jos\xe9-\x80\x96");
    // Windows-1252 bytes E9 80 96 would also be valid UTF-8 (another character).
    QTest::newRow("1252 that is UTF-8") << QString::fromUtf8("Jos\u00e9\u20ac\u2013") << QByteArray("Jos\xc3\xa9\xe2\x82\xac\xe2\x80\x93");
    QTest::newRow("beyond 1252") << QString::fromUtf8("\u03a9mega") << QByteArray("\xce\xa9mega");
    QTest::newRow("looks like UTF-8") << QString::fromUtf8("\u00c3\u00a9") << QByteArray("\xc3\x83\xc2\xa9");
}

void TestLayoutFile::textEncoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    LayoutRecord rec;
    rec.items << textItem("StaticText1", text);
    const auto bytes = EncodeLayoutFile(rec);
    QVERIFY(bytes);
    QVERIFY2(bytes->contains("StaticText1,STATICTEXT," + written + ",C,"), bytes->constData());
    QCOMPARE(ParseLayout(*bytes).record.items[0].text, text);

    // Files from Windows installations: the same text in Windows-1252 by
    // hand, and a UTF-8 file with a byte order mark, read alike.
    const QList<QByteArray> head = {"513", "321", "515", "323", ""};
    const QByteArray cp = crlfFile(head + QList<QByteArray>{"Title,STATICTEXT,\"Caf\xe9 \x80\",L,Arial,1,0,-1,B,CARD,1,2,3,4"});
    QCOMPARE(ParseLayout(cp).record.items[0].text, QString::fromUtf8("Caf\u00e9 \u20ac"));
    const QByteArray utf = "\xef\xbb\xbf" + crlfFile(head + QList<QByteArray>{"Title,STATICTEXT,\"Caf\xc3\xa9 \xe2\x82\xac\",L,Arial,1,0,-1,B,CARD,1,2,3,4"});
    const LayoutLoad u = ParseLayout(utf);
    QVERIFY2(u.ok(), qPrintable(u.error));
    QCOMPARE(u.record.items[0].text, QString::fromUtf8("Caf\u00e9 \u20ac"));
}

void TestLayoutFile::errors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("reader");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("itemsKept");
    const int d = int(LayoutReader::Designer), c = int(LayoutReader::CardFace);
    const QList<QByteArray> head = {"513", "321", "515", "323", "bg.png"};
    const QByteArray good = "Image1,IMAGE,CARD,24,61,150,200";
    const QByteArray next = "Title,STATICTEXT,Title,L,Arial,16,0,-21,B,CARD,1,2,3,4";

    QTest::newRow("empty file") << QByteArray() << d << "List index out of bounds (0)" << 1 << 0;
    QTest::newRow("bad width") << crlfFile({"abc", "321", "515", "323", ""}) << d
                               << "'abc' is not a valid integer value" << 1 << 0;
    QTest::newRow("bad height, face") << crlfFile({"513", "32 1", "515", "323", ""}) << c
                                      << "'32 1' is not a valid integer value" << 2 << 0;
    QTest::newRow("bad frame, designer") << crlfFile({"513", "321", "x", "323", ""}) << d
                                         << "'x' is not a valid integer value" << 3 << 0;
    QTest::newRow("too large") << crlfFile({"2147483648", "321", "515", "323", ""}) << d
                               << "'2147483648' is not a valid integer value" << 1 << 0;
    QTest::newRow("three lines, designer") << crlfFile({"513", "321", "515"}) << d
                                           << "List index out of bounds (3)" << 4 << 0;
    QTest::newRow("three lines, face") << crlfFile({"513", "321", "515"}) << c
                                       << "List index out of bounds (4)" << 5 << 0;
    QTest::newRow("four lines") << crlfFile({"513", "321", "515", "323"}) << d
                                << "List index out of bounds (4)" << 5 << 0;
    QTest::newRow("bad item number") << crlfFile(head + QList<QByteArray>{good, "secphot,IMAGE,CARD,24,6x1,150,200", next})
                                     << d << "'6x1' is not a valid integer value" << 7 << 1;
    QTest::newRow("short picture line") << crlfFile(head + QList<QByteArray>{good, "secphot,IMAGE,CARD,24", next})
                                        << c << "List index out of bounds (4)" << 7 << 1;
    QTest::newRow("short text line") << crlfFile(head + QList<QByteArray>{good, "Title,STATICTEXT,Title,L,Arial,16,0,-21"})
                                     << d << "List index out of bounds (8)" << 7 << 1;
    QTest::newRow("name only") << crlfFile(head + QList<QByteArray>{"Title"}) << d << "List index out of bounds (2)" << 6 << 0;
    QTest::newRow("bad font size") << crlfFile(head + QList<QByteArray>{"Title,STATICTEXT,Title,L,Arial,big,0,-21,B,CARD,1,2,3,4"})
                                   << c << "'big' is not a valid integer value" << 6 << 0;
    QTest::newRow("bad bound after place") << crlfFile(head + QList<QByteArray>{"Title,STATICTEXT,Title,L,Arial,16,0,-21,B,CARD,1,2,3,"})
                                           << d << "'' is not a valid integer value" << 6 << 0;
    QTest::newRow("empty item line") << crlfFile(head + QList<QByteArray>{good, "", next}) << d
                                     << "List index out of bounds (0)" << 7 << 1;
    QTest::newRow("blank item line") << crlfFile(head + QList<QByteArray>{good, next, "   "}) << c
                                     << "List index out of bounds (0)" << 8 << 2;
    QTest::newRow("open quote") << crlfFile(head + QList<QByteArray>{"StaticText1,STATICTEXT,\"XYZ,C,Arial,30,0,-40,B,CARD,1,2,3,4"})
                                << d << "List index out of bounds (3)" << 6 << 0;
    QTest::newRow("unquoted blank in font") << crlfFile(head + QList<QByteArray>{"Title,STATICTEXT,Title,L,Arial Black,30,0,-40,B,CARD,1,2,3,4"})
                                            << d << "'Black' is not a valid integer value" << 6 << 0;
}

void TestLayoutFile::errors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, reader);
    QFETCH(QString, error);
    QFETCH(int, line);
    QFETCH(int, itemsKept);
    const LayoutLoad load = ParseLayout(bytes, {LayoutReader(reader), {}});
    QCOMPARE(load.status, LayoutLoad::Status::Malformed);
    QCOMPARE(load.error, error);
    QCOMPARE(load.errorLine, line);
    QCOMPARE(load.record.items.size(), itemsKept);
    if (itemsKept > 0) {
        QCOMPARE(load.record.backgroundPath, QString("bg.png"));
        QCOMPARE(load.record.items[0].name, QString("Image1"));
    }
}

void TestLayoutFile::longLineStopsWithShortMessage()
{
    const QByteArray huge(10 * 1024 * 1024, '7');
    // As an item line: a name of 10 MB and nothing else.
    LayoutLoad load = ParseLayout(crlfFile({"513", "321", "515", "323", "", "Image1,IMAGE,CARD,1,2,3,4", huge}));
    QCOMPARE(load.error, QString("List index out of bounds (2)"));
    QCOMPARE(load.record.items.size(), 1);
    // As the width: the message quotes only the start of the text.
    load = ParseLayout(crlfFile({huge + "x", "321", "515", "323", ""}));
    QCOMPARE(load.status, LayoutLoad::Status::Malformed);
    QCOMPARE(load.error, "'" + QString(80, '7') + "...' is not a valid integer value");
    // A 10 MB text in a quoted field is read whole.
    load = ParseLayout(crlfFile({"513", "321", "515", "323", "", "StaticText1,STATICTEXT,\"" + huge + "\",L,A,1,0,-1,B,CARD,1,2,3,4"}));
    QVERIFY2(load.ok(), qPrintable(load.error.left(100)));
    QCOMPARE(load.record.items[0].text.size(), huge.size());
}

void TestLayoutFile::binaryJunkNeverCrashes()
{
    QByteArray junk;
    quint32 x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        junk += char(x >> 24);
    }
    for (LayoutReader reader : {LayoutReader::Designer, LayoutReader::CardFace}) {
        const LayoutLoad load = ParseLayout(junk, {reader, {}});
        QCOMPARE(load.status, LayoutLoad::Status::Malformed);
        QVERIFY(load.error.endsWith("is not a valid integer value") || load.error.startsWith("List index"));
        // A valid head before the junk: items read so far are kept.
        const LayoutLoad after = ParseLayout(crlfFile({"513", "321", "515", "323", "", "Image1,IMAGE,CARD,1,2,3,4"}) + junk,
                                             {reader, {}});
        QVERIFY(after.record.items.size() >= 1);
        QCOMPARE(after.record.items[0].name, QString("Image1"));
    }
}

void TestLayoutFile::resolverDecidesKindAndSkips()
{
    QStringList asked;
    LayoutLoadOptions opts;
    opts.reader = LayoutReader::CardFace;
    opts.resolve = [&](const QString &name) -> std::optional<LayoutItemKind> {
        asked << name;
        if (name.compare("Card_Number", Qt::CaseInsensitive) == 0 || name == "statlabel1")
            return LayoutItemKind::StaticText;
        if (name == "Image1")
            return LayoutItemKind::Image;
        return std::nullopt;
    };
    const LayoutLoad load = ParseLayout(crlfFile({"513", "321", "515", "323", "",
                                                  "Gone,STATICTEXT",  // names no item: skipped unread
                                                  "CardNumber,STATICTEXT,CardNumber,R,Arial,9,255,-12,\" I  \",CARD,1,2,3,4",
                                                  "StaticText1,STATICTEXT,Hi,C,Arial,9,0,-12,B,PALLETE,5,6,7,8",
                                                  "Image1,IMAGE,Card,1,2,3,4"}),
                                        opts);
    QVERIFY2(load.ok(), qPrintable(load.error));
    QCOMPARE(asked, QStringList({"Gone", "Card_Number", "statlabel1", "Image1"}));
    QCOMPARE(load.record.items.size(), 3);
    QCOMPARE(load.record.items[0].name, QString("Card_Number"));
    QCOMPARE(load.record.items[0].fontColor, 255);
    QCOMPARE(load.record.items[1].placeFor(LayoutReader::CardFace), LayoutPlace::Pallete);
    // "Card" is not exactly "CARD": hidden on the card face, on the card in the designer.
    QCOMPARE(load.record.items[2].placeFor(LayoutReader::CardFace), LayoutPlace::Pallete);
    QCOMPARE(load.record.items[2].placeFor(LayoutReader::Designer), LayoutPlace::Card);
    QCOMPARE(load.record.find("Image1"), &load.record.items[2]);
}

void TestLayoutFile::missingAndUnreadableFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    LayoutLoad load = LoadLayout(dir.filePath("layout.ccl"));
    QCOMPARE(load.status, LayoutLoad::Status::Missing);
    QVERIFY(load.error.isEmpty());
    QVERIFY(!load.ok());
    // A folder in the file's place cannot be read.
    QVERIFY(QDir(dir.path()).mkdir("layout_b.ccl"));
    load = LoadLayout(dir.filePath("layout_b.ccl"));
    QVERIFY(load.status == LayoutLoad::Status::Unreadable || load.status == LayoutLoad::Status::Malformed);
    QVERIFY(!load.error.isEmpty());
}

void TestLayoutFile::saveRefusesLineBreaksAndKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("layout.ccl");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(crlfFile(kExample));
    f.close();

    LayoutRecord bad;
    bad.backgroundPath = "/tmp/odd\nname.png";
    QString error;
    QVERIFY(!SaveLayout(path, bad, &error));
    QVERIFY(!error.isEmpty());
    bad.backgroundPath.clear();
    bad.items << pictureItem("Statimage1", QString("/a\r\nb.png"));
    QVERIFY(!SaveLayout(path, bad, &error));
    QVERIFY(error.contains("Statimage1"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), crlfFile(kExample));
    f.close();

    // A folder that does not exist: an error, nothing written.
    QVERIFY(!SaveLayout(dir.filePath("no/such/layout.ccl"), LayoutRecord{}, &error));
    QVERIFY(!error.isEmpty());
}

void TestLayoutFile::fileNameIgnoresLetterCase()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString app = dir.path() + "/";
    QCOMPARE(LayoutFileName(app, CardSide::Front), app + "layout.ccl");
    QCOMPARE(LayoutFileName(app, CardSide::Back), app + "layout_b.ccl");
    QFile f(app + "Layout_B.CCL");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(LayoutFileName(app, CardSide::Back), app + "Layout_B.CCL");

    LayoutRecord rec;
    rec.items << pictureItem("secphot");
    QVERIFY(SaveLayout(app, CardSide::Back, rec));
    QCOMPARE(QDir(app).entryList(QDir::Files), QStringList({"Layout_B.CCL"}));
    QCOMPARE(LoadLayout(LayoutFileName(app, CardSide::Back)).record, rec);
}

void TestLayoutFile::backgroundForRenderer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString app = dir.path() + "/";
    SettingsRecord s;
    s.BackgroundPath = "/quick/bg.png";
    s.LayoutType = 6;
    QCOMPARE(ReadLayoutBackground(app, CardSide::Front, s), QString());  // no file
    QFile f(app + "layout.ccl");
    QVERIFY(f.open(QIODevice::WriteOnly));
    // Only line 5 matters: numbers the readers would refuse do not.
    f.write(crlfFile({"wide", "321", "515", "323", "C:\\bg\\blue.jpg", "junk"}));
    f.close();
    QCOMPARE(ReadLayoutBackground(app, CardSide::Front, s), QString("C:\\bg\\blue.jpg"));
    QCOMPARE(ReadLayoutBackground(app, CardSide::Back, s), QString());
    s.LayoutType = 7;
    QCOMPARE(ReadLayoutBackground(app, CardSide::Front, s), QString("C:\\bg\\blue.jpg"));
    for (int type : {1, 3, 5, 0, 8}) {
        s.LayoutType = quint8(type);
        QCOMPARE(ReadLayoutBackground(app, CardSide::Front, s), QString("/quick/bg.png"));
    }
}

QTEST_MAIN(TestLayoutFile)
#include "test_layout_file.moc"
