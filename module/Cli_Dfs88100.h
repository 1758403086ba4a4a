#pragma once

#include "SelectionExpression.h"
#include "TfrmRotiGeral.h"

#include <QLineEdit>
#include <QPointer>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class TADOIBQuery;
class TBtnPesquisa;
class TClientDataSet;
class TDataSource;
class TDateEditPlus;

// An edit of the filter with enter and exit handlers. The exit runs when the focus moves to another
// control of the window, not when another window (a message box, a look-up list) takes it for a
// while; the enter runs once per stay. An exit handler that raises keeps the focus in the edit.
class TEditFiltro : public QLineEdit
{
    Q_OBJECT
public:
    explicit TEditFiltro(QWidget *parent, const QString &name);

    std::function<void()> OnEnter;
    std::function<void()> OnExit;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_entered = false;
};

// The filter of the editor's list: created once, hidden on close, keeps the last confirmed
// criteria in Filtro (what the editor's list load sends, see SelectionArguments). A visit shows
// the confirmed criteria again, whatever was edited in a visit that was cancelled.
//
// Confirm runs the checks in a fixed order (dates, state registration, parties, operation types,
// situations); a failing check raises the framework error, leaves the focus on the control to
// correct and keeps Filtro as it was. Only a Confirm that passed every check makes CriaFiltroCTe
// answer true: closing the window after a failed Confirm is a cancel.
//
// Each party role (sender, dispatcher, receiver, recipient, payer) is a client, a supplier or
// anyone. A client or supplier is typed by its registration, shown through the mask of its person
// type while the edit is not focused. A role on client or supplier whose edit is empty sends empty
// codes: the server then selects every document whose party of that role is a client (supplier).
class TfrmFiltroCTe : public TfrmRotiGeral
{
    Q_OBJECT
public:
    explicit TfrmFiltroCTe(QWidget *parent = nullptr);

    // The confirmed criteria; written at creation and by a Confirm that passed every check.
    TRecordFilter Filtro;

    // Checks; each raises MensErro with the focus on the control to correct.
    void Vd_InscrEstad(bool boTestaVazio);
    void Vd_DataEmissao();
    void Vd_TipoOperac();
    void Vd_Situacao();
    void Vd_ClienteReme(bool boTestaVazio);
    void Vd_FornecedorReme(bool boTestaVazio);
    void Vd_ClienteExpe(bool boTestaVazio);
    void Vd_FornecedorExpe(bool boTestaVazio);
    void Vd_ClienteRece(bool boTestaVazio);
    void Vd_FornecedorRece(bool boTestaVazio);
    void Vd_ClienteDest(bool boTestaVazio);
    void Vd_FornecedorDest(bool boTestaVazio);
    void Vd_ClienteToma(bool boTestaVazio);
    void Vd_FornecedorToma(bool boTestaVazio);

    // --- state registration
    TEditFiltro *medInscrEstad = nullptr;
    TBtnPesquisa *btnInscrEstad = nullptr;
    // --- issue dates
    TDateEditPlus *depEmissaoIni = nullptr;
    TDateEditPlus *depEmissaoFim = nullptr;
    // --- operation types
    QComboBox *cbbIdOperacao = nullptr;
    QRadioButton *rdgTodosTipoOper = nullptr;
    QRadioButton *rdgListaTipoOper = nullptr;
    QToolButton *btpTipoOper = nullptr;
    // --- situations
    QCheckBox *chbAceito = nullptr;
    QCheckBox *chbCancelado = nullptr;
    QCheckBox *chbDenegado = nullptr;
    QCheckBox *chbPendente = nullptr;
    QCheckBox *chbRejeitado = nullptr;
    QCheckBox *chbTransmitido = nullptr;
    // --- reference queries and the look-up lists they fill
    TADOIBQuery *qryPesqInscrEstad = nullptr;
    TADOIBQuery *qryInscrEstad = nullptr;
    TADOIBQuery *qryPesqTipoOperac = nullptr;
    TADOIBQuery *qryCliente = nullptr;
    TADOIBQuery *qryFornecedor = nullptr;
    TADOIBQuery *qryPesqCliente = nullptr;
    TADOIBQuery *qryPesqFornecedor = nullptr;
    TDataSource *dtsPesqInscrEstad = nullptr;
    TDataSource *dtsPesqTipoOperac = nullptr;
    TDataSource *dtsPesqCliente = nullptr;
    TDataSource *dtsPesqFornecedor = nullptr;

protected:
    void FormShow() override;
    void FormClose(TCloseAction &action) override;
    void sbtConfirmaClick() override;
    void sbtCancelClick() override;

private:
    // One register (client or supplier) of a party role.
    struct TCadastroParte
    {
        TEditFiltro *med = nullptr;
        TBtnPesquisa *btn = nullptr;
        QLineEdit *edtNm = nullptr;
        QString *stCd = nullptr; // working code: the party last found
        QString *stIdTpIJur = nullptr; // its person type
    };
    // A party role: its selector, notebook and both registers.
    struct TParteFiltro
    {
        QGroupBox *grb = nullptr;
        QComboBox *cbbSel = nullptr;
        QStackedWidget *nbk = nullptr;
        TCadastroParte cliente;
        TCadastroParte fornecedor;
        int TRecordFilter::*recSel = nullptr;
        QString TRecordFilter::*recCdCliente = nullptr;
        QString TRecordFilter::*recCdFornecedor = nullptr;
    };
    enum TIndiceParte { ptReme, ptExpe, ptRece, ptDest, ptToma };

    void criaControles();
    void criaConsultas();
    TParteFiltro criaParte(const QString &suffix, const QString &captionKey);
    TCadastroParte criaCadastro(QWidget *page, const QString &suffix, bool fornecedor);
    // Reopens a look-up query and hands its rows to the list's dataset, with the columns' captions
    // and widths.
    void carregaLista(TADOIBQuery *qry, TClientDataSet *cds);

    void Atualiza_Datas();
    void CarregaInscrEstad();
    void GravaFiltro(bool comCodigos);

    void medInscrEstadExit();
    void btnInscrEstadBeforePesq(TBtnPesquisa *sender, bool &AllowPesq);
    void btnInscrEstadAfterPesq(TBtnPesquisa *sender);
    void rdgTodosTipoOperClick();
    void rdgListaTipoOperClick();
    void btpTipoOperClick();

    // Party criteria (one implementation for the five roles and both registers).
    void cbbSelChange(TParteFiltro &parte);
    void medChange(TCadastroParte &cad);
    void medEnter(TCadastroParte &cad);
    void medExit(TCadastroParte &cad, bool fornecedor);
    void Vd_Cadastro(TCadastroParte &cad, bool fornecedor, bool boTestaVazio);
    void btnCadastroBeforePesq(bool fornecedor);
    void btnCadastroAfterPesq(TCadastroParte &cad, bool fornecedor);
    void RestauraParte(TParteFiltro &parte);
    // Sets or removes an edit's mask with its change handler detached (the name box stays).
    void mudaMascara(QLineEdit *edit, const QString &editMask);
    // The registration typed in a party edit, without the mask's punctuation.
    static QString inscricaoDe(const QLineEdit *edit);

    std::array<TParteFiltro, 5> m_partes;
    TClientDataSet *m_cdsPesqInscrEstad = nullptr;
    TClientDataSet *m_cdsPesqTipoOperac = nullptr;
    TClientDataSet *m_cdsPesqCliente = nullptr;
    TClientDataSet *m_cdsPesqFornecedor = nullptr;
    bool m_mudandoMascara = false;
};

namespace Cli_Dfs88100 {

inline constexpr char16_t kCodTela[] = u"DFS88100";

extern QPointer<TfrmFiltroCTe> frmFiltroCTe;
extern bool boConfirma;
extern bool boActive;
extern QString stListaTipoOper;
extern QString stCdClienteToma, stIdTpIJurClieToma, stCdFornecedorToma, stIdTpIJurFornToma;
extern QString stCdClienteReme, stIdTpIJurClieReme, stCdFornecedorReme, stIdTpIJurFornReme;
extern QString stCdClienteExpe, stIdTpIJurClieExpe, stCdFornecedorExpe, stIdTpIJurFornExpe;
extern QString stCdClienteRece, stIdTpIJurClieRece, stCdFornecedorRece, stIdTpIJurFornRece;
extern QString stCdClienteDest, stIdTpIJurClieDest, stCdFornecedorDest, stIdTpIJurFornDest;

// Shows the filter modally (created on first use); true when the visit ended with a Confirm that
// passed every check.
bool CriaFiltroCTe();

// The editor's company code (P_CDEMPRESA of the filter's queries). The editor sets the source when
// it is created (the text of its medCdEmpresa) and clears it (an empty function) when it closes;
// without a source the host's current company (Orvglob::EmprProc) is used.
void SetCompanySource(std::function<QString()> source);
QString CodigoEmpresa();

// The unit's state at package load; a filter window still alive is released.
void ResetUnit();

} // namespace Cli_Dfs88100
