#include "dataman/restructure/Restructure.h"

#include "engine/BatchMove.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/util/FileLookup.h"
#include "store/CardTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vellora {

namespace {

QString tr(const char *text) { return QCoreApplication::translate("Restructure", text); }

bool sized(FieldType t)
{
    switch (t) {
    case FieldType::String:
    case FieldType::FixedChar:
    case FieldType::WideString:
    case FieldType::Bytes:
    case FieldType::VarBytes:
        return true;
    default:
        return false;
    }
}

// Characters a field name cannot hold: they end a name in the mapping lines
// of a batch move, in the quoting of the table files or in a text table's
// schema.
bool badNameCharacter(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char('"') || c == QLatin1Char('=') ||
           c == QLatin1Char('[') || c == QLatin1Char(']');
}

void removeScratch(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name.startsWith(QLatin1String("cardset1."), Qt::CaseInsensitive))
            dir.remove(name);
    QDir().rmdir(folder);   // only when empty
}

}  // namespace

QList<RestructureField> CurrentCardStructure(const QList<FieldDef> &defs)
{
    QList<RestructureField> fields;
    for (int i = 0; i < defs.size(); ++i)
        fields.append({defs[i], i});
    return fields;
}

int DefaultFieldSize(FieldType type)
{
    switch (type) {
    case FieldType::String:
    case FieldType::FixedChar:
        return 20;
    case FieldType::BCD:
        return 4;
    case FieldType::Bytes:
    case FieldType::VarBytes:
        return 16;
    case FieldType::Array:
        return 10;
    default:
        return 0;
    }
}

void CheckCardStructure(const QList<RestructureField> &fields)
{
    // Types first: nothing else matters while a field cannot be stored.
    for (const RestructureField &f : fields)
        if (!fieldTypeIsStorable(f.def.type))
            throw RestructureError(tr("The field \"%1\" has the type %2, which the card table cannot store. "
                                      "Choose another type for it; nothing was changed.")
                                       .arg(f.def.name, fieldTypeName(f.def.type)));
    if (fields.isEmpty())
        throw RestructureError(tr("The card table needs at least one field; nothing was changed."));
    if (fields.size() > kMaxCardFields)
        throw RestructureError(tr("The card table can hold at most %1 fields; nothing was changed.").arg(kMaxCardFields));
    QSet<QString> names;
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef &d = fields[i].def;
        if (d.name.trimmed().isEmpty())
            throw RestructureError(tr("Field %1 has no name. Give it a name; nothing was changed.").arg(i + 1));
        if (d.name.trimmed() != d.name)
            throw RestructureError(tr("The field name \"%1\" begins or ends with a blank, which the card table "
                                      "cannot keep; nothing was changed.")
                                       .arg(d.name));
        if (d.name.size() > kMaxFieldNameLength)
            throw RestructureError(tr("The field name \"%1\" is longer than %2 characters; nothing was changed.")
                                       .arg(d.name)
                                       .arg(kMaxFieldNameLength));
        for (const QChar c : d.name)
            if (badNameCharacter(c))
                throw RestructureError(tr("The field name \"%1\" holds the character %2, which the card table "
                                          "cannot store in a name; nothing was changed.")
                                           .arg(d.name, c.unicode() < 0x20 || c.unicode() == 0x7F
                                                            ? QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                                            : QStringLiteral("\"%1\"").arg(c)));
        if (names.contains(d.name.toLower()))
            throw RestructureError(tr("The field name \"%1\" occurs twice; nothing was changed.").arg(d.name));
        names.insert(d.name.toLower());
        if (sized(d.type) && (d.size < 1 || d.size > 255))
            throw RestructureError(tr("The field \"%1\" has the size %2; a field of type %3 holds 1 to 255. "
                                      "Nothing was changed.")
                                       .arg(d.name)
                                       .arg(d.size)
                                       .arg(fieldTypeName(d.type)));
        if (d.type == FieldType::BCD && (d.size < 0 || d.size > 32))
            throw RestructureError(tr("The field \"%1\" has the size %2; a BCD field has 0 to 32 decimals. "
                                      "Nothing was changed.")
                                       .arg(d.name)
                                       .arg(d.size));
    }
}

void RestructureCardTable(const QString &appFolder, const QList<RestructureField> &requested)
{
    QList<RestructureField> fields = requested;
    for (RestructureField &f : fields)
        if (!sized(f.def.type) && f.def.type != FieldType::BCD)
            f.def.size = 0;   // the type has no size of its own
    CheckCardStructure(fields);

    const QString dataFolder = CardTableFolder(appFolder);
    const QString cardPath = ResolveCaseInsensitive(dataFolder, QString::fromLatin1(kCardTableName));
    if (!QFileInfo(cardPath).isFile())
        throw EngineError(tr("The card table %1 does not exist.").arg(QDir::toNativeSeparators(cardPath)));

    // The card table is held exclusively from here to its replacement: no
    // other program changes it in between.
    Table old;
    old.setDatabaseName(dataFolder);
    old.setTableName(QString::fromLatin1(kCardTableName));
    old.setExclusive(true);
    old.open();
    const QList<FieldDef> oldDefs = old.fieldDefs();
    const int standard = std::min<int>(kStandardFieldCount, int(oldDefs.size()));
    for (int i = 0; i < standard; ++i)
        if (i >= fields.size() || fields[i].source != i || fields[i].def != oldDefs[i])
            throw RestructureError(tr("The standard field \"%1\" cannot be changed or deleted; nothing was changed.")
                                       .arg(oldDefs[i].name));
    QSet<int> sources;
    for (const RestructureField &f : fields) {
        if (f.source < 0)
            continue;
        if (f.source >= oldDefs.size() || sources.contains(f.source))
            throw RestructureError(tr("The field \"%1\" names no field of the card table to take its values "
                                      "from; nothing was changed.")
                                       .arg(f.def.name));
        sources.insert(f.source);
    }

    const QString scratch = dataFolder + QStringLiteral("temp");
    removeScratch(scratch);
    if (!QDir().mkpath(scratch))
        throw EngineError(tr("The folder %1 cannot be made; the card table was not changed.")
                              .arg(QDir::toNativeSeparators(scratch)));
    ForgetFolderListings();

    Table fresh;
    fresh.setDatabaseName(scratch + QLatin1Char('/'));
    fresh.setTableName(QString::fromLatin1(kCardTableName));
    fresh.setTableType(TableType::Card);
    QList<FieldDef> defs;
    for (const RestructureField &f : fields)
        defs.append(f.def);
    // The key is a plain integer while the cards go in with their numbers.
    defs[0].type = FieldType::Integer;
    defs[0].size = 0;
    fresh.setFieldDefs(defs);
    fresh.setIndexDefs({IndexDef{QStringLiteral("card_noindex"), {defs[0].name}, true, true}});
    fresh.createTable();
    const QString freshPath = fresh.filePath();

    // Each new field from the field it came from, by name: a deleted field
    // in the middle moves nobody else's values. A value that does not fit
    // its new type or size stops the rebuild instead of losing the card.
    QStringList mapping;
    for (const RestructureField &f : fields)
        if (f.source >= 0)
            mapping.append(f.def.name + QLatin1Char('=') + oldDefs[f.source].name);
    BatchMove move;
    move.setSource(&old);
    move.setDestination(&fresh);
    move.setMode(BatchMoveMode::Append);
    move.setMappings(mapping);
    move.setAbortOnKeyViolation(true);
    move.setAbortOnProblem(true);
    try {
        move.execute();
    } catch (const EngineError &e) {
        throw EngineError(tr("The cards could not be copied into the new structure, and the card table was not "
                             "changed: %1 Give the field a type and size that hold its values, or correct the "
                             "values first.")
                              .arg(e.message()));
    }
    if (move.movedCount() != old.recordCount())
        throw EngineError(tr("Only %1 of %2 cards could be copied; the card table was not changed.")
                              .arg(move.movedCount())
                              .arg(old.recordCount()));

    fresh.close();
    fresh.setExclusive(true);
    fresh.open();
    fresh.changeFieldType(0, FieldChange{QString(), FieldType::AutoInc, 0});
    fresh.close();

    // The one step that changes the collection: the new file takes the card
    // table's name in a single rename.
    const QByteArray from = QFile::encodeName(freshPath);
    const QByteArray to = QFile::encodeName(cardPath);
    if (std::rename(from.constData(), to.constData()) != 0)
        throw EngineError(tr("The card table %1 could not be replaced (%2); it was not changed.")
                              .arg(QDir::toNativeSeparators(cardPath), QString::fromLocal8Bit(std::strerror(errno))));
    old.close();
    NoteFileRemoved(freshPath);
    NoteFileWritten(cardPath);
    removeScratch(scratch);
    ForgetFolderListings();
}

}  // namespace vellora
