#pragma once
// The card table: an SQLite card table data/cardset1.DB below AppFolder,
// one row per card. Its first field Card_Number is the engine's
// auto-increment key; the other standard fields are addressed by name.
#include "engine/FieldDef.h"

#include <QList>
#include <QString>

namespace vellora {

class Table;

inline constexpr char kCardTableName[] = "cardset1.DB";
inline constexpr char kCardNumberField[] = "Card_Number";

// Widths of the standard text fields, in characters. The print job encodes
// at most 76, 37 and 104 characters of the three tracks; the fields hold the
// full ISO capacities of 79, 40 and 107 characters.
inline constexpr int kNameFieldWidth = 40;
inline constexpr int kTitleFieldWidth = 60;
inline constexpr int kDepartmentFieldWidth = 60;
inline constexpr int kSpareFieldWidth = 80;
inline constexpr int kTrack1FieldWidth = 79;
inline constexpr int kTrack2FieldWidth = 40;
inline constexpr int kTrack3FieldWidth = 107;

// The ten standard fields in table order: Card_Number, Sparefield2,
// First_name, Last_name, Title, Department, Sparefield1, MagStripe1,
// MagStripe2, MagStripe3. Sparefield2 comes second because a new card gets a
// single blank in the second field: no quick layout shows Sparefield2, it is
// not track data, and the blank it holds is invisible wherever a custom
// layout prints it.
QList<FieldDef> StandardCardFields();
// The primary index on Card_Number.
QList<IndexDef> StandardCardIndexes();

// AppFolder + "data/", the folder found without regard to letter case.
QString CardTableFolder(const QString &appFolder);

// Writes an empty standard card table `tableName` into `folder` through the
// engine. Throws EngineError, also when the table already exists.
void CreateStandardCardTable(const QString &folder, const QString &tableName = QString::fromLatin1(kCardTableName));

// Points `table` at the card table of `appFolder` with cached updates on and
// opens it (throws EngineError, for example when the file is missing).
void OpenCardTable(Table &table, const QString &appFolder);

}  // namespace vellora
