#include "PdfFonts.h"

#include "Fonts.h"
#include "PdfSyntax.h"

#include <hb-subset.h>

#include <map>
#include <memory>

namespace dacte::pdf {

namespace {

// The subset of `face`: the printable characters, glyph ids as in the whole file (so the codes
// the layout found stay valid), no hinting (it is for screens and only weighs on paper) and no
// layout tables (the text is drawn glyph by glyph).
QByteArray subset(const FontFace &face)
{
    const std::unique_ptr<hb_blob_t, decltype(&hb_blob_destroy)> blob(
        hb_blob_create(face.file.constData(), unsigned(face.file.size()), HB_MEMORY_MODE_READONLY,
                       nullptr, nullptr),
        &hb_blob_destroy);
    const std::unique_ptr<hb_face_t, decltype(&hb_face_destroy)> whole(
        hb_face_create(blob.get(), 0), &hb_face_destroy);
    const std::unique_ptr<hb_subset_input_t, decltype(&hb_subset_input_destroy)> input(
        hb_subset_input_create_or_fail(), &hb_subset_input_destroy);
    if (!input)
        return {};
    hb_set_t *unicodes = hb_subset_input_unicode_set(input.get());
    for (const char16_t c : printableChars())
        hb_set_add(unicodes, c);
    hb_set_t *dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (const hb_tag_t tag :
         {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
          HB_TAG('k', 'e', 'r', 'n'), HB_TAG('M', 'A', 'T', 'H'), HB_TAG('F', 'F', 'T', 'M')})
        hb_set_add(dropped, tag);
    hb_subset_input_set_flags(input.get(),
                              HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
    const std::unique_ptr<hb_face_t, decltype(&hb_face_destroy)> cut(
        hb_subset_or_fail(whole.get(), input.get()), &hb_face_destroy);
    if (!cut)
        return {};
    const std::unique_ptr<hb_blob_t, decltype(&hb_blob_destroy)> out(
        hb_face_reference_blob(cut.get()), &hb_blob_destroy);
    unsigned length = 0;
    const char *data = hb_blob_get_data(out.get(), &length);
    return QByteArray(data, qsizetype(length));
}

QByteArray hex4(unsigned v)
{
    return QByteArray::number(v, 16).rightJustified(4, '0').toUpper();
}

// Each glyph the DACTE uses, with the first character drawn by it.
std::map<unsigned, char16_t> glyphs(const FontFace &face)
{
    std::map<unsigned, char16_t> out;
    for (const char16_t c : printableChars()) {
        if (const unsigned g = c < face.byChar.size() ? face.byChar[c] : 0)
            out.emplace(g, c);
    }
    return out;
}

QByteArray widths(const FontFace &face, const std::map<unsigned, char16_t> &used)
{
    QByteArray w = "[";
    unsigned next = 0;
    for (const auto &[g, c] : used) {
        if (g != next || w.size() == 1)
            w += (w.size() == 1 ? "" : "] ") + QByteArray::number(g) + " [";
        else
            w += ' ';
        w += QByteArray::number(face.width(g));
        next = g + 1;
    }
    return w + (w.size() == 1 ? "]" : "]]");
}

QByteArray toUnicode(const std::map<unsigned, char16_t> &used)
{
    QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    // At most a hundred entries per section.
    auto it = used.begin();
    while (it != used.end()) {
        QByteArray section;
        int n = 0;
        for (; it != used.end() && n < 100; ++it, ++n)
            section += '<' + hex4(it->first) + "> <" + hex4(it->second) + ">\n";
        map += QByteArray::number(n) + " beginbfchar\n" + section + "endbfchar\n";
    }
    return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

int em(const FontFace &f, int units)
{
    return units * 1000 / f.unitsPerEm;
}

void appendFace(FontBlock &block, Face which, int first)
{
    const FontFace &f = fontFace(which);
    // The tag before the name marks the font as a subset.
    const QByteArray name
        = (which == Face::Bold ? "DACTEB+" : "DACTER+") + f.postscriptName.toLatin1();
    const std::map<unsigned, char16_t> used = glyphs(f);
    QByteArray &out = block.bytes;
    const auto begin = [&](int object) {
        block.offsets.append(out.size());
        out += QByteArray::number(object) + " 0 obj\n";
    };
    const QByteArray ref1 = QByteArray::number(first + 1) + " 0 R";
    begin(first);
    out += "<< /Type /Font /Subtype /Type0 /BaseFont /" + name
        + " /Encoding /Identity-H /DescendantFonts [" + ref1 + "] /ToUnicode "
        + QByteArray::number(first + 4) + " 0 R >>\nendobj\n";
    begin(first + 1);
    out += "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name
        + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
          " /FontDescriptor "
        + QByteArray::number(first + 2) + " 0 R /CIDToGIDMap /Identity /DW 1000 /W "
        + widths(f, used) + " >>\nendobj\n";
    begin(first + 2);
    out += "<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox ["
        + QByteArray::number(em(f, f.bbox[0])) + ' ' + QByteArray::number(em(f, f.bbox[1])) + ' '
        + QByteArray::number(em(f, f.bbox[2])) + ' ' + QByteArray::number(em(f, f.bbox[3]))
        + "] /ItalicAngle 0 /Ascent " + QByteArray::number(em(f, f.ascender)) + " /Descent "
        + QByteArray::number(em(f, f.descender)) + " /CapHeight "
        + QByteArray::number(em(f, f.capHeight)) + " /StemV " + (which == Face::Bold ? "140" : "80")
        + " /FontFile2 " + QByteArray::number(first + 3) + " 0 R >>\nendobj\n";
    const QByteArray file = subset(f);
    block.offsets.append(out.size());
    appendStream(out, first + 3, " /Length1 " + QByteArray::number(file.size()), deflated(file, 9));
    block.offsets.append(out.size());
    appendStream(out, first + 4, QByteArray(), deflated(toUnicode(used), 9));
}

} // namespace

const FontBlock &fontBlock()
{
    static const FontBlock block = [] {
        FontBlock b;
        appendFace(b, Face::Regular, kFirstFontObject);
        appendFace(b, Face::Bold, kFirstFontObject + 5);
        b.type0[0] = kFirstFontObject;
        b.type0[1] = kFirstFontObject + 5;
        return b;
    }();
    return block;
}

} // namespace dacte::pdf
