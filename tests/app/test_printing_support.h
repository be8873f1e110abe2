#pragma once
// Shared by the printing, batch and command-line tests: a program folder
// with cards in its card table, and the program's windows on it.
#include "app/mainwindow/TForm1.h"
#include "app/printing/PrintCommands.h"
#include "app/shell/StartupWait.h"
#include "app/startup/ProgramWindows.h"
#include "devices/print/PrinterRegistry.h"
#include "engine/Table.h"
#include "store/CardTable.h"
#include "store/Settings.h"
#include "support/TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QtTest>
#include <memory>

namespace vellora::test {

struct SampleCard {
    QString first;
    QString last;
    QString title;
    QString department;
};

inline SampleCard sampleCard(int i)
{
    static const char *firsts[] = {"Maria", "Jonas", "Aiko", "Pedro", "Lena", "Omar", "Sofia", "Ravi", "Greta", "Tomas"};
    static const char *lasts[] = {"Lindqvist", "Berg", "Tanaka", "Alves", "Kraus", "Haddad", "Rossi", "Iyer", "Nilsen", "Novak"};
    static const char *departments[] = {"Research", "Sales", "Finance", "Logistics", "Legal"};
    return {QString::fromLatin1(firsts[i % 10]), QString::fromLatin1(lasts[(i / 10 + i) % 10]),
            QStringLiteral("Engineer %1").arg(i + 1), QString::fromLatin1(departments[i % 5])};
}

// Appends cards to the folder's card table (numbered 1, 2, ... in a fresh
// table); `edit` may change a card before it is stored.
inline void addCards(const QString &appFolder, int count,
                     const std::function<void(int, Table &)> &edit = {})
{
    Table table;
    OpenCardTable(table, appFolder);
    for (int i = 0; i < count; ++i) {
        const SampleCard c = sampleCard(i);
        table.append();
        table.fieldByName("First_name").setAsString(c.first);
        table.fieldByName("Last_name").setAsString(c.last);
        table.fieldByName("Title").setAsString(c.title);
        table.fieldByName("Department").setAsString(c.department);
        if (edit)
            edit(i, table);
        table.post();
    }
    table.commitUpdates();
    table.close();
}

// Writes config.cfg with the defaults changed by `change`.
inline void writeSettings(const QString &appFolder, const std::function<void(Settings &)> &change)
{
    Settings s;
    s.ResetSettings();
    change(s);
    QVERIFY(s.SaveSettings(appFolder + "config.cfg"));
}

// The program's windows as start-up makes them, hidden.
struct Program {
    ProgramWindows windows;
    explicit Program(const QString &appFolder)
    {
        SetStartupWaitEnabled(false);
        windows.createMainWindow(appFolder);
        windows.createOtherWindows();
        windows.applyLayouts();
        SelectPrinter(QString::fromLatin1(VirtualCardPrinterName));
    }
    ~Program()
    {
        if (windows.main && windows.main->table())
            windows.main->table()->close();
    }
    TForm1 &main() { return *windows.main; }
    PrintWindows print() { return PrintWindowsOf(*windows.main); }
};

inline QStringList printedPngs(const QString &appFolder)
{
    return QDir(appFolder + "printed").entryList({"*.png"}, QDir::Files, QDir::Name);
}

// Share of pixels whose channels differ by more than `tolerance`.
inline double differingShare(const QImage &a, const QImage &b, int tolerance)
{
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            if (qAbs(qRed(p[col]) - qRed(q[col])) > tolerance || qAbs(qGreen(p[col]) - qGreen(q[col])) > tolerance ||
                qAbs(qBlue(p[col]) - qBlue(q[col])) > tolerance)
                ++differing;
    }
    return double(differing) / (double(x.width()) * x.height());
}

}  // namespace vellora::test
