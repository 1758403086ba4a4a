#include "Cli_Dfs88700.h"

#include "HostWindow.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88700 {

QPointer<TfrmObservacao> frmObservacao;
bool boIdCriado = false;

void CriaObservacao()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmObservacao = new TfrmObservacao(HostMainWindow());
        boIdCriado = true;
    }
    Screen::ShowModal(frmObservacao);
}

void ResetUnit()
{
    delete frmObservacao.data();
    frmObservacao = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88700

TfrmObservacao::TfrmObservacao(QWidget *parent)
    : TEditorResultWindow(parent, u"frmObservacao"_s, u"Cli_Dfs88700_msgPadrao"_s,
                          u"dbgObservacao"_s, u"dtsResultNotaFiscal"_s)
{
    dbgObservacao = grid();
}
