#include "dataman/transfer/DataTransfer.h"

#include "dataman/transfer/CommaText.h"
#include "engine/BatchMove.h"
#include "engine/Driver.h"
#include "engine/EngineError.h"
#include "engine/util/FileLookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace vellora::transfer {

namespace {

QString tr(const char *text) { return QCoreApplication::translate("DataTransfer", text); }

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

void removeFile(const QString &folder, const QString &name)
{
    const QString path = ResolveCaseInsensitive(folder, name);
    if (QFileInfo(path).isFile() && QFile::remove(path))
        NoteFileRemoved(path);
}

// Field names for the temporary table: none empty, none twice (letter case
// ignored), no line breaks.
QStringList tempFieldNames(const QStringList &values, bool header)
{
    QStringList names;
    QSet<QString> seen;
    for (qsizetype i = 0; i < values.size(); ++i) {
        QString name;
        if (header) {
            name = values[i];
            for (QChar &c : name)
                if (c.unicode() < 32)
                    c = QLatin1Char(' ');
            name = name.trimmed();
        }
        if (name.isEmpty())
            name = QStringLiteral("Field%1").arg(i);
        QString unique = name;
        for (int n = 2; seen.contains(unique.toLower()); ++n)
            unique = QStringLiteral("%1_%2").arg(name).arg(n);
        seen.insert(unique.toLower());
        names.append(unique);
    }
    return names;
}

}  // namespace

void RemoveTempTable(const QString &folder)
{
    removeFile(folder, QString::fromLatin1(kTempTableName));
    removeFile(folder, QString::fromLatin1(kTempSchemaName));
}

int LoadCommaFile(const QString &csvPath, const QString &folder, bool header, const Progress &progress)
{
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        throw OperatorError(tr("The file %1 cannot be read: %2").arg(csvPath, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw OperatorError(tr("The file %1 cannot be read: %2").arg(csvPath, file.errorString()));
    file.close();
    QString text, why;
    if (!DecodeCommaFile(bytes, &text, &why))
        throw OperatorError(QStringLiteral("%1 (%2)").arg(why, csvPath));

    // Split every record once; the widest value of a column sets its width
    // when it exceeds the usual one, so that no value is cut.
    QList<QStringList> records;
    QList<int> lines;
    {
        CommaRecords reader(text);
        while (!reader.atEnd()) {
            QStringList values = SplitCommaLine(reader.next());
            if (!values.isEmpty()) {
                records.append(std::move(values));
                lines.append(reader.lineNumber());
            }
            if (progress && (records.size() & 4095) == 0)
                progress(0, 0);
        }
    }
    RemoveTempTable(folder);
    if (records.isEmpty())
        throw OperatorError(tr("The file %1 holds no line to import.").arg(csvPath));

    if (records.constFirst().size() > kMaxTempFields)
        throw OperatorError(tr("The first line of %1 has %2 values; a table holds at most %3 fields.")
                                .arg(csvPath)
                                .arg(records.constFirst().size())
                                .arg(kMaxTempFields));
    const QStringList names = tempFieldNames(records.constFirst(), header);
    const int fields = int(names.size());
    QList<int> widths(fields, kTempFieldWidth);
    for (qsizetype r = header ? 1 : 0; r < records.size(); ++r) {
        const QStringList &values = records[r];
        for (int f = 0; f < fields && f < values.size(); ++f) {
            if (values[f].size() > kMaxTempFieldWidth)
                throw OperatorError(tr("Line %1 of %2 holds a value of %3 characters; a field holds at most %4.")
                                        .arg(lines[r])
                                        .arg(csvPath)
                                        .arg(values[f].size())
                                        .arg(kMaxTempFieldWidth));
            widths[f] = std::max(widths[f], int(values[f].size()));
        }
    }
    QList<FieldDef> defs;
    for (int f = 0; f < fields; ++f)
        defs.append(FieldDef{names[f], FieldType::String, widths[f]});

    Table table;
    table.setDatabaseName(folder);
    table.setTableName(QString::fromLatin1(kTempTableName));
    table.setTableType(TableType::Text);
    table.setFieldDefs(defs);
    table.createTable();
    table.setCachedUpdates(true);
    table.open();
    int rows = 0;
    const int total = int(records.size()) - (header ? 1 : 0);
    for (qsizetype r = header ? 1 : 0; r < records.size(); ++r) {
        const QStringList &values = records[r];
        table.append();
        for (int f = 0; f < fields && f < values.size(); ++f)
            table.field(f).setAsString(values[f]);
        table.post();
        ++rows;
        if (progress && (rows & 511) == 0)
            progress(rows, total);
    }
    table.commitUpdates();
    table.close();
    if (progress)
        progress(rows, total);
    return rows;
}

int WriteCommaFile(Table &source, const QString &path, const Progress &progress)
{
    const bool wasOpen = source.isOpen();
    if (!wasOpen)
        source.open();
    struct Closer {
        Table &t;
        bool keep;
        ~Closer() { if (!keep) t.close(); }
    } closer{source, wasOpen};

    QString text;
    const int fields = source.fieldCount();
    text += CommaText(source.fieldNames());
    text += QLatin1String("\r\n");
    const int total = source.recordCount();
    int rows = 0;
    QStringList values;
    values.reserve(fields);
    for (source.first(); !source.eof(); source.next()) {
        values.clear();
        for (int f = 0; f < fields; ++f)
            values.append(source.field(f).asString());
        text += CommaText(values);
        text += QLatin1String("\r\n");
        ++rows;
        if (progress && (rows & 511) == 0)
            progress(rows, total);
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        throw OperatorError(tr("The file %1 cannot be written: %2").arg(path, out.errorString()));
    out.write(EncodeCommaFile(text));
    if (!out.commit())
        throw OperatorError(tr("The file %1 cannot be written: %2").arg(path, out.errorString()));
    NoteFileWritten(QFileInfo(path).absoluteFilePath());
    if (progress)
        progress(rows, total);
    return rows;
}

void CreateTableLike(Table &source, Table &dest, const QString &folder, const QString &fileName, TableType type)
{
    const bool wasOpen = source.isOpen();
    if (!wasOpen)
        source.open();
    QList<FieldDef> fields = source.fieldDefs();
    const QList<IndexDef> indexes = source.indexDefs();
    const QString sourceFile = QFileInfo(source.filePath()).absoluteFilePath();
    if (!wasOpen)
        source.close();
    if (!fields.isEmpty())
        fields[0] = FieldDef{fields[0].name, FieldType::Integer, 0};

    const QString dir = withSlash(folder);
    dest.close();
    dest.setDatabaseName(dir);
    dest.setTableName(fileName);
    dest.setTableType(type);
    const QString target = QFileInfo(dest.filePath()).absoluteFilePath();
    if (!sourceFile.isEmpty() && target.compare(sourceFile, Qt::CaseInsensitive) == 0)
        throw EngineError(tr("The table %1 cannot be replaced by its own export.").arg(target));
    // Replace an existing table: its file and every companion file.
    engine::TableDriver *driver = engine::driverFor(type);
    const QString base = QFileInfo(fileName).completeBaseName();
    removeFile(dir, fileName);
    if (driver)
        for (const QString &companion : driver->companionExtensions())
            removeFile(dir, base + companion);
    if (QFileInfo::exists(target))
        throw EngineError(tr("The table %1 exists and cannot be replaced.").arg(target));
    dest.setFieldDefs(fields);
    dest.setIndexDefs(indexes);
    dest.createTable();
}

QStringList PairEqualNames(const QStringList &destFields, const QStringList &sourceFields, const QStringList &skip)
{
    QStringList lines;
    for (const QString &d : destFields) {
        if (skip.contains(d, Qt::CaseInsensitive))
            continue;
        for (const QString &s : sourceFields)
            if (s.compare(d, Qt::CaseInsensitive) == 0) {
                lines.append(d + QLatin1Char('=') + s);
                break;
            }
    }
    return lines;
}

MoveResult MoveRecords(Table &source, Table &dest, const QStringList &mapping, bool replace, const Progress &progress)
{
    BatchMove move;
    move.setSource(&source);
    move.setDestination(&dest);
    move.setMode(replace ? BatchMoveMode::Replace : BatchMoveMode::Append);
    move.setMappings(mapping);
    move.setAbortOnKeyViolation(false);
    move.setAbortOnProblem(false);
    if (progress)
        move.setProgress(progress);
    move.execute();
    return {move.movedCount(), move.problemCount()};
}

TableType TableTypeForFile(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("dbf"))
        return TableType::DBase;
    if (ext == QLatin1String("db"))
        return TableType::Paradox;
    if (ext == QLatin1String("txt"))
        return TableType::Text;
    return TableType::Default;
}

}  // namespace vellora::transfer
