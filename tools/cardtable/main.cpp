// vellora_cardtable PROGRAM_FOLDER
//
// Writes an empty standard card table as PROGRAM_FOLDER/data/cardset1.DB and
// the blank project PROGRAM_FOLDER/"defaultproject files"/ (its data/,
// data/images/ and backup/ folders and its own empty card table). A card
// table that exists already, in any letter case, is left alone: this tool
// never replaces a collection.
#include "engine/EngineError.h"
#include "engine/card/CardDriver.h"
#include "store/CardTable.h"
#include "engine/util/FileLookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

using namespace vellora;

namespace {

bool MakeFolder(const QString &path)
{
    if (QDir().mkpath(path))
        return true;
    std::fprintf(stderr, "vellora_cardtable: cannot create the folder %s\n", qPrintable(path));
    return false;
}

// A collection's folders below `root` and an empty card table in its data/.
bool WriteCollection(const QString &root)
{
    const QString data = ResolveCaseInsensitive(root, QStringLiteral("data"));
    if (!MakeFolder(data) || !MakeFolder(ResolveCaseInsensitive(data, QStringLiteral("images"))) ||
        !MakeFolder(ResolveCaseInsensitive(root, QStringLiteral("backup"))))
        return false;
    const QString existing = ResolveCaseInsensitive(data, QString::fromLatin1(kCardTableName));
    // A blank table of an earlier format, left by an earlier build, is made
    // again: converted on first open it would leave its original in every
    // installation.
    if (QFileInfo::exists(existing) && engine::IsEmptyEarlierFormatCardTable(existing))
        QFile::remove(existing);
    if (FileExistsCaseInsensitive(data, QString::fromLatin1(kCardTableName)))
        return true;
    try {
        CreateStandardCardTable(data + '/');
    } catch (const EngineError &e) {
        std::fprintf(stderr, "vellora_cardtable: %s\n", e.what());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: vellora_cardtable PROGRAM_FOLDER\n");
        return 2;
    }
    const QString folder = QDir(args.at(1)).absolutePath();
    if (!WriteCollection(folder))
        return 1;
    if (!WriteCollection(ResolveCaseInsensitive(folder, QStringLiteral("defaultproject files"))))
        return 1;
    return 0;
}
