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

ReceptionAnswer unanswered(const QString &problem)
{
    ReceptionAnswer a;
    a.problem = problem;
    return a;
}

} // namespace

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

QByteArray receptionRequestBody(const QByteArray &signedCte)
{
    QByteArray body;
    body += "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
            "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\">"
            "<soap12:Body><cteDadosMsg xmlns=\"";
    body += kReceptionNamespace;
    body += "\">";
    body += gzipCompress(signedCte).toBase64();
    body += "</cteDadosMsg></soap12:Body></soap12:Envelope>";
    return body;
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
        xmlBuffer *buffer = xmlBufferCreate();
        xmlNodeDump(buffer, doc, const_cast<xmlNode *>(prot), 0, 0);
        a.protocolXml = QByteArray(reinterpret_cast<const char *>(xmlBufferContent(buffer)),
                                   xmlBufferLength(buffer));
        xmlBufferFree(buffer);
    }
    xmlFreeDoc(doc);
    if (a.status.isEmpty())
        return unanswered(txMsg("SEFAZ_RESPOSTA_ILEGIVEL"));
    a.answered = true;
    return a;
}

ReceptionAnswer sendToReception(const QString &url, const QByteArray &signedCte, int timeoutMs,
                                const A1Certificate *clientCertificate, const QString &caFile)
{
    const QUrl address(url);
    const bool tls = address.scheme() == u"https";
    if (!address.isValid() || (!tls && address.scheme() != u"http") || address.host().isEmpty())
        return unanswered(txMsg("SEFAZ_ENDERECO_INVALIDO").arg(url));
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
    const QByteArray body = receptionRequestBody(signedCte);
    const std::string path = address.path(QUrl::FullyEncoded).isEmpty()
        ? std::string("/")
        : address.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::FullyEncoded)
              .toStdString();
    const std::string contentType = std::string("application/soap+xml; charset=utf-8; action=\"")
        + kReceptionNamespace + "/cteRecepcao\"";
    const httplib::Result result
        = client->Post(path, body.constData(), size_t(body.size()), contentType);
    if (!result)
        return unanswered(
            txMsg("SEFAZ_SEM_RESPOSTA")
                .arg(url, QString::fromStdString(httplib::to_string(result.error()))));
    ReceptionAnswer answer = readReceptionAnswer(QByteArray::fromStdString(result->body));
    if (!answer.answered && result->status != 200)
        answer.problem = txMsg("SEFAZ_HTTP").arg(result->status).arg(answer.problem);
    return answer;
}
