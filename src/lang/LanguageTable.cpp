#include "lang/LanguageTable.h"

#include "engine/util/FileLookup.h"

#include "lang/LanguageSelection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vellora {

namespace {

QString keyOf(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.left(eq);
}

QString fold(const QString &key) { return key.toCaseFolded(); }

}  // namespace

LanguageTable::LanguageTable(const QStringList &lines)
{
    for (const QString &line : lines)
        append(line);
}

void LanguageTable::append(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq >= 0) {
        const QString folded = fold(line.left(eq));
        if (!m_firstLine.contains(folded))
            m_firstLine.insert(folded, m_lines.size());
    }
    m_lines.append(line);
}

void LanguageTable::clear()
{
    m_lines.clear();
    m_firstLine.clear();
    m_language.clear();
}

QString LanguageTable::value(const QString &key) const
{
    const auto it = m_firstLine.constFind(fold(key));
    if (it == m_firstLine.constEnd())
        return QString();
    const QString &line = m_lines.at(*it);
    return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

bool LanguageTable::contains(const QString &key) const { return m_firstLine.contains(fold(key)); }

LanguageTable &CurrentLanguage()
{
    static LanguageTable table;
    return table;
}

QString CurrentLanguageName() { return CurrentLanguage().language(); }

QString LangText(const QString &key) { return CurrentLanguage().value(key); }

QString Literal(int n) { return CurrentLanguage().value(QStringLiteral("Literals") + QString::number(n)); }

QStringList &FieldCaptions()
{
    static QStringList captions;
    return captions;
}

QString FieldCaption(const QString &fieldName)
{
    for (const QString &line : FieldCaptions()) {
        if (keyOf(line).compare(fieldName, Qt::CaseInsensitive) == 0 && line.contains(QLatin1Char('=')))
            return line.mid(line.indexOf(QLatin1Char('=')) + 1);
    }
    return QString();
}

void SetCurrentLanguage(const QString &name, const QStringList &lines)
{
    LanguageTable table(lines);
    table.setLanguage(name);
    CurrentLanguage() = table;
}

// --- The language file -----------------------------------------------------

QStringList SplitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QStringList DecodeUtf16Lines(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    bool bigEndian = false;
    qsizetype pos = 0;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        pos = 2;
    } else if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        pos = 2;
        bigEndian = true;
    }
    QString text;
    text.reserve((size - pos) / 2);
    // An odd last byte pairs with a zero byte, as if the content ended in
    // two zero bytes.
    for (; pos < size; pos += 2) {
        const unsigned lo = data[pos];
        const unsigned hi = pos + 1 < size ? data[pos + 1] : 0u;
        const char16_t unit = bigEndian ? char16_t((lo << 8) | hi) : char16_t((hi << 8) | lo);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return SplitLines(text);
}

QStringList SectionNamesOf(const QStringList &lines)
{
    QStringList names;
    for (const QString &line : lines) {
        qsizetype i = 0;
        while (i < line.size() && (line.at(i) == QLatin1Char(' ') || line.at(i) == QLatin1Char('\t')))
            ++i;
        if (i >= line.size() || line.at(i) != QLatin1Char('['))
            continue;
        const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
        if (close <= i)
            continue;
        const QString name = line.mid(i + 1, close - i - 1);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

QStringList SectionLines(const QStringList &lines, const QString &name)
{
    const QString header = QLatin1Char('[') + name + QLatin1Char(']');
    const qsizetype start = lines.indexOf(header);
    QStringList section;
    if (start < 0)
        return section;
    for (qsizetype i = start + 1; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(QLatin1Char('[')))
            break;
        section.append(lines.at(i));
    }
    return section;
}

QString ResolveProgramFile(const QString &appFolder, const QString &relative)
{
    return ResolveCaseInsensitive(appFolder, relative);
}

bool ReadUtf16Lines(const QString &path, QStringList *lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    *lines = DecodeUtf16Lines(bytes);
    return true;
}

QStringList LanguageSectionNames(const QString &appFolder)
{
    QStringList lines;
    if (!ReadUtf16Lines(ResolveProgramFile(appFolder, QStringLiteral("languages.ini")), &lines))
        return {};
    return SectionNamesOf(lines);
}

QString LanguageDisplayName(const QStringList &lines, const QString &section)
{
    const LanguageTable table(SectionLines(lines, section));
    const QString name = table.value(QStringLiteral("LANGUAGE:NAME")).trimmed();
    return name.isEmpty() ? section : name;
}

bool ReadLanguageChoice(const QString &appFolder, QString *choice)
{
    QFile file(ResolveProgramFile(appFolder, QStringLiteral("Language.cfg")));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = SplitLines(QString::fromUtf8(file.readAll()));
    if (lines.isEmpty())
        return false;
    QString first = lines.first();
    if (first.startsWith(QChar(0xFEFF)))
        first.remove(0, 1);
    *choice = first;
    return true;
}

bool WriteLanguageChoice(const QString &appFolder, const QString &name)
{
    QFile file(ResolveProgramFile(appFolder, QStringLiteral("Language.cfg")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = name.toUtf8() + "\r\n";
    return file.write(bytes) == bytes.size() && file.flush();
}

bool LoadLanguageTable(const QString &appFolder, QString *error)
{
    auto fail = [error] {
        if (error)
            *error = QString::fromLatin1(kLanguageFileError);
        return false;
    };
    LanguageTable &table = CurrentLanguage();
    table.clear();

    QStringList lines;
    if (!ReadUtf16Lines(ResolveProgramFile(appFolder, QStringLiteral("languages.ini")), &lines))
        return fail();
    const QStringList names = SectionNamesOf(lines);
    if (names.isEmpty())
        return fail();

    qsizetype index = 0;
    if (names.size() > 1) {
        QString choice;
        // Cancelled first-start question: the first language serves this
        // run, and with no Language.cfg written the question comes again
        // at the next start. An empty table would leave every caption empty.
        if (!ReadLanguageChoice(appFolder, &choice)) {
            RunFirstLanguageSelection(appFolder);
            if (!ReadLanguageChoice(appFolder, &choice))
                choice = names.constFirst();
        }
        index = -1;
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (names.at(i).compare(choice, Qt::CaseInsensitive) == 0) {
                index = i;
                break;
            }
        }
        if (index < 0)
            index = 0;
    }
    table.setLanguage(names.at(index));
    for (const QString &line : SectionLines(lines, names.at(index)))
        table.append(line);
    return true;
}

}  // namespace vellora
