// Transmission of the marked documents (TransmiteCTe) and the per-document result list.
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"
#include "Cli_Dfs88700.h"

#include "ClientDataSet.h"
#include "Exceptions.h"
#include "Field.h"
#include "ListMarking.h"
#include "Messages.h"
#include "NetConnection.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::sbtTransCTeClick()
{
    // A pending edit goes through its checks and its save first; a failure ends here.
    if (cdsCTe->State() != dsBrowse)
        cdsCTe->Post();
    const double cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();

    if (CountMarked(cdsCTe) < 1)
        MensErro(msgPadrao->Msg(u"CTE_DEVE_SELECIONAR"_s), true);
    cdsCTe->Locate(u"CDCTE"_s, cdCte);

    try {
        const QVariant reply = chamaServidor(u"TransmiteCTe"_s,
                                             {QVariant::fromValue(MarkedRowsPacket(cdsCTe)),
                                              medCdEmpresa->text(), InscricaoFiltro()});
        if (reply.typeId() == QMetaType::QString)
            MensErro(reply.toString(), true);
        const QVariantList elementos = reply.toList();
        if (elementos.value(0).toString() != u"S")
            MensErro(elementos.value(1).toString(), true);

        CarregaDadosGerais();
        inCount = 0;
        AtualizaComandos();
        cdsCTe->Locate(u"CDCTE"_s, cdCte);

        if (cdsResultNotaFiscal->Active())
            cdsResultNotaFiscal->EmptyDataSet();
        cdsResultNotaFiscal->SetData(elementos.value(1));
        preparaResultNotaFiscal();
        const int linhas = cdsResultNotaFiscal->RecordCount();
        if (linhas == 1) {
            cdsResultNotaFiscal->First();
            if (cdsResultNotaFiscal->FieldByName(u"IDGERADO"_s)->AsString() == u"S")
                ShowMsg(TMsgKind::Information, msgPadrao->Msg(u"Trans_Efe"_s), mbOK);
            else
                Cli_Dfs88700::CriaObservacao();
        } else if (linhas > 1) {
            cdsResultNotaFiscal->First();
            Cli_Dfs88700::CriaObservacao();
        }
    } catch (...) {
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
        throw;
    }
}

QString TfrmCTe::InscricaoFiltro() const
{
    return Cli_Dfs88100::frmFiltroCTe ? Cli_Dfs88100::frmFiltroCTe->Filtro.RecCdInscEsta
                                      : QString();
}

void TfrmCTe::preparaResultNotaFiscal()
{
    // The packet brings the fields; their labels and the text of the sent mark are the window's.
    const std::pair<const char16_t *, const char16_t *> rotulos[] = {
        {u"NRCTE", u"ROT_RESULT_NRCTE"},
        {u"IDGERADO", u"ROT_RESULT_IDGERADO"},
        {u"NRACESSONFE", u"ROT_RESULT_NRACESSONFE"},
        {u"DSOBSERVACAO", u"ROT_RESULT_DSOBSERVACAO"},
    };
    for (const auto &[campo, chave] : rotulos) {
        if (TField *f = cdsResultNotaFiscal->FindField(QString::fromUtf16(campo)))
            f->SetDisplayLabel(msgPadrao->Msg(QString::fromUtf16(chave)));
    }
    if (TField *f = cdsResultNotaFiscal->FindField(u"IDGERADO"_s)) {
        f->OnGetText = [this](TField *sender, QString &text, bool displayText) {
            cdsResultNotaFiscalIDGERADOGetText(sender, text, displayText);
        };
    }
}

void TfrmCTe::cdsResultNotaFiscalIDGERADOGetText(TField *sender, QString &text, bool)
{
    const QString valor = sender->AsString();
    if (valor == u"S")
        text = msgPadrao->Msg(u"Sim"_s);
    else if (valor == u"N")
        text = msgPadrao->Msg(u"Nao"_s);
    else
        text.clear();
}
