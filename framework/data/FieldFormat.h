#pragma once

#include <QDateTime>
#include <QString>

// Number and date texts the way the host shows them: Brazilian separators ("1.234,56"),
// dates as dd/MM/yyyy.
namespace FieldFormat {

// Formats `value` with a display format of the host ("#,##0.00", "#,##0.00 %", "0", "000"):
// '0' a digit always shown, '#' a digit when significant, ',' thousands grouping, '.' the decimal
// point, quoted text and any other character literal. "a;b" uses b for negative values.
// An empty format gives the plain text of the number.
QString FormatFloat(const QString &format, double value);

// The plain text of a number: no grouping, decimal comma, up to 15 significant digits ("12",
// "1234,5").
QString FloatToText(double value);

// Reads a number typed by a user or written by FloatToText: "1.234,56" and "1234,56" (Brazilian),
// or "1234.56" when the text has no comma. Blanks around are ignored.
bool TextToFloat(const QString &text, double *value);
// Digits after the decimal separator of a number typed as TextToFloat reads it; -1 when the
// text is no number.
int DecimalsOfText(const QString &text);
// Decimal places a display format shows ("#,##0.00" → 2, "#,##0" → 0).
int DecimalsOfFormat(const QString &format);

// A date-time as text: "dd/MM/yyyy", with " hh:mm:ss" when the time is not midnight.
QString DateTimeToText(const QDateTime &value);
// Reads "dd/MM/yyyy", "dd/MM/yyyy hh:mm[:ss]" or ISO 8601.
bool TextToDateTime(const QString &text, QDateTime *value);
// Formats with the host's date format letters: d, m (month; minutes after h), y, h, n (minutes),
// s, z; quoted text is literal.
QString FormatDateTime(const QString &format, const QDateTime &value);

} // namespace FieldFormat
