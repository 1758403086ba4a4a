#pragma once

#include <QByteArrayView>
#include <QString>

// Reads JSON text piece by piece, straight from the bytes, for readers that know the shape they
// expect. It only accepts what QJsonDocument accepts and reads it to the same values; anything
// else makes a step fail, and the caller then reads the text through QJsonDocument, which also
// names the fault.
namespace contracts::jsontext {

class Scanner
{
public:
    explicit Scanner(QByteArrayView text)
        : m_pos(text.data())
        , m_end(text.data() + text.size())
    { }

    // Skips white space, then takes `c` when it comes next.
    bool take(char c)
    {
        skipSpace();
        if (m_pos != m_end && *m_pos == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    // Skips white space, then takes the object key `key` and its colon.
    bool takeKey(QByteArrayView key);
    // Skips white space, then takes the word `word` (null, true, false) when it comes next.
    bool takeWord(QByteArrayView word);
    bool takeNull() { return takeWord("null"); }
    // The next byte after white space, or 0 at the end.
    char peek()
    {
        skipSpace();
        return m_pos == m_end ? '\0' : *m_pos;
    }
    bool atEnd()
    {
        skipSpace();
        return m_pos == m_end;
    }
    const char *position() const { return m_pos; }

    bool readString(QString &out);
    bool readNumber(double &out);
    // Passes over an array or object without reading its values.
    bool skipContainer();

private:
    void skipSpace()
    {
        while (m_pos != m_end
               && (*m_pos == ' ' || *m_pos == '\n' || *m_pos == '\r' || *m_pos == '\t'))
            ++m_pos;
    }
    bool readEscapedString(const char *begin, QString &out);

    const char *m_pos;
    const char *m_end;
};

// Roughly the memory that reading `text` into values takes, found by passing over its bytes once
// without reading anything: a request whose values would take much more than its size (a body
// of nested empty lists) is refused before it is read.
qsizetype decodedSizeEstimate(QByteArrayView text);

} // namespace contracts::jsontext
