#pragma once

#include <QString>
#include <QStringList>

// The statements of a SQL script: split at each ';' outside quotes, "--" comments removed,
// blank statements dropped.
QStringList SplitSqlScript(const QString &script);
