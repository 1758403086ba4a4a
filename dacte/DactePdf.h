#pragma once

#include "DacteData.h"

#include <QByteArray>

namespace dacte {

// One PDF holding the pages of `documents` in order, each in its own orientation, fonts embedded.
QByteArray dactePdf(const QList<DacteData> &documents);

} // namespace dacte
