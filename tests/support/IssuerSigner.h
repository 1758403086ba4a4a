#pragma once

#include <QByteArray>
#include <QString>

// Signs a CT-e or an event the way issuers do (enveloped, C14N, RSA-SHA1, the reference to the
// signed element's Id, the end-entity certificate in KeyInfo) for tests that play the issuer.
namespace issuersigner {

// Signs the element named `signedElement` (infCte, infEvento) of `xml` with the PEM key and
// certificate; the Signature becomes the last child of that element's parent. Empty on failure,
// `error` says why.
QByteArray sign(const QByteArray &xml, const char *signedElement, const QByteArray &keyPem,
                const QByteArray &certificatePem, QString *error = nullptr);

} // namespace issuersigner
