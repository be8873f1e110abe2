#include "app/projects/ProjectFiles.h"

#include "engine/util/FileLookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace vellora {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString &path) { return fs::path(QFile::encodeName(path).toStdString()); }

QString fromPath(const fs::path &path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

constexpr char kScratchSuffix[] = ".copying";

bool isScratchName(const QString &name) { return name.endsWith(QLatin1String(kScratchSuffix)); }

fs::file_type typeOf(const QString &path)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(toPath(path), ec);
    return ec ? fs::file_type::not_found : status.type();
}

// Names of the regular files directly in `folder` (its links and other
// entries left out); empty when the folder is not a real folder.
QStringList regularFilesIn(const QString &folder)
{
    QStringList names;
    if (!IsRealFolder(folder))
        return names;
    std::error_code ec;
    for (fs::directory_iterator it(toPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() != fs::file_type::regular || typeError)
            continue;
        const QString name = fromPath(it->path().filename());
        if (!isScratchName(name))
            names.append(name);
    }
    names.sort();
    return names;
}

}  // namespace

QString ProjectFolderFor(const QString &markerPath)
{
    const int slash = int(markerPath.lastIndexOf(QLatin1Char('/')));
    const QString folder = markerPath.left(slash + 1);
    QString name = markerPath.mid(slash + 1);
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot >= 0) {
        const QString extension = name.mid(dot);
        name.remove(extension, Qt::CaseSensitive);
    }
    return folder + name + QStringLiteral(" files");
}

QByteArray MarkerContents(const QString &markerPath)
{
    return QFileInfo(markerPath).fileName().toUtf8() + "\r\n";
}

bool WriteMarkerFile(const QString &markerPath)
{
    // A link standing at the marker's place is replaced, not written through.
    if (typeOf(markerPath) == fs::file_type::symlink)
        QFile::remove(markerPath);
    QSaveFile file(markerPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(MarkerContents(markerPath));
    return file.commit();
}

bool IsRegularFile(const QString &path) { return typeOf(path) == fs::file_type::regular; }

bool IsRealFolder(const QString &path) { return typeOf(path) == fs::file_type::directory; }

QString EntryIn(const QString &folder, const QString &name) { return ResolveCaseInsensitive(folder, name); }

bool ReplaceWithCopy(const QString &from, const QString &to)
{
    if (!IsRegularFile(from))
        return false;
    const QString scratch = to + QLatin1String(kScratchSuffix);
    // Whatever stands at the scratch name (a link, too) goes first, so the
    // copy never writes through it.
    QFile::remove(scratch);
    std::error_code ec;
    if (!fs::copy_file(toPath(from), toPath(scratch), fs::copy_options::none, ec) || ec) {
        QFile::remove(scratch);
        return false;
    }
    // rename() replaces the target in one step, a link at `to` included.
    fs::rename(toPath(scratch), toPath(to), ec);
    if (ec) {
        QFile::remove(scratch);
        return false;
    }
    return true;
}

QStringList CopyFolderFiles(const QString &from, const QString &to)
{
    QStringList failed;
    if (!IsRealFolder(to))
        return regularFilesIn(from);
    const QString target = to.endsWith(QLatin1Char('/')) ? to : to + QLatin1Char('/');
    const QString source = from.endsWith(QLatin1Char('/')) ? from : from + QLatin1Char('/');
    // A file there in another letter case (CardSet1.DB for cardset1.DB) is
    // the one replaced, so the target never holds two spellings of a name.
    QHash<QString, QString> existing;
    std::error_code ec;
    for (fs::directory_iterator it(toPath(to), ec), end; !ec && it != end; it.increment(ec)) {
        const QString name = fromPath(it->path().filename());
        existing.insert(name.toCaseFolded(), name);
    }
    for (const QString &name : regularFilesIn(from)) {
        const QString targetName = existing.value(name.toCaseFolded(), name);
        if (!ReplaceWithCopy(source + name, target + targetName))
            failed.append(name);
    }
    return failed;
}

qint64 FolderFilesSize(const QString &folder)
{
    qint64 total = 0;
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (const QString &name : regularFilesIn(folder)) {
        std::error_code ec;
        const auto size = fs::file_size(toPath(base + name), ec);
        if (!ec)
            total += qint64(size);
    }
    return total;
}

QStringList MoveFolderFiles(const QString &from, const QString &to)
{
    QStringList failed;
    if (!IsRealFolder(from))
        return failed;
    if (!MakeRealFolder(to))
        return regularFilesIn(from);
    std::error_code ec;
    QList<fs::path> entries;
    for (fs::directory_iterator it(toPath(from), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() != fs::file_type::directory)
            entries.append(it->path());
    }
    for (const fs::path &p : entries) {
        std::error_code moveError;
        fs::rename(p, toPath(to) / p.filename(), moveError);
        if (moveError)
            failed.append(fromPath(p.filename()));
    }
    return failed;
}

void DeleteFolderFiles(const QString &folder)
{
    if (!IsRealFolder(folder))
        return;
    std::error_code ec;
    QList<fs::path> doomed;
    for (fs::directory_iterator it(toPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() != fs::file_type::directory)
            doomed.append(it->path());
    }
    for (const fs::path &p : doomed) {
        std::error_code removeError;
        fs::remove(p, removeError);
    }
}

void DeleteEntryAnyCase(const QString &folder, const QString &name)
{
    std::error_code ec;
    QList<fs::path> doomed;
    for (fs::directory_iterator it(toPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == fs::file_type::directory)
            continue;
        if (fromPath(it->path().filename()).compare(name, Qt::CaseInsensitive) == 0)
            doomed.append(it->path());
    }
    for (const fs::path &p : doomed) {
        std::error_code removeError;
        fs::remove(p, removeError);
    }
}

bool MakeRealFolder(const QString &path)
{
    const fs::file_type type = typeOf(path);
    if (type == fs::file_type::directory)
        return true;
    if (type == fs::file_type::symlink)
        QFile::remove(path);
    else if (type != fs::file_type::not_found)
        return false;
    return QDir().mkpath(path) && IsRealFolder(path);
}

}  // namespace vellora
