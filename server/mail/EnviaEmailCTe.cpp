// EnviaEmailCTe and EnviaEmailPendenteCTe: the e-mail of accepted (or cancelled) documents to
// their parties, each document's outcome stored on it ("E" sent, "P" pending with the reason).
#include "CTeRecord.h"
#include "DataPacket.h"
#include "DocumentMail.h"
#include "MailMessages.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "ServerError.h"
#include "SmtpClient.h"
#include "SqlSupport.h"
#include "TransmissionSettings.h"

#include <QSqlQuery>

#include <algorithm>

using namespace Qt::StringLiterals;
using contracts::DataPacket;

namespace {

struct Outcome
{
    qint64 key = 0;
    QString number;
    bool sent = false;
    bool stored = false; // the document's e-mail status was written
    bool unreachable = false;
    QString text;
};

void storeOutcome(const QSqlDatabase &db, const Outcome &o)
{
    runSql(db,
           u"UPDATE CTE SET IDEMAILCTE = :E, DSOBSEMAILCTE = :O, DTEMAILCTE = :T "
           "WHERE CDCTE = :K"_s,
           {{u":E", o.sent ? u"E"_s : u"P"_s},
            {u":O", o.text.left(255)},
            {u":T", QDateTime::currentDateTime()},
            {u":K", o.key}});
}

// Composes and sends the e-mail of `key`; no database transaction is open meanwhile, so a slow
// SMTP server keeps no row or table from the other users. `down` carries the reason of an
// earlier unreachable server: the document is then left pending without another try.
Outcome mailDocument(const QSqlDatabase &db, qint64 key, const QString &down = {})
{
    const MailSettings settings = transmissionSettings().mail;
    Outcome o;
    o.key = key;
    const DocumentMail mail = composeDocumentMail(db, key, settings.from);
    o.number = mail.number;
    if (mail.status != u"A" && mail.status != u"C") {
        o.text = mail.problem;
        return o; // not a document to e-mail: its status stays as it is
    }
    o.stored = true;
    if (!mail.problem.isEmpty()) {
        o.text = mail.problem;
    } else if (settings.server.isEmpty()) {
        o.text = mailMsg("EMAIL_NAO_CONFIGURADO");
    } else if (!down.isEmpty()) {
        o.text = down;
        o.unreachable = true;
    } else {
        const SmtpOutcome smtp
            = sendSmtp(settings, settings.from, mail.recipients, buildMimeMessage(mail.content));
        o.sent = smtp.sent;
        o.unreachable = smtp.unreachable;
        if (smtp.sent)
            o.text = mailMsg("EMAIL_ENVIADO").arg(mail.recipients.join(u", "_s));
        else if (!smtp.serverReply)
            o.text = mailMsg("EMAIL_INACESSIVEL")
                         .arg(u"%1:%2"_s.arg(settings.server).arg(settings.port), smtp.reason);
        else
            o.text = mailMsg("EMAIL_RECUSADO").arg(smtp.reason);
    }
    storeOutcome(db, o);
    return o;
}

} // namespace

QVariant EnviaEmailCTe(CallContext &ctx, const Args &args)
{
    const Outcome o = mailDocument(ctx.db, qint64(args.at(0).toDouble()));
    if (o.sent)
        return contracts::okReply({QString()});
    return QVariantList {u"N"_s, o.text};
}

QVariant EnviaEmailPendenteCTe(CallContext &ctx, const Args &args)
{
    const auto list = args.at(0).value<DataPacket>();
    const int keyField = list.indexOf(u"CDCTE"_s);
    if (keyField < 0)
        throw ServerError(mailMsg("EMAIL_LISTA_INVALIDA"));
    QList<qint64> keys;
    for (const contracts::Row &row : list.rows)
        keys << qint64(row.at(keyField).toDouble());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

    // What is pending is what the store says, not what the client's list says.
    QList<qint64> pending;
    for (qint64 key : keys) {
        QSqlQuery q = runSql(ctx.db,
                             u"SELECT 1 FROM CTE WHERE CDCTE = :K AND IDSTATUSCTE IN ('A', 'C') "
                             "AND COALESCE(IDEMAILCTE, 'P') <> 'E'"_s,
                             {{u":K", key}});
        if (q.next())
            pending << key;
    }

    DataPacket result;
    result.fields = contracts::cte::emailResultFields();
    QString down;
    for (qint64 key : pending) {
        const Outcome o = mailDocument(ctx.db, key, down);
        if (o.unreachable)
            down = o.text;
        result.rows.append({double(key), o.number, o.sent ? u"E"_s : u"P"_s, o.text.left(255)});
    }
    return contracts::okReply({QVariant::fromValue(result)});
}
