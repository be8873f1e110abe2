#pragma once
// Windows-1252, the code page of files written by installations on Windows.
// Qt's codecs depend on ICU for it, so the table is ours.
#include <QByteArray>
#include <QString>

namespace vellora {

// Every byte maps to one character (the five unassigned bytes to the C1
// control of the same value, as Windows does).
QString FromCp1252(const QByteArray &bytes);
// *ok (when given) is false if some character has no Windows-1252 byte; such
// characters are written as '?'.
QByteArray ToCp1252(const QString &text, bool *ok = nullptr);
bool FitsCp1252(const QString &text);

// True when the bytes are valid UTF-8 and hold at least one multi-byte
// sequence: such text was written as UTF-8, anything else as Windows-1252.
bool LooksLikeUtf8(const QByteArray &bytes);
// Decodes by that rule.
QString DecodeStoredText(const QByteArray &bytes);
// Windows-1252 when every character fits and the bytes cannot be mistaken
// for UTF-8, else UTF-8.
QByteArray EncodeStoredText(const QString &text);

}  // namespace vellora
