#include "engine/util/FileLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace vellora {

namespace {

// The entry of `dir` named `component` ignoring case, or an empty string.
QString MatchInFolder(const QString &dir, const QString &component)
{
    if (QFileInfo::exists(dir + '/' + component))
        return component;
    QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                              QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
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

}  // namespace vellora
