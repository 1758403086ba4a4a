#pragma once

#include "DataPacket.h"

#include <QSqlDatabase>

#include <optional>

// The rows of a long list read straight through SQLite's own interface on the connection's
// handle and written at once as the packet's JSON text. Through the Qt driver every value is
// copied through two result caches, a QVariant and a QString, then written and freed: for ten
// thousand documents that is most of the list's time.
namespace sqliterows {

// Runs `sql` with its named binds on `db` (which must be SQLite) and writes its rows as the
// text of a packet of `fields`, each row after the `prefix` values: the bytes appendPacketJson
// would write for the packet packetsql::fromQuery builds. Failures raise DatabaseError. Empty
// when the connection's handle cannot be reached, so the caller reads through the driver.
std::optional<contracts::PacketText>
readAsText(const QSqlDatabase &db, const QString &sql,
           const QList<std::pair<QString, QVariant>> &binds,
           const QList<contracts::FieldDef> &fields, const contracts::Row &prefix = {},
           const QList<contracts::FieldDef> &prefixFields = {});

} // namespace sqliterows
