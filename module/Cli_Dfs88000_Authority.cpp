// The authority's answers after transmission: the status query of the marked documents
// (ConsSituCte), the cancellation of the current accepted one (CancelaCTe) and its correction
// letters (CartaCorrecaoCTe).
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88400.h"
#include "Cli_Dfs88800.h"

#include "ClientDataSet.h"
#include "DocumentStatus.h"
#include "Exceptions.h"
#include "Field.h"
#include "ListMarking.h"
#include "Messages.h"
#include "ServerReply.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::sbtAtualizaLoteCTeClick()
{
    if (cdsCTe->State() != dsBrowse)
        cdsCTe->Post();
    const double cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
    try {
        if (CountMarked(cdsCTe) < 1)
            MensErro(msgPadrao->Msg(u"CTE_DEVE_SELECIONAR"_s), true);
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
        const QVariant resumo
            = CheckResultServ(chamaServidor(u"ConsSituCte"_s,
                                            {QVariant::fromValue(MarkedRowsPacket(cdsCTe)),
                                             medCdEmpresa->text(), InscricaoFiltro()}))
                  .toList()
                  .value(1);
        RecarregaLista();
        // The text has no placeholder: the server's summary does not show.
        ShowMsg(TMsgKind::Information,
                FormatPercentS(msgPadrao->Msg(u"Consulta_Sucesso"_s), {resumo.toString()}), mbOK);
    } catch (...) {
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
        throw;
    }
}

void TfrmCTe::RecarregaLista()
{
    const double cdCte
        = cdsCTe->Active() && !cdsCTe->IsEmpty() ? cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat() : 0;
    CarregaDadosGerais();
    inCount = 0;
    AtualizaComandos();
    cdsCTe->Locate(u"CDCTE"_s, cdCte);
}

void TfrmCTe::sbtCancelaCTeClick()
{
    const TField *codigo = cdsCTe->FieldByName(u"CDCTE"_s);
    const double cdCte = codigo->AsFloat();
    const QVariantList pedido = Cli_Dfs88400::CriaCancelaCTe();
    if (!pedido.value(0).toBool())
        return;
    CheckResultServ(
        chamaServidor(u"CancelaCTe"_s, {codigo->AsString(), pedido.value(1).toString()}));
    CarregaDadosGerais();
    cdsCTe->Locate(u"CDCTE"_s, cdCte);
    ShowMsg(TMsgKind::Information, msgPadrao->Msg(u"CANCELAMENTO_SUCESSO"_s), mbOK);
}

void TfrmCTe::sbtCartaCorrecaoCTeClick()
{
    const TField *codigo = cdsCTe->FieldByName(u"CDCTE"_s);
    const double cdCte = codigo->AsFloat();
    const QVariantList pedido = Cli_Dfs88800::CriaCartaCorrecaoCTe();
    if (!pedido.value(0).toBool())
        return;
    const QVariant reply = CheckResultServ(
        chamaServidor(u"CartaCorrecaoCTe"_s, {codigo->AsString(), pedido.value(1)}));
    CarregaDadosGerais();
    cdsCTe->Locate(u"CDCTE"_s, cdCte);
    ShowMsg(TMsgKind::Information,
            FormatPercentS(msgPadrao->Msg(u"CARTA_CORRECAO_SUCESSO"_s),
                           {reply.toList().value(1).toString()}),
            mbOK);
}
