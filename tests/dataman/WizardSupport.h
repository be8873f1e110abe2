// Helpers of the wizard tests: a program folder with the language loaded,
// dragging a field label onto another with the mouse, and unixODBC set up
// in a temporary folder with the SQLite ODBC driver.
#pragma once

#include "dataman/transferwiz/TransferWizard.h"
#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "lang/Translation.h"
#include "store/CardTable.h"
#include "support/TempProgramFolder.h"

#include <QFile>
#include <QListWidget>
#include <QScrollArea>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace vellora::test {

inline bool loadLanguage(const QString &appFolder, const QString &language)
{
    if (!WriteLanguageChoice(appFolder, language) || !LoadLanguageTable(appFolder))
        return false;
    LoadDialogCaptions();
    return true;
}

// Presses on `from`, moves past the drag distance, moves over `to` and
// releases there: the mouse events a person's drag produces.
inline void dragWithMouse(QWidget *from, QWidget *to, bool release = true)
{
    const QPoint start(4, from->height() / 2);
    QTest::mousePress(from, Qt::LeftButton, {}, start);
    QTest::mouseMove(from, start + QPoint(12, 0));
    QTest::mouseMove(to, QPoint(4, to->height() / 2));
    if (release)
        QTest::mouseRelease(to, Qt::LeftButton, {}, QPoint(4, to->height() / 2));
}

inline QStringList mapEntries(const TransferWizard &w)
{
    QStringList entries;
    for (int i = 0; i < w.maplist->count(); ++i)
        entries << w.maplist->item(i)->text();
    return entries;
}

inline QStringList captions(const TransferWizard &w, QScrollArea *box, bool visibleOnly)
{
    QStringList names;
    for (FieldLabel *l : w.labelsIn(box))
        if (!visibleOnly || !l->isHidden())
            names << l->text();
    return names;
}

inline FieldLabel *labelWithCaption(const TransferWizard &w, QScrollArea *box, const QString &caption)
{
    for (FieldLabel *l : w.labelsIn(box))
        if (l->text() == caption)
            return l;
    return nullptr;
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

inline QString runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Every card as "Last_name|First_name|Title|Department" read by sqlite3.
inline QStringList cardsBySqlite(const QString &appFolder)
{
    return runTool(QStringLiteral("sqlite3"),
                   {appFolder + QStringLiteral("data/cardset1.DB"),
                    QStringLiteral("select Card_Number, Last_name, First_name, Title, Department from cardset1 "
                                   "order by Card_Number")})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline void addCards(const QString &appFolder, const QList<QStringList> &cards)
{
    Table t;
    OpenCardTable(t, appFolder);
    for (const QStringList &c : cards) {
        t.append();
        const char *fields[] = {"Last_name", "First_name", "Title", "Department"};
        for (int i = 0; i < c.size() && i < 4; ++i)
            t.fieldByName(QString::fromLatin1(fields[i])).setAsString(c[i]);
        t.post();
    }
    t.commitUpdates();
}

// unixODBC configured in a temporary folder: the SQLite ODBC driver and a
// user data source `name` on the SQLite file `database`.
class OdbcFolder {
public:
    OdbcFolder()
    {
        const QString root = m_dir.path();
        writeFile(root + QStringLiteral("/odbcinst.ini"),
                  "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n");
        writeFile(root + QStringLiteral("/odbc.ini"), "");
        qputenv("ODBCSYSINI", root.toUtf8());
        qputenv("ODBCINI", (root + QStringLiteral("/odbc.ini")).toUtf8());
    }
    ~OdbcFolder()
    {
        qunsetenv("ODBCSYSINI");
        qunsetenv("ODBCINI");
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void addSource(const QString &name, const QString &database)
    {
        QFile f(path(QStringLiteral("odbc.ini")));
        if (f.open(QIODevice::Append))
            f.write(QStringLiteral("[%1]\nDriver=SQLite3\nDatabase=%2\n\n").arg(name, database).toUtf8());
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace vellora::test
