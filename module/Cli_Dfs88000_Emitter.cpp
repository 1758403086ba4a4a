// The emitter: the establishment on whose behalf the document is issued, typed by its legal
// registration or picked among the company's state registrations, resolved by the server and
// copied into the document.
#include "Cli_Dfs88000.h"

#include "ADOIBQuery.h"
#include "ClientDataSet.h"
#include "DBEdit.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "ListLoad.h"
#include "Lookup.h"
#include "Masks.h"
#include "Messages.h"
#include "NetConnection.h"
#include "PartyCopy.h"
#include "StrUtils.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace Cli_Dfs88000;

namespace {

// The emitter's fields, in the order the server's row is copied into the document.
constexpr const char16_t *kCamposEmitente[] = {
    u"NRINSJUREMIT",    u"IDTPIJUREMIT",    u"NMRAZSOCEMIT",    u"NRINSESTEMIT",
    u"NMFANTEMIT",      u"NRTELEEMIT",      u"DSEMAILEMIT",     u"DSENDEEMIT",
    u"DSCOMPENDEMIT",   u"NRCEPEMIT",       u"CDPAISEMIT",      u"NMPAISEMIT",
    u"CDPAISBACENEMIT", u"SGESTADOEMIT",    u"NMESTADOEMIT",    u"CDESTADOIBGEEMIT",
    u"CDMUNICIPIOEMIT", u"NMMUNICIPIOEMIT", u"CDMUNICIBGEEMIT", u"NMBAIREMIT",
};

} // namespace

void TfrmCTe::criaEmitente()
{
    qryPesqEmitente = new TADOIBQuery(this, u"qryPesqEmitente"_s);
    qryPesqEmitente->SetSQL(u"SELECT CDEMPRESA, NRINSJURIEST, CDINSCESTA FROM INSCRESTAD "
                            "WHERE CDEMPRESA = :P_CDEMPRESA ORDER BY NRINSJURIEST"_s);
    cdsPesqEmitente = new TClientDataSet(this, u"cdsPesqEmitente"_s);
    dtsPesqEmitente = new TDataSource(this, u"dtsPesqEmitente"_s);
    dtsPesqEmitente->SetDataSet(cdsPesqEmitente);

    cdsCTe->FieldByName(u"NRINSJUREMIT"_s)->OnChange = [this](TField *) {
        cdsCTeNRINSJUREMITChange();
    };
    dbeNrInsJurEmit->OnEnter = [this] {
        dbeNrInsJurEmitEnter();
    };
    dbeNrInsJurEmit->OnExit = [this] {
        dbeNrInsJurEmitExit();
    };
    dbeNrInsJurEmit->OnChange = [this] {
        dbeNrInsJurEmitChange();
    };
    dbeNrInsJurEmit->OnKeyDown = [this](int &key, Qt::KeyboardModifiers) {
        dbeNrInsJurEmitKeyDown(key);
    };
    connect(btnInsJurEmit, &QToolButton::clicked, this,
            [this] { FrameworkGuard([this] { btnInsJurEmitClick(); }); });
}

bool TfrmCTe::emEdicao() const
{
    return dtsPadrao->State() == dsEdit || dtsPadrao->State() == dsInsert;
}

QString TfrmCTe::inscricaoInformada(const TField *field)
{
    // The field, not the edit: an edit still under another person type's mask shows the
    // registration cut. Punctuation alone is nothing typed.
    const QString text = field->AsString();
    return RetSemMascara(text).trimmed().isEmpty() ? QString() : text;
}

void TfrmCTe::carregaParte(const QVariant &reply, TClientDataSet *cds)
{
    CheckReply(reply);
    cds->SetData(reply.toList().value(1));
}

void TfrmCTe::Vd_Emitente(bool boTestaVazio)
{
    if (!emEdicao())
        return;
    const QString nrInsJur = cdsCTe->FieldByName(u"NRINSJUREMIT"_s)->AsString();
    if (!nrInsJur.isEmpty() && nrInsJur == stNrInsJurEmitAux)
        return;
    try {
        const QString inscEstadual = dbeNrInsEstEmit->text();
        const QString digitada = inscricaoInformada(cdsCTe->FieldByName(u"NRINSJUREMIT"_s));
        LimpaTexto(u"Emitente"_s, false);
        if (EmptyString(digitada)) {
            if (boTestaVazio)
                MensErro(msgPadrao->Msg(u"EMITENTE_DEVE"_s));
            return;
        }
        const QVariant reply = chamaServidor(
            u"GetEmitente"_s,
            {cdsCTe->FieldByName(u"CDEMPRESA"_s)->AsString(), inscEstadual, digitada});
        carregaParte(reply, cdsEmitente);
        if (cdsEmitente->IsEmpty())
            MensErro(msgPadrao->Msg(u"EMITENTE_N_CADASTRADO"_s));
        if (cdsEmitente->RecordCount() > 1)
            MensErro(msgPadrao->Msg(u"EMITENTE_DUPLICADO"_s));
        for (const char16_t *name : kCamposEmitente) {
            const QString campo = QString::fromUtf16(name);
            const TField *origem = cdsEmitente->FindField(campo);
            cdsCTe->FieldByName(campo)->SetAsString(origem ? origem->AsString() : QString());
        }
    } catch (...) {
        MostrarFormulario();
        pgcDados->setCurrentWidget(tshEmitente);
        dbeNrInsJurEmit->setFocus(Qt::OtherFocusReason);
        stNrInsJurEmitAux.clear();
        throw;
    }
}

void TfrmCTe::btnInsJurEmitClick()
{
    try {
        qryPesqEmitente->Close();
        qryPesqEmitente->ParamByName(u"P_CDEMPRESA"_s).SetAsString(medCdEmpresa->text());
        qryPesqEmitente->Open();
        // The columns in the order the list shows them.
        contracts::DataPacket packet = qryPesqEmitente->ToPacket();
        contracts::DataPacket ordenado;
        const QStringList colunas {u"CDINSCESTA"_s, u"NRINSJURIEST"_s, u"CDEMPRESA"_s};
        for (const QString &c : colunas)
            ordenado.fields << packet.fields.at(packet.indexOf(c));
        for (const contracts::Row &row : std::as_const(packet.rows)) {
            contracts::Row r;
            for (const QString &c : colunas)
                r << row.at(packet.indexOf(c));
            ordenado.rows << r;
        }
        cdsPesqEmitente->LoadFromPacket(std::move(ordenado));
        const std::pair<const char16_t *, int> titulos[]
            = {{u"COL_INSCR_ESTADUAL", 16}, {u"COL_INSCR_JURIDICA", 20}, {u"COL_EMPRESA", 2}};
        for (int i = 0; i < 3; ++i) {
            TField *f = cdsPesqEmitente->FieldByName(colunas.at(i));
            f->SetDisplayLabel(msgPadrao->Msg(QString::fromUtf16(titulos[i].first)));
            f->SetDisplayWidth(titulos[i].second);
        }
        const bool escolheu = Pesquisar(dtsPesqEmitente,
                                        msgPadrao->Msg(u"EMITENTE"_s) + u'|'
                                            + msgPadrao->Msg(u"N_CADASTRO_EMITENTE"_s));
        if (escolheu) {
            if (!emEdicao())
                cdsCTe->Edit();
            TField *nrInsJur = cdsCTe->FieldByName(u"NRINSJUREMIT"_s);
            cdsCTe->FieldByName(u"NRINSESTEMIT"_s)
                ->SetAsString(cdsPesqEmitente->FieldByName(u"CDINSCESTA"_s)->AsString());
            // The old registration's mask would cut the new one.
            nrInsJur->SetEditMask({});
            nrInsJur->SetAsString(cdsPesqEmitente->FieldByName(u"NRINSJURIEST"_s)->AsString());
            // A choice is always checked, even one that keeps the registration: another state
            // registration of the same establishment is another emitter.
            stNrInsJurEmitAux.clear();
            Vd_Emitente(false);
            stNrInsJurEmitAux = nrInsJur->AsString();
            nrInsJur->SetEditMask(PictPess(cdsCTe->FieldByName(u"IDTPIJUREMIT"_s)->AsString()));
        }
    } catch (...) {
        qryPesqEmitente->Close();
        throw;
    }
    qryPesqEmitente->Close();
}

void TfrmCTe::dbeNrInsJurEmitKeyDown(int &key)
{
    if (key == Qt::Key_F9) {
        key = 0;
        btnInsJurEmitClick();
    }
}

void TfrmCTe::dbeNrInsJurEmitEnter()
{
    cdsCTe->FieldByName(u"NRINSJUREMIT"_s)->SetEditMask({});
}

void TfrmCTe::dbeNrInsJurEmitExit()
{
    Vd_Emitente(false);
    if (!cdsCTe->Active())
        return;
    stNrInsJurEmitAux = cdsCTe->FieldByName(u"NRINSJUREMIT"_s)->AsString();
    cdsCTe->FieldByName(u"NRINSJUREMIT"_s)
        ->SetEditMask(PictPess(cdsCTe->FieldByName(u"IDTPIJUREMIT"_s)->AsString()));
}

void TfrmCTe::dbeNrInsJurEmitChange()
{
    if (!emEdicao())
        return;
    if (RetSemMascara(cdsCTe->FieldByName(u"NRINSJUREMIT"_s)->AsString())
        != RetSemMascara(dbeNrInsJurEmit->text())) {
        LimpaTexto(u"Emitente"_s, false);
        cdsCTe->FieldByName(u"IDTPIJUREMIT"_s)->Clear();
    }
}

void TfrmCTe::cdsCTeNRINSJUREMITChange()
{
    LimpaDadosServico(true);
}
