#include "SelectionExpression.h"

using namespace Qt::StringLiterals;

QString SelectorLetter(int selector)
{
    switch (selector) {
    case selCliente:
        return u"C"_s;
    case selFornecedor:
        return u"F"_s;
    default:
        return u"X"_s;
    }
}

QString SituationList(const TRecordFilter &filter)
{
    QString list;
    const std::pair<bool, char16_t> situations[] = {
        {filter.RecSitAceito, u'A'},    {filter.RecSitCancelado, u'C'},
        {filter.RecSitDenegado, u'D'},  {filter.RecSitPendente, u'P'},
        {filter.RecSitRejeitado, u'R'}, {filter.RecSitTransmitido, u'T'},
    };
    for (const auto &[included, letter] : situations) {
        if (included) {
            list += u'_';
            list += QChar(letter);
        }
    }
    list += u'_';
    return list;
}

QString OperationTypeCriterion(const TRecordFilter &filter)
{
    return filter.RecTodosTipoOper ? u"T"_s : filter.RecListaTipoOper;
}

QVariantList SelectionArguments(const QString &companyCode, const TRecordFilter &filter)
{
    return {
        companyCode,
        filter.RecCdInscEsta,
        SelectorLetter(filter.RecSelTomador),
        filter.RecCdClienteToma,
        filter.RecCdFornecedorToma,
        filter.RecDataSaidIni,
        filter.RecDataSaidFim,
        SituationList(filter),
        OperationTypeCriterion(filter),
        SelectorLetter(filter.RecSelRemetente),
        filter.RecCdClienteReme,
        filter.RecCdFornecedorReme,
        SelectorLetter(filter.RecSelExpedidor),
        filter.RecCdClienteExpe,
        filter.RecCdFornecedorExpe,
        SelectorLetter(filter.RecSelRecebedor),
        filter.RecCdClienteRece,
        filter.RecCdFornecedorRece,
        SelectorLetter(filter.RecSelDestinatario),
        filter.RecCdClienteDest,
        filter.RecCdFornecedorDest,
    };
}
