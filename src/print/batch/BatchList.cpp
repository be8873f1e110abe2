#include "print/batch/BatchList.h"

#include "print/CardRenderer.h"

namespace vellora {

QString BatchListItemText(const QString &cardNumber, const QString &department, const QString &firstName,
                          const QString &lastName)
{
    return cardNumber + u'=' + department + u'|' + firstName + u'|' + lastName;
}

BatchListItemParts SplitBatchListItem(const QString &item)
{
    BatchListItemParts parts;
    const qsizetype eq = item.indexOf(u'=');
    parts.cardNumber = eq < 0 ? item : item.left(eq);
    if (eq < 0)
        return parts;
    const QString rest = item.mid(eq + 1);
    const qsizetype bar1 = rest.indexOf(u'|');
    if (bar1 < 0)
        return parts;
    parts.department = rest.left(bar1);
    const qsizetype bar2 = rest.indexOf(u'|', bar1 + 1);
    if (bar2 < 0)
        return parts;
    parts.firstName = rest.mid(bar1 + 1, bar2 - bar1 - 1);
    const qsizetype bar3 = rest.indexOf(u'|', bar2 + 1);
    parts.lastName = bar3 < 0 ? rest.mid(bar2 + 1) : rest.mid(bar2 + 1, bar3 - bar2 - 1);
    return parts;
}

BatchRowColumns BatchColumns(int left, int right)
{
    BatchRowColumns c;
    c.e = static_cast<int>(RoundHalfEven(std::int64_t(right) - left, 12));
    const int e = c.e;
    c.departmentLeft = left;
    c.departmentRight = 2 * e - 2;
    c.numberLeft = 2 * e;
    c.numberRight = right - 8 * e;
    c.firstLeft = right - 8 * e;
    c.firstRight = right - 4 * e;
    c.lastLeft = right - 4 * e;
    c.lastRight = right - 2;
    c.departmentText = c.departmentLeft + 2;
    c.numberText = c.numberLeft + 2;
    c.firstText = c.firstLeft + 4;
    c.lastText = c.lastLeft + 4;
    c.separator1 = 2 * e;
    c.separator2 = right - 8 * e + 2;
    c.separator3 = right - 4 * e + 2;
    return c;
}

BatchRange ParseBatchRange(const QString &edit1, const QString &edit2, int itemCount)
{
    BatchRange r;
    bool ok = false;
    const int from = edit1.trimmed().toInt(&ok);
    r.from = ok ? from : 1;
    const int to = edit2.trimmed().toInt(&ok);
    r.to = ok ? to : itemCount;
    return r;
}

}  // namespace vellora
