// The backup, project and Find commands of the main window.
#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectCommands.h"
#include "dataman/find/TForm3.h"

#include <QFrame>

#include <QPointer>

namespace vellora {

namespace {
constexpr char kFindDialogProperty[] = "vellora_findDialog";
}

void InstallProjectCommands(TForm1 &main)
{
    TForm1 *window = &main;
    main.setMenuCommand(QStringLiteral("SaveBackupCopy1"), [window] { SaveBackupCopy(*window); });
    main.setMenuCommand(QStringLiteral("LoadBackupCopy1"), [window] { LoadBackupCopy(*window); });
    main.setMenuCommand(QStringLiteral("ExportProject1"), [window] { ExportProject(*window); });
    main.setMenuCommand(QStringLiteral("ImportProject1"), [window] { ImportProject(*window); });
    main.setMenuCommand(QStringLiteral("CreateBlankProject1"), [window] { CreateBlankProject(*window); });

    // The Find dialog is a window of its own (translated under its own
    // name), living as long as the main window.
    QPointer<TForm3> find = new TForm3(main.table(), main.side(0).panel);
    QObject::connect(&main, &QObject::destroyed, [find] { delete find.data(); });
    main.setProperty(kFindDialogProperty, QVariant::fromValue<QObject *>(find.data()));
    main.setFindWindow([window, find] {
        if (!find)
            return;
        find->setTable(window->table());
        find->setCardPanel(window->side(0).panel);
        find->show();
        find->raise();
        find->activateWindow();
    });
}

TForm3 *FindDialogOf(const TForm1 &main)
{
    return qobject_cast<TForm3 *>(main.property(kFindDialogProperty).value<QObject *>());
}

}  // namespace vellora
