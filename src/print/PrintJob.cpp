#include "print/PrintJob.h"

#include "devices/print/PrinterRegistry.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/OverrideCursor.h"
#include "print/PrinterChoice.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <limits>

namespace vellora {

namespace {

QString applicationTitle()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Vellora-ID") : name;
}

PageOrientation orientationOf(const CardSideModel &side)
{
    return side.landscape() ? PageOrientation::Landscape : PageOrientation::Portrait;
}

}  // namespace

const QStringList &SupportedPrinterTokens()
{
    static const QStringList tokens{QStringLiteral("KESTA"), QStringLiteral("VELLORA"), QStringLiteral("BRANO"),
                                    QStringLiteral("TAVI")};
    return tokens;
}

int MatchSupportedPrinter(const QString &driverName)
{
    const QString d = driverName.toUpper();
    const QStringList &tokens = SupportedPrinterTokens();
    for (int i = 0; i < tokens.size(); ++i)
        if (d.contains(tokens[i]))
            return i;
    return -1;
}

QString PrinterDriverName()
{
    try {
        return CurrentPrinter().driverName();
    } catch (...) {
        return {};
    }
}

OrientationResult SetPageOrientation(PrintDevice &device, PageOrientation orientation)
{
    return device.setOrientation(orientation);
}

QString NumericTrackData(const QString &text, int n)
{
    static const QString allowed = QStringLiteral("0123456789:;<=>?");
    QString out;
    for (const QChar c : text) {
        if (out.size() >= n)
            break;
        if (allowed.contains(c))
            out += c;
    }
    return out;
}

const EncodingProfile *JobEncodingProfile(const PrinterEncoding &encoding, const QString &driverName)
{
    if (encoding.profile)
        return encoding.profile;
    return MatchSupportedPrinter(driverName) >= 0 ? &EscapeTextProfile() : nullptr;
}

std::optional<QString> TrackSourceText(int track, const PrintSettings &settings, const CardFieldLookup &cardField)
{
    if (track < 1 || track > 3 || !settings.stripeOn)
        return std::nullopt;
    const PrintTrackSettings &t = settings.tracks[track - 1];
    if (!t.use)
        return std::nullopt;

    auto field = [&](const QString &name) -> QString {
        std::optional<QString> value;
        if (cardField)
            value = cardField(name);
        if (!value)
            throw PrintError(QStringLiteral("Field '%1' not found.").arg(name));
        return *value;
    };
    switch (t.source) {
    case TrackStaticText:
        return t.value;
    case TrackLinkedField:
        return field(t.value);
    case TrackSeparateField:
        return field(QStringLiteral("magstripe%1").arg(track));
    default:
        return std::nullopt;
    }
}

std::optional<QString> TrackEncodingText(int track, const PrintSettings &settings, const CardFieldLookup &cardField)
{
    const std::optional<QString> source = TrackSourceText(track, settings, cardField);
    if (!source)
        return std::nullopt;
    return EscapeLine(track, track == 1 ? source->left(TrackCapacity[0]) : NumericTrackData(*source, TrackCapacity[track - 1]));
}

PrintJobResult RunPrintJob(const PrintJobRequest &request)
{
    PrintJobResult result;

    if (!request.batchMode && !ShowPrintDialog(request.dialogParent)) {
        result.outcome = PrintJobOutcome::Cancelled;
        return result;
    }

    PrintDevice &device = CurrentPrinter();
    const PrinterEncoding encoding = device.encoding();
    const EncodingProfile *profile = JobEncodingProfile(encoding, PrinterDriverName());
    if (!profile && !encoding.error.isEmpty())
        throw PrintError(encoding.error);
    if (!profile) {
        if (request.batchMode)
            throw PrintError(QString::fromLatin1(UnsupportedPrinterError));
        result.outcome = PrintJobOutcome::UnsupportedPrinter;
        result.closePreview = LocalMessageDlg(Literal(61), MsgKind::Warning, MsgButton::OK) == MrOk;
        return result;
    }

    // The stripe first: a track field the card table lacks, or a track the
    // printer's driver cannot take, stops the job before anything reaches
    // the printer. A driver that reads the tracks from the job's options
    // gets them there and nothing is drawn for it.
    std::array<std::optional<QString>, 3> escape;
    JobOptions stripeOptions;
    if (profile->drawsEscapeText) {
        for (int t = 1; t <= 3; ++t)
            escape[t - 1] = TrackEncodingText(t, request.settings, request.cardField);
    } else {
        StripeTracks tracks;
        for (int t = 1; t <= 3; ++t) {
            tracks[t - 1] = TrackSourceText(t, request.settings, request.cardField);
            if (t > 1 && tracks[t - 1])
                tracks[t - 1] = NumericTrackData(*tracks[t - 1], std::numeric_limits<int>::max());
        }
        tracks = PrepareTracks(*profile, tracks);
        const QString problem = StripeProblem(*profile, tracks, device.deviceName());
        if (!problem.isEmpty())
            throw PrintError(problem);
        stripeOptions = StripeJobOptions(*profile, tracks, encoding.coercivity, encoding.ppd);
    }

    const OverrideCursor hourglass;
    const QString title = request.documentTitle.isEmpty() ? QStringLiteral("Vellora-ID card") : request.documentTitle;
    result.closePreview = true;

    const OrientationResult front = SetPageOrientation(device, orientationOf(request.front));
    if (!front.changed) {
        PlainMessage(applicationTitle(), QString::fromLatin1(FrontOrientationError), PlainIcon::Error);
        result.outcome = PrintJobOutcome::FrontOrientationFailed;
        return result;
    }

    CardSideModel frontSide = request.front;
    frontSide.monochrome = request.settings.monoPrinter;
    Tprintlayoutcanvas &canvas = PrintLayoutCanvas();
    int pages = 0;
    int documents = 0;
    try {
        device.setJobOptions(stripeOptions);
        device.setMonochrome(request.settings.monoPrinter);
        device.beginDocument(title);
        device.setTransparentTextBackground();
        ComposeSide(canvas, frontSide, request.frontCanvasColour, request.frontBackground);
        RenderSideToDevice(canvas, device, request.mode);

        if (request.settings.stripeOn && profile->drawsEscapeText) {
            DeviceFont arial;
            arial.face = QStringLiteral("Arial");
            arial.pixelHeight = static_cast<int>(RoundHalfEven(std::int64_t(10) * device.dpiY(), 72));
            arial.colour = Qt::black;
            device.selectFont(arial);
            for (const auto &line : escape)
                if (line)
                    device.textOut(QPoint(0, 0), *line);
        }

        if (front.applied) {
            device.endPage();
        } else {
            device.endDocument();
            ++documents;
        }
        ++pages;
        result.outcome = PrintJobOutcome::Printed;

        if (request.settings.doubleSided) {
            CardSideModel backSide = request.back;
            backSide.monochrome = request.settings.monoPrinter;
            const OrientationResult back = SetPageOrientation(device, orientationOf(backSide));
            if (!back.changed) {
                PlainMessage(applicationTitle(), QString::fromLatin1(BackOrientationError), PlainIcon::Error);
                result.outcome = PrintJobOutcome::BackOrientationFailed;
            } else {
                if (back.applied && device.documentOpen()) {
                    device.startPage();
                } else {
                    if (device.documentOpen()) {
                        device.endDocument();
                        ++documents;
                    }
                    device.beginDocument(title);
                }
                device.setTransparentTextBackground();
                ComposeSide(canvas, backSide, request.backCanvasColour, request.backBackground);
                RenderSideToDevice(canvas, device, request.mode);
                ++pages;
            }
        }
        if (device.documentOpen()) {
            device.endDocument();
            ++documents;
        }
    } catch (...) {
        if (device.documentOpen())
            device.abortDocument();
        throw;
    }
    result.pagesPrinted = pages;
    result.documents = documents;
    return result;
}

}  // namespace vellora
