#pragma once
// Printing from the main window: the card panels as the renderer's model,
// the print preview's source, and the commands Print Preview, Print Card,
// Printer Setup and Batch Print.
#include "print/CardSideModel.h"
#include "print/batch/BatchRun.h"
#include "print/batch/TPbatch.h"
#include "print/batch/Tbatchprint.h"
#include "print/preview/PreviewSource.h"
#include "print/preview/TPrintPreview.h"

#include <QPointer>

class TForm1;
struct CardSideItems;

namespace vellora {

// One card panel as the renderer composes it: every picture and free text
// in the panel's stacking order, then the field items in the order they
// were made; placeholders never. Fonts, colours and alignment are the
// widgets' own, pictures those the items show.
CardSideModel CardSideFromPanel(const CardSideItems &items, CardSideId side);

// The print values of the front settings record.
CardPrintOptions PrintOptionsOf(const TForm1 &main);

PreviewSource PreviewSourceFor(TForm1 &main);
BatchHost BatchHostFor(TForm1 &main, TPrintPreview *preview, TPbatch *progress);

struct PrintWindows {
    QPointer<TPrintPreview> preview;
    QPointer<Tbatchprint> batch;
    QPointer<TPbatch> progress;
};

// Gives the main window its preview and Batch Print windows (the button
// BitBtn6 and the menu items Print Preview, Print Card and Batch Print use
// them) and points the virtual card printer at the program folder's
// printed/. The windows live as long as the main window.
void InstallPrintCommands(TForm1 &main, TPrintPreview *preview, Tbatchprint *batch, TPbatch *progress);
PrintWindows PrintWindowsOf(const TForm1 &main);

// The two ways the main window shows the preview in its normal mode
// (its PreviewCard and PrintCard commit the card and hide the placeholders
// around them): modally; and without waiting, printed at full resolution,
// hidden again unless nothing was printed (a cancelled print dialog leaves
// it open). Errors reach the caller.
void ShowPreviewModal(TPrintPreview &preview);
void PrintWithPreview(TPrintPreview &preview);

}  // namespace vellora
