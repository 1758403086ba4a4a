#include "Cli_Dfs88300.h"
#include "Cli_Dfs88000.h"

#include "BusyAnimation.h"
#include "ClientDataSet.h"
#include "DacteData.h"
#include "DacteReportData.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "Field.h"
#include "HostWindow.h"
#include "Messages.h"
#include "ModuleCatalogues.h"
#include "NetConnection.h"
#include "ReportDesigner.h"
#include "Screen.h"

#include <QDateTime>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace Cli_Dfs88300 {

QPointer<TfrmDACTE> frmDACTE;
bool boIdCriado = false;
double flCdCTe = 0;

void CriaDACTE(double CdCTe)
{
    const Screen::HourGlass ampulheta;
    if (!boIdCriado) {
        frmDACTE = new TfrmDACTE(HostMainWindow());
        boIdCriado = true;
    }
    flCdCTe = CdCTe;
    frmDACTE->ShowModal();
}

void ResetUnit()
{
    delete frmDACTE.data();
    frmDACTE = nullptr;
    boIdCriado = false;
    flCdCTe = 0;
}

} // namespace Cli_Dfs88300

using namespace Cli_Dfs88300;

TfrmDACTE::TfrmDACTE(QWidget *parent)
    : TfrmDadosGerRel(parent)
{
    setObjectName(u"frmDACTE"_s);
    CarregaCatalogo(msgPadrao, u"Cli_Dfs88300_msgPadrao"_s);
    setWindowTitle(msgPadrao->Msg(u"TITULO_JANELA"_s));
    SetCodTela(u"DFS88300"_s);
    rpddPadrao->ReportCode = u"DFS890"_s;
    rpddPadrao->OnBeforeQueryParams = [this] {
        rpddPadraoBeforeGetQueryParams();
    };

    for (const dacte::SetDef &set : dacte::dacteSets())
        cdsDACTe.insert(set.name, criaDataSet(u"cdsDACTe"_s + set.name));
    cdsDACTeInfQAux = criaDataSet(u"cdsDACTeInfQAux"_s, u"DataSource1"_s);
    DataSource1 = findChild<TDataSource *>(u"DataSource1"_s);
    cdsDACTeCompAux = criaDataSet(u"cdsDACTeCompAux"_s);
    cdsDACTeInfDoc = criaDataSet(u"cdsDACTeInfDoc"_s);
    cdsDACTeInfDocAux = criaDataSet(u"cdsDACTeInfDocAux"_s);
    cdsDACTePaginas = criaDataSet(u"cdsDACTePaginas"_s);
}

TClientDataSet *TfrmDACTE::criaDataSet(const QString &name, const QString &sourceName)
{
    auto *cds = new TClientDataSet(this, name);
    auto *dts = new TDataSource(this, sourceName.isEmpty() ? u"dts"_s + name.mid(3) : sourceName);
    dts->SetDataSet(cds);
    return cds;
}

void TfrmDACTE::rpddPadraoBeforeGetQueryParams()
{
    if (!Cli_Dfs88000::frmCTe)
        MensErro(msgPadrao->Msg(u"EDITOR_FECHADO"_s), true);
    QVariantList elementos;
    {
        const TShowAviScope animacao(6);
        const QVariant reply
            = Cli_Dfs88000::frmCTe->netCTe->AppServer(u"PreparaDACTe"_s, {flCdCTe});
        if (reply.typeId() == QMetaType::QString)
            MensErro(reply.toString(), true);
        elementos = reply.toList();
        if (elementos.value(0).toString() != u"S")
            MensErro(elementos.value(1).toString(), true);
    }
    const QList<dacte::SetDef> &sets = dacte::dacteSets();
    for (qsizetype i = 0; i < sets.size(); ++i) {
        TClientDataSet *cds = cdsDACTe.value(sets.at(i).name);
        cds->SetData(elementos.value(i + 1));
        // The report reads quantities by document and the documents in their sequence.
        if (sets.at(i).numbered)
            cds->SetIndexFieldNames(u"CDCTE;NRSEQ"_s);
        else if (sets.at(i).name == u"InfQ")
            cds->SetIndexFieldNames(u"CDCTE"_s);
    }
    ligaTextos();

    dactereport::PreencheInfQAux(cdsDACTe.value(u"InfQ"_s), cdsDACTeInfQAux);
    dactereport::PreencheCompAux(cdsDACTe.value(u"Comp"_s), cdsDACTeCompAux);
    dactereport::PreencheInfDoc(cdsDACTe.value(u"Rem"_s), cdsDACTe.value(u"InfNF"_s),
                                cdsDACTe.value(u"InfNFe"_s), cdsDACTeInfDoc);
    dactereport::PreencheInfDocAux(cdsDACTeInfDoc, cdsDACTeInfDocAux, cdsDACTePaginas);
}

void TfrmDACTE::ligaTextos()
{
    const auto liga = [this](const QString &set, const QString &field, auto handler) {
        if (TField *f = cdsDACTe.value(set)->FindField(field)) {
            f->OnGetText = [this, handler](TField *sender, QString &text, bool display) {
                (this->*handler)(sender, text, display);
            };
        }
    };
    liga(u"Ide"_s, u"dhEmi"_s, &TfrmDACTE::cdsDACTeIdedhEmiGetText);
    liga(u"InfProt"_s, u"dhRecbto"_s, &TfrmDACTE::cdsDACTeInfProtdhRecbtoGetText);
    liga(u"Ide"_s, u"tpCTe"_s, &TfrmDACTE::cdsDACTeIdetpCTeGetText);
    liga(u"Ide"_s, u"tpServ"_s, &TfrmDACTE::cdsDACTeIdetpServGetText);
}

namespace {

// "2012-05-10T14:30:05-03:00" in the locale's short date and long time; the offset is ignored.
QString dataHora(const QString &valor)
{
    if (valor.isEmpty())
        return {};
    const auto parte = [&](int inicio, int tamanho) {
        bool ok = false;
        const int n = valor.mid(inicio, tamanho).toInt(&ok);
        if (!ok || valor.size() < inicio + tamanho)
            MensErro(FwMsg(u"FW_DATA_INVALIDA"_s).arg(valor), true);
        return n;
    };
    const QDateTime t(QDate(parte(0, 4), parte(5, 2), parte(8, 2)),
                      QTime(parte(11, 2), parte(14, 2), parte(17, 2)));
    if (!t.isValid())
        MensErro(FwMsg(u"FW_DATA_INVALIDA"_s).arg(valor), true);
    const QLocale locale;
    return locale.toString(t.date(), QLocale::ShortFormat) + u' '
        + locale.toString(t.time(), QLocale::LongFormat);
}

} // namespace

void TfrmDACTE::cdsDACTeIdedhEmiGetText(TField *sender, QString &text, bool)
{
    text = dataHora(sender->AsString());
}

void TfrmDACTE::cdsDACTeInfProtdhRecbtoGetText(TField *sender, QString &text, bool)
{
    text = dataHora(sender->AsString());
}

void TfrmDACTE::cdsDACTeIdetpCTeGetText(TField *sender, QString &text, bool)
{
    const QString valor = sender->AsString();
    text = valor.isEmpty() ? QString() : msgPadrao->Msg(u"tpCTe_"_s + valor);
}

void TfrmDACTE::cdsDACTeIdetpServGetText(TField *sender, QString &text, bool)
{
    const QString valor = sender->AsString();
    text = valor.isEmpty() ? QString() : msgPadrao->Msg(u"tpServ_"_s + valor);
}

void TfrmDACTE::FormClose(TCloseAction &action)
{
    boIdCriado = false;
    TfrmDadosGerRel::FormClose(action);
}
