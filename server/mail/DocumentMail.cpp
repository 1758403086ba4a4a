#include "DocumentMail.h"

#include "CTeRecord.h"
#include "CteProcess.h"
#include "DactePdf.h"
#include "DacteSource.h"
#include "MailMessages.h"
#include "SqlSupport.h"

#include <QRegularExpression>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

// A party's e-mail field may hold several addresses.
QStringList addressesIn(const QString &field)
{
    static const QRegularExpression separators(u"[;,\\s]+"_s);
    return field.split(separators, Qt::SkipEmptyParts);
}

} // namespace

DocumentMail composeDocumentMail(const QSqlDatabase &db, qint64 key, const QString &from)
{
    DocumentMail mail;
    mail.key = key;
    const std::optional<CteProcess> proc = loadCteProcess(db, key);
    if (!proc) {
        mail.problem = mailMsg("EMAIL_NAO_ENCONTRADO").arg(key);
        return mail;
    }
    mail.number = proc->number;
    mail.status = proc->status;
    if (!proc->authorised()) {
        mail.problem = mailMsg("EMAIL_SITUACAO").arg(proc->number, proc->status);
        return mail;
    }
    if (proc->cteProc.isEmpty()) {
        mail.problem = mailMsg("EMAIL_SEM_XML").arg(proc->number);
        return mail;
    }

    QStringList columns {u"CDSERIECTE"_s, u"NMRAZSOCEMIT"_s,  u"DSEMAILEMIT"_s,
                         u"DTEMISSAO"_s,  u"NRPROTOCOLCTE"_s, u"NRPROTOCOLCANC"_s};
    for (const QString &role : contracts::cte::partyRoles())
        columns << u"DSEMAIL"_s + role << u"NMRAZSOC"_s + role;
    QSqlQuery q = runSql(db, u"SELECT %1 FROM CTE WHERE CDCTE = :K"_s.arg(columns.join(u", "_s)),
                         {{u":K", key}});
    q.next();
    const auto text = [&](const QString &column) {
        return q.value(int(columns.indexOf(column))).toString().trimmed();
    };
    for (const QString &role : contracts::cte::partyRoles()) {
        for (const QString &address : addressesIn(text(u"DSEMAIL"_s + role))) {
            if (!isPlainAddress(address) || mail.recipients.contains(address, Qt::CaseInsensitive))
                continue;
            mail.recipients << address;
            mail.content.to << MailAddress {text(u"NMRAZSOC"_s + role), address};
        }
    }
    if (mail.recipients.isEmpty()) {
        mail.problem = mailMsg("EMAIL_SEM_DESTINATARIO").arg(proc->number);
        return mail;
    }

    const std::optional<DacteSource> source = loadDacteSource(db, key);
    QByteArray pdf;
    try {
        if (source && !source->data.rows(u"Ide"_s).isEmpty())
            pdf = dacte::dactePdf({source->data});
    } catch (const std::exception &e) {
        mail.problem = mailMsg("EMAIL_PDF_FALHA").arg(QString::fromUtf8(e.what()));
        return mail;
    }
    if (pdf.isEmpty()) {
        mail.problem = mailMsg("EMAIL_PDF_FALHA").arg(proc->accessKey);
        return mail;
    }

    const QString series = text(u"CDSERIECTE"_s);
    const QString issuer = text(u"NMRAZSOCEMIT"_s);
    const bool cancelled = !proc->cancellation.isEmpty();
    const QString pdfName = proc->accessKey + u"-cte.pdf"_s;
    MailContent &c = mail.content;
    c.from = {issuer, from};
    if (const QString replyTo = text(u"DSEMAILEMIT"_s); isPlainAddress(replyTo))
        c.replyTo = {issuer, replyTo};
    c.subject = mailMsg(cancelled ? "EMAIL_ASSUNTO_CANCELADO" : "EMAIL_ASSUNTO")
                    .arg(proc->number, series, issuer);
    const QVariant issuedValue = q.value(int(columns.indexOf(u"DTEMISSAO"_s)));
    // SQLite gives the date as ISO text, PostgreSQL as a date.
    const QDate issued = issuedValue.typeId() == QMetaType::QString
        ? QDateTime::fromString(issuedValue.toString().left(19), Qt::ISODate).date().isValid()
            ? QDateTime::fromString(issuedValue.toString().left(19), Qt::ISODate).date()
            : QDate::fromString(issuedValue.toString().left(10), Qt::ISODate)
        : issuedValue.toDate();
    c.body = mailMsg("EMAIL_CORPO")
                 .arg(proc->number, series, issuer, issued.toString(u"dd/MM/yyyy"_s),
                      proc->accessKey, text(u"NRPROTOCOLCTE"_s), proc->cteProcFileName(), pdfName);
    if (cancelled)
        c.body += mailMsg("EMAIL_CORPO_CANCELADO")
                      .arg(text(u"NRPROTOCOLCANC"_s), proc->cancellationFileName());
    if (!proc->corrections.isEmpty())
        c.body += mailMsg("EMAIL_CORPO_CARTAS").arg(proc->corrections.size());
    c.body += mailMsg("EMAIL_RODAPE");
    c.attachments << MailAttachment {proc->cteProcFileName(), "application/xml", proc->cteProc};
    if (cancelled)
        c.attachments << MailAttachment {proc->cancellationFileName(), "application/xml",
                                         proc->cancellation};
    for (qsizetype i = 0; i < proc->corrections.size(); ++i)
        c.attachments << MailAttachment {proc->correctionFileName(int(i) + 1), "application/xml",
                                         proc->corrections.at(i)};
    c.attachments << MailAttachment {pdfName, "application/pdf", pdf};
    c.at = QDateTime::currentDateTime();
    return mail;
}
