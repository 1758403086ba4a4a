#include "XmlOut.h"

#include <cstring>

void XmlOut::open(const char *tag)
{
    m_out.append("<", 1);
    m_out.append(tag, qsizetype(std::strlen(tag)));
    m_out.append(">", 1);
}

void XmlOut::open(const char *tag, const QByteArray &attributes)
{
    m_out.append("<", 1);
    m_out.append(tag, qsizetype(std::strlen(tag)));
    m_out.append(attributes);
    m_out.append(">", 1);
}

void XmlOut::close(const char *tag)
{
    m_out.append("</", 2);
    m_out.append(tag, qsizetype(std::strlen(tag)));
    m_out.append(">", 1);
}

void XmlOut::leaf(const char *tag, const QString &text)
{
    open(tag);
    appendEscaped(m_out, clean(text));
    close(tag);
}

void XmlOut::leafIfAny(const char *tag, const QString &text)
{
    const QString cleaned = clean(text);
    if (cleaned.isEmpty())
        return;
    open(tag);
    appendEscaped(m_out, cleaned);
    close(tag);
}

void XmlOut::leafAscii(const char *tag, const QByteArray &text)
{
    open(tag);
    m_out += text;
    close(tag);
}

namespace {

bool isBlank(char16_t u)
{
    return u <= 0x20 || u == 0x7F || (u >= 0x80 && u <= 0xA0);
}

// Already as the authority wants it: most texts are, and are then kept without a copy.
bool isClean(const QString &text)
{
    if (text.isEmpty())
        return true;
    if (isBlank(text.front().unicode()) || isBlank(text.back().unicode()))
        return false;
    bool previousSpace = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ') {
            if (previousSpace)
                return false;
            previousSpace = true;
            continue;
        }
        if (isBlank(u) || u > 0xFF)
            return false;
        previousSpace = false;
    }
    return true;
}

} // namespace

QString XmlOut::clean(const QString &text)
{
    if (isClean(text))
        return text;
    QString out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (isBlank(u)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (u > 0xFF)
            continue; // outside what the authority's texts accept
        if (pendingSpace) {
            out += u' ';
            pendingSpace = false;
        }
        out += c;
    }
    return out;
}

void XmlOut::appendEscaped(QByteArray &out, QStringView text)
{
    // Encoded into a local buffer and appended in blocks: a byte at a time costs too much.
    char buffer[512];
    qsizetype used = 0;
    const auto flush = [&] {
        out.append(buffer, used);
        used = 0;
    };
    for (QChar c : text) {
        if (used > qsizetype(sizeof buffer) - 8)
            flush();
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            if (u > 0xFF) { // never after clean(); kept whole for any other caller
                flush();
                out += QString(c).toUtf8();
                continue;
            }
            buffer[used++] = char(0xC0 | (u >> 6));
            buffer[used++] = char(0x80 | (u & 0x3F));
            continue;
        }
        const char *entity = u == u'&' ? "&amp;"
            : u == u'<'                ? "&lt;"
            : u == u'>'                ? "&gt;"
                                       : nullptr;
        if (!entity) {
            buffer[used++] = char(u);
            continue;
        }
        while (*entity)
            buffer[used++] = *entity++;
    }
    flush();
}

void XmlOut::appendEscaped(QByteArray &out, const QByteArray &utf8)
{
    for (char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
}
