#pragma once

#include "DacteData.h"

#include <QByteArray>

namespace dacte {

// The sets of the authorised CT-e `cteXml` (the signed CTe, or a cteProc holding it) and its
// authority protocol `protocolXml` (protCTe; may be empty when cteXml holds it). Elements the
// document does not have give empty sets; text is taken as it stands. Throws nothing: an
// unreadable XML gives what could be read before the fault, and `error` says why.
DacteData readDacteXml(const QByteArray &cteXml, const QByteArray &protocolXml, double cdCte,
                       QString *error = nullptr);

} // namespace dacte
