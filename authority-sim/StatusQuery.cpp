#include "AccessKey.h"
#include "AuthorityStore.h"
#include "DataArea.h"
#include "Services.h"
#include "StatusCodes.h"

using namespace Qt::StringLiterals;

namespace services {

namespace {

QByteArray retSituation(const Context &ctx, const QString &key, int code, const QString &motivo,
                        const QByteArray &body = {})
{
    QByteArray x = "<retConsSitCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">";
    x += element("tpAmb", QString::number(ctx.environment));
    x += element("verAplic", QString::fromLatin1(kAppVersion));
    x += element("cStat", QString::number(code));
    x += element("xMotivo", motivo);
    x += element("cUF", ufOfKey(key));
    x += body;
    x += "</retConsSitCTe>";
    return x;
}

Outcome reject(const Context &ctx, const QString &key, int code, const QString &detail,
               const QString &motivo = {})
{
    const QString text = motivo.isEmpty() ? cstat::text(code) : motivo;
    return {retSituation(ctx, key, code, text), code, key, detail};
}

} // namespace

Outcome rejectQuery(const Context &ctx, int code, const QString &detail, const QString &key)
{
    return reject(ctx, key, code, detail);
}

Outcome querySituation(const Context &ctx, xmlDoc *doc)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    const QString key = xml::text(root, "chCTe").trimmed();
    QString detail;
    if (const int code = dataarea::checkForm(doc, &detail))
        return reject(ctx, key, code, detail);
    if (!xml::is(root, "consSitCTe") || xml::attribute(root, "versao") != u"4.00")
        return reject(ctx, key, cstat::VersionUnsupported, u"not a consSitCTe of version 4.00"_s);
    if (!ctx.schemas.validate(SchemaSet::ConsSit, doc, &detail))
        return reject(ctx, key, cstat::SchemaFailure, detail);
    if (xml::text(root, "tpAmb") != QString::number(ctx.environment))
        return reject(ctx, key, cstat::EnvironmentDiffers, {});
    const QString problem = accesskey::problem(key, ctx.now.date().year());
    if (!problem.isEmpty())
        return reject(ctx, key, cstat::KeyInvalid, problem,
                      cstat::text(cstat::KeyInvalid) + u" [Motivo: %1]"_s.arg(problem));
    // Keys older than six months (by the year and month they carry) are not answered.
    const int keyMonths = (2000 + key.mid(2, 2).toInt()) * 12 + key.mid(4, 2).toInt();
    const int nowMonths = ctx.now.date().year() * 12 + ctx.now.date().month();
    if (nowMonths - keyMonths > 6)
        return reject(ctx, key, cstat::QueryKeyTooOld, {});

    const auto document = store::documentByKey(key);
    if (!document || document->environment != ctx.environment) {
        // A number voided by its issuer is answered as such.
        const accesskey::Parts parts = accesskey::split(key);
        if (store::voidingOf(parts.cnpj, parts.model, parts.series.toInt(),
                             parts.number.toLongLong(), ctx.environment))
            return reject(ctx, key, cstat::Voided, {});
        return reject(ctx, key, cstat::NotFound, {});
    }
    QByteArray body = "<protCTe versao=\"4.00\">" + document->protocolXml + "</protCTe>";
    for (const store::Event &e : store::eventsOf(key))
        body += "<procEventoCTe versao=\"4.00\">" + e.procXml + "</procEventoCTe>";
    const int code = document->status == cstat::Cancelled ? cstat::Cancelled : cstat::Authorized;
    return {retSituation(ctx, key, code, cstat::text(code), body), code, key, {}};
}

} // namespace services
