#pragma once

#include <QString>

#include <QHash>

namespace contracts {
// The texts of the contracts' own errors, by key (catalogue in ContractMessages.cpp).
QString contractMsg(const char *key);

// Reads a catalogue written as UTF-8 lines "KEY|text" into a table by key; lines without a key
// are skipped. Shared by the catalogues compiled into the libraries that have no TMessages.
QHash<QString, QString> parseCatalogue(const char *utf8Lines);
} // namespace contracts
