#include "CargoQuantities.h"

#include "ClientDataSet.h"

#include <QScopeGuard>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Quantities carry four decimals: sums and differences are kept at that precision, so that
// taking away what was added comes back to exactly 0.
double quantity(double value)
{
    return std::round(value * 10000.0) / 10000.0;
}

struct TKeptRow
{
    const char16_t *reference;
    const char16_t *unit;
    const char16_t *kind;
};

constexpr TKeptRow kKeptRows[] = {
    {u"NF", u"01", u"PESO BRUTO"},
    // 21 characters: the field keeps its first 20.
    {u"VL", u"03", u"QUANTIDADE DE VOLUMES"},
};

} // namespace

QString UnitDisplayText(const QString &code, const QStringList &texts)
{
    if (code.trimmed().isEmpty())
        return {};
    bool ok = false;
    const int n = code.trimmed().toInt(&ok);
    return ok && n >= 0 && n < texts.size() ? texts.at(n) : QString();
}

std::optional<QString> UnitCodeForText(const QString &text, const QStringList &texts)
{
    for (int n = 0; n < texts.size(); ++n) {
        const QString code = u"%1"_s.arg(n, 2, 10, QLatin1Char('0'));
        if (text == texts.at(n) || text == code)
            return code;
    }
    return std::nullopt;
}

bool UnitCellRefused(const QString &cellText)
{
    if (cellText.isEmpty())
        return false;
    bool ok = false;
    const int n = cellText.left(2).trimmed().toInt(&ok);
    return !ok || n < 0 || n >= 6;
}

bool UnitKeyAccepted(QChar key)
{
    return (key >= u'0' && key <= u'9') || key == u'\b' || key == u'\t';
}

void KeepRowWeight(TClientDataSet *units, const QVariant &weight)
{
    if (!units->Active())
        return;
    const bool found = units->Locate(u"REFERENCIA"_s, u"NF"_s);
    if (weight.isNull()) {
        if (found)
            units->Delete();
        return;
    }
    if (found) {
        units->Edit();
    } else {
        units->Append();
        units->FieldByName(u"REFERENCIA"_s)->SetAsString(u"NF"_s);
        units->FieldByName(u"SGUNIDADE"_s)->SetAsString(u"KG"_s);
    }
    units->FieldByName(u"QTUNIDADE"_s)->SetAsFloat(weight.toDouble());
    units->Post();
}

void ApplyDocumentQuantities(TClientDataSet *quantities, TClientDataSet *units, double cdCte,
                             int sign)
{
    TDataSetNotifyEvent beforeEdit = std::exchange(quantities->BeforeEdit, nullptr);
    TDataSetNotifyEvent beforeDelete = std::exchange(quantities->BeforeDelete, nullptr);
    const auto reattach = qScopeGuard([&] {
        quantities->BeforeEdit = std::move(beforeEdit);
        quantities->BeforeDelete = std::move(beforeDelete);
    });
    if (!units->Active())
        return;
    const TField *reference = units->FieldByName(u"REFERENCIA"_s);
    const TField *amount = units->FieldByName(u"QTUNIDADE"_s);
    TField *qtCarga = quantities->FieldByName(u"QTCARGA"_s);
    for (int row = 0; row < units->RecordCount(); ++row) {
        const QString ref = units->TextAt(row, reference).trimmed();
        const double value = units->ValueAt(row, amount).toDouble();
        for (const TKeptRow &kept : kKeptRows) {
            if (ref != QStringView(kept.reference))
                continue;
            const bool found
                = quantities->Locate(u"CDCTE;CDUNIDMEDIDA;IDGERADAAUTO"_s,
                                     QVariantList {cdCte, QString::fromUtf16(kept.unit), u"S"_s});
            if (sign > 0 && found) {
                quantities->Edit();
                qtCarga->SetAsFloat(quantity(qtCarga->AsFloat() + value));
                quantities->Post();
            } else if (sign > 0) {
                quantities->Append();
                quantities->FieldByName(u"CDCTE"_s)->SetAsFloat(cdCte);
                quantities->FieldByName(u"CDUNIDMEDIDA"_s)
                    ->SetAsString(QString::fromUtf16(kept.unit));
                quantities->FieldByName(u"DSTIPOMEDIDA"_s)
                    ->SetAsString(QString::fromUtf16(kept.kind));
                qtCarga->SetAsFloat(quantity(value));
                quantities->FieldByName(u"IDGERADAAUTO"_s)->SetAsString(u"S"_s);
                quantities->Post();
            } else if (found) {
                const double rest = quantity(qtCarga->AsFloat() - value);
                if (rest != 0) {
                    quantities->Edit();
                    qtCarga->SetAsFloat(rest);
                    quantities->Post();
                } else {
                    quantities->Delete();
                }
            }
        }
    }
}

QString TFiscalDocumentCriteria::ListKey() const
{
    const QString own = branch + entry;
    return own.isEmpty() ? accessKey : own;
}

TFiscalDocumentCriteria TFiscalDocumentCriteria::WithAnyForEmpty() const
{
    const auto any = [](const QString &s) {
        return s.isEmpty() ? u"T"_s : s;
    };
    return {any(accessKey), any(branch), any(entry)};
}

TFiscalDocumentCriteria CriteriaToAdd(const QString &accessKey, const QString &branch,
                                      const QString &entry)
{
    if ((branch + entry).isEmpty())
        return {accessKey, {}, {}};
    return {{}, branch, entry};
}

TFiscalDocumentCriteria CriteriaToRemove(const QString &accessKey, const QString &branch,
                                         const QString &entry)
{
    if (accessKey.isEmpty())
        return {u"T"_s, branch, entry};
    return {accessKey, u"T"_s, u"T"_s};
}

void FillProductRequest(TClientDataSet *request, const QStringList &keys)
{
    if (request->Active())
        request->EmptyDataSet();
    else
        request->CreateDataSet();
    for (const QString &key : keys) {
        request->Append();
        if (key.size() == 44) {
            request->FieldByName(u"NRACESSONFE"_s)->SetAsString(key);
        } else {
            request->FieldByName(u"CDFILIAL"_s)->SetAsString(key.left(4));
            request->FieldByName(u"NRLANCTONF"_s)->SetAsString(key.mid(4, 10));
        }
        request->Post();
    }
}
