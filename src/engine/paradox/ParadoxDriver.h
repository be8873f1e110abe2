// Paradox tables as files of their own (TableType::Paradox): read with
// ParadoxReader, written as Paradox 7 tables in code page 1252:
//   NAME.DB  the rows (blocks of 4 KB, larger for wide records), keyed
//            tables in key order;
//   NAME.PX  the primary index of a keyed table (one level: the first key
//            of every data block);
//   NAME.MB  memo and binary values longer than the part kept in the row.
// Every change rewrites the three files (each replaced whole only when it is
// complete), so a table is never left half-written. Key fields of a keyed
// table must be its first fields, as the format requires.
//
// Types of a new table: String and the other texts of 1..255 characters ->
// Alpha; longer texts and Memo -> Memo; FmtMemo -> formatted memo; Blob,
// VarBytes and Bytes over 255 -> Blob; Bytes -> Bytes; Graphic -> Graphic;
// ParadoxOle, DBaseOle -> OLE; Smallint -> Short; Integer, Word -> Long;
// AutoInc -> AutoInc; LargeInt -> BCD with no decimals; Float -> Number;
// Money -> Currency; BCD -> BCD; Boolean -> Logical; Date, Time, DateTime ->
// Date, Time, Timestamp. Field names are at most 25 characters.
//
// The card table (TableType::Card, also "*.DB") is not this driver's: it is
// an SQLite file, and Paradox files opened as card tables are converted.
#pragma once

#include "engine/Driver.h"

namespace vellora::engine {

class ParadoxDriver : public TableDriver {
public:
    TableType type() const override { return TableType::Paradox; }
    QStringList extensions() const override { return {QStringLiteral(".db")}; }
    QStringList companionExtensions() const override { return {QStringLiteral(".px"), QStringLiteral(".mb")}; }
    std::unique_ptr<TableStorage> open(const TableLocation &where, bool exclusive) override;
    void create(const TableLocation &where, const QList<FieldDef> &fields,
                const QList<IndexDef> &indexes) override;
    void adaptDefinitions(QList<FieldDef> &fields, QList<IndexDef> &indexes) const override;
};

} // namespace vellora::engine
