#include "AuthorityServer.h"

#include "AuthorityClock.h"
#include "DataArea.h"
#include "Faults.h"
#include "Services.h"
#include "Soap.h"
#include "StatusCodes.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <httplib.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char kSoapType[] = "application/soap+xml; charset=utf-8";

std::string headerSafe(const QString &text)
{
    QString s = text.left(300);
    for (QChar &c : s)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            c = u' ';
    return s.toStdString();
}

} // namespace

struct AuthorityServer::Impl
{
    AuthorityOptions options;
    const SchemaSet &schemas;
    const SignatureCheck &signatures;
    std::unique_ptr<httplib::Server> http;

    void handle(soap::Service service, const httplib::Request &req, httplib::Response &res);
};

AuthorityServer::AuthorityServer(const AuthorityOptions &options, const SchemaSet &schemas,
                                 const SignatureCheck &signatures)
    : d(new Impl {options, schemas, signatures, nullptr})
{
    if (!options.tlsCertificate.isEmpty()) {
        const QByteArray cert = options.tlsCertificate.toLocal8Bit();
        const QByteArray key = options.tlsKey.toLocal8Bit();
        const QByteArray ca = options.clientCa.toLocal8Bit();
        d->http = std::make_unique<httplib::SSLServer>(cert.constData(), key.constData(),
                                                       ca.isEmpty() ? nullptr : ca.constData());
    } else {
        d->http = std::make_unique<httplib::Server>();
    }
    const int threads = std::max(2, options.threads);
    d->http->new_task_queue = [threads] {
        return new httplib::ThreadPool(size_t(threads));
    };
    d->http->set_tcp_nodelay(true);
    // An idle keep-alive connection holds a worker; release it soon so others are served.
    d->http->set_keep_alive_timeout(2);
    d->http->set_keep_alive_max_count(1000);
    d->http->set_read_timeout(15, 0);
    d->http->set_write_timeout(15, 0);
    d->http->set_payload_max_length(size_t(options.maxBodyBytes));

    for (soap::Service service :
         {soap::Service::Reception, soap::Service::Query, soap::Service::Event,
          soap::Service::Status, soap::Service::Voiding}) {
        d->http->Post(soap::path(service).toStdString(),
                      [this, service](const httplib::Request &req, httplib::Response &res) {
                          d->handle(service, req, res);
                      });
    }
    d->http->set_error_handler([](const httplib::Request &req, httplib::Response &res) {
        if (!res.body.empty())
            return;
        QString reason;
        if (res.status == 413)
            reason = u"The request is larger than this service accepts"_s;
        else if (res.status == 404 || res.status == 405)
            reason = u"No service at %1"_s.arg(QString::fromStdString(req.path));
        else
            reason = u"HTTP error %1"_s.arg(res.status);
        res.set_content(soap::fault(u"Sender"_s, reason).toStdString(), kSoapType);
        qInfo().noquote()
            << u"path=%1 status=%2"_s.arg(QString::fromStdString(req.path)).arg(res.status);
    });
    d->http->set_exception_handler(
        [](const httplib::Request &, httplib::Response &res, std::exception_ptr ep) {
            QString reason = u"internal error"_s;
            try {
                std::rethrow_exception(ep);
            } catch (const std::exception &e) {
                reason = QString::fromUtf8(e.what());
            } catch (...) { }
            res.status = 500;
            res.set_content(soap::fault(u"Receiver"_s, reason).toStdString(), kSoapType);
            qWarning().noquote() << u"internal error: %1"_s.arg(reason);
        });
}

AuthorityServer::~AuthorityServer() = default;

bool AuthorityServer::isValid() const
{
    return d->http->is_valid();
}

int AuthorityServer::bind()
{
    const std::string host = d->options.host.toStdString();
    if (d->options.port == 0)
        return d->http->bind_to_any_port(host);
    return d->http->bind_to_port(host, d->options.port) ? d->options.port : -1;
}

bool AuthorityServer::serve()
{
    return d->http->listen_after_bind();
}

void AuthorityServer::stop()
{
    d->http->stop();
}

void AuthorityServer::Impl::handle(soap::Service service, const httplib::Request &req,
                                   httplib::Response &res)
{
    QElapsedTimer timer;
    timer.start();
    const QString name = QString::fromLatin1(soap::info(service).name);
    auto log = [&](const QString &key, const QString &outcome, const QString &detail) {
        qInfo().noquote() << u"service=%1 key=%2 outcome=%3 ms=%4 bytes=%5%6"_s
                                 .arg(name, key.isEmpty() ? u"-"_s : key, outcome)
                                 .arg(double(timer.nsecsElapsed()) / 1e6, 0, 'f', 1)
                                 .arg(req.body.size())
                                 .arg(detail.isEmpty() ? QString() : u" detail="_s + detail);
    };
    auto sendFault = [&](int status, const QString &code, const QString &reason) {
        res.status = status;
        res.set_content(soap::fault(code, reason).toStdString(), kSoapType);
        log({}, u"fault %1"_s.arg(status), reason);
    };

    const QString contentType = QString::fromStdString(req.get_header_value("Content-Type"));
    if (!contentType.startsWith(u"application/soap+xml", Qt::CaseInsensitive))
        return sendFault(415, u"Sender"_s, u"SOAP 1.2 requests are sent as application/soap+xml"_s);
    const qsizetype actionAt = contentType.indexOf(u"action="_s, 0, Qt::CaseInsensitive);
    if (actionAt >= 0) {
        QString action = contentType.mid(actionAt + 7).section(u';', 0, 0).trimmed();
        action.remove(u'"');
        if (action != soap::action(service))
            return sendFault(400, u"Sender"_s, u"The action %1 is not offered here"_s.arg(action));
    }

    soap::Request request = soap::read(service, QByteArray::fromStdString(req.body));
    if (!request.fault.isEmpty())
        return sendFault(400, request.versionMismatch ? u"VersionMismatch"_s : u"Sender"_s,
                         request.fault);

    services::Context ctx {schemas, signatures, options.environment, authorityclock::now()};
    dataarea::Area area = service == soap::Service::Reception
        ? dataarea::readCompressed(request.data)
        : dataarea::readInline(request.data);
    services::Outcome outcome;
    QString key;
    faults::Active faults;
    if (area.cstat) {
        faults = faults::resolve(options.faults, store::faults(), {});
        outcome = services::rejection(service, ctx, area.cstat, area.detail);
    } else {
        key = services::keyOf(service, area.doc.get());
        faults = faults::resolve(options.faults, store::faults(), key);
    }
    if (faults.slowMs > 0)
        QThread::msleep(ulong(faults.slowMs));
    if (faults.unavailable) {
        res.status = 503;
        res.set_content(soap::fault(u"Receiver"_s, u"Service unavailable"_s).toStdString(),
                        kSoapType);
        log(key, u"unavailable"_s, {});
        return;
    }
    if (!area.cstat) {
        ctx.now = authorityclock::now();
        if (faults.reject)
            outcome = services::rejection(service, ctx, faults.reject, u"switch"_s, key);
        else if (service == soap::Service::Reception)
            outcome = services::receiveCte(ctx, area.doc.get());
        else if (service == soap::Service::Query)
            outcome = services::querySituation(ctx, area.doc.get());
        else if (service == soap::Service::Event)
            outcome = services::receiveEvent(ctx, area.doc.get());
        else if (service == soap::Service::Voiding)
            outcome = services::voidRange(ctx, area.doc.get());
        else
            outcome = services::serviceStatus(ctx, area.doc.get());
    }
    if (faults.foreignDigest) {
        // The digest of another content: SHA-1 of nothing, which no CT-e has.
        static const QRegularExpression digest(u"<digVal>[^<]*</digVal>"_s);
        outcome.xml = QString::fromUtf8(outcome.xml)
                          .replace(digest, u"<digVal>2jmj7l5rSw0yVb/vlWAYkK/YBwk=</digVal>"_s)
                          .toUtf8();
    }
    if (faults.drop) {
        // Processed, but the client never hears the answer: the connection closes after the
        // status line and headers.
        res.set_chunked_content_provider("application/soap+xml",
                                         [](size_t, httplib::DataSink &) { return false; });
        log(outcome.key, u"%1 dropped"_s.arg(outcome.cstat), outcome.detail);
        return;
    }
    res.status = 200;
    if (!outcome.detail.isEmpty())
        res.set_header("X-Authority-Detail", headerSafe(outcome.detail));
    res.set_content(soap::answer(service, outcome.xml).toStdString(), kSoapType);
    log(outcome.key, QString::number(outcome.cstat), outcome.detail);
}
