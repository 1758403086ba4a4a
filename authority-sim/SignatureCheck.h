#pragma once

#include <QDateTime>
#include <QString>

#include <libxml/tree.h>

#include <memory>

// Checks the enveloped XML signature of a CT-e or an event the way the authority does: the
// signing certificate (form, validity, CNPJ, chain up to the trusted root), the signature's
// profile (C14N, RSA-SHA1, one reference to the signed element's Id, the two transforms), the
// digest of the signed element and the signature value.
class SignatureCheck
{
public:
    struct Result
    {
        int cstat = 0; // 0 when the signature holds
        QString detail; // why, for the log
        QString cnpj; // the certificate's CNPJ
        QString digestValue; // the reference's DigestValue, as sent
        QByteArray certificateDer; // the signing certificate
    };

    SignatureCheck();
    ~SignatureCheck();

    // False with `error` when the PEM file holds no certificate.
    bool loadTrustedRoot(const QString &pemPath, QString *error);
    bool hasTrustedRoot() const;

    // `signedElement` is infCte / infEvento; its Signature is a sibling (the root's last child).
    Result check(xmlDoc *doc, xmlNode *signedElement, const QDateTime &now) const;
    // Whether `signature` is RSA-SHA1 over `data` by the key of the certificate (DER).
    static bool verifies(const QByteArray &certificateDer, const QByteArray &data,
                         const QByteArray &signature);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
