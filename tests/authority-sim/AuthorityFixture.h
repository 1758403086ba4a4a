#pragma once

#include "AuthorityHarness.h"
#include "SampleCte.h"
#include "TestPki.h"

#include <QTemporaryDir>

#include <memory>

// What the stand-in's tests share: a test PKI whose root the stand-in trusts, the demo issuer
// registered, a running stand-in, and signing in the issuer's name.
class AuthorityFixture
{
public:
    static constexpr const char *kIssuerCnpj = "12345678000195";
    static constexpr const char *kIssuerIe = "111111111119";

    explicit AuthorityFixture(const QStringList &extraArgs = {});

    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString rootPem() const { return file(QStringLiteral("root.pem")); }
    const TestPki &pki() const { return m_pki; }
    const TestPki::Identity &issuer() const { return m_issuer; }
    AuthorityProcess &authority() { return *m_authority; }
    // Stops the running stand-in and starts another on the same data, with `extraArgs`.
    void restart(const QStringList &extraArgs = {});

    QByteArray sign(const QByteArray &xml, const char *element = "infCte") const;
    QByteArray sign(const QByteArray &xml, const TestPki::Identity &identity,
                    const char *element = "infCte") const;
    // Signs and sends a CT-e; the stand-in's answer.
    AuthorityProcess::Reply transmit(const SampleCte &cte);
    AuthorityProcess::Reply cancel(const SampleCancellation &event);
    AuthorityProcess::Reply voidRange(const SampleVoiding &request);
    AuthorityProcess::Reply query(const QString &key);

private:
    QTemporaryDir m_dir;
    TestPki m_pki;
    TestPki::Identity m_issuer;
    std::unique_ptr<AuthorityProcess> m_authority;
};

// Validates an answer's result message (the element inside the SOAP body's result) against the
// official schemas; the first problem, or empty.
QString validateResult(const QByteArray &soapAnswer, const QString &xsdFile);
QString validateResult(const QByteArray &soapAnswer, const QStringList &xsdFiles);
