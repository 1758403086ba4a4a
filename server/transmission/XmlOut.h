#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// A small writer of the fiscal XML: no declaration, no indentation, every element written as a
// start and an end tag (the canonical form, so the signed part needs no rewriting), texts
// escaped and cleaned to what the authority's string type accepts.
class XmlOut
{
public:
    XmlOut() { m_out.reserve(8192); }

    void open(const char *tag);
    // An element with attributes given as ready text (` Id="…" versao="…"`).
    void open(const char *tag, const QByteArray &attributes);
    void close(const char *tag);
    // <tag>text</tag>; the text is cleaned first.
    void leaf(const char *tag, const QString &text);
    // As leaf, but nothing at all when the cleaned text is empty.
    void leafIfAny(const char *tag, const QString &text);
    // A text known to hold only ASCII digits, letters and punctuation without markup.
    void leafAscii(const char *tag, const QByteArray &text);

    QByteArray &bytes() { return m_out; }

    // Text as the authority's string type wants it: Latin-1 printable characters only,
    // whitespace runs made one space, no spaces at either end.
    static QString clean(const QString &text);
    // Appends `text` in UTF-8 with &, < and > escaped.
    static void appendEscaped(QByteArray &out, QStringView text);
    static void appendEscaped(QByteArray &out, const QByteArray &utf8);

private:
    QByteArray m_out;
};
