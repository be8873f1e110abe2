#include "devices/print/VirtualCardPrinter.h"

#include "devices/print/PageFiles.h"
#include "engine/util/Rounding.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vellora {

namespace {

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

// The thread that compresses and writes the jobs' files, one job after the
// other in the order they were handed over. A task owns its pages outright:
// nothing it touches is used by the printing thread.
class VirtualCardPrinter::Writer {
public:
    struct Task {
        PrintedJob job;
        QString reservation;
        QString title;
        std::vector<QImage> images;
    };

    Writer() : m_thread([this] { run(); }) {}
    ~Writer()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    // Waits while kQueued jobs are waiting, so that a fast printing thread
    // cannot pile up pages in memory.
    void submit(Task task)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [this] { return m_tasks.size() < kQueued; });
        m_tasks.push_back(std::move(task));
        ++m_pending;
        m_wake.notify_all();
    }

    void wait() const
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [this] { return m_pending == 0; });
    }

    // The first failure since the last call, if any.
    std::optional<QString> takeError()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::optional<QString> e = std::move(m_error);
        m_error.reset();
        return e;
    }

private:
    static constexpr size_t kQueued = 2;

    void run()
    {
        for (;;) {
            Task task;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || !m_tasks.empty(); });
                if (m_tasks.empty())
                    return;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
                m_done.notify_all();  // room in the queue
            }
            QString error;
            try {
                write(task);
            } catch (const PrintError &e) {
                error = e.message();
            } catch (const std::bad_alloc &) {
                error = QStringLiteral("The virtual card printer ran out of memory writing \"%1\".").arg(task.job.name);
            }
            if (!error.isEmpty())
                removeFiles(task.job);
            QFile::remove(task.reservation);
            task = Task();  // the pages go before the next one is taken
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!error.isEmpty() && !m_error)
                m_error = error;
            --m_pending;
            m_done.notify_all();
        }
    }

    static void removeFiles(const PrintedJob &job)
    {
        QFile::remove(job.infoFile);
        for (const PrintedPage &p : job.pages)
            QFile::remove(p.imageFile);
        QFile::remove(job.pdfFile);
    }

    // Written beside the file under a hidden name, then renamed: the file
    // appears complete or not at all. Printed cards are output, not data to
    // keep: nothing waits for the disk (no sync).
    static void save(const QString &path, const QByteArray &bytes)
    {
        const QFileInfo target(path);
        QFile file(target.path() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".part"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
            !file.flush()) {
            const QString why = file.errorString();
            file.remove();
            throw PrintError(QStringLiteral("The virtual card printer cannot write \"%1\": %2").arg(path, why));
        }
        file.close();
        if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
            const QString why = QString::fromLocal8Bit(std::strerror(errno));
            file.remove();
            throw PrintError(QStringLiteral("The virtual card printer cannot write \"%1\": %2").arg(path, why));
        }
    }

    static void write(const Task &task)
    {
        const PrintedJob &job = task.job;
        QList<EncodedPage> encoded;
        for (size_t i = 0; i < task.images.size(); ++i) {
            encoded.append(EncodePage(task.images[i], job.dpi, job.pages[int(i)].orientation));
            save(job.pages[int(i)].imageFile, PngFile(encoded.back()));
        }
        save(job.pdfFile, PdfFile(encoded, CardWidthMm, CardHeightMm, task.title,
                                  QStringLiteral("Vellora ID virtual card printer")));
        encoded.clear();

        QByteArray text;
        QTextStream out(&text);
        out << "job=" << job.name << '\n';
        out << "title=" << task.title << '\n';
        out << "resolution=" << job.dpi << 'x' << job.dpi << '\n';
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
        save(job.infoFile, text);
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_done;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    int m_pending = 0;
    bool m_stop = false;
    std::optional<QString> m_error;
    std::thread m_thread;  // last: starts once the members above exist
};

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
    if (m_writer) {
        if (std::optional<QString> error = m_writer->takeError())
            throw PrintError(*error);
    }
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

const std::vector<PrintedJob> &VirtualCardPrinter::jobs() const
{
    if (m_writer)
        m_writer->wait();
    return m_jobs;
}

void VirtualCardPrinter::finishWrites()
{
    if (!m_writer)
        return;
    m_writer->wait();
    if (std::optional<QString> error = m_writer->takeError())
        throw PrintError(*error);
}

void VirtualCardPrinter::writeJob()
{
    const QString folder = outputFolder();
    if (!QDir().mkpath(folder))
        throw PrintError(QStringLiteral("The virtual card printer cannot create the folder \"%1\".").arg(folder));

    // A name no earlier job used: time stamp and a counter, with a hidden
    // file created exclusively as the reservation until the files are there.
    PrintedJob job;
    QString reservation;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    for (int attempt = 0;; ++attempt) {
        job.name = QStringLiteral("card-%1-%2").arg(stamp).arg(++jobCounter, 3, 10, QLatin1Char('0'));
        reservation = folder + QLatin1Char('.') + job.name + QStringLiteral(".lock");
        QFile lock(reservation);
        if (lock.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (!QFileInfo::exists(folder + job.name + QStringLiteral(".txt")))
                break;
            lock.close();
            lock.remove();
        }
        if (attempt > 1000)
            throw PrintError(QStringLiteral("The virtual card printer cannot write to the folder \"%1\".").arg(folder));
    }
    job.dpi = m_dpi;
    job.infoFile = folder + job.name + QStringLiteral(".txt");
    job.pdfFile = folder + job.name + QStringLiteral(".pdf");
    job.tracks = m_tracks;

    Writer::Task task;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        PrintedPage page;
        page.orientation = m_pages[i].orientation;
        page.pixels = m_pages[i].image.size();
        page.imageFile = folder + job.name + QStringLiteral("-page%1.png").arg(i + 1);
        job.pages.append(page);
        task.images.push_back(std::move(m_pages[i].image));
    }
    task.job = job;
    task.reservation = reservation;
    task.title = m_title;
    if (!m_writer)
        m_writer = std::make_unique<Writer>();
    m_writer->submit(std::move(task));
    if (m_jobs.size() >= kKeptJobs)
        m_jobs.erase(m_jobs.begin(), m_jobs.begin() + kKeptJobs / 2);
    m_jobs.push_back(std::move(job));
}

}  // namespace vellora
