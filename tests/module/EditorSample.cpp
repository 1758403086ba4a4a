#include "EditorSample.h"

#include "Cli_Dfs88000.h"
#include "ClientDataSet.h"
#include "DataSource.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace {

void openEmpty(TClientDataSet *ds)
{
    if (ds->Active())
        ds->EmptyDataSet();
    else
        ds->CreateDataSet();
}

} // namespace

void AppendAsServer(TClientDataSet *ds, const QList<std::pair<QString, QVariant>> &values)
{
    // Sample rows are data as the server sends it: the window's defaults, checks and save stay
    // out of them.
    const TDataSetNotifyEvent beforeInsert = std::exchange(ds->BeforeInsert, nullptr);
    const TDataSetNotifyEvent afterInsert = std::exchange(ds->AfterInsert, nullptr);
    const TDataSetNotifyEvent beforePost = std::exchange(ds->BeforePost, nullptr);
    const TDataSetNotifyEvent afterPost = std::exchange(ds->AfterPost, nullptr);
    ds->Append();
    for (const auto &[field, value] : values) {
        TField *f = ds->FieldByName(field);
        const TFieldNotifyEvent change = std::exchange(f->OnChange, nullptr);
        f->SetValue(value);
        f->OnChange = change;
    }
    ds->Post();
    ds->BeforeInsert = beforeInsert;
    ds->AfterInsert = afterInsert;
    ds->BeforePost = beforePost;
    ds->AfterPost = afterPost;
}

void FillEditorSample(TfrmCTe *editor)
{
    TClientDataSet *cte = editor->cdsCTe;
    // A child row being added would otherwise put the document into edit.
    QList<std::pair<TDataSource *, std::function<void(TDataSource *)>>> estados;
    for (TDataSource *dts : editor->findChildren<TDataSource *>())
        estados.append({dts, std::exchange(dts->OnStateChange, nullptr)});
    for (TClientDataSet *ds :
         {cte, editor->cdsCTeImpostos, editor->cdsCTeCompValor, editor->cdsCTeDocFiscais,
          editor->cdsCTeInfQtCarga, editor->cdsCTeDadosAdic})
        openEmpty(ds);

    const QDateTime emissao(QDate(2026, 12, 7), QTime(10, 15));
    struct Doc
    {
        double cd;
        const char16_t *nr;
        const char16_t *status;
        const char16_t *chave;
    };
    const Doc docs[] = {
        {1, u"000000101", u"P", u""},
        {2, u"000000100", u"A", u"35261212345678000190570010000001001000001009"},
        {3, u"000000102", u"R", u""},
    };
    for (const Doc &d : docs) {
        const QString status = QString::fromUtf16(d.status);
        AppendAsServer(
            cte,
            {{u"IDCHECK"_s, u"N"_s},
             {u"CDCTE"_s, d.cd},
             {u"CDEMPRESA"_s, u"01"_s},
             {u"NRCTE"_s, QString::fromUtf16(d.nr)},
             {u"CDSERIECTE"_s, u"1"_s},
             {u"NRACESSOCTE"_s, QString::fromUtf16(d.chave)},
             {u"CDMODDOCFISC"_s, u"57"_s},
             {u"DTEMISSAO"_s, emissao},
             {u"IDMODAL"_s, u"01"_s},
             {u"IDTIPOSERVICO"_s, u"0"_s},
             {u"IDTIPOCTE"_s, u"0"_s},
             {u"IDFORMAEMISSAO"_s, u"1"_s},
             {u"CDCFOP"_s, u"5353"_s},
             {u"DSNATUOPERACAO"_s, u"PRESTAÇÃO DE SERVIÇO DE TRANSPORTE"_s},
             {u"IDGLOBALIZADO"_s, u"0"_s},
             {u"IDFORMAIMPDACTE"_s, u"1"_s},
             {u"IDVERPROCESSO"_s, u"ORV_DFS_3.00"_s},
             {u"IDRETIRA"_s, u"1"_s},
             {u"IDAMBIENTECTE"_s, u"2"_s},
             {u"IDSTATUSCTE"_s, status},
             {u"CDSTATUSCTE"_s, status == u"A" ? u"100"_s : QString()},
             {u"DSSTATUSCTE"_s, status == u"A" ? u"Autorizado o uso do CT-e"_s : QString()},
             {u"IDEMAILCTE"_s, u"P"_s},
             {u"CDPAISINISERV"_s, u"1058"_s},
             {u"NMPAISINISERV"_s, u"BRASIL"_s},
             {u"SGESTADOINISERV"_s, u"SP"_s},
             {u"NMESTADOINISERV"_s, u"SÃO PAULO"_s},
             {u"CDMUNICINISERV"_s, u"0001"_s},
             {u"NMMUNICINISERV"_s, u"CAMPINAS"_s},
             {u"CDPAISFIMSERV"_s, u"1058"_s},
             {u"NMPAISFIMSERV"_s, u"BRASIL"_s},
             {u"SGESTADOFIMSERV"_s, u"PR"_s},
             {u"NMESTADOFIMSERV"_s, u"PARANÁ"_s},
             {u"CDMUNICFIMSERV"_s, u"0002"_s},
             {u"NMMUNICFIMSERV"_s, u"CURITIBA"_s},
             {u"CDTIPOOPER"_s, u"10"_s},
             {u"NMTIPOOPER"_s, u"PRESTAÇÃO DE SERVIÇO"_s},
             {u"NRINSJUREMIT"_s, u"12345678000190"_s},
             {u"NMRAZSOCEMIT"_s, u"TRANSPORTES EXEMPLO LTDA"_s},
             {u"NRINSESTEMIT"_s, u"123456789012"_s},
             {u"DSENDEEMIT"_s, u"RUA DAS FLORES, 100"_s},
             {u"CDPAISEMIT"_s, u"1058"_s},
             {u"NMPAISEMIT"_s, u"BRASIL"_s},
             {u"SGESTADOEMIT"_s, u"SP"_s},
             {u"NMESTADOEMIT"_s, u"SÃO PAULO"_s},
             {u"IDCADREMETENTE"_s, u"C"_s},
             {u"NRINSJURREME"_s, u"98765432000155"_s},
             {u"NMRAZSOCREME"_s, u"INDÚSTRIA REMETENTE S.A."_s},
             {u"IDCADEXPEDIDOR"_s, u"N"_s},
             {u"IDCADRECEBEDOR"_s, u"N"_s},
             {u"IDCADDESTINATA"_s, u"F"_s},
             {u"IDTOMADOR"_s, u"0"_s},
             {u"IDCADTOMADOR"_s, u"C"_s},
             {u"NRINSJURTOMA"_s, u"98765432000155"_s},
             {u"NMRAZSOCTOMA"_s, u"INDÚSTRIA REMETENTE S.A."_s},
             {u"CDARVPROD"_s, u"01.01.001"_s},
             {u"NMPRODUTO"_s, u"FRETE RODOVIÁRIO"_s},
             {u"VRTOTAPRESTSERV"_s, 1500.0},
             {u"VRTOTARECEBER"_s, 1500.0},
             {u"VRTOTACARGA"_s, 25000.0},
             {u"DSPRODPREDOMINA"_s, u"PEÇAS AUTOMOTIVAS"_s}});
    }
    AppendAsServer(editor->cdsCTeImpostos,
                   {{u"CDCTEIMPOSTOS"_s, 1.0},
                    {u"CDCTE"_s, 1.0},
                    {u"CDIMPOSTO"_s, u"01"_s},
                    {u"SGIMPOSTO"_s, u"ICMS"_s},
                    {u"VRBASECALCULO"_s, 1500.0},
                    {u"VRALIQUOTA"_s, 12.0},
                    {u"VRIMPOSTO"_s, 180.0},
                    {u"CDSITUTRIBIT"_s, u"00"_s}});
    AppendAsServer(editor->cdsCTeCompValor,
                   {{u"CDCTECOMPVALOR"_s, 1.0},
                    {u"CDCTE"_s, 1.0},
                    {u"CDCOMPVRPREST"_s, 1.0},
                    {u"VRCOMPONENTE"_s, 1500.0},
                    {u"DSCOMPVRPREST"_s, u"FRETE PESO"_s}});
    AppendAsServer(editor->cdsCTeDocFiscais,
                   {{u"CDCTEDOCFISCAIS"_s, 1.0},
                    {u"CDCTE"_s, 1.0},
                    {u"NRACESSONFE"_s, u"35261298765432000155550010000012341000012340"_s},
                    {u"NRINSJURNF"_s, u"11222333000144"_s},
                    {u"NMRAZSOCNF"_s, u"COMÉRCIO DESTINO LTDA"_s},
                    {u"CDSERIE"_s, u"1"_s},
                    {u"NRNOTAFISC"_s, u"1234"_s},
                    {u"DTEMISSAO"_s, QDateTime(QDate(2026, 12, 4), QTime())},
                    {u"CDMODDOCFISC"_s, u"55"_s},
                    {u"VRNOTAFISC"_s, 25000.0}});
    const std::pair<const char16_t *, const char16_t *> quantidades[] = {
        {u"01", u"PESO BRUTO"}, {u"01", u"PESO BASE DE CALCULO"}, {u"01", u"PESO AFERIDO"},
        {u"00", u"CUBAGEM"},    {u"03", u"QUANTIDADE DE VOLUME"},
    };
    double key = 0;
    for (const auto &[unidade, tipo] : quantidades) {
        AppendAsServer(editor->cdsCTeInfQtCarga,
                       {{u"CDCTEINFQTCARGA"_s, ++key},
                        {u"CDCTE"_s, 1.0},
                        {u"CDUNIDMEDIDA"_s, QString::fromUtf16(unidade)},
                        {u"DSTIPOMEDIDA"_s, QString::fromUtf16(tipo)},
                        {u"QTCARGA"_s, key == 1 ? 1200.0 : 0.0},
                        {u"IDGERADAAUTO"_s, key == 1 ? u"S"_s : u"N"_s}});
    }
    AppendAsServer(editor->cdsCTeDadosAdic,
                   {{u"CDCTEDADOSADIC"_s, 1.0},
                    {u"CDCTE"_s, 1.0},
                    {u"DSDADOADIC"_s, u"ENTREGA EM HORÁRIO COMERCIAL"_s}});
    for (auto &[dts, handler] : estados)
        dts->OnStateChange = std::move(handler);
    cte->First();
}
