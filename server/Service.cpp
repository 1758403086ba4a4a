// Fiscal treatment of a freight service: CFOP by the kind of route, nature of the operation,
// ICMS by the route's rate, and the product's standard observations.
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

// The interstate rate when no rate is registered for the route: 7 % from the South and
// Southeast (but Espírito Santo) to the North, Northeast, Centre-West and Espírito Santo,
// 12 % otherwise.
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

} // namespace

QVariant GetDadosServico(CallContext &ctx, const Args &args)
{
    const QString company = args.at(0).toString().trimmed();
    const QString stateRegistration = args.at(1).toString().trimmed();
    const QString product = args.at(4).toString().trimmed();
    const QString countryFrom = args.at(5).toString().trimmed();
    const QString stateFrom = args.at(6).toString().trimmed();
    const QString countryTo = args.at(8).toString().trimmed();
    const QString stateTo = args.at(9).toString().trimmed();
    const double total = args.at(11).toDouble();
    if (company.isEmpty())
        throw ServerError(srvMsg("EMPRESA_DEVE"));
    if (product.isEmpty())
        throw ServerError(srvMsg("PRODUTO_DEVE"));
    if (countryFrom.isEmpty() || stateFrom.isEmpty() || countryTo.isEmpty() || stateTo.isEmpty())
        throw ServerError(srvMsg("PERCURSO_DEVE"));
    if (total < 0)
        throw ServerError(srvMsg("VALOR_NEGATIVO"));

    QSqlQuery p
        = runSql(ctx.db,
                 u"SELECT CDCFOPESTADUAL, CDCFOPINTEREST, CDCFOPEXTERIOR, DSNATUOPERACAO, "
                 "CDIMPOSTO, SGIMPOSTO, CDSITUTRIBIT, CDFISCALIT, VRALIQINTERNA, "
                 "VRREDBASECALC FROM PARAMFISCSERV WHERE CDEMPRESA = :E AND CDARVPROD = :P"_s,
                 {{u":E", company}, {u":P", product}});
    if (!p.next())
        return contracts::okReply({QVariant(u"N"_s)});
    const QString cfopSameState = p.value(0).toString();
    const QString cfopInterstate = p.value(1).toString();
    const QString cfopAbroad = p.value(2).toString();
    const QString nature = p.value(3).toString();
    const QString taxCode = p.value(4).toString();
    const QString taxName = p.value(5).toString();
    QString cst = p.value(6).toString();
    const QString fiscalCode = p.value(7).toString();
    const double internalRate = p.value(8).toDouble();
    const double reduction = p.value(9).toDouble();
    p.finish();

    const bool abroad = countryFrom != countryTo || !isBrazil(ctx, countryFrom);
    QString cfop;
    double rate = 0;
    if (abroad) {
        cfop = cfopAbroad;
        cst = u"41"_s; // not taxed
    } else {
        // A service that starts outside the emitter's state is another's service to the state.
        QString emitterState;
        QSqlQuery e = runSql(ctx.db,
                             u"SELECT SGESTADO FROM INSCRESTAD WHERE CDEMPRESA = :E "
                             "AND CDINSCESTA = :I"_s,
                             {{u":E", company}, {u":I", stateRegistration}});
        if (e.next())
            emitterState = e.value(0).toString();
        const bool sameState = stateFrom == stateTo;
        if (!emitterState.isEmpty() && emitterState != stateFrom)
            cfop = sameState ? u"5932"_s : u"6932"_s;
        else
            cfop = sameState ? cfopSameState : cfopInterstate;
        if (sameState) {
            rate = internalRate;
        } else {
            QSqlQuery r = runSql(ctx.db,
                                 u"SELECT VRALIQUOTA FROM PARAMFISCALIQ WHERE SGESTADOORIG = :O "
                                 "AND SGESTADODEST = :D"_s,
                                 {{u":O", stateFrom}, {u":D", stateTo}});
            rate = r.next() ? r.value(0).toDouble() : defaultInterstateRate(stateFrom, stateTo);
        }
    }
    const double base = abroad ? 0.0 : round2(total * (1.0 - reduction / 100.0));
    const double value = round2(base * rate / 100.0);

    contracts::DataPacket taxes;
    taxes.fields = contracts::cte::taxFields();
    taxes.rows.append({0.0, 0.0, taxCode, taxName, base, rate, abroad ? 0.0 : reduction, value, 0.0,
                       cst, fiscalCode.isEmpty() ? QVariant() : QVariant(fiscalCode)});

    QSqlQuery m = runSql(ctx.db,
                         u"SELECT CDMENSAGEM, DSMENSAGEM FROM PARAMFISCMENS WHERE CDEMPRESA = :E "
                         "AND CDARVPROD = :P ORDER BY NRORDEM"_s,
                         {{u":E", company}, {u":P", product}});
    const QList<FieldDef> messageFields {{u"CDMENSAGEM"_s, FieldType::String, 3},
                                         {u"DSDADOADIC"_s, FieldType::String, 255}};
    const contracts::DataPacket messages = packetsql::fromQuery(m, messageFields);

    return contracts::okReply({QVariant(u"S"_s), QVariant::fromValue(taxes), QVariant(cfop),
                               QVariant(nature), QVariant::fromValue(messages)});
}
