#include "IssuerSigner.h"

#include "XmlCanonical.h"
#include "XmlDocument.h"

#include <QCryptographicHash>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

using namespace Qt::StringLiterals;

namespace issuersigner {

namespace {

QByteArray rsaSha1(const QByteArray &keyPem, const QByteArray &data)
{
    BIO *bio = BIO_new_mem_buf(keyPem.constData(), int(keyPem.size()));
    EVP_PKEY *key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    if (!key)
        return {};
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    size_t size = 0;
    QByteArray out;
    if (EVP_DigestSignInit(ctx, nullptr, EVP_sha1(), nullptr, key) == 1
        && EVP_DigestSign(ctx, nullptr, &size,
                          reinterpret_cast<const unsigned char *>(data.constData()),
                          size_t(data.size()))
            == 1) {
        out.resize(qsizetype(size));
        if (EVP_DigestSign(ctx, reinterpret_cast<unsigned char *>(out.data()), &size,
                           reinterpret_cast<const unsigned char *>(data.constData()),
                           size_t(data.size()))
            != 1)
            out.clear();
        else
            out.resize(qsizetype(size));
    }
    EVP_MD_CTX_free(ctx);
    EVP_PKEY_free(key);
    return out;
}

QByteArray certificateBase64(const QByteArray &pem)
{
    BIO *bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    X509 *cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    if (!cert)
        return {};
    unsigned char *buffer = nullptr;
    const int size = i2d_X509(cert, &buffer);
    const QByteArray der(reinterpret_cast<const char *>(buffer), size);
    OPENSSL_free(buffer);
    X509_free(cert);
    return der.toBase64();
}

} // namespace

QByteArray sign(const QByteArray &input, const char *signedElement, const QByteArray &keyPem,
                const QByteArray &certificatePem, QString *error)
{
    auto failed = [&](const QString &why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    QString parseError;
    xml::Doc doc = xml::parse(input, &parseError);
    if (!doc)
        return failed(parseError);
    xmlNode *element = xml::find(xmlDocGetRootElement(doc.get()), signedElement);
    if (!element)
        return failed(u"no %1 to sign"_s.arg(QString::fromLatin1(signedElement)));
    const QString id = xml::attribute(element, "Id");
    const QByteArray digest = QCryptographicHash::hash(xml::canonicalSubtree(doc.get(), element),
                                                       QCryptographicHash::Sha1)
                                  .toBase64();
    const QByteArray certificate = certificateBase64(certificatePem);
    if (certificate.isEmpty())
        return failed(u"unreadable certificate"_s);

    const QByteArray signedInfo
        = "<SignedInfo xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"
          "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>"
          "<SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/>"
          "<Reference URI=\"#"
        + id.toUtf8()
        + "\"><Transforms>"
          "<Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/>"
          "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>"
          "</Transforms><DigestMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#sha1\"/>"
          "<DigestValue>"
        + digest + "</DigestValue></Reference></SignedInfo>";
    // The value is computed over SignedInfo as it will stand inside the document, so parse the
    // fragment in place and canonicalise it there.
    const QByteArray signatureXml = "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"
        + signedInfo
        + "<SignatureValue></SignatureValue><KeyInfo><X509Data>"
          "<X509Certificate>"
        + certificate + "</X509Certificate></X509Data></KeyInfo></Signature>";
    xmlNode *fragment = nullptr;
    if (xmlParseInNodeContext(element->parent, signatureXml.constData(), int(signatureXml.size()),
                              XML_PARSE_NONET, &fragment)
            != XML_ERR_OK
        || !fragment)
        return failed(u"cannot build the Signature element"_s);
    xmlAddChild(element->parent, fragment);
    xmlNode *signedInfoNode = xml::child(fragment, "SignedInfo", xml::kDsigNs);
    const QByteArray value = rsaSha1(keyPem, xml::canonicalSubtree(doc.get(), signedInfoNode));
    if (value.isEmpty())
        return failed(u"cannot sign with the key"_s);
    xmlNode *valueNode = xml::child(fragment, "SignatureValue", xml::kDsigNs);
    xmlNodeSetContent(valueNode, BAD_CAST value.toBase64().constData());
    // Issuers send the declaration and the root alone: no line break around the root.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        + xml::serializeElement(doc.get(), xmlDocGetRootElement(doc.get()));
}

} // namespace issuersigner
