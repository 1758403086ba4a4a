// Pages "Informações do CT-e Normal e Substituto" (cargo, quantities, referenced fiscal
// documents and the date window of their search) and "Dados Complementares" (observations).
#include "Cli_Dfs88000.h"

#include "BtnPesquisa.h"
#include "CodeLists.h"
#include "ControlStyle.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DateEditPlus.h"
#include "Messages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

void TfrmCTe::criaCarga()
{
    QWidget *page = criaSecao(u"InfCTeNormalSubstituto"_s, u"TSH_INF_CTE_NORMAL_SUBSTITUTO"_s,
                              &tshInfCTeNormalSubstituto, &scbInfCTeNormalSubstituto);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    auto *topo = new QHBoxLayout;
    const auto E = TTipo::Entrada;

    grbCarga = criaGrupo(page, u"grbCarga"_s, u"GRB_CARGA"_s);
    QWidget *g = grbCarga;
    auto *carga = new QGridLayout(g);
    dbeValorTotal = criaEdit(g, u"dbeValorTotal"_s, u"VRTOTACARGA"_s, E, 16);
    dbeValorTotal->setAlignment(Qt::AlignRight);
    par(carga, 0, 0, rotulo(g, u"ROT_VALOR_TOTAL"_s, u"lblValorTotal"_s), dbeValorTotal);
    dbeValorAverbacao = criaEdit(g, u"dbeValorAverbacao"_s, u"VRAVERBACAO"_s, E, 16);
    dbeValorAverbacao->setAlignment(Qt::AlignRight);
    par(carga, 1, 0, rotulo(g, u"ROT_VALOR_AVERBACAO"_s, u"lblValorAverbacao"_s),
        dbeValorAverbacao);
    // Filled by its look-up only: an input that starts disabled.
    dbeProdPredomina = criaEdit(g, u"dbeProdPredomina"_s, u"DSPRODPREDOMINA"_s, E);
    dbeProdPredomina->setEnabled(false);
    btpProdPredomina = criaPesquisa(g, u"btpProdPredomina"_s, u"PESQ_PROD_PREDOMINA"_s,
                                    u"PESQ_PROD_PREDOMINA_EMPTY"_s, E);
    btpProdPredomina->DataSource = dtsPesqProdDocFiscais;
    auto *produto = new QHBoxLayout;
    produto->setSpacing(2);
    produto->addWidget(dbeProdPredomina);
    produto->addWidget(btpProdPredomina);
    par(carga, 2, 0, rotulo(g, u"ROT_PROD_PREDOMINA"_s, u"lblProdPredomina"_s), produto);
    dbeOutrasCaracteristicas
        = criaEdit(g, u"dbeOutrasCaracteristicas"_s, u"DSOUTCARCARGA"_s, E, 30);
    par(carga, 3, 0, rotulo(g, u"ROT_OUTRAS_CARACTERISTICAS"_s, u"lblOutrasCaracteristicas"_s),
        dbeOutrasCaracteristicas);

    grbQuantidade = criaGrupo(g, u"grbQuantidade"_s, u"GRB_QUANTIDADE"_s);
    auto *quantidade = new QVBoxLayout(grbQuantidade);
    TColumn unidade = coluna(u"CDUNIDMEDIDA"_s, 130);
    for (const QString &code : UnitOfMeasureCodes())
        unidade.PickList << msgListaDados->Msg(UnitOfMeasureKey(code));
    dbgQuantidade
        = criaGrade(grbQuantidade, u"dbgQuantidade"_s, dtsCTeInfQtCarga,
                    {unidade, coluna(u"DSTIPOMEDIDA"_s, 189), coluna(u"QTCARGA"_s, 110)}, 5);
    quantidade->addWidget(dbgQuantidade);
    carga->addWidget(grbQuantidade, 0, 2, 4, 1);
    carga->setColumnStretch(1, 1);
    topo->addWidget(grbCarga, 1);

    grbDocFiscais = criaGrupo(page, u"grbDocFiscais"_s, u"GRB_DOC_FISCAIS"_s);
    auto *documentos = new QVBoxLayout(grbDocFiscais);
    // The access key column holds the 44 digits whole.
    const int chave = std::max(277, fontMetrics().horizontalAdvance(QString(44, u'0')) + 16);
    dbgDocFiscais
        = criaGrade(grbDocFiscais, u"dbgDocFiscais"_s, dtsCTeDocFiscais,
                    {coluna(u"NRACESSONFE"_s, chave, false, true), coluna(u"CDSERIE"_s, 0, true),
                     coluna(u"NRNOTAFISC"_s, 73, true), coluna(u"NRINSJURNF"_s, 0, true),
                     coluna(u"NMRAZSOCNF"_s, 216, true), coluna(u"VRNOTAFISC"_s, 0, true),
                     coluna(u"DTEMISSAO"_s, 70, true), coluna(u"CDMODDOCFISC"_s, 0, true)},
                    5);
    documentos->addWidget(dbgDocFiscais);

    // The date window of the fiscal-document search, not bound to the document.
    panDtEmisDoc = new QWidget(page);
    panDtEmisDoc->setObjectName(u"panDtEmisDoc"_s);
    auto *painel = new QVBoxLayout(panDtEmisDoc);
    painel->setContentsMargins(0, 0, 0, 0);
    grbDataSaida = criaGrupo(panDtEmisDoc, u"grbDataSaida"_s, u"GRB_DATA_EMISSAO"_s);
    auto *datas = new QGridLayout(grbDataSaida);
    depEmissaoIni = new TDateEditPlus(grbDataSaida, u"depEmissaoIni"_s);
    depEmissaoFim = new TDateEditPlus(grbDataSaida, u"depEmissaoFim"_s);
    for (TDateEditPlus *dataEdit : {depEmissaoIni, depEmissaoFim}) {
        StyleAsInput(dataEdit);
        dataEdit->setFixedWidth(dataEdit->fontMetrics().horizontalAdvance(u"00/00/00000"_s) + 40);
    }
    par(datas, 0, 0, rotulo(grbDataSaida, u"ROT_INICIAL"_s, u"lblEmissaoIni"_s), depEmissaoIni);
    par(datas, 1, 0, rotulo(grbDataSaida, u"ROT_FINAL"_s, u"lblEmissaoFim"_s), depEmissaoFim);
    painel->addWidget(grbDataSaida);
    painel->addStretch(1);
    topo->addWidget(panDtEmisDoc, 0);
    pageLayout->addLayout(topo);
    pageLayout->addWidget(grbDocFiscais);
    pageLayout->addStretch(1);
}

void TfrmCTe::criaDadosCompl()
{
    QWidget *page
        = criaSecao(u"DadosCompl"_s, u"TSH_DADOS_COMPL"_s, &tshDadosCompl, &scbDadosCompl);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    grbObsGerais = criaGrupo(page, u"grbObsGerais"_s, u"GRB_OBS_GERAIS"_s);
    auto *obs = new QVBoxLayout(grbObsGerais);
    dbgObsGerais = criaGrade(grbObsGerais, u"dbgObsGerais"_s, dtsCTeDadosAdic,
                             {coluna(u"DSDADOADIC"_s, 637, false, true)}, 10);
    obs->addWidget(dbgObsGerais);
    pageLayout->addWidget(grbObsGerais);
    pageLayout->addStretch(1);
}
