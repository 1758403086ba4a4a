#pragma once

#include <QByteArray>
#include <QList>

namespace dacte::pdf {

// The DACTE's two faces as PDF objects, numbered from kFirstFontObject: per face a Type0 font
// (Identity-H, glyph ids as codes), its CIDFontType2 with /W widths, the descriptor, the subset
// TrueType file and the ToUnicode map. Built once per process (thread-safe); every document copies
// the bytes.
constexpr int kFirstFontObject = 3;
constexpr int kFontObjects = 10;

struct FontBlock
{
    QByteArray bytes;
    QList<qsizetype> offsets; // of each object from the start of `bytes`
    int type0[2] = {0, 0}; // the object of /F1 (regular) and /F2 (bold)
};
const FontBlock &fontBlock();

} // namespace dacte::pdf
