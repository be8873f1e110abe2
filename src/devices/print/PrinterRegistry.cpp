#include "devices/print/PrinterRegistry.h"

#include "devices/print/CupsPrintDevice.h"

#include <cups/cups.h>
#include <memory>

namespace vellora {

namespace {

struct Registry {
    VirtualCardPrinter virtualPrinter;
    std::unique_ptr<CupsPrintDevice> cups;
    bool virtualCurrent = true;
};

Registry &registry()
{
    static Registry r;
    return r;
}

}  // namespace

QList<PrinterEntry> CupsPrinters()
{
    QList<PrinterEntry> list;
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance)
            continue;
        PrinterEntry e;
        e.name = QString::fromUtf8(dests[i].name);
        const char *info = cupsGetOption("printer-info", dests[i].num_options, dests[i].options);
        const char *model = cupsGetOption("printer-make-and-model", dests[i].num_options, dests[i].options);
        e.description = QString::fromUtf8(info && *info ? info : model ? model : "");
        list.append(e);
    }
    cupsFreeDests(count, dests);
    return list;
}

QList<PrinterEntry> AvailablePrinters()
{
    QList<PrinterEntry> list;
    list.append({QString::fromLatin1(VirtualCardPrinterName), QStringLiteral("Built-in card printer, writes page images"), true});
    list.append(CupsPrinters());
    return list;
}

PrintDevice &CurrentPrinter()
{
    Registry &r = registry();
    if (r.virtualCurrent || !r.cups)
        return r.virtualPrinter;
    return *r.cups;
}

QString CurrentPrinterName() { return CurrentPrinter().deviceName(); }

bool SelectPrinter(const QString &name)
{
    Registry &r = registry();
    if (name == QLatin1String(VirtualCardPrinterName)) {
        r.virtualCurrent = true;
        return true;
    }
    if (r.cups && r.cups->deviceName() == name && !r.cups->documentOpen()) {
        r.virtualCurrent = false;
        return true;
    }
    for (const PrinterEntry &e : CupsPrinters()) {
        if (e.name == name) {
            if (r.cups && r.cups->documentOpen())
                return false;
            r.cups = std::make_unique<CupsPrintDevice>(name);
            r.virtualCurrent = false;
            return true;
        }
    }
    return false;
}

VirtualCardPrinter &TheVirtualCardPrinter() { return registry().virtualPrinter; }

}  // namespace vellora
