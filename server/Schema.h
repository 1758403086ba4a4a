#pragma once

#include "DataPacket.h"

#include <QSqlDatabase>
#include <QString>

// The server's own tables: users and sessions, the document store and its child lists, the
// numbering, the value-component register, the host's fiscal documents, the fiscal
// parametrization of services and the transmission batches. The establishments that emit are
// the host's (INSCRESTAD), read with their CT-e settings.
namespace schema {

// Creates the tables or brings them to the current version; safe when several servers start at
// once on one database.
void createOrUpgrade(const QSqlDatabase &db);
int currentVersion();

// A stored list of the document: its table, its dataset name, its key column and its fields
// (without the list's client-only fields).
struct StoredList
{
    QString dataset;
    QString table;
    QString key;
    QList<contracts::FieldDef> fields;
};

// cdsCTe first, then the five child lists in the order of the save call.
const QList<StoredList> &documentLists();

// Float fields kept as whole numbers (keys and register codes).
bool isKeyField(const QString &name);

// The column type that stores a field.
QString columnType(const contracts::FieldDef &field, bool pg);

} // namespace schema
