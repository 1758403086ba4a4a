#include "PartyCopy.h"

#include "CTeRecord.h"
#include "ClientDataSet.h"

using namespace Qt::StringLiterals;
using namespace contracts::cte;

QString RetSemMascara(const QString &text)
{
    QString out = text;
    for (const QChar c : {u'/', u'-', u'.', u'(', u')', u','})
        out.remove(c);
    return out;
}

void CopyRegisterRow(TClientDataSet *document, const QString &role, const TClientDataSet *row,
                     bool supplier)
{
    const auto set = [document](const QString &field, const QString &value) {
        document->FieldByName(field)->SetAsString(value);
    };
    set(partySourceField(role), supplier ? u"F"_s : u"C"_s);
    if (supplier)
        set(partySupplierCodeField(role), row->FieldByName(u"CDFORNECED"_s)->AsString());
    else
        set(partyClientCodeField(role), row->FieldByName(u"CDCLIENTE"_s)->AsString());
    QList<PartyColumn> columns = partyRegisterColumns();
    if (role == u"DEST")
        columns << recipientSuframaColumn();
    for (const PartyColumn &c : std::as_const(columns)) {
        const TField *from = row->FindField(supplier ? c.supplier : c.client);
        set(c.stem + role, from ? from->AsString() : QString());
    }
}

void CopyToPayer(TClientDataSet *document, const QString &source)
{
    const auto copy = [document](const QString &from, const QString &to) {
        document->FieldByName(to)->SetAsString(document->FieldByName(from)->AsString());
    };
    const QString payer = u"TOMA"_s;
    copy(partySourceField(source), partySourceField(payer));
    copy(partyClientCodeField(source), partyClientCodeField(payer));
    copy(partySupplierCodeField(source), partySupplierCodeField(payer));
    for (const PartyColumn &c : partyRegisterColumns())
        copy(c.stem + source, c.stem + payer);
}

bool PartyMissing(const TClientDataSet *document, const QString &role)
{
    return document->FieldByName(partyClientCodeField(role))->AsString().isEmpty()
        && document->FieldByName(partySupplierCodeField(role))->AsString().isEmpty();
}
