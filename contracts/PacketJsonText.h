#pragma once

#include "DataPacket.h"
#include "JsonScanner.h"

namespace contracts {

// A packet's JSON object read from `in` (see readPacketJsonText); nothing when the text is not
// in the written shape or not sound, and `in` is then left anywhere.
std::optional<DataPacket> readPacket(jsontext::Scanner &in);

} // namespace contracts
