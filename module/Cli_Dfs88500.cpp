#include "Cli_Dfs88500.h"

#include "Cli_Dfs88000.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

#include <QToolButton>
#include <QVBoxLayout>

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
    sbtConfirma->hide();

    dbgPadrao = new TDBGrid(Client(), u"dbgPadrao"_s);
    dbgPadrao->SetRowSelect(true);
    dbgPadrao->SetEditing(false);
    dbgPadrao->SetReadOnly(true);
    // The grid shows in the tooltip colour (clInfoBk).
    QPalette palette = dbgPadrao->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    dbgPadrao->setPalette(palette);
    const auto coluna = [this](const QString &field, int width) {
        TColumn c;
        c.FieldName = field;
        c.Title = msgPadrao->Msg(u"COL_"_s + field);
        c.Width = width;
        return c;
    };
    dbgPadrao->SetColumns({coluna(u"CDCTE"_s, 65), coluna(u"NRCTE"_s, 65),
                           coluna(u"IDEMAILCTE"_s, 65), coluna(u"DSOBSEMAILCTE"_s, 583)});
    ClientLayout()->addWidget(dbgPadrao, 1);
    resize(872 + panMenu->sizeHint().width(), 214);
}

void TfrmEnvioEmailCTe::FormShow()
{
    dbgPadrao->SetDataSource(Cli_Dfs88000::frmCTe ? Cli_Dfs88000::frmCTe->dtsEnvioEmailCTe
                                                  : nullptr);
}

void TfrmEnvioEmailCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}
