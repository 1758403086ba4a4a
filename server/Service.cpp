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
    // The arguments by the document fields they come from; the payer code is the client's or
    // the supplier's as its source says.
    const fiscal::ServiceKeys keys = fiscal::keysOfDocument({{u"CDEMPRESA"_s, args.at(0)},
                                                             {u"NRINSESTEMIT"_s, args.at(1)},
                                                             {u"CDTIPOOPER"_s, args.at(3)},
                                                             {u"CDARVPROD"_s, args.at(4)},
                                                             {u"CDPAISINISERV"_s, args.at(5)},
                                                             {u"SGESTADOINISERV"_s, args.at(6)},
                                                             {u"CDPAISFIMSERV"_s, args.at(8)},
                                                             {u"SGESTADOFIMSERV"_s, args.at(9)},
                                                             {u"IDCADTOMADOR"_s, args.at(12)},
                                                             {u"CDTOMADORCLI"_s, args.at(13)},
                                                             {u"CDTOMADORFOR"_s, args.at(13)}});
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
