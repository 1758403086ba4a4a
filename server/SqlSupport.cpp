#include "SqlSupport.h"

#include "DbConnection.h"
#include "Exceptions.h"
#include "LogText.h"
#include "ServerError.h"
#include "ServerMessages.h"

#include <QDebug>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>
#include <QThread>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
QString g_connectionString;
// Whether the calling thread has sent COMMIT for a write transaction since its call began.
thread_local bool t_writeCommitSent = false;
thread_local qint64 t_statements = 0;

// A prepared statement of the thread's worker connection, kept between calls.
struct KeptStatement
{
    QSqlQuery query;
    bool busy = false;
    quint64 lastUse = 0;
};

// The worker connection's prepared statements by text. A text in use by a query still open
// gets a second statement. Texts vary with the list's criteria, so the least used go beyond a
// bound.
struct StatementCache
{
    static constexpr int kMaxStatements = 256;
    const QSqlDriver *driver = nullptr;
    QHash<QString, std::vector<std::shared_ptr<KeptStatement>>> byText;
    int size = 0;
    quint64 clock = 0;

    void clear()
    {
        byText.clear();
        size = 0;
        driver = nullptr;
    }
    void forget(const QString &sql, const std::shared_ptr<KeptStatement> &statement)
    {
        auto &list = byText[sql];
        std::erase(list, statement);
        if (list.empty())
            byText.remove(sql);
        --size;
    }
    void evictLeastUsed()
    {
        QString oldestText;
        std::shared_ptr<KeptStatement> oldest;
        for (auto it = byText.cbegin(); it != byText.cend(); ++it) {
            for (const auto &s : it.value()) {
                if (!s->busy && (!oldest || s->lastUse < oldest->lastUse)) {
                    oldest = s;
                    oldestText = it.key();
                }
            }
        }
        if (oldest)
            forget(oldestText, oldest);
    }
};
thread_local StatementCache t_kept;

// What a caller of runSql holds for a kept statement: a result that reads through it and hands
// it back, its rows released, when the caller's query goes.
class KeptResult : public QSqlResult
{
public:
    explicit KeptResult(std::shared_ptr<KeptStatement> statement)
        : QSqlResult(statement->query.driver())
        , m_statement(std::move(statement))
    {
        const QSqlQuery &q = m_statement->query;
        setQuery(q.lastQuery());
        setForwardOnly(true);
        setSelect(q.isSelect());
        setActive(true);
        setAt(QSql::BeforeFirstRow);
    }
    ~KeptResult() override
    {
        m_statement->query.finish();
        m_statement->busy = false;
    }

protected:
    QVariant data(int i) override { return m_statement->query.value(i); }
    bool isNull(int i) override { return m_statement->query.isNull(i); }
    bool reset(const QString &) override { return false; }
    bool fetch(int i) override { return moved(m_statement->query.seek(i), i); }
    bool fetchFirst() override { return moved(m_statement->query.next(), 0); }
    bool fetchNext() override { return moved(m_statement->query.next(), at() + 1); }
    bool fetchLast() override { return false; }
    int size() override { return m_statement->query.size(); }
    int numRowsAffected() override { return m_statement->query.numRowsAffected(); }
    QSqlRecord record() const override { return m_statement->query.record(); }
    QVariant lastInsertId() const override { return m_statement->query.lastInsertId(); }
    void detachFromResultSet() override { m_statement->query.finish(); }

private:
    bool moved(bool ok, int row)
    {
        setAt(ok ? row : int(QSql::AfterLastRow));
        return ok;
    }

    std::shared_ptr<KeptStatement> m_statement;
};

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
    t_kept.clear();
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

qint64 statementsSent()
{
    return t_statements;
}

void noteStatementSent()
{
    ++t_statements;
}

namespace {

// Runs `sql` on a statement of the worker connection prepared once and kept.
QSqlQuery runKept(const QSqlDatabase &db, const QString &sql,
                  const QList<std::pair<QString, QVariant>> &binds)
{
    if (t_kept.driver != db.driver()) {
        t_kept.clear();
        t_kept.driver = db.driver();
    }
    std::shared_ptr<KeptStatement> statement;
    auto found = t_kept.byText.find(sql);
    if (found != t_kept.byText.end()) {
        for (const auto &s : found.value()) {
            if (!s->busy) {
                statement = s;
                break;
            }
        }
    }
    if (!statement) {
        if (t_kept.size >= StatementCache::kMaxStatements)
            t_kept.evictLeastUsed();
        statement = std::make_shared<KeptStatement>(KeptStatement {QSqlQuery(db)});
        statement->query.setForwardOnly(true);
        ++t_statements;
        if (!statement->query.prepare(sql))
            raiseSqlError(statement->query, sql);
        t_kept.byText[sql].push_back(statement);
        ++t_kept.size;
    }
    statement->lastUse = ++t_kept.clock;
    for (const auto &[name, value] : binds)
        statement->query.bindValue(name, value);
    ++t_statements;
    if (!statement->query.exec()) {
        // Prepared anew next time: the failure may be the statement's own (a table changed
        // under it).
        const QSqlQuery failed = std::move(statement->query);
        t_kept.forget(sql, statement);
        raiseSqlError(failed, sql);
    }
    statement->busy = true;
    return QSqlQuery(new KeptResult(statement));
}

} // namespace

QSqlQuery runSql(const QSqlDatabase &db, const QString &sql,
                 const QList<std::pair<QString, QVariant>> &binds)
{
    // Only the workers' connections keep statements: they live as long as their thread.
    // Statements without parameters are kept too when they read (PostgreSQL cannot prepare
    // DDL).
    if (db.connectionName() == connectionNameOfThread()
        && (!binds.isEmpty() || sql.startsWith(u"SELECT"_s)))
        return runKept(db, sql, binds);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    ++t_statements;
    if (binds.isEmpty()) {
        if (!query.exec(sql))
            raiseSqlError(query, sql);
        return query;
    }
    ++t_statements;
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
    ++t_statements;
    const bool ok = begin.exec(sql);
    if (!ok)
        raiseSqlError(begin, u"BEGIN"_s);
    m_open = true;
}

SqlTransaction::~SqlTransaction()
{
    if (m_open) {
        ++t_statements;
        QSqlQuery rollback(m_db);
        rollback.exec(u"ROLLBACK"_s);
    }
}

void SqlTransaction::commit()
{
    if (m_mode == Write)
        t_writeCommitSent = true;
    QSqlQuery commit(m_db);
    ++t_statements;
    if (!commit.exec(u"COMMIT"_s))
        raiseSqlError(commit, u"COMMIT"_s);
    m_open = false;
}
