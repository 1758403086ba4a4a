#include "Fonts.h"

#include <QFile>
#include <QtDebug>

#include <hb-ot.h>
#include <hb.h>

#include <memory>

namespace dacte {

namespace {

// The faces of fonts-dejavu-core; the DACTE has no other.
constexpr const char *kFiles[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                  "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"};
constexpr const char *kNames[] = {"DejaVuSans", "DejaVuSans-Bold"};

int bigEndian16(const char *p)
{
    return qint16((quint8(p[0]) << 8) | quint8(p[1]));
}

FontFace load(int index)
{
    FontFace f;
    f.postscriptName = QString::fromLatin1(kNames[index]);
    QFile file(QString::fromLatin1(kFiles[index]));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("DACTE: font %s unreadable, text is left out", kFiles[index]);
        return f;
    }
    f.file = file.readAll();
    const std::unique_ptr<hb_blob_t, decltype(&hb_blob_destroy)> blob(
        hb_blob_create(f.file.constData(), unsigned(f.file.size()), HB_MEMORY_MODE_READONLY,
                       nullptr, nullptr),
        &hb_blob_destroy);
    const std::unique_ptr<hb_face_t, decltype(&hb_face_destroy)> face(hb_face_create(blob.get(), 0),
                                                                      &hb_face_destroy);
    const std::unique_ptr<hb_font_t, decltype(&hb_font_destroy)> font(hb_font_create(face.get()),
                                                                      &hb_font_destroy);
    f.unitsPerEm = int(hb_face_get_upem(face.get()));
    f.glyphCount = int(hb_face_get_glyph_count(face.get()));
    hb_font_extents_t extents {};
    hb_font_get_h_extents(font.get(), &extents);
    f.ascender = extents.ascender;
    f.descender = extents.descender;
    f.lineGap = extents.line_gap;
    hb_position_t cap = 0;
    hb_ot_metrics_get_position(font.get(), HB_OT_METRICS_TAG_CAP_HEIGHT, &cap);
    f.capHeight = cap;
    unsigned headLength = 0;
    const std::unique_ptr<hb_blob_t, decltype(&hb_blob_destroy)> head(
        hb_face_reference_table(face.get(), HB_TAG('h', 'e', 'a', 'd')), &hb_blob_destroy);
    const char *headData = hb_blob_get_data(head.get(), &headLength);
    if (headLength >= 44) {
        for (int i = 0; i < 4; ++i)
            f.bbox[i] = bigEndian16(headData + 36 + 2 * i);
    }
    f.widths.assign(size_t(f.glyphCount), 0);
    const auto em = [&](hb_position_t v) {
        return (v * 1000 + f.unitsPerEm / 2) / f.unitsPerEm;
    };
    f.byChar.assign(0x2100, 0);
    for (const char16_t c : printableChars()) {
        hb_codepoint_t g = 0;
        if (!hb_font_get_nominal_glyph(font.get(), c, &g) || g == 0)
            continue;
        f.byChar[c] = quint16(g);
        f.widths[g] = quint16(em(hb_font_get_glyph_h_advance(font.get(), g)));
    }
    f.question = f.byChar[u'?'];
    return f;
}

} // namespace

const std::vector<char16_t> &printableChars()
{
    static const std::vector<char16_t> chars = [] {
        std::vector<char16_t> out;
        for (char16_t c = 0x20; c < 0x7f; ++c)
            out.push_back(c);
        for (char16_t c = 0xa0; c <= 0xff; ++c)
            out.push_back(c);
        // Dashes, quotes, the ellipsis, the bullet and the euro, as typed into notes.
        for (const char16_t c : u"\u2013\u2014\u2018\u2019\u201c\u201d\u2022\u2026\u20ac")
            if (c)
                out.push_back(c);
        return out;
    }();
    return chars;
}

const FontFace &fontFace(Face face)
{
    static const FontFace faces[] = {load(0), load(1)};
    return faces[face == Face::Bold ? 1 : 0];
}

} // namespace dacte
