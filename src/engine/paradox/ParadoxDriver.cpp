#include "engine/paradox/ParadoxDriver.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/paradox/ParadoxReader.h"
#include "engine/text/Cp1252.h"
#include "engine/util/FileLookup.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vellora::engine {

namespace {

constexpr qint64 kJulianDayOffset = 1721425;   // Paradox day 1 is 1 January of year 1
constexpr int kBlobPointer = 10;
constexpr int kMbBlock = 4096;
constexpr int kHeaderSize = 0x800;

struct PxField {
    quint8 code = 0x01;
    int size = 0;    // as declared (decimals for BCD)
    int bytes = 0;   // in the record
    FieldDef def;
};

void putLe16(char *p, quint32 v) { p[0] = char(v & 0xFF); p[1] = char((v >> 8) & 0xFF); }
void putLe32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
void putBe16x(char *p, int v)   // Paradox short: big-endian, sign bit flipped
{
    const quint16 u = quint16(qint16(v)) ^ 0x8000;
    p[0] = char(u >> 8);
    p[1] = char(u & 0xFF);
}
void putBe32x(char *p, qint64 v)
{
    const quint32 u = quint32(qint32(v)) ^ 0x80000000u;
    p[0] = char(u >> 24); p[1] = char((u >> 16) & 0xFF); p[2] = char((u >> 8) & 0xFF); p[3] = char(u & 0xFF);
}
void putDouble(char *p, double d)
{
    quint64 bits;
    std::memcpy(&bits, &d, 8);
    for (int i = 0; i < 8; ++i)
        p[i] = char((bits >> (8 * (7 - i))) & 0xFF);
    if (p[0] & 0x80) {
        for (int i = 0; i < 8; ++i)
            p[i] = char(~quint8(p[i]));
    } else {
        p[0] = char(quint8(p[0]) | 0x80);
    }
}

PxField nativeFor(const FieldDef &d)
{
    PxField f;
    f.def = d;
    auto set = [&](quint8 code, int size, int bytes) {
        f.code = code;
        f.size = size;
        f.bytes = bytes;
    };
    switch (d.type) {
    case FieldType::Memo: set(0x0C, 20, 20); break;
    case FieldType::FmtMemo: set(0x0E, 20, 20); break;
    case FieldType::Blob: case FieldType::VarBytes: case FieldType::TypedBinary: set(0x0D, 20, 20); break;
    case FieldType::Graphic: set(0x10, 20, 20); break;
    case FieldType::ParadoxOle: case FieldType::DBaseOle: set(0x0F, 20, 20); break;
    case FieldType::Bytes:
        if (d.size >= 1 && d.size <= 255)
            set(0x18, d.size, d.size);
        else
            set(0x0D, 20, 20);
        break;
    case FieldType::Smallint: set(0x03, 2, 2); break;
    case FieldType::Integer: case FieldType::Word: set(0x04, 4, 4); break;
    case FieldType::AutoInc: set(0x16, 4, 4); break;
    case FieldType::LargeInt: set(0x17, 0, 17); break;
    case FieldType::Float: set(0x06, 8, 8); break;
    case FieldType::Money: set(0x05, 8, 8); break;
    case FieldType::BCD: set(0x17, std::clamp(d.size, 0, 32), 17); break;
    case FieldType::Boolean: set(0x09, 1, 1); break;
    case FieldType::Date: set(0x02, 4, 4); break;
    case FieldType::Time: set(0x14, 4, 4); break;
    case FieldType::DateTime: set(0x15, 8, 8); break;
    default:
        if (isTextType(d.type)) {
            if (d.size >= 1 && d.size <= 255)
                set(0x01, d.size, d.size);
            else
                set(0x0C, 20, 20);
            break;
        }
        throw EngineError(QObject::tr("The field %1 has the type %2, which a Paradox table cannot hold.")
                              .arg(d.name, fieldTypeName(d.type)));
    }
    return f;
}

PxField fromReader(const paradox::FieldInfo &i)
{
    PxField f;
    f.def.name = i.name;
    f.size = i.size;
    switch (i.type) {
    case paradox::FieldType::Alpha: f.code = 0x01; f.def = {i.name, FieldType::String, i.size}; f.bytes = i.size; break;
    case paradox::FieldType::Date: f.code = 0x02; f.def.type = FieldType::Date; f.bytes = 4; break;
    case paradox::FieldType::Short: f.code = 0x03; f.def.type = FieldType::Smallint; f.bytes = 2; break;
    case paradox::FieldType::Long: f.code = 0x04; f.def.type = FieldType::Integer; f.bytes = 4; break;
    case paradox::FieldType::Currency: f.code = 0x05; f.def.type = FieldType::Money; f.bytes = 8; break;
    case paradox::FieldType::Number: f.code = 0x06; f.def.type = FieldType::Float; f.bytes = 8; break;
    case paradox::FieldType::Logical: f.code = 0x09; f.def.type = FieldType::Boolean; f.bytes = 1; break;
    case paradox::FieldType::Memo: f.code = 0x0C; f.def.type = FieldType::Memo; f.bytes = i.size; break;
    case paradox::FieldType::Blob: f.code = 0x0D; f.def.type = FieldType::Blob; f.bytes = i.size; break;
    case paradox::FieldType::FormattedMemo: f.code = 0x0E; f.def.type = FieldType::FmtMemo; f.bytes = i.size; break;
    case paradox::FieldType::OLE: f.code = 0x0F; f.def.type = FieldType::ParadoxOle; f.bytes = i.size; break;
    case paradox::FieldType::Graphic: f.code = 0x10; f.def.type = FieldType::Graphic; f.bytes = i.size; break;
    case paradox::FieldType::Time: f.code = 0x14; f.def.type = FieldType::Time; f.bytes = 4; break;
    case paradox::FieldType::Timestamp: f.code = 0x15; f.def.type = FieldType::DateTime; f.bytes = 8; break;
    case paradox::FieldType::AutoInc: f.code = 0x16; f.def.type = FieldType::AutoInc; f.bytes = 4; break;
    case paradox::FieldType::BCD: f.code = 0x17; f.def = {i.name, FieldType::BCD, i.size}; f.bytes = 17; break;
    case paradox::FieldType::Bytes: f.code = 0x18; f.def = {i.name, FieldType::Bytes, i.size}; f.bytes = i.size; break;
    }
    return f;
}

bool isBlobCode(quint8 c) { return c == 0x0C || c == 0x0D || c == 0x0E || c == 0x0F || c == 0x10; }

void encodeBcd(char *p, const QString &text, int decimals, bool *ok)
{
    std::memset(p, 0, 17);
    QString t = text.trimmed();
    bool negative = t.startsWith(QLatin1Char('-'));
    if (negative || t.startsWith(QLatin1Char('+')))
        t.remove(0, 1);
    const int dot = t.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? t : t.left(dot);
    QString frac = dot < 0 ? QString() : t.mid(dot + 1);
    frac = frac.left(decimals).leftJustified(decimals, QLatin1Char('0'));
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    const QString digits = whole + frac;
    for (QChar c : digits)
        if (!c.isDigit()) {
            *ok = false;
            return;
        }
    if (whole.size() > 32 - decimals) {
        *ok = false;
        return;
    }
    const QString all = QString(32 - decimals - whole.size(), QLatin1Char('0')) + digits;
    const bool zero = !all.contains(QRegularExpression(QStringLiteral("[1-9]")));
    const bool minus = negative && !zero;
    // First byte: sign (set when positive), a bit always set, the decimals;
    // a negative value has its digits inverted.
    p[0] = char((minus ? 0x40 : 0xC0) | decimals);
    for (int i = 0; i < 32; ++i) {
        int nib = all[i].digitValue();
        if (minus)
            nib ^= 0x0F;
        if (i % 2 == 0)
            p[1 + i / 2] = char(nib << 4);
        else
            p[1 + i / 2] = char(quint8(p[1 + i / 2]) | nib);
    }
    *ok = true;
}

// The bytes of a table, its index and its memo file, written from rows.
struct PxFiles {
    QByteArray db, px, mb;
};

QByteArray tableHeader(const QList<PxField> &fields, int keyCount, int recordSize, int blockFactor, qint64 records,
                       int blocks, qint64 autoIncLast, const QString &tableName, int headerSize)
{
    QByteArray h(headerSize, '\0');
    char *p = h.data();
    putLe16(p + 0x00, quint32(recordSize));
    putLe16(p + 0x02, quint32(headerSize));
    p[0x04] = char(keyCount > 0 ? 0 : 2);
    p[0x05] = char(blockFactor);
    putLe32(p + 0x06, quint32(records));
    putLe16(p + 0x0A, quint32(blocks));
    putLe16(p + 0x0C, quint32(blocks));
    putLe16(p + 0x0E, blocks > 0 ? 1 : 0);
    putLe16(p + 0x10, quint32(blocks));
    putLe16(p + 0x12, 0x0C);
    putLe16(p + 0x21, quint32(fields.size()));
    putLe16(p + 0x23, quint32(keyCount));
    putLe32(p + 0x25, 0xFF00FF00u);   // the first encryption word says "see the second one"
    p[0x29] = 0x62;                   // sort order: international, code page 1252
    p[0x39] = 0x0C;                   // Paradox 7
    putLe16(p + 0x3A, quint32(blocks));
    putLe32(p + 0x49, quint32(autoIncLast));
    putLe16(p + 0x58, 0x010C);
    putLe16(p + 0x5A, 0x010C);
    putLe16(p + 0x64, quint32(fields.size() + 1));
    putLe16(p + 0x68, quint32(fields.size()));
    putLe16(p + 0x6A, 1252);
    qint64 pos = 0x78;
    for (const PxField &f : fields) {
        p[pos++] = char(f.code);
        p[pos++] = char(f.size);
    }
    pos += 4 + 4 * fields.size();   // pointers the old engine kept in memory
    QByteArray name = ToCp1252(tableName).left(260);
    std::memcpy(p + pos, name.constData(), size_t(name.size()));
    pos += 261;
    for (const PxField &f : fields) {
        const QByteArray n = ToCp1252(f.def.name).left(25);
        std::memcpy(p + pos, n.constData(), size_t(n.size()));
        pos += n.size() + 1;
    }
    for (int i = 0; i < fields.size(); ++i, pos += 2)
        putLe16(p + pos, quint32(i + 1));
    std::memcpy(p + pos, "ANSIINTL", 8);
    return h;
}

int headerSizeFor(const QList<PxField> &fields)
{
    int need = 0x78 + 2 * int(fields.size()) + 4 + 4 * int(fields.size()) + 261 + 2 * int(fields.size()) + 16;
    for (const PxField &f : fields)
        need += std::min(25, int(ToCp1252(f.def.name).size())) + 1;
    return (need + kHeaderSize - 1) / kHeaderSize * kHeaderSize;
}

class Writer {
public:
    Writer(const QList<PxField> &fields, int keyCount, QString display)
        : m_fields(fields), m_keyCount(keyCount), m_display(std::move(display))
    {
        for (const PxField &f : fields)
            m_recordSize += f.bytes;
        m_factor = 4;
        while (m_recordSize + 6 > m_factor * 1024 && m_factor < 32)
            m_factor *= 2;
        if (m_recordSize + 6 > m_factor * 1024)
            throw EngineError(QObject::tr("The fields of the Paradox table %1 are too wide for one record.").arg(m_display));
        m_mb = QByteArray(kMbBlock, '\0');
        // Memo file header block.
        static const unsigned char mbHead[] = {0x00, 0x01, 0x00, 0x01, 0x00, 0x82, 0x73, 0x02, 0x00, 0x29, 0x00,
                                               0x00, 0x10, 0x00, 0x10, 0x00, 0x10, 0x40, 0x00, 0x00, 0x08};
        std::memcpy(m_mb.data(), mbHead, sizeof mbHead);
    }

    int recordSize() const { return m_recordSize; }

    QByteArray record(const RowValues &values, qint64 rowNumber)
    {
        QByteArray rec(m_recordSize, '\0');
        char *p = rec.data();
        for (int i = 0; i < m_fields.size(); ++i) {
            encode(p, m_fields[i], values.value(i), rowNumber);
            p += m_fields[i].bytes;
        }
        return rec;
    }

    PxFiles files(const std::vector<QByteArray> &records, qint64 autoIncLast, const QString &tableName, bool hasBlobs)
    {
        PxFiles out;
        const int blockSize = m_factor * 1024;
        const int perBlock = (blockSize - 6) / m_recordSize;
        const int blocks = int((qint64(records.size()) + perBlock - 1) / perBlock);
        if (blocks > 65535)
            throw EngineError(QObject::tr("The Paradox table %1 cannot hold that many rows.").arg(m_display));
        const int headerSize = headerSizeFor(m_fields);
        out.db = tableHeader(m_fields, m_keyCount, m_recordSize, m_factor, qint64(records.size()), blocks, autoIncLast,
                             tableName, headerSize);
        out.db.reserve(headerSize + qint64(blocks) * blockSize);
        struct Entry {
            QByteArray key;
            int block;
            qint64 count;
        };
        std::vector<Entry> entries;
        for (int b = 0; b < blocks; ++b) {
            QByteArray block(blockSize, '\0');
            const int first = b * perBlock;
            const int n = std::min<int>(perBlock, int(records.size()) - first);
            putLe16(block.data(), b + 1 < blocks ? quint32(b + 2) : 0);
            putLe16(block.data() + 2, quint32(b));
            putLe16(block.data() + 4, quint32((n - 1) * m_recordSize));
            for (int r = 0; r < n; ++r)
                std::memcpy(block.data() + 6 + r * m_recordSize, records[size_t(first + r)].constData(),
                            size_t(m_recordSize));
            out.db += block;
            if (m_keyCount > 0) {
                int keyBytes = 0;
                for (int k = 0; k < m_keyCount; ++k)
                    keyBytes += m_fields[k].bytes;
                entries.push_back({records[size_t(first)].left(keyBytes), b + 1, n});
            }
        }
        if (m_keyCount > 0)
            out.px = index(entries, tableName);
        if (hasBlobs)
            out.mb = m_mb;
        return out;
    }

private:
    template <typename E>
    QByteArray index(const std::vector<E> &leafEntries, const QString &tableName)
    {
        int keyBytes = 0;
        QList<PxField> keys;
        for (int k = 0; k < m_keyCount; ++k) {
            keyBytes += m_fields[k].bytes;
            keys.append(m_fields[k]);
        }
        const int entrySize = keyBytes + 6;
        const int blockSize = 2048 * ((entrySize + 6 > 2048) ? 2 : 1);
        const int factor = blockSize / 1024;
        const int perBlock = (blockSize - 6) / entrySize;
        struct Level {
            QByteArray key;
            int block;
            qint64 count;
        };
        std::vector<Level> level;
        for (const auto &e : leafEntries)
            level.push_back({e.key, e.block, e.count});
        QByteArray body;
        int blockNo = 0;
        int levels = 0;
        qint64 totalEntries = 0;
        int firstBlockOfLevel = 1;
        do {
            ++levels;
            std::vector<Level> next;
            const int n = std::max<int>(1, int((level.size() + perBlock - 1) / perBlock));
            firstBlockOfLevel = blockNo + 1;
            for (int b = 0; b < n; ++b) {
                QByteArray block(blockSize, '\0');
                const int first = b * perBlock;
                const int count = std::min<int>(perBlock, int(level.size()) - first);
                putLe16(block.data(), b + 1 < n ? quint32(blockNo + 2) : 0);
                putLe16(block.data() + 2, b > 0 ? quint32(blockNo) : 0);
                putLe16(block.data() + 4, quint32(std::max(0, (count - 1) * entrySize)));
                qint64 under = 0;
                for (int i = 0; i < count; ++i) {
                    const Level &e = level[size_t(first + i)];
                    char *p = block.data() + 6 + i * entrySize;
                    std::memcpy(p, e.key.constData(), size_t(keyBytes));
                    putBe16x(p + keyBytes, e.block);
                    putBe16x(p + keyBytes + 2, int(std::min<qint64>(e.count, 32767)));
                    putBe16x(p + keyBytes + 4, 0);
                    under += e.count;
                }
                totalEntries += count;
                ++blockNo;
                body += block;
                if (count > 0)
                    next.push_back({level[size_t(first)].key, blockNo, under});
            }
            if (n == 1)
                break;
            level = std::move(next);
        } while (true);
        QByteArray h(kHeaderSize, '\0');
        char *p = h.data();
        putLe16(p + 0x00, quint32(entrySize));
        putLe16(p + 0x02, kHeaderSize);
        p[0x04] = 1;   // primary index
        p[0x05] = char(factor);
        putLe32(p + 0x06, quint32(totalEntries));
        putLe16(p + 0x0A, quint32(blockNo));
        putLe16(p + 0x0C, quint32(blockNo));
        putLe16(p + 0x0E, 1);
        putLe16(p + 0x10, quint32(blockNo));
        putLe16(p + 0x12, 0x11);
        putLe16(p + 0x1E, quint32(firstBlockOfLevel));   // the root block
        p[0x20] = char(levels);
        putLe16(p + 0x21, quint32(m_keyCount));
        p[0x29] = 0x62;
        p[0x39] = 0x0C;
        putLe16(p + 0x3A, quint32(blockNo));
        int pos = 0x58;
        for (const PxField &f : keys) {
            p[pos++] = char(f.code);
            p[pos++] = char(f.size);
        }
        pos += 4;
        const QByteArray name = ToCp1252(tableName + QStringLiteral(".PX")).left(260);
        std::memcpy(p + pos, name.constData(), size_t(name.size()));
        return h + body;
    }

    void encode(char *p, const PxField &f, const QVariant &v, qint64 rowNumber)
    {
        if (!v.isValid() || v.isNull())
            return;   // all zero bytes: null
        auto bad = [&]() {
            return EngineError(QObject::tr("Row %1 of %2: the value %3 does not fit the field %4.")
                                   .arg(rowNumber)
                                   .arg(m_display, v.toString().left(40), f.def.name));
        };
        switch (f.code) {
        case 0x01: {
            QByteArray b = ToCp1252(v.toString());
            b.truncate(f.bytes);
            std::memcpy(p, b.constData(), size_t(b.size()));
            return;
        }
        case 0x18: {
            const QByteArray b = v.toByteArray().left(f.bytes);
            std::memcpy(p, b.constData(), size_t(b.size()));
            return;
        }
        case 0x03: {
            const qint64 x = v.toLongLong();
            if (x < -32767 || x > 32767)
                throw bad();
            putBe16x(p, int(x));
            return;
        }
        case 0x04: case 0x16: {
            const qint64 x = v.toLongLong();
            if (x < -2147483647LL || x > 2147483647LL)
                throw bad();
            putBe32x(p, x);
            return;
        }
        case 0x05: case 0x06: {
            const double d = v.toDouble();
            if (!std::isfinite(d))
                throw bad();
            putDouble(p, d);
            return;
        }
        case 0x09:
            p[0] = char(0x80 | (v.toBool() ? 1 : 0));
            return;
        case 0x02: {
            const QDate d = v.metaType().id() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
            if (!d.isValid() || d.year() < 1)
                throw bad();
            putBe32x(p, d.toJulianDay() - kJulianDayOffset);
            return;
        }
        case 0x14:
            putBe32x(p, v.toTime().msecsSinceStartOfDay());
            return;
        case 0x15: {
            const QDateTime t = v.toDateTime();
            if (!t.isValid() || t.date().year() < 1)
                throw bad();
            const double ms = double(t.date().toJulianDay() - kJulianDayOffset) * 86400000.0
                + double(t.time().msecsSinceStartOfDay());
            putDouble(p, ms);
            return;
        }
        case 0x17: {
            bool ok = false;
            const QString text = v.metaType().id() == QMetaType::QString
                ? v.toString()
                : (v.metaType().id() == QMetaType::LongLong ? QString::number(v.toLongLong())
                                                            : QString::number(v.toDouble(), 'f', f.size));
            encodeBcd(p, text, f.size, &ok);
            if (!ok)
                throw bad();
            return;
        }
        default:
            if (isBlobCode(f.code)) {
                const QByteArray data = f.code == 0x0C ? ToCp1252(v.toString()) : v.toByteArray();
                if (data.isEmpty())
                    return;
                const int leader = f.bytes - kBlobPointer;
                std::memcpy(p, data.constData(), size_t(std::min<qsizetype>(leader, data.size())));
                char *ptr = p + leader;
                if (data.size() <= leader) {
                    putLe32(ptr, 0);
                } else {
                    const qint64 blocks = (9 + data.size() + kMbBlock - 1) / kMbBlock;
                    const qint64 start = m_mb.size();
                    if (start + blocks * kMbBlock > 0x7FFFFF00LL)
                        throw EngineError(QObject::tr("The memo file of %1 would grow too large.").arg(m_display));
                    QByteArray b(blocks * kMbBlock, '\0');
                    b[0] = 2;
                    putLe16(b.data() + 1, quint32(blocks));
                    putLe32(b.data() + 3, quint32(data.size()));
                    putLe16(b.data() + 7, 1);
                    std::memcpy(b.data() + 9, data.constData(), size_t(data.size()));
                    m_mb += b;
                    putLe32(ptr, quint32(start) | 0xFF);
                }
                putLe32(ptr + 4, quint32(data.size()));
                putLe16(ptr + 8, data.size() <= leader ? 0 : 1);
            }
            return;
        }
    }

    QList<PxField> m_fields;
    int m_keyCount;
    QString m_display;
    int m_recordSize = 0;
    int m_factor = 4;
    QByteArray m_mb;
};

QString companion(const QString &dbPath, const QString &ext)
{
    const QFileInfo fi(dbPath);
    return ResolveCaseInsensitive(fi.absolutePath(), fi.completeBaseName() + ext);
}

void saveFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw EngineError(QObject::tr("The file %1 cannot be written: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
}

class ParadoxStorage : public TableStorage {
public:
    ParadoxStorage(QString path, QString display) : m_path(std::move(path)), m_display(std::move(display)) {}

    void load()
    {
        if (!QFileInfo::exists(m_path))
            throw EngineError(QObject::tr("The table %1 does not exist.").arg(m_display));
        paradox::ParadoxReader reader;
        try {
            reader.open(m_path);
            const paradox::TableInfo &info = reader.info();
            m_fields.clear();
            for (const paradox::FieldInfo &fi : info.fields)
                m_fields.append(fromReader(fi));
            m_keyCount = info.keyed ? info.keyFieldCount : 0;
            m_tableName = info.tableName.isEmpty() ? QFileInfo(m_path).completeBaseName() : info.tableName;
            QVariantList row;
            qint64 highest = 0;
            while (reader.next(row)) {
                for (int i = 0; i < row.size(); ++i) {
                    QVariant &v = row[i];
                    if (v.metaType().id() == QMetaType::Int)
                        v = qint64(v.toInt());
                    else if (v.metaType().id() == QMetaType::QDateTime) {
                        const QDateTime t = v.toDateTime();
                        v = QDateTime(t.date(), t.time());
                    }
                    if (m_fields[i].def.type == FieldType::AutoInc)
                        highest = std::max(highest, v.toLongLong());
                }
                m_rows.push_back(row);
            }
            m_autoLast = std::max(info.nextAutoInc - 1, highest);
        } catch (const paradox::ParadoxError &e) {
            throw EngineError(e.message());
        }
        m_alive.assign(m_rows.size(), 1);
        buildKeys();
    }

    // A single integer key: row ids are its values. Other keys are found
    // through a hash of their text.
    void buildKeys()
    {
        m_idKey = -1;
        m_byKey.clear();
        m_byText.clear();
        if (m_keyCount == 0)
            return;
        const bool integer = m_keyCount == 1 && isIntegerType(m_fields[0].def.type);
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (!m_alive[i])
                continue;
            if (integer)
                m_byKey.insert(m_rows[i].value(0).toLongLong(), i);
            m_byText.insert(keyText(m_rows[i]), i);
        }
        if (integer && m_byKey.size() == m_byText.size())
            m_idKey = 0;
    }
    QString keyText(const RowValues &r) const
    {
        QString t;
        for (int k = 0; k < m_keyCount; ++k)
            t += formatValue(r.value(k), m_fields[k].def) + QChar(0x1F);
        return t;
    }
    qint64 idOf(size_t index) const { return m_idKey >= 0 ? m_rows[index].value(0).toLongLong() : qint64(index) + 1; }
    qint64 indexOf(qint64 id) const
    {
        if (m_idKey < 0)
            return id - 1;
        auto it = m_byKey.constFind(id);
        return it == m_byKey.constEnd() ? -1 : qint64(*it);
    }
    int idKeyField() const override { return m_idKey; }

    QString kindName() const override { return QStringLiteral("PARADOX"); }
    QList<FieldDef> fieldDefs() const override
    {
        QList<FieldDef> out;
        for (const PxField &f : m_fields)
            out.append(f.def);
        return out;
    }
    QList<IndexDef> indexDefs() const override
    {
        if (m_keyCount == 0)
            return {};
        IndexDef ix;
        ix.primary = ix.unique = true;
        for (int k = 0; k < m_keyCount; ++k)
            ix.fields.append(m_fields[k].def.name);
        return {ix};
    }
    std::vector<qint64> rowIds() override
    {
        std::vector<qint64> ids;
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (m_alive[i])
                ids.push_back(idOf(i));
        if (m_idKey >= 0)
            std::sort(ids.begin(), ids.end());
        else if (m_keyCount > 0)
            std::stable_sort(ids.begin(), ids.end(), [&](qint64 a, qint64 b) {
                return compareKey(m_rows[size_t(a - 1)], m_rows[size_t(b - 1)]) < 0;
            });
        return ids;
    }
    void readRows(const qint64 *ids, int count, std::vector<RowValues> &out) override
    {
        out.resize(size_t(count));
        for (int i = 0; i < count; ++i) {
            const qint64 k = indexOf(ids[i]);
            out[size_t(i)] = k >= 0 && k < qint64(m_rows.size()) && m_alive[size_t(k)] ? m_rows[size_t(k)] : RowValues();
        }
    }
    std::optional<qint64> findKey(const RowValues &keyValues) override
    {
        if (m_keyCount == 0)
            return std::nullopt;
        auto it = m_byText.constFind(keyText(keyValues));
        if (it == m_byText.constEnd())
            return std::nullopt;
        return idOf(*it);
    }
    qint64 reserveAutoInc(int, qint64 count) override
    {
        const qint64 first = m_autoLast + 1;
        m_autoLast += count;
        patchAutoInc();
        return first;
    }
    void releaseAutoInc(int, qint64 firstUnused, qint64 end) override
    {
        if (m_autoLast + 1 == end) {
            m_autoLast = firstUnused - 1;
            patchAutoInc();
        }
    }
    qint64 autoIncHighWater(int) override { return m_autoLast; }

    std::vector<qint64> apply(const std::vector<RowChange> &changes) override
    {
        std::vector<qint64> ids;
        if (changes.empty())
            return ids;
        std::vector<RowValues> rows = m_rows;
        std::vector<char> alive = m_alive;
        QHash<qint64, size_t> byKey = m_byKey;
        for (const RowChange &c : changes) {
            qint64 k = c.id - 1;
            if (m_idKey >= 0) {
                auto it = byKey.constFind(c.id);
                k = it == byKey.constEnd() ? -1 : qint64(*it);
            }
            if (c.kind == RowChange::Insert) {
                rows.push_back(c.values);
                alive.push_back(1);
                ids.push_back(m_idKey >= 0 ? c.id : qint64(rows.size()));
                if (m_idKey >= 0)
                    byKey.insert(c.id, rows.size() - 1);
                continue;
            }
            if (m_idKey >= 0 && c.kind == RowChange::Delete)
                byKey.remove(c.id);
            if (k < 0 || k >= qint64(rows.size()) || !alive[size_t(k)])
                throw EngineError(QObject::tr("The table %1 has no row %2.").arg(m_display).arg(c.id));
            if (c.kind == RowChange::Delete)
                alive[size_t(k)] = 0;
            else
                rows[size_t(k)] = c.values;
        }
        write(rows, alive);
        m_rows = std::move(rows);
        m_alive = std::move(alive);
        const int idKey = m_idKey;
        buildKeys();
        m_idKey = idKey;   // ids handed out stay what they are
        return ids;
    }
    void emptyTable() override
    {
        write({}, {});
        m_rows.clear();
        m_alive.clear();
        const int idKey = m_idKey;
        buildKeys();
        m_idKey = idKey;
    }
    void changeField(int index, const FieldDef &def) override
    {
        if (index < 0 || index >= m_fields.size())
            throw EngineError(QObject::tr("The table %1 has no field number %2.").arg(m_display).arg(index + 1));
        QList<PxField> fields = m_fields;
        fields[index] = nativeFor(def);
        std::vector<RowValues> rows = m_rows;
        for (RowValues &r : rows) {
            bool ok = true;
            r[index] = convertValue(r[index], fields[index].def, &ok);
            if (!ok)
                r[index] = QVariant();
        }
        const QList<PxField> old = m_fields;
        m_fields = fields;
        try {
            write(rows, m_alive);
        } catch (...) {
            m_fields = old;
            throw;
        }
        m_rows = std::move(rows);
        buildKeys();
    }

    void write(const std::vector<RowValues> &rows, const std::vector<char> &alive)
    {
        Writer w(m_fields, m_keyCount, m_display);
        std::vector<size_t> order;
        for (size_t i = 0; i < rows.size(); ++i)
            if (alive[i])
                order.push_back(i);
        if (m_keyCount > 0)
            std::stable_sort(order.begin(), order.end(),
                             [&](size_t a, size_t b) { return compareKey(rows[a], rows[b]) < 0; });
        std::vector<QByteArray> records;
        records.reserve(order.size());
        qint64 n = 0;
        for (size_t i : order)
            records.push_back(w.record(rows[i], ++n));
        bool blobs = false;
        for (const PxField &f : m_fields)
            blobs = blobs || isBlobCode(f.code);
        const PxFiles files = w.files(records, m_autoLast, m_tableName, blobs);
        if (blobs)
            saveFile(companion(m_path, QStringLiteral(".MB")), files.mb);
        if (m_keyCount > 0)
            saveFile(companion(m_path, QStringLiteral(".PX")), files.px);
        saveFile(m_path, files.db);
    }

    QList<PxField> m_fields;
    int m_keyCount = 0;
    QString m_tableName;

private:
    int compareKey(const RowValues &a, const RowValues &b) const
    {
        for (int k = 0; k < m_keyCount; ++k) {
            const int c = compareValues(a.value(k), b.value(k));
            if (c)
                return c;
        }
        return 0;
    }
    void patchAutoInc()
    {
        QFile f(m_path);
        char b[4];
        putLe32(b, quint32(m_autoLast));
        if (!f.open(QIODevice::ReadWrite) || !f.seek(0x49) || f.write(b, 4) != 4)
            throw EngineError(QObject::tr("The table %1 cannot be written: %2").arg(m_display, f.errorString()));
    }

    QString m_path, m_display;
    std::vector<RowValues> m_rows;
    std::vector<char> m_alive;
    qint64 m_autoLast = 0;
    int m_idKey = -1;
    QHash<qint64, size_t> m_byKey;
    QHash<QString, size_t> m_byText;
};

} // namespace

std::unique_ptr<TableStorage> ParadoxDriver::open(const TableLocation &where, bool exclusive)
{
    (void)exclusive;
    auto s = std::make_unique<ParadoxStorage>(where.filePath, QDir::toNativeSeparators(where.filePath));
    s->load();
    return s;
}

void ParadoxDriver::adaptDefinitions(QList<FieldDef> &fields, QList<IndexDef> &indexes) const
{
    QStringList names;
    for (const FieldDef &f : fields)
        names.append(f.name);
    for (int i = 0; i < fields.size(); ++i) {
        QString n = fields[i].name.left(25);
        for (int k = 1; ; ++k) {
            bool taken = false;
            for (int j = 0; j < i; ++j)
                taken = taken || fields[j].name.compare(n, Qt::CaseInsensitive) == 0;
            if (!taken)
                break;
            n = fields[i].name.left(25 - int(QString::number(k).size())) + QString::number(k);
        }
        for (IndexDef &ix : indexes)
            for (QString &f : ix.fields)
                if (f.compare(fields[i].name, Qt::CaseInsensitive) == 0)
                    f = n;
        fields[i].name = n;
        const PxField p = nativeFor(fields[i]);
        if (p.code == 0x0C && fields[i].type != FieldType::Memo)
            fields[i] = FieldDef{n, FieldType::Memo, 0};
        else if (fields[i].type == FieldType::Word)
            fields[i].type = FieldType::Integer;
        else if (fields[i].type == FieldType::LargeInt)
            fields[i] = FieldDef{n, FieldType::BCD, 0};
    }
}

void ParadoxDriver::create(const TableLocation &where, const QList<FieldDef> &defs, const QList<IndexDef> &indexes)
{
    const QString display = QDir::toNativeSeparators(where.filePath);
    if (QFileInfo::exists(where.filePath))
        throw EngineError(QObject::tr("The table %1 exists already.").arg(display));
    if (defs.isEmpty())
        throw EngineError(QObject::tr("The table %1 needs at least one field.").arg(display));
    if (defs.size() > 255)
        throw EngineError(QObject::tr("The table %1 cannot have more than 255 fields.").arg(display));
    QList<FieldDef> fields = defs;
    QList<IndexDef> ix = indexes;
    adaptDefinitions(fields, ix);
    ParadoxStorage s(where.filePath, display);
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.trimmed().isEmpty())
            throw EngineError(QObject::tr("A field of the table %1 has no name.").arg(display));
        for (int j = 0; j < i; ++j)
            if (fields[i].name.compare(fields[j].name, Qt::CaseInsensitive) == 0)
                throw EngineError(QObject::tr("The table %1 would have the field %2 twice.").arg(display, fields[i].name));
        s.m_fields.append(nativeFor(fields[i]));
    }
    for (const IndexDef &i : ix) {
        if (!i.primary)
            continue;   // secondary indexes are not kept
        for (int k = 0; k < i.fields.size(); ++k)
            if (k >= fields.size() || fields[k].name.compare(i.fields[k], Qt::CaseInsensitive) != 0)
                throw EngineError(QObject::tr("The key of the Paradox table %1 must be made of its first fields, in "
                                              "order.")
                                      .arg(display));
        s.m_keyCount = int(i.fields.size());
    }
    s.m_tableName = QFileInfo(where.filePath).completeBaseName();
    s.write({}, {});
}

} // namespace vellora::engine
