#include "engine/card/LegacyConversion.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/card/SqliteFile.h"
#include "engine/card/TableLock.h"
#include "engine/paradox/ParadoxReader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <unistd.h>

#include <algorithm>

namespace vellora::engine {

namespace {

FieldDef fieldFor(const paradox::FieldInfo &f)
{
    using P = paradox::FieldType;
    switch (f.type) {
    case P::Alpha: return {f.name, FieldType::String, f.size};
    case P::Date: return {f.name, FieldType::Date, 0};
    case P::Short: return {f.name, FieldType::Smallint, 0};
    case P::Long: return {f.name, FieldType::Integer, 0};
    case P::Currency: return {f.name, FieldType::Money, 0};
    case P::Number: return {f.name, FieldType::Float, 0};
    case P::Logical: return {f.name, FieldType::Boolean, 0};
    case P::Memo: return {f.name, FieldType::Memo, 0};
    case P::Blob: return {f.name, FieldType::Blob, 0};
    case P::FormattedMemo: return {f.name, FieldType::FmtMemo, 0};
    case P::OLE: return {f.name, FieldType::ParadoxOle, 0};
    case P::Graphic: return {f.name, FieldType::Graphic, 0};
    case P::Time: return {f.name, FieldType::Time, 0};
    case P::Timestamp: return {f.name, FieldType::DateTime, 0};
    case P::AutoInc: return {f.name, FieldType::AutoInc, 0};
    case P::BCD: return {f.name, FieldType::BCD, f.size};
    case P::Bytes: return {f.name, FieldType::Bytes, f.size};
    }
    return {f.name, FieldType::String, f.size};
}

// The table's files: same base name, any extension, any letter case.
QStringList familyFiles(const QString &path)
{
    const QFileInfo fi(path);
    const QString base = fi.completeBaseName();
    QStringList out;
    const auto entries = QDir(fi.absolutePath()).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &e : entries) {
        if (e.fileName().startsWith(QLatin1Char('.')))
            continue;
        if (e.completeBaseName().compare(base, Qt::CaseInsensitive) == 0
            && !e.fileName().endsWith(QLatin1String("-journal")))
            out.append(e.absoluteFilePath());
    }
    return out;
}

bool copyDurably(const QString &from, const QString &to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (!QFile::copy(from, to))
        return false;
    return syncPath(to);
}

} // namespace

QString convertParadoxTable(const QString &path, TableLock &lock, const QString &displayName)
{
    const QFileInfo fi(path);
    paradox::ParadoxReader reader;
    try {
        reader.open(path);
    } catch (const paradox::ParadoxError &e) {
        throw EngineError(QObject::tr("The Paradox table %1 could not be converted: %2")
                              .arg(displayName, e.message()));
    }
    const paradox::TableInfo &info = reader.info();
    QList<FieldDef> fields;
    for (const auto &f : info.fields)
        fields.append(fieldFor(f));
    QList<IndexDef> indexes;
    if (info.keyed && info.keyFieldCount > 0) {
        IndexDef pk;
        pk.primary = true;
        pk.unique = true;
        for (int i = 0; i < info.keyFieldCount && i < fields.size(); ++i)
            pk.fields.append(fields[i].name);
        indexes.append(pk);
    }
    const CardSchema schema = makeSchema(fields, indexes, displayName);

    auto fill = [&](sqlite3 *db) {
        QStringList params;
        for (int i = 0; i < schema.fields.size(); ++i)
            params.append(QStringLiteral("?%1").arg(i + 1));
        Statement ins(db, QStringLiteral("INSERT INTO rows VALUES (%1)").arg(params.join(QLatin1Char(','))),
                      displayName);
        QList<qint64> highest(schema.fields.size(), 0);
        QVariantList row;
        qint64 n = 0;
        try {
            while (reader.next(row)) {
                ++n;
                ins.reset();
                for (int i = 0; i < schema.fields.size(); ++i) {
                    const QVariant v = i < row.size() ? row[i] : QVariant();
                    bool ok = true;
                    const QVariant c = convertValue(v, schema.fields[i], &ok);
                    ins.bind(i + 1, ok ? c : QVariant(), schema.fields[i].type);
                    if (schema.fields[i].type == FieldType::AutoInc && c.isValid())
                        highest[i] = std::max(highest[i], c.toLongLong());
                }
                if (schema.idKeyField >= 0 && (!row.value(schema.idKeyField).isValid()))
                    throw EngineError(QObject::tr("The Paradox table %1 could not be converted: record "
                                                  "%2 has no key.")
                                          .arg(displayName)
                                          .arg(n));
                if (sqlite3_step(ins.get()) != SQLITE_DONE) {
                    const int code = sqlite3_errcode(db);
                    if (code == SQLITE_CONSTRAINT)
                        throw EngineError(QObject::tr("The Paradox table %1 could not be converted: "
                                                      "record %2 repeats the key of an earlier record.")
                                              .arg(displayName)
                                              .arg(n));
                    throwSqlite(db, displayName);
                }
            }
        } catch (const paradox::ParadoxError &e) {
            throw EngineError(QObject::tr("The Paradox table %1 could not be converted: %2")
                                  .arg(displayName, e.message()));
        }
        for (int i = 0; i < schema.fields.size(); ++i)
            if (schema.fields[i].type == FieldType::AutoInc)
                setCounter(db, i, std::max(highest[i], info.nextAutoInc - 1), displayName);
    };

    // Keep the originals first: until the rename below, the folder still
    // holds the Paradox table exactly as it was.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString legacy = fi.absolutePath() + QStringLiteral("/legacy-") + stamp;
    for (int k = 2; QFileInfo::exists(legacy); ++k)
        legacy = fi.absolutePath() + QStringLiteral("/legacy-") + stamp + QStringLiteral("-%1").arg(k);
    const QStringList family = familyFiles(path);
    if (!QDir().mkpath(legacy))
        throw EngineError(QObject::tr("The Paradox table %1 could not be converted: the folder %2 "
                                      "cannot be created.")
                              .arg(displayName, QDir::toNativeSeparators(legacy)));
    for (const QString &f : family) {
        if (!copyDurably(f, legacy + QLatin1Char('/') + QFileInfo(f).fileName())) {
            QDir(legacy).removeRecursively();
            throw EngineError(QObject::tr("The Paradox table %1 could not be converted: its files "
                                          "cannot be copied to %2.")
                                  .arg(displayName, QDir::toNativeSeparators(legacy)));
        }
    }
    syncPath(legacy);

    int fd = -1;
    try {
        CreateOptions opt;
        opt.replace = true;
        opt.lockedFd = &fd;
        createCardFile(path, schema, fill, opt, displayName);
    } catch (...) {
        QDir(legacy).removeRecursively();
        throw;
    }
    lock.switchTo(fd);
    // The index and memo files now only live in the legacy folder.
    for (const QString &f : family)
        if (QFileInfo(f).absoluteFilePath() != fi.absoluteFilePath())
            QFile::remove(f);
    syncPath(fi.absolutePath());
    return legacy;
}

} // namespace vellora::engine
