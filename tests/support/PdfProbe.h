#pragma once

#include <QByteArray>
#include <QHash>
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
};
PdfProbe probePdf(const QByteArray &pdf);

// The entries of a ZIP archive by name.
QHash<QString, QByteArray> zipEntries(const QByteArray &zip);
