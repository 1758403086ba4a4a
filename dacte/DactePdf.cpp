#include "DactePdf.h"

#include "DactePainter.h"
#include "PdfWriter.h"

namespace dacte {

QByteArray dactePdf(const QList<DacteData> &documents)
{
    if (documents.isEmpty())
        return {};
    pdf::PdfWriter writer;
    for (const DacteData &d : documents) {
        const bool landscape = isLandscape(d);
        const int pages = pageCount(d);
        for (int page = 0; page < pages; ++page)
            drawPage(writer.newPage(landscape ? 297 : 210, landscape ? 210 : 297), d, page);
    }
    return writer.finish();
}

} // namespace dacte
