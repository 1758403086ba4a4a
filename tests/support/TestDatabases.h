#pragma once

#include <QString>
#include <QStringList>

// Databases for tests that run the same cases on SQLite and PostgreSQL. PostgreSQL comes from
// the CTest fixture "pgcluster" through CTE_TEST_PG; each test gets a schema of its own there.
namespace TestDatabases {

// The backends a data-driven test runs on: "sqlite", and "postgresql" when CTE_TEST_PG is set.
QStringList Backends();

// The PostgreSQL test database (CTE_TEST_PG), empty when the variable is not set.
QString PgServer();

// A connection string to an empty database of `backend` for the case `name`: a new SQLite file
// in `dir`, or a PostgreSQL schema named after the test program and `name` (dropped first when an
// earlier run left it). Raises MensErro when PostgreSQL cannot be reached.
QString Fresh(const QString &backend, const QString &name, const QString &dir);

} // namespace TestDatabases

class TADOIBQuery;

// Binds `params` ("NAME=value" sets a text, a bare "NAME" a null), opens `query` and returns the
// column `field` of every row, in the order the query gives them.
QStringList OpenAndCollect(TADOIBQuery &query, const QStringList &params, const QString &field);
