#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSizeF>
#include <QStringList>

// What a person and a scanner read on a PDF: the text of its pages (poppler) and the barcodes
// decoded from each page rendered at 200 dpi (zxing-cpp), as "FORMAT:text".
struct PdfProbe
{
    bool loaded = false;
    QString text;
    QStringList codes;
    QList<QSizeF> pageSizes; // points
    QStringList fonts; // "name embedded subset", embedded and subset "yes" or "no"
};
PdfProbe probePdf(const QByteArray &pdf);
// Page `page` of `pdf` as a viewer shows it at `dpi` (null when it cannot be read).
QImage pdfPageImage(const QByteArray &pdf, int page, double dpi);

// The entries of a ZIP archive by name.
QHash<QString, QByteArray> zipEntries(const QByteArray &zip);
