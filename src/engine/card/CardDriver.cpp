#include "engine/card/CardDriver.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/card/LegacyConversion.h"
#include "engine/card/SqliteFile.h"
#include "engine/card/TableLock.h"
#include "engine/paradox/ParadoxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellora::engine {

namespace {

std::atomic<bool> g_synchronous{true};

quint32 be32(const QByteArray &b, int at)
{
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16)
        | (quint32(quint8(b[at + 2])) << 8) | quint32(quint8(b[at + 3]));
}

class CardStorage : public TableStorage {
public:
    CardStorage(QString path, QString display, std::unique_ptr<TableLock> lock)
        : m_path(std::move(path)), m_display(std::move(display)), m_lock(std::move(lock)) {}
    ~CardStorage() override
    {
        if (m_db && !m_reserved.isEmpty()) {
            // Numbers handed out for rows that were never committed stay used.
            try {
                exec(QStringLiteral("BEGIN IMMEDIATE"));
                saveHandedOut();
                exec(QStringLiteral("COMMIT"));
            } catch (const EngineError &) {
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            }
        }
        m_statements.clear();
        m_range = Statement();
        m_point = Statement();
        m_counterGet = Statement();
        m_counterSet = Statement();
        m_maxRowid = Statement();
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
    }

    void openDatabase();

    QString kindName() const override { return QStringLiteral("PARADOX"); }
    QList<FieldDef> fieldDefs() const override { return m_schema.fields; }
    QList<IndexDef> indexDefs() const override { return m_schema.indexes; }
    int idKeyField() const override { return m_schema.idKeyField; }

    std::vector<qint64> rowIds() override;
    void readRows(const qint64 *ids, int count, std::vector<RowValues> &out) override;
    std::optional<qint64> findKey(const RowValues &keyValues) override;
    qint64 reserveAutoInc(int field, qint64 count) override;
    void releaseAutoInc(int field, qint64 firstUnused, qint64 end) override;
    std::vector<qint64> apply(const std::vector<RowChange> &changes) override;
    qint64 autoIncHighWater(int field) override { return storedCounter(field); }
    void raiseAutoIncHighWater(int field, qint64 value) override
    {
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            if (value > storedCounter(field))
                storeCounter(field, value);
            exec(QStringLiteral("COMMIT"));
        } catch (...) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }
    void emptyTable() override;
    void changeField(int index, const FieldDef &def) override;

private:
    [[noreturn]] void fail() { throwSqlite(m_db, m_display); }
    void exec(const QString &sql) { execSql(m_db, sql, m_display); }
    void readSchema();
    void prepare();
    RowValues rowFrom(const Statement &st, int firstColumn) const;
    void fillRow(RowValues &row, const Statement &st, int firstColumn);
    void setText(QVariant &value, const char *utf8, int bytes);
    RowValues *pooledRow(int k);
    [[noreturn]] void throwConstraint();
    void saveHandedOut();
    qint64 storedCounter(int field);
    void storeCounter(int field, qint64 last);

    QString m_path;
    QString m_display;
    std::unique_ptr<TableLock> m_lock;
    sqlite3 *m_db = nullptr;
    CardSchema m_schema;
    Statement m_range, m_point;
    std::vector<Statement> m_statements;  // insert, update, delete
    Statement m_counterGet, m_counterSet, m_maxRowid;
    QString m_selectList;   // the columns, quoted
    QString m_table;        // the rows table, quoted
    QString m_rowid;        // the row id's name
    QSet<int> m_reserved;   // AutoInc fields this storage handed numbers out for

    // Rows handed out by readRows() stay here too, in two pools used in
    // turn (the caller still holds the previous read while asking for the
    // next). A pooled row, or a text in it, that nobody else references any
    // more gets the next values written into its memory: a full scan then
    // allocates nothing per row. Anything still shared is left alone and
    // replaced, so what a caller holds never changes.
    std::vector<RowValues> m_pool[2];
    int m_poolTurn = 0;
    enum class Read : char { Text, Integer, Other };
    std::vector<Read> m_read;   // per field: how fillRow() reads it
    bool m_utf8File = true;     // the file's text encoding is UTF-8
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

void CardStorage::openDatabase()
{
    const QByteArray name = QFile::encodeName(m_path);
    if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        fail();
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 3000);
    exec(QStringLiteral("PRAGMA synchronous = %1").arg(g_synchronous ? "FULL" : "OFF"));
    // The first read rolls back a commit that a crash interrupted; only
    // then does the file's header describe the file.
    {
        Statement st(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master"), m_display);
        if (sqlite3_step(st.get()) != SQLITE_ROW)
            fail();
    }
    QFile f(m_path);
    QByteArray header;
    if (f.open(QIODevice::ReadOnly))
        header = f.read(100);
    f.close();
    if (header.size() < 100)
        throw EngineError(QObject::tr("The table file %1 is damaged (it is too short).").arg(m_display));
    quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pages = be32(header, 28);
    if (be32(header, 24) == be32(header, 92) && qint64(pageSize) * pages > QFileInfo(m_path).size())
        throw EngineError(QObject::tr("The table file %1 is damaged (it is shorter than it should be; "
                                      "it may have been cut off while copying).")
                              .arg(m_display));
    {
        Statement st(m_db, QStringLiteral("PRAGMA quick_check(1)"), m_display);
        const int rc = sqlite3_step(st.get());
        if (rc != SQLITE_ROW)
            fail();
        const QString res = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
        if (res != QLatin1String("ok"))
            throw EngineError(QObject::tr("The table file %1 is damaged (%2).").arg(m_display, res));
    }
    readSchema();
    {
        Statement st(m_db, QStringLiteral("PRAGMA encoding"), m_display);
        if (sqlite3_step(st.get()) != SQLITE_ROW)
            fail();
        m_utf8File = qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)), "UTF-8") == 0;
    }
    // Read pages straight from the mapped file instead of copying them; the
    // file's size was checked above and other programs are locked out.
    exec(QStringLiteral("PRAGMA mmap_size = 1073741824; PRAGMA cache_size = -16000"));
    prepare();
}

void CardStorage::readSchema()
{
    {
        Statement st(m_db, QStringLiteral("PRAGMA application_id"), m_display);
        if (sqlite3_step(st.get()) != SQLITE_ROW || sqlite3_column_int(st.get(), 0) != kApplicationId)
            throw EngineError(QObject::tr("The file %1 is not a card table of this program.").arg(m_display));
    }
    {
        Statement st(m_db, QStringLiteral("PRAGMA user_version"), m_display);
        if (sqlite3_step(st.get()) != SQLITE_ROW)
            fail();
        const int version = sqlite3_column_int(st.get(), 0);
        if (version > kFormatVersion)
            throw EngineError(QObject::tr("The card table %1 was written by a newer version of this program "
                                          "and cannot be opened here.")
                                  .arg(m_display));
        if (version != kFormatVersion)
            throw EngineError(QObject::tr("The table file %1 is damaged (unknown format %2).")
                                  .arg(m_display)
                                  .arg(version));
    }
    m_schema = readSchemaTables(m_db, m_display);
    // The side tables must describe the table that is there.
    Statement st(m_db, QStringLiteral("SELECT ") + m_schema.columnList() + QStringLiteral(" FROM ")
                     + quoteName(m_schema.table) + QStringLiteral(" LIMIT 0"),
                 m_display);
}

void CardStorage::prepare()
{
    m_table = quoteName(m_schema.table);
    m_rowid = m_schema.rowid;
    m_selectList = m_schema.columnList();
    m_read.clear();
    for (const FieldDef &f : m_schema.fields) {
        const ValueClass c = valueClass(f.type);
        m_read.push_back(c == ValueClass::Text ? Read::Text : c == ValueClass::Integer ? Read::Integer : Read::Other);
    }
    m_pool[0].clear();
    m_pool[1].clear();
    // Names are pasted in rather than substituted with arg(), so that a
    // "%1" in a field name stays as it is.
    const QString select = QStringLiteral("SELECT ") + m_rowid + QStringLiteral(", ") + m_selectList
        + QStringLiteral(" FROM ") + m_table + QStringLiteral(" WHERE ") + m_rowid;
    m_range = Statement(m_db, select + QStringLiteral(" BETWEEN ?1 AND ?2 ORDER BY ") + m_rowid, m_display);
    m_point = Statement(m_db, select + QStringLiteral(" = ?1"), m_display);
    QStringList params, sets;
    for (int i = 0; i < m_schema.fields.size(); ++i) {
        params.append(QStringLiteral("?") + QString::number(i + 1));
        sets.append(m_schema.column(i) + QStringLiteral(" = ?") + QString::number(i + 1));
    }
    m_statements.clear();
    m_statements.emplace_back(m_db,
                              QStringLiteral("INSERT INTO ") + m_table + QStringLiteral(" (") + m_selectList
                                  + QStringLiteral(") VALUES (") + params.join(QStringLiteral(", "))
                                  + QLatin1Char(')'),
                              m_display);
    m_statements.emplace_back(m_db,
                              QStringLiteral("UPDATE ") + m_table + QStringLiteral(" SET ")
                                  + sets.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + m_rowid
                                  + QStringLiteral(" = ?") + QString::number(m_schema.fields.size() + 1),
                              m_display);
    m_statements.emplace_back(m_db,
                              QStringLiteral("DELETE FROM ") + m_table + QStringLiteral(" WHERE ") + m_rowid
                                  + QStringLiteral(" = ?1"),
                              m_display);
    m_counterGet = Statement(m_db, QStringLiteral("SELECT last FROM engine_counters WHERE field = ?1"), m_display);
    m_counterSet = Statement(m_db, QStringLiteral("INSERT OR REPLACE INTO engine_counters VALUES (?1, ?2)"),
                             m_display);
    m_maxRowid = Statement(m_db, QStringLiteral("SELECT max(") + m_rowid + QStringLiteral(") FROM ") + m_table,
                           m_display);
}

RowValues *CardStorage::pooledRow(int k)
{
    // Rows past a pool's size (a read larger than the table's blocks of a
    // few hundred rows) are not pooled.
    constexpr int kPoolRows = 1024;
    std::vector<RowValues> &pool = m_pool[m_poolTurn];
    if (k >= kPoolRows)
        return nullptr;
    if (size_t(k) >= pool.size())
        pool.resize(size_t(k) + 1);
    return &pool[size_t(k)];
}

// Widens ASCII text into out; false (out partly written) when the text
// has other bytes.
bool widenAscii(const char *text, int bytes, char16_t *out)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= bytes; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        if (_mm_movemask_epi8(v))
            return false;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    uchar high = 0;
    for (; i < bytes; ++i) {
        const uchar c = uchar(text[i]);
        high |= c;
        out[i] = c;
    }
    return !(high & 0x80);
}

void CardStorage::setText(QVariant &value, const char *utf8, int bytes)
{
    if (bytes > 0 && value.metaType() == QMetaType::fromType<QString>()) {
        QString &s = *static_cast<QString *>(value.data());
        // UTF-8 never takes fewer bytes than UTF-16 takes code units, so
        // room for the bytes is room for the text. A text grown too small
        // gets some headroom, so that the next rows' texts fit; one far too
        // large for this text is given up.
        if (s.isDetached() && s.capacity() <= 4 * bytes + 64) {
            if (s.capacity() < bytes)
                s.reserve(bytes + bytes / 2 + 8);
            if (s.size() != bytes)
                s.resize(bytes);
            if (!widenAscii(utf8, bytes, reinterpret_cast<char16_t *>(s.data()))) {
                // Same result as QString::fromUtf8 (replacement characters
                // for bad sequences, a leading byte order mark dropped).
                const QChar *end = m_utf8.appendToBuffer(s.data(), QByteArrayView(utf8, bytes));
                s.resize(end - s.constData());
            }
            return;
        }
    }
    value = QString::fromUtf8(utf8, bytes);
}

void CardStorage::fillRow(RowValues &row, const Statement &st, int firstColumn)
{
    const int n = int(m_schema.fields.size());
    if (!row.isDetached() || row.size() != n)
        row = RowValues(n);
    QVariant *v = row.data();
    sqlite3_stmt *stmt = st.get();
    for (int i = 0; i < n; ++i) {
        const Read how = m_read[size_t(i)];
        if (how == Read::Other) {
            v[i] = st.column(firstColumn + i, m_schema.fields[i].type);
            continue;
        }
        // The column's value object, read with the value functions: fine on
        // this connection, which only ever serves one thread.
        sqlite3_value *cell = sqlite3_column_value(stmt, firstColumn + i);
        const int kind = sqlite3_value_type(cell);
        if (kind == SQLITE_NULL) {
            if (v[i].isValid())
                v[i] = QVariant();
        } else if (how == Read::Integer) {
            if (kind != SQLITE_INTEGER)
                v[i] = st.column(firstColumn + i, m_schema.fields[i].type);
            else if (v[i].metaType() == QMetaType::fromType<qint64>())
                *static_cast<qint64 *>(v[i].data()) = sqlite3_value_int64(cell);
            else
                v[i] = qint64(sqlite3_value_int64(cell));
        } else if (m_utf8File && (kind == SQLITE_TEXT || kind == SQLITE_BLOB)) {
            // The stored bytes as they stand (this file keeps its text in
            // UTF-8), without the copy that a terminating zero would take.
            const auto *p = static_cast<const char *>(sqlite3_value_blob(cell));
            const int bytes = sqlite3_value_bytes(cell);
            setText(v[i], p && bytes > 0 ? p : "", bytes);
        } else {
            const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(cell));
            if (p)
                setText(v[i], p, sqlite3_value_bytes(cell));
            else
                v[i] = QVariant();
        }
    }
}

RowValues CardStorage::rowFrom(const Statement &st, int firstColumn) const
{
    RowValues r;
    r.reserve(m_schema.fields.size());
    for (int i = 0; i < m_schema.fields.size(); ++i)
        r.append(st.column(firstColumn + i, m_schema.fields[i].type));
    return r;
}

std::vector<qint64> CardStorage::rowIds()
{
    QString order = m_rowid;
    if (m_schema.idKeyField < 0 && !m_schema.primaryFields.isEmpty()) {
        QStringList cols;
        for (int p : m_schema.primaryFields)
            cols.append(m_schema.column(p));
        order = cols.join(QStringLiteral(", ")) + QStringLiteral(", ") + m_rowid;
    }
    Statement st(m_db,
                 QStringLiteral("SELECT ") + m_rowid + QStringLiteral(" FROM ") + m_table
                     + QStringLiteral(" ORDER BY ") + order,
                 m_display);
    std::vector<qint64> ids;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(st.get(), 0));
    if (rc != SQLITE_DONE)
        fail();
    return ids;
}

void CardStorage::readRows(const qint64 *ids, int count, std::vector<RowValues> &out)
{
    out.clear();
    out.resize(count);
    if (count <= 0)
        return;
    m_poolTurn ^= 1;
    int found = 0;
    const bool ascending = std::is_sorted(ids, ids + count);
    if (ascending && count > 1) {
        m_range.reset();
        m_range.bindInt(1, ids[0]);
        m_range.bindInt(2, ids[count - 1]);
        int k = 0;
        int rc;
        while (k < count && (rc = sqlite3_step(m_range.get())) == SQLITE_ROW) {
            const qint64 id = sqlite3_column_int64(m_range.get(), 0);
            while (k < count && ids[k] < id)
                ++k;
            if (k < count && ids[k] == id) {
                if (RowValues *row = pooledRow(found++)) {
                    fillRow(*row, m_range, 1);
                    out[k] = *row;
                } else {
                    fillRow(out[k], m_range, 1);
                }
                ++k;
            }
        }
        const int err = sqlite3_errcode(m_db);
        m_range.reset();
        if (err != SQLITE_OK && err != SQLITE_ROW && err != SQLITE_DONE)
            fail();
        return;
    }
    for (int k = 0; k < count; ++k) {
        m_point.reset();
        m_point.bindInt(1, ids[k]);
        const int rc = sqlite3_step(m_point.get());
        if (rc == SQLITE_ROW) {
            if (RowValues *row = pooledRow(found++)) {
                fillRow(*row, m_point, 1);
                out[k] = *row;
            } else {
                fillRow(out[k], m_point, 1);
            }
        } else if (rc != SQLITE_DONE) {
            m_point.reset();
            fail();
        }
    }
    m_point.reset();
}

std::optional<qint64> CardStorage::findKey(const RowValues &keyValues)
{
    if (m_schema.primaryFields.isEmpty())
        return std::nullopt;
    QStringList conds;
    for (int i = 0; i < m_schema.primaryFields.size(); ++i)
        conds.append(m_schema.column(m_schema.primaryFields[i]) + QStringLiteral(" IS ?")
                     + QString::number(i + 1));
    Statement st(m_db,
                 QStringLiteral("SELECT ") + m_rowid + QStringLiteral(" FROM ") + m_table + QStringLiteral(" WHERE ")
                     + conds.join(QStringLiteral(" AND ")) + QStringLiteral(" LIMIT 1"),
                 m_display);
    for (int i = 0; i < m_schema.primaryFields.size(); ++i)
        st.bind(i + 1, keyValues.value(i), m_schema.fields[m_schema.primaryFields[i]].type);
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW)
        return sqlite3_column_int64(st.get(), 0);
    if (rc != SQLITE_DONE)
        fail();
    return std::nullopt;
}

qint64 CardStorage::reserveAutoInc(int field, qint64 count)
{
    // Numbers are handed out from memory (the file is locked against other
    // programs) and written with the next commit, or when the table closes
    // with numbers handed out that no commit recorded. A commit of one card
    // then costs one transaction instead of two.
    qint64 last = std::max(storedCounter(field), m_lock->handedOut(field));
    if (field == m_schema.idKeyField) {
        const Statement &st = m_maxRowid;
        st.reset();
        const int rc = sqlite3_step(st.get());
        if (rc == SQLITE_ROW && sqlite3_column_type(st.get(), 0) != SQLITE_NULL)
            last = std::max(last, qint64(sqlite3_column_int64(st.get(), 0)));
        st.reset();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            fail();
    }
    if (last + count > std::numeric_limits<qint32>::max())
        throw EngineError(QObject::tr("The table %1 has run out of numbers for the field %2.")
                              .arg(m_display, m_schema.fields[field].name));
    m_lock->setHandedOut(field, last + count);
    m_reserved.insert(field);
    return last + 1;
}

void CardStorage::releaseAutoInc(int field, qint64 firstUnused, qint64 end)
{
    if (firstUnused < end && m_lock->handedOut(field) == end - 1)
        m_lock->setHandedOut(field, firstUnused - 1);
}

void CardStorage::saveHandedOut()
{
    for (int f : std::as_const(m_reserved)) {
        const qint64 n = m_lock->handedOut(f);
        if (n > storedCounter(f))
            storeCounter(f, n);
    }
}

qint64 CardStorage::storedCounter(int field)
{
    const Statement &st = m_counterGet;
    st.reset();
    st.bindInt(1, field);
    const int rc = sqlite3_step(st.get());
    const qint64 last = rc == SQLITE_ROW ? sqlite3_column_int64(st.get(), 0) : 0;
    st.reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail();
    return last;
}

void CardStorage::storeCounter(int field, qint64 last)
{
    const Statement &st = m_counterSet;
    st.reset();
    st.bindInt(1, field);
    st.bindInt(2, last);
    const int rc = sqlite3_step(st.get());
    st.reset();
    if (rc != SQLITE_DONE)
        fail();
}

void CardStorage::throwConstraint()
{
    const QString detail = QString::fromUtf8(sqlite3_errmsg(m_db));
    // "UNIQUE constraint failed: cardset1.Last_name, cardset1.First_name":
    // name the fields.
    QStringList names;
    const int colon = detail.indexOf(QLatin1Char(':'));
    const QString prefix = m_schema.table + QLatin1Char('.');
    if (colon >= 0) {
        for (QString part : detail.mid(colon + 1).split(QStringLiteral(", "))) {
            part = part.trimmed();
            if (part.startsWith(prefix)) {
                const QString name = part.mid(prefix.size());
                for (const FieldDef &f : m_schema.fields)
                    if (f.name.compare(name, Qt::CaseInsensitive) == 0)
                        names.append(f.name);
            }
        }
    }
    throw KeyViolationError(QObject::tr("Key violation: the table %1 has another row with the same %2.")
                                .arg(m_display,
                                     names.isEmpty() ? QObject::tr("key") : names.join(QStringLiteral(", "))));
}

std::vector<qint64> CardStorage::apply(const std::vector<RowChange> &changes)
{
    std::vector<qint64> newIds;
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        const int n = m_schema.fields.size();
        QList<qint64> highest(n, std::numeric_limits<qint64>::min());
        for (const RowChange &c : changes) {
            const Statement &st = m_statements[c.kind == RowChange::Insert ? 0 : c.kind == RowChange::Update ? 1 : 2];
            st.reset();
            if (c.kind == RowChange::Delete) {
                st.bindInt(1, c.id);
            } else {
                for (int i = 0; i < n; ++i) {
                    const QVariant &v = i < c.values.size() ? c.values[i] : QVariant();
                    st.bind(i + 1, v, m_schema.fields[i].type);
                    if (m_schema.fields[i].type == FieldType::AutoInc && v.isValid())
                        highest[i] = std::max(highest[i], v.toLongLong());
                }
                if (c.kind == RowChange::Update)
                    st.bindInt(n + 1, c.id);
            }
            const int rc = sqlite3_step(st.get());
            if (rc != SQLITE_DONE) {
                if ((rc & 0xff) == SQLITE_CONSTRAINT)
                    throwConstraint();
                fail();
            }
            if (c.kind == RowChange::Insert)
                newIds.push_back(sqlite3_last_insert_rowid(m_db));
        }
        for (int i = 0; i < n; ++i)
            if (highest[i] != std::numeric_limits<qint64>::min() && highest[i] > storedCounter(i))
                storeCounter(i, highest[i]);
        saveHandedOut();
        for (const Statement &st : m_statements)
            st.reset();
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail();
    } catch (...) {
        for (const Statement &st : m_statements)
            st.reset();
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return newIds;
}

void CardStorage::emptyTable()
{
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        exec(QStringLiteral("DELETE FROM ") + m_table);
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void CardStorage::changeField(int index, const FieldDef &def)
{
    QList<FieldDef> fields = m_schema.fields;
    QList<IndexDef> indexes = m_schema.indexes;
    const QString oldName = fields[index].name;
    fields[index] = def;
    for (IndexDef &ix : indexes)
        for (QString &f : ix.fields)
            if (f.compare(oldName, Qt::CaseInsensitive) == 0)
                f = def.name;
    const CardSchema schema = makeSchema(fields, indexes, m_schema.table, m_display);
    const bool keyField = schema.primaryFields.contains(index);

    m_statements.clear();
    m_range = Statement();
    m_point = Statement();
    m_counterGet = Statement();
    m_counterSet = Statement();
    m_maxRowid = Statement();
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        const QString scratch = schema.table + QStringLiteral("_new");
        createRowsTable(m_db, schema, scratch, m_display);
        QStringList params;
        for (int i = 0; i < fields.size(); ++i)
            params.append(QStringLiteral("?") + QString::number(i + 1));
        Statement ins(m_db,
                      QStringLiteral("INSERT INTO ") + quoteName(scratch) + QStringLiteral(" VALUES (")
                          + params.join(QLatin1Char(',')) + QLatin1Char(')'),
                      m_display);
        Statement sel(m_db,
                      QStringLiteral("SELECT ") + m_selectList + QStringLiteral(" FROM ") + m_table
                          + QStringLiteral(" ORDER BY ") + m_rowid,
                      m_display);
        qint64 highest = 0;
        int rc;
        while ((rc = sqlite3_step(sel.get())) == SQLITE_ROW) {
            RowValues r = rowFrom(sel, 0);
            bool ok = true;
            QVariant v = convertValue(r[index], schema.fields[index], &ok);
            if (!ok) {
                if (keyField)
                    throw EngineError(QObject::tr("The field %1 of table %2 cannot take the type %3: the "
                                                  "key value %4 does not convert.")
                                          .arg(oldName, m_display, fieldTypeName(def.type),
                                               formatValue(r[index], m_schema.fields[index])));
                v = QVariant();
            }
            if (keyField && schema.idKeyField == index && !v.isValid())
                throw EngineError(QObject::tr("The field %1 of table %2 cannot become the key: a row "
                                              "has no value in it.")
                                      .arg(oldName, m_display));
            r[index] = v;
            if (def.type == FieldType::AutoInc && v.isValid())
                highest = std::max(highest, v.toLongLong());
            ins.reset();
            for (int i = 0; i < fields.size(); ++i)
                ins.bind(i + 1, r[i], schema.fields[i].type);
            const int irc = sqlite3_step(ins.get());
            if (irc != SQLITE_DONE) {
                if ((irc & 0xff) == SQLITE_CONSTRAINT)
                    throw KeyViolationError(QObject::tr("The field %1 of table %2 cannot take the new type: "
                                                        "its converted values repeat a key.")
                                                .arg(oldName, m_display));
                fail();
            }
        }
        if (rc != SQLITE_DONE)
            fail();
        ins = Statement();
        sel = Statement();
        exec(QStringLiteral("DROP TABLE ") + m_table);
        exec(QStringLiteral("ALTER TABLE ") + quoteName(scratch) + QStringLiteral(" RENAME TO ") + m_table);
        createIndexes(m_db, schema, m_display);
        writeSchemaTables(m_db, schema, m_display);
        if (def.type == FieldType::AutoInc)
            setCounter(m_db, index, std::max(highest, counter(m_db, index, m_display)), m_display);
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        prepare();
        throw;
    }
    m_schema = schema;
    prepare();
}

} // namespace

void setCardTablesSynchronous(bool on) { g_synchronous = on; }
bool cardTablesSynchronous() { return g_synchronous; }

QStringList CardDriver::companionExtensions() const
{
    return {QStringLiteral(".px"), QStringLiteral(".mb")};
}

std::unique_ptr<TableStorage> CardDriver::open(const TableLocation &where, bool exclusive)
{
    const QString path = where.filePath;
    const QString display = QDir::toNativeSeparators(path);
    const QFileInfo fi(path);
    if (!fi.exists())
        throw EngineError(QObject::tr("The table %1 does not exist.").arg(display));
    if (!fi.isFile())
        throw EngineError(QObject::tr("%1 is not a table file.").arg(display));
    auto lock = TableLock::acquire(path, exclusive, display);

    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EngineError(QObject::tr("The table %1 cannot be read: %2").arg(display, f.errorString()));
    const QByteArray head = f.read(0x800);
    f.close();
    if (head.isEmpty())
        throw EngineError(QObject::tr("The table file %1 is damaged (it is empty).").arg(display));
    if (!head.startsWith(QByteArray("SQLite format 3", 16))) {
        if (paradox::ParadoxReader::looksLikeParadox(head))
            convertParadoxTable(path, *lock, display);
        else
            throw EngineError(QObject::tr("The table file %1 is damaged or is not a card table.").arg(display));
    } else if (isOldCardTable(head)) {
        convertOldCardTable(path, *lock, display);
    }
    auto storage = std::make_unique<CardStorage>(path, display, std::move(lock));
    storage->openDatabase();
    return storage;
}

void CardDriver::create(const TableLocation &where, const QList<FieldDef> &fields,
                        const QList<IndexDef> &indexes)
{
    const QString display = QDir::toNativeSeparators(where.filePath);
    const CardSchema schema = makeSchema(fields, indexes, tableNameFor(where.filePath), display);
    std::function<void(sqlite3 *)> fill = [&](sqlite3 *db) {
        for (int i = 0; i < schema.fields.size(); ++i)
            if (schema.fields[i].type == FieldType::AutoInc)
                setCounter(db, i, 0, display);
    };
    createCardFile(where.filePath, schema, fill, CreateOptions{}, display);
}

} // namespace vellora::engine
