// The register of value components of the service price.
#include "Operations.h"

#include "CTeRecord.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "SqlSupport.h"

using namespace Qt::StringLiterals;

QVariant GetCompValorPrest(CallContext &ctx, const Args &args)
{
    // A code that is not a whole number names no component: the answer is an empty packet.
    bool ok = false;
    const qint64 code = args.at(0).toString().trimmed().toLongLong(&ok);
    QSqlQuery q = runSql(ctx.db,
                         u"SELECT CDCOMPVRPREST, DSCOMPVRPREST FROM COMPVRPREST "
                         "WHERE CDCOMPVRPREST = :C"_s,
                         {{u":C", ok ? code : qint64(-1)}});
    const contracts::DataPacket packet
        = packetsql::fromQuery(q, contracts::cte::valueComponentRegisterFields());
    return contracts::okReply({QVariant::fromValue(packet)});
}
