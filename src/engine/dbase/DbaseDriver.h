// Drivers of dBASE and FoxPro tables ("*.dbf" with their ".dbt" / ".fpt"
// memo files); the format is described in DbfFile.h.
//
// Writing: rows are appended at the end of the file and the memo file,
// edited rows are rewritten in place, deleted rows are marked deleted (as
// every dBASE program does; they stay in the file until it is packed).
// Appending to any version read keeps that version's layout. A new table is
// dBASE III+ (0x03, or 0x83 with a ".dbt" when it has memo fields) for the
// dBASE driver and FoxPro 2 (0xF5 with an ".fpt") for the FoxPro driver,
// always in code page 1252; characters outside it are written as '?'.
// Field types of a new table:
//   String, FixedChar, WideString, Guid of 1..254 characters -> C(width);
//   wider or unlimited texts, Memo, FmtMemo and binary types -> M;
//   Smallint, Word -> N(6,0); Integer, AutoInc -> N(11,0) (the file does
//   not number rows); LargeInt -> N(20,0); Float -> N(20,6);
//   Money -> N(20,4); BCD -> N(20,decimals); Boolean -> L; Date -> D;
//   Time -> C(8) "HH:mm:ss"; DateTime -> C(19) "yyyy-MM-dd HH:mm:ss".
// Field names are at most ten characters of letters, digits and "_":
// longer names are shortened to unique ones (Card_Number -> Card_Numbe,
// Sparefield1 -> Sparefiel1), and the table's definitions carry the
// shortened names from creation on.
// A primary index given at creation is remembered in the field descriptors
// (the flag dBASE IV keeps for fields of the production index) without an
// index file; appending keeps such a key unique. Index files (.mdx, .cdx)
// are neither read nor written.
#pragma once

#include "engine/Driver.h"

namespace vellora::engine {

class DbaseDriver : public TableDriver {
public:
    explicit DbaseDriver(TableType type = TableType::DBase) : m_type(type) {}
    TableType type() const override { return m_type; }
    QStringList extensions() const override { return {QStringLiteral(".dbf")}; }
    QStringList companionExtensions() const override
    {
        return {QStringLiteral(".dbt"), QStringLiteral(".fpt")};
    }
    std::unique_ptr<TableStorage> open(const TableLocation &where, bool exclusive) override;
    void create(const TableLocation &where, const QList<FieldDef> &fields,
                const QList<IndexDef> &indexes) override;
    void adaptDefinitions(QList<FieldDef> &fields, QList<IndexDef> &indexes) const override;

private:
    TableType m_type;
};

// Shortens field names to at most maxLength characters, unique without
// regard to letter case, keeping a trailing number where there is one.
// Characters other than letters, digits and '_' become '_'.
QStringList shortenFieldNames(const QStringList &names, int maxLength);

} // namespace vellora::engine
