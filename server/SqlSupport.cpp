#include "SqlSupport.h"

#include "DbConnection.h"
#include "Exceptions.h"
#include "LogText.h"
#include "ServerError.h"
#include "ServerMessages.h"

#include <QDebug>
#include <QSqlError>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {
QString g_connectionString;
// Whether the calling thread has sent COMMIT for a write transaction since its call began.
thread_local bool t_writeCommitSent = false;

QString connectionNameOfThread()
{
    return u"cte-server-%1"_s.arg(quintptr(QThread::currentThreadId()));
}

[[noreturn]] void raiseSqlError(const QSqlQuery &query, const QString &sql)
{
    throw DatabaseError(
        srvMsg("BANCO_FALHA"),
        u"%1 (statement: %2)"_s.arg(query.lastError().text(), sql.simplified().left(200)));
}

void dropWorkerConnection()
{
    const QString name = connectionNameOfThread();
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Whether the thread's connection still reaches its database.
bool connectionAlive()
{
    const QString name = connectionNameOfThread();
    if (!QSqlDatabase::contains(name))
        return false;
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (!db.isOpen())
        return false;
    QSqlQuery probe(db);
    return probe.exec(u"SELECT 1"_s) && probe.next();
}
} // namespace

void setServerConnectionString(const QString &connectionString)
{
    g_connectionString = connectionString;
}

const QString &serverConnectionString()
{
    return g_connectionString;
}

QSqlDatabase workerDatabase()
{
    try {
        return OpenConnection(g_connectionString, connectionNameOfThread());
    } catch (const DatabaseError &) {
        throw;
    } catch (const EMensErro &e) {
        throw DatabaseError(srvMsg("BANCO_INDISPONIVEL"), e.text());
    }
}

void runWithReconnect(const std::function<void(const QSqlDatabase &)> &body)
{
    t_writeCommitSent = false;
    try {
        body(workerDatabase());
        return;
    } catch (const DatabaseError &e) {
        if (t_writeCommitSent || connectionAlive())
            throw;
        qWarning().noquote() << logtext::fields(
            {{"database", u"connection lost, opening it again"_s}, {"detail", e.detail()}});
    }
    dropWorkerConnection();
    t_writeCommitSent = false;
    body(workerDatabase());
}

bool isPostgres(const QSqlDatabase &db)
{
    return DbKind(db) == TDbKind::PostgreSQL;
}

QSqlQuery runSql(const QSqlDatabase &db, const QString &sql, SqlBinds binds)
{
    QList<std::pair<QString, QVariant>> list;
    for (const auto &[name, value] : binds)
        list.append({QString::fromUtf16(name), value});
    return runSql(db, sql, list);
}

QSqlQuery runSql(const QSqlDatabase &db, const QString &sql,
                 const QList<std::pair<QString, QVariant>> &binds)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // PostgreSQL cannot prepare DDL: statements without parameters run directly.
    if (binds.isEmpty()) {
        if (!query.exec(sql))
            raiseSqlError(query, sql);
        return query;
    }
    if (!query.prepare(sql))
        raiseSqlError(query, sql);
    for (const auto &[name, value] : binds)
        query.bindValue(name, value);
    if (!query.exec())
        raiseSqlError(query, sql);
    return query;
}

SqlTransaction::SqlTransaction(const QSqlDatabase &db, Mode mode)
    : m_db(db)
    , m_mode(mode)
{
    QSqlQuery begin(m_db);
    QString sql;
    if (isPostgres(m_db))
        sql = mode == Write ? u"BEGIN"_s : u"BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"_s;
    else
        sql = mode == Write ? u"BEGIN IMMEDIATE"_s : u"BEGIN"_s;
    const bool ok = begin.exec(sql);
    if (!ok)
        raiseSqlError(begin, u"BEGIN"_s);
    m_open = true;
}

SqlTransaction::~SqlTransaction()
{
    if (m_open) {
        QSqlQuery rollback(m_db);
        rollback.exec(u"ROLLBACK"_s);
    }
}

void SqlTransaction::commit()
{
    if (m_mode == Write)
        t_writeCommitSent = true;
    QSqlQuery commit(m_db);
    if (!commit.exec(u"COMMIT"_s))
        raiseSqlError(commit, u"COMMIT"_s);
    m_open = false;
}
