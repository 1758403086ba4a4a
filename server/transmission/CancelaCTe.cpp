// CancelaCTe: the cancellation event of an accepted document, signed with the issuer's
// certificate, checked against the event schemas and registered at the authority.
#include "CancellationEvent.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "Settlement.h"
#include "SqlSupport.h"
#include "StatusQueryClient.h"
#include "TransmissionMessages.h"

using namespace Qt::StringLiterals;

namespace {

constexpr char kCancellationType[] = "110111";

struct Accepted
{
    QString number;
    QString accessKey;
    QString protocol;
    QString environment;
    QString issuerCnpj;
    QString issuerUf;
};

Accepted readAccepted(const QSqlDatabase &db, qint64 key)
{
    QSqlQuery q = runSql(db,
                         u"SELECT NRCTE, IDSTATUSCTE, NRACESSOCTE, NRPROTOCOLCTE, IDAMBIENTECTE, "
                         "NRINSJUREMIT, SGESTADOEMIT FROM CTE WHERE CDCTE = :K"_s,
                         {{u":K", key}});
    if (!q.next())
        throw ServerError(txMsg("CANCELA_DOC_INEXISTENTE").arg(key));
    Accepted a;
    a.number = q.value(0).toString().trimmed();
    const QString status = q.value(1).toString().trimmed();
    a.accessKey = q.value(2).toString().trimmed();
    a.protocol = q.value(3).toString().trimmed();
    a.environment = q.value(4).toString().trimmed();
    a.issuerCnpj = q.value(5).toString().remove(u'.').remove(u'/').remove(u'-').trimmed();
    a.issuerUf = q.value(6).toString().trimmed();
    if (status != u"A")
        throw ServerError(txMsg("CANCELA_SITUACAO").arg(a.number, status));
    if (a.protocol.isEmpty() || a.accessKey.size() != 44)
        throw ServerError(txMsg("CANCELA_SEM_PROTOCOLO").arg(a.number));
    return a;
}

int nextSequence(const QSqlDatabase &db, qint64 key)
{
    QSqlQuery q = runSql(db,
                         u"SELECT COALESCE(MAX(NRSEQEVENTO), 0) + 1 FROM CTEEVENTO "
                         "WHERE CDCTE = :K AND TPEVENTO = :T"_s,
                         {{u":K", key}, {u":T", QString::fromLatin1(kCancellationType)}});
    return q.next() ? q.value(0).toInt() : 1;
}

void storeCancellation(const QSqlDatabase &db, qint64 key, int sequence, const EventAnswer &a,
                       const QByteArray &process)
{
    SqlTransaction tx(db);
    runSql(
        db,
        u"UPDATE CTE SET IDSTATUSCTE = 'C', CDSTATUSCTE = :C, DSSTATUSCTE = :D, "
        "NRPROTOCOLCANC = :P, DTCANCELAMENTO = :T, DSXMLCANCELAMENTO = :X "
        "WHERE CDCTE = :K AND IDSTATUSCTE = 'A'"_s,
        {{u":C", a.status.left(3)},
         {u":D", a.reason.left(255)},
         {u":P", a.protocol.left(15)},
         {u":T",
          a.registeredAt.isValid() ? a.registeredAt.toLocalTime() : QDateTime::currentDateTime()},
         {u":X", QString::fromUtf8(process)},
         {u":K", key}});
    runSql(
        db,
        u"INSERT INTO CTEEVENTO (CDCTE, TPEVENTO, NRSEQEVENTO, NRPROTOCOLO, DTREGISTRO, "
        "CDSTATUS, DSXMLEVENTO) VALUES (:K, :T, :S, :P, :D, :C, :X)"_s,
        {{u":K", key},
         {u":T", QString::fromLatin1(kCancellationType)},
         {u":S", sequence},
         {u":P", a.protocol.left(15)},
         {u":D",
          a.registeredAt.isValid() ? a.registeredAt.toLocalTime() : QDateTime::currentDateTime()},
         {u":C", a.status.left(3)},
         {u":X", QString::fromUtf8(process)}});
    tx.commit();
}

} // namespace

QVariant CancelaCTe(CallContext &ctx, const Args &args)
{
    const qint64 key = qint64(args.at(0).toString().trimmed().toDouble());
    const QString justification = args.at(1).toString();
    // What the authority would refuse is said before anything is signed or sent.
    if (const QString problem = justificationProblem(justification); !problem.isEmpty())
        return contracts::failReply(problem);
    const Accepted doc = readAccepted(ctx.db, key);
    const AuthorityServices authority;
    if (authority.settings().schemaDir.isEmpty())
        throw ServerError(txMsg("SCHEMAS_NAO_CONFIGURADOS"));

    CancellationRequest request;
    request.accessKey = doc.accessKey;
    request.issuerCnpj = doc.issuerCnpj;
    request.environment = doc.environment.isEmpty() ? u"2"_s : doc.environment;
    request.protocol = doc.protocol;
    request.justification = justification;
    request.sequence = nextSequence(ctx.db, key);
    request.at = QDateTime::currentDateTime();
    request.issuerUf = doc.issuerUf;
    const SignedXml event = buildCancellationEvent(request, authority.certificate());
    if (const QString problem
        = validateCancellationEvent(event.xml, authority.settings().schemaDir);
        !problem.isEmpty())
        return contracts::failReply(txMsg("CANCELA_SCHEMA").arg(problem));

    const EventAnswer answer = authority.sendEvent(event.xml);
    if (answer.answered && answer.registered()) {
        storeCancellation(ctx.db, key, request.sequence, answer,
                          cancellationProcess(event.xml, answer.retEventoXml));
        return contracts::okReply({answer.protocol});
    }
    // Without an answer, or told the event is a duplicate, the event may be registered: the
    // document's situation says whether it was.
    if (!answer.answered || answer.status == u"631") {
        const Settled settled = settleDocument(ctx.db, authority, key);
        if (settled.status == u"C")
            return contracts::okReply({settled.text});
    }
    if (!answer.answered)
        return contracts::failReply(txMsg("CANCELA_SEM_RESPOSTA").arg(answer.problem));
    return contracts::failReply(txMsg("CANCELA_RECUSADO").arg(answer.status, answer.reason));
}
