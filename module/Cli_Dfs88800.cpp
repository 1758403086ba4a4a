#include "Cli_Dfs88800.h"

#include "Cli_Dfs88000.h"
#include "DocumentGroup.h"

#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "CorrectionFields.h"
#include "CorrectionRows.h"
#include "Exceptions.h"
#include "Field.h"
#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Screen.h"
#include "ServerReply.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88800 {

QPointer<TfrmCartaCorrecaoCTe> frmCartaCorrecaoCTe;
bool boIdCriado = false;
bool boConfirma = false;
contracts::DataPacket pacCorrecoes;

QVariantList CriaCartaCorrecaoCTe()
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmCartaCorrecaoCTe = new TfrmCartaCorrecaoCTe(HostMainWindow());
        boIdCriado = true;
    }
    frmCartaCorrecaoCTe->ShowModal();
    return {boConfirma, QVariant::fromValue(pacCorrecoes)};
}

void ResetUnit()
{
    delete frmCartaCorrecaoCTe.data();
    frmCartaCorrecaoCTe = nullptr;
    boIdCriado = false;
    boConfirma = false;
    pacCorrecoes = {};
}

} // namespace Cli_Dfs88800

using namespace Cli_Dfs88800;

namespace {

enum Coluna { ColGrupo, ColCampo, ColValor, ColItem };

QToolButton *botao(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QTableWidget *grade(QWidget *parent, const QString &name, const QStringList &titulos)
{
    auto *g = new QTableWidget(0, int(titulos.size()), parent);
    g->setObjectName(name);
    g->setHorizontalHeaderLabels(titulos);
    g->horizontalHeader()->setStretchLastSection(true);
    g->verticalHeader()->setVisible(false);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    return g;
}

QString textoCelula(const QTableWidget *g, int row, int col)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(g->cellWidget(row, col)))
        return combo->currentText();
    const QTableWidgetItem *item = g->item(row, col);
    return item ? item->text() : QString();
}

} // namespace

TfrmCartaCorrecaoCTe::TfrmCartaCorrecaoCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmCartaCorrecaoCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88800_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    resize(760, 520);

    const TGrupoDadosCTe dados = CriaGrupoDadosCTe(Client(), msgPadrao);
    grbCte = dados.grbCte;
    dbeNumeroCTe = dados.dbeNumeroCTe;
    dbeNrAcessoCTe = dados.dbeNrAcessoCTe;
    ClientLayout()->addWidget(grbCte);

    grbCorrecoes = new QGroupBox(msgPadrao->Msg(u"GRB_CORRECOES"_s), Client());
    grbCorrecoes->setObjectName(u"grbCorrecoes"_s);
    auto *correcoes = new QVBoxLayout(grbCorrecoes);
    grdCorrecoes = grade(grbCorrecoes, u"grdCorrecoes"_s,
                         {msgPadrao->Msg(u"COL_GRUPO"_s), msgPadrao->Msg(u"COL_CAMPO"_s),
                          msgPadrao->Msg(u"COL_VALOR"_s), msgPadrao->Msg(u"COL_ITEM"_s)});
    StyleAsInput(grdCorrecoes);
    correcoes->addWidget(grdCorrecoes, 1);
    auto *botoes = new QHBoxLayout;
    btnIncluiCorrecao
        = botao(grbCorrecoes, u"btnIncluiCorrecao"_s, msgPadrao->Msg(u"BTN_INCLUI"_s));
    btnExcluiCorrecao
        = botao(grbCorrecoes, u"btnExcluiCorrecao"_s, msgPadrao->Msg(u"BTN_EXCLUI"_s));
    botoes->addWidget(btnIncluiCorrecao);
    botoes->addWidget(btnExcluiCorrecao);
    botoes->addStretch(1);
    correcoes->addLayout(botoes);
    ClientLayout()->addWidget(grbCorrecoes, 1);
    connect(btnIncluiCorrecao, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { IncluiCorrecao(); }); });
    connect(btnExcluiCorrecao, &QToolButton::clicked, this, [this] {
        if (grdCorrecoes->currentRow() >= 0)
            grdCorrecoes->removeRow(grdCorrecoes->currentRow());
    });

    grbCartas = new QGroupBox(msgPadrao->Msg(u"GRB_CARTAS"_s), Client());
    grbCartas->setObjectName(u"grbCartas"_s);
    auto *cartas = new QVBoxLayout(grbCartas);
    grdCartas = grade(grbCartas, u"grdCartas"_s,
                      {msgPadrao->Msg(u"COL_SEQUENCIA"_s), msgPadrao->Msg(u"COL_PROTOCOLO"_s),
                       msgPadrao->Msg(u"COL_REGISTRO"_s), msgPadrao->Msg(u"COL_CORRECOES"_s)});
    grdCartas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StyleAsDisplay(grdCartas);
    cartas->addWidget(grdCartas, 1);
    btnImprimeCarta = botao(grbCartas, u"btnImprimeCarta"_s, msgPadrao->Msg(u"BTN_IMPRIME"_s));
    cartas->addWidget(btnImprimeCarta, 0, Qt::AlignLeft);
    ClientLayout()->addWidget(grbCartas, 1);
    connect(btnImprimeCarta, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { btnImprimeCartaClick(); }); });
}

int TfrmCartaCorrecaoCTe::IncluiCorrecao(const QString &grupo, const QString &campo)
{
    const int row = grdCorrecoes->rowCount();
    grdCorrecoes->insertRow(row);
    auto *grupos = new QComboBox(grdCorrecoes);
    grupos->setObjectName(u"cbbGrupo%1"_s.arg(row));
    for (const contracts::correction::LayoutField &f : contracts::correction::layoutFields())
        if (grupos->findText(f.group) < 0)
            grupos->addItem(f.group);
    auto *campos = new QComboBox(grdCorrecoes);
    campos->setObjectName(u"cbbCampo%1"_s.arg(row));
    grdCorrecoes->setCellWidget(row, ColGrupo, grupos);
    grdCorrecoes->setCellWidget(row, ColCampo, campos);
    grdCorrecoes->setItem(row, ColValor, new QTableWidgetItem);
    grdCorrecoes->setItem(row, ColItem, new QTableWidgetItem);
    connect(grupos, &QComboBox::currentTextChanged, this, [this, grupos] {
        for (int r = 0; r < grdCorrecoes->rowCount(); ++r)
            if (grdCorrecoes->cellWidget(r, ColGrupo) == grupos)
                preencheCampos(r);
    });
    if (!grupo.isEmpty())
        grupos->setCurrentText(grupo);
    preencheCampos(row);
    if (!campo.isEmpty())
        campos->setCurrentText(campo);
    grdCorrecoes->setCurrentCell(row, ColValor);
    return row;
}

void TfrmCartaCorrecaoCTe::preencheCampos(int row)
{
    auto *campos = qobject_cast<QComboBox *>(grdCorrecoes->cellWidget(row, ColCampo));
    const QString grupo = textoCelula(grdCorrecoes, row, ColGrupo);
    campos->clear();
    for (const contracts::correction::LayoutField &f : contracts::correction::layoutFields())
        if (f.group == grupo)
            campos->addItem(f.field);
}

void TfrmCartaCorrecaoCTe::CarregaCartas()
{
    grdCartas->setRowCount(0);
    TfrmCTe *editor = Cli_Dfs88000::frmCTe;
    if (!editor || !editor->cdsCTe->Active() || editor->cdsCTe->IsEmpty())
        return;
    const QVariant reply = CheckResultServ(editor->chamaServidor(
        u"GetCartaCorrecaoCTe"_s, {editor->cdsCTe->FieldByName(u"CDCTE"_s)->AsString()}));
    const auto cartas = reply.toList().value(1).value<contracts::DataPacket>();
    for (const contracts::Row &r : cartas.rows) {
        const int row = grdCartas->rowCount();
        grdCartas->insertRow(row);
        grdCartas->setItem(row, 0, new QTableWidgetItem(r.value(0).toString()));
        grdCartas->setItem(row, 1, new QTableWidgetItem(r.value(1).toString()));
        grdCartas->setItem(
            row, 2,
            new QTableWidgetItem(r.value(2).toDateTime().toString(u"dd/MM/yyyy HH:mm:ss"_s)));
        grdCartas->setItem(row, 3, new QTableWidgetItem(r.value(3).toString()));
    }
}

void TfrmCartaCorrecaoCTe::btnImprimeCartaClick()
{
    TfrmCTe *editor = Cli_Dfs88000::frmCTe;
    const int row = grdCartas->currentRow();
    if (!editor || row < 0)
        MensErro(msgPadrao->Msg(u"CARTA_DEVE"_s), true);
    const QString sequencia = textoCelula(grdCartas, row, 0);
    const QString chave = editor->cdsCTe->FieldByName(u"NRACESSOCTE"_s)->AsString();
    QFileDialog salvar(this);
    salvar.setObjectName(u"svdPdfCarta"_s);
    salvar.setAcceptMode(QFileDialog::AcceptSave);
    salvar.setOption(QFileDialog::DontUseNativeDialog);
    salvar.setDefaultSuffix(u"pdf"_s);
    salvar.setNameFilter(msgPadrao->Msg(u"FILTRO_PDF"_s));
    salvar.selectFile(u"%1-cce-%2.pdf"_s.arg(chave, sequencia));
    if (salvar.exec() != QDialog::Accepted || salvar.selectedFiles().isEmpty())
        return;
    const QString destino = salvar.selectedFiles().first();
    const QVariant reply = CheckResultServ(
        editor->chamaServidor(u"GerarCartaCorrecaoCTe"_s,
                              {editor->cdsCTe->FieldByName(u"CDCTE"_s)->AsString(), sequencia}));
    QFile file(destino);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QByteArray::fromBase64(reply.toList().value(1).toString().toLatin1())) < 0)
        MensErro(msgPadrao->Msg(u"PDF_GRAVACAO"_s).arg(destino), true);
    file.close();
    QDesktopServices::openUrl(QUrl::fromLocalFile(destino));
}

void TfrmCartaCorrecaoCTe::FormShow()
{
    boConfirma = false;
    CarregaCartas();
    if (grdCorrecoes->rowCount() == 0)
        IncluiCorrecao();
}

void TfrmCartaCorrecaoCTe::sbtConfirmaClick()
{
    QList<TLinhaCorrecao> linhas;
    for (int r = 0; r < grdCorrecoes->rowCount(); ++r)
        linhas.append(
            {textoCelula(grdCorrecoes, r, ColGrupo), textoCelula(grdCorrecoes, r, ColCampo),
             textoCelula(grdCorrecoes, r, ColValor), textoCelula(grdCorrecoes, r, ColItem)});
    const TProblemaCorrecao problema = VerificaCorrecoes(linhas);
    if (!problema.key.isEmpty()) {
        if (problema.row >= 0)
            grdCorrecoes->setCurrentCell(problema.row,
                                         problema.key.startsWith(u"ITEM") ? ColItem : ColValor);
        grdCorrecoes->setFocus();
        MensErro(msgPadrao->Msg(problema.key).arg(problema.grupo, problema.campo), true);
    }
    boConfirma = true;
    pacCorrecoes = PacoteCorrecoes(linhas);
    Close();
}

void TfrmCartaCorrecaoCTe::sbtCancelClick()
{
    TfrmRotiGeral::sbtCancelClick();
    boConfirma = false;
}

void TfrmCartaCorrecaoCTe::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmRotiGeral::FormClose(action);
}
