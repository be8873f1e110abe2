#include "engine/dbase/DbfFile.h"

#include "engine/EngineError.h"
#include "engine/paradox/CodePages.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QStringDecoder>

#include <cmath>
#include <cstring>

namespace vellora::dbase {

namespace {

quint16 le16(const char *p) { return quint16(quint8(p[0]) | (quint8(p[1]) << 8)); }
quint32 le32(const char *p)
{
    return quint32(quint8(p[0])) | (quint32(quint8(p[1])) << 8) | (quint32(quint8(p[2])) << 16)
        | (quint32(quint8(p[3])) << 24);
}
quint32 be32(const char *p)
{
    return (quint32(quint8(p[0])) << 24) | (quint32(quint8(p[1])) << 16) | (quint32(quint8(p[2])) << 8)
        | quint32(quint8(p[3]));
}
quint16 be16(const char *p) { return quint16((quint8(p[0]) << 8) | quint8(p[1])); }

struct Ldid {
    quint8 id;
    int codePage;
};

// Language-driver bytes of the DOS and Windows table programs.
constexpr Ldid kLdids[] = {
    {0x01, 437},  {0x02, 850},  {0x03, 1252}, {0x08, 865},  {0x09, 437},  {0x0A, 850},  {0x0B, 437},
    {0x0D, 437},  {0x0E, 850},  {0x0F, 437},  {0x10, 850},  {0x11, 437},  {0x12, 850},  {0x13, 932},
    {0x14, 850},  {0x15, 437},  {0x16, 850},  {0x17, 865},  {0x18, 437},  {0x19, 437},  {0x1A, 850},
    {0x1B, 437},  {0x1C, 863},  {0x1D, 850},  {0x1F, 852},  {0x22, 852},  {0x23, 852},  {0x24, 860},
    {0x25, 850},  {0x26, 866},  {0x37, 850},  {0x40, 852},  {0x4D, 936},  {0x4E, 949},  {0x4F, 950},
    {0x50, 874},  {0x57, 1252}, {0x58, 1252}, {0x59, 1252}, {0x64, 852},  {0x65, 866},  {0x66, 865},
    {0x67, 861},  {0x6A, 737},  {0x6B, 857},  {0x6C, 863},  {0x78, 950},  {0x79, 949},  {0x7A, 936},
    {0x7B, 932},  {0x7C, 874},  {0x7D, 1255}, {0x7E, 1256}, {0x86, 737},  {0x87, 852},  {0x88, 857},
    {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254}, {0xCB, 1253}, {0xCC, 1257}, {0xF0, 65001},
};

bool blank(const char *p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != '\0')
            return false;
    return true;
}

} // namespace

int codePageFromLanguageDriver(quint8 ldid)
{
    for (const Ldid &l : kLdids)
        if (l.id == ldid)
            return l.codePage;
    return 1252;
}

quint8 languageDriverFromCodePage(int codePage)
{
    switch (codePage) {
    case 437: return 0x01;
    case 850: return 0x02;
    case 1252: return 0x03;
    case 852: return 0x64;
    case 866: return 0x65;
    case 1250: return 0xC8;
    case 1251: return 0xC9;
    default:
        for (const Ldid &l : kLdids)
            if (l.codePage == codePage)
                return l.id;
        return 0;
    }
}

struct DbfFile::Decoder {
    explicit Decoder(int cp) : single(cp == 65001 ? 437 : cp), utf8(cp == 65001) {}
    paradox::TextDecoder single;
    bool utf8;
    QStringDecoder u{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

DbfFile::DbfFile() = default;
DbfFile::~DbfFile() = default;

void DbfFile::parse(const char *data, qint64 size, const QString &display)
{
    m_data = data;
    m_size = size;
    m_display = display;
    m_all.clear();
    m_fields.clear();
    m_nullFlags = nullptr;
    auto damaged = [&](const QString &why) {
        return EngineError(QObject::tr("The dBASE table %1 is damaged or is not a dBASE table: %2").arg(display, why));
    };
    if (size < 32)
        throw damaged(QObject::tr("the file is too short for a table header"));
    m_version = quint8(data[0]);
    m_records = le32(data + 4);
    m_headerLength = le16(data + 8);
    m_recordLength = le16(data + 10);
    m_vfp = m_version == 0x30 || m_version == 0x31 || m_version == 0x32;
    m_level7 = (m_version & 0x07) == 0x04;
    switch (m_version) {
    case 0x83: m_memoKind = MemoKind::Dbt3; break;
    case 0x8B: case 0x8C: case 0x7B: m_memoKind = MemoKind::Dbt4; break;
    case 0xF5: case 0x30: case 0x31: case 0x32: case 0xFB: m_memoKind = MemoKind::Fpt; break;
    default: m_memoKind = m_level7 ? MemoKind::Dbt4 : MemoKind::Dbt3; break;
    }
    const int m = int(data[1]), d = int(data[2]), day = int(data[3]);
    if (m_version == 0 || d < 0 || (m_version != 0x02 && (d > 12 || day > 31)))
        throw damaged(QObject::tr("the header does not start like a dBASE table"));
    (void)m;
    m_codePage = m_version == 0x02 ? 437 : codePageFromLanguageDriver(quint8(data[29]));
    m_decoder = std::make_unique<Decoder>(m_codePage);

    const int descSize = m_level7 ? 48 : (m_version == 0x02 ? 16 : 32);
    const int firstDesc = m_level7 ? 68 : (m_version == 0x02 ? 8 : 32);
    if (m_version == 0x02) {
        // FoxBase: a 16-bit record count at 1, header length and record
        // length at 6 and 8, descriptors of 16 bytes from offset 8.
        m_records = le16(data + 1);
        m_headerLength = 521;
        m_recordLength = le16(data + 6);
    }
    if (m_recordLength < 1 || m_headerLength < firstDesc + 1 || m_records < 0)
        throw damaged(QObject::tr("the header's lengths are impossible"));
    if (m_headerLength > size)
        throw damaged(QObject::tr("the file ends inside the header"));
    int nameLen = m_level7 ? 32 : 11;
    int pos = firstDesc;
    int bits = 0;
    int recPos = 1;
    QSet<QString> seen;
    while (pos + 1 <= m_headerLength && data[pos] != '\x0D') {
        if (pos + descSize > m_headerLength)
            throw damaged(QObject::tr("the field descriptions run past the header"));
        const char *p = data + pos;
        DbfField f;
        int n = 0;
        while (n < nameLen && p[n] != '\0')
            ++n;
        f.name = m_decoder->utf8 ? m_decoder->u.decode(QByteArrayView(p, n))
                                 : m_decoder->single.decode(p, n);
        f.name = f.name.trimmed();
        if (m_level7) {
            f.type = p[32];
            f.length = quint8(p[33]);
            f.decimals = quint8(p[34]);
        } else if (m_version == 0x02) {
            f.type = p[11];
            f.length = quint8(p[12]);
            f.decimals = quint8(p[15]);
        } else {
            f.type = p[11];
            f.length = quint8(p[16]);
            f.decimals = quint8(p[17]);
            if (m_vfp)
                f.flags = quint8(p[18]);
        }
        f.offset = recPos;
        recPos += f.length;
        f.system = (m_vfp && (f.flags & 0x01)) || (f.type == '0');
        if (f.length <= 0)
            throw damaged(QObject::tr("the field %1 has no width").arg(f.name));
        if (!f.system) {
            if (f.type == 'V' || f.type == 'Q')
                f.varBit = bits++;
            if (m_vfp && (f.flags & 0x02))
                f.nullBit = bits++;
        }
        m_all.append(f);
        pos += descSize;
        if (m_version == 0x02 && pos >= 8 + 32 * descSize)
            break;
    }
    if (m_all.isEmpty())
        throw damaged(QObject::tr("it has no fields"));
    if (recPos > m_recordLength)
        throw damaged(QObject::tr("the fields are wider than the record"));
    for (const DbfField &f : std::as_const(m_all)) {
        if (f.system) {
            if (f.name.compare(QLatin1String("_NullFlags"), Qt::CaseInsensitive) == 0)
                m_nullFlags = &f;
            continue;
        }
        m_fields.append(f);
    }
    if (bits > 0 && m_nullFlags && bits > m_nullFlags->length * 8)
        throw damaged(QObject::tr("its null flags are too short"));
    const qint64 dataBytes = size - m_headerLength;
    if (m_records > 0 && dataBytes / m_recordLength < m_records) {
        const qint64 whole = dataBytes / m_recordLength;
        throw EngineError(QObject::tr("The dBASE table %1 is damaged: it ends in record %2, but its header "
                                      "counts %3 records.")
                              .arg(display)
                              .arg(whole + 1)
                              .arg(m_records));
    }
}

void DbfFile::setMemo(const char *data, qint64 size, bool present, const QString &memoDisplay)
{
    m_memo = data;
    m_memoSize = size;
    m_memoPresent = present;
    m_memoDisplay = memoDisplay;
    m_blockSize = 512;
    if (!present)
        return;
    if (m_memoKind == MemoKind::Fpt && size >= 8) {
        const int b = be16(data + 6);
        m_blockSize = b > 0 ? b : 64;
    } else if (m_memoKind == MemoKind::Dbt4 && size >= 22) {
        const int b = le16(data + 20);
        m_blockSize = b > 0 ? b : 512;
    }
}

bool DbfFile::hasMemoFields() const
{
    for (const DbfField &f : m_fields)
        if (f.type == 'M' || f.type == 'G' || (f.type == 'B' && !m_vfp) || (f.type == 'P'))
            return true;
    return false;
}

FieldDef DbfFile::engineDef(const DbfField &f, bool vfp)
{
    FieldDef d;
    d.name = f.name;
    switch (f.type) {
    case 'C': d.type = FieldType::String; d.size = f.length; break;
    case 'V': d.type = FieldType::String; d.size = f.length; break;
    case 'Q': d.type = FieldType::VarBytes; d.size = f.length; break;
    case 'N':
        if (f.decimals == 0 && f.length <= 4)
            d.type = FieldType::Smallint;
        else if (f.decimals == 0 && f.length <= 11)
            d.type = FieldType::Integer;   // N(11,0) is how integers are written
        else if (f.decimals == 0 && f.length <= 18)
            d.type = FieldType::LargeInt;
        else {
            d.type = FieldType::BCD;
            d.size = f.decimals;
        }
        break;
    case 'F': case 'O': d.type = FieldType::Float; break;
    case 'L': d.type = FieldType::Boolean; break;
    case 'D': d.type = FieldType::Date; break;
    case 'T': case '@': d.type = FieldType::DateTime; break;
    case 'I': d.type = (vfp && (f.flags & 0x0C) == 0x0C) ? FieldType::AutoInc : FieldType::Integer; break;
    case '+': d.type = FieldType::AutoInc; break;
    case 'Y': d.type = FieldType::Money; break;
    case 'B': d.type = vfp ? FieldType::Float : FieldType::Blob; break;
    case 'M': d.type = (vfp && (f.flags & 0x04)) ? FieldType::Blob : FieldType::Memo; break;
    case 'G': d.type = FieldType::DBaseOle; break;
    case 'P': d.type = FieldType::Graphic; break;
    default: d.type = FieldType::Bytes; d.size = f.length; break;
    }
    return d;
}

QList<FieldDef> DbfFile::fieldDefs() const
{
    QList<FieldDef> out;
    for (const DbfField &f : m_fields)
        out.append(engineDef(f, m_vfp));
    return out;
}

bool DbfFile::isDeleted(qint64 record) const
{
    return m_data[m_headerLength + record * m_recordLength] == '*';
}

QString DbfFile::decode(const char *p, qsizetype n) const
{
    if (m_decoder->utf8)
        return m_decoder->u.decode(QByteArrayView(p, n));
    return m_decoder->single.decode(p, n);
}

bool DbfFile::nullFlag(const char *rec, int bit) const
{
    if (!m_nullFlags || bit < 0)
        return false;
    return (quint8(rec[m_nullFlags->offset + bit / 8]) >> (bit % 8)) & 1;
}

void DbfFile::readRecord(qint64 record, QVariantList &out) const
{
    const char *rec = m_data + m_headerLength + record * m_recordLength;
    out.resize(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
        out[i] = value(m_fields[i], rec, record);
}

QVariant DbfFile::value(const DbfField &f, const char *rec, qint64 record) const
{
    if (nullFlag(rec, f.nullBit))
        return {};
    const char *p = rec + f.offset;
    const int n = f.length;
    switch (f.type) {
    case 'C': {
        int len = n;
        while (len > 0 && (p[len - 1] == ' ' || p[len - 1] == '\0'))
            --len;
        if (len == 0)
            return {};
        return decode(p, len);
    }
    case 'V': case 'Q': {
        int len = n;
        if (nullFlag(rec, f.varBit))
            len = quint8(p[n - 1]) < n ? quint8(p[n - 1]) : n - 1;
        if (f.type == 'Q')
            return len ? QVariant(QByteArray(p, len)) : QVariant();
        if (len == 0)
            return {};
        return decode(p, len);
    }
    case 'N': case 'F': {
        int a = 0, b = n;
        while (a < b && (p[a] == ' ' || p[a] == '\0'))
            ++a;
        while (b > a && (p[b - 1] == ' ' || p[b - 1] == '\0'))
            --b;
        if (a == b || p[a] == '*')
            return {};
        const QByteArray text(p + a, b - a);
        const FieldDef d = engineDef(f, m_vfp);
        bool ok = false;
        switch (d.type) {
        case FieldType::Smallint: case FieldType::Integer: case FieldType::LargeInt: {
            const qint64 v = text.toLongLong(&ok);
            if (ok)
                return v;
            const double r = text.toDouble(&ok);
            return ok ? QVariant(qint64(std::llround(r))) : QVariant();
        }
        case FieldType::BCD: {
            const double r = text.toDouble(&ok);
            if (!ok)
                return {};
            // Exact digits with the field's decimals, as the file has them.
            QByteArray t = text;
            if (t.startsWith('+'))
                t.remove(0, 1);
            if (t.startsWith('.'))
                t.prepend('0');
            else if (t.startsWith("-."))
                t.insert(1, '0');
            const int dot = t.indexOf('.');
            if (t.contains('e') || t.contains('E'))
                return QString::number(r, 'f', d.size);
            if (d.size > 0) {
                if (dot < 0)
                    t += '.' + QByteArray(d.size, '0');
                else if (t.size() - dot - 1 < d.size)
                    t += QByteArray(d.size - (t.size() - dot - 1), '0');
                else
                    t.truncate(dot + 1 + d.size);
            } else if (dot >= 0) {
                t.truncate(dot);
            }
            return QString::fromLatin1(t);
        }
        default: {
            const double r = text.toDouble(&ok);
            return ok ? QVariant(r) : QVariant();
        }
        }
    }
    case 'L':
        switch (p[0]) {
        case 'T': case 't': case 'Y': case 'y': return true;
        case 'F': case 'f': case 'N': case 'n': return false;
        default: return {};
        }
    case 'D': {
        if (n < 8 || blank(p, 8) || std::memcmp(p, "00000000", 8) == 0)
            return {};
        const QDate date = QDate::fromString(QString::fromLatin1(p, 8), QStringLiteral("yyyyMMdd"));
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case 'I': {
        if (n < 4)
            return {};
        if (m_level7) {
            const quint32 u = be32(p) ^ 0x80000000u;
            return u == 0x80000000u && blank(p, 4) ? QVariant() : QVariant(qint64(qint32(u)));
        }
        return qint64(qint32(le32(p)));
    }
    case '+': {
        if (n < 4)
            return {};
        return qint64(qint32(be32(p) ^ 0x80000000u));
    }
    case 'Y': {
        if (n < 8)
            return {};
        const qint64 v = qint64(quint64(le32(p)) | (quint64(le32(p + 4)) << 32));
        return double(v) / 10000.0;
    }
    case 'T': {
        if (n < 8)
            return {};
        const qint32 day = qint32(le32(p));
        const qint32 ms = qint32(le32(p + 4));
        if (day == 0 && ms == 0)
            return {};
        if (blank(p, 8))
            return {};
        const QDate date = QDate::fromJulianDay(day);
        const QTime time = QTime::fromMSecsSinceStartOfDay(ms < 0 || ms >= 86400000 ? 0 : ms);
        if (!date.isValid())
            return {};
        // Stored to the millisecond; whole seconds are what users type.
        return QDateTime(date, QTime(time.hour(), time.minute(), time.second()));
    }
    case 'B':
        if (m_vfp) {
            if (n < 8)
                return {};
            double v;
            std::memcpy(&v, p, 8);
            return std::isfinite(v) ? QVariant(v) : QVariant();
        }
        return memo(f, p, record);
    case 'O': {
        if (n < 8)
            return {};
        quint64 u = (quint64(be32(p)) << 32) | be32(p + 4);
        if (u == 0)
            return {};
        u = (u & 0x8000000000000000ull) ? (u ^ 0x8000000000000000ull) : ~u;
        double v;
        std::memcpy(&v, &u, 8);
        return std::isfinite(v) ? QVariant(v) : QVariant();
    }
    case 'M': case 'G': case 'P':
        return memo(f, p, record);
    default:
        return blank(p, n) ? QVariant() : QVariant(QByteArray(p, n));
    }
}

QVariant DbfFile::memo(const DbfField &f, const char *raw, qint64 record) const
{
    qint64 block = 0;
    if (f.length == 4) {
        block = le32(raw);
    } else {
        int a = 0, b = f.length;
        while (a < b && (raw[a] == ' ' || raw[a] == '\0'))
            ++a;
        while (b > a && (raw[b - 1] == ' ' || raw[b - 1] == '\0'))
            --b;
        if (a == b)
            return {};
        bool ok = false;
        block = QByteArray(raw + a, b - a).toLongLong(&ok);
        if (!ok)
            throw EngineError(QObject::tr("The dBASE table %1 is damaged: record %2 holds an unreadable memo "
                                          "reference in the field %3.")
                                  .arg(m_display)
                                  .arg(record + 1)
                                  .arg(f.name));
    }
    if (block <= 0)
        return {};
    if (!m_memoPresent)
        throw EngineError(QObject::tr("The memo file %1 of the dBASE table %2 is missing (record %3, field %4).")
                              .arg(m_memoDisplay, m_display)
                              .arg(record + 1)
                              .arg(f.name));
    auto beyond = [&]() {
        return EngineError(QObject::tr("The memo file %1 is damaged: record %2 of %3 points beyond its end "
                                       "(field %4).")
                               .arg(m_memoDisplay)
                               .arg(record + 1)
                               .arg(m_display, f.name));
    };
    const qint64 start = block * m_blockSize;
    if (start < 0 || start >= m_memoSize || block > m_memoSize)
        throw beyond();
    const char *p = m_memo + start;
    const qint64 avail = m_memoSize - start;
    QByteArray bytes;
    bool text = f.type == 'M' && !(m_vfp && (f.flags & 0x04));
    if (m_memoKind == MemoKind::Fpt) {
        if (avail < 8)
            throw beyond();
        const quint32 type = be32(p);
        const qint64 len = be32(p + 4);
        if (len > avail - 8)
            throw beyond();
        if (type != 1)
            text = false;
        bytes = QByteArray(p + 8, len);
    } else if (m_memoKind == MemoKind::Dbt4 && avail >= 8 && quint8(p[0]) == 0xFF && quint8(p[1]) == 0xFF
               && p[2] == 0x08 && p[3] == 0x00) {
        const qint64 len = qint64(le32(p + 4)) - 8;
        if (len < 0 || len > avail - 8)
            throw beyond();
        bytes = QByteArray(p + 8, len);
    } else {
        // dBASE III: the text runs to the end-of-text byte.
        const void *end = std::memchr(p, 0x1A, size_t(avail));
        const qint64 len = end ? static_cast<const char *>(end) - p : avail;
        bytes = QByteArray(p, len);
    }
    if (!text)
        return bytes.isEmpty() ? QVariant() : QVariant(bytes);
    if (bytes.isEmpty())
        return {};
    return decode(bytes.constData(), bytes.size());
}

} // namespace vellora::dbase
