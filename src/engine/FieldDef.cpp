#include "engine/FieldDef.h"

#include <array>
#include <utility>

namespace vellora {

namespace {
using T = FieldType;
constexpr std::array<std::pair<T, const char *>, 36> kNames{{
    {T::Unknown, "Unknown"},       {T::String, "String"},       {T::Smallint, "Smallint"},
    {T::Integer, "Integer"},       {T::Word, "Word"},           {T::Boolean, "Boolean"},
    {T::Float, "Float"},           {T::Money, "Currency"},      {T::BCD, "BCD"},
    {T::Date, "Date"},             {T::Time, "Time"},           {T::DateTime, "DateTime"},
    {T::Bytes, "Bytes"},           {T::VarBytes, "VarBytes"},   {T::AutoInc, "AutoInc"},
    {T::Blob, "Blob"},             {T::Memo, "Memo"},           {T::Graphic, "Graphic"},
    {T::FmtMemo, "FmtMemo"},       {T::ParadoxOle, "ParadoxOle"}, {T::DBaseOle, "DBaseOle"},
    {T::TypedBinary, "TypedBinary"}, {T::Cursor, "Cursor"},     {T::FixedChar, "FixedChar"},
    {T::WideString, "WideString"}, {T::LargeInt, "LargeInt"},   {T::ADT, "ADT"},
    {T::Array, "Array"},           {T::Reference, "Reference"}, {T::DataSet, "DataSet"},
    {T::OraBlob, "OraBlob"},       {T::OraClob, "OraClob"},     {T::Variant, "Variant"},
    {T::Interface, "Interface"},   {T::IDispatch, "IDispatch"}, {T::Guid, "Guid"},
}};
} // namespace

QString fieldTypeName(FieldType type)
{
    for (const auto &[t, n] : kNames)
        if (t == type)
            return QString::fromLatin1(n);
    return QStringLiteral("Unknown");
}

std::optional<FieldType> fieldTypeFromName(const QString &text)
{
    for (const auto &[t, n] : kNames)
        if (text == QLatin1String(n))
            return t;
    return std::nullopt;
}

bool fieldTypeIsStorable(FieldType type)
{
    switch (type) {
    case T::Unknown: case T::Cursor: case T::ADT: case T::Array: case T::Reference:
    case T::DataSet: case T::OraBlob: case T::OraClob: case T::Variant:
    case T::Interface: case T::IDispatch:
        return false;
    default:
        return true;
    }
}

} // namespace vellora
