#include "Cli_Dfs88400.h"

#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88400 {

QPointer<TfrmCancelaCTe> frmCancelaCTe;
bool boIdCriado = false;
bool boConfirma = false;
QString stMotivoCancelaCTe;

QVariantList CriaCancelaCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmCancelaCTe = new TfrmCancelaCTe(HostMainWindow());
        boIdCriado = true;
    }
    frmCancelaCTe->ShowModal();
    const QVariantList result {boConfirma, stMotivoCancelaCTe};
    return result;
}

void ResetUnit()
{
    delete frmCancelaCTe.data();
    frmCancelaCTe = nullptr;
    boIdCriado = false;
    boConfirma = false;
    stMotivoCancelaCTe.clear();
}

} // namespace Cli_Dfs88400

using namespace Cli_Dfs88400;

TfrmCancelaCTe::TfrmCancelaCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmCancelaCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88400_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
}

void TfrmCancelaCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}
