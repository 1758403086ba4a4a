#pragma once

#include "DacteData.h"

class QPainter;

namespace dacte {

class Canvas;

// The DACTE's pages as drawn on a canvas (our PDF writer, or a painter on a printer or an image):
// A4, portrait or landscape as the document asks (tpImp "2" is landscape). A painter's device
// must have that page size and orientation; the drawing keeps its own margins.
bool isLandscape(const DacteData &data);
// A cancelled document: its protocol's set carries the cancellation's status (101, or 135 for the
// cancellation event).
bool isCancelled(const DacteData &data);
// The pages the document takes: one, plus continuation pages for a long document list.
int pageCount(const DacteData &data);
// Draws page `page` (0-based) on a canvas in millimetres.
void drawPage(Canvas &canvas, const DacteData &data, int page);
// The same on a painter whose device is the whole page.
void drawPage(QPainter &painter, const DacteData &data, int page);

} // namespace dacte
