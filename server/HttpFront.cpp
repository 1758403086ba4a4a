#include "HttpFront.h"

#include "LogText.h"
#include "WorkerPool.h"

#include <QDebug>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <chrono>
#include <limits>
#include <list>
#include <unordered_map>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using namespace Qt::StringLiterals;

namespace {

// The address a trusted proxy appended to X-Forwarded-For: the last entry of the last such
// line, since the proxy adds a line of its own after any the client sent, and entries before
// its own came from the client and prove nothing. `fallback` when there is none or it is not an
// address.
QString forwardedClient(const QList<std::pair<QByteArray, QByteArray>> &headers,
                        const QString &fallback)
{
    QByteArray last;
    for (const auto &[name, value] : headers) {
        if (name.compare("X-Forwarded-For", Qt::CaseInsensitive) == 0)
            last = value;
    }
    boost::system::error_code ec;
    const auto client = asio::ip::make_address(last.split(',').last().trimmed().toStdString(), ec);
    return ec ? fallback : QString::fromStdString(client.to_string());
}

// How often the events counted quietly are summed up in the log.
constexpr auto kQuietSummaryEvery = std::chrono::seconds(60);

} // namespace

QString normalAddress(const QString &text)
{
    boost::system::error_code ec;
    const auto address = asio::ip::make_address(text.trimmed().toStdString(), ec);
    return ec ? QString() : QString::fromStdString(address.to_string());
}

QByteArray HttpRequest::header(const char *name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

struct HttpFront::Impl
{
    HttpLimits limits;
    // Counted down by connections that the io context below still holds when it goes.
    std::atomic<int> connections {0};
    // Network thread only, like everything the connections touch; also before the io context.
    std::unordered_map<std::string, int> perAddress;
    std::list<Connection *> idle; // waiting for their next request, longest first
    // Declared before the pool: the pool's threads post into it until they are joined.
    asio::io_context io {1};
    tcp::acceptor acceptor {io};
    asio::steady_timer acceptPause {io};
    QList<HttpRoute> routes;
    SessionCheck sessionCheck;
    Refusal refusal;
    QStringList trustedProxies;
    // What hostile or broken clients cause by the thousand is counted here and summed up in
    // one line now and then, instead of a line each.
    int halfHeaders = 0;
    int overAddressCap = 0;
    int acceptFailures = 0;
    QString lastAcceptFailure;
    asio::steady_timer quietSummary {io};
    WorkerPool pool;

    Impl(const HttpLimits &l, int workers)
        : limits(l)
        , pool(workers, l.maxQueued)
    { }

    void accept();
    bool evictIdle();
    void summarizeQuietly();
};

// One client connection, from accept to close. Everything here runs on the network thread but
// the route's work and the session check, which run on a worker and post their result back.
class HttpFront::Connection : public std::enable_shared_from_this<HttpFront::Connection>
{
public:
    Connection(HttpFront::Impl &front, tcp::socket socket)
        : m_front(front)
        , m_stream(std::move(socket))
    {
        ++m_front.connections;
        beast::error_code ec;
        const auto remote = m_stream.socket().remote_endpoint(ec);
        if (!ec)
            m_address = remote.address().to_string();
        m_peer = QString::fromStdString(m_address);
        ++m_front.perAddress[m_address];
    }
    ~Connection()
    {
        leaveIdle();
        if (--m_front.perAddress[m_address] == 0)
            m_front.perAddress.erase(m_address);
        --m_front.connections;
    }

    void start()
    {
        m_request.peer = m_peer;
        // A proxy carries many clients and limits each itself.
        if (m_front.perAddress[m_address] > m_front.limits.maxPerAddress
            && !m_front.trustedProxies.contains(m_peer)) {
            ++m_front.overAddressCap;
            return refuse(503, Quietly);
        }
        if (m_front.connections.load() > m_front.limits.maxConnections && !m_front.evictIdle())
            return refuse(503);
        awaitRequest();
    }

    // Closes a connection waiting for its next request to make room for a new one.
    void evict()
    {
        leaveIdle();
        close();
    }

private:
    using Self = std::shared_ptr<Connection>;

    // Waits for the first bytes of the next request for the idle time, then gives the whole
    // header its own deadline.
    void awaitRequest()
    {
        if (m_buffer.size() > 0) {
            readHeader();
            return;
        }
        const HttpLimits &limits = m_front.limits;
        const bool crowded = m_front.connections.load() * 4 >= limits.maxConnections * 3;
        m_stream.expires_after(std::chrono::seconds(
            crowded ? std::min(limits.shortIdleSeconds, limits.idleSeconds) : limits.idleSeconds));
        m_idleSlot = m_front.idle.insert(m_front.idle.end(), this);
        m_stream.async_read_some(m_buffer.prepare(4096),
                                 [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                                     self->leaveIdle();
                                     if (ec)
                                         return self->close();
                                     self->m_buffer.commit(n);
                                     self->readHeader();
                                 });
    }

    void leaveIdle()
    {
        if (m_idleSlot) {
            m_front.idle.erase(*m_idleSlot);
            m_idleSlot.reset();
        }
    }

    void readHeader()
    {
        m_request = HttpRequest();
        m_request.peer = m_peer;
        m_route = nullptr;
        m_parser.emplace();
        m_parser->header_limit(std::uint32_t(m_front.limits.headerBytes));
        // The body's limit depends on the route and the session, both known after the header;
        // nothing reads the body before readBody() sets it.
        m_parser->body_limit(std::numeric_limits<std::uint64_t>::max());
        m_request.bodyLimit = m_front.limits.anonymousBodyBytes;
        m_stream.expires_after(std::chrono::seconds(m_front.limits.headerSeconds));
        http::async_read_header(
            m_stream, m_buffer, *m_parser,
            [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onHeader(ec); });
    }

    void onHeader(beast::error_code ec)
    {
        if (ec == http::error::header_limit)
            return refuse(431);
        if (ec == http::error::body_limit)
            return refuse(413);
        if (ec == beast::error::timeout) {
            qInfo().noquote() << logtext::fields(
                {{"peer", m_peer}, {"closed", u"header not complete in time"_s}});
            return close();
        }
        if (ec == http::error::end_of_stream || ec == asio::error::eof
            || ec == asio::error::connection_reset || ec == asio::error::operation_aborted)
            return close();
        // The client went away in the middle of its header: nothing to answer, and nothing
        // worth a line each.
        if (ec == http::error::partial_message) {
            ++m_front.halfHeaders;
            return close();
        }
        if (ec)
            return refuse(400);

        const auto &head = m_parser->get();
        m_request.method
            = QByteArray(head.method_string().data(), qsizetype(head.method_string().size()));
        m_request.target = QByteArray(head.target().data(), qsizetype(head.target().size()));
        const qsizetype query = m_request.target.indexOf('?');
        m_request.path = query < 0 ? m_request.target : m_request.target.first(query);
        for (const auto &field : head)
            m_request.headers.append(
                {QByteArray(field.name_string().data(), qsizetype(field.name_string().size())),
                 QByteArray(field.value().data(), qsizetype(field.value().size()))});
        if (m_front.trustedProxies.contains(m_peer))
            m_request.peer = forwardedClient(m_request.headers, m_peer);

        bool pathKnown = false;
        for (const HttpRoute &route : std::as_const(m_front.routes)) {
            const bool matches = route.path.endsWith('/') ? m_request.path.startsWith(route.path)
                                                          : m_request.path == route.path;
            if (!matches)
                continue;
            pathKnown = true;
            if (route.method == m_request.method) {
                m_route = &route;
                break;
            }
        }
        if (!m_route)
            return refuse(pathKnown ? 405 : 404);
        if (!m_route->contentType.isEmpty()) {
            const QByteArray type
                = m_request.header("Content-Type").split(';').first().trimmed().toLower();
            if (type != m_route->contentType)
                return refuse(415);
        }
        if (!m_route->sessionFirst)
            return readBody(m_front.limits.anonymousBodyBytes);

        const bool queued = m_front.pool.post([self = shared_from_this()] {
            std::optional<HttpResponse> refusal = self->m_front.sessionCheck(self->m_request);
            asio::post(self->m_front.io, [self, refusal = std::move(refusal)]() mutable {
                if (refusal) {
                    refusal->close = true; // the body was not read
                    self->respond(std::move(*refusal));
                } else {
                    self->readBody(self->m_front.limits.sessionBodyBytes);
                }
            });
        });
        if (!queued)
            refuse(503);
    }

    void readBody(std::size_t limit)
    {
        m_request.bodyLimit = limit;
        if (const auto length = m_parser->content_length(); length && *length > limit)
            return refuse(413);
        // Chunked bodies count against the limit as their chunks arrive.
        m_parser->body_limit(std::uint64_t(limit));
        if (beast::iequals(m_parser->get()[http::field::expect], "100-continue")) {
            auto interim = std::make_shared<http::response<http::empty_body>>(
                http::status::continue_, m_parser->get().version());
            m_stream.expires_after(std::chrono::seconds(m_front.limits.writeSeconds));
            http::async_write(
                m_stream, *interim,
                [self = shared_from_this(), interim](beast::error_code ec, std::size_t) {
                    if (ec)
                        return self->close();
                    self->readRestOfBody();
                });
            return;
        }
        readRestOfBody();
    }

    void readRestOfBody()
    {
        m_stream.expires_after(std::chrono::seconds(m_front.limits.bodySeconds));
        http::async_read(
            m_stream, m_buffer, *m_parser,
            [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onBody(ec); });
    }

    void onBody(beast::error_code ec)
    {
        if (ec == http::error::body_limit)
            return refuse(413);
        if (ec == beast::error::timeout || ec == http::error::end_of_stream
            || ec == http::error::partial_message || ec == asio::error::eof
            || ec == asio::error::connection_reset)
            return close();
        if (ec)
            return refuse(400);
        std::string &body = m_parser->get().body();
        m_request.body = QByteArray(body.data(), qsizetype(body.size()));
        std::string().swap(body);
        const HttpRoute *route = m_route;
        const bool queued = m_front.pool.post([self = shared_from_this(), route] {
            HttpResponse response = route->answer(self->m_request);
            asio::post(self->m_front.io, [self, response = std::move(response)]() mutable {
                self->respond(std::move(response));
            });
        });
        if (!queued)
            refuse(503);
    }

    enum Logging { Logged, Quietly };

    // The front's own answers; the connection is closed after them, since what remains of the
    // request was not read.
    void refuse(int status, Logging logging = Logged)
    {
        HttpResponse response = m_front.refusal(status, m_request);
        response.close = true;
        if (logging == Logged)
            qInfo().noquote() << logtext::fields({{"path", QString::fromLatin1(m_request.target)},
                                                  {"status", QString::number(status)},
                                                  {"peer", m_peer},
                                                  {"outcome", QString::fromUtf8(response.body)}});
        respond(std::move(response));
    }

    void respond(HttpResponse answer)
    {
        const unsigned version
            = m_parser && m_parser->is_header_done() ? m_parser->get().version() : 11;
        const bool keepAlive = !answer.close && m_parser && m_parser->is_header_done()
            && m_parser->get().keep_alive();
        auto response = std::make_shared<http::response<http::string_body>>();
        response->result(unsigned(answer.status));
        response->version(version);
        response->set(http::field::server, "cte-server");
        response->set(http::field::content_type,
                      beast::string_view(answer.contentType.constData(),
                                         std::size_t(answer.contentType.size())));
        for (const auto &[name, value] : std::as_const(answer.headers))
            response->set(beast::string_view(name.constData(), std::size_t(name.size())),
                          beast::string_view(value.constData(), std::size_t(value.size())));
        response->body().assign(answer.body.constData(), std::size_t(answer.body.size()));
        response->keep_alive(keepAlive);
        response->prepare_payload();
        m_stream.expires_after(std::chrono::seconds(m_front.limits.writeSeconds));
        http::async_write(m_stream, *response,
                          [self = shared_from_this(), response](beast::error_code ec, std::size_t) {
                              if (ec)
                                  return self->close();
                              if (!response->keep_alive())
                                  return self->lingerAndClose();
                              self->m_parser.reset();
                              self->awaitRequest();
                          });
    }

    // Closing a socket with unread data makes the system reset the connection, and the client
    // may then lose the answer it was sent. So the sending side is shut first and what the
    // client still sends is read and dropped, for a short while and up to a few megabytes.
    void lingerAndClose()
    {
        beast::error_code ignored;
        m_stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
        m_lingerBudget = 8 * 1024 * 1024;
        m_stream.expires_after(std::chrono::seconds(2));
        drain();
    }

    void drain()
    {
        m_buffer.clear();
        m_stream.async_read_some(m_buffer.prepare(64 * 1024),
                                 [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                                     if (ec || n >= self->m_lingerBudget)
                                         return self->close();
                                     self->m_lingerBudget -= n;
                                     self->drain();
                                 });
    }

    void close()
    {
        beast::error_code ignored;
        m_stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
        m_stream.close();
    }

    HttpFront::Impl &m_front;
    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    HttpRequest m_request;
    const HttpRoute *m_route = nullptr;
    std::string m_address;
    QString m_peer;
    std::optional<std::list<Connection *>::iterator> m_idleSlot;
    std::size_t m_lingerBudget = 0;
};

bool HttpFront::Impl::evictIdle()
{
    if (idle.empty())
        return false;
    idle.front()->evict();
    return true;
}

void HttpFront::Impl::summarizeQuietly()
{
    quietSummary.expires_after(kQuietSummaryEvery);
    quietSummary.async_wait([this](beast::error_code ec) {
        if (ec)
            return;
        if (halfHeaders || overAddressCap || acceptFailures) {
            qInfo().noquote() << logtext::fields(
                {{"last-minute", u"connections refused or given up"_s},
                 {"half-headers", QString::number(halfHeaders)},
                 {"over-address-cap", QString::number(overAddressCap)},
                 {"accept-failures", QString::number(acceptFailures)},
                 {"accept-failure", lastAcceptFailure}});
            halfHeaders = overAddressCap = acceptFailures = 0;
        }
        summarizeQuietly();
    });
}

void HttpFront::Impl::accept()
{
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor.is_open())
            return;
        if (ec) {
            // Out of file descriptors, most likely: an idle connection makes room at once;
            // without one, let connections end before accepting more. Warned once, then
            // counted.
            if (acceptFailures++ == 0)
                qWarning().noquote()
                    << logtext::fields({{"accept", QString::fromStdString(ec.message())}});
            lastAcceptFailure = QString::fromStdString(ec.message());
            if (evictIdle())
                return accept();
            acceptPause.expires_after(std::chrono::milliseconds(100));
            acceptPause.async_wait([this](beast::error_code) { accept(); });
            return;
        }
        beast::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        std::make_shared<Connection>(*this, std::move(socket))->start();
        accept();
    });
}

HttpFront::HttpFront(const HttpLimits &limits, int workers)
    : d(std::make_unique<Impl>(limits, workers))
{ }

HttpFront::~HttpFront()
{
    stop();
    d->pool.stop();
}

void HttpFront::addRoute(HttpRoute route)
{
    d->routes.append(std::move(route));
}

void HttpFront::setSessionCheck(SessionCheck check)
{
    d->sessionCheck = std::move(check);
}

void HttpFront::setRefusal(Refusal refusal)
{
    d->refusal = std::move(refusal);
}

void HttpFront::setTrustedProxies(const QStringList &addresses)
{
    d->trustedProxies.clear();
    for (const QString &a : addresses)
        d->trustedProxies.append(normalAddress(a));
}

int HttpFront::bind(const QString &host, int port, QString *error)
{
    beast::error_code ec;
    tcp::resolver resolver(d->io);
    const auto endpoints
        = resolver.resolve(host.toStdString(), std::to_string(port), tcp::resolver::passive, ec);
    if (ec || endpoints.empty()) {
        *error = QString::fromStdString(ec.message());
        return -1;
    }
    const tcp::endpoint endpoint = endpoints.begin()->endpoint();
    d->acceptor.open(endpoint.protocol(), ec);
    // Address reuse lets a restarted server bind while old connections linger in TIME_WAIT; on
    // this system it never lets two listening sockets share a port (that would be port reuse).
    if (!ec)
        d->acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        d->acceptor.bind(endpoint, ec);
    if (!ec)
        d->acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        *error = QString::fromStdString(ec.message());
        beast::error_code ignored;
        d->acceptor.close(ignored);
        return -1;
    }
    return d->acceptor.local_endpoint().port();
}

bool HttpFront::serve()
{
    if (!d->acceptor.is_open())
        return false;
    d->accept();
    d->summarizeQuietly();
    d->io.run();
    return true;
}

void HttpFront::stop()
{
    d->io.stop();
}

const HttpLimits &HttpFront::limits() const
{
    return d->limits;
}

int HttpFront::workers() const
{
    return d->pool.threads();
}
