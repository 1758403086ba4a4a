#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class TClientDataSet;
struct TNfeInvoice;

// Where imported invoices go: the current document's fiscal documents and cargo quantities as the
// editor keeps them (rows of every listed document, filtered to the current one).
struct TNfeImportTarget
{
    TClientDataSet *fiscalDocuments = nullptr;
    TClientDataSet *quantities = nullptr;
    QStringList *keys = nullptr; // the keys of the document's fiscal documents, kept up to date
    double cdCte = 0;
    // The sender's registration, digits only: the invoices a CT-e carries are its sender's.
    // Empty accepts any issuer.
    QString sender;
    // The access keys the document names already: its keys and those its rows carry (a host
    // invoice added by branch and entry carries its key too). Filled by CollectNamedKeys.
    QSet<QString> named;
};

// Fills target.named from the keys and the fiscal-document rows.
void CollectNamedKeys(TNfeImportTarget &target);

// Why an invoice was not added: a catalogue key and the texts for its "%1", "%2"; empty when it
// was added.
struct TNfeRefusal
{
    QString key;
    QStringList args;
};

// Adds `invoice` as a fiscal-document row of the document, through the checks a typed key goes
// through except the server's look-up (which knows only the host's own invoices): a key in
// target.named is refused with "DOC_FISCAIS_JA_CAD"; an invoice of another issuer than `sender`
// with "NFE_OUTRO_REMETENTE". Its gross weight ("NF") and volumes ("VL") join the kept cargo
// quantities. The rows' before-post handler is detached while the row is posted.
TNfeRefusal AddNfeInvoice(TNfeImportTarget &target, const TNfeInvoice &invoice);

// Takes back what AddNfeInvoice added for `invoice` to the kept cargo quantities, and its key
// from the keys; deleting the row is the caller's.
void TakeBackNfeInvoice(const TNfeImportTarget &target, const TNfeInvoice &invoice);

// The name of the product of greatest value among the invoices' items, values summed by name;
// empty when they have none.
QString PredominantProduct(const QList<TNfeInvoice> &invoices);
