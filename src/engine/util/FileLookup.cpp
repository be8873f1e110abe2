#include "engine/util/FileLookup.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <vector>

namespace vellora {

namespace {

// The folder listings, keyed by lower-case entry name.
//
// A listing is trusted while the folder's modification time is the one it
// was made at. Timestamps advance in clock ticks, so a change made in the
// same tick as the listing would leave the time as it was: a listing taken
// less than kRacyNs after the folder's last change is therefore not trusted
// for a name it lacks, and is made again (file system clocks tick every
// 1 to 10 ms).
constexpr qint64 kRacyNs = 20LL * 1000 * 1000;
constexpr int kMaxFolders = 64;

struct Listing {
    qint64 mtimeNs = 0;
    qint64 listedAtNs = 0;
    // Lower-case name -> the entry's own name; empty when the two agree, which
    // saves a copy of every name in a folder of card-numbered photos.
    QHash<QString, QString> entries;
};

std::mutex g_mutex;
QHash<QString, Listing> g_listings;

bool FolderMtime(const QString &dir, qint64 *ns)
{
    struct stat st {};
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    *ns = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

qint64 NowNs()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

void AddEntry(Listing &listing, const QString &name)
{
    const QString key = name.toLower();
    auto it = listing.entries.find(key);
    const QString stored = key == name ? QString() : name;
    if (it == listing.entries.end()) {
        listing.entries.insert(key, stored);
        return;
    }
    // Several names differing only in case: the first in name order wins,
    // so the answer does not depend on the order the folder lists them in.
    const QString current = it->isEmpty() ? key : *it;
    if (name.compare(current) < 0)
        *it = stored;
}

bool ReadFolder(const QString &dir, Listing *out)
{
    DIR *d = ::opendir(QFile::encodeName(dir).constData());
    if (!d)
        return false;
    std::vector<QString> names;
    while (dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        bool ascii = true;
        for (const char *c = n; *c && ascii; ++c)
            ascii = static_cast<unsigned char>(*c) < 0x80;
        names.push_back(ascii ? QString::fromLatin1(n) : QFile::decodeName(n));
    }
    ::closedir(d);
    out->entries.reserve(qsizetype(names.size()));
    for (const QString &name : names)
        AddEntry(*out, name);
    return true;
}

// The entry of `dir` named `component` ignoring case, or an empty string.
QString MatchInFolder(const QString &dir, const QString &component)
{
    if (QFileInfo::exists(dir + '/' + component))
        return component;
    qint64 mtime = 0;
    if (!FolderMtime(dir, &mtime))
        return {};
    const QString key = component.toLower();

    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_listings.find(dir);
    if (it != g_listings.end() && it->mtimeNs == mtime) {
        const auto e = it->entries.constFind(key);
        if (e != it->entries.constEnd())
            return e->isEmpty() ? key : *e;
        if (it->listedAtNs - mtime > kRacyNs)
            return {};
    }
    Listing fresh;
    fresh.listedAtNs = NowNs();
    // The time before reading: a change while reading makes the next lookup
    // read again.
    fresh.mtimeNs = mtime;
    if (!ReadFolder(dir, &fresh))
        return {};
    if (it == g_listings.end() && g_listings.size() >= kMaxFolders)
        g_listings.clear();
    Listing &stored = g_listings[dir];
    stored = std::move(fresh);
    const auto e = stored.entries.constFind(key);
    if (e == stored.entries.constEnd())
        return {};
    return e->isEmpty() ? key : *e;
}

// Applies a change this program made itself to the listing of its folder.
void NoteChange(const QString &path, bool added)
{
    const QFileInfo fi(path);
    QString dir = fi.path();
    const QString name = fi.fileName();
    if (name.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_listings.find(dir);
    if (it == g_listings.end())
        return;
    qint64 mtime = 0;
    if (!FolderMtime(dir, &mtime)) {
        g_listings.erase(it);
        return;
    }
    const QString key = name.toLower();
    if (added) {
        AddEntry(*it, name);
    } else {
        auto e = it->entries.find(key);
        if (e != it->entries.end() && (e->isEmpty() ? key : *e) == name)
            it->entries.erase(e);
        // Another spelling of the same name may remain in the folder.
        if (!QFileInfo::exists(path)) {
            for (const QString &other : QStringList{key, name.toUpper()})
                if (other != name && QFileInfo::exists(dir + '/' + other))
                    AddEntry(*it, other);
        }
    }
    // Another program may have changed the folder since it was listed, and
    // our change moved the time past theirs: a name the listing lacks is
    // looked for again once.
    it->mtimeNs = mtime;
    it->listedAtNs = std::min(it->listedAtNs, mtime);
}

}  // namespace

QString ResolveCaseInsensitive(const QString &folder, const QString &name)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const QStringList parts = QString(name).replace('\\', '/').split('/', Qt::SkipEmptyParts);
    bool found = true;
    for (const QString &part : parts) {
        QString real;
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            real = part;
        else if (found)
            real = MatchInFolder(path, part);
        if (real.isEmpty()) {
            found = false;  // below a missing component nothing can match
            real = part;
        }
        path += (path.endsWith('/') ? QString() : QStringLiteral("/")) + real;
    }
    return path;
}

bool FileExistsCaseInsensitive(const QString &folder, const QString &name)
{
    return QFileInfo(ResolveCaseInsensitive(folder, name)).isFile();
}

void NoteFileWritten(const QString &path) { NoteChange(path, true); }

void NoteFileRemoved(const QString &path) { NoteChange(path, false); }

void ForgetFolderListings()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_listings.clear();
}

}  // namespace vellora
