#include "engine/card/TableLock.h"

#include "engine/EngineError.h"

#include <QFileInfo>
#include <QHash>
#include <QObject>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vellora::engine {

namespace {

struct Holder {
    int fd = -1;
    int users = 0;
    bool exclusive = false;
    QHash<int, qint64> handedOut;
};

// One lock per file for the whole process: an flock is per open file, so a
// second descriptor of our own would collide with the first.
QHash<QString, Holder> &holders()
{
    static QHash<QString, Holder> h;
    return h;
}

QString keyFor(const QString &path)
{
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

} // namespace

bool lockFileDescriptor(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        return false;
    }
    return true;
}

std::unique_ptr<TableLock> TableLock::acquire(const QString &path, bool exclusive,
                                              const QString &displayName)
{
    const QString key = keyFor(path);
    auto &all = holders();
    auto it = all.find(key);
    if (it != all.end()) {
        if (exclusive || it->exclusive)
            throw EngineError(QObject::tr("The table %1 is already open in this program and "
                                          "cannot be shared while it is opened exclusively.")
                                  .arg(displayName));
        ++it->users;
        return std::unique_ptr<TableLock>(new TableLock(key, exclusive));
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EngineError(QObject::tr("The table %1 cannot be opened: %2")
                              .arg(displayName, QString::fromLocal8Bit(strerror(errno))));
    if (!lockFileDescriptor(fd)) {
        ::close(fd);
        throw EngineError(QObject::tr("The card table is in use by another program."));
    }
    all.insert(key, Holder{fd, 1, exclusive, {}});
    return std::unique_ptr<TableLock>(new TableLock(key, exclusive));
}

void TableLock::switchTo(int newFd)
{
    auto &all = holders();
    auto it = all.find(m_path);
    if (it == all.end()) {
        ::close(newFd);
        return;
    }
    ::close(it->fd);
    it->fd = newFd;
}

qint64 TableLock::handedOut(int field) const
{
    return holders().value(m_path).handedOut.value(field, 0);
}

void TableLock::setHandedOut(int field, qint64 value)
{
    auto it = holders().find(m_path);
    if (it != holders().end())
        it->handedOut[field] = value;
}

TableLock::~TableLock()
{
    auto &all = holders();
    auto it = all.find(m_path);
    if (it == all.end())
        return;
    if (--it->users <= 0) {
        ::close(it->fd);
        all.erase(it);
    }
}

} // namespace vellora::engine
