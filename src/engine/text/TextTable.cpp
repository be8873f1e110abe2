#include "engine/text/TextTable.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/paradox/CodePages.h"
#include "engine/text/Cp1252.h"
#include "engine/util/FileLookup.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include <cmath>

namespace vellora::engine {

namespace {

QString schemaPathFor(const QString &txtPath)
{
    const QFileInfo fi(txtPath);
    return ResolveCaseInsensitive(fi.absolutePath(), fi.completeBaseName() + QStringLiteral(".sch"));
}

QString decodeText(const QByteArray &data, int codePage)
{
    if (codePage == 65001) {
        QByteArrayView v(data);
        if (v.startsWith("\xEF\xBB\xBF"))
            v = v.sliced(3);
        return QString::fromUtf8(v);
    }
    if (codePage == 1252)
        return FromCp1252(data);
    paradox::TextDecoder d(codePage);
    return d.decode(data.constData(), data.size());
}

// Text in a single-byte code page; ok false when a character has no byte.
QByteArray encodeText(const QString &text, int codePage, bool *ok)
{
    *ok = true;
    if (codePage == 65001)
        return text.toUtf8();
    if (codePage == 1252)
        return ToCp1252(text, ok);
    const char16_t *table = paradox::singleByteTable(codePage);
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out.append(char(u));
            continue;
        }
        int b = -1;
        for (int i = 0; table && i < 128; ++i)
            if (table[i] == u) {
                b = 0x80 + i;
                break;
            }
        if (b < 0) {
            *ok = false;
            out.append('?');
        } else {
            out.append(char(b));
        }
    }
    return out;
}

struct TypeInfo {
    const char *name;
    int width;
    int decimals;
};

TypeInfo textTypeFor(const FieldDef &d)
{
    switch (d.type) {
    case FieldType::Smallint: case FieldType::Word: return {"SHORTINT", 6, 0};
    case FieldType::Integer: case FieldType::AutoInc: return {"LONGINT", 11, 0};
    case FieldType::LargeInt: return {"NUMBER", 20, 0};
    case FieldType::Float: case FieldType::Money: return {"FLOAT", 24, 0};
    case FieldType::BCD: return {"NUMBER", 24, std::max(0, d.size)};
    case FieldType::Boolean: return {"BOOL", 1, 0};
    case FieldType::Date: return {"DATE", 10, 0};
    case FieldType::Time: return {"TIME", 12, 0};
    case FieldType::DateTime: return {"TIMESTAMP", 23, 0};
    default:
        if (isTextType(d.type))
            return {"CHAR", d.size > 0 ? d.size : 4096, 0};
        throw EngineError(QObject::tr("The field %1 has the type %2, which a text table cannot hold.")
                              .arg(d.name, fieldTypeName(d.type)));
    }
}

QString formatForText(const QVariant &v, const FieldDef &def)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (def.type) {
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default: return formatValue(v, def);
    }
}

} // namespace

FieldDef textFieldDef(const TextSchema::Field &f)
{
    FieldDef d;
    d.name = f.name;
    const QString t = f.type.toUpper();
    if (t == QLatin1String("CHAR")) {
        d.type = FieldType::String;
        d.size = f.width;
    } else if (t == QLatin1String("NUMBER")) {
        if (f.decimals > 0) {
            d.type = FieldType::BCD;
            d.size = f.decimals;
        } else {
            d.type = FieldType::LargeInt;
        }
    } else if (t == QLatin1String("FLOAT")) {
        d.type = FieldType::Float;
    } else if (t == QLatin1String("LONGINT")) {
        d.type = FieldType::Integer;
    } else if (t == QLatin1String("SHORTINT")) {
        d.type = FieldType::Smallint;
    } else if (t == QLatin1String("BOOL")) {
        d.type = FieldType::Boolean;
    } else if (t == QLatin1String("DATE")) {
        d.type = FieldType::Date;
    } else if (t == QLatin1String("TIME")) {
        d.type = FieldType::Time;
    } else if (t == QLatin1String("TIMESTAMP")) {
        d.type = FieldType::DateTime;
    } else {
        d.type = FieldType::Unknown;
    }
    return d;
}

TextSchema parseTextSchema(const QString &text, const QString &display)
{
    TextSchema s;
    bool inSection = false;
    bool sawSection = false;
    QHash<int, TextSchema::Field> fields;
    int lineNo = 0;
    auto bad = [&](const QString &why) {
        return EngineError(QObject::tr("The schema file %1 is not valid (line %2): %3").arg(display).arg(lineNo).arg(why));
    };
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString &raw : lines) {
        ++lineNo;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (sawSection)
                break;   // one table per schema: the first section is ours
            if (!line.endsWith(QLatin1Char(']')))
                throw bad(QObject::tr("a section name lacks its closing bracket"));
            s.section = line.mid(1, line.size() - 2).trimmed();
            inSection = sawSection = true;
            continue;
        }
        if (!inSection)
            throw bad(QObject::tr("the settings do not follow a section [NAME]"));
        const int eq = raw.indexOf(QLatin1Char('='));
        if (eq < 0)
            throw bad(QObject::tr("a line is not of the form key=value"));
        const QString key = raw.left(eq).trimmed().toLower();
        const QString value = raw.mid(eq + 1);
        if (key == QLatin1String("filetype")) {
            const QString v = value.trimmed().toUpper();
            if (v == QLatin1String("FIXED"))
                s.fixed = true;
            else if (v == QLatin1String("VARYING"))
                s.fixed = false;
            else
                throw bad(QObject::tr("the file type %1 is neither VARYING nor FIXED").arg(value.trimmed()));
        } else if (key == QLatin1String("delimiter")) {
            const QString v = value.trimmed();
            s.delimiter = v.isEmpty() ? QChar() : v.at(0);
        } else if (key == QLatin1String("separator")) {
            // A blank or a tab may be the separator: no trimming first.
            QString v = value;
            if (v.endsWith(QLatin1Char('\r')))
                v.chop(1);
            if (v.isEmpty())
                throw bad(QObject::tr("the separator is empty"));
            s.separator = v.trimmed().isEmpty() ? v.at(0) : v.trimmed().at(0);
        } else if (key == QLatin1String("charset")) {
            const QString v = value.trimmed().toLower();
            if (v == QLatin1String("ascii") || v == QLatin1String("oem"))
                s.codePage = 437;
            else if (v == QLatin1String("ansi"))
                s.codePage = 1252;
            else if (v == QLatin1String("utf8") || v == QLatin1String("utf-8"))
                s.codePage = 65001;
            else
                throw bad(QObject::tr("the character set %1 is not known").arg(value.trimmed()));
        } else if (key.startsWith(QLatin1String("field"))) {
            bool ok = false;
            const int n = key.mid(5).toInt(&ok);
            if (!ok || n < 1 || n > 4096)
                throw bad(QObject::tr("%1 is not a field number").arg(raw.left(eq).trimmed()));
            const QStringList parts = value.split(QLatin1Char(','));
            if (parts.size() < 3)
                throw bad(QObject::tr("the field %1 needs a name, a type and a width").arg(n));
            TextSchema::Field f;
            f.name = parts[0].trimmed();
            f.type = parts[1].trimmed().toUpper();
            f.width = parts[2].trimmed().toInt(&ok);
            if (!ok || f.width < 0 || f.width > 1 << 20)
                throw bad(QObject::tr("the field %1 has no valid width").arg(f.name));
            if (parts.size() > 3)
                f.decimals = std::max(0, parts[3].trimmed().toInt());
            if (parts.size() > 4)
                f.offset = std::max(0, parts[4].trimmed().toInt());
            if (f.name.isEmpty())
                throw bad(QObject::tr("the field %1 has no name").arg(n));
            if (textFieldDef(f).type == FieldType::Unknown)
                throw bad(QObject::tr("the field %1 has the unknown type %2").arg(f.name, f.type));
            if (fields.contains(n))
                throw bad(QObject::tr("the field number %1 is given twice").arg(n));
            fields.insert(n, f);
        }
    }
    if (!sawSection)
        throw EngineError(QObject::tr("The schema file %1 is not valid: it has no section [NAME].").arg(display));
    if (fields.isEmpty())
        throw EngineError(QObject::tr("The schema file %1 is not valid: it names no fields.").arg(display));
    for (int n = 1; n <= fields.size(); ++n) {
        if (!fields.contains(n))
            throw EngineError(QObject::tr("The schema file %1 is not valid: the field %2 is missing.").arg(display).arg(n));
        s.fields.append(fields.value(n));
    }
    for (int i = 0; i < s.fields.size(); ++i)
        for (int j = 0; j < i; ++j)
            if (s.fields[i].name.compare(s.fields[j].name, Qt::CaseInsensitive) == 0)
                throw EngineError(QObject::tr("The schema file %1 is not valid: it names the field %2 twice.")
                                      .arg(display, s.fields[i].name));
    return s;
}

QString formatTextSchema(const TextSchema &s)
{
    QString out = QLatin1Char('[') + s.section + QStringLiteral("]\r\n");
    out += QStringLiteral("Filetype=") + (s.fixed ? QStringLiteral("FIXED") : QStringLiteral("VARYING")) + QStringLiteral("\r\n");
    if (!s.fixed) {
        out += QStringLiteral("Delimiter=") + (s.delimiter.isNull() ? QString() : QString(s.delimiter)) + QStringLiteral("\r\n");
        out += QStringLiteral("Separator=") + QString(s.separator) + QStringLiteral("\r\n");
    }
    out += QStringLiteral("CharSet=")
        + (s.codePage == 65001 ? QStringLiteral("utf8") : s.codePage == 437 ? QStringLiteral("ascii") : QStringLiteral("ansi"))
        + QStringLiteral("\r\n");
    for (int i = 0; i < s.fields.size(); ++i) {
        const TextSchema::Field &f = s.fields[i];
        out += QStringLiteral("Field%1=%2,%3,%4,%5,%6\r\n")
                   .arg(i + 1)
                   .arg(f.name, f.type)
                   .arg(f.width, 2, 10, QLatin1Char('0'))
                   .arg(f.decimals, 2, 10, QLatin1Char('0'))
                   .arg(f.offset, 2, 10, QLatin1Char('0'));
    }
    return out;
}

QList<QStringList> parseTextRows(const QByteArray &data, const TextSchema &schema, const QString &display)
{
    const QString text = decodeText(data, schema.codePage);
    QList<QStringList> rows;
    const int nf = schema.fields.size();
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    auto ragged = [&](int got) {
        return EngineError(QObject::tr("The text table %1 does not match its schema: line %2 holds %3 values, "
                                       "the schema names %4 fields.")
                               .arg(display)
                               .arg(line)
                               .arg(got)
                               .arg(nf));
    };
    while (i < n) {
        const int startLine = line;
        if (schema.fixed) {
            qsizetype e = i;
            while (e < n && text[e] != QLatin1Char('\n') && text[e] != QLatin1Char('\r'))
                ++e;
            const QString l = text.mid(i, e - i);
            i = e;
            if (i < n && text[i] == QLatin1Char('\r'))
                ++i;
            if (i < n && text[i] == QLatin1Char('\n'))
                ++i;
            ++line;
            if (l.trimmed().isEmpty())
                continue;
            QStringList values;
            for (const TextSchema::Field &f : schema.fields) {
                if (f.offset >= l.size() && f.width > 0) {
                    line = startLine;
                    throw ragged(int(values.size()));
                }
                values.append(l.mid(f.offset, f.width).trimmed());
            }
            rows.append(values);
            continue;
        }
        QStringList values;
        bool lineEnded = false;
        bool any = false;
        while (!lineEnded) {
            QString v;
            // Blanks before a value are not part of it.
            while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')) && text[i] != schema.separator)
                ++i;
            if (i < n && !schema.delimiter.isNull() && text[i] == schema.delimiter) {
                ++i;
                bool closed = false;
                while (i < n) {
                    if (text[i] == schema.delimiter) {
                        if (i + 1 < n && text[i + 1] == schema.delimiter) {
                            v += schema.delimiter;
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (text[i] == QLatin1Char('\n'))
                        ++line;
                    v += text[i++];
                }
                if (!closed)
                    throw EngineError(QObject::tr("The text table %1 is damaged: a quoted value that starts in line "
                                                  "%2 is never closed.")
                                          .arg(display)
                                          .arg(startLine));
                while (i < n && text[i] != schema.separator && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
                    ++i;   // blanks after the closing quote
                any = true;
            } else {
                const qsizetype s = i;
                while (i < n && text[i] != schema.separator && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
                    ++i;
                v = text.mid(s, i - s).trimmed();
                any = any || !v.isEmpty();
            }
            values.append(v);
            if (i < n && text[i] == schema.separator) {
                ++i;
                any = true;
                continue;
            }
            if (i < n && text[i] == QLatin1Char('\r'))
                ++i;
            if (i < n && text[i] == QLatin1Char('\n'))
                ++i;
            ++line;
            lineEnded = true;
        }
        if (!any)
            continue;   // an empty line
        if (values.size() != nf) {
            line = startLine;
            throw ragged(int(values.size()));
        }
        rows.append(values);
    }
    return rows;
}

namespace {

class TextStorage : public TableStorage {
public:
    TextStorage(QString path, QString display) : m_path(std::move(path)), m_display(std::move(display)) {}

    void load();
    QString kindName() const override { return QStringLiteral("ASCII"); }
    QList<FieldDef> fieldDefs() const override { return m_defs; }
    QList<IndexDef> indexDefs() const override { return {}; }
    std::vector<qint64> rowIds() override
    {
        std::vector<qint64> ids;
        ids.reserve(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (m_alive[i])
                ids.push_back(qint64(i) + 1);
        return ids;
    }
    void readRows(const qint64 *ids, int count, std::vector<RowValues> &out) override
    {
        out.resize(size_t(count));
        for (int i = 0; i < count; ++i) {
            const qint64 k = ids[i] - 1;
            out[size_t(i)] = k >= 0 && k < qint64(m_rows.size()) && m_alive[size_t(k)] ? m_rows[size_t(k)] : RowValues();
        }
    }
    std::optional<qint64> findKey(const RowValues &) override { return std::nullopt; }
    qint64 reserveAutoInc(int, qint64) override
    {
        throw EngineError(QObject::tr("The text table %1 has no numbered field.").arg(m_display));
    }
    void releaseAutoInc(int, qint64, qint64) override {}
    std::vector<qint64> apply(const std::vector<RowChange> &changes) override;
    void emptyTable() override;
    void changeField(int, const FieldDef &) override
    {
        throw EngineError(QStringLiteral("Field altering can only occur on Paradox or dBASE tables"));
    }

private:
    QByteArray line(const RowValues &values, bool *fits) const;
    void writeSchema(const TextSchema &s);
    void rewrite(const TextSchema &schema);

    QString m_path, m_display, m_schemaPath;
    TextSchema m_schema;
    QList<FieldDef> m_defs;
    std::vector<RowValues> m_rows;
    std::vector<char> m_alive;
};

void TextStorage::load()
{
    if (!QFileInfo::exists(m_path))
        throw EngineError(QObject::tr("The table %1 does not exist.").arg(m_display));
    m_schemaPath = schemaPathFor(m_path);
    const QString schemaDisplay = QDir::toNativeSeparators(m_schemaPath);
    QFile sf(m_schemaPath);
    if (!QFileInfo::exists(m_schemaPath))
        throw EngineError(QObject::tr("The text table %1 has no schema file %2.").arg(m_display, schemaDisplay));
    if (!sf.open(QIODevice::ReadOnly))
        throw EngineError(QObject::tr("The schema file %1 cannot be read: %2").arg(schemaDisplay, sf.errorString()));
    const QByteArray schemaBytes = sf.read(1 << 20);
    m_schema = parseTextSchema(DecodeStoredText(schemaBytes), schemaDisplay);
    m_defs.clear();
    for (const TextSchema::Field &f : m_schema.fields)
        m_defs.append(textFieldDef(f));
    QFile df(m_path);
    if (!df.open(QIODevice::ReadOnly))
        throw EngineError(QObject::tr("The table %1 cannot be read: %2").arg(m_display, df.errorString()));
    const QList<QStringList> texts = parseTextRows(df.readAll(), m_schema, m_display);
    m_rows.clear();
    m_rows.reserve(size_t(texts.size()));
    for (int r = 0; r < texts.size(); ++r) {
        RowValues row;
        row.reserve(m_defs.size());
        for (int f = 0; f < m_defs.size(); ++f) {
            const QString &t = texts[r][f];
            if (t.isEmpty()) {
                row.append(QVariant());
                continue;
            }
            if (m_defs[f].type == FieldType::String) {
                row.append(t);
                continue;
            }
            bool ok = true;
            FieldDef def = m_defs[f];
            const QVariant v = parseValue(t, def, &ok);
            if (!ok)
                throw EngineError(QObject::tr("The text table %1 does not match its schema: row %2 holds '%3' in the "
                                              "field %4, which is not a %5 value.")
                                      .arg(m_display)
                                      .arg(r + 1)
                                      .arg(t.left(40), def.name, m_schema.fields[f].type));
            row.append(v);
        }
        m_rows.push_back(std::move(row));
    }
    m_alive.assign(m_rows.size(), 1);
}

QByteArray TextStorage::line(const RowValues &values, bool *fits) const
{
    QString out;
    if (m_schema.fixed) {
        for (int f = 0; f < m_defs.size(); ++f) {
            const TextSchema::Field &sf = m_schema.fields[f];
            QString v = formatForText(values.value(f), m_defs[f]);
            if (v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r')))
                throw EngineError(QObject::tr("The value of the field %1 holds a line break, which a fixed-width text "
                                              "table %2 cannot keep.")
                                      .arg(sf.name, m_display));
            if (v.size() > sf.width) {
                if (m_defs[f].type != FieldType::String)
                    throw EngineError(QObject::tr("The value %1 does not fit the field %2 of %3.")
                                          .arg(v, sf.name, m_display));
                v.truncate(sf.width);
            }
            if (out.size() < sf.offset)
                out += QString(sf.offset - out.size(), QLatin1Char(' '));
            const QString cell = m_defs[f].type == FieldType::String ? v.leftJustified(sf.width)
                                                                      : v.rightJustified(sf.width);
            out.replace(sf.offset, cell.size(), cell);
        }
    } else {
        for (int f = 0; f < m_defs.size(); ++f) {
            if (f)
                out += m_schema.separator;
            const QVariant &value = values.value(f);
            const QString v = formatForText(value, m_defs[f]);
            if (m_defs[f].type == FieldType::String && !v.isEmpty()) {
                if (m_schema.delimiter.isNull()) {
                    if (v.contains(m_schema.separator) || v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r')))
                        throw EngineError(QObject::tr("The value of the field %1 holds the separator or a line break, "
                                                      "which the text table %2 without a delimiter cannot keep.")
                                              .arg(m_defs[f].name, m_display));
                    out += v;
                } else {
                    QString q = v;
                    q.replace(m_schema.delimiter, QString(2, m_schema.delimiter));
                    out += m_schema.delimiter + q + m_schema.delimiter;
                }
            } else {
                out += v;
            }
        }
    }
    out += QStringLiteral("\r\n");
    bool ok = true;
    const QByteArray bytes = encodeText(out, m_schema.codePage, &ok);
    *fits = ok;
    return bytes;
}

void TextStorage::writeSchema(const TextSchema &s)
{
    QSaveFile f(m_schemaPath);
    const QByteArray bytes = formatTextSchema(s).toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw EngineError(QObject::tr("The schema file %1 cannot be written: %2")
                              .arg(QDir::toNativeSeparators(m_schemaPath), f.errorString()));
}

void TextStorage::rewrite(const TextSchema &schema)
{
    const TextSchema old = m_schema;
    m_schema = schema;
    try {
        QByteArray all;
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (!m_alive[i])
                continue;
            bool fits = true;
            all += line(m_rows[i], &fits);
            if (!fits)
                throw EngineError(QObject::tr("A value cannot be written in the character set of %1.").arg(m_display));
        }
        QSaveFile f(m_path);
        if (!f.open(QIODevice::WriteOnly) || f.write(all) != all.size() || !f.commit())
            throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, f.errorString()));
        if (schema.codePage != old.codePage)
            writeSchema(schema);
    } catch (...) {
        m_schema = old;
        throw;
    }
}

std::vector<qint64> TextStorage::apply(const std::vector<RowChange> &changes)
{
    std::vector<qint64> ids;
    if (changes.empty())
        return ids;
    // The changes are made on copies; the file follows, then the copies
    // become the table.
    std::vector<RowValues> rows = m_rows;
    std::vector<char> alive = m_alive;
    bool onlyInserts = true;
    QByteArray appended;
    bool fits = true;
    for (const RowChange &c : changes) {
        const qint64 k = c.id - 1;
        switch (c.kind) {
        case RowChange::Insert: {
            rows.push_back(c.values);
            alive.push_back(1);
            ids.push_back(qint64(rows.size()));
            bool f = true;
            appended += line(c.values, &f);
            fits = fits && f;
            break;
        }
        case RowChange::Update:
        case RowChange::Delete:
            if (k < 0 || k >= qint64(rows.size()) || !alive[size_t(k)])
                throw EngineError(QObject::tr("The table %1 has no row %2.").arg(m_display).arg(c.id));
            onlyInserts = false;
            if (c.kind == RowChange::Delete) {
                alive[size_t(k)] = 0;
            } else {
                rows[size_t(k)] = c.values;
                bool f = true;
                (void)line(c.values, &f);
                fits = fits && f;
            }
            break;
        }
    }
    std::swap(rows, m_rows);
    std::swap(alive, m_alive);
    try {
        if (!fits) {
            // Some character has no byte in the table's character set.
            TextSchema utf8 = m_schema;
            utf8.codePage = 65001;
            rewrite(utf8);
        } else if (!onlyInserts) {
            rewrite(m_schema);
        } else {
            QFile f(m_path);
            if (!f.open(QIODevice::ReadWrite))
                throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, f.errorString()));
            // A last line without its line end gets one first.
            qint64 end = f.size();
            if (end > 0) {
                f.seek(end - 1);
                char last = 0;
                f.getChar(&last);
                if (last != '\n' && last != '\r') {
                    f.seek(end);
                    f.write("\r\n", 2);
                }
            }
            f.seek(f.size());
            if (f.write(appended) != appended.size()) {
                f.resize(end);
                throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, f.errorString()));
            }
        }
    } catch (...) {
        std::swap(rows, m_rows);
        std::swap(alive, m_alive);
        throw;
    }
    return ids;
}

void TextStorage::emptyTable()
{
    QFile f(m_path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, f.errorString()));
    m_rows.clear();
    m_alive.clear();
}

} // namespace

void createTextTable(const QString &txtPath, const QList<FieldDef> &fields, bool fixed)
{
    const QString display = QDir::toNativeSeparators(txtPath);
    if (fields.isEmpty())
        throw EngineError(QObject::tr("The table %1 needs at least one field.").arg(display));
    TextSchema s;
    s.section = QFileInfo(txtPath).completeBaseName();
    s.fixed = fixed;
    int offset = 0;
    for (const FieldDef &d : fields) {
        if (d.name.trimmed().isEmpty())
            throw EngineError(QObject::tr("A field of the table %1 has no name.").arg(display));
        const TypeInfo t = textTypeFor(d);
        TextSchema::Field f{d.name, QString::fromLatin1(t.name), t.width, t.decimals, offset};
        for (const TextSchema::Field &o : std::as_const(s.fields))
            if (o.name.compare(f.name, Qt::CaseInsensitive) == 0)
                throw EngineError(QObject::tr("The table %1 would have the field %2 twice.").arg(display, f.name));
        s.fields.append(f);
        offset += t.width + (fixed ? 1 : 0);
    }
    const QString schemaPath = schemaPathFor(txtPath);
    QSaveFile sf(schemaPath);
    const QByteArray bytes = formatTextSchema(s).toUtf8();
    if (!sf.open(QIODevice::WriteOnly) || sf.write(bytes) != bytes.size() || !sf.commit())
        throw EngineError(QObject::tr("The schema file %1 cannot be written: %2")
                              .arg(QDir::toNativeSeparators(schemaPath), sf.errorString()));
    QSaveFile df(txtPath);
    if (!df.open(QIODevice::WriteOnly) || !df.commit())
        throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(display, df.errorString()));
}

std::unique_ptr<TableStorage> TextDriver::open(const TableLocation &where, bool exclusive)
{
    (void)exclusive;
    auto s = std::make_unique<TextStorage>(where.filePath, QDir::toNativeSeparators(where.filePath));
    s->load();
    return s;
}

void TextDriver::create(const TableLocation &where, const QList<FieldDef> &fields, const QList<IndexDef> &indexes)
{
    (void)indexes;   // text tables have no indexes
    if (QFileInfo::exists(where.filePath))
        throw EngineError(QObject::tr("The table %1 exists already.").arg(QDir::toNativeSeparators(where.filePath)));
    createTextTable(where.filePath, fields, false);
}

void TextDriver::adaptDefinitions(QList<FieldDef> &fields, QList<IndexDef> &indexes) const
{
    for (FieldDef &f : fields) {
        // The schema separates a field's parts by commas.
        f.name.replace(QLatin1Char(','), QLatin1Char('_'));
        f.name.replace(QLatin1Char('='), QLatin1Char('_'));
        f.name = f.name.trimmed();
        // What the schema stores: numbering is the caller's, memos are texts.
        if (f.type == FieldType::AutoInc)
            f.type = FieldType::Integer;
        else if (f.type == FieldType::Word)
            f.type = FieldType::Smallint;
        else if (f.type == FieldType::Money)
            f.type = FieldType::Float;
        else if (isTextType(f.type) && f.type != FieldType::String)
            f = FieldDef{f.name, FieldType::String, f.size > 0 ? f.size : 4096};
        else if (f.type == FieldType::String && f.size <= 0)
            f.size = 4096;
    }
    indexes.clear();
}

} // namespace vellora::engine
