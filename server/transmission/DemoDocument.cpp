#include "DemoDocument.h"

#include "AccessKey.h"
#include "IssuerClock.h"

#include <QDate>

using namespace Qt::StringLiterals;

namespace demodocument {

namespace {

// Whole minutes, a little before now on the issuer's clock (São Paulo state): the authority
// refuses emission dates ahead of its own clock.
QDateTime emittedMinutesAgo(int minutes)
{
    const QDateTime now = issuerclock::wallClockNow(u"SP"_s).addSecs(-60 * minutes);
    return QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
}

void addPlace(FieldValues &v, const QString &suffix, const QString &uf, const QString &ufName,
              const QString &ufCode, const QString &code, const QString &name, const QString &ibge,
              bool route)
{
    v.insert(u"CDPAIS"_s + suffix, u"1058"_s);
    v.insert(u"NMPAIS"_s + suffix, u"BRASIL"_s);
    v.insert(u"CDPAISBACEN"_s + suffix, u"1058"_s);
    v.insert(u"SGESTADO"_s + suffix, uf);
    v.insert(u"NMESTADO"_s + suffix, ufName);
    v.insert(u"CDESTADOIBGE"_s + suffix, ufCode);
    v.insert((route ? u"CDMUNIC"_s : u"CDMUNICIPIO"_s) + suffix, code);
    v.insert((route ? u"NMMUNIC"_s : u"NMMUNICIPIO"_s) + suffix, name);
    v.insert(u"CDMUNICIBGE"_s + suffix, ibge);
}

void addParty(FieldValues &v, const QString &suffix, const QString &cnpj, const QString &name,
              const QString &ie, const QString &tradeName, const QString &phone,
              const QString &email, const QString &street, const QString &complement,
              const QString &cep, const QString &district)
{
    v.insert(u"NRINSJUR"_s + suffix, cnpj);
    v.insert(u"IDTPIJUR"_s + suffix, u"J"_s);
    v.insert(u"NMRAZSOC"_s + suffix, name);
    v.insert(u"NRINSEST"_s + suffix, ie);
    v.insert(u"NMFANT"_s + suffix, tradeName);
    v.insert(u"NRTELE"_s + suffix, phone);
    v.insert(u"DSEMAIL"_s + suffix, email);
    v.insert(u"DSENDE"_s + suffix, street);
    v.insert(u"DSCOMPEND"_s + suffix, complement);
    v.insert(u"NRCEP"_s + suffix, cep);
    v.insert(u"NMBAIR"_s + suffix, district);
}

} // namespace

StoredDocument complete(const QString &number)
{
    StoredDocument doc;
    FieldValues &v = doc.document;
    v = {
        {u"CDEMPRESA"_s, u"01"_s},
        {u"NRCTE"_s, number},
        {u"CDSERIECTE"_s, u"1"_s},
        {u"CDMODDOCFISC"_s, u"57"_s},
        {u"DTEMISSAO"_s, emittedMinutesAgo(10)},
        {u"IDMODAL"_s, u"01"_s},
        {u"IDTIPOSERVICO"_s, u"0"_s},
        {u"IDTIPOCTE"_s, u"0"_s},
        {u"IDFORMAEMISSAO"_s, u"1"_s},
        {u"CDCFOP"_s, u"6352"_s},
        {u"DSNATUOPERACAO"_s, u"PREST. SERV. TRANSPORTE A ESTAB. INDUSTRIAL"_s},
        {u"IDGLOBALIZADO"_s, u"0"_s},
        {u"IDFORMAIMPDACTE"_s, u"1"_s},
        {u"IDVERPROCESSO"_s, u"ORV_DFS_1.00"_s},
        {u"IDRETIRA"_s, u"1"_s},
        {u"IDAMBIENTECTE"_s, u"2"_s},
        {u"IDSTATUSCTE"_s, u"P"_s},
        {u"IDEMAILCTE"_s, u"P"_s},
        {u"IDCADREMETENTE"_s, u"C"_s},
        {u"CDREMETENTECLI"_s, u"101"_s},
        {u"IDCADEXPEDIDOR"_s, u"N"_s},
        {u"IDCADRECEBEDOR"_s, u"N"_s},
        {u"IDCADDESTINATA"_s, u"C"_s},
        {u"CDDESTINATACLI"_s, u"102"_s},
        {u"IDTOMADOR"_s, u"0"_s},
        {u"IDCADTOMADOR"_s, u"C"_s},
        {u"CDTOMADORCLI"_s, u"101"_s},
        {u"NRINSJUREMIT"_s, QString::fromUtf16(kIssuerCnpj)},
        {u"IDTPIJUREMIT"_s, u"J"_s},
        {u"NMRAZSOCEMIT"_s, QString::fromUtf16(kIssuerName)},
        {u"NRINSESTEMIT"_s, QString::fromUtf16(kIssuerStateRegistration)},
        {u"NMFANTEMIT"_s, u"SERRA AZUL"_s},
        {u"NRTELEEMIT"_s, u"1932415500"_s},
        {u"DSEMAILEMIT"_s, u"cte@serraazultransportes.com.br"_s},
        {u"DSENDEEMIT"_s, u"AV. JOHN BOYD DUNLOP, 3900"_s},
        {u"DSCOMPENDEMIT"_s, u"GALPAO 2"_s},
        {u"NRCEPEMIT"_s, u"13060803"_s},
        {u"NMBAIREMIT"_s, u"JARDIM IPAUSSURAMA"_s},
        {u"CDPRODUTO"_s, u"1101"_s},
        {u"CDARVPROD"_s, u"010010001"_s},
        {u"NMPRODUTO"_s, u"FRETE CARGA FRACIONADA"_s},
        {u"VRTOTAPRESTSERV"_s, 1850.0},
        {u"VRTOTARECEBER"_s, 1850.0},
        {u"IDENTRSAIDOP"_s, u"S"_s},
        {u"CDTIPOOPER"_s, u"01"_s},
        {u"NMTIPOOPER"_s, u"PRESTACAO DE SERV. TRANSPORTE"_s},
        {u"VRTOTACARGA"_s, 18750.0},
        {u"VRAVERBACAO"_s, 0.0},
        {u"DSPRODPREDOMINA"_s, u"PRODUTOS METALURGICOS"_s},
        {u"DSOUTCARCARGA"_s, u"PALETIZADA"_s},
    };
    addPlace(v, u"EMIT"_s, u"SP"_s, u"SAO PAULO"_s, u"35"_s, u"0950"_s, u"CAMPINAS"_s, u"3509502"_s,
             false);
    addPlace(v, u"INISERV"_s, u"SP"_s, u"SAO PAULO"_s, u"35"_s, u"4990"_s, u"SAO JOSE DOS CAMPOS"_s,
             u"3549904"_s, true);
    addPlace(v, u"FIMSERV"_s, u"MG"_s, u"MINAS GERAIS"_s, u"31"_s, u"0620"_s, u"BELO HORIZONTE"_s,
             u"3106200"_s, true);
    for (const QString &role : {u"REME"_s, u"TOMA"_s}) {
        addParty(v, role, u"61348257000123"_s, u"METALURGICA VALE DO PARAIBA LTDA"_s,
                 u"645318220117"_s, u"METAL VALE"_s, u"1239417700"_s, u"compras@metalvale.com.br"_s,
                 u"AV. DOS ASTRONAUTAS, 1850"_s, QString(), u"12227000"_s, u"JARDIM DA GRANJA"_s);
        addPlace(v, role, u"SP"_s, u"SAO PAULO"_s, u"35"_s, u"4990"_s, u"SAO JOSE DOS CAMPOS"_s,
                 u"3549904"_s, false);
    }
    addParty(v, u"DEST"_s, u"27451963000168"_s, u"COMERCIAL DE ALIMENTOS BOA MESA LTDA"_s,
             u"0627183450091"_s, u"BOA MESA"_s, u"3133185200"_s, u"nfe@boamesa.com.br"_s,
             u"RUA DOS GUAJAJARAS, 410"_s, u"LOJA 3"_s, u"30180100"_s, u"CENTRO"_s);
    addPlace(v, u"DEST"_s, u"MG"_s, u"MINAS GERAIS"_s, u"31"_s, u"0620"_s, u"BELO HORIZONTE"_s,
             u"3106200"_s, false);

    doc.taxes = {{{u"CDIMPOSTO"_s, u"01"_s},
                  {u"SGIMPOSTO"_s, u"ICMS"_s},
                  {u"VRBASECALCULO"_s, 1850.0},
                  {u"VRALIQUOTA"_s, 12.0},
                  {u"VRREDBASECALC"_s, 0.0},
                  {u"VRIMPOSTO"_s, 222.0},
                  {u"VRCREDPRESUMIDO"_s, 0.0},
                  {u"CDSITUTRIBIT"_s, u"00"_s},
                  {u"CDFISCALIT"_s, u"1"_s}}};
    doc.components = {{{u"CDCOMPVRPREST"_s, 1.0},
                       {u"DSCOMPVRPREST"_s, u"FRETE PESO"_s},
                       {u"VRCOMPONENTE"_s, 1600.0}},
                      {{u"CDCOMPVRPREST"_s, 3.0},
                       {u"DSCOMPVRPREST"_s, u"PEDAGIO"_s},
                       {u"VRCOMPONENTE"_s, 250.0}}};
    const QDate issued = QDate::currentDate().addDays(-2);
    const QString invoiceKey = u"35"_s + issued.toString(u"yyMM"_s) + u"61348257000123"_s + u"55"_s
        + u"001"_s + u"000004101"_s + u"1"_s + u"00000019"_s;
    doc.fiscalDocuments
        = {{{u"NRACESSONFE"_s, invoiceKey + QString::number(accesskey::checkDigit(invoiceKey))},
            {u"NRINSJURNF"_s, u"27451963000168"_s},
            {u"NMRAZSOCNF"_s, u"COMERCIAL DE ALIMENTOS BOA MESA LTDA"_s},
            {u"CDSERIE"_s, u"1"_s},
            {u"NRNOTAFISC"_s, u"4101"_s},
            {u"DTEMISSAO"_s, issued.startOfDay()},
            {u"CDMODDOCFISC"_s, u"55"_s},
            {u"VRNOTAFISC"_s, 18750.0},
            {u"VRPBRUTOVOLU"_s, 1250.5}}};
    doc.cargoQuantities = {{{u"CDUNIDMEDIDA"_s, u"01"_s},
                            {u"DSTIPOMEDIDA"_s, u"PESO BRUTO"_s},
                            {u"QTCARGA"_s, 1250.5},
                            {u"IDGERADAAUTO"_s, u"S"_s}},
                           {{u"CDUNIDMEDIDA"_s, u"03"_s},
                            {u"DSTIPOMEDIDA"_s, u"VOLUMES"_s},
                            {u"QTCARGA"_s, 12.0},
                            {u"IDGERADAAUTO"_s, u"N"_s}}};
    doc.observations = {{{u"CDMENSAGEM"_s, u"005"_s},
                         {u"DSDADOADIC"_s, u"MERCADORIA ENTREGUE MEDIANTE AGENDAMENTO"_s}}};
    return doc;
}

IssuerParameters issuerParameters()
{
    return {u"44827163"_s, u"3"_s};
}

} // namespace demodocument
