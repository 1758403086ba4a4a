#include "FiscalEvent.h"

#include "IssuerClock.h"
#include "SchemaValidator.h"
#include "ServerError.h"
#include "SqlSupport.h"
#include "TransmissionMessages.h"
#include "XmlOut.h"

using namespace Qt::StringLiterals;

namespace {

constexpr char kCteNamespace[] = "http://www.portalfiscal.inf.br/cte";

// The moment on the issuer's clock with its state's offset (TDateTimeUTC), whatever the
// server machine's zone.
QString eventMoment(const QDateTime &at, const QString &uf)
{
    return at.toOffsetFromUtc(issuerclock::utcOffsetSeconds(uf)).toString(u"yyyy-MM-ddTHH:mm:ss"_s)
        + issuerclock::utcOffset(uf);
}

QDateTime registeredMoment(const EventAnswer &a)
{
    return a.registeredAt.isValid() ? a.registeredAt.toLocalTime() : QDateTime::currentDateTime();
}

} // namespace

QString justificationProblem(const QString &justification, const QString &subject)
{
    if (justification.size() < 15)
        return txMsg("JUSTIFICATIVA_CURTA").arg(subject);
    if (justification.size() > 255)
        return txMsg("JUSTIFICATIVA_LONGA").arg(subject).arg(justification.size());
    if (justification.contains(u'\n') || justification.contains(u'\r'))
        return txMsg("JUSTIFICATIVA_QUEBRA").arg(subject);
    if (XmlOut::clean(justification) != justification)
        return txMsg("JUSTIFICATIVA_CARACTERES").arg(subject);
    return {};
}

SignedXml buildEvent(const EventHeader &h, const QByteArray &detail,
                     const A1Certificate &certificate)
{
    const QString sequence = QString::number(h.sequence);
    const QByteArray id = "ID" + h.type.toLatin1() + h.accessKey.toLatin1()
        + sequence.rightJustified(3, u'0').toLatin1();
    XmlOut out;
    out.open("eventoCTe", QByteArray(" xmlns=\"") + kCteNamespace + "\" versao=\"4.00\"");
    out.open("infEvento", " Id=\"" + id + '"');
    out.leafAscii("cOrgao", h.accessKey.left(2).toLatin1());
    out.leafAscii("tpAmb", h.environment.toLatin1());
    out.leafAscii("CNPJ", h.issuerCnpj.toLatin1());
    out.leafAscii("chCTe", h.accessKey.toLatin1());
    out.leafAscii("dhEvento", eventMoment(h.at, h.issuerUf).toLatin1());
    out.leafAscii("tpEvento", h.type.toLatin1());
    out.leafAscii("nSeqEvento", sequence.toLatin1());
    out.open("detEvento", " versaoEvento=\"4.00\"");
    out.bytes() += detail;
    out.close("detEvento");
    out.close("infEvento");
    out.close("eventoCTe");
    return signXml(out.bytes(), certificate);
}

QString validateEvent(const QByteArray &signedEvent, const QString &schemaDir,
                      const QByteArray &detailName, const QString &detailSchema)
{
    if (QString problem
        = SchemaValidator::named(schemaDir, u"eventoCTe_v4.00.xsd"_s)->validate(signedEvent);
        !problem.isEmpty())
        return problem;
    // The event schema leaves the detail open; the type's own schema checks it.
    const QByteArray open = '<' + detailName + '>';
    const qsizetype from = signedEvent.indexOf(open);
    const qsizetype to = signedEvent.indexOf("</" + detailName + '>');
    if (from < 0 || to < from)
        return txMsg("SCHEMA_INVALIDO_SEM_DETALHE");
    const QByteArray detail = '<' + detailName + " xmlns=\"" + QByteArray(kCteNamespace) + "\">"
        + signedEvent.mid(from + open.size(), to - from - open.size()) + "</" + detailName + '>';
    return SchemaValidator::named(schemaDir, detailSchema)->validate(detail);
}

SentEvent sendFiscalEvent(const AuthorityServices &authority, const EventHeader &header,
                          const QByteArray &detail, const QByteArray &detailName,
                          const QString &detailSchema)
{
    SentEvent sent;
    sent.event = buildEvent(header, detail, authority.certificate());
    sent.schemaProblem
        = validateEvent(sent.event.xml, authority.settings().schemaDir, detailName, detailSchema);
    if (sent.schemaProblem.isEmpty())
        sent.answer = authority.sendEvent(sent.event.xml);
    return sent;
}

QByteArray eventProcess(const QByteArray &signedEvent, const QByteArray &retEvento)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><procEventoCTe xmlns=\""
        + QByteArray(kCteNamespace) + "\" versao=\"4.00\">" + withoutDeclaration(signedEvent)
        + retEvento + "</procEventoCTe>";
}

AcceptedDocument readAcceptedDocument(const QSqlDatabase &db, qint64 key,
                                      const QString &situationText)
{
    QSqlQuery q = runSql(db,
                         u"SELECT NRCTE, IDSTATUSCTE, NRACESSOCTE, NRPROTOCOLCTE, IDAMBIENTECTE, "
                         "NRINSJUREMIT, SGESTADOEMIT FROM CTE WHERE CDCTE = :K"_s,
                         {{u":K", key}});
    if (!q.next())
        throw ServerError(txMsg("CANCELA_DOC_INEXISTENTE").arg(key));
    AcceptedDocument a;
    a.number = q.value(0).toString().trimmed();
    const QString status = q.value(1).toString().trimmed();
    a.header.accessKey = q.value(2).toString().trimmed();
    a.protocol = q.value(3).toString().trimmed();
    a.header.environment = q.value(4).toString().trimmed();
    if (a.header.environment.isEmpty())
        a.header.environment = u"2"_s;
    a.header.issuerCnpj = q.value(5).toString().remove(u'.').remove(u'/').remove(u'-').trimmed();
    a.header.issuerUf = q.value(6).toString().trimmed();
    a.header.at = QDateTime::currentDateTime();
    if (status != u"A")
        throw ServerError(situationText.arg(a.number, status));
    if (a.protocol.isEmpty() || a.header.accessKey.size() != 44)
        throw ServerError(txMsg("EVENTO_SEM_PROTOCOLO").arg(a.number));
    return a;
}

int nextEventSequence(const QSqlDatabase &db, qint64 key, const QString &type)
{
    QSqlQuery q = runSql(db,
                         u"SELECT COALESCE(MAX(NRSEQEVENTO), 0) + 1 FROM CTEEVENTO "
                         "WHERE CDCTE = :K AND TPEVENTO = :T"_s,
                         {{u":K", key}, {u":T", type}});
    return q.next() ? q.value(0).toInt() : 1;
}

void insertEvent(const QSqlDatabase &db, qint64 key, const QString &type, int sequence,
                 const EventAnswer &a, const QByteArray &process)
{
    runSql(db,
           u"INSERT INTO CTEEVENTO (CDCTE, TPEVENTO, NRSEQEVENTO, NRPROTOCOLO, DTREGISTRO, "
           "CDSTATUS, DSXMLEVENTO) VALUES (:K, :T, :S, :P, :D, :C, :X)"_s,
           {{u":K", key},
            {u":T", type},
            {u":S", sequence},
            {u":P", a.protocol.left(15)},
            {u":D", registeredMoment(a)},
            {u":C", a.status.left(3)},
            {u":X", QString::fromUtf8(process)}});
}
