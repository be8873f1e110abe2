#include "store/Settings.h"

#include "engine/text/Cp1252.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace vellora {

namespace {

constexpr int kShortString = 256;
constexpr int kFontSlotSize = 268;
constexpr int kFreeTextOffset = 258;
constexpr int kFreeFontOffset = 1284;
constexpr int kFieldFontOffset = 2356;
constexpr int kStripeOn = 4232;
constexpr int kTrackBase = 4233;
constexpr int kTrackStride = 264;
constexpr int kCaptureDevice = 5025;
constexpr int kDoubleSided = 5282;

void putString(QByteArray &b, int at, const QString &text)
{
    const QByteArray s = EncodeShortString(text);
    b[at] = static_cast<char>(s.size());
    std::copy(s.begin(), s.end(), b.begin() + at + 1);
}

QString getString(const QByteArray &b, int at) { return DecodeShortString(b.mid(at, kShortString)); }

void putI32(QByteArray &b, int at, qint32 v) { qToLittleEndian<qint32>(v, b.data() + at); }
qint32 getI32(const QByteArray &b, int at) { return qFromLittleEndian<qint32>(b.constData() + at); }
void putU8(QByteArray &b, int at, quint8 v) { b[at] = static_cast<char>(v); }
quint8 getU8(const QByteArray &b, int at) { return static_cast<quint8>(b[at]); }

void putSlot(QByteArray &b, int at, const FontSlot &f)
{
    putString(b, at, f.face);
    putI32(b, at + 256, f.size);
    putI32(b, at + 260, static_cast<qint32>(f.colour));
    putU8(b, at + 264, f.style);
    putU8(b, at + 265, f.alignment);
}

FontSlot getSlot(const QByteArray &b, int at)
{
    FontSlot f;
    f.face = getString(b, at);
    f.size = getI32(b, at + 256);
    f.colour = static_cast<quint32>(getI32(b, at + 260));
    f.style = getU8(b, at + 264);
    f.alignment = getU8(b, at + 265);
    return f;
}

FontSlot slot(const char *face, int size) { return FontSlot{QString::fromLatin1(face), size, 0, StyleBold, AlignLeftCode}; }

}  // namespace

QByteArray EncodeShortString(const QString &text)
{
    if (FitsCp1252(text)) {
        const QByteArray cp = ToCp1252(text.left(255));
        // Bytes that would read back as UTF-8 are stored as UTF-8 instead.
        if (!LooksLikeUtf8(cp))
            return cp;
    }
    // UTF-8, cut at a character boundary within 255 bytes.
    QByteArray out;
    const QString cut = text.left(255);
    for (qsizetype i = 0; i < cut.size();) {
        const qsizetype n = cut[i].isHighSurrogate() && i + 1 < cut.size() ? 2 : 1;
        const QByteArray ch = cut.mid(i, n).toUtf8();
        if (out.size() + ch.size() > 255)
            break;
        out += ch;
        i += n;
    }
    return out;
}

QString DecodeShortString(const QByteArray &bytes256)
{
    if (bytes256.isEmpty())
        return {};
    const int len = static_cast<unsigned char>(bytes256[0]);
    return DecodeStoredText(bytes256.mid(1, len));
}

FontSlot *SettingsRecord::fieldFont(const QString &fieldName)
{
    for (size_t i = 0; i < kFontSlotFields.size(); ++i)
        if (fieldName.compare(QLatin1String(kFontSlotFields[i]), Qt::CaseInsensitive) == 0)
            return &FieldFont[i];
    return nullptr;
}

const FontSlot *SettingsRecord::fieldFont(const QString &fieldName) const
{
    return const_cast<SettingsRecord *>(this)->fieldFont(fieldName);
}

QByteArray SettingsRecord::toBytes() const
{
    QByteArray b(Size, '\0');
    putString(b, 0, BackgroundPath);
    putU8(b, 256, MonoPrinter);
    putU8(b, 257, LayoutType);
    for (int i = 0; i < 4; ++i) {
        putString(b, kFreeTextOffset + i * kShortString, FreeText[i]);
        putSlot(b, kFreeFontOffset + i * kFontSlotSize, FreeTextFont[i]);
    }
    for (int i = 0; i < 7; ++i)
        putSlot(b, kFieldFontOffset + i * kFontSlotSize, FieldFont[i]);
    putU8(b, kStripeOn, StripeOn);
    for (int t = 0; t < 3; ++t) {
        const int at = kTrackBase + t * kTrackStride;
        putU8(b, at, Track[t].use);
        putI32(b, at + 3, Track[t].source);
        putString(b, at + 7, Track[t].value);
        putU8(b, at + 263, Track[t].show);
    }
    putString(b, kCaptureDevice, CaptureDevice);
    putU8(b, kDoubleSided, DoubleSided);
    return b;
}

SettingsRecord SettingsRecord::fromBytes(const QByteArray &b)
{
    Q_ASSERT(b.size() == Size);
    SettingsRecord r;
    r.BackgroundPath = getString(b, 0);
    r.MonoPrinter = getU8(b, 256);
    r.LayoutType = getU8(b, 257);
    for (int i = 0; i < 4; ++i) {
        r.FreeText[i] = getString(b, kFreeTextOffset + i * kShortString);
        r.FreeTextFont[i] = getSlot(b, kFreeFontOffset + i * kFontSlotSize);
    }
    for (int i = 0; i < 7; ++i)
        r.FieldFont[i] = getSlot(b, kFieldFontOffset + i * kFontSlotSize);
    r.StripeOn = getU8(b, kStripeOn);
    for (int t = 0; t < 3; ++t) {
        const int at = kTrackBase + t * kTrackStride;
        r.Track[t].use = getU8(b, at);
        r.Track[t].source = getI32(b, at + 3);
        r.Track[t].value = getString(b, at + 7);
        r.Track[t].show = getU8(b, at + 263);
    }
    r.CaptureDevice = getString(b, kCaptureDevice);
    r.DoubleSided = getU8(b, kDoubleSided);
    return r;
}

namespace {

bool plausibleString(const QByteArray &b, int at)
{
    const int length = getU8(b, at);
    // Control characters, the five bytes Windows-1252 leaves without a
    // character included (they decode to C1 controls), are no text.
    const QString text = DecodeStoredText(b.mid(at + 1, length));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\r' && u != u'\n') || (u >= 0x7F && u <= 0x9F))
            return false;
    }
    return true;
}

bool plausibleSlot(const QByteArray &b, int at)
{
    const qint32 size = getI32(b, at + 256);
    return plausibleString(b, at) && size >= 0 && size <= 1000 && getU8(b, at + 264) <= 0x0F
           && getU8(b, at + 265) <= AlignCentreCode;
}

bool plausibleFlag(const QByteArray &b, int at) { return getU8(b, at) <= 1; }

}  // namespace

bool SettingsRecord::plausible(const QByteArray &b)
{
    if (b.size() != Size)
        return false;
    if (!plausibleString(b, 0) || !plausibleFlag(b, 256) || !plausibleFlag(b, kStripeOn)
        || !plausibleFlag(b, kDoubleSided) || !plausibleString(b, kCaptureDevice))
        return false;
    for (int i = 0; i < 4; ++i)
        if (!plausibleString(b, kFreeTextOffset + i * kShortString) || !plausibleSlot(b, kFreeFontOffset + i * kFontSlotSize))
            return false;
    for (int i = 0; i < 7; ++i)
        if (!plausibleSlot(b, kFieldFontOffset + i * kFontSlotSize))
            return false;
    for (int t = 0; t < 3; ++t) {
        const int at = kTrackBase + t * kTrackStride;
        const qint32 source = getI32(b, at + 3);
        if (!plausibleFlag(b, at) || source < 0 || source > 2 || !plausibleString(b, at + 7)
            || !plausibleFlag(b, at + 263))
            return false;
    }
    return true;
}

SettingsRecord DefaultSettingsRecord()
{
    SettingsRecord r;
    r.FreeText = {QStringLiteral("XYZ Company"), QStringLiteral("Showing the way forward . . ."),
                  QStringLiteral("vlid static text"), QStringLiteral("vlid static text")};
    r.FreeTextFont = {slot("Arial Black", 30), slot("Arial", 12), slot("Arial", 12), slot("Arial", 12)};
    // Sparefield1, Sparefield2, Card_Number, First_name, Last_name, Title, Department
    r.FieldFont = {slot("Arial", 16), slot("Arial", 16), slot("Arial", 16), slot("Arial", 24),
                   slot("Arial", 24), slot("Arial", 16), slot("Arial", 16)};
    return r;
}

void Settings::ResetSettings()
{
    const QString capture = front.CaptureDevice;
    front = DefaultSettingsRecord();
    front.CaptureDevice = capture;
    back = front;
}

SettingsLoad Settings::LoadSettings(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return SettingsLoad::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return SettingsLoad::TooShort;
    const QByteArray frontBytes = file.read(SettingsRecord::Size);
    if (frontBytes.size() < SettingsRecord::Size)
        return SettingsLoad::TooShort;
    const QByteArray backBytes = file.read(SettingsRecord::Size);
    const bool backComplete = backBytes.size() == SettingsRecord::Size;
    if (!SettingsRecord::plausible(frontBytes) || (backComplete && !SettingsRecord::plausible(backBytes)))
        return SettingsLoad::Damaged;
    front = SettingsRecord::fromBytes(frontBytes);
    if (backComplete) {
        back = SettingsRecord::fromBytes(backBytes);
        return SettingsLoad::Complete;
    }
    // What could be read replaces the beginning of the back record.
    QByteArray merged = back.toBytes();
    std::copy(backBytes.begin(), backBytes.end(), merged.begin());
    back = SettingsRecord::fromBytes(merged);
    front.DoubleSided = 0;
    return SettingsLoad::FrontOnly;
}

bool Settings::SaveSettings(const QString &path, QString *error) const
{
    // Written through a temporary file so a failed write never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(front.toBytes());
    file.write(back.toBytes());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QColor ColourFromStored(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 ColourToStored(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

Qt::Alignment AlignmentFromStored(quint8 code)
{
    switch (code) {
    case AlignRightCode: return Qt::AlignRight;
    case AlignCentreCode: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

quint8 AlignmentToStored(Qt::Alignment a)
{
    if (a & Qt::AlignRight)
        return AlignRightCode;
    if (a & Qt::AlignHCenter)
        return AlignCentreCode;
    return AlignLeftCode;
}

int PointsToCardPixels(int points) { return qMax(1, qRound(points * double(kCardFaceDpi) / 72.0)); }

int CardPixelsToPoints(int pixels) { return qRound(pixels * 72.0 / double(kCardFaceDpi)); }

int CardFontPoints(const QFont &font)
{
    if (font.pixelSize() > 0)
        return CardPixelsToPoints(font.pixelSize());
    return font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF());
}

QFont FontFromSlot(const FontSlot &s)
{
    QFont font(s.face);
    font.setPixelSize(PointsToCardPixels(s.size > 0 ? s.size : 1));
    font.setBold(s.style & StyleBold);
    font.setItalic(s.style & StyleItalic);
    font.setUnderline(s.style & StyleUnderline);
    font.setStrikeOut(s.style & StyleStrikeOut);
    return font;
}

void FontToSlot(const QFont &font, const QColor &colour, Qt::Alignment alignment, FontSlot *s)
{
    s->face = font.family();
    s->size = CardFontPoints(font);
    s->colour = ColourToStored(colour);
    s->style = quint8((font.bold() ? StyleBold : 0) | (font.italic() ? StyleItalic : 0) |
                      (font.underline() ? StyleUnderline : 0) | (font.strikeOut() ? StyleStrikeOut : 0));
    s->alignment = AlignmentToStored(alignment);
}

}  // namespace vellora
