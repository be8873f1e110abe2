#include "dataman/odbcsetup/DataSourceInstaller.h"

#include "engine/odbc/OdbcDriver.h"

#include <odbcinst.h>

namespace vellora {

namespace {

QString installerError()
{
    QString text;
    for (WORD i = 1; i <= 8; ++i) {
        DWORD code = 0;
        char message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
        WORD length = 0;
        const RETCODE rc = SQLInstallerError(i, &code, message, sizeof message, &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QString::fromLocal8Bit(message).trimmed();
    }
    return text;
}

// The user's file only, for as long as it lives.
struct UserMode {
    UserMode() { SQLSetConfigMode(ODBC_USER_DSN); }
    ~UserMode() { SQLSetConfigMode(ODBC_BOTH_DSN); }
};

}  // namespace

QStringList InstalledOdbcDrivers() { return engine::odbcDriverNames(); }

OdbcKeywords CommonOdbcKeywords(const QString &driverName)
{
    const QString d = driverName.toLower();
    if (d.contains(QLatin1String("sqlite")))
        return {{QStringLiteral("Database"), QString()}};
    if (d.contains(QLatin1String("postgres")))
        return {{QStringLiteral("Servername"), QStringLiteral("localhost")},
                {QStringLiteral("Port"), QStringLiteral("5432")},
                {QStringLiteral("Database"), QString()},
                {QStringLiteral("Username"), QString()}};
    if (d.contains(QLatin1String("mysql")) || d.contains(QLatin1String("mariadb")))
        return {{QStringLiteral("Server"), QStringLiteral("localhost")},
                {QStringLiteral("Port"), QStringLiteral("3306")},
                {QStringLiteral("Database"), QString()},
                {QStringLiteral("User"), QString()}};
    return {};
}

bool WriteUserDataSource(const QString &dsn, const QString &driver, const OdbcKeywords &keywords, QString *error)
{
    const QByteArray name = dsn.toLocal8Bit();
    if (dsn.trimmed() != dsn || dsn.isEmpty() || !SQLValidDSN(name.constData())) {
        *error = QStringLiteral("\"%1\" is not a valid data source name.").arg(dsn);
        return false;
    }
    const UserMode mode;
    if (!SQLWriteDSNToIni(name.constData(), driver.toLocal8Bit().constData())) {
        *error = installerError();
        return false;
    }
    for (const auto &[key, value] : keywords) {
        if (key.trimmed().isEmpty())
            continue;
        if (!SQLWritePrivateProfileString(name.constData(), key.trimmed().toLocal8Bit().constData(),
                                          value.toLocal8Bit().constData(), "odbc.ini")) {
            *error = installerError();
            return false;
        }
    }
    return true;
}

}  // namespace vellora
