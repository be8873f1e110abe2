// Kept apart from the files that include the main window: the print job's
// declarations and the settings file's share type names.
#include "app/cli/CommandLine.h"

#include "devices/print/PrinterRegistry.h"
#include "print/PrintJob.h"

#include <QTextStream>

namespace vellora {

bool CurrentPrinterSupported(QString *driverName)
{
    const QString driver = PrinterDriverName();
    if (driverName)
        *driverName = driver;
    return MatchSupportedPrinter(driver) >= 0;
}

int ListPrinters(QTextStream &out)
{
    for (const PrinterEntry &p : AvailablePrinters()) {
        QString driver;
        if (p.isVirtual) {
            driver = TheVirtualCardPrinter().driverName();
        } else {
            driver = p.description;
        }
        const bool supported = MatchSupportedPrinter(driver) >= 0 || MatchSupportedPrinter(p.description) >= 0;
        out << p.name << '\t' << (supported ? "card printer" : "not a supported card printer") << '\t'
            << (p.description.isEmpty() ? driver : p.description) << (p.isVirtual ? "\t(default)" : "") << '\n';
    }
    out.flush();
    return kExitPrinted;
}

}  // namespace vellora
