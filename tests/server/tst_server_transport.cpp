// The application server as a network service: many connections at once, idle and half-sent
// requests, oversized bodies, its port and its database at start, its log, password guessing.
// A real cte-server process on a loopback port, over a database made for the run.
#include "CTeRecord.h"
#include "RpcProtocol.h"
#include "ServerHarness.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

QString serverProgram()
{
    return qEnvironmentVariable("CTE_BINARY_DIR") + u"/server/cte-server"_s;
}

struct Finished
{
    QProcess::ExitStatus status;
    int code;
    QString output;
};

// Runs cte-server to its end (for what must stop it at start).
Finished runServer(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(serverProgram(), args);
    p.waitForFinished(-1);
    return {p.exitStatus(), p.exitCode(), QString::fromUtf8(p.readAll())};
}

QByteArray listCompValor()
{
    return contracts::encodeCall({u"3"_s, QString()});
}

bool succeeded(const RawAnswer &a)
{
    return a.status == 200 && a.reply.toList().value(0).toString() == u"S"_s;
}

// The largest call the editor makes: the transmission of a list of 50 documents, every text at
// its full width, with their child rows as packets of their own (4 taxes, 10 components, 20
// invoices, 5 cargo quantities and 5 observations each).
QByteArray fiftyDocumentsCall()
{
    using contracts::FieldDef;
    auto packet = [](const QList<FieldDef> &fields, int rows) {
        contracts::DataPacket p;
        p.fields = fields;
        for (int r = 0; r < rows; ++r) {
            contracts::Row row;
            for (const FieldDef &f : fields) {
                if (f.type == contracts::FieldType::DateTime)
                    row.append(QDateTime(QDate(2026, 12, 7), QTime(10, 15)));
                else if (f.type == contracts::FieldType::Float
                         || f.type == contracts::FieldType::Integer)
                    row.append(12345678.25 + r);
                else
                    row.append(QString(f.type == contracts::FieldType::Memo ? 500 : f.size, u'Ç'));
            }
            p.rows.append(row);
        }
        return QVariant::fromValue(p);
    };
    namespace cte = contracts::cte;
    return contracts::encodeCall(
        {packet(cte::documentFields(), 50), u"01"_s, QString(), packet(cte::taxFields(), 200),
         packet(cte::valueComponentFields(), 500), packet(cte::fiscalDocumentFields(), 1000),
         packet(cte::cargoQuantityFields(), 250), packet(cte::additionalDataFields(), 250)});
}

} // namespace

class TestServerTransport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;

    // The servers count failed logins in the database: each case starts from none.
    void forgetFailedLogins()
    {
        for (const QString &table : {u"SRVFALHALOGIN"_s, u"SRVLOGINCONHECIDO"_s}) {
            QSqlQuery q(m_db->db());
            QVERIFY2(q.exec(u"DELETE FROM "_s + table), qPrintable(q.lastError().text()));
        }
    }

private slots:
    void initTestCase()
    {
        try {
            m_db = std::make_unique<TestDatabase>();
        } catch (const std::exception &e) {
            QFAIL(e.what());
        }
    }

    void cleanupTestCase() { m_db.reset(); }

    // More keep-alive clients than workers, each calling again on its own connection: every
    // call is answered and no connection is dropped to make room for another.
    void keepAliveClientsOutnumberingWorkersAreAllServed()
    {
        ServerProcess server(m_db->connectionString(), {u"--threads"_s, u"2"_s});
        QVERIFY2(server.port() > 0, qPrintable(server.log()));
        const QString token = testerLogin(server.port());
        QVERIFY(!token.isEmpty());
        std::vector<std::unique_ptr<RawConnection>> clients;
        for (int i = 0; i < 24; ++i)
            clients.push_back(std::make_unique<RawConnection>(server.port()));
        for (int round = 0; round < 3; ++round) {
            for (auto &c : clients)
                c->send(RawConnection::request(u"GetCompValorPrest"_s, listCompValor(), token));
            for (size_t i = 0; i < clients.size(); ++i) {
                const RawAnswer a = clients[i]->readAnswer();
                QVERIFY2(succeeded(a),
                         qPrintable(
                             u"round %1, client %2: status %3"_s.arg(round).arg(i).arg(a.status)));
            }
        }
        for (auto &c : clients)
            QVERIFY(c->connected());
    }

    // Connections that send nothing, or stop in the middle of their header, do not keep a call
    // on another connection waiting, and are not closed to serve it.
    void idleAndHalfSentRequestsHoldNoWorker()
    {
        ServerProcess server(m_db->connectionString(), {u"--threads"_s, u"2"_s});
        const QString token = testerLogin(server.port());
        std::vector<std::unique_ptr<RawConnection>> idle;
        std::vector<std::unique_ptr<RawConnection>> halfSent;
        for (int i = 0; i < 6; ++i) {
            idle.push_back(std::make_unique<RawConnection>(server.port()));
            halfSent.push_back(std::make_unique<RawConnection>(server.port()));
            halfSent.back()->send("POST /rdmCTe/GetCompValorPrest HTTP/1.1\r\nHost: 127.0.0.1\r\n");
        }
        // Kept alive after a first call, then silent.
        auto &used = idle.front();
        QVERIFY(succeeded(used->call(u"GetCompValorPrest"_s, listCompValor(), token)));

        RawConnection late(server.port());
        QVERIFY(succeeded(late.call(u"GetCompValorPrest"_s, listCompValor(), token)));
        for (auto &c : idle)
            QVERIFY(c->connected());
        for (auto &c : halfSent)
            QVERIFY(c->connected());
        QVERIFY(succeeded(used->call(u"GetCompValorPrest"_s, listCompValor(), token)));
    }

    // A header sent a byte at a time is cut off when the header's time is up, however steadily
    // the bytes come.
    void slowHeadersAreCutOff()
    {
        ServerProcess server(m_db->connectionString(), {u"--header-timeout"_s, u"1"_s});
        RawConnection slow(server.port());
        slow.send("POST /rdmCTe/Login HTTP/1.1\r\n");
        int sent = 0;
        for (; sent < 200 && slow.connected(); ++sent) {
            slow.send("X");
            QTest::qWait(50);
        }
        QVERIFY2(!slow.connected(), "a header trickled for 10 s was still being read");
        QVERIFY(server.waitForLog(u"closed=\"header not complete in time\""_s));
        // Nothing else was disturbed.
        QVERIFY(!testerLogin(server.port()).isEmpty());
    }

    void bodiesAreLimitedBeforeTheyAreRead_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("session"); // none, forged, valid
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("chunked");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        const QString anonymous = u"sem uma sessão válida o corpo não pode exceder 16384 bytes"_s;
        const QString limit = u"o corpo excede o limite de 200000 bytes"_s;
        QTest::newRow("login, declared large")
            << u"Login"_s << u"none"_s << 1000000 << false << 413 << anonymous;
        QTest::newRow("login, chunked")
            << u"Login"_s << u"none"_s << 1000000 << true << 413 << anonymous;
        QTest::newRow("call with a forged session")
            << u"GetCliente"_s << u"forged"_s << 1000000 << false << 401 << u"Sessão inválida"_s;
        QTest::newRow("call without a session")
            << u"GetCliente"_s << u"none"_s << 1000000 << true << 401 << u"Chamada sem sessão"_s;
        QTest::newRow("session, declared over the limit")
            << u"GetCliente"_s << u"valid"_s << 300000 << false << 413 << limit;
        QTest::newRow("session, chunked over the limit")
            << u"GetCliente"_s << u"valid"_s << 300000 << true << 413 << limit;
        QTest::newRow("session, chunked within the limit")
            << u"GetCliente"_s << u"valid"_s << 150000 << true << 200 << u"S"_s;
    }
    void bodiesAreLimitedBeforeTheyAreRead()
    {
        QFETCH(QString, operation);
        QFETCH(QString, session);
        QFETCH(int, bytes);
        QFETCH(bool, chunked);
        QFETCH(int, status);
        QFETCH(QString, text);
        ServerProcess server(m_db->connectionString(), {u"--max-body"_s, u"200000"_s});
        QString token;
        if (session == u"valid")
            token = testerLogin(server.port());
        else if (session == u"forged")
            token = QString(64, u'a');
        // A well-formed call padded with blanks to the size wanted.
        QByteArray body = operation == u"Login"
            ? contracts::encodeCall({u"tester"_s, TestDatabase::password()})
            : contracts::encodeCall({u"101"_s, QString()});
        body.append(QByteArray(bytes - body.size(), ' '));
        RawConnection c(server.port());
        const RawAnswer a = c.call(operation, body, token, chunked);
        QCOMPARE(a.status, status);
        const QString reply
            = status == 200 ? a.reply.toList().value(0).toString() : a.reply.toString();
        QVERIFY2(reply.contains(text), qPrintable(reply));
        QVERIFY(succeeded(
            RawConnection(server.port())
                .call(u"GetCompValorPrest"_s, listCompValor(), testerLogin(server.port()))));
    }

    void requestsOfTheWrongShapeAreNamed_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("text body")
            << RawConnection::request(u"Login"_s, "[]", {}, false, "text/plain") << 415
            << u"tipo de conteúdo \"text/plain\" não aceito"_s;
        QTest::newRow("no content type") << RawConnection::request(u"Login"_s, "[]", {}, false, {})
                                         << 415 << u"tipo de conteúdo \"\" não aceito"_s;
        QTest::newRow("form body") << RawConnection::request(u"GetCliente"_s, "a=1", {}, false,
                                                             "application/x-www-form-urlencoded")
                                   << 415 << u"application/x-www-form-urlencoded"_s;
        QTest::newRow("other path") << QByteArray("GET /admin HTTP/1.1\r\nHost: x\r\n\r\n") << 404
                                    << u"Endereço \"/admin\" desconhecido"_s;
        QTest::newRow("GET of a call")
            << QByteArray("GET /rdmCTe/Login HTTP/1.1\r\nHost: x\r\n\r\n") << 405
            << u"Endereço \"/rdmCTe/Login\""_s;
        QTest::newRow("huge header") << QByteArray(
            "POST /rdmCTe/Login HTTP/1.1\r\nX-Big: " + QByteArray(40000, 'a') + "\r\n\r\n")
                                     << 431 << u"cabeçalhos excedem"_s;
    }
    void requestsOfTheWrongShapeAreNamed()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QString, text);
        ServerProcess server(m_db->connectionString());
        RawConnection c(server.port());
        c.send(request);
        const RawAnswer a = c.readAnswer();
        QCOMPARE(a.status, status);
        QVERIFY2(a.reply.toString().contains(text), qPrintable(a.reply.toString()));
    }

    void portInUseOrInvalidIsRefused_data()
    {
        QTest::addColumn<QString>("port"); // "busy": the port of a running server
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("text");
        QTest::newRow("in use") << u"busy"_s << 1 << u"Não foi possível escutar em 127.0.0.1:"_s;
        QTest::newRow("not a number") << u"abc"_s << 2 << u"Valor inválido para --port: \"abc\""_s;
        QTest::newRow("too large") << u"99999"_s << 2 << u"Valor inválido para --port: \"99999\""_s;
        QTest::newRow("negative") << u"-1"_s << 2 << u"Valor inválido para --port: \"-1\""_s;
        QTest::newRow("empty") << QString() << 2 << u"Valor inválido para --port"_s;
    }
    void portInUseOrInvalidIsRefused()
    {
        QFETCH(QString, port);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        ServerProcess first(m_db->connectionString());
        QVERIFY(first.port() > 0);
        if (port == u"busy")
            port = QString::number(first.port());
        const Finished f = runServer({u"--db"_s, m_db->connectionString(), u"--port"_s, port});
        QCOMPARE(f.status, QProcess::NormalExit);
        QCOMPARE(f.code, exitCode);
        QVERIFY2(f.output.contains(text), qPrintable(f.output));
        // The first server still answers all the calls on its port.
        const QString token = testerLogin(first.port());
        for (int i = 0; i < 4; ++i)
            QVERIFY(
                succeeded(rawPost(first.port(), u"GetCompValorPrest"_s, listCompValor(), token)));
    }

    void databaseThatCannotBeOpenedStopsTheStart_data()
    {
        QTest::addColumn<QString>("database"); // DIR: a temporary folder
        QTest::addColumn<QString>("text");
        QTest::newRow("missing folder") << u"sqlite:DIR/nao/existe/cte.db"_s
                                        << u"O banco de dados DIR/nao/existe/cte.db não existe"_s;
        QTest::newRow("missing file")
            << u"sqlite:DIR/cte.db"_s << u"O banco de dados DIR/cte.db não existe"_s;
        QTest::newRow("a folder") << u"sqlite:DIR"_s
                                  << u"O caminho DIR do banco de dados não é um arquivo"_s;
        QTest::newRow("not a database")
            << u"sqlite:DIR/texto.db"_s << u"Não foi possível abrir o banco de dados"_s;
        QTest::newRow("postgresql not running") << u"postgresql://postgres@127.0.0.1:PORT/ctetest"_s
                                                << u"Não foi possível abrir o banco de dados"_s;
        QTest::newRow("not a connection string") << u"mysql://x/y"_s << u"mysql://x/y"_s;
    }
    void databaseThatCannotBeOpenedStopsTheStart()
    {
        QFETCH(QString, database);
        QFETCH(QString, text);
        QTemporaryDir dir;
        QFile junk(dir.filePath(u"texto.db"_s));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(8192, 'x'));
        junk.close();
        const QString port = QString::number(freeLoopbackPort());
        database.replace(u"DIR"_s, dir.path()).replace(u"PORT"_s, port);
        text.replace(u"DIR"_s, dir.path());
        const Finished f = runServer({u"--db"_s, database, u"--port"_s, u"0"_s});
        QCOMPARE(f.status, QProcess::NormalExit);
        QCOMPARE(f.code, 1);
        QVERIFY2(f.output.contains(text), qPrintable(f.output));
        QVERIFY(!QFile::exists(dir.filePath(u"cte.db"_s)));
    }

    void anEmptyDatabaseIsServedWithAWarning()
    {
        QTemporaryDir dir;
        QFile empty(dir.filePath(u"vazio.db"_s));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        ServerProcess server(u"sqlite:"_s + empty.fileName());
        QVERIFY2(server.port() > 0, qPrintable(server.log()));
        QVERIFY2(server.log().contains(u"o banco de dados não tem usuários"_s),
                 qPrintable(server.log()));
    }

    void logLinesCannotBeForged_data()
    {
        QTest::addColumn<QByteArray>("request"); // TOKEN: a valid session
        QTest::addColumn<QString>("escaped"); // what the log shows instead
        const QString forged = u"op=Login user=root session=- outcome=S"_s;
        const QVariantList situations = listSelection(
            {{1, QString()}, {5, QVariant()}, {6, QVariant()}, {7, u"_A_\n"_s + forged}});
        QTest::newRow("newline in an argument echoed by the reply") << RawConnection::request(
            u"GetDadosGerais"_s, contracts::encodeCall(situations), u"TOKEN"_s)
                                                                    << u"_A_\\n"_s + forged;
        QTest::newRow("carriage return and escape in an argument")
            << RawConnection::request(u"GetDadosGerais"_s, contracts::encodeCall([&] {
                                          QVariantList a = situations;
                                          a[7] = u"_A_\r\x1b[2K"_s + forged;
                                          return a;
                                      }()),
                                      u"TOKEN"_s)
            << u"_A_\\r\\x1b[2K"_s + forged;
        QTest::newRow("format sequences in the path")
            << QByteArray("POST /rdmCTe/Get%1%2%3 HTTP/1.1\r\nHost: x\r\nContent-Type: "
                          "application/json\r\nX-CTe-Session: TOKEN\r\nContent-Length: 2\r\n\r\n[]")
            << u"op=Get%1%2%3 "_s;
        QTest::newRow("fields in a user name") << RawConnection::request(
            u"Login"_s, contracts::encodeCall({u"x status=200 peer=10.9.9.9"_s, u"y"_s}))
                                               << u"user=\"x status=200 peer=10.9.9.9\" "_s;
        QTest::newRow("encoded newline in the path")
            << QByteArray("POST /nada%0Aop=Login%20user=root HTTP/1.1\r\nHost: x\r\n\r\n")
            << u"path=/nada%0Aop=Login%20user=root "_s;
    }
    void logLinesCannotBeForged()
    {
        QFETCH(QByteArray, request);
        QFETCH(QString, escaped);
        ServerProcess server(m_db->connectionString());
        const QString token = testerLogin(server.port());
        RawConnection c(server.port());
        c.send(request.replace("TOKEN", token.toLatin1()));
        QVERIFY(c.readAnswer().status > 0);
        QVERIFY(server.waitForLog(escaped));
        // Every line is the server's: a time stamp first, no control characters inside.
        static const QRegularExpression lineStart(u"^\\d{4}-\\d\\d-\\d\\dT"_s);
        const QStringList lines = server.log().split(u'\n', Qt::SkipEmptyParts);
        for (const QString &line : lines) {
            QVERIFY2(lineStart.match(line).hasMatch() || line.startsWith(u"cte-server: "_s),
                     qPrintable(line));
            for (const QChar ch : line)
                QVERIFY2(ch.unicode() >= 0x20 && ch.unicode() != 0x7f, qPrintable(line));
        }
    }

    // Guessing: from one address, after the free failures every attempt waits, the right
    // password included; the same user elsewhere waits too, but not at an address where it
    // logged in before; other users at the guessing address wait as well.
    void repeatedWrongPasswordsAreSlowedDown_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("status");
        QTest::newRow("guessing address, right password") << u"127.0.0.3"_s << u"tester"_s << 429;
        QTest::newRow("guessing address, other user") << u"127.0.0.3"_s << u"ninguem"_s << 429;
        QTest::newRow("new address, same user") << u"127.0.0.5"_s << u"tester"_s << 429;
        QTest::newRow("the user's own address") << u"127.0.0.4"_s << u"tester"_s << 200;
    }
    void repeatedWrongPasswordsAreSlowedDown()
    {
        QFETCH(QString, from);
        QFETCH(QString, user);
        QFETCH(int, status);
        ServerProcess server(m_db->connectionString(), {u"--login-delay-ms"_s, u"60000"_s});
        forgetFailedLogins();
        auto login = [&](const QString &address, const QString &name, const QString &password) {
            RawConnection c(server.port(), QHostAddress(address));
            return c.call(u"Login"_s, contracts::encodeCall({name, password}));
        };
        QVERIFY(succeeded(login(u"127.0.0.4"_s, u"tester"_s, TestDatabase::password())));
        for (int i = 0; i < 6; ++i) {
            const RawAnswer wrong = login(u"127.0.0.3"_s, u"tester"_s, u"chute-%1"_s.arg(i));
            QCOMPARE(wrong.reply.toString(), u"Usuário ou senha inválidos."_s);
        }
        const RawAnswer a = login(from, user, TestDatabase::password());
        QCOMPARE(a.status, status);
        if (status == 429)
            QVERIFY2(a.reply.toString().startsWith(u"Muitas tentativas de login sem sucesso"_s),
                     qPrintable(a.reply.toString()));
        else
            QVERIFY(succeeded(a));
    }

    // Behind a trusted proxy the client is the address the proxy appended to X-Forwarded-For:
    // one client's guessing does not make the office's other clients wait. From anyone else
    // the header is ignored, and what a client put before the proxy's entry proves nothing.
    void forwardedClientsBehindATrustedProxy_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QByteArray>("forwardedFor");
        QTest::addColumn<int>("status");
        QTest::newRow("another client") << true << QByteArray("10.0.0.2") << 200;
        QTest::newRow("the guessing client") << true << QByteArray("10.0.0.1") << 429;
        QTest::newRow("a forged entry before the proxy's")
            << true << QByteArray("10.0.0.2, 10.0.0.1") << 429;
        QTest::newRow("not a trusted proxy") << false << QByteArray("10.0.0.2") << 429;
    }
    void forwardedClientsBehindATrustedProxy()
    {
        QFETCH(bool, trusted);
        QFETCH(QByteArray, forwardedFor);
        QFETCH(int, status);
        const QHostAddress proxy(u"127.0.0.7"_s);
        QStringList args {u"--login-delay-ms"_s, u"60000"_s};
        if (trusted)
            args << u"--trusted-proxy"_s << proxy.toString();
        ServerProcess server(m_db->connectionString(), args);
        forgetFailedLogins();
        auto login = [&](const QByteArray &client, const QString &user, const QString &password) {
            QByteArray request
                = RawConnection::request(u"Login"_s, contracts::encodeCall({user, password}));
            request.replace("\r\n\r\n", "\r\nX-Forwarded-For: " + client + "\r\n\r\n");
            RawConnection c(server.port(), proxy);
            c.send(request);
            return c.readAnswer();
        };
        for (int i = 0; i < 6; ++i)
            QCOMPARE(login("10.0.0.1", u"ninguem"_s, u"chute-%1"_s.arg(i)).reply.toString(),
                     u"Usuário ou senha inválidos."_s);
        // Another user, so that only the address can make it wait.
        const RawAnswer last = login(forwardedFor, u"outro"_s, u"outra"_s);
        if (status == 429) {
            QCOMPARE(last.status, 429);
        } else {
            QVERIFY(last.status != 429);
            QCOMPARE(last.reply.toString(), u"Usuário ou senha inválidos."_s);
        }
    }

    // Hostile clients, each a script of raw connections against a server of its own; what the
    // script saw is compared as one line of text.
    void hostileClients_data()
    {
        QTest::addColumn<QStringList>("serverArgs");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("seen");
        QTest::newRow("idle connections from one address past its cap")
            << QStringList {u"--max-connections-per-address"_s, u"20"_s} << u"idle flood"_s
            << u"over the cap: 503; another address: 200"_s;
        QTest::newRow("idle connections filling the server")
            << QStringList {u"--max-connections"_s, u"30"_s, u"--max-connections-per-address"_s,
                            u"15"_s}
            << u"fill"_s << u"newcomer: 200; longest idle: closed"_s;
        QTest::newRow("half headers closed by their clients")
            << QStringList() << u"half headers"_s << u"logged as requests: 0; next call: 200"_s;
        QTest::newRow("more connections than the usual open-file limit")
            << QStringList() << u"few files"_s
            << u"limit raised: yes; a call after 300 idle: 200"_s;
        QTest::newRow("40 guesses at once") << QStringList {u"--login-delay-ms"_s, u"60000"_s}
                                            << u"parallel guesses"_s << u"passwords checked: 6"_s;
        QTest::newRow("a body of nested empty lists")
            << QStringList() << u"empty lists"_s << u"413: valores demais"_s;
        QTest::newRow("a 60 MB body") << QStringList() << u"60 MB"_s << u"413: excede o limite"_s;
        QTest::newRow("the largest real call")
            << QStringList() << u"fifty documents"_s << u"200: answered"_s;
    }
    void hostileClients()
    {
        QFETCH(QStringList, serverArgs);
        QFETCH(QString, script);
        QFETCH(QString, seen);
        forgetFailedLogins();
        // The usual soft limit, for the server started below; this process needs its own back.
        rlimit files {};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
        if (script == u"few files") {
            rlimit usual = files;
            usual.rlim_cur = std::min<rlim_t>(256, files.rlim_cur);
            QCOMPARE(setrlimit(RLIMIT_NOFILE, &usual), 0);
        }
        ServerProcess server(m_db->connectionString(), serverArgs);
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &files), 0);
        QVERIFY2(server.port() > 0, qPrintable(server.log()));
        const int port = server.port();
        auto call = [&](const QHostAddress &from) {
            return RawConnection(port, from)
                .call(u"GetCompValorPrest"_s, listCompValor(), testerLogin(port))
                .status;
        };
        auto refusal = [](const RawAnswer &a, const QString &text) {
            const QString reply = a.reply.toString();
            return u"%1: %2"_s.arg(a.status).arg(reply.contains(text) ? text : reply);
        };
        std::vector<std::unique_ptr<RawConnection>> held;
        auto hold = [&](int count, const QHostAddress &from) {
            for (int i = 0; i < count; ++i)
                held.push_back(std::make_unique<RawConnection>(port, from));
        };
        QString observed;
        if (script == u"idle flood") {
            hold(20, QHostAddress(u"127.0.0.11"_s));
            RawConnection over(port, QHostAddress(u"127.0.0.11"_s));
            observed = u"over the cap: %1; another address: %2"_s.arg(over.readAnswer().status)
                           .arg(call(QHostAddress(u"127.0.0.12"_s)));
        } else if (script == u"fill") {
            hold(15, QHostAddress(u"127.0.0.13"_s));
            hold(15, QHostAddress(u"127.0.0.14"_s));
            const int newcomer = call(QHostAddress(u"127.0.0.15"_s));
            observed = u"newcomer: %1; longest idle: %2"_s.arg(newcomer).arg(
                held.front()->waitForClose() ? u"closed"_s : u"open"_s);
        } else if (script == u"half headers") {
            for (int i = 0; i < 30; ++i)
                RawConnection(port).send("POST /rdmCTe/Login HTTP/1.1\r\nHost: x\r\n");
            const int next = call({});
            observed = u"logged as requests: %1; next call: %2"_s
                           .arg(server.log().count(u"status=400"_s))
                           .arg(next);
        } else if (script == u"few files") {
            static const QRegularExpression limit(u"open-files (\\d+)"_s);
            const bool raised = limit.match(server.log()).captured(1).toLongLong() > 256;
            hold(150, QHostAddress(u"127.0.0.17"_s));
            hold(150, QHostAddress(u"127.0.0.18"_s));
            observed
                = u"limit raised: %1; a call after 300 idle: %2"_s.arg(raised ? u"yes"_s : u"no"_s)
                      .arg(call({}));
        } else if (script == u"parallel guesses") {
            hold(40, QHostAddress(u"127.0.0.16"_s));
            for (auto &c : held)
                c->send(RawConnection::request(u"Login"_s,
                                               contracts::encodeCall({u"ninguem"_s, u"chute"_s})));
            int checked = 0;
            for (auto &c : held)
                checked += c->readAnswer().reply.toString() == u"Usuário ou senha inválidos."_s;
            observed = u"passwords checked: %1"_s.arg(checked);
        } else if (script == u"empty lists") {
            QByteArray body = "[" + QByteArray("[],").repeated(60000) + "\"\"]";
            observed = refusal(RawConnection(port).call(u"GetCliente"_s, body, testerLogin(port)),
                               u"valores demais"_s);
        } else if (script == u"60 MB") {
            RawConnection c(port);
            QByteArray head = RawConnection::request(u"GetCliente"_s, {}, testerLogin(port));
            head.replace("Content-Length: 0", "Content-Length: 62914560");
            c.send(head);
            observed = refusal(c.readAnswer(), u"excede o limite"_s);
        } else if (script == u"fifty documents") {
            const QByteArray body = fiftyDocumentsCall();
            qInfo("the largest real call: %lld bytes", qlonglong(body.size()));
            const RawAnswer a
                = RawConnection(port).call(u"TransmiteCTe"_s, body, testerLogin(port));
            observed = u"%1: %2"_s.arg(a.status).arg(a.reply.isValid() ? u"answered"_s : u"-"_s);
        }
        QCOMPARE(observed, seen);
    }

    void theWaitEnds()
    {
        ServerProcess server(m_db->connectionString(), {u"--login-delay-ms"_s, u"1000"_s});
        forgetFailedLogins();
        const QHostAddress from(u"127.0.0.6"_s);
        for (int i = 0; i < 6; ++i)
            RawConnection(server.port(), from)
                .call(u"Login"_s, contracts::encodeCall({u"tester"_s, u"chute"_s}));
        RawConnection early(server.port(), from);
        QCOMPARE(
            early.call(u"Login"_s, contracts::encodeCall({u"tester"_s, TestDatabase::password()}))
                .status,
            429);
        QTest::qWait(1100);
        RawConnection later(server.port(), from);
        QVERIFY(succeeded(later.call(
            u"Login"_s, contracts::encodeCall({u"tester"_s, TestDatabase::password()}))));
    }
};

QTEST_GUILESS_MAIN(TestServerTransport)
#include "tst_server_transport.moc"
