#pragma once

#include "MimeMessage.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The e-mail of one stored document to its parties: the cteProc XML, for a cancelled one its
// cancellation event too, and the DACTE as a PDF.
struct DocumentMail
{
    qint64 key = 0;
    QString number;
    QString status; // IDSTATUSCTE
    QString problem; // why it cannot be sent; then nothing else is set
    QStringList recipients; // the parties' addresses, each once
    MailContent content;
};

// `from` is the sender's address of the settings.
DocumentMail composeDocumentMail(const QSqlDatabase &db, qint64 key, const QString &from);
