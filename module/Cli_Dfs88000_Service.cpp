// Route of the service, operation type and service product: the checks against the host's
// tables, their look-ups, the watchers that reset the service data when a route code changes, and
// the product's fiscal treatment asked of the server.
#include "Cli_Dfs88000.h"

#include "ADOIBQuery.h"
#include "BtnPesquisa.h"
#include "ClientDataSet.h"
#include "ContainerFocus.h"
#include "DBEdit.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "Masks.h"
#include "Messages.h"
#include "NetConnection.h"
#include "Orvglob.h"
#include "ServerReply.h"
#include "StrUtils.h"

#include <QLineEdit>
#include <QSet>
#include <QTabWidget>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

namespace {

// Punctuation of a masked code left out ("01.001.0001" → "010010001").
QString semMascara(const QString &text)
{
    return OnlyAlphanumeric(text);
}

} // namespace

TfrmCTe::TImpostosLivres::TImpostosLivres(bool &livres)
    : m_livres(&livres)
    , m_antes(livres)
{
    livres = true;
}

TfrmCTe::TImpostosLivres::~TImpostosLivres()
{
    solta();
}

void TfrmCTe::TImpostosLivres::solta()
{
    if (m_livres)
        *std::exchange(m_livres, nullptr) = m_antes;
}

// --- wiring ------------------------------------------------------------------------------------

void TfrmCTe::criaServico()
{
    const auto consulta = [this](const QString &name, const QString &sql) {
        auto *q = new TADOIBQuery(this, name);
        q->SetSQL(sql);
        return q;
    };
    const QString codigo = msgPadrao->Msg(u"COL_CODIGO"_s);
    const QString nome = msgPadrao->Msg(u"COL_NOME"_s);

    qryPesqPais = consulta(u"qryPesqPais"_s,
                           u"SELECT CDPAIS, NMPAIS, CDPAISBACEN FROM PAIS ORDER BY CDPAIS"_s);
    qryPais = consulta(u"qryPais"_s,
                       u"SELECT CDPAIS, NMPAIS, CDPAISBACEN FROM PAIS "
                       "WHERE CDPAIS = :P_CDPAIS ORDER BY CDPAIS"_s);
    qryPesqPais->SetFieldDisplay(u"CDPAIS"_s, codigo, 4);
    qryPesqPais->SetFieldDisplay(u"NMPAIS"_s, nome, 30);
    qryPesqPais->SetFieldDisplay(u"CDPAISBACEN"_s, msgPadrao->Msg(u"COL_COD_BACEN"_s), 4);

    qryPesqEstado = consulta(u"qryPesqEstado"_s,
                             u"SELECT SGESTADO, NMESTADO, CDESTADOIBGE FROM ESTADO "
                             "WHERE CDPAIS = :P_CDPAIS ORDER BY SGESTADO"_s);
    qryEstado = consulta(u"qryEstado"_s,
                         u"SELECT SGESTADO, NMESTADO, CDESTADOIBGE FROM ESTADO WHERE CDPAIS = "
                         ":P_CDPAIS AND SGESTADO = :P_SGESTADO ORDER BY SGESTADO"_s);
    qryPesqEstado->SetFieldDisplay(u"SGESTADO"_s, msgPadrao->Msg(u"COL_SIGLA"_s), 2);
    qryPesqEstado->SetFieldDisplay(u"NMESTADO"_s, nome, 30);
    qryPesqEstado->SetFieldDisplay(u"CDESTADOIBGE"_s, msgPadrao->Msg(u"COL_COD_IBGE"_s), 2);

    qryPesqMunicipio
        = consulta(u"qryPesqMunicipio"_s,
                   u"SELECT CDMUNICIPIO, NMMUNICIPIO, CDMUNICIBGE FROM MUNICIPIO WHERE CDPAIS = "
                   ":P_CDPAIS AND SGESTADO = :P_SGESTADO ORDER BY CDMUNICIPIO"_s);
    qryMunicipio = consulta(
        u"qryMunicipio"_s,
        u"SELECT CDMUNICIPIO, NMMUNICIPIO, CDMUNICIBGE FROM MUNICIPIO WHERE CDPAIS = :P_CDPAIS "
        "AND SGESTADO = :P_SGESTADO AND CDMUNICIPIO = :P_CDMUNICIPIO ORDER BY CDMUNICIPIO"_s);
    qryPesqMunicipio->SetFieldDisplay(u"CDMUNICIPIO"_s, codigo, 4);
    qryPesqMunicipio->SetFieldDisplay(u"NMMUNICIPIO"_s, nome, 30);
    qryPesqMunicipio->SetFieldDisplay(u"CDMUNICIBGE"_s, msgPadrao->Msg(u"COL_COD_IBGE"_s), 7);

    qryPesqTipoOperac = consulta(u"qryPesqTipoOperac"_s,
                                 u"SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP FROM TIPOOPERAC "
                                 "WHERE IDENTRSAIDOP = :P_IDENTRSAIDOP ORDER BY CDTIPOOPER"_s);
    qryTipoOperac = consulta(u"qryTipoOperac"_s,
                             u"SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP FROM TIPOOPERAC WHERE "
                             "IDENTRSAIDOP = :P_IDENTRSAIDOP AND CDTIPOOPER = :P_CDTIPOOPER"_s);
    qryPesqTipoOperac->SetFieldDisplay(u"CDTIPOOPER"_s, codigo, 2);
    qryPesqTipoOperac->SetFieldDisplay(u"NMTIPOOPER"_s, nome, 30);
    qryPesqTipoOperac->SetFieldDisplay(u"IDENTRSAIDOP"_s, {}, 1, false);

    // Only the deepest level of the product tree is a service.
    qryPesqProduto = consulta(
        u"qryPesqProduto"_s,
        u"SELECT CDARVPROD, NMPRODUTO, CDPRODUTO FROM PRODUTO WHERE CDNVPRODUTO = (SELECT "
        "MAX(CDNVPRODUTO) FROM PRODUTO) ORDER BY CDARVPROD"_s);
    qryProduto
        = consulta(u"qryProduto"_s,
                   u"SELECT CDARVPROD, NMPRODUTO, CDPRODUTO FROM PRODUTO WHERE CDNVPRODUTO "
                   "= (SELECT MAX(CDNVPRODUTO) FROM PRODUTO) AND CDARVPROD = :P_CDARVPROD"_s);
    // The messages that fiscal treatments add as standard observations.
    qryMensServico
        = consulta(u"qryMensServico"_s, u"SELECT DISTINCT CDMENSAGEM FROM TRIBSERVICOMENS"_s);
    qryPesqProduto->SetFieldDisplay(u"CDARVPROD"_s, codigo, 20);
    qryPesqProduto->SetFieldDisplay(u"NMPRODUTO"_s, nome, 50);
    qryPesqProduto->SetFieldDisplay(u"CDPRODUTO"_s, {}, 10, false);

    const auto lista = [this](const QString &stem, TClientDataSet **cds, TDataSource **dts) {
        *cds = new TClientDataSet(this, u"cds"_s + stem);
        *dts = new TDataSource(this, u"dts"_s + stem);
        (*dts)->SetDataSet(*cds);
    };
    lista(u"PesqPais"_s, &cdsPesqPais, &dtsPesqPais);
    lista(u"PesqEstado"_s, &cdsPesqEstado, &dtsPesqEstado);
    lista(u"PesqMunicipio"_s, &cdsPesqMunicipio, &dtsPesqMunicipio);
    lista(u"PesqTipoOperac"_s, &cdsPesqTipoOperac, &dtsPesqTipoOperac);
    lista(u"PesqProduto"_s, &cdsPesqProduto, &dtsPesqProduto);

    // The route: three levels on each side, each with its edit, look-up and watchers.
    struct TNivel
    {
        TDBEdit *edit;
        TBtnPesquisa *botao;
        TDataSource *lista;
    };
    const TNivel niveis[] = {
        {dbeCdPaisIniPrestaServico, btnPaisIniPrestaServico, dtsPesqPais},
        {dbeSgEstaIniPrestaServico, btnEstaIniPrestaServico, dtsPesqEstado},
        {dbeCdMuniIniPrestaServico, btnMuniIniPrestaServico, dtsPesqMunicipio},
        {dbeCdPaisFimPrestaServico, btnPaisFimPrestaServico, dtsPesqPais},
        {dbeSgEstaFimPrestaServico, btnEstaFimPrestaServico, dtsPesqEstado},
        {dbeCdMuniFimPrestaServico, btnMuniFimPrestaServico, dtsPesqMunicipio},
    };
    for (const TNivel &n : niveis) {
        TDBEdit *edit = n.edit;
        n.botao->DataSource = n.lista;
        n.botao->OnBeforePesq = [this, edit](TBtnPesquisa *, bool &) {
            rotaBeforePesq(edit);
        };
        n.botao->OnAfterPesq = [this, edit](TBtnPesquisa *) {
            rotaAfterPesq(edit);
        };
        ContainerFocus::Watch(edit, {}, [this, edit] { vdRota(false, edit); });
        // The text watcher runs on every change of the text, typed or loaded; a load shows the
        // stored code and changes nothing.
        connect(edit, &QLineEdit::textChanged, this,
                [this, edit] { FrameworkGuard([this, edit] { vigiaRota(edit); }); });
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit] { FrameworkGuard([this, edit] { vigiaRota(edit); }); });
        cdsCTe->FieldByName(edit->DataField())->OnChange = [this, edit](TField *) {
            vigiaRota(edit);
        };
    }

    btpTipoOper->DataSource = dtsPesqTipoOperac;
    btpTipoOper->OnBeforePesq = [this](TBtnPesquisa *, bool &) {
        qryPesqTipoOperac->Close();
        qryPesqTipoOperac->ParamByName(u"P_IDENTRSAIDOP"_s).SetAsString(u"S"_s);
        qryPesqTipoOperac->Open();
        carregaPesquisa(qryPesqTipoOperac, cdsPesqTipoOperac);
    };
    btpTipoOper->OnAfterPesq = [this](TBtnPesquisa *) {
        poeEmEdicao(cdsCTe);
        for (const char16_t *f : {u"IDENTRSAIDOP", u"CDTIPOOPER", u"NMTIPOOPER"}) {
            const QString name = QString::fromUtf16(f);
            cdsCTe->FieldByName(name)->SetAsString(
                cdsPesqTipoOperac->FieldByName(name)->AsString());
        }
    };
    ContainerFocus::Watch(dbeCdTipoOper, {}, [this] { Vd_TipoOperac(false); });

    btnServPrestado->DataSource = dtsPesqProduto;
    btnServPrestado->OnBeforePesq = [this](TBtnPesquisa *, bool &) {
        qryPesqProduto->Close();
        qryPesqProduto->Open();
        carregaPesquisa(qryPesqProduto, cdsPesqProduto);
        // The code column shows the host's product-code picture.
        cdsPesqProduto->FieldByName(u"CDARVPROD"_s)->OnGetText
            = [](TField *f, QString &text, bool) {
                  text = FormatMaskText(Orvglob::DBPict(0), f->AsString());
              };
    };
    btnServPrestado->OnAfterPesq = [this](TBtnPesquisa *) {
        poeEmEdicao(cdsCTe);
        for (const char16_t *f : {u"CDPRODUTO", u"NMPRODUTO", u"CDARVPROD"}) {
            const QString name = QString::fromUtf16(f);
            cdsCTe->FieldByName(name)->SetAsString(cdsPesqProduto->FieldByName(name)->AsString());
        }
    };
    // The code is typed bare; shown with the picture once left.
    ContainerFocus::Watch(
        dbeCdServPrestado, [this] { cdsCTe->FieldByName(u"CDARVPROD"_s)->SetEditMask(QString()); },
        [this] { cdsCTe->FieldByName(u"CDARVPROD"_s)->SetEditMask(Orvglob::DBPict(0)); });
    ContainerFocus::Watch(panServPrestado, {}, [this] { panServPrestadoExit(); });
    cdsCTe->FieldByName(u"CDARVPROD"_s)->OnChange = [this](TField *) {
        LimpaDadosServico(false);
    };
}

void TfrmCTe::carregaPesquisa(TADOIBQuery *qry, TClientDataSet *cds)
{
    cds->LoadFromPacket(qry->ToPacket());
    for (TField *f : cds->Fields()) {
        if (!qry->HasFieldDisplay(f->FieldName()))
            continue;
        const TADOIBQuery::TFieldDisplay shown = qry->FieldDisplay(f->FieldName());
        f->SetDisplayLabel(shown.label);
        f->SetDisplayWidth(shown.width);
        f->SetVisible(shown.visible);
    }
}

bool TfrmCTe::documentoEmEdicao() const
{
    return dtsPadrao->State() == dsEdit || dtsPadrao->State() == dsInsert;
}

void TfrmCTe::poeEmEdicao(TClientDataSet *cds)
{
    if (!cds->Active() || cds->State() == dsBrowse)
        cds->Edit();
}

// --- the route ---------------------------------------------------------------------------------

QString TfrmCTe::ladoRota(const TDBEdit *edit) const
{
    return edit->objectName().contains(u"Ini"_s) ? u"INISERV"_s : u"FIMSERV"_s;
}

void TfrmCTe::limpaCampos(const QString &lado, const QStringList &stems)
{
    for (const QString &stem : stems)
        cdsCTe->FieldByName(stem + lado)->Clear();
}

void TfrmCTe::vdRota(bool boTestaVazio, TDBEdit *edit)
{
    if (edit == dbeCdPaisIniPrestaServico || edit == dbeCdPaisFimPrestaServico)
        Vd_Pais(boTestaVazio, edit);
    else if (edit == dbeSgEstaIniPrestaServico || edit == dbeSgEstaFimPrestaServico)
        Vd_Estado(boTestaVazio, edit);
    else
        Vd_Municipio(boTestaVazio, edit);
}

void TfrmCTe::falhaRota(TDBEdit *edit)
{
    MostrarFormulario();
    pgcDados->setCurrentWidget(tshIdentificacao);
    edit->setFocus(Qt::OtherFocusReason);
}

void TfrmCTe::confereCodigoRota(const TCodigoRota &c)
{
    if (!documentoEmEdicao())
        return;
    const QString lado = ladoRota(c.edit);
    try {
        const auto campo = [&](const QString &stem) {
            return cdsCTe->FieldByName(stem + lado);
        };
        if (EmptyString(campo(c.stem)->AsString())) {
            if (c.boTestaVazio)
                MensErro(msgPadrao->Msg(c.msgDeve));
            return;
        }
        c.qry->Close();
        for (const auto &[param, stem] : c.parametros)
            c.qry->ParamByName(param).SetAsString(
                stem == u"CDPAIS"_s ? Ajusta(campo(stem)->AsString(), 4) : campo(stem)->AsString());
        c.qry->Open();
        if (c.qry->IsEmpty()) {
            limpaCampos(lado, c.dependentes);
            MensErro(msgPadrao->Msg(c.msgNaoCadastrado));
        }
        for (const auto &[origem, stem] : c.copia)
            campo(stem)->SetAsString(c.qry->FieldByName(origem).AsString());
    } catch (...) {
        falhaRota(c.edit);
        throw;
    }
}

void TfrmCTe::Vd_Pais(bool boTestaVazio, TDBEdit *edit)
{
    confereCodigoRota({edit,
                       boTestaVazio,
                       u"CDPAIS"_s,
                       qryPais,
                       u"PAIS_DEVE"_s,
                       u"PAIS_N_CADASTRADO"_s,
                       {{u"P_CDPAIS"_s, u"CDPAIS"_s}},
                       {u"NMPAIS"_s, u"CDPAISBACEN"_s, u"SGESTADO"_s, u"NMESTADO"_s,
                        u"CDESTADOIBGE"_s, u"CDMUNIC"_s, u"NMMUNIC"_s, u"CDMUNICIBGE"_s},
                       {{u"CDPAIS"_s, u"CDPAIS"_s},
                        {u"NMPAIS"_s, u"NMPAIS"_s},
                        {u"CDPAISBACEN"_s, u"CDPAISBACEN"_s}}});
}

void TfrmCTe::Vd_Estado(bool boTestaVazio, TDBEdit *edit)
{
    confereCodigoRota(
        {edit,
         boTestaVazio,
         u"SGESTADO"_s,
         qryEstado,
         u"ESTADO_DEVE"_s,
         u"ESTADO_N_CADASTRADO"_s,
         {{u"P_CDPAIS"_s, u"CDPAIS"_s}, {u"P_SGESTADO"_s, u"SGESTADO"_s}},
         {u"NMESTADO"_s, u"CDESTADOIBGE"_s, u"CDMUNIC"_s, u"NMMUNIC"_s, u"CDMUNICIBGE"_s},
         {{u"SGESTADO"_s, u"SGESTADO"_s},
          {u"NMESTADO"_s, u"NMESTADO"_s},
          {u"CDESTADOIBGE"_s, u"CDESTADOIBGE"_s}}});
}

void TfrmCTe::Vd_Municipio(bool boTestaVazio, TDBEdit *edit)
{
    confereCodigoRota({edit,
                       boTestaVazio,
                       u"CDMUNIC"_s,
                       qryMunicipio,
                       u"MUNICIPIO_DEVE"_s,
                       u"MUNICIPIO_N_CADASTRADO"_s,
                       {{u"P_CDPAIS"_s, u"CDPAIS"_s},
                        {u"P_SGESTADO"_s, u"SGESTADO"_s},
                        {u"P_CDMUNICIPIO"_s, u"CDMUNIC"_s}},
                       {u"NMMUNIC"_s, u"CDMUNICIBGE"_s},
                       {{u"CDMUNICIPIO"_s, u"CDMUNIC"_s},
                        {u"NMMUNICIPIO"_s, u"NMMUNIC"_s},
                        {u"CDMUNICIBGE"_s, u"CDMUNICIBGE"_s}}});
}

void TfrmCTe::rotaBeforePesq(TDBEdit *edit)
{
    const QString lado = ladoRota(edit);
    const QString pais
        = cdsCTe->Active() ? cdsCTe->FieldByName(u"CDPAIS"_s + lado)->AsString() : QString();
    if (edit == dbeCdPaisIniPrestaServico || edit == dbeCdPaisFimPrestaServico) {
        qryPesqPais->Close();
        qryPesqPais->Open();
        carregaPesquisa(qryPesqPais, cdsPesqPais);
    } else if (edit == dbeSgEstaIniPrestaServico || edit == dbeSgEstaFimPrestaServico) {
        qryPesqEstado->Close();
        qryPesqEstado->ParamByName(u"P_CDPAIS"_s).SetAsString(pais);
        qryPesqEstado->Open();
        carregaPesquisa(qryPesqEstado, cdsPesqEstado);
    } else {
        qryPesqMunicipio->Close();
        qryPesqMunicipio->ParamByName(u"P_CDPAIS"_s).SetAsString(pais);
        qryPesqMunicipio->ParamByName(u"P_SGESTADO"_s)
            .SetAsString(cdsCTe->Active() ? cdsCTe->FieldByName(u"SGESTADO"_s + lado)->AsString()
                                          : QString());
        qryPesqMunicipio->Open();
        carregaPesquisa(qryPesqMunicipio, cdsPesqMunicipio);
    }
}

void TfrmCTe::rotaAfterPesq(TDBEdit *edit)
{
    poeEmEdicao(cdsCTe);
    const QString lado = ladoRota(edit);
    const auto copia = [&](TClientDataSet *de,
                           std::initializer_list<std::pair<QString, QString>> campos) {
        for (const auto &[origem, destino] : campos)
            cdsCTe->FieldByName(destino + lado)->SetAsString(de->FieldByName(origem)->AsString());
    };
    if (edit == dbeCdPaisIniPrestaServico || edit == dbeCdPaisFimPrestaServico)
        copia(cdsPesqPais,
              {{u"CDPAIS"_s, u"CDPAIS"_s},
               {u"NMPAIS"_s, u"NMPAIS"_s},
               {u"CDPAISBACEN"_s, u"CDPAISBACEN"_s}});
    else if (edit == dbeSgEstaIniPrestaServico || edit == dbeSgEstaFimPrestaServico)
        copia(cdsPesqEstado,
              {{u"SGESTADO"_s, u"SGESTADO"_s},
               {u"NMESTADO"_s, u"NMESTADO"_s},
               {u"CDESTADOIBGE"_s, u"CDESTADOIBGE"_s}});
    else
        copia(cdsPesqMunicipio,
              {{u"CDMUNICIPIO"_s, u"CDMUNIC"_s},
               {u"NMMUNICIPIO"_s, u"NMMUNIC"_s},
               {u"CDMUNICIBGE"_s, u"CDMUNICIBGE"_s}});
}

void TfrmCTe::vigiaRota(TDBEdit *edit)
{
    if (m_vigiando || !documentoEmEdicao())
        return;
    const QString lado = ladoRota(edit);
    TField *campo = cdsCTe->FieldByName(edit->DataField());
    if (campo->AsString() == edit->text())
        return;
    // Clearing assigns fields whose own watchers would come back here.
    m_vigiando = true;
    try {
        if (edit == dbeCdPaisIniPrestaServico || edit == dbeCdPaisFimPrestaServico)
            limpaCampos(lado,
                        {u"NMPAIS"_s, u"SGESTADO"_s, u"NMESTADO"_s, u"CDMUNIC"_s, u"NMMUNIC"_s});
        else if (edit == dbeSgEstaIniPrestaServico || edit == dbeSgEstaFimPrestaServico)
            limpaCampos(lado, {u"NMESTADO"_s, u"CDMUNIC"_s, u"NMMUNIC"_s});
        else
            limpaCampos(lado, {u"NMMUNIC"_s});
        LimpaDadosServico(true);
    } catch (...) {
        m_vigiando = false;
        throw;
    }
    m_vigiando = false;
}

// --- operation type ----------------------------------------------------------------------------

void TfrmCTe::Vd_TipoOperac(bool boTestaVazio)
{
    if (!documentoEmEdicao())
        return;
    try {
        const QString codigo = cdsCTe->FieldByName(u"CDTIPOOPER"_s)->AsString();
        cdsCTe->FieldByName(u"IDENTRSAIDOP"_s)->Clear();
        cdsCTe->FieldByName(u"NMTIPOOPER"_s)->Clear();
        if (EmptyString(codigo)) {
            if (boTestaVazio)
                MensErro(msgPadrao->Msg(u"TIPO_OPER_DEVE"_s));
            return;
        }
        qryTipoOperac->Close();
        qryTipoOperac->ParamByName(u"P_IDENTRSAIDOP"_s).SetAsString(u"S"_s);
        qryTipoOperac->ParamByName(u"P_CDTIPOOPER"_s).SetAsString(codigo);
        qryTipoOperac->Open();
        if (qryTipoOperac->IsEmpty())
            MensErro(msgPadrao->Msg(u"TIPO_OPER_N_CADASTRADO"_s));
        for (const char16_t *f : {u"IDENTRSAIDOP", u"CDTIPOOPER", u"NMTIPOOPER"}) {
            const QString name = QString::fromUtf16(f);
            cdsCTe->FieldByName(name)->SetAsString(qryTipoOperac->FieldByName(name).AsString());
        }
    } catch (...) {
        MostrarFormulario();
        pgcDados->setCurrentWidget(tshIdentificacao);
        dbeCdTipoOper->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

// --- the service product -----------------------------------------------------------------------

void TfrmCTe::panServPrestadoExit()
{
    Vd_Produto(false);
    if (!cdsCTe->Active() || (cdsCTe->IsEmpty() && cdsCTe->State() != dsInsert))
        return;
    stCdArvProdAux = cdsCTe->FieldByName(u"CDARVPROD"_s)->AsString();
    doVrTotaPrestServ = cdsCTe->FieldByName(u"VRTOTAPRESTSERV"_s)->AsFloat();
    stChaveFiscalAux = chaveFiscal();
}

QString TfrmCTe::chaveFiscal() const
{
    if (!cdsCTe->Active())
        return {};
    QStringList partes;
    for (const char16_t *f :
         {u"NRINSESTEMIT", u"CDTIPOOPER", u"IDCADTOMADOR", u"CDTOMADORCLI", u"CDTOMADORFOR",
          u"CDPAISINISERV", u"SGESTADOINISERV", u"CDMUNICINISERV", u"CDPAISFIMSERV",
          u"SGESTADOFIMSERV", u"CDMUNICFIMSERV"})
        partes << cdsCTe->FieldByName(QString::fromUtf16(f))->AsString();
    return partes.join(u'|');
}

void TfrmCTe::falhaProduto(QWidget *control, const QString &key)
{
    MostrarFormulario();
    pgcDados->setCurrentWidget(tshTotais);
    control->setFocus(Qt::OtherFocusReason);
    MensErro(msgPadrao->Msg(key));
}

void TfrmCTe::Vd_Produto(bool boTestaVazio)
{
    if (!documentoEmEdicao())
        return;
    // The parametrization is keyed on more than the product and the total: a change of the
    // operation type, the emitter or the payer asks the server again too.
    const QString produto = cdsCTe->FieldByName(u"CDARVPROD"_s)->AsString();
    if (produto == stCdArvProdAux
        && cdsCTe->FieldByName(u"VRTOTAPRESTSERV"_s)->AsFloat() == doVrTotaPrestServ
        && (produto.isEmpty() || chaveFiscal() == stChaveFiscalAux))
        return;
    try {
        const QString codigo = semMascara(cdsCTe->FieldByName(u"CDARVPROD"_s)->AsString());
        cdsCTe->FieldByName(u"NMPRODUTO"_s)->Clear();
        if (EmptyString(codigo)) {
            if (boTestaVazio)
                falhaProduto(dbeCdServPrestado, u"PRODUTO_DEVE"_s);
            return;
        }
        if (EmptyString(dbeValorTotaPrestServ->text()))
            falhaProduto(dbeValorTotaPrestServ, u"VALOR_TOTAL_DEVE"_s);
        if (EmptyString(dbeValorTotaReceber->text()))
            falhaProduto(dbeValorTotaReceber, u"VALOR_RECEBER_DEVE"_s);
        qryProduto->Close();
        qryProduto->ParamByName(u"P_CDARVPROD"_s).SetAsString(codigo);
        qryProduto->Open();
        if (qryProduto->IsEmpty())
            falhaProduto(dbeCdServPrestado, u"PRODUTO_N_CADASTRADO"_s);
        for (const char16_t *f : {u"CDPRODUTO", u"NMPRODUTO", u"CDARVPROD"}) {
            const QString name = QString::fromUtf16(f);
            cdsCTe->FieldByName(name)->SetAsString(qryProduto->FieldByName(name).AsString());
        }

        const QString origem = cdsCTe->FieldByName(u"IDCADTOMADOR"_s)->AsString();
        QString tomador;
        if (origem == u"C")
            tomador = cdsCTe->FieldByName(u"CDTOMADORCLI"_s)->AsString();
        else if (origem == u"F")
            tomador = cdsCTe->FieldByName(u"CDTOMADORFOR"_s)->AsString();
        const auto texto = [this](const char16_t *f) {
            return cdsCTe->FieldByName(QString::fromUtf16(f))->AsString();
        };
        const QVariant reply = chamaServidor(
            u"GetDadosServico"_s,
            {medCdEmpresa->text(), texto(u"NRINSESTEMIT"), u"S"_s, texto(u"CDTIPOOPER"),
             texto(u"CDARVPROD"), texto(u"CDPAISINISERV"), texto(u"SGESTADOINISERV"),
             texto(u"CDMUNICINISERV"), texto(u"CDPAISFIMSERV"), texto(u"SGESTADOFIMSERV"),
             texto(u"CDMUNICFIMSERV"), cdsCTe->FieldByName(u"VRTOTAPRESTSERV"_s)->AsFloat(), origem,
             tomador, Orvglob::FiliProc});
        if (!IsReplyOk(reply)) {
            MostrarFormulario();
            pgcDados->setCurrentWidget(tshTotais);
            dbeCdServPrestado->setFocus(Qt::OtherFocusReason);
            MensErro(ReplyError(reply));
        }
        aplicaDadosServico(reply.toList());
    } catch (...) {
        stCdArvProdAux.clear();
        stChaveFiscalAux.clear();
        doVrTotaPrestServ = 0;
        throw;
    }
}

void TfrmCTe::aplicaDadosServico(const QVariantList &reply)
{
    cdsCTe->FieldByName(u"CDCFOP"_s)->Clear();
    cdsCTe->FieldByName(u"DSNATUOPERACAO"_s)->Clear();
    // The server's taxes replace the document's: only here and in the clearing may rows come
    // and go.
    TImpostosLivres livres(m_impostosLivres);
    cdsCTeImpostos->Cancel();
    cdsCTeImpostos->First();
    while (!cdsCTeImpostos->IsEmpty())
        cdsCTeImpostos->Delete();
    if (reply.value(1).toString() == u"S") {
        cdsCTeImpostosAux->SetData(reply.value(2));
        if (!cdsCTeImpostosAux->IsEmpty()) {
            poeEmEdicao(cdsCTe);
            const double cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
            for (cdsCTeImpostosAux->First(); !cdsCTeImpostosAux->Eof(); cdsCTeImpostosAux->Next()) {
                cdsCTeImpostos->Append();
                cdsCTeImpostos->FieldByName(u"CDCTE"_s)->SetAsFloat(cdCte);
                for (const char16_t *f :
                     {u"CDIMPOSTO", u"SGIMPOSTO", u"VRBASECALCULO", u"VRALIQUOTA", u"VRREDBASECALC",
                      u"VRIMPOSTO", u"VRCREDPRESUMIDO", u"CDSITUTRIBIT", u"CDFISCALIT"}) {
                    const QString name = QString::fromUtf16(f);
                    cdsCTeImpostos->FieldByName(name)->SetValue(
                        cdsCTeImpostosAux->FieldByName(name)->Value());
                }
                cdsCTeImpostos->Post();
            }
        }
        livres.solta();
        cdsCTeDadosAdicAux->SetData(reply.value(5));
        removeObservacoesPadrao();
        if (!cdsCTeDadosAdicAux->IsEmpty()) {
            poeEmEdicao(cdsCTe);
            const double cdCte = cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat();
            for (cdsCTeDadosAdicAux->First(); !cdsCTeDadosAdicAux->Eof();
                 cdsCTeDadosAdicAux->Next()) {
                cdsCTeDadosAdic->Append();
                cdsCTeDadosAdic->FieldByName(u"CDCTE"_s)->SetAsFloat(cdCte);
                cdsCTeDadosAdic->FieldByName(u"CDMENSAGEM"_s)
                    ->SetAsString(cdsCTeDadosAdicAux->FieldByName(u"CDMENSAGEM"_s)->AsString());
                cdsCTeDadosAdic->FieldByName(u"DSDADOADIC"_s)
                    ->SetAsString(cdsCTeDadosAdicAux->FieldByName(u"DSDADOADIC"_s)->AsString());
                cdsCTeDadosAdic->Post();
            }
        }
        cdsCTe->FieldByName(u"CDCFOP"_s)->SetAsString(reply.value(3).toString());
        cdsCTe->FieldByName(u"DSNATUOPERACAO"_s)->SetAsString(reply.value(4).toString());
    }
}

// The standard observations of a fiscal treatment are replaced by those of the new one, not
// added again; what the user typed (no message code) stays.
void TfrmCTe::removeObservacoesPadrao()
{
    qryMensServico->Close();
    qryMensServico->Open();
    QSet<QString> padrao;
    for (const contracts::Row &row : qryMensServico->ToPacket().rows)
        padrao.insert(row.value(0).toString().trimmed());
    qryMensServico->Close();
    cdsCTeDadosAdic->Cancel();
    cdsCTeDadosAdic->First();
    while (!cdsCTeDadosAdic->Eof()) {
        const QString codigo = cdsCTeDadosAdic->FieldByName(u"CDMENSAGEM"_s)->AsString().trimmed();
        if (!codigo.isEmpty() && padrao.contains(codigo))
            cdsCTeDadosAdic->Delete();
        else
            cdsCTeDadosAdic->Next();
    }
}

void TfrmCTe::LimpaDadosServico(bool boLimpaProduto)
{
    if (boLimpaProduto) {
        for (const char16_t *name :
             {u"CDARVPROD", u"NMPRODUTO", u"VRTOTAPRESTSERV", u"VRTOTARECEBER"}) {
            TField *f = cdsCTe->FieldByName(QString::fromUtf16(name));
            if (!f->IsNull())
                f->Clear();
        }
        stCdArvProdAux.clear();
        stChaveFiscalAux.clear();
        doVrTotaPrestServ = 0;
    }
    LimpaListasServico();
}
