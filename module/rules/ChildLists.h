#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TClientDataSet;

// The child lists of the editor hold the rows of every listed document; at each move of the
// master they are restricted to the current document by an equality filter on CDCTE.

// "CDCTE = '123'": the filter of the children of the document whose key reads `cdCte`.
QString ChildFilterText(const QString &cdCte);

// Sets `filter` on each child (switched off, new text, switched on) and moves it to its first row.
void FilterChildren(const QList<TClientDataSet *> &children, const QString &filter);

// The value-component codes (CDCOMPVRPREST as text) of the visible rows; the cursor is left on the
// first row.
QStringList ValueComponentKeys(TClientDataSet *cdsCTeCompValor);

// For each visible fiscal-document row: branch followed by entry number (CDFILIAL + NRLANCTONF),
// or the access key when both are empty; rows with neither add nothing. The cursor is left on the
// first row.
QStringList FiscalDocumentKeys(TClientDataSet *cdsCTeDocFiscais);
