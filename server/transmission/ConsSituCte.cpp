// ConsSituCte: the situation of the marked documents of the company's list, asked of the
// authority by access key and stored.
#include "MarkedRows.h"
#include "Operations.h"
#include "ServerError.h"
#include "Settlement.h"
#include "SqlSupport.h"
#include "TransmissionMessages.h"

using namespace Qt::StringLiterals;

QVariant ConsSituCte(CallContext &ctx, const Args &args)
{
    const auto packet = args.at(0).value<contracts::DataPacket>();
    const QString company = args.at(1).toString().trimmed();
    const QString registration = args.at(2).toString().trimmed();
    if (company.isEmpty())
        throw ServerError(txMsg("EMPRESA_DEVE"));
    QList<qint64> keys;
    for (qint64 key : markedKeys(packet, u"CDCTE"_s, txMsg("PACOTE_SEM_MARCA"))) {
        // Only the company's documents, and the registration's when one is given.
        QSqlQuery q = runSql(
            ctx.db,
            u"SELECT 1 FROM CTE WHERE CDCTE = :K AND CDEMPRESA = :E AND "
            "(:I = '' OR NRINSESTEMIT = :I2)"_s,
            {{u":K", key}, {u":E", company}, {u":I", registration}, {u":I2", registration}});
        if (q.next())
            keys.append(key);
    }
    return settleAll(ctx.db, keys);
}
