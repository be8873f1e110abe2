// Feeds arbitrary bytes to the dBASE / FoxPro reader: a table, optionally
// followed by the marker "DBFMEMO::" and the contents of its memo file.
#include "engine/EngineError.h"
#include "engine/dbase/DbfFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype marker = input.indexOf("DBFMEMO::");
    const QByteArray table = marker < 0 ? input : input.left(marker);
    const QByteArray memo = marker < 0 ? QByteArray() : input.mid(marker + 9);
    try {
        vellora::dbase::DbfFile dbf;
        dbf.parse(table.constData(), table.size(), QStringLiteral("fuzz.dbf"));
        dbf.setMemo(memo.constData(), memo.size(), marker >= 0, QStringLiteral("fuzz.dbt"));
        (void)dbf.fieldDefs();
        QVariantList row;
        for (qint64 r = 0; r < dbf.recordCount() && r < 100000; ++r) {
            if (dbf.isDeleted(r))
                continue;
            try {
                dbf.readRecord(r, row);
            } catch (const vellora::EngineError &) {
            }
        }
    } catch (const vellora::EngineError &) {
    }
    return 0;
}
