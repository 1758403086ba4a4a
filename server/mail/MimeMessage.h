#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// An Internet message (RFC 5322 with MIME) built by hand: libcurl sends bytes, it neither dates
// the message nor encodes its headers.
struct MailAddress
{
    QString name; // may be empty
    QString address;
};

struct MailAttachment
{
    QString fileName; // plain ASCII
    QByteArray contentType;
    QByteArray content;
};

struct MailContent
{
    MailAddress from;
    MailAddress replyTo; // no Reply-To when its address is empty
    QList<MailAddress> to;
    QString subject;
    QString body; // plain text
    QList<MailAttachment> attachments;
    QDateTime at; // the Date header, with the offset of its time zone
};

// True for an address we are willing to put in a header and an SMTP command: one local part
// and one domain of printable ASCII, nothing that could end a line or a header.
bool isPlainAddress(const QString &address);

// The message, lines ending in CRLF; its Message-ID is new on every call.
QByteArray buildMimeMessage(const MailContent &content);

// A header text as it may travel: as is when it is printable ASCII, else as RFC 2047 encoded
// words (UTF-8, Base64), folded so that no line exceeds 76 characters.
QByteArray encodedHeaderText(const QString &text);
