#include "support/TempProgramFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace vellora::test {

TempProgramFolder::TempProgramFolder()
{
    m_ok = copyTree(builtProgramFolder(), m_dir.path());
}

TempProgramFolder::TempProgramFolder(Empty) {}

QString TempProgramFolder::path() const { return m_dir.path() + '/'; }

QString TempProgramFolder::file(const QString &relative) const { return path() + relative; }

QString TempProgramFolder::builtProgramFolder()
{
    return qEnvironmentVariable("VELLORA_PROGRAM_DIR");
}

QString TempProgramFolder::fixturesFolder()
{
    return qEnvironmentVariable("VELLORA_FIXTURES");
}

bool TempProgramFolder::copyTree(const QString &from, const QString &to)
{
    const QDir source(from);
    if (from.isEmpty() || !source.exists())
        return false;
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString item = it.next();
        const QFileInfo info = it.fileInfo();
        const QString target = to + '/' + source.relativeFilePath(item);
        if (info.isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (info.isFile()) {
            if (info.fileName() == QLatin1String("vellora-id"))
                continue;  // the program file itself is not needed by a test
            QDir().mkpath(QFileInfo(target).path());
            if (!QFile::copy(item, target))
                return false;
        }
    }
    return true;
}

}  // namespace vellora::test
