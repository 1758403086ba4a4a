#pragma once

#include <QString>

class TMessages;

// Fills `catalogue` from the package's catalogue file `name` (module/catalogues/<name>.msg,
// compiled into the package as a resource), e.g. "Cli_Dfs88100_msgPadrao".
void CarregaCatalogo(TMessages *catalogue, const QString &name);
