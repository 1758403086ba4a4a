// Fiscal treatment of a freight service for the editor: the parametrization's CFOP, nature,
// ICMS row and standard observations for the service the document describes, with the ICMS
// computed from the total.
#include "Operations.h"

#include "CTeRecord.h"
#include "FiscalTreatment.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

QVariant GetDadosServico(CallContext &ctx, const Args &args)
{
    fiscal::ServiceKeys keys;
    keys.company = args.at(0).toString().trimmed();
    keys.stateRegistration = args.at(1).toString().trimmed();
    keys.operationType = args.at(3).toString().trimmed();
    keys.product = args.at(4).toString().trimmed();
    keys.countryFrom = args.at(5).toString().trimmed();
    keys.stateFrom = args.at(6).toString().trimmed();
    keys.countryTo = args.at(8).toString().trimmed();
    keys.stateTo = args.at(9).toString().trimmed();
    keys.payerSource = args.at(12).toString().trimmed();
    keys.payer = args.at(13).toString().trimmed();
    fiscal::requireKeys(keys);
    const auto total = money::centsOf(args.at(11));
    if (!total)
        throw ServerError(srvMsg("VALOR_TOTAL_CENTAVOS"));
    if (*total < 0)
        throw ServerError(srvMsg("VALOR_NEGATIVO"));

    const auto treatment = fiscal::findTreatment(ctx, keys);
    if (!treatment)
        return contracts::okReply({QVariant(u"N"_s)});
    const fiscal::Icms icms = fiscal::icmsOf(*treatment, *total);

    contracts::DataPacket taxes;
    taxes.fields = contracts::cte::taxFields();
    taxes.rows.append(
        {0.0, 0.0, treatment->taxCode, treatment->taxName, money::toDouble(icms.base),
         money::toDouble(icms.rate), money::toDouble(icms.reduction), money::toDouble(icms.value),
         money::toDouble(icms.credit), treatment->cst,
         treatment->fiscalCode.isEmpty() ? QVariant() : QVariant(treatment->fiscalCode)});

    QSqlQuery m = runSql(ctx.db,
                         u"SELECT T.CDMENSAGEM, M.DSMENSAGEM FROM TRIBSERVICOMENS T "
                         "JOIN MENSAGEM M ON M.CDMENSAGEM = T.CDMENSAGEM "
                         "WHERE T.NRTRIBSERVICO = :N ORDER BY T.NRORDEM"_s,
                         {{u":N", treatment->number}});
    const QList<FieldDef> messageFields {{u"CDMENSAGEM"_s, FieldType::String, 3},
                                         {u"DSDADOADIC"_s, FieldType::String, 255}};
    const contracts::DataPacket messages = packetsql::fromQuery(m, messageFields);

    return contracts::okReply({QVariant(u"S"_s), QVariant::fromValue(taxes),
                               QVariant(treatment->cfop), QVariant(treatment->nature),
                               QVariant::fromValue(messages)});
}
