// The company panel: the company whose documents are listed, checked when typed or picked, and
// leaving the panel asks the filter for a selection and loads the list.
#include "Cli_Dfs88000.h"
#include "Cli_Dfs88100.h"

#include "ADOIBQuery.h"
#include "BtnPesquisa.h"
#include "ClientDataSet.h"
#include "ContainerFocus.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "Messages.h"
#include "StrUtils.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

void TfrmCTe::criaEmpresa()
{
    qryPesqEmpresa = new TADOIBQuery(this, u"qryPesqEmpresa"_s);
    qryPesqEmpresa->SetSQL(
        u"SELECT E.CDEMPRESA, E.NMEMPRESA, E.NMRAZSOCEMPR FROM EMPRESA E ORDER BY CDEMPRESA"_s);
    qryVdEmpresa = new TADOIBQuery(this, u"qryVdEmpresa"_s);
    qryVdEmpresa->SetSQL(u"SELECT E.CDEMPRESA, E.NMEMPRESA, E.NMRAZSOCEMPR FROM EMPRESA E "
                         "WHERE CDEMPRESA = :P_CDEMPRESA"_s);
    for (TADOIBQuery *qry : {qryPesqEmpresa, qryVdEmpresa}) {
        qry->SetFieldDisplay(u"CDEMPRESA"_s, msgPadrao->Msg(u"COL_EMPRESA_CODIGO"_s), 2);
        qry->SetFieldDisplay(u"NMEMPRESA"_s, msgPadrao->Msg(u"COL_EMPRESA_NOME"_s), 40);
        qry->SetFieldDisplay(u"NMRAZSOCEMPR"_s, msgPadrao->Msg(u"COL_EMPRESA_RAZAO"_s), 80);
    }
    cdsPesqEmpresa = new TClientDataSet(this, u"cdsPesqEmpresa"_s);
    dtsPesqEmpresa = new TDataSource(this, u"dtsPesqEmpresa"_s);
    dtsPesqEmpresa->SetDataSet(cdsPesqEmpresa);
    btnEmpresa->DataSource = dtsPesqEmpresa;
    btnEmpresa->OnBeforePesq = [this](TBtnPesquisa *, bool &) {
        btnEmpresaBeforePesq();
    };
    btnEmpresa->OnAfterPesq = [this](TBtnPesquisa *) {
        btnEmpresaAfterPesq();
    };

    // The filter's look-ups follow the company typed here.
    Cli_Dfs88100::SetCompanySource([this] { return medCdEmpresa->text(); });

    ContainerFocus::Watch(
        panEmpresa, [this] { panEmpresaEnter(); }, [this] { panEmpresaExit(); });
}

void TfrmCTe::btnEmpresaBeforePesq()
{
    qryPesqEmpresa->Close();
    qryPesqEmpresa->Open();
    cdsPesqEmpresa->LoadFromPacket(qryPesqEmpresa->ToPacket());
    for (const char16_t *name : {u"CDEMPRESA", u"NMEMPRESA", u"NMRAZSOCEMPR"}) {
        const QString n = QString::fromUtf16(name);
        const TADOIBQuery::TFieldDisplay shown = qryPesqEmpresa->FieldDisplay(n);
        TField *f = cdsPesqEmpresa->FieldByName(n);
        f->SetDisplayLabel(shown.label);
        f->SetDisplayWidth(shown.width);
    }
}

void TfrmCTe::btnEmpresaAfterPesq()
{
    medCdEmpresa->setText(cdsPesqEmpresa->FieldByName(u"CDEMPRESA"_s)->AsString());
    edtNmEmpresa->setText(cdsPesqEmpresa->FieldByName(u"NMRAZSOCEMPR"_s)->AsString());
}

void TfrmCTe::Vd_Empresa(bool boTestaVazio)
{
    try {
        edtNmEmpresa->clear();
        if (EmptyString(medCdEmpresa->text())) {
            if (boTestaVazio)
                MensErro(msgPadrao->Msg(u"EMPRESA_DEVE"_s));
            return;
        }
        medCdEmpresa->setText(Ajusta(medCdEmpresa->text(), 2));
        qryVdEmpresa->Close();
        qryVdEmpresa->ParamByName(u"P_CDEMPRESA"_s).SetAsString(medCdEmpresa->text());
        qryVdEmpresa->Open();
        if (qryVdEmpresa->IsEmpty())
            MensErro(msgPadrao->Msg(u"EMPRESA_N_CADASTRADA"_s));
        edtNmEmpresa->setText(qryVdEmpresa->FieldByName(u"NMRAZSOCEMPR"_s).AsString());
    } catch (...) {
        medCdEmpresa->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

// The panel's enter and exit count only for moves inside this window: a look-up list or a
// message box taking the focus for a while neither leaves nor enters the panel.
bool TfrmCTe::focoNaJanela() const
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void TfrmCTe::panEmpresaEnter()
{
    if (std::exchange(m_empresaForaDaJanela, false))
        return;
    cdsCTe->Close();
    pgcPadrao->setTabEnabled(pgcPadrao->indexOf(tshFolhaDados), true);
    mnuListagem->setEnabled(true);
    pgcPadrao->setCurrentWidget(tshFolhaDados);
    AtualizaComandos();
}

void TfrmCTe::panEmpresaExit()
{
    if (!focoNaJanela()) {
        m_empresaForaDaJanela = true;
        return;
    }
    m_empresaForaDaJanela = false;
    Vd_Empresa(true);
    if (!Cli_Dfs88100::CriaFiltroCTe()) {
        medCdEmpresa->setFocus(Qt::OtherFocusReason);
        return;
    }
    CarregaDadosGerais();
    inCount = 0;
    AtualizaComandos();
    pgcPadrao->setCurrentWidget(tshFolhaDados);
    dbgPadrao->setFocus(Qt::OtherFocusReason);
}
