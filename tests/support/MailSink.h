#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The project's SMTP sink (scripts/mail-sink, Debian's aiosmtpd) on a free loopback port, for
// the tests that send e-mail: messages kept as files in a folder of its own.
class MailSinkProcess
{
public:
    // `options`: the sink's extra arguments (--refuse TEXT, --user U --password-file F).
    explicit MailSinkProcess(const QStringList &options = {});
    ~MailSinkProcess();

    int port() const { return m_port; } // -1 when it did not start
    // The messages received so far, as sent, in the order received.
    QList<QByteArray> messages() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = -1;
};

// One part of a received MIME message.
struct MailPart
{
    QByteArray headers; // the part's header lines, unfolded
    QByteArray body; // decoded from Base64 when so encoded
};

// The top-level header `name` of `message`, unfolded (empty when absent).
QByteArray mailHeader(const QByteArray &message, const QByteArray &name);
// The parts of a multipart message, in order.
QList<MailPart> mailParts(const QByteArray &message);
// The Base64 encoded words of an RFC 2047 header text, decoded.
QString decodedHeaderText(const QByteArray &text);
