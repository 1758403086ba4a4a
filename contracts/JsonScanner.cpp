#include "JsonScanner.h"

#include <charconv>
#include <cmath>

namespace contracts::jsontext {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Well-formed UTF-8 without control characters and without noncharacters (QJsonDocument's
// treatment of the latter has varied; those texts take its path).
bool plainUtf8(const char *text, qsizetype size)
{
    const auto *s = reinterpret_cast<const uchar *>(text);
    const auto *end = s + size;
    while (s != end) {
        const uchar b = *s++;
        if (b < 0x80) {
            if (b < 0x20)
                return false;
            continue;
        }
        int more;
        char32_t cp, least;
        if (b >= 0xc2 && b <= 0xdf) {
            more = 1, cp = b & 0x1f, least = 0x80;
        } else if (b >= 0xe0 && b <= 0xef) {
            more = 2, cp = b & 0x0f, least = 0x800;
        } else if (b >= 0xf0 && b <= 0xf4) {
            more = 3, cp = b & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (end - s < more)
            return false;
        for (int i = 0; i < more; ++i) {
            const uchar c = *s++;
            if ((c & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3f);
        }
        if (cp < least || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)
            || (cp >= 0xfdd0 && cp <= 0xfdef) || (cp & 0xfffe) == 0xfffe)
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool Scanner::takeKey(QByteArrayView key)
{
    skipSpace();
    const qsizetype n = key.size();
    if (m_end - m_pos < n + 2 || m_pos[0] != '"' || m_pos[n + 1] != '"'
        || QByteArrayView(m_pos + 1, n) != key)
        return false;
    m_pos += n + 2;
    return take(':');
}

bool Scanner::takeWord(QByteArrayView word)
{
    skipSpace();
    if (m_end - m_pos < word.size() || QByteArrayView(m_pos, word.size()) != word)
        return false;
    m_pos += word.size();
    return true;
}

bool Scanner::readString(QString &out)
{
    skipSpace();
    if (m_pos == m_end || *m_pos != '"')
        return false;
    const char *const begin = ++m_pos;
    bool ascii = true;
    for (; m_pos != m_end; ++m_pos) {
        const uchar c = uchar(*m_pos);
        if (c == '"')
            break;
        if (c == '\\')
            return readEscapedString(begin, out);
        if (c < 0x20)
            return false;
        ascii &= c < 0x80;
    }
    if (m_pos == m_end)
        return false;
    const qsizetype size = m_pos - begin;
    ++m_pos;
    if (ascii) {
        out = QString::fromLatin1(begin, size);
        return true;
    }
    if (!plainUtf8(begin, size))
        return false;
    out = QString::fromUtf8(begin, size);
    return true;
}

bool Scanner::readEscapedString(const char *begin, QString &out)
{
    // As QJsonDocument does: the known escapes, and \uXXXX as one UTF-16 unit each.
    out.clear();
    m_pos = begin;
    const char *run = begin;
    const auto flushRun = [&] {
        if (!plainUtf8(run, m_pos - run))
            return false;
        out.append(QString::fromUtf8(run, m_pos - run));
        return true;
    };
    while (m_pos != m_end && *m_pos != '"') {
        if (*m_pos != '\\') {
            ++m_pos;
            continue;
        }
        if (!flushRun() || m_end - m_pos < 2)
            return false;
        const char e = m_pos[1];
        m_pos += 2;
        switch (e) {
        case '"':
        case '\\':
        case '/':
            out.append(QChar(char16_t(e)));
            break;
        case 'b':
            out.append(QChar(u'\b'));
            break;
        case 'f':
            out.append(QChar(u'\f'));
            break;
        case 'n':
            out.append(QChar(u'\n'));
            break;
        case 'r':
            out.append(QChar(u'\r'));
            break;
        case 't':
            out.append(QChar(u'\t'));
            break;
        case 'u': {
            if (m_end - m_pos < 4)
                return false;
            int unit = 0;
            for (int i = 0; i < 4; ++i) {
                const int h = hexValue(m_pos[i]);
                if (h < 0)
                    return false;
                unit = unit * 16 + h;
            }
            m_pos += 4;
            out.append(QChar(char16_t(unit)));
            break;
        }
        default:
            return false;
        }
        run = m_pos;
    }
    if (m_pos == m_end || !flushRun())
        return false;
    ++m_pos;
    return true;
}

bool Scanner::readNumber(double &out)
{
    skipSpace();
    const char *const begin = m_pos;
    const char *p = m_pos;
    if (p != m_end && *p == '-')
        ++p;
    if (p == m_end || !isDigit(*p))
        return false;
    bool nonZero = false;
    if (*p == '0') {
        ++p;
    } else {
        for (; p != m_end && isDigit(*p); ++p)
            nonZero = true;
    }
    bool integral = true;
    if (p != m_end && *p == '.') {
        integral = false;
        ++p;
        if (p == m_end || !isDigit(*p))
            return false;
        for (; p != m_end && isDigit(*p); ++p)
            nonZero |= *p != '0';
    }
    if (p != m_end && (*p == 'e' || *p == 'E')) {
        integral = false;
        ++p;
        if (p != m_end && (*p == '+' || *p == '-'))
            ++p;
        if (p == m_end || !isDigit(*p))
            return false;
        while (p != m_end && isDigit(*p))
            ++p;
    }
    // A number must be followed by something (a separator or a bracket).
    if (p == m_end)
        return false;
    if (integral) {
        long long n = 0;
        const auto [end, ec] = std::from_chars(begin, p, n);
        if (ec == std::errc() && end == p) {
            out = double(n);
            m_pos = p;
            return true;
        }
    }
    double d = 0;
    const auto [end, ec] = std::from_chars(begin, p, d);
    if (ec != std::errc() || end != p || !std::isfinite(d))
        return false;
    if (d == 0 || std::fpclassify(d) == FP_SUBNORMAL) {
        // Underflow is QJsonDocument's to judge; a written zero is stored as the integer 0.
        if (nonZero)
            return false;
        d = 0.0;
    }
    out = d;
    m_pos = p;
    return true;
}

qsizetype decodedSizeEstimate(QByteArrayView text)
{
    // A value in a list costs a variant and its share of the list; a list or an object its
    // own block; a text's characters two bytes each.
    constexpr qsizetype kValue = 32, kContainer = 64, kPerChar = 2;
    qsizetype size = 0;
    bool inString = false;
    bool startsValue = true; // the next byte that is not blank begins a value
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            size += kPerChar;
            continue;
        }
        switch (c) {
        case ' ':
        case '\n':
        case '\r':
        case '\t':
            continue;
        case '[':
        case '{':
            size += kContainer + kValue;
            startsValue = true;
            continue;
        case ',':
        case ':':
            startsValue = true;
            continue;
        case ']':
        case '}':
            startsValue = false;
            continue;
        case '"':
            inString = true;
            break;
        default:
            break;
        }
        if (startsValue)
            size += kValue;
        startsValue = false;
    }
    return size;
}

bool Scanner::skipContainer()
{
    skipSpace();
    if (m_pos == m_end || (*m_pos != '[' && *m_pos != '{'))
        return false;
    int depth = 0;
    while (m_pos != m_end) {
        const char c = *m_pos++;
        if (c == '"') {
            while (m_pos != m_end && *m_pos != '"')
                m_pos += (*m_pos == '\\' && m_end - m_pos > 1) ? 2 : 1;
            if (m_pos == m_end)
                return false;
            ++m_pos;
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            if (--depth == 0)
                return true;
        }
    }
    return false;
}

} // namespace contracts::jsontext
