#pragma once

#include <QString>

namespace dacte {

// The DACTE's printed texts by key (catalogue in DacteMessages.cpp); empty for an unknown key.
QString dacteMsg(const QString &key);

} // namespace dacte
