#include "engine/card/LegacyConversion.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/card/CardDriver.h"
#include "engine/card/SqliteFile.h"
#include "engine/card/TableLock.h"
#include "engine/paradox/ParadoxReader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QScopeGuard>

#include <unistd.h>

#include <algorithm>
#include <functional>

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

// Copies files into a new folder "legacy-<yyyyMMdd-HHmmss>" beside path
// and returns it; throws EngineError(failure(reason)) leaving nothing.
QString keepOriginals(const QString &path, const QStringList &files,
                      const std::function<QString(const QString &)> &failure)
{
    const QFileInfo fi(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString legacy = fi.absolutePath() + QStringLiteral("/legacy-") + stamp;
    for (int k = 2; QFileInfo::exists(legacy); ++k)
        legacy = fi.absolutePath() + QStringLiteral("/legacy-") + stamp + QStringLiteral("-%1").arg(k);
    if (!QDir().mkpath(legacy))
        throw EngineError(failure(QObject::tr("the folder %1 cannot be created.").arg(QDir::toNativeSeparators(legacy))));
    for (const QString &f : files) {
        if (!copyDurably(f, legacy + QLatin1Char('/') + QFileInfo(f).fileName())) {
            QDir(legacy).removeRecursively();
            throw EngineError(
                failure(QObject::tr("its files cannot be copied to %1.").arg(QDir::toNativeSeparators(legacy))));
        }
    }
    syncPath(legacy);
    return legacy;
}

// Keeps the files first (until the rename inside createCardFile the folder
// still holds the table exactly as it was), then writes the table anew in
// the current format in place of path and hands its lock over to the new
// file. On any failure the kept copy is removed and the table stays as it
// was. Returns the folder holding the originals.
QString rebuildKeepingOriginals(const QString &path, const QStringList &files, const CardSchema &schema,
                                const std::function<void(sqlite3 *)> &fill, TableLock &lock,
                                const QString &displayName,
                                const std::function<QString(const QString &)> &failure)
{
    const QString legacy = keepOriginals(path, files, failure);
    auto dropCopy = qScopeGuard([&legacy] { QDir(legacy).removeRecursively(); });
    int fd = -1;
    CreateOptions opt;
    opt.replace = true;
    opt.lockedFd = &fd;
    createCardFile(path, schema, fill, opt, displayName);
    dropCopy.dismiss();
    lock.switchTo(fd);
    return legacy;
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
    const CardSchema schema = makeSchema(fields, indexes, tableNameFor(path), displayName);

    auto fill = [&](sqlite3 *db) {
        QStringList params;
        for (int i = 0; i < schema.fields.size(); ++i)
            params.append(QStringLiteral("?") + QString::number(i + 1));
        Statement ins(db,
                      QStringLiteral("INSERT INTO ") + quoteName(schema.table) + QStringLiteral(" VALUES (")
                          + params.join(QLatin1Char(',')) + QLatin1Char(')'),
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

    const QStringList family = familyFiles(path);
    const QString legacy = rebuildKeepingOriginals(path, family, schema, fill, lock, displayName,
                                                   [&](const QString &why) {
                                                       return QObject::tr("The Paradox table %1 could not be "
                                                                          "converted: %2")
                                                           .arg(displayName, why);
                                                   });
    // The index and memo files now only live in the legacy folder.
    for (const QString &f : family)
        if (QFileInfo(f).absoluteFilePath() != fi.absoluteFilePath())
            QFile::remove(f);
    syncPath(fi.absolutePath());
    return legacy;
}

bool isOldCardTable(const QByteArray &header)
{
    auto be32 = [&](int at) {
        return (quint32(quint8(header[at])) << 24) | (quint32(quint8(header[at + 1])) << 16)
            | (quint32(quint8(header[at + 2])) << 8) | quint32(quint8(header[at + 3]));
    };
    return header.size() >= 100 && header.startsWith(QByteArray("SQLite format 3", 16))
        && be32(68) == quint32(kApplicationId) && be32(60) == 1;
}

bool IsEmptyEarlierFormatCardTable(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !isOldCardTable(f.read(100)))
        return false;
    f.close();
    sqlite3 *db = nullptr;
    bool empty = false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM rows", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            empty = sqlite3_column_int64(st, 0) == 0;
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return empty;
}

QString convertOldCardTable(const QString &path, TableLock &lock, const QString &displayName)
{
    auto failure = [&](const QString &why) {
        return QObject::tr("The card table %1 could not be converted to the current format: %2")
            .arg(displayName, why);
    };
    sqlite3 *old = nullptr;
    struct Closer {
        sqlite3 *&db;
        ~Closer()
        {
            if (db)
                sqlite3_close_v2(db);
        }
    } closer{old};
    // Read-write: the first read rolls back a commit that a crash
    // interrupted, as any open of the table would.
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &old, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throwSqlite(old, displayName);
    sqlite3_extended_result_codes(old, 1);
    {
        Statement st(old, QStringLiteral("PRAGMA quick_check(1)"), displayName);
        if (sqlite3_step(st.get()) != SQLITE_ROW)
            throwSqlite(old, displayName);
        const QString res = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
        if (res != QLatin1String("ok"))
            throw EngineError(QObject::tr("The table file %1 is damaged (%2).").arg(displayName, res));
    }
    const CardSchema schema = readSchemaTables(old, displayName, tableNameFor(path));
    QStringList oldColumns;
    for (int i = 0; i < schema.fields.size(); ++i)
        oldColumns.append(QStringLiteral("c") + QString::number(i));

    auto fill = [&](sqlite3 *db) {
        QStringList params;
        for (int i = 0; i <= schema.fields.size(); ++i)
            params.append(QStringLiteral("?") + QString::number(i + 1));
        // The row ids come along: without a key they are the cards' order.
        Statement ins(db,
                      QStringLiteral("INSERT INTO ") + quoteName(schema.table) + QStringLiteral(" (") + schema.rowid
                          + QStringLiteral(", ") + schema.columnList() + QStringLiteral(") VALUES (")
                          + params.join(QLatin1Char(',')) + QLatin1Char(')'),
                      displayName);
        Statement sel(old,
                      QStringLiteral("SELECT rowid, ") + oldColumns.join(QStringLiteral(", "))
                          + QStringLiteral(" FROM rows ORDER BY rowid"),
                      displayName);
        int rc;
        while ((rc = sqlite3_step(sel.get())) == SQLITE_ROW) {
            ins.reset();
            for (int i = 0; i <= schema.fields.size(); ++i)
                sqlite3_bind_value(ins.get(), i + 1, sqlite3_column_value(sel.get(), i));
            if (sqlite3_step(ins.get()) != SQLITE_DONE)
                throwSqlite(db, displayName);
        }
        if (rc != SQLITE_DONE)
            throwSqlite(old, displayName);
        Statement counters(old, QStringLiteral("SELECT field, last FROM engine_counters"), displayName);
        while ((rc = sqlite3_step(counters.get())) == SQLITE_ROW)
            setCounter(db, sqlite3_column_int(counters.get(), 0), sqlite3_column_int64(counters.get(), 1),
                       displayName);
        if (rc != SQLITE_DONE)
            throwSqlite(old, displayName);
    };

    return rebuildKeepingOriginals(path, {path}, schema, fill, lock, displayName, failure);
}

} // namespace vellora::engine
