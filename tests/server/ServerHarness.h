#pragma once

#include "DataPacket.h"

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkRequest>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <optional>

// A database made for one test run: a fresh SQLite file, or a fresh schema in the throwaway
// PostgreSQL cluster (CTE_TEST_PG) when the test runs with CTE_TEST_BACKEND=pg. Holds the host's
// demo data, the server's tables and demo data, and the user "tester".
class TestDatabase
{
public:
    TestDatabase();
    ~TestDatabase();

    static bool usePostgres();
    QString connectionString() const { return m_connection; }
    // A connection of the test process itself, for looking behind the server's back.
    QSqlDatabase db() const;
    static QString password() { return QStringLiteral("senha-de-teste-1"); }

private:
    QTemporaryDir m_dir;
    QString m_connection;
    QString m_schema;
};

// A cte-server process on a free loopback port.
class ServerProcess
{
public:
    explicit ServerProcess(const QString &connectionString, const QStringList &extraArgs = {},
                           const QProcessEnvironment &extraEnv = {});
    ~ServerProcess();

    int port() const { return m_port; }
    // Blocks until a log line containing `text` has been written (or the process ended).
    bool waitForLog(const QString &text);
    // Everything the server has written so far.
    QString log()
    {
        readOutput();
        return QString::fromUtf8(m_log);
    }
    bool running() const { return m_process->state() != QProcess::NotRunning; }
    void kill();

private:
    void readOutput();
    std::unique_ptr<QProcess> m_process;
    QByteArray m_log;
    int m_port = -1;
};

// HAProxy on a free loopback port in front of servers on `serverPorts`, set up as docs/deploy.md
// describes (health checks on GET /health, a call whose server died retried on another one),
// but checking every 200 ms so that the tests need not wait long.
class ProxyProcess
{
public:
    explicit ProxyProcess(const QList<int> &serverPorts);
    ~ProxyProcess();

    // -1 when HAProxy did not start (its output is in log()).
    int port() const { return m_port; }
    QString log();
    // What HAProxy says of server `index` (0-based): "UP", "DOWN", "no check"… (stats socket).
    QString serverState(int index);
    // Blocks until server `index` is in `state` (false if HAProxy ended first or it never got
    // there within a minute).
    bool waitForServerState(int index, const QString &state);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = -1;
};

// A free TCP port on the loopback address (free when asked; the caller binds it soon after).
int freeLoopbackPort();

// The HTTP request of a call to `operation` on the server at `port`, in `token`'s session.
QNetworkRequest callRequest(int port, const QString &operation, const QString &token = {});

// Raw HTTP posts, for what a well-behaved client never sends.
struct RawAnswer
{
    int status = 0;
    QByteArray body;
    QVariant reply; // the decoded reply
};
RawAnswer rawPost(int port, const QString &operation, const QByteArray &body,
                  const QString &token = {});

// One HTTP/1.1 connection driven by hand, for what a well-behaved client hides: which
// connection carries a call, requests sent in pieces or never finished, the client's address.
class RawConnection
{
public:
    explicit RawConnection(int port, const QHostAddress &from = {});
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void send(const QByteArray &bytes);
    // Sends one call with a Content-Length body (or a chunked one) and reads its answer.
    RawAnswer call(const QString &operation, const QByteArray &body, const QString &token = {},
                   bool chunked = false);
    static QByteArray request(const QString &operation, const QByteArray &body,
                              const QString &token = {}, bool chunked = false,
                              const QByteArray &contentType = "application/json");
    // Reads one answer; status 0 when the server closed the connection instead.
    RawAnswer readAnswer();
    // Reads until the server closes the connection; false if it answered something instead.
    bool waitForClose();

private:
    bool fill();
    QTcpSocket m_socket;
    QByteArray m_pending;
};

// GET `path`: the status (0 when nothing answered) and the body.
std::pair<int, QByteArray> rawGet(int port, const QString &path);
QString rawLogin(int port, const QString &user, const QString &password);
// The session token of the test database's user "tester".
QString testerLogin(int port);

// Several calls in flight at once; the replies in the order of the calls.
QList<QVariant> concurrentCalls(const QList<std::tuple<int, QString, QString, QByteArray>> &calls);

// Builders of the editor's deltas.
contracts::Delta insertDelta(const QList<contracts::FieldDef> &fields,
                             const QList<QHash<QString, QVariant>> &rows);
contracts::Delta updateDelta(const contracts::DataPacket &packet, int row,
                             const QHash<QString, QVariant> &changes);
contracts::Delta deleteDelta(const contracts::DataPacket &packet, int row);
// A new document of company 01, series 1, with sensible values.
QHash<QString, QVariant> newDocumentValues();
// The six deltas of a save and its request identifier (a new one unless given).
QVariantList saveArgs(const QList<std::optional<contracts::Delta>> &deltas,
                      const QString &request = {});
// The 21 list-load arguments: company 01's only registration, the last 30 days, everything;
// `overrides` replaces arguments by their index.
QVariantList listSelection(const QHash<int, QVariant> &overrides = {});
// The first column of the first row `sql` returns, as a number (-1 when there is none).
int countOf(const QSqlDatabase &db, const QString &sql);
