// The five parties: sender, dispatcher, receiver and recipient are clients or suppliers typed by
// their registration (or picked with F9) and copied from the server's register row; the payer is
// copied from the role its indicator names, or identified like the others when it is "Outros".
#include "Cli_Dfs88000.h"

#include "ADOIBQuery.h"
#include "CTeRecord.h"
#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "FieldDataLink.h"
#include "Lookup.h"
#include "Masks.h"
#include "Messages.h"
#include "NetConnection.h"
#include "PartyCopy.h"
#include "StrUtils.h"

#include <QGroupBox>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;
using namespace contracts::cte;

namespace {

// What differs between the roles, in the order of Partes[1..5].
struct TPapel
{
    const char16_t *deve; // required message
    const char16_t *naoInformado; // the payer's source is missing
    QString *aceita; // the registration last accepted
};

const TPapel &papel(int i)
{
    static const TPapel papeis[] = {
        {u"REMETENTE_DEVE", u"REMETENTE_N_INFORMADO", &stNrInsJurRemeAux},
        {u"EXPEDIDOR_DEVE", u"EXPEDIDOR_N_INFORMADO", &stNrInsJurExpeAux},
        {u"RECEBEDOR_DEVE", u"RECEBEDOR_N_INFORMADO", &stNrInsJurReceAux},
        {u"DESTINATARIO_DEVE", u"DESTINATARIO_N_INFORMADO", &stNrInsJurDestAux},
        {u"TOMADOR_DEVE", nullptr, &stNrInsJurTomaAux},
    };
    return papeis[i - 1];
}

constexpr int kTomador = 5;

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

// --- wiring ------------------------------------------------------------------------------------

void TfrmCTe::criaPapeis()
{
    qryPesqCliente = new TADOIBQuery(this, u"qryPesqCliente"_s);
    qryPesqCliente->SetSQL(u"SELECT CDCLIENTE, NRINSJURCLIE, NMRAZSOCCLIE, NMFANTCLIE, "
                           "IDTPIJURCLIE FROM CLIENTE WHERE IDCLIEATIV = 'S' "
                           "ORDER BY NRINSJURCLIE"_s);
    qryPesqFornecedor = new TADOIBQuery(this, u"qryPesqFornecedor"_s);
    qryPesqFornecedor->SetSQL(u"SELECT CDFORNECED, NRINSJURFORN, NMRAZSOCFORN, NMFANTFORN, "
                              "IDTPIJURFORN FROM FORNECEDOR WHERE IDSITUCADA = 'A' "
                              "ORDER BY NRINSJURFORN"_s);
    cdsPesqCliente = new TClientDataSet(this, u"cdsPesqCliente"_s);
    dtsPesqCliente = new TDataSource(this, u"dtsPesqCliente"_s);
    dtsPesqCliente->SetDataSet(cdsPesqCliente);
    cdsPesqFornecedor = new TClientDataSet(this, u"cdsPesqFornecedor"_s);
    dtsPesqFornecedor = new TDataSource(this, u"dtsPesqFornecedor"_s);
    dtsPesqFornecedor->SetDataSet(cdsPesqFornecedor);

    for (int i = 1; i <= kTomador; ++i) {
        TPaginaParte &parte = Partes[i];
        parte.dbeNrInsJur->OnEnter = [this, i] {
            dbeNrInsJurParteEnter(i);
        };
        parte.dbeNrInsJur->OnExit = [this, i] {
            dbeNrInsJurParteExit(i);
        };
        parte.dbeNrInsJur->OnChange = [this, i] {
            dbeNrInsJurParteChange(i);
        };
        parte.dbeNrInsJur->OnKeyDown = [this, i](int &key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_F9) {
                key = 0;
                btnInsJurParteClick(i);
            }
        };
        connect(parte.btnInsJur, &QToolButton::clicked, this,
                [this, i] { FrameworkGuard([this, i] { btnInsJurParteClick(i); }); });
        cdsCTe->FieldByName(partySourceField(parte.sufixo))->OnChange = [this, i](TField *) {
            cdsCTeIDCADChange(i);
        };
    }
    cdsCTe->FieldByName(u"IDTOMADOR"_s)->OnChange = [this](TField *) {
        cdsCTeIDTOMADORChange();
    };
    // The list shows each document's payer through the mask of that payer's own person type.
    cdsCTe->FieldByName(u"NRINSJURTOMA"_s)->OnGetText
        = [](TField *sender, QString &text, bool displayText) {
              if (displayText && !sender->IsNull())
                  text = FormatMaskText(
                      PictPess(sender->DataSet()->FieldByName(u"IDTPIJURTOMA"_s)->AsString()),
                      sender->AsString());
          };
}

// --- shared routines ---------------------------------------------------------------------------

void TfrmCTe::LimpaTexto(const QString &secao, bool boTodos)
{
    if (!emEdicao())
        return;
    for (const QString &nome : {u"scb"_s + secao, u"grbEndereco"_s + secao}) {
        QWidget *container = findChild<QWidget *>(nome);
        if (!container)
            continue;
        // A scroll box holds its controls in its inner widget.
        if (auto *scroll = qobject_cast<QScrollArea *>(container))
            container = scroll->widget();
        const QList<TDBEdit *> edits
            = container->findChildren<TDBEdit *>(Qt::FindDirectChildrenOnly);
        for (TDBEdit *edit : edits) {
            if (Tag(edit) != 0 && !boTodos)
                continue;
            TField *f = edit->DataLink()->Field();
            if (f && !f->IsNull())
                f->Clear();
        }
    }
}

void TfrmCTe::LimpaDadosParte(int i, bool boTodos)
{
    const QString sufixo = Partes[i].sufixo;
    LimpaTexto(Partes[i].secao, boTodos);
    if (!emEdicao())
        return;
    QStringList campos {partyClientCodeField(sufixo), partySupplierCodeField(sufixo),
                        u"IDTPIJUR"_s + sufixo};
    // Everything the register row brought goes with the party, the fields no control shows
    // (place codes, SUFRAMA) included.
    if (boTodos) {
        QList<PartyColumn> colunas = partyRegisterColumns();
        if (sufixo == u"DEST")
            colunas << recipientSuframaColumn();
        for (const PartyColumn &c : std::as_const(colunas))
            campos << c.stem + sufixo;
    }
    for (const QString &campo : std::as_const(campos)) {
        TField *f = cdsCTe->FindField(campo);
        if (f && !f->IsNull())
            f->Clear();
    }
}

// --- the check of a party ----------------------------------------------------------------------

void TfrmCTe::Vd_Parte(int i, bool boTestaVazio, const QString &kind)
{
    if (!emEdicao())
        return;
    TPaginaParte &parte = Partes[i];
    const TPapel &p = papel(i);
    const QString nrInsJur = cdsCTe->FieldByName(u"NRINSJUR"_s + parte.sufixo)->AsString();
    if (!nrInsJur.isEmpty() && nrInsJur == *p.aceita)
        return;
    // A party not informed needs nothing; the payer always does.
    if (i != kTomador && kind == u"N")
        return;
    try {
        const QString cdCliente
            = cdsCTe->FieldByName(partyClientCodeField(parte.sufixo))->AsString();
        const QString cdFornecedor
            = cdsCTe->FieldByName(partySupplierCodeField(parte.sufixo))->AsString();
        const QString digitada
            = inscricaoInformada(cdsCTe->FieldByName(u"NRINSJUR"_s + parte.sufixo));
        LimpaDadosParte(i, false);
        if (EmptyString(digitada)) {
            if (boTestaVazio)
                MensErro(msgPadrao->Msg(s(p.deve)));
            return;
        }
        bool fornecedor = false;
        if (kind == u"F")
            fornecedor = true;
        else if (kind != u"C")
            return;
        const QVariant reply = chamaServidor(fornecedor ? u"GetFornecedor"_s : u"GetCliente"_s,
                                             {fornecedor ? cdFornecedor : cdCliente, digitada});
        TClientDataSet *cds = fornecedor ? cdsFornecedor : cdsCliente;
        carregaParte(reply, cds);
        if (cds->IsEmpty())
            MensErro(msgPadrao->Msg(fornecedor ? u"FORNECEDOR_N_CADASTRADO"_s
                                               : u"CLIENTE_N_CADASTRADO"_s));
        if (cds->RecordCount() > 1)
            MensErro(
                msgPadrao->Msg(fornecedor ? u"FORNECEDOR_DUPLICADO"_s : u"CLIENTE_DUPLICADO"_s));
        CopyRegisterRow(cdsCTe, parte.sufixo, cds, fornecedor);
    } catch (...) {
        MostrarFormulario();
        pgcDados->setCurrentWidget(parte.tsh);
        QWidget *foco = i == kTomador ? static_cast<QWidget *>(dcbIndicador) : parte.dbeNrInsJur;
        foco->setFocus(Qt::OtherFocusReason);
        p.aceita->clear();
        throw;
    }
}

void TfrmCTe::Vd_Remetente(bool boTestaVazio, const QString &kind)
{
    Vd_Parte(1, boTestaVazio, kind);
}
void TfrmCTe::Vd_Expedidor(bool boTestaVazio, const QString &kind)
{
    Vd_Parte(2, boTestaVazio, kind);
}
void TfrmCTe::Vd_Recebedor(bool boTestaVazio, const QString &kind)
{
    Vd_Parte(3, boTestaVazio, kind);
}
void TfrmCTe::Vd_Destinatario(bool boTestaVazio, const QString &kind)
{
    Vd_Parte(4, boTestaVazio, kind);
}
void TfrmCTe::Vd_Tomador(bool boTestaVazio, const QString &kind)
{
    Vd_Parte(kTomador, boTestaVazio, kind);
}

// --- F9 search ---------------------------------------------------------------------------------

void TfrmCTe::carregaPesqParte(bool fornecedor)
{
    TADOIBQuery *qry = fornecedor ? qryPesqFornecedor : qryPesqCliente;
    TClientDataSet *cds = fornecedor ? cdsPesqFornecedor : cdsPesqCliente;
    const QString fim = fornecedor ? u"FORN"_s : u"CLIE"_s;
    qry->Close();
    qry->Open();
    cds->LoadFromPacket(qry->ToPacket());
    const int largura = fornecedor ? 40 : 50;
    const std::tuple<QString, const char16_t *, int, bool> colunas[] = {
        {fornecedor ? u"CDFORNECED"_s : u"CDCLIENTE"_s, nullptr, 21, false},
        {u"NRINSJUR"_s + fim, u"COL_INSCR_JURIDICA", 20, true},
        {u"NMRAZSOC"_s + fim, u"COL_RAZAO_SOCIAL", largura, true},
        {u"NMFANT"_s + fim, u"COL_NOME_FANTASIA", largura, true},
        {u"IDTPIJUR"_s + fim, nullptr, 1, false},
    };
    for (const auto &[campo, titulo, tamanho, visivel] : colunas) {
        TField *f = cds->FieldByName(campo);
        if (titulo)
            f->SetDisplayLabel(msgPadrao->Msg(s(titulo)));
        f->SetDisplayWidth(tamanho);
        f->SetVisible(visivel);
    }
    cds->FieldByName(u"NRINSJUR"_s + fim)->OnGetText
        = [this, fornecedor](TField *sender, QString &text, bool displayText) {
              if (fornecedor)
                  qryPesqFornecedorNRINSJURFORNGetText(sender, text, displayText);
              else
                  qryPesqClienteNRINSJURCLIEGetText(sender, text, displayText);
          };
}

// The registration of each row through the mask of that row's own person type.
void TfrmCTe::qryPesqClienteNRINSJURCLIEGetText(TField *sender, QString &text, bool)
{
    const TClientDataSet *ds = sender->DataSet();
    text = ds->IsEmpty() ? QString()
                         : FormatMaskText(PictPess(ds->FieldByName(u"IDTPIJURCLIE"_s)->AsString()),
                                          sender->AsString());
}

void TfrmCTe::qryPesqFornecedorNRINSJURFORNGetText(TField *sender, QString &text, bool)
{
    const TClientDataSet *ds = sender->DataSet();
    text = ds->IsEmpty() ? QString()
                         : FormatMaskText(PictPess(ds->FieldByName(u"IDTPIJURFORN"_s)->AsString()),
                                          sender->AsString());
}

void TfrmCTe::btnInsJurParteClick(int i)
{
    TPaginaParte &parte = Partes[i];
    const QString kind = parte.dcbInfCad->KeyValue();
    if (kind != u"C" && kind != u"F")
        return;
    const bool fornecedor = kind == u"F";
    const auto fecha = [this] {
        qryPesqCliente->Close();
        qryPesqFornecedor->Close();
    };
    try {
        carregaPesqParte(fornecedor);
        const QString titulo = fornecedor
            ? msgPadrao->Msg(u"FORNECEDOR"_s) + u'|' + msgPadrao->Msg(u"N_CADASTRO_FORNECEDOR"_s)
            : msgPadrao->Msg(u"CLIENTE"_s) + u'|' + msgPadrao->Msg(u"N_CADASTRO_CLIENTE"_s);
        if (Pesquisar(fornecedor ? dtsPesqFornecedor : dtsPesqCliente, titulo)) {
            if (!emEdicao())
                cdsCTe->Edit();
            const TClientDataSet *linha = fornecedor ? cdsPesqFornecedor : cdsPesqCliente;
            const QString sufixo = parte.sufixo;
            if (fornecedor)
                cdsCTe->FieldByName(partySupplierCodeField(sufixo))
                    ->SetAsString(linha->FieldByName(u"CDFORNECED"_s)->AsString());
            else
                cdsCTe->FieldByName(partyClientCodeField(sufixo))
                    ->SetAsString(linha->FieldByName(u"CDCLIENTE"_s)->AsString());
            TField *nrInsJur = cdsCTe->FieldByName(u"NRINSJUR"_s + sufixo);
            // The old registration's mask would cut the new one.
            nrInsJur->SetEditMask({});
            nrInsJur->SetAsString(
                linha->FieldByName(fornecedor ? u"NRINSJURFORN"_s : u"NRINSJURCLIE"_s)->AsString());
            // A choice is always checked, even one that keeps the registration: another register
            // row with the same registration is another party.
            papel(i).aceita->clear();
            Vd_Parte(i, false, kind);
            *papel(i).aceita = nrInsJur->AsString();
            nrInsJur->SetEditMask(
                PictPess(cdsCTe->FieldByName(u"IDTPIJUR"_s + sufixo)->AsString()));
        }
    } catch (...) {
        fecha();
        throw;
    }
    fecha();
}

// --- the registration edit ---------------------------------------------------------------------

void TfrmCTe::dbeNrInsJurParteEnter(int i)
{
    cdsCTe->FieldByName(u"NRINSJUR"_s + Partes[i].sufixo)->SetEditMask({});
}

void TfrmCTe::dbeNrInsJurParteExit(int i)
{
    const QString sufixo = Partes[i].sufixo;
    Vd_Parte(i, false, cdsCTe->FieldByName(partySourceField(sufixo))->AsString());
    if (!cdsCTe->Active())
        return;
    *papel(i).aceita = cdsCTe->FieldByName(u"NRINSJUR"_s + sufixo)->AsString();
    cdsCTe->FieldByName(u"NRINSJUR"_s + sufixo)
        ->SetEditMask(PictPess(cdsCTe->FieldByName(u"IDTPIJUR"_s + sufixo)->AsString()));
}

void TfrmCTe::dbeNrInsJurParteChange(int i)
{
    if (!emEdicao())
        return;
    const QString stored = cdsCTe->FieldByName(u"NRINSJUR"_s + Partes[i].sufixo)->AsString();
    if (RetSemMascara(stored) != RetSemMascara(Partes[i].dbeNrInsJur->text()))
        LimpaDadosParte(i, false);
}

// --- kind and payer indicator ------------------------------------------------------------------

void TfrmCTe::cdsCTeIDCADChange(int i)
{
    if (cdsCTe->State() == dsEdit || cdsCTe->State() == dsInsert)
        LimpaDadosParte(i, true);
    AtualizaPartes();
}

void TfrmCTe::cdsCTeIDTOMADORChange()
{
    if (!emEdicao())
        return;
    LimpaDadosParte(kTomador, true);
    TField *kindField = cdsCTe->FieldByName(u"IDCADTOMADOR"_s);
    if (!kindField->IsNull())
        kindField->Clear();
    TField *nrInsJur = cdsCTe->FieldByName(u"NRINSJURTOMA"_s);
    nrInsJur->SetEditMask({});
    const QString indicador = cdsCTe->FieldByName(u"IDTOMADOR"_s)->AsString();
    bool ok = false;
    const int valor = indicador.toInt(&ok);
    if (ok && valor >= 0 && valor <= 3) {
        const int origem = valor + 1;
        if (PartyMissing(cdsCTe, Partes[origem].sufixo)) {
            msgPadrao->ShowMsg(s(papel(origem).naoInformado), TMsgKind::Warning, mbOK);
        } else {
            CopyToPayer(cdsCTe, Partes[origem].sufixo);
            nrInsJur->SetEditMask(PictPess(cdsCTe->FieldByName(u"IDTPIJURTOMA"_s)->AsString()));
        }
    } else if (ok && valor == 4) {
        kindField->SetAsString(u"C"_s);
    }
    stNrInsJurTomaAux = nrInsJur->AsString();
    AtualizaPartes();
}

// The inputs of each party page follow its kind, and the payer's its indicator; a read-only
// document keeps them all disabled.
void TfrmCTe::AtualizaPartes()
{
    const bool aberto = cdsCTe->Active() && !cdsCTe->IsEmpty();
    for (int i = 1; i < kTomador; ++i) {
        TPaginaParte &parte = Partes[i];
        const QString kind
            = aberto ? cdsCTe->FieldByName(partySourceField(parte.sufixo))->AsString() : QString();
        const bool informado = kind != u"N";
        SetInputLook(parte.dbeNrInsJur, informado);
        parte.dbeNrInsJur->setEnabled(informado && !boModoLeitura);
        parte.btnInsJur->setEnabled(informado && !boModoLeitura);
    }
    TPaginaParte &tomador = Partes[kTomador];
    const bool outros = aberto && cdsCTe->FieldByName(u"IDTOMADOR"_s)->AsString() == u"4";
    for (QWidget *w :
         {static_cast<QWidget *>(tomador.dcbInfCad), static_cast<QWidget *>(tomador.dbeNrInsJur)})
        SetInputLook(w, outros);
    for (QWidget *w :
         {static_cast<QWidget *>(tomador.dcbInfCad), static_cast<QWidget *>(tomador.dbeNrInsJur),
          static_cast<QWidget *>(tomador.btnInsJur)})
        w->setEnabled(outros && !boModoLeitura);
}
