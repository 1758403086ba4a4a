#include "Cli_Dfs88700.h"

#include "DBGrid.h"
#include "HostWindow.h"
#include "Messages.h"
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
    const auto coluna = [](const QString &field, const QString &title, int width) {
        TColumn c;
        c.FieldName = field;
        c.Title = title;
        c.Width = width;
        return c;
    };
    dbgObservacao = grid();
    dbgObservacao->SetColumns({
        coluna(u"NRCTE"_s, msgPadrao->Msg(u"COL_NRCTE"_s), 0),
        coluna(u"IDGERADO"_s, msgPadrao->Msg(u"COL_IDGERADO"_s), 51),
        coluna(u"NRACESSONFE"_s, msgPadrao->Msg(u"COL_NRACESSONFE"_s), 266),
        coluna(u"DSOBSERVACAO"_s, msgPadrao->Msg(u"COL_DSOBSERVACAO"_s), 484),
    });
    PosicionaNoCentro(QSize(899, 220));
}
