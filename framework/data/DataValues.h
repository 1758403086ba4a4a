#pragma once

#include "DataPacket.h"

#include <QString>
#include <QVariant>

// How the dataset stores, compares and hashes field values. Stored values are a null QVariant,
// or QString (string types, never empty), double (float), qint64 (integer), QDateTime.
namespace DataValues {

using contracts::FieldType;

// Orders two stored values of one type; null sorts first. Strings compare case-sensitively.
int Compare(const QVariant &a, const QVariant &b, FieldType type);

// The key of a stored value in a hash index: equal values give equal keys, for one type.
QString HashKey(const QVariant &value, FieldType type);

// Converts `value` to what a field of `type` stores: numbers and dates from text (Brazilian or
// ISO notation), text from anything; an empty text becomes null. Strings are cut to `size`
// characters and fixed-width ones padded to it. Nothing when the value cannot be converted.
std::optional<QVariant> ToStored(const QVariant &value, FieldType type, int size);

} // namespace DataValues
