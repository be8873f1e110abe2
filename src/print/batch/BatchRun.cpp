#include "print/batch/BatchRun.h"

#include "devices/print/PrinterRegistry.h"
#include "devices/print/VirtualCardPrinter.h"
#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "print/PrintJob.h"
#include "print/batch/TPbatch.h"
#include "print/preview/TPrintPreview.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace vellora {

namespace {

void pumpEvents() { QCoreApplication::processEvents(); }

void offScreen(TPrintPreview *preview)
{
    int screenHeight = 0;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        screenHeight = screen->geometry().height();
    preview->move(-preview->width(), screenHeight);
}

QString errorText()
{
    try {
        throw;
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

// The print job's outcomes other than a printed card, as errors of that card.
QString outcomeError(PrintJobOutcome outcome)
{
    switch (outcome) {
    case PrintJobOutcome::FrontOrientationFailed: return QString::fromLatin1(FrontOrientationError);
    case PrintJobOutcome::BackOrientationFailed:
        return QString::fromLatin1(BackOrientationError) + QStringLiteral(" (only the front was printed)");
    case PrintJobOutcome::UnsupportedPrinter: return QString::fromLatin1(UnsupportedPrinterError);
    case PrintJobOutcome::Cancelled: return QStringLiteral("The print job was cancelled.");
    case PrintJobOutcome::Printed: break;
    }
    return {};
}

// The virtual card printer writes a card's files while the next card is
// composed: the batch is over once the last ones are there. Files that
// could not be written make their card one not printed.
void waitForPrintedFiles(BatchRunResult &result)
{
    try {
        TheVirtualCardPrinter().finishWrites();
    } catch (const PrintError &e) {
        if (result.printed > 0) {
            --result.printed;
            ++result.failed;
        }
        LocalMessageDlg(e.message(), MsgKind::Error, MsgButton::OK);
    }
}

}  // namespace

QString BatchErrorDescription(const QString &message) { return message.left(254); }

QString BatchErrorQuestion(const QString &error)
{
    return Literal(55) + BatchErrorDescription(error) + Literal(56);
}

BatchRunResult RunBatch(const BatchHost &host, const QList<bool> &ticked, int resolution,
                        const std::function<void(const BatchCardReport &)> &onCard)
{
    QList<int> positions;
    for (int i = 0; i < ticked.size(); ++i)
        if (ticked[i])
            positions.append(i);
    return RunBatchAt(host, positions, resolution, onCard);
}

BatchRunResult RunBatchAt(const BatchHost &host, const QList<int> &positions, int resolution,
                          const std::function<void(const BatchCardReport &)> &onCard)
{
    BatchRunResult result;
    Table *table = host.table;
    TPrintPreview *preview = host.preview;
    TPbatch *progress = host.progress;

    auto hidePlaceholders = [&] {
        if (host.hidePlaceholders)
            host.hidePlaceholders();
    };
    auto returnToRemembered = [&](int recNo) {
        try {
            if (table && recNo > 0)
                table->setRecNo(recNo);
            hidePlaceholders();
        } catch (...) {
        }
    };
    auto closeProgress = [&] {
        if (progress)
            progress->hide();
    };

    int remembered = 0;
    try {
        if (table)
            remembered = table->recNo();
    } catch (...) {
    }

    result.ticked = int(positions.size());
    const int j = result.ticked;
    if (j == 0 || !table || !preview) {
        if (j == 0)
            LocalMessageDlg(Literal(57), MsgKind::Error, MsgButton::OK);
        closeProgress();
        returnToRemembered(remembered);
        return result;
    }

    if (progress) {
        progress->clearCancel();
        progress->resolution = resolution;
        progress->progressBar()->setRange(0, j);
        progress->progressBar()->setValue(0);
        if (host.showWindows)
            progress->show();
    }
    const RenderMode mode = resolution == 2 ? RenderMode::Half : RenderMode::Full;

    int k = 0;
    for (const int i : positions) {
        pumpEvents();
        if (progress && progress->cancelled()) {
            preview->BatchMode = false;
            closeProgress();
            result.cancelled = true;
            waitForPrintedFiles(result);
            return result;
        }
        ++k;
        if (progress) {
            progress->progressBar()->setValue(k);
            progress->label()->setText(Literal(53) + QString::number(k) + Literal(54) + QString::number(j));
            if (host.showWindows)
                progress->repaint();
        }

        BatchCardReport report;
        report.position = i;
        report.k = k;
        report.j = j;
        try {
            table->setRecNo(i + 1);
            report.cardNumber = table->fieldCount() > 0 ? table->field(0).asString() : QString();
            pumpEvents();
            hidePlaceholders();
            pumpEvents();
            preview->BatchMode = true;
            if (host.showWindows)
                offScreen(preview);
            preview->ShowPreview(host.showWindows);
            if (host.showWindows)
                preview->repaint();
            const PrintJobResult job = preview->RunPrintJob(mode);
            report.printed = job.outcome == PrintJobOutcome::Printed;
            if (!report.printed)
                report.error = outcomeError(job.outcome);
        } catch (...) {
            report.error = errorText();
        }

        if (report.printed) {
            ++result.printed;
        } else {
            ++result.failed;
        }
        if (onCard)
            onCard(report);
        if (!report.printed) {
            const int answer = LocalMessageDlg(BatchErrorQuestion(report.error), MsgKind::Error,
                                               MsgButton::Yes | MsgButton::Cancel);
            if (answer != MrYes) {
                preview->BatchMode = false;
                preview->hide();
                closeProgress();
                returnToRemembered(remembered);
                result.stopped = true;
                waitForPrintedFiles(result);
                return result;
            }
        }
        preview->hide();
    }

    preview->hide();
    preview->BatchMode = false;
    waitForPrintedFiles(result);
    // The run is over: its progress window (on top, with its Cancel) goes
    // before the summary, which would otherwise open underneath it.
    closeProgress();
    if (result.printed > 0)
        LocalMessageDlg(QString::number(result.printed) + Literal(58), MsgKind::Information, MsgButton::OK);
    returnToRemembered(remembered);
    return result;
}

}  // namespace vellora
