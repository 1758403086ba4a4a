#pragma once

#include <QString>

// The server's own texts by key (catalogue in ServerMessages.cpp); they reach the user as the
// error texts of replies.
QString srvMsg(const char *key);
