#include "Barcodes.h"

#include "Canvas.h"

#include <zint.h>

#include <algorithm>
#include <memory>

namespace dacte {

namespace {

// Adjacent dark modules of one row as one rectangle: a QR code's page stream is a third as long.
QList<QRectF> mergedRows(QList<QRectF> rects)
{
    std::sort(rects.begin(), rects.end(), [](const QRectF &a, const QRectF &b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    });
    QList<QRectF> out;
    for (const QRectF &r : rects) {
        if (!out.isEmpty()) {
            QRectF &last = out.last();
            if (qFuzzyCompare(last.y(), r.y()) && qFuzzyCompare(last.height(), r.height())
                && qAbs(last.right() - r.left()) < 1e-6) {
                last.setRight(r.right());
                continue;
            }
        }
        out.append(r);
    }
    return out;
}

Symbol encode(int symbology, int option1, const QByteArray &data)
{
    const std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> s(ZBarcode_Create(),
                                                                     &ZBarcode_Delete);
    if (!s || data.isEmpty())
        return {};
    s->symbology = symbology;
    s->option_1 = option1;
    s->show_hrt = 0;
    s->whitespace_width = 0;
    s->border_width = 0;
    s->scale = 1;
    const int rc = ZBarcode_Encode_and_Buffer_Vector(
        s.get(), reinterpret_cast<const unsigned char *>(data.constData()), int(data.size()), 0);
    if (rc >= ZINT_ERROR || !s->vector)
        return {};
    Symbol out;
    QRectF bounds;
    for (const zint_vector_rect *r = s->vector->rectangles; r; r = r->next) {
        const QRectF rect(r->x, r->y, r->width, r->height);
        out.dark.append(rect);
        bounds = bounds.united(rect);
    }
    // Whatever margin zint leaves is dropped: the page gives the quiet zones.
    for (QRectF &r : out.dark)
        r.translate(-bounds.topLeft());
    out.size = bounds.size();
    out.dark = mergedRows(std::move(out.dark));
    return out;
}

} // namespace

Symbol code128(const QByteArray &data)
{
    return encode(BARCODE_CODE128, -1, data);
}

Symbol qrCode(const QByteArray &data)
{
    return encode(BARCODE_QRCODE, 2, data);
}

void drawSymbol(Canvas &canvas, const Symbol &symbol, const QRectF &target, bool keepAspect)
{
    if (symbol.isNull() || symbol.size.isEmpty())
        return;
    double sx = target.width() / symbol.size.width();
    double sy = target.height() / symbol.size.height();
    QPointF origin = target.topLeft();
    if (keepAspect) {
        sx = sy = std::min(sx, sy);
        origin += QPointF((target.width() - symbol.size.width() * sx) / 2,
                          (target.height() - symbol.size.height() * sy) / 2);
    }
    QList<QRectF> rects;
    rects.reserve(symbol.dark.size());
    for (const QRectF &r : symbol.dark)
        rects.append(QRectF(origin.x() + r.x() * sx, origin.y() + r.y() * sy, r.width() * sx,
                            r.height() * sy));
    canvas.fillRects(rects, Qt::black);
}

} // namespace dacte
