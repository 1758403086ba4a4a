#include "DactePdf.h"

#include "DactePainter.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

using namespace Qt::StringLiterals;

namespace dacte {

namespace {

QPageLayout layoutOf(const DacteData &data)
{
    return QPageLayout(QPageSize(QPageSize::A4),
                       isLandscape(data) ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

} // namespace

QByteArray dactePdf(const QList<DacteData> &documents)
{
    QByteArray bytes;
    if (documents.isEmpty())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setCreator(u"DACTE"_s);
        writer.setTitle(documents.first().value(u"InfProt"_s, u"chCTe"_s));
        writer.setPageLayout(layoutOf(documents.first()));
        QPainter painter(&writer);
        bool first = true;
        for (const DacteData &d : documents) {
            const int pages = pageCount(d);
            for (int page = 0; page < pages; ++page) {
                if (!first) {
                    writer.setPageLayout(layoutOf(d));
                    writer.newPage();
                }
                first = false;
                drawPage(painter, d, page);
            }
        }
    }
    return bytes;
}

} // namespace dacte
