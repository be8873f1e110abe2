#include "app/projects/ProjectCommands.h"

#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectFiles.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "lang/CommonDialogs.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "store/CardStore.h"
#include "store/CardTable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vellora {

namespace {

void applyAllLayouts(TForm1 &main) { main.ApplyAllLayouts(); }

// The busy cursor while files are copied; restored however the command ends.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The card table closed while whole files are worked on. The current row is
// remembered, so reopening returns the operator to the card they were on.
class ClosedCardTable {
public:
    explicit ClosedCardTable(TForm1 &main) : m_main(main)
    {
        m_recNo = main.table()->isOpen() ? main.table()->recNo() : 0;
        main.table()->close();
    }
    // Opens the card table again at the remembered row (throws EngineError).
    void reopen()
    {
        Table &table = *m_main.table();
        if (!table.isOpen())
            OpenCardTable(table, m_main.appFolder());
        if (m_recNo > 1 && table.recordCount() > 0)
            table.setRecNo(m_recNo);
    }

private:
    TForm1 &m_main;
    int m_recNo = 0;
};

QString menuCaption(TForm1 &main, const char *item)
{
    QAction *action = main.dataModule() ? main.dataModule()->item(QLatin1String(item)) : nullptr;
    QString text = action ? action->text() : QString();
    return text.remove(QLatin1Char('&')).remove(QStringLiteral("...")).trimmed();
}

// A marker chosen without an extension gets the default one.
QString withDefaultExtension(const QString &path)
{
    return QFileInfo(path).fileName().contains(QLatin1Char('.')) ? path : path + QStringLiteral(".mag");
}

QString dataFolder(const QString &app) { return EntryIn(app, QStringLiteral("data")); }
QString imagesFolder(const QString &app) { return EntryIn(dataFolder(app), QStringLiteral("images")); }
QString backupFolder(const QString &app) { return EntryIn(app, QStringLiteral("backup")); }

const QStringList &singleFiles()
{
    static const QStringList names{QStringLiteral("layout.ccl"), QStringLiteral("layout_b.ccl"),
                                   QStringLiteral("config.cfg")};
    return names;
}

// Copies layout.ccl, layout_b.ccl and config.cfg, each when present.
void copySingleFiles(const QString &fromFolder, const QString &toFolder)
{
    for (const QString &name : singleFiles()) {
        const QString from = EntryIn(fromFolder, name);
        if (IsRegularFile(from))
            ReplaceWithCopy(from, EntryIn(toFolder, name));
    }
}

}  // namespace

QString ProjectsFolder(const TForm1 &main) { return main.appFolder() + QStringLiteral("Projects"); }

void SaveBackupCopy(TForm1 &main)
{
    main.CommitCard();
    const QString app = main.appFolder();
    const QString data = dataFolder(app);
    const QString table = EntryIn(data, QStringLiteral("CardSet1.DB"));
    if (!IsRegularFile(table)) {
        LocalMessageDlg(Literal(47), MsgKind::Warning, MsgButton::OK);
        return;
    }
    ClosedCardTable closed(main);
    const QString backup = backupFolder(app);
    const bool copied = ReplaceWithCopy(table, EntryIn(backup, QStringLiteral("CardSet1.DB")));
    // A Paradox primary index left by an earlier installation goes along;
    // without one, an index of an older backup would not belong to this copy.
    const QString index = EntryIn(data, QStringLiteral("CardSet1.PX"));
    if (IsRegularFile(index))
        ReplaceWithCopy(index, EntryIn(backup, QStringLiteral("CardSet1.PX")));
    else if (copied)
        DeleteEntryAnyCase(backup, QStringLiteral("CardSet1.PX"));
    closed.reopen();
}

void LoadBackupCopy(TForm1 &main)
{
    main.CommitCard();
    const QString app = main.appFolder();
    const QString backup = backupFolder(app);
    const QString backupTable = EntryIn(backup, QStringLiteral("CardSet1.DB"));
    if (!IsRegularFile(backupTable))
        return;
    BusyCursor busy;
    ClosedCardTable closed(main);
    const QString data = dataFolder(app);
    const QString table = EntryIn(data, QStringLiteral("CardSet1.DB"));
    // The current table stays aside until the backup copy has opened.
    const QString aside = table + QStringLiteral(".replaced");
    QFile::remove(aside);
    const bool keptAside = IsRegularFile(table) && QFile::rename(table, aside);
    if (!ReplaceWithCopy(backupTable, table)) {
        if (keptAside)
            QFile::rename(aside, table);
        closed.reopen();
        return;
    }
    const QString backupIndex = EntryIn(backup, QStringLiteral("CardSet1.PX"));
    if (IsRegularFile(backupIndex))
        ReplaceWithCopy(backupIndex, EntryIn(data, QStringLiteral("CardSet1.PX")));
    try {
        OpenCardTable(*main.table(), app);
    } catch (const EngineError &e) {
        // The backup copy is no card table this program can open: the
        // collection goes back to the table it had.
        QFile::remove(table);
        if (keptAside)
            QFile::rename(aside, table);
        try {
            OpenCardTable(*main.table(), app);
        } catch (const EngineError &) {
        }
        main.RebuildFieldItems();
        applyAllLayouts(main);
        throw EngineError(QStringLiteral("The backup copy could not be opened; the card table was left as it was. ")
                          + e.message());
    }
    QFile::remove(aside);
    main.RebuildFieldItems();
    applyAllLayouts(main);
}

bool ExportProject(TForm1 &main)
{
    const QString app = main.appFolder();
    const QString projects = ProjectsFolder(main);
    if (!QFileInfo(projects).isDir())
        QDir().mkpath(projects);
    const std::optional<QString> chosen = SaveFileDialog(&main, menuCaption(main, "ExportProject1"),
                                                         projects + QLatin1Char('/'), QLatin1String(kProjectFilter));
    if (!chosen || chosen->isEmpty())
        return false;
    const QString marker = withDefaultExtension(QDir::cleanPath(*chosen));

    if (!main.FormClose(true))
        return false;
    ClosedCardTable closed(main);
    if (QFileInfo::exists(marker) || QFileInfo(marker).isSymLink()) {
        // Yes replaces the archive there: No is the default.
        MessageOptions options;
        options.defaultButton = MsgButton::No;
        options.subject = QFileInfo(marker).fileName();
        if (LocalMessageDlg(Literal(51), MsgKind::Confirmation, MsgButton::Yes | MsgButton::No, options) != MrYes) {
            closed.reopen();
            return false;
        }
    }
    {
        BusyCursor busy;
        WriteMarkerFile(marker);
        const QString project = ProjectFolderFor(marker);
        MakeRealFolder(project);
        copySingleFiles(app, project);
        const QString projectData = EntryIn(project, QStringLiteral("data"));
        if (MakeRealFolder(projectData))
            CopyFolderFiles(dataFolder(app), projectData);
        const QString projectBackup = EntryIn(project, QStringLiteral("backup"));
        if (MakeRealFolder(projectBackup))
            CopyFolderFiles(backupFolder(app), projectBackup);
        const QString projectImages = EntryIn(projectData, QStringLiteral("images"));
        if (IsRealFolder(projectData) && MakeRealFolder(projectImages))
            CopyFolderFiles(imagesFolder(app), projectImages);
    }
    closed.reopen();
    return true;
}

bool ImportProject(TForm1 &main, const QString &markerPath)
{
    const int answer = LocalMessageDlg(Literal(52), MsgKind::Confirmation,
                                       MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
    if (answer != MrYes && answer != MrNo)
        return false;
    if (answer == MrYes && !ExportProject(main))
        return false;
    QString marker = markerPath;
    if (marker.isEmpty()) {
        const std::optional<QString> chosen = OpenFileDialog(&main, menuCaption(main, "ImportProject1"),
                                                             ProjectsFolder(main), QLatin1String(kProjectFilter));
        if (!chosen || chosen->isEmpty())
            return false;
        marker = QDir::cleanPath(*chosen);
        if (!QFileInfo::exists(marker))
            marker = withDefaultExtension(marker);
    }

    main.CommitCard();
    BusyCursor busy;
    ClosedCardTable closed(main);
    const QString app = main.appFolder();
    try {
        // Every folder of the archive is checked before anything is deleted;
        // a folder that is a link does not count.
        const QString project = ProjectFolderFor(marker);
        if (!QFileInfo(project).isDir())
            throw ProjectError(QString::fromLatin1(kNoProjectFiles));
        const QString projectData = EntryIn(project, QStringLiteral("data"));
        if (!IsRealFolder(projectData))
            throw ProjectError(QString::fromLatin1(kNoDataFiles));
        const QString projectBackup = EntryIn(project, QStringLiteral("backup"));
        if (!IsRealFolder(projectBackup))
            throw ProjectError(QString::fromLatin1(kNoBackupFiles));
        const QString projectImages = EntryIn(projectData, QStringLiteral("images"));
        if (!IsRealFolder(projectImages))
            throw ProjectError(QString::fromLatin1(kNoClientImages));

        const QString data = dataFolder(app);
        const QString images = imagesFolder(app);
        const QString backup = backupFolder(app);
        DeleteFolderFiles(data);
        DeleteFolderFiles(images);
        DeleteFolderFiles(backup);
        for (const QString &name : singleFiles())
            DeleteEntryAnyCase(app, name);

        CopyFolderFiles(projectData, data);
        CopyFolderFiles(projectBackup, backup);
        CopyFolderFiles(projectImages, images);
        copySingleFiles(project, app);

        main.FreeFieldItems();
        try {
            OpenCardTable(*main.table(), app);
        } catch (const EngineError &) {
            // FormCreate opens it once more and reports the failure.
        }
        main.FormCreate(app);
        applyAllLayouts(main);
    } catch (...) {
        try {
            if (!main.table()->isOpen()) {
                closed.reopen();
                if (main.fieldItemCount() == 0)
                    main.CreateFieldItems();
            }
        } catch (...) {
        }
        throw;
    }
    return true;
}

bool CreateBlankProject(TForm1 &main)
{
    if (!ImportProject(main, main.appFolder() + QStringLiteral("defaultproject.mag")))
        return false;
    if (main.store() && main.table()->isOpen())
        main.store()->newCard();
    return true;
}

}  // namespace vellora
