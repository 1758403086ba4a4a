#include "DacteData.h"

using namespace Qt::StringLiterals;

namespace dacte {

namespace {

QList<SetField> fields(std::initializer_list<std::pair<const char16_t *, int>> list)
{
    QList<SetField> out;
    for (const auto &[name, size] : list)
        out.append({QString::fromUtf16(name), size});
    return out;
}

QList<SetField> addressFields()
{
    return fields({{u"xLgr", 255},
                   {u"nro", 60},
                   {u"xCpl", 60},
                   {u"xBairro", 60},
                   {u"cMun", 7},
                   {u"xMun", 60},
                   {u"CEP", 8},
                   {u"UF", 2},
                   {u"cPais", 4},
                   {u"xPais", 60},
                   {u"email", 60}});
}

QList<SetField> partyFields()
{
    return fields({{u"CNPJ", 14}, {u"CPF", 11}, {u"IE", 14}, {u"xNome", 60}, {u"fone", 14}});
}

// The parties that may carry a trade name too.
QList<SetField> namedPartyFields()
{
    return fields(
        {{u"CNPJ", 14}, {u"CPF", 11}, {u"IE", 14}, {u"xNome", 60}, {u"xFant", 60}, {u"fone", 14}});
}

} // namespace

const QList<SetDef> &dacteSets()
{
    static const QList<SetDef> sets = {
        {u"Ide"_s, u"ide"_s,
         fields({{u"cUF", 2},
                 {u"cCT", 8},
                 {u"CFOP", 4},
                 {u"natOp", 60},
                 {u"forPag", 1},
                 {u"mod", 2},
                 {u"serie", 3},
                 {u"nCT", 9},
                 {u"dhEmi", 25},
                 {u"tpImp", 1},
                 {u"tpEmis", 1},
                 {u"cDV", 1},
                 {u"tpAmb", 1},
                 {u"tpCTe", 1},
                 {u"procEmi", 1},
                 {u"verProc", 20},
                 {u"indGlobalizado", 1},
                 {u"cMunEnv", 7},
                 {u"xMunEnv", 60},
                 {u"UFEnv", 2},
                 {u"modal", 2},
                 {u"tpServ", 1},
                 {u"cMunIni", 7},
                 {u"xMunIni", 60},
                 {u"UFIni", 2},
                 {u"cMunFim", 7},
                 {u"xMunFim", 60},
                 {u"UFFim", 2},
                 {u"retira", 1},
                 {u"xDetRetira", 160},
                 {u"indIEToma", 1},
                 // The query address of the QR code travels with the identification.
                 {u"qrCodCTe", 1000}})},
        {u"InfProt"_s, u"infProt"_s,
         fields({{u"tpAmb", 1},
                 {u"verAplic", 20},
                 {u"chCTe", 44},
                 {u"dhRecbto", 25},
                 {u"nProt", 15},
                 {u"digVal", 28},
                 {u"cStat", 3},
                 {u"xMotivo", 255}})},
        {u"Emit"_s, u"emit"_s,
         fields({{u"CNPJ", 14},
                 {u"CPF", 11},
                 {u"IE", 14},
                 {u"xNome", 60},
                 {u"xFant", 60},
                 {u"CRT", 1}})},
        {u"EnderEmit"_s, u"emit/enderEmit"_s,
         fields({{u"xLgr", 255},
                 {u"nro", 60},
                 {u"xCpl", 60},
                 {u"xBairro", 60},
                 {u"cMun", 7},
                 {u"xMun", 60},
                 {u"CEP", 8},
                 {u"UF", 2},
                 {u"fone", 14}})},
        {u"Rem"_s, u"rem"_s, namedPartyFields()},
        {u"EnderReme"_s, u"rem/enderReme"_s, addressFields()},
        {u"Dest"_s, u"dest"_s, partyFields() + fields({{u"ISUF", 9}})},
        {u"EnderDest"_s, u"dest/enderDest"_s, addressFields()},
        {u"Exped"_s, u"exped"_s, partyFields()},
        {u"EnderExped"_s, u"exped/enderExped"_s, addressFields()},
        {u"Receb"_s, u"receb"_s, partyFields()},
        {u"EnderReceb"_s, u"receb/enderReceb"_s, addressFields()},
        {u"Toma3"_s, u"ide/toma3"_s, fields({{u"toma", 1}})},
        {u"Toma4"_s, u"ide/toma4"_s, fields({{u"toma", 1}}) + namedPartyFields()},
        {u"EnderToma"_s, u"ide/toma4/enderToma"_s, addressFields()},
        {u"InfCarga"_s, u"infCTeNorm/infCarga"_s,
         fields({{u"vCarga", 16}, {u"proPred", 60}, {u"xOutCat", 30}, {u"vCargaAverb", 16}})},
        {u"InfQ"_s, u"infCTeNorm/infCarga/infQ"_s,
         fields({{u"cUnid", 2}, {u"tpMed", 20}, {u"qCarga", 16}})},
        {u"VPrest"_s, u"vPrest"_s, fields({{u"vTPrest", 16}, {u"vRec", 16}})},
        {u"Comp"_s, u"vPrest/Comp"_s, fields({{u"xNome", 15}, {u"vComp", 16}})},
        {u"ICMS"_s, u"imp"_s, fields({{u"vTotTrib", 16}, {u"infAdFisco", 2000}})},
        {u"ICMS00"_s, u"imp/ICMS/ICMS00"_s,
         fields({{u"CST", 2}, {u"vBC", 16}, {u"pICMS", 6}, {u"vICMS", 16}})},
        {u"ICMS20"_s, u"imp/ICMS/ICMS20"_s,
         fields({{u"CST", 2}, {u"pRedBC", 6}, {u"vBC", 16}, {u"pICMS", 6}, {u"vICMS", 16}})},
        {u"ICMS45"_s, u"imp/ICMS/ICMS45"_s, fields({{u"CST", 2}})},
        {u"ICMS60"_s, u"imp/ICMS/ICMS60"_s,
         fields({{u"CST", 2},
                 {u"vBCSTRet", 16},
                 {u"vICMSSTRet", 16},
                 {u"pICMSSTRet", 6},
                 {u"vCred", 16}})},
        {u"ICMS90"_s, u"imp/ICMS/ICMS90"_s,
         fields({{u"CST", 2},
                 {u"pRedBC", 6},
                 {u"vBC", 16},
                 {u"pICMS", 6},
                 {u"vICMS", 16},
                 {u"vCred", 16}})},
        {u"ICMSOutraUF"_s, u"imp/ICMS/ICMSOutraUF"_s,
         fields({{u"CST", 2},
                 {u"pRedBCOutraUF", 6},
                 {u"vBCOutraUF", 16},
                 {u"pICMSOutraUF", 6},
                 {u"vICMSOutraUF", 16}})},
        {u"ICMSSN"_s, u"imp/ICMS/ICMSSN"_s, fields({{u"CST", 2}, {u"indSN", 1}})},
        {u"InfNF"_s, u"infCTeNorm/infDoc/infNF"_s,
         fields({{u"nRoma", 20},
                 {u"nPed", 20},
                 {u"mod", 2},
                 {u"serie", 3},
                 {u"nDoc", 20},
                 {u"dEmi", 10},
                 {u"vBC", 16},
                 {u"vICMS", 16},
                 {u"vBCST", 16},
                 {u"vST", 16},
                 {u"vProd", 16},
                 {u"vNF", 16},
                 {u"nCFOP", 4},
                 {u"nPeso", 16},
                 {u"PIN", 9},
                 {u"dPrev", 10}}),
         true},
        {u"InfNFe"_s, u"infCTeNorm/infDoc/infNFe"_s,
         fields({{u"chave", 44}, {u"PIN", 9}, {u"dPrev", 10}, {u"serie", 5}, {u"nDoc", 20}}), true},
        {u"InfOutros"_s, u"infCTeNorm/infDoc/infOutros"_s,
         fields({{u"tpDoc", 2},
                 {u"descOutros", 100},
                 {u"nDoc", 20},
                 {u"dEmi", 10},
                 {u"vDocFisc", 16},
                 {u"dPrev", 10}}),
         true},
        {u"Rodo"_s, u"infCTeNorm/infModal/rodo"_s,
         fields({{u"RNTRC", 8}, {u"dPrev", 10}, {u"lota", 1}, {u"CIOT", 12}})},
        {u"Occ"_s, u"infCTeNorm/infModal/rodo/occ"_s,
         fields({{u"serie", 3}, {u"nOcc", 6}, {u"dEmi", 10}})},
        {u"EmiOcc"_s, u"infCTeNorm/infModal/rodo/occ/emiOcc"_s,
         fields({{u"CNPJ", 14}, {u"cInt", 10}, {u"IE", 14}, {u"UF", 2}, {u"fone", 14}})},
        {u"Compl"_s, u"compl"_s,
         fields({{u"xCaracAd", 15},
                 {u"xCaracSer", 30},
                 {u"xEmi", 20},
                 {u"origCalc", 40},
                 {u"destCalc", 40},
                 {u"xObs", 2000}})},
        {u"ObsCont"_s, u"compl/ObsCont"_s, fields({{u"xTexto", 160}})},
        {u"ObsFisco"_s, u"compl/ObsFisco"_s, fields({{u"xTexto", 60}})},
        {u"Seg"_s, u"infCTeNorm/seg"_s,
         fields({{u"respSeg", 1}, {u"xSeg", 30}, {u"nApol", 20}, {u"nAver", 20}, {u"vCarga", 16}})},
    };
    return sets;
}

QList<Row> rowsOf(const contracts::DataPacket &packet)
{
    QList<Row> rows;
    for (const contracts::Row &values : packet.rows) {
        Row row;
        for (qsizetype i = 0; i < packet.fields.size(); ++i) {
            const QVariant &v = values.at(i);
            row.insert(packet.fields.at(i).name,
                       v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 0)
                                                       : v.toString());
        }
        rows.append(row);
    }
    return rows;
}

const QList<Row> &DacteData::rows(const QString &set) const
{
    static const QList<Row> none;
    const auto it = sets.constFind(set);
    return it == sets.constEnd() ? none : *it;
}

QString DacteData::value(const QString &set, const QString &field) const
{
    const QList<Row> &r = rows(set);
    return r.isEmpty() ? QString() : r.first().value(field);
}

} // namespace dacte
