#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// The HTTP side of the server. One network thread holds every client connection and reads
// requests without blocking; a complete request goes to the worker pool, whose threads each own
// one database connection. An idle keep-alive connection or one sending its header slowly costs
// a socket, never a worker, and is closed when its time is up.
struct HttpLimits
{
    std::size_t headerBytes = 16 * 1024;
    // Body of a request that has not shown a valid session (a login is small).
    std::size_t anonymousBodyBytes = 64 * 1024;
    // Body of a request whose session was checked before its body was read.
    std::size_t sessionBodyBytes = 64 * 1024 * 1024;
    int idleSeconds = 60; // a keep-alive connection waiting for its next request
    int headerSeconds = 10; // from the first byte of a request to the end of its header
    int bodySeconds = 120;
    int writeSeconds = 120;
    int maxConnections = 4000;
    // Connections from one address (trusted proxies aside): one client cannot take every
    // connection for itself.
    int maxPerAddress = 256;
    // Above this share of maxConnections a keep-alive connection waits for its next request
    // only shortIdleSeconds; when all are taken, the connection idle longest makes room.
    int shortIdleSeconds = 5;
    std::size_t maxQueued = 4000; // requests waiting for a worker; beyond it: 503
};

struct HttpRequest
{
    QByteArray method;
    QByteArray target; // as sent
    QByteArray path; // the target without its query
    QString peer; // the client's address
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    std::size_t bodyLimit = 0; // the body limit in force
    QString user; // set by the session check
    qint64 statements = 0; // sent to the database for it so far

    // The value of a header (case-insensitive name); empty when absent.
    QByteArray header(const char *name) const;
};

struct HttpResponse
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json; charset=utf-8";
    QList<std::pair<QByteArray, QByteArray>> headers;
    bool close = false; // close the connection after answering
};

// What answers a method and path. Routes are tried in the order they were added.
struct HttpRoute
{
    QByteArray method;
    QByteArray path; // exact, or every path below it when it ends in '/'
    QByteArray contentType; // the body's required media type; empty: any
    // Check the session (on a worker) before reading the body, which may then be as large as
    // the session limit; otherwise the body is held to the anonymous limit.
    bool sessionFirst = false;
    // Runs on a worker thread.
    std::function<HttpResponse(HttpRequest &)> answer;
};

// An IP address as the server writes a client's ("127.0.0.1", "::1"); empty when `text` is not
// one.
QString normalAddress(const QString &text);

class HttpFront
{
public:
    // The session check of sessionFirst routes, on a worker: a refusal, or nothing with
    // request.user set.
    using SessionCheck = std::function<std::optional<HttpResponse>(HttpRequest &)>;
    // The answers the front gives by itself (400, 404, 405, 413, 415, 431, 503), with the
    // request as far as it was read.
    using Refusal = std::function<HttpResponse(int status, const HttpRequest &)>;

    HttpFront(const HttpLimits &limits, int workers);
    ~HttpFront();

    void addRoute(HttpRoute route);
    void setSessionCheck(SessionCheck check);
    void setRefusal(Refusal refusal);
    // Addresses of proxies in front of the server: a request from one of them is taken to come
    // from the client address the proxy appended to X-Forwarded-For. Anyone else's header is
    // ignored, so a client cannot pass for another address.
    void setTrustedProxies(const QStringList &addresses);

    // Listens on host:port (0: any free port). The port bound, or -1 with `error` set; a port in
    // use by another process is an error (the socket is never shared).
    int bind(const QString &host, int port, QString *error);
    // Serves in the calling thread until stop().
    bool serve();
    // From any thread.
    void stop();

    const HttpLimits &limits() const;
    int workers() const;

private:
    struct Impl;
    class Connection;
    std::unique_ptr<Impl> d;
};
