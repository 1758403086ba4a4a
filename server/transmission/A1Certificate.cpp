#include "A1Certificate.h"

#include "ServerError.h"
#include "TransmissionMessages.h"

#include <QFile>
#include <QRegularExpression>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// Old A1 files use RC2, which OpenSSL 3 keeps in its legacy provider.
void loadProviders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        OSSL_PROVIDER_load(nullptr, "legacy");
        OSSL_PROVIDER_load(nullptr, "default");
    });
}

QDateTime asnTime(const ASN1_TIME *time)
{
    struct tm t
    {
    };
    if (!time || ASN1_TIME_to_tm(time, &t) != 1)
        return {};
    return QDateTime(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday),
                     QTime(t.tm_hour, t.tm_min, t.tm_sec), Qt::UTC);
}

// ICP-Brasil puts the company's CNPJ in the other name 2.16.76.1.3.3 of the alternative names.
QString cnpjFromOtherName(X509 *cert)
{
    auto *names = static_cast<GENERAL_NAMES *>(
        X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
    if (!names)
        return {};
    QString cnpj;
    ASN1_OBJECT *oid = OBJ_txt2obj("2.16.76.1.3.3", 1);
    for (int i = 0; i < sk_GENERAL_NAME_num(names) && cnpj.isEmpty(); ++i) {
        const GENERAL_NAME *name = sk_GENERAL_NAME_value(names, i);
        if (name->type != GEN_OTHERNAME || OBJ_cmp(name->d.otherName->type_id, oid) != 0)
            continue;
        const ASN1_TYPE *value = name->d.otherName->value;
        if (value->type == V_ASN1_OCTET_STRING || value->type == V_ASN1_PRINTABLESTRING
            || value->type == V_ASN1_UTF8STRING || value->type == V_ASN1_IA5STRING) {
            const ASN1_STRING *s = value->value.asn1_string;
            cnpj = QString::fromLatin1(reinterpret_cast<const char *>(ASN1_STRING_get0_data(s)),
                                       ASN1_STRING_length(s));
        }
    }
    ASN1_OBJECT_free(oid);
    GENERAL_NAMES_free(names);
    return cnpj;
}

} // namespace

A1Certificate::~A1Certificate()
{
    EVP_PKEY_free(m_key);
    X509_free(m_cert);
}

std::shared_ptr<const A1Certificate> A1Certificate::load(const QString &path,
                                                         const QByteArray &password)
{
    if (path.isEmpty())
        throw ServerError(txMsg("CERTIFICADO_NAO_CONFIGURADO"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ServerError(txMsg("CERTIFICADO_ARQUIVO").arg(path, file.errorString()));
    return fromPkcs12(file.readAll(), password, path);
}

std::shared_ptr<const A1Certificate>
A1Certificate::fromPkcs12(const QByteArray &pkcs12, const QByteArray &password, const QString &name)
{
    loadProviders();
    const unsigned char *p = reinterpret_cast<const unsigned char *>(pkcs12.constData());
    PKCS12 *p12 = d2i_PKCS12(nullptr, &p, pkcs12.size());
    if (!p12) {
        ERR_clear_error();
        throw ServerError(txMsg("CERTIFICADO_INVALIDO").arg(name));
    }
    std::shared_ptr<A1Certificate> cert(new A1Certificate);
    STACK_OF(X509) *chain = nullptr;
    const int parsed = PKCS12_parse(p12, password.constData(), &cert->m_key, &cert->m_cert, &chain);
    PKCS12_free(p12);
    sk_X509_pop_free(chain, X509_free);
    if (parsed != 1) {
        ERR_clear_error();
        throw ServerError(txMsg("CERTIFICADO_SENHA").arg(name));
    }
    if (!cert->m_key || !cert->m_cert)
        throw ServerError(txMsg("CERTIFICADO_INCOMPLETO").arg(name));

    char subject[512] = {};
    X509_NAME_get_text_by_NID(X509_get_subject_name(cert->m_cert), NID_commonName, subject,
                              sizeof subject - 1);
    cert->m_subject = QString::fromUtf8(subject);
    cert->m_cnpj = cnpjFromOtherName(cert->m_cert);
    if (cert->m_cnpj.isEmpty()) {
        static const QRegularExpression trailingCnpj(u":(\\d{14})$"_s);
        const auto match = trailingCnpj.match(cert->m_subject);
        if (match.hasMatch())
            cert->m_cnpj = match.captured(1);
    }
    cert->m_notAfter = asnTime(X509_get0_notAfter(cert->m_cert));
    const QDateTime notBefore = asnTime(X509_get0_notBefore(cert->m_cert));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (cert->m_notAfter.isValid() && cert->m_notAfter < now)
        throw ServerError(
            txMsg("CERTIFICADO_VENCIDO")
                .arg(cert->m_subject, cert->m_notAfter.toLocalTime().toString(u"dd/MM/yyyy"_s)));
    if (notBefore.isValid() && notBefore > now)
        throw ServerError(
            txMsg("CERTIFICADO_AINDA_INVALIDO")
                .arg(cert->m_subject, notBefore.toLocalTime().toString(u"dd/MM/yyyy HH:mm"_s)));

    unsigned char *der = nullptr;
    const int length = i2d_X509(cert->m_cert, &der);
    if (length <= 0)
        throw ServerError(txMsg("CERTIFICADO_INCOMPLETO").arg(name));
    cert->m_certBase64 = QByteArray(reinterpret_cast<const char *>(der), length).toBase64();
    OPENSSL_free(der);
    return cert;
}

bool writeSelfSignedPkcs12(const QString &path, const QByteArray &password, const QString &cnpj,
                           const QString &name, int days, bool legacy)
{
    loadProviders();
    EVP_PKEY *key = EVP_RSA_gen(2048);
    X509 *cert = X509_new();
    bool ok = key && cert;
    if (ok) {
        X509_set_version(cert, 2);
        unsigned char serial[8];
        RAND_bytes(serial, sizeof serial);
        serial[0] &= 0x7F;
        BIGNUM *bn = BN_bin2bn(serial, sizeof serial, nullptr);
        BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert));
        BN_free(bn);
        // An expired one ends `-days` days ago, after one day of validity.
        const long start = days >= 0 ? 0L : (long(days) - 1) * 86400L;
        const long end = long(days) * 86400L;
        X509_gmtime_adj(X509_getm_notBefore(cert), start);
        X509_gmtime_adj(X509_getm_notAfter(cert), end);
        X509_set_pubkey(cert, key);
        X509_NAME *subject = X509_get_subject_name(cert);
        const QByteArray cn = (name + u':' + cnpj).toUtf8();
        X509_NAME_add_entry_by_txt(subject, "C", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char *>("BR"), -1, -1, 0);
        X509_NAME_add_entry_by_txt(
            subject, "O", MBSTRING_UTF8,
            reinterpret_cast<const unsigned char *>(name.toUtf8().constData()), -1, -1, 0);
        X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char *>(cn.constData()), -1, -1,
                                   0);
        X509_set_issuer_name(cert, subject);
        ok = X509_sign(cert, key, EVP_sha256()) > 0;
    }
    PKCS12 *p12 = nullptr;
    if (ok) {
        const QByteArray label = name.toUtf8();
        const int keyAlg = legacy ? NID_pbe_WithSHA1And3_Key_TripleDES_CBC : 0;
        const int certAlg = legacy ? NID_pbe_WithSHA1And40BitRC2_CBC : 0;
        p12 = PKCS12_create(password.constData(), label.constData(), key, cert, nullptr, keyAlg,
                            certAlg, 0, 0, 0);
        ok = p12 != nullptr;
    }
    if (ok) {
        unsigned char *der = nullptr;
        const int length = i2d_PKCS12(p12, &der);
        QFile file(path);
        ok = length > 0 && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(reinterpret_cast<const char *>(der), length) == length;
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        OPENSSL_free(der);
    }
    PKCS12_free(p12);
    X509_free(cert);
    EVP_PKEY_free(key);
    ERR_clear_error();
    return ok;
}
