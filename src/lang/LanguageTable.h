#pragma once
// The language table: the key=value lines of the selected section of
// languages.ini. Lookups ignore letter case; a missing key gives the empty
// text. Text stays Unicode from the file to the screen.
#include <QHash>
#include <QString>
#include <QStringList>

namespace vellora {

class LanguageTable {
public:
    LanguageTable() = default;
    explicit LanguageTable(const QStringList &lines);

    // The value of the first line whose text before its first '=' equals
    // key (letter case ignored); empty when no line matches. The value is
    // everything after that '=', untrimmed.
    QString value(const QString &key) const;
    // True when some line carries the key (its value may still be empty).
    bool contains(const QString &key) const;

    void append(const QString &line);
    void clear();
    const QStringList &lines() const { return m_lines; }
    bool isEmpty() const { return m_lines.isEmpty(); }
    qsizetype size() const { return m_lines.size(); }

    // Name of the section the lines came from, as listed in the file;
    // empty until a language has been chosen.
    const QString &language() const { return m_language; }
    void setLanguage(const QString &name) { m_language = name; }

private:
    QStringList m_lines;
    QHash<QString, qsizetype> m_firstLine;  // folded key -> first line with it
    QString m_language;
};

// The process-wide table of the running program.
LanguageTable &CurrentLanguage();
// CurrentLanguage().language(): the selected section's name.
QString CurrentLanguageName();
// CurrentLanguage().value(key).
QString LangText(const QString &key);
// The message text of key "Literals<n>".
QString Literal(int n);

// Field name -> display name from the "FIELD:" lines of the table, rebuilt
// by LoadLanguageGraphics. Each line is "fieldname=display name".
QStringList &FieldCaptions();
// Display name of a field from FieldCaptions (letter case ignored), empty
// when the language has none.
QString FieldCaption(const QString &fieldName);

// --- The language file -----------------------------------------------------

// Decodes the bytes of a UTF-16 file: FF FE = little-endian, FE FF =
// big-endian (both marks skipped), anything else little-endian from the
// first byte; text ends at the first zero unit; lines split at CR, LF or
// CR LF (a final line break adds no empty line).
QStringList DecodeUtf16Lines(const QByteArray &bytes);
// Splits text into lines the same way.
QStringList SplitLines(const QString &text);
// Section names in file order as an INI reader lists them: a line whose
// first non-blank character is '[' names the text up to its last ']'.
// A name listed twice (letter case ignored) is listed once.
QStringList SectionNamesOf(const QStringList &lines);
// The lines of the section: from the line after the first line equal to
// "[" + name + "]" (exactly) up to the next line beginning with '['. Empty
// when no header matches exactly.
QStringList SectionLines(const QStringList &lines, const QString &name);

// Reads the whole file; false when it is missing or unreadable.
bool ReadUtf16Lines(const QString &path, QStringList *lines);
// Section names of AppFolder + languages.ini; empty when unreadable.
QStringList LanguageSectionNames(const QString &appFolder);
// The name a language gives itself (its LANGUAGE:NAME text, "Deutsch" for
// the section German), for lists the operator picks from; the section name
// when the section has no such text. Language.cfg keeps the section name.
QString LanguageDisplayName(const QStringList &lines, const QString &section);
// First line of AppFolder + Language.cfg; false when there is no such file
// or it holds no line.
bool ReadLanguageChoice(const QString &appFolder, QString *choice);
// Writes Language.cfg as the single line name + CR LF (UTF-8).
bool WriteLanguageChoice(const QString &appFolder, const QString &name);

// A file below appFolder, found with any letter case of its path parts
// (ResolveCaseInsensitive); missing parts are appended as given.
QString ResolveProgramFile(const QString &appFolder, const QString &relative);

// The error text of a failed LoadLanguageTable.
inline constexpr const char *kLanguageFileError = "Cannot load Language file.";

// Chooses the language and replaces the current table: a single section is
// taken without Language.cfg; with several, Language.cfg names the section
// (letter case ignored, an unknown name gives the first), and when it does
// not exist the language selection dialog asks first (it writes
// Language.cfg). Returns false with *error = "Cannot load Language file."
// when the file is missing or unreadable, holds no section, or no choice
// was recorded; what was loaded before the failure stays.
bool LoadLanguageTable(const QString &appFolder, QString *error = nullptr);

// Replaces the current table with the given lines (tests and tools).
void SetCurrentLanguage(const QString &name, const QStringList &lines);

}  // namespace vellora
