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
