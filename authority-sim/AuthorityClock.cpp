#include "AuthorityClock.h"

#include <QTimeZone>

#include <atomic>

using namespace Qt::StringLiterals;

namespace authorityclock {

namespace {
std::atomic<qint64> offset {0};
}

void setOffsetSeconds(qint64 seconds)
{
    offset = seconds;
}

QDateTime now()
{
    return QDateTime::currentDateTimeUtc().addSecs(offset.load());
}

QString format(const QDateTime &moment)
{
    const QDateTime local = moment.toTimeZone(QTimeZone(-3 * 3600));
    return local.toString(u"yyyy-MM-ddTHH:mm:ss"_s) + u"-03:00"_s;
}

QDateTime parse(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}

} // namespace authorityclock
