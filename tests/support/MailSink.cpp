#include "MailSink.h"

#include "ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>

using namespace Qt::StringLiterals;

namespace {

QByteArray unfolded(const QByteArray &headers)
{
    QByteArray out = headers;
    out.replace("\r\n ", " ").replace("\r\n\t", " ");
    return out;
}

} // namespace

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

QList<QByteArray> MailSinkProcess::messages() const
{
    QList<QByteArray> out;
    const QDir dir(m_dir.filePath(u"mail"_s));
    for (const QString &name : dir.entryList({u"*.eml"_s}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            out << f.readAll();
    }
    return out;
}

QByteArray mailHeader(const QByteArray &message, const QByteArray &name)
{
    const QByteArray headers = unfolded(message.left(message.indexOf("\r\n\r\n")));
    for (const QByteArray &line : headers.split('\n')) {
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

QList<MailPart> mailParts(const QByteArray &message)
{
    static const QRegularExpression boundaryRe(u"boundary=\"([^\"]+)\""_s);
    const QByteArray boundary = "--"
        + boundaryRe.match(QString::fromLatin1(mailHeader(message, "Content-Type")))
              .captured(1)
              .toLatin1();
    QList<MailPart> parts;
    QList<QByteArray> pieces;
    qsizetype from = message.indexOf(boundary);
    while (from >= 0) {
        const qsizetype next = message.indexOf(boundary, from + boundary.size());
        if (next < 0)
            break;
        pieces << message.mid(from + boundary.size() + 2, next - from - boundary.size() - 2);
        from = next;
    }
    for (const QByteArray &piece : pieces) {
        const qsizetype split = piece.indexOf("\r\n\r\n");
        MailPart part {unfolded(piece.left(split)), piece.mid(split + 4)};
        if (part.headers.toLower().contains("content-transfer-encoding: base64"))
            part.body = QByteArray::fromBase64(part.body);
        parts << part;
    }
    return parts;
}

QString decodedHeaderText(const QByteArray &text)
{
    static const QRegularExpression word(u"=\\?UTF-8\\?B\\?([^?]*)\\?=\\s*"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    QByteArray bytes;
    qsizetype at = 0;
    const QString s = QString::fromLatin1(text);
    for (auto it = word.globalMatch(s); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bytes += s.mid(at, m.capturedStart() - at).toLatin1();
        bytes += QByteArray::fromBase64(m.captured(1).toLatin1());
        at = m.capturedEnd();
    }
    bytes += s.mid(at).toLatin1();
    return QString::fromUtf8(bytes);
}
