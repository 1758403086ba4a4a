#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace dacte {

enum class Face { Regular, Bold };

// One of the DACTE's two faces, read once per process from its TrueType file: the glyph of every
// character the DACTE can print and the glyph's advance. The PDF embeds the same file (subset,
// glyph ids kept) and the printer draws from it, so both place the text alike.
struct FontFace
{
    QString postscriptName; // "DejaVuSans"
    QByteArray file; // the whole TrueType file; empty when it could not be read
    int unitsPerEm = 1000;
    int ascender = 0, descender = 0, lineGap = 0, capHeight = 0; // font units
    int bbox[4] = {0, 0, 0, 0};
    int glyphCount = 0;
    unsigned question = 0; // the glyph of "?"
    std::vector<unsigned short> byChar; // glyph by UTF-16 unit, 0 outside the printable set
    std::vector<unsigned short> widths; // advance by glyph, thousandths of an em

    // A character outside the printable set is drawn as "?": visibly wrong, never dropped.
    unsigned glyph(char16_t c) const
    {
        const unsigned g = c < byChar.size() ? byChar[c] : 0;
        return g ? g : question;
    }
    int width(unsigned glyphId) const { return glyphId < widths.size() ? widths[glyphId] : 0; }
};

// The characters the DACTE prints: Latin-1's printable ones and a few punctuation marks.
const std::vector<char16_t> &printableChars();

// Thread-safe; the files are read at the first call.
const FontFace &fontFace(Face face);

} // namespace dacte
