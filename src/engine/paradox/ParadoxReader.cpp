#include "ParadoxReader.h"

#include "CodePages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <cmath>
#include <cstring>
#include <vector>

namespace vellora::paradox {


namespace {

// Header offsets of the table file.
constexpr int kRecordSize = 0x00;
constexpr int kHeaderSize = 0x02;
constexpr int kFileType = 0x04;
constexpr int kMaxTableSize = 0x05;
constexpr int kNumRecords = 0x06;
constexpr int kFirstBlock = 0x0E;
constexpr int kNumFields = 0x21;
constexpr int kKeyFields = 0x23;
constexpr int kEncryption1 = 0x25;
constexpr int kFileVersion = 0x39;
constexpr int kAutoInc = 0x49;
constexpr int kEncryption2 = 0x5C;
constexpr int kCodePage = 0x6A;
constexpr int kFieldsV3 = 0x58; // field descriptors of versions 3.0 and 3.5
constexpr int kFieldsV4 = 0x78; // after the extended header of 4.0 and later

constexpr int kFileTypeKeyed = 0;
constexpr int kFileTypeUnkeyed = 2;

constexpr int kBlockHeader = 6;
constexpr int kBcdBytes = 17;
constexpr int kBlobPointer = 10;
constexpr qint64 kMbBlock = 4096;
constexpr qint64 kMsPerDay = 86400000;
// Paradox counts days from 1 January of year 1 (day 1); this is the Julian
// day of the day before.
constexpr qint64 kJulianDayOffset = 1721425;

quint16 le16(const uchar *p) { return quint16(p[0] | (p[1] << 8)); }
quint32 le32(const uchar *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}
quint32 be32(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

bool allZero(const uchar *p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

// Version number (x10) from the header's version byte, 0 when unknown.
int versionFromId(int id)
{
    if (id == 3) return 30;
    if (id == 4) return 35;
    if (id >= 5 && id <= 9) return 40;
    if (id == 10 || id == 11) return 50;
    if (id == 12) return 70;
    return 0;
}

bool validBlockFactor(int f)
{
    return f == 1 || f == 2 || f == 3 || f == 4 || f == 8 || f == 16 || f == 32;
}

bool typeFromCode(int code, FieldType &type)
{
    switch (code) {
    case 0x01: type = FieldType::Alpha; return true;
    case 0x02: type = FieldType::Date; return true;
    case 0x03: type = FieldType::Short; return true;
    case 0x04: type = FieldType::Long; return true;
    case 0x05: type = FieldType::Currency; return true;
    case 0x06: type = FieldType::Number; return true;
    case 0x09: type = FieldType::Logical; return true;
    case 0x0C: type = FieldType::Memo; return true;
    case 0x0D: type = FieldType::Blob; return true;
    case 0x0E: type = FieldType::FormattedMemo; return true;
    case 0x0F: type = FieldType::OLE; return true;
    case 0x10: type = FieldType::Graphic; return true;
    case 0x14: type = FieldType::Time; return true;
    case 0x15: type = FieldType::Timestamp; return true;
    case 0x16: type = FieldType::AutoInc; return true;
    case 0x17: type = FieldType::BCD; return true;
    case 0x18: type = FieldType::Bytes; return true;
    default: return false;
    }
}

bool isBlobType(FieldType t)
{
    return t == FieldType::Memo || t == FieldType::Blob || t == FieldType::FormattedMemo
        || t == FieldType::OLE || t == FieldType::Graphic;
}

// Bytes a field takes in the record, or 0 when the declared size is not
// possible for the type.
int recordBytes(FieldType t, int size)
{
    switch (t) {
    case FieldType::Alpha:
    case FieldType::Bytes: return size >= 1 ? size : 0;
    case FieldType::Date:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoInc: return size == 4 ? 4 : 0;
    case FieldType::Short: return size == 2 ? 2 : 0;
    case FieldType::Currency:
    case FieldType::Number:
    case FieldType::Timestamp: return size == 8 ? 8 : 0;
    case FieldType::Logical: return size == 1 ? 1 : 0;
    case FieldType::BCD: return size <= 32 ? kBcdBytes : 0;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::OLE:
    case FieldType::Graphic: return size >= kBlobPointer ? size : 0;
    }
    return 0;
}

// Code page for a table that names none: its sort order may tell.
int codePageFromSortOrder(const QByteArray &sortOrder)
{
    if (sortOrder.toUpper().contains("ROM8"))
        return kRoman8CodePage;
    return 437;
}

// A byte range that is either a mapped file or an owned copy.
struct Bytes {
    QFile file;
    QByteArray owned;
    const uchar *data = nullptr;
    qint64 size = 0;

    void reset()
    {
        if (file.isOpen())
            file.close(); // unmaps as well
        owned.clear();
        data = nullptr;
        size = 0;
    }
    void adopt(const QByteArray &bytes)
    {
        reset();
        owned = bytes;
        data = reinterpret_cast<const uchar *>(owned.constData());
        size = owned.size();
    }
    // Maps (or reads) a file; returns an error text or an empty string.
    QString load(const QString &path)
    {
        reset();
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            return file.errorString();
        size = file.size();
        if (size > 0) {
            if (uchar *mapped = file.map(0, size)) {
                data = mapped;
            } else {
                owned = file.readAll();
                if (owned.size() != size) {
                    const QString error = file.errorString();
                    reset();
                    return error;
                }
                data = reinterpret_cast<const uchar *>(owned.constData());
            }
        }
        return QString();
    }
};

struct Field {
    FieldType type;
    int size;   // declared size (decimals for BCD)
    int bytes;  // bytes in the record
    int offset; // offset in the record
};

} // namespace

struct ParadoxReader::Impl {
    QString name;   // the file as named in messages
    QString mbName; // the memo file as named in messages
    Bytes db;
    Bytes mb;
    TableInfo info;
    bool open = false;
    std::vector<Field> fields;
    std::unique_ptr<TextDecoder> text;
    int recordSize = 0;
    qint64 headerSize = 0;
    qint64 blockSize = 0;
    qint64 maxBlocks = 0;

    // Position in the block chain.
    std::vector<bool> visited;
    quint32 nextBlock = 0;   // next block to enter, 0 = end of chain
    const uchar *block = nullptr;
    int recordsInBlock = 0;
    int recordIndex = 0;

    [[noreturn]] void damaged(const QString &detail) const
    {
        throw ParadoxError(QObject::tr("The Paradox table \"%1\" is damaged and cannot be read: %2.")
                               .arg(name, detail));
    }
    [[noreturn]] void damagedMemo(const QString &detail) const
    {
        throw ParadoxError(QObject::tr("The memo file \"%1\" of the Paradox table \"%2\" is damaged: %3.")
                               .arg(mbName, name, detail));
    }

    void parseHeader();
    void enterBlock(quint32 number);
    QVariant value(const Field &f, const uchar *p);
    QVariant blobValue(const Field &f, const uchar *p);
};

void ParadoxReader::Impl::parseHeader()
{
    const uchar *h = db.data;
    const qint64 size = db.size;
    if (size == 0 || !looksLikeParadox(QByteArray::fromRawData(reinterpret_cast<const char *>(h),
                                                               int(qMin<qint64>(size, 0x800)))))
        throw ParadoxError(QObject::tr("The file \"%1\" is not a Paradox table.").arg(name));
    if (h[kFileType] != kFileTypeKeyed && h[kFileType] != kFileTypeUnkeyed)
        throw ParadoxError(QObject::tr("The file \"%1\" is a Paradox index, not a table.").arg(name));

    const int versionId = h[kFileVersion];
    const int version = versionFromId(versionId);
    const bool extended = versionId >= 5;
    if (size < (extended ? kFieldsV4 : kFieldsV3))
        damaged(QObject::tr("the header is cut short"));

    const quint32 encryption = extended ? le32(h + kEncryption2) : le32(h + kEncryption1);
    if (encryption != 0)
        throw ParadoxError(QObject::tr("The Paradox table \"%1\" is protected by a password and its data is "
                                       "encrypted, so it cannot be read. Remove the password with the program "
                                       "that made the table, then try again.")
                               .arg(name));

    recordSize = le16(h + kRecordSize);
    headerSize = le16(h + kHeaderSize);
    blockSize = qint64(h[kMaxTableSize]) * 0x400;
    const int numFields = le16(h + kNumFields);
    if (headerSize > size)
        damaged(QObject::tr("the file ends inside its header"));
    if (recordSize > blockSize - kBlockHeader)
        damaged(QObject::tr("a record of %1 bytes does not fit a data block").arg(recordSize));

    info = TableInfo();
    info.fileVersion = version;
    info.recordCount = le32(h + kNumRecords);
    info.codePage = extended ? le16(h + kCodePage) : 0;
    info.keyed = h[kFileType] == kFileTypeKeyed;
    info.keyFieldCount = info.keyed ? le16(h + kKeyFields) : 0;
    info.nextAutoInc = qint64(le32(h + kAutoInc)) + 1;
    if (info.keyFieldCount > numFields)
        damaged(QObject::tr("the key has more fields than the table"));

    // Field descriptors, pointers, table name and field names, all inside the header.
    qint64 pos = extended ? kFieldsV4 : kFieldsV3;
    const qint64 end = headerSize;
    if (pos + 2 * qint64(numFields) > end)
        damaged(QObject::tr("the field list does not fit the header"));
    fields.clear();
    fields.reserve(numFields);
    int offset = 0;
    for (int i = 0; i < numFields; ++i) {
        Field f{};
        if (!typeFromCode(h[pos + 2 * i], f.type))
            damaged(QObject::tr("field %1 has the unknown type code %2").arg(i + 1).arg(h[pos + 2 * i]));
        f.size = h[pos + 2 * i + 1];
        f.bytes = recordBytes(f.type, f.size);
        if (f.bytes == 0)
            damaged(QObject::tr("field %1 has the impossible size %2").arg(i + 1).arg(f.size));
        f.offset = offset;
        offset += f.bytes;
        fields.push_back(f);
    }
    if (offset != recordSize)
        damaged(QObject::tr("the fields take %1 bytes but a record has %2").arg(offset).arg(recordSize));
    pos += 2 * qint64(numFields) + 4 + 4 * qint64(numFields);
    const qint64 tableNameLength = version >= 70 ? 261 : 79;
    if (pos + tableNameLength > end)
        damaged(QObject::tr("the field names do not fit the header"));
    const char *base = reinterpret_cast<const char *>(h);
    auto cString = [&](qint64 from, qint64 limit) -> qint64 {
        const void *nul = std::memchr(base + from, 0, size_t(limit - from));
        return nul ? static_cast<const char *>(nul) - base : -1;
    };
    QByteArray tableName(base + pos, int(tableNameLength));
    tableName.truncate(int(qstrnlen(tableName.constData(), size_t(tableName.size()))));
    pos += tableNameLength;
    std::vector<QByteArray> rawNames;
    for (int i = 0; i < numFields; ++i) {
        const qint64 nul = pos < end ? cString(pos, end) : -1;
        if (nul < 0)
            damaged(QObject::tr("the field names do not fit the header"));
        rawNames.emplace_back(base + pos, int(nul - pos));
        pos = nul + 1;
    }
    QByteArray sortOrder;
    if (extended && pos + 2 * qint64(numFields) < end) {
        const qint64 from = pos + 2 * qint64(numFields);
        const qint64 nul = cString(from, end);
        if (nul > from)
            sortOrder = QByteArray(base + from, int(nul - from));
    }

    int textPage = info.codePage;
    if (textPage == 0)
        textPage = codePageFromSortOrder(sortOrder);
    text = std::make_unique<TextDecoder>(textPage);
    info.textCodePage = text->codePage();
    info.tableName = text->decode(tableName.constData(), tableName.size());
    for (int i = 0; i < numFields; ++i) {
        FieldInfo fi;
        fi.name = text->decode(rawNames[i].constData(), rawNames[i].size());
        fi.type = fields[i].type;
        fi.size = fields[i].size;
        info.fields.append(fi);
    }

    // The chain of data blocks; no block lies beyond the end of the file.
    maxBlocks = (size - headerSize) / blockSize + ((size - headerSize) % blockSize ? 1 : 0);
    visited.assign(size_t(maxBlocks) + 1, false);
    nextBlock = le16(h + kFirstBlock);
    block = nullptr;
    recordsInBlock = 0;
    recordIndex = 0;
    if (info.recordCount == 0 && (nextBlock == 0 || maxBlocks == 0))
        nextBlock = 0;
}

void ParadoxReader::Impl::enterBlock(quint32 number)
{
    if (number > maxBlocks)
        damaged(QObject::tr("data block %1 lies beyond the end of the file (the file may be truncated)")
                    .arg(number));
    if (visited[number])
        damaged(QObject::tr("the chain of data blocks runs in a circle at block %1").arg(number));
    visited[number] = true;
    const qint64 start = headerSize + (qint64(number) - 1) * blockSize;
    if (start + kBlockHeader > db.size)
        damaged(QObject::tr("the file ends inside data block %1 (the file is truncated)").arg(number));
    block = db.data + start;
    nextBlock = le16(block);
    const qint16 lastOffset = qint16(le16(block + 4));
    int count = 0;
    if (lastOffset >= 0) {
        if (lastOffset % recordSize != 0)
            damaged(QObject::tr("data block %1 has a record count that does not fit its records").arg(number));
        count = lastOffset / recordSize + 1;
    }
    if (kBlockHeader + qint64(count) * recordSize > blockSize)
        damaged(QObject::tr("data block %1 claims more records than it can hold").arg(number));
    if (start + kBlockHeader + qint64(count) * recordSize > db.size)
        damaged(QObject::tr("the file ends inside data block %1 (the file is truncated)").arg(number));
    recordsInBlock = count;
    recordIndex = 0;
}

QVariant ParadoxReader::Impl::value(const Field &f, const uchar *p)
{
    switch (f.type) {
    case FieldType::Alpha: {
        const void *nul = std::memchr(p, 0, size_t(f.bytes));
        const qsizetype n = nul ? static_cast<const uchar *>(nul) - p : f.bytes;
        if (n == 0)
            return QVariant();
        return text->decode(reinterpret_cast<const char *>(p), n);
    }
    case FieldType::Short: {
        const quint16 raw = quint16((p[0] << 8) | p[1]);
        if (raw == 0)
            return QVariant();
        return int(qint16(raw ^ 0x8000));
    }
    case FieldType::Long:
    case FieldType::AutoInc: {
        const quint32 raw = be32(p);
        if (raw == 0)
            return QVariant();
        return qint64(qint32(raw ^ 0x80000000u));
    }
    case FieldType::Date: {
        const quint32 raw = be32(p);
        if (raw == 0)
            return QVariant();
        const QDate date = QDate::fromJulianDay(qint64(qint32(raw ^ 0x80000000u)) + kJulianDayOffset);
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case FieldType::Time: {
        const quint32 raw = be32(p);
        if (raw == 0)
            return QVariant();
        const qint32 ms = qint32(raw ^ 0x80000000u);
        if (ms < 0 || ms >= kMsPerDay)
            return QVariant();
        return QTime::fromMSecsSinceStartOfDay(ms);
    }
    case FieldType::Number:
    case FieldType::Currency:
    case FieldType::Timestamp: {
        if (allZero(p, 8))
            return QVariant();
        uchar b[8];
        std::memcpy(b, p, 8);
        if (b[0] & 0x80) {
            b[0] &= 0x7F;
        } else {
            for (uchar &c : b)
                c = uchar(~c);
        }
        quint64 bits = 0;
        for (uchar c : b)
            bits = (bits << 8) | c;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (f.type != FieldType::Timestamp)
            return d;
        if (!std::isfinite(d) || d < 0 || d > 1e17)
            return QVariant();
        const qint64 total = qint64(d);
        const QDate date = QDate::fromJulianDay(total / kMsPerDay + kJulianDayOffset);
        if (!date.isValid())
            return QVariant();
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(total % kMsPerDay)), Qt::UTC);
    }
    case FieldType::Logical:
        if (p[0] == 0)
            return QVariant();
        return (p[0] & 0x7F) != 0;
    case FieldType::BCD: {
        if (allZero(p, kBcdBytes))
            return QVariant();
        // Byte 0: bit 7 set for a positive number; then 32 digits, one per
        // nibble, the last `size` of them after the decimal point. A negative
        // number stores every nibble complemented.
        const bool negative = !(p[0] & 0x80);
        const int decimals = f.size;
        char digits[32];
        int count = 0;
        for (int i = 0; i < 32; ++i) {
            int nibble = (i % 2 == 0) ? (p[1 + i / 2] >> 4) : (p[1 + i / 2] & 0x0F);
            if (negative)
                nibble ^= 0x0F;
            if (nibble > 9)
                break; // not a digit: the rest of the value is unusable
            digits[count++] = char('0' + nibble);
        }
        const int intDigits = 32 - decimals;
        if (count < intDigits)
            return QVariant(); // a bad nibble before the decimal point
        QByteArray out;
        out.reserve(36);
        int first = 0;
        while (first < intDigits - 1 && digits[first] == '0')
            ++first;
        if (intDigits == 0)
            out.append('0');
        else
            out.append(digits + first, intDigits - first);
        if (count > intDigits) {
            out.append('.');
            out.append(digits + intDigits, count - intDigits);
        }
        bool nonZero = false;
        for (char c : out)
            nonZero |= c >= '1' && c <= '9';
        if (negative && nonZero)
            out.prepend('-');
        return QString::fromLatin1(out);
    }
    case FieldType::Bytes:
        if (allZero(p, f.bytes))
            return QVariant();
        return QByteArray(reinterpret_cast<const char *>(p), f.bytes);
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::OLE:
    case FieldType::Graphic:
        return blobValue(f, p);
    }
    return QVariant();
}

QVariant ParadoxReader::Impl::blobValue(const Field &f, const uchar *p)
{
    const int leader = f.bytes - kBlobPointer;
    const uchar *pointer = p + leader;
    const quint32 offset = le32(pointer);
    const quint32 length = le32(pointer + 4);
    if (length == 0)
        return QVariant();
    const uchar *data = nullptr;
    qint64 n = 0;
    if (length <= quint32(leader)) {
        data = p;
        n = length;
    } else if (mb.size == 0) {
        data = p; // the memo file is missing: keep what the record holds
        n = leader;
    } else {
        const qint64 blockStart = qint64(offset & 0xFFFFFF00u);
        const int index = int(offset & 0xFF);
        // Only the bytes a value uses must be in the file: its header, its
        // entry and its data.
        if (blockStart < kMbBlock || blockStart + 12 + 64 * 5 > mb.size)
            damagedMemo(QObject::tr("a value points outside the file"));
        const uchar *b = mb.data + blockStart;
        if (index == 0xFF) {
            // A block of its own: type 2, block count, length, change count, data.
            if (b[0] != 2)
                damagedMemo(QObject::tr("a value points to a block of the wrong kind"));
            const qint64 span = qint64(le16(b + 1)) * kMbBlock;
            if (9 + qint64(length) > span || blockStart + 9 + qint64(length) > mb.size)
                damagedMemo(QObject::tr("a value runs past its blocks"));
            data = b + 9;
            n = length;
        } else {
            // A shared block: type 3, then 64 entries of five bytes at 12:
            // data offset / 16, length in 16-byte units, change count (2),
            // length modulo 16.
            if (b[0] != 3 || index >= 64)
                damagedMemo(QObject::tr("a value points to a block of the wrong kind"));
            const uchar *entry = b + 12 + 5 * index;
            const qint64 start = qint64(entry[0]) * 16;
            const qint64 units = entry[1];
            if (units == 0 || qint64(length) > units * 16 || qint64(length) <= (units - 1) * 16
                || start < 12 + 64 * 5 || start + qint64(length) > kMbBlock
                || blockStart + start + qint64(length) > mb.size)
                damagedMemo(QObject::tr("a value does not match its entry"));
            data = b + start;
            n = length;
        }
    }
    if (f.type == FieldType::Memo) {
        // Text may end early at a NUL byte.
        const void *nul = std::memchr(data, 0, size_t(n));
        const qsizetype len = nul ? static_cast<const uchar *>(nul) - data : n;
        if (len == 0)
            return QVariant();
        return text->decode(reinterpret_cast<const char *>(data), len);
    }
    return QByteArray(reinterpret_cast<const char *>(data), int(n));
}

ParadoxReader::ParadoxReader() : d(std::make_unique<Impl>()) {}

ParadoxReader::~ParadoxReader() = default;

namespace {

// The .MB file beside a table file, whatever the letter case of its name.
QString memoFileFor(const QString &path)
{
    const QFileInfo fi(path);
    const QString wanted = fi.completeBaseName() + QStringLiteral(".mb");
    const QDir dir = fi.absoluteDir();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries)
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return QString();
}

} // namespace

void ParadoxReader::open(const QString &path)
{
    d->open = false;
    d->name = QDir::toNativeSeparators(path);
    d->mb.reset();
    const QString error = d->db.load(path);
    if (!error.isEmpty())
        throw ParadoxError(QObject::tr("The Paradox table \"%1\" cannot be opened: %2.").arg(d->name, error));
    d->parseHeader();
    bool needsMemo = false;
    for (const Field &f : d->fields)
        needsMemo |= isBlobType(f.type);
    if (needsMemo) {
        const QString mbPath = memoFileFor(path);
        if (!mbPath.isEmpty()) {
            d->mbName = QDir::toNativeSeparators(mbPath);
            const QString mbError = d->mb.load(mbPath);
            if (!mbError.isEmpty())
                throw ParadoxError(QObject::tr("The memo file \"%1\" cannot be opened: %2.")
                                       .arg(d->mbName, mbError));
        }
        d->info.blobFileMissing = d->mb.size == 0;
    }
    d->open = true;
}

void ParadoxReader::openData(const QByteArray &data, const QString &displayName, const QByteArray &memoData)
{
    d->open = false;
    d->name = displayName;
    d->mbName = displayName + QStringLiteral(" (memo)");
    d->db.adopt(data);
    d->mb.adopt(memoData);
    d->parseHeader();
    bool needsMemo = false;
    for (const Field &f : d->fields)
        needsMemo |= isBlobType(f.type);
    d->info.blobFileMissing = needsMemo && d->mb.size == 0;
    d->open = true;
}

const TableInfo &ParadoxReader::info() const
{
    return d->info;
}

bool ParadoxReader::next(QVariantList &row)
{
    if (!d->open)
        return false;
    while (d->recordIndex >= d->recordsInBlock) {
        if (d->nextBlock == 0) {
            d->open = false; // the chain has ended
            return false;
        }
        try {
            d->enterBlock(d->nextBlock);
        } catch (...) {
            d->open = false;
            throw;
        }
    }
    const uchar *record = d->block + kBlockHeader + qint64(d->recordIndex) * d->recordSize;
    ++d->recordIndex;
    const qsizetype n = qsizetype(d->fields.size());
    if (row.size() != n) {
        row.clear();
        row.reserve(n);
        for (qsizetype i = 0; i < n; ++i)
            row.append(QVariant());
    }
    try {
        for (qsizetype i = 0; i < n; ++i) {
            const Field &f = d->fields[size_t(i)];
            row[i] = d->value(f, record + f.offset);
        }
    } catch (...) {
        d->open = false;
        throw;
    }
    return true;
}

bool ParadoxReader::looksLikeParadox(const QByteArray &firstBytes)
{
    if (firstBytes.size() < kFieldsV3)
        return false;
    const uchar *h = reinterpret_cast<const uchar *>(firstBytes.constData());
    const int fileType = h[kFileType];
    if (fileType > 8)
        return false;
    if (!validBlockFactor(h[kMaxTableSize]))
        return false;
    const int versionId = h[kFileVersion];
    if (versionFromId(versionId) == 0)
        return false;
    const int numFields = le16(h + kNumFields);
    const int recordSize = le16(h + kRecordSize);
    const int headerSize = le16(h + kHeaderSize);
    if (numFields < 1 || numFields > 255 || recordSize < 1)
        return false;
    const int fieldsAt = versionId >= 5 ? kFieldsV4 : kFieldsV3;
    if (headerSize < fieldsAt + 2 * numFields)
        return false;
    if (firstBytes.size() >= fieldsAt + 2) {
        FieldType type;
        if (!typeFromCode(h[fieldsAt], type))
            return false;
    }
    return true;
}

} // namespace vellora::paradox
