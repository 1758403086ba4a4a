// The connection component against a real cte-server, a silent listener and a closed port; and
// the command-line client built on it.
#include "ClientDataSet.h"
#include "ErrorOf.h"
#include "Exceptions.h"
#include "Field.h"
#include "NetConnection.h"
#include "Orvglob.h"
#include "ServerHarness.h"
#include "Sessions.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace { } // namespace

class TestNetConnection : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ServerProcess> m_server;

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_server = std::make_unique<ServerProcess>(m_db->connectionString());
        QVERIFY2(m_server->port() > 0, qPrintable(m_server->log()));
    }
    void cleanupTestCase()
    {
        m_server.reset();
        m_db.reset();
    }
    void init() { Orvglob::Reset(); }

    void connectsWithTheLoginValuesAndLoadsReplies()
    {
        Orvglob::UsuarioProc = u"tester"_s;
        Orvglob::SenhaProc = TestDatabase::password();
        TNetConnection net;
        QCOMPARE(net.objectName(), u"netCTe"_s);
        net.SetHost(u"127.0.0.1"_s);
        net.SetPort(m_server->port());
        QVERIFY(!net.Connected());
        net.Connect();
        QVERIFY(net.Connected());

        const QVariant reply = net.AppServer(u"GetDadosGerais"_s, listSelection());
        QCOMPARE(reply.toList().value(0).toString(), u"S"_s);
        TClientDataSet cdsCTe;
        cdsCTe.SetData(reply.toList().at(1));
        QCOMPARE(cdsCTe.RecordCount(),
                 6); // five demo documents and the complete one ready to transmit
        QVERIFY(cdsCTe.Locate(u"NRCTE"_s, u"000000002"_s));
        QCOMPARE(cdsCTe.FieldByName(u"IDSTATUSCTE"_s)->AsString(), u"P"_s);
        QCOMPARE(cdsCTe.FieldByName(u"CDEMPRESA"_s)->AsString(), u"01"_s);

        net.Disconnect();
        QVERIFY(!net.Connected());
    }

    // A call without a session, or with one the server refuses, logs in again once with the
    // values of the last login and is sent again; only a failed login reaches the caller.
    void callsLogInAgain_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("expectedError"); // empty: the call succeeds
        QTest::newRow("server down when connecting") << u"down"_s << QString();
        QTest::newRow("never connected") << u"never"_s << QString();
        QTest::newRow("disconnected") << u"disconnected"_s << QString();
        QTest::newRow("session ended by the server") << u"ended"_s << QString();
        QTest::newRow("session expired") << u"expired"_s << QString();
        QTest::newRow("session valid") << u"valid"_s << QString();
        QTest::newRow("login refused on the way back")
            << u"refused"_s << u"recusou o login: Usuário ou senha inválidos."_s;
    }
    void callsLogInAgain()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, expectedError);
        const QString user = u"volta_"_s + scenario;
        const QString password = u"senha-de-volta-1"_s;
        const QSqlDatabase db = m_db->db();
        sessions::createOrUpdateUser(db, user, password);
        Orvglob::UsuarioProc = user;
        Orvglob::SenhaProc = password;
        const auto run = [&](const QString &sql) {
            QSqlQuery q(db);
            q.prepare(sql);
            q.addBindValue(user);
            if (!q.exec())
                qFatal("%s", qPrintable(sql));
            return q.next() ? q.value(0).toInt() : 0;
        };

        TNetConnection net;
        net.SetHost(u"127.0.0.1"_s);
        if (scenario == u"down") {
            net.SetPort(freeLoopbackPort());
            QVERIFY(!errorOf([&] { net.Connect(); }).isEmpty());
            QVERIFY(!net.Connected());
        }
        net.SetPort(m_server->port());
        if (scenario != u"down" && scenario != u"never")
            net.Connect();
        if (scenario == u"disconnected")
            net.Disconnect();
        if (scenario == u"ended" || scenario == u"refused")
            run(u"DELETE FROM SRVSESSAO WHERE NMUSUARIO = ?"_s);
        if (scenario == u"expired")
            run(u"UPDATE SRVSESSAO SET DTEXPIRA = DTCRIACAO WHERE NMUSUARIO = ?"_s);
        if (scenario == u"refused")
            sessions::createOrUpdateUser(db, user, u"outra-senha-123"_s);

        QVariant reply;
        const QString error = errorOf([&] {
            reply = net.AppServer(u"GetCompValorPrest"_s, {u"3"_s, QString()});
        });
        if (expectedError.isEmpty()) {
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(reply.toList().value(0).toString(), u"S"_s);
            QVERIFY(net.Connected());
        } else {
            QVERIFY2(error.contains(expectedError), qPrintable(error));
            QVERIFY(!net.Connected());
        }
        // Exactly one live session: the one the call logged in with, or the one it kept.
        QCOMPARE(run(u"SELECT COUNT(*) FROM SRVSESSAO WHERE NMUSUARIO = ?"_s),
                 expectedError.isEmpty() ? 1 : 0);
    }

    // Only the server's own JSON is read as its answer: a proxy's error page (no server left
    // behind it) is a communication failure, and a page that claims success is unreadable.
    void foreignAnswers_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QString>("expectedError");
        QTest::newRow("proxy without servers")
            << QByteArray("HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/html\r\n"
                          "Content-Length: 21\r\nConnection: close\r\n\r\n<html>503 html</html>")
            << u"Não foi possível comunicar com o servidor de aplicação"_s;
        QTest::newRow("success that is not JSON")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                          "Content-Length: 13\r\nConnection: close\r\n\r\n<html></html>")
            << u"Resposta ilegível do servidor de aplicação"_s;
    }
    void foreignAnswers()
    {
        QFETCH(QByteArray, response);
        QFETCH(QString, expectedError);
        QTcpServer proxy;
        QVERIFY(proxy.listen(QHostAddress::LocalHost));
        connect(&proxy, &QTcpServer::newConnection, &proxy, [&] {
            QTcpSocket *socket = proxy.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket, response] {
                socket->readAll();
                socket->write(response);
                socket->disconnectFromHost();
            });
        });
        TNetConnection net;
        net.SetHost(u"127.0.0.1"_s);
        net.SetPort(proxy.serverPort());
        const QString error = errorOf([&] { net.Connect(u"tester"_s, u"x"_s); });
        QVERIFY2(error.startsWith(expectedError), qPrintable(error));
        QVERIFY(!net.Connected());
    }

    void commandLineClient_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("success") << u"GetCompValorPrest"_s << u"[\"3\", \"\"]"_s
                                 << TestDatabase::password() << 0 << u"PEDAGIO"_s;
        QTest::newRow("error reply") << u"GetCompValorPrest"_s << u"[3, \"\"]"_s
                                     << TestDatabase::password() << 1 << u"deve ser texto"_s;
        QTest::newRow("unknown operation")
            << u"GeraXml"_s << u"[null]"_s << TestDatabase::password() << 1 << u"não disponível"_s;
        QTest::newRow("wrong password") << u"GetCompValorPrest"_s << u"[\"3\", \"\"]"_s
                                        << u"errada"_s << 1 << u"recusou o login"_s;
        QTest::newRow("arguments not JSON")
            << u"GetCompValorPrest"_s << u"[3"_s << TestDatabase::password() << 2 << u"JSON"_s;
    }
    void commandLineClient()
    {
        QFETCH(QString, operation);
        QFETCH(QString, arguments);
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"senha"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(password.toUtf8() + "\n");
        file.close();
        QProcess p;
        p.start(qEnvironmentVariable("CTE_BINARY_DIR") + u"/server/cte-call"_s,
                {u"--server"_s, u"127.0.0.1:%1"_s.arg(m_server->port()), u"--user"_s, u"tester"_s,
                 u"--password-file"_s, file.fileName(), operation, arguments});
        QVERIFY(p.waitForFinished(-1));
        const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QCOMPARE(p.exitCode(), exitCode);
        QVERIFY2(out.contains(output), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestNetConnection)
#include "tst_netconnection.moc"
