#pragma once

#include "Canvas.h"

#include <QRawFont>

class QPainter;

namespace dacte {

// The canvas over a QPainter whose device is the whole page (printer, preview, image): millimetres
// scaled to the device's width; text drawn as glyph runs of the same font file the PDF embeds,
// at the positions our own layout gives.
class PainterCanvas final : public Canvas
{
public:
    PainterCanvas(QPainter &painter, double pageWidthMm);

    void strokeRect(const QRectF &rect, double lineWidth) override;
    void fillRect(const QRectF &rect, const QColor &colour) override;
    void fillRects(const QList<QRectF> &rects, const QColor &colour) override;
    void drawText(const QPointF &origin, const QString &text, const TextStyle &style,
                  const QColor &colour) override;
    void save() override;
    void clip(const QRectF &rect) override;
    void restore() override;

private:
    QRectF device(const QRectF &mm) const;

    QPainter &m_p;
    double m_scale = 1;
    QRawFont m_fonts[2];
};

} // namespace dacte
