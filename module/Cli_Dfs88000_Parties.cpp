// Pages "Emitente", "Remetente", "Expedidor", "Recebedor", "Destinatário" and "Tomador": one
// layout, by role suffix. The registration is the page's input; everything the server copies
// into the document is display only.
#include "Cli_Dfs88000.h"

#include "BtnPesquisa.h"
#include "ControlStyle.h"
#include "DBEdit.h"
#include "DBLookupComboBox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

struct TPapel
{
    const char16_t *sufixo; // field suffix
    const char16_t *curto; // the role's short word in control names
    const char16_t *secao; // section name
    const char16_t *legenda; // catalogue key of the page caption
    const char16_t *combo; // kind drop-down; none on the emitter's page
    const char16_t *campoTipo; // kind field
};

constexpr TPapel kPapeis[] = {
    {u"EMIT", u"Emit", u"Emitente", u"TSH_EMITENTE", nullptr, nullptr},
    {u"REME", u"Reme", u"Remetente", u"TSH_REMETENTE", u"dcbInfCadRemetente", u"IDCADREMETENTE"},
    {u"EXPE", u"Expe", u"Expedidor", u"TSH_EXPEDIDOR", u"dcbInfCadExpedidor", u"IDCADEXPEDIDOR"},
    {u"RECE", u"Rece", u"Recebedor", u"TSH_RECEBEDOR", u"dcbInfCadRecebedor", u"IDCADRECEBEDOR"},
    {u"DEST", u"Dest", u"Destinatario", u"TSH_DESTINATARIO", u"dcbInfCadDestinatario",
     u"IDCADDESTINATA"},
    {u"TOMA", u"Toma", u"Tomador", u"TSH_TOMADOR", u"dcbInfCadTomador", u"IDCADTOMADOR"},
};

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

void TfrmCTe::criaPartes()
{
    for (size_t i = 0; i < Partes.size(); ++i) {
        TPaginaParte &parte = Partes[i];
        parte.sufixo = s(kPapeis[i].sufixo);
        parte.secao = s(kPapeis[i].secao);
        criaParte(parte);
    }
    TPaginaParte &emitente = Partes[0];
    dbeNrInsJurEmit = emitente.dbeNrInsJur;
    btnInsJurEmit = emitente.btnInsJur;
    grbEnderecoEmitente = emitente.grbEndereco;
    dbeNrInsEstEmit = findChild<TDBEdit *>(u"dbeNrInsEstEmit"_s);
    tshEmitente = emitente.tsh;
    scbEmitente = emitente.scb;

    const std::tuple<TPaginaParte &, TDBLookupComboBox *&, TDBEdit *&, QToolButton *&, QWidget *&,
                     QScrollArea *&>
        nomes[] = {
            {Partes[1], dcbInfCadRemetente, dbeNrInsJurReme, btnInsJurReme, tshRemetente,
             scbRemetente},
            {Partes[2], dcbInfCadExpedidor, dbeNrInsJurExpe, btnInsJurExpe, tshExpedidor,
             scbExpedidor},
            {Partes[3], dcbInfCadRecebedor, dbeNrInsJurRece, btnInsJurRece, tshRecebedor,
             scbRecebedor},
            {Partes[4], dcbInfCadDestinatario, dbeNrInsJurDest, btnInsJurDest, tshDestinatario,
             scbDestinatario},
            {Partes[5], dcbInfCadTomador, dbeNrInsJurToma, btnInsJurToma, tshTomador, scbTomador},
        };
    for (const auto &[parte, combo, edit, button, tsh, scb] : nomes) {
        combo = parte.dcbInfCad;
        edit = parte.dbeNrInsJur;
        button = parte.btnInsJur;
        tsh = parte.tsh;
        scb = parte.scb;
    }
}

void TfrmCTe::criaParte(TPaginaParte &parte)
{
    const TPapel *papel = nullptr;
    for (const TPapel &p : kPapeis) {
        if (parte.sufixo == QStringView(p.sufixo))
            papel = &p;
    }
    const QString sfx = parte.sufixo;
    const QString curto = s(papel->curto);
    const auto E = TTipo::Entrada;
    const auto X = TTipo::Exibicao;

    QWidget *page = criaSecao(parte.secao, s(papel->legenda), &parte.tsh, &parte.scb);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    auto *dados = new QGridLayout;
    int row = 0;

    auto exibe = [&](QWidget *parent, const QString &stem, int caracteres = 0) {
        TDBEdit *edit
            = criaEdit(parent, u"dbe"_s + stem + curto, stem.toUpper() + sfx, X, caracteres);
        parte.exibicao << edit;
        return edit;
    };

    if (papel->combo) {
        parte.dcbInfCad = criaCombo(page, s(papel->combo), s(papel->campoTipo), E);
        auto *kinds = new QHBoxLayout;
        kinds->addWidget(parte.dcbInfCad);
        if (sfx == u"TOMA") {
            dcbIndicador = criaCombo(page, u"dcbIndicador"_s, u"IDTOMADOR"_s, E);
            kinds->addSpacing(16);
            QLabel *label = rotulo(page, u"ROT_INDICADOR"_s, u"lblIndicador"_s);
            label->setBuddy(dcbIndicador);
            kinds->addWidget(label);
            kinds->addWidget(dcbIndicador);
        }
        kinds->addStretch(1);
        par(dados, row++, 0, rotulo(page, u"ROT_INF_CADASTRO"_s, u"lblInfCad"_s + curto), kinds, 3);
    }

    parte.dbeNrInsJur = criaEdit(page, u"dbeNrInsJur"_s + curto, u"NRINSJUR"_s + sfx, E, 20);
    parte.btnInsJur = new QToolButton(page);
    parte.btnInsJur->setObjectName(u"btnInsJur"_s + curto);
    parte.btnInsJur->setAutoRaise(true);
    parte.btnInsJur->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    parte.btnInsJur->setToolTip(Texto(u"HINT_PESQ_INSCRICAO"_s));
    SetTag(parte.btnInsJur, 1);
    auto *registro = new QHBoxLayout;
    registro->setSpacing(2);
    registro->addWidget(parte.dbeNrInsJur);
    registro->addWidget(parte.btnInsJur);
    registro->addStretch(1);
    par(dados, row, 0, rotulo(page, u"ROT_INSCRICAO"_s, u"lblNrInsJur"_s + curto), registro);
    par(dados, row++, 1, rotulo(page, u"ROT_RAZAO_SOCIAL"_s, u"lblNmRazSoc"_s + curto),
        exibe(page, u"NmRazSoc"_s), 2);
    par(dados, row, 0, rotulo(page, u"ROT_INSCR_ESTADUAL"_s, u"lblNrInsEst"_s + curto),
        exibe(page, u"NrInsEst"_s, 20));
    par(dados, row, 1, rotulo(page, u"ROT_TELEFONE"_s, u"lblNrTele"_s + curto),
        exibe(page, u"NrTele"_s, 25));
    par(dados, row++, 2, rotulo(page, u"ROT_EMAIL"_s, u"lblDsEmail"_s + curto),
        exibe(page, u"DsEmail"_s));
    par(dados, row++, 0, rotulo(page, u"ROT_NOME_FANTASIA"_s, u"lblNmFant"_s + curto),
        exibe(page, u"NmFant"_s), 2);
    dados->setColumnStretch(5, 1);
    pageLayout->addLayout(dados);

    // The address, with its three look-ups that have no function here.
    parte.grbEndereco = criaGrupo(page, u"grbEndereco"_s + parte.secao, u"GRB_ENDERECO"_s);
    QGroupBox *g = parte.grbEndereco;
    auto *endereco = new QGridLayout(g);
    par(endereco, 0, 0, rotulo(g, u"ROT_LOGRADOURO"_s, u"lblDsEnde"_s + curto),
        exibe(g, u"DsEnde"_s));
    par(endereco, 0, 1, rotulo(g, u"ROT_COMPLEMENTO"_s, u"lblDsCompEnd"_s + curto),
        exibe(g, u"DsCompEnd"_s));
    par(endereco, 1, 0, rotulo(g, u"ROT_CEP"_s, u"lblNrCep"_s + curto), exibe(g, u"NrCep"_s, 15));
    par(endereco, 1, 1, rotulo(g, u"ROT_BAIRRO"_s, u"lblNmBair"_s + curto), exibe(g, u"NmBair"_s));
    struct TNivel
    {
        const char16_t *codigo; // control stem of the code
        const char16_t *nome; // control stem of the name
        int largura;
        const char16_t *rotulo;
        const char16_t *pesquisa;
    };
    const TNivel niveis[] = {
        {u"CdPais", u"NmPais", 4, u"ROT_PAIS", u"Pais"},
        {u"SgEstado", u"NmEstado", 2, u"ROT_ESTADO", u"Estado"},
        {u"CdMunicipio", u"NmMunicipio", 4, u"ROT_MUNICIPIO_ENDERECO", u"Municipio"},
    };
    for (int i = 0; i < 3; ++i) {
        const TNivel &n = niveis[i];
        TDBEdit *codigo = exibe(g, s(n.codigo), n.largura + 1);
        TBtnPesquisa *pesquisa = criaPesquisa(g, u"btn"_s + s(n.pesquisa) + curto,
                                              u"PESQ_"_s + s(n.pesquisa).toUpper(), {}, X);
        parte.pesquisasEndereco << pesquisa;
        auto *linha = new QHBoxLayout;
        linha->setSpacing(2);
        linha->addWidget(codigo);
        linha->addWidget(pesquisa);
        linha->addWidget(exibe(g, s(n.nome)));
        par(endereco, 2 + i / 2, i % 2, rotulo(g, s(n.rotulo), u"lbl"_s + s(n.codigo) + curto),
            linha);
    }
    endereco->setColumnStretch(1, 1);
    endereco->setColumnStretch(3, 1);
    pageLayout->addWidget(g);
    pageLayout->addStretch(1);
}
