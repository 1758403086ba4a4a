#pragma once

#include "PdfCanvas.h"

#include <memory>

namespace dacte::pdf {

// A PDF of pages drawn on PdfCanvas: the fonts' objects copied as prepared once, one deflated
// content stream per page, the cross-reference table at the end.
class PdfWriter
{
public:
    PdfWriter();
    // The canvas of a new page of `widthMm` × `heightMm`, valid until the next call.
    Canvas &newPage(double widthMm, double heightMm);
    QByteArray finish();

private:
    void endPage();
    void beginObject(int object);

    QByteArray m_out;
    QList<qsizetype> m_offsets; // by object number - 1
    QList<int> m_pages;
    QSet<int> m_opacities;
    std::unique_ptr<PdfCanvas> m_page;
    double m_width = 0, m_height = 0;
};

} // namespace dacte::pdf
