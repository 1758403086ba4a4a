#include "NetConnection.h"

#include "Exceptions.h"
#include "Messages.h"
#include "Orvglob.h"
#include "RpcProtocol.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

using namespace Qt::StringLiterals;

TNetConnection::TNetConnection(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    setObjectName(u"netCTe"_s);
}

TNetConnection::~TNetConnection()
{
    Disconnect();
}

QString TNetConnection::Address() const
{
    return u"%1:%2"_s.arg(m_host).arg(m_port);
}

QByteArray TNetConnection::post(const QString &operation, const QByteArray &body, int *httpStatus)
{
    QUrl url;
    url.setScheme(u"http"_s);
    url.setHost(m_host);
    url.setPort(m_port);
    url.setPath(QString::fromUtf16(contracts::kRpcPathPrefix) + operation);
    if (!url.isValid() || m_host.trimmed().isEmpty() || m_port <= 0 || m_port > 65535)
        MensErro(FwMsg(u"FW_NET_ENDERECO_INVALIDO"_s).arg(Address()));

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, u"application/json"_s);
    if (!m_token.isEmpty())
        request.setRawHeader(contracts::kSessionHeader, m_token.toLatin1());
    request.setTransferTimeout(m_timeoutSeconds * 1000);

    QNetworkReply *reply = m_manager->post(request, body);
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The window keeps painting and the busy animation keeps turning; typing and clicks wait.
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    const QNetworkReply::NetworkError error = reply->error();
    *httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray answer = reply->isOpen() ? reply->readAll() : QByteArray();
    const QString errorText = reply->errorString();
    // A proxy's or gateway's own error page is not the server's answer.
    const bool serverAnswer = reply->header(QNetworkRequest::ContentTypeHeader)
                                  .toString()
                                  .startsWith(u"application/json"_s);
    reply->deleteLater();

    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
        MensErro(FwMsg(u"FW_NET_TEMPO_ESGOTADO"_s).arg(Address()).arg(m_timeoutSeconds));
    // An HTTP error status with the server's answer still carries the server's own text.
    if (error != QNetworkReply::NoError && (*httpStatus == 0 || answer.isEmpty() || !serverAnswer))
        MensErro(FwMsg(u"FW_NET_FALHA"_s).arg(Address(), errorText));
    return answer;
}

void TNetConnection::Connect()
{
    Connect(Orvglob::UsuarioProc, Orvglob::SenhaProc);
}

void TNetConnection::Connect(const QString &user, const QString &password)
{
    m_token.clear();
    m_user = user;
    m_password = password;
    m_loginKnown = true;
    int status = 0;
    const QByteArray answer = post(QString::fromUtf16(contracts::kLoginOperation),
                                   contracts::encodeCall({user, password}), &status);
    QString error;
    const auto reply = contracts::decodeReply(answer, &error);
    if (!reply)
        MensErro(FwMsg(u"FW_NET_RESPOSTA_ILEGIVEL"_s).arg(Address(), error));
    const QVariantList list = reply->toList();
    if (reply->typeId() == QMetaType::QString)
        MensErro(FwMsg(u"FW_NET_LOGIN_RECUSADO"_s).arg(Address(), reply->toString()));
    if (list.size() < 2 || list.first().toString() != u"S" || list.at(1).toString().isEmpty())
        MensErro(FwMsg(u"FW_NET_RESPOSTA_ILEGIVEL"_s).arg(Address(), list.value(1).toString()));
    m_token = list.at(1).toString();
}

void TNetConnection::Disconnect()
{
    if (m_token.isEmpty())
        return;
    try {
        int status = 0;
        post(QString::fromUtf16(contracts::kLogoutOperation), "[]", &status);
    } catch (const EFramework &) {
        // The session expires on the server by itself.
    }
    m_token.clear();
}

void TNetConnection::reconnect()
{
    if (m_loginKnown)
        Connect(m_user, m_password);
    else
        Connect();
}

QVariant TNetConnection::AppServer(const QString &operation, const QVariantList &args)
{
    const QByteArray body = contracts::encodeCall(args);
    // No session yet (the server was down when the window came up, or it ended the last one):
    // log in first; only a failed login is shown.
    bool relogged = false;
    if (m_token.isEmpty()) {
        reconnect();
        relogged = true;
    }
    int status = 0;
    QByteArray answer = post(operation, body, &status);
    // A session the server no longer accepts: log in again once and send the same call again
    // (a save carries its request identifier, so it is never applied twice).
    if (status == 401 && !relogged) {
        m_token.clear();
        reconnect();
        answer = post(operation, body, &status);
    }
    if (status == 401)
        m_token.clear();
    QString error;
    const auto reply = contracts::decodeReply(answer, &error);
    if (!reply)
        MensErro(FwMsg(u"FW_NET_RESPOSTA_ILEGIVEL"_s).arg(Address(), error));
    return *reply;
}
