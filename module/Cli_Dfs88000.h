#pragma once

#include "DataSetTypes.h"
#include "TfrmPadrao.h"

#include <QPointer>
#include <QSet>
#include <QStringList>

#include <array>
#include <optional>

struct TFiscalDocumentCriteria;
struct TNfeParty;
class QAction;
class QFontMetrics;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollArea;
class QTabWidget;
class QToolButton;
class TBtnPesquisa;
class TClientDataSet;
class TDBCheckBox;
class TDBEdit;
class TDBGrid;
class TDBLookupComboBox;
class TDBText;
class TDataSource;
class TDateEditPlus;
class TMessages;
class TNetConnection;
class QPainter;
class QPixmap;
class TADOIBQuery;
class TField;
struct TMarkHandlers;
struct TCodeList;
struct TColumn;

// The CT-e editor: an MDI child maintenance window over the documents of the current selection.
//
// Layout: the company panel above the pages; the list page with the document grid and the access
// key of the current document; the form page with the page control pgcDados and its ten section
// pages, each inside a scroll box "scb" + section name whose controls are the direct children of
// the scroll box's widget(). Input controls carry tag 1 and the tooltip background, display
// controls tag 0, the window background and are disabled (ControlStyle.h). Every control and
// component carries its name as objectName, so handlers can be attached by name.
class TfrmCTe : public TfrmPadrao
{
    Q_OBJECT
public:
    explicit TfrmCTe(QWidget *parent = nullptr);

    // Builds the thirteen code lists in their order from msgListaDados; a list already open is
    // emptied first, so building again never duplicates entries.
    void CarregaListas();
    void CarregaLista(const TCodeList &list);
    // The dataset of code list `name` (cdsListaModal, …); nullptr when unknown.
    TClientDataSet *ListaDados(const QString &name) const;

    // The msgPadrao keys the window looked up while building itself.
    const QSet<QString> &ChavesUsadas() const { return m_chavesUsadas; }

    // The application server (host and port set from the login values before each connect).
    TNetConnection *netCTe = nullptr;
    // A call to it, with the busy animation (`kind` as ActiveShowAvi's) while it waits.
    QVariant chamaServidor(const QString &operation, const QVariantList &args, int kind = 6);
    TMessages *msgListaDados = nullptr;
    TMessages *msgRotulos = nullptr;

    // --- document record and its child lists
    TClientDataSet *cdsCTe = nullptr;
    TClientDataSet *cdsCTeImpostos = nullptr;
    TClientDataSet *cdsCTeCompValor = nullptr;
    TClientDataSet *cdsCTeDocFiscais = nullptr;
    TClientDataSet *cdsCTeInfQtCarga = nullptr;
    TClientDataSet *cdsCTeDadosAdic = nullptr;
    TClientDataSet *cdsInscrEstad = nullptr;
    TDataSource *dtsCTeImpostos = nullptr;
    TDataSource *dtsCTeCompValor = nullptr;
    TDataSource *dtsCTeDocFiscais = nullptr;
    TDataSource *dtsCTeInfQtCarga = nullptr;
    TDataSource *dtsCTeDadosAdic = nullptr;

    // --- auxiliary datasets (those filled only from server packets are declared without fields)
    TClientDataSet *cdsEmitente = nullptr;
    TClientDataSet *cdsCliente = nullptr;
    TClientDataSet *cdsFornecedor = nullptr;
    TClientDataSet *cdsCompValorPrest = nullptr;
    TClientDataSet *cdsPesqCompValorPrest = nullptr;
    TClientDataSet *cdsCTeImpostosAux = nullptr;
    TClientDataSet *cdsPesqDocFiscais = nullptr;
    TClientDataSet *cdsDocFiscais = nullptr;
    TClientDataSet *cdsDocFiscaisAux = nullptr;
    TClientDataSet *cdsPesqProdDocFiscais = nullptr;
    TClientDataSet *cdsUnidProdDocFiscais = nullptr;
    TClientDataSet *cdsCTeDadosAdicAux = nullptr;
    TClientDataSet *cdsResultNotaFiscal = nullptr;
    TClientDataSet *cdsEnvioEmailCTe = nullptr;
    TDataSource *dtsEnvioEmailCTe = nullptr;
    TClientDataSet *cdsGeraXML = nullptr;
    TClientDataSet *cdsListaGerarDACTE = nullptr;
    TClientDataSet *cdsStringStream = nullptr;
    TClientDataSet *cdsDetalheRetorno = nullptr;
    TDataSource *dtsPesqCompValorPrest = nullptr;
    TDataSource *dtsPesqDocFiscais = nullptr;
    TDataSource *dtsPesqProdDocFiscais = nullptr;
    TDataSource *dtsDetalheRetorno = nullptr;
    TDataSource *dtsResultNotaFiscal = nullptr;

    // --- code lists (CODIGO, DESCRICAO), each feeding one drop-down
    TClientDataSet *cdsListaModal = nullptr;
    TClientDataSet *cdsListaTipoDeServico = nullptr;
    TClientDataSet *cdsListaFinalidade = nullptr;
    TClientDataSet *cdsListaFormaDeEmissao = nullptr;
    TClientDataSet *cdsListaGlobalizado = nullptr;
    TClientDataSet *cdsListaFormaDeImpressao = nullptr;
    TClientDataSet *cdsListaAmbiente = nullptr;
    TClientDataSet *cdsListaInfCadReme = nullptr;
    TClientDataSet *cdsListaInfCadExpe = nullptr;
    TClientDataSet *cdsListaInfCadRece = nullptr;
    TClientDataSet *cdsListaInfCadDest = nullptr;
    TClientDataSet *cdsListaIndicadorTomador = nullptr;
    TClientDataSet *cdsListaInfCadToma = nullptr;

    // --- command bar and menus
    QAction *mnuFiltrar = nullptr;
    QAction *mnuTransCTe = nullptr;
    QAction *mnuAtualizaLoteCTe = nullptr;
    QAction *mnuCancelaCTe = nullptr;
    QAction *mnuCartaCorrecaoCTe = nullptr;
    QMenu *mnuEnviaEmailCTe = nullptr;
    QAction *mnuEnviaEmailCTeSeleMenu = nullptr;
    QAction *mnuEnviaEmailCTePendMenu = nullptr;
    QAction *mnuImprimir = nullptr;
    // Commands of the two buttons that have no menu item of their own.
    QAction *actEnviaEmailCTe = nullptr;
    QAction *actGeraXML = nullptr;
    QToolButton *sbtTransCTe = nullptr;
    QToolButton *sbtAtualizaLoteCTe = nullptr;
    QToolButton *sbtFiltro = nullptr;
    QToolButton *sbtCancelaCTe = nullptr;
    QToolButton *sbtCartaCorrecaoCTe = nullptr;
    QToolButton *sbtEnviaEmailCTe = nullptr;
    QToolButton *spbGeraXML = nullptr;
    // Pop-up of the e-mail button; opened by its handler, never by itself.
    QMenu *pmnEmailCTe = nullptr;
    QAction *mnuEnviaEmailCTeSeleBotao = nullptr;
    QAction *mnuEnviaEmailCTePendBotao = nullptr;

    // --- company panel
    QWidget *panEmpresa = nullptr;
    QLineEdit *medCdEmpresa = nullptr;
    TBtnPesquisa *btnEmpresa = nullptr;
    QLineEdit *edtNmEmpresa = nullptr;

    // --- list page and navigation bar
    QWidget *panChaveAcesso = nullptr;
    TDBEdit *dbeChaveAcesso = nullptr;
    TDBText *dbtNome = nullptr;

    // --- form page
    QTabWidget *pgcDados = nullptr;
    QWidget *tshIdentificacao = nullptr;
    QWidget *tshEmitente = nullptr;
    QWidget *tshRemetente = nullptr;
    QWidget *tshExpedidor = nullptr;
    QWidget *tshRecebedor = nullptr;
    QWidget *tshDestinatario = nullptr;
    QWidget *tshTomador = nullptr;
    QWidget *tshTotais = nullptr;
    QWidget *tshInfCTeNormalSubstituto = nullptr;
    QWidget *tshDadosCompl = nullptr;
    QScrollArea *scbIdentificacao = nullptr;
    QScrollArea *scbEmitente = nullptr;
    QScrollArea *scbRemetente = nullptr;
    QScrollArea *scbExpedidor = nullptr;
    QScrollArea *scbRecebedor = nullptr;
    QScrollArea *scbDestinatario = nullptr;
    QScrollArea *scbTomador = nullptr;
    QScrollArea *scbTotais = nullptr;
    QScrollArea *scbInfCTeNormalSubstituto = nullptr;
    QScrollArea *scbDadosCompl = nullptr;

    // --- Identificação
    QGroupBox *grbCaracteristicas = nullptr;
    TDBLookupComboBox *dcbModal = nullptr;
    TDBLookupComboBox *dcbTipoServico = nullptr;
    TDBLookupComboBox *dcbFinalidade = nullptr;
    TDBLookupComboBox *dcbFormaEmissao = nullptr;
    TDBEdit *dbeCFOP = nullptr;
    TBtnPesquisa *btpCFOP = nullptr;
    TDBEdit *dbeNaturezaOperacao = nullptr;
    TDBEdit *dbeDigestValue = nullptr;
    TDBLookupComboBox *dcbFormaImpressao = nullptr;
    TDBLookupComboBox *dcbGlobalizado = nullptr;
    TDBLookupComboBox *dcbAmbiente = nullptr;
    TDBEdit *dbeVersaoProcesso = nullptr;
    TDBEdit *dbeCdTipoOper = nullptr;
    TBtnPesquisa *btpTipoOper = nullptr;
    TDBEdit *dbeNmTipoOper = nullptr;
    QGroupBox *grbInicioPrestaServico = nullptr;
    TDBEdit *dbeCdPaisIniPrestaServico = nullptr;
    TBtnPesquisa *btnPaisIniPrestaServico = nullptr;
    TDBEdit *dbeNmPaisIniPrestaServico = nullptr;
    TDBEdit *dbeSgEstaIniPrestaServico = nullptr;
    TBtnPesquisa *btnEstaIniPrestaServico = nullptr;
    TDBEdit *dbeNmEstaIniPrestaServico = nullptr;
    TDBEdit *dbeCdMuniIniPrestaServico = nullptr;
    TBtnPesquisa *btnMuniIniPrestaServico = nullptr;
    TDBEdit *dbeNmMuniIniPrestaServico = nullptr;
    QGroupBox *grbTerminoPrestaServico = nullptr;
    TDBEdit *dbeCdPaisFimPrestaServico = nullptr;
    TBtnPesquisa *btnPaisFimPrestaServico = nullptr;
    TDBEdit *dbeNmPaisFimPrestaServico = nullptr;
    TDBEdit *dbeSgEstaFimPrestaServico = nullptr;
    TBtnPesquisa *btnEstaFimPrestaServico = nullptr;
    TDBEdit *dbeNmEstaFimPrestaServico = nullptr;
    TDBEdit *dbeCdMuniFimPrestaServico = nullptr;
    TBtnPesquisa *btnMuniFimPrestaServico = nullptr;
    TDBEdit *dbeNmMuniFimPrestaServico = nullptr;
    QGroupBox *grbRetirada = nullptr;
    TDBCheckBox *dckReceRetiraMercadoria = nullptr;
    TDBEdit *dbeDetRetirada = nullptr;
    QGroupBox *grbCte = nullptr;
    TDBEdit *dbeNumeroCTe = nullptr;
    TDBEdit *dbeSerieCTe = nullptr;
    TDBEdit *dbeNrAcessoCTe = nullptr;
    TDBEdit *dbeModDocFiscal = nullptr;
    TDateEditPlus *depDataEmissao = nullptr;
    QGroupBox *grbSituacao = nullptr;
    TDBEdit *dbeEvento = nullptr;
    TDBEdit *dbeProtocolo = nullptr;
    TDBEdit *dbeDataAutorizacao = nullptr;

    // --- Emitente and the five party pages (one layout, by role suffix)
    struct TPaginaParte
    {
        QString sufixo; // field suffix: EMIT, REME, EXPE, RECE, DEST, TOMA
        QString secao; // section name: Emitente, Remetente, …, Destinatario, Tomador
        QWidget *tsh = nullptr;
        QScrollArea *scb = nullptr;
        TDBLookupComboBox *dcbInfCad = nullptr; // none on the emitter's page
        TDBEdit *dbeNrInsJur = nullptr;
        QToolButton *btnInsJur = nullptr;
        QGroupBox *grbEndereco = nullptr;
        QList<TDBEdit *> exibicao; // the display edits, in page order
        QList<TBtnPesquisa *> pesquisasEndereco; // disabled, without function
    };
    std::array<TPaginaParte, 6> Partes;
    TDBEdit *dbeNrInsJurEmit = nullptr;
    QToolButton *btnInsJurEmit = nullptr;
    TDBEdit *dbeNrInsEstEmit = nullptr;
    QGroupBox *grbEnderecoEmitente = nullptr;
    TDBLookupComboBox *dcbInfCadRemetente = nullptr;
    TDBEdit *dbeNrInsJurReme = nullptr;
    QToolButton *btnInsJurReme = nullptr;
    TDBLookupComboBox *dcbInfCadExpedidor = nullptr;
    TDBEdit *dbeNrInsJurExpe = nullptr;
    QToolButton *btnInsJurExpe = nullptr;
    TDBLookupComboBox *dcbInfCadRecebedor = nullptr;
    TDBEdit *dbeNrInsJurRece = nullptr;
    QToolButton *btnInsJurRece = nullptr;
    TDBLookupComboBox *dcbInfCadDestinatario = nullptr;
    TDBEdit *dbeNrInsJurDest = nullptr;
    QToolButton *btnInsJurDest = nullptr;
    TDBLookupComboBox *dcbInfCadTomador = nullptr;
    TDBLookupComboBox *dcbIndicador = nullptr;
    TDBEdit *dbeNrInsJurToma = nullptr;
    QToolButton *btnInsJurToma = nullptr;

    // --- Totais
    QGroupBox *grbServPrestado = nullptr;
    QWidget *panServPrestado = nullptr;
    TDBEdit *dbeCdServPrestado = nullptr;
    TBtnPesquisa *btnServPrestado = nullptr;
    TDBEdit *dbeDsServPrestado = nullptr;
    TDBEdit *dbeValorTotaPrestServ = nullptr;
    TDBEdit *dbeValorTotaReceber = nullptr;
    QGroupBox *grbCompValorPrestacao = nullptr;
    TDBGrid *dbgCompValorPrestacao = nullptr;
    QGroupBox *grbImposto = nullptr;
    TDBGrid *dbgImposto = nullptr;

    // --- Informações do CT-e Normal e Substituto
    QGroupBox *grbCarga = nullptr;
    TDBEdit *dbeValorTotal = nullptr;
    TDBEdit *dbeValorAverbacao = nullptr;
    TDBEdit *dbeProdPredomina = nullptr;
    TBtnPesquisa *btpProdPredomina = nullptr;
    TDBEdit *dbeOutrasCaracteristicas = nullptr;
    QGroupBox *grbQuantidade = nullptr;
    TDBGrid *dbgQuantidade = nullptr;
    QGroupBox *grbDocFiscais = nullptr;
    TDBGrid *dbgDocFiscais = nullptr;
    QWidget *panDtEmisDoc = nullptr;
    QGroupBox *grbDataSaida = nullptr;
    TDateEditPlus *depEmissaoIni = nullptr;
    TDateEditPlus *depEmissaoFim = nullptr;

    // --- Dados Complementares
    QGroupBox *grbObsGerais = nullptr;
    TDBGrid *dbgObsGerais = nullptr;

    // --- NF-e files (Cli_Dfs88000_NfeImport.cpp)
    // Adds the invoices of NF-e files to the document, which is put into edit: each file is read
    // and checked, refused on its own or added as a fiscal document with its weight and volumes;
    // then the cargo value, an empty predominant product, sender and recipient are filled, and a
    // summary is shown. More than one file shows a progress bar whose button stops the import.
    void ImportaNotasFiscais(const QStringList &arquivos);
    QToolButton *btnImportaNFe = nullptr;

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;

private:
    // Construction, one step per section (files Cli_Dfs88000_<Section>.cpp).
    void criaRegistro();
    void criaListas();
    void criaComandos();
    void criaPainelEmpresa();
    void criaListagem();
    void criaFormulario();
    void criaIdentificacao();
    void criaPartes();
    void criaParte(TPaginaParte &parte);
    void criaTotais();
    void criaCarga();
    void criaDadosCompl();
    void criaImportacaoNotas();
    void preencheParteNfe(int i, const TNfeParty &parte, const QString &chave, QStringList &avisos);
    QString cadastroDaInscricao(const QString &inscricao);

    // Builders shared by the sections.
    enum class TTipo { Entrada, Exibicao };
    QString Texto(const QString &key);
    QLabel *rotulo(QWidget *parent, const QString &key, const QString &name = {});
    TDBEdit *criaEdit(QWidget *parent, const QString &name, const QString &field, TTipo tipo,
                      int caracteres = 0);
    TDBLookupComboBox *criaCombo(QWidget *parent, const QString &name, const QString &field,
                                 TTipo tipo);
    TBtnPesquisa *criaPesquisa(QWidget *parent, const QString &name, const QString &titleKey,
                               const QString &emptyKey, TTipo tipo);
    QGroupBox *criaGrupo(QWidget *parent, const QString &name, const QString &key);
    // Display kind, with its text kept readable.
    static void exibicao(QWidget *w);
    static QList<TColumn> ajustaColunas(const QFontMetrics &fm, QList<TColumn> columns,
                                        const TClientDataSet *dataSet);
    static TColumn coluna(const QString &field, int width = 0, bool readOnly = false,
                          bool ellipsis = false);
    TDBGrid *criaGrade(QWidget *parent, const QString &name, TDataSource *source,
                       QList<TColumn> columns, int linhas);
    // A section page of pgcDados with its scroll box; returns the scroll box's widget.
    QWidget *criaSecao(const QString &secao, const QString &captionKey, QWidget **tsh,
                       QScrollArea **scb);
    // Adds `label` and `field` as pair `pair` of row `row` (two grid columns per pair).
    static void par(QGridLayout *grid, int row, int pair, QLabel *label, QWidget *field,
                    int pairSpan = 1);
    static void par(QGridLayout *grid, int row, int pair, QLabel *label, QLayout *field,
                    int pairSpan = 1);

    QSet<QString> m_chavesUsadas;

public:
    // --- life cycle, document list and company panel (Cli_Dfs88000_LifeCycle.cpp,
    //     Cli_Dfs88000_List.cpp, Cli_Dfs88000_Company.cpp)
    // Loads the list for the company and the filter's confirmed criteria (GetDadosGerais);
    // raises the server's error with nothing loaded.
    void CarregaDadosGerais();
    // Input controls (tag 1) read-only or editable; grids switch row selection and editing.
    void ModoLeitura(bool Value);
    void Vd_Empresa(bool boTestaVazio);
    void Vd_DataEmissao();
    // A document is being edited or inserted.
    bool EmEdicao() const;
    // The mark picture that list row `row` shows (null when none).
    QPixmap MarcaDaLinha(int row) const;

    TADOIBQuery *qryPesqEmpresa = nullptr;
    TADOIBQuery *qryVdEmpresa = nullptr;
    TClientDataSet *cdsPesqEmpresa = nullptr;
    TDataSource *dtsPesqEmpresa = nullptr;
    QLabel *imgUncheck = nullptr;
    QLabel *imgCheck = nullptr;
    QLabel *imgGray = nullptr;

    // --- section checks, in the order the validation before a post calls them
    void Vd_TipoOperac(bool boTestaVazio);
    void Vd_Pais(bool boTestaVazio, TDBEdit *edit);
    void Vd_Estado(bool boTestaVazio, TDBEdit *edit);
    void Vd_Municipio(bool boTestaVazio, TDBEdit *edit);
    void Vd_Emitente(bool boTestaVazio);
    void Vd_Remetente(bool boTestaVazio, const QString &kind);
    void Vd_Expedidor(bool boTestaVazio, const QString &kind);
    void Vd_Recebedor(bool boTestaVazio, const QString &kind);
    void Vd_Destinatario(bool boTestaVazio, const QString &kind);
    void Vd_Tomador(bool boTestaVazio, const QString &kind);
    void Vd_Produto(bool boTestaVazio);
    void Vd_CompValorPrest(bool boTestaVazio);
    void Vd_InfQtCarga();
    // The party pages shown for the current source and payer indicators.
    void AtualizaPartes();
    // Sends the marked documents to TransmiteCTe and shows the outcome per document.
    void sbtTransCTeClick();
    // The DACTE of the current document as a PDF (Cli_Dfs88000_Dacte.cpp).
    void criaDACTE();
    void sbtImprimirClick();
    void GerarDACTE(bool boUnirPDF, const QString &stDiretorio);
    void cdsResultNotaFiscalIDGERADOGetText(TField *sender, QString &text, bool displayText);
    // The filter's confirmed state registration (empty before the filter exists).
    QString InscricaoFiltro() const;
    // Loads the list again on the current document; no document stays marked.
    void RecarregaLista();
    // Asks the authority's answer for the marked documents (ConsSituCte) and shows the list again.
    void sbtAtualizaLoteCTeClick();
    // Cancels the current accepted document with the reason the dialog asks (CancelaCTe).
    void sbtCancelaCTeClick();
    // Sends a correction letter of the current accepted document with the corrections the
    // dialog takes (CartaCorrecaoCTe).
    void sbtCartaCorrecaoCTeClick();
    // E-mail of the current accepted document or of the list's pending ones
    // (Cli_Dfs88000_Email.cpp).
    void criaEmail();
    void sbtEnviaEmailCTeClick();
    void mnuEnviaEmailCTeSeleBotaoClick();
    void mnuEnviaEmailCTePendBotaoClick();
    void cdsEnvioEmailCTeIDEMAILCTEGetText(TField *sender, QString &text, bool displayText);
    // XML export of the current accepted or cancelled document (Cli_Dfs88000_XmlExport.cpp).
    void criaGeraXML();
    void spbGeraXMLClick();
    // Writes the generated texts of cdsResultNotaFiscal into `pasta` (ending in a separator)
    // under their names and says whether everything was generated; leaves the list filtered.
    void GravaResultadoXML(const QString &pasta);
    // The folder chosen for the export, created when typed new; empty when cancelled.
    QString EscolheDiretorioXML();
    // Opens `cds` empty: created when closed, emptied when open.
    static void abreVazio(TClientDataSet *cds);
    // Resets the service data when what the fiscal result depends on changed (with the product
    // when boLimpaProduto), emptying the value components and taxes.
    void LimpaDadosServico(bool boLimpaProduto);

    // --- emitter and parties (Cli_Dfs88000_Emitter.cpp, Cli_Dfs88000_PartyRoles.cpp)
    // Clears the fields behind the data-bound edits of section `secao` (the scroll box "scb" +
    // secao and the group "grbEndereco" + secao): the display edits, and with boTodos the
    // registration too. Only while a document is edited or inserted.
    void LimpaTexto(const QString &secao, bool boTodos);
    // F9 searches: the company's state registrations, and the clients or suppliers of role i
    // (1 sender … 5 payer, as in Partes).
    void btnInsJurEmitClick();
    void btnInsJurParteClick(int i);
    void qryPesqClienteNRINSJURCLIEGetText(TField *sender, QString &text, bool displayText);
    void qryPesqFornecedorNRINSJURFORNGetText(TField *sender, QString &text, bool displayText);
    TADOIBQuery *qryPesqEmitente = nullptr;
    TADOIBQuery *qryPesqCliente = nullptr;
    TADOIBQuery *qryPesqFornecedor = nullptr;
    TClientDataSet *cdsPesqEmitente = nullptr;
    TClientDataSet *cdsPesqCliente = nullptr;
    TClientDataSet *cdsPesqFornecedor = nullptr;
    TDataSource *dtsPesqEmitente = nullptr;
    TDataSource *dtsPesqCliente = nullptr;
    TDataSource *dtsPesqFornecedor = nullptr;

private:
    void criaEmitente();
    void criaPapeis();
    bool emEdicao() const;
    // The registration as typed in `edit`; empty when only a mask's literals are there.
    static QString inscricaoInformada(const TField *field);
    // Raises a failed reply; loads its packet (element 1) into `cds`.
    static void carregaParte(const QVariant &reply, TClientDataSet *cds);
    void dbeNrInsJurEmitEnter();
    void dbeNrInsJurEmitExit();
    void dbeNrInsJurEmitChange();
    void dbeNrInsJurEmitKeyDown(int &key);
    void cdsCTeNRINSJUREMITChange();
    void Vd_Parte(int i, bool boTestaVazio, const QString &kind);
    // The role's section, its register codes and person type (the registration too with boTodos).
    void LimpaDadosParte(int i, bool boTodos);
    void carregaPesqParte(bool fornecedor);
    void dbeNrInsJurParteEnter(int i);
    void dbeNrInsJurParteExit(int i);
    void dbeNrInsJurParteChange(int i);
    void cdsCTeIDCADChange(int i);
    void cdsCTeIDTOMADORChange();

    // --- fiscal documents, cargo quantities and observations (Cli_Dfs88000_Cargo.cpp)
    // Checks the fiscal-document row being edited against the server and fills it; with
    // boTestaVazio a row naming no document is refused.
    void Vd_DocFiscais(bool boTestaVazio);
    // The one fiscal document the criteria name, from the server (GetDocFiscais mode S).
    QVariant consultaDocFiscal(const TFiscalDocumentCriteria &criterios);
    TADOIBQuery *qryPesqMensagem = nullptr;
    TClientDataSet *cdsPesqMensagem = nullptr;
    TDataSource *dtsPesqMensagem = nullptr;

public:
    // --- route, operation type and service product (Cli_Dfs88000_Service.cpp)
    TADOIBQuery *qryPesqPais = nullptr;
    TADOIBQuery *qryPais = nullptr;
    TADOIBQuery *qryPesqEstado = nullptr;
    TADOIBQuery *qryEstado = nullptr;
    TADOIBQuery *qryPesqMunicipio = nullptr;
    TADOIBQuery *qryMunicipio = nullptr;
    TADOIBQuery *qryPesqTipoOperac = nullptr;
    TADOIBQuery *qryTipoOperac = nullptr;
    TADOIBQuery *qryPesqProduto = nullptr;
    TADOIBQuery *qryProduto = nullptr;
    TADOIBQuery *qryMensServico = nullptr;
    // The look-up lists the route, operation type and product buttons show.
    TClientDataSet *cdsPesqPais = nullptr;
    TClientDataSet *cdsPesqEstado = nullptr;
    TClientDataSet *cdsPesqMunicipio = nullptr;
    TClientDataSet *cdsPesqTipoOperac = nullptr;
    TClientDataSet *cdsPesqProduto = nullptr;
    TDataSource *dtsPesqPais = nullptr;
    TDataSource *dtsPesqEstado = nullptr;
    TDataSource *dtsPesqMunicipio = nullptr;
    TDataSource *dtsPesqTipoOperac = nullptr;
    TDataSource *dtsPesqProduto = nullptr;

    // --- value components and taxes (Cli_Dfs88000_ValueComponents.cpp)
    // The component look-up of the component grid's code column (ellipsis button, F9).
    void PesquisaCompValorPrest();
    // Empties the value components and taxes of a document being edited.
    void LimpaListasServico();

protected:
    void Incluir() override;
    void Alterar() override;
    void Verificar() override;
    void Cancelar() override;
    void DataStateChanged() override;
    void dbgPadraoKeyDown(int &key, Qt::KeyboardModifiers modifiers) override;

private:
    void criaCicloVida();
    void criaListaDocumentos();
    void criaEmpresa();
    void MostraJanela();
    void CarregaPesqDocFiscais();
    void sbtFiltroClick();
    void preparaResultNotaFiscal();
    void mostraIdentificacao();
    void cdsCTeAfterInsert();
    void cdsCTeBeforeEditDelete();
    void cdsCTeBeforePost();
    void cdsCTeAfterCancel();
    void cdsCTeAfterScroll();
    // Shows `page` of the form, focuses `control` and raises the text of `key`.
    void falha(QWidget *page, QWidget *control, const QString &key);
    // A save sent without an answer: its request as sent, to be sent again under the same
    // identifier until its outcome is known.
    struct TGravacaoPendente
    {
        QVariantList args;
        bool exclusao = false;
        double cdCte = 0;
    };
    void AplicaAlteracoes(bool exclusao);
    void RecarregaEm(double cdCte);
    void enviaGravacao(TGravacaoPendente gravacao, bool voltaEdicao);
    // Sends a save left without an answer again and applies its outcome; true when there was one.
    bool AcertaGravacaoPendente();
    // cdsCTe and its five child lists, in the order of the save.
    QList<TClientDataSet *> DadosDoDocumento() const;
    // Gives up every pending change of the six lists.
    void DescartaAlteracoes();
    void AtualizaComandos();
    void AtualizaColunasChave();
    void pgcDadosChange();
    bool dbgPadraoDrawColumnCell(QPainter *painter, const QRect &rect, TField *field, int row,
                                 int state);
    TMarkHandlers manipuladoresMarca();
    void dbgPadraoDblClick();
    void dbgPadraoTitleClick(int column);
    void btnEmpresaBeforePesq();
    void btnEmpresaAfterPesq();
    bool focoNaJanela() const;
    void panEmpresaEnter();
    void panEmpresaExit();

    void criaRegrasCarga();
    void colocaDocumentoEmEdicao();
    void estadoFilhoMudou(TDataSource *dts);
    void focaColuna(QWidget *page, TDBGrid *grade, const QString &field);
    QStringList textosUnidade() const;
    void panDtEmisDocExit();
    void dbgDocFiscaisEnter();
    void carregaListaDocFiscais();
    void dbgDocFiscaisEditButtonClick();
    void dbgDocFiscaisColExit(int column);
    void cdsCTeDocFiscaisAfterInsert();
    void cdsCTeDocFiscaisBeforePost();
    void cdsCTeDocFiscaisBeforeDelete();
    void btpProdPredominaBeforePesq();
    void btpProdPredominaAfterPesq();
    void cdsCTeInfQtCargaAfterInsert();
    void dbgQuantidadeKeyPress(QChar &key);
    void dbgQuantidadeColExit(int column);
    void dbgObsGeraisEditButtonClick();
    void cdsCTeDadosAdicAfterInsert();
    void cdsCTeDadosAdicBeforePost();

    // Route, operation type and service product.
    void criaServico();
    void carregaPesquisa(TADOIBQuery *qry, TClientDataSet *cds);
    bool documentoEmEdicao() const;
    void poeEmEdicao(TClientDataSet *cds);
    QString ladoRota(const TDBEdit *edit) const;
    void limpaCampos(const QString &lado, const QStringList &stems);
    void vdRota(bool boTestaVazio, TDBEdit *edit);
    void falhaRota(TDBEdit *edit);
    // One code of a route side (the edit tells which): its register look-up with the document's
    // fields as parameters; unknown, the fields that depended on it are cleared.
    struct TCodigoRota
    {
        TDBEdit *edit;
        bool boTestaVazio;
        QString stem; // the code's field, without the side
        TADOIBQuery *qry;
        QString msgDeve;
        QString msgNaoCadastrado;
        QList<std::pair<QString, QString>> parametros; // parameter, field stem
        QStringList dependentes;
        QList<std::pair<QString, QString>> copia; // register field, field stem
    };
    void confereCodigoRota(const TCodigoRota &c);
    void rotaBeforePesq(TDBEdit *edit);
    void rotaAfterPesq(TDBEdit *edit);
    void vigiaRota(TDBEdit *edit);
    void panServPrestadoExit();
    void falhaProduto(QWidget *control, const QString &key);
    void aplicaDadosServico(const QVariantList &reply);
    void removeObservacoesPadrao();
    QString chaveFiscal() const;
    QString empresaDocumento() const;
    QVariantList argumentosListaDocFiscais() const;
    bool m_vigiando = false; // a route watcher is clearing fields
    // Value components and taxes.
    void criaComponentesValor();
    void poeDocumentoEmEdicao();
    qsizetype indiceCompValor(double codigo) const;
    QVariant m_compValorGuardado; // code of the component row being edited, as stored
    // While set, rows may be added to and removed from the tax list (the server's answer and the
    // clearing); the user's insert and delete there are refused silently.
    bool m_impostosLivres = false;
    // Sets m_impostosLivres for a scope; solta() gives it back early.
    class TImpostosLivres
    {
    public:
        explicit TImpostosLivres(bool &livres);
        ~TImpostosLivres();
        TImpostosLivres(const TImpostosLivres &) = delete;
        TImpostosLivres &operator=(const TImpostosLivres &) = delete;
        void solta();

    private:
        bool *m_livres;
        bool m_antes;
    };

    QList<QPointer<QWidget>> m_controlesLeitura;
    TDataSetNotifyEvent m_beforePost;
    TDataSetNotifyEvent m_afterPost;
    TDataSetNotifyEvent m_beforeEdit;
    bool m_estadoLigado = false; // the state-change handler of dtsPadrao
    bool m_empresaForaDaJanela = false; // the panel was left for another window
    bool m_docFiscaisForaDaJanela = false; // the fiscal-document grid was left for a dialog
    bool m_dataForaDaJanela = false; // the date panel was left for another window
    QString m_textoUnidade; // the text last typed in a unit cell, until its column is left
    int m_linhaUnidade = -1; // the row it was typed in
    std::optional<TGravacaoPendente> m_gravacaoPendente;
};

namespace Cli_Dfs88000 {

inline constexpr char16_t kCodTela[] = u"DFS88000";

extern QPointer<TfrmCTe> frmCTe;
extern bool boStCriado;
extern bool boModoLeitura;
extern QString stVersaoProcesso;
extern QString stCdArvProdAux;
// The other keys of the fiscal parametrization (operation type, emitter, payer) as they were when
// the product was last accepted.
extern QString stChaveFiscalAux;
extern QString stNrInsJurEmitAux;
extern QString stNrInsJurRemeAux;
extern QString stNrInsJurTomaAux;
extern QString stNrInsJurExpeAux;
extern QString stNrInsJurReceAux;
extern QString stNrInsJurDestAux;
extern qint32 inCount;
extern double doVrTotaPrestServ;
extern QStringList slCTeCompValor;
extern QStringList slCTeDocFiscais;

// Creates the editor on first use and shows it as an MDI child, restored to normal size.
void CriaCTe();

// The unit's state at package load (tests call it between cases).
void ResetUnit();

} // namespace Cli_Dfs88000
