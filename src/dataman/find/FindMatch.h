#pragma once
// The Find dialog's rule for comparing a field's value with the search text:
// both are upper-cased (only a-z change) and stripped of leading and
// trailing characters with codes 0 to 32, then compared by the Match choice.
#include <QString>
#include <QStringView>

namespace vellora {

// Entries of the "Match" list, in list order.
enum class FindMatch { AnyPart = 0, WholeField = 1, StartOfField = 2 };

// Upper-cases a-z (nothing else) and strips codes 0..32 at both ends.
QString NormalizedForFind(QStringView text);

// The search text, normalised once for many values.
class FindText {
public:
    FindText() = default;
    FindText(QStringView text, FindMatch match);
    // An empty search text never matches under AnyPart and StartOfField;
    // under WholeField it matches an empty value.
    bool matches(QStringView value) const;
    FindMatch match() const { return m_match; }
    const QString &normalized() const { return m_text; }

private:
    QString m_text;
    FindMatch m_match = FindMatch::WholeField;
};

}  // namespace vellora
