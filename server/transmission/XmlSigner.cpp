#include "XmlSigner.h"

#include "ServerError.h"
#include "TransmissionMessages.h"

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/evp.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct DocFree
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

DocPtr parse(const QByteArray &xml)
{
    xmlInitParser();
    return DocPtr(xmlReadMemory(xml.constData(), int(xml.size()), nullptr, "UTF-8",
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

xmlNode *elementWithId(xmlDoc *doc, const QString &wantedId, QByteArray *foundId)
{
    xmlNode *root = xmlDocGetRootElement(doc);
    if (!root)
        return nullptr;
    const QByteArray wanted = wantedId.toUtf8();
    for (xmlNode *n = root->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE)
            continue;
        xmlChar *id = xmlGetProp(n, BAD_CAST "Id");
        if (!id)
            continue;
        const QByteArray value(reinterpret_cast<const char *>(id));
        xmlFree(id);
        if (wanted.isEmpty() || value == wanted) {
            if (foundId)
                *foundId = value;
            return n;
        }
    }
    return nullptr;
}

// Node-set of the referenced element: the element, its descendants, their attributes and the
// namespaces in scope on them.
int insideSubtree(void *apex, xmlNodePtr node, xmlNodePtr parent)
{
    xmlNode *n = (node && node->type != XML_NAMESPACE_DECL) ? node : parent;
    for (; n; n = n->parent) {
        if (n == apex)
            return 1;
    }
    return 0;
}

QByteArray canonical(xmlDoc *doc, xmlNode *apex)
{
    xmlOutputBuffer *buffer = xmlAllocOutputBuffer(nullptr);
    if (!buffer)
        return {};
    const int rc = xmlC14NExecute(doc, insideSubtree, apex, XML_C14N_1_0, nullptr, 0, buffer);
    QByteArray out;
    if (rc >= 0)
        out = QByteArray(reinterpret_cast<const char *>(xmlOutputBufferGetContent(buffer)),
                         xmlOutputBufferGetSize(buffer));
    xmlOutputBufferClose(buffer);
    return out;
}

QByteArray sha1Base64(const QByteArray &data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.constData(), size_t(data.size()), digest, &length, EVP_sha1(), nullptr);
    return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toBase64();
}

constexpr char kDsigNamespace[] = "http://www.w3.org/2000/09/xmldsig#";

// SignedInfo as written inside the Signature; with `withNamespace` also its canonical form (the
// default namespace it inherits from Signature becomes its own attribute).
QByteArray signedInfo(const QByteArray &id, const QByteArray &digest, bool withNamespace)
{
    QByteArray s;
    s.reserve(700);
    s += withNamespace ? QByteArray("<SignedInfo xmlns=\"") + kDsigNamespace + "\">"
                       : QByteArray("<SignedInfo>");
    s += "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\">"
         "</CanonicalizationMethod>"
         "<SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\">"
         "</SignatureMethod>"
         "<Reference URI=\"#";
    s += id;
    s += "\"><Transforms>"
         "<Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\">"
         "</Transform>"
         "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"></Transform>"
         "</Transforms>"
         "<DigestMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#sha1\"></DigestMethod>"
         "<DigestValue>";
    s += digest;
    s += "</DigestValue></Reference></SignedInfo>";
    return s;
}

QByteArray rsaSha1Base64(const QByteArray &data, EVP_PKEY *key)
{
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    QByteArray signature;
    size_t length = 0;
    if (ctx && EVP_DigestSignInit(ctx, nullptr, EVP_sha1(), nullptr, key) == 1
        && EVP_DigestSign(ctx, nullptr, &length,
                          reinterpret_cast<const unsigned char *>(data.constData()),
                          size_t(data.size()))
            == 1) {
        signature.resize(qsizetype(length));
        if (EVP_DigestSign(ctx, reinterpret_cast<unsigned char *>(signature.data()), &length,
                           reinterpret_cast<const unsigned char *>(data.constData()),
                           size_t(data.size()))
            != 1)
            signature.clear();
        else
            signature.resize(qsizetype(length));
    }
    EVP_MD_CTX_free(ctx);
    return signature.toBase64();
}

} // namespace

QByteArray canonicalElement(const QByteArray &xml, const QString &id)
{
    DocPtr doc = parse(xml);
    if (!doc)
        return {};
    xmlNode *apex = elementWithId(doc.get(), id, nullptr);
    return apex ? canonical(doc.get(), apex) : QByteArray();
}

SignedXml signXml(const QByteArray &xml, const A1Certificate &certificate)
{
    DocPtr doc = parse(xml);
    if (!doc)
        throw ServerError(txMsg("ASSINATURA_XML_INVALIDO"));
    QByteArray id;
    xmlNode *apex = elementWithId(doc.get(), {}, &id);
    if (!apex)
        throw ServerError(txMsg("ASSINATURA_SEM_ID"));
    const QByteArray digest = sha1Base64(canonical(doc.get(), apex));
    doc.reset();

    const QByteArray signatureValue
        = rsaSha1Base64(signedInfo(id, digest, true), certificate.privateKey());
    if (signatureValue.isEmpty())
        throw ServerError(txMsg("ASSINATURA_FALHA"));

    // The root's end tag is the last thing in the text: the signature goes right before it.
    const qsizetype end = xml.lastIndexOf("</");
    if (end < 0)
        throw ServerError(txMsg("ASSINATURA_XML_INVALIDO"));
    QByteArray out;
    out.reserve(xml.size() + 2600);
    out.append(xml.constData(), end);
    out += "<Signature xmlns=\"";
    out += kDsigNamespace;
    out += "\">";
    out += signedInfo(id, digest, false);
    out += "<SignatureValue>";
    out += signatureValue;
    out += "</SignatureValue><KeyInfo><X509Data><X509Certificate>";
    out += certificate.certificateBase64();
    out += "</X509Certificate></X509Data></KeyInfo></Signature>";
    out.append(xml.constData() + end, xml.size() - end);
    return {out, digest};
}

QByteArray withoutDeclaration(const QByteArray &xml)
{
    return xml.startsWith("<?xml") ? xml.mid(xml.indexOf("?>") + 2) : xml;
}
