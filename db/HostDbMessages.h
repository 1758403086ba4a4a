#pragma once

#include <QString>

// The texts of the host database tools, by key ("HOSTDB_..." lines of HostDbMessages.cpp).
QString HostDbMsg(const QString &key);
