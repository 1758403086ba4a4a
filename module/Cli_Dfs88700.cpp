#include "Cli_Dfs88700.h"

#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88700 {

QPointer<TfrmObservacao> frmObservacao;
bool boIdCriado = false;

void CriaObservacao()
{
    Screen::SetCursor(crHourGlass);
    if (!boIdCriado) {
        frmObservacao = new TfrmObservacao(HostMainWindow());
        boIdCriado = true;
    }
    Screen::ShowModal(frmObservacao);
    Screen::SetCursor(crDefault);
}

void ResetUnit()
{
    delete frmObservacao.data();
    frmObservacao = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88700

TfrmObservacao::TfrmObservacao(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(u"frmObservacao"_s);
    msgPadrao = new TMessages(this, u"msgPadrao"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88700_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    m_layout = new QVBoxLayout(this);
    resize(640, 360);
}
