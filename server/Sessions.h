#pragma once

#include <QSqlDatabase>
#include <QString>

// Users and sessions, both kept in the database so that any server process accepts a session
// opened by another. A session token travels in every call's header; only its digest is stored.
namespace sessions {

// Creates the user or replaces its password.
void createOrUpdateUser(const QSqlDatabase &db, const QString &user, const QString &password);

// Checks the password and opens a session; returns its token. A wrong user or password raises
// ServerError with one text for both.
QString login(const QSqlDatabase &db, const QString &user, const QString &password);

// The user of a valid session; an unknown or expired token raises ServerError.
QString validate(const QSqlDatabase &db, const QString &token);

void logout(const QSqlDatabase &db, const QString &token);

// Number of active users.
int userCount(const QSqlDatabase &db);

} // namespace sessions
