#include "PainterCanvas.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>

namespace dacte {

PainterCanvas::PainterCanvas(QPainter &painter, double pageWidthMm)
    : m_p(painter)
    , m_scale(double(painter.device()->width()) / pageWidthMm)
{
    for (const Face f : {Face::Regular, Face::Bold}) {
        const FontFace &face = fontFace(f);
        if (!face.file.isEmpty())
            m_fonts[int(f)] = QRawFont(face.file, 12, QFont::PreferNoHinting);
    }
}

QRectF PainterCanvas::device(const QRectF &mm) const
{
    return {mm.x() * m_scale, mm.y() * m_scale, mm.width() * m_scale, mm.height() * m_scale};
}

void PainterCanvas::strokeRect(const QRectF &rect, double lineWidth)
{
    m_p.setPen(QPen(Qt::black, lineWidth * m_scale));
    m_p.setBrush(Qt::NoBrush);
    m_p.drawRect(device(rect));
}

void PainterCanvas::fillRect(const QRectF &rect, const QColor &colour)
{
    m_p.fillRect(device(rect), colour);
}

void PainterCanvas::fillRects(const QList<QRectF> &rects, const QColor &colour)
{
    m_p.save();
    m_p.setRenderHint(QPainter::Antialiasing, false);
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(colour);
    for (const QRectF &r : rects)
        m_p.drawRect(device(r));
    m_p.restore();
}

void PainterCanvas::drawText(const QPointF &origin, const QString &text, const TextStyle &style,
                             const QColor &colour)
{
    QRawFont &font = m_fonts[int(style.face)];
    if (!font.isValid())
        return;
    const FontFace &face = fontFace(style.face);
    const double em = style.points * 25.4 / 72 * m_scale;
    font.setPixelSize(em);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    double x = origin.x() * m_scale;
    const double y = origin.y() * m_scale;
    for (const QChar c : text) {
        const unsigned g = face.glyph(c.unicode());
        glyphs.append(g);
        positions.append(QPointF(x, y));
        x += face.width(g) * em / 1000;
    }
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    m_p.setPen(colour);
    m_p.drawGlyphRun(QPointF(), run);
}

void PainterCanvas::save()
{
    m_p.save();
}

void PainterCanvas::clip(const QRectF &rect)
{
    m_p.setClipRect(device(rect), Qt::IntersectClip);
}

void PainterCanvas::restore()
{
    m_p.restore();
}

} // namespace dacte
