#include "print/batch/BatchRun.h"

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

}  // namespace

QString BatchErrorDescription(const QString &message) { return message.left(254); }

QString BatchErrorQuestion(const QString &error)
{
    return Literal(55) + BatchErrorDescription(error) + Literal(56);
}

BatchRunResult RunBatch(const BatchHost &host, const QList<bool> &ticked, int resolution,
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

    for (bool t : ticked)
        result.ticked += t ? 1 : 0;
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
    for (int i = 0; i < ticked.size(); ++i) {
        pumpEvents();
        if (progress && progress->cancelled()) {
            preview->BatchMode = false;
            closeProgress();
            result.cancelled = true;
            return result;
        }
        if (!ticked[i])
            continue;
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
                return result;
            }
        }
        preview->hide();
    }

    preview->hide();
    preview->BatchMode = false;
    // The run is over: its progress window (on top, with its Cancel) goes
    // before the summary, which would otherwise open underneath it.
    closeProgress();
    if (result.printed > 0)
        LocalMessageDlg(QString::number(result.printed) + Literal(58), MsgKind::Information, MsgButton::OK);
    returnToRemembered(remembered);
    return result;
}

}  // namespace vellora
