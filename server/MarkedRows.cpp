#include "MarkedRows.h"

#include "ServerError.h"

using namespace Qt::StringLiterals;

QList<qint64> markedKeys(const contracts::DataPacket &packet, const QString &keyField,
                         const QString &missingText)
{
    const int check = packet.indexOf(u"IDCHECK"_s);
    const int keyIndex = packet.indexOf(keyField);
    if (check < 0 || keyIndex < 0)
        throw ServerError(missingText);
    QList<qint64> keys;
    for (const contracts::Row &row : packet.rows) {
        const qint64 key = qint64(row.at(keyIndex).toDouble());
        if (row.at(check).toString().trimmed() == u"S" && !keys.contains(key))
            keys.append(key);
    }
    return keys;
}
