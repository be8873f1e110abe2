#include "devices/print/VirtualCardPrinter.h"

#include "engine/util/Rounding.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QFileInfo>
#include <QTextStream>
#include <cmath>

namespace vellora {

namespace {

QPageLayout cardLayout(PageOrientation orientation)
{
    const QPageSize cr80(QSizeF(CardHeightMm, CardWidthMm), QPageSize::Millimeter, QStringLiteral("CR80"),
                         QPageSize::ExactMatch);
    return QPageLayout(cr80,
                       orientation == PageOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

QString orientationName(PageOrientation o)
{
    return o == PageOrientation::Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait");
}

int jobCounter = 0;

// Every pixel black or white: darker than the middle grey prints black.
void ToBlackAndWhite(QImage &page)
{
    if (page.format() != QImage::Format_RGB32)
        page = page.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < page.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = line[x];
            const int grey = (qRed(p) + qGreen(p) + qBlue(p)) / 3;
            line[x] = grey > 128 ? 0xffffffffu : 0xff000000u;
        }
    }
}

}  // namespace

QSize CardPagePixels(int dpi, PageOrientation orientation)
{
    // The card as the program renders it: 1026 x 642 pixels at 300 dpi, in
    // proportion at the other resolutions.
    const int w = int(RoundHalfEven(double(CardImageWidth300) * dpi / 300));
    const int h = int(RoundHalfEven(double(CardImageHeight300) * dpi / 300));
    return orientation == PageOrientation::Landscape ? QSize(w, h) : QSize(h, w);
}

std::optional<std::pair<int, StripeTrack>> ParseEscapeLine(const QString &text)
{
    if (text.size() < 3 || text[0] != u'~' || text[2] != u',')
        return std::nullopt;
    const int track = text[1].digitValue();
    if (track < 1 || track > 3)
        return std::nullopt;
    StripeTrack t;
    t.line = text;
    // Fields: ~n, MPCx, BPIy, then start sentinel, data and end sentinel.
    int pos = 0;
    for (int commas = 0; commas < 3 && pos >= 0; ++commas)
        pos = text.indexOf(u',', pos + 1);
    if (pos >= 0) {
        QString rest = text.mid(pos + 1);
        if (!rest.isEmpty() && (rest[0] == u'%' || rest[0] == u';'))
            rest.remove(0, 1);
        if (rest.endsWith(u'?'))
            rest.chop(1);
        t.data = rest;
    }
    return std::make_pair(track, t);
}

VirtualCardPrinter::VirtualCardPrinter(VirtualCardPrinterSettings settings) : m_settings(std::move(settings))
{
    m_dpi = m_settings.dpi;
}

VirtualCardPrinter::~VirtualCardPrinter()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

void VirtualCardPrinter::setSettings(const VirtualCardPrinterSettings &settings)
{
    m_settings = settings;
    if (!m_open)
        m_dpi = settings.dpi;
}

QString VirtualCardPrinter::outputFolder() const
{
    QString folder = m_settings.outputFolder;
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/printed/");
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString VirtualCardPrinter::deviceName() const { return QString::fromLatin1(VirtualCardPrinterName); }

QString VirtualCardPrinter::driverName() const
{
    return m_settings.driverName.isEmpty() ? QString::fromLatin1(VirtualCardPrinterDriver) : m_settings.driverName;
}

OrientationResult VirtualCardPrinter::setOrientation(PageOrientation orientation)
{
    switch (m_settings.orientationReset) {
    case OrientationReset::Unavailable:
        return {false, false};
    case OrientationReset::NextDocument:
        m_pending = orientation;
        return {true, false};
    case OrientationReset::Accepted:
        break;
    }
    m_pending = orientation;
    m_current = orientation;
    return {true, true};
}

void VirtualCardPrinter::requireDocument(const char *operation) const
{
    if (!m_open)
        throw PrintError(QStringLiteral("The virtual card printer has no open document (%1).").arg(QLatin1String(operation)));
}

void VirtualCardPrinter::beginDocument(const QString &title)
{
    if (m_open)
        throw PrintError(QStringLiteral("The virtual card printer already has an open document."));
    const int dpi = m_settings.dpi;
    if (dpi != 150 && dpi != 300 && dpi != 600 && dpi != 1200)
        throw PrintError(QStringLiteral("The virtual card printer cannot print at %1 dpi.").arg(dpi));
    m_dpi = dpi;
    m_current = m_pending;
    m_title = title;
    m_pages.clear();
    m_tracks = {};
    m_open = true;
    m_transparent = true;
    openPage();
}

void VirtualCardPrinter::openPage()
{
    Page page{m_current, QImage(CardPagePixels(m_dpi, m_current), QImage::Format_RGB32)};
    if (page.image.isNull())
        throw PrintError(QStringLiteral("Out of memory for a page at %1 dpi.").arg(m_dpi));
    page.image.setDotsPerMeterX(qRound(m_dpi / 0.0254));
    page.image.setDotsPerMeterY(qRound(m_dpi / 0.0254));
    page.image.fill(Qt::white);
    m_pages.push_back(std::move(page));
    m_painter = std::make_unique<QPainter>(&m_pages.back().image);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    // A monochrome card printer prints black or nothing: no grey text edges.
    m_painter->setRenderHint(QPainter::TextAntialiasing, !m_mono);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setBackgroundMode(m_transparent ? Qt::TransparentMode : Qt::OpaqueMode);
    m_painter->setFont(QtFontFor(m_font));
    m_painter->setPen(m_font.colour);
    m_pageOpen = true;
}

void VirtualCardPrinter::closePage()
{
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
    if (m_pageOpen && m_mono && !m_pages.empty())
        ToBlackAndWhite(m_pages.back().image);
    m_pageOpen = false;
}

void VirtualCardPrinter::endPage()
{
    requireDocument("end page");
    closePage();
}

void VirtualCardPrinter::startPage()
{
    requireDocument("start page");
    if (m_pageOpen)
        closePage();
    openPage();
}

void VirtualCardPrinter::endDocument()
{
    requireDocument("end document");
    closePage();
    m_open = false;
    writeJob();
    m_pages.clear();
}

void VirtualCardPrinter::abortDocument()
{
    closePage();
    m_open = false;
    m_pages.clear();
    m_tracks = {};
}

void VirtualCardPrinter::setMonochrome(bool on)
{
    m_mono = on;
    if (m_painter)
        m_painter->setRenderHint(QPainter::TextAntialiasing, !on);
}

void VirtualCardPrinter::setTransparentTextBackground()
{
    m_transparent = true;
    if (m_painter)
        m_painter->setBackgroundMode(Qt::TransparentMode);
}

void VirtualCardPrinter::selectFont(const DeviceFont &font)
{
    m_font = font;
    if (m_painter) {
        m_painter->setFont(QtFontFor(font));
        m_painter->setPen(font.colour);
    }
}

void VirtualCardPrinter::textOut(QPoint topLeft, const QString &text)
{
    requireDocument("text");
    // The card printer's driver: escape lines at the origin go to the
    // magnetic encoder and are not printed.
    if (topLeft == QPoint(0, 0)) {
        if (auto escape = ParseEscapeLine(text)) {
            m_tracks[escape->first - 1] = escape->second;
            return;
        }
    }
    if (!m_pageOpen)
        return;
    m_painter->drawText(QRect(topLeft, QSize(1 << 20, 1 << 20)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void VirtualCardPrinter::drawTextInBox(const QRect &box, const QString &text, int flags)
{
    requireDocument("text");
    if (!m_pageOpen || box.isEmpty())
        return;
    m_painter->save();
    m_painter->setClipRect(box, Qt::IntersectClip);
    m_painter->drawText(box, QtTextFlags(flags), text);
    m_painter->restore();
}

void VirtualCardPrinter::stretchBitmap(const QRect &destination, const QImage &bitmap)
{
    requireDocument("bitmap");
    if (!m_pageOpen || bitmap.isNull() || destination.isEmpty())
        return;
    m_painter->drawImage(destination, bitmap);
}

void VirtualCardPrinter::writeJob()
{
    const QString folder = outputFolder();
    if (!QDir().mkpath(folder))
        throw PrintError(QStringLiteral("The virtual card printer cannot create the folder \"%1\".").arg(folder));

    // A name no earlier job used: time stamp and a counter, and the info
    // file created exclusively as the reservation.
    PrintedJob job;
    QFile info;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    for (int attempt = 0;; ++attempt) {
        job.name = QStringLiteral("card-%1-%2").arg(stamp).arg(++jobCounter, 3, 10, QLatin1Char('0'));
        info.setFileName(folder + job.name + QStringLiteral(".txt"));
        if (info.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (attempt > 1000)
            throw PrintError(QStringLiteral("The virtual card printer cannot write to the folder \"%1\".").arg(folder));
    }
    job.dpi = m_dpi;
    job.infoFile = info.fileName();
    job.tracks = m_tracks;

    auto fail = [&](const QString &file) {
        info.close();
        QFile::remove(job.infoFile);
        for (const PrintedPage &p : job.pages)
            QFile::remove(p.imageFile);
        if (!job.pdfFile.isEmpty())
            QFile::remove(job.pdfFile);
        throw PrintError(QStringLiteral("The virtual card printer cannot write \"%1\".").arg(file));
    };

    for (size_t i = 0; i < m_pages.size(); ++i) {
        PrintedPage page;
        page.orientation = m_pages[i].orientation;
        page.pixels = m_pages[i].image.size();
        page.imageFile = folder + job.name + QStringLiteral("-page%1.png").arg(i + 1);
        job.pages.append(page);
        // Light compression: the page files are for looking at, and large
        // pages must not hold up the next card.
        if (!m_pages[i].image.save(page.imageFile, "PNG", 80))
            fail(page.imageFile);
    }

    job.pdfFile = folder + job.name + QStringLiteral(".pdf");
    {
        QPdfWriter pdf(job.pdfFile);
        pdf.setTitle(m_title);
        pdf.setCreator(QStringLiteral("Vellora ID virtual card printer"));
        pdf.setResolution(m_dpi);
        if (!m_pages.empty())
            pdf.setPageLayout(cardLayout(m_pages.front().orientation));
        QPainter painter;
        if (!painter.begin(&pdf))
            fail(job.pdfFile);
        for (size_t i = 0; i < m_pages.size(); ++i) {
            if (i > 0) {
                pdf.setPageLayout(cardLayout(m_pages[i].orientation));
                pdf.newPage();
            }
            const QRect full = pdf.pageLayout().fullRectPixels(m_dpi);
            painter.drawImage(QRect(QPoint(0, 0), full.size()), m_pages[i].image);
        }
        painter.end();
    }
    if (!QFile::exists(job.pdfFile))
        fail(job.pdfFile);

    QTextStream out(&info);
    out << "job=" << job.name << '\n';
    out << "title=" << m_title << '\n';
    out << "resolution=" << m_dpi << 'x' << m_dpi << '\n';
    out << "pages=" << job.pages.size() << '\n';
    for (int i = 0; i < job.pages.size(); ++i) {
        const PrintedPage &p = job.pages[i];
        out << "page" << i + 1 << ".orientation=" << orientationName(p.orientation) << '\n';
        out << "page" << i + 1 << ".size=" << p.pixels.width() << 'x' << p.pixels.height() << '\n';
        out << "page" << i + 1 << ".image=" << QFileInfo(p.imageFile).fileName() << '\n';
    }
    out << "pdf=" << QFileInfo(job.pdfFile).fileName() << '\n';
    for (int t = 0; t < 3; ++t) {
        if (!job.tracks[t])
            continue;
        out << "track" << t + 1 << '=' << job.tracks[t]->data << '\n';
        out << "track" << t + 1 << ".line=" << job.tracks[t]->line << '\n';
    }
    out.flush();
    if (out.status() != QTextStream::Ok || !info.flush())
        fail(job.infoFile);
    info.close();
    m_jobs.push_back(std::move(job));
}

}  // namespace vellora
