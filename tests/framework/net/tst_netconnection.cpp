// The connection component against a real cte-server, a silent listener and a closed port; and
// the command-line client built on it.
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "Field.h"
#include "NetConnection.h"
#include "Orvglob.h"
#include "ServerHarness.h"

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Runs `body` and returns the text of the framework error it raised (empty when none).
QString errorOf(const std::function<void()> &body)
{
    try {
        body();
    } catch (const EMensErro &e) {
        return e.text();
    }
    return {};
}

} // namespace

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

        const QVariant reply = net.AppServer(u"GetDadosGerais"_s,
                                             {u"01"_s,
                                              u"244187365112"_s,
                                              u"X"_s,
                                              QString(),
                                              QString(),
                                              QDate::currentDate().addDays(-30),
                                              QDate::currentDate(),
                                              u"_A_C_D_P_R_T_"_s,
                                              u"T"_s,
                                              u"X"_s,
                                              QString(),
                                              QString(),
                                              u"X"_s,
                                              QString(),
                                              QString(),
                                              u"X"_s,
                                              QString(),
                                              QString(),
                                              u"X"_s,
                                              QString(),
                                              QString()});
        QCOMPARE(reply.toList().value(0).toString(), u"S"_s);
        TClientDataSet cdsCTe;
        cdsCTe.SetData(reply.toList().at(1));
        QCOMPARE(cdsCTe.RecordCount(), 3);
        QVERIFY(cdsCTe.Locate(u"NRCTE"_s, u"000000002"_s));
        QCOMPARE(cdsCTe.FieldByName(u"IDSTATUSCTE"_s)->AsString(), u"P"_s);
        QCOMPARE(cdsCTe.FieldByName(u"CDEMPRESA"_s)->AsString(), u"01"_s);

        net.Disconnect();
        QVERIFY(!net.Connected());
        QVERIFY(errorOf([&] {
                    net.AppServer(u"GetCompValorPrest"_s, {u"1"_s, QString()});
                }).startsWith(u"Não há conexão com o servidor de aplicação 127.0.0.1:"_s));
    }

    void failuresNameTheServer_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("expectedStart");
        QTest::newRow("wrong password") << u"password"_s
                                        << u"O servidor de aplicação 127.0.0.1:%1 recusou o login: "
                                           "Usuário ou senha inválidos."_s;
        QTest::newRow("nobody listening") << u"closed"_s
                                          << u"Não foi possível comunicar com o servidor de "
                                             "aplicação 127.0.0.1:%1"_s;
        QTest::newRow("no answer in time") << u"silent"_s
                                           << u"O servidor de aplicação 127.0.0.1:%1 não respondeu "
                                              "em 1 segundos."_s;
    }
    void failuresNameTheServer()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, expectedStart);
        QTcpServer silent;
        QList<QTcpSocket *> held;
        int port = m_server->port();
        if (scenario == u"closed") {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        } else if (scenario == u"silent") {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            port = silent.serverPort();
            connect(&silent, &QTcpServer::newConnection, this,
                    [&] { held.append(silent.nextPendingConnection()); });
        }
        TNetConnection net;
        net.SetPort(port);
        net.SetTimeoutSeconds(1);
        // Timers keep firing while the caller waits: the window would keep repainting.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(50);
        const QString error = errorOf([&] {
            net.Connect(u"tester"_s,
                        scenario == u"password" ? u"errada"_s : TestDatabase::password());
        });
        QVERIFY2(error.startsWith(expectedStart.arg(port)), qPrintable(error));
        QVERIFY(!net.Connected());
        if (scenario == u"silent")
            QVERIFY(ticks >= 5);
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
        QTest::newRow("later operation")
            << u"GeraXML"_s << u"[null]"_s << TestDatabase::password() << 1 << u"não disponível"_s;
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
