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

} // namespace

LoginThrottle::LoginThrottle()
    : LoginThrottle(Settings())
{ }

LoginThrottle::LoginThrottle(const Settings &settings)
    : m_settings(settings)
{ }

qint64 LoginThrottle::attempt(const QSqlDatabase &db, const QString &user,
                              const QString &address) const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Address first, then user, in every server: two attempts wait for each other's row locks,
    // never in a cycle. A wait returned rolls the whole attempt back.
    SqlTransaction tx(db);
    bool known = false;
    {
        QSqlQuery q = runSql(db,
                             u"SELECT 1 FROM SRVLOGINCONHECIDO WHERE NMUSUARIO = :U AND "
                             "DSENDERECO = :A"_s,
                             {{u":U", user}, {u":A", address}});
        known = q.next();
    }
    if (const qint64 wait
        = charge(db, addressKey(address), now, m_settings.maxAddressDelayMs, true))
        return wait;
    // The user's failures count wherever they happen, but do not keep the user out of an
    // address it logged in from before.
    if (const qint64 wait = charge(db, userKey(user), now, m_settings.maxUserDelayMs, !known))
        return wait;
    tx.commit();
    return 0;
}

qint64 LoginThrottle::charge(const QSqlDatabase &db, const QString &key, qint64 now, qint64 cap,
                             bool honourWait) const
{
    // One statement reads the wait and counts, holding the row until the attempt commits.
    qint64 failures = 1;
    {
        QSqlQuery q
            = runSql(db,
                     u"INSERT INTO SRVFALHALOGIN (DSCHAVE, NRFALHAS, NRULTIMA, NRATE) "
                     "VALUES (:K, 1, :NOW, 0) ON CONFLICT (DSCHAVE) DO UPDATE SET "
                     "NRFALHAS = CASE WHEN SRVFALHALOGIN.NRATE > :NOW AND :HONOUR = 1 "
                     "THEN SRVFALHALOGIN.NRFALHAS WHEN SRVFALHALOGIN.NRULTIMA < :OLD THEN 1 "
                     "ELSE SRVFALHALOGIN.NRFALHAS + 1 END, "
                     "NRULTIMA = CASE WHEN SRVFALHALOGIN.NRATE > :NOW AND :HONOUR = 1 "
                     "THEN SRVFALHALOGIN.NRULTIMA ELSE :NOW END "
                     "RETURNING NRFALHAS, NRATE"_s,
                     {{u":K", key},
                      {u":NOW", now},
                      {u":OLD", now - m_settings.forgetAfterMs},
                      {u":HONOUR", honourWait ? 1 : 0}});
        if (q.next()) {
            failures = q.value(0).toLongLong();
            const qint64 until = q.value(1).toLongLong();
            if (honourWait && until > now)
                return until - now;
        }
    }
    const qint64 over = failures - m_settings.freeFailures;
    if (over > 0) {
        const qint64 delay
            = std::min(cap, m_settings.firstDelayMs << std::min<qint64>(over - 1, 30));
        runSql(db, u"UPDATE SRVFALHALOGIN SET NRATE = :ATE WHERE DSCHAVE = :K AND NRATE < :ATE"_s,
               {{u":K", key}, {u":ATE", now + delay}});
    }
    return 0;
}

void LoginThrottle::failed(const QSqlDatabase &db) const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Guessing with ever new user names must not grow the table without end. Housekeeping
    // only: should it meet another server's count, the next failure prunes.
    try {
        runSql(db, u"DELETE FROM SRVFALHALOGIN WHERE NRULTIMA < :OLD AND NRATE < :NOW"_s,
               {{u":OLD", now - m_settings.forgetAfterMs}, {u":NOW", now}});
    } catch (const DatabaseError &e) {
        qWarning().noquote() << logtext::fields(
            {{"login throttle", u"pruning postponed"_s}, {"detail", e.detail()}});
    }
}

void LoginThrottle::succeeded(const QSqlDatabase &db, const QString &user,
                              const QString &address) const
{
    SqlTransaction tx(db);
    runSql(db, u"DELETE FROM SRVFALHALOGIN WHERE DSCHAVE = :K"_s, {{u":K", userKey(user)}});
    // The address keeps the failures before: logging in to one's own account must not buy more
    // guesses at someone else's. The wait this attempt may have started ends with it.
    runSql(db,
           u"UPDATE SRVFALHALOGIN SET NRFALHAS = NRFALHAS - 1, NRATE = 0 "
           "WHERE DSCHAVE = :K AND NRFALHAS > 0"_s,
           {{u":K", addressKey(address)}});
    runSql(db,
           u"INSERT INTO SRVLOGINCONHECIDO (NMUSUARIO, DSENDERECO) VALUES (:U, :A) "
           "ON CONFLICT (NMUSUARIO, DSENDERECO) DO NOTHING"_s,
           {{u":U", user}, {u":A", address}});
    tx.commit();
}
