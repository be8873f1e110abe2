// Conversions between field values, their text and their stored form,
// shared by the drivers and Table. Internal to the engine.
#pragma once

#include "engine/FieldDef.h"

#include <QString>
#include <QVariant>

namespace vellora::engine {

enum class ValueClass { Text, Integer, Real, Decimal, Boolean, Date, Time, DateTime, Binary };

ValueClass valueClass(FieldType type);
bool isIntegerType(FieldType type);
bool isTextType(FieldType type);

// The field's text form of a value (see Field::asString).
QString formatValue(const QVariant &value, const FieldDef &def);

// Text to value for a field; an empty text is null. ok false when the text
// does not fit the type. A String longer than the size is cut; truncated
// tells.
QVariant parseValue(const QString &text, const FieldDef &def, bool *ok, bool *truncated = nullptr);

// Any value (of any QVariant type, e.g. another field's) to the field's
// value type. ok false when it does not convert.
QVariant convertValue(const QVariant &value, const FieldDef &def, bool *ok,
                      bool *truncated = nullptr);

// Order of two values of one field: nulls first.
int compareValues(const QVariant &a, const QVariant &b);

} // namespace vellora::engine
