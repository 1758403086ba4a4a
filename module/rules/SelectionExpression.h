#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>

// The confirmed criteria of the document filter and the argument list of the list load that they
// give. The filter window writes the record; the editor turns it into the 21 arguments of
// GetDadosGerais when it loads its list.

// A role's selector: which register the party comes from.
enum TSelParte : int { selCliente = 0, selFornecedor = 1, selTodos = 2 };

struct TRecordFilter
{
    QString RecCdInscEsta;
    int RecSelRemetente = selTodos;
    QString RecCdClienteReme;
    QString RecCdFornecedorReme;
    int RecSelExpedidor = selTodos;
    QString RecCdClienteExpe;
    QString RecCdFornecedorExpe;
    int RecSelRecebedor = selTodos;
    QString RecCdClienteRece;
    QString RecCdFornecedorRece;
    int RecSelDestinatario = selTodos;
    QString RecCdClienteDest;
    QString RecCdFornecedorDest;
    int RecSelTomador = selTodos;
    QString RecCdClienteToma;
    QString RecCdFornecedorToma;
    QDate RecDataSaidIni;
    QDate RecDataSaidFim;
    int RecIdTipoOperac = 0;
    bool RecTodosTipoOper = true;
    QString RecListaTipoOper;
    bool RecSitAceito = true;
    bool RecSitCancelado = true;
    bool RecSitDenegado = true;
    bool RecSitPendente = true;
    bool RecSitRejeitado = true;
    bool RecSitTransmitido = true;

    bool operator==(const TRecordFilter &) const = default;
};

// "C" client, "F" supplier, "X" all (any other index is treated as all).
QString SelectorLetter(int selector);

// The situations ticked, each letter between underscores, in the order A C D P R T: "_A_P_";
// nothing ticked gives "_".
QString SituationList(const TRecordFilter &filter);

// "T" for every operation type, otherwise the chosen list unchanged.
QString OperationTypeCriterion(const TRecordFilter &filter);

// The 21 arguments of the list load, in order: company, state registration, payer letter and
// codes, the two dates, situations, operation types, then sender, dispatcher, receiver and
// recipient letters and codes.
QVariantList SelectionArguments(const QString &companyCode, const TRecordFilter &filter);
