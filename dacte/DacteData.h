#pragma once

#include "DataPacket.h"

#include <QHash>
#include <QList>
#include <QString>

// What a DACTE shows, as the record sets its report reads: one set per group of the authorised
// CT-e (identification, protocol, parties, cargo, values, taxes, documents, modal, notes), each a
// list of rows of element texts by field name. The server fills them from the stored XML and
// sends them as data packets; the report window loads the packets into datasets and hands them
// back to the drawing as the same sets, so both ways print the same thing.
namespace dacte {

struct SetField
{
    QString name;
    int size = 20;
};

struct SetDef
{
    QString name; // "Ide": dataset cdsDACTeIde, data source dtsDACTeIde
    QString path; // elements below infCte ("rem/enderReme"); the protocol's set reads infProt
    QList<SetField> fields; // after CDCTE (and NRSEQ when numbered)
    bool numbered = false; // rows carry NRSEQ 1, 2, …
};

// The sets in the order of the report's reply elements (37).
const QList<SetDef> &dacteSets();

using Row = QHash<QString, QString>;

// The rows of a set's data packet as texts by field name (numbers, the codes, without decimals).
QList<Row> rowsOf(const contracts::DataPacket &packet);

struct DacteData
{
    double cdCte = 0;
    QHash<QString, QList<Row>> sets;

    const QList<Row> &rows(const QString &set) const;
    // The field of the set's first row (empty when the set has no row).
    QString value(const QString &set, const QString &field) const;
};

} // namespace dacte
