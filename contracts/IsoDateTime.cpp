#include "IsoDateTime.h"

#include <cstdlib>

namespace contracts {

namespace {

// The value of `count` decimal digits at `pos`, or -1 when one of them is not a digit.
int digits(QStringView text, qsizetype pos, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

std::optional<QDateTime> readIsoLocalDateTime(QStringView text)
{
    // yyyy-MM-ddTHH:mm:ss.zzz
    if (text.size() != 23 || text[4] != u'-' || text[7] != u'-' || text[10] != u'T'
        || text[13] != u':' || text[16] != u':' || text[19] != u'.')
        return std::nullopt;
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2), minute = digits(text, 14, 2),
              second = digits(text, 17, 2), msec = digits(text, 20, 3);
    // Hour 24 (the end of a day) and invalid dates are left to Qt's parser.
    if (year < 0 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59 || msec < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(hour, minute, second, msec));
}

void pinLocalTimeZone()
{
    // ":/etc/localtime" is the C library's own default, spelled out; Qt reads it as the system
    // zone too.
    if (!qEnvironmentVariableIsSet("TZ"))
        setenv("TZ", ":/etc/localtime", 0);
}

} // namespace contracts
