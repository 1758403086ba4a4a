#pragma once

#include <QString>

// The e-mail's texts by key: what the parties read and what the user is told.
QString mailMsg(const char *key);
