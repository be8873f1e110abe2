// Text tables with a schema file: NAME.txt holds the rows, NAME.sch beside
// it describes them:
//
//     [NAME]
//     Filetype=VARYING          ; or FIXED
//     Delimiter="               ; quote character of text values (VARYING)
//     Separator=,               ; field separator (VARYING)
//     CharSet=ansi              ; ascii = DOS code page 437, ansi =
//                               ; Windows-1252, utf8 (or utf-8) = UTF-8
//     Field1=Name,CHAR,20,00,00 ; name, type, width, decimals, offset
//
// Types: CHAR -> String(width), NUMBER and FLOAT -> Float, LONGINT ->
// Integer, SHORTINT -> Smallint, BOOL -> Boolean, DATE -> Date, TIME ->
// Time, TIMESTAMP -> DateTime. Values are written as dates "yyyy-MM-dd",
// times "HH:mm:ss", time stamps "yyyy-MM-dd HH:mm:ss", logicals "T"/"F";
// reading also takes "M/d/yyyy" and "d.M.yyyy" dates and True/False/Y/N.
//
// VARYING lines hold the values separated by the separator; a value that
// starts with the delimiter runs to the closing one (a doubled delimiter
// inside stands for one, and line breaks inside belong to the value). FIXED
// lines hold each value at its offset in its width (offsets from 0). Lines
// end with CR LF when written; CR, LF or CR LF when read. An empty line is
// no row. A line with too few or too many values, or a value that is not of
// its field's type, is an error naming the file and the line.
//
// A new table is VARYING with '"' and ',' in Windows-1252; when a value
// cannot be written in the table's character set the whole table is turned
// into UTF-8 (data and schema), so that no character is lost.
#pragma once

#include "engine/Driver.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vellora::engine {

struct TextSchema {
    QString section;          // table name in the schema
    bool fixed = false;
    QChar delimiter = QLatin1Char('"');
    QChar separator = QLatin1Char(',');
    int codePage = 1252;      // 437 (ascii), 1252 (ansi) or 65001 (utf8)
    struct Field {
        QString name;
        QString type;         // CHAR, NUMBER, ...
        int width = 0;
        int decimals = 0;
        int offset = 0;
    };
    QList<Field> fields;
};

// Parses a schema file's text; display names it in errors (EngineError).
TextSchema parseTextSchema(const QString &text, const QString &display);
QString formatTextSchema(const TextSchema &schema);
FieldDef textFieldDef(const TextSchema::Field &f);

// Splits the data of a text table into rows of texts (one per field),
// checking each line against the schema. firstLine numbers errors.
QList<QStringList> parseTextRows(const QByteArray &data, const TextSchema &schema, const QString &display);

// Writes NAME.sch and an empty NAME.txt for the definitions.
void createTextTable(const QString &txtPath, const QList<FieldDef> &fields, bool fixed = false);

class TextDriver : public TableDriver {
public:
    TableType type() const override { return TableType::Text; }
    QStringList extensions() const override { return {QStringLiteral(".txt")}; }
    QStringList companionExtensions() const override { return {QStringLiteral(".sch")}; }
    std::unique_ptr<TableStorage> open(const TableLocation &where, bool exclusive) override;
    void create(const TableLocation &where, const QList<FieldDef> &fields,
                const QList<IndexDef> &indexes) override;
    void adaptDefinitions(QList<FieldDef> &fields, QList<IndexDef> &indexes) const override;
};

} // namespace vellora::engine
