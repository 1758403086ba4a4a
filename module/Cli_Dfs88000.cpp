#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"

#include "BusyAnimation.h"
#include "ClientDataSet.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "NetConnection.h"
#include "Screen.h"

using namespace Qt::StringLiterals;

namespace Cli_Dfs88000 {

QPointer<TfrmCTe> frmCTe;
bool boStCriado = false;
bool boModoLeitura = false;
QString stVersaoProcesso;
QString stCdArvProdAux;
QString stChaveFiscalAux;
QString stNrInsJurEmitAux;
QString stNrInsJurRemeAux;
QString stNrInsJurTomaAux;
QString stNrInsJurExpeAux;
QString stNrInsJurReceAux;
QString stNrInsJurDestAux;
qint32 inCount = 0;
double doVrTotaPrestServ = 0;
QStringList slCTeCompValor;
QStringList slCTeDocFiscais;

void CriaCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boStCriado) {
        frmCTe = new TfrmCTe;
        boStCriado = true;
    }
    frmCTe->SetWindowState(wsNormal);
    frmCTe->Show();
}

void ResetUnit()
{
    frmCTe = nullptr;
    boStCriado = false;
    boModoLeitura = false;
    stVersaoProcesso.clear();
    stCdArvProdAux.clear();
    stChaveFiscalAux.clear();
    stNrInsJurEmitAux.clear();
    stNrInsJurRemeAux.clear();
    stNrInsJurTomaAux.clear();
    stNrInsJurExpeAux.clear();
    stNrInsJurReceAux.clear();
    stNrInsJurDestAux.clear();
    inCount = 0;
    doVrTotaPrestServ = 0;
    slCTeCompValor.clear();
    slCTeDocFiscais.clear();
}

} // namespace Cli_Dfs88000

using namespace Cli_Dfs88000;

TfrmCTe::TfrmCTe(QWidget *parent)
    : TfrmPadrao(parent)
{
    setObjectName(u"frmCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88000_msgPadrao"_s);
    msgListaDados = new TMessages(this, u"msgListaDados"_s);
    CarregaCatalogo(msgListaDados, u"Cli_Dfs88000_msgListaDados"_s);
    msgRotulos = new TMessages(this, u"msgRotulos"_s);
    CarregaCatalogo(msgRotulos, u"Cli_Dfs88000_msgRotulos"_s);
    setWindowTitle(Texto(u"TITULO_JANELA"_s));
    SetCodTela(QString::fromUtf16(kCodTela));
    resize(1181, 578);
    netCTe = new TNetConnection(this);
    netCTe->setObjectName(u"netCTe"_s);

    criaRegistro();
    criaListas();
    criaComandos();
    criaPainelEmpresa();
    criaListagem();
    criaFormulario();
    // Behaviour: life cycle, document list, company panel.
    criaListaDocumentos();
    criaEmpresa();
    criaCicloVida();
    criaRegrasCarga();
    criaEmitente();
    criaPapeis();
    criaServico();
    criaComponentesValor();
    criaImportacaoNotas();
    criaDACTE();
    criaEmail();
    criaGeraXML();
    inCount = 0;
}

QVariant TfrmCTe::chamaServidor(const QString &operation, const QVariantList &args, int kind)
{
    const TShowAviScope animacao(kind);
    return netCTe->AppServer(operation, args);
}

void TfrmCTe::FormShow()
{
    CarregaListas();
    MostraJanela();
}

bool TfrmCTe::EmEdicao() const
{
    return cdsCTe->State() == dsEdit || cdsCTe->State() == dsInsert;
}

void TfrmCTe::FormClose(TCloseAction &action)
{
    // What was typed is never dropped by closing the window (or the host): the edit is
    // confirmed or cancelled first.
    if (EmEdicao()) {
        action = caNone;
        MensErro(msgPadrao->Msg(u"FECHAR_EM_EDICAO"_s));
    }
    // Nor are the changes of a save whose outcome is not known yet.
    if (m_gravacaoPendente) {
        const TCloseAction pedida = action;
        action = caNone;
        AcertaGravacaoPendente();
        action = pedida;
    }
    boStCriado = false;
    Cli_Dfs88100::SetCompanySource({});
    netCTe->Disconnect();
    TfrmPadrao::FormClose(action);
}
