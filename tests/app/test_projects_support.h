// A running program on a temporary program folder, and helpers to fill and
// read its card collection, for the backup, project and Find tests.
#pragma once

#include "app/mainwindow/MainMenu.h"
#include "app/mainwindow/TForm1.h"
#include "app/startup/ProgramWindows.h"
#include "engine/Table.h"
#include "store/CardStore.h"
#include "store/CardTable.h"
#include "support/TempProgramFolder.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QtTest>

#include <memory>

namespace vellora::test {

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Every file below `root` (relative path -> contents), links and all.
inline QMap<QString, QByteArray> treeContents(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(root).relativeFilePath(path), readBytes(path));
    }
    return out;
}

// A small JPEG that differs per variant.
inline QByteArray photoBytes(int variant)
{
    QImage image(24, 32, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((variant * 37) % 360, 200, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

class Program {
public:
    Program()
    {
        windows.createMainWindow(folder.path());
        windows.createOtherWindows();
        windows.applyLayouts();
    }
    // The card table is closed while the window is whole (its field items
    // follow the closing).
    ~Program()
    {
        if (windows.main)
            windows.main->table()->close();
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
    TForm1 &main() { return *windows.main; }
    Table &table() { return *windows.main->table(); }
    QString file(const QString &relative) const { return folder.file(relative); }
    void trigger(const char *item) { windows.main->dataModule()->item(QLatin1String(item))->trigger(); }

    // A new committed card with these values; returns its number.
    int addCard(const QString &last, const QString &first = QString(), const QString &department = QString())
    {
        main().store()->newCard();
        table().edit();
        table().fieldByName("Last_name").setAsString(last);
        if (!first.isEmpty())
            table().fieldByName("First_name").setAsString(first);
        if (!department.isEmpty())
            table().fieldByName("Department").setAsString(department);
        main().CommitCard();
        return table().fieldByName("Card_Number").value().toInt();
    }
    // Every card as "number|first|last|department", in table order; the
    // current row is kept.
    QStringList cards()
    {
        QStringList out;
        if (!table().isOpen())
            return out;
        const int at = table().recNo();
        for (table().first(); !table().eof(); table().next())
            out.append(QStringList{table().fieldByName("Card_Number").asString(), table().fieldByName("First_name").asString(),
                                   table().fieldByName("Last_name").asString(),
                                   table().fieldByName("Department").asString()}
                           .join('|'));
        if (at > 0)
            table().setRecNo(at);
        return out;
    }
    QString currentLastName() { return table().fieldByName("Last_name").asString(); }

    TempProgramFolder folder;
    ProgramWindows windows;
};

}  // namespace vellora::test
