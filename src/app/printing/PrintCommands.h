#pragma once
// Printing from the main window: the card panels as the renderer's model,
// the print preview's source, and the commands Print Preview, Print Card,
// Printer Setup and Batch Print.
#include "print/CardSideModel.h"
#include "print/batch/BatchRun.h"
#include "print/preview/PreviewSource.h"

#include <QPointer>

class TForm1;
class TPrintPreview;
class Tbatchprint;
class TPbatch;
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

// Wires the preview, the batch windows and the print commands to the main
// window (button BitBtn6, menu PrintPreview1, PrintCard1, PrinterSetup1,
// BatchPrint1) and points the virtual card printer at the program folder's
// printed/. The windows live as long as the main window.
void InstallPrintCommands(TForm1 &main, TPrintPreview *preview, Tbatchprint *batch, TPbatch *progress);
PrintWindows PrintWindowsOf(const TForm1 &main);

// "Print this card" and Print Preview: commit, hide the placeholders, show
// the preview modally, show the placeholders.
void PreviewCard(TForm1 &main, TPrintPreview &preview);
// Print Card: the same with the preview shown without waiting and its full
// resolution print command run at once.
void PrintCard(TForm1 &main, TPrintPreview &preview);
// Batch Print: commit, hide the placeholders, the Batch Print window
// modally, show the placeholders.
void BatchPrint(TForm1 &main, Tbatchprint &batch);

}  // namespace vellora
