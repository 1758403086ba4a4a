#include "AuthorityClient.h"

#include "TransmissionMessages.h"

#include <QFile>
#include <QUrl>

#include <httplib.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char kReceptionNamespace[] = "http://www.portalfiscal.inf.br/cte/wsdl/CTeRecepcaoSincV4";

bool named(const xmlNode *n, const char *localName)
{
    return n && n->type == XML_ELEMENT_NODE
        && xmlStrcmp(n->name, reinterpret_cast<const xmlChar *>(localName)) == 0;
}

ReceptionAnswer unanswered(const QString &problem)
{
    ReceptionAnswer a;
    a.problem = problem;
    return a;
}

} // namespace

const xmlNode *findElement(const xmlNode *from, const char *localName)
{
    for (const xmlNode *n = from; n; n = n->next) {
        if (named(n, localName))
            return n;
        if (const xmlNode *inner = findElement(n->children, localName))
            return inner;
    }
    return nullptr;
}

QString childText(const xmlNode *parent, const char *localName)
{
    if (!parent)
        return {};
    for (const xmlNode *n = parent->children; n; n = n->next) {
        if (named(n, localName)) {
            xmlChar *text = xmlNodeGetContent(n);
            const QString value = QString::fromUtf8(reinterpret_cast<const char *>(text)).trimmed();
            xmlFree(text);
            return value;
        }
    }
    return {};
}

QByteArray elementXml(xmlDoc *doc, const xmlNode *element)
{
    xmlBuffer *buffer = xmlBufferCreate();
    xmlNodeDump(buffer, doc, const_cast<xmlNode *>(element), 0, 0);
    const QByteArray out(reinterpret_cast<const char *>(xmlBufferContent(buffer)),
                         xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    return out;
}

QByteArray gzipCompress(const QByteArray &data)
{
    z_stream zs {};
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))) + 32, Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return rc == Z_STREAM_END ? out : QByteArray();
}

QByteArray soapRequest(const QString &serviceNamespace, const QByteArray &content)
{
    QByteArray body;
    body += "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
            "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\">"
            "<soap12:Body><cteDadosMsg xmlns=\"";
    body += serviceNamespace.toUtf8();
    body += "\">";
    body += content;
    body += "</cteDadosMsg></soap12:Body></soap12:Envelope>";
    return body;
}

QByteArray receptionRequestBody(const QByteArray &signedCte)
{
    return soapRequest(QString::fromLatin1(kReceptionNamespace),
                       gzipCompress(signedCte).toBase64());
}

ReceptionAnswer readReceptionAnswer(const QByteArray &soapBody)
{
    xmlDoc *doc = xmlReadMemory(soapBody.constData(), int(soapBody.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return unanswered(txMsg("SEFAZ_RESPOSTA_ILEGIVEL"));
    const xmlNode *root = xmlDocGetRootElement(doc);
    ReceptionAnswer a;
    const xmlNode *ret = findElement(root, "retCTe");
    if (!ret) {
        const QString fault = childText(findElement(root, "Reason"), "Text");
        xmlFreeDoc(doc);
        return unanswered(fault.isEmpty() ? txMsg("SEFAZ_RESPOSTA_ILEGIVEL")
                                          : txMsg("SEFAZ_FALHA_SOAP").arg(fault));
    }
    a.status = childText(ret, "cStat");
    a.reason = childText(ret, "xMotivo");
    if (const xmlNode *prot = findElement(ret->children, "protCTe")) {
        const xmlNode *info = findElement(prot->children, "infProt");
        a.status = childText(info, "cStat");
        a.reason = childText(info, "xMotivo");
        a.protocol = childText(info, "nProt");
        a.digestValue = childText(info, "digVal");
        a.receivedAt = QDateTime::fromString(childText(info, "dhRecbto"), Qt::ISODate);
        a.protocolXml = elementXml(doc, prot);
    }
    xmlFreeDoc(doc);
    if (a.status.isEmpty())
        return unanswered(txMsg("SEFAZ_RESPOSTA_ILEGIVEL"));
    a.answered = true;
    return a;
}

AuthorityHttp postToAuthority(const QString &url, const QByteArray &body, const QString &soapAction,
                              int timeoutMs, const A1Certificate *clientCertificate,
                              const QString &caFile)
{
    AuthorityHttp http;
    const QUrl address(url);
    const bool tls = address.scheme() == u"https";
    if (!address.isValid() || (!tls && address.scheme() != u"http") || address.host().isEmpty()) {
        http.problem = txMsg("SEFAZ_ENDERECO_INVALIDO").arg(url);
        return http;
    }
    const std::string host = address.host().toStdString();
    const int port = address.port(tls ? 443 : 80);
    std::unique_ptr<httplib::ClientImpl> client;
    if (tls) {
        auto ssl = clientCertificate
            ? std::make_unique<httplib::SSLClient>(host, port, clientCertificate->certificate(),
                                                   clientCertificate->privateKey())
            : std::make_unique<httplib::SSLClient>(host, port);
        // Verification (chain and host name) is on by default; the authorities' chain is
        // seldom in the system store, hence a file of their own.
        ssl->enable_server_certificate_verification(true);
        if (!caFile.isEmpty())
            ssl->set_ca_cert_path(QFile::encodeName(caFile).toStdString());
        client = std::move(ssl);
    } else {
        client = std::make_unique<httplib::ClientImpl>(host, port);
    }
    const time_t seconds = timeoutMs / 1000;
    const time_t micros = (timeoutMs % 1000) * 1000;
    client->set_connection_timeout(seconds, micros);
    client->set_read_timeout(seconds, micros);
    client->set_write_timeout(seconds, micros);
    client->set_tcp_nodelay(true);
    const std::string path = address.path(QUrl::FullyEncoded).isEmpty()
        ? std::string("/")
        : address.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::FullyEncoded)
              .toStdString();
    const std::string contentType
        = "application/soap+xml; charset=utf-8; action=\"" + soapAction.toStdString() + "\"";
    const httplib::Result result
        = client->Post(path, body.constData(), size_t(body.size()), contentType);
    if (!result) {
        http.problem = txMsg("SEFAZ_SEM_RESPOSTA")
                           .arg(url, QString::fromStdString(httplib::to_string(result.error())));
        return http;
    }
    http.reached = true;
    http.status = result->status;
    http.body = QByteArray::fromStdString(result->body);
    return http;
}

ReceptionAnswer sendToReception(const QString &url, const QByteArray &signedCte, int timeoutMs,
                                const A1Certificate *clientCertificate, const QString &caFile)
{
    const AuthorityHttp http
        = postToAuthority(url, receptionRequestBody(signedCte),
                          QString::fromLatin1(kReceptionNamespace) + u"/cteRecepcao"_s, timeoutMs,
                          clientCertificate, caFile);
    if (!http.reached)
        return unanswered(http.problem);
    ReceptionAnswer answer = readReceptionAnswer(http.body);
    if (!answer.answered && http.status != 200)
        answer.problem = txMsg("SEFAZ_HTTP").arg(http.status).arg(answer.problem);
    return answer;
}
