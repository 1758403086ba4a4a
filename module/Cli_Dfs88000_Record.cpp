// The editor's datasets: the document record, its child lists, the auxiliary datasets and the
// code lists that feed the drop-downs.
#include "Cli_Dfs88000.h"

#include "CTeRecord.h"
#include "ClientDataSet.h"
#include "CodeLists.h"
#include "DataSource.h"
#include "FieldDisplay.h"
#include "Messages.h"

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace {

TAlignment alinhamento(TFieldDisplay::Align align)
{
    switch (align) {
    case TFieldDisplay::Center:
        return TAlignment::taCenter;
    case TFieldDisplay::Right:
        return TAlignment::taRightJustify;
    case TFieldDisplay::Left:
        break;
    }
    return TAlignment::taLeftJustify;
}

// Declares `defs` on a new dataset `name`, with the labels of msgRotulos and the formats, masks
// and alignments the editor shows the dataset's fields with.
TClientDataSet *criaDataSet(QObject *owner, const QString &name, const QList<FieldDef> &defs,
                            const TMessages *rotulos)
{
    auto *ds = new TClientDataSet(owner, name);
    for (const FieldDef &def : defs) {
        TField *f = ds->AddField(def.name, def.type, def.size);
        f->SetVisible(!def.hidden);
        const QString key = FieldLabelKey(name, def.name);
        if (rotulos->HasKey(key))
            f->SetDisplayLabel(rotulos->Msg(key));
    }
    for (const TFieldDisplay &display : EditorFieldDisplays()) {
        if (display.dataset != name)
            continue;
        if (TField *f = ds->FindField(display.field)) {
            f->SetDisplayFormat(display.displayFormat);
            f->SetEditMask(display.editMask);
            f->SetAlignment(alinhamento(display.alignment));
        }
    }
    return ds;
}

// The definitions of `names`, taken from `defs` (keeps one place for every width).
QList<FieldDef> selecao(const QList<FieldDef> &defs, const QStringList &names)
{
    QList<FieldDef> result;
    for (const QString &name : names) {
        for (const FieldDef &def : defs) {
            if (def.name == name)
                result << def;
        }
    }
    return result;
}

FieldDef texto(const QString &name, int size)
{
    return {name, FieldType::String, size, false};
}

} // namespace

void TfrmCTe::criaRegistro()
{
    using namespace contracts::cte;

    cdsCTe = criaDataSet(this, u"cdsCTe"_s, documentFields(), msgRotulos);
    // The footer of the navigation bar, calculated from key and number.
    cdsCTe->AddCalcField(u"RODAPE"_s, FieldType::String, 255)->SetVisible(false);
    dtsPadrao->SetDataSet(cdsCTe);

    cdsCTeImpostos = criaDataSet(this, u"cdsCTeImpostos"_s, taxFields(), msgRotulos);
    cdsCTeImpostos->SetIndexFieldNames(u"CDCTE;CDIMPOSTO"_s);
    cdsCTeCompValor = criaDataSet(this, u"cdsCTeCompValor"_s, valueComponentFields(), msgRotulos);
    cdsCTeCompValor->SetIndexFieldNames(u"CDCOMPVRPREST"_s);
    // Fiscal documents stay in arrival order: no index.
    cdsCTeDocFiscais = criaDataSet(this, u"cdsCTeDocFiscais"_s, fiscalDocumentFields(), msgRotulos);
    cdsCTeInfQtCarga = criaDataSet(this, u"cdsCTeInfQtCarga"_s, cargoQuantityFields(), msgRotulos);
    cdsCTeDadosAdic = criaDataSet(this, u"cdsCTeDadosAdic"_s, additionalDataFields(), msgRotulos);
    cdsInscrEstad = criaDataSet(this, u"cdsInscrEstad"_s, establishmentFields(), msgRotulos);

    dtsCTeImpostos = new TDataSource(this, u"dtsCTeImpostos"_s);
    dtsCTeImpostos->SetDataSet(cdsCTeImpostos);
    dtsCTeCompValor = new TDataSource(this, u"dtsCTeCompValor"_s);
    dtsCTeCompValor->SetDataSet(cdsCTeCompValor);
    dtsCTeDocFiscais = new TDataSource(this, u"dtsCTeDocFiscais"_s);
    dtsCTeDocFiscais->SetDataSet(cdsCTeDocFiscais);
    dtsCTeInfQtCarga = new TDataSource(this, u"dtsCTeInfQtCarga"_s);
    dtsCTeInfQtCarga->SetDataSet(cdsCTeInfQtCarga);
    dtsCTeDadosAdic = new TDataSource(this, u"dtsCTeDadosAdic"_s);
    dtsCTeDadosAdic->SetDataSet(cdsCTeDadosAdic);

    // Auxiliary datasets built here; the emitter's twenty fields are the record's "…EMIT" ones.
    QList<FieldDef> emitente;
    for (const FieldDef &def : documentFields()) {
        if (def.name.endsWith(u"EMIT"_s))
            emitente << def;
    }
    cdsEmitente = criaDataSet(this, u"cdsEmitente"_s, emitente, msgRotulos);
    cdsPesqCompValorPrest
        = criaDataSet(this, u"cdsPesqCompValorPrest"_s, valueComponentRegisterFields(), msgRotulos);
    cdsPesqCompValorPrest->FieldByName(u"DSCOMPVRPREST"_s)->SetDisplayWidth(25);
    cdsCompValorPrest
        = criaDataSet(this, u"cdsCompValorPrest"_s, valueComponentRegisterFields(), msgRotulos);
    cdsCTeImpostosAux = criaDataSet(this, u"cdsCTeImpostosAux"_s, taxFields(), msgRotulos);
    cdsCTeDadosAdicAux = criaDataSet(
        this, u"cdsCTeDadosAdicAux"_s,
        selecao(additionalDataFields(), {u"CDMENSAGEM"_s, u"DSDADOADIC"_s}), msgRotulos);
    cdsDocFiscaisAux = criaDataSet(
        this, u"cdsDocFiscaisAux"_s,
        {texto(u"NRACESSONFE"_s, 50), texto(u"CDFILIAL"_s, 30), texto(u"NRLANCTONF"_s, 10)},
        msgRotulos);
    cdsEnvioEmailCTe = criaDataSet(this, u"cdsEnvioEmailCTe"_s, emailResultFields(), msgRotulos);
    cdsEnvioEmailCTe->SetIndexFieldNames(u"CDCTE;NRCTE"_s);
    dtsEnvioEmailCTe = new TDataSource(this, u"dtsEnvioEmailCTe"_s);
    dtsEnvioEmailCTe->SetDataSet(cdsEnvioEmailCTe);
    cdsGeraXML = criaDataSet(
        this, u"cdsGeraXML"_s,
        selecao(documentFields(), {u"CDCTE"_s, u"NRCTE"_s, u"NRACESSOCTE"_s, u"IDSTATUSCTE"_s}),
        msgRotulos);

    // Filled from the server's packets, which bring their own fields.
    cdsCliente = new TClientDataSet(this, u"cdsCliente"_s);
    cdsFornecedor = new TClientDataSet(this, u"cdsFornecedor"_s);
    cdsPesqDocFiscais = new TClientDataSet(this, u"cdsPesqDocFiscais"_s);
    cdsDocFiscais = new TClientDataSet(this, u"cdsDocFiscais"_s);
    cdsPesqProdDocFiscais = new TClientDataSet(this, u"cdsPesqProdDocFiscais"_s);
    cdsUnidProdDocFiscais = new TClientDataSet(this, u"cdsUnidProdDocFiscais"_s);
    cdsResultNotaFiscal = new TClientDataSet(this, u"cdsResultNotaFiscal"_s);
    cdsListaGerarDACTE = new TClientDataSet(this, u"cdsListaGerarDACTE"_s);
    cdsStringStream = new TClientDataSet(this, u"cdsStringStream"_s);
    cdsDetalheRetorno = new TClientDataSet(this, u"cdsDetalheRetorno"_s);

    dtsPesqCompValorPrest = new TDataSource(this, u"dtsPesqCompValorPrest"_s);
    dtsPesqCompValorPrest->SetDataSet(cdsPesqCompValorPrest);
    dtsPesqDocFiscais = new TDataSource(this, u"dtsPesqDocFiscais"_s);
    dtsPesqDocFiscais->SetDataSet(cdsPesqDocFiscais);
    dtsPesqProdDocFiscais = new TDataSource(this, u"dtsPesqProdDocFiscais"_s);
    dtsPesqProdDocFiscais->SetDataSet(cdsPesqProdDocFiscais);
    // What the result windows show (they look these sources up on the editor).
    dtsDetalheRetorno = new TDataSource(this, u"dtsDetalheRetorno"_s);
    dtsDetalheRetorno->SetDataSet(cdsDetalheRetorno);
    dtsResultNotaFiscal = new TDataSource(this, u"dtsResultNotaFiscal"_s);
    dtsResultNotaFiscal->SetDataSet(cdsResultNotaFiscal);
}

void TfrmCTe::criaListas()
{
    // Members by list name: the lists themselves come from EditorCodeLists().
    const std::pair<const char16_t *, TClientDataSet * TfrmCTe::*> membros[] = {
        {u"cdsListaModal", &TfrmCTe::cdsListaModal},
        {u"cdsListaTipoDeServico", &TfrmCTe::cdsListaTipoDeServico},
        {u"cdsListaFinalidade", &TfrmCTe::cdsListaFinalidade},
        {u"cdsListaFormaDeEmissao", &TfrmCTe::cdsListaFormaDeEmissao},
        {u"cdsListaGlobalizado", &TfrmCTe::cdsListaGlobalizado},
        {u"cdsListaFormaDeImpressao", &TfrmCTe::cdsListaFormaDeImpressao},
        {u"cdsListaAmbiente", &TfrmCTe::cdsListaAmbiente},
        {u"cdsListaInfCadReme", &TfrmCTe::cdsListaInfCadReme},
        {u"cdsListaInfCadExpe", &TfrmCTe::cdsListaInfCadExpe},
        {u"cdsListaInfCadRece", &TfrmCTe::cdsListaInfCadRece},
        {u"cdsListaInfCadDest", &TfrmCTe::cdsListaInfCadDest},
        {u"cdsListaIndicadorTomador", &TfrmCTe::cdsListaIndicadorTomador},
        {u"cdsListaInfCadToma", &TfrmCTe::cdsListaInfCadToma},
    };
    for (const TCodeList &list : EditorCodeLists()) {
        auto *ds = new TClientDataSet(this, list.dataset);
        ds->AddField(u"CODIGO"_s, FieldType::String, list.codeWidth);
        ds->AddField(u"DESCRICAO"_s, FieldType::String, 255);
        ds->SetIndexFieldNames(u"CODIGO"_s);
        auto *dts = new TDataSource(this, u"dts"_s + list.dataset.mid(3));
        dts->SetDataSet(ds);
        for (const auto &[name, member] : membros) {
            if (list.dataset == QStringView(name))
                this->*member = ds;
        }
    }
}

TClientDataSet *TfrmCTe::ListaDados(const QString &name) const
{
    return findChild<TClientDataSet *>(name, Qt::FindDirectChildrenOnly);
}

void TfrmCTe::CarregaLista(const TCodeList &list)
{
    TClientDataSet *ds = ListaDados(list.dataset);
    if (ds->Active())
        ds->EmptyDataSet();
    else
        ds->CreateDataSet();
    for (const TCodeListEntry &entry : list.entries) {
        ds->Insert();
        ds->FieldByName(u"CODIGO"_s)->SetAsString(entry.code);
        ds->FieldByName(u"DESCRICAO"_s)->SetAsString(msgListaDados->Msg(entry.key));
        ds->Post();
    }
}

void TfrmCTe::CarregaListas()
{
    for (const TCodeList &list : EditorCodeLists())
        CarregaLista(list);
}
