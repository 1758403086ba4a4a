#include "SignatureCheck.h"

#include "StatusCodes.h"
#include "XmlCanonical.h"
#include "XmlDocument.h"

#include <QCryptographicHash>
#include <QFile>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char kC14n[] = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
constexpr char kRsaSha1[] = "http://www.w3.org/2000/09/xmldsig#rsa-sha1";
constexpr char kSha1[] = "http://www.w3.org/2000/09/xmldsig#sha1";
constexpr char kEnveloped[] = "http://www.w3.org/2000/09/xmldsig#enveloped-signature";

struct X509Free
{
    void operator()(X509 *x) const { X509_free(x); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

QByteArray decodeBase64(const QString &text)
{
    QByteArray compact = text.toLatin1();
    compact.replace(' ', "").replace('\n', "").replace('\r', "").replace('\t', "");
    auto r = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    return r ? *r : QByteArray();
}

bool allDigits(const QString &s, int length)
{
    if (s.size() != length)
        return false;
    for (QChar c : s)
        if (!c.isDigit())
            return false;
    return true;
}

// The CNPJ of an ICP-Brasil style certificate: the otherName 2.16.76.1.3.3 of the subject's
// alternative names, or else the digits after the last ':' of the common name.
QString certificateCnpj(X509 *cert)
{
    auto *names = static_cast<GENERAL_NAMES *>(
        X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
    QString found;
    if (names) {
        ASN1_OBJECT *cnpjOid = OBJ_txt2obj("2.16.76.1.3.3", 1);
        for (int i = 0; i < sk_GENERAL_NAME_num(names) && found.isEmpty(); ++i) {
            GENERAL_NAME *name = sk_GENERAL_NAME_value(names, i);
            if (name->type != GEN_OTHERNAME || OBJ_cmp(name->d.otherName->type_id, cnpjOid) != 0)
                continue;
            ASN1_TYPE *value = name->d.otherName->value;
            if (value
                && (value->type == V_ASN1_OCTET_STRING || value->type == V_ASN1_UTF8STRING
                    || value->type == V_ASN1_PRINTABLESTRING || value->type == V_ASN1_IA5STRING)) {
                const ASN1_STRING *s = value->value.asn1_string;
                found
                    = QString::fromLatin1(reinterpret_cast<const char *>(ASN1_STRING_get0_data(s)),
                                          ASN1_STRING_length(s));
            }
        }
        ASN1_OBJECT_free(cnpjOid);
        GENERAL_NAMES_free(names);
    }
    if (allDigits(found, 14))
        return found;
    char cn[256] = {};
    if (X509_NAME_get_text_by_NID(X509_get_subject_name(cert), NID_commonName, cn, sizeof cn) > 0) {
        const QString common = QString::fromUtf8(cn);
        const QString tail = common.section(u':', -1);
        if (allDigits(tail, 14))
            return tail;
    }
    return {};
}

bool verifyRsaSha1(X509 *cert, const QByteArray &data, const QByteArray &signature)
{
    EVP_PKEY *key = X509_get0_pubkey(cert);
    if (!key || EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA)
        return false;
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    bool ok = EVP_DigestVerifyInit(ctx, nullptr, EVP_sha1(), nullptr, key) == 1
        && EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char *>(signature.constData()),
                            size_t(signature.size()),
                            reinterpret_cast<const unsigned char *>(data.constData()),
                            size_t(data.size()))
            == 1;
    EVP_MD_CTX_free(ctx);
    return ok;
}

QList<xmlNode *> elementChildren(xmlNode *parent)
{
    QList<xmlNode *> list;
    for (xmlNode *c = parent ? parent->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            list.append(c);
    return list;
}

} // namespace

struct SignatureCheck::Impl
{
    X509_STORE *store = nullptr;
    bool hasRoot = false;
};

SignatureCheck::SignatureCheck()
    : d(std::make_unique<Impl>())
{
    d->store = X509_STORE_new();
}

SignatureCheck::~SignatureCheck()
{
    X509_STORE_free(d->store);
}

bool SignatureCheck::loadTrustedRoot(const QString &pemPath, QString *error)
{
    QFile file(pemPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = u"cannot read the trusted root %1"_s.arg(pemPath);
        return false;
    }
    const QByteArray pem = file.readAll();
    BIO *bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    int count = 0;
    while (X509 *cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        X509_STORE_add_cert(d->store, cert);
        X509_free(cert);
        ++count;
    }
    BIO_free(bio);
    if (count == 0) {
        *error = u"no certificate in %1"_s.arg(pemPath);
        return false;
    }
    d->hasRoot = true;
    return true;
}

bool SignatureCheck::hasTrustedRoot() const
{
    return d->hasRoot;
}

SignatureCheck::Result SignatureCheck::check(xmlDoc *doc, xmlNode *signedElement,
                                             const QDateTime &now) const
{
    Result r;
    auto fail = [&](int code, const QString &detail) {
        r.cstat = code;
        r.detail = detail;
        return r;
    };
    xmlNode *signature = xml::child(signedElement->parent, "Signature", xml::kDsigNs);
    if (!xml::is(signature, "Signature", xml::kDsigNs))
        return fail(cstat::SignatureNotStandard, u"no Signature beside the signed element"_s);
    xmlNode *signedInfo = xml::child(signature, "SignedInfo", xml::kDsigNs);
    xmlNode *keyInfo = xml::child(signature, "KeyInfo", xml::kDsigNs);
    xmlNode *certNode = xml::child(xml::child(keyInfo, "X509Data", xml::kDsigNs), "X509Certificate",
                                   xml::kDsigNs);

    // The signing certificate.
    const QByteArray der = decodeBase64(xml::content(certNode));
    const unsigned char *p = reinterpret_cast<const unsigned char *>(der.constData());
    X509Ptr cert(der.isEmpty() ? nullptr : d2i_X509(nullptr, &p, long(der.size())));
    if (!cert)
        return fail(cstat::SignatureCertificateInvalid, u"X509Certificate missing or unreadable"_s);
    if (X509_get_version(cert.get()) != 2 || X509_check_ca(cert.get()) != 0)
        return fail(cstat::SignatureCertificateInvalid, u"not an end-entity v3 certificate"_s);
    const time_t at = time_t(now.toSecsSinceEpoch());
    if (X509_cmp_time(X509_get0_notBefore(cert.get()), const_cast<time_t *>(&at)) > 0
        || X509_cmp_time(X509_get0_notAfter(cert.get()), const_cast<time_t *>(&at)) < 0)
        return fail(cstat::SignatureCertificateValidity, u"certificate outside its validity"_s);
    r.certificateDer = der;
    r.cnpj = certificateCnpj(cert.get());
    if (r.cnpj.isEmpty())
        return fail(cstat::SignatureCertificateNoCnpj, u"certificate without a CNPJ"_s);
    {
        X509_STORE_CTX *ctx = X509_STORE_CTX_new();
        X509_STORE_CTX_init(ctx, d->store, cert.get(), nullptr);
        X509_STORE_CTX_set_time(ctx, 0, at);
        const bool chained = d->hasRoot && X509_verify_cert(ctx) == 1;
        const int err = X509_STORE_CTX_get_error(ctx);
        X509_STORE_CTX_free(ctx);
        if (!chained)
            return fail(cstat::SignatureCertificateChain,
                        u"chain: %1"_s.arg(QString::fromUtf8(X509_verify_cert_error_string(err))));
    }

    // The profile of the signature.
    const QString id = xml::attribute(signedElement, "Id");
    xmlNode *reference = xml::child(signedInfo, "Reference", xml::kDsigNs);
    const QList<xmlNode *> transforms
        = elementChildren(xml::child(reference, "Transforms", xml::kDsigNs));
    QStringList transformAlgorithms;
    for (xmlNode *t : transforms)
        transformAlgorithms << xml::attribute(t, "Algorithm");
    transformAlgorithms.sort();
    QStringList expectedTransforms {QString::fromLatin1(kC14n), QString::fromLatin1(kEnveloped)};
    expectedTransforms.sort();
    int references = 0;
    for (xmlNode *c : elementChildren(signedInfo))
        references += xml::is(c, "Reference", xml::kDsigNs) ? 1 : 0;
    if (!signedInfo || id.isEmpty() || references != 1
        || xml::attribute(xml::child(signedInfo, "CanonicalizationMethod", xml::kDsigNs),
                          "Algorithm")
            != QLatin1StringView(kC14n)
        || xml::attribute(xml::child(signedInfo, "SignatureMethod", xml::kDsigNs), "Algorithm")
            != QLatin1StringView(kRsaSha1)
        || xml::attribute(reference, "URI") != u'#' + id
        || transformAlgorithms != expectedTransforms
        || xml::attribute(xml::child(reference, "DigestMethod", xml::kDsigNs), "Algorithm")
            != QLatin1StringView(kSha1))
        return fail(cstat::SignatureNotStandard, u"signature profile differs"_s);

    // The digest of the signed element and the value over SignedInfo.
    r.digestValue = xml::text(reference, "DigestValue", xml::kDsigNs).trimmed();
    const QByteArray canonical = xml::canonicalSubtree(doc, signedElement, signature);
    const QByteArray digest = QCryptographicHash::hash(canonical, QCryptographicHash::Sha1);
    if (decodeBase64(r.digestValue) != digest)
        return fail(cstat::SignatureValueDiffers, u"digest differs"_s);
    const QByteArray signatureValue
        = decodeBase64(xml::text(signature, "SignatureValue", xml::kDsigNs));
    if (signatureValue.isEmpty()
        || !verifyRsaSha1(cert.get(), xml::canonicalSubtree(doc, signedInfo), signatureValue))
        return fail(cstat::SignatureValueDiffers, u"signature value differs"_s);
    return r;
}

bool SignatureCheck::verifies(const QByteArray &certificateDer, const QByteArray &data,
                              const QByteArray &signature)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(certificateDer.constData());
    X509Ptr cert(d2i_X509(nullptr, &p, long(certificateDer.size())));
    return cert && !signature.isEmpty() && verifyRsaSha1(cert.get(), data, signature);
}
