#include "PdfProbe.h"

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <QBuffer>
#include <QImage>

#include <poppler-qt6.h>
#include <quazip.h>
#include <quazipfile.h>

namespace {

std::unique_ptr<Poppler::Document> load(const QByteArray &pdf)
{
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(pdf);
    if (!doc || doc->isLocked())
        return {};
    // As a viewer shows it: without smoothing the thin bars merge at 200 dpi.
    doc->setRenderHint(Poppler::Document::Antialiasing);
    doc->setRenderHint(Poppler::Document::TextAntialiasing);
    return doc;
}

} // namespace

QImage pdfPageImage(const QByteArray &pdf, int page, double dpi)
{
    const std::unique_ptr<Poppler::Document> doc = load(pdf);
    const std::unique_ptr<Poppler::Page> p = doc ? doc->page(page) : nullptr;
    return p ? p->renderToImage(dpi, dpi) : QImage();
}

PdfProbe probePdf(const QByteArray &pdf)
{
    PdfProbe probe;
    const std::unique_ptr<Poppler::Document> doc = load(pdf);
    if (!doc)
        return probe;
    probe.loaded = true;
    const auto yesNo = [](bool b) {
        return b ? QStringLiteral("yes") : QStringLiteral("no");
    };
    for (const Poppler::FontInfo &f : doc->fonts())
        probe.fonts << f.name() + QLatin1Char(' ') + yesNo(f.isEmbedded()) + QLatin1Char(' ')
                + yesNo(f.isSubset());
    for (int i = 0; i < doc->numPages(); ++i) {
        const std::unique_ptr<Poppler::Page> page = doc->page(i);
        probe.pageSizes.append(page->pageSizeF());
        probe.text += page->text(QRectF()) + QLatin1Char('\n');
        const QImage image
            = page->renderToImage(200, 200).convertToFormat(QImage::Format_Grayscale8);
        const ZXing::ImageView view(image.constBits(), image.width(), image.height(),
                                    ZXing::ImageFormat::Lum, int(image.bytesPerLine()));
        ZXing::DecodeHints hints;
        hints.setTryHarder(true);
        for (const ZXing::Result &r : ZXing::ReadBarcodes(view, hints))
            probe.codes << QString::fromLatin1(ZXing::ToString(r.format())) + QLatin1Char(':')
                    + QString::fromStdString(r.text());
    }
    return probe;
}

QHash<QString, QByteArray> zipEntries(const QByteArray &zip)
{
    QHash<QString, QByteArray> entries;
    QByteArray copy = zip;
    QBuffer buffer(&copy);
    QuaZip archive(&buffer);
    if (!archive.open(QuaZip::mdUnzip))
        return entries;
    for (bool more = archive.goToFirstFile(); more; more = archive.goToNextFile()) {
        QuaZipFile file(&archive);
        if (file.open(QIODevice::ReadOnly))
            entries.insert(archive.getCurrentFileName(), file.readAll());
    }
    return entries;
}
