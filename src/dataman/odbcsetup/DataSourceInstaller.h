#pragma once
// Creating an ODBC data source through the unixODBC installer: a user data
// source (the user's odbc.ini, or the file ODBCINI names) with a driver and
// its connection keywords.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace vellora {

using OdbcKeywords = QList<QPair<QString, QString>>;

// Installed ODBC drivers, by name.
QStringList InstalledOdbcDrivers();
// The connection keywords a driver commonly needs, by its name (SQLite:
// Database; PostgreSQL: Servername, Port, Database, Username; MySQL and
// MariaDB: Server, Port, Database, User); values prefilled where there is
// a usual one.
OdbcKeywords CommonOdbcKeywords(const QString &driverName);
// Writes the user data source dsn for driver with the keywords (empty
// keywords skipped). Returns false with *error (the installer's text) when
// the name is not valid or the file cannot be written.
bool WriteUserDataSource(const QString &dsn, const QString &driver, const OdbcKeywords &keywords, QString *error);

}  // namespace vellora
