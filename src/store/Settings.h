#pragma once
// config.cfg: two fixed records of 5284 bytes (front side, then back side),
// little-endian, short strings of 256 bytes with a length byte. The layout
// is shared with installations on other systems, so every offset is fixed.
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <array>

namespace vellora {

// Style bits and alignment codes as stored.
enum FontStyleBits : quint8 { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };
enum StoredAlignment : quint8 { AlignLeftCode = 0, AlignRightCode = 1, AlignCentreCode = 2 };

struct FontSlot {
    QString face;
    qint32 size = 12;         // points
    quint32 colour = 0;       // 0x00BBGGRR
    quint8 style = StyleBold;
    quint8 alignment = AlignLeftCode;

    bool operator==(const FontSlot &) const = default;
};

struct TrackSettings {
    quint8 use = 0;
    qint32 source = 0;  // 0 static text, 1 linked card field, 2 separate data field
    QString value;
    quint8 show = 0;

    bool operator==(const TrackSettings &) const = default;
};

// The seven field items whose fonts the record keeps, in stored order.
inline constexpr std::array<const char *, 7> kFontSlotFields = {
    "Sparefield1", "Sparefield2", "Card_Number", "First_name", "Last_name", "Title", "Department"};

struct SettingsRecord {
    static constexpr int Size = 5284;

    QString BackgroundPath;
    quint8 MonoPrinter = 0;
    quint8 LayoutType = 3;
    std::array<QString, 4> FreeText;
    std::array<FontSlot, 4> FreeTextFont;
    std::array<FontSlot, 7> FieldFont;  // by kFontSlotFields
    quint8 StripeOn = 0;
    std::array<TrackSettings, 3> Track;
    QString CaptureDevice;
    quint8 DoubleSided = 0;

    // 1..6; any other stored value behaves as quick layout 3.
    int effectiveLayoutType() const { return LayoutType >= 1 && LayoutType <= 6 ? LayoutType : 3; }
    // The slot of a field item's font, or nullptr for a field without one.
    FontSlot *fieldFont(const QString &fieldName);
    const FontSlot *fieldFont(const QString &fieldName) const;

    QByteArray toBytes() const;
    // bytes must be Size long.
    static SettingsRecord fromBytes(const QByteArray &bytes);
    // False when bytes (Size long) cannot be a record this program or an
    // earlier installation wrote: a flag other than 0 or 1, a track source
    // outside 0..2, a font size outside 0..1000, unknown style bits or
    // alignment, or a string with control characters or bytes that decode
    // to no character. Any layout type is plausible (unknown ones act as 3).
    static bool plausible(const QByteArray &bytes);

    bool operator==(const SettingsRecord &) const = default;
};

// The defaults of a fresh installation (CaptureDevice empty).
SettingsRecord DefaultSettingsRecord();

// A short string as stored: Windows-1252 when every character fits, else
// UTF-8; at most 255 bytes, never cutting a character. Reading takes UTF-8
// when the bytes are valid UTF-8 with a multi-byte sequence.
QByteArray EncodeShortString(const QString &text);
QString DecodeShortString(const QByteArray &bytes256);

enum class SettingsLoad {
    Missing,         // no file: defaults kept
    Complete,        // both records read
    FrontOnly,       // back record missing or incomplete: DoubleSided set to 0
    TooShort,        // not even the front record: nothing changed
    Damaged,         // a record that cannot be a settings record: nothing changed
};

// Both records of config.cfg as the program holds them for the whole run.
class Settings {
public:
    SettingsRecord front = DefaultSettingsRecord();
    SettingsRecord back = DefaultSettingsRecord();

    // Defaults everywhere except the front record's CaptureDevice; the back
    // record becomes a copy of the front one.
    void ResetSettings();
    SettingsLoad LoadSettings(const QString &path);
    // Writes both records; false (with the reason in *error) when the file
    // cannot be written.
    bool SaveSettings(const QString &path, QString *error = nullptr) const;

    SettingsRecord &side(int s) { return s == 0 ? front : back; }
    const SettingsRecord &side(int s) const { return s == 0 ? front : back; }
};

// Conversions between stored values and Qt's.
QColor ColourFromStored(quint32 bgr);
quint32 ColourToStored(const QColor &colour);
Qt::Alignment AlignmentFromStored(quint8 code);
quint8 AlignmentToStored(Qt::Alignment alignment);
// The card face measures fonts at a fixed 96 pixels per inch, whatever the
// screen, so a card looks and prints the same everywhere: a slot's point size
// becomes a pixel height of size * 96 / 72.
inline constexpr int kCardFaceDpi = 96;
int PointsToCardPixels(int points);
int CardPixelsToPoints(int pixels);
// The card-face font a slot names (pixel-sized); the face is kept as stored
// (substitution of faces Linux lacks happens in the font database).
QFont FontFromSlot(const FontSlot &slot);
// The reverse; a font sized in points (a font dialog's answer) is taken as
// it stands.
void FontToSlot(const QFont &font, const QColor &colour, Qt::Alignment alignment, FontSlot *slot);
// Point size of a card-face font, pixel-sized or not.
int CardFontPoints(const QFont &font);

}  // namespace vellora
