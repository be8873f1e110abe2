#include "app/database/DatabaseCommands.h"

#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectCommands.h"
#include "dataman/dataview/Tdataview.h"
#include "engine/Table.h"

#include <QPointer>

namespace vellora {

Tdataview *InstallDatabaseCommands(TForm1 &main)
{
    TForm1 *window = &main;
    QPointer<Tdataview> view = new Tdataview();
    QObject::connect(&main, &QObject::destroyed, [view] { delete view.data(); });
    view->setAppFolder(main.appFolder());
    view->setMainWindow(&main);
    view->setBackupCommands([window] { SaveBackupCopy(*window); }, [window] { LoadBackupCopy(*window); },
                            [window] { window->table()->close(); });
    view->setHelpCommand([window] { window->OpenManual(); });
    main.setDatabaseView([view] {
        if (view)
            view->ShowView();
    });
    return view;
}

}  // namespace vellora
