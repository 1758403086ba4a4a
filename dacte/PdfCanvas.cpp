#include "PdfCanvas.h"

#include "PdfSyntax.h"

namespace dacte::pdf {

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

void colour(QByteArray &out, QRgb c, const char *op)
{
    appendNumber(out, qRed(c) / 255.0);
    out += ' ';
    appendNumber(out, qGreen(c) / 255.0);
    out += ' ';
    appendNumber(out, qBlue(c) / 255.0);
    out += op;
}

} // namespace

PdfCanvas::PdfCanvas(double heightMm)
{
    m_out.reserve(48 * 1024);
    m_out += "2.834646 0 0 -2.834646 0 ";
    appendNumber(m_out, heightMm * kPointsPerMm);
    m_out += " cm\n";
}

void PdfCanvas::rect(const QRectF &r)
{
    appendNumber(m_out, r.x());
    m_out += ' ';
    appendNumber(m_out, r.y());
    m_out += ' ';
    appendNumber(m_out, r.width());
    m_out += ' ';
    appendNumber(m_out, r.height());
    m_out += " re\n";
}

void PdfCanvas::fillColour(const QColor &c)
{
    const QRgb rgb = c.rgb();
    if (rgb != m_state.fill) {
        colour(m_out, rgb, " rg\n");
        m_state.fill = rgb;
    }
    if (c.alpha() != m_state.alpha) {
        m_state.alpha = c.alpha();
        m_opacities.insert(c.alpha());
        m_out += "/A" + QByteArray::number(c.alpha()) + " gs\n";
    }
}

void PdfCanvas::strokeRect(const QRectF &r, double lineWidth)
{
    if (m_state.stroke != 0xff000000) {
        m_out += "0 0 0 RG\n";
        m_state.stroke = 0xff000000;
    }
    if (lineWidth != m_state.lineWidth) {
        appendNumber(m_out, lineWidth);
        m_out += " w\n";
        m_state.lineWidth = lineWidth;
    }
    rect(r);
    m_out += "S\n";
}

void PdfCanvas::fillRect(const QRectF &r, const QColor &c)
{
    fillColour(c);
    rect(r);
    m_out += "f\n";
}

void PdfCanvas::fillRects(const QList<QRectF> &rects, const QColor &c)
{
    if (rects.isEmpty())
        return;
    fillColour(c);
    for (const QRectF &r : rects)
        rect(r);
    m_out += "f\n";
}

void PdfCanvas::drawText(const QPointF &origin, const QString &text, const TextStyle &style,
                         const QColor &c)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const FontFace &face = fontFace(style.face);
    if (face.file.isEmpty() || text.isEmpty())
        return;
    fillColour(c);
    m_out += "BT\n";
    const int font = style.face == Face::Bold ? 2 : 1;
    if (font != m_state.font || style.points != m_state.points) {
        m_out += "/F" + QByteArray::number(font) + ' ';
        appendNumber(m_out, style.points / kPointsPerMm);
        m_out += " Tf\n";
        m_state.font = font;
        m_state.points = style.points;
    }
    // The page's y runs down; the glyphs must not.
    m_out += "1 0 0 -1 ";
    appendNumber(m_out, origin.x());
    m_out += ' ';
    appendNumber(m_out, origin.y());
    m_out += " Tm <";
    for (const QChar ch : text) {
        const unsigned g = face.glyph(ch.unicode());
        const char code[4]
            = {kHex[(g >> 12) & 15], kHex[(g >> 8) & 15], kHex[(g >> 4) & 15], kHex[g & 15]};
        m_out.append(code, 4);
    }
    m_out += "> Tj\nET\n";
}

void PdfCanvas::save()
{
    m_saved.append(m_state);
    m_out += "q\n";
}

void PdfCanvas::clip(const QRectF &r)
{
    rect(r);
    m_out += "W n\n";
}

void PdfCanvas::restore()
{
    if (m_saved.isEmpty())
        return;
    m_state = m_saved.takeLast();
    m_out += "Q\n";
}

} // namespace dacte::pdf
