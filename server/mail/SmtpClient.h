#pragma once

#include "MailSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One message handed to the SMTP server of the settings, over libcurl, in the calling thread.
// The settings' time-out bounds the whole exchange, so a slow or dead server holds only the
// call that uses it.
struct SmtpOutcome
{
    bool sent = false;
    // Not sent because the server could not be reached or spoken to at all (connection, TLS,
    // time-out): the next message would fare no better.
    bool unreachable = false;
    bool serverReply = false; // the reason is the SMTP server's own refusal
    QString reason; // the SMTP server's own answer when it gave one, else libcurl's
};

SmtpOutcome sendSmtp(const MailSettings &settings, const QString &from,
                     const QStringList &recipients, const QByteArray &message);
