// Field and index definitions of a table.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vellora {

// Field types. The names given by fieldTypeName() are the ones the operator
// sees and types (restructure dialog). Value types held in QVariant:
//   String, FixedChar, WideString, Memo, Guid         -> QString
//   Smallint, Integer, Word, LargeInt, AutoInc        -> qint64
//   Float, Money                                      -> double
//   BCD                                               -> QString of exact digits ("-12.50")
//   Boolean                                           -> bool
//   Date -> QDate, Time -> QTime, DateTime -> QDateTime (local, no zone)
//   Bytes, VarBytes, Blob, Graphic, FmtMemo, ParadoxOle, DBaseOle,
//   TypedBinary                                       -> QByteArray
// The remaining types (Unknown, Cursor, ADT, Array, Reference, DataSet,
// OraBlob, OraClob, Variant, Interface, IDispatch) exist as names only:
// creating a table with them fails with an EngineError.
enum class FieldType {
    Unknown,
    String,
    Smallint,
    Integer,
    Word,
    Boolean,
    Float,
    Money,      // shown as "Currency"
    BCD,
    Date,
    Time,
    DateTime,
    Bytes,
    VarBytes,
    AutoInc,    // integer numbered by the engine; never reused
    Blob,
    Memo,
    Graphic,
    FmtMemo,
    ParadoxOle,
    DBaseOle,
    TypedBinary,
    Cursor,
    FixedChar,
    WideString,
    LargeInt,
    ADT,
    Array,
    Reference,
    DataSet,
    OraBlob,
    OraClob,
    Variant,
    Interface,
    IDispatch,
    Guid,
};

// "String", "Integer", "Currency", "AutoInc", ... (one name per type).
QString fieldTypeName(FieldType type);
// The type whose name equals text exactly (letter case counts).
std::optional<FieldType> fieldTypeFromName(const QString &text);
// True for types that a table can store (see the list above).
bool fieldTypeIsStorable(FieldType type);

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    // Characters for String/FixedChar/WideString (a longer text is cut to
    // this width when assigned; 0 means unlimited), bytes for Bytes and
    // VarBytes, decimals for BCD, 0 for the rest.
    int size = 0;

    bool operator==(const FieldDef &) const = default;
};

struct IndexDef {
    QString name;
    QStringList fields;   // field names, in key order
    bool primary = false; // the table's key: rows are kept in its order
    bool unique = false;  // a primary index is always unique

    bool operator==(const IndexDef &) const = default;
};

} // namespace vellora
