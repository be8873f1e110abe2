#include "engine/dbase/DbaseDriver.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/dbase/DbfFile.h"
#include "engine/text/Cp1252.h"
#include "engine/util/FileLookup.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QSaveFile>
#include <QStringEncoder>

#include <cmath>
#include <cstring>

namespace vellora::engine {

namespace {

void putLe16(char *p, quint32 v) { p[0] = char(v & 0xFF); p[1] = char((v >> 8) & 0xFF); }
void putLe32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
void putBe32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * (3 - i))) & 0xFF);
}
quint32 getLe32(const char *p)
{
    return quint32(quint8(p[0])) | (quint32(quint8(p[1])) << 8) | (quint32(quint8(p[2])) << 16)
        | (quint32(quint8(p[3])) << 24);
}
quint32 getBe32(const char *p)
{
    return (quint32(quint8(p[0])) << 24) | (quint32(quint8(p[1])) << 16) | (quint32(quint8(p[2])) << 8)
        | quint32(quint8(p[3]));
}

QString memoPathFor(const QString &dbfPath, dbase::MemoKind kind)
{
    const QFileInfo fi(dbfPath);
    const QString ext = kind == dbase::MemoKind::Fpt ? QStringLiteral(".fpt") : QStringLiteral(".dbt");
    return ResolveCaseInsensitive(fi.absolutePath(), fi.completeBaseName() + ext);
}

// A text in the table's code page.
class TextEncoder {
public:
    explicit TextEncoder(int codePage) : m_cp(codePage)
    {
        if (codePage != 1252 && codePage != 65001) {
            const QByteArray name = "windows-" + QByteArray::number(codePage);
            QStringEncoder e(name.constData());
            if (e.isValid())
                m_encoder.emplace(name.constData());
            else {
                QStringEncoder ibm(("IBM" + QByteArray::number(codePage)).constData());
                if (ibm.isValid())
                    m_encoder.emplace(("IBM" + QByteArray::number(codePage)).constData());
            }
        }
    }
    QByteArray encode(const QString &s)
    {
        if (m_cp == 65001)
            return s.toUtf8();
        if (m_encoder) {
            m_encoder->resetState();
            return m_encoder->encode(s);
        }
        if (m_cp == 1252)
            return ToCp1252(s);
        // A code page Qt cannot write: what fits plain ASCII is kept.
        QByteArray out;
        out.reserve(s.size());
        for (QChar c : s)
            out.append(c.unicode() < 0x80 ? char(c.unicode()) : '?');
        return out;
    }

private:
    int m_cp;
    std::optional<QStringEncoder> m_encoder;
};

struct NativeField {
    char type;
    int length;
    int decimals;
};

NativeField nativeFor(const FieldDef &d)
{
    switch (d.type) {
    case FieldType::String: case FieldType::FixedChar: case FieldType::WideString: case FieldType::Guid:
        if (d.size >= 1 && d.size <= 254)
            return {'C', d.size, 0};
        return {'M', 10, 0};
    case FieldType::Memo: case FieldType::FmtMemo:
    case FieldType::Blob: case FieldType::Graphic: case FieldType::ParadoxOle: case FieldType::DBaseOle:
    case FieldType::TypedBinary: case FieldType::Bytes: case FieldType::VarBytes:
        return {'M', 10, 0};
    case FieldType::Smallint: case FieldType::Word: return {'N', 6, 0};
    case FieldType::Integer: case FieldType::AutoInc: return {'N', 11, 0};
    case FieldType::LargeInt: return {'N', 20, 0};
    case FieldType::Float: return {'N', 20, 6};
    case FieldType::Money: return {'N', 20, 4};
    case FieldType::BCD: return {'N', 20, std::clamp(d.size, 0, 15)};
    case FieldType::Boolean: return {'L', 1, 0};
    case FieldType::Date: return {'D', 8, 0};
    case FieldType::Time: return {'C', 8, 0};
    case FieldType::DateTime: return {'C', 19, 0};
    default:
        throw EngineError(QObject::tr("The field %1 has the type %2, which a dBASE table cannot hold.")
                              .arg(d.name, fieldTypeName(d.type)));
    }
}

class DbfStorage : public TableStorage {
public:
    DbfStorage(QString path, QString display, TableType type, bool exclusive)
        : m_path(std::move(path)), m_display(std::move(display)), m_type(type), m_exclusive(exclusive) {}
    ~DbfStorage() override { unmap(); }
    void close() { unmap(); }

    void load();

    QString kindName() const override
    {
        return m_type == TableType::FoxPro ? QStringLiteral("FOXPRO") : QStringLiteral("DBASE");
    }
    QList<FieldDef> fieldDefs() const override { return m_defs; }
    QList<IndexDef> indexDefs() const override { return m_indexes; }
    int idKeyField() const override { return m_idKey; }
    std::vector<qint64> rowIds() override;
    void readRows(const qint64 *ids, int count, std::vector<RowValues> &out) override;
    std::optional<qint64> findKey(const RowValues &keyValues) override;
    qint64 reserveAutoInc(int field, qint64 count) override;
    void releaseAutoInc(int field, qint64 firstUnused, qint64 end) override;
    std::vector<qint64> apply(const std::vector<RowChange> &changes) override;
    void emptyTable() override;
    void changeField(int index, const FieldDef &def) override;

private:
    void unmap();
    void openFiles(bool writable);
    QByteArray encodeRecord(const RowValues &values, qint64 rowNumber, QByteArray &memoOut, qint64 &memoNext);
    void encodeField(char *p, const dbase::DbfField &f, int fieldIndex, const QVariant &v, qint64 rowNumber,
                     QByteArray &memoOut, qint64 &memoNext);
    QByteArray memoBlock(const QByteArray &data, bool text, const dbase::DbfField &f, qint64 rowNumber);
    void writeMemoPointer(char *p, const dbase::DbfField &f, qint64 block);
    void ensureWritable();
    QString keyText(const RowValues &keyValues) const;
    void buildKeyIndex();
    int autoIncDescriptorOffset(int field) const;

    QString m_path, m_display;
    TableType m_type;
    bool m_exclusive;
    QFile m_file, m_memoFile;
    uchar *m_map = nullptr, *m_memoMap = nullptr;
    qint64 m_mapSize = 0, m_memoMapSize = 0;
    QString m_memoPath;
    bool m_writable = false;
    dbase::DbfFile m_dbf;
    QList<FieldDef> m_defs;
    QList<IndexDef> m_indexes;
    QList<int> m_keyFields;
    bool m_keyIndexBuilt = false;
    QHash<QString, qint64> m_keyIndex;
    // A single integer key: row ids are its values (record numbers below).
    int m_idKey = -1;
    QHash<qint64, qint64> m_keyRecord;
    qint64 recordOf(qint64 id) const { return m_idKey >= 0 ? m_keyRecord.value(id, 0) : id; }
    void buildIdKey();
    std::unique_ptr<TextEncoder> m_encoder;
    QHash<int, qint64> m_autoNext;   // field -> next number to hand out
};

void DbfStorage::unmap()
{
    if (m_map)
        m_file.unmap(m_map);
    if (m_memoMap)
        m_memoFile.unmap(m_memoMap);
    m_map = m_memoMap = nullptr;
    m_file.close();
    m_memoFile.close();
}

void DbfStorage::openFiles(bool writable)
{
    unmap();
    m_file.setFileName(m_path);
    if (!m_file.open(writable ? QIODevice::ReadWrite : QIODevice::ReadOnly))
        throw EngineError(QObject::tr("The table %1 cannot be opened: %2").arg(m_display, m_file.errorString()));
    m_mapSize = m_file.size();
    m_map = m_mapSize > 0 ? m_file.map(0, m_mapSize) : nullptr;
    if (!m_map && m_mapSize > 0)
        throw EngineError(QObject::tr("The table %1 cannot be read: %2").arg(m_display, m_file.errorString()));
    m_dbf.parse(reinterpret_cast<const char *>(m_map), m_mapSize, m_display);
    bool memoPresent = false;
    if (m_dbf.hasMemoFields()) {
        m_memoPath = memoPathFor(m_path, m_dbf.memoKind());
        m_memoFile.setFileName(m_memoPath);
        if (QFileInfo::exists(m_memoPath)
            && m_memoFile.open(writable ? QIODevice::ReadWrite : QIODevice::ReadOnly)) {
            memoPresent = true;
            m_memoMapSize = m_memoFile.size();
            m_memoMap = m_memoMapSize > 0 ? m_memoFile.map(0, m_memoMapSize) : nullptr;
        }
    }
    m_dbf.setMemo(reinterpret_cast<const char *>(m_memoMap), m_memoMap ? m_memoMapSize : 0, memoPresent,
                  QDir::toNativeSeparators(m_memoPath));
    m_writable = writable;
}

void DbfStorage::load()
{
    if (!QFileInfo::exists(m_path))
        throw EngineError(QObject::tr("The table %1 does not exist.").arg(m_display));
    openFiles(false);
    m_defs = m_dbf.fieldDefs();
    m_encoder = std::make_unique<TextEncoder>(m_dbf.codePage());
    // Key fields remembered at creation (see DbaseDriver.h).
    if (!m_dbf.isVisualFoxPro() && !m_dbf.isLevel7() && m_dbf.version() != 0x02 && m_dbf.headerLength() > 32) {
        const char *base = reinterpret_cast<const char *>(m_map);
        IndexDef key;
        key.name = QStringLiteral("primary");
        key.primary = key.unique = true;
        QList<std::pair<int, int>> order;   // position in key, field
        for (int i = 0; i < m_dbf.allFields().size(); ++i) {
            const char *desc = base + 32 + 32 * i;
            if (desc[31] != 0 && base[28] == 0 && quint8(desc[30]) == 0xA5)
                order.append({quint8(desc[31]), i});
        }
        std::sort(order.begin(), order.end());
        for (const auto &[pos, f] : order) {
            (void)pos;
            key.fields.append(m_dbf.allFields()[f].name);
            for (int k = 0; k < m_dbf.fields().size(); ++k)
                if (m_dbf.fields()[k].name == m_dbf.allFields()[f].name)
                    m_keyFields.append(k);
        }
        if (!key.fields.isEmpty())
            m_indexes.append(key);
    }
    for (int i = 0; i < m_dbf.fields().size(); ++i)
        if (m_defs[i].type == FieldType::AutoInc)
            m_autoNext.insert(i, -1);
    buildIdKey();
}

void DbfStorage::buildIdKey()
{
    m_idKey = -1;
    m_keyRecord.clear();
    if (m_keyFields.size() != 1 || !isIntegerType(m_defs[m_keyFields[0]].type))
        return;
    const int k = m_keyFields[0];
    QVariantList row;
    QHash<qint64, qint64> map;
    map.reserve(qsizetype(m_dbf.recordCount()));
    for (qint64 r = 0; r < m_dbf.recordCount(); ++r) {
        if (m_dbf.isDeleted(r))
            continue;
        m_dbf.readRecord(r, row);
        const QVariant v = row.value(k);
        if (!v.isValid() || map.contains(v.toLongLong()))
            return;   // a file that breaks its key: rows are addressed by number
        map.insert(v.toLongLong(), r + 1);
    }
    m_keyRecord = std::move(map);
    m_idKey = k;
}

std::vector<qint64> DbfStorage::rowIds()
{
    std::vector<qint64> ids;
    if (m_idKey >= 0) {
        ids.reserve(size_t(m_keyRecord.size()));
        for (auto it = m_keyRecord.constBegin(); it != m_keyRecord.constEnd(); ++it)
            ids.push_back(it.key());
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    ids.reserve(size_t(m_dbf.recordCount()));
    for (qint64 r = 0; r < m_dbf.recordCount(); ++r)
        if (!m_dbf.isDeleted(r))
            ids.push_back(r + 1);
    return ids;
}

void DbfStorage::readRows(const qint64 *ids, int count, std::vector<RowValues> &out)
{
    out.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        const qint64 r = recordOf(ids[i]) - 1;
        if (r < 0 || r >= m_dbf.recordCount()) {
            out[size_t(i)].clear();
            continue;
        }
        m_dbf.readRecord(r, out[size_t(i)]);
    }
}

QString DbfStorage::keyText(const RowValues &keyValues) const
{
    QString k;
    for (int i = 0; i < keyValues.size(); ++i) {
        if (i)
            k += QChar(0x1F);
        const int f = m_keyFields.value(i, -1);
        k += f >= 0 ? formatValue(keyValues[i], m_defs[f]).trimmed() : keyValues[i].toString();
    }
    return k;
}

void DbfStorage::buildKeyIndex()
{
    m_keyIndex.clear();
    QVariantList row;
    for (qint64 r = 0; r < m_dbf.recordCount(); ++r) {
        if (m_dbf.isDeleted(r))
            continue;
        m_dbf.readRecord(r, row);
        RowValues key;
        for (int f : m_keyFields)
            key.append(row.value(f));
        m_keyIndex.insert(keyText(key), r + 1);
    }
    m_keyIndexBuilt = true;
}

std::optional<qint64> DbfStorage::findKey(const RowValues &keyValues)
{
    if (m_keyFields.isEmpty())
        return std::nullopt;
    if (m_idKey >= 0) {
        const QVariant v = keyValues.value(0);
        if (v.isValid() && m_keyRecord.contains(v.toLongLong()))
            return v.toLongLong();
        return std::nullopt;
    }
    if (!m_keyIndexBuilt)
        buildKeyIndex();
    auto it = m_keyIndex.constFind(keyText(keyValues));
    if (it == m_keyIndex.constEnd())
        return std::nullopt;
    return *it;
}

int DbfStorage::autoIncDescriptorOffset(int field) const
{
    const QString name = m_dbf.fields()[field].name;
    for (int i = 0; i < m_dbf.allFields().size(); ++i)
        if (m_dbf.allFields()[i].name == name)
            return m_dbf.isLevel7() ? 68 + 48 * i + 42 : 32 + 32 * i + 19;
    return -1;
}

qint64 DbfStorage::reserveAutoInc(int field, qint64 count)
{
    ensureWritable();
    const int at = autoIncDescriptorOffset(field);
    if (at < 0)
        throw EngineError(QObject::tr("The table %1 has no numbered field %2.").arg(m_display).arg(field + 1));
    const char *p = reinterpret_cast<const char *>(m_map) + at;
    qint64 next = m_dbf.isLevel7() ? qint64(getBe32(p)) : qint64(getLe32(p));
    // The stored counter may lag behind what is in the table.
    qint64 highest = 0;
    QVariantList row;
    for (qint64 r = 0; r < m_dbf.recordCount(); ++r) {
        m_dbf.readRecord(r, row);
        highest = std::max(highest, row.value(field).toLongLong());
    }
    next = std::max(next, highest + 1);
    char buf[4];
    if (m_dbf.isLevel7())
        putBe32(buf, quint32(next + count));
    else
        putLe32(buf, quint32(next + count));
    m_file.seek(at);
    if (m_file.write(buf, 4) != 4)
        throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, m_file.errorString()));
    m_file.flush();
    return next;
}

void DbfStorage::releaseAutoInc(int field, qint64 firstUnused, qint64 end)
{
    const int at = autoIncDescriptorOffset(field);
    if (at < 0 || !m_writable)
        return;
    const char *p = reinterpret_cast<const char *>(m_map) + at;
    const qint64 stored = m_dbf.isLevel7() ? qint64(getBe32(p)) : qint64(getLe32(p));
    if (stored != end)
        return;
    char buf[4];
    if (m_dbf.isLevel7())
        putBe32(buf, quint32(firstUnused));
    else
        putLe32(buf, quint32(firstUnused));
    m_file.seek(at);
    m_file.write(buf, 4);
    m_file.flush();
}

void DbfStorage::ensureWritable()
{
    if (m_writable)
        return;
    if (!QFileInfo(m_path).isWritable())
        throw EngineError(QObject::tr("The table %1 is read-only.").arg(m_display));
    openFiles(true);
}

void DbfStorage::writeMemoPointer(char *p, const dbase::DbfField &f, qint64 block)
{
    if (f.length == 4) {
        putLe32(p, quint32(block));
        return;
    }
    const QByteArray digits = block > 0 ? QByteArray::number(block).rightJustified(f.length, ' ')
                                        : QByteArray(f.length, ' ');
    std::memcpy(p, digits.constData(), size_t(f.length));
}

QByteArray DbfStorage::memoBlock(const QByteArray &data, bool text, const dbase::DbfField &f, qint64 rowNumber)
{
    QByteArray out;
    switch (m_dbf.memoKind()) {
    case dbase::MemoKind::Fpt:
        out.resize(8);
        putBe32(out.data(), text ? 1 : 0);
        putBe32(out.data() + 4, quint32(data.size()));
        out += data;
        break;
    case dbase::MemoKind::Dbt4:
        out.resize(8);
        out[0] = char(0xFF); out[1] = char(0xFF); out[2] = 0x08; out[3] = 0x00;
        putLe32(out.data() + 4, quint32(data.size() + 8));
        out += data;
        break;
    default:
        if (data.contains('\x1A'))
            throw EngineError(QObject::tr("Row %1 of %2: the field %3 holds a byte that a dBASE III memo cannot "
                                          "keep.")
                                  .arg(rowNumber)
                                  .arg(m_display, f.name));
        out = data;
        out.append("\x1A\x1A", 2);
        break;
    }
    return out;
}

void DbfStorage::encodeField(char *p, const dbase::DbfField &f, int fieldIndex, const QVariant &v,
                             qint64 rowNumber, QByteArray &memoOut, qint64 &memoNext)
{
    const int n = f.length;
    const bool null = !v.isValid() || v.isNull();
    const FieldDef def = m_defs[fieldIndex];
    auto tooWide = [&](const QString &text) {
        return EngineError(QObject::tr("Row %1 of %2: the value %3 does not fit the field %4.")
                               .arg(rowNumber)
                               .arg(m_display, text, f.name));
    };
    std::memset(p, ' ', size_t(n));
    switch (f.type) {
    case 'C': case 'V': {
        if (null) {
            if (f.type == 'V' || f.nullBit >= 0)
                std::memset(p, 0, size_t(n));
            return;
        }
        QByteArray b = m_encoder->encode(v.toString());
        const int room = f.type == 'V' ? n - 1 : n;
        if (b.size() > n)
            b.truncate(n);
        std::memcpy(p, b.constData(), size_t(b.size()));
        if (f.type == 'V' && b.size() <= room) {
            std::memset(p + b.size(), 0, size_t(n - b.size()));
            p[n - 1] = char(b.size());
        }
        return;
    }
    case 'Q': {
        std::memset(p, 0, size_t(n));
        if (null)
            return;
        QByteArray b = v.toByteArray().left(n - 1);
        std::memcpy(p, b.constData(), size_t(b.size()));
        p[n - 1] = char(b.size());
        return;
    }
    case 'N': case 'F': {
        if (null)
            return;
        QByteArray text;
        if (v.metaType().id() == QMetaType::QString) {
            bool ok = false;
            const double r = v.toString().toDouble(&ok);
            if (!ok)
                throw tooWide(v.toString());
            text = f.decimals > 0 ? QByteArray::number(r, 'f', f.decimals)
                                  : QByteArray(v.toString().section(QLatin1Char('.'), 0, 0).toLatin1());
            if (text.isEmpty() || text == "-")
                text = "0";
        } else if (v.metaType().id() == QMetaType::LongLong || v.metaType().id() == QMetaType::Int) {
            text = f.decimals > 0 ? QByteArray::number(double(v.toLongLong()), 'f', f.decimals)
                                  : QByteArray::number(v.toLongLong());
        } else if (v.metaType().id() == QMetaType::Bool) {
            text = v.toBool() ? "1" : "0";
        } else {
            const double r = v.toDouble();
            if (!std::isfinite(r))
                throw tooWide(v.toString());
            text = QByteArray::number(r, 'f', f.decimals);
        }
        if (text.size() > n)
            throw tooWide(QString::fromLatin1(text));
        std::memcpy(p + (n - text.size()), text.constData(), size_t(text.size()));
        return;
    }
    case 'L':
        p[0] = null ? '?' : (v.toBool() ? 'T' : 'F');
        return;
    case 'D': {
        if (null)
            return;
        const QDate d = v.metaType().id() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
        if (!d.isValid() || d.year() < 1 || d.year() > 9999)
            throw tooWide(v.toString());
        const QByteArray t = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memcpy(p, t.constData(), 8);
        return;
    }
    case 'I': case '+': {
        std::memset(p, 0, size_t(n));
        if (null)
            return;
        const qint64 x = v.toLongLong();
        if (x < std::numeric_limits<qint32>::min() || x > std::numeric_limits<qint32>::max())
            throw tooWide(v.toString());
        if (f.type == '+' || m_dbf.isLevel7())
            putBe32(p, quint32(qint32(x)) ^ 0x80000000u);
        else
            putLe32(p, quint32(qint32(x)));
        return;
    }
    case 'Y': {
        std::memset(p, 0, size_t(n));
        if (null)
            return;
        const qint64 x = std::llround(v.toDouble() * 10000.0);
        putLe32(p, quint32(quint64(x) & 0xFFFFFFFFu));
        putLe32(p + 4, quint32(quint64(x) >> 32));
        return;
    }
    case 'T': {
        std::memset(p, 0, size_t(n));
        if (null)
            return;
        const QDateTime t = v.toDateTime();
        putLe32(p, quint32(qint32(t.date().toJulianDay())));
        putLe32(p + 4, quint32(t.time().msecsSinceStartOfDay()));
        return;
    }
    case 'B':
        if (m_dbf.isVisualFoxPro()) {
            std::memset(p, 0, size_t(n));
            if (null)
                return;
            const double r = v.toDouble();
            std::memcpy(p, &r, 8);
            return;
        }
        [[fallthrough]];
    case 'M': case 'G': case 'P': {
        if (f.length == 4)
            std::memset(p, 0, 4);
        if (null)
            return;
        const bool text = valueClass(def.type) == ValueClass::Text;
        const QByteArray data = text ? m_encoder->encode(v.toString()) : v.toByteArray();
        if (data.isEmpty())
            return;
        const QByteArray block = memoBlock(data, text, f, rowNumber);
        const int blockSize = m_dbf.memoBlockSize();
        writeMemoPointer(p, f, memoNext);
        const qint64 blocks = (block.size() + blockSize - 1) / blockSize;
        QByteArray padded = block;
        padded.append(QByteArray(blocks * blockSize - block.size(), '\0'));
        memoOut += padded;
        memoNext += blocks;
        return;
    }
    default:
        if (!null) {
            const QByteArray b = v.toByteArray().left(n);
            std::memcpy(p, b.constData(), size_t(b.size()));
        }
        return;
    }
}

QByteArray DbfStorage::encodeRecord(const RowValues &values, qint64 rowNumber, QByteArray &memoOut,
                                    qint64 &memoNext)
{
    QByteArray rec(m_dbf.recordLength(), ' ');
    char *base = rec.data();
    const dbase::DbfField *nullFlags = nullptr;
    for (const dbase::DbfField &f : m_dbf.allFields())
        if (f.system && f.type == '0')
            nullFlags = &f;
    if (nullFlags)
        std::memset(base + nullFlags->offset, 0, size_t(nullFlags->length));
    auto setBit = [&](int bit) {
        if (nullFlags && bit >= 0)
            base[nullFlags->offset + bit / 8] = char(quint8(base[nullFlags->offset + bit / 8]) | (1 << (bit % 8)));
    };
    const QList<dbase::DbfField> &fields = m_dbf.fields();
    for (int i = 0; i < fields.size(); ++i) {
        const dbase::DbfField &f = fields[i];
        const QVariant v = values.value(i);
        const bool null = !v.isValid() || v.isNull();
        encodeField(base + f.offset, f, i, v, rowNumber, memoOut, memoNext);
        if (null)
            setBit(f.nullBit);
        if ((f.type == 'V' || f.type == 'Q') && !null) {
            const int used = quint8(base[f.offset + f.length - 1]);
            if (used < f.length)
                setBit(f.varBit);
        }
    }
    return rec;
}

std::vector<qint64> DbfStorage::apply(const std::vector<RowChange> &changes)
{
    std::vector<qint64> ids;
    if (changes.empty())
        return ids;
    ensureWritable();
    // Everything is encoded first: a value that does not fit fails the
    // whole change before a byte is written.
    const qint64 recLen = m_dbf.recordLength();
    qint64 count = m_dbf.recordCount();
    qint64 memoNext = 0;
    if (m_dbf.memoKind() != dbase::MemoKind::None && m_dbf.hasMemoFields()) {
        if (!m_memoFile.isOpen()) {
            // A table whose memo file went missing gets a new, empty one.
            if (QFileInfo::exists(m_memoPath))
                throw EngineError(QObject::tr("The memo file %1 cannot be opened.").arg(QDir::toNativeSeparators(m_memoPath)));
            throw EngineError(QObject::tr("The memo file %1 of the dBASE table %2 is missing.")
                                  .arg(QDir::toNativeSeparators(m_memoPath), m_display));
        }
        const char *mh = reinterpret_cast<const char *>(m_memoMap);
        memoNext = m_memoMapSize >= 4
            ? (m_dbf.memoKind() == dbase::MemoKind::Fpt ? qint64(getBe32(mh)) : qint64(getLe32(mh)))
            : 1;
        const int bs = m_dbf.memoBlockSize();
        // The file may be longer than its header says: never overwrite.
        memoNext = std::max(memoNext, (m_memoMapSize + bs - 1) / bs);
    }
    const qint64 memoStart = memoNext;
    QByteArray memoOut;
    struct Write {
        qint64 record;   // 0-based
        QByteArray bytes;
    };
    std::vector<Write> writes;
    QByteArray appended;
    QHash<qint64, qint64> keyRecord = m_keyRecord;
    for (const RowChange &c : changes) {
        const qint64 rec = m_idKey >= 0 ? keyRecord.value(c.id, 0) : c.id;
        switch (c.kind) {
        case RowChange::Delete:
            if (rec < 1 || rec > m_dbf.recordCount())
                throw EngineError(QObject::tr("The table %1 has no row %2 to delete.").arg(m_display).arg(c.id));
            writes.push_back({rec - 1, QByteArray(1, '*')});
            if (m_idKey >= 0)
                keyRecord.remove(c.id);
            break;
        case RowChange::Update:
            if (rec < 1 || rec > m_dbf.recordCount())
                throw EngineError(QObject::tr("The table %1 has no row %2 to change.").arg(m_display).arg(c.id));
            writes.push_back({rec - 1, encodeRecord(c.values, rec, memoOut, memoNext)});
            break;
        case RowChange::Insert:
            ++count;
            appended += encodeRecord(c.values, count, memoOut, memoNext);
            if (m_idKey >= 0) {
                keyRecord.insert(c.id, count);
                ids.push_back(c.id);
            } else {
                ids.push_back(count);
            }
            break;
        }
    }
    const qint64 maxRecords = 0xFFFFFFFFll;
    if (count > maxRecords)
        throw EngineError(QObject::tr("The table %1 cannot hold more rows.").arg(m_display));
    auto fail = [&](QFile &f) {
        return EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, f.errorString()));
    };
    if (!memoOut.isEmpty()) {
        const int bs = m_dbf.memoBlockSize();
        if (!m_memoFile.seek(memoStart * bs) || m_memoFile.write(memoOut) != memoOut.size())
            throw fail(m_memoFile);
        char head[4];
        if (m_dbf.memoKind() == dbase::MemoKind::Fpt)
            putBe32(head, quint32(memoNext));
        else
            putLe32(head, quint32(memoNext));
        if (!m_memoFile.seek(0) || m_memoFile.write(head, 4) != 4)
            throw fail(m_memoFile);
        m_memoFile.flush();
    }
    for (const Write &w : writes) {
        if (!m_file.seek(m_dbf.headerLength() + w.record * recLen) || m_file.write(w.bytes) != w.bytes.size())
            throw fail(m_file);
    }
    if (!appended.isEmpty()) {
        appended.append('\x1A');
        if (!m_file.seek(m_dbf.headerLength() + m_dbf.recordCount() * recLen)
            || m_file.write(appended) != appended.size())
            throw fail(m_file);
    }
    char head[7];
    const QDate today = QDate::currentDate();
    head[0] = char(std::clamp(today.year() - 1900, 0, 255));
    head[1] = char(today.month());
    head[2] = char(today.day());
    putLe32(head + 3, quint32(count));
    if (m_dbf.version() == 0x02) {
        char c2[2];
        putLe16(c2, quint32(count));
        if (!m_file.seek(1) || m_file.write(c2, 2) != 2)
            throw fail(m_file);
    } else if (!m_file.seek(1) || m_file.write(head, 7) != 7) {
        throw fail(m_file);
    }
    m_file.flush();
    openFiles(true);
    m_keyIndexBuilt = false;
    m_keyRecord = std::move(keyRecord);
    return ids;
}

void DbfStorage::emptyTable()
{
    ensureWritable();
    const qint64 header = m_dbf.headerLength();
    if (!m_file.resize(header))
        throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, m_file.errorString()));
    char zero[4] = {0, 0, 0, 0};
    m_file.seek(m_dbf.version() == 0x02 ? 1 : 4);
    m_file.write(zero, m_dbf.version() == 0x02 ? 2 : 4);
    m_file.seek(header);
    m_file.write("\x1A", 1);
    if (m_memoFile.isOpen()) {
        const int bs = m_dbf.memoBlockSize();
        // The memo file keeps its header block(s) only.
        const qint64 keep = m_dbf.memoKind() == dbase::MemoKind::Fpt ? std::max<qint64>(512, bs) : bs;
        const qint64 firstFree = (keep + bs - 1) / bs;
        m_memoFile.resize(std::min(keep, m_memoMapSize));
        char head[4];
        if (m_dbf.memoKind() == dbase::MemoKind::Fpt)
            putBe32(head, quint32(firstFree));
        else
            putLe32(head, quint32(firstFree));
        m_memoFile.seek(0);
        m_memoFile.write(head, 4);
        m_memoFile.flush();
    }
    m_file.flush();
    openFiles(true);
    m_keyIndexBuilt = false;
    m_keyRecord.clear();
}

// --------------------------------------------------------------- creating

QByteArray fieldNameBytes(const QString &name)
{
    QByteArray b = ToCp1252(name);
    b.truncate(10);
    return b;
}

void writeNewTable(const QString &path, const QString &display, TableType type, const QList<FieldDef> &fields,
                   const QList<IndexDef> &indexes)
{
    if (fields.isEmpty())
        throw EngineError(QObject::tr("The table %1 needs at least one field.").arg(display));
    if (fields.size() > 255)
        throw EngineError(QObject::tr("The table %1 cannot have more than 255 fields.").arg(display));
    QList<NativeField> native;
    bool memo = false;
    int recLen = 1;
    for (const FieldDef &f : fields) {
        if (f.name.trimmed().isEmpty())
            throw EngineError(QObject::tr("A field of the table %1 has no name.").arg(display));
        const NativeField n = nativeFor(f);
        memo = memo || n.type == 'M';
        native.append(n);
        recLen += n.length;
    }
    if (recLen > 65535)
        throw EngineError(QObject::tr("The fields of the table %1 are too wide for one record.").arg(display));
    QStringList seen;
    for (const FieldDef &f : fields) {
        for (const QString &s : seen)
            if (s.compare(f.name, Qt::CaseInsensitive) == 0)
                throw EngineError(QObject::tr("The table %1 would have the field %2 twice.").arg(display, f.name));
        seen.append(f.name);
    }
    const IndexDef *primary = nullptr;
    for (const IndexDef &ix : indexes) {
        for (const QString &n : ix.fields) {
            bool found = false;
            for (const FieldDef &f : fields)
                found = found || f.name.compare(n, Qt::CaseInsensitive) == 0;
            if (!found)
                throw EngineError(QObject::tr("The index %1 of the table %2 names the field %3, which the table "
                                              "does not have.")
                                      .arg(ix.name, display, n));
        }
        if (ix.primary && !primary)
            primary = &ix;
    }
    const bool fox = type == TableType::FoxPro;
    const int headerLen = 32 + 32 * fields.size() + 1;
    QByteArray head(headerLen, '\0');
    head[0] = char(fox ? (memo ? 0xF5 : 0x03) : (memo ? 0x83 : 0x03));
    const QDate today = QDate::currentDate();
    head[1] = char(today.year() - 1900);
    head[2] = char(today.month());
    head[3] = char(today.day());
    putLe16(head.data() + 8, quint32(headerLen));
    putLe16(head.data() + 10, quint32(recLen));
    head[29] = char(dbase::languageDriverFromCodePage(1252));
    for (int i = 0; i < fields.size(); ++i) {
        char *d = head.data() + 32 + 32 * i;
        const QByteArray name = fieldNameBytes(fields[i].name);
        std::memcpy(d, name.constData(), size_t(name.size()));
        d[11] = native[i].type;
        d[16] = char(native[i].length);
        d[17] = char(native[i].decimals);
        if (primary) {
            const int k = primary->fields.indexOf(fields[i].name);
            int pos = -1;
            for (int j = 0; j < primary->fields.size(); ++j)
                if (primary->fields[j].compare(fields[i].name, Qt::CaseInsensitive) == 0)
                    pos = j;
            (void)k;
            if (pos >= 0) {
                d[30] = char(0xA5);   // our mark: the byte after it is the key position
                d[31] = char(pos + 1);
            }
        }
    }
    head[headerLen - 1] = '\x0D';
    head.append('\x1A');

    // Memo file first, so that a table never names a memo file that is not there.
    const QFileInfo fi(path);
    const QString memoPath = ResolveCaseInsensitive(fi.absolutePath(),
                                                    fi.completeBaseName() + (fox ? QStringLiteral(".fpt")
                                                                                 : QStringLiteral(".dbt")));
    auto writeFile = [&](const QString &p, const QByteArray &bytes) {
        QSaveFile f(p);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
            throw EngineError(QObject::tr("The table %1 cannot be written: %2")
                                  .arg(QDir::toNativeSeparators(p), f.errorString()));
    };
    if (memo) {
        QByteArray m(512, '\0');
        if (fox) {
            putBe32(m.data(), 8);     // first free block (blocks of 64 bytes)
            m[6] = 0;
            m[7] = 64;
        } else {
            putLe32(m.data(), 1);     // first free block (blocks of 512 bytes)
            m[16] = 0x03;             // dBASE III memo file
        }
        writeFile(memoPath, m);
    }
    writeFile(path, head);
}

} // namespace

QStringList shortenFieldNames(const QStringList &names, int maxLength)
{
    QStringList out;
    auto taken = [&](const QString &n) {
        for (const QString &o : out)
            if (o.compare(n, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    for (const QString &original : names) {
        QString clean;
        for (QChar c : original.trimmed())
            clean += (c.isLetterOrNumber() && c.unicode() < 0x100) || c == QLatin1Char('_') ? c : QLatin1Char('_');
        if (clean.isEmpty())
            clean = QStringLiteral("FIELD");
        QString name = clean.left(maxLength);
        if (clean.size() > maxLength) {
            // Keep a trailing number: Sparefield1 -> Sparefiel1.
            int digits = 0;
            while (digits < clean.size() && clean[clean.size() - 1 - digits].isDigit())
                ++digits;
            if (digits > 0 && digits < maxLength)
                name = clean.left(maxLength - digits) + clean.right(digits);
        }
        for (int k = 1; taken(name); ++k) {
            const QString tail = QString::number(k);
            name = clean.left(maxLength - tail.size()) + tail;
        }
        out.append(name);
    }
    return out;
}

void DbaseDriver::adaptDefinitions(QList<FieldDef> &fields, QList<IndexDef> &indexes) const
{
    QStringList names;
    for (const FieldDef &f : fields)
        names.append(f.name);
    const QStringList shortNames = shortenFieldNames(names, 10);
    for (IndexDef &ix : indexes)
        for (QString &n : ix.fields)
            for (int i = 0; i < names.size(); ++i)
                if (names[i].compare(n, Qt::CaseInsensitive) == 0) {
                    n = shortNames[i];
                    break;
                }
    for (int i = 0; i < fields.size(); ++i) {
        fields[i].name = shortNames[i];
        // What a new table stores (DbaseDriver.h): the definitions say so.
        const NativeField n = nativeFor(fields[i]);
        if (fields[i].type == FieldType::AutoInc)
            fields[i].type = FieldType::Integer;
        if (n.type == 'M' && valueClass(fields[i].type) == ValueClass::Text)
            fields[i] = FieldDef{fields[i].name, FieldType::Memo, 0};
    }
}

std::unique_ptr<TableStorage> DbaseDriver::open(const TableLocation &where, bool exclusive)
{
    auto s = std::make_unique<DbfStorage>(where.filePath, QDir::toNativeSeparators(where.filePath), m_type,
                                          exclusive);
    s->load();
    return s;
}

void DbaseDriver::create(const TableLocation &where, const QList<FieldDef> &fields, const QList<IndexDef> &indexes)
{
    const QString display = QDir::toNativeSeparators(where.filePath);
    if (QFileInfo::exists(where.filePath))
        throw EngineError(QObject::tr("The table %1 exists already.").arg(display));
    QList<FieldDef> f = fields;
    QList<IndexDef> ix = indexes;
    adaptDefinitions(f, ix);
    writeNewTable(where.filePath, display, m_type, f, ix);
}

void DbfStorage::changeField(int index, const FieldDef &def)
{
    if (index < 0 || index >= m_defs.size())
        throw EngineError(QObject::tr("The table %1 has no field number %2.").arg(m_display).arg(index + 1));
    // The table is written anew with the changed definition and its rows
    // converted; the old files are replaced only when that succeeded.
    QList<FieldDef> defs = m_defs;
    defs[index] = def;
    QList<IndexDef> indexes = m_indexes;
    if (def.name != m_defs[index].name)
        for (IndexDef &ix : indexes)
            for (QString &n : ix.fields)
                if (n.compare(m_defs[index].name, Qt::CaseInsensitive) == 0)
                    n = def.name;
    DbaseDriver driver(m_type);
    QList<FieldDef> adapted = defs;
    driver.adaptDefinitions(adapted, indexes);
    std::vector<RowValues> rows;
    const std::vector<qint64> ids = rowIds();
    readRows(ids.data(), int(ids.size()), rows);
    for (RowValues &r : rows) {
        bool ok = true;
        r[index] = convertValue(r[index], adapted[index], &ok);
        if (!ok)
            r[index] = QVariant();
    }
    const QFileInfo fi(m_path);
    const QString scratch = fi.absolutePath() + QStringLiteral("/~restructure-") + fi.fileName();
    const QString scratchMemo = memoPathFor(scratch, m_type == TableType::FoxPro ? dbase::MemoKind::Fpt
                                                                                 : dbase::MemoKind::Dbt3);
    QFile::remove(scratch);
    QFile::remove(scratchMemo);
    writeNewTable(scratch, m_display, m_type, adapted, indexes);
    {
        DbfStorage tmp(scratch, m_display, m_type, true);
        tmp.load();
        std::vector<RowChange> changes;
        changes.reserve(rows.size());
        for (RowValues &r : rows)
            changes.push_back({RowChange::Insert, 0, std::move(r)});
        bool done = false;
        try {
            tmp.apply(changes);
            done = true;
        } catch (...) {
        }
        if (!done) {
            tmp.close();
            QFile::remove(scratch);
            QFile::remove(scratchMemo);
            throw EngineError(QObject::tr("The table %1 cannot be restructured: its rows do not fit the new "
                                          "definition.")
                                  .arg(m_display));
        }
    }
    unmap();
    const QString oldMemo = m_memoPath;
    if (!oldMemo.isEmpty())
        QFile::remove(oldMemo);
    QFile::remove(m_path);
    if (!QFile::rename(scratch, m_path))
        throw EngineError(QObject::tr("The table %1 cannot be replaced by its restructured copy.").arg(m_display));
    if (QFileInfo::exists(scratchMemo))
        QFile::rename(scratchMemo, memoPathFor(m_path, m_type == TableType::FoxPro ? dbase::MemoKind::Fpt
                                                                                   : dbase::MemoKind::Dbt3));
    m_indexes.clear();
    m_keyFields.clear();
    load();
}

} // namespace vellora::engine
