#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

struct HttpRoute;

// The server's calls: POST /rdmCTe/<Operation>, sessions checked before a call's body is read,
// one log line per request. The network side is HttpFront (any number of client connections on
// one thread); the work runs on a pool of `threads` workers, each with its own database
// connection.
struct ServerOptions
{
    QString host = QStringLiteral("127.0.0.1");
    int port = 8850; // 0: any free port
    int threads = 8;
    qsizetype maxBodyBytes = 0; // 0: the protocol's limit
    int idleSeconds = 60;
    int headerSeconds = 10;
    int maxConnections = 4000;
    int maxPerAddress = 256; // trusted proxies aside
    qint64 loginDelayMs = 1000; // the first wait after the free failed logins; it doubles
    QStringList trustedProxies; // see HttpFront::setTrustedProxies
};

class RpcServer
{
public:
    explicit RpcServer(const ServerOptions &options);
    ~RpcServer();

    // Another path to answer (a route's `answer` runs on a worker, whose database connection is
    // workerDatabase()). Routes are tried in the order they were added, the calls' ones first.
    void addRoute(HttpRoute route);

    // Binds the address; the port actually bound, or -1 with `error` set.
    int bind(QString *error);
    // Serves until stop() is called.
    bool serve();
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
