#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>
#include <utility>

// Log lines built from what clients send. Every value is escaped (control characters, line and
// paragraph separators and the backslash become \n, \x1b, \u2028, \\ …) so that no request can
// start a line of its own, and values are joined as they are: nothing from a request is ever used
// as a format.
namespace logtext {

QString escaped(QStringView text, qsizetype maxChars = 300);

// "key=value key=\"a value\"", each value escaped; one holding a blank is quoted, its quotes
// escaped (\"), so that it cannot pass for fields of its own.
QString fields(std::initializer_list<std::pair<const char *, QString>> pairs);

} // namespace logtext
