#include "Sheet.h"

#include "TextLayout.h"

namespace dacte {

void Sheet::text(const QRectF &rect, const QString &s, const TextStyle &style, int flags,
                 const QColor &colour)
{
    for (const PlacedLine &l : layoutText(rect, s, style, flags))
        m_c.drawText(l.origin, l.text, style, colour);
}

void Sheet::field(double x, double y, double w, double h, const QString &caption,
                  const QString &value, int align, bool bold)
{
    box(x, y, w, h);
    text(r(x + 0.6, y + 0.3, w - 1.2, 2.2), caption, label(), Qt::AlignLeft | Qt::AlignTop);
    text(r(x + 0.6, y + 2.4, w - 1.2, h - 2.6), value, bold ? this->bold() : this->value(),
         align | Qt::AlignVCenter);
}

void Sheet::title(double x, double y, double w, const QString &caption)
{
    const QRectF t = r(x, y, w, kTitle);
    m_c.fillRect(t, QColor(225, 225, 225));
    m_c.strokeRect(t, kLine);
    text(t, caption, label(), Qt::AlignCenter);
}

} // namespace dacte
