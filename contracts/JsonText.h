#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QStringView>

// Compact JSON written straight into a buffer, byte for byte what QJsonDocument's compact form
// gives for the same values. Large replies are written this way: building them as QJsonValue
// trees first costs more than the database read.
namespace contracts::jsontext {

void appendNull(QByteArray &out);
void appendString(QByteArray &out, QStringView text);
void appendInteger(QByteArray &out, qint64 value);
// A number as QJsonValue(double) writes it: integers without a fraction, others at their
// shortest exact form, infinities and NaN as null.
void appendDouble(QByteArray &out, double value);
// Any value, through QJsonDocument: for the uncommon shapes the fast paths leave out.
void appendValue(QByteArray &out, const QJsonValue &value);

} // namespace contracts::jsontext
