#include "app/cli/CommandLine.h"

#include "app/mainwindow/TForm1.h"
#include "app/printing/PrintCommands.h"
#include "app/shell/StartupWait.h"
#include "app/startup/FontSubstitutes.h"
#include "app/startup/ProgramWindows.h"
#include "app/startup/StartupError.h"
#include "devices/print/PrinterRegistry.h"
#include "engine/Table.h"
#include "lang/CommonDialogs.h"
#include "lang/LanguageSelection.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"
#include "print/batch/BatchRun.h"
#include "print/batch/TPbatch.h"
#include "print/preview/TPrintPreview.h"

#include <QApplication>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <cstring>

namespace vellora {

bool CardSelection::contains(qint64 n) const
{
    if (all)
        return true;
    for (const auto &r : ranges)
        if (r.first <= n && n <= r.second)
            return true;
    return false;
}

QList<qint64> CardSelection::numbers() const
{
    QList<qint64> out;
    QSet<qint64> seen;
    for (const auto &r : ranges)
        for (qint64 n = r.first; n <= r.second; ++n)
            if (!seen.contains(n)) {
                seen.insert(n);
                out.append(n);
            }
    return out;
}

std::optional<CardSelection> ParseCardSelection(const QString &text, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<CardSelection> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString t = text.trimmed();
    CardSelection s;
    if (t.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        s.all = true;
        return s;
    }
    if (t.isEmpty())
        return fail(QStringLiteral("no cards given (use \"all\" or card numbers such as 3,7,10-20)"));
    // Ranges are bounded so that a typing slip cannot ask for billions.
    constexpr qint64 kMaxSpan = 1000000;
    auto number = [](const QString &part, qint64 *value) {
        bool ok = false;
        const qint64 v = part.trimmed().toLongLong(&ok);
        if (!ok || v < 1)
            return false;
        *value = v;
        return true;
    };
    for (const QString &part : t.split(u',')) {
        if (part.trimmed().isEmpty())
            return fail(QStringLiteral("empty entry in the card list \"%1\"").arg(text));
        const qsizetype dash = part.indexOf(u'-');
        qint64 from = 0, to = 0;
        if (dash < 0) {
            if (!number(part, &from))
                return fail(QStringLiteral("\"%1\" is not a card number").arg(part.trimmed()));
            to = from;
        } else {
            if (!number(part.left(dash), &from) || !number(part.mid(dash + 1), &to))
                return fail(QStringLiteral("\"%1\" is not a range of card numbers").arg(part.trimmed()));
            if (to < from)
                return fail(QStringLiteral("the range \"%1\" ends before it starts").arg(part.trimmed()));
            if (to - from >= kMaxSpan)
                return fail(QStringLiteral("the range \"%1\" is too large").arg(part.trimmed()));
        }
        s.ranges.append({from, to});
    }
    return s;
}

void PrepareHeadlessPlatform(int argc, char **argv)
{
    // Only `--folder` goes with the main window; every other argument runs
    // without one (printing, listing, help) or is refused with exit code 2,
    // which needs no display either.
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--folder") == 0)
            ++i;
        else if (std::strncmp(a, "--folder=", 9) != 0)
            headless = true;
    }
    if (!headless || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

namespace {

// Message boxes of a run without windows: the text goes to stderr and the
// answer is the batch's own: go on with the next card, acknowledge the rest.
class HeadlessAnswers {
public:
    explicit HeadlessAnswers(QTextStream &err)
    {
        SetMessageAnswerer([&err](const ShownMessage &m) {
            err << "vellora-id: " << QString(m.text).replace(u'\n', u' ') << '\n';
            err.flush();
            if (m.buttons & MsgButton::Yes)
                return int(MrYes);
            if (m.buttons & MsgButton::OK)
                return int(MrOk);
            return int(MrCancel);
        });
        // No file, font or printer dialog can be answered without a person.
        SetCommonDialogAnswerer([](const CommonDialogRequest &) { return std::optional<CommonDialogAnswer>(); });
    }
    ~HeadlessAnswers()
    {
        SetMessageAnswerer({});
        SetCommonDialogAnswerer({});
    }
    HeadlessAnswers(const HeadlessAnswers &) = delete;
    HeadlessAnswers &operator=(const HeadlessAnswers &) = delete;
};

// As at start-up, except that on a first start with several languages
// nobody can be asked: the first language is taken and nothing is recorded.
void loadLanguage(const QString &appFolder)
{
    QString choice;
    QStringList lines;
    if (LanguageSectionNames(appFolder).size() > 1 && !ReadLanguageChoice(appFolder, &choice) &&
        ReadUtf16Lines(ResolveProgramFile(appFolder, QStringLiteral("languages.ini")), &lines)) {
        const QString first = SectionNamesOf(lines).value(0);
        SetCurrentLanguage(first, SectionLines(lines, first));
        LoadDialogCaptions();
        return;
    }
    StartupLoadLanguage(appFolder);
}

// True when the card table's primary key is its card number alone, so
// that a card is found by its number.
bool CardNumberIsKey(const Table &table)
{
    if (table.fieldCount() == 0)
        return false;
    QString numberField = table.fieldNames().value(0);
    for (const QString &name : table.fieldNames())
        if (name.compare(QLatin1String("card_number"), Qt::CaseInsensitive) == 0)
            numberField = name;
    for (const IndexDef &index : table.indexDefs())
        if (index.primary)
            return index.fields.size() == 1 && index.fields.first().compare(numberField, Qt::CaseInsensitive) == 0;
    return false;
}

}  // namespace

int RunHeadlessPrint(const HeadlessPrintOptions &options, QTextStream &out, QTextStream &err)
{
    QString why;
    const std::optional<CardSelection> selection = ParseCardSelection(options.cards, &why);
    if (!selection) {
        err << "vellora-id: --print: " << why << '\n';
        return kExitUsage;
    }

    HeadlessAnswers answers(err);
    SetStartupWaitEnabled(false);
    InstallFontSubstitutes();
    loadLanguage(options.appFolder);

    ProgramWindows windows;
    try {
        windows.createMainWindow(options.appFolder);
    } catch (const StartupError &e) {
        err << "vellora-id: cannot open the collection in " << options.appFolder << ": " << e.message() << '\n';
        return kExitUsage;
    }
    QApplication::setApplicationDisplayName(QStringLiteral("Vellora-Id"));
    windows.createOtherWindows();
    TranslateApplication();
    StartupLoadGraphics(options.appFolder);
    windows.applyLayouts();
    TForm1 &main = *windows.main;
    // The run changes nothing: the table is closed before the windows go,
    // so that no bound box reacts to the close while the window is torn down.
    struct CloseTable {
        Table *table;
        ~CloseTable()
        {
            if (table)
                table->close();
        }
    } closeTable{main.table()};
    const PrintWindows print = PrintWindowsOf(main);
    if (!print.preview) {
        err << "vellora-id: printing is not available in this build\n";
        return kExitUsage;
    }

    const QString printerName =
        options.printer.isEmpty() ? QString::fromLatin1(VirtualCardPrinterName) : options.printer;
    if (!SelectPrinter(printerName)) {
        err << "vellora-id: there is no printer named \"" << printerName
            << "\" (vellora-id --list-printers shows the printers)\n";
        return kExitUsage;
    }
    QString driver;
    if (!CurrentPrinterSupported(&driver)) {
        err << "vellora-id: the printer \"" << printerName << "\" ("
            << (driver.isEmpty() ? QStringLiteral("driver unknown") : driver)
            << ") is not a supported card printer\n";
        return kExitUsage;
    }
    const bool virtualPrinter = printerName == QLatin1String(VirtualCardPrinterName);

    // The list positions (record number - 1) of the cards asked for, in the
    // table's order. Cards are found by their number, the table's key,
    // without visiting the others; "all" takes every row.
    Table *table = main.table();
    QList<int> positions;
    QStringList missing;
    try {
        if (selection->all) {
            const int count = table->recordCount();
            positions.reserve(count);
            for (int i = 0; i < count; ++i)
                positions.append(i);
        } else if (CardNumberIsKey(*table)) {
            for (qint64 n : selection->numbers()) {
                const int recNo = table->recNoOfKey({n});
                if (recNo > 0)
                    positions.append(recNo - 1);
                else
                    missing.append(QString::number(n));
            }
            std::sort(positions.begin(), positions.end());
        } else {
            // A restructured table keyed otherwise: one walk over its rows.
            QSet<qint64> present;
            int i = 0;
            for (table->first(); !table->eof(); table->next(), ++i) {
                const Field number = table->findField(QStringLiteral("card_number"));
                bool ok = false;
                const qint64 n = (number.isValid() ? number : table->field(0)).asString().toLongLong(&ok);
                if (ok && selection->contains(n)) {
                    positions.append(i);
                    present.insert(n);
                }
            }
            table->first();
            for (qint64 n : selection->numbers())
                if (!present.contains(n))
                    missing.append(QString::number(n));
        }
    } catch (const std::exception &e) {
        err << "vellora-id: the card table cannot be read: " << e.what() << '\n';
        return kExitNotAllPrinted;
    }
    for (const QString &n : missing)
        out << "card " << n << ": not printed: there is no card " << n << " in the collection\n";

    const int wanted = int(positions.size());
    if (wanted == 0) {
        out << "0 of " << missing.size() << " cards printed: no card to print\n";
        out.flush();
        return kExitNotAllPrinted;
    }

    BatchHost host = BatchHostFor(main, print.preview, print.progress);
    host.showWindows = false;
    const BatchRunResult result = RunBatchAt(host, positions, options.half ? 2 : 1, [&](const BatchCardReport &r) {
        out << "card " << r.cardNumber << ": ";
        if (r.printed) {
            out << "printed";
            if (virtualPrinter && TheVirtualCardPrinter().lastJob()) {
                const PrintedJob &job = *TheVirtualCardPrinter().lastJob();
                if (!job.pages.isEmpty())
                    out << ' ' << job.pages.first().imageFile;
            } else {
                out << " on " << printerName;
            }
        } else {
            out << "not printed: " << QString(r.error).replace(u'\n', u' ');
        }
        out << '\n';
        out.flush();
    });
    const int printed = result.printed;  // files included: the batch waits for them
    const int asked = wanted + int(missing.size());
    out << printed << " of " << asked << " cards printed";
    if (!missing.isEmpty())
        out << " (" << missing.size() << " not in the collection)";
    out << '\n';
    out.flush();
    return printed == asked ? kExitPrinted : kExitNotAllPrinted;
}

}  // namespace vellora
