#pragma once
// The print device: the short list of operations a print job needs from a
// printer. Coordinates are device pixels with the origin at the page's
// top-left corner; a page is one card side.
#include "devices/print/QueueEncoding.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include "engine/util/OperatorError.h"

namespace vellora {

// An error meant for the operator, raised by devices, the renderer and the
// print job. what() holds the UTF-8 text.
class PrintError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

// Values of the printer's orientation setting.
enum class PageOrientation : int { Portrait = 1, Landscape = 2 };

// Outcome of setting the orientation: changed when the printer has settings
// that could be changed at all; applied when the change takes effect at once
// (within an open document: from the next page on). A change that is not
// applied takes effect with the next document.
struct OrientationResult {
    bool changed = false;
    bool applied = false;
};

// A font selected into the device. pixelHeight is the character (em)
// height in device pixels.
struct DeviceFont {
    QString face = QStringLiteral("Arial");
    int pixelHeight = 12;
    QColor colour = Qt::black;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Flags of drawTextInBox. Texts are drawn as they stand: an ampersand is
// drawn as an ampersand.
enum TextBoxFlag : int {
    TextAlignLeft = 0,
    TextAlignRight = 1,
    TextAlignCenter = 2,
    TextWordBreak = 4,
    TextExpandTabs = 8,
};

class PrintDevice {
public:
    virtual ~PrintDevice() = default;

    // The queue or device name the operator chose.
    virtual QString deviceName() const = 0;
    // The printer's driver name (make and model); empty when unreadable.
    virtual QString driverName() const = 0;

    // Orientation of the pages that follow.
    virtual OrientationResult setOrientation(PageOrientation orientation) = 0;
    virtual PageOrientation orientation() const = 0;

    // Begins a document; this also starts its first page. Raises PrintError
    // when the printer cannot start a job.
    virtual void beginDocument(const QString &title) = 0;
    virtual void endPage() = 0;
    virtual void startPage() = 0;
    // Ends the last page if open and hands the job to the printer.
    virtual void endDocument() = 0;
    // Drops the open document: nothing of it is printed or recorded.
    virtual void abortDocument() = 0;
    virtual bool documentOpen() const = 0;

    // Resolution in dots per inch; valid once a document has begun.
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;

    // The pages of the next document are printed in black and white only
    // (a monochrome card printer prints black or nothing). Devices whose
    // driver does that itself ignore it.
    virtual void setMonochrome(bool on) { (void)on; }

    // Text is drawn without a background box.
    virtual void setTransparentTextBackground() = 0;
    virtual void selectFont(const DeviceFont &font) = 0;
    // Text with its top-left corner at the point, unclipped, on one line.
    virtual void textOut(QPoint topLeft, const QString &text) = 0;
    // Formatted text in a box, from its top, clipped to it (TextBoxFlag).
    virtual void drawTextInBox(const QRect &box, const QString &text, int flags) = 0;
    // The whole bitmap stretched onto the rectangle, a plain copy.
    virtual void stretchBitmap(const QRect &destination, const QImage &bitmap) = 0;

    // How the magnetic stripe reaches this printer's driver: the profile
    // chosen for it or recognised from its driver; none by default (the
    // print job then decides by the driver name).
    virtual PrinterEncoding encoding() const { return {}; }
    // Options handed to the driver with the next document; raises
    // PrintError on a printer that takes no job options.
    virtual void setJobOptions(const JobOptions &options)
    {
        if (!options.isEmpty())
            throw PrintError(QStringLiteral("The printer \"%1\" takes no job options.").arg(deviceName()));
    }
};

// Shared by the devices: the Qt text flags for TextBoxFlag.
int QtTextFlags(int textBoxFlags);
QFont QtFontFor(const DeviceFont &font);

}  // namespace vellora
