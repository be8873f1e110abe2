#pragma once
// The batch run: walks the ticked list positions in order, makes each card
// current, lets the preview compose it off-screen and prints it with one
// print job per card. The Batch Print window and the command line share it.
#include "print/CardRenderer.h"

#include <QList>
#include <QString>
#include <functional>

class TPbatch;
class TPrintPreview;

namespace vellora {

class Table;

struct BatchHost {
    Table *table = nullptr;  // the main window's card table
    std::function<void()> hidePlaceholders;
    TPrintPreview *preview = nullptr;  // hosts every print job
    TPbatch *progress = nullptr;       // may be null: no progress, no Cancel
    // Off for runs without a display: the preview is composed without being
    // shown and the progress window stays hidden.
    bool showWindows = true;
};

// One card of the run, after its print job.
struct BatchCardReport {
    int position = 0;  // 0-based list position (record number - 1)
    int k = 0;         // its place among the ticked cards, from 1
    int j = 0;         // number of ticked cards
    QString cardNumber;
    bool printed = false;
    QString error;  // why not
};

struct BatchRunResult {
    int ticked = 0;
    int printed = 0;
    int failed = 0;
    bool cancelled = false;  // Cancel of the progress window
    bool stopped = false;    // the error question answered other than Yes
};

// resolution: 1 full, 2 half. ticked: one flag per list position.
BatchRunResult RunBatch(const BatchHost &host, const QList<bool> &ticked, int resolution,
                        const std::function<void(const BatchCardReport &)> &onCard = {});
// The same for the ticked list positions given as such (0-based, ascending):
// the run's work grows with the cards printed, not with the table.
BatchRunResult RunBatchAt(const BatchHost &host, const QList<int> &positions, int resolution,
                          const std::function<void(const BatchCardReport &)> &onCard = {});

// The message of the error question: Literals55, the error, Literals56.
QString BatchErrorQuestion(const QString &error);
// The error's description as it stands between the two: at most 254
// characters.
QString BatchErrorDescription(const QString &message);

}  // namespace vellora
