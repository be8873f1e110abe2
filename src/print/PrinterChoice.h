#pragma once
// The print dialog and the printer setup dialog: a list of the printers
// (the virtual card printer and every CUPS queue) to choose the one the
// next print jobs use; the choice holds for the rest of the run. Both go
// through the common-dialog seam (kinds Print and PrinterSetup): a scripted
// answer's text is the chosen printer's name, empty for the current one.
class QWidget;

namespace vellora {

// false: cancelled.
bool ShowPrintDialog(QWidget *parent);
bool ShowPrinterSetupDialog(QWidget *parent);

}  // namespace vellora
