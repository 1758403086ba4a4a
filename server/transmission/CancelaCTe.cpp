// CancelaCTe: the cancellation event of an accepted document, signed with the issuer's
// certificate, checked against the event schemas and registered at the authority.
#include "FiscalEvent.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "Settlement.h"
#include "SqlSupport.h"
#include "StatusQueryClient.h"
#include "TransmissionMessages.h"
#include "XmlOut.h"

using namespace Qt::StringLiterals;

namespace {

constexpr char kCancellationType[] = "110111";

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
    insertEvent(db, key, QString::fromLatin1(kCancellationType), sequence, a, process);
    tx.commit();
}

} // namespace

QVariant CancelaCTe(CallContext &ctx, const Args &args)
{
    const qint64 key = qint64(args.at(0).toString().trimmed().toDouble());
    const QString justification = args.at(1).toString();
    // What the authority would refuse is said before anything is signed or sent.
    if (const QString problem = justificationProblem(justification, txMsg("MOTIVO_CANCELAMENTO"));
        !problem.isEmpty())
        return contracts::failReply(problem);
    const AcceptedDocument doc = readAcceptedDocument(ctx.db, key, txMsg("CANCELA_SITUACAO"));
    const AuthorityServices authority;
    if (authority.settings().schemaDir.isEmpty())
        throw ServerError(txMsg("SCHEMAS_NAO_CONFIGURADOS"));

    EventHeader header = doc.header;
    header.type = QString::fromLatin1(kCancellationType);
    header.sequence = nextEventSequence(ctx.db, key, header.type);
    XmlOut detail;
    detail.open("evCancCTe");
    detail.leaf("descEvento", u"Cancelamento"_s);
    detail.leafAscii("nProt", doc.protocol.toLatin1());
    detail.leaf("xJust", justification);
    detail.close("evCancCTe");
    const SentEvent sent
        = sendFiscalEvent(authority, header, detail.bytes(), "evCancCTe", u"evCancCTe_v4.00.xsd"_s);
    if (!sent.schemaProblem.isEmpty())
        return contracts::failReply(txMsg("CANCELA_SCHEMA").arg(sent.schemaProblem));
    const EventAnswer &answer = sent.answer;
    if (answer.answered && answer.registered()) {
        storeCancellation(ctx.db, key, header.sequence, answer,
                          eventProcess(sent.event.xml, answer.retEventoXml));
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
