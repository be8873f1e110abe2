#include "engine/FieldValues.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <cmath>
#include <limits>

namespace vellora::engine {

ValueClass valueClass(FieldType type)
{
    switch (type) {
    case FieldType::Smallint: case FieldType::Integer: case FieldType::Word:
    case FieldType::LargeInt: case FieldType::AutoInc:
        return ValueClass::Integer;
    case FieldType::Float: case FieldType::Money:
        return ValueClass::Real;
    case FieldType::BCD:
        return ValueClass::Decimal;
    case FieldType::Boolean:
        return ValueClass::Boolean;
    case FieldType::Date:
        return ValueClass::Date;
    case FieldType::Time:
        return ValueClass::Time;
    case FieldType::DateTime:
        return ValueClass::DateTime;
    case FieldType::Bytes: case FieldType::VarBytes: case FieldType::Blob: case FieldType::Graphic:
    case FieldType::FmtMemo: case FieldType::ParadoxOle: case FieldType::DBaseOle:
    case FieldType::TypedBinary:
        return ValueClass::Binary;
    default:
        return ValueClass::Text;
    }
}

bool isIntegerType(FieldType type) { return valueClass(type) == ValueClass::Integer; }
bool isTextType(FieldType type) { return valueClass(type) == ValueClass::Text; }

namespace {

bool limitedWidth(FieldType t)
{
    return t == FieldType::String || t == FieldType::FixedChar || t == FieldType::WideString;
}

bool integerInRange(FieldType t, qint64 v)
{
    switch (t) {
    case FieldType::Smallint: return v >= -32768 && v <= 32767;
    case FieldType::Word: return v >= 0 && v <= 65535;
    case FieldType::Integer: case FieldType::AutoInc:
        return v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
    default: return true;
    }
}

QString decimalText(const QString &in, int decimals, bool *ok)
{
    static const QRegularExpression re(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    const auto m = re.match(in.trimmed());
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) {
        *ok = false;
        return {};
    }
    QString whole = m.captured(2);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    QString frac = m.captured(3);
    if (decimals > 0) {
        // Decimals beyond the field's are cut, missing ones filled with zeros.
        frac = frac.left(decimals).leftJustified(decimals, QLatin1Char('0'));
    }
    QString out = whole;
    if (!frac.isEmpty())
        out += QLatin1Char('.') + frac;
    const bool zero = !out.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (m.captured(1) == QLatin1String("-") && !zero)
        out.prepend(QLatin1Char('-'));
    *ok = true;
    return out;
}

QVariant fromText(const QString &text, const FieldDef &def, bool *ok, bool *truncated)
{
    *ok = true;
    if (text.isEmpty())
        return {};
    switch (valueClass(def.type)) {
    case ValueClass::Text: {
        if (limitedWidth(def.type) && def.size > 0 && text.size() > def.size) {
            if (truncated)
                *truncated = true;
            return text.left(def.size);
        }
        return text;
    }
    case ValueClass::Integer: {
        bool good = false;
        const qint64 v = text.trimmed().toLongLong(&good);
        if (!good || !integerInRange(def.type, v)) {
            *ok = false;
            return {};
        }
        return v;
    }
    case ValueClass::Real: {
        bool good = false;
        QString t = text.trimmed();
        double v = t.toDouble(&good);
        if (!good) {
            // Operators may type a comma as decimal separator.
            t.replace(QLatin1Char(','), QLatin1Char('.'));
            v = t.toDouble(&good);
        }
        if (!good || !std::isfinite(v)) {
            *ok = false;
            return {};
        }
        return v;
    }
    case ValueClass::Decimal: {
        const QString d = decimalText(text, def.size, ok);
        return *ok ? QVariant(d) : QVariant();
    }
    case ValueClass::Boolean: {
        const QString t = text.trimmed().toLower();
        if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("yes")
            || t == QLatin1String("y") || t == QLatin1String("1"))
            return true;
        if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("no")
            || t == QLatin1String("n") || t == QLatin1String("0"))
            return false;
        *ok = false;
        return {};
    }
    case ValueClass::Date: {
        const QString t = text.trimmed();
        QDate d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid())
            d = QDate::fromString(t, QStringLiteral("M/d/yyyy"));
        if (!d.isValid())
            d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
        if (!d.isValid()) {
            *ok = false;
            return {};
        }
        return d;
    }
    case ValueClass::Time: {
        const QString t = text.trimmed();
        QTime v = QTime::fromString(t, Qt::ISODateWithMs);
        if (!v.isValid())
            v = QTime::fromString(t, QStringLiteral("H:mm"));
        if (!v.isValid()) {
            *ok = false;
            return {};
        }
        return v;
    }
    case ValueClass::DateTime: {
        const QString t = text.trimmed();
        QDateTime v = QDateTime::fromString(t, Qt::ISODateWithMs);
        if (!v.isValid())
            v = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!v.isValid())
            v = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm"));
        if (!v.isValid()) {
            const QDate d = QDate::fromString(t, Qt::ISODate);
            if (d.isValid())
                v = QDateTime(d, QTime(0, 0));
        }
        if (!v.isValid()) {
            *ok = false;
            return {};
        }
        return v;
    }
    case ValueClass::Binary: {
        QByteArray b = text.toLatin1();
        if ((def.type == FieldType::Bytes || def.type == FieldType::VarBytes) && def.size > 0
            && b.size() > def.size) {
            if (truncated)
                *truncated = true;
            b.truncate(def.size);
        }
        return b;
    }
    }
    *ok = false;
    return {};
}

} // namespace

QString formatValue(const QVariant &value, const FieldDef &def)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (valueClass(def.type)) {
    case ValueClass::Text:
    case ValueClass::Decimal:
        return value.toString();
    case ValueClass::Integer:
        return QString::number(value.toLongLong());
    case ValueClass::Real: {
        const double v = value.toDouble();
        return QString::number(v, 'g', 15);
    }
    case ValueClass::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case ValueClass::Date:
        return value.toDate().toString(Qt::ISODate);
    case ValueClass::Time: {
        const QTime t = value.toTime();
        return t.msec() ? t.toString(QStringLiteral("HH:mm:ss.zzz")) : t.toString(QStringLiteral("HH:mm:ss"));
    }
    case ValueClass::DateTime: {
        const QDateTime t = value.toDateTime();
        return t.toString(t.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                          : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case ValueClass::Binary:
        return QString::fromLatin1(value.toByteArray());
    }
    return value.toString();
}

QVariant parseValue(const QString &text, const FieldDef &def, bool *ok, bool *truncated)
{
    bool dummy = true;
    if (truncated)
        *truncated = false;
    return fromText(text, def, ok ? ok : &dummy, truncated);
}

QVariant convertValue(const QVariant &value, const FieldDef &def, bool *ok, bool *truncated)
{
    bool dummy = true;
    bool &good = ok ? *ok : dummy;
    good = true;
    if (truncated)
        *truncated = false;
    if (!value.isValid() || value.isNull())
        return {};
    const int id = value.metaType().id();
    switch (valueClass(def.type)) {
    case ValueClass::Integer:
        if (id == QMetaType::LongLong || id == QMetaType::Int || id == QMetaType::UInt
            || id == QMetaType::Short || id == QMetaType::UShort || id == QMetaType::ULongLong) {
            const qint64 v = value.toLongLong();
            if (!integerInRange(def.type, v)) {
                good = false;
                return {};
            }
            return v;
        }
        if (id == QMetaType::Double) {
            const double d = value.toDouble();
            if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.2e18) {
                good = false;
                return {};
            }
            const qint64 v = static_cast<qint64>(d);
            if (!integerInRange(def.type, v)) {
                good = false;
                return {};
            }
            return v;
        }
        if (id == QMetaType::Bool)
            return qint64(value.toBool() ? 1 : 0);
        break;
    case ValueClass::Real:
        if (id == QMetaType::Double || id == QMetaType::LongLong || id == QMetaType::Int
            || id == QMetaType::Float || id == QMetaType::UInt || id == QMetaType::Short)
            return value.toDouble();
        break;
    case ValueClass::Boolean:
        if (id == QMetaType::Bool)
            return value;
        if (id == QMetaType::LongLong || id == QMetaType::Int)
            return value.toLongLong() != 0;
        break;
    case ValueClass::Date:
        if (id == QMetaType::QDate)
            return value;
        if (id == QMetaType::QDateTime)
            return value.toDateTime().date();
        break;
    case ValueClass::Time:
        if (id == QMetaType::QTime)
            return value;
        if (id == QMetaType::QDateTime)
            return value.toDateTime().time();
        break;
    case ValueClass::DateTime:
        if (id == QMetaType::QDateTime)
            return value;
        if (id == QMetaType::QDate)
            return QDateTime(value.toDate(), QTime(0, 0));
        break;
    case ValueClass::Binary:
        if (id == QMetaType::QByteArray)
            return fromText(QString::fromLatin1(value.toByteArray()), def, &good, truncated);
        break;
    case ValueClass::Text:
    case ValueClass::Decimal:
        break;
    }
    // Everything else goes through the text form.
    QString text;
    if (id == QMetaType::QString)
        text = value.toString();
    else if (id == QMetaType::Double)
        text = QString::number(value.toDouble(), 'g', 15);
    else if (id == QMetaType::Bool)
        text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    else if (id == QMetaType::QDate)
        text = value.toDate().toString(Qt::ISODate);
    else if (id == QMetaType::QTime)
        text = value.toTime().toString(QStringLiteral("HH:mm:ss"));
    else if (id == QMetaType::QDateTime)
        text = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    else if (id == QMetaType::QByteArray)
        text = QString::fromLatin1(value.toByteArray());
    else
        text = value.toString();
    return fromText(text, def, &good, truncated);
}

int compareValues(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid() || a.isNull();
    const bool bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const int ia = a.metaType().id();
    const int ib = b.metaType().id();
    if (ia == QMetaType::QString && ib == QMetaType::QString) {
        const int c = QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (ia == QMetaType::LongLong && ib == QMetaType::LongLong) {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QPartialOrdering o = QVariant::compare(a, b);
    if (o == QPartialOrdering::Less)
        return -1;
    if (o == QPartialOrdering::Greater)
        return 1;
    if (o == QPartialOrdering::Equivalent)
        return 0;
    const int c = QString::compare(a.toString(), b.toString());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace vellora::engine
