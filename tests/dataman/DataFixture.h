#pragma once
// Card tables for the data management tests: a temporary program folder
// whose card table is filled through the engine and read back with sqlite3,
// the independent reader of the card table.
#include "engine/Table.h"
#include "lang/LanguageTable.h"
#include "lang/MessageDialog.h"
#include "store/CardTable.h"
#include "support/TempProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace vellora::test {

// sqlite3's answer to a query on a database file (rows on lines, fields
// separated by '|'); "" on failure.
inline QString Sql(const QString &file, const QString &query)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-noheader"), file, query});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<sqlite3 failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

inline QString CardFile(const TempProgramFolder &folder) { return folder.file(QStringLiteral("data/cardset1.DB")); }

// Appends cards: each row gives field name -> text.
inline void AddCards(const TempProgramFolder &folder, const QList<QMap<QString, QString>> &cards)
{
    Table t;
    t.setDatabaseName(CardTableFolder(folder.path()));
    t.setTableName(QString::fromLatin1(kCardTableName));
    t.open();
    for (const auto &card : cards) {
        t.append();
        for (auto it = card.cbegin(); it != card.cend(); ++it)
            t.fieldByName(it.key()).setAsString(it.value());
        t.post();
    }
    t.close();
}

inline QMap<QString, QString> Card(const QString &first, const QString &last, const QString &department = {})
{
    QMap<QString, QString> m{{QStringLiteral("First_name"), first}, {QStringLiteral("Last_name"), last}};
    if (!department.isEmpty())
        m.insert(QStringLiteral("Department"), department);
    return m;
}

// Replaces the folder's card table by a standard one with extra fields.
inline void MakeCardTable(const TempProgramFolder &folder, const QList<FieldDef> &extra)
{
    QFile::remove(CardFile(folder));
    Table t;
    t.setDatabaseName(CardTableFolder(folder.path()));
    t.setTableName(QString::fromLatin1(kCardTableName));
    t.setFieldDefs(StandardCardFields() + extra);
    t.setIndexDefs(StandardCardIndexes());
    t.createTable();
}

inline bool LoadLanguage(const TempProgramFolder &folder, const QString &language)
{
    if (!WriteLanguageChoice(folder.path(), language) || !LoadLanguageTable(folder.path()))
        return false;
    LoadDialogCaptions();
    return true;
}

// Sends text key by key to whatever has the focus (the cell editor once
// the first key opened it).
inline void TypeText(QWidget *start, const QString &text)
{
    for (const QChar c : text) {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : start;
        QTest::keyClick(target, c.toLatin1());
    }
}

inline void PressKey(QWidget *fallback, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : fallback;
    QTest::keyClick(target, key, mods);
}

}  // namespace vellora::test
