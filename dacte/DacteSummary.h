#pragma once

#include "DacteData.h"

namespace dacte {

// The cargo's quantities as the DACTE shows them: the three weights in kilograms, the cubic
// volume and the number of units, summed over the quantity rows (cUnid, tpMed, qCarga) of one
// document. Weights in tonnes count 1000 kg; a weight in any other unit counts nothing.
struct CargoSummary
{
    double grossKg = 0;
    double taxableKg = 0;
    double measuredKg = 0;
    double cubicMetres = 0;
    double units = 0;
};
CargoSummary cargoSummary(const QList<Row> &quantityRows);

// A quantity as the report's text fields hold it: two decimals, "." and no grouping.
QString twoDecimals(double value);
// A "." decimal text as a number (0 when it is not one).
double decimalOf(const QString &text);

// Where the n-th (0-based) referenced document goes in a list laid out `perLine` to a line and
// `linesPerPage` lines to a page; lines and pages count from 1.
struct DocumentPlace
{
    int line = 1;
    int column = 1;
    int page = 1;
};
DocumentPlace documentPlace(int index, int perLine, int linesPerPage);
// The pages `count` documents take (none for no document).
int documentPages(int count, int perLine, int linesPerPage);

} // namespace dacte
