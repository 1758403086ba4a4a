#pragma once

#include <QByteArray>
#include <QList>
#include <QRectF>

namespace dacte {

class Canvas;

// A symbol encoded by zint as dark rectangles in its own units (origin top left).
struct Symbol
{
    QSizeF size;
    QList<QRectF> dark;
    bool isNull() const { return dark.isEmpty(); }
};

// Code-128 of `data` (zint picks subset C for a run of digits, as the access key is).
Symbol code128(const QByteArray &data);
// QR code of `data`, error correction level M.
Symbol qrCode(const QByteArray &data);

// Fills `target` (millimetres) with the symbol; with keepAspect the symbol is centred at its own
// proportions.
void drawSymbol(Canvas &canvas, const Symbol &symbol, const QRectF &target, bool keepAspect);

} // namespace dacte
