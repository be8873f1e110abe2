#pragma once
// Rebuilding the card table with a new list of fields. The new table is made
// in data/temp/, every card is copied into it field by field (each new field
// takes the values of the field it came from, whatever its position now),
// its first field becomes the engine-numbered key again with the numbering
// going on from the highest number ever handed out, and only then does it
// replace the card table's file, in one rename. A failure at any earlier
// step leaves the card table as it was.
#include "engine/FieldDef.h"
#include "engine/util/OperatorError.h"

#include <QList>
#include <QString>

namespace vellora {

// A definition the card table cannot hold, refused before anything changed.
class RestructureError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

// One field of the new structure and the field of the current card table
// whose values it takes (-1 for a new, empty field).
struct RestructureField {
    FieldDef def;
    int source = -1;
    bool operator==(const RestructureField &) const = default;
};

inline constexpr int kMaxCardFields = 200;
inline constexpr int kStandardFieldCount = 10;
// Longest field name the engine keeps through a restructure.
inline constexpr int kMaxFieldNameLength = 31;

// The fields of the card table as they are (each its own source).
QList<RestructureField> CurrentCardStructure(const QList<FieldDef> &defs);

// Type name shown for a field, and the default size of a type.
int DefaultFieldSize(FieldType type);

// Throws RestructureError naming the field: a type the card table cannot
// store (checked first, for every field), then an empty, duplicate, too
// long or unstorable name, a size out of range, more than 200 fields.
void CheckCardStructure(const QList<RestructureField> &fields);

// Checks, then rebuilds the card table of appFolder. Throws
// RestructureError or EngineError (the card table then unchanged; the
// scratch folder data/temp/ may hold a partial copy and can be removed).
// The card table must not be open in this program.
void RestructureCardTable(const QString &appFolder, const QList<RestructureField> &fields);

}  // namespace vellora
