#include "AccessKey.h"
#include "AuthorityClock.h"
#include "AuthorityStore.h"
#include "DataArea.h"
#include "Services.h"
#include "StatusCodes.h"

using namespace Qt::StringLiterals;

namespace services {

namespace {

// At most this many numbers in one request.
constexpr qint64 kMaxRange = 10000;

struct VoidingReply
{
    QString uf;
    QString year;
    QString cnpj;
    QString model;
    QString series;
    QString first;
    QString last;
    QString protocol;
};

QByteArray retInut(const Context &ctx, int code, const QString &motivo, const VoidingReply &r)
{
    QByteArray x = "<retInutCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
                   "<infInut>";
    x += element("tpAmb", QString::number(ctx.environment));
    x += element("verAplic", QString::fromLatin1(kAppVersion));
    x += element("cStat", QString::number(code));
    x += element("xMotivo", motivo);
    x += element("cUF", accesskey::isKnownUf(r.uf) ? r.uf : QString::fromLatin1(kDefaultUf));
    // The range is repeated when it was voided, now or by the same request before.
    if (!r.protocol.isEmpty()) {
        x += element("ano", r.year);
        x += element("CNPJ", r.cnpj);
        x += element("mod", r.model);
        x += element("serie", r.series);
        x += element("nCTIni", r.first);
        x += element("nCTFin", r.last);
        x += element("dhRecbto", authorityclock::format(ctx.now));
        x += element("nProt", r.protocol);
    }
    x += "</infInut></retInutCTe>";
    return x;
}

Outcome reject(const Context &ctx, int code, const QString &detail, const VoidingReply &r = {})
{
    return {retInut(ctx, code, cstat::text(code), r), code, {}, detail};
}

} // namespace

Outcome rejectVoiding(const Context &ctx, int code, const QString &detail)
{
    return reject(ctx, code, detail);
}

Outcome voidRange(const Context &ctx, xmlDoc *doc)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    xmlNode *inf = xml::child(root, "infInut");
    VoidingReply r;
    r.uf = xml::text(inf, "cUF");
    QString detail;
    if (const int code = dataarea::checkForm(doc, &detail))
        return reject(ctx, code, detail, r);
    if (!xml::is(root, "inutCTe") || xml::attribute(root, "versao") != u"4.00")
        return reject(ctx, cstat::VersionUnsupported, u"not an inutCTe of version 4.00"_s, r);
    if (!ctx.schemas.validate(SchemaSet::InutCTe, doc, &detail))
        return reject(ctx, cstat::SchemaFailure, detail, r);
    r.year = xml::text(inf, "ano");
    r.cnpj = xml::text(inf, "CNPJ");
    r.model = xml::text(inf, "mod");
    r.series = xml::text(inf, "serie");
    r.first = xml::text(inf, "nCTIni");
    r.last = xml::text(inf, "nCTFin");
    const int series = r.series.toInt();
    const qint64 first = r.first.toLongLong();
    const qint64 last = r.last.toLongLong();
    const int year = r.year.toInt();
    if (xml::text(inf, "tpAmb") != QString::number(ctx.environment))
        return reject(ctx, cstat::EnvironmentDiffers, {}, r);
    if (series >= 890 && series <= 899)
        return reject(ctx, cstat::SeriesReserved, {}, r);
    if (year > ctx.now.date().year() % 100)
        return reject(ctx, cstat::VoidingYearAhead, {}, r);
    if (year < 8)
        return reject(ctx, cstat::VoidingYearTooOld, {}, r);
    if (first > last)
        return reject(ctx, cstat::VoidingRangeInverted, {}, r);
    if (last - first + 1 > kMaxRange)
        return reject(ctx, cstat::VoidingRangeTooLarge, {}, r);
    const QString id = u"ID"_s + r.uf + r.cnpj + r.model + r.series.rightJustified(3, u'0')
        + r.first.rightJustified(9, u'0') + r.last.rightJustified(9, u'0');
    if (xml::attribute(inf, "Id") != id)
        return reject(ctx, cstat::IdComposition, {}, r);
    const SignatureCheck::Result sig = ctx.signatures.check(doc, inf, ctx.now);
    if (sig.cstat)
        return reject(ctx, sig.cstat, sig.detail, r);
    if (sig.cnpj.left(8) != r.cnpj.left(8))
        return reject(ctx, cstat::CertificateCnpjDiffers, {}, r);

    store::Voiding voiding {r.cnpj, r.model, series, first, last, ctx.environment, {}, ctx.now};
    const store::VoidingOutcome outcome = store::registerVoiding(voiding, r.uf);
    if (outcome.code == cstat::VoidingSameRange) {
        // The same request again: refused, with the protocol of the one registered.
        r.protocol = outcome.voiding.protocol;
        return reject(ctx, outcome.code, {}, r);
    }
    if (outcome.code)
        return reject(ctx, outcome.code, {}, r);
    r.protocol = outcome.voiding.protocol;
    return {retInut(ctx, cstat::Voided, cstat::text(cstat::Voided), r), cstat::Voided, {}, {}};
}

} // namespace services
