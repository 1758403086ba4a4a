#include "AccessKey.h"
#include "AuthorityClock.h"
#include "Services.h"
#include "StatusCodes.h"

using namespace Qt::StringLiterals;

namespace services {

namespace {

QByteArray retStatus(const Context &ctx, int code, const QString &uf)
{
    QByteArray x
        = "<retConsStatServCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">";
    x += element("tpAmb", QString::number(ctx.environment));
    x += element("verAplic", QString::fromLatin1(kAppVersion));
    x += element("cStat", QString::number(code));
    x += element("xMotivo", cstat::text(code));
    x += element("cUF", uf);
    x += element("dhRecbto", authorityclock::format(ctx.now));
    x += element("tMed", u"1"_s);
    x += "</retConsStatServCTe>";
    return x;
}

} // namespace

Outcome rejectStatus(const Context &ctx, int code, const QString &detail)
{
    return {retStatus(ctx, code, QString::fromLatin1(kDefaultUf)), code, {}, detail};
}

Outcome serviceStatus(const Context &ctx, xmlDoc *doc)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    const QString uf = xml::text(root, "cUF");
    const QString replyUf = accesskey::isKnownUf(uf) ? uf : QString::fromLatin1(kDefaultUf);
    QString detail;
    if (!xml::is(root, "consStatServCTe") || xml::attribute(root, "versao") != u"4.00")
        return {retStatus(ctx, cstat::VersionUnsupported, replyUf),
                cstat::VersionUnsupported,
                {},
                u"not a consStatServCTe of version 4.00"_s};
    if (!ctx.schemas.validate(SchemaSet::ConsStatServ, doc, &detail))
        return {retStatus(ctx, cstat::SchemaFailure, replyUf), cstat::SchemaFailure, {}, detail};
    if (xml::text(root, "tpAmb") != QString::number(ctx.environment))
        return {
            retStatus(ctx, cstat::EnvironmentDiffers, replyUf), cstat::EnvironmentDiffers, {}, {}};
    return {retStatus(ctx, cstat::InOperation, replyUf), cstat::InOperation, {}, {}};
}

} // namespace services
