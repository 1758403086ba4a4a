#include "MailSink.h"

#include "ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>

using namespace Qt::StringLiterals;

MailSinkProcess::MailSinkProcess(const QStringList &options)
    : m_process(std::make_unique<QProcess>())
{
    int port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
    }
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    EndWithTest(*m_process);
    m_process->start(u"/usr/bin/python3"_s,
                     QStringList {qEnvironmentVariable("CTE_SOURCE_DIR") + u"/scripts/mail-sink"_s,
                                  u"--port"_s, QString::number(port), u"--dir"_s,
                                  m_dir.filePath(u"mail"_s)}
                         + options);
    QByteArray output;
    while (m_process->waitForReadyRead(-1)) {
        output += m_process->readAll();
        if (output.contains("listening on")) {
            m_port = port;
            return;
        }
    }
    qWarning("mail-sink did not start: %s", output.constData());
}

MailSinkProcess::~MailSinkProcess()
{
    m_process->terminate();
    if (!m_process->waitForFinished())
        m_process->kill();
}

QList<ReceivedMail> MailSinkProcess::messages() const
{
    QList<ReceivedMail> out;
    const QDir dir(m_dir.filePath(u"mail"_s));
    for (const QString &name : dir.entryList({u"*.eml"_s}, QDir::Files, QDir::Name)) {
        const QString base = dir.filePath(name.chopped(4));
        const auto read = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        ReceivedMail mail;
        mail.raw = read(base + u".eml"_s);
        mail.headers = QJsonDocument::fromJson(read(base + u".json"_s)).object();
        for (const QJsonValue &v : mail.headers.value(u"attachments"_s).toArray()) {
            mail.attachmentNames << v.toString();
            mail.attachments << read(base + u'/' + v.toString());
        }
        out << mail;
    }
    return out;
}
