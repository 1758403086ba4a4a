#include "Cli_Dfs88600.h"

#include "Cli_Dfs88000.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
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
    dbgDetalheRetorno = new TDBGrid(this, u"dbgDetalheRetorno"_s);
    dbgDetalheRetorno->SetRowSelect(true);
    dbgDetalheRetorno->SetEditing(false);
    dbgDetalheRetorno->SetReadOnly(true);
    m_layout->addWidget(dbgDetalheRetorno);
    resize(640, 360);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmDetalheRetorno::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The data belongs to the editor window, which may have been recreated since the last visit.
    TDataSource *source = Cli_Dfs88000::frmCTe
        ? Cli_Dfs88000::frmCTe->findChild<TDataSource *>(u"dtsDetalheRetorno"_s)
        : nullptr;
    dbgDetalheRetorno->SetDataSource(source);
}
