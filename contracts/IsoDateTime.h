#pragma once

#include <QDateTime>
#include <QStringView>

#include <optional>

namespace contracts {

// Reads the one shape packets carry, a local date-time with milliseconds
// ("2026-12-07T10:15:00.000"), as QDateTime::fromString(text, Qt::ISODateWithMs) reads it but
// without its general parser. Any other shape gives nothing: the caller falls back to Qt.
std::optional<QDateTime> readIsoLocalDateTime(QStringView text);

// Names the system's default time zone in TZ when TZ is unset. With TZ unset, the C library
// checks the zone file again (a stat call) at every local-time conversion, which made reading
// date-times the dearest part of a packet; with it named, the file is read once. Must run before
// any thread starts: it is called during static initialisation.
void pinLocalTimeZone();

} // namespace contracts
