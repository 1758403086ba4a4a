// Page "Identificação": characteristics, route of the service, collection, the CT-e's own
// numbers and its current situation.
#include "Cli_Dfs88000.h"

#include "BtnPesquisa.h"
#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "DBCheckBox.h"
#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DataSource.h"
#include "DateEditPlus.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QValidator>

using namespace Qt::StringLiterals;

namespace {

// Turns what is typed into upper case.
class TMaiusculas : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

QHBoxLayout *linha(std::initializer_list<QWidget *> widgets, bool stretch = false)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(2);
    for (QWidget *w : widgets)
        row->addWidget(w);
    if (stretch)
        row->addStretch(1);
    return row;
}

} // namespace

void TfrmCTe::criaIdentificacao()
{
    QWidget *page = criaSecao(u"Identificacao"_s, u"TSH_IDENTIFICACAO"_s, &tshIdentificacao,
                              &scbIdentificacao);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    const auto E = TTipo::Entrada;
    const auto X = TTipo::Exibicao;

    // Characteristics, in reading order, three per row.
    grbCaracteristicas = criaGrupo(page, u"grbCaracteristicas"_s, u"GRB_CARACTERISTICAS"_s);
    QWidget *g = grbCaracteristicas;
    auto *grid = new QGridLayout(g);
    dcbModal = criaCombo(g, u"dcbModal"_s, u"IDMODAL"_s, X);
    par(grid, 0, 0, rotulo(g, u"ROT_MODAL"_s, u"lblModal"_s), dcbModal);
    dcbTipoServico = criaCombo(g, u"dcbTipoServico"_s, u"IDTIPOSERVICO"_s, E);
    par(grid, 0, 1, rotulo(g, u"ROT_TIPO_SERVICO"_s, u"lblTipoServico"_s), dcbTipoServico);
    dcbFinalidade = criaCombo(g, u"dcbFinalidade"_s, u"IDTIPOCTE"_s, E);
    par(grid, 0, 2, rotulo(g, u"ROT_FINALIDADE"_s, u"lblFinalidade"_s), dcbFinalidade);

    // CFOP and the nature of the operation share the rest of the row: the nature is long.
    dcbFormaEmissao = criaCombo(g, u"dcbFormaEmissao"_s, u"IDFORMAEMISSAO"_s, X);
    par(grid, 1, 0, rotulo(g, u"ROT_FORMA_EMISSAO"_s, u"lblFormaEmissao"_s), dcbFormaEmissao);
    dbeCFOP = criaEdit(g, u"dbeCFOP"_s, u"CDCFOP"_s, X, 4);
    btpCFOP = criaPesquisa(g, u"btpCFOP"_s, u"PESQ_CFOP"_s, {}, X);
    dbeNaturezaOperacao = criaEdit(g, u"dbeNaturezaOperacao"_s, u"DSNATUOPERACAO"_s, X);
    QLabel *natureza = rotulo(g, u"ROT_NATUREZA_OPERACAO"_s, u"lblNaturezaOperacao"_s);
    natureza->setBuddy(dbeNaturezaOperacao);
    QHBoxLayout *cfop = linha({dbeCFOP, btpCFOP});
    cfop->addSpacing(12);
    cfop->addWidget(natureza);
    cfop->addWidget(dbeNaturezaOperacao, 1);
    par(grid, 1, 1, rotulo(g, u"ROT_CFOP"_s, u"lblCFOP"_s), cfop, 2);

    dbeDigestValue = criaEdit(g, u"dbeDigestValue"_s, u"CDDIGESTVALUE"_s, X);
    par(grid, 2, 0, rotulo(g, u"ROT_DIGEST_VALUE"_s, u"lblDigestValue"_s), dbeDigestValue);
    dcbFormaImpressao = criaCombo(g, u"dcbFormaImpressao"_s, u"IDFORMAIMPDACTE"_s, E);
    par(grid, 2, 1, rotulo(g, u"ROT_FORMA_IMPRESSAO"_s, u"lblFormaImpressao"_s), dcbFormaImpressao);
    // An input that keeps the default background.
    dcbGlobalizado = criaCombo(g, u"dcbGlobalizado"_s, u"IDGLOBALIZADO"_s, E);
    dcbGlobalizado->setPalette(g->palette());
    dcbGlobalizado->setAutoFillBackground(false);
    par(grid, 2, 2, rotulo(g, u"ROT_GLOBALIZADO"_s, u"lblGlobalizado"_s), dcbGlobalizado);

    // The operation type's name is long too: it takes the rest of the row.
    dcbAmbiente = criaCombo(g, u"dcbAmbiente"_s, u"IDAMBIENTECTE"_s, X);
    par(grid, 3, 0, rotulo(g, u"ROT_AMBIENTE"_s, u"lblAmbiente"_s), dcbAmbiente);
    dbeVersaoProcesso = criaEdit(g, u"dbeVersaoProcesso"_s, u"IDVERPROCESSO"_s, X, 20);
    dbeCdTipoOper = criaEdit(g, u"dbeCdTipoOper"_s, u"CDTIPOOPER"_s, E, 3);
    btpTipoOper
        = criaPesquisa(g, u"btpTipoOper"_s, u"PESQ_TIPO_OPER"_s, u"PESQ_TIPO_OPER_EMPTY"_s, E);
    dbeNmTipoOper = criaEdit(g, u"dbeNmTipoOper"_s, u"NMTIPOOPER"_s, X);
    QLabel *tipo = rotulo(g, u"ROT_TIPO_OPERACAO"_s, u"lblTipoOperacao"_s);
    tipo->setBuddy(dbeCdTipoOper);
    QHBoxLayout *versao = linha({dbeVersaoProcesso});
    versao->addSpacing(12);
    versao->addWidget(tipo);
    versao->addWidget(dbeCdTipoOper);
    versao->addWidget(btpTipoOper);
    versao->addWidget(dbeNmTipoOper, 1);
    par(grid, 3, 1, rotulo(g, u"ROT_VERSAO_PROCESSO"_s, u"lblVersaoProcesso"_s), versao, 2);
    for (int c : {1, 3, 5})
        grid->setColumnStretch(c, 1);
    pageLayout->addWidget(grbCaracteristicas);

    // Route of the service: both sides side by side, one builder.
    struct TLado
    {
        const char16_t *lado; // Ini, Fim
        const char16_t *sufixo; // INISERV, FIMSERV
        QGroupBox *TfrmCTe::*grupo;
        const char16_t *grupoNome;
        const char16_t *grupoChave;
        std::array<TDBEdit * TfrmCTe::*, 3> codigos;
        std::array<TBtnPesquisa * TfrmCTe::*, 3> pesquisas;
        std::array<TDBEdit * TfrmCTe::*, 3> nomes;
    };
    const TLado lados[] = {
        {u"Ini",
         u"INISERV",
         &TfrmCTe::grbInicioPrestaServico,
         u"grbInicioPrestaServico",
         u"GRB_INICIO_PRESTA_SERVICO",
         {&TfrmCTe::dbeCdPaisIniPrestaServico, &TfrmCTe::dbeSgEstaIniPrestaServico,
          &TfrmCTe::dbeCdMuniIniPrestaServico},
         {&TfrmCTe::btnPaisIniPrestaServico, &TfrmCTe::btnEstaIniPrestaServico,
          &TfrmCTe::btnMuniIniPrestaServico},
         {&TfrmCTe::dbeNmPaisIniPrestaServico, &TfrmCTe::dbeNmEstaIniPrestaServico,
          &TfrmCTe::dbeNmMuniIniPrestaServico}},
        {u"Fim",
         u"FIMSERV",
         &TfrmCTe::grbTerminoPrestaServico,
         u"grbTerminoPrestaServico",
         u"GRB_TERMINO_PRESTA_SERVICO",
         {&TfrmCTe::dbeCdPaisFimPrestaServico, &TfrmCTe::dbeSgEstaFimPrestaServico,
          &TfrmCTe::dbeCdMuniFimPrestaServico},
         {&TfrmCTe::btnPaisFimPrestaServico, &TfrmCTe::btnEstaFimPrestaServico,
          &TfrmCTe::btnMuniFimPrestaServico},
         {&TfrmCTe::dbeNmPaisFimPrestaServico, &TfrmCTe::dbeNmEstaFimPrestaServico,
          &TfrmCTe::dbeNmMuniFimPrestaServico}},
    };
    struct TNivel
    {
        const char16_t *nome; // Pais, Esta, Muni
        const char16_t *codigo; // field stem of the code
        const char16_t *nomeCampo; // field stem of the name
        int largura;
        const char16_t *rotulo;
        const char16_t *pesquisa;
    };
    const TNivel niveis[] = {
        {u"Pais", u"CDPAIS", u"NMPAIS", 4, u"ROT_PAIS", u"PESQ_PAIS"},
        {u"Esta", u"SGESTADO", u"NMESTADO", 2, u"ROT_ESTADO", u"PESQ_ESTADO"},
        {u"Muni", u"CDMUNIC", u"NMMUNIC", 4, u"ROT_MUNICIPIO", u"PESQ_MUNICIPIO"},
    };
    auto *rota = new QHBoxLayout;
    for (const TLado &lado : lados) {
        const QString sLado = QString::fromUtf16(lado.lado);
        const QString sufixo = QString::fromUtf16(lado.sufixo);
        QGroupBox *grupo = criaGrupo(page, QString::fromUtf16(lado.grupoNome),
                                     QString::fromUtf16(lado.grupoChave));
        this->*lado.grupo = grupo;
        auto *gl = new QGridLayout(grupo);
        for (int i = 0; i < 3; ++i) {
            const TNivel &n = niveis[i];
            const QString nome = QString::fromUtf16(n.nome);
            const QString stem = nome + sLado + u"PrestaServico"_s;
            const QString chave = QString::fromUtf16(n.pesquisa);
            const QString campo = QString::fromUtf16(n.codigo) + sufixo;
            TDBEdit *codigo = criaEdit(grupo, (i == 1 ? u"dbeSg"_s : u"dbeCd"_s) + stem, campo, E,
                                       n.largura + 1);
            TBtnPesquisa *pesquisa
                = criaPesquisa(grupo, u"btn"_s + stem, chave, chave + u"_EMPTY"_s, E);
            TDBEdit *descricao
                = criaEdit(grupo, u"dbeNm"_s + stem, QString::fromUtf16(n.nomeCampo) + sufixo, X);
            this->*lado.codigos[size_t(i)] = codigo;
            this->*lado.pesquisas[size_t(i)] = pesquisa;
            this->*lado.nomes[size_t(i)] = descricao;
            par(gl, i, 0, rotulo(grupo, QString::fromUtf16(n.rotulo), u"lbl"_s + stem),
                linha({codigo, pesquisa, descricao}));
        }
        rota->addWidget(grupo);
    }
    // The state abbreviations are typed in upper case.
    for (TDBEdit *estado : {dbeSgEstaIniPrestaServico, dbeSgEstaFimPrestaServico})
        estado->setValidator(new TMaiusculas(estado));
    pageLayout->addLayout(rota);

    // Collection by the receiver.
    grbRetirada = criaGrupo(page, u"grbRetirada"_s, u"GRB_RETIRADA"_s);
    auto *retirada = new QGridLayout(grbRetirada);
    dckReceRetiraMercadoria = new TDBCheckBox(grbRetirada, u"dckReceRetiraMercadoria"_s);
    dckReceRetiraMercadoria->setText(Texto(u"ROT_RECE_RETIRA_MERCADORIA"_s));
    dckReceRetiraMercadoria->ValueChecked = u"1"_s;
    dckReceRetiraMercadoria->ValueUnchecked = u"0"_s;
    dckReceRetiraMercadoria->SetDataSource(dtsPadrao);
    dckReceRetiraMercadoria->SetDataField(u"IDRETIRA"_s);
    SetTag(dckReceRetiraMercadoria, 1);
    retirada->addWidget(dckReceRetiraMercadoria, 0, 0, 1, 2);
    dbeDetRetirada = criaEdit(grbRetirada, u"dbeDetRetirada"_s, u"DSRETIRA"_s, E);
    par(retirada, 1, 0, rotulo(grbRetirada, u"ROT_DET_RETIRADA"_s, u"lblDetRetirada"_s),
        dbeDetRetirada);
    pageLayout->addWidget(grbRetirada);

    // The CT-e's numbers and its situation, side by side.
    auto *baixo = new QHBoxLayout;
    grbCte = criaGrupo(page, u"grbCte"_s, u"GRB_CTE"_s);
    auto *cte = new QGridLayout(grbCte);
    dbeNumeroCTe = criaEdit(grbCte, u"dbeNumeroCTe"_s, u"NRCTE"_s, X, 9);
    par(cte, 0, 0, rotulo(grbCte, u"ROT_NUMERO"_s, u"lblNumeroCTe"_s), dbeNumeroCTe);
    dbeSerieCTe = criaEdit(grbCte, u"dbeSerieCTe"_s, u"CDSERIECTE"_s, X, 3);
    par(cte, 0, 1, rotulo(grbCte, u"ROT_SERIE"_s, u"lblSerieCTe"_s), dbeSerieCTe);
    dbeModDocFiscal = criaEdit(grbCte, u"dbeModDocFiscal"_s, u"CDMODDOCFISC"_s, X, 2);
    dbeNrAcessoCTe = criaEdit(grbCte, u"dbeNrAcessoCTe"_s, u"NRACESSOCTE"_s, X);
    par(cte, 1, 0, rotulo(grbCte, u"ROT_CHAVE_ACESSO"_s, u"lblNrAcessoCTe"_s), dbeNrAcessoCTe, 2);
    par(cte, 0, 2, rotulo(grbCte, u"ROT_MODELO"_s, u"lblModDocFiscal"_s), dbeModDocFiscal);
    depDataEmissao = new TDateEditPlus(grbCte, u"depDataEmissao"_s);
    depDataEmissao->SetDataSource(dtsPadrao);
    depDataEmissao->SetDataField(u"DTEMISSAO"_s);
    StyleAsInput(depDataEmissao);
    depDataEmissao->setFixedWidth(depDataEmissao->fontMetrics().horizontalAdvance(u"00/00/00000"_s)
                                  + 40);
    par(cte, 1, 2, rotulo(grbCte, u"ROT_DATA_EMISSAO"_s, u"lblDataEmissao"_s), depDataEmissao);
    cte->setColumnStretch(3, 1);
    baixo->addWidget(grbCte, 3);

    grbSituacao = criaGrupo(page, u"grbSituacao"_s, u"GRB_SITUACAO"_s);
    auto *situacao = new QGridLayout(grbSituacao);
    dbeEvento = criaEdit(grbSituacao, u"dbeEvento"_s, u"DSSTATUSCTE"_s, X);
    par(situacao, 0, 0, rotulo(grbSituacao, u"ROT_EVENTO"_s, u"lblEvento"_s), dbeEvento, 2);
    dbeProtocolo = criaEdit(grbSituacao, u"dbeProtocolo"_s, u"NRPROTOCOLCTE"_s, X, 15);
    par(situacao, 1, 0, rotulo(grbSituacao, u"ROT_PROTOCOLO"_s, u"lblProtocolo"_s), dbeProtocolo);
    dbeDataAutorizacao = criaEdit(grbSituacao, u"dbeDataAutorizacao"_s, u"DTAUTORIZACAO"_s, X, 16);
    par(situacao, 1, 1, rotulo(grbSituacao, u"ROT_DATA_AUTORIZACAO"_s, u"lblDataAutorizacao"_s),
        dbeDataAutorizacao);
    situacao->setColumnStretch(1, 1);
    baixo->addWidget(grbSituacao, 2);
    pageLayout->addLayout(baixo);
    pageLayout->addStretch(1);
}
