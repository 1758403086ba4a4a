#pragma once

#include "A1Certificate.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct _xmlDoc;
struct _xmlNode;

// The authority's synchronous CT-e reception (SOAP 1.2, the CT-e gzip-compressed and Base64
// encoded in cteDadosMsg) and its answer.
struct ReceptionAnswer
{
    // Answered: the authority processed the message (cStat and xMotivo say how). Unanswered:
    // it could not be reached, did not answer in time, or answered something unreadable; the
    // document may or may not have been processed.
    bool answered = false;
    QString problem; // when not answered, why
    QString status; // cStat of the document's protocol, else of the message
    QString reason; // xMotivo
    QString protocol; // nProt
    QDateTime receivedAt; // dhRecbto
    QString digestValue; // digVal
    QByteArray protocolXml; // the protCTe element as received
};

// Sends one signed CT-e. With an https address the certificate identifies the sender (mutual
// TLS), as the authority requires, and the authority's certificate must chain to the
// certificates of `caFile` (empty: the system's store) and name the host.
ReceptionAnswer sendToReception(const QString &url, const QByteArray &signedCte, int timeoutMs,
                                const A1Certificate *clientCertificate, const QString &caFile = {});

// The SOAP 1.2 request body for a signed CT-e, and the reading of an answer body.
QByteArray receptionRequestBody(const QByteArray &signedCte);
ReceptionAnswer readReceptionAnswer(const QByteArray &soapBody);

// One SOAP 1.2 call to a web service of the authority: `reached` when an HTTP answer came back
// (whatever its status), else why not. TLS as for the reception.
struct AuthorityHttp
{
    bool reached = false;
    QString problem;
    int status = 0;
    QByteArray body;
};
AuthorityHttp postToAuthority(const QString &url, const QByteArray &body, const QString &soapAction,
                              int timeoutMs, const A1Certificate *clientCertificate,
                              const QString &caFile);
// The envelope carrying `content` in cteDadosMsg of the service's namespace.
QByteArray soapRequest(const QString &serviceNamespace, const QByteArray &content);

// Reading answers: the first element of that local name at or below `from` (siblings included),
// the trimmed text of a child element, and an element serialised as it stands.
const _xmlNode *findElement(const _xmlNode *from, const char *localName);
QString childText(const _xmlNode *parent, const char *localName);
QByteArray elementXml(_xmlDoc *doc, const _xmlNode *element);

// gzip (RFC 1952) of `data`.
QByteArray gzipCompress(const QByteArray &data);
