#include "Masks.h"

namespace {

bool isPlaceholder(QChar c)
{
    switch (c.unicode()) {
    case u'0':
    case u'9':
    case u'#':
    case u'L':
    case u'l':
    case u'A':
    case u'a':
    case u'C':
    case u'c':
        return true;
    default:
        return false;
    }
}

bool isCaseMark(QChar c)
{
    return c == u'>' || c == u'<';
}

// Characters that QLineEdit's input mask treats as meta characters and must be escaped when they
// are literals of ours.
bool isQtMeta(QChar c)
{
    static const QString meta = QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\;");
    return meta.contains(c);
}

QChar qtPlaceholder(QChar c)
{
    switch (c.unicode()) {
    case u'0':
        return u'9';
    case u'9':
        return u'0';
    case u'#':
        return u'#';
    case u'L':
        return u'A';
    case u'l':
        return u'a';
    case u'A':
        return u'N';
    case u'a':
        return u'n';
    case u'C':
        return u'X';
    default:
        return u'x';
    }
}

} // namespace

TEditMask TEditMask::Parse(const QString &editMask)
{
    TEditMask result;
    if (editMask.isEmpty())
        return result;
    // The sections are split at the last two unescaped ';'.
    QStringList sections;
    QString current;
    for (qsizetype i = 0; i < editMask.size(); ++i) {
        const QChar c = editMask.at(i);
        if (c == u'\\' && i + 1 < editMask.size()) {
            current += c;
            current += editMask.at(++i);
        } else if (c == u';') {
            sections.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    sections.append(current);
    result.mask = sections.value(0);
    if (sections.size() > 1)
        result.saveLiterals = sections.at(1).trimmed() != u"0";
    if (sections.size() > 2 && !sections.at(2).isEmpty())
        result.blank = sections.at(2).at(0);
    return result;
}

QString TEditMask::ToQtInputMask() const
{
    if (mask.isEmpty())
        return {};
    QString out;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == u'!')
            continue;
        if (c == u'<' && i + 1 < mask.size() && mask.at(i + 1) == u'>') {
            out += u'!';
            ++i;
        } else if (isCaseMark(c)) {
            out += c;
        } else if (c == u'\\' && i + 1 < mask.size()) {
            const QChar literal = mask.at(++i);
            if (isQtMeta(literal))
                out += u'\\';
            out += literal;
        } else if (isPlaceholder(c)) {
            out += qtPlaceholder(c);
        } else {
            if (isQtMeta(c))
                out += u'\\';
            out += c;
        }
    }
    out += u';';
    out += blank;
    return out;
}

int TEditMask::PlaceholderCount() const
{
    int count = 0;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (mask.at(i) == u'\\')
            ++i;
        else if (isPlaceholder(mask.at(i)))
            ++count;
    }
    return count;
}

QString TEditMask::StoredValue(const QString &typed) const
{
    if (mask.isEmpty())
        return typed;
    QString out;
    qsizetype t = 0;
    for (qsizetype i = 0; i < mask.size() && t < typed.size(); ++i) {
        QChar c = mask.at(i);
        if (c == u'!' || isCaseMark(c))
            continue;
        bool literal = !isPlaceholder(c);
        if (c == u'\\' && i + 1 < mask.size()) {
            c = mask.at(++i);
            literal = true;
        }
        const QChar shown = typed.at(t++);
        if (literal) {
            if (saveLiterals)
                out += shown;
        } else if (shown != blank && shown != u' ') {
            out += shown;
        } else if (saveLiterals) {
            out += u' ';
        }
    }
    return saveLiterals ? out.trimmed() : out;
}

QString PictPess(const QString &personType)
{
    // Registrations are stored as digits only: the literals are for the eye.
    if (personType == u"J")
        return QStringLiteral("99.999.999/9999-99;0;_");
    if (personType == u"F")
        return QStringLiteral("999.999.999-99;0;_");
    return {};
}

QString FormatMaskText(const QString &editMask, const QString &value)
{
    const TEditMask parsed = TEditMask::Parse(editMask);
    if (value.isEmpty() || parsed.isEmpty())
        return value;
    // A mask without sections keeps its literals, but the callers of this formatter pass bare
    // digits: insert the literals whenever the value does not already carry them.
    if (value.size() >= parsed.mask.size() && parsed.saveLiterals)
        return value;
    // A value that already carries the literals (typed with them while no mask applied) is shown
    // as it is rather than spread over the placeholders.
    if (!parsed.saveLiterals && value.size() > parsed.PlaceholderCount()
        && OnlyAlphanumeric(value).size() <= parsed.PlaceholderCount())
        return value;
    QString out;
    qsizetype v = 0;
    for (qsizetype i = 0; i < parsed.mask.size(); ++i) {
        QChar c = parsed.mask.at(i);
        if (c == u'!' || isCaseMark(c))
            continue;
        if (c == u'\\' && i + 1 < parsed.mask.size()) {
            out += parsed.mask.at(++i);
        } else if (isPlaceholder(c)) {
            out += v < value.size() ? value.at(v++) : u' ';
        } else {
            out += c;
        }
    }
    return out;
}

QString OnlyAlphanumeric(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            out += c;
    }
    return out;
}
