// Draws the demo DACTE to PNG files for people to look at (not a test): portrait and landscape,
// at 110 dpi, into the folder given (docs/ by default).
#include "DactePainter.h"
#include "DacteSample.h"
#include "DacteXml.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

bool draw(const dacte::DacteData &data, int page, const QString &path)
{
    constexpr double dpi = 110;
    const bool landscape = dacte::isLandscape(data);
    const QSize size(qRound((landscape ? 297 : 210) / 25.4 * dpi),
                     qRound((landscape ? 210 : 297) / 25.4 * dpi));
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        dacte::drawPage(painter, data, page);
    }
    return image.save(path);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"docs"_s);
    const DacteSample portrait = dacteSample(3);
    const DacteSample landscape = dacteSample(40, true);
    const dacte::DacteData p = dacte::readDacteXml(portrait.cteXml, portrait.protocolXml, 1);
    const dacte::DacteData l = dacte::readDacteXml(landscape.cteXml, landscape.protocolXml, 2);
    const bool ok = draw(p, 0, folder.filePath(u"dacte-portrait.png"_s))
        && draw(l, 0, folder.filePath(u"dacte-landscape.png"_s))
        && draw(l, 1, folder.filePath(u"dacte-landscape-continuation.png"_s));
    return ok ? 0 : 1;
}
