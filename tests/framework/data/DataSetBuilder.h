#pragma once

#include "ClientDataSet.h"

#include <QStringList>

// A small dataset for the tests: ID integer, NOME string 10, VALOR float; rows given as names.
inline contracts::DataPacket namesPacket(const QStringList &names)
{
    using contracts::FieldType;
    contracts::DataPacket p;
    p.fields = {{QStringLiteral("ID"), FieldType::Integer, 0},
                {QStringLiteral("NOME"), FieldType::String, 10},
                {QStringLiteral("VALOR"), FieldType::Float, 0}};
    for (qsizetype i = 0; i < names.size(); ++i)
        p.rows.append({QVariant(qint64(i + 1)), names.at(i).isEmpty() ? QVariant() : names.at(i),
                       QVariant(double(i + 1) * 10)});
    return p;
}

// Names of the visible rows, top to bottom, read through the grid access.
inline QStringList visibleNames(const TClientDataSet &ds)
{
    QStringList out;
    const TField *nome = ds.FindField(QStringLiteral("NOME"));
    for (int row = 0; row < ds.RecordCount(); ++row)
        out.append(ds.ValueAt(row, nome).toString());
    return out;
}
