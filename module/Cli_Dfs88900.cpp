#include "Cli_Dfs88900.h"

#include "Cli_Dfs88000.h"
#include "Cli_Dfs88400.h"

#include "ControlStyle.h"
#include "CorrectionRows.h"
#include "DataPacket.h"
#include "DocumentStatus.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Orvglob.h"
#include "Screen.h"
#include "ServerReply.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88900 {

QPointer<TfrmInutilizaCTe> frmInutilizaCTe;
bool boIdCriado = false;

void CriaInutilizaCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmInutilizaCTe = new TfrmInutilizaCTe(HostMainWindow());
        boIdCriado = true;
    }
    frmInutilizaCTe->ShowModal();
}

void ResetUnit()
{
    delete frmInutilizaCTe.data();
    frmInutilizaCTe = nullptr;
    boIdCriado = false;
}

} // namespace Cli_Dfs88900

using namespace Cli_Dfs88900;

TfrmInutilizaCTe::TfrmInutilizaCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmInutilizaCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88900_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    resize(720, 480);

    grbFaixa = new QGroupBox(msgPadrao->Msg(u"GRB_FAIXA"_s), Client());
    grbFaixa->setObjectName(u"grbFaixa"_s);
    auto *faixa = new QFormLayout(grbFaixa);
    const auto campo = [&](const QString &name, const QString &rotulo, int digitos) {
        auto *e = new QLineEdit(grbFaixa);
        e->setObjectName(name);
        e->setMaxLength(digitos);
        StyleAsInput(e);
        faixa->addRow(msgPadrao->Msg(rotulo), e);
        return e;
    };
    edtEmpresa = campo(u"edtEmpresa"_s, u"ROT_EMPRESA"_s, 2);
    edtInscricao = campo(u"edtInscricao"_s, u"ROT_INSCRICAO"_s, 16);
    edtSerie = campo(u"edtSerie"_s, u"ROT_SERIE"_s, 3);
    edtNumeroInicial = campo(u"edtNumeroInicial"_s, u"ROT_NUMERO_INICIAL"_s, 9);
    edtNumeroFinal = campo(u"edtNumeroFinal"_s, u"ROT_NUMERO_FINAL"_s, 9);
    ClientLayout()->addWidget(grbFaixa);

    grbMotivo = new QGroupBox(msgPadrao->Msg(u"GRB_MOTIVO"_s), Client());
    grbMotivo->setObjectName(u"grbMotivo"_s);
    auto *motivo = new QVBoxLayout(grbMotivo);
    memMotivo = new TMemoParagrafo(grbMotivo);
    memMotivo->setObjectName(u"memMotivo"_s);
    memMotivo->setMaximumHeight(60);
    StyleAsInput(memMotivo);
    motivo->addWidget(memMotivo);
    ClientLayout()->addWidget(grbMotivo);

    grbInutilizadas = new QGroupBox(msgPadrao->Msg(u"GRB_INUTILIZADAS"_s), Client());
    grbInutilizadas->setObjectName(u"grbInutilizadas"_s);
    auto *lista = new QVBoxLayout(grbInutilizadas);
    const QStringList colunas {u"COL_INSCRICAO"_s, u"COL_SERIE"_s,  u"COL_INICIAL"_s,
                               u"COL_FINAL"_s,     u"COL_MOTIVO"_s, u"COL_PROTOCOLO"_s,
                               u"COL_REGISTRO"_s};
    grdInutilizadas = new QTableWidget(0, int(colunas.size()), grbInutilizadas);
    grdInutilizadas->setObjectName(u"grdInutilizadas"_s);
    QStringList titulos;
    for (const QString &c : colunas)
        titulos << msgPadrao->Msg(c);
    grdInutilizadas->setHorizontalHeaderLabels(titulos);
    grdInutilizadas->verticalHeader()->setVisible(false);
    grdInutilizadas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StyleAsDisplay(grdInutilizadas);
    lista->addWidget(grdInutilizadas);
    ClientLayout()->addWidget(grbInutilizadas, 1);
}

void TfrmInutilizaCTe::FormShow()
{
    // The editor's company and registration, else the host's company.
    TfrmCTe *editor = Cli_Dfs88000::frmCTe;
    if (edtEmpresa->text().isEmpty())
        edtEmpresa->setText(editor ? editor->medCdEmpresa->text() : Orvglob::EmprProc);
    if (edtInscricao->text().isEmpty() && editor)
        edtInscricao->setText(editor->InscricaoFiltro());
    if (edtSerie->text().isEmpty())
        edtSerie->setText(u"1"_s);
    CarregaInutilizadas();
    edtNumeroInicial->setFocus();
}

void TfrmInutilizaCTe::CarregaInutilizadas()
{
    grdInutilizadas->setRowCount(0);
    TfrmCTe *editor = Cli_Dfs88000::frmCTe;
    if (!editor || edtEmpresa->text().trimmed().isEmpty())
        return;
    const QVariant reply = CheckResultServ(
        editor->chamaServidor(u"GetInutilizacaoCTe"_s, {edtEmpresa->text().trimmed()}));
    const auto faixas = reply.toList().value(1).value<contracts::DataPacket>();
    for (const contracts::Row &r : faixas.rows) {
        const int row = grdInutilizadas->rowCount();
        grdInutilizadas->insertRow(row);
        for (int c = 0; c < r.size() && c < grdInutilizadas->columnCount(); ++c) {
            const QString texto = r.at(c).typeId() == QMetaType::QDateTime
                ? r.at(c).toDateTime().toString(u"dd/MM/yyyy HH:mm:ss"_s)
                : r.at(c).toString();
            grdInutilizadas->setItem(row, c, new QTableWidgetItem(texto));
        }
    }
}

void TfrmInutilizaCTe::sbtConfirmaClick()
{
    TfrmCTe *editor = Cli_Dfs88000::frmCTe;
    if (!editor)
        MensErro(msgPadrao->Msg(u"EDITOR_DEVE"_s), true);
    const TPedidoInutilizacao pedido {edtEmpresa->text(),     edtInscricao->text(),
                                      edtSerie->text(),       edtNumeroInicial->text(),
                                      edtNumeroFinal->text(), memMotivo->toPlainText()};
    if (const QString problema = VerificaInutilizacao(pedido); !problema.isEmpty())
        MensErro(msgPadrao->Msg(problema), true);
    const QVariant reply = CheckResultServ(editor->chamaServidor(
        u"InutilizaCTe"_s,
        {pedido.empresa.trimmed(), pedido.inscricao.trimmed(), pedido.serie.trimmed(),
         pedido.inicial.trimmed(), pedido.final.trimmed(), pedido.motivo}));
    CarregaInutilizadas();
    edtNumeroInicial->clear();
    edtNumeroFinal->clear();
    memMotivo->clear();
    ShowMsg(TMsgKind::Information,
            FormatPercentS(msgPadrao->Msg(u"INUTILIZACAO_SUCESSO"_s),
                           {reply.toList().value(1).toString()}),
            mbOK);
}

void TfrmInutilizaCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}
