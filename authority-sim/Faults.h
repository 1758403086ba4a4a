#pragma once

#include "AuthorityStore.h"

#include <QList>
#include <QString>

// Switches that make the stand-in misbehave on purpose, for the unhappy paths of its clients:
//   slow:MS      answer MS milliseconds late
//   unavailable  answer HTTP 503 without processing anything
//   drop         process the request, then close the connection without an answer
//   reject:CODE  answer the rejection CODE (with its official text) without processing
//   digest       process the request, but name another digest (digVal) in the protocol
// Each applies to every request (scope "*") or to the requests about one access key.
namespace faults {

struct Active
{
    int slowMs = 0;
    bool unavailable = false;
    bool drop = false;
    int reject = 0;
    bool foreignDigest = false;
};

// Parses "kind[:value]"; false when the kind is unknown or the value does not fit it.
bool parse(const QString &setting, store::Fault *fault);
// The switches that apply to a request about `key` (empty when it names none): the ones given
// at start-up plus the stored ones, for every request and for the key.
Active resolve(const QList<store::Fault> &startup, const QList<store::Fault> &stored,
               const QString &key);

} // namespace faults
