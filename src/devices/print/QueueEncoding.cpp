#include "devices/print/QueueEncoding.h"

#include "devices/print/PrintDevice.h"

#include <QFile>
#include <QSaveFile>
#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

namespace vellora {

namespace {

QString &overrideFile()
{
    static QString path;
    return path;
}

bool queueExists(const QString &queue)
{
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const QByteArray name = queue.toUtf8();
    const bool found = cupsGetDest(name.constData(), nullptr, count, dests) != nullptr;
    cupsFreeDests(count, dests);
    return found;
}

}  // namespace

void SetEncodingOverrideFile(const QString &path) { overrideFile() = path; }

QString EncodingOverrideFile() { return overrideFile(); }

QHash<QString, EncodingOverride> ReadEncodingOverrides(const QString &path)
{
    QHash<QString, EncodingOverride> choices;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return choices;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QStringList parts = QString::fromUtf8(raw).trimmed().split(u'\t');
        if (parts.size() < 2 || parts[0].isEmpty() ||
            (parts[1] != QLatin1String(AutomaticProfileKey) && !EncodingProfileByKey(parts[1])))
            continue;
        choices.insert(parts[0], {parts[1], CoercivityFromKey(parts.value(2))});
    }
    return choices;
}

std::optional<EncodingOverride> EncodingOverrideFor(const QString &queue)
{
    const QHash<QString, EncodingOverride> choices = ReadEncodingOverrides(overrideFile());
    const auto it = choices.constFind(queue);
    if (it == choices.constEnd())
        return std::nullopt;
    return *it;
}

void StoreEncodingOverride(const QString &queue, const std::optional<EncodingOverride> &choice)
{
    const QString path = overrideFile();
    if (path.isEmpty())
        throw PrintError(QStringLiteral("No program folder to keep the printer's encoding in."));
    // Lines of other queues stay as they are, even those this version
    // cannot read.
    QList<QByteArray> lines;
    QFile old(path);
    if (old.exists() && !old.open(QIODevice::ReadOnly))
        throw PrintError(QStringLiteral("The file \"%1\" cannot be read.").arg(path));
    if (old.isOpen()) {
        for (const QByteArray &raw : old.readAll().split('\n')) {
            if (raw.trimmed().isEmpty() || QString::fromUtf8(raw).split(u'\t').first() == queue)
                continue;
            lines.append(raw);
        }
        old.close();
    }
    if (choice)
        lines.append((queue + u'\t' + choice->profileKey + u'\t' + CoercivityKey(choice->coercivity)).toUtf8());
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    for (const QByteArray &line : lines)
        ok = ok && file.write(line + '\n') == line.size() + 1;
    if (!ok || !file.commit())
        throw PrintError(QStringLiteral("The file \"%1\" cannot be written.").arg(path));
}

std::optional<QByteArray> QueuePpd(const QString &queue, QString *error)
{
    char path[1024] = "";
    time_t modified = 0;
    const QByteArray name = queue.toUtf8();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const http_status_t status = cupsGetPPD3(CUPS_HTTP_DEFAULT, name.constData(), &modified, path, sizeof path);
#pragma GCC diagnostic pop
    if (status == HTTP_STATUS_NOT_FOUND)
        return QByteArray();  // a queue without a driver description (driverless or raw)
    QByteArray text;
    bool read = false;
    if (status == HTTP_STATUS_OK && path[0]) {
        QFile file(QFile::decodeName(path));
        read = file.open(QIODevice::ReadOnly);
        if (read)
            text = file.readAll();
        unlink(path);
    }
    if (!read) {
        if (error)
            *error = QStringLiteral("The driver description of the printer \"%1\" cannot be read: %2")
                         .arg(queue, QString::fromUtf8(cupsLastErrorString()));
        return std::nullopt;
    }
    return text;
}

PrinterEncoding ResolveQueueEncoding(const QString &queue)
{
    PrinterEncoding e;
    if (queue.isEmpty() || !queueExists(queue)) {
        e.error = QStringLiteral("The printer \"%1\" is not available.").arg(queue);
        return e;
    }
    if (const std::optional<QByteArray> text = QueuePpd(queue, &e.error)) {
        e.hasPpd = !text->isEmpty();
        e.ppd = ParsePpd(*text);
        e.profile = RecogniseEncodingProfile(e.ppd);
    }
    if (const std::optional<EncodingOverride> choice = EncodingOverrideFor(queue)) {
        e.coercivity = choice->coercivity;
        if (choice->profileKey != QLatin1String(AutomaticProfileKey)) {
            e.profile = EncodingProfileByKey(choice->profileKey);
            e.chosen = true;
            e.error.clear();  // the operator's choice stands without the description
        }
    }
    return e;
}

}  // namespace vellora
