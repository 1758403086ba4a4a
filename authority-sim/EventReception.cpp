#include "AccessKey.h"
#include "AuthorityClock.h"
#include "AuthorityStore.h"
#include "DataArea.h"
#include "Services.h"
#include "StatusCodes.h"

using namespace Qt::StringLiterals;

namespace services {

namespace {

constexpr char kCancellation[] = "110111";

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
    if (type != QLatin1StringView(kCancellation))
        return reject(ctx, key, cstat::EventTypeInvalid, {}, {}, organ);
    xmlNode *detEvento = xml::child(inf, "detEvento");
    xmlNode *cancellation = xml::child(detEvento, "evCancCTe");
    if (xml::attribute(detEvento, "versaoEvento") != u"4.00" || !cancellation
        || !ctx.schemas.validateElement(SchemaSet::EvCanc, cancellation, &detail))
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
    if (sequence > 1)
        return reject(ctx, key, cstat::EventSequenceTooHigh, {}, {}, organ);
    if (document->status == cstat::Cancelled) {
        QString stamp;
        for (const store::Event &e : events)
            if (e.type == QLatin1StringView(kCancellation))
                stamp = u" [nProt:%1][dhCanc:%2]."_s.arg(e.protocol,
                                                         authorityclock::format(e.registeredAt));
        return reject(ctx, key, cstat::AlreadyCancelled, {},
                      cstat::text(cstat::AlreadyCancelled) + stamp, organ);
    }
    if (document->authorizedAt.secsTo(ctx.now) > 168 * 3600)
        return reject(ctx, key, cstat::AuthorizedTooLongAgo, {}, {}, organ);
    if (xml::text(cancellation, "nProt") != document->protocol)
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
    reply.eventName = u"Cancelamento"_s;
    reply.sequence = sequence;
    reply.organ = organ;
    reply.registeredAt = ctx.now;
    const QByteArray eventXml = xml::serializeElement(doc, root);
    const store::RegisterOutcome outcome
        = store::registerEvent(event, true, [&](const store::Event &e) {
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
