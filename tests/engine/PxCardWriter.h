// Writes a legacy card table with pxlib: AutoInc first field, then Alpha
// fields; text in Windows-1252. For the engine's conversion tests and
// benchmark.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringConverter>
#include <QStringList>

extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>

namespace vellora::test {

struct PxCard {
    int number = 0;
    QStringList texts;   // one per Alpha field; empty = null
};

inline void pxQuiet(pxdoc_t *, int, const char *, void *) {}

// widths: the Alpha fields after the AutoInc field "Card_Number".
inline bool writePxCardTable(const QString &path, const QStringList &names, const QList<int> &widths,
                             const QList<PxCard> &cards, int nextAutoInc = 0)
{
    pxdoc_t *px = PX_new3(pxQuiet, nullptr, nullptr, nullptr, nullptr);
    const int n = int(names.size()) + 1;
    auto *pxf = static_cast<pxfield_t *>(std::calloc(size_t(n), sizeof(pxfield_t)));
    pxf[0].px_fname = strdup("Card_Number");
    pxf[0].px_ftype = pxfAutoInc;
    pxf[0].px_flen = 4;
    int recordSize = 4;
    for (int i = 1; i < n; ++i) {
        pxf[i].px_fname = strdup(names[i - 1].toLatin1().constData());
        pxf[i].px_ftype = pxfAlpha;
        pxf[i].px_flen = widths[i - 1];
        recordSize += widths[i - 1];
    }
    const QByteArray file = QFile::encodeName(path);
    if (PX_create_file(px, pxf, n, file.constData(), pxfFileTypIndexDB) < 0) {
        PX_delete(px);
        return false;
    }
    PX_set_value(px, "codepage", 1252.0f);
    PX_set_value(px, "numprimkeys", 1.0f);
    PX_set_parameter(px, "tablename", "cardset1");
    int highestNumber = 0;
    for (const PxCard &c : cards)
        highestNumber = std::max(highestNumber, c.number);
    QByteArray record(recordSize, '\0');
    auto encoder = QStringEncoder("windows-1252");
    for (const PxCard &c : cards) {
        record.fill('\0');
        char *p = record.data();
        PX_put_data_long(px, p, 4, c.number);
        p += 4;
        for (int i = 1; i < n; ++i) {
            const QString t = c.texts.value(i - 1);
            if (!t.isEmpty()) {
                QByteArray b = encoder.encode(t);
                b.truncate(widths[i - 1]);
                b.resize(widths[i - 1] + 1, '\0');
                PX_put_data_alpha(px, p, widths[i - 1], b.data());
            }
            p += widths[i - 1];
        }
        if (PX_put_record(px, record.data()) < 0) {
            PX_delete(px);
            return false;
        }
    }
    PX_close(px);
    PX_delete(px);
    // pxlib leaves the header's auto-increment value alone: set it here
    // (little-endian, last number handed out, at 0x49).
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(0x49))
        return false;
    const quint32 last = quint32(nextAutoInc > 0 ? nextAutoInc - 1 : highestNumber);
    const char le[4] = {char(last & 0xff), char((last >> 8) & 0xff), char((last >> 16) & 0xff), char(last >> 24)};
    return f.write(le, 4) == 4;
}

} // namespace vellora::test
