#pragma once
// The virtual card printer: the built-in default printer, needing no
// hardware. It renders each page into an image at its resolution and, acting
// as the card printer's driver, takes the magnetic escape lines ("~1,",
// "~2,", "~3," drawn at the page's origin) off the page and records them as
// the card's stripe data. Each finished job leaves in the output folder one
// PNG per page, a PDF of the job at the card's real size (CR80, the page
// image stretched over each page) and a text
// file with orientation, resolution and the stripe data of each track.
//
// A job's files are compressed and written on a thread of the printer's own
// while the program goes on with the next card. Each file appears complete
// (written under a temporary name, then renamed) and the jobs' files appear
// in the order the jobs were printed, the text file last.
#include "devices/print/PrintDevice.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QSize>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace vellora {

inline constexpr auto VirtualCardPrinterName = "Vellora Virtual Card Printer";
inline constexpr auto VirtualCardPrinterDriver = "VELLORA Virtual Card Printer";

// How the printer answers orientation changes: at once (between pages of
// one document), only from the next document on, or not at all (it has no
// settings to change). The last two stand for drivers that refuse resets.
enum class OrientationReset { Accepted, NextDocument, Unavailable };

struct VirtualCardPrinterSettings {
    QString outputFolder;  // empty: the program's folder + "printed/"
    int dpi = 300;         // 150, 300, 600 or 1200
    OrientationReset orientationReset = OrientationReset::Accepted;
    QString driverName;    // the card printer model it stands for; empty: VirtualCardPrinterDriver
};

// One track's escape line as the driver took it off the page.
struct StripeTrack {
    QString line;  // the whole escape line
    QString data;  // between the start and the end sentinel
};

struct PrintedPage {
    PageOrientation orientation = PageOrientation::Landscape;
    QSize pixels;
    QString imageFile;
};

struct PrintedJob {
    QString name;
    int dpi = 300;
    QList<PrintedPage> pages;
    QString pdfFile;
    QString infoFile;
    std::array<std::optional<StripeTrack>, 3> tracks;
};

// The CR80 card in millimetres: the size of the PDF's pages.
inline constexpr double CardWidthMm = 85.6;
inline constexpr double CardHeightMm = 54.0;
// The rendered card at 300 dpi (twice the card panel of 513 x 321).
inline constexpr int CardImageWidth300 = 1026;
inline constexpr int CardImageHeight300 = 642;
// The printable page in pixels: the rendered card at the resolution, so a
// page holds exactly what the preview shows (1026 x 642 at 300 dpi).
QSize CardPagePixels(int dpi, PageOrientation orientation);

// Splits "~2,MPC5,BPI75,;1234?" into its data "1234"; nullopt when the text
// is no escape line of track 1 to 3.
std::optional<std::pair<int, StripeTrack>> ParseEscapeLine(const QString &text);

class VirtualCardPrinter : public PrintDevice {
public:
    explicit VirtualCardPrinter(VirtualCardPrinterSettings settings = {});
    ~VirtualCardPrinter() override;

    const VirtualCardPrinterSettings &settings() const { return m_settings; }
    // Takes effect with the next document.
    void setSettings(const VirtualCardPrinterSettings &settings);
    QString outputFolder() const;

    // The last jobs of this run (at most kKeptJobs), oldest first, once
    // their files are written.
    static constexpr size_t kKeptJobs = 1000;
    const std::vector<PrintedJob> &jobs() const;
    // The job last printed; its files may still be being written.
    const PrintedJob *lastJob() const { return m_jobs.empty() ? nullptr : &m_jobs.back(); }
    // Waits until the files of every job printed are written. Throws
    // PrintError when a job's files could not be written (that job's files
    // are removed); the next document after such a failure throws it too.
    void finishWrites();

    QString deviceName() const override;
    QString driverName() const override;
    OrientationResult setOrientation(PageOrientation orientation) override;
    PageOrientation orientation() const override { return m_pending; }
    void beginDocument(const QString &title) override;
    void endPage() override;
    void startPage() override;
    void endDocument() override;
    void abortDocument() override;
    bool documentOpen() const override { return m_open; }
    int dpiX() const override { return m_dpi; }
    int dpiY() const override { return m_dpi; }
    void setMonochrome(bool on) override;
    void setTransparentTextBackground() override;
    void selectFont(const DeviceFont &font) override;
    void textOut(QPoint topLeft, const QString &text) override;
    void drawTextInBox(const QRect &box, const QString &text, int flags) override;
    void stretchBitmap(const QRect &destination, const QImage &bitmap) override;

private:
    struct Page {
        PageOrientation orientation;
        QImage image;
    };
    void requireDocument(const char *operation) const;
    void openPage();
    void closePage();
    void writeJob();
    class Writer;

    VirtualCardPrinterSettings m_settings;
    PageOrientation m_pending = PageOrientation::Landscape;  // set by setOrientation
    PageOrientation m_current = PageOrientation::Landscape;  // in effect for new pages
    bool m_open = false;
    bool m_pageOpen = false;
    int m_dpi = 300;
    QString m_title;
    std::vector<Page> m_pages;
    std::unique_ptr<QPainter> m_painter;
    DeviceFont m_font;
    bool m_transparent = true;
    bool m_mono = false;
    std::array<std::optional<StripeTrack>, 3> m_tracks;
    std::vector<PrintedJob> m_jobs;
    std::unique_ptr<Writer> m_writer;
};

}  // namespace vellora
