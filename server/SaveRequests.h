#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>

// Saves named by the client's request identifier, so that a save repeated after a lost answer
// (a time-out, a dropped connection, a session opened again) is answered with the outcome of
// the first instead of being applied twice. The identifier and the reply are written in the
// save's own transaction: a save that is rolled back leaves no trace, and every server over the
// same database sees a committed one.
namespace saverequests {

// Refuses an identifier that is empty, too long or has characters other than letters, digits,
// '-', '_', '{' and '}'.
void checkIdentifier(const QString &request);

// The reply of the save committed under `request`, when there is one. The identifier of another
// user's save is refused.
std::optional<QVariant> firstOutcome(const QSqlDatabase &db, const QString &request,
                                     const QString &user);

// Inside the save's transaction: takes the identifier for this save. False when a save under it
// committed meanwhile (on PostgreSQL this waits for a concurrent save of the same identifier).
bool claim(const QSqlDatabase &db, const QString &request, const QString &user);

// Inside the save's transaction, once its reply is known.
void record(const QSqlDatabase &db, const QString &request, const QVariant &reply);

// Forgets the identifiers of saves older than `days`; outside any save's transaction.
void prune(const QSqlDatabase &db, int days);

} // namespace saverequests
