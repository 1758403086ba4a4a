// InutilizaCTe: voiding a range of document numbers that will never be used (inutCTe), signed,
// checked against its schema, registered at the authority and kept so that the numbering skips
// it; GetInutilizacaoCTe lists the ranges voided.
#include "DataPacket.h"
#include "FiscalEvent.h"
#include "Operations.h"
#include "PacketSql.h"
#include "RpcProtocol.h"
#include "SchemaValidator.h"
#include "ServerError.h"
#include "SqlSupport.h"
#include "StatusQueryClient.h"
#include "TransmissionMessages.h"
#include "XmlOut.h"

using namespace Qt::StringLiterals;
using contracts::DataPacket;
using contracts::FieldType;

namespace {

constexpr char kCteNamespace[] = "http://www.portalfiscal.inf.br/cte";
// The authority voids at most this many numbers in one request.
constexpr qint64 kMaxRange = 10000;
constexpr qint64 kLastNumber = 999999999;

struct Range
{
    QString company;
    QString stateRegistration;
    QString model;
    QString series;
    qint64 first = 0;
    qint64 last = 0;
    QString reason;
    QString cnpj;
    QString ufCode;
    QString environment;
};

// The establishment's registration, state and CT-e settings; raises ServerError when unknown.
void readEstablishment(const QSqlDatabase &db, Range &r)
{
    QSqlQuery q = runSql(db,
                         u"SELECT I.NRINSJURIEST, E.CDESTADOIBGE, I.IDTPAMBIENTECTE, "
                         "I.CDMODDOCFISCCTE FROM INSCRESTAD I LEFT JOIN ESTADO E ON "
                         "E.CDPAIS = I.CDPAIS AND E.SGESTADO = I.SGESTADO "
                         "WHERE I.CDEMPRESA = :E AND I.CDINSCESTA = :I"_s,
                         {{u":E", r.company}, {u":I", r.stateRegistration}});
    if (!q.next())
        throw ServerError(txMsg("INUT_ESTABELECIMENTO").arg(r.company, r.stateRegistration));
    r.cnpj = q.value(0).toString().remove(u'.').remove(u'/').remove(u'-').trimmed();
    r.ufCode = q.value(1).toString().trimmed();
    r.environment = q.value(2).toString().trimmed();
    if (r.environment.isEmpty())
        r.environment = u"2"_s;
    r.model = q.value(3).toString().trimmed();
    if (r.model.isEmpty())
        r.model = u"57"_s;
}

// Why the range cannot be voided here: a number used (any status but rejected) or voided before.
QString usedProblem(const QSqlDatabase &db, const Range &r)
{
    const QList<std::pair<QString, QVariant>> binds {{u":E"_s, r.company},
                                                     {u":M"_s, r.model},
                                                     {u":S"_s, r.series},
                                                     {u":A"_s, r.first},
                                                     {u":B"_s, r.last}};
    QSqlQuery q = runSql(db,
                         u"SELECT MIN(CAST(NRCTE AS BIGINT)) FROM CTE WHERE CDEMPRESA = :E "
                         "AND CDMODDOCFISC = :M AND CDSERIECTE = :S AND IDSTATUSCTE <> 'R' "
                         "AND CAST(NRCTE AS BIGINT) BETWEEN :A AND :B"_s,
                         binds);
    if (q.next() && !q.value(0).isNull())
        return txMsg("INUT_NUMERO_USADO").arg(q.value(0).toLongLong()).arg(r.series);
    q = runSql(db,
               u"SELECT NRINICIAL, NRFINAL FROM CTEINUTILIZACAO WHERE CDEMPRESA = :E "
               "AND CDMODDOCFISC = :M AND CDSERIECTE = :S AND NRFINAL >= :A AND NRINICIAL <= :B"_s,
               binds);
    if (q.next())
        return txMsg("INUT_JA_INUTILIZADA")
            .arg(q.value(0).toLongLong())
            .arg(q.value(1).toLongLong())
            .arg(r.series);
    return {};
}

SignedXml buildRequest(const Range &r, const A1Certificate &certificate)
{
    const QByteArray series = r.series.toLatin1();
    const QByteArray first = QByteArray::number(r.first);
    const QByteArray last = QByteArray::number(r.last);
    const QByteArray id = "ID" + r.ufCode.toLatin1() + r.cnpj.toLatin1() + r.model.toLatin1()
        + series.rightJustified(3, '0') + first.rightJustified(9, '0')
        + last.rightJustified(9, '0');
    XmlOut out;
    out.open("inutCTe", QByteArray(" xmlns=\"") + kCteNamespace + "\" versao=\"4.00\"");
    out.open("infInut", " Id=\"" + id + '"');
    out.leafAscii("tpAmb", r.environment.toLatin1());
    out.leafAscii("xServ", "INUTILIZAR");
    out.leafAscii("cUF", r.ufCode.toLatin1());
    out.leafAscii("ano",
                  QByteArray::number(QDate::currentDate().year() % 100).rightJustified(2, '0'));
    out.leafAscii("CNPJ", r.cnpj.toLatin1());
    out.leafAscii("mod", r.model.toLatin1());
    out.leafAscii("serie", series);
    out.leafAscii("nCTIni", first);
    out.leafAscii("nCTFin", last);
    out.leaf("xJust", r.reason);
    out.close("infInut");
    out.close("inutCTe");
    return signXml(out.bytes(), certificate);
}

void storeRange(const QSqlDatabase &db, const Range &r, const VoidingAnswer &a,
                const QByteArray &process)
{
    runSql(db,
           u"INSERT INTO CTEINUTILIZACAO (CDEMPRESA, CDINSCESTA, CDMODDOCFISC, CDSERIECTE, "
           "NRINICIAL, NRFINAL, DSJUSTIFICATIVA, NRPROTOCOLO, DTREGISTRO, DSXMLINUTILIZACAO) "
           "VALUES (:E, :I, :M, :S, :A, :B, :J, :P, :D, :X)"_s,
           {{u":E", r.company},
            {u":I", r.stateRegistration},
            {u":M", r.model},
            {u":S", r.series},
            {u":A", r.first},
            {u":B", r.last},
            {u":J", r.reason},
            {u":P", a.protocol.left(15)},
            {u":D",
             a.receivedAt.isValid() ? a.receivedAt.toLocalTime() : QDateTime::currentDateTime()},
            {u":X", QString::fromUtf8(process)}});
}

} // namespace

QVariant InutilizaCTe(CallContext &ctx, const Args &args)
{
    Range r;
    r.company = args.at(0).toString().trimmed();
    r.stateRegistration = args.at(1).toString().trimmed();
    bool seriesOk = false;
    const int series = args.at(2).toString().trimmed().toInt(&seriesOk);
    r.series = QString::number(series);
    r.first = args.at(3).toString().trimmed().toLongLong();
    r.last = args.at(4).toString().trimmed().toLongLong();
    r.reason = args.at(5).toString();
    if (r.company.isEmpty() || r.stateRegistration.isEmpty())
        return contracts::failReply(txMsg("EMPRESA_DEVE"));
    if (!seriesOk || series < 0 || series > 999 || (series >= 890 && series <= 899))
        return contracts::failReply(txMsg("INUT_SERIE"));
    if (r.first < 1 || r.last > kLastNumber || r.first > r.last)
        return contracts::failReply(txMsg("INUT_FAIXA"));
    if (r.last - r.first + 1 > kMaxRange)
        return contracts::failReply(txMsg("INUT_FAIXA_GRANDE").arg(kMaxRange));
    if (const QString problem = justificationProblem(r.reason, txMsg("MOTIVO_INUTILIZACAO"));
        !problem.isEmpty())
        return contracts::failReply(problem);
    readEstablishment(ctx.db, r);
    if (const QString problem = usedProblem(ctx.db, r); !problem.isEmpty())
        return contracts::failReply(problem);
    const AuthorityServices authority;
    if (authority.settings().schemaDir.isEmpty())
        throw ServerError(txMsg("SCHEMAS_NAO_CONFIGURADOS"));

    const SignedXml request = buildRequest(r, authority.certificate());
    if (const QString problem
        = SchemaValidator::named(authority.settings().schemaDir, u"inutCTe_v4.00.xsd"_s)
              ->validate(request.xml);
        !problem.isEmpty())
        return contracts::failReply(txMsg("INUT_SCHEMA").arg(problem));

    const VoidingAnswer answer = authority.sendVoiding(request.xml);
    // 682: this very range was voided before (an answer lost on the way); its protocol comes
    // back with the refusal.
    if (answer.answered
        && (answer.status == u"102" || (answer.status == u"682" && !answer.protocol.isEmpty()))) {
        const QByteArray process = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><procInutCTe xmlns=\""
            + QByteArray(kCteNamespace) + "\" versao=\"4.00\">" + withoutDeclaration(request.xml)
            + answer.retInutXml + "</procInutCTe>";
        SqlTransaction tx(ctx.db);
        // A save may have taken a number of the range meanwhile: it keeps it, and says so.
        const QString raced = usedProblem(ctx.db, r);
        storeRange(ctx.db, r, answer, process);
        tx.commit();
        if (!raced.isEmpty())
            return contracts::failReply(txMsg("INUT_CONCORRENTE").arg(answer.protocol, raced));
        return contracts::okReply({answer.protocol});
    }
    if (!answer.answered)
        return contracts::failReply(txMsg("INUT_SEM_RESPOSTA").arg(answer.problem));
    return contracts::failReply(txMsg("INUT_RECUSADA").arg(answer.status, answer.reason));
}

QVariant GetInutilizacaoCTe(CallContext &ctx, const Args &args)
{
    QSqlQuery q = runSql(ctx.db,
                         u"SELECT CDINSCESTA, CDSERIECTE, NRINICIAL, NRFINAL, DSJUSTIFICATIVA, "
                         "NRPROTOCOLO, DTREGISTRO FROM CTEINUTILIZACAO WHERE CDEMPRESA = :E "
                         "ORDER BY DTREGISTRO DESC, CDSERIECTE, NRINICIAL"_s,
                         {{u":E", args.at(0).toString().trimmed()}});
    const QList<contracts::FieldDef> fields {
        {u"CDINSCESTA"_s, FieldType::String, 16},       {u"CDSERIECTE"_s, FieldType::String, 3},
        {u"NRINICIAL"_s, FieldType::Integer},           {u"NRFINAL"_s, FieldType::Integer},
        {u"DSJUSTIFICATIVA"_s, FieldType::String, 255}, {u"NRPROTOCOLO"_s, FieldType::String, 15},
        {u"DTREGISTRO"_s, FieldType::DateTime}};
    return contracts::okReply({QVariant::fromValue(packetsql::fromQuery(q, fields))});
}
