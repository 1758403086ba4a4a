#pragma once

#include "Money.h"
#include "Operations.h"

#include <QHash>
#include <QString>

#include <optional>

// The host's fiscal parametrization of a freight service (TRIBSERVICO): which row applies to a
// service, its ICMS computed exactly, and whether a stored document agrees with it. Used by the
// look-up the editor makes when a product is accepted and by the save.
namespace fiscal {

// What the parametrization is keyed on.
struct ServiceKeys
{
    QString company;
    QString stateRegistration; // the emitter's establishment (INSCRESTAD.CDINSCESTA)
    QString operationType;
    QString product;
    QString countryFrom, stateFrom, countryTo, stateTo;
    QString payerSource; // "C" client, "F" supplier
    QString payer;
};

// The keys a document record holds, by field name.
ServiceKeys keysOfDocument(const QHash<QString, QVariant> &document);

struct Treatment
{
    qint64 number = 0; // NRTRIBSERVICO
    QString cfop, nature, taxCode, taxName, cst, fiscalCode;
    bool taxed = false; // ICMS computed (not abroad, not exempt, not taxed or deferred)
    money::Decimal rate, reduction, presumedCredit;
};

struct Icms
{
    money::Cents base = 0, value = 0, credit = 0;
    money::Decimal rate, reduction;
};

// Refuses keys without company, product or both ends of the route.
void requireKeys(const ServiceKeys &keys);

// The row for the service: the payer's own row, else the row for every payer; nothing when the
// host has none. Refuses missing keys (requireKeys) and a taxed row within one state without a
// rate.
std::optional<Treatment> findTreatment(CallContext &ctx, const ServiceKeys &keys);

// ICMS on `total`: base reduced, rate, value and presumed credit, each half up to the cent.
Icms icmsOf(const Treatment &treatment, money::Cents total);

// Refuses a stored document whose CFOP or ICMS situation is not the one its keys give.
void requireAgreement(CallContext &ctx, qint64 documentKey);

} // namespace fiscal
