// ODBC data sources through unixODBC, on the SQLite ODBC driver and on
// PostgreSQL's ODBC driver with a private server this test starts in a
// temporary folder (Unix socket only) and stops at the end. The driver
// manager reads its configuration from the temporary folder too.
#include "engine/BatchMove.h"
#include "engine/EngineError.h"
#include "engine/Session.h"
#include "engine/Table.h"
#include "engine/odbc/OdbcDriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace vellora;

namespace {

const char *kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
const char *kPgDriver = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";

QString pgBin()
{
    const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &v : versions)
        if (QFileInfo::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/initdb").arg(v)))
            return QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(v);
    return {};
}

// Runs a program, as the postgres user when we are root (the server refuses
// to run as root).
bool run(const QString &program, const QStringList &args, QString *output = nullptr, bool asPostgres = false)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (asPostgres && ::geteuid() == 0)
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
    else
        p.start(program, args);
    if (!p.waitForFinished(120000))
        return false;
    const QString out = QString::fromUtf8(p.readAll());
    if (output)
        *output = out;
    if (p.exitCode() != 0)
        qWarning().noquote() << program << args.join(QLatin1Char(' ')) << out;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QList<QStringList> readAll(Table &t)
{
    QList<QStringList> rows;
    for (t.first(); !t.eof(); t.next()) {
        QStringList r;
        for (int i = 0; i < t.fieldCount(); ++i)
            r << t.field(i).asString();
        rows << r;
    }
    return rows;
}

const char *kSchema = "CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40), born DATE, "
                      "pay NUMERIC(10,2), active BOOLEAN);"
                      "CREATE VIEW adults AS SELECT id, name FROM people;"
                      "INSERT INTO people VALUES (1, 'Zoë Müller', '1970-02-28', 1234.50, TRUE);"
                      "INSERT INTO people VALUES (2, 'O''Brien', NULL, NULL, FALSE);";

} // namespace

class TestOdbc : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void listsDataSourcesAndTables_data();
    void listsDataSourcesAndTables();
    void readsFieldsAndRows_data();
    void readsFieldsAndRows();
    void appendsInOneTransactionAndCountsKeyViolations_data();
    void appendsInOneTransactionAndCountsKeyViolations();
    void driverErrorsCarryTheDriversText_data();
    void driverErrorsCarryTheDriversText();

private:
    QTemporaryDir m_dir;
    QString m_pgData;
    bool m_pgRunning = false;
};

void TestOdbc::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString root = m_dir.path();
    // The private server runs as another user when we are root.
    QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                    | QFileDevice::ReadOther | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                    | QFileDevice::ExeGroup);
    QFile inst(root + QStringLiteral("/odbcinst.ini"));
    QVERIFY(inst.open(QIODevice::WriteOnly));
    inst.write(QStringLiteral("[SQLite3]\nDriver=%1\n\n[PostgreSQL Unicode]\nDriver=%2\n").arg(kSqliteDriver, kPgDriver).toUtf8());
    inst.close();
    const QString sqliteDb = root + QStringLiteral("/people.sqlite");
    QString out;
    QVERIFY2(run(QStringLiteral("sqlite3"), {sqliteDb, QString::fromUtf8(kSchema)}, &out), qPrintable(out));

    // PostgreSQL in the temporary folder, on a Unix socket only.
    const QString bin = pgBin();
    if (!bin.isEmpty()) {
        const QString pgRoot = root + QStringLiteral("/pg");
        QDir().mkpath(pgRoot);
        if (::geteuid() == 0)
            run(QStringLiteral("chown"), {QStringLiteral("postgres"), pgRoot});
        m_pgData = pgRoot + QStringLiteral("/data");
        if (run(bin + QStringLiteral("initdb"), {QStringLiteral("-D"), m_pgData, QStringLiteral("-A"), QStringLiteral("trust"),
                                                  QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("--no-sync")},
                &out, true)
            && run(bin + QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), m_pgData, QStringLiteral("-w"), QStringLiteral("-l"), pgRoot + QStringLiteral("/log"),
                    QStringLiteral("-o"), QStringLiteral("-k %1 -c listen_addresses= -p 5432 -F").arg(pgRoot), QStringLiteral("start")},
                   &out, true)) {
            m_pgRunning = true;
            QVERIFY2(run(bin + QStringLiteral("psql"), {QStringLiteral("-h"), pgRoot, QStringLiteral("-U"), QStringLiteral("postgres"),
                                                        QStringLiteral("-c"), QStringLiteral("CREATE DATABASE vellora")},
                         &out, true),
                     qPrintable(out));
            QVERIFY2(run(bin + QStringLiteral("psql"), {QStringLiteral("-h"), pgRoot, QStringLiteral("-U"), QStringLiteral("postgres"),
                                                        QStringLiteral("-d"), QStringLiteral("vellora"), QStringLiteral("-c"),
                                                        QString::fromUtf8(kSchema)},
                         &out, true),
                     qPrintable(out));
        } else {
            qWarning().noquote() << "PostgreSQL did not start:" << out;
        }
    }
    QFile ini(root + QStringLiteral("/odbc.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[people_sqlite]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[broken_sqlite]\nDriver=SQLite3\nDatabase=%2/no/such/folder/x.db\n\n"
                             "[people_pg]\nDriver=PostgreSQL Unicode\nServername=%2/pg\nPort=5432\nDatabase=vellora\n"
                             "Username=postgres\n\n"
                             "[broken_pg]\nDriver=PostgreSQL Unicode\nServername=%2/pg\nPort=5432\nDatabase=nosuchdb\n"
                             "Username=postgres\n")
                  .arg(sqliteDb, root)
                  .toUtf8());
    ini.close();
    qputenv("ODBCSYSINI", root.toUtf8());
    qputenv("ODBCINI", (root + QStringLiteral("/odbc.ini")).toUtf8());
}

void TestOdbc::cleanupTestCase()
{
    if (m_pgRunning)
        run(pgBin() + QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_pgData, QStringLiteral("-m"), QStringLiteral("immediate"),
                                                 QStringLiteral("-w"), QStringLiteral("stop")},
            nullptr, true);
}

#define SOURCES()                                                                 \
    QTest::addColumn<QString>("dsn");                                             \
    QTest::newRow("SQLite") << QStringLiteral("people_sqlite");                   \
    QTest::newRow("PostgreSQL") << QStringLiteral("people_pg");

#define NEED_SOURCE(dsn)                                                          \
    QFETCH(QString, dsn);                                                         \
    if (dsn.endsWith(QLatin1String("_pg")) && !m_pgRunning)                       \
        QSKIP("PostgreSQL is not installed here (see scripts/packages.txt)");

void TestOdbc::listsDataSourcesAndTables_data() { SOURCES() }

void TestOdbc::listsDataSourcesAndTables()
{
    NEED_SOURCE(dsn);
    Session s;
    QVERIFY(s.aliasNames().contains(dsn));
    const QStringList tables = s.tableNames(dsn);
    QVERIFY2(tables.contains(QStringLiteral("people")) && tables.contains(QStringLiteral("adults")), qPrintable(tables.join(',')));
    for (const QString &t : tables)
        QVERIFY2(!t.startsWith(QLatin1String("pg_")) && !t.startsWith(QLatin1String("sqlite_")), qPrintable(t));
    QCOMPARE(s.tableNames(dsn, QStringLiteral("peo*")), QStringList({"people"}));
}

void TestOdbc::readsFieldsAndRows_data() { SOURCES() }

void TestOdbc::readsFieldsAndRows()
{
    NEED_SOURCE(dsn);
    Table t;
    t.setDatabaseName(dsn);
    t.setTableName(QStringLiteral("people"));
    t.open();
    QCOMPARE(t.kindName(), QStringLiteral("ODBC"));
    QCOMPARE(t.fieldNames(), QStringList({"id", "name", "born", "pay", "active"}));
    QCOMPARE(t.field(0).type(), FieldType::Integer);
    QCOMPARE(t.field(1).type(), FieldType::String);
    QCOMPARE(t.field(2).type(), FieldType::Date);
    QCOMPARE(t.indexDefs().value(0).fields, QStringList({"id"}));
    const QList<QStringList> rows = readAll(t);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].mid(0, 3), QStringList({"1", QStringLiteral("Zoë Müller"), "1970-02-28"}));
    QCOMPARE(rows[0][3].toDouble(), 1234.5);
    QCOMPARE(rows[1].mid(0, 3), QStringList({"2", "O'Brien", ""}));
}

void TestOdbc::appendsInOneTransactionAndCountsKeyViolations_data() { SOURCES() }

void TestOdbc::appendsInOneTransactionAndCountsKeyViolations()
{
    NEED_SOURCE(dsn);
    // 1,000 rows from a text table; two of them have keys the table holds.
    QTemporaryDir tmp;
    Table src;
    src.setDatabaseName(tmp.path());
    src.setTableName(QStringLiteral("src.txt"));
    src.setFieldDefs({{QStringLiteral("id"), FieldType::Integer, 0}, {QStringLiteral("name"), FieldType::String, 40},
                      {QStringLiteral("born"), FieldType::Date, 0}});
    src.createTable();
    src.setCachedUpdates(true);
    src.open();
    for (int i = 0; i < 1000; ++i) {
        src.append();
        src.field(0).setValue(i < 2 ? i + 1 : i + 100);
        src.field(1).setAsString(QStringLiteral("Person %1 ü").arg(i));
        src.field(2).setValue(QDate(1980, 1, 1).addDays(i));
        src.post();
    }
    src.commitUpdates();
    src.close();

    Table dst;
    dst.setDatabaseName(dsn);
    dst.setTableName(QStringLiteral("people"));
    BatchMove move;
    move.setSource(&src);
    move.setDestination(&dst);
    move.setMappings({QStringLiteral("id=id"), QStringLiteral("name=name"), QStringLiteral("born=born")});
    move.setAbortOnKeyViolation(false);
    move.execute();
    QCOMPARE(move.movedCount(), 998);
    QCOMPARE(move.keyViolationCount(), 2);
    dst.open();
    QCOMPARE(dst.recordCount(), 1000);
    dst.last();
    QCOMPARE(dst.fieldByName(QStringLiteral("name")).asString(), QStringLiteral("Person 999 ü"));
    QCOMPARE(dst.fieldByName(QStringLiteral("born")).asString(), QDate(1980, 1, 1).addDays(999).toString(Qt::ISODate));
    // Editing and deleting single rows goes by the key.
    dst.first();
    dst.edit();
    dst.fieldByName(QStringLiteral("name")).setAsString(QStringLiteral("Changed"));
    dst.post();
    dst.next();
    dst.deleteRecord();
    dst.close();
    dst.open();
    QCOMPARE(dst.recordCount(), 999);
    QCOMPARE(dst.fieldByName(QStringLiteral("name")).asString(), QStringLiteral("Changed"));
    // Emptying deletes every row.
    dst.emptyTable();
    dst.close();
    dst.open();
    QCOMPARE(dst.recordCount(), 0);
    dst.close();
    // A failing move writes nothing: the first key violation stops it.
    move.setAbortOnKeyViolation(true);
    src.open();
    src.first();
    src.edit();
    src.field(0).setValue(150);   // the same key as a later row
    src.post();
    src.commitUpdates();
    src.close();
    dst.emptyTable();
    QVERIFY_THROWS_EXCEPTION(EngineError, move.execute());
    dst.open();
    QCOMPARE(dst.recordCount(), 0);
}

void TestOdbc::driverErrorsCarryTheDriversText_data()
{
    QTest::addColumn<QString>("dsn");
    QTest::addColumn<QString>("expected");
    QTest::newRow("SQLite, missing folder") << QStringLiteral("broken_sqlite") << QStringLiteral("broken_sqlite");
    QTest::newRow("PostgreSQL, missing database") << QStringLiteral("broken_pg") << QStringLiteral("nosuchdb");
}

void TestOdbc::driverErrorsCarryTheDriversText()
{
    QFETCH(QString, dsn);
    QFETCH(QString, expected);
    if (dsn.endsWith(QLatin1String("_pg")) && !m_pgRunning)
        QSKIP("PostgreSQL is not installed here (see scripts/packages.txt)");
    Table t;
    t.setDatabaseName(dsn);
    t.setTableName(QStringLiteral("people"));
    QString message;
    try {
        t.open();
    } catch (const EngineError &e) {
        message = e.message();
    }
    QVERIFY2(message.contains(dsn) && message.contains(expected), qPrintable(message));
    // The driver's own words follow ours.
    QVERIFY2(message.section(QLatin1Char(':'), 1).trimmed().size() > 5, qPrintable(message));
}

QTEST_GUILESS_MAIN(TestOdbc)
#include "test_odbc.moc"
