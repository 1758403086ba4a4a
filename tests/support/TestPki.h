#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

// Certificates made on the spot for tests: a root authority and end-entity certificates it
// signs, ICP-Brasil style (the CNPJ in the subject's otherName 2.16.76.1.3.3 and after the
// common name's ':'). Keys are RSA-2048; nothing is ever written into the repository.
class TestPki
{
public:
    struct Identity
    {
        QByteArray certificatePem;
        QByteArray keyPem;
        QByteArray certificateDer;
    };

    struct LeafOptions
    {
        QString name = QStringLiteral("EMPRESA TESTE LTDA");
        QString cnpj; // empty: no CNPJ anywhere in the certificate
        QDateTime notBefore; // default: thirty days ago
        QDateTime notAfter; // default: in a year
        bool isCa = false;
        bool selfSigned = false; // signed by its own key instead of the root's
        QString ipAddress; // a server certificate for this address
    };

    explicit TestPki(const QString &rootName = QStringLiteral("AC RAIZ DE TESTE"));
    ~TestPki();

    const Identity &root() const { return m_root; }
    Identity issue(const LeafOptions &options) const;
    // A PKCS#12 bundle of `identity` (key and certificate) under `password`.
    static QByteArray pkcs12(const Identity &identity, const QString &password);
    static bool writeFile(const QString &path, const QByteArray &bytes);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    Identity m_root;
};
