#include "DacteSummary.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace dacte {

double decimalOf(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? v : 0;
}

QString twoDecimals(double value)
{
    // Half away from zero at the cent, whatever the binary value of the sum.
    const double cents = std::round(value * 100.0 + (value >= 0 ? 1e-9 : -1e-9));
    return QString::number(cents / 100.0, 'f', 2);
}

CargoSummary cargoSummary(const QList<Row> &quantityRows)
{
    CargoSummary s;
    for (const Row &r : quantityRows) {
        const QString unit = r.value(u"cUnid"_s).trimmed();
        const QString kind = r.value(u"tpMed"_s).trimmed().toUpper();
        const double quantity = decimalOf(r.value(u"qCarga"_s));
        const double factor = unit == u"01" ? 1 : unit == u"02" ? 1000 : 0;
        if (kind == u"PESO BRUTO")
            s.grossKg += quantity * factor;
        else if (kind == u"PESO BASE DE CALCULO")
            s.taxableKg += quantity * factor;
        else if (kind == u"PESO AFERIDO")
            s.measuredKg += quantity * factor;
        if (unit == u"00")
            s.cubicMetres += quantity;
        if (unit == u"03")
            s.units += quantity;
    }
    return s;
}

DocumentPlace documentPlace(int index, int perLine, int linesPerPage)
{
    DocumentPlace p;
    p.line = index / perLine + 1;
    p.column = index % perLine + 1;
    p.page = (p.line - 1) / linesPerPage + 1;
    return p;
}

int documentPages(int count, int perLine, int linesPerPage)
{
    return count <= 0 ? 0 : documentPlace(count - 1, perLine, linesPerPage).page;
}

} // namespace dacte
