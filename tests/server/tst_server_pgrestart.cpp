// The application server while its PostgreSQL database restarts or is down. The test runs a
// small cluster of its own, so that stopping it disturbs no other test.
#include "RpcProtocol.h"
#include "ServerHarness.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool cluster(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(qEnvironmentVariable("CTE_SOURCE_DIR") + u"/tests/support/pg-cluster"_s, args);
    p.waitForFinished(-1);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray someCall()
{
    return contracts::encodeCall({u"3"_s, QString()});
}

} // namespace

class TestServerPgRestart : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ServerProcess> m_server;
    QString m_token;

    // Four calls at once, so that both workers take one.
    QList<RawAnswer> fourCalls()
    {
        std::vector<std::unique_ptr<RawConnection>> connections;
        for (int i = 0; i < 4; ++i) {
            connections.push_back(std::make_unique<RawConnection>(m_server->port()));
            connections.back()->send(
                RawConnection::request(u"GetCompValorPrest"_s, someCall(), m_token));
        }
        QList<RawAnswer> answers;
        for (auto &c : connections)
            answers.append(c->readAnswer());
        return answers;
    }

private slots:
    void initTestCase()
    {
        const QString port = QString::number(freeLoopbackPort());
        QVERIFY(cluster({u"start"_s, m_dir.path(), port}));
        qputenv("CTE_TEST_PG", u"postgresql://postgres@127.0.0.1:%1/ctetest"_s.arg(port).toUtf8());
        qputenv("CTE_TEST_BACKEND", "pg");
        try {
            m_db = std::make_unique<TestDatabase>();
        } catch (const std::exception &e) {
            QFAIL(e.what());
        }
        m_server = std::make_unique<ServerProcess>(m_db->connectionString(),
                                                   QStringList {u"--threads"_s, u"2"_s});
        QVERIFY2(m_server->port() > 0, qPrintable(m_server->log()));
        m_token = testerLogin(m_server->port());
        QVERIFY(!m_token.isEmpty());
    }

    void cleanupTestCase()
    {
        m_server.reset();
        m_db.reset();
        cluster({u"stop"_s, m_dir.path()});
    }

    void callsAfterARestartAreServed()
    {
        for (const RawAnswer &a : fourCalls())
            QCOMPARE(a.reply.toList().value(0).toString(), u"S"_s);
        QVERIFY(cluster({u"restart"_s, m_dir.path()}));
        // Every worker's connection died with the restart: each reconnects and answers.
        for (const RawAnswer &a : fourCalls()) {
            QCOMPARE(a.status, 200);
            QCOMPARE(a.reply.toList().value(0).toString(), u"S"_s);
        }
        QVERIFY(m_server->waitForLog(u"connection lost, opening it again"_s));
    }

    void aDatabaseThatIsDownIsTheServersFault_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("withSession");
        QTest::newRow("a call: the session check fails") << u"GetCompValorPrest"_s << true;
        QTest::newRow("a login") << u"Login"_s << false;
    }
    void aDatabaseThatIsDownIsTheServersFault()
    {
        QFETCH(QString, operation);
        QFETCH(bool, withSession);
        QVERIFY(cluster({u"halt"_s, m_dir.path()}));
        const QByteArray body = withSession
            ? someCall()
            : contracts::encodeCall({u"tester"_s, TestDatabase::password()});
        RawConnection c(m_server->port());
        const RawAnswer down = c.call(operation, body, withSession ? m_token : QString());
        QVERIFY(cluster({u"resume"_s, m_dir.path()}));

        QCOMPARE(down.status, 500);
        const QString text = down.reply.toString();
        QVERIFY2(text.startsWith(u"O banco de dados do servidor de aplicação não está acessível"_s),
                 qPrintable(text));
        // The driver's words stay in the log.
        for (const char16_t *inner : {u"QPSQL", u"SELECT", u"SRVSESSAO", u"127.0.0.1", u"connect"})
            QVERIFY2(!text.contains(QString::fromUtf16(inner), Qt::CaseInsensitive),
                     qPrintable(text));
        QVERIFY(m_server->waitForLog(u"database-error="_s));

        // The session is still good once the database is back, and a failed login did not count.
        RawConnection after(m_server->port());
        const RawAnswer again = after.call(operation, body, withSession ? m_token : QString());
        QCOMPARE(again.status, 200);
        QCOMPARE(again.reply.toList().value(0).toString(), u"S"_s);
    }
};

QTEST_GUILESS_MAIN(TestServerPgRestart)
#include "tst_server_pgrestart.moc"
