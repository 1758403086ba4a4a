#include "Cli_Dfs88700.h"

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
    dbgObservacao = new TDBGrid(this, u"dbgObservacao"_s);
    dbgObservacao->SetRowSelect(true);
    dbgObservacao->SetEditing(false);
    dbgObservacao->SetReadOnly(true);
    m_layout->addWidget(dbgObservacao);
    resize(640, 360);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmObservacao::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The data belongs to the editor window, which may have been recreated since the last visit.
    TDataSource *source = Cli_Dfs88000::frmCTe
        ? Cli_Dfs88000::frmCTe->findChild<TDataSource *>(u"dtsResultNotaFiscal"_s)
        : nullptr;
    dbgObservacao->SetDataSource(source);
}
