// CartaCorrecaoCTe: the correction letter of an accepted document, signed, checked against the
// event schemas, registered at the authority and kept with the document in sequence order.
#include "CorrectionFields.h"
#include "CorrectionLetter.h"
#include "DataPacket.h"
#include "FiscalEvent.h"
#include "Operations.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "SqlSupport.h"
#include "StatusQueryClient.h"
#include "TransmissionMessages.h"

using namespace Qt::StringLiterals;
using contracts::DataPacket;
using contracts::FieldType;

namespace {

const QString kCorrectionType = u"110110"_s;

QList<Correction> correctionsFrom(const DataPacket &packet)
{
    const int group = packet.indexOf(u"DSGRUPO"_s);
    const int field = packet.indexOf(u"DSCAMPO"_s);
    const int value = packet.indexOf(u"DSVALOR"_s);
    const int item = packet.indexOf(u"NRITEM"_s);
    if (group < 0 || field < 0 || value < 0)
        throw ServerError(txMsg("CCE_PACOTE"));
    QList<Correction> out;
    for (const contracts::Row &row : packet.rows) {
        out.append({row.at(group).toString().trimmed(), row.at(field).toString().trimmed(),
                    row.at(value).toString(),
                    item < 0 ? 0 : int(row.at(item).toString().trimmed().toDouble())});
    }
    return out;
}

void storeLetter(const QSqlDatabase &db, qint64 key, int sequence, const EventAnswer &answer,
                 const QByteArray &process)
{
    SqlTransaction tx(db);
    insertEvent(db, key, kCorrectionType, sequence, answer, process);
    tx.commit();
}

} // namespace

QVariant CartaCorrecaoCTe(CallContext &ctx, const Args &args)
{
    const qint64 key = qint64(args.at(0).toString().trimmed().toDouble());
    const QList<Correction> corrections = correctionsFrom(args.at(1).value<DataPacket>());
    // What the law or the layout forbids never leaves the server.
    if (const QString problem = correctionsProblem(corrections); !problem.isEmpty())
        return contracts::failReply(problem);
    const AcceptedDocument doc = readAcceptedDocument(ctx.db, key, txMsg("CCE_SITUACAO"));
    EventHeader header = doc.header;
    header.type = kCorrectionType;
    header.sequence = nextEventSequence(ctx.db, key, kCorrectionType);
    if (header.sequence > contracts::correction::kMaxLetters)
        return contracts::failReply(
            txMsg("CCE_LIMITE").arg(doc.number).arg(contracts::correction::kMaxLetters));
    const AuthorityServices authority;
    if (authority.settings().schemaDir.isEmpty())
        throw ServerError(txMsg("SCHEMAS_NAO_CONFIGURADOS"));

    const SentEvent sent = sendFiscalEvent(authority, header, correctionDetail(corrections),
                                           "evCCeCTe", u"evCCeCTe_v4.00.xsd"_s);
    if (!sent.schemaProblem.isEmpty())
        return contracts::failReply(txMsg("CCE_SCHEMA").arg(sent.schemaProblem));
    const EventAnswer &answer = sent.answer;
    if (answer.answered && answer.registered()) {
        storeLetter(ctx.db, key, header.sequence, answer,
                    eventProcess(sent.event.xml, answer.retEventoXml));
        return contracts::okReply({answer.protocol});
    }
    // Without an answer, or told it is a duplicate, the letter may be registered: the status
    // query lists the document's events.
    if (!answer.answered || answer.status == u"631") {
        const SituationAnswer situation
            = authority.querySituation(header.accessKey, header.environment);
        for (const RegisteredEvent &e : situation.events) {
            if (e.type != kCorrectionType || e.sequence != header.sequence)
                continue;
            EventAnswer found;
            found.status = u"135"_s;
            found.protocol = e.protocol;
            found.registeredAt = e.registeredAt;
            storeLetter(ctx.db, key, header.sequence, found, e.procXml);
            return contracts::okReply({e.protocol});
        }
    }
    if (!answer.answered)
        return contracts::failReply(txMsg("CCE_SEM_RESPOSTA").arg(answer.problem));
    return contracts::failReply(txMsg("CCE_RECUSADO").arg(answer.status, answer.reason));
}

QVariant GetCartaCorrecaoCTe(CallContext &ctx, const Args &args)
{
    const qint64 key = qint64(args.at(0).toString().trimmed().toDouble());
    QSqlQuery q = runSql(ctx.db,
                         u"SELECT NRSEQEVENTO, NRPROTOCOLO, DTREGISTRO, DSXMLEVENTO FROM CTEEVENTO "
                         "WHERE CDCTE = :K AND TPEVENTO = :T ORDER BY NRSEQEVENTO"_s,
                         {{u":K", key}, {u":T", kCorrectionType}});
    DataPacket p;
    p.fields = {{u"NRSEQEVENTO"_s, FieldType::Integer},
                {u"NRPROTOCOLO"_s, FieldType::String, 15},
                {u"DTREGISTRO"_s, FieldType::DateTime},
                {u"DSCORRECAO"_s, FieldType::Memo}};
    while (q.next()) {
        QStringList lines;
        for (const Correction &c : letterContent(q.value(3).toString().toUtf8()).corrections)
            lines.append(c.item > 0
                             ? u"%1/%2[%3] = %4"_s.arg(c.group, c.field).arg(c.item).arg(c.value)
                             : u"%1/%2 = %3"_s.arg(c.group, c.field, c.value));
        p.rows.append({q.value(0).toLongLong(), q.value(1).toString(),
                       packetsql::readValue(q.value(2), p.fields.at(2)), lines.join(u"; "_s)});
    }
    return contracts::okReply({QVariant::fromValue(p)});
}
