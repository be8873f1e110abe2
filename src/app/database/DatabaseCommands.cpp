#include "app/database/DatabaseCommands.h"

#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectCommands.h"
#include "dataman/dataview/Tdataview.h"
#include "dataman/restructure/TRestructureform.h"
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
    QPointer<TRestructureform> restructure = new TRestructureform();
    QObject::connect(&main, &QObject::destroyed, [restructure] { delete restructure.data(); });
    restructure->setAppFolder(main.appFolder());
    restructure->setMainWindow(&main);
    view->setRestructureDialog([restructure] {
        if (restructure)
            restructure->ShowDialog();
    });
    main.setDatabaseView([view] {
        if (view)
            view->ShowView();
    });
    return view;
}

}  // namespace vellora
