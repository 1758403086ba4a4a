#pragma once

#include <QString>

#include <exception>

// An operation refused: its text is the reply the caller gets. Thrown anywhere inside an
// operation; the dispatcher turns it into an error reply and rolls back the transaction.
class ServerError : public std::exception
{
public:
    explicit ServerError(QString text)
        : m_text(std::move(text))
        , m_utf8(m_text.toUtf8())
    { }
    const QString &text() const { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};
