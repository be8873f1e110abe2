// Layout files and their comma-text lines from arbitrary bytes: reading
// must never crash, and what was read must survive a write and a read.
#include "engine/text/Cp1252.h"
#include "layout/file/CommaText.h"
#include "layout/file/LayoutFile.h"

#include <cstdint>
#include <cstdlib>

using namespace vellora;

namespace {

bool hasLegacyName(const LayoutRecord &r)
{
    for (const LayoutItem &it : r.items)
        if (it.name.startsWith(QLatin1String("Lastname")) || it.name.startsWith(QLatin1String("Firstname"))
            || it.name.startsWith(QLatin1String("CardNumber")))
            return true;
    return false;
}

void check(bool ok)
{
    if (!ok)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const LayoutReader reader = data[0] & 1 ? LayoutReader::CardFace : LayoutReader::Designer;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    // One line of comma text: joining the fields read gives them back.
    const QString text = DecodeStoredText(bytes);
    const QStringList fields = SplitCommaText(text);
    if (!(fields.size() == 1 && fields[0].isEmpty()))
        check(SplitCommaText(JoinCommaText(fields)) == fields);

    LayoutLoadOptions options;
    options.reader = reader;
    const LayoutLoad load = ParseLayout(bytes, options);
    check(load.ok() == load.error.isEmpty());
    if (!load.ok())
        check(load.errorLine >= 1);

    // The designer writes back what it read; read again, that is the same
    // record, and written again the same bytes.
    if (load.ok() && reader == LayoutReader::Designer && !hasLegacyName(load.record)) {
        LayoutRecord rec = load.record;
        for (LayoutItem &it : rec.items)
            if (it.kind == LayoutItemKind::StaticText && !it.alignment)
                it.alignment = LayoutAlignment::Left;
        QString error;
        const auto written = EncodeLayoutFile(rec, &error);
        check(written.has_value());
        const LayoutLoad again = ParseLayout(*written, options);
        check(again.ok());
        check(again.record == rec);
        const auto twice = EncodeLayoutFile(again.record);
        check(twice.has_value() && *twice == *written);
    }
    return 0;
}
