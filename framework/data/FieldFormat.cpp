#include "FieldFormat.h"

#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace FieldFormat {

namespace {

// Splits a format into its sections at ';' outside quoted text.
QStringList splitSections(const QString &format)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            sections.append(current);
            current.clear();
            continue;
        }
        current.append(c);
    }
    sections.append(current);
    return sections;
}

bool isPatternChar(QChar c)
{
    return c == u'0' || c == u'#' || c == u',' || c == u'.';
}

QString groupThousands(const QString &digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.append(u'.');
        out.append(digits.at(i));
    }
    return out;
}

// Formats the absolute value of `value` with one section; the caller adds the sign.
QString formatSection(const QString &section, double value)
{
    QString prefix, pattern, suffix;
    QChar quote;
    bool inPattern = false, patternDone = false;
    for (const QChar c : section) {
        QString &target = patternDone ? suffix : prefix;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (inPattern ? suffix : target).append(c);
            if (inPattern) {
                inPattern = false;
                patternDone = true;
            }
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            if (inPattern) {
                inPattern = false;
                patternDone = true;
            }
            continue;
        }
        if (!patternDone && isPatternChar(c)) {
            inPattern = true;
            pattern.append(c);
            continue;
        }
        if (inPattern) {
            inPattern = false;
            patternDone = true;
        }
        (patternDone ? suffix : prefix).append(c);
    }

    const qsizetype point = pattern.indexOf(u'.');
    const QString intPattern = point < 0 ? pattern : pattern.left(point);
    const QString fracPattern = point < 0 ? QString() : pattern.mid(point + 1).remove(u',');
    const int minInt = int(intPattern.count(u'0'));
    const bool grouping = intPattern.contains(u',');
    const int minFrac = int(fracPattern.count(u'0'));
    const int maxFrac = int(fracPattern.size());

    const QString fixed = QString::number(std::fabs(value), 'f', maxFrac);
    const qsizetype dot = fixed.indexOf(u'.');
    QString intDigits = dot < 0 ? fixed : fixed.left(dot);
    QString fracDigits = dot < 0 ? QString() : fixed.mid(dot + 1);
    while (fracDigits.size() > minFrac && fracDigits.endsWith(u'0'))
        fracDigits.chop(1);
    if (intDigits == u"0" && minInt == 0)
        intDigits.clear();
    while (intDigits.size() < minInt)
        intDigits.prepend(u'0');
    if (grouping)
        intDigits = groupThousands(intDigits);
    QString number = intDigits;
    if (!fracDigits.isEmpty())
        number += u',' + fracDigits;
    return prefix + number + suffix;
}

bool allZero(double value, const QString &section)
{
    const qsizetype point = section.indexOf(u'.');
    int decimals = 0;
    if (point >= 0) {
        for (qsizetype i = point + 1; i < section.size() && isPatternChar(section.at(i)); ++i)
            decimals += section.at(i) == u'0' || section.at(i) == u'#';
    }
    return QString::number(std::fabs(value), 'f', decimals).toDouble() == 0.0;
}

} // namespace

QString FormatFloat(const QString &format, double value)
{
    if (format.isEmpty())
        return FloatToText(value);
    const QStringList sections = splitSections(format);
    if (value < 0 && sections.size() > 1 && !sections.at(1).isEmpty())
        return formatSection(sections.at(1), value);
    const QString text = formatSection(sections.at(0), value);
    if (value < 0 && !allZero(value, sections.at(0)))
        return u'-' + text;
    return text;
}

QString FloatToText(double value)
{
    if (value == 0.0)
        return u"0"_s;
    QString text = QString::number(value, 'g', 15);
    if (text.contains(u'e')) {
        // Very large or small numbers: write every digit rather than an exponent.
        text = QString::number(value, 'f', 15);
        while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
            text.chop(1);
    }
    text.replace(u'.', u',');
    return text;
}

bool TextToFloat(const QString &text, double *value)
{
    QString t = text.trimmed();
    if (t.contains(u',')) {
        t.remove(u'.');
        t.replace(u',', u'.');
    }
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (ok && value)
        *value = d;
    return ok;
}

int DecimalsOfText(const QString &text)
{
    if (!TextToFloat(text, nullptr))
        return -1;
    QString t = text.trimmed();
    if (t.contains(u','))
        t = t.section(u',', 1);
    else if (t.contains(u'.'))
        t = t.section(u'.', 1);
    else
        return 0;
    int n = 0;
    for (const QChar c : std::as_const(t)) {
        if (!c.isDigit())
            break;
        ++n;
    }
    return n;
}

int DecimalsOfFormat(const QString &format)
{
    const qsizetype dot = format.indexOf(u'.');
    if (dot < 0)
        return 0;
    int n = 0;
    for (qsizetype i = dot + 1; i < format.size() && (format[i] == u'0' || format[i] == u'#'); ++i)
        ++n;
    return n;
}

QString DateTimeToText(const QDateTime &value)
{
    if (!value.isValid())
        return {};
    if (value.time() == QTime(0, 0))
        return value.toString(u"dd/MM/yyyy"_s);
    return value.toString(u"dd/MM/yyyy hh:mm:ss"_s);
}

bool TextToDateTime(const QString &text, QDateTime *value)
{
    const QString t = text.trimmed();
    QDateTime dt;
    for (const QString &fmt : {u"dd/MM/yyyy hh:mm:ss"_s, u"dd/MM/yyyy hh:mm"_s}) {
        dt = QDateTime::fromString(t, fmt);
        if (dt.isValid())
            break;
    }
    if (!dt.isValid())
        dt = QDate::fromString(t, u"dd/MM/yyyy"_s).startOfDay();
    if (!dt.isValid())
        dt = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!dt.isValid())
        return false;
    if (value)
        *value = dt;
    return true;
}

QString FormatDateTime(const QString &format, const QDateTime &value)
{
    if (!value.isValid())
        return {};
    if (format.isEmpty())
        return DateTimeToText(value);
    // Translate the host's letters to Qt's and quote everything else.
    QString qtFormat;
    bool afterHour = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        const QChar lower = c.toLower();
        if (c == u'\'' || c == u'"') {
            const qsizetype end = format.indexOf(c, i + 1);
            const QString literal = format.mid(i + 1, end < 0 ? -1 : end - i - 1);
            qtFormat += u'\'' + QString(literal).replace(u"'"_s, u"''"_s) + u'\'';
            i = end < 0 ? format.size() : end;
            continue;
        }
        if (lower == u'd' || lower == u'y' || lower == u's' || lower == u'z') {
            qtFormat += lower;
        } else if (lower == u'h') {
            qtFormat += lower;
            afterHour = true;
            continue;
        } else if (lower == u'n') {
            qtFormat += u'm';
        } else if (lower == u'm') {
            qtFormat += afterHour ? u'm' : u'M';
            // "mm" after hours stays minutes for its whole run.
            if (i + 1 < format.size() && format.at(i + 1).toLower() == u'm')
                continue;
        } else {
            qtFormat += u'\'' + QString(c).replace(u"'"_s, u"''"_s) + u'\'';
            if (c.isSpace() || c == u':')
                continue;
        }
        afterHour = false;
    }
    return value.toString(qtFormat);
}

} // namespace FieldFormat
