#include "CodeLists.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

TCodeList list(const QString &dataset, int width, const QString &field, const QString &keyStem,
               const QStringList &codes)
{
    TCodeList l {dataset, width, field, {}};
    for (const QString &code : codes)
        l.entries.append({code, keyStem + code});
    return l;
}

TCodeList partySourceList(const QString &dataset, const QString &field, const QString &roleWord,
                          bool withNotInformed)
{
    QStringList codes {u"C"_s, u"F"_s};
    if (withNotInformed)
        codes.prepend(u"N"_s);
    return list(dataset, 1, field, u"LISTA_INFORMACAO_CADASTRO_"_s + roleWord + u'_', codes);
}

} // namespace

const QList<TCodeList> &EditorCodeLists()
{
    static const QList<TCodeList> lists {
        list(u"cdsListaModal"_s, 2, u"IDMODAL"_s, u"LISTA_MODAL_"_s,
             {u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"05"_s, u"06"_s}),
        list(u"cdsListaTipoDeServico"_s, 1, u"IDTIPOSERVICO"_s, u"LISTA_TIPO_DE_SERVICO_"_s,
             {u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s}),
        list(u"cdsListaFinalidade"_s, 1, u"IDTIPOCTE"_s, u"LISTA_FINALIDADE_"_s,
             {u"0"_s, u"1"_s, u"2"_s, u"3"_s}),
        list(u"cdsListaFormaDeEmissao"_s, 1, u"IDFORMAEMISSAO"_s, u"LISTA_FORMA_DE_EMISSAO_"_s,
             {u"1"_s, u"4"_s, u"5"_s, u"7"_s, u"8"_s}),
        list(u"cdsListaGlobalizado"_s, 1, u"IDGLOBALIZADO"_s, u"LISTA_GLOBALIZADO_"_s,
             {u"0"_s, u"1"_s}),
        list(u"cdsListaFormaDeImpressao"_s, 1, u"IDFORMAIMPDACTE"_s, u"LISTA_FORMA_DE_IMPRESSAO_"_s,
             {u"1"_s, u"2"_s}),
        list(u"cdsListaAmbiente"_s, 1, u"IDAMBIENTECTE"_s, u"LISTA_AMBIENTE_"_s, {u"1"_s, u"2"_s}),
        partySourceList(u"cdsListaInfCadReme"_s, u"IDCADREMETENTE"_s, u"REMETENTE"_s, true),
        partySourceList(u"cdsListaInfCadExpe"_s, u"IDCADEXPEDIDOR"_s, u"EXPEDIDOR"_s, true),
        partySourceList(u"cdsListaInfCadRece"_s, u"IDCADRECEBEDOR"_s, u"RECEBEDOR"_s, true),
        partySourceList(u"cdsListaInfCadDest"_s, u"IDCADDESTINATA"_s, u"DESTINATARIO"_s, true),
        list(u"cdsListaIndicadorTomador"_s, 1, u"IDTOMADOR"_s, u"LISTA_INDICADOR_"_s,
             {u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s}),
        partySourceList(u"cdsListaInfCadToma"_s, u"IDCADTOMADOR"_s, u"TOMADOR"_s, false),
    };
    return lists;
}

QString UnitOfMeasureKey(const QString &code)
{
    return u"COD_UNID_MEDIDA_"_s + code;
}

const QStringList &UnitOfMeasureCodes()
{
    static const QStringList codes {u"00"_s, u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"05"_s};
    return codes;
}
