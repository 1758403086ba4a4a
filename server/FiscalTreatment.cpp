#include "FiscalTreatment.h"

#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace fiscal {

namespace {

// The interstate rate: 7 % from the South and Southeast (but Espírito Santo) to the North,
// Northeast, Centre-West and Espírito Santo, 12 % otherwise.
money::Decimal defaultInterstateRate(const QString &from, const QString &to)
{
    static const QStringList southSoutheast {u"SP"_s, u"RJ"_s, u"MG"_s, u"PR"_s, u"SC"_s, u"RS"_s};
    return {southSoutheast.contains(from) && !southSoutheast.contains(to) ? 7 : 12, 0};
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

QString emitterState(CallContext &ctx, const ServiceKeys &keys)
{
    QSqlQuery e = runSql(ctx.db,
                         u"SELECT SGESTADO FROM INSCRESTAD WHERE CDEMPRESA = :E "
                         "AND CDINSCESTA = :I"_s,
                         {{u":E", keys.company}, {u":I", keys.stateRegistration}});
    return e.next() ? e.value(0).toString().trimmed() : QString();
}

money::Decimal decimalColumn(const QVariant &v)
{
    return v.isNull() ? money::Decimal {} : money::decimalOf(v).value_or(money::Decimal {});
}

} // namespace

ServiceKeys keysOfDocument(const QHash<QString, QVariant> &d)
{
    const auto text = [&d](const char16_t *field) {
        return d.value(QString::fromUtf16(field)).toString().trimmed();
    };
    ServiceKeys k;
    k.company = text(u"CDEMPRESA");
    k.stateRegistration = text(u"NRINSESTEMIT");
    k.operationType = text(u"CDTIPOOPER");
    k.product = text(u"CDARVPROD");
    k.countryFrom = text(u"CDPAISINISERV");
    k.stateFrom = text(u"SGESTADOINISERV");
    k.countryTo = text(u"CDPAISFIMSERV");
    k.stateTo = text(u"SGESTADOFIMSERV");
    k.payerSource = text(u"IDCADTOMADOR");
    if (k.payerSource == u"C")
        k.payer = text(u"CDTOMADORCLI");
    else if (k.payerSource == u"F")
        k.payer = text(u"CDTOMADORFOR");
    return k;
}

void requireKeys(const ServiceKeys &keys)
{
    if (keys.company.isEmpty())
        throw ServerError(srvMsg("EMPRESA_DEVE"));
    if (keys.product.isEmpty())
        throw ServerError(srvMsg("PRODUTO_DEVE"));
    if (keys.countryFrom.isEmpty() || keys.stateFrom.isEmpty() || keys.countryTo.isEmpty()
        || keys.stateTo.isEmpty())
        throw ServerError(srvMsg("PERCURSO_DEVE"));
}

std::optional<Treatment> findTreatment(CallContext &ctx, const ServiceKeys &keys)
{
    requireKeys(keys);

    const bool abroad = keys.countryFrom != keys.countryTo || !isBrazil(ctx, keys.countryFrom);
    const bool sameState = !abroad && keys.stateFrom == keys.stateTo;
    const QString route = abroad ? u"X"_s : sameState ? u"E"_s : u"I"_s;
    // A service that starts outside the emitter's state has rows of its own.
    QString startsOutside = u"N"_s;
    if (!abroad) {
        const QString emitter = emitterState(ctx, keys);
        if (!emitter.isEmpty() && emitter != keys.stateFrom)
            startsOutside = u"S"_s;
    }

    QSqlQuery p = runSql(
        ctx.db,
        u"SELECT NRTRIBSERVICO, CDCFOP, DSNATUOPERACAO, CDIMPOSTO, SGIMPOSTO, CDSITUTRIBIT, "
        "CDFISCALIT, VRALIQUOTA, VRREDBASECALC, VRPERCCREDPRES, "
        "CASE WHEN COALESCE(IDCADTOMADOR, '') = '' THEN 1 ELSE 0 END AS GERAL "
        "FROM TRIBSERVICO WHERE CDEMPRESA = :E AND CDTIPOOPER = :O AND CDARVPROD = :P "
        "AND IDPERCURSO = :R AND IDINICIOFORAUF = :F AND (COALESCE(IDCADTOMADOR, '') = '' "
        "OR (IDCADTOMADOR = :TS AND CDTOMADOR = :TC)) ORDER BY GERAL, NRTRIBSERVICO"_s,
        {{u":E", keys.company},
         {u":O", keys.operationType},
         {u":P", keys.product},
         {u":R", route},
         {u":F", startsOutside},
         {u":TS", keys.payerSource},
         {u":TC", keys.payer}});
    if (!p.next())
        return std::nullopt;
    Treatment t;
    t.number = p.value(0).toLongLong();
    t.cfop = p.value(1).toString().trimmed();
    t.nature = p.value(2).toString().trimmed();
    t.taxCode = p.value(3).toString().trimmed();
    t.taxName = p.value(4).toString().trimmed();
    t.cst = p.value(5).toString().trimmed();
    t.fiscalCode = p.value(6).toString().trimmed();
    const QVariant ownRate = p.value(7);
    t.reduction = decimalColumn(p.value(8));
    t.presumedCredit = decimalColumn(p.value(9));
    t.taxed = !abroad && !untaxed(t.cst);
    if (t.taxed) {
        if (!ownRate.isNull())
            t.rate = decimalColumn(ownRate);
        else if (!sameState)
            t.rate = defaultInterstateRate(keys.stateFrom, keys.stateTo);
        else
            // Within one state there is no default: ICMS 0 would be silently wrong.
            throw ServerError(srvMsg("TRIBUTACAO_SEM_ALIQUOTA").arg(t.number));
    }
    return t;
}

Icms icmsOf(const Treatment &treatment, money::Cents total)
{
    Icms icms;
    if (!treatment.taxed)
        return icms;
    icms.rate = treatment.rate;
    icms.base = money::reducedBy(total, treatment.reduction);
    icms.reduction = icms.base > 0 ? treatment.reduction : money::Decimal {};
    icms.value = money::percentOf(icms.base, icms.rate);
    icms.credit = money::percentOf(icms.value, treatment.presumedCredit);
    return icms;
}

void requireAgreement(CallContext &ctx, qint64 documentKey)
{
    static const QStringList fields {
        u"CDEMPRESA"_s,     u"NRINSESTEMIT"_s,    u"CDTIPOOPER"_s,    u"CDARVPROD"_s,
        u"CDPAISINISERV"_s, u"SGESTADOINISERV"_s, u"CDPAISFIMSERV"_s, u"SGESTADOFIMSERV"_s,
        u"IDCADTOMADOR"_s,  u"CDTOMADORCLI"_s,    u"CDTOMADORFOR"_s,  u"CDCFOP"_s,
    };
    QSqlQuery q = runSql(ctx.db, u"SELECT %1 FROM CTE WHERE CDCTE = :K"_s.arg(fields.join(u", "_s)),
                         {{u":K", documentKey}});
    if (!q.next())
        return;
    QHash<QString, QVariant> document;
    for (qsizetype i = 0; i < fields.size(); ++i)
        document.insert(fields.at(i), q.value(int(i)));
    q.finish();
    const QString cfop = document.value(u"CDCFOP"_s).toString().trimmed();
    const ServiceKeys keys = keysOfDocument(document);
    // Without a service there is no fiscal result yet; the editor asks for one before saving.
    if (keys.product.isEmpty()) {
        if (!cfop.isEmpty())
            throw ServerError(srvMsg("FISCAL_CFOP_SEM_SERVICO").arg(cfop));
        return;
    }
    const auto treatment = findTreatment(ctx, keys);
    if (!treatment)
        throw ServerError(
            srvMsg("FISCAL_SEM_PARAMETRIZACAO").arg(keys.product, keys.operationType));
    if (cfop != treatment->cfop)
        throw ServerError(srvMsg("FISCAL_CFOP_DIVERGENTE").arg(cfop, treatment->cfop));

    QSqlQuery t = runSql(
        ctx.db, u"SELECT CDSITUTRIBIT FROM CTEIMPOSTOS WHERE CDCTE = :K AND CDIMPOSTO = :I"_s,
        {{u":K", documentKey}, {u":I", treatment->taxCode}});
    bool found = false;
    while (t.next()) {
        found = true;
        const QString cst = t.value(0).toString().trimmed();
        if (cst != treatment->cst)
            throw ServerError(
                srvMsg("FISCAL_CST_DIVERGENTE").arg(cst, treatment->taxName, treatment->cst));
    }
    if (!found)
        throw ServerError(srvMsg("FISCAL_IMPOSTO_AUSENTE").arg(treatment->taxName, treatment->cst));
}

} // namespace fiscal
