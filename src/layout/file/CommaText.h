#pragma once
// The comma text of one layout file line: fields joined by commas, quoted
// with doubled inner quotes when they hold a blank, a control character, a
// quote or a comma. Files written by installations on Windows use the same
// rules, including their quirks on reading (an unquoted blank ends a field).
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vellora {

// One field as written: unchanged, or quoted when it needs it.
QString CommaTextField(const QString &field);
// The fields joined with commas. An empty last field leaves a trailing comma.
QString JoinCommaText(const QStringList &fields);
// The fields of one line. An empty line, or one of blanks only, has none.
QStringList SplitCommaText(QStringView line);

}  // namespace vellora
