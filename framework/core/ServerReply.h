#pragma once

#include <QVariant>

// A reply of the application server is a text (an error), or a list whose element 0 is "S" on
// success and whose element 1 is the error text otherwise.

// True when `reply` is a list whose element 0 is "S".
bool IsReplyOk(const QVariant &reply);
// The error text of a failed reply; empty for a successful one.
QString ReplyError(const QVariant &reply);

// Checks a reply: on failure shows its error text, raising when `raise` is set (the running
// operation ends). `kind` is the host's message kind, kept for callers that pass it. Returns the
// reply so that the caller can examine it.
QVariant CheckResultServ(const QVariant &reply, bool raise = true, int kind = 0);
