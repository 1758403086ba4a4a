#include "IssuerClock.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace issuerclock {

int utcOffsetSeconds(const QString &uf)
{
    const QString state = uf.trimmed().toUpper();
    if (state == u"AC")
        return -5 * 3600;
    for (const char16_t *west : {u"AM", u"MT", u"MS", u"RO", u"RR"}) {
        if (state == QStringView(west))
            return -4 * 3600;
    }
    return -3 * 3600;
}

QString utcOffset(const QString &uf)
{
    const int minutes = utcOffsetSeconds(uf) / 60;
    return QString::asprintf("%c%02d:%02d", minutes < 0 ? '-' : '+', std::abs(minutes) / 60,
                             std::abs(minutes) % 60);
}

QDateTime wallClockNow(const QString &uf)
{
    const QDateTime there
        = QDateTime::currentDateTimeUtc().toTimeZone(QTimeZone(utcOffsetSeconds(uf)));
    return QDateTime(there.date(), there.time());
}

} // namespace issuerclock
