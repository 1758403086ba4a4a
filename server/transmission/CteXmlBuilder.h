#pragma once

#include "QrCodeAddresses.h"
#include "StoredDocument.h"

#include <QByteArray>
#include <QString>

// Writes the CT-e XML of layout 4.00 (road modal) from a stored document: every group its
// fields fill, the access key in the Id, the QR-code text in infCTeSupl. Not signed. The
// emission date is the issuer's wall clock, written with its state's offset from UTC.
struct CteBuildOptions
{
    // The authorities' public query addresses that the QR code points to.
    QrCodeAddresses qrCodeAddresses = QrCodeAddresses::defaults();
};

struct BuiltCte
{
    QString accessKey;
    QByteArray xml; // <CTe xmlns=…>…</CTe>, UTF-8, no declaration
};

// The document's XML with the given 8-digit numeric code of its key. A document whose key cannot
// be made (no issuer registration, state, series or number), that has no ICMS when the regime
// needs one, or that mixes electronic and other fiscal documents raises ServerError with the
// reason; everything else is left to the schema.
BuiltCte buildCteXml(const StoredDocument &doc, const IssuerParameters &issuer,
                     const QString &numericCode, const CteBuildOptions &options = {});

// The name the manuals require for the sender, dispatcher, receiver and recipient in the
// homologation environment.
inline constexpr char16_t kHomologationPartyName[]
    = u"CTE EMITIDO EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";
