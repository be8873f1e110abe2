#include "engine/Session.h"

#include "engine/Driver.h"
#include "engine/EngineError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace vellora {

namespace {
QSet<QString> &sessionNames()
{
    static QSet<QString> names;
    return names;
}
} // namespace

Session::Session(QObject *parent) : QObject(parent) {}

Session::~Session()
{
    sessionNames().remove(m_name);
}

Session *Session::defaultSession()
{
    static Session *s = [] {
        auto *x = new Session;
        x->setSessionName(QStringLiteral("Default"));
        return x;
    }();
    return s;
}

QString Session::uniqueSessionName(const QString &base)
{
    static int counter = 0;
    QString n;
    do {
        n = base + QStringLiteral("_%1").arg(++counter);
    } while (sessionNames().contains(n));
    sessionNames().insert(n);
    return n;
}

void Session::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    m_driverAliases.clear();
    if (active)
        for (engine::TableDriver *d : engine::drivers())
            m_driverAliases += d->aliasNames();
    emit activeChanged(active);
}

QStringList Session::aliasNames()
{
    if (!m_active)
        setActive(true);
    QStringList out = m_driverAliases;
    for (const QString &a : std::as_const(m_aliasSpelling))
        out.append(a);
    out.removeDuplicates();
    std::sort(out.begin(), out.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return out;
}

void Session::addAlias(const QString &alias, const QString &folder)
{
    m_folderAliases.insert(alias.toLower(), folder);
    m_aliasSpelling.insert(alias.toLower(), alias);
}

void Session::removeAlias(const QString &alias)
{
    m_folderAliases.remove(alias.toLower());
    m_aliasSpelling.remove(alias.toLower());
}

QString Session::aliasFolder(const QString &alias) const
{
    return m_folderAliases.value(alias.toLower());
}

bool Session::isAlias(const QString &name)
{
    if (m_folderAliases.contains(name.toLower()))
        return true;
    for (const QString &a : aliasNames())
        if (a.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList Session::tableNames(const QString &database, const QString &pattern, bool extensions,
                                bool systemTables)
{
    QString folder = aliasFolder(database);
    if (folder.isEmpty() && !QFileInfo(database).isDir()) {
        if (engine::TableDriver *d = engine::driverForAlias(database)) {
            QStringList names = d->aliasTableNames(database, systemTables);
            const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(
                                            pattern.isEmpty() ? QStringLiteral("*") : pattern),
                                        QRegularExpression::CaseInsensitiveOption);
            QStringList out;
            for (const QString &n : names)
                if (re.match(n).hasMatch())
                    out.append(n);
            return out;
        }
        throw EngineError(tr("The database %1 is neither a folder nor a known alias.")
                              .arg(QDir::toNativeSeparators(database)));
    }
    if (folder.isEmpty())
        folder = database;
    if (!QFileInfo(folder).isDir())
        throw EngineError(tr("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder)));
    QStringList known;
    for (engine::TableDriver *d : engine::drivers())
        known += d->extensions();
    const QRegularExpression re(
        QRegularExpression::wildcardToRegularExpression(pattern.isEmpty() ? QStringLiteral("*") : pattern),
        QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    const auto entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &e : entries) {
        const QString name = e.fileName();
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot <= 0 || !known.contains(name.mid(dot).toLower()))
            continue;
        if (!re.match(name).hasMatch())
            continue;
        out.append(extensions ? name : name.left(dot));
    }
    return out;
}

} // namespace vellora
