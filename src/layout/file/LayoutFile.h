#pragma once
// Reading and writing the custom layout files layout.ccl (front) and
// layout_b.ccl (back): lines 1-4 the card panel's and the designer frame's
// width and height, line 5 the background picture, then one comma-text line
// per item. Written with CR LF after every line, read with any line end.
//
// Files from Windows installations are Windows-1252. A file that is valid
// UTF-8 with a multi-byte sequence is read as UTF-8; writing uses
// Windows-1252 whenever that keeps every character, UTF-8 otherwise.
#include "layout/file/CardSide.h"
#include "layout/file/LayoutRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace vellora {

struct SettingsRecord;

// At most this many table fields get a field item.
inline constexpr int kMaxLayoutFieldItems = 200;

// The field items of a card table: the first 200 fields (table order) whose
// name, in upper case, does not contain "MAGSTRIPE".
QStringList LayoutFieldItemNames(const QStringList &tableFields);
// The names in the order a layout file lists them: the field items, then
// Image1, StaticText1..StaticText4, Statimage1, secphot.
QStringList LayoutItemWriteOrder(const QStringList &tableFields);

// The start of a line renamed as earlier versions wrote it: "Lastname",
// "Firstname", "CardNumber", and for the card face also "StaticText"
// (to "statlabel"). Only the line's first characters are looked at.
QString ReplaceLegacyName(const QString &line, LayoutReader reader);

// The kind by item name alone: Image1, secphot and Statimage1 are pictures
// (for the card face without regard to letter case), every other name a
// text item.
LayoutItemKind DefaultLayoutItemKind(const QString &name, LayoutReader reader);

// One item line without its line end. Fails (with *error) only for a field
// that would break the line structure: a line break anywhere but in the text.
std::optional<QString> EncodeLayoutItem(const LayoutItem &item, QString *error = nullptr);
// The fields of one item line read as `kind`. False with the operator's
// error text when a number is not an integer or a field is missing.
bool DecodeLayoutItem(const QStringList &fields, LayoutItemKind kind, LayoutItem *item, QString *error);

// The whole file as written, or nullopt (with *error) as EncodeLayoutItem.
std::optional<QByteArray> EncodeLayoutFile(const LayoutRecord &record, QString *error = nullptr);

struct LayoutLoadOptions {
    LayoutReader reader = LayoutReader::Designer;
    // The kind of the window item that a line's name (after the legacy
    // renaming) addresses, or nullopt when it addresses none: the line is
    // then skipped unread. Without it every line is read by
    // DefaultLayoutItemKind.
    std::function<std::optional<LayoutItemKind>(const QString &name)> resolve;
};

struct LayoutLoad {
    enum class Status { Read, Missing, Unreadable, Malformed };
    Status status = Status::Missing;
    // Everything read before an error; items in file order.
    LayoutRecord record;
    // Unreadable / Malformed: the text for the operator, e.g.
    // "'x' is not a valid integer value" or "List index out of bounds (4)".
    QString error;
    int errorLine = 0;  // 1-based line that stopped the reading

    bool ok() const { return status == Status::Read; }
};

// The file's path: AppFolder + "layout.ccl" or "layout_b.ccl", taking an
// existing file whose name differs only in letter case.
QString LayoutFileName(const QString &appFolder, CardSide side);

// Reads a whole file. A missing file is Status::Missing, not an error.
LayoutLoad LoadLayout(const QString &path, const LayoutLoadOptions &options = {});
// The same for the file's bytes.
LayoutLoad ParseLayout(const QByteArray &bytes, const LayoutLoadOptions &options = {});

// Writes the whole file in place of any existing one: the old file stays
// untouched when writing fails. Items are written in record order.
bool SaveLayout(const QString &path, const LayoutRecord &record, QString *error = nullptr);
bool SaveLayout(const QString &appFolder, CardSide side, const LayoutRecord &record, QString *error = nullptr);

// The background the renderer draws for a side: line 5 of the side's file
// for a custom layout (LayoutType 6, or 7 inside the card design dialog;
// empty when the file cannot be read), else the settings' BackgroundPath.
QString ReadLayoutBackground(const QString &appFolder, CardSide side, const SettingsRecord &sideSettings);

// The lines of a text split at CR, LF or CR LF; a last line end adds no
// empty line.
QStringList SplitLayoutLines(const QString &text);
// Decoding and encoding of the file's text.
QString DecodeLayoutText(const QByteArray &bytes);
QByteArray EncodeLayoutText(const QString &text);

}  // namespace vellora
