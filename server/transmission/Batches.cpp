// The transmission batches (CTELOTE: the documents sent together in one TransmiteCTe) for the
// batch window: their list, and settling the documents of the marked ones that still wait for
// the authority's answer.
#include "CTeRecord.h"
#include "MarkedRows.h"
#include "Operations.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "Settlement.h"
#include "SqlSupport.h"
#include "TransmissionMessages.h"

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace {

// The batches still waiting, then the most recent ones, at most this many.
constexpr int kBatchesListed = 300;

QList<FieldDef> batchFields()
{
    return {
        {u"IDCHECK"_s, FieldType::FixedString, 1},   {u"NRLOTECTE"_s, FieldType::String, 15},
        {u"NRRECIBOLOTE"_s, FieldType::String, 15},  {u"DTENVIOLOTE"_s, FieldType::DateTime},
        {u"CDSTATUSLOTE"_s, FieldType::String, 3},   {u"DSSTATUSLOTE"_s, FieldType::String, 255},
        {u"IDAMBIENTELOTE"_s, FieldType::String, 1}, {u"IDFORMAEMISLOTE"_s, FieldType::String, 2},
        {u"CDEMPRESA"_s, FieldType::String, 2},      {u"CDINSCESTA"_s, FieldType::String, 16},
        {u"CDLOTECTE"_s, FieldType::Float}};
}

contracts::DataPacket packetOf(QSqlQuery &q, const QList<FieldDef> &fields)
{
    contracts::DataPacket packet;
    packet.fields = fields;
    while (q.next()) {
        contracts::Row row;
        for (qsizetype i = 0; i < fields.size(); ++i)
            row << packetsql::readValue(q.value(int(i)), fields.at(i));
        packet.rows.append(row);
    }
    return packet;
}

} // namespace

QVariant GetAtualizaLoteCTe(CallContext &ctx, const Args &)
{
    QSqlQuery q = runSql(
        ctx.db,
        u"SELECT 'N', CAST(L.NRLOTE AS VARCHAR(15)), L.NRRECIBO, L.DTENVIO, L.CDSTATUS, "
        "L.DSSTATUS, (SELECT MIN(C.IDAMBIENTECTE) FROM CTELOTEDOC D JOIN CTE C ON "
        "C.CDCTE = D.CDCTE WHERE D.NRLOTE = L.NRLOTE), (SELECT MIN(C.IDFORMAEMISSAO) FROM "
        "CTELOTEDOC D JOIN CTE C ON C.CDCTE = D.CDCTE WHERE D.NRLOTE = L.NRLOTE), L.CDEMPRESA, "
        "L.CDINSCESTA, L.NRLOTE FROM CTELOTE L "
        "ORDER BY CASE WHEN L.IDSITUACAO = 'E' THEN 0 ELSE 1 END, L.NRLOTE DESC LIMIT %1"_s.arg(
            kBatchesListed));
    contracts::DataPacket packet = packetOf(q, batchFields());
    // The window keeps the list in batch-number order.
    std::sort(packet.rows.begin(), packet.rows.end(),
              [](const contracts::Row &a, const contracts::Row &b) {
                  return a.at(10).toDouble() < b.at(10).toDouble();
              });
    return contracts::okReply({QVariant::fromValue(packet)});
}

QVariant AtualizaLoteCTe(CallContext &ctx, const Args &args)
{
    const auto packet = args.at(0).value<contracts::DataPacket>();
    const QList<qint64> batches
        = markedKeys(packet, u"CDLOTECTE"_s, txMsg("PACOTE_SEM_MARCA_LOTE"));
    QList<qint64> waiting;
    for (qint64 batch : batches) {
        QSqlQuery q = runSql(ctx.db,
                             u"SELECT D.CDCTE FROM CTELOTEDOC D JOIN CTE C ON C.CDCTE = D.CDCTE "
                             "WHERE D.NRLOTE = :L AND C.IDSTATUSCTE = 'T' ORDER BY D.CDCTE"_s,
                             {{u":L", batch}});
        while (q.next())
            waiting.append(q.value(0).toLongLong());
    }
    const QVariant settled = settleAll(ctx.db, waiting);
    if (settled.toList().value(0).toString() != u"S")
        return settled;

    // The accepted documents of those batches whose e-mail has not gone yet.
    contracts::DataPacket email;
    email.fields = contracts::cte::emailResultFields();
    for (qint64 batch : batches) {
        QSqlQuery q
            = runSql(ctx.db,
                     u"SELECT C.CDCTE, C.NRCTE, COALESCE(C.IDEMAILCTE, 'P'), C.DSOBSEMAILCTE "
                     "FROM CTELOTEDOC D JOIN CTE C ON C.CDCTE = D.CDCTE "
                     "WHERE D.NRLOTE = :L AND C.IDSTATUSCTE = 'A' AND "
                     "COALESCE(C.IDEMAILCTE, 'P') <> 'E' ORDER BY C.CDCTE"_s,
                     {{u":L", batch}});
        contracts::DataPacket rows = packetOf(q, email.fields);
        for (contracts::Row &row : rows.rows) {
            row[3] = txMsg("EMAIL_PENDENTE");
            email.rows.append(row);
        }
    }
    return contracts::okReply({QVariant::fromValue(email)});
}
