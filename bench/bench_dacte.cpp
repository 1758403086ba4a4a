// DACTE figures, in one process and one thread:
//   dacte_pages_per_s   one-page DACTE with barcode and QR, from the stored XML and protocol to a
//                       PDF in memory (XML read, drawing, PDF written with fonts embedded)
//   dacte_ms_per_page   the same, as milliseconds per page
//   dacte_xml_read_per_s the XML read alone, for the share of the drawing
// Rates are per CPU second of the measuring thread.
#include "DactePdf.h"
#include "DacteSample.h"
#include "DacteXml.h"

#include "BenchRate.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const DacteSample sample = dacteSample();
    qint64 sink = 0;
    // The first drawing loads the fonts: not what a page costs.
    sink += dacte::dactePdf({dacte::readDacteXml(sample.cteXml, sample.protocolXml, 1)}).size();
    const double pages = rate(3.0, [&] {
        sink += dacte::dactePdf({dacte::readDacteXml(sample.cteXml, sample.protocolXml, 1)}).size();
    });
    const double reads = rate(1.0, [&] {
        sink += dacte::readDacteXml(sample.cteXml, sample.protocolXml, 1).sets.size();
    });
    out << "dacte_pages_per_s " << qRound(pages) << '\n';
    out << "dacte_ms_per_page " << QString::number(1000.0 / pages, 'f', 2) << '\n';
    out << "dacte_xml_read_per_s " << qRound(reads) << '\n';
    out.flush();
    return sink > 0 ? 0 : 1;
}
