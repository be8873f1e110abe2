#pragma once
// The encoding profile of a printer queue: chosen by the operator for the
// queue (kept in a file of the program folder), or else recognised from the
// queue's driver description.
#include "devices/print/EncodingProfile.h"

#include <QHash>
#include <QString>
#include <optional>

namespace vellora {

// The operator's choice for one queue. The profile key "auto" keeps the
// recognised profile (only the coercivity is chosen).
inline constexpr auto AutomaticProfileKey = "auto";
struct EncodingOverride {
    QString profileKey;
    Coercivity coercivity = Coercivity::Default;
    bool operator==(const EncodingOverride &) const = default;
};

// The file the choices live in: the program folder's printers.cfg, one line
// per queue: queue name, profile key and coercivity, separated by tabs.
// Unset (empty), no choice is read or kept.
void SetEncodingOverrideFile(const QString &path);
QString EncodingOverrideFile();
inline constexpr auto EncodingOverrideFileName = "printers.cfg";

// The choices of the file; lines that cannot be read, or name a profile
// this program does not know, are left out.
QHash<QString, EncodingOverride> ReadEncodingOverrides(const QString &path);
std::optional<EncodingOverride> EncodingOverrideFor(const QString &queue);
// Keeps (or with nullopt, drops) the choice for a queue; the other lines
// stay. Raises PrintError when the file cannot be written.
void StoreEncodingOverride(const QString &queue, const std::optional<EncodingOverride> &choice);

struct PrinterEncoding {
    const EncodingProfile *profile = nullptr;  // nullptr: none chosen or recognised
    bool chosen = false;                        // the operator's choice, not recognised
    Coercivity coercivity = Coercivity::Default;
    PpdSummary ppd;
    bool hasPpd = false;
    QString error;  // the queue is gone or its driver description unreadable
};

// The CUPS queue's driver description (cupsGetPPD3); nullopt with error set
// when it cannot be read, an empty text when the queue has none.
std::optional<QByteArray> QueuePpd(const QString &queue, QString *error);

PrinterEncoding ResolveQueueEncoding(const QString &queue);

}  // namespace vellora
