#include "HostDb.h"

#include "DbConnection.h"
#include "Exceptions.h"
#include "HostDbMessages.h"
#include "SqlScript.h"

#include <QFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace HostDb {

namespace {

QString resourceText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        MensErro(HostDbMsg(u"HOSTDB_RECURSO"_s).arg(path));
    return QString::fromUtf8(file.readAll());
}

[[noreturn]] void raiseSql(const QString &statement, const QSqlError &error)
{
    const QString head = statement.simplified().left(60);
    const QString text
        = error.databaseText().trimmed().isEmpty() ? error.text() : error.databaseText().trimmed();
    MensErro(HostDbMsg(u"HOSTDB_ERRO_SQL"_s).arg(head, text));
}

void exec(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery q(db);
    if (!q.exec(statement))
        raiseSql(statement, q.lastError());
}

// Runs `body` in a transaction: committed when it returns, rolled back when it raises.
template<typename Body>
void inTransaction(QSqlDatabase &db, Body body)
{
    if (!db.transaction())
        raiseSql(u"BEGIN"_s, db.lastError());
    try {
        body();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        raiseSql(u"COMMIT"_s, db.lastError());
}

// Inserts `rows` into `table` with multi-row parameterised INSERTs (a few hundred rows each:
// one round trip per batch instead of per row).
void insertRows(QSqlDatabase &db, const QString &table, const QStringList &columns,
                const QList<QVariantList> &rows)
{
    constexpr int batch = 250;
    const QString rowMarks = u"("_s + QStringList(columns.size(), u"?"_s).join(u", "_s) + u")"_s;
    for (qsizetype start = 0; start < rows.size(); start += batch) {
        const qsizetype count = qMin<qsizetype>(batch, rows.size() - start);
        const QString sql = u"INSERT INTO %1 (%2) VALUES %3"_s.arg(
            table, columns.join(u", "_s), QStringList(count, rowMarks).join(u", "_s));
        QSqlQuery q(db);
        if (!q.prepare(sql))
            raiseSql(sql, q.lastError());
        int position = 0;
        for (qsizetype r = start; r < start + count; ++r) {
            for (const QVariant &value : rows.at(r))
                q.bindValue(position++, value);
        }
        if (!q.exec())
            raiseSql(sql, q.lastError());
    }
}

// States and municipalities of Brazil from the statistics office's table. The host's
// municipality code is the four digits between the state code and the check digit, unique
// within a state.
void loadBrazilianPlaces(QSqlDatabase &db)
{
    const QStringList lines = resourceText(u":/hostdb/ibge-municipios.csv"_s).split(u'\n');
    QList<QVariantList> states;
    QList<QVariantList> municipalities;
    QSet<QString> seenStates;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cols = lines.at(i).trimmed().split(u',');
        if (cols.size() != 5)
            continue;
        const QString &ibge = cols.at(0);
        const QString &state = cols.at(2);
        if (!seenStates.contains(state)) {
            seenStates.insert(state);
            states.append({u"1058"_s, state, cols.at(4), cols.at(3)});
        }
        municipalities.append({u"1058"_s, state, ibge.mid(2, 4), cols.at(1), ibge});
    }
    insertRows(db, u"ESTADO"_s, {u"CDPAIS"_s, u"SGESTADO"_s, u"NMESTADO"_s, u"CDESTADOIBGE"_s},
               states);
    insertRows(db, u"MUNICIPIO"_s,
               {u"CDPAIS"_s, u"SGESTADO"_s, u"CDMUNICIPIO"_s, u"NMMUNICIPIO"_s, u"CDMUNICIBGE"_s},
               municipalities);
}

} // namespace

QStringList HostTableNames()
{
    return {u"PAIS"_s,       u"ESTADO"_s,   u"MUNICIPIO"_s,   u"EMPRESA"_s,
            u"INSCRESTAD"_s, u"CLIENTE"_s,  u"FORNECEDOR"_s,  u"PRODUTO"_s,
            u"TIPOOPERAC"_s, u"MENSAGEM"_s, u"TRIBSERVICO"_s, u"TRIBSERVICOMENS"_s};
}

QStringList ExistingHostTables(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    const bool ok = DbKind(db) == TDbKind::PostgreSQL
        ? q.exec(u"SELECT table_name FROM information_schema.tables "
                 "WHERE table_schema = current_schema()"_s)
        : q.exec(u"SELECT name FROM sqlite_master WHERE type = 'table'"_s);
    if (!ok)
        raiseSql(q.lastQuery(), q.lastError());
    QSet<QString> present;
    while (q.next())
        present.insert(q.value(0).toString().toUpper());
    QStringList existing;
    for (const QString &table : HostTableNames()) {
        if (present.contains(table))
            existing.append(table);
    }
    return existing;
}

namespace {

void createTables(QSqlDatabase &db)
{
    for (const QString &statement : SplitSqlScript(resourceText(u":/hostdb/host-schema.sql"_s)))
        exec(db, statement);
}

void loadDemo(QSqlDatabase &db)
{
    const QStringList statements = SplitSqlScript(resourceText(u":/hostdb/host-demo.sql"_s));
    // Countries come first in the script; Brazil's places need Brazil.
    qsizetype next = 0;
    for (; next < statements.size()
         && statements.at(next).startsWith(u"INSERT INTO PAIS "_s, Qt::CaseInsensitive);
         ++next)
        exec(db, statements.at(next));
    loadBrazilianPlaces(db);
    for (; next < statements.size(); ++next)
        exec(db, statements.at(next));
}

} // namespace

void CreateHostSchema(QSqlDatabase db)
{
    inTransaction(db, [&] { createTables(db); });
}

void CreateHostSchemaWithDemo(QSqlDatabase db)
{
    inTransaction(db, [&] {
        createTables(db);
        loadDemo(db);
    });
}

bool HostTablesEmpty(const QSqlDatabase &db)
{
    if (ExistingHostTables(db).size() != HostTableNames().size())
        return false;
    for (const auto &[table, rows] : HostRowCounts(db)) {
        if (rows > 0)
            return false;
    }
    return true;
}

void DropHostSchema(QSqlDatabase db)
{
    const QStringList existing = ExistingHostTables(db);
    const bool pg = DbKind(db) == TDbKind::PostgreSQL;
    inTransaction(db, [&] {
        for (auto it = existing.crbegin(); it != existing.crend(); ++it)
            exec(db, u"DROP TABLE %1%2"_s.arg(*it, pg ? u" CASCADE"_s : QString()));
    });
}

void LoadHostDemoData(QSqlDatabase db)
{
    inTransaction(db, [&] { loadDemo(db); });
}

QList<QPair<QString, int>> HostRowCounts(const QSqlDatabase &db)
{
    QList<QPair<QString, int>> counts;
    for (const QString &table : HostTableNames()) {
        QSqlQuery q(db);
        const QString sql = u"SELECT COUNT(*) FROM %1"_s.arg(table);
        if (!q.exec(sql) || !q.next())
            raiseSql(sql, q.lastError());
        counts.append({table, q.value(0).toInt()});
    }
    return counts;
}

void CreatePgSchema(QSqlDatabase db, const QString &schema)
{
    for (const QChar c : schema) {
        if (!(c.isLetterOrNumber() || c == u'_'))
            MensErro(HostDbMsg(u"HOSTDB_ESQUEMA_INVALIDO"_s).arg(schema));
    }
    if (schema.isEmpty())
        MensErro(HostDbMsg(u"HOSTDB_ESQUEMA_INVALIDO"_s).arg(schema));
    QSqlQuery q(db);
    q.prepare(u"SELECT 1 FROM pg_namespace WHERE nspname = ?"_s);
    q.addBindValue(schema);
    if (!q.exec())
        raiseSql(q.lastQuery(), q.lastError());
    if (q.next())
        return;
    // The name was checked to be letters, digits and '_' only.
    exec(db, u"CREATE SCHEMA %1"_s.arg(schema));
}

} // namespace HostDb
