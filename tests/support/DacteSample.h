#pragma once

#include <QByteArray>

// The demo issuer's complete document as the server stores it once authorised: its CT-e XML
// (built by the server's own builder) and a protocol of the authority, for drawings that need no
// authority: benchmarks and pictures.
struct DacteSample
{
    QByteArray cteXml;
    QByteArray protocolXml;
};
// `invoices` referenced electronic invoices; tpImp 2 (landscape) when asked.
DacteSample dacteSample(int invoices = 1, bool landscape = false);
