// config.cfg: the byte layout checked against a file built by hand here,
// the load rules for short and damaged files, and the text encoding.
#include "store/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace vellora;

namespace {

// Writes a short string the way the file format has it, independently of
// the code under test.
void shortString(QByteArray &b, int at, const QByteArray &chars)
{
    b[at] = char(chars.size());
    for (int i = 1; i < 256; ++i)
        b[at + i] = '\0';
    for (int i = 0; i < chars.size(); ++i)
        b[at + 1 + i] = chars[i];
}
void i32(QByteArray &b, int at, qint32 v) { qToLittleEndian<qint32>(v, b.data() + at); }
void slotBytes(QByteArray &b, int at, const QByteArray &face, qint32 size, quint32 colour, char style, char align)
{
    shortString(b, at, face);
    i32(b, at + 256, size);
    i32(b, at + 260, qint32(colour));
    b[at + 264] = style;
    b[at + 265] = align;
}

// The default front record, byte by byte.
QByteArray handMadeDefault()
{
    QByteArray b(5284, '\0');
    b[257] = 3;
    shortString(b, 258, "XYZ Company");
    shortString(b, 514, "Showing the way forward . . .");
    shortString(b, 770, "vlid static text");
    shortString(b, 1026, "vlid static text");
    slotBytes(b, 1284, "Arial Black", 30, 0, 1, 0);
    for (int i = 1; i < 4; ++i)
        slotBytes(b, 1284 + i * 268, "Arial", 12, 0, 1, 0);
    const int fieldSizes[7] = {16, 16, 16, 24, 24, 16, 16};
    for (int i = 0; i < 7; ++i)
        slotBytes(b, 2356 + i * 268, "Arial", fieldSizes[i], 0, 1, 0);
    return b;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultsMatchTheFileLayout()
    {
        QTemporaryDir dir;
        Settings s;
        s.ResetSettings();
        QVERIFY(s.SaveSettings(dir.filePath("config.cfg")));
        const QByteArray file = readAll(dir.filePath("config.cfg"));
        QCOMPARE(file.size(), 10568);
        QCOMPARE(file.left(5284), handMadeDefault());
        QCOMPARE(file.mid(5284), handMadeDefault());
    }

    void everyFieldSitsAtItsOffset()
    {
        QByteArray b = handMadeDefault();
        shortString(b, 0, "/pics/bg.jpg");
        b[256] = 1;
        b[257] = 6;
        slotBytes(b, 3428, "Times New Roman", 18, 0x00FF8040, 1 | 2 | 4 | 8, 2);
        b[4232] = 1;
        b[4233] = 1;
        i32(b, 4236, 2);
        shortString(b, 4240, "magstripe1");
        b[4496] = 1;
        b[4761] = 1;
        i32(b, 4764, 1);
        shortString(b, 4768, "Department");
        b[5024] = 1;
        shortString(b, 5025, "TWAIN");
        b[5282] = 1;

        const SettingsRecord r = SettingsRecord::fromBytes(b);
        QCOMPARE(r.BackgroundPath, QString("/pics/bg.jpg"));
        QCOMPARE(r.MonoPrinter, quint8(1));
        QCOMPARE(r.LayoutType, quint8(6));
        const FontSlot *last = r.fieldFont("Last_name");
        QVERIFY(last);
        QCOMPARE(last->face, QString("Times New Roman"));
        QCOMPARE(last->size, 18);
        QCOMPARE(last->colour, 0x00FF8040u);
        QCOMPARE(last->style, quint8(15));
        QCOMPARE(last->alignment, quint8(2));
        QCOMPARE(ColourFromStored(last->colour), QColor(0x40, 0x80, 0xFF));
        QCOMPARE(r.StripeOn, quint8(1));
        QCOMPARE(r.Track[0].use, quint8(1));
        QCOMPARE(r.Track[0].source, 2);
        QCOMPARE(r.Track[0].value, QString("magstripe1"));
        QCOMPARE(r.Track[0].show, quint8(1));
        QCOMPARE(r.Track[1].use, quint8(0));
        QCOMPARE(r.Track[2].use, quint8(1));
        QCOMPARE(r.Track[2].source, 1);
        QCOMPARE(r.Track[2].value, QString("Department"));
        QCOMPARE(r.Track[2].show, quint8(1));
        QCOMPARE(r.CaptureDevice, QString("TWAIN"));
        QCOMPARE(r.DoubleSided, quint8(1));
        // and back again, byte for byte
        QCOMPARE(r.toBytes(), b);
    }

    void layoutTypeOutsideRangeBehavesAsThree_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("effective");
        QTest::newRow("0") << 0 << 3;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("5") << 5 << 5;
        QTest::newRow("6") << 6 << 6;
        QTest::newRow("7") << 7 << 3;
        QTest::newRow("9") << 9 << 3;
        QTest::newRow("255") << 255 << 3;
    }
    void layoutTypeOutsideRangeBehavesAsThree()
    {
        QFETCH(int, stored);
        QFETCH(int, effective);
        SettingsRecord r;
        r.LayoutType = quint8(stored);
        QCOMPARE(r.effectiveLayoutType(), effective);
    }

    void longTextIsCutWithoutBreakingCharacters()
    {
        SettingsRecord r = DefaultSettingsRecord();
        r.FreeText[0] = QString(300, 'x');
        r.FreeText[1] = QString(200, QChar(0x0416));  // Cyrillic: two UTF-8 bytes each
        r.FreeText[2] = QStringLiteral("Caf\u00e9 \u00a3 \u20ac");  // fits Windows-1252
        r.FreeText[3] = QStringLiteral("\u00c3\u00a9");  // its Windows-1252 bytes would read as UTF-8
        const QByteArray b = r.toBytes();
        QCOMPARE(int(uchar(b[258])), 255);
        QCOMPARE(uchar(b[514]), uchar(254));  // 127 whole characters
        QCOMPARE(b.mid(771, 8), QByteArray("Caf\xe9 \xa3 \x80"));
        const SettingsRecord back = SettingsRecord::fromBytes(b);
        QCOMPARE(back.FreeText[0], QString(255, 'x'));
        QCOMPARE(back.FreeText[1], QString(127, QChar(0x0416)));
        QCOMPARE(back.FreeText[2], r.FreeText[2]);
        QCOMPARE(back.FreeText[3], r.FreeText[3]);
    }

    void frontRecordOnlyKeepsBackDefaultsAndSingleSided()
    {
        QTemporaryDir dir;
        QByteArray front = handMadeDefault();
        front[5282] = 1;  // double-sided
        front[257] = 5;
        writeAll(dir.filePath("config.cfg"), front);
        Settings s;
        s.ResetSettings();
        QCOMPARE(s.LoadSettings(dir.filePath("config.cfg")), SettingsLoad::FrontOnly);
        QCOMPARE(s.front.LayoutType, quint8(5));
        QCOMPARE(s.front.DoubleSided, quint8(0));
        QCOMPARE(s.back, DefaultSettingsRecord());
    }

    void incompleteBackRecordReplacesItsBeginning()
    {
        QTemporaryDir dir;
        QByteArray back = handMadeDefault();
        shortString(back, 0, "/b.png");
        QByteArray file = handMadeDefault() + back.left(300);
        file[5282] = 1;
        writeAll(dir.filePath("config.cfg"), file);
        Settings s;
        s.ResetSettings();
        QCOMPARE(s.LoadSettings(dir.filePath("config.cfg")), SettingsLoad::FrontOnly);
        QCOMPARE(s.back.BackgroundPath, QString("/b.png"));
        QCOMPARE(s.front.DoubleSided, quint8(0));
    }

    void missingAndTooShortFilesChangeNothing()
    {
        QTemporaryDir dir;
        Settings s;
        s.ResetSettings();
        s.front.CaptureDevice = "cam";
        QCOMPARE(s.LoadSettings(dir.filePath("config.cfg")), SettingsLoad::Missing);
        writeAll(dir.filePath("config.cfg"), QByteArray(100, 'z'));
        QCOMPARE(s.LoadSettings(dir.filePath("config.cfg")), SettingsLoad::TooShort);
        QCOMPARE(s.front.FreeText[0], QString("XYZ Company"));
        QCOMPARE(s.front.CaptureDevice, QString("cam"));
    }

    // A record that cannot have been written as settings is refused as a
    // whole, as a short file is: nothing of it reaches the card face.
    void implausibleRecordsAreDamaged_data()
    {
        QTest::addColumn<QByteArray>("file");
        QByteArray random(2 * 5284, '\0');
        quint32 x = 12345;
        for (char &c : random) {
            x = x * 1103515245u + 12345u;
            c = char(x >> 24);
        }
        QTest::newRow("random bytes") << random;
        const QByteArray good = handMadeDefault() + handMadeDefault();
        auto changed = [&](int at, QByteArray bytes) {
            QByteArray b = good;
            b.replace(at, bytes.size(), bytes);
            return b;
        };
        QByteArray size(4, '\0');
        qToLittleEndian<qint32>(-40, size.data());
        QTest::newRow("negative font size") << changed(2356 + 256, size);
        qToLittleEndian<qint32>(70000, size.data());
        QTest::newRow("huge font size on the back") << changed(5284 + 1284 + 256, size);
        QTest::newRow("unknown style bits") << changed(1284 + 264, QByteArray(1, '\x40'));
        QTest::newRow("unknown alignment") << changed(1284 + 265, QByteArray(1, '\x09'));
        QTest::newRow("double-sided flag 7") << changed(5282, QByteArray(1, '\x07'));
        QTest::newRow("track source 9") << changed(4233 + 3, QByteArray(1, '\x09'));
        QTest::newRow("control characters in a text") << changed(258, QByteArray("\x05X\x01\x02Y\x1b"));
        QTest::newRow("unassigned byte in a face name") << changed(1284, QByteArray("\x03" "A" "\x81" "B"));
    }
    void implausibleRecordsAreDamaged()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        writeAll(dir.filePath("config.cfg"), file);
        Settings s;
        s.ResetSettings();
        s.front.CaptureDevice = "cam";
        QCOMPARE(s.LoadSettings(dir.filePath("config.cfg")), SettingsLoad::Damaged);
        QCOMPARE(s.front.FreeText[0], QString("XYZ Company"));
        QCOMPARE(s.front.CaptureDevice, QString("cam"));
        QCOMPARE(s.back, DefaultSettingsRecord());
    }

    // What this program writes, and texts with line breaks, tabs and
    // accents in either encoding, are plausible.
    void writtenRecordsArePlausible()
    {
        Settings s;
        s.ResetSettings();
        s.front.FreeText[1] = "Zeile 1\r\nZeile\t2";
        s.front.FreeText[2] = QStringLiteral("R\u00fcckseite \u20ac");
        s.back.FreeText[0] = QStringLiteral("\u65e5\u672c");   // UTF-8
        s.front.LayoutType = 200;                              // acts as 3
        s.front.Track[2].source = 2;
        s.front.DoubleSided = 1;
        QTemporaryDir dir;
        QVERIFY(s.SaveSettings(dir.filePath("config.cfg")));
        Settings again;
        QCOMPARE(again.LoadSettings(dir.filePath("config.cfg")), SettingsLoad::Complete);
        QCOMPARE(again.front, s.front);
        QCOMPARE(again.back, s.back);
    }

    void resetKeepsCaptureDeviceAndCopiesFront()
    {
        Settings s;
        s.front.CaptureDevice = "TWAIN";
        s.front.LayoutType = 6;
        s.back.FreeText[0] = "back";
        s.ResetSettings();
        QCOMPARE(s.front.CaptureDevice, QString("TWAIN"));
        QCOMPARE(s.front.LayoutType, quint8(3));
        QCOMPARE(s.back, s.front);
    }

    void roundTripIsByteForByte()
    {
        QTemporaryDir dir;
        QByteArray file = handMadeDefault() + handMadeDefault();
        shortString(file, 5284 + 258, "R\xfc" "ckseite");  // Windows-1252 text on the back
        file[5284 + 257] = 2;
        writeAll(dir.filePath("config.cfg"), file);
        Settings s;
        QCOMPARE(s.LoadSettings(dir.filePath("config.cfg")), SettingsLoad::Complete);
        QCOMPARE(s.back.FreeText[0], QStringLiteral("R\u00fcckseite"));
        QVERIFY(s.SaveSettings(dir.filePath("again.cfg")));
        const QByteArray again = readAll(dir.filePath("again.cfg"));
        QCOMPARE(again.size(), file.size());
        for (int i = 0; i < file.size(); ++i)
            if (again[i] != file[i])
                QFAIL(qPrintable(QString("byte %1 differs").arg(i)));
    }

    void fontSlotConversions()
    {
        FontSlot slot{"Arial", 14, 0x000000FF, StyleBold | StyleItalic, AlignCentreCode};
        const QFont f = FontFromSlot(slot);
        QVERIFY(f.bold() && f.italic() && !f.underline());
        QCOMPARE(f.pixelSize(), 19);  // 14 pt at 96 pixels per inch
        for (int points = 1; points <= 120; ++points)
            QCOMPARE(CardPixelsToPoints(PointsToCardPixels(points)), points);
        FontSlot again;
        FontToSlot(f, ColourFromStored(slot.colour), AlignmentFromStored(slot.alignment), &again);
        QCOMPARE(again, slot);
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
