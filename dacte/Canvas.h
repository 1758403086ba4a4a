#pragma once

#include "Fonts.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>

namespace dacte {

// A face at a size in points.
struct TextStyle
{
    Face face = Face::Regular;
    double points = 6.6;
};

// What the DACTE's drawing needs of a page, in millimetres from its top left corner: boxes,
// fills, text runs already laid out (see TextLayout) and a clip. Implemented over QPainter for the
// printer and the preview, and by our own PDF writer for the server's files.
class Canvas
{
public:
    virtual ~Canvas() = default;
    virtual void strokeRect(const QRectF &rect, double lineWidth) = 0;
    virtual void fillRect(const QRectF &rect, const QColor &colour) = 0;
    // Many rectangles of one colour (the modules of a barcode).
    virtual void fillRects(const QList<QRectF> &rects, const QColor &colour) = 0;
    // `text` from the baseline origin `origin`, one glyph per UTF-16 unit (no kerning).
    virtual void drawText(const QPointF &origin, const QString &text, const TextStyle &style,
                          const QColor &colour)
        = 0;
    // Clips what follows to `rect` until restore().
    virtual void save() = 0;
    virtual void clip(const QRectF &rect) = 0;
    virtual void restore() = 0;
};

} // namespace dacte
