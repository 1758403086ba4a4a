#include "SaveRequests.h"

#include "RpcProtocol.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace saverequests {

namespace {
constexpr int kMaxLength = 64;
} // namespace

void checkIdentifier(const QString &request)
{
    static const QRegularExpression allowed(u"^[A-Za-z0-9_{}-]+$"_s);
    if (request.isEmpty() || request.size() > kMaxLength || !allowed.match(request).hasMatch())
        throw ServerError(srvMsg("REQUISICAO_ID_INVALIDO").arg(kMaxLength));
}

QString contentDigest(const QList<QVariant> &deltas)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(contracts::encodeCall(deltas), QCryptographicHash::Sha256)
            .toHex());
}

std::optional<QVariant> firstOutcome(const QSqlDatabase &db, const QString &request,
                                     const QString &user, const QString &digest)
{
    QSqlQuery q = runSql(db,
                         u"SELECT NMUSUARIO, DSRESPOSTA, DSRESUMO FROM SRVREQUISICAO "
                         "WHERE DSREQUISICAO = :R"_s,
                         {{u":R", request}});
    if (!q.next())
        return std::nullopt;
    if (q.value(0).toString() != user)
        throw ServerError(srvMsg("REQUISICAO_DE_OUTRO"));
    // Saves recorded before the digest was kept have none to compare.
    if (!q.value(2).isNull() && q.value(2).toString() != digest)
        throw ServerError(srvMsg("REQUISICAO_OUTRO_CONTEUDO"));
    QString error;
    const auto reply = contracts::decodeReply(q.value(1).toString().toUtf8(), &error);
    if (!reply)
        throw ServerError(srvMsg("REQUISICAO_RESPOSTA_ILEGIVEL").arg(error));
    return reply;
}

bool claim(const QSqlDatabase &db, const QString &request, const QString &user,
           const QString &digest)
{
    QSqlQuery q
        = runSql(db,
                 u"INSERT INTO SRVREQUISICAO (DSREQUISICAO, NMUSUARIO, DTCRIACAO, DSRESUMO) "
                 "VALUES (:R, :U, :D, :H) ON CONFLICT (DSREQUISICAO) DO NOTHING "
                 "RETURNING DSREQUISICAO"_s,
                 {{u":R", request},
                  {u":U", user},
                  {u":D", QDateTime::currentDateTimeUtc()},
                  {u":H", digest}});
    return q.next();
}

void record(const QSqlDatabase &db, const QString &request, const QVariant &reply)
{
    runSql(db, u"UPDATE SRVREQUISICAO SET DSRESPOSTA = :A WHERE DSREQUISICAO = :R"_s,
           {{u":A", QString::fromUtf8(contracts::encodeReply(reply))}, {u":R", request}});
}

void prune(const QSqlDatabase &db, int days)
{
    runSql(db, u"DELETE FROM SRVREQUISICAO WHERE DTCRIACAO < :D"_s,
           {{u":D", QDateTime::currentDateTimeUtc().addDays(-days)}});
}

} // namespace saverequests
