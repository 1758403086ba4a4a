#include "Passwords.h"

#include "ServerError.h"
#include "ServerMessages.h"

#include <QCryptographicHash>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace passwords {

namespace {

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(bytes.data()), count) != 1)
        throw ServerError(srvMsg("ALEATORIO_FALHA"));
    return bytes;
}

QByteArray derive(const QString &password, const QByteArray &salt, int iterations)
{
    const QByteArray utf8 = password.toUtf8();
    QByteArray out(32, '\0');
    if (PKCS5_PBKDF2_HMAC(utf8.constData(), int(utf8.size()),
                          reinterpret_cast<const unsigned char *>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), int(out.size()),
                          reinterpret_cast<unsigned char *>(out.data()))
        != 1)
        throw ServerError(srvMsg("SENHA_FALHA_KDF"));
    return out;
}

} // namespace

Hash hashPassword(const QString &password, int iterations)
{
    const QByteArray salt = randomBytes(16);
    Hash h;
    h.salt = QString::fromLatin1(salt.toHex());
    h.iterations = iterations;
    h.hash = QString::fromLatin1(derive(password, salt, iterations).toHex());
    return h;
}

bool verifyPassword(const QString &password, const Hash &stored)
{
    if (stored.iterations <= 0)
        return false;
    const QByteArray expected = QByteArray::fromHex(stored.hash.toLatin1());
    const QByteArray actual
        = derive(password, QByteArray::fromHex(stored.salt.toLatin1()), stored.iterations);
    return expected.size() == actual.size()
        && CRYPTO_memcmp(expected.constData(), actual.constData(), size_t(actual.size())) == 0;
}

QString newToken()
{
    return QString::fromLatin1(randomBytes(32).toHex());
}

QString tokenDigest(const QString &token)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(token.toLatin1(), QCryptographicHash::Sha256).toHex());
}

} // namespace passwords
