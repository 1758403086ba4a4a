#pragma once

#include <QByteArray>
#include <QString>

// Salted, slow password hashes (PBKDF2-HMAC-SHA256 from OpenSSL) and session tokens.
namespace passwords {

inline constexpr int kDefaultIterations = 120000;

struct Hash
{
    QString salt; // hex
    QString hash; // hex
    int iterations = kDefaultIterations;
};

Hash hashPassword(const QString &password, int iterations = kDefaultIterations);
bool verifyPassword(const QString &password, const Hash &stored);

// A new random session token (hex) and the digest under which it is stored.
QString newToken();
QString tokenDigest(const QString &token);

} // namespace passwords
