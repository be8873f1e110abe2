#include "print/PrinterProfiles.h"

#include "devices/print/CupsPrintDevice.h"
#include "lang/LanguageTable.h"
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

namespace {

// The printer setup dialog's texts; English while no language is loaded
// (the command line).
QString text(const char *suffix, const char *english)
{
    const QString t = LangText(QStringLiteral("FORM:PrinterSetupDialog1-OWNER:PrinterSetupDialog1-CONTROL:EncodingProfile-") +
                               QLatin1String(suffix));
    return t.isEmpty() ? QString::fromUtf8(english) : t;
}

}  // namespace

QString ProfileLabel(const ListedPrinterEncoding &listed)
{
    if (!listed.profile)
        return listed.encoding.error.isEmpty() ? text("NONE", "no stripe encoding") : listed.encoding.error;
    const QString name = listed.profile->drawsEscapeText ? text("ESCAPE", "escape text") : listed.profile->name;
    return listed.encoding.chosen ? text("CHOSEN", "%1 (chosen)").arg(name) : name;
}

}  // namespace vellora
