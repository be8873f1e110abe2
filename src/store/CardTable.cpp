#include "store/CardTable.h"

#include "engine/Table.h"
#include "engine/util/FileLookup.h"

namespace vellora {

QList<FieldDef> StandardCardFields()
{
    return {
        {QString::fromLatin1(kCardNumberField), FieldType::AutoInc, 0},
        {QStringLiteral("Sparefield2"), FieldType::String, kSpareFieldWidth},
        {QStringLiteral("First_name"), FieldType::String, kNameFieldWidth},
        {QStringLiteral("Last_name"), FieldType::String, kNameFieldWidth},
        {QStringLiteral("Title"), FieldType::String, kTitleFieldWidth},
        {QStringLiteral("Department"), FieldType::String, kDepartmentFieldWidth},
        {QStringLiteral("Sparefield1"), FieldType::String, kSpareFieldWidth},
        {QStringLiteral("MagStripe1"), FieldType::String, kTrack1FieldWidth},
        {QStringLiteral("MagStripe2"), FieldType::String, kTrack2FieldWidth},
        {QStringLiteral("MagStripe3"), FieldType::String, kTrack3FieldWidth},
    };
}

QList<IndexDef> StandardCardIndexes()
{
    IndexDef key;
    key.fields = QStringList{QString::fromLatin1(kCardNumberField)};
    key.primary = true;
    key.unique = true;
    return {key};
}

QString CardTableFolder(const QString &appFolder)
{
    return ResolveCaseInsensitive(appFolder, QStringLiteral("data")) + '/';
}

void CreateStandardCardTable(const QString &folder, const QString &tableName)
{
    Table table;
    table.setDatabaseName(folder);
    table.setTableName(tableName);
    table.setTableType(TableType::Card);
    table.setFieldDefs(StandardCardFields());
    table.setIndexDefs(StandardCardIndexes());
    table.createTable();
}

void OpenCardTable(Table &table, const QString &appFolder)
{
    table.close();
    table.setDatabaseName(CardTableFolder(appFolder));
    table.setTableName(QString::fromLatin1(kCardTableName));
    table.setCachedUpdates(true);
    table.open();
}

}  // namespace vellora
