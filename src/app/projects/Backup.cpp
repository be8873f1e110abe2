// The backup copy of the card table in backup/, one copy deep.
#include "app/mainwindow/TForm1.h"

#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "store/CardTable.h"
#include "engine/util/FileLookup.h"

#include <QFile>
#include <QFileInfo>

using namespace vellora;

namespace {

// Replaces `to` with a copy of `from` only once the copy is complete, so a
// failed copy never destroys the previous backup.
bool replaceWithCopy(const QString &from, const QString &to)
{
    const QString partial = to + QStringLiteral(".partial");
    QFile::remove(partial);
    if (!QFile::copy(from, partial))
        return false;
    QFile::remove(to);
    return QFile::rename(partial, to);
}

}  // namespace

void TForm1::SaveBackupCopy()
{
    CommitCard();
    const QString dataFolder = m_appFolder + QStringLiteral("data");
    const QString table = ResolveCaseInsensitive(dataFolder, QStringLiteral("CardSet1.DB"));
    if (!QFileInfo(table).isFile()) {
        LocalMessageDlg(Literal(47), MsgKind::Warning, MsgButton::OK);
        return;
    }
    m_table->close();
    const QString backupFolder = m_appFolder + QStringLiteral("backup");
    replaceWithCopy(table, ResolveCaseInsensitive(backupFolder, QStringLiteral("CardSet1.DB")));
    // A Paradox primary index left by an earlier installation goes along.
    const QString index = ResolveCaseInsensitive(dataFolder, QStringLiteral("CardSet1.PX"));
    if (QFileInfo(index).isFile())
        replaceWithCopy(index, ResolveCaseInsensitive(backupFolder, QStringLiteral("CardSet1.PX")));
    OpenCardTable(*m_table, m_appFolder);
}

void TForm1::TakeOverCustomLayoutEdits(int)
{
    // A custom layout's items are written to its layout file by the layout
    // designer; the card face keeps no edits of its own to take over yet,
    // so the file stays as it is.
}
