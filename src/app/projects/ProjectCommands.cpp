#include "app/projects/ProjectCommands.h"

#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"
#include "app/projects/ProjectFiles.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "lang/CommonDialogs.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/OverrideCursor.h"
#include "store/CardStore.h"
#include "store/CardTable.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>

namespace vellora {

namespace {

void applyAllLayouts(TForm1 &main) { main.ApplyAllLayouts(); }

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

// Copies layout.ccl, layout_b.ccl and config.cfg, each when present;
// returns those that could not be copied.
QStringList copySingleFiles(const QString &fromFolder, const QString &toFolder)
{
    QStringList failed;
    for (const QString &name : singleFiles()) {
        const QString from = EntryIn(fromFolder, name);
        if (IsRegularFile(from) && !ReplaceWithCopy(from, EntryIn(toFolder, name)))
            failed.append(QDir::toNativeSeparators(from));
    }
    return failed;
}

// Older card tables kept in backup/: the backup copy a new one replaced
// ("CardSet1-<yyyyMMdd-HHmmss>.DB", dated when it was made) and the card
// table a restore replaced ("CardSet1-replaced-<yyyyMMdd-HHmmss>.DB"). The
// last ten of each kind stay.
constexpr int kDatedCopiesKept = 10;
const QString kPreviousPrefix = QStringLiteral("CardSet1-");
const QString kReplacedPrefix = QStringLiteral("CardSet1-replaced-");

QString datedName(const QString &prefix, const QDateTime &when)
{
    return prefix + when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".DB");
}

// The dated copies of one kind in folder, oldest first.
QStringList datedCopies(const QString &folder, const QString &prefix)
{
    static const QRegularExpression stamp(QStringLiteral("^\\d{8}-\\d{6}(-\\d+)?\\.db$"),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names)
        if (name.startsWith(prefix, Qt::CaseInsensitive) && stamp.match(name.mid(prefix.size())).hasMatch())
            out.append(name);
    return out;
}

// Copies file into folder under a dated name of the kind (never over an
// existing one) and drops the oldest copies of the kind beyond ten. The
// copy's name, empty when it failed.
QString keepDatedCopy(const QString &file, const QString &folder, const QString &prefix, const QDateTime &when)
{
    QString name = datedName(prefix, when);
    for (int k = 2; QFileInfo::exists(EntryIn(folder, name)); ++k)
        name = datedName(prefix, when).chopped(3) + QStringLiteral("-%1.DB").arg(k);
    const QString target = folder + QLatin1Char('/') + name;
    if (!ReplaceWithCopy(file, target))
        return {};
    QStringList copies = datedCopies(folder, prefix);
    while (copies.size() > kDatedCopiesKept)
        QFile::remove(folder + QLatin1Char('/') + copies.takeFirst());
    return target;
}

// The number of cards in a card table file, read from a scratch copy so that
// the file itself is never touched (an old table would be converted on
// open). Throws EngineError when it does not open.
int cardsIn(const QString &file)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw EngineError(QObject::tr("No scratch folder for reading %1.").arg(QDir::toNativeSeparators(file)));
    const QString copy = scratch.filePath(QStringLiteral("CardSet1.DB"));
    if (!ReplaceWithCopy(file, copy))
        throw EngineError(QObject::tr("%1 cannot be read.").arg(QDir::toNativeSeparators(file)));
    Table table;
    table.setDatabaseName(scratch.path());
    table.setTableName(QStringLiteral("CardSet1.DB"));
    table.open();
    return table.recordCount();
}

// A text of the language file, or the built-in English one when the
// language has none (a language file made for an earlier version).
QString keyedText(const char *key, const char *builtIn)
{
    const QString text = LangText(QLatin1String(key));
    return text.isEmpty() ? QString::fromUtf8(builtIn) : text;
}

QString shownPath(const QString &path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

// The collection's files moved into a hidden folder of AppFolder while an
// import replaces them (a rename: no copy, no extra room). Put back unless
// dropped; a folder left by an import that was cut off stays for the
// operator.
class CollectionAside {
public:
    explicit CollectionAside(const QString &app)
        : m_folder(app + QStringLiteral(".collection-before-import-")
                   + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
    {
    }
    ~CollectionAside() = default;
    CollectionAside(const CollectionAside &) = delete;
    CollectionAside &operator=(const CollectionAside &) = delete;

    void keep(const QString &data, const QString &images, const QString &backup, const QStringList &single)
    {
        const QString app = QFileInfo(data).absolutePath();
        if (!MakeRealFolder(m_folder))
            throw ProjectError(keyedText("MESSAGE:ProjectNotImported",
                      "The project could not be imported; the card collection was left as it was. These files could not be moved or copied: %1").arg(shownPath(m_folder)));
        m_active = true;
        QStringList failed = prefixed(data, MoveFolderFiles(data, m_folder + QStringLiteral("/data")));
        failed += prefixed(images, MoveFolderFiles(images, m_folder + QStringLiteral("/images")));
        failed += prefixed(backup, MoveFolderFiles(backup, m_folder + QStringLiteral("/backup")));
        for (const QString &name : single) {
            const QString file = EntryIn(app, name);
            if (QFileInfo::exists(file) || QFileInfo(file).isSymLink()) {
                if (!QFile::rename(file, m_folder + QLatin1Char('/') + QFileInfo(file).fileName()))
                    failed.append(shownPath(file));
            }
        }
        if (!failed.isEmpty())
            throw ProjectError(keyedText("MESSAGE:ProjectNotImported",
                      "The project could not be imported; the card collection was left as it was. These files could not be moved or copied: %1")
                                   .arg(QLatin1Char('\n') + failed.join(QLatin1Char('\n'))));
        m_emptied = true;
    }
    void putBack(const QString &data, const QString &images, const QString &backup, const QStringList &single)
    {
        if (!m_active)
            return;
        const QString app = QFileInfo(data).absolutePath();
        // Only once every file of the collection went aside can what is
        // there now be the archive's.
        if (m_emptied) {
            DeleteFolderFiles(data);
            DeleteFolderFiles(images);
            DeleteFolderFiles(backup);
            for (const QString &name : single)
                DeleteEntryAnyCase(app, name);
        }
        QStringList failed = MoveFolderFiles(m_folder + QStringLiteral("/data"), data);
        failed += MoveFolderFiles(m_folder + QStringLiteral("/images"), images);
        failed += MoveFolderFiles(m_folder + QStringLiteral("/backup"), backup);
        for (const QString &name : single) {
            const QString kept = EntryIn(m_folder, name);
            if (QFileInfo::exists(kept) && !QFile::rename(kept, app + QLatin1Char('/') + QFileInfo(kept).fileName()))
                failed.append(name);
        }
        // Anything that could not go back stays where the operator finds it.
        if (failed.isEmpty())
            QDir(m_folder).removeRecursively();
        m_active = false;
    }
    void drop()
    {
        if (m_active)
            QDir(m_folder).removeRecursively();
        m_active = false;
    }

private:
    static QStringList prefixed(const QString &folder, const QStringList &names)
    {
        QStringList out;
        for (const QString &n : names)
            out.append(shownPath(folder + QLatin1Char('/') + n));
        return out;
    }
    QString m_folder;
    bool m_active = false;
    bool m_emptied = false;
};

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
    const QString backup = backupFolder(app);
    const QString target = EntryIn(backup, QStringLiteral("CardSet1.DB"));
    QString previousKept;
    bool copied = false;
    {
        ClosedCardTable closed(main);
        if (MakeRealFolder(backup)) {
            // The backup copy being replaced stays, dated when it was made.
            bool previousSafe = true;
            if (IsRegularFile(target)) {
                previousKept = keepDatedCopy(target, backup, kPreviousPrefix, QFileInfo(target).lastModified());
                previousSafe = !previousKept.isEmpty();
            }
            copied = previousSafe && ReplaceWithCopy(table, target);
            // A Paradox primary index left by an earlier installation goes
            // along; without one, an index of an older backup would not
            // belong to this copy.
            const QString index = EntryIn(data, QStringLiteral("CardSet1.PX"));
            if (copied && IsRegularFile(index))
                copied = ReplaceWithCopy(index, EntryIn(backup, QStringLiteral("CardSet1.PX")));
            else if (copied)
                DeleteEntryAnyCase(backup, QStringLiteral("CardSet1.PX"));
        }
        closed.reopen();
    }
    if (!copied) {
        LocalMessageDlg(keyedText("MESSAGE:BackupNotMade",
                      "No backup copy was made: %1 could not be written.").arg(shownPath(target)), MsgKind::Error,
                        MsgButton::OK);
        return;
    }
    QString text = keyedText("MESSAGE:BackupSaved",
                      "The backup copy of the card table was saved as %1.").arg(shownPath(target));
    if (!previousKept.isEmpty())
        text += QLatin1Char(' ') + keyedText("MESSAGE:BackupPreviousKept",
                      "The previous backup copy is kept as %1.").arg(shownPath(previousKept));
    LocalMessageDlg(text, MsgKind::Information, MsgButton::OK);
}

void LoadBackupCopy(TForm1 &main)
{
    main.CommitCard();
    const QString app = main.appFolder();
    const QString backup = backupFolder(app);
    const QString backupTable = EntryIn(backup, QStringLiteral("CardSet1.DB"));
    if (!IsRegularFile(backupTable))
        return;
    const QString data = dataFolder(app);
    const QString table = EntryIn(data, QStringLiteral("CardSet1.DB"));
    // Every card added since the backup is replaced: ask first, with the
    // backup's date and size, No being the default.
    int cards = 0;
    try {
        cards = cardsIn(backupTable);
    } catch (const EngineError &e) {
        throw EngineError(QStringLiteral("The backup copy could not be opened; the card table was left as it was. ")
                          + e.message());
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QString keptAs = backup + QLatin1Char('/') + datedName(kReplacedPrefix, now);
    MessageOptions options;
    options.defaultButton = MsgButton::No;
    const QString question = keyedText("MESSAGE:RestoreBackup",
                      "Do you want to replace the card table by the backup copy of %1 with %2 cards? Every card added or changed since then is replaced. The current card table is kept as %3.")
                                 .arg(QLocale().toString(QFileInfo(backupTable).lastModified(), QLocale::ShortFormat))
                                 .arg(cards)
                                 .arg(shownPath(keptAs));
    if (LocalMessageDlg(question, MsgKind::Warning, MsgButton::Yes | MsgButton::No, options) != MrYes)
        return;

    const OverrideCursor busy;
    ClosedCardTable closed(main);
    // The table being replaced stays beside the backup, so that the restore
    // itself can be undone.
    if (IsRegularFile(table) && keepDatedCopy(table, backup, kReplacedPrefix, now).isEmpty()) {
        closed.reopen();
        LocalMessageDlg(keyedText("MESSAGE:RestoreNotKept",
                      "The backup copy was not loaded: the current card table could not be kept as %1.").arg(shownPath(keptAs)), MsgKind::Error,
                        MsgButton::OK);
        return;
    }
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
    QStringList notCopied;
    {
        const OverrideCursor busy;
        if (!WriteMarkerFile(marker))
            notCopied.append(shownPath(marker));
        const QString project = ProjectFolderFor(marker);
        // Each folder's files, or the folder itself when it cannot be made.
        auto copyFolder = [&](const QString &from, const QString &to, bool canMake) {
            if (!IsRealFolder(from))
                return;
            if (!canMake || !MakeRealFolder(to)) {
                notCopied.append(shownPath(from) + QLatin1Char('/'));
                return;
            }
            for (const QString &name : CopyFolderFiles(from, to))
                notCopied.append(shownPath(from + QLatin1Char('/') + name));
        };
        if (MakeRealFolder(project)) {
            notCopied += copySingleFiles(app, project);
        } else {
            for (const QString &name : singleFiles())
                if (IsRegularFile(EntryIn(app, name)))
                    notCopied.append(shownPath(EntryIn(app, name)));
        }
        const bool haveProject = IsRealFolder(project);
        const QString projectData = EntryIn(project, QStringLiteral("data"));
        copyFolder(dataFolder(app), projectData, haveProject);
        copyFolder(backupFolder(app), EntryIn(project, QStringLiteral("backup")), haveProject);
        copyFolder(imagesFolder(app), EntryIn(projectData, QStringLiteral("images")), IsRealFolder(projectData));
    }
    closed.reopen();
    if (!notCopied.isEmpty())
        LocalMessageDlg(keyedText("MESSAGE:ProjectNotCopied",
                      "These files could not be copied into the project: %1").arg(QLatin1Char('\n') + notCopied.join(QLatin1Char('\n'))),
                        MsgKind::Warning, MsgButton::OK);
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
    const OverrideCursor busy;
    ClosedCardTable closed(main);
    const QString app = main.appFolder();
    const QString data = dataFolder(app);
    const QString images = imagesFolder(app);
    const QString backup = backupFolder(app);
    CollectionAside aside(app);
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
        // The archive's card table must open, and its files must fit.
        const QString projectTable = EntryIn(projectData, QStringLiteral("CardSet1.DB"));
        try {
            cardsIn(projectTable);
        } catch (const EngineError &e) {
            throw ProjectError(keyedText("MESSAGE:ProjectTableUnreadable",
                      "The card table %1 of the project cannot be opened: %2 Nothing was changed.")
                                   .arg(shownPath(projectTable), e.message()));
        }
        qint64 needed = FolderFilesSize(projectData) + FolderFilesSize(projectBackup) + FolderFilesSize(projectImages);
        for (const QString &name : singleFiles())
            if (IsRegularFile(EntryIn(project, name)))
                needed += QFileInfo(EntryIn(project, name)).size();
        const qint64 available = QStorageInfo(app).bytesAvailable();
        // Some room is left for the card table's own work.
        constexpr qint64 kMargin = 16 * 1024 * 1024;
        if (available >= 0 && needed + kMargin > available)
            throw ProjectError(keyedText("MESSAGE:ProjectNoSpace",
                      "The project needs %1 MB on the disk, but only %2 MB are free. Nothing was changed.")
                                   .arg((needed + kMargin + 1024 * 1024 - 1) / (1024 * 1024))
                                   .arg(available / (1024 * 1024)));

        // The current collection stays aside until the imported one opens.
        aside.keep(data, images, backup, singleFiles());

        QStringList failed = CopyFolderFiles(projectData, data);
        failed += CopyFolderFiles(projectBackup, backup);
        failed += CopyFolderFiles(projectImages, images);
        failed += copySingleFiles(project, app);
        if (!failed.isEmpty())
            throw ProjectError(keyedText("MESSAGE:ProjectNotImported",
                      "The project could not be imported; the card collection was left as it was. These files could not be moved or copied: %1")
                                   .arg(QLatin1Char('\n') + failed.join(QLatin1Char('\n'))));
        try {
            Table check;
            OpenCardTable(check, app);
        } catch (const EngineError &e) {
            throw ProjectError(keyedText("MESSAGE:ProjectTableUnreadable",
                      "The card table %1 of the project cannot be opened: %2 Nothing was changed.")
                                   .arg(shownPath(EntryIn(data, QStringLiteral("CardSet1.DB"))), e.message()));
        }
        aside.drop();

        main.FreeFieldItems();
        try {
            OpenCardTable(*main.table(), app);
        } catch (const EngineError &) {
            // FormCreate opens it once more and reports the failure.
        }
        main.FormCreate(app);
        applyAllLayouts(main);
    } catch (...) {
        // Whatever was copied goes; the collection comes back as it was.
        aside.putBack(data, images, backup, singleFiles());
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
