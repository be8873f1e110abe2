#include "devices/print/CupsPrintDevice.h"

#include "devices/print/VirtualCardPrinter.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <cups/cups.h>
#include <utility>

namespace vellora {

namespace {

QPageLayout cardPageLayout(PageOrientation orientation)
{
    const QPageSize cr80(QSizeF(CardHeightMm, CardWidthMm), QPageSize::Millimeter, QStringLiteral("CR80"),
                         QPageSize::ExactMatch);
    return QPageLayout(cr80,
                       orientation == PageOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

}  // namespace

QString CupsMakeAndModel(const QString &queue)
{
    if (queue.isEmpty())
        return {};
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QString result;
    const QByteArray name = queue.toUtf8();
    if (cups_dest_t *dest = cupsGetDest(name.constData(), nullptr, count, dests)) {
        if (const char *model = cupsGetOption("printer-make-and-model", dest->num_options, dest->options))
            result = QString::fromUtf8(model);
    }
    cupsFreeDests(count, dests);
    return result;
}

CupsPrintDevice::CupsPrintDevice(const QString &queue, int resolution) : m_queue(queue)
{
    // Qt draws the job into a PDF file of ours, which endDocument hands to
    // the queue: so a dropped document never reaches the printer, and a
    // queue that refuses the job is reported.
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setFullPage(true);
    m_printer->setColorMode(QPrinter::Color);
    m_printer->setResolution(resolution > 0 ? resolution : 300);
    m_printer->setPageLayout(cardPageLayout(m_orientation));
}

CupsPrintDevice::~CupsPrintDevice()
{
    if (m_open)
        abortDocument();
}

QString CupsPrintDevice::driverName() const { return CupsMakeAndModel(m_queue); }

PrinterEncoding CupsPrintDevice::encoding() const { return ResolveQueueEncoding(m_queue); }

OrientationResult CupsPrintDevice::setOrientation(PageOrientation orientation)
{
    m_orientation = orientation;
    // Qt's CUPS printer writes its job as PDF and accepts a new page layout
    // between pages; the change then holds from the next page on.
    const bool applied = m_printer->setPageLayout(cardPageLayout(orientation));
    return {true, applied};
}

void CupsPrintDevice::requireDocument(const char *operation) const
{
    if (!m_open)
        throw PrintError(QStringLiteral("The printer \"%1\" has no open document (%2).").arg(m_queue, QLatin1String(operation)));
}

void CupsPrintDevice::beginDocument(const QString &title)
{
    if (m_open)
        throw PrintError(QStringLiteral("The printer \"%1\" already has an open document.").arg(m_queue));
    if (QPrinterInfo::printerInfo(m_queue).isNull())
        throw PrintError(QStringLiteral("The printer \"%1\" is not available.").arg(m_queue));
    m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/vellora-job-XXXXXX.pdf"));
    if (!m_spool->open())
        throw PrintError(QStringLiteral("No room for the print job of \"%1\".").arg(m_queue));
    m_spool->close();
    m_title = title;
    m_printer->setOutputFileName(m_spool->fileName());
    m_printer->setDocName(title);
    m_printer->setPageLayout(cardPageLayout(m_orientation));
    if (!m_painter.begin(m_printer.get()))
        throw PrintError(QStringLiteral("The printer \"%1\" could not start the print job.").arg(m_queue));
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_open = true;
    m_pageOpen = true;
}

void CupsPrintDevice::endPage()
{
    requireDocument("end page");
    m_pageOpen = false;
}

void CupsPrintDevice::startPage()
{
    requireDocument("start page");
    if (!m_printer->newPage())
        throw PrintError(QStringLiteral("The printer \"%1\" could not start a new page.").arg(m_queue));
    m_pageOpen = true;
}

void CupsPrintDevice::endDocument()
{
    requireDocument("end document");
    m_open = false;
    m_pageOpen = false;
    const bool drawn = m_painter.end() && m_printer->printerState() != QPrinter::Error;
    std::unique_ptr<QTemporaryFile> spool = std::move(m_spool);
    if (!drawn)
        throw PrintError(QStringLiteral("The printer \"%1\" could not take the print job.").arg(m_queue));
    // The card's size as the queue's media; pages of the other orientation
    // are turned by the queue's filters.
    const QSizeF points = cardPageLayout(PageOrientation::Portrait).fullRectPoints().size();
    const QByteArray media = QStringLiteral("Custom.%1x%2").arg(qRound(points.width())).arg(qRound(points.height())).toLatin1();
    cups_option_t *options = nullptr;
    int count = cupsAddOption("media", media.constData(), 0, &options);
    const JobOptions jobOptions = std::exchange(m_jobOptions, {});
    for (const auto &[name, value] : jobOptions)
        count = cupsAddOption(name.constData(), value.constData(), count, &options);
    const QByteArray queue = m_queue.toUtf8();
    const QByteArray file = QFile::encodeName(spool->fileName());
    const QByteArray title = m_title.toUtf8();
    m_lastJobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(), file.constData(), title.constData(), count, options);
    cupsFreeOptions(count, options);
    if (m_lastJobId <= 0)
        throw PrintError(QStringLiteral("The printer \"%1\" refused the print job: %2")
                             .arg(m_queue, QString::fromUtf8(cupsLastErrorString())));
}

void CupsPrintDevice::abortDocument()
{
    if (!m_open)
        return;
    m_open = false;
    m_pageOpen = false;
    if (m_painter.isActive())
        m_painter.end();
    m_spool.reset();  // the drawn pages go with the file
    m_jobOptions.clear();
}

int CupsPrintDevice::dpiX() const { return m_printer->resolution(); }

int CupsPrintDevice::dpiY() const { return m_printer->resolution(); }

void CupsPrintDevice::setTransparentTextBackground()
{
    if (m_painter.isActive())
        m_painter.setBackgroundMode(Qt::TransparentMode);
}

void CupsPrintDevice::selectFont(const DeviceFont &font)
{
    requireDocument("font");
    m_painter.setFont(QtFontFor(font));
    m_painter.setPen(font.colour);
}

void CupsPrintDevice::textOut(QPoint topLeft, const QString &text)
{
    requireDocument("text");
    m_painter.drawText(QRect(topLeft, QSize(1 << 20, 1 << 20)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void CupsPrintDevice::drawTextInBox(const QRect &box, const QString &text, int flags)
{
    requireDocument("text");
    if (box.isEmpty())
        return;
    m_painter.save();
    m_painter.setClipRect(box, Qt::IntersectClip);
    m_painter.drawText(box, QtTextFlags(flags), text);
    m_painter.restore();
}

void CupsPrintDevice::stretchBitmap(const QRect &destination, const QImage &bitmap)
{
    requireDocument("bitmap");
    if (bitmap.isNull() || destination.isEmpty())
        return;
    m_painter.drawImage(destination, bitmap);
}

}  // namespace vellora
