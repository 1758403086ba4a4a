// TransmiteCTe: the marked pending or rejected documents of the list, each built, signed,
// validated and sent to the authority's synchronous reception; the answer is stored per document
// and returned as the per-document result list.
#include "Operations.h"

#include "A1Certificate.h"
#include "AccessKey.h"
#include "AuthorityClient.h"
#include "CTeRecord.h"
#include "CteXmlBuilder.h"
#include "MarkedRows.h"
#include "RpcProtocol.h"
#include "SchemaValidator.h"
#include "ServerError.h"
#include "Settlement.h"
#include "SqlSupport.h"
#include "StoredDocument.h"
#include "TransmissionMessages.h"
#include "TransmissionSettings.h"
#include "XmlSigner.h"

#include <QRegularExpression>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

// Answer codes of the authority that deny the use of the document for good.
bool isDenial(const QString &status)
{
    return status == u"110" || status == u"301" || status == u"302" || status == u"303";
}

struct Outcome
{
    QString number;
    QString observation;
    bool sent = false; // authorised
    bool gone = false; // deleted by another user since the list was loaded: nothing to report
    QString accessKey;
    QByteArray xml;
};

// A document claimed for sending: built, signed, valid, and marked "T" in the store.
struct Claimed
{
    qint64 key = 0;
    qint64 batch = 0;
    QString accessKey;
    QString environment;
    SignedXml signedXml;
};

qint64 nextBatchNumber(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         u"UPDATE SRVSEQUENCIA SET NRULTIMO = NRULTIMO + 1 "
                         "WHERE NMSEQUENCIA = 'CTELOTE' RETURNING NRULTIMO"_s);
    if (q.next())
        return q.value(0).toLongLong();
    q = runSql(db,
               u"INSERT INTO SRVSEQUENCIA (NMSEQUENCIA, NRULTIMO) SELECT 'CTELOTE', "
               "COALESCE(MAX(NRLOTE), 0) + 1 FROM CTELOTE RETURNING NRULTIMO"_s);
    if (!q.next())
        throw ServerError(txMsg("LOTE_NUMERO_FALHA"));
    return q.value(0).toLongLong();
}

class Transmission
{
public:
    Transmission(CallContext &ctx, QString company, QString stateRegistration)
        : m_ctx(ctx)
        , m_company(std::move(company))
        , m_registration(std::move(stateRegistration))
    { }

    // Everything that would stop every document is checked before the first one is sent.
    void prepare();
    Outcome transmit(qint64 key);

private:
    // Reads, checks and builds the document and marks it "T" in one transaction; a reason
    // not to send it comes back as an outcome without a claim.
    std::optional<Claimed> claim(qint64 key, Outcome &outcome);
    void store(const Claimed &claimed, const ReceptionAnswer &answer, Outcome &outcome);
    bool recoverDuplicate(const Claimed &claimed, const ReceptionAnswer &answer, Outcome &outcome);

    CallContext &m_ctx;
    QString m_company;
    QString m_registration;
    TransmissionSettings m_settings;
    std::shared_ptr<const A1Certificate> m_certificate;
    std::shared_ptr<const SchemaValidator> m_schema;
};

void Transmission::prepare()
{
    m_settings = transmissionSettings();
    if (m_settings.schemaDir.isEmpty())
        throw ServerError(txMsg("SCHEMAS_NAO_CONFIGURADOS"));
    requireAuthority(m_settings);
    m_certificate = A1Certificate::load(m_settings.certificateFile, m_settings.certificatePassword);
    m_schema = SchemaValidator::cteSchema(m_settings.schemaDir);
}

std::optional<Claimed> Transmission::claim(qint64 key, Outcome &outcome)
{
    SqlTransaction tx(m_ctx.db);
    const std::optional<StoredDocument> doc = loadStoredDocument(m_ctx.db, key);
    if (!doc) {
        outcome.gone = true;
        return std::nullopt;
    }
    outcome.number = doc->text(u"NRCTE"_s);
    const QString status = doc->text(u"IDSTATUSCTE"_s);
    const QString issuerRegistration = doc->text(u"NRINSESTEMIT"_s);
    if (doc->text(u"CDEMPRESA"_s) != m_company
        || (!m_registration.isEmpty() && issuerRegistration != m_registration)) {
        outcome.observation = txMsg("DOC_OUTRA_EMPRESA");
        return std::nullopt;
    }
    if (status != u"P" && status != u"R") {
        outcome.observation = txMsg("DOC_SITUACAO").arg(outcome.number, status);
        outcome.accessKey = doc->text(u"NRACESSOCTE"_s);
        return std::nullopt;
    }
    const QString issuerCnpj = doc->text(u"NRINSJUREMIT"_s).remove(u'.').remove(u'/').remove(u'-');
    if (!m_certificate->cnpj().isEmpty() && m_certificate->cnpj().left(8) != issuerCnpj.left(8)) {
        outcome.observation
            = txMsg("CERTIFICADO_OUTRO_CNPJ")
                  .arg(m_certificate->subjectName(), m_certificate->cnpj(), issuerCnpj);
        return std::nullopt;
    }
    // Contingency needs dhCont, xJust and the signed QR code, which are not built yet: sending
    // it half built would only earn a rejection.
    if (const QString form = doc->text(u"IDFORMAEMISSAO"_s); form != u"1") {
        outcome.observation = txMsg("CONTINGENCIA_NAO_SUPORTADA").arg(form);
        return std::nullopt;
    }
    const std::optional<IssuerParameters> issuer
        = loadIssuerParameters(m_ctx.db, m_company, issuerRegistration);
    if (!issuer) {
        outcome.observation = txMsg("EMITENTE_SEM_PARAMETROS").arg(issuerRegistration);
        return std::nullopt;
    }
    Claimed claimed;
    claimed.key = key;
    claimed.environment = doc->text(u"IDAMBIENTECTE"_s);
    try {
        CteBuildOptions options;
        options.qrCodeAddresses = m_settings.qrCodeAddresses;
        // Sent again, a document keeps its numeric code and so its key: the authority then
        // recognises one it authorised already (204) instead of a second one with its number.
        const QString previousKey = doc->text(u"NRACESSOCTE"_s);
        const QString code = previousKey.size() == 44
            ? previousKey.mid(35, 8)
            : accesskey::randomNumericCode(outcome.number);
        const BuiltCte built = buildCteXml(*doc, *issuer, code, options);
        claimed.accessKey = built.accessKey;
        claimed.signedXml = signXml(built.xml, *m_certificate);
    } catch (const ServerError &e) {
        outcome.observation = txMsg("NAO_ENVIADO").arg(e.text());
        return std::nullopt;
    }
    outcome.accessKey = claimed.accessKey;
    outcome.xml = claimed.signedXml.xml;
    // The main schema leaves infModal open: the modal's own schema checks its content.
    QString problem = m_schema->validate(claimed.signedXml.xml);
    try {
        if (problem.isEmpty())
            problem = SchemaValidator::modalSchema(m_settings.schemaDir, doc->text(u"IDMODAL"_s))
                          ->validateContentOf(claimed.signedXml.xml, "infModal");
    } catch (const ServerError &e) {
        problem = e.text();
    }
    if (!problem.isEmpty()) {
        outcome.observation = txMsg("SCHEMA_RECUSADO").arg(problem);
        return std::nullopt;
    }
    // Only the transmission that moves the status on sends; a concurrent one finds it "T".
    QSqlQuery q = runSql(m_ctx.db,
                         u"UPDATE CTE SET IDSTATUSCTE = 'T', NRACESSOCTE = :A, CDSTATUSCTE = NULL, "
                         "DSSTATUSCTE = :D, CDDIGESTVALUE = :G, DSXMLCTE = :X, "
                         "DSXMLPROTOCOLO = NULL, NRPROTOCOLCTE = NULL, DTAUTORIZACAO = NULL "
                         "WHERE CDCTE = :K AND IDSTATUSCTE = :S"_s,
                         {{u":A", claimed.accessKey},
                          {u":D", txMsg("STATUS_ENVIANDO")},
                          {u":G", QString::fromLatin1(claimed.signedXml.digestValue)},
                          {u":X", QString::fromUtf8(claimed.signedXml.xml)},
                          {u":K", key},
                          {u":S", status}});
    if (q.numRowsAffected() != 1) {
        outcome.observation = txMsg("DOC_EM_TRANSMISSAO").arg(outcome.number);
        outcome.xml.clear();
        return std::nullopt;
    }
    claimed.batch = nextBatchNumber(m_ctx.db);
    runSql(m_ctx.db,
           u"INSERT INTO CTELOTE (NRLOTE, CDEMPRESA, CDINSCESTA, DTENVIO, IDSITUACAO) "
           "VALUES (:L, :E, :I, :D, 'E')"_s,
           {{u":L", claimed.batch},
            {u":E", m_company},
            {u":I", issuerRegistration},
            {u":D", QDateTime::currentDateTime()}});
    runSql(m_ctx.db, u"INSERT INTO CTELOTEDOC (NRLOTE, CDCTE) VALUES (:L, :K)"_s,
           {{u":L", claimed.batch}, {u":K", key}});
    tx.commit();
    return claimed;
}

void Transmission::store(const Claimed &claimed, const ReceptionAnswer &answer, Outcome &outcome)
{
    SqlTransaction tx(m_ctx.db);
    const bool authorised = answer.status == u"100";
    const QByteArray sentDigest = claimed.signedXml.digestValue;
    // An authorisation of other content than what was signed is none: only the status query
    // can tell what the authority holds.
    const bool foreignDigest
        = answer.answered && authorised && answer.digestValue.toLatin1() != sentDigest;
    if (!answer.answered || foreignDigest) {
        outcome.observation = foreignDigest
            ? txMsg("SEFAZ_DIGVAL_DIVERGENTE")
                  .arg(u"%1 - %2"_s.arg(answer.status, answer.reason), answer.digestValue,
                       QString::fromLatin1(sentDigest))
            : txMsg("SEFAZ_PENDENTE").arg(answer.problem);
        runSql(m_ctx.db,
               u"UPDATE CTE SET DSSTATUSCTE = :D WHERE CDCTE = :K AND IDSTATUSCTE = 'T'"_s,
               {{u":D", outcome.observation.left(255)}, {u":K", claimed.key}});
        runSql(m_ctx.db, u"UPDATE CTELOTE SET DSSTATUS = :D WHERE NRLOTE = :L"_s,
               {{u":D", (foreignDigest ? outcome.observation : answer.problem).left(255)},
                {u":L", claimed.batch}});
        tx.commit();
        return;
    }
    const QString newStatus = authorised ? u"A"_s : isDenial(answer.status) ? u"D"_s : u"R"_s;
    const QString text = u"%1 - %2"_s.arg(answer.status, answer.reason);
    runSql(
        m_ctx.db,
        u"UPDATE CTE SET IDSTATUSCTE = :S, CDSTATUSCTE = :C, DSSTATUSCTE = :D, "
        "NRPROTOCOLCTE = :P, DTAUTORIZACAO = :T, DSXMLPROTOCOLO = :X WHERE CDCTE = :K"_s,
        {{u":S", newStatus},
         {u":C", answer.status.left(3)},
         {u":D", answer.reason.left(255)},
         {u":P",
          answer.protocol.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                    : QVariant(answer.protocol.left(15))},
         {u":T",
          authorised && answer.receivedAt.isValid() ? QVariant(answer.receivedAt.toLocalTime())
                                                    : QVariant(QMetaType::fromType<QDateTime>())},
         {u":X",
          answer.protocolXml.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                       : QVariant(QString::fromUtf8(answer.protocolXml))},
         {u":K", claimed.key}});
    runSql(m_ctx.db,
           u"UPDATE CTELOTE SET IDSITUACAO = 'P', NRRECIBO = :R, CDSTATUS = :C, DSSTATUS = :D "
           "WHERE NRLOTE = :L"_s,
           {{u":R", answer.protocol.left(15)},
            {u":C", answer.status.left(3)},
            {u":D", answer.reason.left(255)},
            {u":L", claimed.batch}});
    tx.commit();
    outcome.sent = authorised;
    outcome.observation
        = authorised ? txMsg("AUTORIZADO").arg(text, answer.protocol) : txMsg("RECUSADO").arg(text);
}

// The key an answer of duplicity names when it is this very document (same issuer, model,
// series and number): the authority holds it already, authorised by a sending whose answer
// was lost.
QString duplicateOf(const QString &sentKey, const ReceptionAnswer &answer)
{
    if (answer.status == u"204")
        return sentKey;
    static const QRegularExpression named(u"chCTe:\\s*(\\d{44})"_s);
    const QRegularExpressionMatch m = named.match(answer.reason);
    if (answer.status != u"539" || !m.hasMatch() || m.captured(1).mid(6, 28) != sentKey.mid(6, 28))
        return {};
    return m.captured(1);
}

bool Transmission::recoverDuplicate(const Claimed &claimed, const ReceptionAnswer &answer,
                                    Outcome &outcome)
{
    const QString authorisedKey
        = answer.answered ? duplicateOf(claimed.accessKey, answer) : QString();
    if (authorisedKey.isEmpty())
        return false;
    const SituationAnswer situation = AuthorityServices(m_settings, m_certificate)
                                          .querySituation(authorisedKey, claimed.environment);
    if (!situation.answered || (situation.status != u"100" && situation.status != u"101"))
        return false;
    // Under the key that was sent, what the authority holds must be what was signed; under
    // another one, its digest is of an earlier sending.
    const QString sentDigest = authorisedKey == claimed.accessKey
        ? QString::fromLatin1(claimed.signedXml.digestValue)
        : QString();
    const Settled settled
        = storeSituation(m_ctx.db, claimed.key, u"T"_s, authorisedKey, sentDigest, situation);
    outcome.sent = settled.status == u"A";
    outcome.accessKey = authorisedKey;
    outcome.observation = settled.status == u"T"
        ? settled.text
        : txMsg("DUPLICIDADE_RECUPERADA")
              .arg(u"%1 - %2"_s.arg(answer.status, answer.reason), authorisedKey,
                   situation.protocol);
    return true;
}

Outcome Transmission::transmit(qint64 key)
{
    Outcome outcome;
    const std::optional<Claimed> claimed = claim(key, outcome);
    if (!claimed)
        return outcome;
    const ReceptionAnswer answer
        = sendToReception(m_settings.receptionUrl, claimed->signedXml.xml, m_settings.timeoutMs,
                          m_certificate.get(), m_settings.authorityCaFile);
    if (!recoverDuplicate(*claimed, answer, outcome))
        store(*claimed, answer, outcome);
    return outcome;
}

contracts::DataPacket resultPacket(const QList<Outcome> &outcomes)
{
    contracts::DataPacket packet;
    packet.fields = contracts::cte::transmissionResultFields();
    for (const Outcome &o : outcomes) {
        contracts::Row row;
        for (const contracts::FieldDef &f : packet.fields) {
            if (f.name == u"NRCTE")
                row << o.number;
            else if (f.name == u"DSOBSERVACAO")
                row << o.observation.left(255);
            else if (f.name == u"DSTEXTOXML")
                row << (o.xml.isEmpty() ? QVariant(QString()) : QString::fromUtf8(o.xml));
            else if (f.name == u"IDGERADO")
                row << (o.sent ? u"S"_s : u"N"_s);
            else if (f.name == u"NRACESSONFE")
                row << o.accessKey;
            else if (f.name == u"DSNOMEARQXML")
                row << (o.accessKey.isEmpty() ? QString() : o.accessKey + u"-cte.xml"_s);
            else
                row << QVariant();
        }
        packet.rows.append(row);
    }
    return packet;
}

} // namespace

QVariant TransmiteCTe(CallContext &ctx, const Args &args)
{
    const auto packet = args.at(0).value<contracts::DataPacket>();
    const QString company = args.at(1).toString().trimmed();
    const QString registration = args.at(2).toString().trimmed();
    if (company.isEmpty())
        throw ServerError(txMsg("EMPRESA_DEVE"));
    const QList<qint64> keys = markedKeys(packet, u"CDCTE"_s, txMsg("PACOTE_SEM_MARCA"));
    QList<Outcome> outcomes;
    if (!keys.isEmpty()) {
        Transmission transmission(ctx, company, registration);
        transmission.prepare();
        for (qint64 key : keys) {
            const Outcome outcome = transmission.transmit(key);
            if (!outcome.gone)
                outcomes.append(outcome);
        }
    }
    return contracts::okReply({QVariant::fromValue(resultPacket(outcomes))});
}
