#include "Cli_Dfs88600.h"

#include "DBGrid.h"
#include "HostWindow.h"
#include "Messages.h"
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
    const auto coluna = [](const QString &field, const QString &title, int width) {
        TColumn c;
        c.FieldName = field;
        c.Title = title;
        c.Width = width;
        return c;
    };
    dbgDetalheRetorno = grid();
    dbgDetalheRetorno->SetColumns({
        coluna(u"NRACESSONFE"_s, msgPadrao->Msg(u"COL_NRACESSONFE"_s), 285),
        coluna(u"DSRETORNO"_s, msgPadrao->Msg(u"COL_DSRETORNO"_s), 778),
        coluna(u"IDSTATUS"_s, msgPadrao->Msg(u"COL_IDSTATUS"_s), 84),
    });
    PosicionaNoCentro(QSize(1205, 220));
}
