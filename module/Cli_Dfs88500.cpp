#include "Cli_Dfs88500.h"

#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88500 {

QPointer<TfrmEnvioEmailCTe> frmEnvioEmailCTe;
bool boIdCriado = false;

void CriaEnvioEmailCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmEnvioEmailCTe = new TfrmEnvioEmailCTe(HostMainWindow());
        boIdCriado = true;
    }
    frmEnvioEmailCTe->ShowModal();
}

void ResetUnit()
{
    delete frmEnvioEmailCTe.data();
    frmEnvioEmailCTe = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88500

using namespace Cli_Dfs88500;

TfrmEnvioEmailCTe::TfrmEnvioEmailCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmEnvioEmailCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88500_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    SetCodTela(u"DFS88500"_s);
}

void TfrmEnvioEmailCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}
