#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// True when `text` is empty or holds only blanks.
bool EmptyString(const QString &text);

// The inline choice of the host framework: `condition ? whenTrue : whenFalse`, both evaluated.
template<typename T>
T iif(bool condition, const T &whenTrue, const T &whenFalse)
{
    return condition ? whenTrue : whenFalse;
}
inline QString iif(bool condition, const char16_t *whenTrue, const char16_t *whenFalse)
{
    return QString::fromUtf16(condition ? whenTrue : whenFalse);
}

// Pads a code to `width` with zeros on the left ("1" -> "01"); blanks around are dropped first.
// An empty code stays empty; a code longer than `width` is kept whole.
QString Ajusta(const QString &text, int width);

// First day of the month of `date`.
QDate PriDiaMes(const QDate &date);

// Base64 text to bytes; text that is not valid Base64 raises MensErro.
QByteArray Decode64(const QString &text);
