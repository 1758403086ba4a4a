#include "Settlement.h"

#include "RpcProtocol.h"
#include "SqlSupport.h"
#include "TransmissionMessages.h"

using namespace Qt::StringLiterals;

namespace {

using Binds = QList<std::pair<QString, QVariant>>;

bool isDenial(const QString &status)
{
    return status == u"110" || status == u"301" || status == u"302" || status == u"303";
}

QVariant orNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

QVariant orNull(const QDateTime &moment)
{
    return moment.isValid() ? QVariant(moment.toLocalTime())
                            : QVariant(QMetaType::fromType<QDateTime>());
}

QVariant orNull(const QByteArray &xml)
{
    return xml.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                         : QVariant(QString::fromUtf8(xml));
}

// The batches holding the document take the latest answer; one is settled when none of its
// documents waits for an answer any more.
void updateBatches(const QSqlDatabase &db, qint64 key, const QString &code, const QString &text,
                   const QString &protocol)
{
    runSql(db,
           u"UPDATE CTELOTE SET CDSTATUS = :C, DSSTATUS = :D, "
           "NRRECIBO = COALESCE(NRRECIBO, :R), IDSITUACAO = CASE WHEN EXISTS (SELECT 1 FROM "
           "CTELOTEDOC D JOIN CTE C ON C.CDCTE = D.CDCTE WHERE D.NRLOTE = CTELOTE.NRLOTE AND "
           "C.IDSTATUSCTE = 'T') THEN 'E' ELSE 'P' END "
           "WHERE NRLOTE IN (SELECT NRLOTE FROM CTELOTEDOC WHERE CDCTE = :K)"_s,
           {{u":C", code.left(3)},
            {u":D", text.left(255)},
            {u":R", orNull(protocol.left(15))},
            {u":K", key}});
}

} // namespace

Settled storeSituation(const QSqlDatabase &db, qint64 key, const QString &from,
                       const QString &accessKey, const QString &sentDigest,
                       const SituationAnswer &a)
{
    Settled s;
    s.status = from;
    SqlTransaction tx(db);
    const bool foreignDigest = (a.status == u"100" || a.status == u"101") && !sentDigest.isEmpty()
        && a.digestValue != sentDigest;
    if (!a.answered || foreignDigest) {
        s.answered = a.answered;
        s.text = foreignDigest
            ? txMsg("SEFAZ_DIGVAL_CONSULTA")
                  .arg(u"%1 - %2"_s.arg(a.status, a.reason), accessKey, a.digestValue, sentDigest)
            : txMsg("SEFAZ_PENDENTE").arg(a.problem);
        runSql(db, u"UPDATE CTE SET DSSTATUSCTE = :D WHERE CDCTE = :K AND IDSTATUSCTE = 'T'"_s,
               {{u":D", s.text.left(255)}, {u":K", key}});
        tx.commit();
        return s;
    }
    s.answered = true;
    s.text = u"%1 - %2"_s.arg(a.status, a.reason);
    QString to;
    if (a.status == u"100")
        to = u"A"_s;
    else if (a.status == u"101")
        to = u"C"_s;
    else if (isDenial(a.status))
        to = u"D"_s;
    else if (a.status == u"217" && (from == u"T" || from == u"R"))
        to = u"R"_s;

    if (to.isEmpty()) {
        // Not an answer about the document itself (a malformed key, a query too late): the
        // document keeps its status; one still waiting shows why it was not settled.
        runSql(db, u"UPDATE CTE SET DSSTATUSCTE = :D WHERE CDCTE = :K AND IDSTATUSCTE = 'T'"_s,
               {{u":D", s.text.left(255)}, {u":K", key}});
    } else {
        QStringList sets {u"IDSTATUSCTE = :S"_s, u"CDSTATUSCTE = :C"_s, u"DSSTATUSCTE = :D"_s};
        Binds binds {{u":S"_s, to},
                     {u":C"_s, a.status.left(3)},
                     {u":D"_s, a.reason.left(255)},
                     {u":K"_s, key},
                     {u":F"_s, from}};
        if (to == u"R") {
            sets << u"NRPROTOCOLCTE = NULL"_s << u"DTAUTORIZACAO = NULL"_s
                 << u"DSXMLPROTOCOLO = NULL"_s;
        } else if (!a.protocol.isEmpty()) {
            sets << u"NRACESSOCTE = :A"_s << u"NRPROTOCOLCTE = :P"_s << u"DTAUTORIZACAO = :T"_s
                 << u"DSXMLPROTOCOLO = :X"_s << u"CDDIGESTVALUE = :G"_s;
            binds << std::pair {u":A"_s, QVariant(accessKey)}
                  << std::pair {u":P"_s, QVariant(a.protocol.left(15))}
                  << std::pair {u":T"_s, orNull(a.authorizedAt)}
                  << std::pair {u":X"_s, orNull(a.protocolXml)}
                  << std::pair {u":G"_s,
                                sentDigest.isEmpty() ? orNull(a.digestValue.left(28))
                                                     : QVariant(sentDigest)};
        }
        if (to == u"C") {
            sets << u"NRPROTOCOLCANC = :PC"_s << u"DTCANCELAMENTO = :TC"_s
                 << u"DSXMLCANCELAMENTO = :XC"_s;
            binds << std::pair {u":PC"_s, orNull(a.cancelProtocol.left(15))}
                  << std::pair {u":TC"_s, orNull(a.cancelledAt)}
                  << std::pair {u":XC"_s, orNull(a.cancellationXml)};
        }
        QSqlQuery q = runSql(
            db,
            u"UPDATE CTE SET %1 WHERE CDCTE = :K AND IDSTATUSCTE = :F"_s.arg(sets.join(u", "_s)),
            binds);
        if (q.numRowsAffected() == 1)
            s.status = to;
    }
    updateBatches(db, key, a.status, a.reason, a.protocol);
    tx.commit();
    return s;
}

Settled settleDocument(const QSqlDatabase &db, const AuthorityServices &authority, qint64 key)
{
    QSqlQuery q = runSql(db,
                         u"SELECT IDSTATUSCTE, NRACESSOCTE, IDAMBIENTECTE, CDDIGESTVALUE FROM CTE "
                         "WHERE CDCTE = :K"_s,
                         {{u":K", key}});
    if (!q.next())
        return {};
    const QString from = q.value(0).toString().trimmed();
    const QString accessKey = q.value(1).toString().trimmed();
    const QString environment = q.value(2).toString().trimmed();
    const QString digest = q.value(3).toString().trimmed();
    q.finish();
    if (accessKey.size() != 44)
        return {from, txMsg("SEM_CHAVE_ACESSO"), false};
    const SituationAnswer answer
        = authority.querySituation(accessKey, environment.isEmpty() ? u"2"_s : environment);
    return storeSituation(db, key, from, accessKey, digest, answer);
}

QVariant settleAll(const QSqlDatabase &db, const QList<qint64> &keys)
{
    if (keys.isEmpty())
        return contracts::okReply({txMsg("CONSULTA_RESUMO").arg(0)});
    const AuthorityServices authority;
    int answered = 0;
    QString problem;
    for (qint64 key : keys) {
        const Settled s = settleDocument(db, authority, key);
        if (s.answered)
            ++answered;
        else if (problem.isEmpty())
            problem = s.text;
    }
    if (answered == 0 && !problem.isEmpty())
        return contracts::failReply(problem);
    return contracts::okReply({txMsg("CONSULTA_RESUMO").arg(answered)});
}
