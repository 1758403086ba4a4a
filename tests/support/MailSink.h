#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A message as the sink received and decoded it (Python's e-mail parser, not ours).
struct ReceivedMail
{
    QByteArray raw;
    QJsonObject headers; // From, To, Subject (decoded), Date, Message-ID, Reply-To
    QStringList attachmentNames; // in the message's order
    QList<QByteArray> attachments; // their decoded content, in the same order
};

// The project's SMTP sink (scripts/mail-sink, Debian's aiosmtpd) on a free loopback port, for
// the tests that send e-mail: messages kept as files in a folder of its own.
class MailSinkProcess
{
public:
    // `options`: the sink's extra arguments (--refuse TEXT, --user U --password-file F).
    explicit MailSinkProcess(const QStringList &options = {});
    ~MailSinkProcess();

    int port() const { return m_port; } // -1 when it did not start
    // The messages received so far, in the order received.
    QList<ReceivedMail> messages() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = -1;
};
