#pragma once

#include "DataPacket.h"
#include "JsonScanner.h"

#include <QByteArrayView>

#include <optional>

namespace contracts {

// Reads a packet's JSON text straight from the bytes, with no JSON tree in between, when it has
// the shape appendPacketJson writes and is sound. Otherwise nothing: the caller then reads the
// text through QJsonDocument and packetFromJson, which give the same packet or name the fault.
std::optional<DataPacket> readPacketJsonText(QByteArrayView json);

// The same for a packet's JSON object met inside a larger text; `in` is left after it, or
// anywhere when nothing is returned.
std::optional<DataPacket> readPacket(jsontext::Scanner &in);

// Reads an RPC value (RpcValue.h) straight from its JSON text when it holds only plain values
// and packets in the written shape and is sound. Otherwise nothing: the caller then reads it
// through QJsonDocument and fromJson, which give the same value or name the fault.
std::optional<QVariant> readJsonText(QByteArrayView json);

} // namespace contracts
