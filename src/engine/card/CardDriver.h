// The driver of our own card tables: "*.DB" files that are SQLite
// databases holding one table each, named after the file, with a column per
// field (SqliteFile.h). Legacy Paradox files found under such a name, and
// card tables of an earlier format, are converted on open
// (LegacyConversion.h).
#pragma once

#include "engine/Driver.h"

namespace vellora::engine {

class CardDriver : public TableDriver {
public:
    TableType type() const override { return TableType::Card; }
    QStringList extensions() const override { return {QStringLiteral(".db")}; }
    QStringList companionExtensions() const override;
    std::unique_ptr<TableStorage> open(const TableLocation &where, bool exclusive) override;
    void create(const TableLocation &where, const QList<FieldDef> &fields,
                const QList<IndexDef> &indexes) override;
};

// True for a card table file of an earlier format of this program that
// holds no row (a blank table left by an earlier build): it can simply be
// made again instead of being converted with its original kept.
bool IsEmptyEarlierFormatCardTable(const QString &path);

// Commits wait until the data is on the disk (the default). Off only for
// measurements: a power cut may then lose the last commits.
void setCardTablesSynchronous(bool on);
bool cardTablesSynchronous();

} // namespace vellora::engine
