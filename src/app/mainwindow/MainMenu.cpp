#include "app/mainwindow/MainMenu.h"

#include "lang/Translation.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

TDataModule1::TDataModule1(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("DataModule1"));
    vellora::MarkDataModule(this);

    QAction *file = addMenu("File1", "&File");
    addItem(file, "Save1", "&Save", "Ctrl+S");
    addItem(file, "SaveBackupCopy1", "Save &Backup Copy...", "Ctrl+B");
    addItem(file, "LoadBackupCopy1", "Load Backup Copy", "Ctrl+L");
    addItem(file, "EditDatabase1", "Edit Database", "Ctrl+A");
    addItem(file, "ImportData1", "Import Data...");
    addItem(file, "ExportData1", "Export Data...");
    addSeparator(file);
    addItem(file, "ImportProject1", "I&mport Project", "Ctrl+M");
    addItem(file, "ExportProject1", "&Export Project", "Ctrl+G");
    addItem(file, "CreateBlankProject1", "&Create Blank Project", "Ctrl+K");
    addSeparator(file);
    addItem(file, "BatchPrint1", "Batch Prin&t", "Ctrl+T");
    addItem(file, "PrinterSetup1", "Printer Setup...", "Ctrl+E");
    addItem(file, "PrintPreview1", "Print Preview", "Ctrl+R");
    addItem(file, "PrintCard1", "&Print Card", "Ctrl+P");
    addSeparator(file);
    addItem(file, "Exit1", "E&xit", "Alt+X");

    QAction *edit = addMenu("Edit1", "&Edit");
    addItem(edit, "Undo1", "&Undo", "Ctrl+Z");
    addSeparator(edit);
    addItem(edit, "Insertnewcard1", "Insert new card", "Ctrl+N");
    addItem(edit, "Clearcarddata1", "Clear card data", "Ctrl+Ins");
    addItem(edit, "Deletecard1", "Delete card", "Ctrl+Del");

    QAction *image = addMenu("Image1", "&Image");
    addItem(image, "CaptureImage1", "&Capture Image", "Ctrl+I");

    QAction *options = addMenu("Options1", "&Options");
    addItem(options, "Changecarddesign1", "Change card design...", "Ctrl+D");
    addItem(options, "SelectLanguage1", "Select Language");

    QAction *help = addMenu("Help1", "&Help");
    addItem(help, "Manual1", "&Manual...", "F1");
    addItem(help, "AboutVelloraID1", "&About Vellora ID", "F2");
    addSeparator(help);
    addItem(help, "OnlineSupport1", "Online Support...", "F3");
    addItem(help, "QuickTour1", "Quick Tour", "F6");
}

QAction *TDataModule1::addMenu(const QString &name, const QString &caption)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    // The drop-down itself is an unnamed widget; it is given its parent when
    // the menus are attached to a window.
    action->setMenu(new QMenu());
    m_menus.append(action);
    m_items.insert(name, action);
    return action;
}

QAction *TDataModule1::addItem(QAction *menu, const QString &name, const QString &caption, const QString &shortcut)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(QKeySequence(shortcut));
    menu->menu()->addAction(action);
    m_items.insert(name, action);
    return action;
}

void TDataModule1::addSeparator(QAction *menu)
{
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    separator->setObjectName(QStringLiteral("N%1").arg(++m_separators));
    menu->menu()->addAction(separator);
}

void TDataModule1::attachTo(QMenuBar *bar)
{
    for (QAction *menu : std::as_const(m_menus)) {
        menu->menu()->setParent(bar, menu->menu()->windowFlags());
        bar->addAction(menu);
    }
}

QAction *TDataModule1::item(const QString &name) const { return m_items.value(name); }

QList<QAction *> TDataModule1::items() const { return m_items.values(); }
