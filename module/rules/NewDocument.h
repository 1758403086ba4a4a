#pragma once

#include <QDateTime>
#include <QString>

class TClientDataSet;

// A new document: the values it starts with and its standard cargo quantities.

// Fills the row being inserted in `cdsCTe`: key 0, the company, series, model, print orientation
// and environment of the current establishment row (`cdsInscrEstad`, empty values when it has
// none), status "P", the emission moment `now`, the fixed codes of a normal road CT-e, the
// process-version text and the e-mail state "P".
void FillNewDocument(TClientDataSet *cdsCTe, const QString &company,
                     const TClientDataSet *cdsInscrEstad, const QString &versaoProcesso,
                     const QDateTime &now);

// Appends and posts the five cargo rows every new document starts with (owner key 0): gross
// weight (generated automatically), weight for the tax base, measured weight, cubage, volumes.
void AppendStandardCargoRows(TClientDataSet *cdsCTeInfQtCarga);
