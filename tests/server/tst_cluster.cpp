// Several servers over one PostgreSQL database behind HAProxy: any server serves any session,
// a stopped or killed server costs its clients at most one retried call and loses or doubles
// nothing, failed logins count across servers, and a server whose database is unreachable says
// so and is taken out.
#include "CTeRecord.h"
#include "DbConnection.h"
#include "RpcProtocol.h"
#include "ServerHarness.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

using namespace Qt::StringLiterals;
using contracts::DataPacket;
using contracts::Delta;

namespace {

// A new document alone, under a request identifier of its own (the save's last argument).
QByteArray newDocumentSave()
{
    return contracts::encodeCall(
        saveArgs({insertDelta(contracts::cte::documentFields(), {newDocumentValues()})}));
}

bool succeeded(const QVariant &reply)
{
    return reply.toList().value(0).toString() == u"S";
}

QList<double> listedKeys(const QVariant &reply)
{
    const DataPacket p = reply.toList().value(1).value<DataPacket>();
    QList<double> keys;
    for (const contracts::Row &row : p.rows)
        keys << row.at(p.indexOf(u"CDCTE"_s)).toDouble();
    return keys;
}

// Clients saving new documents in a loop through the proxy, as the editor does: a call that
// fails is sent again once, with the same body (so the same request identifier).
struct SavingClients
{
    struct Client
    {
        QString token;
        QByteArray body;
        bool retrying = false;
        int saves = 0;
        int retries = 0;
        int failures = 0;
        bool busy = false;
    };

    QNetworkAccessManager manager;
    QList<Client> clients;
    int port = 0;
    bool stopping = false;
    QEventLoop loop;

    int saves() const
    {
        int n = 0;
        for (const Client &c : clients)
            n += c.saves;
        return n;
    }

    void send(int i)
    {
        Client &c = clients[i];
        if (stopping) {
            c.busy = false;
            if (std::none_of(clients.begin(), clients.end(),
                             [](const Client &x) { return x.busy; }))
                loop.quit();
            return;
        }
        c.busy = true;
        QNetworkReply *reply
            = manager.post(callRequest(port, u"AplicaAlteracoes"_s, c.token), c.body);
        QObject::connect(reply, &QNetworkReply::finished, &loop, [this, i, reply] {
            Client &client = clients[i];
            QString error;
            const auto answer = contracts::decodeReply(reply->readAll(), &error);
            reply->deleteLater();
            if (answer && succeeded(*answer)) {
                ++client.saves;
                client.retrying = false;
                client.body = newDocumentSave();
            } else if (!client.retrying) {
                ++client.retries;
                client.retrying = true;
            } else {
                ++client.failures;
                client.retrying = false;
                client.body = newDocumentSave();
            }
            // A client past what the test allows ends the run: the verdict is already known.
            if (client.failures > 0 || client.retries > 1)
                stopping = true;
            onProgress();
            send(i);
        });
    }

    std::function<void()> onProgress;
};

} // namespace

class TestCluster : public QObject
{
    Q_OBJECT

private:
    // One database for the whole run (a test database is one per process).
    std::unique_ptr<TestDatabase> m_db;

private slots:
    void initTestCase()
    {
        if (!TestDatabase::usePostgres())
            QSKIP("several servers share a PostgreSQL database (CTE_TEST_BACKEND=pg)");
        m_db = std::make_unique<TestDatabase>();
    }
    void cleanupTestCase() { m_db.reset(); }

    void savedThroughOneListedThroughAnother()
    {
        TestDatabase &db = *m_db;
        ServerProcess a(db.connectionString()), b(db.connectionString());
        QVERIFY(a.port() > 0 && b.port() > 0);
        ProxyProcess proxy({a.port(), b.port()});
        QVERIFY2(proxy.port() > 0, qPrintable(proxy.log()));
        QVERIFY(proxy.waitForServerState(0, u"UP"_s));
        QVERIFY(proxy.waitForServerState(1, u"UP"_s));

        const QString token = testerLogin(proxy.port());
        QVERIFY(!token.isEmpty());
        const RawAnswer saved = rawPost(a.port(), u"AplicaAlteracoes"_s, newDocumentSave(), token);
        QVERIFY2(succeeded(saved.reply), saved.body.constData());
        const double key = saved.reply.toList().value(1).toDouble();
        const RawAnswer listed
            = rawPost(b.port(), u"GetDadosGerais"_s, contracts::encodeCall(listSelection()), token);
        QVERIFY2(succeeded(listed.reply), listed.body.constData());
        QVERIFY(listedKeys(listed.reply).contains(key));

        // One server stopped: the session and the work go on through the other, at once.
        a.kill();
        QList<double> keys {key};
        for (int i = 0; i < 4; ++i) {
            const RawAnswer next
                = rawPost(proxy.port(), u"AplicaAlteracoes"_s, newDocumentSave(), token);
            QVERIFY2(succeeded(next.reply), next.body.constData());
            keys << next.reply.toList().value(1).toDouble();
        }
        const RawAnswer relisted = rawPost(proxy.port(), u"GetDadosGerais"_s,
                                           contracts::encodeCall(listSelection()), token);
        QVERIFY2(succeeded(relisted.reply), relisted.body.constData());
        for (double k : keys)
            QVERIFY(listedKeys(relisted.reply).contains(k));
        QVERIFY(proxy.waitForServerState(0, u"DOWN"_s));
        QCOMPARE(proxy.serverState(1), u"UP"_s);
    }

    void killedUnderLoadCostsOneRetryAtMost()
    {
        TestDatabase &db = *m_db;
        ServerProcess s0(db.connectionString()), s1(db.connectionString()),
            s2(db.connectionString());
        ProxyProcess proxy({s0.port(), s1.port(), s2.port()});
        QVERIFY2(proxy.port() > 0, qPrintable(proxy.log()));
        for (int i = 0; i < 3; ++i)
            QVERIFY(proxy.waitForServerState(i, u"UP"_s));
        const int lastBefore = countOf(db.db(), u"SELECT COALESCE(MAX(CDCTE), 0) FROM CTE"_s);
        const QString newDocuments = u"FROM CTE WHERE CDCTE > %1"_s.arg(lastBefore);

        SavingClients load;
        load.port = proxy.port();
        for (int i = 0; i < 4; ++i) {
            SavingClients::Client c;
            c.token = testerLogin(proxy.port());
            QVERIFY(!c.token.isEmpty());
            c.body = newDocumentSave();
            load.clients << c;
        }
        int killedAt = -1;
        load.onProgress = [&] {
            const int saves = load.saves();
            if (killedAt < 0 && saves >= 20) {
                killedAt = saves;
                s1.kill(); // SIGKILL: no goodbye to HAProxy or to the clients
            } else if (killedAt >= 0 && saves >= killedAt + 40) {
                load.stopping = true;
            }
        };
        for (int i = 0; i < 4; ++i)
            load.send(i);
        load.loop.exec();

        QVERIFY(killedAt >= 0);
        for (const SavingClients::Client &c : std::as_const(load.clients)) {
            QCOMPARE(c.failures, 0);
            QVERIFY2(c.retries <= 1, qPrintable(u"%1 retried calls"_s.arg(c.retries)));
        }
        // Every save answered "S" is stored once, and numbered apart from the others.
        QCOMPARE(countOf(db.db(), u"SELECT COUNT(*) "_s + newDocuments), load.saves());
        QCOMPARE(countOf(db.db(), u"SELECT COUNT(DISTINCT NRCTE) "_s + newDocuments), load.saves());
        QVERIFY(proxy.waitForServerState(1, u"DOWN"_s));
    }

    // The servers count failed logins together: guesses spread over two of them make the guesser
    // wait as soon as they would on one.
    void guessesSpreadOverServersCountTogether()
    {
        QStringList args {u"--login-delay-ms"_s, u"60000"_s};
        ServerProcess a(m_db->connectionString(), args), b(m_db->connectionString(), args);
        QVERIFY(a.port() > 0 && b.port() > 0);
        const QHostAddress guesser(u"127.0.0.8"_s);
        auto login = [&](int port, const QString &password) {
            RawConnection c(port, guesser);
            return c.call(u"Login"_s, contracts::encodeCall({u"tester"_s, password}));
        };
        for (int i = 0; i < 6; ++i)
            QCOMPARE(login(i % 2 ? b.port() : a.port(), u"chute-%1"_s.arg(i)).reply.toString(),
                     u"Usuário ou senha inválidos."_s);
        for (const ServerProcess *server : {&a, &b})
            QCOMPARE(login(server->port(), TestDatabase::password()).status, 429);
    }

    // HAProxy passes on a client's own X-Forwarded-For line and adds its own after it: the
    // client is the address of that last line, so guesses under borrowed addresses still make
    // the guesser wait, and never the client whose address was borrowed.
    void forgedForwardedLinesBehindTheProxy()
    {
        ServerProcess server(
            m_db->connectionString(),
            {u"--login-delay-ms"_s, u"60000"_s, u"--trusted-proxy"_s, u"127.0.0.1"_s});
        ProxyProcess proxy({server.port()});
        QVERIFY2(proxy.port() > 0, qPrintable(proxy.log()));
        QVERIFY(proxy.waitForServerState(0, u"UP"_s));
        const QHostAddress guesser(u"127.0.0.21"_s), victim(u"127.0.0.22"_s);
        auto login = [&](const QHostAddress &from, const QByteArray &forged, const QString &user,
                         const QString &password) {
            QByteArray request
                = RawConnection::request(u"Login"_s, contracts::encodeCall({user, password}));
            if (!forged.isEmpty())
                request.replace("\r\n\r\n", "\r\nX-Forwarded-For: " + forged + "\r\n\r\n");
            RawConnection c(proxy.port(), from);
            c.send(request);
            return c.readAnswer();
        };
        for (int i = 0; i < 6; ++i)
            QCOMPARE(login(guesser, victim.toString().toLatin1(), u"intruso"_s, u"chute"_s)
                         .reply.toString(),
                     u"Usuário ou senha inválidos."_s);
        // Other users, so that only the address can make them wait.
        QCOMPARE(login(guesser, "10.9.9.9", u"outro"_s, u"outra"_s).status, 429);
        const RawAnswer elsewhere = login(victim, {}, u"outro"_s, u"outra"_s);
        QCOMPARE(elsewhere.reply.toString(), u"Usuário ou senha inválidos."_s);
    }

    void healthSaysWhetherTheDatabaseAnswers()
    {
        TestDatabase &shared = *m_db;
        // A database of its own, which the test can make unreachable without disturbing others.
        const QString base = qEnvironmentVariable("CTE_TEST_PG");
        const QString name = u"health_"_s + QUuid::createUuid().toString(QUuid::Id128).left(12);
        QSqlDatabase admin = OpenConnection(base, u"cluster-admin"_s);
        QVERIFY(QSqlQuery(admin).exec(u"CREATE DATABASE %1"_s.arg(name)));
        const QString own = base.section(u'/', 0, -2) + u'/' + name;
        {
            ServerProcess server(own), healthy(shared.connectionString());
            QVERIFY(server.port() > 0 && healthy.port() > 0);
            ProxyProcess proxy({server.port(), healthy.port()});
            QVERIFY2(proxy.port() > 0, qPrintable(proxy.log()));

            auto [status, body] = rawGet(server.port(), u"/health"_s);
            QCOMPARE(status, 200);
            QCOMPARE(body, QByteArray("{\"database\":\"ok\"}"));
            QVERIFY(proxy.waitForServerState(0, u"UP"_s));

            // No connection to it is allowed any more, and the server's own is cut.
            QVERIFY(QSqlQuery(admin).exec(
                u"ALTER DATABASE %1 WITH ALLOW_CONNECTIONS false"_s.arg(name)));
            QVERIFY(QSqlQuery(admin).exec(u"SELECT pg_terminate_backend(pid) FROM "
                                          "pg_stat_activity WHERE datname = '%1'"_s.arg(name)));
            std::tie(status, body) = rawGet(server.port(), u"/health"_s);
            QCOMPARE(status, 503);
            QVERIFY2(body.startsWith("{\"database\":\"") && !body.contains("\"ok\""),
                     body.constData());
            QVERIFY(proxy.waitForServerState(0, u"DOWN"_s));
            // Calls through the proxy go to the server that can work.
            for (int i = 0; i < 4; ++i)
                QVERIFY(!testerLogin(proxy.port()).isEmpty());

            // Back: the server connects again by itself.
            QVERIFY(QSqlQuery(admin).exec(
                u"ALTER DATABASE %1 WITH ALLOW_CONNECTIONS true"_s.arg(name)));
            std::tie(status, body) = rawGet(server.port(), u"/health"_s);
            QCOMPARE(status, 200);
            QVERIFY(proxy.waitForServerState(0, u"UP"_s));
        }
        QSqlQuery(admin).exec(u"DROP DATABASE %1 WITH (FORCE)"_s.arg(name));
    }
};

QTEST_GUILESS_MAIN(TestCluster)
#include "tst_cluster.moc"
