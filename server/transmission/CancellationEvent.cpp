#include "CancellationEvent.h"

#include "IssuerClock.h"
#include "SchemaValidator.h"
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

QByteArray withoutDeclaration(const QByteArray &xml)
{
    return xml.startsWith("<?xml") ? xml.mid(xml.indexOf("?>") + 2) : xml;
}

} // namespace

QString justificationProblem(const QString &justification)
{
    if (justification.size() < 15)
        return txMsg("JUSTIFICATIVA_CURTA");
    if (justification.size() > 255)
        return txMsg("JUSTIFICATIVA_LONGA").arg(justification.size());
    if (justification.contains(u'\n') || justification.contains(u'\r'))
        return txMsg("JUSTIFICATIVA_QUEBRA");
    if (XmlOut::clean(justification) != justification)
        return txMsg("JUSTIFICATIVA_CARACTERES");
    return {};
}

SignedXml buildCancellationEvent(const CancellationRequest &r, const A1Certificate &certificate)
{
    const QString sequence = QString::number(r.sequence);
    const QByteArray id
        = "ID110111" + r.accessKey.toLatin1() + sequence.rightJustified(3, u'0').toLatin1();
    XmlOut out;
    out.open("eventoCTe", QByteArray(" xmlns=\"") + kCteNamespace + "\" versao=\"4.00\"");
    out.open("infEvento", " Id=\"" + id + '"');
    out.leafAscii("cOrgao", r.accessKey.left(2).toLatin1());
    out.leafAscii("tpAmb", r.environment.toLatin1());
    out.leafAscii("CNPJ", r.issuerCnpj.toLatin1());
    out.leafAscii("chCTe", r.accessKey.toLatin1());
    out.leafAscii("dhEvento", eventMoment(r.at, r.issuerUf).toLatin1());
    out.leafAscii("tpEvento", "110111");
    out.leafAscii("nSeqEvento", sequence.toLatin1());
    out.open("detEvento", " versaoEvento=\"4.00\"");
    out.open("evCancCTe");
    out.leaf("descEvento", u"Cancelamento"_s);
    out.leafAscii("nProt", r.protocol.toLatin1());
    out.leaf("xJust", r.justification);
    out.close("evCancCTe");
    out.close("detEvento");
    out.close("infEvento");
    out.close("eventoCTe");
    return signXml(out.bytes(), certificate);
}

QString validateCancellationEvent(const QByteArray &signedEvent, const QString &schemaDir)
{
    if (QString problem
        = SchemaValidator::named(schemaDir, u"eventoCTe_v4.00.xsd"_s)->validate(signedEvent);
        !problem.isEmpty())
        return problem;
    // The event schema leaves the detail open; the cancellation's own schema checks it.
    const qsizetype from = signedEvent.indexOf("<evCancCTe>");
    const qsizetype to = signedEvent.indexOf("</evCancCTe>");
    if (from < 0 || to < from)
        return txMsg("SCHEMA_INVALIDO_SEM_DETALHE");
    const QByteArray detail = "<evCancCTe xmlns=\"" + QByteArray(kCteNamespace) + "\">"
        + signedEvent.mid(from + 11, to - from - 11) + "</evCancCTe>";
    return SchemaValidator::named(schemaDir, u"evCancCTe_v4.00.xsd"_s)->validate(detail);
}

QByteArray cancellationProcess(const QByteArray &signedEvent, const QByteArray &retEvento)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><procEventoCTe xmlns=\""
        + QByteArray(kCteNamespace) + "\" versao=\"4.00\">" + withoutDeclaration(signedEvent)
        + retEvento + "</procEventoCTe>";
}
