// Feeds arbitrary bytes to the Paradox reader: a table, optionally followed
// by the marker "PXMEMO::" and the contents of its memo file.
#include "engine/paradox/ParadoxReader.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype marker = input.indexOf("PXMEMO::");
    const QByteArray table = marker < 0 ? input : input.left(marker);
    const QByteArray memo = marker < 0 ? QByteArray() : input.mid(marker + 8);
    (void)vellora::paradox::ParadoxReader::looksLikeParadox(table);
    try {
        vellora::paradox::ParadoxReader reader;
        reader.openData(table, QStringLiteral("fuzz.db"), memo);
        QVariantList row;
        int rows = 0;
        while (reader.next(row) && ++rows < 100000) {
        }
    } catch (const vellora::paradox::ParadoxError &) {
    }
    return 0;
}
