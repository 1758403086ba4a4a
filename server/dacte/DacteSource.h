#pragma once

#include "DacteData.h"

#include <QSqlDatabase>

#include <optional>

// The DACTE's sets of a stored document, read from its authorised XML and protocol as stored.
struct DacteSource
{
    QString status; // IDSTATUSCTE
    QString accessKey;
    dacte::DacteData data;
};

// Nothing when the document does not exist; the sets are empty when it holds no XML.
std::optional<DacteSource> loadDacteSource(const QSqlDatabase &db, qint64 cdCte);

// Only an accepted or a cancelled document has a DACTE.
bool hasDacte(const QString &status);

// The server's texts of the DACTE by key.
QString dacteSrvMsg(const char *key);
