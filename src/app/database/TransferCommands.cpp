#include "app/database/TransferCommands.h"

#include "app/mainwindow/TForm1.h"
#include "dataman/dataview/Tdataview.h"
#include "dataman/exportwiz/Texportform.h"
#include "dataman/importwiz/Timportform.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace vellora {

TransferWindows InstallDataTransferCommands(TForm1 &main, Tdataview *view)
{
    // The import wizard is centred on the main window, the export wizard
    // on the desktop.
    QPointer<Timportform> importWizard = new Timportform(main.appFolder(), &main);
    QPointer<Texportform> exportWizard = new Texportform(main.appFolder());
    QObject::connect(&main, &QObject::destroyed, [exportWizard] { delete exportWizard.data(); });
    const auto runImport = [importWizard] {
        if (importWizard)
            importWizard->exec();
    };
    const auto runExport = [exportWizard] {
        if (!exportWizard)
            return;
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = exportWizard->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            exportWizard->move(frame.topLeft());
        }
        exportWizard->exec();
    };
    main.setDataTransferWizards(runImport, runExport);
    if (view) {
        view->setImportWizard(runImport);
        view->setExportWizard(runExport);
    }
    return {importWizard, exportWizard};
}

}  // namespace vellora
