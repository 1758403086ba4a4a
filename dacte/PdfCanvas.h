#pragma once

#include "Canvas.h"

#include <QByteArray>
#include <QList>
#include <QSet>

namespace dacte::pdf {

// One page's content stream: millimetres from the top left as the drawing gives them (one matrix
// at the start maps them to points, y upwards), text as glyph ids of the fonts /F1 and /F2.
// Colour, line width, font and opacity are written only when they change.
class PdfCanvas final : public Canvas
{
public:
    explicit PdfCanvas(double heightMm);

    void strokeRect(const QRectF &rect, double lineWidth) override;
    void fillRect(const QRectF &rect, const QColor &colour) override;
    void fillRects(const QList<QRectF> &rects, const QColor &colour) override;
    void drawText(const QPointF &origin, const QString &text, const TextStyle &style,
                  const QColor &colour) override;
    void save() override;
    void clip(const QRectF &rect) override;
    void restore() override;

    const QByteArray &content() const { return m_out; }
    // The opacities used, for the page's /ExtGState names "/A<alpha>".
    const QSet<int> &opacities() const { return m_opacities; }

private:
    struct State
    {
        QRgb fill = 0xff000000, stroke = 0xff000000;
        int alpha = 255;
        double lineWidth = -1;
        int font = -1;
        double points = 0;
    };
    void rect(const QRectF &r);
    void fillColour(const QColor &c);

    QByteArray m_out;
    State m_state;
    QList<State> m_saved;
    QSet<int> m_opacities;
};

} // namespace dacte::pdf
