#pragma once

#include <QByteArray>

// The bits of PDF syntax the DACTE's writer needs.
namespace dacte::pdf {

// `v` with at most three decimals and no trailing zeros ("12.5", "0.2", "-3").
void appendNumber(QByteArray &out, double v);
// zlib's format, as /FlateDecode reads it.
QByteArray deflated(const QByteArray &data, int level);
// "n 0 obj << dict /Length … /Filter /FlateDecode >> stream … endstream endobj" of data already
// deflated.
void appendStream(QByteArray &out, int object, const QByteArray &dict, const QByteArray &deflated);

} // namespace dacte::pdf
