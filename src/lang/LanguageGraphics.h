#pragma once
// The language-dependent pictures and field names.
#include <QString>
#include <QStringList>

namespace vellora {

// One picture file of a language and where it goes.
struct LanguagePicture {
    const char *file;     // below langimages/<language>/
    const char *window;   // window's component name
    const char *control;  // component name of the button or marker
    const char *hint;     // built-in hint, may be empty
};
// All of them, in loading order.
const QList<LanguagePicture> &LanguagePictures();

inline constexpr const char *kLanguageGraphicsError = "Cannot load language dependant graphics";

// Rebuilds FieldCaptions from the "FIELD:" lines of the current table, then
// (when a language is chosen) loads the pictures from
// AppFolder/langimages/<language>/ in order into the windows that exist.
// The first file that cannot be loaded stops the sequence: false with
// *error = "Cannot load language dependant graphics"; earlier pictures stay.
bool LoadLanguageGraphics(const QString &appFolder, QString *error = nullptr);

}  // namespace vellora
