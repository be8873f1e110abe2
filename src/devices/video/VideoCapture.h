#pragma once
// Video capture from the cameras the desktop knows, over GStreamer.
//
// The driver list comes from a device monitor on video sources (V4L2,
// PipeWire and libcamera cameras where their plug-ins are installed), at
// most ten, ordered by name so that an index names the same camera from one
// listing to the next. With VELLORA_TEST_CAMERA=1 in the environment, the
// test camera (a moving test pattern) is listed after them: the way to try
// capture on a machine without a camera.
//
// Opening a driver runs a pipeline source -> [decoder] -> videoconvert ->
// appsink. Frames arrive on GStreamer's streaming thread; the newest one is
// kept for saveFrame(), and while the live preview is on, a copy scaled to
// the display's size (and mirrored or rotated as the display options say)
// is handed to the owner's thread through previewFrame(). The GUI thread
// thus only paints small pictures.
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

#include "engine/util/OperatorError.h"

namespace vellora {

// A failure meant for the operator (opening a driver, saving a frame).
class VideoCaptureError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

// The three fixed texts of a failed open.
inline constexpr const char *kNoCaptureDriver = "No capture driver selected";
inline constexpr const char *kCannotCreateCaptureWindow = "Can not create capture window";
inline constexpr const char *kCannotConnectCaptureDriver = "Can not connect capture driver with capture window";

struct VideoDriver {
    QString name;     // the device's display name
    QString version;  // its interface: "v4l2", "pipewire", "libcamera", "test"
    QString id;       // device path or other stable identity (for ordering)
    QString text() const { return name + QLatin1Char(' ') + version; }
};

// One format a camera offers. mediaType "video/x-raw" (pixelFormat e.g.
// "YUY2", "NV12", "P010_10LE") or a compressed type ("image/jpeg").
struct VideoFormat {
    QString mediaType;
    QString pixelFormat;
    int width = 0;
    int height = 0;
    int fpsNum = 0;  // 0: whatever the camera gives
    int fpsDen = 1;
    bool isNull() const { return width <= 0 || height <= 0; }
    // "1280 x 720, 30 fps, YUY2"
    QString text() const;
    bool operator==(const VideoFormat &o) const = default;
};

// One picture control of a camera (brightness, contrast, ...).
struct VideoControl {
    QString name;  // the device's label
    int minimum = 0;
    int maximum = 0;
    int value = 0;
};

// What the live picture and the captured frame look like on screen: mirrored
// left to right, and turned clockwise by 0, 90, 180 or 270 degrees.
struct VideoDisplayOptions {
    bool mirror = false;
    int rotation = 0;
    bool operator==(const VideoDisplayOptions &o) const = default;
};

// Applies the display options to a frame.
QImage ApplyDisplayOptions(const QImage &frame, const VideoDisplayOptions &options);

class VideoCapture : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxDrivers = 10;

    explicit VideoCapture(QObject *parent = nullptr);
    ~VideoCapture() override;

    // Lists the installed cameras again (the selection is kept by index when
    // that index still exists, else none). A failing monitor gives no
    // cameras.
    QList<VideoDriver> listDrivers();
    QList<VideoDriver> drivers() const;

    // Selection. By name: the first driver whose name equals `name`; none
    // matching selects no driver and returns false. Index -1: no driver.
    // Selecting closes an open driver.
    bool selectDriverByName(const QString &name);
    void selectDriver(int index);
    int driverIndex() const;
    QString driverName() const;

    // Opens the selected driver and waits for its first frame (at most a
    // few seconds). Throws VideoCaptureError with one of the three fixed
    // texts. Opening an open driver does nothing.
    void open();
    void close();
    bool isOpen() const;
    // True after the device reported an error or stopped while open (for
    // example unplugged): no more frames come until it is opened again.
    bool lost() const;

    // Live preview: frames scaled proportionally into `size` are emitted by
    // previewFrame() at the camera's rate (30 per second normally).
    void setPreview(bool on);
    bool preview() const;
    void setPreviewSize(QSize size);

    // The picture size of the open driver (display options applied), from
    // the negotiated format; empty when closed.
    QSize pictureSize() const;

    // The newest frame at full size with the display options applied; a
    // null picture when none has arrived. Throws VideoCaptureError when the
    // device is not open or was lost.
    QImage grabFrame() const;
    // Writes the newest frame as a Windows bitmap file (replacing the file
    // only when complete). False when the file cannot be written; throws
    // VideoCaptureError when there is no frame (device closed or lost).
    bool saveFrame(const QString &path) const;

    // What the three driver dialogs can offer for the selected driver. The
    // driver is opened just for the question when it is closed.
    bool hasFormats();
    bool hasControls();
    bool hasDisplayOptions() const;

    QList<VideoFormat> formats();
    // The chosen format (null: the camera's default). Takes effect at the
    // next open; an open driver is reopened.
    VideoFormat format() const;
    void setFormat(const VideoFormat &format);

    QList<VideoControl> controls();
    void setControl(const QString &name, int value);

    VideoDisplayOptions displayOptions() const;
    void setDisplayOptions(const VideoDisplayOptions &options);

    // For tests and diagnostics: the running pipeline's source element
    // (a GstElement *), or nullptr when closed.
    void *sourceElement() const;
    // Frames received since open (streaming thread count).
    quint64 framesReceived() const;

Q_SIGNALS:
    void previewFrame(const QImage &frame);
    // The device stopped while open: error text from the device.
    void deviceLost(const QString &message);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace vellora
