#include "Cli_Dfs88600.h"

#include "HostWindow.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88600 {

QPointer<TfrmDetalheRetorno> frmDetalheRetorno;
bool boIdCriado = false;

void CriaDetalheRetorno()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmDetalheRetorno = new TfrmDetalheRetorno(HostMainWindow());
        boIdCriado = true;
    }
    Screen::ShowModal(frmDetalheRetorno);
}

void ResetUnit()
{
    delete frmDetalheRetorno.data();
    frmDetalheRetorno = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88600

TfrmDetalheRetorno::TfrmDetalheRetorno(QWidget *parent)
    : TEditorResultWindow(parent, u"frmDetalheRetorno"_s, u"Cli_Dfs88600_msgPadrao"_s,
                          u"dbgDetalheRetorno"_s, u"dtsDetalheRetorno"_s)
{
    dbgDetalheRetorno = grid();
}
