#include "AuthorityHarness.h"

#include "ChildProcess.h"
#include "GzipBase64.h"
#include "TestPki.h"
#include "XmlDocument.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>

#include <httplib.h>

using namespace Qt::StringLiterals;

namespace {

const char *const kNames[] = {"CTeRecepcaoSincV4", "CTeConsultaV4", "CTeRecepcaoEventoV4",
                              "CTeStatusServicoV4", "CTeInutilizacaoV4"};

} // namespace

QString AuthorityProcess::program()
{
    return qEnvironmentVariable("CTE_BINARY_DIR") + u"/authority-sim/authority-sim"_s;
}

QString AuthorityProcess::schemaDir()
{
    return qEnvironmentVariable("CTE_SCHEMA_DIR");
}

AuthorityProcess::AuthorityProcess(const QString &dataDir, const QStringList &extraArgs)
    : m_process(std::make_unique<QProcess>())
{
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    EndWithTest(*m_process);
    // Without --schemas: the stand-in finds the schemas the build put beside it.
    m_process->start(
        program(), QStringList {u"serve"_s, u"--port"_s, u"0"_s, u"--data"_s, dataDir} + extraArgs);
    if (!m_process->waitForStarted())
        return;
    static const QRegularExpression re(u"listening on https?://127\\.0\\.0\\.1:(\\d+)"_s);
    while (m_process->state() == QProcess::Running) {
        m_process->waitForReadyRead(200);
        m_log += m_process->readAll();
        const auto match = re.match(QString::fromUtf8(m_log));
        if (match.hasMatch()) {
            m_port = match.captured(1).toInt();
            break;
        }
    }
    m_log += m_process->readAll();
}

AuthorityProcess::~AuthorityProcess()
{
    stop();
}

bool AuthorityProcess::running() const
{
    return m_process->state() == QProcess::Running;
}

QString AuthorityProcess::log()
{
    m_log += m_process->readAll();
    return QString::fromUtf8(m_log);
}

void AuthorityProcess::stop()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000))
            m_process->kill();
        m_process->waitForFinished();
    }
}

int AuthorityProcess::command(const QString &dataDir, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program(), args + QStringList {u"--data"_s, dataDir});
    p.waitForFinished(-1);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList AuthorityProcess::tlsArguments(const TestPki &pki, const QString &dir)
{
    TestPki::LeafOptions options;
    options.name = u"127.0.0.1"_s;
    options.ipAddress = u"127.0.0.1"_s;
    const TestPki::Identity server = pki.issue(options);
    QDir().mkpath(dir);
    TestPki::writeFile(dir + u"/ca.pem"_s, pki.root().certificatePem);
    TestPki::writeFile(dir + u"/server.pem"_s, server.certificatePem);
    TestPki::writeFile(dir + u"/server.key"_s, server.keyPem);
    return {u"--tls-cert"_s, dir + u"/server.pem"_s, u"--tls-key"_s, dir + u"/server.key"_s};
}

std::unique_ptr<AuthorityProcess> AuthorityProcess::forDemoIssuer(const QString &dataDir,
                                                                  const QString &trustedPem,
                                                                  const QStringList &extraArgs)
{
    if (command(dataDir,
                {u"issuer"_s, u"--uf"_s, u"SP"_s, u"--ie"_s, u"244187365112"_s, u"--cnpj"_s,
                 u"18462731000114"_s})
        != 0)
        return {};
    return std::make_unique<AuthorityProcess>(
        dataDir, QStringList {u"--trusted-root"_s, trustedPem} + extraArgs);
}

QString AuthorityProcess::path(Service service)
{
    const QString name = QString::fromLatin1(kNames[service]);
    return u"/ws/%1/%1.asmx"_s.arg(name);
}

QString AuthorityProcess::serviceNamespace(Service service)
{
    return u"http://www.portalfiscal.inf.br/cte/wsdl/"_s + QString::fromLatin1(kNames[service]);
}

QByteArray AuthorityProcess::envelope(Service service, const QByteArray &dataContent)
{
    QByteArray content = dataContent;
    if (content.startsWith("<?xml"))
        content = content.mid(content.indexOf("?>") + 2);
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap12:Envelope "
           "xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body>"
           "<cteDadosMsg xmlns=\""
        + serviceNamespace(service).toUtf8() + "\">" + content
        + "</cteDadosMsg></soap12:Body></soap12:Envelope>";
}

QByteArray AuthorityProcess::receptionEnvelope(const QByteArray &cteXml)
{
    return envelope(Reception, gzipbase64::gzip(cteXml).toBase64());
}

AuthorityProcess::Reply AuthorityProcess::post(Service service, const QByteArray &body,
                                               const QString &contentType, const Tls *tls) const
{
    Reply reply;
    std::unique_ptr<httplib::Client> client;
    if (tls) {
        client = std::make_unique<httplib::Client>(
            u"https://127.0.0.1:%1"_s.arg(m_port).toStdString(), tls->clientCertPem.toStdString(),
            tls->clientKeyPem.toStdString());
        client->set_ca_cert_path(tls->caPem.toStdString());
        client->enable_server_certificate_verification(true);
    } else {
        client = std::make_unique<httplib::Client>("127.0.0.1", m_port);
    }
    client->set_tcp_nodelay(true);
    client->set_read_timeout(120, 0);
    auto result
        = client->Post(path(service).toStdString(), body.toStdString(), contentType.toStdString());
    if (!result) {
        reply.transportFailed = true;
        return reply;
    }
    reply.httpStatus = result->status;
    reply.body = QByteArray::fromStdString(result->body);
    reply.detail = QString::fromStdString(result->get_header_value("X-Authority-Detail"));
    return reply;
}

QString AuthorityProcess::Reply::describe() const
{
    return u"cStat %1 (%2) detail: %3"_s.arg(field("cStat"), field("xMotivo"), detail);
}

QString AuthorityProcess::Reply::field(const char *name) const
{
    xml::Doc doc = xml::parse(body);
    if (!doc)
        return {};
    return xml::content(xml::find(xmlDocGetRootElement(doc.get()), name));
}

QString AuthorityProcess::Reply::fault() const
{
    xml::Doc doc = xml::parse(body);
    if (!doc)
        return {};
    return xml::content(xml::find(xmlDocGetRootElement(doc.get()), "Text",
                                  "http://www.w3.org/2003/05/soap-envelope"));
}
