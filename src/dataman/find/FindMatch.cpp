#include "dataman/find/FindMatch.h"

namespace vellora {

namespace {

QStringView trimmedForFind(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

}  // namespace

QString NormalizedForFind(QStringView text)
{
    QString out = trimmedForFind(text).toString();
    for (QChar &c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    }
    return out;
}

FindText::FindText(QStringView text, FindMatch match) : m_text(NormalizedForFind(text)), m_match(match) {}

bool FindText::matches(QStringView value) const
{
    const QStringView v = trimmedForFind(value);
    const qsizetype n = m_text.size();
    if (n == 0)
        return m_match == FindMatch::WholeField && v.isEmpty();
    if (v.size() < n)
        return false;
    // Compares without building the upper-cased value: only a-z fold.
    auto same = [](QChar a, QChar upper) {
        const char16_t c = a.unicode();
        return (c >= u'a' && c <= u'z' ? char16_t(c - 32) : c) == upper.unicode();
    };
    auto matchesAt = [&](qsizetype at) {
        for (qsizetype i = 0; i < n; ++i) {
            if (!same(v[at + i], m_text[i]))
                return false;
        }
        return true;
    };
    switch (m_match) {
    case FindMatch::WholeField:
        return v.size() == n && matchesAt(0);
    case FindMatch::StartOfField:
        return matchesAt(0);
    case FindMatch::AnyPart:
        for (qsizetype at = 0; at + n <= v.size(); ++at) {
            if (matchesAt(at))
                return true;
        }
        return false;
    }
    return false;
}

}  // namespace vellora
