#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>

// Saves named by the client's request identifier, so that a save repeated after a lost answer
// (a time-out, a dropped connection, a session opened again) is answered with the outcome of
// the first instead of being applied twice. The identifier is bound to a digest of the save's
// content: other changes sent under it are refused, not answered with an outcome that does not
// describe them. The identifier and the reply are written in the save's own transaction: a save
// that is rolled back leaves no trace, and every server over the same database sees a committed
// one.
namespace saverequests {

// Refuses an identifier that is empty, too long or has characters other than letters, digits,
// '-', '_', '{' and '}'.
void checkIdentifier(const QString &request);

// The digest of a save's content (its deltas, without the identifier).
QString contentDigest(const QList<QVariant> &deltas);

// The reply of the save committed under `request`, when there is one. The identifier of another
// user's save, or of a save with another digest, is refused.
std::optional<QVariant> firstOutcome(const QSqlDatabase &db, const QString &request,
                                     const QString &user, const QString &digest);

// Inside the save's transaction: takes the identifier for this save. False when a save under it
// committed meanwhile (on PostgreSQL this waits for a concurrent save of the same identifier).
bool claim(const QSqlDatabase &db, const QString &request, const QString &user,
           const QString &digest);

// Inside the save's transaction, once its reply is known.
void record(const QSqlDatabase &db, const QString &request, const QVariant &reply);

// Forgets the identifiers of saves older than `days`; outside any save's transaction.
void prune(const QSqlDatabase &db, int days);

} // namespace saverequests
