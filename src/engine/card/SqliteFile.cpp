#include "engine/card/SqliteFile.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/card/CardDriver.h"
#include "engine/card/TableLock.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRandomGenerator>
#include <QSet>
#include <QTime>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vellora::engine {

QString sqliteMessage(sqlite3 *db, const QString &file)
{
    const int code = db ? sqlite3_errcode(db) : SQLITE_ERROR;
    const QString detail = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    switch (code) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QObject::tr("The table file %1 is damaged (%2).").arg(file, detail);
    case SQLITE_FULL:
        return QObject::tr("The table file %1 could not be written: the disk is full.").arg(file);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return QObject::tr("The table file %1 cannot be written or opened (%2).").arg(file, detail);
    case SQLITE_IOERR:
        return QObject::tr("Reading or writing the table file %1 failed (%2).").arg(file, detail);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QObject::tr("The card table is in use by another program.");
    default:
        return QObject::tr("Table %1: %2").arg(file, detail);
    }
}

void throwSqlite(sqlite3 *db, const QString &file)
{
    throw EngineError(sqliteMessage(db, file));
}

void execSql(sqlite3 *db, const QString &sql, const QString &file)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        sqlite3_free(err);
        throwSqlite(db, file);
    }
}

Statement::Statement(sqlite3 *db, const QString &sql, const QString &file)
{
    const QByteArray u = sql.toUtf8();
    if (sqlite3_prepare_v3(db, u.constData(), int(u.size()), SQLITE_PREPARE_PERSISTENT, &m_stmt,
                           nullptr) != SQLITE_OK)
        throwSqlite(db, file);
}

Statement::~Statement()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

Statement &Statement::operator=(Statement &&o) noexcept
{
    if (this != &o) {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        m_stmt = o.m_stmt;
        o.m_stmt = nullptr;
    }
    return *this;
}

void Statement::reset() const
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void Statement::bindInt(int index, qint64 value) const
{
    sqlite3_bind_int64(m_stmt, index, value);
}

void Statement::bind(int index, const QVariant &value, FieldType type) const
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    auto text = [&](const QString &s) {
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text64(m_stmt, index, u.constData(), sqlite3_uint64(u.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
    };
    switch (valueClass(type)) {
    case ValueClass::Integer:
        sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case ValueClass::Boolean:
        sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
        break;
    case ValueClass::Real:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case ValueClass::Date:
        text(value.toDate().toString(Qt::ISODate));
        break;
    case ValueClass::Time:
        text(value.toTime().toString(QStringLiteral("HH:mm:ss.zzz")));
        break;
    case ValueClass::DateTime:
        text(value.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
        break;
    case ValueClass::Binary: {
        const QByteArray b = value.toByteArray();
        sqlite3_bind_blob64(m_stmt, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
        break;
    }
    case ValueClass::Text:
    case ValueClass::Decimal:
        text(value.toString());
        break;
    }
}

QVariant Statement::column(int index, FieldType type) const
{
    if (valueClass(type) == ValueClass::Text) {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
        if (!p)
            return {};
        return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, index));
    }
    const int kind = sqlite3_column_type(m_stmt, index);
    if (kind == SQLITE_NULL)
        return {};
    auto text = [&]() {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
        return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, index));
    };
    switch (valueClass(type)) {
    case ValueClass::Text:
    case ValueClass::Decimal:
        return text();
    case ValueClass::Integer:
        if (kind == SQLITE_INTEGER)
            return qint64(sqlite3_column_int64(m_stmt, index));
        break;
    case ValueClass::Boolean:
        if (kind == SQLITE_INTEGER)
            return sqlite3_column_int64(m_stmt, index) != 0;
        break;
    case ValueClass::Real:
        if (kind == SQLITE_FLOAT || kind == SQLITE_INTEGER)
            return sqlite3_column_double(m_stmt, index);
        break;
    case ValueClass::Date: {
        const QDate d = QDate::fromString(text(), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case ValueClass::Time: {
        const QTime t = QTime::fromString(text(), Qt::ISODateWithMs);
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case ValueClass::DateTime: {
        const QDateTime t = QDateTime::fromString(text(), Qt::ISODateWithMs);
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case ValueClass::Binary: {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(m_stmt, index));
        return QByteArray(p, sqlite3_column_bytes(m_stmt, index));
    }
    }
    // A value stored in another form than the field's: convert it.
    FieldDef def{QString(), type, 0};
    bool ok = false;
    const QVariant v = convertValue(text(), def, &ok);
    return ok ? v : QVariant();
}

QString quoteName(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString CardSchema::columnList() const
{
    QStringList cols;
    for (int i = 0; i < fields.size(); ++i)
        cols.append(column(i));
    return cols.join(QStringLiteral(", "));
}

namespace {

const char *const kSideTables[] = {"engine_table", "engine_fields", "engine_indexes", "engine_counters"};

bool reservedTableName(const QString &name)
{
    if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return true;
    for (const char *t : kSideTables)
        if (name.compare(QLatin1String(t), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QString tableNameFor(const QString &path)
{
    QString name = QFileInfo(path).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("cards");
    while (reservedTableName(name))
        name += QStringLiteral("_cards");
    return name;
}

CardSchema makeSchema(const QList<FieldDef> &fields, const QList<IndexDef> &indexes,
                      const QString &table, const QString &file)
{
    CardSchema s;
    s.table = table;
    if (table.isEmpty() || reservedTableName(table))
        throw EngineError(QObject::tr("The table file %1 is damaged (its table has the name \"%2\").")
                              .arg(file, table));
    if (fields.isEmpty())
        throw EngineError(QObject::tr("The table %1 needs at least one field.").arg(file));
    QSet<QString> names;
    for (const FieldDef &f : fields) {
        const QString n = f.name.trimmed();
        if (n.isEmpty())
            throw EngineError(QObject::tr("A field of table %1 has no name.").arg(file));
        if (names.contains(n.toLower()))
            throw EngineError(QObject::tr("The field name %1 occurs twice in table %2.").arg(n, file));
        if (!fieldTypeIsStorable(f.type))
            throw EngineError(QObject::tr("The field %1 of table %2 has the type %3, which tables "
                                          "cannot store.")
                                  .arg(n, file, fieldTypeName(f.type)));
        if (f.size < 0)
            throw EngineError(QObject::tr("The field %1 of table %2 has a negative size.").arg(n, file));
        names.insert(n.toLower());
        FieldDef g = f;
        g.name = n;
        s.fields.append(g);
    }
    // SQLite knows the row id by three names; a column of the same name
    // hides it.
    for (const char *id : {"rowid", "_rowid_", "oid"}) {
        if (!names.contains(QLatin1String(id))) {
            s.rowid = QLatin1String(id);
            break;
        }
    }
    if (s.rowid.isEmpty())
        throw EngineError(QObject::tr("The table %1 cannot have fields named rowid, _rowid_ and oid "
                                      "all at once.")
                              .arg(file));
    auto position = [&](const QString &name) {
        for (int i = 0; i < s.fields.size(); ++i)
            if (s.fields[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    };
    bool havePrimary = false;
    for (IndexDef ix : indexes) {
        if (ix.fields.isEmpty())
            throw EngineError(QObject::tr("The index %1 of table %2 has no fields.").arg(ix.name, file));
        QList<int> pos;
        for (QString &fn : ix.fields) {
            const int p = position(fn);
            if (p < 0)
                throw EngineError(QObject::tr("The index %1 of table %2 names the missing field %3.")
                                      .arg(ix.name, file, fn));
            fn = s.fields[p].name;
            pos.append(p);
        }
        if (ix.primary) {
            if (havePrimary)
                throw EngineError(QObject::tr("The table %1 can have only one primary index.").arg(file));
            havePrimary = true;
            ix.unique = true;
            s.primaryFields = pos;
            if (pos.size() == 1 && isIntegerType(s.fields[pos[0]].type))
                s.idKeyField = pos[0];
        }
        s.indexes.append(ix);
    }
    return s;
}

// The declared type of a field's column. Each keeps the storage class the
// engine writes (the declared type decides SQLite's conversions) and tells
// readers such as the ODBC driver what the field holds.
static QString columnType(const FieldDef &f)
{
    switch (f.type) {
    case FieldType::Smallint: return QStringLiteral("SMALLINT");
    case FieldType::LargeInt: return QStringLiteral("BIGINT");
    case FieldType::Boolean: return QStringLiteral("BOOLEAN");
    case FieldType::Float: return QStringLiteral("DOUBLE");
    case FieldType::Money: return QStringLiteral("REAL");
    // Stored as ISO text, which no numeric conversion touches.
    case FieldType::Date: return QStringLiteral("DATE");
    case FieldType::Time: return QStringLiteral("TIME");
    case FieldType::DateTime: return QStringLiteral("TIMESTAMP");
    // Exact digits stay text: a numeric column would turn them into floats.
    case FieldType::BCD: return QStringLiteral("TEXT");
    case FieldType::String:
    case FieldType::FixedChar:
    case FieldType::WideString:
        if (f.size > 0)
            return QStringLiteral("VARCHAR(%1)").arg(f.size);
        return QStringLiteral("TEXT");
    default:
        break;
    }
    switch (valueClass(f.type)) {
    case ValueClass::Integer:
    case ValueClass::Boolean:
        return QStringLiteral("INTEGER");
    case ValueClass::Real:
        return QStringLiteral("REAL");
    case ValueClass::Binary:
        return QStringLiteral("BLOB");
    default:
        return QStringLiteral("TEXT");
    }
}

void createRowsTable(sqlite3 *db, const CardSchema &schema, const QString &tableName,
                     const QString &file)
{
    QStringList cols;
    for (int i = 0; i < schema.fields.size(); ++i) {
        // The row id itself (exactly "INTEGER PRIMARY KEY").
        if (i == schema.idKeyField)
            cols.append(schema.column(i) + QStringLiteral(" INTEGER PRIMARY KEY"));
        else
            cols.append(schema.column(i) + QLatin1Char(' ') + columnType(schema.fields[i]));
    }
    execSql(db,
            QStringLiteral("CREATE TABLE ") + quoteName(tableName.isEmpty() ? schema.table : tableName)
                + QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + QLatin1Char(')'),
            file);
}

void createIndexes(sqlite3 *db, const CardSchema &schema, const QString &file)
{
    int n = 0;
    for (const IndexDef &ix : schema.indexes) {
        ++n;
        if (ix.primary && schema.idKeyField >= 0)
            continue;
        QStringList cols;
        for (const QString &f : ix.fields)
            for (int i = 0; i < schema.fields.size(); ++i)
                if (schema.fields[i].name == f)
                    cols.append(schema.column(i));
        // Names are pasted in, not substituted with arg(): a "%1" in a field
        // name stays as it is.
        execSql(db,
                QStringLiteral("CREATE ") + (ix.unique || ix.primary ? QStringLiteral("UNIQUE ") : QString())
                    + QStringLiteral("INDEX ") + quoteName(schema.table + QStringLiteral("_ix") + QString::number(n))
                    + QStringLiteral(" ON ") + quoteName(schema.table) + QStringLiteral(" (")
                    + cols.join(QStringLiteral(", ")) + QLatin1Char(')'),
                file);
    }
}

void writeSchemaTables(sqlite3 *db, const CardSchema &schema, const QString &file)
{
    execSql(db, QStringLiteral("CREATE TABLE IF NOT EXISTS engine_table (name TEXT NOT NULL)"), file);
    execSql(db, QStringLiteral("CREATE TABLE IF NOT EXISTS engine_fields (position INTEGER PRIMARY KEY, "
                               "name TEXT NOT NULL, type TEXT NOT NULL, size INTEGER NOT NULL)"),
            file);
    execSql(db, QStringLiteral("CREATE TABLE IF NOT EXISTS engine_indexes (position INTEGER PRIMARY KEY, "
                               "name TEXT NOT NULL, fields TEXT NOT NULL, is_primary INTEGER NOT NULL, "
                               "is_unique INTEGER NOT NULL)"),
            file);
    execSql(db, QStringLiteral("CREATE TABLE IF NOT EXISTS engine_counters (field INTEGER PRIMARY KEY, "
                               "last INTEGER NOT NULL)"),
            file);
    execSql(db, QStringLiteral("DELETE FROM engine_table; DELETE FROM engine_fields; DELETE FROM engine_indexes;"),
            file);
    {
        Statement st(db, QStringLiteral("INSERT INTO engine_table VALUES (?1)"), file);
        st.bind(1, schema.table, FieldType::String);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            throwSqlite(db, file);
    }
    {
        Statement st(db, QStringLiteral("INSERT INTO engine_fields VALUES (?1, ?2, ?3, ?4)"), file);
        for (int i = 0; i < schema.fields.size(); ++i) {
            st.reset();
            st.bindInt(1, i);
            st.bind(2, schema.fields[i].name, FieldType::String);
            st.bind(3, fieldTypeName(schema.fields[i].type), FieldType::String);
            st.bindInt(4, schema.fields[i].size);
            if (sqlite3_step(st.get()) != SQLITE_DONE)
                throwSqlite(db, file);
        }
    }
    Statement st(db, QStringLiteral("INSERT INTO engine_indexes VALUES (?1, ?2, ?3, ?4, ?5)"), file);
    for (int i = 0; i < schema.indexes.size(); ++i) {
        const IndexDef &ix = schema.indexes[i];
        st.reset();
        st.bindInt(1, i);
        st.bind(2, ix.name, FieldType::String);
        st.bind(3, ix.fields.join(QLatin1Char('\n')), FieldType::String);
        st.bindInt(4, ix.primary ? 1 : 0);
        st.bindInt(5, ix.unique || ix.primary ? 1 : 0);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            throwSqlite(db, file);
    }
    execSql(db, QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2")
                    .arg(kApplicationId)
                    .arg(kFormatVersion),
            file);
}

CardSchema readSchemaTables(sqlite3 *db, const QString &file, QString table)
{
    if (table.isEmpty()) {
        Statement st(db, QStringLiteral("SELECT name FROM engine_table"), file);
        if (sqlite3_step(st.get()) == SQLITE_ROW)
            table = st.column(0, FieldType::String).toString();
    }
    QList<FieldDef> fields;
    {
        Statement st(db, QStringLiteral("SELECT name, type, size FROM engine_fields ORDER BY position"), file);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            FieldDef d;
            d.name = st.column(0, FieldType::String).toString();
            const auto t = fieldTypeFromName(st.column(1, FieldType::String).toString());
            if (!t)
                throw EngineError(QObject::tr("The table file %1 is damaged (unknown field type).").arg(file));
            d.type = *t;
            d.size = sqlite3_column_int(st.get(), 2);
            fields.append(d);
        }
        if (rc != SQLITE_DONE)
            throwSqlite(db, file);
    }
    QList<IndexDef> indexes;
    {
        Statement st(db,
                     QStringLiteral("SELECT name, fields, is_primary, is_unique FROM engine_indexes "
                                    "ORDER BY position"),
                     file);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            IndexDef ix;
            ix.name = st.column(0, FieldType::String).toString();
            ix.fields = st.column(1, FieldType::String).toString().split(QLatin1Char('\n'));
            ix.primary = sqlite3_column_int(st.get(), 2) != 0;
            ix.unique = sqlite3_column_int(st.get(), 3) != 0;
            indexes.append(ix);
        }
        if (rc != SQLITE_DONE)
            throwSqlite(db, file);
    }
    return makeSchema(fields, indexes, table, file);
}

void setCounter(sqlite3 *db, int field, qint64 last, const QString &file)
{
    Statement st(db, QStringLiteral("INSERT OR REPLACE INTO engine_counters VALUES (?1, ?2)"), file);
    st.bindInt(1, field);
    st.bindInt(2, last);
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        throwSqlite(db, file);
}

qint64 counter(sqlite3 *db, int field, const QString &file)
{
    Statement st(db, QStringLiteral("SELECT last FROM engine_counters WHERE field = ?1"), file);
    st.bindInt(1, field);
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW)
        return sqlite3_column_int64(st.get(), 0);
    if (rc != SQLITE_DONE)
        throwSqlite(db, file);
    return 0;
}

bool syncPath(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void createCardFile(const QString &path, const CardSchema &schema,
                    const std::function<void(sqlite3 *)> &fill, const CreateOptions &options,
                    const QString &displayName)
{
    const QFileInfo fi(path);
    const QString folder = fi.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw EngineError(QObject::tr("The folder %1 of table %2 does not exist.")
                              .arg(QDir::toNativeSeparators(folder), displayName));
    if (!options.replace && fi.exists())
        throw EngineError(QObject::tr("The table %1 exists already.").arg(displayName));
    const QString scratch = folder + QStringLiteral("/.") + fi.fileName()
        + QStringLiteral(".new-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate(), 0, 16);
    const QByteArray scratchName = QFile::encodeName(scratch);
    auto cleanup = [&]() {
        QFile::remove(scratch);
        QFile::remove(scratch + QStringLiteral("-journal"));
    };
    sqlite3 *db = nullptr;
    try {
        if (sqlite3_open_v2(scratchName.constData(), &db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXRESCODE, nullptr)
            != SQLITE_OK)
            throwSqlite(db, displayName);
        execSql(db, QStringLiteral("PRAGMA synchronous = %1").arg(cardTablesSynchronous() ? "FULL" : "OFF"),
                displayName);
        execSql(db, QStringLiteral("BEGIN IMMEDIATE"), displayName);
        createRowsTable(db, schema, QString(), displayName);
        createIndexes(db, schema, displayName);
        writeSchemaTables(db, schema, displayName);
        if (fill)
            fill(db);
        execSql(db, QStringLiteral("COMMIT"), displayName);
        if (sqlite3_close(db) != SQLITE_OK)
            throwSqlite(db, displayName);
        db = nullptr;
    } catch (...) {
        if (db)
            sqlite3_close_v2(db);
        cleanup();
        throw;
    }
    if (cardTablesSynchronous() && !syncPath(scratch)) {
        cleanup();
        throw EngineError(QObject::tr("The table file %1 could not be written to the disk.").arg(displayName));
    }
    if (options.lockedFd) {
        const int fd = ::open(scratchName.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || !lockFileDescriptor(fd)) {
            if (fd >= 0)
                ::close(fd);
            cleanup();
            throw EngineError(QObject::tr("The table file %1 could not be written.").arg(displayName));
        }
        *options.lockedFd = fd;
    }
    const QByteArray target = QFile::encodeName(path);
    int rc;
    if (options.replace)
        rc = ::rename(scratchName.constData(), target.constData());
    else {
        // link() refuses an existing target, so a table created meanwhile
        // by someone else is never replaced.
        rc = ::link(scratchName.constData(), target.constData());
        if (rc == 0)
            ::unlink(scratchName.constData());
    }
    if (rc != 0) {
        const int err = errno;
        if (options.lockedFd) {
            ::close(*options.lockedFd);
            *options.lockedFd = -1;
        }
        cleanup();
        if (err == EEXIST)
            throw EngineError(QObject::tr("The table %1 exists already.").arg(displayName));
        throw EngineError(QObject::tr("The table file %1 could not be written: %2")
                              .arg(displayName, QString::fromLocal8Bit(strerror(err))));
    }
    syncPath(folder);
}

} // namespace vellora::engine
