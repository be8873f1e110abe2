// Helpers for the engine tests: the standard card table and row digests.
#pragma once

#include "engine/EngineError.h"
#include "engine/FieldDef.h"
#include "engine/Table.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QString>

namespace vellora::test {

inline QList<FieldDef> standardCardFields()
{
    return {
        {QStringLiteral("Card_Number"), FieldType::AutoInc, 0},
        {QStringLiteral("Last_name"), FieldType::String, 40},
        {QStringLiteral("First_name"), FieldType::String, 40},
        {QStringLiteral("Title"), FieldType::String, 40},
        {QStringLiteral("Department"), FieldType::String, 40},
        {QStringLiteral("Sparefield1"), FieldType::String, 40},
        {QStringLiteral("Sparefield2"), FieldType::String, 40},
        {QStringLiteral("MagStripe1"), FieldType::String, 79},
        {QStringLiteral("MagStripe2"), FieldType::String, 40},
        {QStringLiteral("MagStripe3"), FieldType::String, 107},
    };
}

inline QList<IndexDef> cardNumberKey()
{
    return {{QStringLiteral("card_noindex"), {QStringLiteral("Card_Number")}, true, true}};
}

// Creates folder/name with the standard fields.
inline void createCardTable(const QString &folder, const QString &name = QStringLiteral("cardset1.DB"))
{
    QDir().mkpath(folder);
    Table t;
    t.setDatabaseName(folder);
    t.setTableName(name);
    t.setFieldDefs(standardCardFields());
    t.setIndexDefs(cardNumberKey());
    t.createTable();
}

// Appends a card (cached or not, as the table is set) and posts it.
inline void addCard(Table &t, const QString &last, const QString &first = QString())
{
    t.append();
    t.fieldByName(QStringLiteral("Last_name")).setAsString(last);
    if (!first.isEmpty())
        t.fieldByName(QStringLiteral("First_name")).setAsString(first);
    t.post();
}

// Every field of every row as text, in table order.
inline QStringList allRows(Table &t)
{
    QStringList rows;
    t.first();
    for (int i = 0; i < t.recordCount(); ++i) {
        t.setRecNo(i + 1);
        QStringList cells;
        for (int f = 0; f < t.fieldCount(); ++f)
            cells.append(t.field(f).asString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

inline QByteArray digestOf(const QStringList &rows)
{
    return QCryptographicHash::hash(rows.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha256).toHex();
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace vellora::test
