#include "SqlSupport.h"

#include "DbConnection.h"
#include "Exceptions.h"
#include "ServerError.h"
#include "ServerMessages.h"

#include <QSqlError>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {
QString g_connectionString;

QString connectionNameOfThread()
{
    return u"cte-server-%1"_s.arg(quintptr(QThread::currentThreadId()));
}

[[noreturn]] void raiseSqlError(const QSqlQuery &query, const QString &sql)
{
    throw ServerError(
        srvMsg("SQL_FALHA").arg(query.lastError().text(), sql.simplified().left(200)));
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
    return OpenConnection(g_connectionString, connectionNameOfThread());
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
    QSqlQuery commit(m_db);
    if (!commit.exec(u"COMMIT"_s))
        raiseSqlError(commit, u"COMMIT"_s);
    m_open = false;
}
