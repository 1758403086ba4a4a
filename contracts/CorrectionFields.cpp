#include "CorrectionFields.h"

using namespace Qt::StringLiterals;

namespace contracts::correction {

namespace {

// One line per group: "group|*" when it repeats, then its fields, "!" before a forbidden one.
constexpr const char *kLayout[] = {
    "ide|CFOP natOp xMunEnv cMunEnv cMunIni xMunIni cMunFim xMunFim retira xDetRetira "
    "!cUF !cCT !mod !serie !nCT !tpEmis !cDV !tpAmb !dhEmi !modal !UFIni !UFFim !UFEnv !tpServ",
    "toma3|!toma",
    "toma4|xNome xFant fone email !CNPJ !CPF !IE !toma",
    "enderToma|xLgr nro xCpl xBairro cMun xMun CEP UF",
    "compl|xCaracAd xCaracSer xEmi xObs origCalc destCalc",
    "ObsCont|* xCampo xTexto",
    "ObsFisco|* xCampo xTexto",
    "emit|xNome xFant !CNPJ !IE !IEST !CRT",
    "enderEmit|xLgr nro xCpl xBairro cMun xMun CEP UF fone",
    "rem|xNome xFant fone email !CNPJ !CPF !IE",
    "enderReme|xLgr nro xCpl xBairro cMun xMun CEP UF",
    "exped|xNome fone email !CNPJ !CPF !IE",
    "enderExped|xLgr nro xCpl xBairro cMun xMun CEP UF",
    "receb|xNome fone email !CNPJ !CPF !IE",
    "enderReceb|xLgr nro xCpl xBairro cMun xMun CEP UF",
    "dest|xNome fone email ISUF !CNPJ !CPF !IE",
    "enderDest|xLgr nro xCpl xBairro cMun xMun CEP UF",
    "vPrest|!vTPrest !vRec",
    "Comp|* xNome !vComp",
    "ICMS00|!CST !vBC !pICMS !vICMS",
    "ICMS20|!CST !pRedBC !vBC !pICMS !vICMS",
    "ICMS45|!CST",
    "ICMS60|!CST !vBCSTRet !vICMSSTRet !pICMSSTRet !vCred",
    "ICMS90|!CST !pRedBC !vBC !pICMS !vICMS !vCred",
    "ICMSOutraUF|!CST !pRedBCOutraUF !vBCOutraUF !pICMSOutraUF !vICMSOutraUF",
    "ICMSSN|!CST !indSN",
    "imp|infAdFisco !vTotTrib",
    "infCarga|proPred xOutCat vCarga",
    "infQ|* cUnid tpMed !qCarga",
    "infNFe|* PIN dPrev !chave",
    "infOutros|* tpDoc descOutros nDoc dEmi dPrev !vDocFisc",
    "rodo|RNTRC",
};

QList<LayoutField> parse()
{
    QList<LayoutField> out;
    for (const char *line : kLayout) {
        const QString text = QString::fromLatin1(line);
        const QString group = text.section(u'|', 0, 0);
        QStringList fields = text.section(u'|', 1).split(u' ', Qt::SkipEmptyParts);
        const bool repeats = fields.value(0) == u"*";
        if (repeats)
            fields.removeFirst();
        for (const QString &f : fields) {
            const bool forbidden = f.startsWith(u'!');
            out.append({group, forbidden ? f.mid(1) : f, repeats, forbidden});
        }
    }
    return out;
}

} // namespace

const QList<LayoutField> &layoutFields()
{
    static const QList<LayoutField> fields = parse();
    return fields;
}

const LayoutField *findField(const QString &group, const QString &field)
{
    for (const LayoutField &f : layoutFields()) {
        if (f.group.compare(group.trimmed(), Qt::CaseInsensitive) == 0
            && f.field.compare(field.trimmed(), Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

} // namespace contracts::correction
