#pragma once

#include "DacteData.h"

class QPainter;

namespace dacte {

// The DACTE's pages as drawn on any paint device (PDF writer, printer, image): A4, portrait or
// landscape as the document asks (tpImp "2" is landscape). The painter's device must have that
// page size and orientation; the drawing keeps its own margins.
bool isLandscape(const DacteData &data);
// The pages the document takes: one, plus continuation pages for a long document list.
int pageCount(const DacteData &data);
// Draws page `page` (0-based).
void drawPage(QPainter &painter, const DacteData &data, int page);

} // namespace dacte
