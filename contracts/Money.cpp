#include "Money.h"

#include <QLocale>
#include <QtNumeric>

#include <cmath>
#include <stdexcept>

namespace money {

namespace {

constexpr int kMaxScale = 8;

qint64 pow10(int n)
{
    qint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

qint64 checkedMul(qint64 a, qint64 b)
{
    qint64 r = 0;
    if (qMulOverflow(a, b, &r))
        throw std::overflow_error("money: value out of range");
    return r;
}

// numerator / denominator rounded half away from zero; denominator > 0.
qint64 divideHalfUp(qint64 numerator, qint64 denominator)
{
    const qint64 q = numerator / denominator;
    const qint64 r = numerator % denominator;
    const qint64 twice = checkedMul(r < 0 ? -r : r, 2);
    if (twice >= denominator)
        return numerator < 0 ? q - 1 : q + 1;
    return q;
}

std::optional<Decimal> parse(const QString &text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool negative = false;
    if (t.front() == u'-' || t.front() == u'+') {
        negative = t.front() == u'-';
        t.remove(0, 1);
    }
    const qsizetype dot = t.indexOf(u'.');
    QString digits = dot < 0 ? t : t.left(dot) + t.mid(dot + 1);
    int scale = dot < 0 ? 0 : int(t.size() - dot - 1);
    if (digits.isEmpty() || t.count(u'.') > 1)
        return std::nullopt;
    for (const QChar c : std::as_const(digits)) {
        if (!c.isDigit() || c.unicode() > 127)
            return std::nullopt;
    }
    // Trailing zeros of the fraction say nothing ("12.00" is 12).
    while (scale > 0 && digits.endsWith(u'0')) {
        digits.chop(1);
        --scale;
    }
    if (scale > kMaxScale || digits.size() > 18)
        return std::nullopt;
    bool ok = false;
    const qint64 units = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return Decimal {negative ? -units : units, scale};
}

} // namespace

std::optional<Decimal> decimalOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return Decimal {value.toLongLong(), 0};
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!qIsFinite(d))
            return std::nullopt;
        // The shortest text that reads back as the same double: what the user typed.
        return parse(QString::number(d, 'f', QLocale::FloatingPointShortest));
    }
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return parse(value.toString());
    default:
        return std::nullopt;
    }
}

std::optional<Cents> centsOf(const QVariant &value)
{
    const auto d = decimalOf(value);
    if (!d || d->scale > 2)
        return std::nullopt;
    qint64 cents = 0;
    if (qMulOverflow(d->units, pow10(2 - d->scale), &cents))
        return std::nullopt;
    return cents;
}

Cents percentOf(Cents base, const Decimal &percent)
{
    return divideHalfUp(checkedMul(base, percent.units), checkedMul(100, pow10(percent.scale)));
}

Cents reducedBy(Cents base, const Decimal &percent)
{
    const qint64 whole = checkedMul(100, pow10(percent.scale));
    return divideHalfUp(checkedMul(base, whole - percent.units), whole);
}

double toDouble(Cents cents)
{
    return double(cents) / 100.0;
}

double toDouble(const Decimal &d)
{
    return double(d.units) / double(pow10(d.scale));
}

} // namespace money
