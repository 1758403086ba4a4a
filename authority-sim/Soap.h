#pragma once

#include "XmlDocument.h"

#include <QByteArray>
#include <QString>

// SOAP 1.2 envelopes of the five web services: where each listens, its namespace, the name of
// its result element, and reading the data element (cteDadosMsg) out of a request.
namespace soap {

inline constexpr char kEnvelopeNs[] = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr char kSoap11Ns[] = "http://schemas.xmlsoap.org/soap/envelope/";

enum class Service { Reception, Query, Event, Status, Voiding };

struct ServiceInfo
{
    Service service;
    const char *name; // CTeRecepcaoSincV4 …
    const char *method; // cteRecepcao …
    const char *resultElement;
};

const ServiceInfo &info(Service service);
// "http://www.portalfiscal.inf.br/cte/wsdl/<name>"
QString serviceNamespace(Service service);
QString path(Service service); // /ws/<name>/<name>.asmx
QString action(Service service); // <namespace>/<method>

struct Request
{
    xml::Doc doc;
    xmlNode *data = nullptr; // cteDadosMsg
    QString fault; // why it is not a request of this service (empty when it is)
    bool versionMismatch = false;
};
Request read(Service service, const QByteArray &body);

QByteArray answer(Service service, const QByteArray &resultXml);
// A SOAP 1.2 fault: "Sender" for the client's errors, "Receiver" for the stand-in's.
QByteArray fault(const QString &code, const QString &reason);

} // namespace soap
