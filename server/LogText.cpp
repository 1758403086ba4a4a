#include "LogText.h"

using namespace Qt::StringLiterals;

namespace logtext {

QString escaped(QStringView text, qsizetype maxChars)
{
    QString out;
    out.reserve(std::min(text.size(), maxChars) + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (out.size() >= maxChars) {
            out += u"…"_s;
            break;
        }
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += u"\\\\"_s;
        else if (u == u'\n')
            out += u"\\n"_s;
        else if (u == u'\r')
            out += u"\\r"_s;
        else if (u == u'\t')
            out += u"\\t"_s;
        else if (u < 0x20 || u == 0x7f)
            out += u"\\x%1"_s.arg(int(u), 2, 16, QLatin1Char('0'));
        else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if ((u >= 0x80 && u < 0xa0) || u == 0x2028 || u == 0x2029 || c.isSurrogate()
                   || c.category() == QChar::Other_Format)
            // C1 controls, line separators, lone surrogates and invisible format characters
            // (such as direction overrides) are shown by their code.
            out += u"\\u%1"_s.arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString fields(std::initializer_list<std::pair<const char *, QString>> pairs)
{
    QString line;
    for (const auto &[key, value] : pairs) {
        if (!line.isEmpty())
            line += u' ';
        line += QLatin1StringView(key);
        line += u'=';
        const QString text = escaped(value);
        // A value with a blank could pass for further fields ("x status=200"): it is quoted,
        // and so is one that starts with a quote.
        if (!text.contains(u' ') && !text.startsWith(u'"')) {
            line += text;
            continue;
        }
        line += u'"';
        for (const QChar c : text) {
            if (c == u'"')
                line += u'\\';
            line += c;
        }
        line += u'"';
    }
    return line;
}

} // namespace logtext
