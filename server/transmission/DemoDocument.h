#pragma once

#include "StoredDocument.h"

// A complete road CT-e of the demo issuer (company 01, São Paulo state, homologation): from
// São José dos Campos to Belo Horizonte, sender METALURGICA VALE DO PARAIBA paying, recipient
// COMERCIAL DE ALIMENTOS BOA MESA, one NF-e, ICMS 00. The demo data stores it pending; the
// benchmark builds it.
namespace demodocument {

inline constexpr char16_t kIssuerCnpj[] = u"18462731000114";
inline constexpr char16_t kIssuerName[] = u"TRANSPORTES SERRA AZUL LTDA";
inline constexpr char16_t kIssuerStateRegistration[] = u"244187365112";

StoredDocument complete(const QString &number = QStringLiteral("1"));
IssuerParameters issuerParameters();

} // namespace demodocument
