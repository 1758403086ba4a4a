#include "TestPki.h"

#include <QFile>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace {

EVP_PKEY *newKey()
{
    return EVP_RSA_gen(2048);
}

QByteArray pemOf(X509 *cert)
{
    BIO *bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray out(data, size);
    BIO_free(bio);
    return out;
}

QByteArray pemOf(EVP_PKEY *key)
{
    BIO *bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray out(data, size);
    BIO_free(bio);
    return out;
}

QByteArray derOf(X509 *cert)
{
    unsigned char *buffer = nullptr;
    const int size = i2d_X509(cert, &buffer);
    QByteArray out(reinterpret_cast<const char *>(buffer), size);
    OPENSSL_free(buffer);
    return out;
}

void addExtension(X509 *cert, X509 *issuer, int nid, const char *value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

X509 *makeCertificate(EVP_PKEY *key, const QString &commonName, X509 *issuer, EVP_PKEY *issuerKey,
                      const QDateTime &notBefore, const QDateTime &notAfter, bool isCa,
                      const QString &cnpj, const QString &ipAddress, long serial)
{
    X509 *cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_time_adj_ex(X509_getm_notBefore(cert), 0,
                     long(QDateTime::currentDateTimeUtc().secsTo(notBefore)), nullptr);
    X509_time_adj_ex(X509_getm_notAfter(cert), 0,
                     long(QDateTime::currentDateTimeUtc().secsTo(notAfter)), nullptr);
    X509_set_pubkey(cert, key);
    X509_NAME *name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "C", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>("BR"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>("ICP-Brasil de teste"), -1,
                               -1, 0);
    const QByteArray cn = commonName.toUtf8();
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char *>(cn.constData()), -1, -1, 0);
    X509 *signer = issuer ? issuer : cert;
    X509_set_issuer_name(cert, X509_get_subject_name(signer));
    if (isCa) {
        addExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert, signer, NID_key_usage,
                     "critical,digitalSignature,nonRepudiation,keyEncipherment");
        addExtension(cert, signer, NID_ext_key_usage, "serverAuth,clientAuth,emailProtection");
    }
    QByteArrayList names;
    if (!cnpj.isEmpty())
        names << "otherName:2.16.76.1.3.3;OCTETSTRING:" + cnpj.toLatin1();
    if (!ipAddress.isEmpty())
        names << "IP:" + ipAddress.toLatin1();
    if (!names.isEmpty())
        addExtension(cert, signer, NID_subject_alt_name, names.join(',').constData());
    X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256());
    return cert;
}

} // namespace

struct TestPki::Impl
{
    EVP_PKEY *rootKey = nullptr;
    X509 *rootCert = nullptr;
    mutable long serial = 100;
};

TestPki::TestPki(const QString &rootName)
    : d(std::make_unique<Impl>())
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    d->rootKey = newKey();
    d->rootCert = makeCertificate(d->rootKey, rootName, nullptr, nullptr, now.addDays(-30),
                                  now.addYears(10), true, {}, {}, 1);
    m_root = {pemOf(d->rootCert), pemOf(d->rootKey), derOf(d->rootCert)};
}

TestPki::~TestPki()
{
    X509_free(d->rootCert);
    EVP_PKEY_free(d->rootKey);
}

TestPki::Identity TestPki::issue(const LeafOptions &o) const
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    EVP_PKEY *key = newKey();
    const QString commonName = o.cnpj.isEmpty() ? o.name : o.name + u':' + o.cnpj;
    X509 *cert = makeCertificate(key, commonName, o.selfSigned ? nullptr : d->rootCert,
                                 o.selfSigned ? nullptr : d->rootKey,
                                 o.notBefore.isValid() ? o.notBefore : now.addDays(-30),
                                 o.notAfter.isValid() ? o.notAfter : now.addYears(1), o.isCa,
                                 o.cnpj, o.ipAddress, ++d->serial);
    Identity id {pemOf(cert), pemOf(key), derOf(cert)};
    X509_free(cert);
    EVP_PKEY_free(key);
    return id;
}

QByteArray TestPki::pkcs12(const Identity &identity, const QString &password)
{
    BIO *certBio
        = BIO_new_mem_buf(identity.certificatePem.constData(), int(identity.certificatePem.size()));
    BIO *keyBio = BIO_new_mem_buf(identity.keyPem.constData(), int(identity.keyPem.size()));
    X509 *cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
    EVP_PKEY *key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    const QByteArray pass = password.toUtf8();
    PKCS12 *p12 = PKCS12_create(pass.constData(), "test", key, cert, nullptr, 0, 0, 0, 0, 0);
    unsigned char *buffer = nullptr;
    const int size = i2d_PKCS12(p12, &buffer);
    QByteArray out(reinterpret_cast<const char *>(buffer), size);
    OPENSSL_free(buffer);
    PKCS12_free(p12);
    EVP_PKEY_free(key);
    X509_free(cert);
    BIO_free(certBio);
    BIO_free(keyBio);
    return out;
}

bool TestPki::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
