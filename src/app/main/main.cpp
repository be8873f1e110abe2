// vellora-id: the card-issuing program.
#include "app/cli/CommandLine.h"
#include "app/cli/DataCommands.h"
#include "app/shell/ErrorReport.h"
#include "app/startup/AboutForm.h"
#include "app/startup/Startup.h"
#include "devices/print/QueueEncoding.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    vellora::PrepareHeadlessPlatform(argc, argv);
    vellora::VelloraApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellora-id"));
    QApplication::setApplicationVersion(QLatin1String(vellora::kProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Vellora ID: photo identity cards.\n\n"
        "Without options the program opens its main window. With --print it prints\n"
        "cards of the collection without showing a window, one line per card and a\n"
        "summary on standard output, and exits with 0 when every card was printed,\n"
        "1 when a card failed or does not exist, 2 for bad arguments or an unknown\n"
        "or unsupported printer. Example: vellora-id --print 3,7,10-20 --half\n\n"
        "--import and --export move records between the card table and a .csv file, a\n"
        "dBASE (.dbf), Paradox (.db) or text table (.txt with .sch), or odbc:DSN with\n"
        "--table. They print \"N records moved, M problems\" and exit with 0, 1 when\n"
        "some records had problems, or 2 for bad arguments, a source that cannot be\n"
        "read or a destination that cannot be written."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption folder(QStringLiteral("folder"),
                              QStringLiteral("Use the program folder <folder> (default: the folder of the program file)."),
                              QStringLiteral("folder"));
    QCommandLineOption print(QStringLiteral("print"),
                             QStringLiteral("Print the cards <cards> without showing a window: \"all\" or card numbers "
                                            "and ranges such as 3,7,10-20."),
                             QStringLiteral("cards"));
    QCommandLineOption printer(QStringLiteral("printer"),
                               QStringLiteral("With --print: print on the printer <name> (default: the virtual card "
                                              "printer, which writes the cards into the folder printed/)."),
                               QStringLiteral("name"));
    QCommandLineOption half(QStringLiteral("half"), QStringLiteral("With --print: print pictures at half resolution."));
    QCommandLineOption listPrinters(QStringLiteral("list-printers"),
                                    QStringLiteral("List the printers and whether each is a supported card printer."));
    QCommandLineOption importOpt(QStringLiteral("import"),
                                 QStringLiteral("Import the records of <source> into the card table."),
                                 QStringLiteral("source"));
    QCommandLineOption exportOpt(QStringLiteral("export"),
                                 QStringLiteral("Export the card table into <dest> (a new file, or odbc:DSN)."),
                                 QStringLiteral("dest"));
    QCommandLineOption format(QStringLiteral("format"),
                              QStringLiteral("With --export: csv, dbase, paradox or text, where the extension does "
                                             "not say it."),
                              QStringLiteral("format"));
    QCommandLineOption table(QStringLiteral("table"), QStringLiteral("The table <name> of an odbc:DSN."),
                             QStringLiteral("name"));
    QCommandLineOption map(QStringLiteral("map"),
                           QStringLiteral("Pair fields as DEST=SRC[,DEST=SRC...] (default: equal names, letter "
                                          "case ignored)."),
                           QStringLiteral("pairs"));
    QCommandLineOption replace(QStringLiteral("replace"),
                               QStringLiteral("Delete every record of the destination first (in the same change)."));
    QCommandLineOption noHeader(QStringLiteral("no-header"),
                                QStringLiteral("With --import of a .csv file: the first line holds data, not names."));
    parser.addOption(folder);
    parser.addOption(importOpt);
    parser.addOption(exportOpt);
    parser.addOption(format);
    parser.addOption(table);
    parser.addOption(map);
    parser.addOption(replace);
    parser.addOption(noHeader);
    parser.addOption(print);
    parser.addOption(printer);
    parser.addOption(half);
    parser.addOption(listPrinters);
    // Bad arguments exit with 2 (QCommandLineParser::process would exit 1).
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "vellora-id: %s\nTry 'vellora-id --help'.\n", qPrintable(parser.errorText()));
        return vellora::kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "vellora-id: unexpected argument %s\nTry 'vellora-id --help'.\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return vellora::kExitUsage;
    }

    vellora::StartOptions options;
    if (parser.isSet(folder)) {
        const QDir dir(parser.value(folder));
        if (!dir.exists()) {
            std::fprintf(stderr, "vellora-id: no program folder %s\n", qPrintable(parser.value(folder)));
            return vellora::kExitUsage;
        }
        options.appFolder = dir.absolutePath() + '/';
    }

    QTextStream out(stdout);
    QTextStream err(stderr);
    // The operator's encoding choices per printer queue live in the program folder.
    vellora::SetEncodingOverrideFile((options.appFolder.isEmpty() ? vellora::ProgramFileFolder() : options.appFolder) +
                                     QString::fromLatin1(vellora::EncodingOverrideFileName));
    if (parser.isSet(importOpt) || parser.isSet(exportOpt)) {
        if (parser.isSet(importOpt) && parser.isSet(exportOpt)) {
            std::fprintf(stderr, "vellora-id: --import and --export cannot go together\n");
            return vellora::kExitUsage;
        }
        vellora::DataCommandOptions data;
        data.appFolder = options.appFolder.isEmpty() ? vellora::ProgramFileFolder() : options.appFolder;
        data.file = parser.value(parser.isSet(importOpt) ? importOpt : exportOpt);
        data.format = parser.value(format);
        data.table = parser.value(table);
        data.map = parser.value(map);
        data.replace = parser.isSet(replace);
        data.noHeader = parser.isSet(noHeader);
        if (parser.isSet(importOpt) && parser.isSet(format)) {
            std::fprintf(stderr, "vellora-id: --format goes with --export\n");
            return vellora::kExitUsage;
        }
        return parser.isSet(importOpt) ? vellora::RunImport(data, out, err) : vellora::RunExport(data, out, err);
    }
    for (const QCommandLineOption *o : {&format, &table, &map, &replace, &noHeader})
        if (parser.isSet(*o)) {
            std::fprintf(stderr, "vellora-id: --%s goes with --import or --export\n", qPrintable(o->names().constFirst()));
            return vellora::kExitUsage;
        }
    if (parser.isSet(listPrinters))
        return vellora::ListPrinters(out);
    if (parser.isSet(print)) {
        vellora::HeadlessPrintOptions headless;
        headless.appFolder = options.appFolder.isEmpty() ? vellora::ProgramFileFolder() : options.appFolder;
        headless.cards = parser.value(print);
        headless.printer = parser.value(printer);
        headless.half = parser.isSet(half);
        return vellora::RunHeadlessPrint(headless, out, err);
    }
    if (parser.isSet(printer) || parser.isSet(half)) {
        std::fprintf(stderr, "vellora-id: --printer and --half go with --print\n");
        return vellora::kExitUsage;
    }
    return vellora::RunProgram(options);
}
