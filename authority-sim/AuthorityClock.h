#pragma once

#include <QDateTime>
#include <QString>

// The stand-in's clock. An offset set at start-up lets a developer or a test run the service
// as if at another moment (to age documents past a deadline, for example).
namespace authorityclock {

void setOffsetSeconds(qint64 seconds);
QDateTime now();
// The authority's date-time form: local time of Brasília with its offset (TDateTimeUTC).
QString format(const QDateTime &moment);
// A date-time in that form (any offset); invalid when it is not one.
QDateTime parse(const QString &text);

} // namespace authorityclock
