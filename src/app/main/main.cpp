// vellora-id: the card-issuing program.
#include "app/cli/CommandLine.h"
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
        "or unsupported printer. Example: vellora-id --print 3,7,10-20 --half"));
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
    parser.addOption(folder);
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
