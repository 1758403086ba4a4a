#include "RpcServer.h"

#include "HttpFront.h"
#include "JsonScanner.h"
#include "LogText.h"
#include "LoginThrottle.h"
#include "Operations.h"
#include "Passwords.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "Sessions.h"
#include "SqlSupport.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QVariantList>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kLoginBodyBytes = 16 * 1024;

// What the values of a body may take in memory: a few times its size. Real calls take far less;
// a body of nested empty lists, or of countless tiny values, would take dozens of times more.
bool fitsMemoryBudget(const QByteArray &body)
{
    return contracts::jsontext::decodedSizeEstimate(body) <= 16 * body.size() + 64 * 1024;
}

// What a call answers, with what its log line says of it.
struct Answer
{
    int status = 200;
    QByteArray body;
    QString outcome; // "S", or the error text
    QString user;
    qint64 retryAfterSeconds = 0;
};

Answer errorAnswer(int status, const QString &text, const QString &user = {})
{
    return {status, contracts::encodeReply(contracts::failReply(text)), text, user};
}

QString outcomeOf(const QVariant &reply)
{
    if (reply.typeId() == QMetaType::QString)
        return reply.toString();
    const QVariantList list = reply.toList();
    if (!list.isEmpty() && list.first().toString() == u"S")
        return u"S"_s;
    return list.value(1).toString();
}

// A database failure: the client gets a general text with a reference, the log the driver's
// message under the same reference.
Answer databaseFailure(const DatabaseError &e, const QString &user = {})
{
    const QString reference = QString::number(QRandomGenerator::global()->bounded(1u << 24), 16)
                                  .rightJustified(6, u'0');
    qWarning().noquote() << logtext::fields(
        {{"database-error", reference}, {"user", user}, {"detail", e.detail()}});
    return errorAnswer(500, e.text() + u' ' + srvMsg("REFERENCIA_LOG").arg(reference), user);
}

QString operationOf(const HttpRequest &request)
{
    return QString::fromLatin1(
        request.path.mid(qsizetype(std::size(contracts::kRpcPathPrefix)) - 1));
}

bool validOperationName(const QString &name)
{
    static const QRegularExpression re(u"^[A-Za-z]{1,64}$"_s);
    return re.match(name).hasMatch();
}

HttpResponse toResponse(const Answer &a)
{
    HttpResponse r;
    r.status = a.status;
    r.body = a.body;
    if (a.retryAfterSeconds > 0)
        r.headers.emplaceBack("Retry-After", QByteArray::number(a.retryAfterSeconds));
    return r;
}

void logCall(const HttpRequest &request, const QString &operation, const Answer &answer,
             const QElapsedTimer &timer)
{
    const QString token = QString::fromLatin1(request.header(contracts::kSessionHeader));
    qInfo().noquote() << logtext::fields(
        {{"op", operation},
         {"user", answer.user.isEmpty() ? u"-"_s : answer.user},
         {"session", token.isEmpty() ? u"-"_s : passwords::tokenDigest(token).left(8)},
         {"ms", QString::number(double(timer.nsecsElapsed()) / 1e6, 'f', 1)},
         {"bytes", u"%1/%2"_s.arg(request.body.size()).arg(answer.body.size())},
         {"sql", QString::number(request.statements)},
         {"status", QString::number(answer.status)},
         {"peer", request.peer},
         {"outcome", answer.outcome.left(160)}});
}

} // namespace

struct RpcServer::Impl
{
    ServerOptions options;
    HttpFront front;
    LoginThrottle throttle;

    Impl(const ServerOptions &o, const HttpLimits &limits)
        : options(o)
        , front(limits, o.threads)
        , throttle([&] {
            LoginThrottle::Settings s;
            s.firstDelayMs = o.loginDelayMs;
            return s;
        }())
    { }

    Answer login(const HttpRequest &request);
    Answer call(HttpRequest &request, const QString &operation);
    std::optional<HttpResponse> checkSession(HttpRequest &request);
    HttpResponse refusal(int status, const HttpRequest &request) const;
};

Answer RpcServer::Impl::login(const HttpRequest &request)
{
    QString error;
    const auto args = contracts::decodeCall(request.body, &error);
    if (!args)
        return errorAnswer(400, error);
    if (args->size() != 2 || args->at(0).typeId() != QMetaType::QString
        || args->at(1).typeId() != QMetaType::QString)
        return errorAnswer(400, srvMsg("LOGIN_ARGUMENTOS"));
    const QString user = args->at(0).toString();
    QString token;
    try {
        qint64 wait = 0;
        runWithReconnect(
            [&](const QSqlDatabase &db) { wait = throttle.attempt(db, user, request.peer); });
        if (wait > 0) {
            Answer a = errorAnswer(429, srvMsg("LOGIN_ESPERA").arg((wait + 999) / 1000), user);
            a.retryAfterSeconds = (wait + 999) / 1000;
            return a;
        }
        try {
            runWithReconnect([&](const QSqlDatabase &db) {
                token = sessions::login(db, user, args->at(1).toString());
            });
        } catch (const EMensErro &e) {
            runWithReconnect([&](const QSqlDatabase &db) { throttle.failed(db); });
            return errorAnswer(200, e.text(), user);
        }
        runWithReconnect(
            [&](const QSqlDatabase &db) { throttle.succeeded(db, user, request.peer); });
    } catch (const DatabaseError &e) {
        return databaseFailure(e, user);
    }
    return {200, contracts::encodeReply(contracts::okReply({token})), u"S"_s, user};
}

std::optional<HttpResponse> RpcServer::Impl::checkSession(HttpRequest &request)
{
    QElapsedTimer timer;
    timer.start();
    const QString token = QString::fromLatin1(request.header(contracts::kSessionHeader));
    const qint64 statementsBefore = statementsSent();
    const auto countStatements
        = qScopeGuard([&] { request.statements += statementsSent() - statementsBefore; });
    Answer refused;
    try {
        runWithReconnect(
            [&](const QSqlDatabase &db) { request.user = sessions::validate(db, token); });
        return std::nullopt;
    } catch (const DatabaseError &e) {
        // A fault of the database is the server's, never an answer about the session.
        refused = databaseFailure(e);
    } catch (const EMensErro &e) {
        refused = errorAnswer(401, e.text());
    }
    logCall(request, operationOf(request), refused, timer);
    return toResponse(refused);
}

Answer RpcServer::Impl::call(HttpRequest &request, const QString &operation)
{
    const QString &user = request.user;
    try {
        if (operation == QStringView(contracts::kLogoutOperation)) {
            const QString token = QString::fromLatin1(request.header(contracts::kSessionHeader));
            runWithReconnect([&](const QSqlDatabase &db) { sessions::logout(db, token); });
            return {200, contracts::encodeReply(contracts::okReply()), u"S"_s, user};
        }
        // The module's operations that this server does not offer yet answer as unknown ones.
        const Operation op = findServerOperation(operation);
        const auto signature = contracts::findOperation(operation);
        if (!op || !signature)
            return errorAnswer(200, srvMsg("OPERACAO_DESCONHECIDA").arg(operation), user);
        if (!fitsMemoryBudget(request.body))
            return errorAnswer(413, srvMsg("CORPO_VALORES_DEMAIS"), user);
        QString error;
        const auto raw = contracts::decodeCall(request.body, &error);
        std::optional<QList<QVariant>> args;
        if (raw)
            args = contracts::checkArguments(*signature, *raw, &error);
        if (!args)
            return errorAnswer(200, error, user);
        QVariant reply;
        runWithReconnect([&](const QSqlDatabase &db) {
            CallContext ctx {db, user};
            reply = op(ctx, *args);
        });
        return {200, contracts::encodeReply(reply), outcomeOf(reply), user};
    } catch (const DatabaseError &e) {
        return databaseFailure(e, user);
    } catch (const EMensErro &e) {
        return errorAnswer(200, e.text(), user);
    } catch (const std::exception &e) {
        qCritical().noquote() << logtext::fields(
            {{"op", operation}, {"internal-error", QString::fromUtf8(e.what())}});
        return errorAnswer(500, srvMsg("ERRO_INTERNO"), user);
    }
}

HttpResponse RpcServer::Impl::refusal(int status, const HttpRequest &request) const
{
    QString text;
    switch (status) {
    case 413:
        // What was allowed depends on whether a session was shown.
        text
            = srvMsg(request.bodyLimit < front.limits().sessionBodyBytes ? "CORPO_GRANDE_SEM_SESSAO"
                                                                         : "CORPO_GRANDE")
                  .arg(qulonglong(request.bodyLimit));
        break;
    case 404:
    case 405:
        text = srvMsg("CAMINHO_DESCONHECIDO")
                   .arg(logtext::escaped(QString::fromLatin1(request.path), 80));
        break;
    case 415:
        text = srvMsg("TIPO_CONTEUDO")
                   .arg(logtext::escaped(QString::fromLatin1(request.header("Content-Type")), 80));
        break;
    case 431:
        text = srvMsg("CABECALHO_GRANDE").arg(front.limits().headerBytes);
        break;
    case 503:
        text = srvMsg("SERVIDOR_OCUPADO");
        break;
    default:
        text = srvMsg("REQUISICAO_INVALIDA").arg(status);
        break;
    }
    HttpResponse r;
    r.status = status;
    r.body = contracts::encodeReply(contracts::failReply(text));
    if (status == 503)
        r.headers.emplaceBack("Retry-After", "2");
    return r;
}

RpcServer::RpcServer(const ServerOptions &options)
{
    HttpLimits limits;
    limits.anonymousBodyBytes = std::size_t(kLoginBodyBytes);
    limits.sessionBodyBytes
        = std::size_t(options.maxBodyBytes > 0 ? options.maxBodyBytes : contracts::kMaxBodyBytes);
    limits.anonymousBodyBytes = std::min(limits.anonymousBodyBytes, limits.sessionBodyBytes);
    limits.idleSeconds = std::max(1, options.idleSeconds);
    limits.headerSeconds = std::max(1, options.headerSeconds);
    limits.maxConnections = std::max(1, options.maxConnections);
    limits.maxPerAddress = std::max(1, options.maxPerAddress);
    d = std::make_unique<Impl>(options, limits);

    d->front.setRefusal(
        [this](int status, const HttpRequest &request) { return d->refusal(status, request); });
    d->front.setSessionCheck([this](HttpRequest &request) { return d->checkSession(request); });
    d->front.setTrustedProxies(options.trustedProxies);

    const QByteArray prefix = QString::fromUtf16(contracts::kRpcPathPrefix).toLatin1();
    // A login shows no session: its body is held to the anonymous limit.
    d->front.addRoute({"POST", prefix + QString::fromUtf16(contracts::kLoginOperation).toLatin1(),
                       "application/json", false, [this](HttpRequest &request) {
                           QElapsedTimer timer;
                           timer.start();
                           const qint64 statementsBefore = statementsSent();
                           const Answer a = d->login(request);
                           request.statements += statementsSent() - statementsBefore;
                           logCall(request, QString::fromUtf16(contracts::kLoginOperation), a,
                                   timer);
                           return toResponse(a);
                       }});
    d->front.addRoute(
        {"POST", prefix, "application/json", true, [this](HttpRequest &request) {
             QElapsedTimer timer;
             timer.start();
             const QString operation = operationOf(request);
             const qint64 statementsBefore = statementsSent();
             Answer a = validOperationName(operation)
                 ? d->call(request, operation)
                 : errorAnswer(404,
                               srvMsg("CAMINHO_DESCONHECIDO").arg(logtext::escaped(operation, 80)),
                               request.user);
             request.statements += statementsSent() - statementsBefore;
             logCall(request, operation, a, timer);
             return toResponse(a);
         }});
}

RpcServer::~RpcServer() = default;

void RpcServer::addRoute(HttpRoute route)
{
    d->front.addRoute(std::move(route));
}

int RpcServer::bind(QString *error)
{
    return d->front.bind(d->options.host, d->options.port, error);
}

bool RpcServer::serve()
{
    return d->front.serve();
}

void RpcServer::stop()
{
    d->front.stop();
}
