#include "SelectionList.h"

using namespace Qt::StringLiterals;

namespace contracts {

QString joinSelectionList(const QStringList &keys)
{
    QStringList quoted;
    quoted.reserve(keys.size());
    for (const QString &key : keys)
        quoted.append(u'\'' + key + u'\'');
    return quoted.join(u',');
}

QStringList splitSelectionList(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    QStringList keys;
    if (text.trimmed().isEmpty())
        return keys;
    for (const QString &piece : text.split(u',')) {
        const QString item = piece.trimmed();
        if (item.size() < 2 || !item.startsWith(u'\'') || !item.endsWith(u'\'')
            || item.mid(1, item.size() - 2).contains(u'\'')) {
            if (ok)
                *ok = false;
            return {};
        }
        keys.append(item.mid(1, item.size() - 2));
    }
    return keys;
}

} // namespace contracts
