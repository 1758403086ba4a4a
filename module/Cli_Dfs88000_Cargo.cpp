// Pages "Informações do CT-e Normal e Substituto" (cargo, quantities, referenced fiscal
// documents and the date window of their search) and "Dados Complementares" (observations).
#include "Cli_Dfs88000.h"

#include "ADOIBQuery.h"
#include "BtnPesquisa.h"
#include "CargoQuantities.h"
#include "ClientDataSet.h"
#include "CodeLists.h"
#include "ContainerFocus.h"
#include "ControlStyle.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "Exceptions.h"
#include "ListLoad.h"
#include "Lookup.h"
#include "Messages.h"
#include "NetConnection.h"
#include "StrUtils.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

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

// --- behaviour --------------------------------------------------------------------------------

namespace {

// The fields a fiscal document brings into the CT-e's row, from the look-up list or the server.
const QStringList &camposDocFiscal()
{
    static const QStringList campos {
        u"NRACESSONFE"_s, u"CDFILIAL"_s,     u"NRLANCTONF"_s, u"NRINSJURNF"_s,   u"NMRAZSOCNF"_s,
        u"CDSERIE"_s,     u"NRNOTAFISC"_s,   u"DTEMISSAO"_s,  u"CDMODDOCFISC"_s, u"VRNOTAFISC"_s,
        u"VRPRODUTOS"_s,  u"VRPBRUTOVOLU"_s, u"VRPLIQUVOLU"_s};
    return campos;
}

void copiaDocFiscal(const TClientDataSet *origem, TClientDataSet *destino)
{
    for (const QString &campo : camposDocFiscal())
        destino->FieldByName(campo)->SetValue(origem->FieldByName(campo)->Value());
}

bool editando(const TClientDataSet *cds)
{
    return cds->State() == dsEdit || cds->State() == dsInsert;
}

QString texto(const TClientDataSet *cds, const QString &field)
{
    return cds->FieldByName(field)->AsString();
}

// Loads a packet into a dataset that may not be open yet.
void carrega(TClientDataSet *cds, const QVariant &packet)
{
    if (cds->Active())
        cds->EmptyDataSet();
    cds->SetData(packet);
}

// A column of a look-up list filled from a server packet: its caption (msgPadrao key), width in
// characters (0 keeps the field's); no caption hides it.
struct TColunaPesquisa
{
    const char16_t *campo;
    const char16_t *chave;
    int largura = 0;
};

void rotula(TClientDataSet *cds, const TMessages *textos,
            std::initializer_list<TColunaPesquisa> colunas)
{
    for (const TColunaPesquisa &c : colunas) {
        TField *f = cds->FindField(QString::fromUtf16(c.campo));
        if (!f)
            continue;
        f->SetVisible(c.chave != nullptr);
        if (c.chave)
            f->SetDisplayLabel(textos->Msg(QString::fromUtf16(c.chave)));
        if (c.largura > 0)
            f->SetDisplayWidth(c.largura);
    }
}

// A look-up wrote the field while a cell editor was open over it: the editor shows the new value,
// or it would write its old text back when it closes.
void atualizaEditor(TDBGrid *grade, const QString &field)
{
    TClientDataSet *cds = grade->DataSet();
    if (!cds || !cds->Active() || cds->IsEmpty())
        return;
    for (QLineEdit *edit : grade->findChildren<QLineEdit *>(u"edtCelula"_s)) {
        if (edit->isVisible())
            edit->setText(cds->FieldByName(field)->Text());
    }
}

} // namespace

void TfrmCTe::criaRegrasCarga()
{
    // The date window of the look-up list.
    ContainerFocus::Watch(panDtEmisDoc, {}, [this] { panDtEmisDocExit(); });

    // Fiscal documents.
    ContainerFocus::Watch(
        dbgDocFiscais, [this] { dbgDocFiscaisEnter(); },
        [this] {
            // A look-up or a message taking the focus for a while is no new entry on return.
            m_docFiscaisForaDaJanela = !focoNaJanela();
        });
    dbgDocFiscais->OnEditButtonClick = [this](int) {
        dbgDocFiscaisEditButtonClick();
    };
    dbgDocFiscais->OnColExit = [this](int column) {
        dbgDocFiscaisColExit(column);
    };
    cdsCTeDocFiscais->AfterInsert = [this](TClientDataSet *) {
        cdsCTeDocFiscaisAfterInsert();
    };
    cdsCTeDocFiscais->BeforePost = [this](TClientDataSet *) {
        cdsCTeDocFiscaisBeforePost();
    };
    cdsCTeDocFiscais->BeforeDelete = [this](TClientDataSet *) {
        cdsCTeDocFiscaisBeforeDelete();
    };
    btpProdPredomina->OnBeforePesq = [this](TBtnPesquisa *, bool &) {
        btpProdPredominaBeforePesq();
    };
    btpProdPredomina->OnAfterPesq = [this](TBtnPesquisa *) {
        btpProdPredominaAfterPesq();
    };

    // Cargo quantities: the system's rows refuse the user.
    cdsCTeInfQtCarga->AfterInsert = [this](TClientDataSet *) {
        cdsCTeInfQtCargaAfterInsert();
    };
    cdsCTeInfQtCarga->BeforeEdit = [this](TClientDataSet *cds) {
        if (texto(cds, u"IDGERADAAUTO"_s) == u"S")
            MensErro(msgPadrao->Msg(u"INF_CARGA_N_ALTERAR"_s));
    };
    cdsCTeInfQtCarga->BeforeDelete = [this](TClientDataSet *cds) {
        if (texto(cds, u"IDGERADAAUTO"_s) == u"S")
            MensErro(msgPadrao->Msg(u"INF_CARGA_N_EXCLUIR"_s));
    };
    cdsCTeInfQtCarga->BeforePost = [this](TClientDataSet *) {
        Vd_InfQtCarga();
    };
    TField *unidade = cdsCTeInfQtCarga->FieldByName(u"CDUNIDMEDIDA"_s);
    unidade->OnGetText = [this](TField *sender, QString &text, bool) {
        text = UnitDisplayText(sender->AsString(), textosUnidade());
    };
    unidade->OnSetText = [this](TField *sender, const QString &text) {
        m_textoUnidade = text;
        m_linhaUnidade = sender->DataSet()->CurrentRow();
        if (const std::optional<QString> code = UnitCodeForText(text, textosUnidade()))
            sender->SetAsString(*code);
    };
    dbgQuantidade->OnKeyPress = [this](QChar &key) {
        dbgQuantidadeKeyPress(key);
    };
    dbgQuantidade->OnColExit = [this](int column) {
        dbgQuantidadeColExit(column);
    };

    // Observations and the registered messages they may come from.
    qryPesqMensagem = new TADOIBQuery(this, u"qryPesqMensagem"_s);
    qryPesqMensagem->SetSQL(QStringList {u"SELECT CDMENSAGEM, DSMENSAGEM"_s, u"  FROM MENSAGEM"_s,
                                         u" WHERE IDSITUACAOMENS = 'A'"_s, u" ORDER BY 1"_s});
    cdsPesqMensagem = new TClientDataSet(this, u"cdsPesqMensagem"_s);
    dtsPesqMensagem = new TDataSource(this, u"dtsPesqMensagem"_s);
    dtsPesqMensagem->SetDataSet(cdsPesqMensagem);
    dbgObsGerais->OnEditButtonClick = [this](int) {
        dbgObsGeraisEditButtonClick();
    };
    cdsCTeDadosAdic->AfterInsert = [this](TClientDataSet *) {
        cdsCTeDadosAdicAfterInsert();
    };
    cdsCTeDadosAdic->BeforePost = [this](TClientDataSet *) {
        cdsCTeDadosAdicBeforePost();
    };

    // A change in any of the three lists is a change of the document.
    for (TClientDataSet *cds : {cdsCTeDocFiscais, cdsCTeInfQtCarga, cdsCTeDadosAdic}) {
        cds->AfterEdit = [this](TClientDataSet *) {
            colocaDocumentoEmEdicao();
        };
        cds->AfterDelete = [this](TClientDataSet *) {
            colocaDocumentoEmEdicao();
        };
    }
    for (TDataSource *dts : {dtsCTeDocFiscais, dtsCTeInfQtCarga, dtsCTeDadosAdic}) {
        dts->OnStateChange = [this](TDataSource *sender) {
            estadoFilhoMudou(sender);
        };
    }
}

void TfrmCTe::colocaDocumentoEmEdicao()
{
    if (cdsCTe->State() == dsBrowse)
        cdsCTe->Edit();
}

void TfrmCTe::estadoFilhoMudou(TDataSource *dts)
{
    if (dts->State() == dsEdit || dts->State() == dsInsert)
        colocaDocumentoEmEdicao();
    DataStateChanged();
}

void TfrmCTe::focaColuna(QWidget *page, TDBGrid *grade, const QString &field)
{
    MostrarFormulario();
    pgcDados->setCurrentWidget(page);
    const int coluna = IndiceCol(grade, field);
    if (coluna >= 0)
        grade->SetSelectedIndex(coluna);
    grade->setFocus(Qt::OtherFocusReason);
}

QStringList TfrmCTe::textosUnidade() const
{
    QStringList textos;
    for (const QString &code : UnitOfMeasureCodes())
        textos << msgListaDados->Msg(UnitOfMeasureKey(code));
    return textos;
}

// --- A. the date window -----------------------------------------------------------------------

void TfrmCTe::panDtEmisDocExit()
{
    // Only a move inside this window leaves the panel: a message or a look-up does not.
    if (!focoNaJanela()) {
        m_dataForaDaJanela = true;
        return;
    }
    m_dataForaDaJanela = false;
    Vd_DataEmissao();
}

// --- B and C. the fiscal-document look-up --------------------------------------------------------

void TfrmCTe::dbgDocFiscaisEnter()
{
    if (std::exchange(m_docFiscaisForaDaJanela, false))
        return;
    carregaListaDocFiscais();
}

// The company's invoices of the date window now typed (mode N); an empty date leaves that side
// open.
QVariantList TfrmCTe::argumentosListaDocFiscais() const
{
    return {u"T"_s,
            u"T"_s,
            u"T"_s,
            depEmissaoIni->GetDate(),
            depEmissaoFim->GetDate(),
            u"N"_s,
            empresaDocumento()};
}

void TfrmCTe::carregaListaDocFiscais()
{
    const QVariant reply = netCTe->AppServer(u"GetDocFiscais"_s, argumentosListaDocFiscais());
    CheckReply(reply);
    carrega(cdsPesqDocFiscais, reply.toList().value(1));
}

void TfrmCTe::dbgDocFiscaisEditButtonClick()
{
    const int coluna = dbgDocFiscais->SelectedIndex();
    if (coluna < 0 || dbgDocFiscais->Columns().at(coluna).FieldName != u"NRACESSONFE")
        return;
    if (!cdsPesqDocFiscais->Active())
        carregaListaDocFiscais();
    cdsPesqDocFiscais->First();
    rotula(cdsPesqDocFiscais, msgPadrao,
           {{u"NRACESSONFE", u"COL_DOC_FISCAIS_CHAVE", 52},
            {u"CDFILIAL", u"COL_DOC_FISCAIS_FILIAL"},
            {u"NRLANCTONF", u"COL_DOC_FISCAIS_LANCAMENTO"},
            {u"CDSERIE", u"COL_DOC_FISCAIS_SERIE"},
            {u"NRNOTAFISC", u"COL_DOC_FISCAIS_NUMERO"},
            {u"NRINSJURNF", u"COL_DOC_FISCAIS_INSCRICAO"},
            {u"NMRAZSOCNF", u"COL_DOC_FISCAIS_RAZAO"},
            {u"VRNOTAFISC", u"COL_DOC_FISCAIS_VALOR"},
            {u"DTEMISSAOSTR", u"COL_DOC_FISCAIS_EMISSAO"},
            {u"CDMODDOCFISC", u"COL_DOC_FISCAIS_MODELO"},
            {u"DTEMISSAO", nullptr},
            {u"VRPRODUTOS", nullptr},
            {u"VRPBRUTOVOLU", nullptr},
            {u"VRPLIQUVOLU", nullptr}});
    if (!Pesquisar(dtsPesqDocFiscais,
                   msgPadrao->Msg(u"DOC_FISCAIS"_s) + u"|"_s
                       + msgPadrao->Msg(u"DOC_FISCAIS_EMPTY"_s)))
        return;
    if (!editando(cdsCTeDocFiscais))
        cdsCTeDocFiscais->Edit();
    copiaDocFiscal(cdsPesqDocFiscais, cdsCTeDocFiscais);
    atualizaEditor(dbgDocFiscais, u"NRACESSONFE"_s);
}

void TfrmCTe::dbgDocFiscaisColExit(int column)
{
    if (column < 0 || column >= dbgDocFiscais->Columns().size()
        || dbgDocFiscais->Columns().at(column).FieldName != u"NRACESSONFE")
        return;
    if (editando(cdsCTeDocFiscais))
        cdsCTeDocFiscais->Post();
}

void TfrmCTe::cdsCTeDocFiscaisAfterInsert()
{
    colocaDocumentoEmEdicao();
    cdsCTeDocFiscais->FieldByName(u"CDCTEDOCFISCAIS"_s)->SetAsFloat(0);
    cdsCTeDocFiscais->FieldByName(u"CDCTE"_s)
        ->SetAsFloat(cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat());
}

// --- D. checking a fiscal document ---------------------------------------------------------------

QVariant TfrmCTe::consultaDocFiscal(const TFiscalDocumentCriteria &criterios)
{
    const QVariant reply = chamaServidor(u"GetDocFiscais"_s,
                                         {criterios.accessKey, criterios.branch, criterios.entry,
                                          depEmissaoIni->GetDate(), depEmissaoFim->GetDate(),
                                          u"S"_s, empresaDocumento()});
    CheckReply(reply);
    return reply;
}

// The invoices offered and accepted are those of the document's company.
QString TfrmCTe::empresaDocumento() const
{
    const QString empresa = cdsCTe->Active() && !cdsCTe->IsEmpty()
        ? cdsCTe->FieldByName(u"CDEMPRESA"_s)->AsString()
        : QString();
    return empresa.isEmpty() ? medCdEmpresa->text() : empresa;
}

void TfrmCTe::Vd_DocFiscais(bool boTestaVazio)
{
    TClientDataSet *cds = cdsCTeDocFiscais;
    if (!editando(cds))
        return;
    try {
        const TFiscalDocumentCriteria criterios = CriteriaToAdd(
            texto(cds, u"NRACESSONFE"_s), texto(cds, u"CDFILIAL"_s), texto(cds, u"NRLANCTONF"_s));
        if (criterios.IsEmpty()) {
            if (boTestaVazio)
                MensErro(msgPadrao->Msg(u"DOC_FISCAIS_DEVE"_s));
            return;
        }
        // A row being altered is already listed under the key it was loaded with.
        QStringList outros = slCTeDocFiscais;
        if (cds->State() == dsEdit) {
            const QString proprio
                = CriteriaToAdd(cds->FieldByName(u"NRACESSONFE"_s)->OldValue().toString(),
                                cds->FieldByName(u"CDFILIAL"_s)->OldValue().toString(),
                                cds->FieldByName(u"NRLANCTONF"_s)->OldValue().toString())
                      .ListKey();
            outros.removeOne(proprio);
        }
        if (outros.contains(criterios.ListKey()))
            MensErro(msgPadrao->Msg(u"DOC_FISCAIS_JA_CAD"_s));

        const QVariant reply = consultaDocFiscal(criterios.WithAnyForEmpty());
        carrega(cdsDocFiscais, reply.toList().value(1));
        if (cdsDocFiscais->IsEmpty())
            MensErro(msgPadrao->Msg(u"DOC_FISCAIS_N_CADASTRADO"_s));
        // The same document named the other way (key, or branch and entry) is no new one either.
        const QString encontrado = CriteriaToAdd(texto(cdsDocFiscais, u"NRACESSONFE"_s),
                                                 texto(cdsDocFiscais, u"CDFILIAL"_s),
                                                 texto(cdsDocFiscais, u"NRLANCTONF"_s))
                                       .ListKey();
        if (outros.contains(encontrado))
            MensErro(msgPadrao->Msg(u"DOC_FISCAIS_JA_CAD"_s));
        copiaDocFiscal(cdsDocFiscais, cds);

        carrega(cdsUnidProdDocFiscais, reply.toList().value(2));
        if (!cdsUnidProdDocFiscais->IsEmpty())
            ApplyDocumentQuantities(cdsCTeInfQtCarga, cdsUnidProdDocFiscais,
                                    cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat(), +1);
    } catch (...) {
        focaColuna(tshInfCTeNormalSubstituto, dbgDocFiscais, u"NRACESSONFE"_s);
        throw;
    }
}

void TfrmCTe::cdsCTeDocFiscaisBeforePost()
{
    const bool novo = cdsCTeDocFiscais->State() == dsInsert;
    Vd_DocFiscais(true);
    if (!novo)
        return;
    const QString chave = CriteriaToAdd(texto(cdsCTeDocFiscais, u"NRACESSONFE"_s),
                                        texto(cdsCTeDocFiscais, u"CDFILIAL"_s),
                                        texto(cdsCTeDocFiscais, u"NRLANCTONF"_s))
                              .ListKey();
    if (!chave.isEmpty())
        slCTeDocFiscais.append(chave);
}

// --- F. removing a fiscal document --------------------------------------------------------------

void TfrmCTe::cdsCTeDocFiscaisBeforeDelete()
{
    TClientDataSet *cds = cdsCTeDocFiscais;
    const QString chave = texto(cds, u"NRACESSONFE"_s);
    const QString filial = texto(cds, u"CDFILIAL"_s);
    const QString lancamento = texto(cds, u"NRLANCTONF"_s);
    const TFiscalDocumentCriteria criterios = CriteriaToRemove(chave, filial, lancamento);
    const QVariant reply = consultaDocFiscal(criterios);
    carrega(cdsUnidProdDocFiscais, reply.toList().value(2));
    // What the row added is what it takes away: the gross weight it kept, whatever the invoice
    // says today.
    KeepRowWeight(cdsUnidProdDocFiscais, cds->FieldByName(u"VRPBRUTOVOLU"_s)->Value());
    if (!cdsUnidProdDocFiscais->IsEmpty())
        ApplyDocumentQuantities(cdsCTeInfQtCarga, cdsUnidProdDocFiscais,
                                cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat(), -1);
    slCTeDocFiscais.removeOne(CriteriaToAdd(chave, filial, lancamento).ListKey());
}

// --- G. the predominant product -----------------------------------------------------------------

void TfrmCTe::btpProdPredominaBeforePesq()
{
    if (editando(cdsCTeDocFiscais))
        cdsCTeDocFiscais->Post();
    FillProductRequest(cdsDocFiscaisAux, slCTeDocFiscais);
    const QVariant reply = chamaServidor(u"GetProdDocFiscais"_s, {cdsDocFiscaisAux->Data()});
    CheckReply(reply);
    carrega(cdsPesqProdDocFiscais, reply.toList().value(1));
    rotula(cdsPesqProdDocFiscais, msgPadrao,
           {{u"CHAVE", u"COL_PRODUTO_CHAVE"},
            {u"CDPRODUTO", u"COL_PRODUTO_CODIGO", 15},
            {u"NMPRODUTO", u"COL_PRODUTO_NOME", 50},
            {u"QTITEMPROD", u"COL_PRODUTO_QUANTIDADE"},
            {u"SGUNIDADE", u"COL_PRODUTO_UNIDADE"},
            {u"VRUNITITEM", u"COL_PRODUTO_VALOR_UNITARIO"},
            {u"VRTOTAITEM", u"COL_PRODUTO_VALOR_TOTAL"}});
    cdsPesqProdDocFiscais->First();
}

void TfrmCTe::btpProdPredominaAfterPesq()
{
    if (cdsCTe->State() == dsBrowse)
        cdsCTe->Edit();
    cdsCTe->FieldByName(u"DSPRODPREDOMINA"_s)
        ->SetAsString(texto(cdsPesqProdDocFiscais, u"NMPRODUTO"_s).left(60));
}

// --- H. cargo quantities ------------------------------------------------------------------------

void TfrmCTe::cdsCTeInfQtCargaAfterInsert()
{
    colocaDocumentoEmEdicao();
    cdsCTeInfQtCarga->FieldByName(u"CDCTEINFQTCARGA"_s)->SetAsFloat(0);
    cdsCTeInfQtCarga->FieldByName(u"CDCTE"_s)
        ->SetAsFloat(cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat());
    cdsCTeInfQtCarga->FieldByName(u"IDGERADAAUTO"_s)->SetAsString(u"N"_s);
}

void TfrmCTe::dbgQuantidadeKeyPress(QChar &key)
{
    const int coluna = dbgQuantidade->SelectedIndex();
    if (coluna < 0)
        return;
    const QString campo = dbgQuantidade->Columns().at(coluna).FieldName;
    if (campo == u"CDUNIDMEDIDA" && !UnitKeyAccepted(key))
        key = QChar();
    else if (campo == u"DSTIPOMEDIDA")
        key = key.toUpper();
}

void TfrmCTe::dbgQuantidadeColExit(int column)
{
    QString typed = std::exchange(m_textoUnidade, QString());
    if (m_linhaUnidade != cdsCTeInfQtCarga->CurrentRow())
        typed.clear();
    if (column < 0 || column >= dbgQuantidade->Columns().size()
        || dbgQuantidade->Columns().at(column).FieldName != u"CDUNIDMEDIDA"
        || !editando(cdsCTeInfQtCarga))
        return;
    // The cell's text: what was typed in it, or what it shows.
    const QString celula = typed.isEmpty() ? GridText(dbgQuantidade, u"CDUNIDMEDIDA"_s) : typed;
    if (UnitCellRefused(celula)) {
        focaColuna(tshInfCTeNormalSubstituto, dbgQuantidade, u"CDUNIDMEDIDA"_s);
        MensErro(msgPadrao->Msg(u"COD_UNID_MEDIDA_INVALIDO"_s));
    }
}

void TfrmCTe::Vd_InfQtCarga()
{
    TClientDataSet *cds = cdsCTeInfQtCarga;
    const auto falhaEm = [this](const QString &campo, const QString &key) {
        focaColuna(tshInfCTeNormalSubstituto, dbgQuantidade, campo);
        MensErro(msgPadrao->Msg(key));
    };
    const bool linha = cds->Active() && !cds->IsEmpty();
    if (!linha || EmptyString(texto(cds, u"CDUNIDMEDIDA"_s)))
        falhaEm(u"CDUNIDMEDIDA"_s, u"UNID_MEDIDA_QT_CARGA_DEVE"_s);
    if (EmptyString(texto(cds, u"DSTIPOMEDIDA"_s)))
        falhaEm(u"DSTIPOMEDIDA"_s, u"TIPO_MEDIDA_QT_CARGA_DEVE"_s);
    if (cds->FieldByName(u"QTCARGA"_s)->IsNull())
        falhaEm(u"QTCARGA"_s, u"QTD_CARGA"_s);
}

// --- I. observations ----------------------------------------------------------------------------

void TfrmCTe::dbgObsGeraisEditButtonClick()
{
    const int coluna = dbgObsGerais->SelectedIndex();
    if (coluna < 0 || dbgObsGerais->Columns().at(coluna).FieldName != u"DSDADOADIC")
        return;
    qryPesqMensagem->Close();
    qryPesqMensagem->Open();
    cdsPesqMensagem->LoadFromPacket(qryPesqMensagem->ToPacket());
    rotula(cdsPesqMensagem, msgPadrao,
           {{u"CDMENSAGEM", u"COL_MENSAGEM_CODIGO"}, {u"DSMENSAGEM", u"COL_MENSAGEM_TEXTO"}});
    if (!Pesquisar(dtsPesqMensagem,
                   msgPadrao->Msg(u"MENSAGEM"_s) + u"|"_s + msgPadrao->Msg(u"MENSAGEM_EMPTY"_s))) {
        if (editando(cdsCTeDadosAdic))
            cdsCTeDadosAdic->Cancel();
        return;
    }
    if (!editando(cdsCTeDadosAdic))
        cdsCTeDadosAdic->Edit();
    cdsCTeDadosAdic->FieldByName(u"CDMENSAGEM"_s)
        ->SetAsString(texto(cdsPesqMensagem, u"CDMENSAGEM"_s));
    cdsCTeDadosAdic->FieldByName(u"DSDADOADIC"_s)
        ->SetAsString(texto(cdsPesqMensagem, u"DSMENSAGEM"_s));
    atualizaEditor(dbgObsGerais, u"DSDADOADIC"_s);
}

void TfrmCTe::cdsCTeDadosAdicAfterInsert()
{
    colocaDocumentoEmEdicao();
    cdsCTeDadosAdic->FieldByName(u"CDCTEDADOSADIC"_s)->SetAsFloat(0);
    cdsCTeDadosAdic->FieldByName(u"CDCTE"_s)
        ->SetAsFloat(cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat());
}

void TfrmCTe::cdsCTeDadosAdicBeforePost()
{
    if (EmptyString(texto(cdsCTeDadosAdic, u"DSDADOADIC"_s))) {
        MostrarFormulario();
        pgcDados->setCurrentWidget(tshDadosCompl);
        dbgObsGerais->setFocus(Qt::OtherFocusReason);
        MensErro(msgPadrao->Msg(u"MENSAGEM_DEVE"_s));
    }
}
