#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

struct evp_pkey_st;
struct x509_st;

// An A1 certificate: the private key and the certificate from a PKCS#12 file. Old files
// (RC2-encrypted) load too. Loading refuses, with a text for the user, a missing or unreadable
// file, a wrong password, a file without key or certificate, and a certificate outside its
// validity.
class A1Certificate
{
public:
    static std::shared_ptr<const A1Certificate> load(const QString &path,
                                                     const QByteArray &password);
    // The same from the file's bytes (`name` only appears in error texts).
    static std::shared_ptr<const A1Certificate>
    fromPkcs12(const QByteArray &pkcs12, const QByteArray &password, const QString &name);
    ~A1Certificate();
    A1Certificate(const A1Certificate &) = delete;
    A1Certificate &operator=(const A1Certificate &) = delete;

    evp_pkey_st *privateKey() const { return m_key; }
    x509_st *certificate() const { return m_cert; }
    // The certificate in DER, Base64 (one line), as the signature's X509Certificate holds it.
    const QByteArray &certificateBase64() const { return m_certBase64; }
    QString subjectName() const { return m_subject; }
    // The CNPJ the certificate was issued to (from "NAME:CNPJ" in the common name, or the
    // ICP-Brasil other name of the alternative names); empty when it carries none.
    QString cnpj() const { return m_cnpj; }
    QDateTime notAfter() const { return m_notAfter; }

private:
    A1Certificate() = default;
    evp_pkey_st *m_key = nullptr;
    x509_st *m_cert = nullptr;
    QByteArray m_certBase64;
    QString m_subject;
    QString m_cnpj;
    QDateTime m_notAfter;
};

// Writes a self-signed demo certificate for `cnpj` and `name` as a PKCS#12 file protected by
// `password`, valid for `days` from now (negative: already expired, for tests). With `legacy`
// the file is encrypted as old A1 files were (RC2 and 3DES).
bool writeSelfSignedPkcs12(const QString &path, const QByteArray &password, const QString &cnpj,
                           const QString &name, int days, bool legacy = false);
