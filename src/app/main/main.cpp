// vellora-id: the card-issuing program.
#include "app/shell/ErrorReport.h"
#include "app/startup/AboutForm.h"
#include "app/startup/Startup.h"

#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    vellora::VelloraApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellora-id"));
    QApplication::setApplicationVersion(QLatin1String(vellora::kProgramVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vellora ID: photo identity cards."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption folder(QStringLiteral("folder"),
                              QStringLiteral("Use the program folder <folder> (default: the folder of the program file)."),
                              QStringLiteral("folder"));
    parser.addOption(folder);
    parser.process(app);

    vellora::StartOptions options;
    if (parser.isSet(folder)) {
        const QDir dir(parser.value(folder));
        if (!dir.exists()) {
            std::fprintf(stderr, "vellora-id: no program folder %s\n", qPrintable(parser.value(folder)));
            return 2;
        }
        options.appFolder = dir.absolutePath() + '/';
    }
    return vellora::RunProgram(options);
}
