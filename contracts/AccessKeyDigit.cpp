#include "AccessKeyDigit.h"

#include <algorithm>

int AccessKeyCheckDigit(QStringView digits)
{
    int total = 0;
    for (qsizetype k = 0; k < digits.size(); ++k)
        total += digits.at(digits.size() - 1 - k).digitValue() * int(2 + k % 8);
    const int rest = total % 11;
    return rest <= 1 ? 0 : 11 - rest;
}

bool AccessKeyChecks(QStringView key)
{
    const bool digits
        = std::all_of(key.begin(), key.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return key.size() == 44 && digits
        && AccessKeyCheckDigit(key.first(43)) == key.at(43).digitValue();
}
