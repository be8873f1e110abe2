#pragma once
// Scanners and still cameras over SANE.
//
// The program acquires one picture at a time from the chosen device with
// fixed settings (colour, 300 dpi, the whole scan area) and never shows a
// dialog of the device's own. Finding devices can take seconds (network
// backends), so Probe() may run on a worker thread; every SANE call of the
// program goes through this layer, which serialises them.
//
// SANE reads its backend list from SANE_CONFIG_DIR when set (the tests give
// it a private folder whose dll.conf names only the `test` backend).
#include <QImage>
#include <QList>
#include <QString>

#include <optional>

#include "engine/util/OperatorError.h"

namespace vellora {

class ScannerError : public OperatorError {
public:
    using OperatorError::OperatorError;
};

struct ScannerDevice {
    QString name;  // SANE device name, e.g. "test:0"
    QString vendor;
    QString model;
    QString type;
    // "Vendor Model (name)"
    QString text() const;
};

struct ScannerProbe {
    bool initialised = false;
    QList<ScannerDevice> devices;
    bool available() const { return initialised && !devices.isEmpty(); }
};

namespace Scanner {

// Initialises SANE when needed and lists its devices. Safe from any thread.
ScannerProbe Probe();
// The result of the last probe (empty before the first).
ScannerProbe LastProbe();

// The device acquisitions use: the one chosen with SetSource(), or the first
// device of the last probe. Empty when there is none.
QString Source();
void SetSource(const QString &deviceName);

// One picture from Source() at 300 dpi in colour over the whole area.
// nullopt when the device delivers nothing (cancelled, no document, an
// empty picture). Throws ScannerError on any other failure; the picture is
// then discarded whole.
std::optional<QImage> Acquire();
// The same from a named device.
std::optional<QImage> AcquireFrom(const QString &deviceName);

// Closes SANE (at program end). A later call initialises it again.
void Shutdown();

}  // namespace Scanner

}  // namespace vellora
