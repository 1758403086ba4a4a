#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One NF-e (model 55, layout 4.00) as the shipper sends it: the signed NFe alone, or nfeProc with
// the authority's protocol. Only what a CT-e takes from it is read.

struct TNfeParty
{
    QString registration; // CNPJ or CPF, digits only; empty for a party abroad
    QString personType; // "J" (CNPJ) or "F" (CPF)
    QString name;
};

struct TNfeProduct
{
    QString name;
    qint64 valueCents = 0;
};

struct TNfeInvoice
{
    QString accessKey; // 44 digits, checked
    QString series;
    QString number;
    QDateTime issued; // the issuer's wall-clock time, its UTC offset dropped
    TNfeParty issuer;
    TNfeParty recipient;
    qint64 totalCents = 0; // vNF
    qint64 productsCents = 0; // vProd of the totals
    // Summed over the transport volumes; the flags say whether any volume stated them.
    double grossWeight = 0;
    double netWeight = 0;
    double volumes = 0;
    bool hasGrossWeight = false;
    bool hasVolumes = false;
    QList<TNfeProduct> products;
};

// What reading a file gave: the invoice, or why it was refused as a catalogue key of the editor
// with the texts for its "%1", "%2".
struct TNfeReading
{
    std::optional<TNfeInvoice> invoice;
    QString refusalKey;
    QStringList refusalArgs;
};

// Files larger than this are no invoice (an NF-e with hundreds of items stays far below).
inline constexpr qint64 kNfeMaxFileBytes = 10 * 1024 * 1024;

// Reads an NF-e from its XML text. No network, no DTD (a document that declares one is refused
// before it is parsed), no entity substitution.
TNfeReading ReadNfeInvoice(const QByteArray &xml);

// The same from a file, which must be a readable regular file of at most kNfeMaxFileBytes.
TNfeReading ReadNfeInvoiceFile(const QString &path);

// A decimal of the fiscal XML ("1234.5", "10.00") in cents, half-up; nothing when malformed.
std::optional<qint64> DecimalToCents(const QString &text);
