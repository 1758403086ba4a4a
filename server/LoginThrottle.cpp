#include "LoginThrottle.h"

#include "LogText.h"
#include "ServerError.h"
#include "SqlSupport.h"

#include <QDateTime>
#include <QDebug>
#include <QSqlQuery>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// One table holds both kinds of count; the prefix keeps a user named like an address apart.
// Names longer than any user's share a key: they are all guesses.
QString userKey(const QString &user)
{
    return u"U "_s + user.left(200);
}
QString addressKey(const QString &address)
{
    return u"A "_s + address;
}

qint64 remaining(const QSqlDatabase &db, const QString &key, qint64 now)
{
    QSqlQuery q
        = runSql(db, u"SELECT NRATE FROM SRVFALHALOGIN WHERE DSCHAVE = :K"_s, {{u":K", key}});
    return q.next() ? std::max<qint64>(0, q.value(0).toLongLong() - now) : 0;
}

} // namespace

LoginThrottle::LoginThrottle()
    : LoginThrottle(Settings())
{ }

LoginThrottle::LoginThrottle(const Settings &settings)
    : m_settings(settings)
{ }

qint64 LoginThrottle::waitMs(const QSqlDatabase &db, const QString &user,
                             const QString &address) const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 wait = remaining(db, addressKey(address), now);
    QSqlQuery known = runSql(db,
                             u"SELECT 1 FROM SRVLOGINCONHECIDO WHERE NMUSUARIO = :U AND "
                             "DSENDERECO = :A"_s,
                             {{u":U", user}, {u":A", address}});
    if (!known.next())
        wait = std::max(wait, remaining(db, userKey(user), now));
    return wait;
}

void LoginThrottle::fail(const QSqlDatabase &db, const QString &key, qint64 now, qint64 cap) const
{
    // One statement counts, so that servers failing the same key at once lose no failure.
    QSqlQuery q = runSql(db,
                         u"INSERT INTO SRVFALHALOGIN (DSCHAVE, NRFALHAS, NRULTIMA, NRATE) "
                         "VALUES (:K, 1, :NOW, 0) ON CONFLICT (DSCHAVE) DO UPDATE SET "
                         "NRFALHAS = CASE WHEN SRVFALHALOGIN.NRULTIMA < :OLD THEN 1 "
                         "ELSE SRVFALHALOGIN.NRFALHAS + 1 END, NRULTIMA = :NOW "
                         "RETURNING NRFALHAS"_s,
                         {{u":K", key}, {u":NOW", now}, {u":OLD", now - m_settings.forgetAfterMs}});
    const int over = (q.next() ? q.value(0).toInt() : 1) - m_settings.freeFailures;
    if (over > 0) {
        const qint64 delay = std::min(cap, m_settings.firstDelayMs << std::min(over - 1, 30));
        runSql(db, u"UPDATE SRVFALHALOGIN SET NRATE = :ATE WHERE DSCHAVE = :K AND NRATE < :ATE"_s,
               {{u":K", key}, {u":ATE", now + delay}});
    }
}

void LoginThrottle::failed(const QSqlDatabase &db, const QString &user,
                           const QString &address) const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Guessing with ever new user names must not grow the table without end. Alone in its own
    // statement: it holds no lock that the counting below could then wait for in a cycle.
    // Housekeeping only: should it meet another server's count, the next failure prunes.
    try {
        runSql(db, u"DELETE FROM SRVFALHALOGIN WHERE NRULTIMA < :OLD AND NRATE < :NOW"_s,
               {{u":OLD", now - m_settings.forgetAfterMs}, {u":NOW", now}});
    } catch (const DatabaseError &e) {
        qWarning().noquote() << logtext::fields(
            {{"login throttle", u"pruning postponed"_s}, {"detail", e.detail()}});
    }
    // Address first, then user, in every server: two failures wait for each other, never in a
    // cycle.
    SqlTransaction tx(db);
    fail(db, addressKey(address), now, m_settings.maxAddressDelayMs);
    fail(db, userKey(user), now, m_settings.maxUserDelayMs);
    tx.commit();
}

void LoginThrottle::succeeded(const QSqlDatabase &db, const QString &user,
                              const QString &address) const
{
    SqlTransaction tx(db);
    // The address keeps its count: logging in to one's own account must not buy more guesses
    // at someone else's.
    runSql(db, u"DELETE FROM SRVFALHALOGIN WHERE DSCHAVE = :K"_s, {{u":K", userKey(user)}});
    runSql(db,
           u"INSERT INTO SRVLOGINCONHECIDO (NMUSUARIO, DSENDERECO) VALUES (:U, :A) "
           "ON CONFLICT (NMUSUARIO, DSENDERECO) DO NOTHING"_s,
           {{u":U", user}, {u":A", address}});
    tx.commit();
}
