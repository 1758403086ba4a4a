#include "Cli_Dfs88100.h"

#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88100 {

QPointer<TfrmFiltroCTe> frmFiltroCTe;
bool boConfirma = false;
bool boActive = false;
QString stListaTipoOper;
QString stCdClienteToma, stIdTpIJurClieToma, stCdFornecedorToma, stIdTpIJurFornToma;
QString stCdClienteReme, stIdTpIJurClieReme, stCdFornecedorReme, stIdTpIJurFornReme;
QString stCdClienteExpe, stIdTpIJurClieExpe, stCdFornecedorExpe, stIdTpIJurFornExpe;
QString stCdClienteRece, stIdTpIJurClieRece, stCdFornecedorRece, stIdTpIJurFornRece;
QString stCdClienteDest, stIdTpIJurClieDest, stCdFornecedorDest, stIdTpIJurFornDest;

bool CriaFiltroCTe()
{
    Screen::SetCursor(crHourGlass);
    if (!frmFiltroCTe)
        frmFiltroCTe = new TfrmFiltroCTe(HostMainWindow());
    frmFiltroCTe->ShowModal();
    Screen::SetCursor(crDefault);
    return boConfirma;
}

void ResetUnit()
{
    delete frmFiltroCTe.data();
    frmFiltroCTe = nullptr;
    boConfirma = false;
    boActive = false;
    for (QString *s :
         {&stListaTipoOper,    &stCdClienteToma, &stIdTpIJurClieToma, &stCdFornecedorToma,
          &stIdTpIJurFornToma, &stCdClienteReme, &stIdTpIJurClieReme, &stCdFornecedorReme,
          &stIdTpIJurFornReme, &stCdClienteExpe, &stIdTpIJurClieExpe, &stCdFornecedorExpe,
          &stIdTpIJurFornExpe, &stCdClienteRece, &stIdTpIJurClieRece, &stCdFornecedorRece,
          &stIdTpIJurFornRece, &stCdClienteDest, &stIdTpIJurClieDest, &stCdFornecedorDest,
          &stIdTpIJurFornDest})
        s->clear();
}

} // namespace Cli_Dfs88100

using namespace Cli_Dfs88100;

TfrmFiltroCTe::TfrmFiltroCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmFiltroCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88100_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    SetCodTela(QString::fromUtf16(kCodTela));
    boConfirma = false;
}

void TfrmFiltroCTe::FormShow()
{
    boConfirma = false;
    boActive = true;
}

void TfrmFiltroCTe::FormClose(TCloseAction &action)
{
    boActive = false;
    action = caHide;
}

void TfrmFiltroCTe::sbtConfirmaClick()
{
    // Set before the checks: a visit that fails a check and is then closed still counts.
    boConfirma = true;
    SetModalResult(Accepted);
}

void TfrmFiltroCTe::sbtCancelClick()
{
    TfrmRotiGeral::sbtCancelClick();
    boConfirma = false;
}
