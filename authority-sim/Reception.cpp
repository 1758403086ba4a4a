#include "AccessKey.h"
#include "AuthorityClock.h"
#include "AuthorityStore.h"
#include "DataArea.h"
#include "QrCodeCheck.h"
#include "Services.h"
#include "StatusCodes.h"

using namespace Qt::StringLiterals;

namespace services {

namespace {

const QString kHomologationName = u"CTE EMITIDO EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"_s;

bool isKey(const QString &key)
{
    if (key.size() != 44)
        return false;
    for (QChar c : key)
        if (!c.isDigit())
            return false;
    return true;
}

QByteArray protocolXml(const Context &ctx, const QString &key, const QDateTime &at,
                       const QString &protocol, const QString &digest, int code,
                       const QString &motivo)
{
    QByteArray x
        = "<protCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\"><infProt>";
    x += element("tpAmb", QString::number(ctx.environment));
    x += element("verAplic", QString::fromLatin1(kAppVersion));
    x += element("chCTe", key);
    x += element("dhRecbto", authorityclock::format(at));
    if (!protocol.isEmpty())
        x += element("nProt", protocol);
    if (!digest.isEmpty())
        x += element("digVal", digest);
    x += element("cStat", QString::number(code));
    x += element("xMotivo", motivo);
    x += "</infProt></protCTe>";
    return x;
}

QByteArray retCte(const Context &ctx, const QString &uf, int code, const QString &motivo,
                  const QByteArray &protocol)
{
    QByteArray x = "<retCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">";
    x += element("tpAmb", QString::number(ctx.environment));
    x += element("cUF", uf);
    x += element("verAplic", QString::fromLatin1(kAppVersion));
    x += element("cStat", QString::number(code));
    x += element("xMotivo", motivo);
    x += protocol;
    x += "</retCTe>";
    return x;
}

// A rejection of the document itself: with a protocol group naming the key when it is known.
Outcome reject(const Context &ctx, const QString &key, int code, const QString &detail,
               const QString &motivo = {})
{
    const QString text = motivo.isEmpty() ? cstat::text(code) : motivo;
    const QByteArray prot
        = isKey(key) ? protocolXml(ctx, key, ctx.now, {}, {}, code, text) : QByteArray();
    return {retCte(ctx, ufOfKey(key), code, text, prot), code, key, detail};
}

QString padded(const QString &digits, int width)
{
    return digits.rightJustified(width, u'0');
}

// The contingency group of ide: dhCont and xJust only, and always, for FS-DA (tpEmis 5), and
// never after the emission.
int contingencyProblem(const xmlNode *ide, const QDateTime &issuedAt)
{
    const QString enteredText = xml::text(ide, "dhCont");
    const bool given = !enteredText.isEmpty() || !xml::text(ide, "xJust").isEmpty();
    const bool fsda = xml::text(ide, "tpEmis") == u"5";
    if (!fsda && given)
        return cstat::ContingencyDataNotAllowed;
    if (fsda && (enteredText.isEmpty() || xml::text(ide, "xJust").isEmpty()))
        return cstat::ContingencyDataMissing;
    const QDateTime entered = authorityclock::parse(enteredText);
    if (given && issuedAt.isValid() && entered.isValid() && entered > issuedAt)
        return cstat::ContingencyAfterIssue;
    return 0;
}

// The content of infModal against the schema of the modal named in ide/modal.
bool modalIsValid(const Context &ctx, const xmlNode *inf, QString *detail)
{
    xmlNode *modal = xml::child(xml::child(inf, "infCTeNorm"), "infModal");
    xmlNode *modalElement = nullptr;
    for (xmlNode *c = modal ? modal->children : nullptr; c && !modalElement; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            modalElement = c;
    const int kind = SchemaSet::modalKind(xml::text(xml::child(inf, "ide"), "modal"));
    return kind >= 0 && modalElement
        && ctx.schemas.validateElement(SchemaSet::Kind(kind), modalElement, detail);
}

} // namespace

Outcome rejectReception(const Context &ctx, int code, const QString &detail, const QString &key)
{
    return reject(ctx, key, code, detail);
}

// The checks in the order of the authority's manual: the form of the data area, its schema, the
// signature, then the business rules (environment, parties, series, UF, contingency, model,
// Id, check digit, modal, dates, issuer, QR code) and last the duplicates.
Outcome receiveCte(const Context &ctx, xmlDoc *doc)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    xmlNode *inf = xml::child(root, "infCte");
    const QString id = xml::attribute(inf, "Id");
    const QString key = id.startsWith(u"CTe") ? id.mid(3) : QString();
    QString detail;

    // Form and schema: any other root (a cteProc, say) is a schema failure.
    if (const int code = dataarea::checkForm(doc, &detail))
        return reject(ctx, {}, code, detail);
    if (xml::is(root, "CTe") && inf && xml::attribute(inf, "versao") != u"4.00")
        return reject(ctx, {}, cstat::VersionUnsupported, u"not a CTe of version 4.00"_s);
    if (!ctx.schemas.validate(SchemaSet::Cte, doc, &detail))
        return reject(ctx, {}, cstat::SchemaFailure, detail);

    // The signature, over the document as it was signed.
    xmlNode *ide = xml::child(inf, "ide");
    xmlNode *issuerNode = xml::child(inf, "emit");
    const QString emitCnpj = xml::text(issuerNode, "CNPJ");
    const QString emitDoc
        = emitCnpj.isEmpty() ? padded(xml::text(issuerNode, "CPF"), 14) : emitCnpj;
    const SignatureCheck::Result sig = ctx.signatures.check(doc, inf, ctx.now);
    if (sig.cstat)
        return reject(ctx, key, sig.cstat, sig.detail);
    if (sig.cnpj.left(8) != emitDoc.left(8))
        return reject(ctx, key, cstat::CertificateCnpjDiffers,
                      u"certificate %1, issuer %2"_s.arg(sig.cnpj, emitDoc));

    // The business rules.
    const QString dhEmiText = xml::text(ide, "dhEmi");
    const QString tpEmis = xml::text(ide, "tpEmis");
    const QDateTime issuedAt = authorityclock::parse(dhEmiText);
    if (xml::text(ide, "tpAmb") != QString::number(ctx.environment))
        return reject(ctx, key, cstat::EnvironmentDiffers, {});
    // Homologation documents carry the literal name of every party.
    if (ctx.environment == 2) {
        static const struct
        {
            const char *group;
            int code;
        } parties[] = {{"rem", cstat::HomologationRemName},
                       {"exped", cstat::HomologationExpedName},
                       {"receb", cstat::HomologationRecebName},
                       {"dest", cstat::HomologationDestName}};
        for (const auto &party : parties) {
            xmlNode *group = xml::child(inf, party.group);
            if (group && xml::text(group, "xNome") != kHomologationName)
                return reject(ctx, key, party.code, {});
        }
    }
    const int series = xml::text(ide, "serie").toInt();
    if (series >= 890 && series <= 899)
        return reject(ctx, key, cstat::SeriesReserved, {});
    xmlNode *enderEmit = xml::child(issuerNode, "enderEmit");
    if (accesskey::ufLetters(xml::text(ide, "cUF")) != xml::text(enderEmit, "UF"))
        return reject(ctx, key, cstat::IssuerUfDiffers, {});
    if (const int code = contingencyProblem(ide, issuedAt))
        return reject(ctx, key, code, {});
    if (xml::text(ide, "mod") != u"57")
        return reject(ctx, key, cstat::KeyModelNot57, {});
    accesskey::Parts parts;
    parts.uf = xml::text(ide, "cUF");
    parts.yymm = dhEmiText.mid(2, 2) + dhEmiText.mid(5, 2);
    parts.cnpj = emitDoc;
    parts.model = xml::text(ide, "mod");
    parts.series = padded(xml::text(ide, "serie"), 3);
    parts.number = padded(xml::text(ide, "nCT"), 9);
    parts.emission = tpEmis;
    parts.code = padded(xml::text(ide, "cCT"), 8);
    const QString composed = accesskey::compose(parts);
    const QString cDV = xml::text(ide, "cDV");
    if (composed.isEmpty() || !id.startsWith(u"CTe") || key != composed.left(43) + cDV)
        return reject(ctx, key, cstat::IdComposition,
                      u"Id %1, fields give CTe%2%3"_s.arg(id, composed.left(43), cDV));
    if (composed != key)
        return reject(ctx, key, cstat::KeyCheckDigit,
                      u"check digit should be %1"_s.arg(composed.right(1)));
    const QString tpCTe = xml::text(ide, "tpCTe");
    if ((tpCTe == u"0" || tpCTe == u"3") && !modalIsValid(ctx, inf, &detail))
        return reject(ctx, key, cstat::ModalSchemaFailure, detail);

    // The emission date window (five minutes of tolerance for clocks).
    if (!issuedAt.isValid() || issuedAt > ctx.now.addSecs(5 * 60))
        return reject(ctx, key, cstat::IssueDateAhead, {});
    if (tpEmis != u"4" && tpEmis != u"5" && issuedAt < ctx.now.addSecs(-168 * 3600))
        return reject(ctx, key, cstat::IssueDateTooOld, {});
    if (!emitCnpj.isEmpty() && !accesskey::isValidCnpj(emitCnpj))
        return reject(ctx, key, cstat::IssuerCnpjInvalid, {});

    // The issuer's registration.
    const QString ie = xml::text(issuerNode, "IE");
    if (ie.isEmpty())
        return reject(ctx, key, cstat::IssuerIeMissing, {});
    const auto issuer = store::issuerByIe(xml::text(enderEmit, "UF"), ie);
    if (!issuer)
        return reject(ctx, key, cstat::IssuerIeUnknown, {});
    if (issuer->cnpj != emitDoc)
        return reject(ctx, key, cstat::IssuerIeNotLinked, {});
    if (!issuer->enabled)
        return reject(ctx, key, cstat::IssuerNotEnabled, {});

    if (const qrcode::Verdict qr = qrcode::check(root, key, sig.certificateDer); qr.cstat)
        return reject(ctx, key, qr.cstat, qr.detail);

    // Duplicates, then the authorisation, in one transaction.
    store::Document stored;
    stored.key = key;
    stored.ufCode = parts.uf;
    stored.cnpj = emitDoc;
    stored.model = parts.model;
    stored.series = series;
    stored.number = xml::text(ide, "nCT").toLongLong();
    stored.environment = ctx.environment;
    stored.issuedAt = issuedAt;
    stored.authorizedAt = ctx.now;
    stored.digest = sig.digestValue;
    stored.xml = xml::serialize(doc);
    const store::AuthorizeOutcome outcome = store::authorize(stored, [&](const store::Document &d) {
        return protocolXml(ctx, d.key, d.authorizedAt, d.protocol, d.digest, cstat::Authorized,
                           cstat::text(cstat::Authorized));
    });
    if (!outcome.stored) {
        const store::Document &e = *outcome.existing;
        const QString stamp
            = u"[nProt:%1][dhAut:%2]"_s.arg(e.protocol, authorityclock::format(e.authorizedAt));
        if (e.key != key)
            return reject(ctx, key, cstat::DuplicateDifferentKey, {},
                          cstat::text(cstat::DuplicateDifferentKey) + u" [chCTe:%1]"_s.arg(e.key)
                              + stamp);
        return reject(ctx, key, cstat::Duplicate, {},
                      cstat::text(cstat::Duplicate) + u" "_s + stamp);
    }
    const QByteArray prot = outcome.existing->protocolXml;
    return {retCte(ctx, parts.uf, cstat::Authorized, cstat::text(cstat::Authorized), prot),
            cstat::Authorized,
            key,
            {}};
}

} // namespace services
