#include "NfeImport.h"

#include "CargoQuantities.h"
#include "ClientDataSet.h"
#include "NfeInvoiceFile.h"

#include <QHash>
#include <QScopeGuard>

#include <utility>

using namespace Qt::StringLiterals;
using contracts::FieldType;

namespace {

void appendRow(TClientDataSet *docs, double cdCte, const TNfeInvoice &nfe)
{
    const auto set = [docs](const QString &field, const QVariant &value) {
        docs->FieldByName(field)->SetValue(value);
    };
    docs->Append();
    set(u"CDCTEDOCFISCAIS"_s, 0.0);
    set(u"CDCTE"_s, cdCte);
    set(u"NRACESSONFE"_s, nfe.accessKey);
    set(u"NRINSJURNF"_s, nfe.recipient.registration);
    set(u"NMRAZSOCNF"_s, nfe.recipient.name);
    set(u"CDSERIE"_s, nfe.series);
    set(u"NRNOTAFISC"_s, nfe.number);
    set(u"DTEMISSAO"_s, nfe.issued);
    set(u"CDMODDOCFISC"_s, u"55"_s);
    set(u"VRNOTAFISC"_s, double(nfe.totalCents) / 100.0);
    set(u"VRPRODUTOS"_s, double(nfe.productsCents) / 100.0);
    if (nfe.hasGrossWeight)
        set(u"VRPBRUTOVOLU"_s, nfe.grossWeight);
    set(u"VRPLIQUVOLU"_s, nfe.netWeight);
    docs->Post();
}

void applyQuantities(const TNfeImportTarget &t, const TNfeInvoice &nfe, int sign)
{
    TClientDataSet units(nullptr, u"cdsUnidadesNfe"_s);
    units.AddField(u"REFERENCIA"_s, FieldType::FixedString, 2);
    units.AddField(u"SGUNIDADE"_s, FieldType::String, 10);
    units.AddField(u"QTUNIDADE"_s, FieldType::Float);
    units.CreateDataSet();
    const auto unit = [&units](const QString &reference, const QString &symbol, double amount) {
        units.Append();
        units.FieldByName(u"REFERENCIA"_s)->SetAsString(reference);
        units.FieldByName(u"SGUNIDADE"_s)->SetAsString(symbol);
        units.FieldByName(u"QTUNIDADE"_s)->SetAsFloat(amount);
        units.Post();
    };
    if (nfe.hasGrossWeight)
        unit(u"NF"_s, u"KG"_s, nfe.grossWeight);
    if (nfe.hasVolumes)
        unit(u"VL"_s, u"UN"_s, nfe.volumes);
    ApplyDocumentQuantities(t.quantities, &units, t.cdCte, sign);
}

} // namespace

void CollectNamedKeys(TNfeImportTarget &target)
{
    target.named = QSet<QString>(target.keys->cbegin(), target.keys->cend());
    const TField *keyField = target.fiscalDocuments->FieldByName(u"NRACESSONFE"_s);
    for (int row = 0; row < target.fiscalDocuments->RecordCount(); ++row)
        target.named.insert(target.fiscalDocuments->TextAt(row, keyField).trimmed());
}

TNfeRefusal AddNfeInvoice(TNfeImportTarget &target, const TNfeInvoice &invoice)
{
    if (!target.sender.isEmpty() && invoice.issuer.registration != target.sender)
        return {u"NFE_OUTRO_REMETENTE"_s, {invoice.issuer.registration, invoice.issuer.name}};
    if (target.named.contains(invoice.accessKey))
        return {u"DOC_FISCAIS_JA_CAD"_s, {}};
    TClientDataSet *docs = target.fiscalDocuments;
    TDataSetNotifyEvent beforePost = std::exchange(docs->BeforePost, nullptr);
    const auto reattach = qScopeGuard([&] { docs->BeforePost = std::move(beforePost); });
    try {
        appendRow(docs, target.cdCte, invoice);
    } catch (...) {
        if (docs->State() == dsInsert)
            docs->Cancel();
        throw;
    }
    target.keys->append(invoice.accessKey);
    target.named.insert(invoice.accessKey);
    applyQuantities(target, invoice, +1);
    return {};
}

void TakeBackNfeInvoice(const TNfeImportTarget &target, const TNfeInvoice &invoice)
{
    applyQuantities(target, invoice, -1);
    target.keys->removeOne(invoice.accessKey);
}

QString PredominantProduct(const QList<TNfeInvoice> &invoices)
{
    QHash<QString, qint64> values;
    QString best;
    for (const TNfeInvoice &nfe : invoices) {
        for (const TNfeProduct &p : nfe.products) {
            const qint64 sum = values[p.name] += p.valueCents;
            if (best.isEmpty() || sum > values.value(best))
                best = p.name;
        }
    }
    return best;
}
