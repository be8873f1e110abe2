#pragma once
// The program's command line without windows: printing cards of the
// collection (--print) and listing the printers (--list-printers).
#include <QList>
#include <QString>
#include <optional>
#include <utility>

class QTextStream;

namespace vellora {

// Which cards, by card number: "all" or a list such as "3,7,10-20".
struct CardSelection {
    bool all = false;
    QList<std::pair<qint64, qint64>> ranges;  // inclusive, from <= to
    bool contains(qint64 cardNumber) const;
    // The numbers the list names one by one, in the list's order (without
    // repeats); empty for "all".
    QList<qint64> numbers() const;
};
// nullopt with *error for anything else (empty parts, letters, a range
// whose end is below its start, numbers below 1).
std::optional<CardSelection> ParseCardSelection(const QString &text, QString *error = nullptr);

struct HeadlessPrintOptions {
    QString appFolder;  // with a trailing '/'
    QString cards;      // as given to --print
    QString printer;    // empty: the virtual card printer
    bool half = false;  // half resolution
};

// Exit codes of the command line.
inline constexpr int kExitPrinted = 0;      // every card printed
inline constexpr int kExitNotAllPrinted = 1;  // some card failed or does not exist
inline constexpr int kExitUsage = 2;        // bad arguments, no program folder, no or unsupported printer

// Builds the program's windows hidden on the program folder, prints the
// chosen cards one print job each in the card table's order, writes one
// line per card and a summary to out, messages to err. Message boxes are
// answered as a batch would answer them (go on with the next card).
int RunHeadlessPrint(const HeadlessPrintOptions &options, QTextStream &out, QTextStream &err);

// One line per printer: name, then whether it is a supported card printer
// and its description, tab-separated; the current (default) one first.
int ListPrinters(QTextStream &out);

// Before the application object exists: the headless options need no
// display, so without one (DISPLAY and WAYLAND_DISPLAY unset) the offscreen
// platform is chosen unless QT_QPA_PLATFORM says otherwise.
void PrepareHeadlessPlatform(int argc, char **argv);

// The current printer's driver name, and whether it is a supported card
// printer.
bool CurrentPrinterSupported(QString *driverName = nullptr);

}  // namespace vellora
