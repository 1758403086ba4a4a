#pragma once

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <mutex>

// Slows password guessing down. Failed logins are counted per user and per client address; after
// a few free failures each further one makes that key wait twice as long as the last, and
// attempts during the wait are refused without the password being looked at (so a flood costs
// no hashing either). A user's wait has a lower cap than an address's, and does not apply at an
// address from which that user has logged in before: someone guessing a user's password from
// elsewhere cannot keep the real user out.
class LoginThrottle
{
public:
    struct Settings
    {
        int freeFailures = 5;
        qint64 firstDelayMs = 1000;
        qint64 maxAddressDelayMs = 60 * 1000;
        qint64 maxUserDelayMs = 30 * 1000;
        qint64 forgetAfterMs = 15 * 60 * 1000; // failures this old no longer count
    };

    LoginThrottle();
    explicit LoginThrottle(const Settings &settings);

    // How long `user` at `address` must still wait before trying; 0: may try now.
    qint64 waitMs(const QString &user, const QString &address);
    void failed(const QString &user, const QString &address);
    void succeeded(const QString &user, const QString &address);

private:
    struct Failures
    {
        int count = 0;
        qint64 last = 0; // ms since the epoch
        qint64 until = 0;
    };
    void fail(QHash<QString, Failures> &map, const QString &key, qint64 now, qint64 cap);
    qint64 remaining(const QHash<QString, Failures> &map, const QString &key, qint64 now) const;
    void prune(qint64 now);

    Settings m_settings;
    std::mutex m_mutex;
    QHash<QString, Failures> m_byUser;
    QHash<QString, Failures> m_byAddress;
    QSet<QString> m_knownAddresses; // "user\naddress" of successful logins
};
