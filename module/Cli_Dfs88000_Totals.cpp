// Page "Totais": the service product with its totals, the value components and the taxes.
#include "Cli_Dfs88000.h"

#include "BtnPesquisa.h"
#include "DBEdit.h"
#include "DBGrid.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

void TfrmCTe::criaTotais()
{
    QWidget *page = criaSecao(u"Totais"_s, u"TSH_TOTAIS"_s, &tshTotais, &scbTotais);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    const auto E = TTipo::Entrada;

    grbServPrestado = criaGrupo(page, u"grbServPrestado"_s, u"GRB_SERV_PRESTADO"_s);
    auto *servico = new QVBoxLayout(grbServPrestado);

    panServPrestado = new QWidget(grbServPrestado);
    panServPrestado->setObjectName(u"panServPrestado"_s);
    QWidget *p = panServPrestado;
    auto *grid = new QGridLayout(p);
    grid->setContentsMargins(0, 0, 0, 0);
    dbeCdServPrestado = criaEdit(p, u"dbeCdServPrestado"_s, u"CDARVPROD"_s, E, 20);
    btnServPrestado
        = criaPesquisa(p, u"btnServPrestado"_s, u"PESQ_SERVICO"_s, u"PESQ_SERVICO_EMPTY"_s, E);
    auto *codigo = new QHBoxLayout;
    codigo->setSpacing(2);
    codigo->addWidget(dbeCdServPrestado);
    codigo->addWidget(btnServPrestado);
    par(grid, 0, 0, rotulo(p, u"ROT_CODIGO"_s, u"lblCdServPrestado"_s), codigo);
    dbeDsServPrestado = criaEdit(p, u"dbeDsServPrestado"_s, u"NMPRODUTO"_s, TTipo::Exibicao);
    par(grid, 0, 1, rotulo(p, u"ROT_DESCRICAO"_s, u"lblDsServPrestado"_s), dbeDsServPrestado, 3);
    dbeValorTotaPrestServ = criaEdit(p, u"dbeValorTotaPrestServ"_s, u"VRTOTAPRESTSERV"_s, E, 16);
    dbeValorTotaPrestServ->setAlignment(Qt::AlignRight);
    par(grid, 1, 0, rotulo(p, u"ROT_VALOR_TOTAL"_s, u"lblValorTotaPrestServ"_s),
        dbeValorTotaPrestServ);
    dbeValorTotaReceber = criaEdit(p, u"dbeValorTotaReceber"_s, u"VRTOTARECEBER"_s, E, 16);
    dbeValorTotaReceber->setAlignment(Qt::AlignRight);
    par(grid, 1, 1, rotulo(p, u"ROT_VALOR_RECEBER"_s, u"lblValorTotaReceber"_s),
        dbeValorTotaReceber);
    grid->setColumnStretch(5, 1);
    grid->setColumnStretch(7, 1);
    servico->addWidget(panServPrestado);

    grbCompValorPrestacao
        = criaGrupo(grbServPrestado, u"grbCompValorPrestacao"_s, u"GRB_COMP_VALOR_PRESTACAO"_s);
    auto *componentes = new QVBoxLayout(grbCompValorPrestacao);
    dbgCompValorPrestacao
        = criaGrade(grbCompValorPrestacao, u"dbgCompValorPrestacao"_s, dtsCTeCompValor,
                    {coluna(u"CDCOMPVRPREST"_s, 45, false, true),
                     coluna(u"DSCOMPVRPREST"_s, 525, true), coluna(u"VRCOMPONENTE"_s, 75)},
                    3);
    componentes->addWidget(dbgCompValorPrestacao);
    servico->addWidget(grbCompValorPrestacao);
    pageLayout->addWidget(grbServPrestado);

    grbImposto = criaGrupo(page, u"grbImposto"_s, u"GRB_IMPOSTO"_s);
    auto *impostos = new QVBoxLayout(grbImposto);
    // Only the presumed credit is typed; every other column comes from the server.
    dbgImposto = criaGrade(grbImposto, u"dbgImposto"_s, dtsCTeImpostos,
                           {coluna(u"CDIMPOSTO"_s, 0, true), coluna(u"SGIMPOSTO"_s, 150, true),
                            coluna(u"CDSITUTRIBIT"_s, 0, true), coluna(u"VRBASECALCULO"_s, 0, true),
                            coluna(u"VRREDBASECALC"_s, 0, true), coluna(u"VRALIQUOTA"_s, 45, true),
                            coluna(u"VRIMPOSTO"_s, 50, true), coluna(u"CDFISCALIT"_s, 0, true),
                            coluna(u"VRCREDPRESUMIDO"_s)},
                           3);
    impostos->addWidget(dbgImposto);
    pageLayout->addWidget(grbImposto);
    pageLayout->addStretch(1);
}
