#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/tree.h>

// The rules of the CT-e's QR code (infCTeSupl/qrCodCTe): present, on the public query address
// of the authorising state for the environment, naming the document's own key and environment,
// and signed (sign = RSA-SHA1 of the key, Base64) exactly when the document was issued in
// contingency (tpEmis 4 or 5).
namespace qrcode {

// The query address the authority publishes for `ufLetters` and `environment`; empty if unknown.
QString publishedAddress(const QString &ufLetters, int environment);

struct Verdict
{
    int cstat = 0; // 0 when the QR code holds
    QString detail;
};

// `cte` is the CTe root; `key` the document's access key; `certificateDer` the certificate that
// signed the document.
Verdict check(const xmlNode *cte, const QString &key, const QByteArray &certificateDer);

} // namespace qrcode
