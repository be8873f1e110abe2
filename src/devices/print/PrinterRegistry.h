#pragma once
// The printers the program can print on: the virtual card printer (the
// default, always first) and every CUPS queue. The printer chosen in the
// print or printer setup dialog stays the current one for the rest of the
// run; its device object lives as long, so the orientation last set stays.
#include "devices/print/PrintDevice.h"
#include "devices/print/VirtualCardPrinter.h"

#include <QList>
#include <QString>

namespace vellora {

struct PrinterEntry {
    QString name;         // device name: the queue's name for CUPS
    QString description;  // the queue's description or make and model
    bool isVirtual = false;
};

// Virtual card printer first, then the CUPS queues in the server's order.
QList<PrinterEntry> AvailablePrinters();

// The CUPS queues alone (cupsGetDests); empty when no server answers.
QList<PrinterEntry> CupsPrinters();

// The current printer; the virtual card printer until another is chosen.
PrintDevice &CurrentPrinter();
QString CurrentPrinterName();
// Chooses a printer by device name; false when it is not known.
bool SelectPrinter(const QString &name);

// The one virtual card printer of the run.
VirtualCardPrinter &TheVirtualCardPrinter();

}  // namespace vellora
