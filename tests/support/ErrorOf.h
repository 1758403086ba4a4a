#pragma once

#include "Exceptions.h"

#include <QString>

// Runs `body` and returns the text of the framework error it raised (empty when it raised none).
template<typename Body>
QString errorOf(Body body)
{
    try {
        body();
    } catch (const EMensErro &e) {
        return e.text();
    }
    return {};
}
