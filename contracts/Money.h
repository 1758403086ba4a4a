#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// Money in exact decimal: integer cents, percentages as exact decimals, tax values rounded half
// up to the cent (the authority's rule). Values arrive as doubles on the wire; a double is read
// through its shortest decimal text, so 116.5 is 116.50 and 1000.555 has three decimals.
namespace money {

using Cents = qint64;

// An exact decimal: units × 10^-scale (12 % is {12, 0}, 33.33 % is {3333, 2}).
struct Decimal
{
    qint64 units = 0;
    int scale = 0;

    bool operator==(const Decimal &) const = default;
};

// The decimal a number written as text, a double or an integer stands for; nothing for what is
// not a finite number or has more than 8 decimals.
std::optional<Decimal> decimalOf(const QVariant &value);

// Cents of `value` when it has at most two decimals; nothing otherwise (1000.555, NaN, text).
std::optional<Cents> centsOf(const QVariant &value);

// `base` × `percent` / 100, half up to the cent (away from zero for negatives).
Cents percentOf(Cents base, const Decimal &percent);

// `base` less `percent` of it, half up: the ICMS base after a reduction of the base.
Cents reducedBy(Cents base, const Decimal &percent);

double toDouble(Cents cents);
double toDouble(const Decimal &d);

} // namespace money
