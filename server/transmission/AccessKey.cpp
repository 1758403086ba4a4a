#include "AccessKey.h"

#include "AccessKeyDigit.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace accesskey {

namespace {

bool allDigits(QStringView s)
{
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// `value` padded with zeros on the left to `width`, or empty when it does not fit.
QString padded(const QString &value, int width)
{
    if (value.isEmpty() || value.size() > width || !allDigits(value))
        return {};
    return QString(width - value.size(), u'0') + value;
}

} // namespace

int checkDigit(QStringView digits)
{
    return AccessKeyCheckDigit(digits);
}

QString compose(const Parts &p)
{
    const QString pieces[]
        = {padded(p.ufCode, 2),       padded(p.yearMonth, 4),  padded(p.issuerRegistration, 14),
           padded(p.model, 2),        padded(p.series, 3),     padded(p.number, 9),
           padded(p.emissionForm, 1), padded(p.numericCode, 8)};
    QString key;
    key.reserve(44);
    for (const QString &piece : pieces) {
        if (piece.isEmpty())
            return {};
        key += piece;
    }
    return key + QString::number(checkDigit(key));
}

bool isValid(QStringView key)
{
    return AccessKeyChecks(key);
}

QString randomNumericCode(const QString &documentNumber)
{
    const QString number = padded(documentNumber, 8);
    for (;;) {
        const quint32 value = QRandomGenerator::system()->bounded(100000000u);
        const QString code = u"%1"_s.arg(value, 8, 10, QLatin1Char('0'));
        if (code != number)
            return code;
    }
}

} // namespace accesskey
