// An engine session: the alias list and the listing of a database's tables.
// Tables belong to a session (Session::defaultSession() unless set); a
// private session is simply another Session object. Deactivating and
// activating a session again (restart) re-reads the alias list from the
// drivers, so a data source added meanwhile becomes visible.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

namespace vellora {

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    // The session tables use when none is set. Lives for the whole run.
    static Session *defaultSession();

    QString sessionName() const { return m_name; }
    void setSessionName(const QString &name) { m_name = name; }
    // A name no other session of this process has ("Session1_3").
    static QString uniqueSessionName(const QString &base = QStringLiteral("Session"));

    // Network control folder (the card table's folder). Kept for callers
    // that set it; table locks live beside each table file, so it changes
    // nothing.
    QString netFileDir() const { return m_netFileDir; }
    void setNetFileDir(const QString &folder) { m_netFileDir = folder; }

    bool isActive() const { return m_active; }
    void setActive(bool active);
    void open() { setActive(true); }
    void close() { setActive(false); }
    void restart() { setActive(false); setActive(true); }

    // Alias names: folder aliases added with addAlias() and the data sources
    // of the drivers that offer aliases (ODBC). Sorted, letter case ignored.
    // Activates the session when needed.
    QStringList aliasNames();
    // An alias naming a folder of table files (session-local).
    void addAlias(const QString &alias, const QString &folder);
    void removeAlias(const QString &alias);
    // The folder of a folder alias; empty when alias is not one.
    QString aliasFolder(const QString &alias) const;
    bool isAlias(const QString &name);

    // The tables of a database (a folder or an alias), sorted. pattern is a
    // wildcard ("*", "*.db", "card*"; case ignored) matched against the file
    // name with its extension. With extensions false the names come without
    // them ("cardset1"), otherwise as the files are spelt ("cardset1.DB").
    // Only files that a table driver recognises by extension are listed;
    // engine scratch and lock files are never listed. A missing folder or
    // alias throws EngineError.
    QStringList tableNames(const QString &database,
                           const QString &pattern = QStringLiteral("*"),
                           bool extensions = false,
                           bool systemTables = false);

signals:
    void activeChanged(bool active);

private:
    QString m_name;
    QString m_netFileDir;
    bool m_active = false;
    QStringList m_driverAliases;
    QHash<QString, QString> m_folderAliases;  // key: alias in lower case
    QHash<QString, QString> m_aliasSpelling;
};

} // namespace vellora
