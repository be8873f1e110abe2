#include "layout/file/LayoutFile.h"

#include "engine/util/FileLookup.h"
#include "store/Settings.h"

#include <QFile>
#include <QSaveFile>

namespace vellora {

LayoutLoad LoadLayout(const QString &path, const LayoutLoadOptions &options)
{
    QFile file(path);
    if (!file.exists()) {
        LayoutLoad load;
        load.status = LayoutLoad::Status::Missing;
        return load;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        LayoutLoad load;
        load.status = LayoutLoad::Status::Unreadable;
        load.error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return load;
    }
    return ParseLayout(file.readAll(), options);
}

QString LayoutFileName(const QString &appFolder, CardSide side)
{
    return ResolveCaseInsensitive(appFolder, side == CardSide::Front ? QStringLiteral("layout.ccl")
                                                                     : QStringLiteral("layout_b.ccl"));
}

bool SaveLayout(const QString &path, const LayoutRecord &record, QString *error)
{
    const auto bytes = EncodeLayoutFile(record, error);
    if (!bytes)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool SaveLayout(const QString &appFolder, CardSide side, const LayoutRecord &record, QString *error)
{
    return SaveLayout(LayoutFileName(appFolder, side), record, error);
}

QString ReadLayoutBackground(const QString &appFolder, CardSide side, const SettingsRecord &sideSettings)
{
    if (sideSettings.LayoutType != 6 && sideSettings.LayoutType != 7)
        return sideSettings.BackgroundPath;
    QFile file(LayoutFileName(appFolder, side));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QStringList lines = SplitLayoutLines(DecodeLayoutText(file.readAll()));
    return lines.size() >= 5 ? lines[4] : QString();
}

}  // namespace vellora
