// The editor's life cycle: showing the window, loading the list, a new document, alter,
// validation and save, cancel, moving between documents, read-only mode and the commands.
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"

#include "ChildLists.h"
#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "DBCheckBox.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBLookupComboBox.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "DocumentStatus.h"
#include "EditorCommands.h"
#include "Exceptions.h"
#include "ListLoad.h"
#include "Masks.h"
#include "Messages.h"
#include "NetConnection.h"
#include "NewDocument.h"
#include "Orvglob.h"
#include "SaveChanges.h"
#include "ServerReply.h"
#include "StrUtils.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

namespace {

// The six registrations whose masks follow their person type.
constexpr const char16_t *kInscricoes[] = {u"EMIT", u"REME", u"EXPE", u"RECE", u"DEST", u"TOMA"};

QString campo(const TClientDataSet *cds, const QString &name)
{
    return cds->Active() && !cds->IsEmpty() ? cds->FieldByName(name)->AsString() : QString();
}

} // namespace

// --- wiring ------------------------------------------------------------------------------------

void TfrmCTe::criaCicloVida()
{
    cdsCTe->AfterInsert = [this](TClientDataSet *) {
        cdsCTeAfterInsert();
    };
    cdsCTe->BeforeEdit = [this](TClientDataSet *) {
        cdsCTeBeforeEditDelete();
    };
    cdsCTe->BeforeDelete = [this](TClientDataSet *) {
        cdsCTeBeforeEditDelete();
    };
    cdsCTe->BeforeInsert = [this](TClientDataSet *) {
        if (AcertaGravacaoPendente())
            Abort();
    };
    cdsCTe->BeforePost = [this](TClientDataSet *) {
        cdsCTeBeforePost();
    };
    cdsCTe->AfterPost = [this](TClientDataSet *) {
        AplicaAlteracoes(false);
    };
    cdsCTe->AfterDelete = [this](TClientDataSet *) {
        AplicaAlteracoes(true);
    };
    cdsCTe->AfterCancel = [this](TClientDataSet *) {
        cdsCTeAfterCancel();
    };
    cdsCTe->AfterScroll = [this](TClientDataSet *) {
        cdsCTeAfterScroll();
    };

    m_estadoLigado = true;
    connect(mnuFiltrar, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { sbtFiltroClick(); }); });
    connect(mnuTransCTe, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { sbtTransCTeClick(); }); });
    connect(mnuAtualizaLoteCTe, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { sbtAtualizaLoteCTeClick(); }); });
    connect(mnuCancelaCTe, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { sbtCancelaCTeClick(); }); });
    connect(mnuCartaCorrecaoCTe, &QAction::triggered, this,
            [this] { FrameworkGuard([this] { sbtCartaCorrecaoCTeClick(); }); });
    connect(pgcDados, &QTabWidget::currentChanged, this,
            [this] { FrameworkGuard([this] { pgcDadosChange(); }); });
    // The key column of a section grid follows its own list's state.
    for (TDataSource *dts : {dtsCTeCompValor, dtsCTeDocFiscais}) {
        connect(dts, &TDataSource::StateChange, this,
                [this] { FrameworkGuard([this] { AtualizaColunasChave(); }); });
    }
}

// --- 1. showing the window ---------------------------------------------------------------------

void TfrmCTe::MostraJanela()
{
    netCTe->SetHost(Orvglob::WebURL);
    netCTe->SetPort(Orvglob::WebPort);
    // Without the server the window still comes up: the error is shown, the list stays closed.
    FrameworkGuard([this] { netCTe->Connect(); });
    // The code lists are built by FormShow before this runs.
    slCTeCompValor.clear();
    slCTeDocFiscais.clear();

    pgcPadrao->setCurrentWidget(tshFolhaDados);
    pgcDados->setCurrentWidget(tshIdentificacao);
    pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshFormulario), false);
    scbIdentificacao->verticalScrollBar()->setValue(0);
    scbInfCTeNormalSubstituto->verticalScrollBar()->setValue(0);
    cdsCTe->FieldByName(u"CDARVPROD"_s)->SetEditMask(Orvglob::DBPict(0));

    medCdEmpresa->setFocus(Qt::OtherFocusReason);
    medCdEmpresa->setText(Orvglob::EmprProc);
    FrameworkGuard([this] { Vd_Empresa(false); });
    medCdEmpresa->selectAll();
}

// --- 2. loading the list -----------------------------------------------------------------------

void TfrmCTe::CarregaDadosGerais()
{
    // A reload drops the change log: a save of unknown outcome is settled first.
    AcertaGravacaoPendente();
    const TRecordFilter filtro
        = Cli_Dfs88100::frmFiltroCTe ? Cli_Dfs88100::frmFiltroCTe->Filtro : TRecordFilter();
    const QVariantList args = SelectionArguments(medCdEmpresa->text(), filtro);
    const QVariant reply = chamaServidor(u"GetDadosGerais"_s, args);
    const TListLoadResult loaded = LoadListReply(
        reply,
        {cdsCTe, cdsInscrEstad, cdsCTeImpostos, cdsCTeCompValor, cdsPesqCompValorPrest,
         cdsCTeDocFiscais, cdsPesqDocFiscais, cdsCTeInfQtCarga, cdsCTeDadosAdic},
        Orvglob::SiglaModulo(Orvglob::ModuloAtiv));
    stVersaoProcesso = loaded.versaoProcesso;
    slCTeCompValor = loaded.compValorKeys;
    slCTeDocFiscais = loaded.docFiscaisKeys;
    if (pgcDados->currentWidget() == tshInfCTeNormalSubstituto)
        CarregaPesqDocFiscais();
    AtualizaComandos();
}

void TfrmCTe::CarregaPesqDocFiscais()
{
    Vd_DataEmissao();
    const QVariant reply = chamaServidor(u"GetDocFiscais"_s, argumentosListaDocFiscais());
    CheckReply(reply);
    cdsPesqDocFiscais->SetData(reply.toList().value(1));
}

void TfrmCTe::Verificar()
{
    if (dtsPadrao->DataSet() && dtsPadrao->State() == dsBrowse) {
        inCount = 0;
        CarregaDadosGerais();
    }
}

void TfrmCTe::sbtFiltroClick()
{
    if (EmEdicao())
        return;
    if (Cli_Dfs88100::CriaFiltroCTe()) {
        CarregaDadosGerais();
        inCount = 0;
        AtualizaComandos();
    }
}

// --- 3. a new document -------------------------------------------------------------------------

void TfrmCTe::Incluir()
{
    mostraIdentificacao();
    TfrmPadrao::Incluir();
    // An empty list has no form page until the new row exists.
    mostraIdentificacao();
}

void TfrmCTe::mostraIdentificacao()
{
    MostrarFormulario();
    pgcDados->setCurrentWidget(tshIdentificacao);
    depDataEmissao->setFocus(Qt::OtherFocusReason);
}

void TfrmCTe::cdsCTeAfterInsert()
{
    FillNewDocument(cdsCTe, medCdEmpresa->text(), cdsInscrEstad, stVersaoProcesso,
                    QDateTime::currentDateTime());
    AppendStandardCargoRows(cdsCTeInfQtCarga);
}

// --- 4. alter ----------------------------------------------------------------------------------

void TfrmCTe::Alterar()
{
    TfrmPadrao::Alterar();
    if (pgcPadrao->currentWidget() == tshFolhaDados && cdsCTe->State() == dsEdit)
        mostraIdentificacao();
}

// Documents the authority has seen are neither altered nor deleted.
void TfrmCTe::cdsCTeBeforeEditDelete()
{
    // The list the user would change is the one before a save of unknown outcome.
    if (AcertaGravacaoPendente())
        Abort();
    const QString status = cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->AsString();
    if (!status.isEmpty() && !StatusEditable(status))
        MensErro(StatusBlockedText(status, *msgPadrao, *msgListaDados));
}

// --- 5. validation before the post -------------------------------------------------------------

void TfrmCTe::falha(QWidget *page, QWidget *control, const QString &key)
{
    MostrarFormulario();
    pgcDados->setCurrentWidget(page);
    if (control)
        control->setFocus(Qt::OtherFocusReason);
    MensErro(msgPadrao->Msg(key));
}

void TfrmCTe::cdsCTeBeforePost()
{
    for (TClientDataSet *child :
         {cdsCTeImpostos, cdsCTeCompValor, cdsCTeDocFiscais, cdsCTeInfQtCarga, cdsCTeDadosAdic}) {
        if (child->State() == dsInsert || child->State() == dsEdit)
            child->Post();
    }
    if (EmptyString(cdsCTe->FieldByName(u"CDSERIECTE"_s)->AsString()))
        falha(tshIdentificacao, depDataEmissao, u"SERIE_DEVE"_s);
    if (EmptyString(cdsCTe->FieldByName(u"CDMODDOCFISC"_s)->AsString()))
        falha(tshIdentificacao, depDataEmissao, u"MODELO_DOCUMENTO_DEVE"_s);
    Vd_TipoOperac(true);
    Vd_Pais(true, dbeCdPaisIniPrestaServico);
    Vd_Estado(true, dbeSgEstaIniPrestaServico);
    Vd_Municipio(true, dbeCdMuniIniPrestaServico);
    Vd_Pais(true, dbeCdPaisFimPrestaServico);
    Vd_Estado(true, dbeSgEstaFimPrestaServico);
    Vd_Municipio(true, dbeCdMuniFimPrestaServico);
    Vd_Emitente(true);
    Vd_Remetente(true, cdsCTe->FieldByName(u"IDCADREMETENTE"_s)->AsString());
    Vd_Expedidor(true, cdsCTe->FieldByName(u"IDCADEXPEDIDOR"_s)->AsString());
    Vd_Recebedor(true, cdsCTe->FieldByName(u"IDCADRECEBEDOR"_s)->AsString());
    Vd_Destinatario(true, cdsCTe->FieldByName(u"IDCADDESTINATA"_s)->AsString());
    Vd_Tomador(true, cdsCTe->FieldByName(u"IDCADTOMADOR"_s)->AsString());
    Vd_Produto(true);
    if (EmptyString(cdsCTe->FieldByName(u"CDCFOP"_s)->AsString()))
        falha(tshTotais, dbeCdServPrestado, u"CFOP_DEVE"_s);
    if (cdsCTeImpostos->IsEmpty())
        falha(tshTotais, dbeCdServPrestado, u"IMPOSTO_DEVE"_s);
    if (cdsCTeDocFiscais->IsEmpty()) {
        const int coluna = IndiceCol(dbgDocFiscais, u"NRACESSONFE"_s);
        if (coluna >= 0)
            dbgDocFiscais->SetSelectedIndex(coluna);
        falha(tshInfCTeNormalSubstituto, dbgDocFiscais, u"DOC_FISCAIS_DEVE"_s);
    }
    if (EmptyString(cdsCTe->FieldByName(u"DSPRODPREDOMINA"_s)->AsString()))
        falha(tshInfCTeNormalSubstituto, dbeProdPredomina, u"PROD_PRED_DEVE"_s);
    Vd_InfQtCarga();
}

// --- 6. saving ---------------------------------------------------------------------------------

QList<TClientDataSet *> TfrmCTe::DadosDoDocumento() const
{
    return {cdsCTe,           cdsCTeImpostos,   cdsCTeCompValor,
            cdsCTeDocFiscais, cdsCTeInfQtCarga, cdsCTeDadosAdic};
}

void TfrmCTe::AplicaAlteracoes(bool exclusao)
{
    const double cdCte = cdsCTe->IsEmpty() ? 0 : cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
    // One identifier per request: a save sent again after an answer that never came is
    // recognised by the server and not applied twice.
    TGravacaoPendente gravacao {SaveArguments(DadosDoDocumento(), NewSaveRequestId()), exclusao,
                                cdCte};
    enviaGravacao(std::move(gravacao), true);
}

void TfrmCTe::enviaGravacao(TGravacaoPendente gravacao, bool voltaEdicao)
{
    QVariant answer;
    try {
        answer = chamaServidor(u"AplicaAlteracoes"_s, gravacao.args, 1);
    } catch (...) {
        // No answer: the server may have saved or not. The request is kept exactly as it was
        // sent, and its outcome is settled before anything else is done to the list; until then
        // the document shows what was typed, its changes still logged.
        m_gravacaoPendente = std::move(gravacao);
        throw;
    }
    double cdCte = gravacao.cdCte;
    try {
        cdCte = SavedKey(CheckResultServ(answer, true, 0));
    } catch (...) {
        if (gravacao.exclusao) {
            // The delete is given up, as Cancel would, whether or not the list comes back.
            CancelChangeLogs(DadosDoDocumento());
            FrameworkGuard([this, cdCte] { RecarregaEm(cdCte); });
        } else if (voltaEdicao) {
            // The refused document stays as the user left it, its changes still logged, so it
            // can be corrected and confirmed again or cancelled.
            cdsCTe->Edit();
        }
        throw;
    }
    // Saved: the changes are the server's now, whether or not the reload below works.
    MergeChangeLogs(DadosDoDocumento());
    RecarregaEm(cdCte);
}

bool TfrmCTe::AcertaGravacaoPendente()
{
    if (!m_gravacaoPendente)
        return false;
    TGravacaoPendente gravacao = *std::exchange(m_gravacaoPendente, std::nullopt);
    // Inside an edit about to start: a refusal leaves the changes logged for the next edit.
    enviaGravacao(std::move(gravacao), false);
    msgPadrao->ShowMsg(u"GRAVACAO_PENDENTE_CONCLUIDA"_s, TMsgKind::Information, mbOK);
    return true;
}

void TfrmCTe::RecarregaEm(double cdCte)
{
    CarregaDadosGerais();
    if (cdsCTe->Active() && !cdsCTe->IsEmpty())
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
}

// --- 7. cancel ---------------------------------------------------------------------------------

void TfrmCTe::Cancelar()
{
    const QList<QPair<TDBGrid *, TClientDataSet *>> grades {
        {dbgCompValorPrestacao, cdsCTeCompValor},
        {dbgDocFiscais, cdsCTeDocFiscais},
        {dbgQuantidade, cdsCTeInfQtCarga},
        {dbgObsGerais, cdsCTeDadosAdic},
    };
    // The focus may sit in a cell editor inside the grid.
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        for (const auto &[grade, cds] : grades) {
            if (w->objectName() == grade->objectName()
                && (cds->State() == dsInsert || cds->State() == dsEdit)) {
                cds->Cancel();
                return;
            }
        }
    }
    if (msgMensagensPadroes->ShowMsg(u"Canc"_s, TMsgKind::Question, mbYes | mbNo, mbNo) != mbYes)
        return;
    for (TClientDataSet *child :
         {cdsCTeImpostos, cdsCTeCompValor, cdsCTeDocFiscais, cdsCTeInfQtCarga, cdsCTeDadosAdic})
        child->Cancel();
    cdsCTe->Cancel();
    MostrarListagem();
    dbgPadrao->setFocus(Qt::OtherFocusReason);
}

void TfrmCTe::cdsCTeAfterCancel()
{
    const double cdCte = cdsCTe->IsEmpty() ? 0 : cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
    // Every pending change is given up before the reload, which may fail.
    DescartaAlteracoes();
    Verificar();
    if (cdsCTe->Active() && !cdsCTe->IsEmpty())
        cdsCTe->Locate(u"CDCTE"_s, cdCte);
}

void TfrmCTe::DescartaAlteracoes()
{
    CancelChangeLogs(DadosDoDocumento());
}

// --- 8. moving to a document -------------------------------------------------------------------

void TfrmCTe::cdsCTeAfterScroll()
{
    FilterChildren(
        {cdsCTeImpostos, cdsCTeCompValor, cdsCTeDocFiscais, cdsCTeInfQtCarga, cdsCTeDadosAdic},
        ChildFilterText(cdsCTe->FieldByName(u"CDCTE"_s)->AsString()));
    slCTeCompValor = ValueComponentKeys(cdsCTeCompValor);
    slCTeDocFiscais = FiscalDocumentKeys(cdsCTeDocFiscais);

    stNrInsJurEmitAux = campo(cdsCTe, u"NRINSJUREMIT"_s);
    stNrInsJurRemeAux = campo(cdsCTe, u"NRINSJURREME"_s);
    stNrInsJurExpeAux = campo(cdsCTe, u"NRINSJUREXPE"_s);
    stNrInsJurReceAux = campo(cdsCTe, u"NRINSJURRECE"_s);
    stNrInsJurDestAux = campo(cdsCTe, u"NRINSJURDEST"_s);
    stNrInsJurTomaAux = campo(cdsCTe, u"NRINSJURTOMA"_s);
    stCdArvProdAux = campo(cdsCTe, u"CDARVPROD"_s);
    stChaveFiscalAux = chaveFiscal();
    doVrTotaPrestServ = cdsCTe->FieldByName(u"VRTOTAPRESTSERV"_s)->AsFloat();

    AtualizaComandos();
    ModoLeitura(
        StatusReadOnly(cdsCTe->IsEmpty(), cdsCTe->FieldByName(u"IDSTATUSCTE"_s)->AsString()));
    AtualizaPartes();
    for (const char16_t *sufixo : kInscricoes) {
        const QString s = QString::fromUtf16(sufixo);
        cdsCTe->FieldByName(u"NRINSJUR"_s + s)
            ->SetEditMask(PictPess(cdsCTe->FieldByName(u"IDTPIJUR"_s + s)->AsString()));
    }
}

// --- 9. read-only mode -------------------------------------------------------------------------

void TfrmCTe::ModoLeitura(bool Value)
{
    if (m_controlesLeitura.isEmpty()) {
        // The input controls are fixed once the window is built.
        const QList<QWidget *> all = findChildren<QWidget *>();
        for (QWidget *w : all) {
            if (Tag(w) != 1)
                continue;
            if (qobject_cast<TDBEdit *>(w) || qobject_cast<TDateEditPlus *>(w)
                || qobject_cast<QToolButton *>(w) || qobject_cast<TDBLookupComboBox *>(w)
                || qobject_cast<TDBCheckBox *>(w) || qobject_cast<TDBGrid *>(w))
                m_controlesLeitura.append(w);
        }
    }
    for (const QPointer<QWidget> &w : std::as_const(m_controlesLeitura)) {
        if (!w)
            continue;
        if (auto *grade = qobject_cast<TDBGrid *>(w.data())) {
            grade->SetRowSelect(Value);
            grade->SetEditing(!Value);
        } else {
            w->setEnabled(!Value);
        }
    }
    boModoLeitura = Value;
}

// --- 10. commands ------------------------------------------------------------------------------

void TfrmCTe::DataStateChanged()
{
    if (!m_estadoLigado)
        return;
    TfrmPadrao::DataStateChanged();
    AtualizaComandos();
}

void TfrmCTe::AtualizaComandos()
{
    TEditorSituation s;
    s.state = dtsPadrao->State();
    s.open = cdsCTe->Active();
    s.empty = cdsCTe->IsEmpty();
    s.marked = inCount != 0;
    s.status = campo(cdsCTe, u"IDSTATUSCTE"_s);
    s.accessKey = campo(cdsCTe, u"NRACESSOCTE"_s);
    const QMap<QString, bool> on = EditorCommandStates(s);

    const auto acao = [&on](QAction *a, const QString &name) {
        if (a)
            a->setEnabled(on.value(name));
    };
    acao(mnuIncluir, u"mnuIncluir"_s);
    acao(mnuAlterar, u"mnuAlterar"_s);
    acao(mnuExcluir, u"mnuExcluir"_s);
    acao(mnuProcurar, u"mnuProcurar"_s);
    acao(mnuVerificar, u"mnuVerificar"_s);
    acao(mnuCancelar, u"mnuCancelar"_s);
    acao(mnuConfirmar, u"mnuConfirmar"_s);
    acao(mnuTransCTe, u"mnuTransCTe"_s);
    acao(mnuAtualizaLoteCTe, u"mnuAtualizaLoteCTe"_s);
    acao(mnuCancelaCTe, u"mnuCancelaCTe"_s);
    acao(mnuCartaCorrecaoCTe, u"mnuCartaCorrecaoCTe"_s);
    acao(actEnviaEmailCTe, u"mnuEnviaEmailCTe"_s);
    acao(mnuEnviaEmailCTe->menuAction(), u"mnuEnviaEmailCTe"_s);
    acao(mnuEnviaEmailCTeSeleMenu, u"mnuEnviaEmailCTeSeleMenu"_s);
    acao(mnuEnviaEmailCTeSeleBotao, u"mnuEnviaEmailCTeSeleBotao"_s);
    acao(mnuImprimir, u"mnuImprimir"_s);
    acao(mnuListagem, u"mnuListagem"_s);
    acao(mnuFormulario, u"mnuFormulario"_s);
    sbtImprimir->setEnabled(on.value(u"mnuImprimir"_s));
    // Like the list page: the filter reloads the list and the company panel closes it, so
    // neither is offered while a document is being edited or inserted.
    const bool editando = s.state == dsEdit || s.state == dsInsert;
    mnuFiltrar->setEnabled(!editando);
    panEmpresa->setEnabled(!editando);
    pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshFolhaDados), on.value(u"tshFolhaDados"_s));
    pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshFormulario), on.value(u"tshFormulario"_s));
    AtualizaColunasChave();
}

void TfrmCTe::AtualizaColunasChave()
{
    const QList<QPair<TDBGrid *, QString>> chaves {{dbgCompValorPrestacao, u"CDCOMPVRPREST"_s},
                                                   {dbgDocFiscais, u"NRACESSONFE"_s}};
    for (const auto &[grade, chave] : chaves) {
        TClientDataSet *cds = grade->DataSet();
        if (!cds)
            continue;
        const bool readOnly = KeyColumnReadOnly(cds->State(), cds->IsEmpty());
        QList<TColumn> colunas = grade->Columns();
        bool mudou = false;
        for (TColumn &c : colunas) {
            if (c.FieldName == chave && c.ReadOnly != readOnly) {
                c.ReadOnly = readOnly;
                mudou = true;
            }
        }
        if (mudou)
            grade->SetColumns(colunas);
    }
}

// --- 11. section page change -------------------------------------------------------------------

void TfrmCTe::pgcDadosChange()
{
    if (pgcDados->currentWidget() != tshTotais)
        return;
    Vd_Emitente(true);
    Vd_Tomador(true, campo(cdsCTe, u"IDCADTOMADOR"_s));
    if (!boModoLeitura)
        dbeCdServPrestado->setFocus(Qt::OtherFocusReason);
}

// --- 12. emission-date range -------------------------------------------------------------------

void TfrmCTe::Vd_DataEmissao()
{
    // The texts are the filter's.
    const TMessages *textos
        = Cli_Dfs88100::frmFiltroCTe ? Cli_Dfs88100::frmFiltroCTe->msgPadrao : msgPadrao;
    if (depEmissaoIni->IsEmpty() || depEmissaoFim->IsEmpty()) {
        depEmissaoIni->setFocus(Qt::OtherFocusReason);
        MensErro(textos->Msg(u"DATA_EMISSAO_DEVE"_s));
    }
    depEmissaoIni->CheckValidDate();
    depEmissaoFim->CheckValidDate();
    if (depEmissaoFim->GetDate() < depEmissaoIni->GetDate()) {
        depEmissaoIni->setFocus(Qt::OtherFocusReason);
        MensErro(textos->Msg(u"DATA_INI_MAIOR"_s));
    }
}
