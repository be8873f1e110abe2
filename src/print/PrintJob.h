#pragma once
// The print command: checks that the current printer is a supported card
// printer, sets each side's page orientation, prints the front (with the
// magnetic-stripe escape text) and, for double-sided cards, the back.
#include "devices/print/PrintDevice.h"
#include "print/CardRenderer.h"
#include "print/CardSideModel.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class QWidget;

namespace vellora {

// Track sources.
enum TrackSourceKind : int { TrackStaticText = 0, TrackLinkedField = 1, TrackSeparateField = 2 };

struct PrintTrackSettings {
    bool use = false;  // TrackUse<n>
    int source = TrackStaticText;  // TrackSource<n>
    QString value;  // TrackValue<n>: the static text or the linked field's name
};

// The values of the front settings record the print job reads.
struct PrintSettings {
    bool monoPrinter = false;
    bool doubleSided = false;
    bool stripeOn = false;
    std::array<PrintTrackSettings, 3> tracks;
};

// The current card's value of a field, as text; nullopt when the card
// table has no field of that name (names match regardless of case).
using CardFieldLookup = std::function<std::optional<QString>(const QString &fieldName)>;

struct PrintJobRequest {
    RenderMode mode = RenderMode::Full;  // Full: PrintButtonHi and PrintCard; Half: PrintButtonLo
    bool batchMode = false;
    CardSideModel front;  // Panel4
    CardSideModel back;   // Panel4_b
    QString frontBackground;  // ReadLayoutBackground(front)
    QString backBackground;   // ReadLayoutBackground(back)
    QColor frontCanvasColour = Qt::white;  // the preview's Panel1
    QColor backCanvasColour = Qt::white;   // the preview's Panel1_b
    PrintSettings settings;
    CardFieldLookup cardField;
    QWidget *dialogParent = nullptr;
    QString documentTitle;  // empty: "Vellora-ID card"
};

enum class PrintJobOutcome {
    Cancelled,               // print dialog cancelled: the preview stays open
    UnsupportedPrinter,      // Literals61 shown; closePreview when left with OK
    FrontOrientationFailed,  // nothing printed
    BackOrientationFailed,   // the front was printed, the back not
    Printed,
};

struct PrintJobResult {
    PrintJobOutcome outcome = PrintJobOutcome::Cancelled;
    bool closePreview = false;  // the preview window closes itself
    int pagesPrinted = 0;
    int documents = 0;  // 1 normally; 2 when the printer took the back as a job of its own
};

// Runs the job on the current printer (CurrentPrinter()). Errors (an
// unreadable picture, a linked track field the card table lacks, a printer
// failure, an unsupported printer in batch mode) raise PrintError; the open
// document is then dropped, so nothing half-printed leaves the program.
PrintJobResult RunPrintJob(const PrintJobRequest &request);

// Supported card printers: a driver name containing one of these, in upper
// case. Tested in this order.
const QStringList &SupportedPrinterTokens();
// The first token found in the driver name (any letter case), or -1.
int MatchSupportedPrinter(const QString &driverName);

// The current printer's driver name; empty on any failure.
QString PrinterDriverName();

OrientationResult SetPageOrientation(PrintDevice &device, PageOrientation orientation);

// The characters of text that occur in "0123456789:;<=>?", in order, at
// most n of them.
QString NumericTrackData(const QString &text, int n);

// The profile a job uses on a printer: the one chosen for it or recognised
// from its driver, else the escape text when its driver name carries one of
// the supported tokens; nullptr when it is not a supported card printer.
const EncodingProfile *JobEncodingProfile(const PrinterEncoding &encoding, const QString &driverName);

// The source text of track 1..3 (settings and the current card), or
// nullopt when the track is not encoded (stripe or track off, unknown
// source). Raises PrintError when a linked or separate track field does not
// exist.
std::optional<QString> TrackSourceText(int track, const PrintSettings &settings, const CardFieldLookup &cardField);

// The escape line of track 1..3, or nullopt when the track is not drawn
// (stripe or track off, unknown source). Raises PrintError when a linked or
// separate track field does not exist.
std::optional<QString> TrackEncodingText(int track, const PrintSettings &settings, const CardFieldLookup &cardField);

// Fixed texts of the job.
inline constexpr auto UnsupportedPrinterError = "Vellora-ID is not compatible with this printer.";
inline constexpr auto FrontOrientationError = "Error setting orientation of front card";
inline constexpr auto BackOrientationError = "Error setting orientation of back card";

}  // namespace vellora
