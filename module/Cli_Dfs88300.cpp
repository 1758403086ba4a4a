#include "Cli_Dfs88300.h"

#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "ReportDesigner.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88300 {

QPointer<TfrmDACTE> frmDACTE;
bool boIdCriado = false;
double flCdCTe = 0;

void CriaDACTE(double CdCTe)
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmDACTE = new TfrmDACTE(HostMainWindow());
        boIdCriado = true;
    }
    flCdCTe = CdCTe;
    frmDACTE->ShowModal();
}

void ResetUnit()
{
    delete frmDACTE.data();
    frmDACTE = nullptr;
    boIdCriado = false;
    flCdCTe = 0;
}

} // namespace Cli_Dfs88300

using namespace Cli_Dfs88300;

TfrmDACTE::TfrmDACTE(QWidget *parent)
    : TfrmDadosGerRel(parent)
{
    setObjectName(u"frmDACTE"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88300_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    SetCodTela(u"DFS88300"_s);
    rpddPadrao->ReportCode = u"DFS890"_s;
}

void TfrmDACTE::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmDadosGerRel::FormClose(action);
}
