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

    // Takes one attempt of `user` at `address`, counted as a failure until succeeded() says
    // otherwise: how long they must still wait (nothing counted), or 0 to check the password now.
    // Checking the wait and counting are one step, so parallel guesses each meet the count of
    // those before them instead of all passing the same check.
    qint64 attempt(const QSqlDatabase &db, const QString &user, const QString &address) const;
    // The attempt's password was wrong (it is counted already): forgets old failures.
    void failed(const QSqlDatabase &db) const;
    // The attempt's password was right: the user's failures are forgotten and the attempt is
    // taken off the address's count.
    void succeeded(const QSqlDatabase &db, const QString &user, const QString &address) const;

private:
    // Counts an attempt for `key` unless it must wait and `honourWait`; the wait left, or 0.
    qint64 charge(const QSqlDatabase &db, const QString &key, qint64 now, qint64 cap,
                  bool honourWait) const;

    Settings m_settings;
};
