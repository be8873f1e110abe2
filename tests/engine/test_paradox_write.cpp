// Paradox tables written by the engine: pxlib opens them with every value
// intact (table, primary index and memo file), and so does our reader.
#include "engine/BatchMove.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/text/Cp1252.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <paradox.h>
}

using namespace vellora;

namespace {

void pxQuiet(pxdoc_t *, int, const char *, void *) {}

struct Expected {
    int number;
    QString name;
    QString notes;
    QDate born;
    double pay;
    bool ok;
    int count;
    QTime at;
    QDateTime stamp;
    QString exact;
};

QList<Expected> sampleRows()
{
    return {
        {1, QStringLiteral("Müller"), QString(5000, QLatin1Char('m')) + QStringLiteral("é"), QDate(1970, 2, 28), 1234.5,
         true, -12, QTime(8, 30, 15), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QStringLiteral("12.50")},
        {2, QStringLiteral("O'Brien"), QStringLiteral("short"), QDate(1, 1, 1), -0.25, false, 32767, QTime(0, 0),
         QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)), QStringLiteral("-0.01")},
        {3, QString(), QString(), QDate(), 0, false, 0, QTime(), QDateTime(), QString()},
    };
}

void fill(Table &t, const QList<Expected> &rows)
{
    for (const Expected &e : rows) {
        t.append();
        if (!e.name.isEmpty())
            t.field(1).setAsString(e.name);
        if (!e.notes.isEmpty())
            t.field(2).setAsString(e.notes);
        if (e.born.isValid()) {
            t.field(3).setValue(e.born);
            t.field(4).setValue(e.pay);
            t.field(5).setValue(e.ok);
            t.field(6).setValue(e.count);
            t.field(7).setValue(e.at);
            t.field(8).setValue(e.stamp);
            t.field(9).setAsString(e.exact);
        }
        t.post();
    }
}

} // namespace

class TestParadoxWrite : public QObject {
    Q_OBJECT
private slots:
    void pxlibReadsEveryValue();
    void bigTablesKeepTheirIndexAndOrder();
    void appendEmptyKeysAndRestructure();
};

void TestParadoxWrite::pxlibReadsEveryValue()
{
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("people"));
    t.setTableType(TableType::Paradox);
    t.setFieldDefs({{QStringLiteral("Card_Number"), FieldType::AutoInc, 0},
                    {QStringLiteral("Name"), FieldType::String, 30},
                    {QStringLiteral("Notes"), FieldType::Memo, 0},
                    {QStringLiteral("Born"), FieldType::Date, 0},
                    {QStringLiteral("Pay"), FieldType::Money, 0},
                    {QStringLiteral("Ok"), FieldType::Boolean, 0},
                    {QStringLiteral("Count"), FieldType::Smallint, 0},
                    {QStringLiteral("At"), FieldType::Time, 0},
                    {QStringLiteral("Stamp"), FieldType::DateTime, 0},
                    {QStringLiteral("Exact"), FieldType::BCD, 2}});
    t.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("Card_Number")}, true, true}});
    t.createTable();
    t.open();
    QCOMPARE(t.kindName(), QStringLiteral("PARADOX"));
    const QList<Expected> rows = sampleRows();
    fill(t, rows);
    t.close();
    const QString db = tmp.filePath(QStringLiteral("people.DB"));
    QVERIFY(QFileInfo::exists(tmp.filePath(QStringLiteral("people.PX"))));
    QVERIFY(QFileInfo::exists(tmp.filePath(QStringLiteral("people.MB"))));

    pxdoc_t *px = PX_new3(pxQuiet, nullptr, nullptr, nullptr, nullptr);
    QCOMPARE(PX_open_file(px, QFile::encodeName(db).constData()), 0);
    // pxlib 0.6.8 aborts in PX_set_blob_file on every memo file (its own
    // too), so memo values are taken from the row's pointer as pxlib hands
    // the row out, and from the memo file's block it points to.
    QFile mbFile(tmp.filePath(QStringLiteral("people.MB")));
    QVERIFY(mbFile.open(QIODevice::ReadOnly));
    const QByteArray mb = mbFile.readAll();
    auto le32 = [](const char *q) {
        return quint32(quint8(q[0])) | (quint32(quint8(q[1])) << 8) | (quint32(quint8(q[2])) << 16)
            | (quint32(quint8(q[3])) << 24);
    };
    QCOMPARE(PX_get_num_records(px), 3);
    QCOMPARE(PX_get_num_fields(px), 10);
    pxfield_t *fields = PX_get_fields(px);
    QCOMPARE(QString::fromLatin1(fields[0].px_fname), QStringLiteral("Card_Number"));
    QCOMPARE(int(fields[0].px_ftype), int(pxfAutoInc));
    QCOMPARE(int(fields[2].px_ftype), int(pxfMemoBLOb));
    QCOMPARE(int(fields[9].px_ftype), int(pxfBCD));
    QCOMPARE(px->px_head->px_primarykeyfields, 1);
    QByteArray rec(PX_get_recordsize(px), '\0');
    for (int r = 0; r < 3; ++r) {
        const Expected &e = rows[r];
        QVERIFY(PX_get_record(px, r, rec.data()));
        char *p = rec.data();
        long l = 0;
        QCOMPARE(PX_get_data_long(px, p, 4, &l), 1);
        QCOMPARE(int(l), e.number);
        p += 4;
        char *s = nullptr;
        if (e.name.isEmpty()) {
            QCOMPARE(PX_get_data_alpha(px, p, 30, &s), 0);
        } else {
            QCOMPARE(PX_get_data_alpha(px, p, 30, &s), 1);
            QCOMPARE(QByteArray(s), ToCp1252(e.name));
        }
        p += 30;
        const quint32 offset = le32(p + 10), length = le32(p + 14);
        const QByteArray want = ToCp1252(e.notes);
        QCOMPARE(qsizetype(length), want.size());
        if (length > 0 && length <= 10) {
            QCOMPARE(QByteArray(p, int(length)), want);
        } else if (length > 0) {
            QCOMPARE(QByteArray(p, 10), want.left(10));   // the part kept in the row
            QCOMPARE(offset & 0xFF, 0xFFu);
            const qsizetype block = qsizetype(offset & ~0xFFu);
            QVERIFY(block >= 4096 && block + 9 + qsizetype(length) <= mb.size());
            QCOMPARE(int(mb[block]), 2);
            QCOMPARE(le32(mb.constData() + block + 3), length);
            QCOMPARE(mb.mid(block + 9, length), want);
        }
        p += 20;
        if (!e.born.isValid())
            continue;
        QCOMPARE(PX_get_data_long(px, p, 4, &l), 1);
        QCOMPARE(qint64(l), e.born.toJulianDay() - 1721425);
        p += 4;
        double d = 0;
        QCOMPARE(PX_get_data_double(px, p, 8, &d), 1);
        QCOMPARE(d, e.pay);
        p += 8;
        char b = 0;
        QCOMPARE(PX_get_data_byte(px, p, 1, &b), 1);
        QCOMPARE(bool(b), e.ok);
        p += 1;
        short sh = 0;
        QCOMPARE(PX_get_data_short(px, p, 2, &sh), 1);
        QCOMPARE(int(sh), e.count);
        p += 2;
        QCOMPARE(PX_get_data_long(px, p, 4, &l), 1);
        QCOMPARE(int(l), e.at.msecsSinceStartOfDay());
        p += 4;
        QCOMPARE(PX_get_data_double(px, p, 8, &d), 1);
        QCOMPARE(qint64(d), (e.stamp.date().toJulianDay() - 1721425) * 86400000LL + e.stamp.time().msecsSinceStartOfDay());
        p += 8;
        char *bcd = nullptr;
        QCOMPARE(PX_get_data_bcd(px, reinterpret_cast<unsigned char *>(p), 2, &bcd), 1);
        QCOMPARE(QString::fromLatin1(bcd).toDouble(), e.exact.toDouble());
    }
    PX_close(px);
    PX_delete(px);

    // The primary index opens in pxlib and fits the table.
    pxdoc_t *db2 = PX_new3(pxQuiet, nullptr, nullptr, nullptr, nullptr);
    pxdoc_t *ix = PX_new3(pxQuiet, nullptr, nullptr, nullptr, nullptr);
    QCOMPARE(PX_open_file(db2, QFile::encodeName(db).constData()), 0);
    QCOMPARE(PX_open_file(ix, QFile::encodeName(tmp.filePath(QStringLiteral("people.PX"))).constData()), 0);
    QCOMPARE(PX_read_primary_index(ix), 0);
    QCOMPARE(PX_add_primary_index(db2, ix), 0);
    PX_close(db2);

    // Our own reader sees the same.
    t.open();
    QCOMPARE(t.recordCount(), 3);
    QCOMPARE(t.fieldByName(QStringLiteral("Notes")).asString(), rows[0].notes);
    QCOMPARE(t.fieldByName(QStringLiteral("Exact")).asString(), QStringLiteral("12.50"));
    QCOMPARE(t.fieldByName(QStringLiteral("Stamp")).asString(), QStringLiteral("2001-02-03 04:05:06"));
    t.next();
    QCOMPARE(t.fieldByName(QStringLiteral("Born")).asString(), QStringLiteral("0001-01-01"));
    QCOMPARE(t.fieldByName(QStringLiteral("Exact")).asString(), QStringLiteral("-0.01"));
    t.next();
    QVERIFY(t.fieldByName(QStringLiteral("Name")).isNull());
    QCOMPARE(t.field(0).asString(), QStringLiteral("3"));
}

void TestParadoxWrite::bigTablesKeepTheirIndexAndOrder()
{
    // Enough rows for 150 data blocks, put in out of key order. (An index of
    // more than one level is not checked here: pxlib 0.6.8 frees memory
    // twice reading one.)
    QTemporaryDir tmp;
    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("big.db"));
    t.setTableType(TableType::Paradox);
    t.setFieldDefs({{QStringLiteral("Key"), FieldType::Integer, 0}, {QStringLiteral("Text"), FieldType::String, 200}});
    t.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("Key")}, true, true}});
    t.createTable();
    t.setCachedUpdates(true);
    t.open();
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        t.append();
        t.field(0).setValue((i * 7919) % n);
        t.field(1).setAsString(QStringLiteral("row %1").arg((i * 7919) % n));
        t.post();
    }
    t.commitUpdates();
    t.close();
    pxdoc_t *px = PX_new3(pxQuiet, nullptr, nullptr, nullptr, nullptr);
    QCOMPARE(PX_open_file(px, QFile::encodeName(tmp.filePath(QStringLiteral("big.db"))).constData()), 0);
    QCOMPARE(PX_get_num_records(px), n);
    QByteArray rec(PX_get_recordsize(px), '\0');
    for (int r = 0; r < n; r += 997) {
        QVERIFY(PX_get_record(px, r, rec.data()));
        long l = 0;
        QCOMPARE(PX_get_data_long(px, rec.data(), 4, &l), 1);
        QCOMPARE(int(l), r);
    }
    pxdoc_t *ix = PX_new3(pxQuiet, nullptr, nullptr, nullptr, nullptr);
    QCOMPARE(PX_open_file(ix, QFile::encodeName(tmp.filePath(QStringLiteral("big.PX"))).constData()), 0);
    QCOMPARE(PX_read_primary_index(ix), 0);
    QCOMPARE(PX_add_primary_index(px, ix), 0);
    // The table owns the index now; pxlib frees both on closing the table.
    PX_close(px);
    t.open();
    t.last();
    QCOMPARE(t.field(0).asString(), QString::number(n - 1));
}

void TestParadoxWrite::appendEmptyKeysAndRestructure()
{
    QTemporaryDir tmp;
    Table src;
    src.setDatabaseName(tmp.path());
    src.setTableName(QStringLiteral("src.txt"));
    src.setFieldDefs({{QStringLiteral("ID"), FieldType::Integer, 0}, {QStringLiteral("NAME"), FieldType::String, 20}});
    src.createTable();
    src.open();
    for (int i : {5, 6, 6, 7}) {
        src.append();
        src.field(0).setValue(i);
        src.field(1).setAsString(QStringLiteral("n%1").arg(i));
        src.post();
    }
    src.close();

    Table dst;
    dst.setDatabaseName(tmp.path());
    dst.setTableName(QStringLiteral("dst.db"));
    dst.setTableType(TableType::Paradox);
    dst.setFieldDefs({{QStringLiteral("ID"), FieldType::Integer, 0}, {QStringLiteral("NAME"), FieldType::String, 20}});
    dst.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("ID")}, true, true}});
    dst.createTable();
    BatchMove move;
    move.setSource(&src);
    move.setDestination(&dst);
    move.setAbortOnKeyViolation(false);
    move.execute();
    QCOMPARE(move.movedCount(), 3);
    QCOMPARE(move.keyViolationCount(), 1);
    dst.emptyTable();
    dst.open();
    QCOMPARE(dst.recordCount(), 0);
    dst.close();
    move.execute();
    QCOMPARE(move.movedCount(), 3);

    // The first field made an auto-increment field in place, keeping values.
    dst.setExclusive(true);
    dst.open();
    dst.changeFieldType(0, {QString(), FieldType::AutoInc, 0});
    dst.setExclusive(false);
    dst.open();
    QCOMPARE(dst.field(0).type(), FieldType::AutoInc);
    dst.last();
    QCOMPARE(dst.field(0).asString(), QStringLiteral("7"));
    dst.append();
    dst.field(1).setAsString(QStringLiteral("new"));
    dst.post();
    QCOMPARE(dst.field(0).asString(), QStringLiteral("8"));

    // Keys must lead the table.
    Table bad;
    bad.setDatabaseName(tmp.path());
    bad.setTableName(QStringLiteral("bad.db"));
    bad.setTableType(TableType::Paradox);
    bad.setFieldDefs({{QStringLiteral("A"), FieldType::String, 5}, {QStringLiteral("B"), FieldType::Integer, 0}});
    bad.setIndexDefs({{QStringLiteral("pk"), {QStringLiteral("B")}, true, true}});
    QVERIFY_THROWS_EXCEPTION(EngineError, bad.createTable());
    QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("bad.db"))));
}

QTEST_GUILESS_MAIN(TestParadoxWrite)
#include "test_paradox_write.moc"
