#pragma once

#include "Canvas.h"

namespace dacte {

// The boxes and texts of a printed form (the DACTE, the correction letter) on a canvas, in
// millimetres from the top left corner inside the page's margin.
class Sheet
{
public:
    Sheet(Canvas &c, double pageWidth, double margin)
        : m_c(c)
        , m_pageWidth(pageWidth)
        , m_margin(margin)
    { }

    double width() const { return m_pageWidth - 2 * m_margin; }
    QRectF r(double x, double y, double w, double h) const
    {
        return {m_margin + x, m_margin + y, w, h};
    }
    void box(double x, double y, double w, double h) { m_c.strokeRect(r(x, y, w, h), kLine); }
    // `s` laid out in `rect` (page millimetres) by `flags` (see layoutText).
    void text(const QRectF &rect, const QString &s, const TextStyle &style, int flags,
              const QColor &colour = Qt::black);
    // A box with its caption above and its value below.
    void field(double x, double y, double w, double h, const QString &caption, const QString &value,
               int align = Qt::AlignLeft, bool bold = false);
    // A block's title bar across `w`.
    void title(double x, double y, double w, const QString &caption);
    Canvas &canvas() { return m_c; }

    static TextStyle label() { return {Face::Regular, 4.6}; }
    static TextStyle value() { return {Face::Regular, 6.6}; }
    static TextStyle bold() { return {Face::Bold, 6.6}; }
    static TextStyle big() { return {Face::Bold, 11}; }
    static TextStyle small() { return {Face::Regular, 5.6}; }
    static constexpr double kTitle = 3.2;

private:
    static constexpr double kLine = 0.2;
    Canvas &m_c;
    double m_pageWidth;
    double m_margin;
};

} // namespace dacte
