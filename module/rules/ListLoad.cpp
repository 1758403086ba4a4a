#include "ListLoad.h"

#include "ChildLists.h"
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "ServerReply.h"

using namespace Qt::StringLiterals;

QString VersaoProcesso(const QString &siglaModulo, const QString &suffix)
{
    return u"ORV_"_s + siglaModulo + u"_"_s + suffix;
}

void CheckReply(const QVariant &reply)
{
    if (!IsReplyOk(reply))
        MensErro(ReplyError(reply));
}

namespace {
void emptyOrCreate(TClientDataSet *cds)
{
    if (!cds)
        return;
    if (cds->Active())
        cds->EmptyDataSet();
    else if (cds->FieldCount() > 0)
        cds->CreateDataSet();
}

void load(TClientDataSet *cds, const QVariantList &reply, int element)
{
    if (cds)
        cds->SetData(reply.value(element));
}
} // namespace

TListLoadResult LoadListReply(const QVariant &reply, const TListDataSets &sets,
                              const QString &siglaModulo)
{
    CheckReply(reply);
    const QVariantList r = reply.toList();
    for (TClientDataSet *cds :
         {sets.cdsCTe, sets.cdsInscrEstad, sets.cdsCTeImpostos, sets.cdsCTeCompValor,
          sets.cdsPesqCompValorPrest, sets.cdsCTeDocFiscais, sets.cdsPesqDocFiscais,
          sets.cdsCTeInfQtCarga, sets.cdsCTeDadosAdic})
        emptyOrCreate(cds);

    TListLoadResult result;
    load(sets.cdsCTe, r, 1);
    load(sets.cdsInscrEstad, r, 2);
    result.versaoProcesso = VersaoProcesso(siglaModulo, r.value(3).toString());
    load(sets.cdsCTeImpostos, r, 4);
    load(sets.cdsCTeCompValor, r, 5);
    if (sets.cdsCTeCompValor)
        result.compValorKeys = ValueComponentKeys(sets.cdsCTeCompValor);
    load(sets.cdsPesqCompValorPrest, r, 6);
    load(sets.cdsCTeDocFiscais, r, 7);
    if (sets.cdsCTeDocFiscais)
        result.docFiscaisKeys = FiscalDocumentKeys(sets.cdsCTeDocFiscais);
    load(sets.cdsCTeInfQtCarga, r, 9);
    load(sets.cdsCTeDadosAdic, r, 10);
    return result;
}
