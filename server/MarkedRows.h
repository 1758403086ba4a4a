#pragma once

#include "DataPacket.h"

#include <QList>
#include <QString>

// The keys (field `keyField`) of the rows a client marked (IDCHECK "S") in a list's packet, each
// once, in list order; raises ServerError with `missingText` when the packet lacks either field.
QList<qint64> markedKeys(const contracts::DataPacket &packet, const QString &keyField,
                         const QString &missingText);
