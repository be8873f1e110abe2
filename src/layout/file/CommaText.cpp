#include "layout/file/CommaText.h"

namespace vellora {

namespace {
// Characters 1..32 are skipped around fields and end an unquoted field. NUL
// is taken as one of them too: it can never make a field of its own, and
// without this an unquoted NUL would stop the scan from moving on.
inline bool isBlank(QChar c) { return c.unicode() <= 32; }
}  // namespace

QString CommaTextField(const QString &field)
{
    bool needsQuotes = false;
    for (QChar c : field) {
        if (isBlank(c) || c == u'"' || c == u',') {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes)
        return field;
    QString out;
    out.reserve(field.size() + 2);
    out += u'"';
    for (QChar c : field) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
    return out;
}

QString JoinCommaText(const QStringList &fields)
{
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += u',';
        out += CommaTextField(fields[i]);
    }
    return out;
}

QStringList SplitCommaText(QStringView line)
{
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype p = 0;
    while (p < n && isBlank(line[p]))
        ++p;
    while (p < n) {
        if (line[p] == u'"') {
            // Quoted: up to the next single quote; "" stands for one quote.
            QString field;
            bool closed = false;
            ++p;
            while (p < n) {
                if (line[p] == u'"') {
                    if (p + 1 < n && line[p + 1] == u'"') {
                        field += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    closed = true;
                    break;
                }
                field += line[p++];
            }
            // Without its closing quote the field is the rest of the line
            // less its last character, as files from Windows read there.
            if (!closed && !field.isEmpty())
                field.chop(1);
            fields.append(field);
        } else {
            const qsizetype start = p;
            while (p < n && !isBlank(line[p]) && line[p] != u',')
                ++p;
            fields.append(line.mid(start, p - start).toString());
        }
        while (p < n && isBlank(line[p]))
            ++p;
        if (p < n && line[p] == u',') {
            if (p + 1 == n)
                fields.append(QString());
            ++p;
            while (p < n && isBlank(line[p]))
                ++p;
        }
    }
    return fields;
}

}  // namespace vellora
