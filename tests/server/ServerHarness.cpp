#include "ServerHarness.h"

#include "CTeRecord.h"
#include "ChildProcess.h"
#include "DbConnection.h"
#include "DemoData.h"
#include "HostDb.h"
#include "RpcProtocol.h"
#include "Schema.h"
#include "Sessions.h"
#include "SqlSupport.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QLocalSocket>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUuid>

using namespace Qt::StringLiterals;

bool TestDatabase::usePostgres()
{
    return qEnvironmentVariable("CTE_TEST_BACKEND") == u"pg";
}

TestDatabase::TestDatabase()
{
    if (usePostgres()) {
        const QString base = qEnvironmentVariable("CTE_TEST_PG");
        Q_ASSERT_X(!base.isEmpty(), "TestDatabase", "CTE_TEST_PG is not set");
        m_schema = u"srv_"_s + QUuid::createUuid().toString(QUuid::Id128).left(12);
        QSqlDatabase admin = OpenConnection(base, u"test-admin"_s);
        HostDb::CreatePgSchema(admin, m_schema);
        m_connection = base + u"?schema="_s + m_schema;
    } else {
        m_connection = u"sqlite:"_s + m_dir.filePath(u"cte.db"_s);
    }
    QSqlDatabase d = db();
    HostDb::CreateHostSchema(d);
    HostDb::LoadHostDemoData(d);
    setServerConnectionString(m_connection);
    schema::createOrUpgrade(d);
    demodata::load(d);
    sessions::createOrUpdateUser(d, u"tester"_s, password());
}

TestDatabase::~TestDatabase()
{
    if (!m_schema.isEmpty()) {
        QSqlDatabase admin = QSqlDatabase::database(u"test-admin"_s);
        QSqlQuery(admin).exec(u"DROP SCHEMA %1 CASCADE"_s.arg(m_schema));
    }
}

QSqlDatabase TestDatabase::db() const
{
    return OpenConnection(m_connection, u"test-db"_s);
}

ServerProcess::ServerProcess(const QString &connectionString, const QStringList &extraArgs,
                             const QProcessEnvironment &extraEnv)
    : m_process(std::make_unique<QProcess>())
{
    const QString program = qEnvironmentVariable("CTE_BINARY_DIR") + u"/server/cte-server"_s;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extraEnv);
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    EndWithTest(*m_process);
    m_process->start(program,
                     QStringList {u"--db"_s, connectionString, u"--port"_s, u"0"_s} + extraArgs);
    m_process->waitForStarted();
    if (waitForLog(u"listening on 127.0.0.1:"_s)) {
        static const QRegularExpression re(u"listening on 127\\.0\\.0\\.1:(\\d+)"_s);
        m_port = re.match(log()).captured(1).toInt();
    }
}

ServerProcess::~ServerProcess()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished())
            m_process->kill();
        m_process->waitForFinished();
    }
}

void ServerProcess::readOutput()
{
    m_log += m_process->readAll();
}

bool ServerProcess::waitForLog(const QString &text)
{
    readOutput();
    while (!log().contains(text)) {
        if (m_process->state() == QProcess::NotRunning)
            return false;
        m_process->waitForReadyRead(1000);
        readOutput();
    }
    return true;
}

void ServerProcess::kill()
{
    m_process->kill();
    m_process->waitForFinished();
    readOutput();
}

int freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

ProxyProcess::ProxyProcess(const QList<int> &serverPorts)
    : m_process(std::make_unique<QProcess>())
{
    const int port = freeLoopbackPort();
    QString servers;
    for (qsizetype i = 0; i < serverPorts.size(); ++i)
        servers += u"    server cte%1 127.0.0.1:%2 check\n"_s.arg(i).arg(serverPorts.at(i));
    QFile config(m_dir.filePath(u"haproxy.cfg"_s));
    config.open(QIODevice::WriteOnly);
    config.write(u"global\n"
                 "    maxconn 4000\n"
                 "    tune.bufsize 131072\n"
                 "    stats socket %1 mode 600 level admin\n"
                 "defaults\n"
                 "    mode http\n"
                 "    timeout connect 2s\n"
                 "    timeout http-request 10s\n"
                 "    timeout http-keep-alive 60s\n"
                 "    timeout client 30s\n"
                 "    timeout server 300s\n"
                 "    timeout check 2s\n"
                 "    retries 2\n"
                 "    option redispatch 1\n"
                 "    retry-on conn-failure empty-response\n"
                 "frontend cte\n"
                 "    bind 127.0.0.1:%2\n"
                 "    option forwardfor\n"
                 "    stick-table type ip size 100k expire 10m store conn_cur\n"
                 "    tcp-request connection track-sc0 src\n"
                 "    tcp-request connection reject if { sc0_conn_cur gt 100 }\n"
                 "    default_backend cte_servers\n"
                 "backend cte_servers\n"
                 "    balance roundrobin\n"
                 "    option httpchk\n"
                 "    http-check send meth GET uri /health ver HTTP/1.1 hdr Host cte\n"
                 "    http-check expect status 200\n"
                 "    default-server inter 200ms fall 1 rise 1 on-marked-down shutdown-sessions\n"
                 "%3"_s.arg(m_dir.filePath(u"admin.sock"_s))
                     .arg(port)
                     .arg(servers)
                     .toUtf8());
    config.close();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    EndWithTest(*m_process);
    m_process->start(u"haproxy"_s, {u"-db"_s, u"-f"_s, config.fileName()});
    if (!m_process->waitForStarted())
        return;
    // Up when it accepts connections.
    while (m_process->state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (probe.waitForConnected(200)) {
            m_port = port;
            return;
        }
        m_process->waitForFinished(100);
    }
}

ProxyProcess::~ProxyProcess()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished())
            m_process->kill();
        m_process->waitForFinished();
    }
}

QString ProxyProcess::log()
{
    return QString::fromUtf8(m_process->readAll());
}

QString ProxyProcess::serverState(int index)
{
    QLocalSocket socket;
    socket.connectToServer(m_dir.filePath(u"admin.sock"_s));
    if (!socket.waitForConnected())
        return {};
    socket.write("show stat\n");
    socket.waitForBytesWritten();
    QByteArray csv;
    while (socket.waitForReadyRead() || socket.bytesAvailable() > 0)
        csv += socket.readAll();
    // "# pxname,svname,…,status,…": the status column of backend cte_servers, server cteN.
    const QList<QByteArray> lines = csv.split('\n');
    if (lines.isEmpty())
        return {};
    const QList<QByteArray> header = lines.first().mid(2).split(',');
    const qsizetype statusColumn = header.indexOf("status");
    for (const QByteArray &line : lines) {
        const QList<QByteArray> cells = line.split(',');
        if (cells.size() > statusColumn && statusColumn >= 0 && cells.at(0) == "cte_servers"
            && cells.at(1) == "cte" + QByteArray::number(index))
            return QString::fromLatin1(cells.at(statusColumn));
    }
    return {};
}

bool ProxyProcess::waitForServerState(int index, const QString &state)
{
    // Checks run every 200 ms and one decides; a server that never gets there fails the caller
    // after a minute instead of hanging the suite.
    for (int polls = 0; polls < 600 && m_process->state() == QProcess::Running; ++polls) {
        if (serverState(index).startsWith(state))
            return true;
        m_process->waitForFinished(100);
    }
    return false;
}

namespace {
QNetworkAccessManager &manager()
{
    // Owned by the application, so it goes before the application does.
    static QNetworkAccessManager *m = new QNetworkAccessManager(QCoreApplication::instance());
    return *m;
}

} // namespace

QNetworkRequest callRequest(int port, const QString &operation, const QString &token)
{
    QNetworkRequest r(QUrl(u"http://127.0.0.1:%1/rdmCTe/%2"_s.arg(port).arg(operation)));
    r.setHeader(QNetworkRequest::ContentTypeHeader, u"application/json"_s);
    if (!token.isEmpty())
        r.setRawHeader(contracts::kSessionHeader, token.toLatin1());
    return r;
}

RawAnswer rawPost(int port, const QString &operation, const QByteArray &body, const QString &token)
{
    QNetworkReply *reply = manager().post(callRequest(port, operation, token), body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    RawAnswer a;
    a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    a.body = reply->readAll();
    QString error;
    a.reply = contracts::decodeReply(a.body, &error).value_or(QVariant());
    reply->deleteLater();
    return a;
}

RawConnection::RawConnection(int port, const QHostAddress &from)
{
    if (!from.isNull())
        m_socket.bind(from);
    m_socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    m_socket.waitForConnected(-1);
}

void RawConnection::send(const QByteArray &bytes)
{
    m_socket.write(bytes);
    while (m_socket.bytesToWrite() > 0 && m_socket.waitForBytesWritten(-1)) { }
}

QByteArray RawConnection::request(const QString &operation, const QByteArray &body,
                                  const QString &token, bool chunked, const QByteArray &contentType)
{
    QByteArray r = "POST /rdmCTe/" + operation.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!contentType.isEmpty())
        r += "Content-Type: " + contentType + "\r\n";
    if (!token.isEmpty())
        r += QByteArray(contracts::kSessionHeader) + ": " + token.toLatin1() + "\r\n";
    if (!chunked)
        return r + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    r += "Transfer-Encoding: chunked\r\n\r\n";
    for (qsizetype at = 0; at < body.size(); at += 65536) {
        const QByteArray piece = body.mid(at, 65536);
        r += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return r + "0\r\n\r\n";
}

RawAnswer RawConnection::call(const QString &operation, const QByteArray &body,
                              const QString &token, bool chunked)
{
    send(request(operation, body, token, chunked));
    return readAnswer();
}

bool RawConnection::fill()
{
    if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(-1))
        return false;
    m_pending += m_socket.readAll();
    return true;
}

RawAnswer RawConnection::readAnswer()
{
    RawAnswer a;
    qsizetype headerEnd = -1;
    while ((headerEnd = m_pending.indexOf("\r\n\r\n")) < 0) {
        if (!fill())
            return a;
    }
    const QList<QByteArray> lines = m_pending.left(headerEnd).split('\n');
    a.status = lines.value(0).split(' ').value(1).toInt();
    qsizetype length = 0;
    for (const QByteArray &line : lines) {
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    }
    while (m_pending.size() < headerEnd + 4 + length) {
        if (!fill())
            break;
    }
    a.body = m_pending.mid(headerEnd + 4, length);
    m_pending.remove(0, headerEnd + 4 + length);
    QString error;
    a.reply = contracts::decodeReply(a.body, &error).value_or(QVariant());
    return a;
}

bool RawConnection::waitForClose()
{
    while (fill()) {
        if (m_pending.startsWith("HTTP/"))
            return false;
    }
    return true;
}

std::pair<int, QByteArray> rawGet(int port, const QString &path)
{
    QNetworkReply *reply
        = manager().get(QNetworkRequest(QUrl(u"http://127.0.0.1:%1%2"_s.arg(port).arg(path))));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return {status, body};
}

QString testerLogin(int port)
{
    return rawLogin(port, u"tester"_s, TestDatabase::password());
}

QString rawLogin(int port, const QString &user, const QString &password)
{
    const RawAnswer a = rawPost(port, u"Login"_s, contracts::encodeCall({user, password}));
    return a.reply.toList().value(1).toString();
}

QList<QVariant> concurrentCalls(const QList<std::tuple<int, QString, QString, QByteArray>> &calls)
{
    QList<QNetworkReply *> replies;
    int pending = int(calls.size());
    QEventLoop loop;
    for (const auto &[port, operation, token, body] : calls) {
        QNetworkReply *reply = manager().post(callRequest(port, operation, token), body);
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&] {
            if (--pending == 0)
                loop.quit();
        });
        replies.append(reply);
    }
    if (pending > 0)
        loop.exec();
    QList<QVariant> out;
    for (QNetworkReply *reply : replies) {
        QString error;
        out.append(contracts::decodeReply(reply->readAll(), &error).value_or(QVariant()));
        reply->deleteLater();
    }
    return out;
}

contracts::Delta insertDelta(const QList<contracts::FieldDef> &fields,
                             const QList<QHash<QString, QVariant>> &rows)
{
    contracts::Delta d;
    d.fields = fields;
    for (const auto &values : rows) {
        contracts::Row row;
        for (const contracts::FieldDef &f : fields)
            row.append(values.value(f.name));
        d.changes.append({contracts::Change::Kind::Insert, {}, row});
    }
    return d;
}

contracts::Delta updateDelta(const contracts::DataPacket &packet, int row,
                             const QHash<QString, QVariant> &changes)
{
    contracts::Delta d;
    d.fields = packet.fields;
    contracts::Row after = packet.rows.at(row);
    for (auto it = changes.begin(); it != changes.end(); ++it)
        after[packet.indexOf(it.key())] = it.value();
    d.changes.append({contracts::Change::Kind::Update, packet.rows.at(row), after});
    return d;
}

contracts::Delta deleteDelta(const contracts::DataPacket &packet, int row)
{
    contracts::Delta d;
    d.fields = packet.fields;
    d.changes.append({contracts::Change::Kind::Delete, packet.rows.at(row), {}});
    return d;
}

QHash<QString, QVariant> newDocumentValues()
{
    return {
        {u"IDCHECK"_s, u"N"_s},
        {u"CDCTE"_s, 0.0},
        {u"CDEMPRESA"_s, u"01"_s},
        {u"CDSERIECTE"_s, u"1"_s},
        {u"CDMODDOCFISC"_s, u"57"_s},
        {u"IDSTATUSCTE"_s, u"P"_s},
        {u"DTEMISSAO"_s, QDateTime(QDate::currentDate(), QTime(14, 5))},
        {u"IDMODAL"_s, u"01"_s},
        {u"IDCADREMETENTE"_s, u"C"_s},
        {u"CDREMETENTECLI"_s, u"103"_s},
        {u"NRINSJURREME"_s, u"38104726000147"_s},
        {u"IDTPIJURREME"_s, u"J"_s},
        {u"IDCADEXPEDIDOR"_s, u"N"_s},
        {u"IDCADRECEBEDOR"_s, u"N"_s},
        {u"IDCADDESTINATA"_s, u"F"_s},
        {u"CDDESTINATAFOR"_s, u"206"_s},
        {u"NRINSJURDEST"_s, u"23478156000188"_s},
        {u"IDTPIJURDEST"_s, u"J"_s},
        {u"IDTOMADOR"_s, u"0"_s},
        {u"IDCADTOMADOR"_s, u"C"_s},
        {u"CDTOMADORCLI"_s, u"103"_s},
        {u"NRINSJURTOMA"_s, u"38104726000147"_s},
        {u"IDTPIJURTOMA"_s, u"J"_s},
        {u"NRINSJUREMIT"_s, u"18462731000114"_s},
        {u"IDTPIJUREMIT"_s, u"J"_s},
        {u"NRINSESTEMIT"_s, u"244187365112"_s},
        {u"IDENTRSAIDOP"_s, u"S"_s},
        {u"CDTIPOOPER"_s, u"02"_s},
        {u"VRTOTAPRESTSERV"_s, 1234.56},
        {u"DSPRODPREDOMINA"_s, u"MOVEIS"_s},
    };
}

QVariantList saveArgs(const QList<std::optional<contracts::Delta>> &deltas, const QString &request)
{
    QVariantList a;
    for (int i = 0; i < 6; ++i) {
        const auto &d = deltas.value(i);
        a << (d ? QVariant::fromValue(*d) : QVariant());
    }
    a << (request.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : request);
    return a;
}

QVariantList listSelection(const QHash<int, QVariant> &overrides)
{
    QVariantList a {u"01"_s,
                    u"244187365112"_s,
                    u"X"_s,
                    QString(),
                    QString(),
                    QDate::currentDate().addDays(-30),
                    QDate::currentDate(),
                    u"_A_C_D_P_R_T_"_s,
                    u"T"_s};
    for (int i = 0; i < 4; ++i)
        a << u"X"_s << QString() << QString();
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        a[it.key()] = it.value();
    return a;
}

int countOf(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    q.exec(sql);
    return q.next() ? q.value(0).toInt() : -1;
}
