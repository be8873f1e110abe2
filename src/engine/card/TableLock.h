// Keeps other programs away from a table file while this program has it
// open. The lock is an flock() on the file itself, so the kernel drops it
// when a holder dies. Within this program several Table objects may share a
// table unless one of them wants it exclusively.
#pragma once

#include <QString>

#include <memory>

namespace vellora::engine {

class TableLock {
public:
    // Takes the lock for path; throws EngineError when another program or
    // (exclusive) another table of this program has the file.
    static std::unique_ptr<TableLock> acquire(const QString &path, bool exclusive,
                                              const QString &displayName);
    ~TableLock();
    TableLock(const TableLock &) = delete;
    TableLock &operator=(const TableLock &) = delete;

    // After the file at path was replaced by rename (conversion): lock the
    // new file, opened through newFd (ownership taken), and drop the old.
    void switchTo(int newFd);
    const QString &path() const { return m_path; }

    // Highest number of an AutoInc field handed out by this program since
    // the file was locked (0 = none): shared by every table of this program
    // on the file, so two of them never hand out one number twice.
    qint64 handedOut(int field) const;
    void setHandedOut(int field, qint64 value);

private:
    TableLock(QString path, bool exclusive) : m_path(std::move(path)), m_exclusive(exclusive) {}
    QString m_path;
    bool m_exclusive;
};

// flock()s an open file descriptor for writing (non-blocking); false when
// another program holds it.
bool lockFileDescriptor(int fd);

} // namespace vellora::engine
