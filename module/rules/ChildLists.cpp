#include "ChildLists.h"

#include "ClientDataSet.h"

using namespace Qt::StringLiterals;

QString ChildFilterText(const QString &cdCte)
{
    return u"CDCTE = '"_s + cdCte + u"'"_s;
}

void FilterChildren(const QList<TClientDataSet *> &children, const QString &filter)
{
    for (TClientDataSet *child : children) {
        if (!child->Active())
            continue;
        child->SetFiltered(false);
        child->SetFilter(filter);
        child->SetFiltered(true);
        child->First();
    }
}

QStringList ValueComponentKeys(TClientDataSet *cdsCTeCompValor)
{
    QStringList keys;
    if (!cdsCTeCompValor->Active())
        return keys;
    const TField *code = cdsCTeCompValor->FieldByName(u"CDCOMPVRPREST"_s);
    const int rows = cdsCTeCompValor->RecordCount();
    for (int row = 0; row < rows; ++row)
        keys.append(cdsCTeCompValor->TextAt(row, code));
    cdsCTeCompValor->First();
    return keys;
}

QStringList FiscalDocumentKeys(TClientDataSet *cdsCTeDocFiscais)
{
    QStringList keys;
    if (!cdsCTeDocFiscais->Active())
        return keys;
    const TField *branch = cdsCTeDocFiscais->FieldByName(u"CDFILIAL"_s);
    const TField *entry = cdsCTeDocFiscais->FieldByName(u"NRLANCTONF"_s);
    const TField *accessKey = cdsCTeDocFiscais->FieldByName(u"NRACESSONFE"_s);
    const int rows = cdsCTeDocFiscais->RecordCount();
    for (int row = 0; row < rows; ++row) {
        const QString own
            = cdsCTeDocFiscais->TextAt(row, branch) + cdsCTeDocFiscais->TextAt(row, entry);
        const QString key = own.isEmpty() ? cdsCTeDocFiscais->TextAt(row, accessKey) : own;
        if (!key.isEmpty())
            keys.append(key);
    }
    cdsCTeDocFiscais->First();
    return keys;
}
