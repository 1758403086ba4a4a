#include "SqlText.h"

using namespace Qt::StringLiterals;

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

TSqlText::TSqlText(const QString &sql)
{
    QString piece;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"') {
            // A quoted literal or identifier; a doubled quote stays inside it.
            qsizetype end = i + 1;
            while (end < n) {
                if (sql.at(end) == c) {
                    if (end + 1 < n && sql.at(end + 1) == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            end = qMin(end + 1, n);
            piece += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            qsizetype end = sql.indexOf(u'\n', i);
            end = end < 0 ? n : end;
            piece += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            qsizetype end = sql.indexOf(u"*/"_s, i + 2);
            end = end < 0 ? n : end + 2;
            piece += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (c == u':' && i + 1 < n && sql.at(i + 1) == u':') {
            piece += u"::"_s;
            i += 2;
        } else if (c == u':' && i + 1 < n && isNameStart(sql.at(i + 1))) {
            qsizetype end = i + 1;
            while (end < n && isNameChar(sql.at(end)))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            m_pieces.append(piece);
            piece.clear();
            m_occurrences.append(name);
            if (!m_names.contains(name, Qt::CaseInsensitive))
                m_names.append(name);
            i = end;
        } else {
            piece += c;
            ++i;
        }
    }
    m_pieces.append(piece);
}

QString TSqlText::Positional(const std::function<QString(int)> &marker) const
{
    if (m_pieces.isEmpty())
        return {};
    QString out = m_pieces.first();
    for (int i = 0; i < m_occurrences.size(); ++i) {
        out += marker ? marker(i) : u"?"_s;
        out += m_pieces.at(i + 1);
    }
    return out;
}
