#include "TextLayout.h"

namespace dacte {

namespace {

constexpr double kMmPerPoint = 25.4 / 72;

double emMm(const TextStyle &style)
{
    return style.points * kMmPerPoint;
}

double fontUnits(const TextStyle &style, int units)
{
    const FontFace &f = fontFace(style.face);
    return emMm(style) * units / f.unitsPerEm;
}

} // namespace

double textWidth(const TextStyle &style, QStringView text)
{
    const FontFace &f = fontFace(style.face);
    qint64 thousandths = 0;
    for (const QChar c : text)
        thousandths += f.width(f.glyph(c.unicode()));
    return emMm(style) * double(thousandths) / 1000;
}

double ascent(const TextStyle &style)
{
    return fontUnits(style, fontFace(style.face).ascender);
}

double lineHeight(const TextStyle &style)
{
    const FontFace &f = fontFace(style.face);
    return fontUnits(style, f.ascender - f.descender + f.lineGap);
}

QString elided(const TextStyle &style, const QString &text, double width)
{
    if (textWidth(style, text) <= width)
        return text;
    const FontFace &f = fontFace(style.face);
    const QString ellipsis = f.byChar[0x2026] ? QStringLiteral("\u2026") : QStringLiteral("...");
    const double room = width - textWidth(style, ellipsis);
    const double em = emMm(style) / 1000;
    double used = 0;
    qsizetype n = 0;
    for (; n < text.size(); ++n) {
        const double w = f.width(f.glyph(text.at(n).unicode())) * em;
        if (used + w > room)
            break;
        used += w;
    }
    return n == 0 ? QString() : text.left(n) + ellipsis;
}

QStringList wrapped(const TextStyle &style, const QString &text, double width)
{
    QStringList lines;
    const double space = textWidth(style, u" ");
    for (const QString &paragraph : text.split(u'\n')) {
        QString line;
        double used = 0;
        for (QString word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            double w = textWidth(style, word);
            if (!line.isEmpty() && used + space + w <= width) {
                line += u' ' + word;
                used += space + w;
                continue;
            }
            if (!line.isEmpty())
                lines << line;
            // A word wider than the line goes on in pieces.
            while (w > width && word.size() > 1) {
                qsizetype n = word.size() - 1;
                while (n > 1 && textWidth(style, QStringView(word).left(n)) > width)
                    --n;
                lines << word.left(n);
                word = word.mid(n);
                w = textWidth(style, word);
            }
            line = word;
            used = w;
        }
        lines << line;
    }
    return lines;
}

QList<PlacedLine> layoutText(const QRectF &rect, const QString &text, const TextStyle &style,
                             int flags)
{
    const QStringList lines = (flags & Qt::TextWordWrap)
        ? wrapped(style, text, rect.width())
        : QStringList {elided(style, QString(text).replace(u'\n', u' '), rect.width())};
    const double line = lineHeight(style);
    double top = rect.top();
    if (flags & Qt::AlignVCenter)
        top += (rect.height() - line * double(lines.size())) / 2;
    else if (flags & Qt::AlignBottom)
        top = rect.bottom() - line * double(lines.size());
    QList<PlacedLine> out;
    const double base = ascent(style);
    for (const QString &l : lines) {
        if (!l.isEmpty()) {
            double x = rect.left();
            if (flags & (Qt::AlignHCenter | Qt::AlignRight)) {
                const double room = rect.width() - textWidth(style, l);
                x += (flags & Qt::AlignRight) ? room : room / 2;
            }
            out.append({QPointF(x, top + base), l});
        }
        top += line;
    }
    return out;
}

} // namespace dacte
