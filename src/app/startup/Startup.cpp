#include "app/startup/Startup.h"

#include "app/mainwindow/TForm1.h"
#include "app/shell/ErrorReport.h"
#include "app/startup/AboutForm.h"
#include "app/startup/FontSubstitutes.h"
#include "app/startup/ProgramWindows.h"
#include "app/startup/SplashForm.h"
#include "app/startup/StartupError.h"
#include "lang/LanguageSelection.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"

#include <QApplication>
#include <QDir>

namespace vellora {

QString ProgramFileFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    return folder.endsWith('/') ? folder : folder + '/';
}

int RunProgram(const StartOptions &options)
{
    const QString appFolder = options.appFolder.isEmpty() ? ProgramFileFolder() : options.appFolder;
    InstallFontSubstitutes();

    TSplashForm splash;                                         // 1
    splash.show();
    splash.repaint();
    QApplication::processEvents();

    StartupLoadLanguage(appFolder);                             // 2, 3

    ProgramWindows windows;
    try {
        windows.createMainWindow(appFolder);                    // 4
    } catch (const StartupError &e) {
        splash.close();
        PlainMessage(QStringLiteral("Vellora-Id"),
                     QStringLiteral("Vellora ID cannot start: %1").arg(e.message()), PlainIcon::Error);
        return 1;
    }
    QApplication::setApplicationDisplayName(QStringLiteral("Vellora-Id"));  // 5
    windows.createOtherWindows();                               // 6
    TranslateApplication();                                     // 7
    windows.about->appendVersionLine();                         // 8
    StartupLoadGraphics(appFolder);                             // 9
    windows.applyLayouts();                                     // 10
    splash.close();                                             // 11
    windows.main->show();
    return QApplication::exec();                                // 13
}

}  // namespace vellora
