#pragma once

#include "DacteData.h"

class QObject;
class QPrinter;

namespace dacte {

// The report engine's definition of the DACTE ("DFS890"): it reads the report window's sets
// through their data sources (dts + "DACTe" + set name) and shows them in a print preview drawn
// by the same code as the PDF, from which the user prints.
inline constexpr char16_t kReportCode[] = u"DFS890";
void registerDacteReport();

// The sets as the window's data sources hold them.
DacteData dataFromSources(const QObject &form);
// Every page on `printer` (the preview's or a real one).
void printDacte(QPrinter &printer, const DacteData &data);

} // namespace dacte
