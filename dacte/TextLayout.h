#pragma once

#include "Canvas.h"

#include <QPointF>

namespace dacte {

// The text's width in millimetres, from the face's advances.
double textWidth(const TextStyle &style, QStringView text);
// Ascent and the distance between lines, in millimetres.
double ascent(const TextStyle &style);
double lineHeight(const TextStyle &style);
// `text` cut to `width` with "…" at its end.
QString elided(const TextStyle &style, const QString &text, double width);
// `text` broken at spaces (and at its own line breaks) into lines within `width`; a word longer
// than the width is cut.
QStringList wrapped(const TextStyle &style, const QString &text, double width);

struct PlacedLine
{
    QPointF origin; // baseline start, millimetres
    QString text;
};
// `text` placed in `rect` by `flags` (Qt::Alignment, Qt::TextWordWrap); without word wrap it is
// one line, elided to the width.
QList<PlacedLine> layoutText(const QRectF &rect, const QString &text, const TextStyle &style,
                             int flags);

} // namespace dacte
