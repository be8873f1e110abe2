#include "engine/text/Cp1252.h"

#include <array>

namespace vellora {

namespace {
// Characters of bytes 0x80..0x9F.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int byteFor(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}
}  // namespace

QString FromCp1252(const QByteArray &bytes)
{
    QString out;
    out.resize(bytes.size());
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        d[i] = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

QByteArray ToCp1252(const QString &text, bool *ok)
{
    QByteArray out;
    out.reserve(text.size());
    bool all = true;
    for (QChar ch : text) {
        const int b = byteFor(ch.unicode());
        if (b < 0) {
            all = false;
            out.append('?');
        } else {
            out.append(static_cast<char>(b));
        }
    }
    if (ok)
        *ok = all;
    return out;
}

bool FitsCp1252(const QString &text)
{
    for (QChar ch : text)
        if (byteFor(ch.unicode()) < 0)
            return false;
    return true;
}

bool LooksLikeUtf8(const QByteArray &bytes)
{
    bool multi = false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int extra;
        unsigned int min;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; }
        else return false;
        unsigned int cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        multi = true;
        i += extra + 1;
    }
    return multi;
}

QString DecodeStoredText(const QByteArray &bytes)
{
    return LooksLikeUtf8(bytes) ? QString::fromUtf8(bytes) : FromCp1252(bytes);
}

QByteArray EncodeStoredText(const QString &text)
{
    bool ok = false;
    QByteArray cp = ToCp1252(text, &ok);
    // Windows-1252 bytes that happen to form UTF-8 (such as "Ã©") would
    // read back as other characters: such text is written as UTF-8.
    return ok && !LooksLikeUtf8(cp) ? cp : text.toUtf8();
}

}  // namespace vellora
