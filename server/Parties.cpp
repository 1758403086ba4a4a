// Look-ups of the parties of a document: the emitting establishment, clients and suppliers.
// Registrations are compared without punctuation, as the editor types and shows them.
#include "Operations.h"

#include "DataPacket.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"
#include "StrUtils.h"

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace {

FieldDef str(const QString &name, int size)
{
    return {name, FieldType::String, size};
}

QString withoutPunctuation(QString text)
{
    for (const QChar c : {u'/', u'-', u'.', u'(', u')', u',', u' '})
        text.remove(c);
    return text;
}

// The address columns that a client or supplier row takes from the host's country, state and
// municipality tables.
QString placeColumns()
{
    return u"P.CDPAIS, P.NMPAIS, P.CDPAISBACEN, E.SGESTADO, E.NMESTADO, E.CDESTADOIBGE, "
           "M.CDMUNICIPIO, M.NMMUNICIPIO, M.CDMUNICIBGE"_s;
}

QString placeJoins(const QString &alias)
{
    return u"LEFT JOIN PAIS P ON P.CDPAIS = %1.CDPAIS "
           "LEFT JOIN ESTADO E ON E.CDPAIS = %1.CDPAIS AND E.SGESTADO = %1.SGESTADO "
           "LEFT JOIN MUNICIPIO M ON M.CDPAIS = %1.CDPAIS AND M.SGESTADO = %1.SGESTADO "
           "AND M.CDMUNICIPIO = %1.CDMUNICIPIO"_s.arg(alias);
}

QList<FieldDef> placeFields()
{
    return {str(u"CDPAIS"_s, 4),      str(u"NMPAIS"_s, 30),      str(u"CDPAISBACEN"_s, 4),
            str(u"SGESTADO"_s, 2),    str(u"NMESTADO"_s, 30),    str(u"CDESTADOIBGE"_s, 2),
            str(u"CDMUNICIPIO"_s, 4), str(u"NMMUNICIPIO"_s, 30), str(u"CDMUNICIBGE"_s, 7)};
}

struct PartyTable
{
    QString table, alias, code, registration;
    QList<FieldDef> leading; // before the place columns
    QList<FieldDef> trailing; // after them
};

QVariant findParty(CallContext &ctx, const PartyTable &t, const Args &args)
{
    const QString code = args.at(0).toString().trimmed();
    const QString registration = withoutPunctuation(args.at(1).toString());
    if (code.isEmpty() && registration.isEmpty())
        throw ServerError(srvMsg("PARTE_SEM_CRITERIO"));
    QStringList cols;
    for (const FieldDef &f : t.leading)
        cols << t.alias + u'.' + f.name;
    cols << placeColumns();
    for (const FieldDef &f : t.trailing)
        cols << t.alias + u'.' + f.name;
    QString where = u"1 = 1"_s;
    QList<std::pair<QString, QVariant>> binds;
    if (!code.isEmpty()) {
        where += u" AND %1.%2 = :C"_s.arg(t.alias, t.code);
        binds.append({u":C"_s, code});
    }
    if (!registration.isEmpty()) {
        where += u" AND %1 = :R"_s.arg(
            packetsql::sqlWithoutPunctuation(t.alias + u'.' + t.registration));
        binds.append({u":R"_s, registration});
    }
    QSqlQuery q
        = runSql(ctx.db,
                 u"SELECT %1 FROM %2 %3 %4 WHERE %5 ORDER BY %3.%6"_s.arg(
                     cols.join(u", "_s), t.table, t.alias, placeJoins(t.alias), where, t.code),
                 binds);
    const contracts::DataPacket packet
        = packetsql::fromQuery(q, t.leading + placeFields() + t.trailing);
    return contracts::okReply({QVariant::fromValue(packet)});
}

} // namespace

QVariant GetEmitente(CallContext &ctx, const Args &args)
{
    const QString company = args.at(0).toString().trimmed();
    const QString stateRegistration = args.at(1).toString().trimmed();
    const QString registration = withoutPunctuation(args.at(2).toString());
    if (company.isEmpty())
        throw ServerError(srvMsg("EMPRESA_DEVE"));
    QString where = u"I.CDEMPRESA = :E"_s;
    QList<std::pair<QString, QVariant>> binds {{u":E"_s, company}};
    if (!stateRegistration.isEmpty()) {
        where += u" AND I.CDINSCESTA = :I"_s;
        binds.append({u":I"_s, stateRegistration});
    }
    if (!registration.isEmpty()) {
        where += u" AND %1 = :R"_s.arg(packetsql::sqlWithoutPunctuation(u"I.NRINSJURIEST"_s));
        binds.append({u":R"_s, registration});
    }
    if (stateRegistration.isEmpty() && registration.isEmpty())
        throw ServerError(srvMsg("PARTE_SEM_CRITERIO"));
    QSqlQuery q
        = runSql(ctx.db,
                 u"SELECT I.NRINSJURIEST, I.IDTPIJURIEST, I.NMRAZSOCIEST, I.CDINSCESTA, "
                 "I.NMFANTIEST, I.NRTELEIEST, I.DSEMAILIEST, I.DSENDEIEST, I.DSCOMPENDIEST, "
                 "I.NRCEPIEST, %1, I.NMBAIRIEST FROM INSCRESTAD I %2 WHERE %3 "
                 "ORDER BY I.CDINSCESTA"_s.arg(placeColumns(), placeJoins(u"I"_s), where),
                 binds);
    const QList<FieldDef> fields {
        str(u"NRINSJUREMIT"_s, 20),    str(u"IDTPIJUREMIT"_s, 1),    str(u"NMRAZSOCEMIT"_s, 80),
        str(u"NRINSESTEMIT"_s, 16),    str(u"NMFANTEMIT"_s, 40),     str(u"NRTELEEMIT"_s, 25),
        str(u"DSEMAILEMIT"_s, 100),    str(u"DSENDEEMIT"_s, 50),     str(u"DSCOMPENDEMIT"_s, 200),
        str(u"NRCEPEMIT"_s, 15),       str(u"CDPAISEMIT"_s, 4),      str(u"NMPAISEMIT"_s, 30),
        str(u"CDPAISBACENEMIT"_s, 4),  str(u"SGESTADOEMIT"_s, 2),    str(u"NMESTADOEMIT"_s, 30),
        str(u"CDESTADOIBGEEMIT"_s, 2), str(u"CDMUNICIPIOEMIT"_s, 4), str(u"NMMUNICIPIOEMIT"_s, 30),
        str(u"CDMUNICIBGEEMIT"_s, 7),  str(u"NMBAIREMIT"_s, 30)};
    const contracts::DataPacket packet = packetsql::fromQuery(q, fields);
    return contracts::okReply({QVariant::fromValue(packet)});
}

QVariant GetCliente(CallContext &ctx, const Args &args)
{
    static const PartyTable table {
        u"CLIENTE"_s,
        u"C"_s,
        u"CDCLIENTE"_s,
        u"NRINSJURCLIE"_s,
        {str(u"CDCLIENTE"_s, 21), str(u"NRINSJURCLIE"_s, 20), str(u"IDTPIJURCLIE"_s, 1),
         str(u"NMRAZSOCCLIE"_s, 50), str(u"NRINSESTCLIE"_s, 20), str(u"NMFANTCLIE"_s, 50),
         str(u"NRTELECLIE"_s, 25), str(u"DSEMAILCLIE"_s, 50), str(u"DSENDECLIE"_s, 50),
         str(u"DSCOMPENDCLI"_s, 200), str(u"NRCEPCLIE"_s, 15)},
        {str(u"NMBAIRCLIE"_s, 50), str(u"NRINSCSUFRAMACL"_s, 9)}};
    return findParty(ctx, table, args);
}

QVariant GetFornecedor(CallContext &ctx, const Args &args)
{
    static const PartyTable table {
        u"FORNECEDOR"_s,
        u"F"_s,
        u"CDFORNECED"_s,
        u"NRINSJURFORN"_s,
        {str(u"CDFORNECED"_s, 21), str(u"NRINSJURFORN"_s, 20), str(u"IDTPIJURFORN"_s, 1),
         str(u"NMRAZSOCFORN"_s, 40), str(u"NRINSESTFORN"_s, 20), str(u"NMFANTFORN"_s, 40),
         str(u"NRTELEFORN"_s, 25), str(u"DSEMAILFORN"_s, 40), str(u"DSENDEFORN"_s, 50),
         str(u"DSCOMPENDFOR"_s, 200), str(u"NRCEPFORN"_s, 15)},
        {str(u"NMBAIRFORN"_s, 60), str(u"NRINSCSUFRAMAFO"_s, 9)}};
    return findParty(ctx, table, args);
}
