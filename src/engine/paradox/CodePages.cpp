#include "CodePages.h"

#include <QByteArray>
#include <QList>

namespace vellora::paradox {

namespace {

const char *multiByteName(int codePage)
{
    switch (codePage) {
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    default: return nullptr;
    }
}

} // namespace

TextDecoder::TextDecoder(int codePage)
{
    if ((m_table = singleByteTable(codePage))) {
        m_codePage = codePage;
        return;
    }
    QList<QByteArray> names;
    if (const char *name = multiByteName(codePage))
        names << name;
    names << "windows-" + QByteArray::number(codePage) << "IBM" + QByteArray::number(codePage)
          << "cp" + QByteArray::number(codePage);
    if (codePage > 0) {
        for (const QByteArray &name : names) {
            QStringDecoder decoder(name.constData());
            if (decoder.isValid()) {
                m_decoder.emplace(name.constData());
                m_codePage = codePage;
                return;
            }
        }
    }
    m_codePage = 437;
    m_table = singleByteTable(437);
}

QString TextDecoder::decode(const char *data, qsizetype length)
{
    if (m_decoder) {
        m_decoder->resetState();
        return m_decoder->decode(QByteArrayView(data, length));
    }
    QString text(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        out[i] = c < 0x80 ? char16_t(c) : m_table[c - 0x80];
    }
    return text;
}

} // namespace vellora::paradox
