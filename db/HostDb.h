#pragma once

#include <QSqlDatabase>
#include <QStringList>

// The host database's reference tables (companies, state registrations, clients, suppliers,
// places, products, operation types, messages) and their demo content, for the cte-db command,
// the server's set-up and the tests. Every function raises MensErro with the database's own
// text when a statement fails. On PostgreSQL the tables go to the connection's current schema.
namespace HostDb {

// The host tables in the order they are created (referenced tables first).
QStringList HostTableNames();

// The host tables that already exist in the database (upper case, creation order).
QStringList ExistingHostTables(const QSqlDatabase &db);

// Creates every host table and index (sql/host-schema.sql), in one transaction.
void CreateHostSchema(QSqlDatabase db);

// Drops the host tables that exist (PostgreSQL: with whatever depends on them).
void DropHostSchema(QSqlDatabase db);

// Loads the demo content into empty host tables, in one transaction: the 27 states and 5,570
// municipalities of data/ibge-municipios.csv, then sql/host-demo.sql.
void LoadHostDemoData(QSqlDatabase db);

// Creates every host table and loads the demo content in one transaction: a failure (a full
// disk, an interruption) leaves no table behind.
void CreateHostSchemaWithDemo(QSqlDatabase db);

// Whether every host table exists and holds no row (a creation without its demo content).
bool HostTablesEmpty(const QSqlDatabase &db);

// Number of rows of each host table, in creation order ("TABLE" -> rows).
QList<QPair<QString, int>> HostRowCounts(const QSqlDatabase &db);

// PostgreSQL: creates `schema` when missing (letters, digits and '_' only).
void CreatePgSchema(QSqlDatabase db, const QString &schema);

} // namespace HostDb
