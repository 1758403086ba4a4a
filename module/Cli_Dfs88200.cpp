#include "Cli_Dfs88200.h"

#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88200 {

QPointer<TfrmAtualizaLoteCTe> frmAtualizaLoteCTe;
bool boIdCriado = false;

void CriaAtualizaLoteCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmAtualizaLoteCTe = new TfrmAtualizaLoteCTe(HostMainWindow());
        boIdCriado = true;
    }
    frmAtualizaLoteCTe->ShowModal();
}

void ResetUnit()
{
    delete frmAtualizaLoteCTe.data();
    frmAtualizaLoteCTe = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88200

using namespace Cli_Dfs88200;

TfrmAtualizaLoteCTe::TfrmAtualizaLoteCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmAtualizaLoteCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88200_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    SetCodTela(u"DFS88200"_s);
}

void TfrmAtualizaLoteCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}
