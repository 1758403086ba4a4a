#pragma once

#include <QString>

namespace contracts {
// The texts of the contracts' own errors, by key (catalogue in ContractMessages.cpp).
QString contractMsg(const char *key);
} // namespace contracts
