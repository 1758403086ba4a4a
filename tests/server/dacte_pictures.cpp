// Draws the demo DACTE to PNG files for people to look at (not a test): the server's PDF of it,
// portrait and landscape, rendered at 110 dpi into the folder given (docs/ by default).
#include "DactePdf.h"
#include "DacteSample.h"
#include "DacteXml.h"
#include "PdfProbe.h"

#include <QDir>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"docs"_s);
    const DacteSample portrait = dacteSample(3);
    const DacteSample landscape = dacteSample(40, true);
    const QByteArray p
        = dacte::dactePdf({dacte::readDacteXml(portrait.cteXml, portrait.protocolXml, 1)});
    const QByteArray l
        = dacte::dactePdf({dacte::readDacteXml(landscape.cteXml, landscape.protocolXml, 2)});
    const auto save = [&](const QByteArray &pdf, int page, const QString &name) {
        return pdfPageImage(pdf, page, 110).save(folder.filePath(name));
    };
    const bool ok = save(p, 0, u"dacte-portrait.png"_s) && save(l, 0, u"dacte-landscape.png"_s)
        && save(l, 1, u"dacte-landscape-continuation.png"_s);
    return ok ? 0 : 1;
}
