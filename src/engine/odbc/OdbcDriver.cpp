#include "engine/odbc/OdbcDriver.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>

namespace vellora::engine {

namespace {

QString fromW(const SQLWCHAR *s, qsizetype n = -1)
{
    static_assert(sizeof(SQLWCHAR) == 2, "unixODBC with 16-bit SQLWCHAR");
    if (n < 0) {
        n = 0;
        while (s[n])
            ++n;
    }
    return QString(reinterpret_cast<const QChar *>(s), n);
}

std::vector<SQLWCHAR> toW(const QString &s)
{
    std::vector<SQLWCHAR> out(size_t(s.size()) + 1, 0);
    std::memcpy(out.data(), s.utf16(), size_t(s.size()) * 2);
    return out;
}

// The driver's diagnostic records of a handle, joined.
QString diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QStringList parts;
    for (SQLSMALLINT i = 1; i <= 5; ++i) {
        SQLWCHAR state[6] = {0};
        SQLWCHAR text[1024] = {0};
        SQLINTEGER native = 0;
        SQLSMALLINT len = 0;
        const SQLRETURN r = SQLGetDiagRecW(type, handle, i, state, &native, text, 1024, &len);
        if (!SQL_SUCCEEDED(r))
            break;
        parts << QStringLiteral("%1 (%2)").arg(fromW(text, std::min<qsizetype>(len, 1023)).trimmed(), fromW(state));
    }
    return parts.join(QStringLiteral("; "));
}

QString sqlState(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLWCHAR state[6] = {0};
    SQLWCHAR text[8];
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    if (SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, 1, state, &native, text, 8, &len)))
        return fromW(state);
    return {};
}

class Env {
public:
    Env()
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
            throw EngineError(QObject::tr("The ODBC driver manager cannot be started."));
        SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    ~Env() { SQLFreeHandle(SQL_HANDLE_ENV, h); }
    Env(const Env &) = delete;
    Env &operator=(const Env &) = delete;
    SQLHENV h = SQL_NULL_HENV;
};

class Statement {
public:
    Statement(SQLHDBC dbc, QString source) : m_source(std::move(source))
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h)))
            throw EngineError(QObject::tr("The data source %1 refused a statement: %2")
                                  .arg(m_source, diagnostics(SQL_HANDLE_DBC, dbc)));
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, h); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    void check(SQLRETURN r, const QString &what)
    {
        if (!SQL_SUCCEEDED(r) && r != SQL_NO_DATA) {
            const QString state = sqlState(SQL_HANDLE_STMT, h);
            const QString msg = QObject::tr("The data source %1 reports an error %2: %3")
                                    .arg(m_source, what, diagnostics(SQL_HANDLE_STMT, h));
            if (state.startsWith(QLatin1String("23")))
                throw KeyViolationError(msg);
            throw EngineError(msg);
        }
    }
    // Text of a column of the current row; null when SQL_NULL_DATA.
    std::optional<QString> text(SQLUSMALLINT col)
    {
        QString out;
        SQLWCHAR buf[2048];
        for (;;) {
            SQLLEN ind = 0;
            const SQLRETURN r = SQLGetData(h, col, SQL_C_WCHAR, buf, sizeof buf, &ind);
            if (r == SQL_NO_DATA)
                break;
            check(r, QObject::tr("reading a value"));
            if (ind == SQL_NULL_DATA)
                return std::nullopt;
            const qsizetype chars = (ind == SQL_NO_TOTAL || ind >= SQLLEN(sizeof buf)) ? qsizetype(sizeof buf / 2 - 1)
                                                                                          : qsizetype(ind / 2);
            out += fromW(buf, chars);
            if (r == SQL_SUCCESS)
                break;
        }
        return out;
    }
    std::optional<QByteArray> bytes(SQLUSMALLINT col)
    {
        QByteArray out;
        char buf[8192];
        for (;;) {
            SQLLEN ind = 0;
            const SQLRETURN r = SQLGetData(h, col, SQL_C_BINARY, buf, sizeof buf, &ind);
            if (r == SQL_NO_DATA)
                break;
            check(r, QObject::tr("reading a value"));
            if (ind == SQL_NULL_DATA)
                return std::nullopt;
            const qsizetype n = (ind == SQL_NO_TOTAL || ind > SQLLEN(sizeof buf)) ? qsizetype(sizeof buf) : qsizetype(ind);
            out.append(buf, n);
            if (r == SQL_SUCCESS)
                break;
        }
        return out;
    }
    SQLHSTMT h = SQL_NULL_HSTMT;

private:
    QString m_source;
};

class Connection {
public:
    explicit Connection(const QString &dsn) : m_dsn(dsn)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_env.h, &h)))
            throw EngineError(QObject::tr("The data source %1 cannot be reached: %2")
                                  .arg(dsn, diagnostics(SQL_HANDLE_ENV, m_env.h)));
        SQLSetConnectAttr(h, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
        QString escaped = dsn;
        if (escaped.contains(QLatin1Char(';')) || escaped.contains(QLatin1Char('}')))
            escaped = QLatin1Char('{') + escaped.replace(QLatin1Char('}'), QStringLiteral("}}")) + QLatin1Char('}');
        std::vector<SQLWCHAR> in = toW(QStringLiteral("DSN=") + escaped + QLatin1Char(';'));
        SQLWCHAR out[1024];
        SQLSMALLINT outLen = 0;
        const SQLRETURN r = SQLDriverConnectW(h, nullptr, in.data(), SQL_NTS, out, 1024, &outLen, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(r)) {
            const QString why = diagnostics(SQL_HANDLE_DBC, h);
            SQLFreeHandle(SQL_HANDLE_DBC, h);
            h = SQL_NULL_HDBC;
            throw EngineError(QObject::tr("The data source %1 cannot be opened: %2").arg(dsn, why));
        }
        SQLWCHAR q[8] = {0};
        SQLSMALLINT qlen = 0;
        if (SQL_SUCCEEDED(SQLGetInfoW(h, SQL_IDENTIFIER_QUOTE_CHAR, q, sizeof q, &qlen)))
            m_quote = fromW(q).trimmed();
    }
    ~Connection()
    {
        if (h != SQL_NULL_HDBC) {
            SQLDisconnect(h);
            SQLFreeHandle(SQL_HANDLE_DBC, h);
        }
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString quote(const QString &name) const
    {
        if (m_quote.isEmpty())
            return name;
        QString n = name;
        n.replace(m_quote, m_quote + m_quote);
        return m_quote + n + m_quote;
    }
    const QString &dsn() const { return m_dsn; }
    void check(SQLRETURN r, const QString &what)
    {
        if (!SQL_SUCCEEDED(r))
            throw EngineError(QObject::tr("The data source %1 reports an error %2: %3")
                                  .arg(m_dsn, what, diagnostics(SQL_HANDLE_DBC, h)));
    }
    SQLHDBC h = SQL_NULL_HDBC;

private:
    Env m_env;
    QString m_dsn;
    QString m_quote = QStringLiteral("\"");
};

struct Column {
    QString name;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    qint64 size = 0;
    int scale = 0;
    FieldDef def;
};

FieldDef fieldFor(const Column &c)
{
    FieldDef d;
    d.name = c.name;
    switch (c.sqlType) {
    case SQL_CHAR: case SQL_VARCHAR: case SQL_WCHAR: case SQL_WVARCHAR:
        if (c.size >= 1 && c.size <= 255) {
            d.type = FieldType::String;
            d.size = int(c.size);
        } else {
            d.type = FieldType::Memo;
        }
        break;
    case SQL_LONGVARCHAR: case SQL_WLONGVARCHAR: d.type = FieldType::Memo; break;
    case SQL_BIT: d.type = FieldType::Boolean; break;
    case SQL_TINYINT: case SQL_SMALLINT: d.type = FieldType::Smallint; break;
    case SQL_INTEGER: d.type = FieldType::Integer; break;
    case SQL_BIGINT: d.type = FieldType::LargeInt; break;
    case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE: d.type = FieldType::Float; break;
    case SQL_DECIMAL: case SQL_NUMERIC: d.type = FieldType::BCD; d.size = std::max(0, c.scale); break;
    case SQL_TYPE_DATE: case SQL_DATE: d.type = FieldType::Date; break;
    case SQL_TYPE_TIME: case SQL_TIME: d.type = FieldType::Time; break;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: d.type = FieldType::DateTime; break;
    case SQL_BINARY: case SQL_VARBINARY:
        if (c.size >= 1 && c.size <= 255) {
            d.type = FieldType::Bytes;
            d.size = int(c.size);
        } else {
            d.type = FieldType::Blob;
        }
        break;
    case SQL_LONGVARBINARY: d.type = FieldType::Blob; break;
    case SQL_GUID: d.type = FieldType::Guid; break;
    default: d.type = FieldType::String; break;
    }
    return d;
}

QString paramText(const QVariant &v, const FieldDef &def)
{
    switch (def.type) {
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case FieldType::Date: return v.toDate().toString(Qt::ISODate);
    case FieldType::Time: return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case FieldType::DateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default: return formatValue(v, def);
    }
}

class OdbcStorage : public TableStorage {
public:
    OdbcStorage(const QString &dsn, const QString &table) : m_conn(dsn), m_table(table) {}

    void load()
    {
        readColumns();
        if (m_cols.empty())
            throw EngineError(QObject::tr("The data source %1 has no table %2.").arg(m_conn.dsn(), m_table));
        readKeys();
        readAll();
    }

    QString kindName() const override { return QStringLiteral("ODBC"); }
    QList<FieldDef> fieldDefs() const override
    {
        QList<FieldDef> out;
        for (const Column &c : m_cols)
            out.append(c.def);
        return out;
    }
    QList<IndexDef> indexDefs() const override
    {
        if (m_key.isEmpty())
            return {};
        IndexDef ix;
        ix.name = QStringLiteral("primary");
        ix.primary = ix.unique = true;
        for (int k : m_key)
            ix.fields.append(m_cols[size_t(k)].name);
        return {ix};
    }
    std::vector<qint64> rowIds() override
    {
        std::vector<qint64> ids;
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (m_alive[i])
                ids.push_back(qint64(i) + 1);
        if (!m_key.isEmpty())
            std::stable_sort(ids.begin(), ids.end(), [&](qint64 a, qint64 b) {
                for (int k : m_key) {
                    const int c = compareValues(m_rows[size_t(a - 1)].value(k), m_rows[size_t(b - 1)].value(k));
                    if (c)
                        return c < 0;
                }
                return false;
            });
        return ids;
    }
    void readRows(const qint64 *ids, int count, std::vector<RowValues> &out) override
    {
        out.resize(size_t(count));
        for (int i = 0; i < count; ++i) {
            const qint64 k = ids[i] - 1;
            out[size_t(i)] = k >= 0 && k < qint64(m_rows.size()) && m_alive[size_t(k)] ? m_rows[size_t(k)] : RowValues();
        }
    }
    std::optional<qint64> findKey(const RowValues &keyValues) override
    {
        if (m_key.isEmpty())
            return std::nullopt;
        if (m_keyIndex.isEmpty() && !m_rows.empty())
            for (size_t i = 0; i < m_rows.size(); ++i)
                if (m_alive[i])
                    m_keyIndex.insert(keyText(m_rows[i], true), qint64(i) + 1);
        auto it = m_keyIndex.constFind(keyText(keyValues, false));
        return it == m_keyIndex.constEnd() ? std::nullopt : std::optional<qint64>(*it);
    }
    qint64 reserveAutoInc(int, qint64) override
    {
        throw EngineError(QObject::tr("The table %1 of the data source %2 numbers its rows itself.")
                              .arg(m_table, m_conn.dsn()));
    }
    void releaseAutoInc(int, qint64, qint64) override {}

    std::vector<qint64> apply(const std::vector<RowChange> &changes) override
    {
        std::vector<qint64> ids;
        if (changes.empty())
            return ids;
        m_conn.check(SQLSetConnectAttr(m_conn.h, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                     QObject::tr("starting a transaction"));
        std::vector<RowValues> rows = m_rows;
        std::vector<char> alive = m_alive;
        try {
            std::unique_ptr<Statement> insert;
            std::vector<std::vector<SQLWCHAR>> texts;
            std::vector<QByteArray> blobs;
            std::vector<SQLLEN> lens;
            for (const RowChange &c : changes) {
                if (c.kind == RowChange::Insert) {
                    if (!insert) {
                        QStringList names, marks;
                        for (const Column &col : m_cols) {
                            names << m_conn.quote(col.name);
                            marks << QStringLiteral("?");
                        }
                        insert = std::make_unique<Statement>(m_conn.h, m_conn.dsn());
                        const auto sql = toW(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                 .arg(m_conn.quote(m_table), names.join(QLatin1Char(',')),
                                                      marks.join(QLatin1Char(','))));
                        insert->check(SQLPrepareW(insert->h, const_cast<SQLWCHAR *>(sql.data()), SQL_NTS),
                                      QObject::tr("preparing the insert into %1").arg(m_table));
                    }
                    bind(*insert, c.values, 0, texts, blobs, lens);
                    insert->check(SQLExecute(insert->h), QObject::tr("inserting a row into %1").arg(m_table));
                    rows.push_back(c.values);
                    alive.push_back(1);
                    ids.push_back(qint64(rows.size()));
                    continue;
                }
                const qint64 k = c.id - 1;
                if (k < 0 || k >= qint64(rows.size()) || !alive[size_t(k)])
                    throw EngineError(QObject::tr("The table %1 has no row %2.").arg(m_table).arg(c.id));
                if (m_key.isEmpty())
                    throw EngineError(QObject::tr("Rows of the table %1 of the data source %2 cannot be changed one "
                                                  "by one: it has no primary key.")
                                          .arg(m_table, m_conn.dsn()));
                QStringList where;
                for (int f : m_key)
                    where << m_conn.quote(m_cols[size_t(f)].name) + QStringLiteral("=?");
                Statement st(m_conn.h, m_conn.dsn());
                QString sql;
                int first = 0;
                RowValues params;
                if (c.kind == RowChange::Delete) {
                    sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_conn.quote(m_table), where.join(QStringLiteral(" AND ")));
                    alive[size_t(k)] = 0;
                } else {
                    QStringList sets;
                    for (const Column &col : m_cols)
                        sets << m_conn.quote(col.name) + QStringLiteral("=?");
                    sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                              .arg(m_conn.quote(m_table), sets.join(QLatin1Char(',')), where.join(QStringLiteral(" AND ")));
                    bind(st, c.values, 0, texts, blobs, lens);
                    first = int(m_cols.size());
                    rows[size_t(k)] = c.values;
                }
                for (int f : m_key)
                    params.append(m_rows[size_t(k)].value(f));
                const auto w = toW(sql);
                st.check(SQLPrepareW(st.h, const_cast<SQLWCHAR *>(w.data()), SQL_NTS), QObject::tr("preparing a change"));
                bindKey(st, params, first, texts, lens);
                st.check(SQLExecute(st.h), QObject::tr("changing a row of %1").arg(m_table));
            }
            m_conn.check(SQLEndTran(SQL_HANDLE_DBC, m_conn.h, SQL_COMMIT), QObject::tr("committing"));
        } catch (...) {
            SQLEndTran(SQL_HANDLE_DBC, m_conn.h, SQL_ROLLBACK);
            SQLSetConnectAttr(m_conn.h, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
            throw;
        }
        SQLSetConnectAttr(m_conn.h, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        m_rows = std::move(rows);
        m_alive = std::move(alive);
        m_keyIndex.clear();
        return ids;
    }
    void emptyTable() override
    {
        Statement st(m_conn.h, m_conn.dsn());
        const auto sql = toW(QStringLiteral("DELETE FROM %1").arg(m_conn.quote(m_table)));
        st.check(SQLExecDirectW(st.h, const_cast<SQLWCHAR *>(sql.data()), SQL_NTS),
                 QObject::tr("emptying the table %1").arg(m_table));
        m_rows.clear();
        m_alive.clear();
        m_keyIndex.clear();
    }
    void changeField(int, const FieldDef &) override
    {
        throw EngineError(QStringLiteral("Field altering can only occur on Paradox or dBASE tables"));
    }

private:
    QString keyText(const RowValues &v, bool fullRow) const
    {
        QString t;
        for (int i = 0; i < m_key.size(); ++i) {
            const int f = m_key[i];
            t += formatValue(fullRow ? v.value(f) : v.value(i), m_cols[size_t(f)].def) + QChar(0x1F);
        }
        return t;
    }

    void bind(Statement &st, const RowValues &values, int first, std::vector<std::vector<SQLWCHAR>> &texts,
              std::vector<QByteArray> &blobs, std::vector<SQLLEN> &lens)
    {
        texts.resize(m_cols.size() * 2 + 8);
        blobs.resize(m_cols.size() + 8);
        lens.resize(m_cols.size() * 2 + 8);
        for (size_t i = 0; i < m_cols.size(); ++i) {
            const Column &c = m_cols[i];
            const QVariant v = values.value(int(i));
            const size_t slot = size_t(first) + i;
            const SQLULEN colSize = c.size > 0 ? SQLULEN(c.size) : 1;
            if (!v.isValid() || v.isNull()) {
                lens[slot] = SQL_NULL_DATA;
                st.check(SQLBindParameter(st.h, SQLUSMALLINT(slot + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, c.sqlType, colSize,
                                          SQLSMALLINT(c.scale), nullptr, 0, &lens[slot]),
                         QObject::tr("binding a value"));
                continue;
            }
            if (valueClass(c.def.type) == ValueClass::Binary) {
                blobs[i] = v.toByteArray();
                lens[slot] = SQLLEN(blobs[i].size());
                st.check(SQLBindParameter(st.h, SQLUSMALLINT(slot + 1), SQL_PARAM_INPUT, SQL_C_BINARY, c.sqlType,
                                          std::max<SQLULEN>(colSize, SQLULEN(blobs[i].size())), 0, blobs[i].data(),
                                          lens[slot], &lens[slot]),
                         QObject::tr("binding a value"));
                continue;
            }
            texts[slot] = toW(paramText(v, c.def));
            lens[slot] = SQLLEN((texts[slot].size() - 1) * 2);
            st.check(SQLBindParameter(st.h, SQLUSMALLINT(slot + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, c.sqlType,
                                      std::max<SQLULEN>(colSize, SQLULEN(texts[slot].size())), SQLSMALLINT(c.scale),
                                      texts[slot].data(), lens[slot] + 2, &lens[slot]),
                     QObject::tr("binding a value"));
        }
    }
    void bindKey(Statement &st, const RowValues &keyValues, int first, std::vector<std::vector<SQLWCHAR>> &texts,
                 std::vector<SQLLEN> &lens)
    {
        const size_t need = m_cols.size() * 2 + 8;
        if (texts.size() < need)
            texts.resize(need);
        if (lens.size() < need)
            lens.resize(need);
        for (int i = 0; i < m_key.size(); ++i) {
            const Column &c = m_cols[size_t(m_key[i])];
            const size_t slot = size_t(first) + size_t(i);
            texts[slot] = toW(paramText(keyValues.value(i), c.def));
            lens[slot] = SQLLEN((texts[slot].size() - 1) * 2);
            st.check(SQLBindParameter(st.h, SQLUSMALLINT(slot + 1), SQL_PARAM_INPUT, SQL_C_WCHAR, c.sqlType,
                                      std::max<SQLULEN>(SQLULEN(c.size > 0 ? c.size : 1), SQLULEN(texts[slot].size())),
                                      SQLSMALLINT(c.scale), texts[slot].data(), lens[slot] + 2, &lens[slot]),
                     QObject::tr("binding a key"));
        }
    }

    void readColumns()
    {
        Statement st(m_conn.h, m_conn.dsn());
        const auto table = toW(m_table);
        st.check(SQLColumnsW(st.h, nullptr, 0, nullptr, 0, const_cast<SQLWCHAR *>(table.data()), SQL_NTS, nullptr, 0),
                 QObject::tr("listing the fields of %1").arg(m_table));
        while (SQL_SUCCEEDED(SQLFetch(st.h))) {
            Column c;
            c.name = st.text(4).value_or(QString());
            c.sqlType = SQLSMALLINT(st.text(5).value_or(QStringLiteral("12")).toInt());
            c.size = st.text(7).value_or(QStringLiteral("0")).toLongLong();
            c.scale = st.text(9).value_or(QStringLiteral("0")).toInt();
            c.def = fieldFor(c);
            m_cols.push_back(c);
        }
    }
    void readKeys()
    {
        Statement st(m_conn.h, m_conn.dsn());
        const auto table = toW(m_table);
        const SQLRETURN r = SQLPrimaryKeysW(st.h, nullptr, 0, nullptr, 0, const_cast<SQLWCHAR *>(table.data()), SQL_NTS);
        if (!SQL_SUCCEEDED(r))
            return;   // drivers without key information: no key
        QList<std::pair<int, int>> keys;
        while (SQL_SUCCEEDED(SQLFetch(st.h))) {
            const QString col = st.text(4).value_or(QString());
            const int seq = st.text(5).value_or(QStringLiteral("0")).toInt();
            for (size_t i = 0; i < m_cols.size(); ++i)
                if (m_cols[i].name.compare(col, Qt::CaseInsensitive) == 0)
                    keys.append({seq, int(i)});
        }
        std::sort(keys.begin(), keys.end());
        for (const auto &k : keys)
            m_key.append(k.second);
    }
    void readAll()
    {
        Statement st(m_conn.h, m_conn.dsn());
        QStringList names;
        for (const Column &c : m_cols)
            names << m_conn.quote(c.name);
        const auto sql = toW(QStringLiteral("SELECT %1 FROM %2").arg(names.join(QLatin1Char(',')), m_conn.quote(m_table)));
        st.check(SQLExecDirectW(st.h, const_cast<SQLWCHAR *>(sql.data()), SQL_NTS),
                 QObject::tr("reading the table %1").arg(m_table));
        SQLRETURN r;
        while (SQL_SUCCEEDED(r = SQLFetch(st.h))) {
            RowValues row;
            row.reserve(int(m_cols.size()));
            for (size_t i = 0; i < m_cols.size(); ++i) {
                const Column &c = m_cols[i];
                if (valueClass(c.def.type) == ValueClass::Binary) {
                    const auto b = st.bytes(SQLUSMALLINT(i + 1));
                    row.append(b ? QVariant(*b) : QVariant());
                    continue;
                }
                const auto t = st.text(SQLUSMALLINT(i + 1));
                if (!t) {
                    row.append(QVariant());
                    continue;
                }
                if (c.def.type == FieldType::String || c.def.type == FieldType::Memo) {
                    row.append(t->isEmpty() ? QVariant() : QVariant(*t));
                    continue;
                }
                bool ok = true;
                QString text = *t;
                if (c.def.type == FieldType::Boolean)
                    text = (text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                            || text == QLatin1String("t"))
                        ? QStringLiteral("true")
                        : QStringLiteral("false");
                QVariant v = parseValue(text, c.def, &ok);
                if (!ok && c.def.type == FieldType::DateTime)
                    v = parseValue(text.left(19), c.def, &ok);
                if (!ok)
                    throw EngineError(QObject::tr("The table %1 of the data source %2 holds '%3' in the field %4 "
                                                  "(row %5), which is not a %6 value.")
                                          .arg(m_table, m_conn.dsn(), text.left(40), c.name)
                                          .arg(m_rows.size() + 1)
                                          .arg(fieldTypeName(c.def.type)));
                row.append(v);
            }
            m_rows.push_back(std::move(row));
        }
        if (r != SQL_NO_DATA)
            st.check(r, QObject::tr("reading the table %1").arg(m_table));
        m_alive.assign(m_rows.size(), 1);
    }

    Connection m_conn;
    QString m_table;
    std::vector<Column> m_cols;
    QList<int> m_key;
    std::vector<RowValues> m_rows;
    std::vector<char> m_alive;
    QHash<QString, qint64> m_keyIndex;
};

} // namespace

QStringList odbcDriverNames()
{
    Env env;
    QStringList out;
    SQLWCHAR desc[512], attrs[2048];
    SQLSMALLINT dl = 0, al = 0;
    SQLUSMALLINT dir = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(env.h, dir, desc, 512, &dl, attrs, 2048, &al))) {
        out << fromW(desc);
        dir = SQL_FETCH_NEXT;
    }
    return out;
}

std::unique_ptr<TableStorage> OdbcDriver::open(const TableLocation &where, bool exclusive)
{
    (void)exclusive;
    auto s = std::make_unique<OdbcStorage>(where.alias, where.tableName);
    s->load();
    return s;
}

void OdbcDriver::create(const TableLocation &where, const QList<FieldDef> &, const QList<IndexDef> &)
{
    throw NotSupportedError(QObject::tr("Tables of the data source %1 are made with the data source's own tools.")
                                .arg(where.alias));
}

QStringList OdbcDriver::aliasNames()
{
    Env env;
    QStringList out;
    SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1], desc[512];
    SQLSMALLINT nl = 0, dl = 0;
    SQLUSMALLINT dir = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSourcesW(env.h, dir, name, SQL_MAX_DSN_LENGTH + 1, &nl, desc, 512, &dl))) {
        out << fromW(name);
        dir = SQL_FETCH_NEXT;
    }
    out.removeDuplicates();
    return out;
}

QStringList OdbcDriver::aliasTableNames(const QString &alias, bool systemTables)
{
    Connection conn(alias);
    Statement st(conn.h, alias);
    const auto types = toW(systemTables ? QStringLiteral("TABLE,VIEW,SYSTEM TABLE") : QStringLiteral("TABLE,VIEW"));
    st.check(SQLTablesW(st.h, nullptr, 0, nullptr, 0, nullptr, 0, const_cast<SQLWCHAR *>(types.data()), SQL_NTS),
             QObject::tr("listing its tables"));
    QStringList out;
    while (SQL_SUCCEEDED(SQLFetch(st.h))) {
        const QString type = st.text(4).value_or(QString()).toUpper();
        if (!systemTables && type.contains(QLatin1String("SYSTEM")))
            continue;
        out << st.text(3).value_or(QString());
    }
    std::sort(out.begin(), out.end(), [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return out;
}

} // namespace vellora::engine
