#include "dataman/transfer/CommaText.h"

#include "engine/text/Cp1252.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace vellora::transfer {

namespace {

inline bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 1 && u <= 32;
}

}  // namespace

QStringList SplitCommaLine(QStringView s)
{
    QStringList out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n && isBlank(s[i]))
        ++i;
    while (i < n) {
        QString value;
        if (s[i] == u'"') {
            ++i;
            while (i < n) {
                if (s[i] == u'"') {
                    if (i + 1 < n && s[i + 1] == u'"') {
                        value += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += s[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && s[i] != u',')
                ++i;
            qsizetype end = i;
            while (end > start && isBlank(s[end - 1]))
                --end;
            value = s.mid(start, end - start).toString();
        }
        out.append(value);
        while (i < n && isBlank(s[i]))
            ++i;
        if (i < n && s[i] == u',') {
            ++i;
            while (i < n && isBlank(s[i]))
                ++i;
            if (i >= n)
                out.append(QString());
        }
    }
    return out;
}

QString CommaText(const QStringList &values)
{
    if (values.size() == 1 && values.constFirst().isEmpty())
        return QStringLiteral("\"\"");
    QString line;
    for (qsizetype k = 0; k < values.size(); ++k) {
        if (k > 0)
            line += u',';
        const QString &v = values[k];
        bool quote = false;
        for (QChar c : v)
            if (c == u',' || c == u'"' || isBlank(c)) {
                quote = true;
                break;
            }
        if (!quote) {
            line += v;
            continue;
        }
        line += u'"';
        for (QChar c : v) {
            if (c == u'"')
                line += u'"';
            line += c;
        }
        line += u'"';
    }
    return line;
}

bool DecodeCommaFile(const QByteArray &bytes, QString *text, QString *error)
{
    auto tr = [](const char *s) { return QCoreApplication::translate("CommaText", s); };
    // UTF-16 with a byte-order mark (what spreadsheets call "Unicode text").
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::Stateless);
        *text = dec.decode(bytes.mid(2));
        if (dec.hasError() || text->contains(QChar(0))) {
            *error = tr("The file is not a comma-separated text file: its UTF-16 text is damaged.");
            return false;
        }
        return true;
    }
    if (bytes.contains('\0')) {
        *error = tr("The file is not a comma-separated text file: it holds NUL bytes.");
        return false;
    }
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = bom ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(body);
    if (!utf8.hasError()) {
        *text = std::move(decoded);
        return true;
    }
    *text = FromCp1252(bytes);
    return true;
}

QByteArray EncodeCommaFile(const QString &text)
{
    bool fits = false;
    QByteArray cp = ToCp1252(text, &fits);
    // Bytes that would read back as UTF-8 are written as UTF-8 with a mark.
    if (fits && !LooksLikeUtf8(cp))
        return cp;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

void CommaRecords::lineAt(qsizetype from, qsizetype *end, qsizetype *nextStart) const
{
    const qsizetype n = m_text.size();
    qsizetype i = from;
    while (i < n && m_text[i] != u'\r' && m_text[i] != u'\n')
        ++i;
    *end = i;
    if (i < n && m_text[i] == u'\r' && i + 1 < n && m_text[i + 1] == u'\n')
        *nextStart = i + 2;
    else
        *nextStart = i < n ? i + 1 : n;
}

QStringView CommaRecords::next()
{
    const qsizetype start = m_pos;
    m_line = m_nextLine;
    qsizetype end = 0, nextStart = 0;
    lineAt(start, &end, &nextStart);
    const qsizetype firstEnd = end, firstNext = nextStart;

    // Follow the quotes as the splitter does: a quote opens a value only at
    // its start.
    enum { ValueStart, Unquoted, Quoted } state = ValueStart;
    qsizetype i = start;
    int lines = 1;
    for (;;) {
        for (; i < end; ++i) {
            const QChar c = m_text[i];
            switch (state) {
            case ValueStart:
                if (c == u'"')
                    state = Quoted;
                else if (c != u',' && !isBlank(c))
                    state = Unquoted;
                break;
            case Unquoted:
                if (c == u',')
                    state = ValueStart;
                break;
            case Quoted:
                if (c == u'"') {
                    if (i + 1 < end && m_text[i + 1] == u'"')
                        ++i;
                    else
                        state = ValueStart;
                }
                break;
            }
        }
        if (state != Quoted)
            break;
        if (nextStart >= m_text.size() || lines >= kMaxRecordLines) {
            // Never closed: the quote runs to the end of its own line.
            end = firstEnd;
            nextStart = firstNext;
            lines = 1;
            break;
        }
        i = nextStart;
        lineAt(nextStart, &end, &nextStart);
        ++lines;
    }
    m_pos = nextStart;
    m_nextLine += lines;
    return m_text.mid(start, end - start);
}

}  // namespace vellora::transfer
