// The filter's party criteria: for each role a selector (client, supplier, anyone), a registration
// edit per register with its look-up list and the legal name found, and the role's working codes.
#include "Cli_Dfs88100.h"

#include "ADOIBQuery.h"
#include "BtnPesquisa.h"
#include "ClientDataSet.h"
#include "ControlStyle.h"
#include "Exceptions.h"
#include "Masks.h"
#include "Messages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88100;

namespace {

// What differs between the client and the supplier register.
struct TRegistro
{
    const char16_t *cd, *idTpIJur, *nrInsJur, *nmRazSoc; // columns
    const char16_t *pCd, *pNrInsJur; // parameters of the check query
    const char16_t *naoCadastrado, *deve; // catalogue keys
};
constexpr TRegistro kCliente {u"CDCLIENTE",   u"IDTPIJURCLIE",   u"NRINSJURCLIE",  u"NMRAZSOCCLIE",
                              u"P_CDCLIENTE", u"P_NRINSJURCLIE", u"CLIENTE_N_CAD", u"CLIENTE_DEVE"};
constexpr TRegistro kFornecedor {u"CDFORNECED",       u"IDTPIJURFORN",   u"NRINSJURFORN",
                                 u"NMRAZSOCFORN",     u"P_CDFORNECED",   u"P_NRINSJURFORN",
                                 u"FORNECEDOR_N_CAD", u"FORNECEDOR_DEVE"};

const TRegistro &registro(bool fornecedor)
{
    return fornecedor ? kFornecedor : kCliente;
}

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

TfrmFiltroCTe::TParteFiltro TfrmFiltroCTe::criaParte(const QString &suffix,
                                                     const QString &captionKey)
{
    TParteFiltro parte;
    parte.grb = new QGroupBox(msgPadrao->Msg(captionKey), Client());
    auto *layout = new QHBoxLayout(parte.grb);

    parte.cbbSel = new QComboBox(parte.grb);
    parte.cbbSel->setObjectName(u"cbbSel"_s + suffix);
    parte.cbbSel->addItems({msgPadrao->Msg(u"SEL_CLIENTE"_s), msgPadrao->Msg(u"SEL_FORNECEDOR"_s),
                            msgPadrao->Msg(u"SEL_TODOS"_s)});
    StyleAsInput(parte.cbbSel);
    parte.nbk = new QStackedWidget(parte.grb);

    auto pagina = [&](const QString &name) {
        auto *page = new QWidget(parte.nbk);
        page->setObjectName(name + suffix);
        auto *row = new QHBoxLayout(page);
        row->setContentsMargins(0, 0, 0, 0);
        parte.nbk->addWidget(page);
        return page;
    };
    parte.cliente = criaCadastro(pagina(u"pagCliente"_s), suffix, false);
    parte.fornecedor = criaCadastro(pagina(u"pagFornecedor"_s), suffix, true);

    QWidget *todos = pagina(u"pagTodos"_s);
    auto *medTodos = new QLineEdit(msgPadrao->Msg(u"SEL_TODOS"_s), todos);
    medTodos->setObjectName(u"medTodos"_s + suffix);
    auto *btnTodos = new TBtnPesquisa(todos, u"btnTodos"_s + suffix);
    medTodos->setMinimumWidth(medTodos->fontMetrics().horizontalAdvance(u"00.000.000/0000-000"_s)
                              + 8);
    auto *edtTodos = new QLineEdit(todos);
    edtTodos->setObjectName(u"edtTodos"_s + suffix);
    for (QWidget *w : std::initializer_list<QWidget *> {medTodos, btnTodos, edtTodos}) {
        StyleAsDisplay(w);
        todos->layout()->addWidget(w);
    }
    static_cast<QHBoxLayout *>(todos->layout())->setStretch(2, 1);

    layout->addWidget(parte.cbbSel);
    layout->addWidget(parte.nbk, 1);

    // The role's slot in the array outlives this value: look it up when the handler runs.
    QComboBox *cbb = parte.cbbSel;
    connect(cbb, &QComboBox::currentIndexChanged, this, [this, cbb] {
        for (TParteFiltro &p : m_partes) {
            if (p.cbbSel == cbb)
                FrameworkGuard([&] { cbbSelChange(p); });
        }
    });
    return parte;
}

TfrmFiltroCTe::TCadastroParte TfrmFiltroCTe::criaCadastro(QWidget *page, const QString &suffix,
                                                          bool fornecedor)
{
    const QString stem = fornecedor ? u"Fornecedor"_s : u"Cliente"_s;
    TCadastroParte cad;
    auto *label = new QLabel(msgPadrao->Msg(u"ROT_INSCRICAO"_s), page);
    cad.med = new TEditFiltro(page, u"med"_s + stem + suffix);
    cad.med->setMaxLength(20);
    cad.med->setMinimumWidth(cad.med->fontMetrics().horizontalAdvance(u"00.000.000/0000-000"_s)
                             + 8);
    StyleAsInput(cad.med);
    cad.btn = new TBtnPesquisa(page, u"btn"_s + stem + suffix);
    cad.btn->DataSource = fornecedor ? dtsPesqFornecedor : dtsPesqCliente;
    cad.btn->Title = msgPadrao->Msg(fornecedor ? u"PESQ_FORNECEDOR"_s : u"PESQ_CLIENTE"_s);
    cad.edtNm = new QLineEdit(page);
    cad.edtNm->setObjectName(u"edtNm"_s + stem + suffix);
    cad.edtNm->setReadOnly(true);
    cad.edtNm->setMinimumWidth(cad.edtNm->fontMetrics().averageCharWidth() * 40);
    StyleAsDisplay(cad.edtNm);
    page->layout()->addWidget(label);
    page->layout()->addWidget(cad.med);
    page->layout()->addWidget(cad.btn);
    page->layout()->addWidget(cad.edtNm);
    static_cast<QHBoxLayout *>(page->layout())->setStretch(3, 1);

    // Handlers find their register through the edit: the structures are copied into m_partes.
    TEditFiltro *med = cad.med;
    auto find = [this, med]() -> TCadastroParte & {
        for (TParteFiltro &p : m_partes) {
            if (p.fornecedor.med == med)
                return p.fornecedor;
        }
        for (TParteFiltro &p : m_partes) {
            if (p.cliente.med == med)
                return p.cliente;
        }
        Q_UNREACHABLE();
    };
    connect(med, &QLineEdit::textChanged, this, [this, find] {
        if (!m_mudandoMascara)
            FrameworkGuard([&] { medChange(find()); });
    });
    med->OnEnter = [this, find] {
        medEnter(find());
    };
    med->OnExit = [this, find, fornecedor] {
        medExit(find(), fornecedor);
    };
    cad.btn->OnBeforePesq = [this, fornecedor](TBtnPesquisa *, bool &) {
        btnCadastroBeforePesq(fornecedor);
    };
    cad.btn->OnAfterPesq = [this, find, fornecedor](TBtnPesquisa *) {
        btnCadastroAfterPesq(find(), fornecedor);
    };
    return cad;
}

QString TfrmFiltroCTe::inscricaoDe(const QLineEdit *edit)
{
    // Registrations are stored bare: what is typed counts without the mask's punctuation (an
    // empty masked edit reads as its literals alone).
    return OnlyAlphanumeric(edit->text());
}

void TfrmFiltroCTe::mudaMascara(QLineEdit *edit, const QString &editMask)
{
    const QString inscricao = inscricaoDe(edit);
    m_mudandoMascara = true;
    if (editMask.isEmpty()) {
        edit->setInputMask({});
        edit->setMaxLength(20);
    } else {
        edit->setInputMask(TEditMask::Parse(editMask).ToQtInputMask());
    }
    edit->setText(inscricao);
    m_mudandoMascara = false;
}

void TfrmFiltroCTe::cbbSelChange(TParteFiltro &parte)
{
    parte.cliente.med->clear();
    parte.fornecedor.med->clear();
    parte.nbk->setCurrentIndex(parte.cbbSel->currentIndex());
}

void TfrmFiltroCTe::medChange(TCadastroParte &cad)
{
    cad.edtNm->clear();
}

void TfrmFiltroCTe::medEnter(TCadastroParte &cad)
{
    mudaMascara(cad.med, {});
}

void TfrmFiltroCTe::medExit(TCadastroParte &cad, bool fornecedor)
{
    Vd_Cadastro(cad, fornecedor, false);
    mudaMascara(cad.med, PictPess(*cad.stIdTpIJur));
}

void TfrmFiltroCTe::Vd_Cadastro(TCadastroParte &cad, bool fornecedor, bool boTestaVazio)
{
    const TRegistro &r = registro(fornecedor);
    const QString inscricao = inscricaoDe(cad.med);
    if (inscricao.isEmpty()) {
        if (boTestaVazio) {
            cad.med->setFocus(Qt::OtherFocusReason);
            MensErro(msgPadrao->Msg(s(r.deve)));
        }
        return;
    }
    TADOIBQuery *qry = fornecedor ? qryFornecedor : qryCliente;
    try {
        qry->Close();
        qry->ParamByName(s(r.pCd)).Clear();
        qry->ParamByName(s(r.pNrInsJur)).SetAsString(inscricao);
        qry->Open();
        if (qry->IsEmpty())
            MensErro(msgPadrao->Msg(s(r.naoCadastrado)));
    } catch (...) {
        cad.med->setFocus(Qt::OtherFocusReason);
        throw;
    }
    // Two parties may share a registration: the first row found is the one taken.
    *cad.stCd = qry->FieldByName(s(r.cd)).AsString();
    *cad.stIdTpIJur = qry->FieldByName(s(r.idTpIJur)).AsString();
    cad.med->setText(qry->FieldByName(s(r.nrInsJur)).AsString());
    cad.edtNm->setText(qry->FieldByName(s(r.nmRazSoc)).AsString());
}

void TfrmFiltroCTe::btnCadastroBeforePesq(bool fornecedor)
{
    if (fornecedor)
        carregaLista(qryPesqFornecedor, m_cdsPesqFornecedor);
    else
        carregaLista(qryPesqCliente, m_cdsPesqCliente);
}

void TfrmFiltroCTe::btnCadastroAfterPesq(TCadastroParte &cad, bool fornecedor)
{
    const TRegistro &r = registro(fornecedor);
    TClientDataSet *cds = fornecedor ? m_cdsPesqFornecedor : m_cdsPesqCliente;
    cad.med->setText(cds->FieldByName(s(r.nrInsJur))->AsString());
    cad.edtNm->setText(cds->FieldByName(s(r.nmRazSoc))->AsString());
}

void TfrmFiltroCTe::RestauraParte(TParteFiltro &parte)
{
    const int sel = parte.cbbSel->currentIndex();
    if (sel == selTodos) {
        for (TCadastroParte *cad : {&parte.cliente, &parte.fornecedor}) {
            cad->med->clear();
            cad->edtNm->clear();
            cad->stCd->clear();
            cad->stIdTpIJur->clear();
            mudaMascara(cad->med, {});
        }
        return;
    }
    const bool fornecedor = sel == selFornecedor;
    const TRegistro &r = registro(fornecedor);
    TCadastroParte &cad = fornecedor ? parte.fornecedor : parte.cliente;
    TADOIBQuery *qry = fornecedor ? qryFornecedor : qryCliente;
    qry->Close();
    qry->ParamByName(s(r.pCd)).SetAsString(
        Filtro.*(fornecedor ? parte.recCdFornecedor : parte.recCdCliente));
    qry->ParamByName(s(r.pNrInsJur)).Clear();
    qry->Open();
    const bool achou = !qry->IsEmpty();
    // The edit may still carry the mask of another person type (a registration checked in a
    // visit that was cancelled): the restored registration takes the mask of its own type, so
    // that a CNPJ is never cut by a CPF mask.
    mudaMascara(cad.med, {});
    cad.med->setText(achou ? qry->FieldByName(s(r.nrInsJur)).AsString() : QString());
    if (achou)
        mudaMascara(cad.med, PictPess(qry->FieldByName(s(r.idTpIJur)).AsString()));
    cad.edtNm->setText(achou ? qry->FieldByName(s(r.nmRazSoc)).AsString() : QString());
}

void TfrmFiltroCTe::Vd_ClienteReme(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptReme].cliente, false, boTestaVazio);
}
void TfrmFiltroCTe::Vd_FornecedorReme(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptReme].fornecedor, true, boTestaVazio);
}
void TfrmFiltroCTe::Vd_ClienteExpe(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptExpe].cliente, false, boTestaVazio);
}
void TfrmFiltroCTe::Vd_FornecedorExpe(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptExpe].fornecedor, true, boTestaVazio);
}
void TfrmFiltroCTe::Vd_ClienteRece(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptRece].cliente, false, boTestaVazio);
}
void TfrmFiltroCTe::Vd_FornecedorRece(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptRece].fornecedor, true, boTestaVazio);
}
void TfrmFiltroCTe::Vd_ClienteDest(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptDest].cliente, false, boTestaVazio);
}
void TfrmFiltroCTe::Vd_FornecedorDest(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptDest].fornecedor, true, boTestaVazio);
}
void TfrmFiltroCTe::Vd_ClienteToma(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptToma].cliente, false, boTestaVazio);
}
void TfrmFiltroCTe::Vd_FornecedorToma(bool boTestaVazio)
{
    Vd_Cadastro(m_partes[ptToma].fornecedor, true, boTestaVazio);
}
