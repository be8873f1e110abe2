// Text conversion for the code pages that Paradox tables declare.
#pragma once

#include <QString>
#include <QStringDecoder>

#include <optional>

namespace vellora::paradox {

// Upper half (bytes 0x80-0xFF) of a built-in single-byte code page, or
// nullptr when there is no table for it.
const char16_t *singleByteTable(int codePage);

// HP Roman-8 has no DOS code page number of its own; IBM calls it 1051.
inline constexpr int kRoman8CodePage = 1051;

// Decodes the text of one table. Single-byte DOS and Windows pages come from
// built-in tables (Qt has few of them); the East Asian multi-byte pages
// (932, 936, 949, 950) and any other page go through QStringDecoder when the
// Qt build knows it. A page that neither knows is read as code page 437,
// the default of the DOS table engines these files come from.
class TextDecoder {
public:
    explicit TextDecoder(int codePage = 437);
    TextDecoder(const TextDecoder &) = delete;
    TextDecoder &operator=(const TextDecoder &) = delete;

    // The code page actually used.
    int codePage() const { return m_codePage; }
    QString decode(const char *data, qsizetype length);

private:
    int m_codePage = 437;
    const char16_t *m_table = nullptr;
    std::optional<QStringDecoder> m_decoder;
};

} // namespace vellora::paradox
