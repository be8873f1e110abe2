#pragma once
// Small language files for the language tests.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace vellora::test {

enum class Utf16Form { LittleWithMark, LittleNoMark, BigWithMark };

inline QByteArray EncodeUtf16(const QString &text, Utf16Form form)
{
    QByteArray bytes;
    if (form == Utf16Form::LittleWithMark)
        bytes.append("\xFF\xFE", 2);
    if (form == Utf16Form::BigWithMark)
        bytes.append("\xFE\xFF", 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (form == Utf16Form::BigWithMark) {
            bytes.append(char(u >> 8));
            bytes.append(char(u & 0xFF));
        } else {
            bytes.append(char(u & 0xFF));
            bytes.append(char(u >> 8));
        }
    }
    return bytes;
}

inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A temporary program folder with a languages.ini of the given text.
class LangFolder {
public:
    explicit LangFolder(const QString &ini = QString(), Utf16Form form = Utf16Form::LittleWithMark)
    {
        if (!ini.isNull())
            writeIni(ini, form);
    }
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    bool writeIni(const QString &ini, Utf16Form form = Utf16Form::LittleWithMark)
    {
        return WriteBytes(path() + QStringLiteral("languages.ini"), EncodeUtf16(ini, form));
    }
    bool writeCfg(const QByteArray &content) { return WriteBytes(path() + QStringLiteral("Language.cfg"), content); }
    QByteArray cfg() const
    {
        QFile file(path() + QStringLiteral("Language.cfg"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool hasCfg() const { return QFile::exists(path() + QStringLiteral("Language.cfg")); }

private:
    QTemporaryDir m_dir;
};

// Two languages with a few texts each.
inline QString TwoLanguages()
{
    return QStringLiteral(
        "[English]\r\n"
        "Literals24=Delete this card?\r\n"
        "Literals31=Warning\r\nLiterals33=Information\r\nLiterals35=&Yes\r\nLiterals36=&No\r\n"
        "FORM:Form2-OWNER:-CONTROL:Form2-CAPTION=Select Language\r\n"
        "FORM:Form2-OWNER:Form2-CONTROL:Label1-CAPTION=Select your language<BR>from the list\r\n"
        "FORM:Form2-OWNER:Form2-CONTROL:Button1-CAPTION=Ok\r\n"
        "FORM:Form2-OWNER:Form2-CONTROL:Button2-CAPTION=Can\r\n"
        "FORM:Win-OWNER:-CONTROL:Win-CAPTION=A window\r\n"
        "FORM:-OWNER:-CONTROL:File1-CAPTION=&File\r\n"
        "\r\n"
        "[Deutsch]\r\n"
        "Literals24=Diese Karte löschen?\r\n"
        "Literals31=Warnung\r\nLiterals33=Hinweis\r\nLiterals35=&Ja\r\nLiterals36=&Nein\r\n"
        "FORM:Form2-OWNER:-CONTROL:Form2-CAPTION=Sprache wählen\r\n"
        "FORM:Form2-OWNER:Form2-CONTROL:Label1-CAPTION=Wählen Sie Ihre Sprache<BR>aus der Liste\r\n"
        "FORM:Form2-OWNER:Form2-CONTROL:Button1-CAPTION=Ok\r\n"
        "FORM:Win-OWNER:-CONTROL:Win-CAPTION=Ein Fenster\r\n"
        "FORM:-OWNER:-CONTROL:File1-CAPTION=&Datei\r\n");
}

}  // namespace vellora::test
