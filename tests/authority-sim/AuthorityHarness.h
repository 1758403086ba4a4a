#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

class TestPki;

// An authority-sim process on a free loopback port with its data in `dataDir`, and a client
// that speaks to it the way the application server will: SOAP 1.2 envelopes over HTTP(S).
class AuthorityProcess
{
public:
    enum Service { Reception, Query, Event, Status, Voiding };

    struct Tls
    {
        QString caPem; // verifies the server
        QString clientCertPem; // empty: no client certificate
        QString clientKeyPem;
    };

    struct Reply
    {
        bool transportFailed = false; // no complete HTTP answer
        int httpStatus = 0;
        QByteArray body;
        QString detail; // X-Authority-Detail
        // The first element of that name in the answer (cStat, xMotivo, nProt, …).
        QString field(const char *name) const;
        int cstat() const { return field("cStat").toInt(); }
        QString fault() const; // the SOAP fault's reason, if the answer is one
        // cStat, xMotivo and the detail, for a failing check's message.
        QString describe() const;
    };

    AuthorityProcess(const QString &dataDir, const QStringList &extraArgs = {});
    ~AuthorityProcess();

    int port() const { return m_port; }
    bool running() const;
    QString log();
    void stop();

    static QString program();
    static QString schemaDir();
    // Runs a one-shot command (issuer, fault) against `dataDir`; its exit code.
    static int command(const QString &dataDir, const QStringList &args);
    // The stand-in on a free port, trusting `trustedPem` and knowing the demo issuer (SP,
    // 244187365112, 18462731000114).
    // The arguments that make the stand-in serve HTTPS with a certificate for 127.0.0.1 issued by
    // `pki`, written into `dir` with the root as ca.pem.
    static QStringList tlsArguments(const TestPki &pki, const QString &dir);
    static std::unique_ptr<AuthorityProcess> forDemoIssuer(const QString &dataDir,
                                                           const QString &trustedPem,
                                                           const QStringList &extraArgs = {});

    static QString path(Service service);
    static QString serviceNamespace(Service service);
    static QByteArray envelope(Service service, const QByteArray &dataContent);
    // The CT-e gzip-compressed and Base64-encoded in the reception envelope.
    static QByteArray receptionEnvelope(const QByteArray &cteXml);

    Reply post(Service service, const QByteArray &body,
               const QString &contentType = QStringLiteral("application/soap+xml; charset=utf-8"),
               const Tls *tls = nullptr) const;
    Reply send(Service service, const QByteArray &dataContent) const
    {
        return post(service, envelope(service, dataContent));
    }

private:
    std::unique_ptr<QProcess> m_process;
    QByteArray m_log;
    int m_port = -1;
};
