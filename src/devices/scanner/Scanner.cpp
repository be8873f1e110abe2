#include "devices/scanner/Scanner.h"

#include <csignal>

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <QByteArray>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace vellora {

QString ScannerDevice::text() const
{
    QString t = (vendor + QLatin1Char(' ') + model).trimmed();
    if (t.isEmpty())
        return name;
    return t + QStringLiteral(" (") + name + QLatin1Char(')');
}

namespace {

// A picture larger than this is refused rather than held in memory.
constexpr qint64 kMaxScanBytes = 512LL * 1024 * 1024;
constexpr int kDpi = 300;

std::recursive_mutex &SaneMutex()
{
    static std::recursive_mutex m;
    return m;
}

struct State {
    bool initialised = false;
    ScannerProbe last;
    QString source;
};

State &state()
{
    static State s;
    return s;
}

bool EnsureInit()
{
    State &s = state();
    if (!s.initialised) {
        // Backends hand the picture over through a pipe from a reader thread
        // or process; when a read fails or is cancelled, the reader's next
        // write meets a closed pipe. That must be an error the reader sees
        // (EPIPE), not SIGPIPE, which would end the whole program.
        std::signal(SIGPIPE, SIG_IGN);
        SANE_Int version = 0;
        s.initialised = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    return s.initialised;
}

QString StatusText(SANE_Status status)
{
    return QString::fromUtf8(sane_strstatus(status));
}

// Closes the device however the acquisition ends.
class OpenDevice {
public:
    explicit OpenDevice(const QString &name)
    {
        const SANE_Status st = sane_open(name.toUtf8().constData(), &m_handle);
        if (st != SANE_STATUS_GOOD) {
            m_handle = nullptr;
            throw ScannerError(QStringLiteral("The scanner %1 cannot be opened: %2").arg(name, StatusText(st)));
        }
    }
    ~OpenDevice()
    {
        if (m_handle) {
            sane_cancel(m_handle);
            sane_close(m_handle);
        }
    }
    OpenDevice(const OpenDevice &) = delete;
    OpenDevice &operator=(const OpenDevice &) = delete;
    SANE_Handle handle() const { return m_handle; }

private:
    SANE_Handle m_handle = nullptr;
};

int FindOption(SANE_Handle h, const char *name)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor *o = sane_get_option_descriptor(h, i);
        if (!o)
            return -1;
        if (o->name && qstrcmp(o->name, name) == 0)
            return i;
    }
}

const SANE_Option_Descriptor *Settable(SANE_Handle h, int index)
{
    if (index < 0)
        return nullptr;
    const SANE_Option_Descriptor *o = sane_get_option_descriptor(h, index);
    if (!o || !SANE_OPTION_IS_ACTIVE(o->cap) || !SANE_OPTION_IS_SETTABLE(o->cap) || o->size < SANE_Int(sizeof(SANE_Word)))
        return nullptr;
    return o;
}

// Sets a numeric option (integer or fixed point) to the allowed value
// nearest to `value`; pick -1 / +1 takes the low / high end of its range.
void SetNumber(SANE_Handle h, const char *name, double value, int pick = 0)
{
    const int index = FindOption(h, name);
    const SANE_Option_Descriptor *o = Settable(h, index);
    if (!o || (o->type != SANE_TYPE_INT && o->type != SANE_TYPE_FIXED) || o->size != SANE_Int(sizeof(SANE_Word)))
        return;
    const bool fixed = o->type == SANE_TYPE_FIXED;
    auto toDouble = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
    double chosen = value;
    if (o->constraint_type == SANE_CONSTRAINT_RANGE && o->constraint.range) {
        const double lo = toDouble(o->constraint.range->min), hi = toDouble(o->constraint.range->max);
        chosen = pick < 0 ? lo : pick > 0 ? hi : std::clamp(value, lo, hi);
    } else if (o->constraint_type == SANE_CONSTRAINT_WORD_LIST && o->constraint.word_list) {
        const SANE_Word count = o->constraint.word_list[0];
        double best = 0;
        bool have = false;
        for (SANE_Word i = 1; i <= count; ++i) {
            const double v = toDouble(o->constraint.word_list[i]);
            const bool better = !have || (pick < 0 ? v < best : pick > 0 ? v > best : std::fabs(v - value) < std::fabs(best - value));
            if (better) {
                best = v;
                have = true;
            }
        }
        if (!have)
            return;
        chosen = best;
    } else if (pick != 0) {
        return;  // no range to take an end of
    }
    SANE_Word w = fixed ? SANE_FIX(chosen) : SANE_Word(std::lround(chosen));
    SANE_Int info = 0;
    sane_control_option(h, index, SANE_ACTION_SET_VALUE, &w, &info);
}

void SetColourMode(SANE_Handle h)
{
    const int index = FindOption(h, SANE_NAME_SCAN_MODE);
    const SANE_Option_Descriptor *o = Settable(h, index);
    if (!o || o->type != SANE_TYPE_STRING || o->constraint_type != SANE_CONSTRAINT_STRING_LIST)
        return;
    QByteArray chosen;
    for (const SANE_String_Const *s = o->constraint.string_list; s && *s; ++s) {
        const QByteArray v(*s);
        if (v == SANE_VALUE_SCAN_MODE_COLOR) {
            chosen = v;
            break;
        }
        if (chosen.isEmpty() && v.toLower().contains("color"))
            chosen = v;
    }
    if (chosen.isEmpty())
        return;
    QByteArray buffer(qMax<int>(o->size, chosen.size() + 1), '\0');
    std::copy(chosen.begin(), chosen.end(), buffer.begin());
    SANE_Int info = 0;
    sane_control_option(h, index, SANE_ACTION_SET_VALUE, buffer.data(), &info);
}

struct Frame {
    SANE_Parameters p{};
    QByteArray data;
};

// One 8-bit sample of a frame.
inline int Sample(const Frame &f, int line, int x, int channel, int channels)
{
    const uchar *row = reinterpret_cast<const uchar *>(f.data.constData()) + qint64(line) * f.p.bytes_per_line;
    switch (f.p.depth) {
    case 1: {
        const int bit = x * channels + channel;
        return (row[bit >> 3] & (0x80 >> (bit & 7))) ? 0 : 255;  // a set bit is black
    }
    case 16: {
        quint16 v;
        memcpy(&v, row + (qint64(x) * channels + channel) * 2, 2);
        return v >> 8;
    }
    default:
        return row[qint64(x) * channels + channel];
    }
}

std::optional<QImage> Compose(const QList<Frame> &frames)
{
    if (frames.isEmpty())
        return std::nullopt;
    const Frame &first = frames.first();
    const int width = first.p.pixels_per_line;
    if (width <= 0 || first.p.bytes_per_line <= 0 || (first.p.depth != 1 && first.p.depth != 8 && first.p.depth != 16))
        throw ScannerError(QStringLiteral("The scanner delivered a picture in a form the program does not read."));
    int lines = int(first.data.size() / first.p.bytes_per_line);
    for (const Frame &f : frames)
        lines = std::min<int>(lines, int(f.data.size() / qMax(1, f.p.bytes_per_line)));
    if (lines <= 0)
        return std::nullopt;

    if (frames.size() == 1 && first.p.format == SANE_FRAME_GRAY) {
        QImage img(width, lines, QImage::Format_Grayscale8);
        for (int y = 0; y < lines; ++y) {
            uchar *out = img.scanLine(y);
            for (int x = 0; x < width; ++x)
                out[x] = uchar(Sample(first, y, x, 0, 1));
        }
        return img;
    }
    QImage img(width, lines, QImage::Format_RGB888);
    if (frames.size() == 1 && first.p.format == SANE_FRAME_RGB) {
        for (int y = 0; y < lines; ++y) {
            uchar *out = img.scanLine(y);
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    out[x * 3 + c] = uchar(Sample(first, y, x, c, 3));
        }
        return img;
    }
    // Three frames, one per colour.
    img.fill(Qt::black);
    for (const Frame &f : frames) {
        const int c = f.p.format == SANE_FRAME_RED ? 0 : f.p.format == SANE_FRAME_GREEN ? 1 : f.p.format == SANE_FRAME_BLUE ? 2 : -1;
        if (c < 0 || f.p.pixels_per_line != width)
            throw ScannerError(QStringLiteral("The scanner delivered a picture in a form the program does not read."));
        for (int y = 0; y < lines; ++y) {
            uchar *out = img.scanLine(y);
            for (int x = 0; x < width; ++x)
                out[x * 3 + c] = uchar(Sample(f, y, x, 0, 1));
        }
    }
    return img;
}

bool NothingDelivered(SANE_Status st)
{
    return st == SANE_STATUS_CANCELLED || st == SANE_STATUS_NO_DOCS || st == SANE_STATUS_EOF;
}

}  // namespace

namespace Scanner {

ScannerProbe Probe()
{
    std::lock_guard lock(SaneMutex());
    ScannerProbe probe;
    probe.initialised = EnsureInit();
    if (probe.initialised) {
        const SANE_Device **list = nullptr;
        if (sane_get_devices(&list, SANE_FALSE) == SANE_STATUS_GOOD && list) {
            for (int i = 0; list[i]; ++i) {
                const SANE_Device *d = list[i];
                probe.devices.append({QString::fromUtf8(d->name), QString::fromUtf8(d->vendor), QString::fromUtf8(d->model),
                                      QString::fromUtf8(d->type)});
            }
        }
    }
    state().last = probe;
    return probe;
}

ScannerProbe LastProbe()
{
    std::lock_guard lock(SaneMutex());
    return state().last;
}

QString Source()
{
    std::lock_guard lock(SaneMutex());
    const State &s = state();
    for (const ScannerDevice &d : s.last.devices)
        if (d.name == s.source)
            return s.source;
    return s.last.devices.isEmpty() ? QString() : s.last.devices.first().name;
}

void SetSource(const QString &deviceName)
{
    std::lock_guard lock(SaneMutex());
    state().source = deviceName;
}

std::optional<QImage> Acquire()
{
    const QString source = Source();
    if (source.isEmpty())
        throw ScannerError(QStringLiteral("No scanner is connected."));
    return AcquireFrom(source);
}

std::optional<QImage> AcquireFrom(const QString &deviceName)
{
    std::lock_guard lock(SaneMutex());
    if (!EnsureInit())
        throw ScannerError(QStringLiteral("The scanner interface cannot be started."));
    OpenDevice device(deviceName);
    SANE_Handle h = device.handle();
    SetColourMode(h);
    SetNumber(h, SANE_NAME_SCAN_RESOLUTION, kDpi);
    SetNumber(h, SANE_NAME_SCAN_TL_X, 0, -1);
    SetNumber(h, SANE_NAME_SCAN_TL_Y, 0, -1);
    SetNumber(h, SANE_NAME_SCAN_BR_X, 0, +1);
    SetNumber(h, SANE_NAME_SCAN_BR_Y, 0, +1);

    QList<Frame> frames;
    qint64 total = 0;
    for (;;) {
        SANE_Status st = sane_start(h);
        if (NothingDelivered(st))
            return std::nullopt;
        if (st != SANE_STATUS_GOOD)
            throw ScannerError(QStringLiteral("The scan could not start: %1").arg(StatusText(st)));
        Frame frame;
        st = sane_get_parameters(h, &frame.p);
        if (st != SANE_STATUS_GOOD)
            throw ScannerError(QStringLiteral("The scan could not start: %1").arg(StatusText(st)));
        if (frame.p.lines > 0) {
            const qint64 expected = qint64(frame.p.lines) * frame.p.bytes_per_line;
            if (expected > kMaxScanBytes)
                throw ScannerError(QStringLiteral("The scanned picture is too large."));
            frame.data.reserve(expected);
        }
        QByteArray chunk(64 * 1024, '\0');
        for (;;) {
            SANE_Int len = 0;
            st = sane_read(h, reinterpret_cast<SANE_Byte *>(chunk.data()), SANE_Int(chunk.size()), &len);
            if (st == SANE_STATUS_EOF)
                break;
            if (st == SANE_STATUS_CANCELLED || st == SANE_STATUS_NO_DOCS)
                return std::nullopt;
            if (st != SANE_STATUS_GOOD)
                throw ScannerError(QStringLiteral("The scan failed: %1").arg(StatusText(st)));
            total += len;
            if (total > kMaxScanBytes)
                throw ScannerError(QStringLiteral("The scanned picture is too large."));
            frame.data.append(chunk.constData(), len);
        }
        const bool last = frame.p.last_frame;
        frames.append(std::move(frame));
        if (last || frames.size() >= 3)
            break;
    }
    return Compose(frames);
}

void Shutdown()
{
    std::lock_guard lock(SaneMutex());
    State &s = state();
    if (s.initialised)
        sane_exit();
    s.initialised = false;
    s.last = ScannerProbe();
}

}  // namespace Scanner

}  // namespace vellora
