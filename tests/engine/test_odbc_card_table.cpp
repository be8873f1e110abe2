// The card table through the SQLite ODBC driver, as an office suite or a
// report tool reaches it: a data source on the file, the table and its
// columns by field name, the cards' values.
#include "CardTables.h"

#include "support/TempProgramFolder.h"

#include <QtTest>

#include <sql.h>
#include <sqlext.h>

using namespace vellora;
using vellora::test::TempProgramFolder;

namespace {

struct Odbc {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    ~Odbc()
    {
        if (dbc != SQL_NULL_HDBC) {
            SQLDisconnect(dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        if (env != SQL_NULL_HENV)
            SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
};

QString diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[8] = {};
    SQLCHAR text[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length)))
        return QStringLiteral("(no diagnostics)");
    return QString::fromUtf8(reinterpret_cast<const char *>(state)) + QLatin1Char(' ')
        + QString::fromUtf8(reinterpret_cast<const char *>(text));
}

QString textColumn(SQLHSTMT st, SQLUSMALLINT column)
{
    char buffer[256] = {};
    SQLLEN length = 0;
    if (!SQL_SUCCEEDED(SQLGetData(st, column, SQL_C_CHAR, buffer, sizeof buffer, &length)))
        return QStringLiteral("(no data)");
    if (length == SQL_NULL_DATA)
        return QStringLiteral("(null)");
    return QString::fromUtf8(buffer);
}

} // namespace

class TestOdbcCardTable : public QObject {
    Q_OBJECT

private slots:
    void theDriverReadsTheCardTableByFieldName()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        test::createCardTable(data);
        {
            Table t;
            t.setDatabaseName(data);
            t.setTableName(QStringLiteral("cardset1.DB"));
            t.setCachedUpdates(true);
            t.open();
            test::addCard(t, QStringLiteral("Müller"), QStringLiteral("Jürgen"));
            test::addCard(t, QStringLiteral("O'Brien"), QStringLiteral("Seán"));
            t.commitUpdates();
        }

        // A data source of our own, in a private configuration folder.
        const QString config = tmp.file(QStringLiteral("odbc"));
        QVERIFY(QDir().mkpath(config));
        {
            QFile drivers(config + QStringLiteral("/odbcinst.ini"));
            QVERIFY(drivers.open(QIODevice::WriteOnly));
            drivers.write("[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=" VELLORA_SQLITE_ODBC_DRIVER "\n");
            QFile sources(config + QStringLiteral("/odbc.ini"));
            QVERIFY(sources.open(QIODevice::WriteOnly));
            sources.write("[Cards]\nDriver=SQLite3\nDatabase=" + QFile::encodeName(data)
                          + "/cardset1.DB\nReadOnly=1\n");
        }
        qputenv("ODBCSYSINI", QFile::encodeName(config));
        qputenv("ODBCINI", QFile::encodeName(config + QStringLiteral("/odbc.ini")));

        Odbc odbc;
        QVERIFY(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &odbc.env)));
        QVERIFY(SQL_SUCCEEDED(
            SQLSetEnvAttr(odbc.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)));
        QVERIFY(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, odbc.env, &odbc.dbc)));
        const SQLRETURN connected = SQLConnect(odbc.dbc, reinterpret_cast<SQLCHAR *>(const_cast<char *>("Cards")),
                                               SQL_NTS, nullptr, 0, nullptr, 0);
        QVERIFY2(SQL_SUCCEEDED(connected), qPrintable(diagnostics(SQL_HANDLE_DBC, odbc.dbc)));

        SQLHSTMT st = SQL_NULL_HSTMT;
        QVERIFY(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, odbc.dbc, &st)));
        auto freeStatement = qScopeGuard([&] { SQLFreeHandle(SQL_HANDLE_STMT, st); });

        // The tables a reader is offered: the card table under its name.
        QVERIFY(SQL_SUCCEEDED(SQLTables(st, nullptr, 0, nullptr, 0, nullptr, 0,
                                        reinterpret_cast<SQLCHAR *>(const_cast<char *>("TABLE")), SQL_NTS)));
        QStringList tables;
        while (SQL_SUCCEEDED(SQLFetch(st)))
            tables.append(textColumn(st, 3));
        SQLCloseCursor(st);
        QVERIFY2(tables.contains(QStringLiteral("cardset1")), qPrintable(tables.join(QLatin1Char(','))));

        // Its columns: the fields, with their types and widths.
        QVERIFY(SQL_SUCCEEDED(SQLColumns(st, nullptr, 0, nullptr, 0,
                                         reinterpret_cast<SQLCHAR *>(const_cast<char *>("cardset1")), SQL_NTS,
                                         nullptr, 0)));
        QStringList columns;
        while (SQL_SUCCEEDED(SQLFetch(st))) {
            SQLLEN size = 0, indicator = 0;
            SQLSMALLINT type = 0;
            SQLLEN typeIndicator = 0;
            SQLGetData(st, 5, SQL_C_SSHORT, &type, 0, &typeIndicator);
            SQLGetData(st, 7, SQL_C_SLONG, &size, 0, &indicator);
            const bool text = type == SQL_VARCHAR || type == SQL_WVARCHAR;
            columns.append(textColumn(st, 4)
                           + (text ? QStringLiteral(" text %1").arg(qint64(qint32(size)))
                                   : type == SQL_INTEGER ? QStringLiteral(" integer") : QStringLiteral(" other")));
        }
        SQLCloseCursor(st);
        QCOMPARE(columns, QStringList({QStringLiteral("Card_Number integer"), QStringLiteral("Last_name text 40"),
                                       QStringLiteral("First_name text 40"), QStringLiteral("Title text 40"),
                                       QStringLiteral("Department text 40"), QStringLiteral("Sparefield1 text 40"),
                                       QStringLiteral("Sparefield2 text 40"), QStringLiteral("MagStripe1 text 79"),
                                       QStringLiteral("MagStripe2 text 40"), QStringLiteral("MagStripe3 text 107")}));

        // The cards, by field name.
        const SQLRETURN ran = SQLExecDirect(
            st, reinterpret_cast<SQLCHAR *>(const_cast<char *>(
                    "SELECT Card_Number, First_name, Last_name FROM cardset1 ORDER BY Card_Number")),
            SQL_NTS);
        QVERIFY2(SQL_SUCCEEDED(ran), qPrintable(diagnostics(SQL_HANDLE_STMT, st)));
        QStringList rows;
        while (SQL_SUCCEEDED(SQLFetch(st)))
            rows.append(textColumn(st, 1) + QLatin1Char('|') + textColumn(st, 2) + QLatin1Char('|')
                        + textColumn(st, 3));
        QCOMPARE(rows, QStringList({QStringLiteral("1|Jürgen|Müller"), QStringLiteral("2|Seán|O'Brien")}));
    }
};

QTEST_MAIN(TestOdbcCardTable)
#include "test_odbc_card_table.moc"
