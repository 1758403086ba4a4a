#pragma once

#include <QDateTime>
#include <QString>

// Brazil's states keep fixed offsets from UTC (no summer time since 2019). The emission moment of
// a document is the issuer's: what the user typed is the issuer's wall clock.
namespace issuerclock {

// "-03:00", "-04:00" (AM, MT, MS, RO, RR) or "-05:00" (AC); "-03:00" for anything unknown.
QString utcOffset(const QString &uf);
int utcOffsetSeconds(const QString &uf);

// What a clock in state `uf` shows now, without time zone, as the editor stores it.
QDateTime wallClockNow(const QString &uf);

} // namespace issuerclock
