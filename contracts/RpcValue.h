#pragma once

#include <QJsonValue>
#include <QString>
#include <QVariant>

#include <optional>

// Values that travel in RPC bodies and replies. Plain JSON carries null, booleans, numbers, text
// and arrays; tagged objects carry the rest:
//   {"$date": "2026-12-07"}, {"$datetime": "2026-12-07T10:15:00.000"},
//   {"$packet": <data packet>}, {"$delta": <delta>}     (docs/packets.md, docs/rpc.md)
namespace contracts {

QJsonValue toJson(const QVariant &value);
// The compact JSON text of toJson(value), written straight into `out` (replies with large
// packets would otherwise go through a JSON tree first).
void appendJson(QByteArray &out, const QVariant &value);

// Reads a value; an untagged object or a malformed tagged one gives nothing and `error` says why.
std::optional<QVariant> fromJson(const QJsonValue &json, QString *error);

} // namespace contracts
