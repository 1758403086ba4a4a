#pragma once

#include <QString>

// The texts of the transmission (catalogue in TransmissionMessages.cpp); they reach the user as
// error texts and as the observations of the per-document result list.
QString txMsg(const char *key);
