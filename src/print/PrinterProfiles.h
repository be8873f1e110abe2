#pragma once
// The encoding profile of each printer the dialogs and the command line
// list: what a print job on it would use.
#include "devices/print/PrinterRegistry.h"
#include "devices/print/QueueEncoding.h"

namespace vellora {

struct ListedPrinterEncoding {
    PrinterEncoding encoding;                   // as chosen or recognised
    const EncodingProfile *profile = nullptr;  // what a job uses; nullptr: not a supported card printer
};

ListedPrinterEncoding ListedPrinterProfile(const PrinterEntry &printer);

// A short text for the lists: the profile's name, "(chosen)" when the
// operator chose it, or why the printer is not supported.
QString ProfileLabel(const ListedPrinterEncoding &listed);

}  // namespace vellora
