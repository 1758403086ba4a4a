// Fiscal treatment of a freight service, from the host's parametrization (TRIBSERVICO): CFOP and
// nature of the operation, ICMS situation, rate, base reduction and presumed credit for the
// company, operation type, product, kind of route and payer; ICMS computed from the total; the
// treatment's standard observations.
#include "Operations.h"

#include "CTeRecord.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <cmath>

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace {

double round2(double v)
{
    return std::round(v * 100.0) / 100.0;
}

// The interstate rate: 7 % from the South and Southeast (but Espírito Santo) to the North,
// Northeast, Centre-West and Espírito Santo, 12 % otherwise.
double defaultInterstateRate(const QString &from, const QString &to)
{
    static const QStringList southSoutheast {u"SP"_s, u"RJ"_s, u"MG"_s, u"PR"_s, u"SC"_s, u"RS"_s};
    return southSoutheast.contains(from) && !southSoutheast.contains(to) ? 7.0 : 12.0;
}

bool isBrazil(CallContext &ctx, const QString &country)
{
    QSqlQuery q
        = runSql(ctx.db, u"SELECT CDPAISBACEN FROM PAIS WHERE CDPAIS = :P"_s, {{u":P", country}});
    return q.next() && q.value(0).toString().trimmed() == u"1058";
}

// The ICMS groups with nothing to pay on this service: exempt, not taxed, deferred.
bool untaxed(const QString &cst)
{
    return cst == u"40" || cst == u"41" || cst == u"51";
}

} // namespace

QVariant GetDadosServico(CallContext &ctx, const Args &args)
{
    const QString company = args.at(0).toString().trimmed();
    const QString stateRegistration = args.at(1).toString().trimmed();
    const QString operationType = args.at(3).toString().trimmed();
    const QString product = args.at(4).toString().trimmed();
    const QString countryFrom = args.at(5).toString().trimmed();
    const QString stateFrom = args.at(6).toString().trimmed();
    const QString countryTo = args.at(8).toString().trimmed();
    const QString stateTo = args.at(9).toString().trimmed();
    const double total = args.at(11).toDouble();
    const QString payerSource = args.at(12).toString().trimmed();
    const QString payer = args.at(13).toString().trimmed();
    if (company.isEmpty())
        throw ServerError(srvMsg("EMPRESA_DEVE"));
    if (product.isEmpty())
        throw ServerError(srvMsg("PRODUTO_DEVE"));
    if (countryFrom.isEmpty() || stateFrom.isEmpty() || countryTo.isEmpty() || stateTo.isEmpty())
        throw ServerError(srvMsg("PERCURSO_DEVE"));
    if (total < 0 || !std::isfinite(total))
        throw ServerError(srvMsg("VALOR_NEGATIVO"));

    const bool abroad = countryFrom != countryTo || !isBrazil(ctx, countryFrom);
    const bool sameState = !abroad && stateFrom == stateTo;
    const QString route = abroad ? u"X"_s : sameState ? u"E"_s : u"I"_s;

    // The row of this payer, else the row for every payer.
    QSqlQuery p = runSql(
        ctx.db,
        u"SELECT NRTRIBSERVICO, CDCFOP, DSNATUOPERACAO, CDIMPOSTO, SGIMPOSTO, CDSITUTRIBIT, "
        "CDFISCALIT, VRALIQUOTA, VRREDBASECALC, VRPERCCREDPRES, "
        "CASE WHEN COALESCE(IDCADTOMADOR, '') = '' THEN 1 ELSE 0 END AS GERAL "
        "FROM TRIBSERVICO WHERE CDEMPRESA = :E AND CDTIPOOPER = :O AND CDARVPROD = :P "
        "AND IDPERCURSO = :R AND (COALESCE(IDCADTOMADOR, '') = '' "
        "OR (IDCADTOMADOR = :TS AND CDTOMADOR = :TC)) ORDER BY GERAL, NRTRIBSERVICO"_s,
        {{u":E", company},
         {u":O", operationType},
         {u":P", product},
         {u":R", route},
         {u":TS", payerSource},
         {u":TC", payer}});
    if (!p.next())
        return contracts::okReply({QVariant(u"N"_s)});
    const qint64 treatment = p.value(0).toLongLong();
    QString cfop = p.value(1).toString().trimmed();
    const QString nature = p.value(2).toString().trimmed();
    const QString taxCode = p.value(3).toString().trimmed();
    const QString taxName = p.value(4).toString().trimmed();
    const QString cst = p.value(5).toString().trimmed();
    const QString fiscalCode = p.value(6).toString().trimmed();
    const QVariant ownRate = p.value(7);
    const double reduction = p.value(8).toDouble();
    const double presumedCredit = p.value(9).toDouble();
    p.finish();

    if (!abroad) {
        // A service that starts outside the emitter's state is rendered for another state.
        QSqlQuery e = runSql(ctx.db,
                             u"SELECT SGESTADO FROM INSCRESTAD WHERE CDEMPRESA = :E "
                             "AND CDINSCESTA = :I"_s,
                             {{u":E", company}, {u":I", stateRegistration}});
        const QString emitterState = e.next() ? e.value(0).toString().trimmed() : QString();
        if (!emitterState.isEmpty() && emitterState != stateFrom)
            cfop = sameState ? u"5932"_s : u"6932"_s;
    }

    double base = 0;
    double rate = 0;
    double value = 0;
    double credit = 0;
    if (!abroad && !untaxed(cst)) {
        rate = !ownRate.isNull() ? ownRate.toDouble()
            : sameState          ? 0.0
                                 : defaultInterstateRate(stateFrom, stateTo);
        base = round2(total * (1.0 - reduction / 100.0));
        value = round2(base * rate / 100.0);
        credit = round2(value * presumedCredit / 100.0);
    }

    contracts::DataPacket taxes;
    taxes.fields = contracts::cte::taxFields();
    taxes.rows.append({0.0, 0.0, taxCode, taxName, base, rate, base > 0 ? reduction : 0.0, value,
                       credit, cst, fiscalCode.isEmpty() ? QVariant() : QVariant(fiscalCode)});

    QSqlQuery m = runSql(ctx.db,
                         u"SELECT T.CDMENSAGEM, M.DSMENSAGEM FROM TRIBSERVICOMENS T "
                         "JOIN MENSAGEM M ON M.CDMENSAGEM = T.CDMENSAGEM "
                         "WHERE T.NRTRIBSERVICO = :N ORDER BY T.NRORDEM"_s,
                         {{u":N", treatment}});
    const QList<FieldDef> messageFields {{u"CDMENSAGEM"_s, FieldType::String, 3},
                                         {u"DSDADOADIC"_s, FieldType::String, 255}};
    const contracts::DataPacket messages = packetsql::fromQuery(m, messageFields);

    return contracts::okReply({QVariant(u"S"_s), QVariant::fromValue(taxes), QVariant(cfop),
                               QVariant(nature), QVariant::fromValue(messages)});
}
