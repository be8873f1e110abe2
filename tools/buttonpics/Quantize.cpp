#include "Quantize.h"

#include <QHash>
#include <QVector>
#include <algorithm>

namespace buttonpics {

namespace {

struct Entry {
    QRgb color;
    int count;
};

struct Box {
    int begin, end;  // range in the entry list
    int longestAxis(const QVector<Entry> &entries, int *span) const
    {
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (int i = begin; i < end; ++i) {
            const int c[3] = {qRed(entries[i].color), qGreen(entries[i].color), qBlue(entries[i].color)};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], c[k]);
                hi[k] = std::max(hi[k], c[k]);
            }
        }
        int axis = 0;
        *span = hi[0] - lo[0];
        for (int k = 1; k < 3; ++k)
            if (hi[k] - lo[k] > *span) {
                *span = hi[k] - lo[k];
                axis = k;
            }
        return axis;
    }
};

int channel(QRgb c, int axis) { return axis == 0 ? qRed(c) : axis == 1 ? qGreen(c) : qBlue(c); }

}  // namespace

QImage ToIndexed8(const QImage &source, int maxColors)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> histogram;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ++histogram[line[x] | 0xFF000000u];
    }
    QVector<Entry> entries;
    entries.reserve(histogram.size());
    for (auto it = histogram.constBegin(); it != histogram.constEnd(); ++it)
        entries.append({it.key(), it.value()});
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.color < b.color; });

    QVector<QRgb> palette;
    QHash<QRgb, int> indexOf;
    if (entries.size() <= maxColors) {
        for (const Entry &e : entries) {
            indexOf.insert(e.color, static_cast<int>(palette.size()));
            palette.append(e.color);
        }
    } else {
        QVector<Box> boxes{{0, static_cast<int>(entries.size())}};
        while (boxes.size() < maxColors) {
            // Split the box with the widest colour span that can be split.
            int best = -1, bestSpan = 0;
            for (int i = 0; i < boxes.size(); ++i) {
                int span = 0;
                boxes[i].longestAxis(entries, &span);
                if (boxes[i].end - boxes[i].begin > 1 && span > bestSpan) {
                    bestSpan = span;
                    best = i;
                }
            }
            if (best < 0)
                break;
            Box box = boxes[best];
            int span = 0;
            const int axis = box.longestAxis(entries, &span);
            std::sort(entries.begin() + box.begin, entries.begin() + box.end,
                      [axis](const Entry &a, const Entry &b) { return channel(a.color, axis) < channel(b.color, axis); });
            long long total = 0;
            for (int i = box.begin; i < box.end; ++i)
                total += entries[i].count;
            long long acc = 0;
            int split = box.begin + 1;
            for (int i = box.begin; i < box.end - 1; ++i) {
                acc += entries[i].count;
                split = i + 1;
                if (2 * acc >= total)
                    break;
            }
            boxes[best] = {box.begin, split};
            boxes.append({split, box.end});
        }
        for (const Box &box : boxes) {
            long long r = 0, g = 0, b = 0, n = 0;
            for (int i = box.begin; i < box.end; ++i) {
                r += qRed(entries[i].color) * static_cast<long long>(entries[i].count);
                g += qGreen(entries[i].color) * static_cast<long long>(entries[i].count);
                b += qBlue(entries[i].color) * static_cast<long long>(entries[i].count);
                n += entries[i].count;
            }
            const int index = static_cast<int>(palette.size());
            palette.append(qRgb(int(r / n), int(g / n), int(b / n)));
            for (int i = box.begin; i < box.end; ++i)
                indexOf.insert(entries[i].color, index);
        }
    }
    QImage out(image.size(), QImage::Format_Indexed8);
    out.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < image.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *dst = out.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            dst[x] = static_cast<uchar>(indexOf.value(in[x] | 0xFF000000u));
    }
    return out;
}

}  // namespace buttonpics
