#pragma once

#include "DataPacket.h"

#include <QSqlQuery>

// Builds packets from query results and binds packet values to statements.
namespace packetsql {

// Rows of `query` (its columns in the order of `fields`, from `firstColumn`) as packet rows.
// `prefix` values come before each row (the list's client-only columns such as IDCHECK).
contracts::DataPacket fromQuery(QSqlQuery &query, const QList<contracts::FieldDef> &fields,
                                const contracts::Row &prefix = {},
                                const QList<contracts::FieldDef> &prefixFields = {});

// One value read from the database as the value of its field (keys as whole numbers, dates from
// text on SQLite, exact decimals from text on PostgreSQL).
QVariant readValue(const QVariant &stored, const contracts::FieldDef &field);

// A value ready to bind to the field's column (typed null when empty).
QVariant bindValue(const QVariant &value, const contracts::FieldDef &field);

// Whether a value a client holds equals the stored one, by the field's type.
bool sameValue(const QVariant &client, const QVariant &stored, const contracts::FieldDef &field);

// "CDCTE, CDEMPRESA, …" for a SELECT, optionally with a table alias.
QString columnList(const QList<contracts::FieldDef> &fields, const QString &alias = {});

// Removes punctuation from a registration, as the editor compares them.
QString sqlWithoutPunctuation(const QString &column);

} // namespace packetsql
