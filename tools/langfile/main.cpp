// Assembles languages.ini from the UTF-8 language sources: one section per
// language, in the order of languages.txt, written as UTF-16 little-endian
// with its byte-order mark and CR LF line ends. Stops with an error for a
// line without '=', a key given twice in one language, or a key that one
// language has and another lacks.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {

struct Section {
    QString name;
    QStringList lines;
    QStringList keys;  // in source order, as written
};

bool fail(const QString &message)
{
    std::fprintf(stderr, "langfile: %s\n", qPrintable(message));
    return false;
}

QStringList readUtf8Lines(const QString &path, bool *ok)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = fail(QStringLiteral("cannot read %1").arg(path));
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    *ok = true;
    return lines;
}

bool readSection(const QString &folder, const QString &name, Section *section)
{
    section->name = name;
    const QDir dir(folder + QLatin1Char('/') + name);
    if (!dir.exists())
        return fail(QStringLiteral("no folder for language %1").arg(name));
    QHash<QString, QString> seen;  // folded key -> where
    const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        return fail(QStringLiteral("no *.txt source for language %1").arg(name));
    for (const QString &fileName : files) {
        bool ok = false;
        const QString path = dir.filePath(fileName);
        const QStringList lines = readUtf8Lines(path, &ok);
        if (!ok)
            return false;
        for (int i = 0; i < lines.size(); ++i) {
            const QString &line = lines.at(i);
            if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QString where = QStringLiteral("%1:%2").arg(path).arg(i + 1);
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0)
                return fail(QStringLiteral("%1: not a key=value line").arg(where));
            if (line.startsWith(QLatin1Char('[')))
                return fail(QStringLiteral("%1: a line starting with '[' would end the section").arg(where));
            const QString key = line.left(eq);
            if (key != key.trimmed())
                return fail(QStringLiteral("%1: blank around the key '%2'").arg(where, key));
            const QString folded = key.toCaseFolded();
            if (seen.contains(folded))
                return fail(QStringLiteral("%1: key %2 already given at %3").arg(where, key, seen.value(folded)));
            seen.insert(folded, where);
            section->lines.append(line);
            section->keys.append(key);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: langfile <source folder> <languages.ini>\n");
        return 2;
    }
    const QString folder = args.at(1);
    bool ok = false;
    QStringList names;
    for (const QString &line : readUtf8Lines(folder + QStringLiteral("/languages.txt"), &ok))
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            names.append(line.trimmed());
    if (!ok)
        return 1;
    if (names.isEmpty()) {
        fail(QStringLiteral("languages.txt names no language"));
        return 1;
    }

    QList<Section> sections;
    for (const QString &name : names) {
        Section section;
        if (!readSection(folder, name, &section))
            return 1;
        sections.append(section);
    }
    // Every language carries the keys of the first one, and no others.
    const Section &first = sections.first();
    QHash<QString, bool> firstKeys;
    for (const QString &key : first.keys)
        firstKeys.insert(key.toCaseFolded(), true);
    bool complete = true;
    for (const Section &section : sections) {
        QHash<QString, bool> keys;
        for (const QString &key : section.keys) {
            keys.insert(key.toCaseFolded(), true);
            if (!firstKeys.contains(key.toCaseFolded()))
                complete = fail(QStringLiteral("%1 has key %2 that %3 lacks").arg(section.name, key, first.name));
        }
        for (const QString &key : first.keys)
            if (!keys.contains(key.toCaseFolded()))
                complete = fail(QStringLiteral("%1 lacks key %2").arg(section.name, key));
    }
    if (!complete)
        return 1;

    QString text;
    for (const Section &section : sections) {
        text += QLatin1Char('[') + section.name + QStringLiteral("]\r\n");
        for (const QString &line : section.lines)
            text += line + QStringLiteral("\r\n");
        text += QStringLiteral("\r\n");
    }
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : std::as_const(text)) {
        const char16_t unit = c.unicode();
        bytes.append(char(unit & 0xFF));
        bytes.append(char(unit >> 8));
    }
    const QString out = args.at(2);
    QDir().mkpath(QFileInfo(out).absolutePath());
    QFile file(out + QStringLiteral(".part"));
    QFile::remove(file.fileName());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        fail(QStringLiteral("cannot write %1").arg(out));
        return 1;
    }
    file.close();
    QFile::remove(out);
    if (!file.rename(out)) {
        fail(QStringLiteral("cannot write %1").arg(out));
        return 1;
    }
    return 0;
}
