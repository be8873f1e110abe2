#include "app/cli/DataCommands.h"

#include "dataman/transfer/DataTransfer.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "store/CardTable.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace vellora {

namespace {

struct Target {
    TableType type = TableType::Default;
    bool csv = false;
    QString folder;     // folder tables
    QString name;       // table or file name
    QString alias;      // odbc:DSN
};

// What a file argument stands for; false with *why for what cannot be told.
bool parseTarget(const DataCommandOptions &o, Target *t, QString *why)
{
    if (o.file.startsWith(QLatin1String("odbc:"), Qt::CaseInsensitive)) {
        t->alias = o.file.mid(5);
        t->type = TableType::Odbc;
        t->name = o.table;
        if (t->alias.isEmpty()) {
            *why = QStringLiteral("odbc: needs a data source name (odbc:DSN)");
            return false;
        }
        if (t->name.isEmpty()) {
            *why = QStringLiteral("a data source needs --table NAME");
            return false;
        }
        return true;
    }
    if (!o.table.isEmpty()) {
        *why = QStringLiteral("--table goes with odbc:DSN");
        return false;
    }
    const QFileInfo info(o.file);
    t->folder = info.absolutePath() + QLatin1Char('/');
    t->name = info.fileName();
    QString format = o.format.toLower();
    if (format.isEmpty()) {
        const QString ext = info.suffix().toLower();
        if (ext == QLatin1String("csv"))
            format = QStringLiteral("csv");
        else if (ext == QLatin1String("dbf"))
            format = QStringLiteral("dbase");
        else if (ext == QLatin1String("db"))
            format = QStringLiteral("paradox");
        else if (ext == QLatin1String("txt"))
            format = QStringLiteral("text");
    }
    if (format == QLatin1String("csv"))
        t->csv = true;
    else if (format == QLatin1String("dbase"))
        t->type = TableType::DBase;
    else if (format == QLatin1String("paradox"))
        t->type = TableType::Paradox;
    else if (format == QLatin1String("text"))
        t->type = TableType::Text;
    else if (!o.format.isEmpty()) {
        *why = QStringLiteral("unknown --format %1 (csv, dbase, paradox or text)").arg(o.format);
        return false;
    } else {
        *why = QStringLiteral("cannot tell the format of %1 from its extension; give --format").arg(o.file);
        return false;
    }
    return true;
}

void pointAt(Table &table, const Target &t)
{
    table.setDatabaseName(t.type == TableType::Odbc ? t.alias : t.folder);
    table.setTableName(t.name);
    table.setTableType(t.type);
}

// "--map" text into mapping lines, checked against both tables' fields.
bool mappingFor(const QString &map, const QStringList &destFields, const QStringList &sourceFields,
                bool cardIsDestination, QStringList *lines, QString *why)
{
    const QString cardNumber = QString::fromLatin1(kCardNumberField);
    if (map.isEmpty()) {
        *lines = transfer::PairEqualNames(destFields, sourceFields,
                                          cardIsDestination ? QStringList{cardNumber} : QStringList{});
        if (lines->isEmpty()) {
            *why = QStringLiteral("no field of the source has the name of a destination field; give --map DEST=SRC");
            return false;
        }
        return true;
    }
    lines->clear();
    for (const QString &part : map.split(QLatin1Char(','))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        const QString dest = eq < 0 ? QString() : part.left(eq).trimmed();
        const QString src = eq < 0 ? QString() : part.mid(eq + 1).trimmed();
        if (dest.isEmpty() || src.isEmpty()) {
            *why = QStringLiteral("--map wants DEST=SRC pairs separated by commas, not \"%1\"").arg(part);
            return false;
        }
        if (!destFields.contains(dest, Qt::CaseInsensitive)) {
            *why = QStringLiteral("--map: the destination has no field %1").arg(dest);
            return false;
        }
        if (!sourceFields.contains(src, Qt::CaseInsensitive)) {
            *why = QStringLiteral("--map: the source has no field %1").arg(src);
            return false;
        }
        if (cardIsDestination && dest.compare(cardNumber, Qt::CaseInsensitive) == 0) {
            *why = QStringLiteral("--map: %1 is numbered by the card table and cannot be imported").arg(cardNumber);
            return false;
        }
        lines->append(dest + QLatin1Char('=') + src);
    }
    return true;
}

int report(const transfer::MoveResult &r, QTextStream &out)
{
    out << r.moved << " records moved, " << r.problems << " problems\n";
    return r.problems == 0 ? kExitMoved : kExitSomeProblems;
}

QStringList fieldsOf(Table &table)
{
    table.open();
    const QStringList names = table.fieldNames();
    table.close();
    return names;
}

}  // namespace

int RunImport(const DataCommandOptions &o, QTextStream &out, QTextStream &err)
{
    auto fail = [&](const QString &why) {
        err << "vellora-id: --import: " << why << '\n';
        return kExitMoveFailed;
    };
    Target t;
    QString why;
    if (!parseTarget(o, &t, &why))
        return fail(why);
    if (o.noHeader && !t.csv)
        return fail(QStringLiteral("--no-header goes with a comma-separated file"));
    if (t.type != TableType::Odbc && !QFileInfo(o.file).isFile())
        return fail(QStringLiteral("there is no file %1").arg(o.file));

    Table card;
    card.setDatabaseName(CardTableFolder(o.appFolder));
    card.setTableName(QString::fromLatin1(kCardTableName));
    Table source;
    QTemporaryDir scratch;
    try {
        const QStringList cardFields = fieldsOf(card);
        if (t.csv) {
            if (!scratch.isValid())
                return fail(QStringLiteral("no temporary folder: %1").arg(scratch.errorString()));
            transfer::LoadCommaFile(o.file, scratch.path() + QLatin1Char('/'), !o.noHeader);
            t.folder = scratch.path() + QLatin1Char('/');
            t.name = QString::fromLatin1(transfer::kTempTableName);
            t.type = TableType::Text;
        }
        pointAt(source, t);
        const QStringList sourceFields = fieldsOf(source);
        QStringList mapping;
        if (!mappingFor(o.map, cardFields, sourceFields, true, &mapping, &why))
            return fail(why);
        return report(transfer::MoveRecords(source, card, mapping, o.replace), out);
    } catch (const OperatorError &e) {
        return fail(t.type == TableType::Odbc ? o.file + QStringLiteral(": ") + e.message() : e.message());
    }
}

int RunExport(const DataCommandOptions &o, QTextStream &out, QTextStream &err)
{
    auto fail = [&](const QString &why) {
        err << "vellora-id: --export: " << why << '\n';
        return kExitMoveFailed;
    };
    Target t;
    QString why;
    if (!parseTarget(o, &t, &why))
        return fail(why);
    if (o.noHeader)
        return fail(QStringLiteral("--no-header goes with --import"));
    if (t.type != TableType::Odbc && (!o.map.isEmpty() || o.replace))
        return fail(QStringLiteral("--map and --replace go with odbc:DSN; a file is written anew with every field"));

    Table card;
    card.setDatabaseName(CardTableFolder(o.appFolder));
    card.setTableName(QString::fromLatin1(kCardTableName));
    try {
        if (t.csv) {
            const int rows = transfer::WriteCommaFile(card, o.file);
            return report({rows, 0}, out);
        }
        Table dest;
        QStringList mapping;
        if (t.type == TableType::Odbc) {
            pointAt(dest, t);
            const QStringList destFields = fieldsOf(dest);
            if (!mappingFor(o.map, destFields, fieldsOf(card), false, &mapping, &why))
                return fail(why);
        } else {
            transfer::CreateTableLike(card, dest, t.folder, t.name, t.type);
            const QStringList destFields = dest.fieldNames();
            const QStringList cardFields = fieldsOf(card);
            for (qsizetype i = 0; i < destFields.size() && i < cardFields.size(); ++i)
                mapping.append(destFields[i] + QLatin1Char('=') + cardFields[i]);
        }
        return report(transfer::MoveRecords(card, dest, mapping, o.replace), out);
    } catch (const OperatorError &e) {
        return fail(t.type == TableType::Odbc ? o.file + QStringLiteral(": ") + e.message() : e.message());
    }
}

}  // namespace vellora
