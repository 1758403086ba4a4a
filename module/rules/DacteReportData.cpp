#include "DacteReportData.h"

#include "ClientDataSet.h"
#include "DacteSummary.h"
#include "Field.h"
#include "Masks.h"

#include <map>

using namespace Qt::StringLiterals;
using contracts::FieldType;

namespace dactereport {

namespace {

// Opens `cds` empty with `fields` (the structure is the report's, whatever was there).
void abreVazio(TClientDataSet *cds, const QList<std::pair<QString, int>> &fields)
{
    if (cds->Active())
        cds->Close();
    cds->SetIndexFieldNames(QString());
    cds->ClearFields();
    for (const auto &[name, size] : fields)
        cds->AddField(name, size < 0 ? FieldType::Float : FieldType::String, std::max(size, 0));
    cds->CreateDataSet();
}

// The rows of a loaded set as texts by field name, in load order.
QList<dacte::Row> linhas(const TClientDataSet *cds)
{
    return cds && cds->Active() ? dacte::rowsOf(cds->DataPacket()) : QList<dacte::Row>();
}

void poe(TClientDataSet *cds, const QString &field, const QVariant &value)
{
    cds->FieldByName(field)->SetValue(value);
}

} // namespace

void PreencheInfQAux(const TClientDataSet *infQ, TClientDataSet *infQAux)
{
    QList<std::pair<QString, int>> fields {{u"CDCTE"_s, -1}};
    for (const QString &peso : {u"Peso_Bruto"_s, u"Peso_Base"_s, u"Peso_Aferido"_s})
        fields << std::pair {u"cUnid_"_s + peso, 2} << std::pair {u"tpMed_"_s + peso, 20}
               << std::pair {u"qCarga_"_s + peso, 16};
    fields << std::pair {u"qCarga_Cubagem"_s, 16} << std::pair {u"qCarga_Qtd_Volumes"_s, 16};
    abreVazio(infQAux, fields);

    // One summary per document, in the order of the documents' codes.
    std::map<double, QList<dacte::Row>> porDocumento;
    for (const dacte::Row &r : linhas(infQ))
        porDocumento[r.value(u"CDCTE"_s).toDouble()].append(r);
    for (const auto &[cdCte, rows] : porDocumento) {
        const dacte::CargoSummary s = dacte::cargoSummary(rows);
        infQAux->Append();
        poe(infQAux, u"CDCTE"_s, cdCte);
        const std::pair<QString, QString> tipos[] = {{u"Peso_Bruto"_s, u"PESO BRUTO"_s},
                                                     {u"Peso_Base"_s, u"PESO BASE DE CALCULO"_s},
                                                     {u"Peso_Aferido"_s, u"PESO AFERIDO"_s}};
        for (const auto &[peso, tipo] : tipos) {
            poe(infQAux, u"cUnid_"_s + peso, u"01"_s);
            poe(infQAux, u"tpMed_"_s + peso, tipo);
        }
        poe(infQAux, u"qCarga_Peso_Bruto"_s, dacte::twoDecimals(s.grossKg));
        poe(infQAux, u"qCarga_Peso_Base"_s, dacte::twoDecimals(s.taxableKg));
        poe(infQAux, u"qCarga_Peso_Aferido"_s, dacte::twoDecimals(s.measuredKg));
        poe(infQAux, u"qCarga_Cubagem"_s, dacte::twoDecimals(s.cubicMetres));
        poe(infQAux, u"qCarga_Qtd_Volumes"_s, dacte::twoDecimals(s.units));
        infQAux->Post();
    }
}

void PreencheCompAux(const TClientDataSet *comp, TClientDataSet *compAux)
{
    abreVazio(compAux, {{u"CDCTE"_s, -1}, {u"NOME_VALOR"_s, 255}});
    for (const dacte::Row &r : linhas(comp)) {
        compAux->Append();
        poe(compAux, u"CDCTE"_s, r.value(u"CDCTE"_s).toDouble());
        poe(compAux, u"NOME_VALOR"_s, r.value(u"xNome"_s) + u" - R$ "_s + r.value(u"vComp"_s));
        compAux->Post();
    }
    compAux->SetIndexFieldNames(u"NOME_VALOR"_s);
}

void PreencheInfDoc(const TClientDataSet *rem, const TClientDataSet *infNF,
                    const TClientDataSet *infNFe, TClientDataSet *infDoc)
{
    abreVazio(infDoc,
              {{u"CDCTE"_s, -1},
               {u"NRSEQ"_s, -1},
               {u"CNPJCPF"_s, 18},
               {u"mod"_s, 2},
               {u"serie"_s, 3},
               {u"nDoc"_s, 20},
               {u"chave"_s, 44}});
    const QList<dacte::Row> remetente = linhas(rem);
    const dacte::Row sender = remetente.isEmpty() ? dacte::Row() : remetente.first();
    const QString cnpj = sender.value(u"CNPJ"_s).trimmed();
    const QString inscricao = !cnpj.isEmpty()
        ? FormatMaskText(PictPess(u"J"_s), cnpj)
        : FormatMaskText(PictPess(u"F"_s), sender.value(u"CPF"_s).trimmed());
    const auto anexa = [&](const dacte::Row &r, const QString &mod, const QString &chave) {
        infDoc->Append();
        poe(infDoc, u"CDCTE"_s, r.value(u"CDCTE"_s).toDouble());
        poe(infDoc, u"NRSEQ"_s, r.value(u"NRSEQ"_s).toDouble());
        poe(infDoc, u"CNPJCPF"_s, inscricao);
        poe(infDoc, u"mod"_s, mod);
        poe(infDoc, u"serie"_s, r.value(u"serie"_s));
        poe(infDoc, u"nDoc"_s, r.value(u"nDoc"_s));
        poe(infDoc, u"chave"_s, chave);
        infDoc->Post();
    };
    for (const dacte::Row &r : linhas(infNF))
        anexa(r, r.value(u"mod"_s), QString());
    for (const dacte::Row &r : linhas(infNFe))
        anexa(r, u"55"_s, r.value(u"chave"_s));
    infDoc->SetIndexFieldNames(u"CDCTE;NRSEQ"_s);
}

void PreencheInfDocAux(TClientDataSet *infDoc, TClientDataSet *infDocAux, TClientDataSet *paginas)
{
    QList<std::pair<QString, int>> fields {{u"CHAVE"_s, -1}, {u"CDCTE"_s, -1}, {u"CDPAGINA"_s, -1}};
    const std::pair<QString, int> colunas[]
        = {{u"CNPJCPF"_s, 18}, {u"mod"_s, 2}, {u"serie"_s, 3}, {u"nDoc"_s, 20}, {u"chave"_s, 44}};
    for (const auto &[campo, tamanho] : colunas) {
        for (int c = 1; c <= kDocumentosPorLinha; ++c)
            fields << std::pair {campo + u"_COL%1"_s.arg(c, 2, 10, QChar(u'0')), tamanho};
    }
    abreVazio(infDocAux, fields);
    if (infDoc->IsEmpty()) {
        infDocAux->SetIndexFieldNames(u"CDCTE;CDPAGINA"_s);
        return;
    }
    int index = 0;
    for (infDoc->First(); !infDoc->Eof(); infDoc->Next(), ++index) {
        const dacte::DocumentPlace lugar
            = dacte::documentPlace(index, kDocumentosPorLinha, kLinhasPorPagina);
        if (lugar.column == 1) {
            infDocAux->Append();
            poe(infDocAux, u"CHAVE"_s, double(lugar.line));
            poe(infDocAux, u"CDCTE"_s, infDoc->FieldByName(u"CDCTE"_s)->Value());
            poe(infDocAux, u"CDPAGINA"_s, double(lugar.page));
        } else {
            infDocAux->Locate(u"CHAVE"_s, double(lugar.line));
            infDocAux->Edit();
        }
        const QString sufixo = u"_COL%1"_s.arg(lugar.column, 2, 10, QChar(u'0'));
        for (const auto &[campo, tamanho] : colunas)
            poe(infDocAux, campo + sufixo, infDoc->FieldByName(campo)->Value());
        infDocAux->Post();
    }
    const int total = dacte::documentPages(index, kDocumentosPorLinha, kLinhasPorPagina);
    abreVazio(paginas, {{u"CDCTE"_s, -1}, {u"CDPAGINA"_s, -1}, {u"MAXPAGINA"_s, -1}});
    for (int page = 1; page <= total; ++page) {
        paginas->Append();
        poe(paginas, u"CDPAGINA"_s, double(page));
        poe(paginas, u"MAXPAGINA"_s, double(total));
        paginas->Post();
    }
    paginas->SetIndexFieldNames(u"CDCTE;CDPAGINA"_s);
    infDocAux->SetIndexFieldNames(u"CDCTE;CDPAGINA"_s);
}

} // namespace dactereport
