// Crash safety of card tables: a program killed in the middle of a commit
// leaves exactly the old or the new table; a second program never gets at a
// table that is open, and a crashed holder leaves no lock behind.
//
// The child processes are this test program itself, started with the test
// function "child" and the environment variable VELLORA_ENGINE_CHILD.
#include "CardTables.h"

#include "support/TempProgramFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <thread>

using namespace vellora;
using vellora::test::TempProgramFolder;

namespace {

const char *kMode = "VELLORA_ENGINE_CHILD";
const char *kFolder = "VELLORA_ENGINE_CHILD_FOLDER";

void say(const QByteArray &line)
{
    std::fputs(("@@" + line + "\n").constData(), stdout);
    std::fflush(stdout);
}

// The big change of the kill test: every row edited, some deleted, new rows.
void bigChange(Table &t)
{
    for (int i = 1; i <= t.recordCount(); ++i) {
        t.setRecNo(i);
        t.edit();
        t.fieldByName(QStringLiteral("Last_name")).setAsString(QStringLiteral("after %1").arg(i));
        t.fieldByName(QStringLiteral("MagStripe3")).setAsString(QString(100, QLatin1Char('7')));
        t.post();
    }
    for (int i = t.recordCount(); i >= 1; i -= 17) {
        t.setRecNo(i);
        t.deleteRecord();
    }
    for (int i = 0; i < 400; ++i)
        test::addCard(t, QStringLiteral("added %1").arg(i), QStringLiteral("Zoë"));
}

class Child {
public:
    explicit Child(const QString &mode, const QString &folder, bool exclusive = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kMode), mode);
        env.insert(QString::fromLatin1(kFolder), folder);
        env.insert(QStringLiteral("VELLORA_ENGINE_CHILD_EXCLUSIVE"), exclusive ? "1" : "0");
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("child")});
    }
    ~Child()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGKILL);
            m_process.waitForFinished(5000);
        }
    }
    // Waits for a line "@@<prefix>..." and returns it without "@@".
    QByteArray waitFor(const QByteArray &prefix, int ms = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine().trimmed();
                if (line.startsWith("@@" + prefix))
                    return line.mid(2);
            }
            if (m_process.state() == QProcess::NotRunning && !m_process.canReadLine())
                return {};
            m_process.waitForReadyRead(50);
        }
        return {};
    }
    QByteArray waitForAny(int ms = 30000) { return waitFor(QByteArray(), ms); }
    void kill()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(10000);
    }
    bool finish(int ms = 60000) { return m_process.waitForFinished(ms); }

private:
    QProcess m_process;
};

} // namespace

class TestKill : public QObject {
    Q_OBJECT

    static void openCards(Table &t, const QString &folder)
    {
        t.setDatabaseName(folder);
        t.setTableName(QStringLiteral("cardset1.DB"));
        t.setCachedUpdates(true);
        t.open();
    }

    static QByteArray digest(const QString &folder)
    {
        Table t;
        openCards(t, folder);
        return test::digestOf(test::allRows(t));
    }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

private slots:
    // Runs only as the child process.
    void child()
    {
        const QByteArray mode = qgetenv(kMode);
        if (mode.isEmpty())
            QSKIP("runs only as the child process of the other tests");
        const QString folder = QString::fromLocal8Bit(qgetenv(kFolder));
        Table t;
        t.setDatabaseName(folder);
        t.setTableName(QStringLiteral("cardset1.DB"));
        t.setCachedUpdates(true);
        t.setExclusive(qgetenv("VELLORA_ENGINE_CHILD_EXCLUSIVE") == "1");
        try {
            t.open();
        } catch (const EngineError &e) {
            say("error:" + e.message().toUtf8());
            return;
        }
        if (mode == "commit") {
            bigChange(t);
            say("go");
            t.commitUpdates();
            say("done");
        } else if (mode == "hold") {
            say("open");
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        } else {
            test::addCard(t, QStringLiteral("from the child"));
            t.commitUpdates();
            say("ok");
        }
    }

    void killedCommitLeavesBeforeOrAfter()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        const QString path = data + QStringLiteral("/cardset1.DB");
        test::createCardTable(data);
        {
            Table t;
            openCards(t, data);
            for (int i = 0; i < 3000; ++i)
                test::addCard(t, QStringLiteral("before %1").arg(i), QStringLiteral("Ann"));
            t.commitUpdates();
        }
        const QByteArray beforeFile = test::fileBytes(path);
        const QByteArray before = digest(data);

        // One undisturbed run gives the after state and the commit's duration.
        qint64 commitMicros = 0;
        {
            Child c(QStringLiteral("commit"), data);
            QVERIFY(!c.waitFor("go").isEmpty());
            QElapsedTimer clock;
            clock.start();
            QVERIFY(!c.waitFor("done").isEmpty());
            commitMicros = std::max<qint64>(clock.nsecsElapsed() / 1000, 200);
            QVERIFY(c.finish());
        }
        const QByteArray after = digest(data);
        QVERIFY(after != before);

        int sawBefore = 0, sawAfter = 0;
        for (int round = 0; round < 30; ++round) {
            writeFile(path, beforeFile);
            QFile::remove(path + QStringLiteral("-journal"));
            {
                Child c(QStringLiteral("commit"), data);
                QVERIFY(!c.waitFor("go").isEmpty());
                const qint64 delay = QRandomGenerator::global()->bounded(commitMicros * 13 / 10);
                std::this_thread::sleep_for(std::chrono::microseconds(delay));
                c.kill();
            }
            QByteArray now;
            try {
                now = digest(data);
            } catch (const EngineError &e) {
                QFAIL(qPrintable(QStringLiteral("round %1: the table does not open: %2").arg(round).arg(e.message())));
            }
            QVERIFY2(now == before || now == after, qPrintable(QStringLiteral("round %1: mixed state").arg(round)));
            (now == before ? sawBefore : sawAfter)++;
            // New cards still get fresh numbers after the crash.
            Table t;
            openCards(t, data);
            t.last();
            const qint64 highest = t.field(0).value().toLongLong();
            test::addCard(t, QStringLiteral("probe"));
            QVERIFY(t.field(0).value().toLongLong() > highest);
        }
        qInfo("killed commits: %d left the old table, %d the new one (commit takes about %lld us)", sawBefore,
              sawAfter, commitMicros);
    }

    void secondProgramIsRefused()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        test::createCardTable(data);
        Table t;
        openCards(t, data);
        test::addCard(t, QStringLiteral("mine"));
        t.commitUpdates();
        for (bool exclusive : {false, true}) {
            Child c(QStringLiteral("open"), data, exclusive);
            QCOMPARE(c.waitForAny(), QByteArray("error:The card table is in use by another program."));
        }
        test::addCard(t, QStringLiteral("mine too"));
        t.commitUpdates();
        t.close();
        {
            Child c(QStringLiteral("open"), data);
            QCOMPARE(c.waitForAny(), QByteArray("ok"));
            QVERIFY(c.finish());
        }
        openCards(t, data);
        QStringList names;
        for (t.first(); !t.eof(); t.next())
            names << t.fieldByName(QStringLiteral("Last_name")).asString();
        QCOMPARE(names, (QStringList{"mine", "mine too", "from the child"}));
    }

    void crashedHolderLeavesNoLock()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        test::createCardTable(data);
        Child c(QStringLiteral("hold"), data);
        QCOMPARE(c.waitForAny(), QByteArray("open"));
        Table t;
        try {
            openCards(t, data);
            QFAIL("opened a table another program holds");
        } catch (const EngineError &e) {
            QCOMPARE(e.message(), QStringLiteral("The card table is in use by another program."));
        }
        c.kill();
        openCards(t, data);
        QVERIFY(t.isOpen());
    }

    void exclusiveUseWithinOneProgram()
    {
        TempProgramFolder tmp{TempProgramFolder::Empty{}};
        const QString data = tmp.file(QStringLiteral("data"));
        test::createCardTable(data);
        Table shared, exclusive;
        openCards(shared, data);
        exclusive.setExclusive(true);
        QVERIFY_THROWS_EXCEPTION(EngineError, openCards(exclusive, data));
        shared.close();
        openCards(exclusive, data);
        QVERIFY_THROWS_EXCEPTION(EngineError, openCards(shared, data));
        exclusive.close();
        openCards(shared, data);
        Table second;
        openCards(second, data);   // shared use by two tables of one program
        QVERIFY(second.isOpen());
    }
};

QTEST_MAIN(TestKill)
#include "test_kill.moc"
