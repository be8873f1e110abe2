#include "print/PrinterProfiles.h"

#include "devices/print/CupsPrintDevice.h"
#include "print/PrintJob.h"

namespace vellora {

ListedPrinterEncoding ListedPrinterProfile(const PrinterEntry &printer)
{
    ListedPrinterEncoding listed;
    if (printer.isVirtual) {
        listed.profile = JobEncodingProfile({}, TheVirtualCardPrinter().driverName());
        return listed;
    }
    listed.encoding = ResolveQueueEncoding(printer.name);
    listed.profile = JobEncodingProfile(listed.encoding, CupsMakeAndModel(printer.name));
    return listed;
}

QString ProfileLabel(const ListedPrinterEncoding &listed)
{
    if (!listed.profile)
        return listed.encoding.error.isEmpty() ? QStringLiteral("no stripe encoding") : listed.encoding.error;
    return listed.encoding.chosen ? listed.profile->name + QStringLiteral(" (chosen)") : listed.profile->name;
}

}  // namespace vellora
