#include "JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

#include <cmath>

namespace contracts::jsontext {

namespace {

// Integral doubles up to 2^53 travel as integers (QJsonValue keeps them as such).
constexpr double kMaxExactInteger = 9007199254740992.0;

char hexDigit(uint v)
{
    return char(v < 10 ? '0' + v : 'a' + v - 10);
}

} // namespace

void appendNull(QByteArray &out)
{
    out.append("null", 4);
}

void appendValue(QByteArray &out, const QJsonValue &value)
{
    // A bare scalar is no document: write it inside an array and drop the brackets.
    const QByteArray wrapped = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    out.append(wrapped.constData() + 1, wrapped.size() - 2);
}

void appendString(QByteArray &out, QStringView text)
{
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    bool ascii = true;
    bool plain = true;
    for (const char16_t *p = begin; p != end; ++p) {
        if (*p >= 0x80) {
            ascii = false;
            // Surrogates (pairs or lone halves) are rare: let Qt write them its own way.
            if (*p >= 0xd800 && *p <= 0xdfff) {
                appendValue(out, QJsonValue(text.toString()));
                return;
            }
        } else if (*p < 0x20 || *p == u'"' || *p == u'\\') {
            plain = false;
        }
    }
    if (ascii && plain) {
        // Most values: ASCII with nothing to escape, narrowed in one pass.
        const qsizetype at = out.size();
        out.resize(at + text.size() + 2);
        char *d = out.data() + at;
        *d++ = '"';
        for (const char16_t *p = begin; p != end; ++p)
            *d++ = char(*p);
        *d = '"';
        return;
    }
    out.append('"');
    if (ascii) {
        for (const char16_t *p = begin; p != end; ++p) {
            const char16_t c = *p;
            if (c >= 0x20 && c != u'"' && c != u'\\') {
                out.append(char(c));
                continue;
            }
            out.append('\\');
            switch (c) {
            case u'"':
                out.append('"');
                break;
            case u'\\':
                out.append('\\');
                break;
            case u'\b':
                out.append('b');
                break;
            case u'\f':
                out.append('f');
                break;
            case u'\n':
                out.append('n');
                break;
            case u'\r':
                out.append('r');
                break;
            case u'\t':
                out.append('t');
                break;
            default:
                out.append("u00", 3);
                out.append(hexDigit(c >> 4));
                out.append(hexDigit(c & 0xf));
            }
        }
    } else {
        // Escapes only concern ASCII characters: escape per piece, the rest as UTF-8.
        const char16_t *run = begin;
        for (const char16_t *p = begin; p != end; ++p) {
            if (*p < 0x20 || *p == u'"' || *p == u'\\') {
                out.append(QStringView(run, p).toUtf8());
                const char16_t c = *p;
                switch (c) {
                case u'"':
                    out.append("\\\"", 2);
                    break;
                case u'\\':
                    out.append("\\\\", 2);
                    break;
                case u'\b':
                    out.append("\\b", 2);
                    break;
                case u'\f':
                    out.append("\\f", 2);
                    break;
                case u'\n':
                    out.append("\\n", 2);
                    break;
                case u'\r':
                    out.append("\\r", 2);
                    break;
                case u'\t':
                    out.append("\\t", 2);
                    break;
                default:
                    out.append("\\u00", 4);
                    out.append(hexDigit(c >> 4));
                    out.append(hexDigit(c & 0xf));
                }
                run = p + 1;
            }
        }
        out.append(QStringView(run, end).toUtf8());
    }
    out.append('"');
}

void appendInteger(QByteArray &out, qint64 value)
{
    char buffer[24];
    char *p = buffer + sizeof(buffer);
    quint64 v = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    do {
        *--p = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0)
        *--p = '-';
    out.append(p, buffer + sizeof(buffer) - p);
}

void appendDouble(QByteArray &out, double value)
{
    if (!std::isfinite(value)) {
        appendNull(out);
        return;
    }
    if (value == std::floor(value)) {
        if (std::fabs(value) < kMaxExactInteger && !(value == 0 && std::signbit(value))) {
            appendInteger(out, qint64(value));
            return;
        }
        // Huge integral values and -0: how they are written depends on the Qt release.
        appendValue(out, QJsonValue(value));
        return;
    }
    out.append(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}

} // namespace contracts::jsontext
