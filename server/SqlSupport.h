#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <utility>

// Database access of the server: one connection per worker thread, statements that raise
// DatabaseError (the driver's text goes to the log only), and transactions that take the write
// lock up front.

// Sets the connection string every worker thread opens (once, before the first request).
void setServerConnectionString(const QString &connectionString);
const QString &serverConnectionString();

// The connection of the calling thread, opened on first use; DatabaseError when it cannot be
// opened.
QSqlDatabase workerDatabase();

// Runs `body` with the calling thread's connection. When it fails because the connection itself
// is gone (the database server restarted, a link dropped), the connection is opened again and
// `body` runs once more, unless a write transaction had been sent its COMMIT: its outcome is
// then unknown and the failure is reported.
void runWithReconnect(const std::function<void(const QSqlDatabase &)> &body);

bool isPostgres(const QSqlDatabase &db);

// Statements the calling thread has sent to its databases (prepares, executions, transaction
// control), for the log and the figures.
qint64 statementsSent();
// Counts a statement sent outside runSql (a read straight through the database's own interface).
void noteStatementSent();

using SqlBinds = std::initializer_list<std::pair<const char16_t *, QVariant>>;

// Prepares, binds by name and runs `sql`; failures raise DatabaseError. The query is
// forward-only. On a worker's connection a statement is prepared once and kept for the next call
// with the same text (the query returned hands it back when it goes), so a call costs the
// database one execution, not a prepare, an execution and a deallocation.
QSqlQuery runSql(const QSqlDatabase &db, const QString &sql, SqlBinds binds = {});
QSqlQuery runSql(const QSqlDatabase &db, const QString &sql,
                 const QList<std::pair<QString, QVariant>> &binds);

// A transaction that rolls back unless committed. On SQLite it starts with BEGIN IMMEDIATE so
// that concurrent writers queue on the lock instead of failing when they upgrade.
class SqlTransaction
{
public:
    enum Mode { Write, Snapshot };
    // Snapshot: a read-only transaction whose statements all see one state of the database.
    explicit SqlTransaction(const QSqlDatabase &db, Mode mode = Write);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    void commit();

private:
    QSqlDatabase m_db;
    Mode m_mode;
    bool m_open = false;
};
