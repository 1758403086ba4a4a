#pragma once

#include "Exceptions.h"

// An operation refused: its text is the reply the caller gets. Thrown anywhere inside an
// operation; the dispatcher turns it (and any framework error, such as a failing query) into an
// error reply and rolls back the transaction.
class ServerError : public EMensErro
{
public:
    using EMensErro::EMensErro;
};

// A failure of the database itself (a statement the database refused, a lost connection). The
// caller gets a general text; the driver's message and the statement, which may say more than
// a client should know, only go to the server's log.
class DatabaseError : public ServerError
{
public:
    DatabaseError(const QString &text, QString detail)
        : ServerError(text)
        , m_detail(std::move(detail))
    { }
    const QString &detail() const { return m_detail; }

private:
    QString m_detail;
};
