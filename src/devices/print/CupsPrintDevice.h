#pragma once
// A CUPS queue as print device, drawn through Qt's printer. The driver name
// is the queue's make and model (its PPD's nickname), which is what the
// supported card printers are recognised by.
#include "devices/print/PrintDevice.h"

#include <QPainter>
#include <QTemporaryFile>
#include <memory>

class QPrinter;

namespace vellora {

// The make and model of a CUPS queue; empty when the queue or the
// attribute cannot be read.
QString CupsMakeAndModel(const QString &queue);

class CupsPrintDevice : public PrintDevice {
public:
    // resolution 0: 300 dpi, the card printers' own.
    explicit CupsPrintDevice(const QString &queue, int resolution = 0);
    ~CupsPrintDevice() override;

    QString deviceName() const override { return m_queue; }
    QString driverName() const override;
    // The CUPS job id of the last document handed over, 0 before.
    int lastJobId() const { return m_lastJobId; }
    OrientationResult setOrientation(PageOrientation orientation) override;
    PageOrientation orientation() const override { return m_orientation; }
    void beginDocument(const QString &title) override;
    void endPage() override;
    void startPage() override;
    void endDocument() override;
    void abortDocument() override;
    bool documentOpen() const override { return m_open; }
    int dpiX() const override;
    int dpiY() const override;
    void setTransparentTextBackground() override;
    void selectFont(const DeviceFont &font) override;
    void textOut(QPoint topLeft, const QString &text) override;
    void drawTextInBox(const QRect &box, const QString &text, int flags) override;
    void stretchBitmap(const QRect &destination, const QImage &bitmap) override;
    PrinterEncoding encoding() const override;
    // Go with the next document handed to the queue, then are dropped.
    void setJobOptions(const JobOptions &options) override { m_jobOptions = options; }

private:
    void requireDocument(const char *operation) const;

    QString m_queue;
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    PageOrientation m_orientation = PageOrientation::Landscape;
    bool m_open = false;
    bool m_pageOpen = false;
    std::unique_ptr<QTemporaryFile> m_spool;
    QString m_title;
    int m_lastJobId = 0;
    JobOptions m_jobOptions;
};

}  // namespace vellora
