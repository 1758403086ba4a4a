#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The HTTP side of the server: POST /rdmCTe/<Operation> on a pool of worker threads, sessions
// checked on every call, one log line per request.
struct ServerOptions
{
    QString host = QStringLiteral("127.0.0.1");
    int port = 8850; // 0: any free port
    int threads = 8;
    qsizetype maxBodyBytes = 0; // 0: the protocol's limit
};

class RpcServer
{
public:
    explicit RpcServer(const ServerOptions &options);
    ~RpcServer();

    // Binds the address; the port actually bound, or -1 on failure.
    int bind();
    // Serves until stop() is called.
    bool serve();
    void stop();

    // What a call to `operation` with `body` and `token` answers, and the HTTP status that goes
    // with it. Public so that the dispatch can be reached without a socket.
    struct Answer
    {
        int status = 200;
        QByteArray body;
        QString outcome; // for the log: "S", or the error text
        QString user;
    };
    static Answer handle(const QString &operation, const QByteArray &body, const QString &token);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
