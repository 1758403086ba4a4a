#pragma once

#include "AuthorityStore.h"

#include <QList>
#include <QString>

#include <memory>

class SchemaSet;
class SignatureCheck;

struct AuthorityOptions
{
    QString host = QStringLiteral("127.0.0.1");
    int port = 8860; // 0: any free port
    int environment = 2;
    int threads = 16;
    qint64 maxBodyBytes = 4 * 1024 * 1024;
    QList<store::Fault> faults; // given at start-up, for the whole run
    QString tlsCertificate; // PEM; HTTPS when set
    QString tlsKey;
    QString clientCa; // PEM; when set, clients must present a certificate it signed
};

// The HTTP(S) front of the four services: one path per service, SOAP 1.2 in and out, the fault
// switches applied around the processing.
class AuthorityServer
{
public:
    AuthorityServer(const AuthorityOptions &options, const SchemaSet &schemas,
                    const SignatureCheck &signatures);
    ~AuthorityServer();

    // The bound port, or -1.
    int bind();
    bool serve();
    void stop();
    bool isValid() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
