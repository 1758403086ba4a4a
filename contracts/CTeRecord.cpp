#include "CTeRecord.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace contracts::cte {

namespace {

FieldDef str(const QString &name, int size, bool hidden = true)
{
    return {name, FieldType::String, size, hidden};
}
FieldDef fixed(const QString &name, int size, bool hidden = true)
{
    return {name, FieldType::FixedString, size, hidden};
}
FieldDef num(const QString &name, bool hidden = true)
{
    return {name, FieldType::Float, 0, hidden};
}
FieldDef date(const QString &name, bool hidden = true)
{
    return {name, FieldType::DateTime, 0, hidden};
}

struct PartyRole
{
    const char16_t *suffix;
    const char16_t *source; // IDCAD…
    const char16_t *codeStem; // CD…CLI / CD…FOR
};

constexpr PartyRole kRoles[] = {
    {u"REME", u"IDCADREMETENTE", u"REMETENTE"}, {u"EXPE", u"IDCADEXPEDIDOR", u"EXPEDIDOR"},
    {u"RECE", u"IDCADRECEBEDOR", u"RECEBEDOR"}, {u"DEST", u"IDCADDESTINATA", u"DESTINATA"},
    {u"TOMA", u"IDCADTOMADOR", u"TOMADOR"},
};

void addRoute(QList<FieldDef> &f, const QString &s)
{
    f << str(u"CDPAIS"_s + s, 4) << str(u"NMPAIS"_s + s, 30) << str(u"CDPAISBACEN"_s + s, 4)
      << str(u"SGESTADO"_s + s, 2) << str(u"NMESTADO"_s + s, 30) << str(u"CDESTADOIBGE"_s + s, 2)
      << str(u"CDMUNIC"_s + s, 4) << str(u"NMMUNIC"_s + s, 30) << str(u"CDMUNICIBGE"_s + s, 7);
}

void addParty(QList<FieldDef> &f, const PartyRole &role)
{
    const QString s = QString::fromUtf16(role.suffix);
    const QString stem = QString::fromUtf16(role.codeStem);
    // The two registration and name fields of the payer are shown in the list.
    const bool shownInList = s == u"TOMA";
    f << str(QString::fromUtf16(role.source), 1) << str(u"CD"_s + stem + u"CLI"_s, 21)
      << str(u"CD"_s + stem + u"FOR"_s, 21) << str(u"NRINSJUR"_s + s, 20, !shownInList)
      << str(u"IDTPIJUR"_s + s, 1) << str(u"NMRAZSOC"_s + s, 50, !shownInList)
      << str(u"NRINSEST"_s + s, 20) << str(u"NMFANT"_s + s, 50) << str(u"NRTELE"_s + s, 25)
      << str(u"DSEMAIL"_s + s, 50) << str(u"DSENDE"_s + s, 50) << str(u"DSCOMPEND"_s + s, 200)
      << str(u"NRCEP"_s + s, 15) << str(u"CDPAIS"_s + s, 4) << str(u"NMPAIS"_s + s, 30)
      << str(u"CDPAISBACEN"_s + s, 4) << str(u"SGESTADO"_s + s, 2) << str(u"NMESTADO"_s + s, 30)
      << str(u"CDESTADOIBGE"_s + s, 2) << str(u"CDMUNICIPIO"_s + s, 4)
      << str(u"NMMUNICIPIO"_s + s, 30) << str(u"CDMUNICIBGE"_s + s, 7) << str(u"NMBAIR"_s + s, 60);
    if (s == u"DEST")
        f << str(u"NRINSCSUFRAMADEST"_s, 9);
    if (s == u"TOMA")
        f << str(u"IDTOMADOR"_s, 1);
}

} // namespace

const QStringList &partyRoles()
{
    static const QStringList roles {u"REME"_s, u"EXPE"_s, u"RECE"_s, u"DEST"_s, u"TOMA"_s};
    return roles;
}

QString partySourceField(const QString &role)
{
    for (const PartyRole &r : kRoles) {
        if (role == QStringView(r.suffix))
            return QString::fromUtf16(r.source);
    }
    return {};
}

namespace {

QString codeField(const QString &role, const char16_t *end)
{
    for (const PartyRole &r : kRoles) {
        if (role == QStringView(r.suffix))
            return u"CD"_s + QString::fromUtf16(r.codeStem) + QString::fromUtf16(end);
    }
    return {};
}

} // namespace

QString partyClientCodeField(const QString &role)
{
    return codeField(role, u"CLI");
}

QString partySupplierCodeField(const QString &role)
{
    return codeField(role, u"FOR");
}

const QList<PartyColumn> &partyRegisterColumns()
{
    static const QList<PartyColumn> columns {
        {u"NRINSJUR"_s, u"NRINSJURCLIE"_s, u"NRINSJURFORN"_s},
        {u"IDTPIJUR"_s, u"IDTPIJURCLIE"_s, u"IDTPIJURFORN"_s},
        {u"NMRAZSOC"_s, u"NMRAZSOCCLIE"_s, u"NMRAZSOCFORN"_s},
        {u"NRINSEST"_s, u"NRINSESTCLIE"_s, u"NRINSESTFORN"_s},
        {u"NMFANT"_s, u"NMFANTCLIE"_s, u"NMFANTFORN"_s},
        {u"NRTELE"_s, u"NRTELECLIE"_s, u"NRTELEFORN"_s},
        {u"DSEMAIL"_s, u"DSEMAILCLIE"_s, u"DSEMAILFORN"_s},
        {u"DSENDE"_s, u"DSENDECLIE"_s, u"DSENDEFORN"_s},
        {u"DSCOMPEND"_s, u"DSCOMPENDCLI"_s, u"DSCOMPENDFOR"_s},
        {u"NRCEP"_s, u"NRCEPCLIE"_s, u"NRCEPFORN"_s},
        {u"CDPAIS"_s, u"CDPAIS"_s, u"CDPAIS"_s},
        {u"NMPAIS"_s, u"NMPAIS"_s, u"NMPAIS"_s},
        {u"CDPAISBACEN"_s, u"CDPAISBACEN"_s, u"CDPAISBACEN"_s},
        {u"SGESTADO"_s, u"SGESTADO"_s, u"SGESTADO"_s},
        {u"NMESTADO"_s, u"NMESTADO"_s, u"NMESTADO"_s},
        {u"CDESTADOIBGE"_s, u"CDESTADOIBGE"_s, u"CDESTADOIBGE"_s},
        {u"CDMUNICIPIO"_s, u"CDMUNICIPIO"_s, u"CDMUNICIPIO"_s},
        {u"NMMUNICIPIO"_s, u"NMMUNICIPIO"_s, u"NMMUNICIPIO"_s},
        {u"CDMUNICIBGE"_s, u"CDMUNICIBGE"_s, u"CDMUNICIBGE"_s},
        {u"NMBAIR"_s, u"NMBAIRCLIE"_s, u"NMBAIRFORN"_s},
    };
    return columns;
}

PartyColumn recipientSuframaColumn()
{
    return {u"NRINSCSUFRAMA"_s, u"NRINSCSUFRAMACL"_s, u"NRINSCSUFRAMAFO"_s};
}

QList<FieldDef> documentFields()
{
    QList<FieldDef> f;
    // Identification and control.
    f << fixed(u"IDCHECK"_s, 1) << num(u"CDCTE"_s) << str(u"CDEMPRESA"_s, 2)
      << str(u"NRCTE"_s, 9, false) << str(u"CDSERIECTE"_s, 3, false)
      << str(u"NRACESSOCTE"_s, 44, false) << str(u"CDMODDOCFISC"_s, 2)
      << date(u"DTEMISSAO"_s, false) << str(u"IDMODAL"_s, 2) << str(u"IDTIPOSERVICO"_s, 1)
      << str(u"IDTIPOCTE"_s, 1) << str(u"IDFORMAEMISSAO"_s, 1) << str(u"CDCFOP"_s, 4)
      << str(u"DSNATUOPERACAO"_s, 60) << str(u"IDGLOBALIZADO"_s, 1) << str(u"IDFORMAIMPDACTE"_s, 1)
      << str(u"IDVERPROCESSO"_s, 20) << str(u"CDDIGESTVALUE"_s, 28) << str(u"IDRETIRA"_s, 1)
      << str(u"DSRETIRA"_s, 160) << str(u"IDAMBIENTECTE"_s, 1);
    // Status.
    f << str(u"IDSTATUSCTE"_s, 1, false) << str(u"CDSTATUSCTE"_s, 3, false)
      << str(u"DSSTATUSCTE"_s, 255, false) << str(u"NRPROTOCOLCTE"_s, 15)
      << date(u"DTAUTORIZACAO"_s);
    // Service route.
    addRoute(f, u"INISERV"_s);
    addRoute(f, u"FIMSERV"_s);
    // Parties.
    for (const PartyRole &role : kRoles)
        addParty(f, role);
    // The e-mail state comes after the payer's registration and name in the list.
    f << str(u"IDEMAILCTE"_s, 1, false);
    // Emitter: its widths differ from the parties'.
    f << str(u"NRINSJUREMIT"_s, 20) << str(u"IDTPIJUREMIT"_s, 1) << str(u"NMRAZSOCEMIT"_s, 80)
      << str(u"NRINSESTEMIT"_s, 16) << str(u"NMFANTEMIT"_s, 40) << str(u"NRTELEEMIT"_s, 25)
      << str(u"DSEMAILEMIT"_s, 100) << str(u"DSENDEEMIT"_s, 50) << str(u"DSCOMPENDEMIT"_s, 200)
      << str(u"NRCEPEMIT"_s, 15) << str(u"CDPAISEMIT"_s, 4) << str(u"NMPAISEMIT"_s, 30)
      << str(u"CDPAISBACENEMIT"_s, 4) << str(u"SGESTADOEMIT"_s, 2) << str(u"NMESTADOEMIT"_s, 30)
      << str(u"CDESTADOIBGEEMIT"_s, 2) << str(u"CDMUNICIPIOEMIT"_s, 4)
      << str(u"NMMUNICIPIOEMIT"_s, 30) << str(u"CDMUNICIBGEEMIT"_s, 7) << str(u"NMBAIREMIT"_s, 30);
    // Service, values and cargo.
    f << str(u"CDPRODUTO"_s, 10) << str(u"CDARVPROD"_s, 20) << str(u"NMPRODUTO"_s, 50)
      << num(u"VRTOTAPRESTSERV"_s) << num(u"VRTOTARECEBER"_s) << str(u"IDENTRSAIDOP"_s, 1)
      << str(u"CDTIPOOPER"_s, 2) << str(u"NMTIPOOPER"_s, 30) << num(u"VRTOTACARGA"_s)
      << num(u"VRAVERBACAO"_s) << str(u"DSPRODPREDOMINA"_s, 60) << str(u"DSOUTCARCARGA"_s, 30);
    return f;
}

QList<FieldDef> taxFields()
{
    return {num(u"CDCTEIMPOSTOS"_s),          num(u"CDCTE"_s),
            str(u"CDIMPOSTO"_s, 2, false),    str(u"SGIMPOSTO"_s, 10, false),
            num(u"VRBASECALCULO"_s, false),   num(u"VRALIQUOTA"_s, false),
            num(u"VRREDBASECALC"_s, false),   num(u"VRIMPOSTO"_s, false),
            num(u"VRCREDPRESUMIDO"_s, false), str(u"CDSITUTRIBIT"_s, 2, false),
            str(u"CDFISCALIT"_s, 1, false)};
}

QList<FieldDef> valueComponentFields()
{
    return {num(u"CDCTECOMPVALOR"_s), num(u"CDCTE"_s), num(u"CDCOMPVRPREST"_s, false),
            num(u"VRCOMPONENTE"_s, false), str(u"DSCOMPVRPREST"_s, 15, false)};
}

QList<FieldDef> fiscalDocumentFields()
{
    return {num(u"CDCTEDOCFISCAIS"_s),
            num(u"CDCTE"_s),
            str(u"NRACESSONFE"_s, 50, false),
            str(u"CDFILIAL"_s, 4),
            str(u"NRLANCTONF"_s, 10),
            str(u"NRINSJURNF"_s, 20, false),
            str(u"NMRAZSOCNF"_s, 50, false),
            str(u"CDSERIE"_s, 5, false),
            str(u"NRNOTAFISC"_s, 20, false),
            date(u"DTEMISSAO"_s, false),
            str(u"CDMODDOCFISC"_s, 2, false),
            num(u"VRNOTAFISC"_s, false),
            num(u"VRPRODUTOS"_s),
            num(u"VRPBRUTOVOLU"_s),
            num(u"VRPLIQUVOLU"_s)};
}

QList<FieldDef> cargoQuantityFields()
{
    return {num(u"CDCTEINFQTCARGA"_s),        num(u"CDCTE"_s),
            str(u"CDUNIDMEDIDA"_s, 2, false), str(u"DSTIPOMEDIDA"_s, 20, false),
            num(u"QTCARGA"_s, false),         str(u"IDGERADAAUTO"_s, 1)};
}

QList<FieldDef> additionalDataFields()
{
    return {num(u"CDCTEDADOSADIC"_s), num(u"CDCTE"_s), str(u"CDMENSAGEM"_s, 3),
            str(u"DSDADOADIC"_s, 255, false)};
}

QList<FieldDef> establishmentFields()
{
    return {str(u"CDEMPRESA"_s, 2, false),       str(u"CDINSCESTA"_s, 16, false),
            str(u"NRINSJURIEST"_s, 20, false),   str(u"IDTPIMPRESDACTE"_s, 1, false),
            str(u"IDTPAMBIENTECTE"_s, 1, false), str(u"CDMODDOCFISCCTE"_s, 2, false),
            str(u"CDSERIECTE"_s, 3, false)};
}

bool isMoneyField(const QString &name)
{
    static const QStringList fields {u"VRTOTAPRESTSERV"_s, u"VRTOTARECEBER"_s, u"VRTOTACARGA"_s,
                                     u"VRAVERBACAO"_s,     u"VRBASECALCULO"_s, u"VRIMPOSTO"_s,
                                     u"VRCREDPRESUMIDO"_s, u"VRCOMPONENTE"_s,  u"VRNOTAFISC"_s,
                                     u"VRPRODUTOS"_s};
    return fields.contains(name);
}

QList<FieldDef> valueComponentRegisterFields()
{
    return {num(u"CDCOMPVRPREST"_s, false), str(u"DSCOMPVRPREST"_s, 15, false)};
}

QList<FieldDef> transmissionResultFields()
{
    return {str(u"NRCTE"_s, 9, false),
            str(u"DSOBSERVACAO"_s, 255, false),
            {u"DSTEXTOXML"_s, FieldType::Memo, 0, true},
            str(u"IDGERADO"_s, 1, false),
            str(u"NRACESSONFE"_s, 50, false),
            str(u"DSNOMEARQXML"_s, 255)};
}

QList<FieldDef> emailResultFields()
{
    return {num(u"CDCTE"_s, false), str(u"NRCTE"_s, 9, false), str(u"IDEMAILCTE"_s, 1, false),
            str(u"DSOBSEMAILCTE"_s, 255, false)};
}

QString childKeyField(const QString &datasetName)
{
    static const QHash<QString, QString> keys {
        {u"cdsCTeImpostos"_s, u"CDCTEIMPOSTOS"_s},
        {u"cdsCTeCompValor"_s, u"CDCTECOMPVALOR"_s},
        {u"cdsCTeDocFiscais"_s, u"CDCTEDOCFISCAIS"_s},
        {u"cdsCTeInfQtCarga"_s, u"CDCTEINFQTCARGA"_s},
        {u"cdsCTeDadosAdic"_s, u"CDCTEDADOSADIC"_s},
    };
    return keys.value(datasetName);
}

} // namespace contracts::cte
