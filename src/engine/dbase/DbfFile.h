// The dBASE / FoxPro table format: reading a .dbf with its memo file
// (.dbt or .fpt) and encoding records for writing.
//
// Versions read (first byte of the file):
//   0x02 FoxBase, 0x03 dBASE III/III+ (no memo), 0x83 dBASE III+ with .dbt,
//   0x8B dBASE IV with .dbt, 0x8C / 0x04 dBASE level 7 (48-byte field
//   descriptors, .dbt), 0xF5 FoxPro 2 with .fpt, 0x30 Visual FoxPro,
//   0x31 Visual FoxPro with auto-increment, 0x32 Visual FoxPro with
//   varchar/varbinary (all three with .fpt when they have memo fields).
//   Any other version whose header reads sensibly is read as dBASE III.
//
// Field types and what the engine sees (FieldDef.h):
//   C  -> String(width)            N  -> Smallint/Integer/LargeInt for
//   F  -> Float                          whole numbers of up to 4/11/18
//   L  -> Boolean                         digits, else BCD(decimals)
//   D  -> Date                     M  -> Memo (Blob when marked binary)
//   I  -> Integer (AutoInc when    Y  -> Money (currency, 4 decimals)
//         the field numbers rows)  T  -> DateTime
//   B  -> Float in Visual FoxPro,  G  -> DBaseOle (general field)
//         Blob (binary memo) else  V  -> String(width), Q -> VarBytes
//   +  -> AutoInc (level 7)        O  -> Float (level 7)
//   @  -> DateTime (level 7)
// The hidden _NullFlags field of Visual FoxPro tables is not shown; its
// bits make nullable fields null and give varchar/varbinary lengths.
//
// Text is decoded with the code page named by the language-driver byte
// (offset 29); a byte we do not know reads as Windows-1252. Blank values
// (all spaces) read as null. Deleted rows are not rows of the table.
// Index files (.mdx, .cdx, .ndx, .idx) are neither read nor written.
#pragma once

#include "engine/FieldDef.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

namespace vellora::dbase {

struct DbfField {
    QString name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    int offset = 0;        // in the record, after the deletion flag byte
    quint8 flags = 0;      // Visual FoxPro: 0x01 system, 0x02 nullable, 0x04 binary, 0x0C auto-increment
    int nullBit = -1;      // bit in _NullFlags telling null, or -1
    int varBit = -1;       // bit in _NullFlags telling a shorter varchar, or -1
    bool system = false;   // _NullFlags: not shown
};

enum class MemoKind { None, Dbt3, Dbt4, Fpt };

// Language-driver byte to code page (65001 for UTF-8); unknown bytes give
// 1252. codePageToLanguageDriver is the reverse for writing (0 when none).
int codePageFromLanguageDriver(quint8 ldid);
quint8 languageDriverFromCodePage(int codePage);

class DbfFile {
public:
    DbfFile();
    ~DbfFile();
    DbfFile(const DbfFile &) = delete;
    DbfFile &operator=(const DbfFile &) = delete;

    // Reads the header of the table held in data (which must stay valid
    // while this object reads from it). display names the file in errors.
    // Throws EngineError for anything that is not a readable table.
    void parse(const char *data, qint64 size, const QString &display);
    // The memo file's bytes (valid while reading), or present false when
    // the table names memo fields but the file is missing: reading such a
    // field then throws an error naming the memo file.
    void setMemo(const char *data, qint64 size, bool present, const QString &memoDisplay);

    int version() const { return m_version; }
    qint64 recordCount() const { return m_records; }
    int headerLength() const { return m_headerLength; }
    int recordLength() const { return m_recordLength; }
    int codePage() const { return m_codePage; }
    bool isVisualFoxPro() const { return m_vfp; }
    bool isLevel7() const { return m_level7; }
    MemoKind memoKind() const { return m_memoKind; }
    int memoBlockSize() const { return m_blockSize; }
    bool hasMemoFields() const;
    // Every field, the hidden _NullFlags included.
    const QList<DbfField> &allFields() const { return m_all; }
    // The visible fields, in table order, and their engine definitions.
    const QList<DbfField> &fields() const { return m_fields; }
    QList<FieldDef> fieldDefs() const;

    // Record numbers are 0-based here.
    bool isDeleted(qint64 record) const;
    // Values of one record, one per visible field. Throws EngineError
    // naming the file and record for a memo pointer beyond its file or a
    // missing memo file.
    void readRecord(qint64 record, QVariantList &out) const;

    // The engine type of a field definition.
    static FieldDef engineDef(const DbfField &f, bool vfp);

private:
    QVariant value(const DbfField &f, const char *rec, qint64 record) const;
    QVariant memo(const DbfField &f, const char *raw, qint64 record) const;
    QString decode(const char *p, qsizetype n) const;
    bool nullFlag(const char *rec, int bit) const;

    const char *m_data = nullptr;
    qint64 m_size = 0;
    QString m_display;
    int m_version = 0;
    qint64 m_records = 0;
    int m_headerLength = 0;
    int m_recordLength = 0;
    int m_codePage = 1252;
    bool m_vfp = false;
    bool m_level7 = false;
    MemoKind m_memoKind = MemoKind::None;
    QList<DbfField> m_all, m_fields;
    const DbfField *m_nullFlags = nullptr;

    const char *m_memo = nullptr;
    qint64 m_memoSize = 0;
    bool m_memoPresent = false;
    QString m_memoDisplay;
    int m_blockSize = 512;

    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
};

} // namespace vellora::dbase
