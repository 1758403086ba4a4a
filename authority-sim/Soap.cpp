#include "Soap.h"

#include <cstring>

using namespace Qt::StringLiterals;

namespace soap {

const ServiceInfo &info(Service service)
{
    static const ServiceInfo infos[] = {
        {Service::Reception, "CTeRecepcaoSincV4", "cteRecepcao", "cteRecepcaoResult"},
        {Service::Query, "CTeConsultaV4", "cteConsultaCT", "cteConsultaCTResult"},
        {Service::Event, "CTeRecepcaoEventoV4", "cteRecepcaoEvento", "cteRecepcaoEventoResult"},
        {Service::Status, "CTeStatusServicoV4", "cteStatusServicoCT", "cteStatusServicoCTResult"},
        {Service::Voiding, "CTeInutilizacaoV4", "cteInutilizacaoCT", "cteInutilizacaoCTResult"},
    };
    return infos[int(service)];
}

QString serviceNamespace(Service service)
{
    return u"http://www.portalfiscal.inf.br/cte/wsdl/"_s + QString::fromLatin1(info(service).name);
}

QString path(Service service)
{
    const QString name = QString::fromLatin1(info(service).name);
    return u"/ws/%1/%1.asmx"_s.arg(name);
}

QString action(Service service)
{
    return serviceNamespace(service) + u'/' + QString::fromLatin1(info(service).method);
}

Request read(Service service, const QByteArray &body)
{
    Request r;
    QString error;
    r.doc = xml::parse(body, &error);
    if (!r.doc) {
        r.fault = u"The request is not well-formed XML: %1"_s.arg(error);
        return r;
    }
    xmlNode *envelope = xmlDocGetRootElement(r.doc.get());
    if (xml::is(envelope, "Envelope", kSoap11Ns)) {
        r.versionMismatch = true;
        r.fault = u"Only SOAP 1.2 envelopes are accepted"_s;
        return r;
    }
    if (!xml::is(envelope, "Envelope", kEnvelopeNs)) {
        r.fault = u"The request is not a SOAP 1.2 envelope"_s;
        return r;
    }
    xmlNode *soapBody = xml::child(envelope, "Body", kEnvelopeNs);
    if (!soapBody) {
        r.fault = u"The envelope has no Body"_s;
        return r;
    }
    const QByteArray ns = serviceNamespace(service).toUtf8();
    xmlNode *first = nullptr;
    for (xmlNode *c = soapBody->children; c && !first; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            first = c;
    if (!xml::is(first, "cteDadosMsg", ns.constData())) {
        r.fault
            = u"The Body must hold cteDadosMsg in the namespace %1"_s.arg(QString::fromUtf8(ns));
        return r;
    }
    r.data = first;
    return r;
}

QByteArray answer(Service service, const QByteArray &resultXml)
{
    const ServiceInfo &i = info(service);
    QByteArray out;
    out.reserve(resultXml.size() + 400);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap12:Envelope xmlns:soap12=\"";
    out += kEnvelopeNs;
    out += "\"><soap12:Body><";
    out += i.resultElement;
    out += " xmlns=\"";
    out += serviceNamespace(service).toUtf8();
    out += "\">";
    out += resultXml;
    out += "</";
    out += i.resultElement;
    out += "></soap12:Body></soap12:Envelope>";
    return out;
}

QByteArray fault(const QString &code, const QString &reason)
{
    QString escaped = reason.toHtmlEscaped();
    QByteArray out = "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap12:Envelope xmlns:soap12=\"";
    out += kEnvelopeNs;
    out += "\"><soap12:Body><soap12:Fault><soap12:Code><soap12:Value>soap12:";
    out += code.toUtf8();
    out += "</soap12:Value></soap12:Code><soap12:Reason><soap12:Text xml:lang=\"pt-BR\">";
    out += escaped.toUtf8();
    out += "</soap12:Text></soap12:Reason></soap12:Fault></soap12:Body></soap12:Envelope>";
    return out;
}

} // namespace soap
