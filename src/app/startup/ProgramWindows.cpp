#include "app/startup/ProgramWindows.h"

#include "app/capture/CaptureCommands.h"
#include "app/database/DatabaseCommands.h"
#include "app/database/TransferCommands.h"
#include "app/design/CardDesignCommands.h"
#include "app/mainwindow/DesignerHost.h"
#include "app/mainwindow/TForm1.h"
#include "app/printing/PrintCommands.h"
#include "app/projects/ProjectCommands.h"
#include "app/startup/AboutForm.h"
#include "capture/TImageCapture.h"
#include "capture/Tcapsetup.h"
#include "dataman/dataview/Tdataview.h"
#include "lang/LanguageSelection.h"
#include "print/batch/TPbatch.h"
#include "print/batch/Tbatchprint.h"
#include "print/preview/TPrintPreview.h"
#include "store/CardStore.h"

namespace vellora {

ProgramWindows::ProgramWindows() = default;

ProgramWindows::~ProgramWindows()
{
    delete capsetup;
    delete capture;
    delete about;
    delete form2;
}

void ProgramWindows::createMainWindow(const QString &appFolder)
{
    m_appFolder = appFolder;
    main = std::make_unique<TForm1>();
    main->FormCreate(appFolder);
}

void ProgramWindows::createOtherWindows()
{
    InstallDesignerEnvironment(*main);
    form2 = new TForm2(m_appFolder);
    const CaptureWindows captureWindows = InstallCaptureCommands(*main);
    capture = captureWindows.capture;
    capsetup = captureWindows.setup;
    about = new TAboutForm();
    main->setAboutForm(about);
    main->setLanguageDialog(form2);
    cardLayout = InstallCardDesignCommands(*main);
    InstallProjectCommands(*main);
    InstallPrintCommands(*main, new TPrintPreview(), new Tbatchprint(), new TPbatch());
    dataview = InstallDatabaseCommands(*main);
    InstallDataTransferCommands(*main, dataview);
}

void ProgramWindows::applyLayouts()
{
    main->ApplyAllLayouts();
}

}  // namespace vellora
