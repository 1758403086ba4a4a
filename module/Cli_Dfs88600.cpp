#include "Cli_Dfs88600.h"

#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88600 {

QPointer<TfrmDetalheRetorno> frmDetalheRetorno;
bool boIdCriado = false;

void CriaDetalheRetorno()
{
    Screen::SetCursor(crHourGlass);
    if (!boIdCriado) {
        frmDetalheRetorno = new TfrmDetalheRetorno(HostMainWindow());
        boIdCriado = true;
    }
    Screen::ShowModal(frmDetalheRetorno);
    Screen::SetCursor(crDefault);
}

void ResetUnit()
{
    delete frmDetalheRetorno.data();
    frmDetalheRetorno = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88600

TfrmDetalheRetorno::TfrmDetalheRetorno(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(u"frmDetalheRetorno"_s);
    msgPadrao = new TMessages(this, u"msgPadrao"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88600_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    m_layout = new QVBoxLayout(this);
    resize(640, 360);
}
