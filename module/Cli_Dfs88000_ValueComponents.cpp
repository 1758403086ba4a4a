// Value components and taxes of the page "Totais": the component look-up and check, the list of
// codes already used in the document, the tax list that only the server's answer fills, and the
// clearing of both when the total value changes.
#include "Cli_Dfs88000.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "Lookup.h"
#include "Messages.h"
#include "NetConnection.h"
#include "ServerReply.h"
#include "StrUtils.h"

#include <QTabWidget>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

namespace {

bool editando(const TClientDataSet *cds)
{
    return cds->State() == dsEdit || cds->State() == dsInsert;
}

} // namespace

void TfrmCTe::criaComponentesValor()
{
    dbgCompValorPrestacao->OnEditButtonClick = [this](int) {
        PesquisaCompValorPrest();
    };
    dbgCompValorPrestacao->OnKeyDown = [this](int &key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_F9)
            PesquisaCompValorPrest();
    };
    dbgCompValorPrestacao->OnColExit = [this](int column) {
        const TField *f = dbgCompValorPrestacao->ColumnField(column);
        if (f && f->FieldName() == u"CDCOMPVRPREST")
            Vd_CompValorPrest(false);
    };

    cdsCTeCompValor->AfterInsert = [this](TClientDataSet *) {
        m_compValorGuardado = QVariant();
        poeDocumentoEmEdicao();
        cdsCTeCompValor->FieldByName(u"CDCTECOMPVALOR"_s)->SetAsFloat(0);
        cdsCTeCompValor->FieldByName(u"CDCTE"_s)
            ->SetAsFloat(cdsCTe->FieldByName(u"CDCTE"_s)->AsFloat());
        cdsCTeCompValor->FieldByName(u"VRCOMPONENTE"_s)->SetAsFloat(0);
    };
    cdsCTeCompValor->AfterEdit = [this](TClientDataSet *) {
        // The row's own code, as stored before this edit.
        m_compValorGuardado = cdsCTeCompValor->FieldByName(u"CDCOMPVRPREST"_s)->Value();
        poeDocumentoEmEdicao();
    };
    cdsCTeCompValor->AfterDelete = [this](TClientDataSet *) {
        poeDocumentoEmEdicao();
    };
    cdsCTeCompValor->BeforePost = [this](TClientDataSet *) {
        Vd_CompValorPrest(true);
        const TField *codigo = cdsCTeCompValor->FieldByName(u"CDCOMPVRPREST"_s);
        if (cdsCTeCompValor->State() == dsInsert) {
            slCTeCompValor.append(codigo->AsString());
        } else if (!m_compValorGuardado.isNull()
                   && m_compValorGuardado.toDouble() != codigo->AsFloat()) {
            // A row that took another component through the look-up keeps the list exact.
            const qsizetype at = indiceCompValor(m_compValorGuardado.toDouble());
            if (at >= 0)
                slCTeCompValor[at] = codigo->AsString();
        }
    };
    cdsCTeCompValor->BeforeDelete = [this](TClientDataSet *) {
        const TField *codigo = cdsCTeCompValor->FieldByName(u"CDCOMPVRPREST"_s);
        const qsizetype at = codigo->IsNull() ? -1 : indiceCompValor(codigo->AsFloat());
        if (at >= 0)
            slCTeCompValor.removeAt(at);
    };
    dtsCTeCompValor->OnStateChange = [this](TDataSource *) {
        if (editando(cdsCTeCompValor))
            poeDocumentoEmEdicao();
    };

    // The taxes come from the server; the user changes only the presumed credit.
    cdsCTeImpostos->BeforeInsert = [this](TClientDataSet *) {
        if (!m_impostosLivres)
            Abort();
    };
    cdsCTeImpostos->BeforeDelete = [this](TClientDataSet *) {
        if (!m_impostosLivres)
            Abort();
    };
    cdsCTeImpostos->AfterDelete = [this](TClientDataSet *) {
        poeDocumentoEmEdicao();
    };
    dtsCTeImpostos->OnStateChange = [this](TDataSource *) {
        if (editando(cdsCTeImpostos))
            poeDocumentoEmEdicao();
    };
    dbgImposto->OnKeyDown = [](int &key, Qt::KeyboardModifiers modifiers) {
        if (key == Qt::Key_Delete && (modifiers & Qt::ControlModifier))
            key = 0;
    };

    cdsCTe->FieldByName(u"VRTOTAPRESTSERV"_s)->OnChange = [this](TField *) {
        LimpaListasServico();
    };
}

void TfrmCTe::poeDocumentoEmEdicao()
{
    if (!cdsCTe->Active() || cdsCTe->State() == dsBrowse)
        cdsCTe->Edit();
}

qsizetype TfrmCTe::indiceCompValor(double codigo) const
{
    for (qsizetype i = 0; i < slCTeCompValor.size(); ++i) {
        bool ok = false;
        const double usado = slCTeCompValor.at(i).toDouble(&ok);
        if (ok && usado == codigo)
            return i;
    }
    return -1;
}

void TfrmCTe::PesquisaCompValorPrest()
{
    const TField *selecionado
        = dbgCompValorPrestacao->ColumnField(dbgCompValorPrestacao->SelectedIndex());
    if (!selecionado || selecionado->FieldName() != u"CDCOMPVRPREST")
        return;
    if (cdsPesqCompValorPrest->Active())
        cdsPesqCompValorPrest->First();
    if (!Pesquisar(dtsPesqCompValorPrest,
                   msgPadrao->Msg(u"COMPONENTES_VALOR"_s) + u'|'
                       + msgPadrao->Msg(u"COMPONENTES_VALOR_EMPTY"_s)))
        return;
    if (!editando(cdsCTeCompValor))
        cdsCTeCompValor->Edit();
    for (const char16_t *f : {u"CDCOMPVRPREST", u"DSCOMPVRPREST"}) {
        const QString name = QString::fromUtf16(f);
        cdsCTeCompValor->FieldByName(name)->SetValue(
            cdsPesqCompValorPrest->FieldByName(name)->Value());
    }
}

void TfrmCTe::Vd_CompValorPrest(bool boTestaVazio)
{
    if (!documentoEmEdicao())
        return;
    // A stored row that nobody is changing holds its code already.
    if (cdsCTeCompValor->State() == dsBrowse)
        return;
    try {
        const QString texto = GridText(dbgCompValorPrestacao, u"CDCOMPVRPREST"_s).trimmed();
        if (texto.isEmpty()) {
            if (boTestaVazio)
                MensErro(msgPadrao->Msg(u"COMPONENTES_VALOR_DEVE"_s));
            return;
        }
        // Used means held by another row: the row under test may show its own stored code.
        bool ok = false;
        const double codigo = texto.toDouble(&ok);
        qsizetype usos = 0;
        for (const QString &usado : std::as_const(slCTeCompValor))
            usos += usado == texto || (ok && usado.toDouble() == codigo);
        const QVariant proprio
            = cdsCTeCompValor->State() == dsEdit ? m_compValorGuardado : QVariant();
        if (!proprio.isNull() && ok && proprio.toDouble() == codigo)
            --usos;
        if (usos > 0)
            MensErro(msgPadrao->Msg(u"COMPONENTES_VALOR_JA_CAD"_s));

        const QVariant reply = chamaServidor(u"GetCompValorPrest"_s, {texto, QString()});
        if (!IsReplyOk(reply))
            MensErro(ReplyError(reply));
        if (cdsCompValorPrest->Active())
            cdsCompValorPrest->EmptyDataSet();
        else
            cdsCompValorPrest->CreateDataSet();
        cdsCompValorPrest->SetData(reply.toList().value(1));
        if (cdsCompValorPrest->IsEmpty())
            MensErro(msgPadrao->Msg(u"COMPONENTES_VALOR_N_CADASTRADO"_s));
        for (const char16_t *f : {u"CDCOMPVRPREST", u"DSCOMPVRPREST"}) {
            const QString name = QString::fromUtf16(f);
            cdsCTeCompValor->FieldByName(name)->SetValue(
                cdsCompValorPrest->FieldByName(name)->Value());
        }
    } catch (...) {
        MostrarFormulario();
        pgcDados->setCurrentWidget(tshTotais);
        dbgCompValorPrestacao->setFocus(Qt::OtherFocusReason);
        const int coluna = IndiceCol(dbgCompValorPrestacao, u"CDCOMPVRPREST"_s);
        if (coluna >= 0)
            dbgCompValorPrestacao->SetSelectedIndex(coluna);
        throw;
    }
}

void TfrmCTe::LimpaListasServico()
{
    if (cdsCTe->State() != dsEdit && cdsCTe->State() != dsInsert)
        return;
    // A component row still being typed goes too, unchecked.
    cdsCTeCompValor->Cancel();
    cdsCTeCompValor->First();
    while (!cdsCTeCompValor->IsEmpty())
        cdsCTeCompValor->Delete();
    const TImpostosLivres livres(m_impostosLivres);
    cdsCTeImpostos->Cancel();
    cdsCTeImpostos->First();
    while (!cdsCTeImpostos->IsEmpty())
        cdsCTeImpostos->Delete();
}
