#pragma once

#include <QSqlDatabase>
#include <QString>

// Slows password guessing down. Failed logins are counted per user and per client address; after
// a few free failures each further one makes that key wait twice as long as the last, and
// attempts during the wait are refused without the password being looked at (so a flood costs
// no hashing either). A user's wait has a lower cap than an address's, and does not apply at an
// address from which that user has logged in before: someone guessing a user's password from
// elsewhere cannot keep the real user out.
//
// The counts live in the database (SRVFALHALOGIN, SRVLOGINCONHECIDO), so that servers sharing
// one database behind a proxy count together: spreading the guesses over them buys nothing.
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
    qint64 waitMs(const QSqlDatabase &db, const QString &user, const QString &address) const;
    void failed(const QSqlDatabase &db, const QString &user, const QString &address) const;
    void succeeded(const QSqlDatabase &db, const QString &user, const QString &address) const;

private:
    void fail(const QSqlDatabase &db, const QString &key, qint64 now, qint64 cap) const;

    Settings m_settings;
};
