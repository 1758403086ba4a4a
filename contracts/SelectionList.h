#pragma once

#include <QString>
#include <QStringList>

// The text of a multi-selection list (the keys a user ticked in a look-up list), as stored by the
// windows and read by the server: the keys in the order chosen, each between single quotes,
// separated by commas: 'S01','S05'. A key may not contain a quote or a comma; an empty list is an
// empty text.
namespace contracts {

QString joinSelectionList(const QStringList &keys);

// The keys of a list text; nothing when the text is not such a list (`ok` false).
QStringList splitSelectionList(const QString &text, bool *ok = nullptr);

} // namespace contracts
