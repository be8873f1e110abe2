// Feeds arbitrary bytes to the text-table reader: a schema file, the marker
// "TXTDATA::", then the table's text; every row is parsed and its values
// converted to their fields' types.
#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/text/TextTable.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype marker = input.indexOf("TXTDATA::");
    const QByteArray schemaBytes = marker < 0 ? input : input.left(marker);
    const QByteArray text = marker < 0 ? QByteArray() : input.mid(marker + 9);
    try {
        using namespace vellora::engine;
        const TextSchema schema = parseTextSchema(QString::fromUtf8(schemaBytes), QStringLiteral("fuzz.sch"));
        (void)formatTextSchema(schema);
        const QList<QStringList> rows = parseTextRows(text, schema, QStringLiteral("fuzz.txt"));
        for (const QStringList &row : rows)
            for (int i = 0; i < row.size() && i < schema.fields.size(); ++i) {
                bool ok = true;
                (void)parseValue(row[i], textFieldDef(schema.fields[i]), &ok);
            }
    } catch (const vellora::EngineError &) {
    }
    return 0;
}
