#include "RpcServer.h"

#include "Operations.h"
#include "Passwords.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "Sessions.h"
#include "SqlSupport.h"

#include <QElapsedTimer>
#include <QVariantList>

#include <httplib.h>

using namespace Qt::StringLiterals;

namespace {

RpcServer::Answer errorAnswer(int status, const QString &text)
{
    return {status, contracts::encodeReply(contracts::failReply(text)), text, {}};
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

} // namespace

struct RpcServer::Impl
{
    ServerOptions options;
    httplib::Server http;
};

RpcServer::RpcServer(const ServerOptions &options)
    : d(std::make_unique<Impl>())
{
    d->options = options;
    const int threads = std::max(1, options.threads);
    d->http.new_task_queue = [threads] {
        return new httplib::ThreadPool(size_t(threads));
    };
    d->http.set_tcp_nodelay(true);
    d->http.set_keep_alive_max_count(100000);
    d->http.set_payload_max_length(
        size_t(options.maxBodyBytes > 0 ? options.maxBodyBytes : contracts::kMaxBodyBytes));

    d->http.Post(R"(/rdmCTe/([A-Za-z]+))", [](const httplib::Request &req, httplib::Response &res) {
        QElapsedTimer timer;
        timer.start();
        const QString operation = QString::fromStdString(req.matches[1].str());
        const QString token
            = QString::fromStdString(req.get_header_value(contracts::kSessionHeader));
        const Answer answer = handle(operation, QByteArray::fromStdString(req.body), token);
        res.status = answer.status;
        res.set_content(answer.body.toStdString(), "application/json; charset=utf-8");
        qInfo().noquote() << u"op=%1 user=%2 session=%3 ms=%4 bytes=%5/%6 outcome=%7"_s
                                 .arg(operation, answer.user.isEmpty() ? u"-"_s : answer.user,
                                      token.isEmpty() ? u"-"_s
                                                      : passwords::tokenDigest(token).left(8))
                                 .arg(double(timer.nsecsElapsed()) / 1e6, 0, 'f', 1)
                                 .arg(req.body.size())
                                 .arg(answer.body.size())
                                 .arg(answer.outcome.left(160));
    });
    // Refusals that happen before a handler runs (unknown path, body over the limit) still
    // answer with an error text the client can show.
    d->http.set_error_handler([this](const httplib::Request &req, httplib::Response &res) {
        if (!res.body.empty())
            return;
        QString text;
        if (res.status == 413)
            text = srvMsg("CORPO_GRANDE")
                       .arg(d->options.maxBodyBytes > 0 ? d->options.maxBodyBytes
                                                        : contracts::kMaxBodyBytes);
        else if (res.status == 404 || res.status == 405)
            text = srvMsg("CAMINHO_DESCONHECIDO").arg(QString::fromStdString(req.path));
        else
            text = srvMsg("REQUISICAO_INVALIDA").arg(res.status);
        res.set_content(contracts::encodeReply(text).toStdString(),
                        "application/json; charset=utf-8");
        qInfo().noquote() << u"path=%1 status=%2 outcome=%3"_s.arg(QString::fromStdString(req.path))
                                 .arg(res.status)
                                 .arg(text);
    });
}

RpcServer::~RpcServer() = default;

int RpcServer::bind()
{
    const std::string host = d->options.host.toStdString();
    if (d->options.port == 0)
        return d->http.bind_to_any_port(host);
    return d->http.bind_to_port(host, d->options.port) ? d->options.port : -1;
}

bool RpcServer::serve()
{
    return d->http.listen_after_bind();
}

void RpcServer::stop()
{
    d->http.stop();
}

RpcServer::Answer RpcServer::handle(const QString &operation, const QByteArray &body,
                                    const QString &token)
{
    try {
        CallContext ctx {workerDatabase(), {}};
        QString error;
        if (operation == QStringView(contracts::kLoginOperation)) {
            const auto args = contracts::decodeCall(body, &error);
            if (!args)
                return errorAnswer(400, error);
            if (args->size() != 2 || args->at(0).typeId() != QMetaType::QString
                || args->at(1).typeId() != QMetaType::QString)
                return errorAnswer(400, srvMsg("LOGIN_ARGUMENTOS"));
            const QString user = args->at(0).toString();
            const QString newToken = sessions::login(ctx.db, user, args->at(1).toString());
            return {200, contracts::encodeReply(contracts::okReply({newToken})), u"S"_s, user};
        }

        try {
            ctx.user = sessions::validate(ctx.db, token);
        } catch (const ServerError &e) {
            return errorAnswer(401, e.text());
        }
        if (operation == QStringView(contracts::kLogoutOperation)) {
            sessions::logout(ctx.db, token);
            return {200, contracts::encodeReply(contracts::okReply()), u"S"_s, ctx.user};
        }

        // The module's operations that this server does not offer yet answer as unknown ones.
        const Operation op = findServerOperation(operation);
        const auto signature = contracts::findOperation(operation);
        if (!op || !signature) {
            Answer a = errorAnswer(200, srvMsg("OPERACAO_DESCONHECIDA").arg(operation));
            a.user = ctx.user;
            return a;
        }
        const auto raw = contracts::decodeCall(body, &error);
        std::optional<QList<QVariant>> args;
        if (raw)
            args = contracts::checkArguments(*signature, *raw, &error);
        if (!args) {
            Answer a = errorAnswer(200, error);
            a.user = ctx.user;
            return a;
        }
        try {
            const QVariant reply = op(ctx, *args);
            return {200, contracts::encodeReply(reply), outcomeOf(reply), ctx.user};
        } catch (const EMensErro &e) {
            Answer a = errorAnswer(200, e.text());
            a.user = ctx.user;
            return a;
        }
    } catch (const EMensErro &e) {
        return errorAnswer(200, e.text());
    } catch (const std::exception &e) {
        return errorAnswer(500, srvMsg("ERRO_INTERNO").arg(QString::fromUtf8(e.what())));
    }
}
