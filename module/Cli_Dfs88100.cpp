#include "Cli_Dfs88100.h"

#include "ADOIBQuery.h"
#include "BtnPesquisa.h"
#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "DataSource.h"
#include "DateEditPlus.h"
#include "Exceptions.h"
#include "HostWindow.h"
#include "Lookup.h"
#include "Masks.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "Orvglob.h"
#include "Screen.h"
#include "StrUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88100 {

QPointer<TfrmFiltroCTe> frmFiltroCTe;
bool boConfirma = false;
bool boActive = false;
QString stListaTipoOper;
QString stCdClienteToma, stIdTpIJurClieToma, stCdFornecedorToma, stIdTpIJurFornToma;
QString stCdClienteReme, stIdTpIJurClieReme, stCdFornecedorReme, stIdTpIJurFornReme;
QString stCdClienteExpe, stIdTpIJurClieExpe, stCdFornecedorExpe, stIdTpIJurFornExpe;
QString stCdClienteRece, stIdTpIJurClieRece, stCdFornecedorRece, stIdTpIJurFornRece;
QString stCdClienteDest, stIdTpIJurClieDest, stCdFornecedorDest, stIdTpIJurFornDest;

namespace {
std::function<QString()> &companySource()
{
    static std::function<QString()> source;
    return source;
}
} // namespace

bool CriaFiltroCTe()
{
    const Screen::HourGlass ampulheta;
    if (!frmFiltroCTe)
        frmFiltroCTe = new TfrmFiltroCTe(HostMainWindow());
    frmFiltroCTe->ShowModal();
    return boConfirma;
}

void SetCompanySource(std::function<QString()> source)
{
    companySource() = std::move(source);
}

QString CodigoEmpresa()
{
    return companySource() ? companySource()() : Orvglob::EmprProc;
}

void ResetUnit()
{
    delete frmFiltroCTe.data();
    frmFiltroCTe = nullptr;
    boConfirma = false;
    boActive = false;
    companySource() = {};
    for (QString *s :
         {&stListaTipoOper,    &stCdClienteToma, &stIdTpIJurClieToma, &stCdFornecedorToma,
          &stIdTpIJurFornToma, &stCdClienteReme, &stIdTpIJurClieReme, &stCdFornecedorReme,
          &stIdTpIJurFornReme, &stCdClienteExpe, &stIdTpIJurClieExpe, &stCdFornecedorExpe,
          &stIdTpIJurFornExpe, &stCdClienteRece, &stIdTpIJurClieRece, &stCdFornecedorRece,
          &stIdTpIJurFornRece, &stCdClienteDest, &stIdTpIJurClieDest, &stCdFornecedorDest,
          &stIdTpIJurFornDest})
        s->clear();
}

} // namespace Cli_Dfs88100

using namespace Cli_Dfs88100;

namespace {

// Up to 16 digits, stored without blanks.
const QString kMascaraInscrEstad = u"9999999999999999;0; "_s;

// A focus move that only visits another window (message box, look-up list, the window being
// activated again) is not a move between the window's controls.
bool entreJanelas(const QFocusEvent *event)
{
    return event->reason() == Qt::ActiveWindowFocusReason
        || event->reason() == Qt::PopupFocusReason;
}

QLabel *rotulo(QWidget *parent, const QString &text, const QString &name = {})
{
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

} // namespace

// --- TEditFiltro -------------------------------------------------------------------------------

TEditFiltro::TEditFiltro(QWidget *parent, const QString &name)
    : QLineEdit(parent)
{
    setObjectName(name);
}

void TEditFiltro::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // The control that has the focus when the window opens is entered by the window's activation.
    if (m_entered)
        return;
    m_entered = true;
    if (OnEnter)
        FrameworkGuard(OnEnter);
}

void TEditFiltro::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Only an edit the focus entered is left (a refused exit may hand the focus back before the
    // control it was going to ever saw it).
    if (entreJanelas(event) || !m_entered)
        return;
    m_entered = false;
    if (OnExit && !FrameworkGuard(OnExit)) {
        m_entered = true;
        setFocus(Qt::OtherFocusReason);
    }
}

// --- creation ----------------------------------------------------------------------------------

TfrmFiltroCTe::TfrmFiltroCTe(QWidget *parent)
    : TfrmRotiGeral(parent)
{
    setObjectName(u"frmFiltroCTe"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88100_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    SetCodTela(QString::fromUtf16(kCodTela));
    criaConsultas();
    criaControles();

    boConfirma = false;
    Atualiza_Datas();
    CarregaInscrEstad();
    for (TParteFiltro &parte : m_partes) {
        const QSignalBlocker block(parte.cbbSel);
        parte.cbbSel->setCurrentIndex(selTodos);
        parte.nbk->setCurrentIndex(selTodos);
    }
    cbbIdOperacao->setCurrentIndex(0);
    rdgTodosTipoOper->setChecked(true);
    btpTipoOper->setEnabled(false);
    stListaTipoOper.clear();
    for (QCheckBox *chb :
         {chbAceito, chbCancelado, chbDenegado, chbPendente, chbRejeitado, chbTransmitido})
        chb->setChecked(true);
    GravaFiltro(false);
}

void TfrmFiltroCTe::criaConsultas()
{
    qryPesqInscrEstad = new TADOIBQuery(this, u"qryPesqInscrEstad"_s);
    qryPesqInscrEstad->SetSQL(u"SELECT CDINSCESTA, NRINSJURIEST, IDTPIJURIEST FROM INSCRESTAD "
                              "WHERE CDEMPRESA = :P_CDEMPRESA ORDER BY CDINSCESTA"_s);
    qryInscrEstad = new TADOIBQuery(this, u"qryInscrEstad"_s);
    qryInscrEstad->SetSQL(u"SELECT CDINSCESTA, NRINSJURIEST, IDTPIJURIEST FROM INSCRESTAD "
                          "WHERE CDEMPRESA = :P_CDEMPRESA AND CDINSCESTA = :P_CDINSCESTA"_s);
    qryPesqTipoOperac = new TADOIBQuery(this, u"qryPesqTipoOperac"_s);
    qryPesqTipoOperac->SetSQL(
        u"SELECT IDENTRSAIDOP, CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP||CDTIPOOPER AS CHAVE "
        "FROM TIPOOPERAC WHERE IDENTRSAIDOP = :P_IDENTRSAIDOP ORDER BY CDTIPOOPER"_s);
    qryCliente = new TADOIBQuery(this, u"qryCliente"_s);
    qryCliente->SetSQL(u"SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE FROM CLIENTE "
                       "WHERE CDCLIENTE = COALESCE(:P_CDCLIENTE, CDCLIENTE) "
                       "AND NRINSJURCLIE = COALESCE(:P_NRINSJURCLIE, NRINSJURCLIE)"_s);
    qryFornecedor = new TADOIBQuery(this, u"qryFornecedor"_s);
    qryFornecedor->SetSQL(
        u"SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN FROM FORNECEDOR "
        "WHERE CDFORNECED = COALESCE(:P_CDFORNECED, CDFORNECED) "
        "AND NRINSJURFORN = COALESCE(:P_NRINSJURFORN, NRINSJURFORN)"_s);
    qryPesqCliente = new TADOIBQuery(this, u"qryPesqCliente"_s);
    qryPesqCliente->SetSQL(u"SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE, "
                           "NMFANTCLIE FROM CLIENTE ORDER BY NRINSJURCLIE"_s);
    qryPesqFornecedor = new TADOIBQuery(this, u"qryPesqFornecedor"_s);
    qryPesqFornecedor->SetSQL(u"SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, "
                              "NMFANTFORN FROM FORNECEDOR ORDER BY NRINSJURFORN"_s);

    auto lista = [this](TClientDataSet *&cds, TDataSource *&dts, const QString &name) {
        cds = new TClientDataSet(this, u"cds"_s + name);
        dts = new TDataSource(this, u"dts"_s + name);
        dts->SetDataSet(cds);
    };
    lista(m_cdsPesqInscrEstad, dtsPesqInscrEstad, u"PesqInscrEstad"_s);
    lista(m_cdsPesqTipoOperac, dtsPesqTipoOperac, u"PesqTipoOperac"_s);
    lista(m_cdsPesqCliente, dtsPesqCliente, u"PesqCliente"_s);
    lista(m_cdsPesqFornecedor, dtsPesqFornecedor, u"PesqFornecedor"_s);
}

void TfrmFiltroCTe::criaControles()
{
    QWidget *client = Client();

    // State registration.
    auto *linhaIE = new QHBoxLayout;
    QLabel *lblIE = rotulo(client, msgPadrao->Msg(u"ROT_INSCR_ESTAD"_s), u"lblInscrEstad"_s);
    QFont bold = lblIE->font();
    bold.setBold(true);
    lblIE->setFont(bold);
    medInscrEstad = new TEditFiltro(client, u"medInscrEstad"_s);
    medInscrEstad->setInputMask(TEditMask::Parse(kMascaraInscrEstad).ToQtInputMask());
    StyleAsInput(medInscrEstad);
    medInscrEstad->setMinimumWidth(
        medInscrEstad->fontMetrics().horizontalAdvance(u"00000000000000000"_s) + 8);
    medInscrEstad->OnExit = [this] {
        medInscrEstadExit();
    };
    btnInscrEstad = new TBtnPesquisa(client, u"btnInscrEstad"_s);
    btnInscrEstad->DataSource = dtsPesqInscrEstad;
    btnInscrEstad->Title = msgPadrao->Msg(u"PESQ_INSCR_ESTAD"_s);
    btnInscrEstad->OnBeforePesq = [this](TBtnPesquisa *sender, bool &allow) {
        btnInscrEstadBeforePesq(sender, allow);
    };
    btnInscrEstad->OnAfterPesq = [this](TBtnPesquisa *sender) {
        btnInscrEstadAfterPesq(sender);
    };
    linhaIE->addWidget(lblIE);
    linhaIE->addWidget(medInscrEstad);
    linhaIE->addWidget(btnInscrEstad);
    linhaIE->addStretch(1);
    ClientLayout()->addLayout(linhaIE);

    // The five parties, in the order of the list load's roles.
    m_partes[ptReme] = criaParte(u"Reme"_s, u"REMETENTE"_s);
    m_partes[ptExpe] = criaParte(u"Expe"_s, u"EXPEDIDOR"_s);
    m_partes[ptRece] = criaParte(u"Rece"_s, u"RECEBEDOR"_s);
    m_partes[ptDest] = criaParte(u"Dest"_s, u"DESTINATARIO"_s);
    m_partes[ptToma] = criaParte(u"Toma"_s, u"TOMADOR"_s);
    m_partes[ptReme].grb->setObjectName(u"grbRemetente"_s);
    m_partes[ptExpe].grb->setObjectName(u"grbExpedidor"_s);
    m_partes[ptRece].grb->setObjectName(u"grbRecebedor"_s);
    m_partes[ptDest].grb->setObjectName(u"grbDestinatario"_s);
    m_partes[ptToma].grb->setObjectName(u"grbTomador"_s);
    m_partes[ptReme].nbk->setObjectName(u"nbkRemetente"_s);
    m_partes[ptExpe].nbk->setObjectName(u"nbkExpedidor"_s);
    m_partes[ptRece].nbk->setObjectName(u"nbkRecebedor"_s);
    m_partes[ptDest].nbk->setObjectName(u"nbkDestinatario"_s);
    m_partes[ptToma].nbk->setObjectName(u"nbkTomador"_s);
    struct Campos
    {
        int TRecordFilter::*sel;
        QString TRecordFilter::*cliente;
        QString TRecordFilter::*fornecedor;
        QString *stCdCliente, *stIdTpIJurClie, *stCdFornecedor, *stIdTpIJurForn;
    };
    const Campos campos[] = {
        {&TRecordFilter::RecSelRemetente, &TRecordFilter::RecCdClienteReme,
         &TRecordFilter::RecCdFornecedorReme, &stCdClienteReme, &stIdTpIJurClieReme,
         &stCdFornecedorReme, &stIdTpIJurFornReme},
        {&TRecordFilter::RecSelExpedidor, &TRecordFilter::RecCdClienteExpe,
         &TRecordFilter::RecCdFornecedorExpe, &stCdClienteExpe, &stIdTpIJurClieExpe,
         &stCdFornecedorExpe, &stIdTpIJurFornExpe},
        {&TRecordFilter::RecSelRecebedor, &TRecordFilter::RecCdClienteRece,
         &TRecordFilter::RecCdFornecedorRece, &stCdClienteRece, &stIdTpIJurClieRece,
         &stCdFornecedorRece, &stIdTpIJurFornRece},
        {&TRecordFilter::RecSelDestinatario, &TRecordFilter::RecCdClienteDest,
         &TRecordFilter::RecCdFornecedorDest, &stCdClienteDest, &stIdTpIJurClieDest,
         &stCdFornecedorDest, &stIdTpIJurFornDest},
        {&TRecordFilter::RecSelTomador, &TRecordFilter::RecCdClienteToma,
         &TRecordFilter::RecCdFornecedorToma, &stCdClienteToma, &stIdTpIJurClieToma,
         &stCdFornecedorToma, &stIdTpIJurFornToma},
    };
    auto *partes = new QGridLayout;
    for (int i = 0; i < int(m_partes.size()); ++i) {
        TParteFiltro &parte = m_partes[size_t(i)];
        const Campos &c = campos[i];
        parte.recSel = c.sel;
        parte.recCdCliente = c.cliente;
        parte.recCdFornecedor = c.fornecedor;
        parte.cliente.stCd = c.stCdCliente;
        parte.cliente.stIdTpIJur = c.stIdTpIJurClie;
        parte.fornecedor.stCd = c.stCdFornecedor;
        parte.fornecedor.stIdTpIJur = c.stIdTpIJurForn;
        partes->addWidget(parte.grb, i, 0);
    }
    ClientLayout()->addLayout(partes);

    // Issue dates.
    auto *baixo = new QHBoxLayout;
    auto *grbData = new QGroupBox(msgPadrao->Msg(u"GRB_DATA_EMISSAO"_s), client);
    grbData->setObjectName(u"grbDataEmissao"_s);
    auto *datas = new QGridLayout(grbData);
    depEmissaoIni = new TDateEditPlus(grbData, u"depEmissaoIni"_s);
    depEmissaoFim = new TDateEditPlus(grbData, u"depEmissaoFim"_s);
    for (TDateEditPlus *dep : {depEmissaoIni, depEmissaoFim}) {
        StyleAsInput(dep);
        dep->setMinimumWidth(dep->fontMetrics().horizontalAdvance(u"00/00/00000"_s) + 32);
    }
    datas->addWidget(rotulo(grbData, msgPadrao->Msg(u"ROT_INICIAL"_s)), 0, 0);
    datas->addWidget(depEmissaoIni, 1, 0);
    datas->addWidget(rotulo(grbData, msgPadrao->Msg(u"ROT_FINAL"_s)), 0, 1);
    datas->addWidget(depEmissaoFim, 1, 1);
    baixo->addWidget(grbData);

    // Operation types.
    auto *grbTipo = new QGroupBox(msgPadrao->Msg(u"GRB_TIPO_OPERAC"_s), client);
    grbTipo->setObjectName(u"grbTipoOperac"_s);
    auto *tipos = new QHBoxLayout(grbTipo);
    cbbIdOperacao = new QComboBox(grbTipo);
    cbbIdOperacao->setObjectName(u"cbbIdOperacao"_s);
    cbbIdOperacao->addItems({msgPadrao->Msg(u"SAIDA"_s), msgPadrao->Msg(u"ENTRADA"_s)});
    cbbIdOperacao->setEnabled(false);
    rdgTodosTipoOper = new QRadioButton(msgPadrao->Msg(u"ROT_TODOS"_s), grbTipo);
    rdgTodosTipoOper->setObjectName(u"rdgTodosTipoOper"_s);
    rdgListaTipoOper = new QRadioButton(msgPadrao->Msg(u"ROT_LISTA"_s), grbTipo);
    rdgListaTipoOper->setObjectName(u"rdgListaTipoOper"_s);
    btpTipoOper = new QToolButton(grbTipo);
    btpTipoOper->setObjectName(u"btpTipoOper"_s);
    btpTipoOper->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    btpTipoOper->setToolTip(msgPadrao->Msg(u"TIPO_OPERAC"_s));
    connect(rdgTodosTipoOper, &QRadioButton::clicked, this,
            [this] { FrameworkGuard([this] { rdgTodosTipoOperClick(); }); });
    connect(rdgListaTipoOper, &QRadioButton::clicked, this,
            [this] { FrameworkGuard([this] { rdgListaTipoOperClick(); }); });
    connect(btpTipoOper, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { btpTipoOperClick(); }); });
    tipos->addWidget(cbbIdOperacao);
    tipos->addWidget(rdgTodosTipoOper);
    tipos->addWidget(rdgListaTipoOper);
    tipos->addWidget(btpTipoOper);
    baixo->addWidget(grbTipo);

    // Situations.
    auto *grbSit = new QGroupBox(msgPadrao->Msg(u"GRB_SITUACAO"_s), client);
    grbSit->setObjectName(u"grbSituacao"_s);
    auto *sits = new QGridLayout(grbSit);
    auto situacao = [&](QCheckBox *&chb, const QString &name, const QString &key, int at) {
        chb = new QCheckBox(msgPadrao->Msg(key), grbSit);
        chb->setObjectName(name);
        sits->addWidget(chb, at / 3, at % 3);
    };
    situacao(chbAceito, u"chbAceito"_s, u"SIT_ACEITO"_s, 0);
    situacao(chbCancelado, u"chbCancelado"_s, u"SIT_CANCELADO"_s, 1);
    situacao(chbDenegado, u"chbDenegado"_s, u"SIT_DENEGADO"_s, 2);
    situacao(chbPendente, u"chbPendente"_s, u"SIT_PENDENTE"_s, 3);
    situacao(chbRejeitado, u"chbRejeitado"_s, u"SIT_REJEITADO"_s, 4);
    situacao(chbTransmitido, u"chbTransmitido"_s, u"SIT_TRANSMITIDO"_s, 5);
    baixo->addWidget(grbSit);
    ClientLayout()->addLayout(baixo);
    ClientLayout()->addStretch(1);
}

void TfrmFiltroCTe::carregaLista(TADOIBQuery *qry, TClientDataSet *cds)
{
    qry->Close();
    qry->Open();
    cds->LoadFromPacket(qry->ToPacket());

    struct Coluna
    {
        const char16_t *campo;
        const char16_t *rotulo;
        int largura; // characters
        bool visivel;
    };
    auto colunas = [&](std::initializer_list<Coluna> list) {
        for (const Coluna &c : list) {
            TField *f = cds->FieldByName(QString::fromUtf16(c.campo));
            f->SetDisplayLabel(msgPadrao->Msg(QString::fromUtf16(c.rotulo)));
            if (c.largura > 0)
                f->SetDisplayWidth(c.largura);
            f->SetVisible(c.visivel);
        }
    };
    // The registration of a row through the mask of the row's own person type.
    auto inscricaoFormatada = [](const QString &tipoCampo) {
        return [tipoCampo](TField *sender, QString &text, bool) {
            TClientDataSet *ds = sender->DataSet();
            text = ds->IsEmpty() ? QString()
                                 : FormatMaskText(PictPess(ds->FieldByName(tipoCampo)->AsString()),
                                                  sender->AsString());
        };
    };
    auto tipoPessoa = [this](TField *sender, QString &text, bool) {
        text = sender->DataSet()->IsEmpty() ? QString()
                                            : msgPadrao->Msg(u"TIPO_"_s + sender->AsString());
    };

    if (cds == m_cdsPesqInscrEstad) {
        colunas({{u"CDINSCESTA", u"COL_INSCR_ESTAD", 16, true},
                 {u"NRINSJURIEST", u"COL_INSCR_JURIDICA", 20, true},
                 {u"IDTPIJURIEST", u"COL_TIPO", 0, false}});
        cds->FieldByName(u"NRINSJURIEST"_s)->OnGetText = inscricaoFormatada(u"IDTPIJURIEST"_s);
    } else if (cds == m_cdsPesqTipoOperac) {
        colunas({{u"IDENTRSAIDOP", u"COL_ENTR_SAIDA", 1, true},
                 {u"CDTIPOOPER", u"COL_CODIGO", 2, true},
                 {u"NMTIPOOPER", u"COL_NOME", 30, true},
                 {u"CHAVE", u"COL_CHAVE", 3, false}});
        cds->FieldByName(u"IDENTRSAIDOP"_s)->OnGetText
            = [this](TField *sender, QString &text, bool) {
                  if (sender->DataSet()->IsEmpty())
                      text.clear();
                  else
                      text = msgPadrao->Msg(sender->AsString() == u"E" ? u"ENTRADA"_s : u"SAIDA"_s);
              };
    } else if (cds == m_cdsPesqCliente) {
        colunas({{u"CDCLIENTE", u"COL_CODIGO", 25, true},
                 {u"IDTPIJURCLIE", u"COL_TIPO", 14, true},
                 {u"NRINSJURCLIE", u"COL_INSCRICAO", 20, true},
                 {u"NMRAZSOCCLIE", u"COL_RAZAO_SOCIAL", 50, true},
                 {u"NMFANTCLIE", u"COL_NOME_FANTASIA", 50, true}});
        cds->FieldByName(u"IDTPIJURCLIE"_s)->OnGetText = tipoPessoa;
        cds->FieldByName(u"NRINSJURCLIE"_s)->OnGetText = inscricaoFormatada(u"IDTPIJURCLIE"_s);
    } else if (cds == m_cdsPesqFornecedor) {
        colunas({{u"CDFORNECED", u"COL_CODIGO", 25, true},
                 {u"IDTPIJURFORN", u"COL_TIPO", 14, true},
                 {u"NRINSJURFORN", u"COL_INSCRICAO", 20, true},
                 {u"NMRAZSOCFORN", u"COL_RAZAO_SOCIAL", 40, true},
                 {u"NMFANTFORN", u"COL_NOME_FANTASIA", 40, true}});
        cds->FieldByName(u"IDTPIJURFORN"_s)->OnGetText = tipoPessoa;
        cds->FieldByName(u"NRINSJURFORN"_s)->OnGetText = inscricaoFormatada(u"IDTPIJURFORN"_s);
    }
}

void TfrmFiltroCTe::Atualiza_Datas()
{
    depEmissaoIni->SetDate(PriDiaMes(Orvglob::DataProc));
    depEmissaoFim->SetDate(Orvglob::DataProc);
}

void TfrmFiltroCTe::CarregaInscrEstad()
{
    qryPesqInscrEstad->Close();
    qryPesqInscrEstad->ParamByName(u"P_CDEMPRESA"_s).SetAsString(CodigoEmpresa());
    qryPesqInscrEstad->Open();
    medInscrEstad->setText(qryPesqInscrEstad->RecordCount() == 1
                               ? qryPesqInscrEstad->FieldByName(u"CDINSCESTA"_s).AsString()
                               : QString());
}

void TfrmFiltroCTe::GravaFiltro(bool comCodigos)
{
    Filtro.RecCdInscEsta = medInscrEstad->text().trimmed();
    for (TParteFiltro &parte : m_partes) {
        const int sel = parte.cbbSel->currentIndex();
        Filtro.*parte.recSel = sel;
        // A client or supplier criterion left empty selects any party of that register: its
        // codes go empty, not the party last found in the role.
        const bool vazio = (sel == selCliente && inscricaoDe(parte.cliente.med).isEmpty())
            || (sel == selFornecedor && inscricaoDe(parte.fornecedor.med).isEmpty());
        const bool codigos = comCodigos && !vazio;
        Filtro.*parte.recCdCliente = codigos ? *parte.cliente.stCd : QString();
        Filtro.*parte.recCdFornecedor = codigos ? *parte.fornecedor.stCd : QString();
    }
    Filtro.RecDataSaidIni = depEmissaoIni->GetDate();
    Filtro.RecDataSaidFim = depEmissaoFim->GetDate();
    Filtro.RecIdTipoOperac = cbbIdOperacao->currentIndex();
    Filtro.RecTodosTipoOper = rdgTodosTipoOper->isChecked();
    Filtro.RecListaTipoOper = stListaTipoOper;
    Filtro.RecSitAceito = chbAceito->isChecked();
    Filtro.RecSitCancelado = chbCancelado->isChecked();
    Filtro.RecSitDenegado = chbDenegado->isChecked();
    Filtro.RecSitPendente = chbPendente->isChecked();
    Filtro.RecSitRejeitado = chbRejeitado->isChecked();
    Filtro.RecSitTransmitido = chbTransmitido->isChecked();
}

// --- visits ------------------------------------------------------------------------------------

void TfrmFiltroCTe::FormShow()
{
    boConfirma = false;
    boActive = true;
    medInscrEstad->setText(Filtro.RecCdInscEsta);
    for (TParteFiltro &parte : m_partes) {
        const int sel = Filtro.*parte.recSel;
        {
            const QSignalBlocker block(parte.cbbSel);
            parte.cbbSel->setCurrentIndex(sel);
        }
        parte.nbk->setCurrentIndex(sel);
        RestauraParte(parte);
    }
    depEmissaoIni->SetDate(Filtro.RecDataSaidIni);
    depEmissaoFim->SetDate(Filtro.RecDataSaidFim);
    cbbIdOperacao->setCurrentIndex(Filtro.RecIdTipoOperac);
    if (Filtro.RecTodosTipoOper) {
        rdgTodosTipoOper->setChecked(true);
        btpTipoOper->setEnabled(false);
    } else {
        rdgListaTipoOper->setChecked(true);
        btpTipoOper->setEnabled(true);
        stListaTipoOper = Filtro.RecListaTipoOper;
    }
    chbAceito->setChecked(Filtro.RecSitAceito);
    chbCancelado->setChecked(Filtro.RecSitCancelado);
    chbDenegado->setChecked(Filtro.RecSitDenegado);
    chbPendente->setChecked(Filtro.RecSitPendente);
    chbRejeitado->setChecked(Filtro.RecSitRejeitado);
    chbTransmitido->setChecked(Filtro.RecSitTransmitido);
    medInscrEstad->setFocus(Qt::OtherFocusReason);
}

void TfrmFiltroCTe::FormClose(TCloseAction &action)
{
    boActive = false;
    action = caHide;
}

void TfrmFiltroCTe::sbtConfirmaClick()
{
    // Only a Confirm that passes every check is a confirmation: one that failed, followed by
    // closing the window, reports false.
    boConfirma = false;
    depEmissaoIni->CheckValidDate();
    depEmissaoFim->CheckValidDate();
    Vd_DataEmissao();
    Vd_InscrEstad(true);
    for (TParteFiltro &parte : m_partes) {
        const int sel = parte.cbbSel->currentIndex();
        if (sel == selCliente)
            Vd_Cadastro(parte.cliente, false, false);
        else if (sel == selFornecedor)
            Vd_Cadastro(parte.fornecedor, true, false);
    }
    Vd_TipoOperac();
    Vd_Situacao();
    boConfirma = true;
    GravaFiltro(true);
    SetModalResult(Accepted);
}

void TfrmFiltroCTe::sbtCancelClick()
{
    TfrmRotiGeral::sbtCancelClick();
    boConfirma = false;
}

// --- state registration ------------------------------------------------------------------------

void TfrmFiltroCTe::Vd_InscrEstad(bool boTestaVazio)
{
    const QString inscricao = medInscrEstad->text().trimmed();
    if (inscricao.isEmpty()) {
        if (boTestaVazio) {
            medInscrEstad->setFocus(Qt::OtherFocusReason);
            MensErro(msgPadrao->Msg(u"IE_DEVE"_s));
        }
        return;
    }
    try {
        qryInscrEstad->Close();
        qryInscrEstad->ParamByName(u"P_CDEMPRESA"_s).SetAsString(CodigoEmpresa());
        qryInscrEstad->ParamByName(u"P_CDINSCESTA"_s).SetAsString(inscricao);
        qryInscrEstad->Open();
        if (qryInscrEstad->IsEmpty())
            MensErro(msgPadrao->Msg(u"IE_N_CAD"_s));
        medInscrEstad->setText(qryInscrEstad->FieldByName(u"CDINSCESTA"_s).AsString());
    } catch (...) {
        medInscrEstad->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

void TfrmFiltroCTe::medInscrEstadExit()
{
    Vd_InscrEstad(false);
}

void TfrmFiltroCTe::btnInscrEstadBeforePesq(TBtnPesquisa *, bool &)
{
    qryPesqInscrEstad->ParamByName(u"P_CDEMPRESA"_s).SetAsString(CodigoEmpresa());
    carregaLista(qryPesqInscrEstad, m_cdsPesqInscrEstad);
}

void TfrmFiltroCTe::btnInscrEstadAfterPesq(TBtnPesquisa *)
{
    medInscrEstad->setText(m_cdsPesqInscrEstad->FieldByName(u"CDINSCESTA"_s)->AsString());
}

// --- dates, operation types, situations --------------------------------------------------------

void TfrmFiltroCTe::Vd_DataEmissao()
{
    if (depEmissaoIni->IsEmpty() || depEmissaoFim->IsEmpty()) {
        depEmissaoIni->setFocus(Qt::OtherFocusReason);
        MensErro(msgPadrao->Msg(u"DATA_EMISSAO_DEVE"_s));
    }
    if (depEmissaoFim->GetDate() < depEmissaoIni->GetDate()) {
        depEmissaoIni->setFocus(Qt::OtherFocusReason);
        MensErro(msgPadrao->Msg(u"DATA_INI_MAIOR"_s));
    }
}

void TfrmFiltroCTe::rdgTodosTipoOperClick()
{
    btpTipoOper->setEnabled(!rdgTodosTipoOper->isChecked());
}

void TfrmFiltroCTe::rdgListaTipoOperClick()
{
    btpTipoOper->setEnabled(rdgListaTipoOper->isChecked());
}

void TfrmFiltroCTe::btpTipoOperClick()
{
    qryPesqTipoOperac->Close();
    qryPesqTipoOperac->ParamByName(u"P_IDENTRSAIDOP"_s).SetAsString(u"S"_s);
    carregaLista(qryPesqTipoOperac, m_cdsPesqTipoOperac);
    PesquisaLista(dtsPesqTipoOperac, u"CHAVE"_s, msgPadrao->Msg(u"TIPO_OPERAC"_s), false,
                  stListaTipoOper);
}

void TfrmFiltroCTe::Vd_TipoOperac()
{
    if (rdgListaTipoOper->isChecked() && stListaTipoOper.isEmpty()) {
        rdgListaTipoOper->setFocus(Qt::OtherFocusReason);
        MensErro(msgPadrao->Msg(u"TIPO_OPERAC_DEVE"_s));
    }
}

void TfrmFiltroCTe::Vd_Situacao()
{
    for (const QCheckBox *chb :
         {chbAceito, chbCancelado, chbDenegado, chbPendente, chbRejeitado, chbTransmitido}) {
        if (chb->isChecked())
            return;
    }
    chbAceito->setFocus(Qt::OtherFocusReason);
    MensErro(msgPadrao->Msg(u"SITUACAO_DEVE"_s));
}
