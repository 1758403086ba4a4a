#include "Barcodes.h"

#include <QPainter>
#include <QPainterPath>

#include <zint.h>

#include <memory>

namespace dacte {

namespace {

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

void drawSymbol(QPainter &painter, const Symbol &symbol, const QRectF &target, bool keepAspect)
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
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF &r : symbol.dark)
        path.addRect(origin.x() + r.x() * sx, origin.y() + r.y() * sy, r.width() * sx,
                     r.height() * sy);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(path, Qt::black);
    painter.restore();
}

} // namespace dacte
