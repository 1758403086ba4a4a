#include "PdfWriter.h"

#include "PdfFonts.h"
#include "PdfSyntax.h"

#include <algorithm>

namespace dacte::pdf {

namespace {

// Objects 1 and 2 are the catalogue and the page tree, the fonts follow, then the resources
// shared by every page; pages and their contents come after.
constexpr int kCatalog = 1, kPages = 2, kResources = kFirstFontObject + kFontObjects;
constexpr double kPointsPerMm = 72 / 25.4;
// Page streams are many and short-lived: speed over size.
constexpr int kContentLevel = 1;

} // namespace

PdfWriter::PdfWriter()
{
    m_out.reserve(160 * 1024);
    m_out += "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n";
    m_offsets.resize(kResources);
    const FontBlock &fonts = fontBlock();
    for (int i = 0; i < kFontObjects; ++i)
        m_offsets[kFirstFontObject - 1 + i] = m_out.size() + fonts.offsets.at(i);
    m_out += fonts.bytes;
}

void PdfWriter::beginObject(int object)
{
    if (m_offsets.size() < object)
        m_offsets.resize(object);
    m_offsets[object - 1] = m_out.size();
    m_out += QByteArray::number(object) + " 0 obj\n";
}

Canvas &PdfWriter::newPage(double widthMm, double heightMm)
{
    endPage();
    m_width = widthMm;
    m_height = heightMm;
    m_page = std::make_unique<PdfCanvas>(heightMm);
    return *m_page;
}

void PdfWriter::endPage()
{
    if (!m_page)
        return;
    const int page = int(m_offsets.size()) + 1;
    beginObject(page);
    m_out += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ";
    appendNumber(m_out, m_width * kPointsPerMm);
    m_out += ' ';
    appendNumber(m_out, m_height * kPointsPerMm);
    m_out += "] /Resources " + QByteArray::number(kResources) + " 0 R /Contents "
        + QByteArray::number(page + 1) + " 0 R >>\nendobj\n";
    m_offsets.append(m_out.size());
    appendStream(m_out, page + 1, QByteArray(), deflated(m_page->content(), kContentLevel));
    m_pages.append(page);
    m_opacities.unite(m_page->opacities());
    m_page.reset();
}

QByteArray PdfWriter::finish()
{
    endPage();
    const FontBlock &fonts = fontBlock();
    beginObject(kResources);
    m_out += "<< /ProcSet [/PDF /Text] /Font << /F1 " + QByteArray::number(fonts.type0[0])
        + " 0 R /F2 " + QByteArray::number(fonts.type0[1]) + " 0 R >>";
    if (!m_opacities.isEmpty()) {
        QList<int> alphas(m_opacities.begin(), m_opacities.end());
        std::sort(alphas.begin(), alphas.end());
        m_out += " /ExtGState <<";
        for (const int a : alphas) {
            m_out += " /A" + QByteArray::number(a) + " << /ca ";
            appendNumber(m_out, a / 255.0);
            m_out += " >>";
        }
        m_out += " >>";
    }
    m_out += " >>\nendobj\n";
    beginObject(kPages);
    m_out += "<< /Type /Pages /Count " + QByteArray::number(m_pages.size()) + " /Kids [";
    for (const int p : m_pages)
        m_out += QByteArray::number(p) + " 0 R ";
    m_out += "] >>\nendobj\n";
    beginObject(kCatalog);
    m_out += "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    const qsizetype xref = m_out.size();
    m_out += "xref\n0 " + QByteArray::number(m_offsets.size() + 1) + "\n0000000000 65535 f\r\n";
    for (const qsizetype at : std::as_const(m_offsets))
        m_out += QByteArray::number(at).rightJustified(10, '0') + " 00000 n\r\n";
    m_out += "trailer\n<< /Size " + QByteArray::number(m_offsets.size() + 1)
        + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return std::move(m_out);
}

} // namespace dacte::pdf
