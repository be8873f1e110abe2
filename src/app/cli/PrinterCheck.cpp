// Kept apart from the files that include the main window: the print job's
// declarations and the settings file's share type names.
#include "app/cli/CommandLine.h"

#include "devices/print/PrinterRegistry.h"
#include "print/PrintJob.h"
#include "print/PrinterProfiles.h"

#include <QTextStream>

namespace vellora {

bool CurrentPrinterSupported(QString *driverName)
{
    const QString driver = PrinterDriverName();
    if (driverName)
        *driverName = driver;
    return JobEncodingProfile(CurrentPrinter().encoding(), driver) != nullptr;
}

int ListPrinters(QTextStream &out)
{
    for (const PrinterEntry &p : AvailablePrinters()) {
        const QString driver = p.isVirtual ? TheVirtualCardPrinter().driverName() : p.description;
        const ListedPrinterEncoding listed = ListedPrinterProfile(p);
        out << p.name << '\t' << (listed.profile ? "card printer" : "not a supported card printer") << '\t'
            << (p.description.isEmpty() ? driver : p.description) << '\t' << "stripe: " << ProfileLabel(listed)
            << (p.isVirtual ? "\t(default)" : "") << '\n';
    }
    out.flush();
    return kExitPrinted;
}

}  // namespace vellora
