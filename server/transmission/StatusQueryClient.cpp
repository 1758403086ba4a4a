#include "StatusQueryClient.h"

#include "AuthorityClient.h"
#include "ServerError.h"
#include "TransmissionMessages.h"
#include "XmlSigner.h"

#include <libxml/parser.h>

using namespace Qt::StringLiterals;

namespace {

const QString kQueryService = u"CTeConsultaV4"_s;
const QString kEventService = u"CTeRecepcaoEventoV4"_s;
const QString kVoidingService = u"CTeInutilizacaoV4"_s;
constexpr char kCancellation[] = "110111";

QString serviceNamespace(const QString &service)
{
    return u"http://www.portalfiscal.inf.br/cte/wsdl/"_s + service;
}

QDateTime moment(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}

// An answer's document and its result element.
struct Parsed
{
    xmlDoc *doc = nullptr;
    const xmlNode *result = nullptr;
    ~Parsed() { xmlFreeDoc(doc); }
};

// Reads the answer's result element into `p`; false, with the answer's problem set, when
// there is none.
template<typename Answer>
bool parse(Parsed &p, const QByteArray &soapBody, const char *resultName, Answer &answer)
{
    p.doc = xmlReadMemory(soapBody.constData(), int(soapBody.size()), nullptr, "UTF-8",
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!p.doc) {
        answer.problem = txMsg("SEFAZ_RESPOSTA_ILEGIVEL");
        return false;
    }
    const xmlNode *root = xmlDocGetRootElement(p.doc);
    p.result = findElement(root, resultName);
    if (!p.result) {
        const QString fault = childText(findElement(root, "Reason"), "Text");
        answer.problem = fault.isEmpty() ? txMsg("SEFAZ_RESPOSTA_ILEGIVEL")
                                         : txMsg("SEFAZ_FALHA_SOAP").arg(fault);
    }
    return p.result != nullptr;
}

SituationAnswer readSituation(const QByteArray &soapBody)
{
    SituationAnswer a;
    Parsed p;
    if (!parse(p, soapBody, "retConsSitCTe", a))
        return a;
    a.status = childText(p.result, "cStat");
    a.reason = childText(p.result, "xMotivo");
    for (const xmlNode *n = p.result->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE)
            continue;
        const QByteArray name(reinterpret_cast<const char *>(n->name));
        if (name == "protCTe") {
            const xmlNode *info = findElement(n->children, "infProt");
            a.protocol = childText(info, "nProt");
            a.authorizedAt = moment(childText(info, "dhRecbto"));
            a.digestValue = childText(info, "digVal");
            a.protocolXml = elementXml(p.doc, n);
        } else if (name == "procEventoCTe") {
            const xmlNode *event = findElement(n->children, "eventoCTe");
            const xmlNode *ret = findElement(findElement(n->children, "retEventoCTe"), "infEvento");
            const QString status = childText(ret, "cStat");
            if (status != u"135" && status != u"136" && status != u"155")
                continue;
            RegisteredEvent registered;
            registered.type = childText(findElement(event, "infEvento"), "tpEvento");
            registered.sequence = childText(findElement(event, "infEvento"), "nSeqEvento").toInt();
            registered.protocol = childText(ret, "nProt");
            registered.registeredAt = moment(childText(ret, "dhRegEvento"));
            registered.procXml = elementXml(p.doc, n);
            a.events.append(registered);
            if (registered.type != QLatin1StringView(kCancellation))
                continue;
            a.cancelProtocol = registered.protocol;
            a.cancelledAt = registered.registeredAt;
            a.cancellationXml = registered.procXml;
        }
    }
    if (a.status.isEmpty()) {
        a.problem = txMsg("SEFAZ_RESPOSTA_ILEGIVEL");
        return a;
    }
    a.answered = true;
    return a;
}

// An answer whose result holds one info element with cStat, xMotivo, nProt and a moment (the
// event's and the voiding's): `at` and `xml` name where the moment and the result go.
template<typename Answer>
Answer readProcessed(const QByteArray &soapBody, const char *resultName, const char *infoName,
                     const char *momentName, QDateTime Answer::*at, QByteArray Answer::*xml)
{
    Answer a;
    Parsed p;
    if (!parse(p, soapBody, resultName, a))
        return a;
    const xmlNode *info = findElement(p.result->children, infoName);
    a.status = childText(info, "cStat");
    a.reason = childText(info, "xMotivo");
    a.protocol = childText(info, "nProt");
    a.*at = moment(childText(info, momentName));
    a.*xml = elementXml(p.doc, p.result);
    if (a.status.isEmpty()) {
        a.problem = txMsg("SEFAZ_RESPOSTA_ILEGIVEL");
        return a;
    }
    a.answered = true;
    return a;
}

EventAnswer readEvent(const QByteArray &soapBody)
{
    return readProcessed<EventAnswer>(soapBody, "retEventoCTe", "infEvento", "dhRegEvento",
                                      &EventAnswer::registeredAt, &EventAnswer::retEventoXml);
}

VoidingAnswer readVoiding(const QByteArray &soapBody)
{
    return readProcessed<VoidingAnswer>(soapBody, "retInutCTe", "infInut", "dhRecbto",
                                        &VoidingAnswer::receivedAt, &VoidingAnswer::retInutXml);
}

// The body of an answer that came back, or the problem that stands for it.
template<typename Answer, typename Reader>
Answer call(const TransmissionSettings &settings, const A1Certificate &certificate,
            const QString &service, const char *method, const QByteArray &content, Reader read)
{
    const QString ns = serviceNamespace(service);
    const AuthorityHttp http
        = postToAuthority(serviceUrl(settings, service), soapRequest(ns, content),
                          ns + u'/' + QLatin1StringView(method), settings.timeoutMs, &certificate,
                          settings.authorityCaFile);
    Answer answer;
    if (!http.reached) {
        answer.problem = http.problem;
        return answer;
    }
    answer = read(http.body);
    if (!answer.answered && http.status != 200)
        answer.problem = txMsg("SEFAZ_HTTP").arg(http.status).arg(answer.problem);
    return answer;
}

} // namespace

AuthorityServices::AuthorityServices()
    : m_settings(transmissionSettings())
{
    requireAuthority(m_settings);
    m_certificate = A1Certificate::load(m_settings.certificateFile, m_settings.certificatePassword);
}

AuthorityServices::AuthorityServices(TransmissionSettings settings,
                                     std::shared_ptr<const A1Certificate> certificate)
    : m_settings(std::move(settings))
    , m_certificate(std::move(certificate))
{ }

SituationAnswer AuthorityServices::querySituation(const QString &accessKey,
                                                  const QString &environment) const
{
    const QByteArray query = u"<consSitCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" "
                             "versao=\"4.00\"><tpAmb>%1</tpAmb><xServ>CONSULTAR</xServ>"
                             "<chCTe>%2</chCTe></consSitCTe>"_s.arg(environment, accessKey)
                                 .toUtf8();
    return call<SituationAnswer>(m_settings, *m_certificate, kQueryService, "cteConsultaCT", query,
                                 readSituation);
}

EventAnswer AuthorityServices::sendEvent(const QByteArray &signedEvent) const
{
    // The event travels as it was signed, without its XML declaration.
    return call<EventAnswer>(m_settings, *m_certificate, kEventService, "cteRecepcaoEvento",
                             withoutDeclaration(signedEvent), readEvent);
}

VoidingAnswer AuthorityServices::sendVoiding(const QByteArray &signedRequest) const
{
    return call<VoidingAnswer>(m_settings, *m_certificate, kVoidingService, "cteInutilizacaoCT",
                               withoutDeclaration(signedRequest), readVoiding);
}
