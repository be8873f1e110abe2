// GStreamer headers come before Qt's: glib uses "signals" as a name.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/colorbalance.h>
#include <gst/video/video.h>

#include "devices/video/VideoCapture.h"

#include <QMetaObject>
#include <QSaveFile>
#include <QTransform>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace vellora {

QString VideoFormat::text() const
{
    QString t = QStringLiteral("%1 x %2").arg(width).arg(height);
    if (fpsNum > 0 && fpsDen > 0) {
        const double fps = double(fpsNum) / fpsDen;
        t += QStringLiteral(", %1 fps").arg(fps, 0, 'g', 4);
    }
    if (mediaType == QLatin1String("video/x-raw"))
        t += QStringLiteral(", ") + pixelFormat;
    else if (mediaType == QLatin1String("image/jpeg"))
        t += QStringLiteral(", MJPEG");
    else
        t += QStringLiteral(", ") + mediaType;
    return t;
}

QImage ApplyDisplayOptions(const QImage &frame, const VideoDisplayOptions &options)
{
    if (frame.isNull() || (!options.mirror && options.rotation % 360 == 0))
        return frame;
    QImage out = options.mirror ? frame.mirrored(true, false) : frame;
    const int turn = ((options.rotation % 360) + 360) % 360;
    if (turn != 0)
        out = out.transformed(QTransform().rotate(turn));
    return out;
}

namespace {

bool EnsureGstreamer()
{
    static const bool ok = [] {
        GError *error = nullptr;
        const bool r = gst_init_check(nullptr, nullptr, &error);
        if (error)
            g_error_free(error);
        return r;
    }();
    return ok;
}

QString StructureString(const GstStructure *s, const char *field)
{
    const gchar *v = gst_structure_get_string(s, field);
    return v ? QString::fromUtf8(v) : QString();
}

// Integer values of a caps field: a plain int, a list of ints, or the two
// ends of a range.
QList<int> IntValues(const GValue *v)
{
    QList<int> out;
    if (!v)
        return out;
    if (G_VALUE_HOLDS_INT(v))
        out.append(g_value_get_int(v));
    else if (GST_VALUE_HOLDS_LIST(v)) {
        for (guint i = 0; i < gst_value_list_get_size(v); ++i)
            out += IntValues(gst_value_list_get_value(v, i));
    } else if (GST_VALUE_HOLDS_INT_RANGE(v)) {
        out.append(gst_value_get_int_range_max(v));
    }
    return out;
}

QList<QPair<int, int>> FractionValues(const GValue *v)
{
    QList<QPair<int, int>> out;
    if (!v)
        return out;
    if (GST_VALUE_HOLDS_FRACTION(v))
        out.append({gst_value_get_fraction_numerator(v), gst_value_get_fraction_denominator(v)});
    else if (GST_VALUE_HOLDS_LIST(v)) {
        for (guint i = 0; i < gst_value_list_get_size(v); ++i)
            out += FractionValues(gst_value_list_get_value(v, i));
    } else if (GST_VALUE_HOLDS_FRACTION_RANGE(v)) {
        const GValue *max = gst_value_get_fraction_range_max(v);
        if (max)
            out += FractionValues(max);
    }
    return out;
}

QStringList StringValues(const GValue *v)
{
    QStringList out;
    if (!v)
        return out;
    if (G_VALUE_HOLDS_STRING(v))
        out.append(QString::fromUtf8(g_value_get_string(v)));
    else if (GST_VALUE_HOLDS_LIST(v)) {
        for (guint i = 0; i < gst_value_list_get_size(v); ++i)
            out += StringValues(gst_value_list_get_value(v, i));
    }
    return out;
}

QList<VideoFormat> FormatsOfCaps(const GstCaps *caps)
{
    QList<VideoFormat> out;
    if (!caps || gst_caps_is_any(caps))
        return out;
    for (guint i = 0; i < gst_caps_get_size(caps) && out.size() < 200; ++i) {
        const GstStructure *s = gst_caps_get_structure(caps, i);
        const QString media = QString::fromUtf8(gst_structure_get_name(s));
        if (!media.startsWith(QLatin1String("video/")) && !media.startsWith(QLatin1String("image/")))
            continue;
        QStringList pixelFormats = StringValues(gst_structure_get_value(s, "format"));
        if (pixelFormats.isEmpty())
            pixelFormats.append(QString());
        const QList<int> widths = IntValues(gst_structure_get_value(s, "width"));
        const QList<int> heights = IntValues(gst_structure_get_value(s, "height"));
        QList<QPair<int, int>> rates = FractionValues(gst_structure_get_value(s, "framerate"));
        if (rates.isEmpty())
            rates.append({0, 1});
        if (widths.size() != 1 || heights.size() != 1)
            continue;  // a range or a list of sizes is not one format
        for (const QString &pf : pixelFormats)
            for (const auto &rate : rates) {
                VideoFormat f{media, pf, widths.first(), heights.first(), rate.first, rate.second};
                if (!out.contains(f))
                    out.append(f);
            }
    }
    return out;
}

GstCaps *CapsOfFormat(const VideoFormat &f)
{
    GstStructure *s = gst_structure_new_empty(f.mediaType.toUtf8().constData());
    if (!f.pixelFormat.isEmpty())
        gst_structure_set(s, "format", G_TYPE_STRING, f.pixelFormat.toUtf8().constData(), nullptr);
    gst_structure_set(s, "width", G_TYPE_INT, f.width, "height", G_TYPE_INT, f.height, nullptr);
    if (f.fpsNum > 0 && f.fpsDen > 0)
        gst_structure_set(s, "framerate", GST_TYPE_FRACTION, f.fpsNum, f.fpsDen, nullptr);
    GstCaps *caps = gst_caps_new_empty();
    gst_caps_append_structure(caps, s);
    return caps;
}

// The test camera's formats: what an ordinary webcam offers.
QList<VideoFormat> TestCameraFormats()
{
    QList<VideoFormat> out;
    const QSize sizes[] = {{640, 480}, {1280, 720}, {320, 240}, {1920, 1080}};
    for (const char *pf : {"YUY2", "I420"})
        for (QSize s : sizes)
            out.append({QStringLiteral("video/x-raw"), QLatin1String(pf), s.width(), s.height(), 30, 1});
    // Webcams send their large sizes compressed.
    for (QSize s : {QSize(1280, 720), QSize(1920, 1080)})
        out.append({QStringLiteral("image/jpeg"), QString(), s.width(), s.height(), 30, 1});
    return out;
}

struct DeviceEntry {
    VideoDriver info;
    GstDevice *device = nullptr;  // owned reference; null for the test camera
};

bool TestCameraWanted()
{
    return qEnvironmentVariable("VELLORA_TEST_CAMERA") == QLatin1String("1");
}

}  // namespace

struct VideoCapture::Private {
    VideoCapture *q = nullptr;
    QList<DeviceEntry> devices;
    int index = -1;
    VideoFormat chosenFormat;
    VideoDisplayOptions display;

    GstElement *pipeline = nullptr;
    GstElement *source = nullptr;
    GstElement *sink = nullptr;

    // Shared with the streaming thread.
    mutable std::mutex mutex;
    std::condition_variable firstFrame;
    GstSample *latest = nullptr;
    QSize frameSize;  // before display options
    QSize previewSize{244, 200};
    VideoDisplayOptions streamDisplay;
    std::atomic<bool> previewOn{false};
    std::atomic<bool> previewPending{false};
    std::atomic<bool> lost{false};
    std::atomic<quint64> frames{0};

    ~Private() { clearDevices(); }

    void clearDevices()
    {
        for (DeviceEntry &e : devices)
            if (e.device)
                gst_object_unref(e.device);
        devices.clear();
    }

    DeviceEntry *selected()
    {
        return index >= 0 && index < devices.size() ? &devices[index] : nullptr;
    }

    GstElement *createSource(const DeviceEntry &entry, const VideoFormat &format)
    {
        if (!entry.device) {
            // The test camera: the test pattern, JPEG-compressed frame by
            // frame when a compressed format is chosen, as a webcam sends.
            const bool jpeg = format.mediaType == QLatin1String("image/jpeg");
            GError *error = nullptr;
            GstElement *src = gst_parse_bin_from_description(
                jpeg ? "videotestsrc is-live=true pattern=smpte ! jpegenc" : "videotestsrc is-live=true pattern=smpte",
                TRUE, &error);
            if (error)
                g_error_free(error);
            return src;
        }
        return gst_device_create_element(entry.device, nullptr);
    }

    static GstFlowReturn onSample(GstAppSink *appsink, gpointer user)
    {
        auto *self = static_cast<Private *>(user);
        GstSample *sample = gst_app_sink_pull_sample(appsink);
        if (!sample)
            return GST_FLOW_OK;
        self->frames.fetch_add(1);
        QSize size;
        if (GstCaps *caps = gst_sample_get_caps(sample)) {
            const GstStructure *s = gst_caps_get_structure(caps, 0);
            int w = 0, h = 0;
            gst_structure_get_int(s, "width", &w);
            gst_structure_get_int(s, "height", &h);
            size = QSize(w, h);
        }
        QSize previewSize;
        VideoDisplayOptions display;
        {
            std::lock_guard lock(self->mutex);
            if (self->latest)
                gst_sample_unref(self->latest);
            self->latest = gst_sample_ref(sample);
            self->frameSize = size;
            previewSize = self->previewSize;
            display = self->streamDisplay;
        }
        self->firstFrame.notify_all();

        if (self->previewOn.load() && !self->previewPending.load() && previewSize.isValid()) {
            QImage scaled = ScaledFrame(sample, previewSize, display);
            if (!scaled.isNull()) {
                self->previewPending.store(true);
                VideoCapture *q = self->q;
                QMetaObject::invokeMethod(
                    q,
                    [q, scaled] {
                        q->d->previewPending.store(false);
                        if (q->d->previewOn.load() && q->d->pipeline)
                            Q_EMIT q->previewFrame(scaled);
                    },
                    Qt::QueuedConnection);
            }
        }
        gst_sample_unref(sample);
        return GST_FLOW_OK;
    }

    // Wraps the sample's BGRx pixels as a picture (no copy: valid while the
    // map lasts).
    template <typename F>
    static bool WithFrame(GstSample *sample, F &&use)
    {
        GstCaps *caps = gst_sample_get_caps(sample);
        GstBuffer *buffer = gst_sample_get_buffer(sample);
        GstVideoInfo info;
        if (!caps || !buffer || !gst_video_info_from_caps(&info, caps))
            return false;
        GstVideoFrame frame;
        if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
            return false;
        const QImage view(static_cast<const uchar *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)), GST_VIDEO_FRAME_WIDTH(&frame),
                          GST_VIDEO_FRAME_HEIGHT(&frame), GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
        use(view);
        gst_video_frame_unmap(&frame);
        return true;
    }

    static QImage ScaledFrame(GstSample *sample, QSize box, const VideoDisplayOptions &display)
    {
        QImage out;
        WithFrame(sample, [&](const QImage &view) {
            const bool turned = (display.rotation / 90) % 2 != 0;
            QSize target = turned ? box.transposed() : box;
            QSize scaled = view.size().scaled(target, Qt::KeepAspectRatio);
            if (scaled.isEmpty())
                return;
            // Smooth scaling costs little at these sizes and runs here, on
            // the streaming thread.
            out = ApplyDisplayOptions(view.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), display);
        });
        return out;
    }

    static GstBusSyncReply onBusMessage(GstBus *, GstMessage *message, gpointer user)
    {
        auto *self = static_cast<Private *>(user);
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR || GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            QString text = QStringLiteral("The camera stopped delivering pictures.");
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                GError *error = nullptr;
                gst_message_parse_error(message, &error, nullptr);
                if (error) {
                    text = QString::fromUtf8(error->message);
                    g_error_free(error);
                }
            }
            const bool wasLost = self->lost.exchange(true);
            self->firstFrame.notify_all();
            if (!wasLost) {
                VideoCapture *q = self->q;
                QMetaObject::invokeMethod(
                    q,
                    [q, text] {
                        // The pipeline is stopped here, on the owner's thread:
                        // the live picture stops and the next capture fails.
                        if (q->d->pipeline) {
                            gst_element_set_state(q->d->pipeline, GST_STATE_NULL);
                            Q_EMIT q->deviceLost(text);
                        }
                    },
                    Qt::QueuedConnection);
            }
        }
        return GST_BUS_PASS;
    }

    void destroyPipeline()
    {
        if (pipeline) {
            gst_element_set_state(pipeline, GST_STATE_NULL);
            if (GstBus *bus = gst_element_get_bus(pipeline)) {
                gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
                gst_object_unref(bus);
            }
            gst_object_unref(pipeline);
        }
        pipeline = nullptr;
        source = nullptr;
        sink = nullptr;
        std::lock_guard lock(mutex);
        if (latest)
            gst_sample_unref(latest);
        latest = nullptr;
        frameSize = QSize();
        previewPending.store(false);
    }

    // Asks a source element about its picture controls; the element must be
    // at least READY.
    static QList<VideoControl> ControlsOf(GstElement *src)
    {
        QList<VideoControl> out;
        if (!src || !GST_IS_COLOR_BALANCE(src))
            return out;
        GstColorBalance *balance = GST_COLOR_BALANCE(src);
        for (const GList *l = gst_color_balance_list_channels(balance); l; l = l->next) {
            auto *channel = static_cast<GstColorBalanceChannel *>(l->data);
            if (!channel || channel->max_value <= channel->min_value)
                continue;
            out.append({QString::fromUtf8(channel->label), channel->min_value, channel->max_value,
                        gst_color_balance_get_value(balance, channel)});
        }
        return out;
    }

    // Runs `ask` with the source element of the selected driver: the open
    // pipeline's, or one made and readied just for the question.
    template <typename F>
    void withSource(F &&ask)
    {
        if (source) {
            ask(source);
            return;
        }
        DeviceEntry *entry = selected();
        if (!entry || !EnsureGstreamer())
            return;
        GstElement *src = createSource(*entry, chosenFormat);
        if (!src)
            return;
        gst_object_ref_sink(src);
        if (gst_element_set_state(src, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE)
            ask(src);
        gst_element_set_state(src, GST_STATE_NULL);
        gst_object_unref(src);
    }
};

VideoCapture::VideoCapture(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
}

VideoCapture::~VideoCapture()
{
    d->destroyPipeline();
}

QList<VideoDriver> VideoCapture::listDrivers()
{
    close();
    const QString selectedId = d->selected() ? d->selected()->info.id : QString();
    const int oldIndex = d->index;
    d->clearDevices();
    if (EnsureGstreamer()) {
        GstDeviceMonitor *monitor = gst_device_monitor_new();
        gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
        if (gst_device_monitor_start(monitor)) {
            GList *list = gst_device_monitor_get_devices(monitor);
            for (GList *l = list; l; l = l->next) {
                auto *device = GST_DEVICE(l->data);
                DeviceEntry e;
                gchar *name = gst_device_get_display_name(device);
                e.info.name = QString::fromUtf8(name).trimmed();
                g_free(name);
                if (GstStructure *props = gst_device_get_properties(device)) {
                    e.info.version = StructureString(props, "device.api");
                    e.info.id = StructureString(props, "device.path");
                    if (e.info.id.isEmpty())
                        e.info.id = StructureString(props, "api.v4l2.path");
                    if (e.info.id.isEmpty())
                        e.info.id = StructureString(props, "object.path");
                    gst_structure_free(props);
                }
                if (e.info.version.isEmpty())
                    e.info.version = QStringLiteral("video");
                e.device = GST_DEVICE(gst_object_ref(device));
                d->devices.append(e);
            }
            g_list_free_full(list, gst_object_unref);
            gst_device_monitor_stop(monitor);
        }
        gst_object_unref(monitor);
    }
    std::stable_sort(d->devices.begin(), d->devices.end(), [](const DeviceEntry &a, const DeviceEntry &b) {
        const int byName = QString::compare(a.info.name, b.info.name, Qt::CaseInsensitive);
        if (byName != 0)
            return byName < 0;
        if (a.info.version != b.info.version)
            return a.info.version < b.info.version;
        return a.info.id < b.info.id;
    });
    if (TestCameraWanted() && EnsureGstreamer() && gst_element_factory_find("videotestsrc")) {
        DeviceEntry e;
        e.info = {QStringLiteral("Test Camera"), QStringLiteral("test"), QStringLiteral("videotestsrc")};
        d->devices.append(e);
    }
    while (d->devices.size() > kMaxDrivers) {
        // Keep the test camera reachable when it was asked for.
        DeviceEntry e = d->devices.takeAt(d->devices.size() > kMaxDrivers && !d->devices.last().device ? kMaxDrivers - 1 : kMaxDrivers);
        if (e.device)
            gst_object_unref(e.device);
    }
    d->index = -1;
    for (int i = 0; i < d->devices.size(); ++i)
        if (!selectedId.isEmpty() && d->devices[i].info.id == selectedId)
            d->index = i;
    if (d->index < 0 && selectedId.isEmpty() && oldIndex >= 0 && oldIndex < d->devices.size())
        d->index = oldIndex;
    return drivers();
}

QList<VideoDriver> VideoCapture::drivers() const
{
    QList<VideoDriver> out;
    for (const DeviceEntry &e : d->devices)
        out.append(e.info);
    return out;
}

bool VideoCapture::selectDriverByName(const QString &name)
{
    for (int i = 0; i < d->devices.size(); ++i)
        if (d->devices[i].info.name == name) {
            selectDriver(i);
            return true;
        }
    selectDriver(-1);
    return false;
}

void VideoCapture::selectDriver(int index)
{
    const int next = index >= 0 && index < d->devices.size() ? index : -1;
    if (next != d->index) {
        close();
        d->chosenFormat = VideoFormat();
    }
    d->index = next;
}

int VideoCapture::driverIndex() const { return d->index; }

QString VideoCapture::driverName() const
{
    return d->index >= 0 && d->index < d->devices.size() ? d->devices[d->index].info.name : QString();
}

void VideoCapture::open()
{
    if (d->pipeline && !d->lost.load())
        return;
    d->destroyPipeline();
    DeviceEntry *entry = d->selected();
    if (!entry)
        throw VideoCaptureError(QString::fromLatin1(kNoCaptureDriver));
    if (!EnsureGstreamer())
        throw VideoCaptureError(QString::fromLatin1(kCannotCreateCaptureWindow));

    // The test camera starts as an ordinary webcam does: 640 x 480 at 30.
    const VideoFormat format = d->chosenFormat.isNull() && !entry->device ? TestCameraFormats().first() : d->chosenFormat;
    GstElement *pipeline = gst_pipeline_new("capture");
    GstElement *src = d->createSource(*entry, format);
    GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement *decode = gst_element_factory_make("decodebin", nullptr);
    GstElement *convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement *sink = gst_element_factory_make("appsink", nullptr);
    if (!pipeline || !src || !filter || !convert || !sink) {
        for (GstElement *e : {pipeline, src, filter, decode, convert, sink})
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        throw VideoCaptureError(QString::fromLatin1(kCannotCreateCaptureWindow));
    }
    // Compressed formats (MJPEG, H.264) go through a decoder; raw ones,
    // whatever their pixel layout or depth, straight to videoconvert.
    const bool compressed = !format.isNull() && format.mediaType != QLatin1String("video/x-raw");
    if (!format.isNull()) {
        GstCaps *caps = CapsOfFormat(format);
        g_object_set(filter, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    GstCaps *sinkCaps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr);
    g_object_set(sink, "caps", sinkCaps, "max-buffers", 1, "drop", TRUE, "sync", FALSE, "emit-signals", FALSE, nullptr);
    gst_caps_unref(sinkCaps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &Private::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, d.get(), nullptr);

    bool linked = false;
    if (compressed && decode) {
        gst_bin_add_many(GST_BIN(pipeline), src, filter, decode, convert, sink, nullptr);
        linked = gst_element_link_many(src, filter, decode, nullptr) && gst_element_link(convert, sink);
        g_signal_connect(decode, "pad-added", G_CALLBACK(+[](GstElement *, GstPad *pad, gpointer convert) {
                             GstPad *sinkPad = gst_element_get_static_pad(GST_ELEMENT(convert), "sink");
                             if (sinkPad && !gst_pad_is_linked(sinkPad))
                                 gst_pad_link(pad, sinkPad);
                             if (sinkPad)
                                 gst_object_unref(sinkPad);
                         }),
                         convert);
    } else {
        if (decode)
            gst_object_unref(gst_object_ref_sink(decode));
        gst_bin_add_many(GST_BIN(pipeline), src, filter, convert, sink, nullptr);
        linked = gst_element_link_many(src, filter, convert, sink, nullptr);
    }
    d->pipeline = pipeline;
    d->source = src;
    d->sink = sink;
    d->lost.store(false);
    d->frames.store(0);
    {
        std::lock_guard lock(d->mutex);
        d->streamDisplay = d->display;
    }
    if (GstBus *bus = gst_element_get_bus(pipeline)) {
        gst_bus_set_sync_handler(bus, &Private::onBusMessage, d.get(), nullptr);
        gst_object_unref(bus);
    }
    if (!linked) {
        d->destroyPipeline();
        throw VideoCaptureError(QString::fromLatin1(kCannotCreateCaptureWindow));
    }
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        d->destroyPipeline();
        throw VideoCaptureError(QString::fromLatin1(kCannotConnectCaptureDriver));
    }
    // The picture size is known with the first frame.
    std::unique_lock lock(d->mutex);
    const bool arrived = d->firstFrame.wait_for(lock, std::chrono::seconds(4),
                                                [this] { return d->latest != nullptr || d->lost.load(); });
    const bool ok = arrived && d->latest;
    lock.unlock();
    if (!ok) {
        d->destroyPipeline();
        throw VideoCaptureError(QString::fromLatin1(kCannotConnectCaptureDriver));
    }
}

void VideoCapture::close()
{
    d->previewOn.store(false);
    d->destroyPipeline();
    d->lost.store(false);
}

bool VideoCapture::isOpen() const { return d->pipeline != nullptr; }
bool VideoCapture::lost() const { return d->lost.load(); }

void VideoCapture::setPreview(bool on) { d->previewOn.store(on); }
bool VideoCapture::preview() const { return d->previewOn.load(); }

void VideoCapture::setPreviewSize(QSize size)
{
    std::lock_guard lock(d->mutex);
    d->previewSize = size;
}

QSize VideoCapture::pictureSize() const
{
    QSize s;
    {
        std::lock_guard lock(d->mutex);
        s = d->frameSize;
    }
    if (s.isEmpty() || !d->pipeline)
        return QSize();
    return (d->display.rotation / 90) % 2 != 0 ? s.transposed() : s;
}

QImage VideoCapture::grabFrame() const
{
    if (!d->pipeline || d->lost.load())
        throw VideoCaptureError(QStringLiteral("The camera is not delivering pictures."));
    GstSample *sample = nullptr;
    VideoDisplayOptions display;
    {
        std::lock_guard lock(d->mutex);
        if (d->latest)
            sample = gst_sample_ref(d->latest);
        display = d->streamDisplay;
    }
    if (!sample)
        return QImage();
    QImage copy;
    Private::WithFrame(sample, [&](const QImage &view) { copy = view.copy(); });
    gst_sample_unref(sample);
    return ApplyDisplayOptions(copy, display);
}

bool VideoCapture::saveFrame(const QString &path) const
{
    const QImage frame = grabFrame();
    if (frame.isNull())
        throw VideoCaptureError(QStringLiteral("The camera has not delivered a picture yet."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!frame.convertToFormat(QImage::Format_RGB888).save(&file, "BMP"))
        return false;
    return file.commit();
}

bool VideoCapture::hasFormats() { return !formats().isEmpty(); }
bool VideoCapture::hasControls() { return !controls().isEmpty(); }
bool VideoCapture::hasDisplayOptions() const { return d->index >= 0; }

QList<VideoFormat> VideoCapture::formats()
{
    DeviceEntry *entry = d->selected();
    if (!entry)
        return {};
    if (!entry->device)
        return TestCameraFormats();
    GstCaps *caps = gst_device_get_caps(entry->device);
    QList<VideoFormat> out = FormatsOfCaps(caps);
    if (caps)
        gst_caps_unref(caps);
    return out;
}

VideoFormat VideoCapture::format() const { return d->chosenFormat; }

void VideoCapture::setFormat(const VideoFormat &format)
{
    if (format == d->chosenFormat)
        return;
    const bool wasOpen = isOpen() && !lost();
    const bool wasPreview = preview();
    close();
    d->chosenFormat = format;
    if (wasOpen) {
        open();
        setPreview(wasPreview);
    }
}

QList<VideoControl> VideoCapture::controls()
{
    QList<VideoControl> out;
    d->withSource([&](GstElement *src) { out = Private::ControlsOf(src); });
    return out;
}

void VideoCapture::setControl(const QString &name, int value)
{
    d->withSource([&](GstElement *src) {
        if (!GST_IS_COLOR_BALANCE(src))
            return;
        GstColorBalance *balance = GST_COLOR_BALANCE(src);
        for (const GList *l = gst_color_balance_list_channels(balance); l; l = l->next) {
            auto *channel = static_cast<GstColorBalanceChannel *>(l->data);
            if (channel && QString::fromUtf8(channel->label) == name)
                gst_color_balance_set_value(balance, channel, std::clamp(value, channel->min_value, channel->max_value));
        }
    });
}

VideoDisplayOptions VideoCapture::displayOptions() const { return d->display; }

void VideoCapture::setDisplayOptions(const VideoDisplayOptions &options)
{
    d->display = options;
    std::lock_guard lock(d->mutex);
    d->streamDisplay = options;
}

void *VideoCapture::sourceElement() const { return d->source; }
quint64 VideoCapture::framesReceived() const { return d->frames.load(); }

}  // namespace vellora
