// Reader of Paradox table files (.DB, versions 3.0 to 7) left by earlier
// installations on Windows. Read-only, sequential: open, look at info(), pull
// rows with next(). Used by the table engine to convert legacy tables.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

#include "engine/util/OperatorError.h"

namespace vellora::paradox {

enum class FieldType {
    Alpha,         // 'A'  text, fixed width
    Date,          // 'D'  QDate
    Short,         // 'S'  int (16 bit)
    Long,          // 'I'  qint64 (32 bit)
    Currency,      // '$'  double (money)
    Number,        // 'N'  double
    Logical,       // 'L'  bool
    Memo,          // 'M'  QString
    Blob,          // 'B'  QByteArray
    FormattedMemo, // 'F'  QByteArray (the stored formatted text)
    OLE,           // 'O'  QByteArray
    Graphic,       // 'G'  QByteArray
    Time,          // 'T'  QTime
    Timestamp,     // '@'  QDateTime: the stored wall-clock time, marked Qt::UTC
                   //      only so that no daylight-saving rule shifts it
    AutoInc,       // '+'  qint64
    BCD,           // '#'  QString with the exact decimal digits ("-123.4500")
    Bytes,         // 'Y'  QByteArray
};

struct FieldInfo {
    QString name;
    FieldType type = FieldType::Alpha;
    int size = 0;       // bytes in the record (for BCD: the number of decimals)
};

struct TableInfo {
    int fileVersion = 0;      // 30, 35, 40, 50, 70
    qint64 recordCount = 0;   // as stated in the header
    int codePage = 0;         // code page named in the header (0 = none)
    int textCodePage = 437;   // code page the text is decoded with: the
                              // header's; 437 for tables without one
                              // (version 3); HP Roman-8 (1051) for the
                              // tables whose sort order says so
    bool keyed = false;       // table has a primary key
    int keyFieldCount = 0;    // number of leading fields forming the key
    qint64 nextAutoInc = 0;   // one past the header's auto-increment counter;
                              // tools other than the old engine may leave
                              // the counter at 0: take the larger of this
                              // and the highest value read plus one
    QString tableName;        // name stored inside the file
    QList<FieldInfo> fields;
    // True when memo or blob values live in an .MB file that is not there;
    // such values then hold only the part kept in the record itself.
    bool blobFileMissing = false;
};

// Every failure to read a table: the message is meant for the operator and
// names the file.
class ParadoxError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

class ParadoxReader {
public:
    ParadoxReader();
    ~ParadoxReader();
    ParadoxReader(const ParadoxReader &) = delete;
    ParadoxReader &operator=(const ParadoxReader &) = delete;

    // Opens a table file. Memo and blob fields are read from the .MB file
    // beside it (same base name, any letter case) when there is one.
    // Throws ParadoxError (not a table, encrypted, damaged, unreadable).
    void open(const QString &path);
    // Opens a table held in memory; displayName is used in messages.
    // memoData is the content of the .MB file (may be empty).
    void openData(const QByteArray &data, const QString &displayName,
                  const QByteArray &memoData = QByteArray());

    const TableInfo &info() const;

    // Fills row with the next record's values, one per field in table order;
    // returns false after the last record. A null value is an invalid
    // QVariant. Value types: Alpha, Memo -> QString; Short -> int;
    // Long, AutoInc -> qint64; Number, Currency -> double; Logical -> bool;
    // Date -> QDate; Time -> QTime; Timestamp -> QDateTime; BCD -> QString;
    // Bytes, Blob, FormattedMemo, OLE, Graphic -> QByteArray (as stored).
    // An empty text or memo is null. Rows come in the order of the data
    // block chain, which for a keyed table is key order.
    // Throws ParadoxError on a damaged record block.
    bool next(QVariantList &row);

    // True when the first bytes of a file (at least 0x60 of them) look like
    // a Paradox table header.
    static bool looksLikeParadox(const QByteArray &firstBytes);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vellora::paradox
