#include "AccessKey.h"
#include "AuthorityClock.h"
#include "AuthorityStore.h"
#include "DataArea.h"
#include "Services.h"
#include "StatusCodes.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace services {

namespace {

constexpr char kCancellation[] = "110111";
constexpr char kCorrection[] = "110110";
constexpr int kMaxCorrections = 20;

// The fields a correction letter may not change (group/field, as the layout spells them).
bool correctionForbidden(const QString &group, const QString &field)
{
    static const QSet<QString> forbidden = [] {
        QSet<QString> s;
        const char *const table[]
            = {"infCte Versao Id",
               "ide cUF cCT Mod Serie nCT tpEmis cDV tpAmb dhEmi Modal",
               "toma3 Toma",
               "toma4 CNPJ CPF IE",
               "emit CNPJ IE",
               "rem CNPJ CPF IE",
               "dest CNPJ CPF IE",
               "vPrest vTPrest",
               "Comp vComp",
               "vPresComp vTPrest",
               "compComp vComp",
               "infNFe Chave",
               "ICMS00 CST vBC pICMS vICMS",
               "ICMS20 CST pRedBC vBC pICMS vICMS",
               "ICMS45 CST",
               "ICMS60 CST vBCSTRet vICMSSTRet pICMSSTRet vCred",
               "ICMS90 CST pRedBC vBC pICMS vICMS vCred",
               "ICMSOutraUF CST pRedBCOutraUF vBCOutraUF pICMSOutraUF vICMSOutraUF",
               "ICMSSN indSN CST"};
        for (const char *line : table) {
            const QStringList words = QString::fromLatin1(line).split(u' ');
            for (qsizetype i = 1; i < words.size(); ++i)
                s.insert((words.first() + u'/' + words.at(i)).toLower());
        }
        return s;
    }();
    return forbidden.contains((group + u'/' + field).toLower());
}

struct EventReply
{
    QString key;
    QString type;
    QString eventName;
    int sequence = 0;
    QString organ;
    QDateTime registeredAt;
    QString protocol;
};

QByteArray retEvento(const Context &ctx, int code, const QString &motivo, const EventReply &r)
{
    QByteArray x = "<retEventoCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
                   "<infEvento>";
    x += element("tpAmb", QString::number(ctx.environment));
    x += element("verAplic", QString::fromLatin1(kAppVersion));
    x += element("cOrgao", r.organ.isEmpty() ? ufOfKey(r.key) : r.organ);
    x += element("cStat", QString::number(code));
    x += element("xMotivo", motivo);
    if (r.key.size() == 44)
        x += element("chCTe", r.key);
    if (!r.protocol.isEmpty()) {
        x += element("tpEvento", r.type);
        x += element("xEvento", r.eventName);
        x += element("nSeqEvento", QString::number(r.sequence));
        x += element("dhRegEvento", authorityclock::format(r.registeredAt));
        x += element("nProt", r.protocol);
    }
    x += "</infEvento></retEventoCTe>";
    return x;
}

Outcome reject(const Context &ctx, const QString &key, int code, const QString &detail,
               const QString &motivo = {}, const QString &organ = {})
{
    EventReply r;
    r.key = key;
    r.organ = accesskey::isKnownUf(organ) ? organ : QString();
    return {retEvento(ctx, code, motivo.isEmpty() ? cstat::text(code) : motivo, r), code, key,
            detail};
}

} // namespace

Outcome rejectEvent(const Context &ctx, int code, const QString &detail, const QString &key)
{
    return reject(ctx, key, code, detail);
}

Outcome receiveEvent(const Context &ctx, xmlDoc *doc)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    xmlNode *inf = xml::child(root, "infEvento");
    const QString key = xml::text(inf, "chCTe").trimmed();
    const QString organ = xml::text(inf, "cOrgao");
    QString detail;
    if (const int code = dataarea::checkForm(doc, &detail))
        return reject(ctx, key, code, detail);
    if (!xml::is(root, "eventoCTe") || xml::attribute(root, "versao") != u"4.00")
        return reject(ctx, key, cstat::VersionUnsupported, u"not an eventoCTe of version 4.00"_s);
    if (!ctx.schemas.validate(SchemaSet::Evento, doc, &detail))
        return reject(ctx, key, cstat::SchemaFailure, detail);

    const QString type = xml::text(inf, "tpEvento");
    const QString sequenceText = xml::text(inf, "nSeqEvento");
    const int sequence = sequenceText.toInt();
    const QString author = xml::text(inf, "CNPJ");
    if (xml::text(inf, "tpAmb") != QString::number(ctx.environment))
        return reject(ctx, key, cstat::EnvironmentDiffers, {}, {}, organ);
    if (xml::attribute(inf, "Id")
        != u"ID"_s + type + key + QString::number(sequence).rightJustified(3, u'0'))
        return reject(ctx, key, cstat::EventIdComposition, {}, {}, organ);
    const bool cancels = type == QLatin1StringView(kCancellation);
    if (!cancels && type != QLatin1StringView(kCorrection))
        return reject(ctx, key, cstat::EventTypeInvalid, {}, {}, organ);
    xmlNode *detEvento = xml::child(inf, "detEvento");
    xmlNode *specific = xml::child(detEvento, cancels ? "evCancCTe" : "evCCeCTe");
    if (xml::attribute(detEvento, "versaoEvento") != u"4.00" || !specific
        || !ctx.schemas.validateElement(cancels ? SchemaSet::EvCanc : SchemaSet::EvCCe, specific,
                                        &detail))
        return reject(ctx, key, cstat::EventSchemaFailure, detail, {}, organ);
    const QString problem = accesskey::problem(key, ctx.now.date().year());
    if (!problem.isEmpty())
        return reject(ctx, key, cstat::KeyInvalid, problem,
                      cstat::text(cstat::KeyInvalid) + u" [Motivo: %1]"_s.arg(problem), organ);
    if (organ != key.left(2))
        return reject(ctx, key, cstat::EventOrganInvalid, {}, {}, organ);

    const SignatureCheck::Result sig = ctx.signatures.check(doc, inf, ctx.now);
    if (sig.cstat)
        return reject(ctx, key, sig.cstat, sig.detail, {}, organ);
    if (sig.cnpj.left(8) != author.left(8))
        return reject(ctx, key, cstat::CertificateCnpjDiffers, {}, {}, organ);
    if (author != key.mid(6, 14))
        return reject(ctx, key, cstat::EventAuthorDiffers, {}, {}, organ);

    const auto document = store::documentByKey(key);
    if (!document || document->environment != ctx.environment)
        return reject(ctx, key, cstat::NotFound, {}, {}, organ);
    const QList<store::Event> events = store::eventsOf(key);
    for (const store::Event &e : events) {
        if (e.organ == organ && e.type == type && e.sequence == sequence)
            return reject(ctx, key, cstat::EventDuplicate, {},
                          cstat::text(cstat::EventDuplicate)
                              + u" [nProt:%1][dhRegEvento:%2]"_s.arg(
                                  e.protocol, authorityclock::format(e.registeredAt)),
                          organ);
    }
    int corrections = 0;
    for (const store::Event &e : events)
        corrections += e.type == QLatin1StringView(kCorrection) ? 1 : 0;
    // A cancellation has one sequence; correction letters count up to 20, none skipped.
    if (cancels ? sequence > 1 : (sequence > kMaxCorrections || sequence != corrections + 1))
        return reject(ctx, key, cstat::EventSequenceTooHigh, {}, {}, organ);
    if (!cancels) {
        for (xmlNode *c = specific->children; c; c = c->next) {
            if (xml::is(c, "infCorrecao")
                && correctionForbidden(xml::text(c, "grupoAlterado"),
                                       xml::text(c, "campoAlterado")))
                return reject(ctx, key, cstat::CorrectionFieldForbidden,
                              xml::text(c, "grupoAlterado") + u'/' + xml::text(c, "campoAlterado"),
                              {}, organ);
        }
    }
    if (document->status == cstat::Cancelled) {
        QString stamp;
        for (const store::Event &e : events)
            if (e.type == QLatin1StringView(kCancellation))
                stamp = u" [nProt:%1][dhCanc:%2]."_s.arg(e.protocol,
                                                         authorityclock::format(e.registeredAt));
        return reject(ctx, key, cstat::AlreadyCancelled, {},
                      cstat::text(cstat::AlreadyCancelled) + stamp, organ);
    }
    if (cancels && corrections > 0)
        return reject(ctx, key, cstat::CancelWithCorrection, {}, {}, organ);
    if (cancels && document->authorizedAt.secsTo(ctx.now) > 168 * 3600)
        return reject(ctx, key, cstat::AuthorizedTooLongAgo, {}, {}, organ);
    if (cancels && xml::text(specific, "nProt") != document->protocol)
        return reject(ctx, key, cstat::ProtocolDiffers, {}, {}, organ);
    const QDateTime eventAt = authorityclock::parse(xml::text(inf, "dhEvento"));
    if (!eventAt.isValid() || eventAt < document->issuedAt.addSecs(-5 * 60))
        return reject(ctx, key, cstat::EventBeforeIssue, {}, {}, organ);
    if (eventAt < document->authorizedAt.addSecs(-5 * 60))
        return reject(ctx, key, cstat::EventBeforeAuthorization, {}, {}, organ);
    if (eventAt > ctx.now.addSecs(5 * 60))
        return reject(ctx, key, cstat::EventAfterProcessing, {}, {}, organ);

    store::Event event;
    event.key = key;
    event.type = type;
    event.sequence = sequence;
    event.organ = organ;
    event.registeredAt = ctx.now;
    EventReply reply;
    reply.key = key;
    reply.type = type;
    reply.eventName = cancels ? u"Cancelamento"_s : u"Carta de Correção"_s;
    reply.sequence = sequence;
    reply.organ = organ;
    reply.registeredAt = ctx.now;
    const QByteArray eventXml = xml::serializeElement(doc, root);
    const store::RegisterOutcome outcome
        = store::registerEvent(event, cancels, [&](const store::Event &e) {
              EventReply r = reply;
              r.protocol = e.protocol;
              return "<procEventoCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
                  + eventXml
                  + retEvento(ctx, cstat::EventLinked, cstat::text(cstat::EventLinked), r)
                  + "</procEventoCTe>";
          });
    if (!outcome.stored)
        return reject(ctx, key, cstat::EventDuplicate, {}, {}, organ);
    reply.protocol = outcome.event.protocol;
    return {retEvento(ctx, cstat::EventLinked, cstat::text(cstat::EventLinked), reply),
            cstat::EventLinked,
            key,
            {}};
}

} // namespace services
