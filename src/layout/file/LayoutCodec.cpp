#include "layout/file/LayoutFile.h"

#include "engine/text/Cp1252.h"
#include "layout/file/CommaText.h"

#include <array>
#include <climits>
#include <cstdint>
#include <utility>

namespace vellora {

namespace {

const QString kCrLfMark = QStringLiteral("[CRLF]");

// The offending text is shown to the operator; a damaged file can hold
// megabytes on one line, so only its start is quoted.
constexpr qsizetype kQuotedTextMax = 80;

QString notAnInteger(const QString &text)
{
    const QString shown = text.size() > kQuotedTextMax ? text.left(kQuotedTextMax) + QLatin1String("...") : text;
    return QStringLiteral("'%1' is not a valid integer value").arg(shown);
}

QString outOfBounds(qsizetype index)
{
    return QStringLiteral("List index out of bounds (%1)").arg(index);
}

// A signed 32-bit decimal, blanks around it allowed.
std::optional<int> parseInt(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(1) << 31)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int(value);
}

// Reads fields in the order the item's properties are set; the first field
// that is missing or not a number stops the line.
class FieldCursor {
public:
    FieldCursor(const QStringList &fields, QString *error) : m_fields(fields), m_error(error) {}

    bool text(qsizetype index, QString *out)
    {
        if (index >= m_fields.size()) {
            *m_error = outOfBounds(index);
            return false;
        }
        *out = m_fields[index];
        return true;
    }
    bool number(qsizetype index, int *out)
    {
        QString t;
        if (!text(index, &t))
            return false;
        const auto v = parseInt(t);
        if (!v) {
            *m_error = notAnInteger(t);
            return false;
        }
        *out = *v;
        return true;
    }

private:
    const QStringList &m_fields;
    QString *m_error;
};

QString encodeLineBreaks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += kCrLfMark;
        } else if (c == u'\n') {
            out += kCrLfMark;
        } else {
            out += c;
        }
    }
    return out;
}

bool hasLineBreak(const QString &s)
{
    return s.contains(u'\r') || s.contains(u'\n');
}

QString alignmentLetter(const std::optional<LayoutAlignment> &a)
{
    if (a == LayoutAlignment::Right)
        return QStringLiteral("R");
    if (a == LayoutAlignment::Center)
        return QStringLiteral("C");
    return QStringLiteral("L");
}

QString styleText(const LayoutStyle &s)
{
    QString out(4, u' ');
    if (s.bold)
        out[0] = u'B';
    if (s.italic)
        out[1] = u'I';
    if (s.underline)
        out[2] = u'U';
    if (s.strikeOut)
        out[3] = u'S';
    return out;
}

}  // namespace

QStringList LayoutFieldItemNames(const QStringList &tableFields)
{
    QStringList out;
    const qsizetype n = std::min<qsizetype>(tableFields.size(), kMaxLayoutFieldItems);
    for (qsizetype i = 0; i < n; ++i)
        if (!tableFields[i].toUpper().contains(QLatin1String("MAGSTRIPE")))
            out.append(tableFields[i]);
    return out;
}

QStringList LayoutItemWriteOrder(const QStringList &tableFields)
{
    QStringList out = LayoutFieldItemNames(tableFields);
    out << QStringLiteral("Image1") << QStringLiteral("StaticText1") << QStringLiteral("StaticText2")
        << QStringLiteral("StaticText3") << QStringLiteral("StaticText4") << QStringLiteral("Statimage1")
        << QStringLiteral("secphot");
    return out;
}

QString ReplaceLegacyName(const QString &line, LayoutReader reader)
{
    static const std::array<std::pair<QLatin1String, QLatin1String>, 3> common = {{
        {QLatin1String("Lastname"), QLatin1String("Last_name")},
        {QLatin1String("Firstname"), QLatin1String("First_name")},
        {QLatin1String("CardNumber"), QLatin1String("Card_Number")},
    }};
    QString out = line;
    for (const auto &[old, now] : common)
        if (out.startsWith(old))
            out.replace(0, old.size(), now);
    if (reader == LayoutReader::CardFace && out.startsWith(QLatin1String("StaticText")))
        out.replace(0, 10, QLatin1String("statlabel"));
    return out;
}

LayoutItemKind DefaultLayoutItemKind(const QString &name, LayoutReader reader)
{
    const Qt::CaseSensitivity cs = reader == LayoutReader::CardFace ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (const char *picture : {"Image1", "secphot", "Statimage1"})
        if (name.compare(QLatin1String(picture), cs) == 0)
            return LayoutItemKind::Image;
    return LayoutItemKind::StaticText;
}

std::optional<QString> EncodeLayoutItem(const LayoutItem &item, QString *error)
{
    QStringList fields;
    fields << item.name;
    if (item.kind == LayoutItemKind::StaticText) {
        fields << QStringLiteral("STATICTEXT") << encodeLineBreaks(item.text) << alignmentLetter(item.alignment)
               << item.fontName << QString::number(item.fontSize) << QString::number(item.fontColor)
               << QString::number(item.fontHeight) << styleText(item.style);
    } else {
        fields << QStringLiteral("IMAGE");
    }
    fields << item.place << QString::number(item.left) << QString::number(item.top) << QString::number(item.width)
           << QString::number(item.height);
    if (item.kind == LayoutItemKind::Image && item.picturePath)
        fields << *item.picturePath;
    // Only the text turns its line breaks into marks; anywhere else a line
    // break would split the line and spoil every line after it.
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (hasLineBreak(fields[i])) {
            if (error)
                *error = QStringLiteral("The layout item \"%1\" cannot be saved: it holds a line break.")
                             .arg(QString(item.name).replace(u'\r', u' ').replace(u'\n', u' '));
            return std::nullopt;
        }
    }
    return JoinCommaText(fields);
}

bool DecodeLayoutItem(const QStringList &fields, LayoutItemKind kind, LayoutItem *out, QString *error)
{
    FieldCursor f(fields, error);
    LayoutItem item;
    item.kind = kind;
    if (!f.text(0, &item.name))
        return false;
    if (kind == LayoutItemKind::StaticText) {
        QString align, style;
        if (!f.text(2, &item.text) || !f.text(3, &align) || !f.text(4, &item.fontName)
            || !f.number(5, &item.fontSize) || !f.number(6, &item.fontColor) || !f.number(7, &item.fontHeight)
            || !f.text(8, &style) || !f.text(9, &item.place))
            return false;
        item.text.replace(kCrLfMark, QLatin1String("\r\n"));
        item.alignment.reset();
        if (!align.isEmpty()) {
            if (align[0] == u'L')
                item.alignment = LayoutAlignment::Left;
            else if (align[0] == u'R')
                item.alignment = LayoutAlignment::Right;
            else if (align[0] == u'C')
                item.alignment = LayoutAlignment::Center;
        }
        item.style.bold = style.size() > 0 && style[0] == u'B';
        item.style.italic = style.size() > 1 && style[1] == u'I';
        item.style.underline = style.size() > 2 && style[2] == u'U';
        item.style.strikeOut = style.size() > 3 && style[3] == u'S';
        if (!f.number(10, &item.left) || !f.number(11, &item.top) || !f.number(12, &item.width)
            || !f.number(13, &item.height))
            return false;
    } else {
        item.alignment.reset();
        if (!f.text(2, &item.place) || !f.number(3, &item.left) || !f.number(4, &item.top)
            || !f.number(5, &item.width) || !f.number(6, &item.height))
            return false;
        if (fields.size() > 7)
            item.picturePath = fields[7];
    }
    *out = std::move(item);
    return true;
}

QString DecodeLayoutText(const QByteArray &bytes)
{
    QString text = DecodeStoredText(bytes);
    // An editor may have put a byte order mark in front of UTF-8.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QByteArray EncodeLayoutText(const QString &text)
{
    bool fits = false;
    QByteArray bytes = ToCp1252(text, &fits);
    // Windows-1252 bytes that also read as UTF-8 ("Ã©") would come back as
    // other characters: such text is written as UTF-8 too.
    if (!fits || LooksLikeUtf8(bytes))
        bytes = text.toUtf8();
    return bytes;
}

QStringList SplitLayoutLines(const QString &text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

std::optional<QByteArray> EncodeLayoutFile(const LayoutRecord &record, QString *error)
{
    if (hasLineBreak(record.backgroundPath)) {
        if (error)
            *error = QStringLiteral("The background picture's name cannot be saved: it holds a line break.");
        return std::nullopt;
    }
    QString text;
    const QLatin1String crlf("\r\n");
    text += QString::number(record.panelWidth) + crlf;
    text += QString::number(record.panelHeight) + crlf;
    text += QString::number(record.frameWidth) + crlf;
    text += QString::number(record.frameHeight) + crlf;
    text += record.backgroundPath + crlf;
    for (const LayoutItem &item : record.items) {
        const auto line = EncodeLayoutItem(item, error);
        if (!line)
            return std::nullopt;
        text += *line + crlf;
    }
    return EncodeLayoutText(text);
}

LayoutLoad ParseLayout(const QByteArray &bytes, const LayoutLoadOptions &options)
{
    LayoutLoad load;
    load.status = LayoutLoad::Status::Read;
    const QStringList lines = SplitLayoutLines(DecodeLayoutText(bytes));
    LayoutRecord &rec = load.record;
    const bool designer = options.reader == LayoutReader::Designer;

    auto fail = [&](qsizetype lineIndex, QString message) {
        load.status = LayoutLoad::Status::Malformed;
        load.error = std::move(message);
        load.errorLine = int(std::min<qsizetype>(lineIndex, INT_MAX - 1)) + 1;
        return load;
    };
    // Header lines: the designer needs all four numbers, the card face the
    // panel's size only and takes the frame from it.
    auto number = [&](qsizetype index, int *out) -> bool {
        if (index >= lines.size())
            return false;
        if (auto v = parseInt(lines[index])) {
            *out = *v;
            return true;
        }
        return false;
    };
    for (qsizetype index : {0, 1, 2, 3}) {
        const bool needed = designer || index < 2;
        if (!needed)
            break;
        int *target = index == 0 ? &rec.panelWidth : index == 1 ? &rec.panelHeight
                                : index == 2 ? &rec.frameWidth : &rec.frameHeight;
        if (index >= lines.size())
            return fail(index, outOfBounds(index));
        if (!number(index, target))
            return fail(index, notAnInteger(lines[index]));
    }
    if (!designer) {
        rec.frameWidth = rec.panelWidth + 2;
        rec.frameHeight = rec.panelHeight + 2;
        number(2, &rec.frameWidth);
        number(3, &rec.frameHeight);
    }
    if (lines.size() < 5)
        return fail(4, outOfBounds(4));
    rec.backgroundPath = lines[4];

    for (qsizetype i = 5; i < lines.size(); ++i) {
        const QStringList fields = SplitCommaText(ReplaceLegacyName(lines[i], options.reader));
        if (fields.isEmpty())
            return fail(i, outOfBounds(0));
        LayoutItemKind kind;
        if (options.resolve) {
            const auto found = options.resolve(fields[0]);
            if (!found)
                continue;
            kind = *found;
        } else {
            kind = DefaultLayoutItemKind(fields[0], options.reader);
        }
        LayoutItem item;
        QString error;
        if (!DecodeLayoutItem(fields, kind, &item, &error))
            return fail(i, error);
        rec.items.append(std::move(item));
    }
    return load;
}

}  // namespace vellora
