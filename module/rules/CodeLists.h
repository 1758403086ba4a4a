#pragma once

#include <QList>
#include <QString>

// The editor's code lists: small datasets (CODIGO, DESCRICAO) that feed its drop-downs, built on
// show from the list catalogue msgListaDados in this order.
struct TCodeListEntry
{
    QString code;
    QString key; // catalogue key of the text shown
};

struct TCodeList
{
    QString dataset; // cdsListaModal, …
    int codeWidth = 1; // width of CODIGO
    QString boundField; // the cdsCTe field the drop-down edits
    QList<TCodeListEntry> entries;
};

const QList<TCodeList> &EditorCodeLists();

// The catalogue key of a unit of measure ("01" -> COD_UNID_MEDIDA_01).
QString UnitOfMeasureKey(const QString &code);
// The units of measure known to the cargo quantities, "00" to "05".
const QStringList &UnitOfMeasureCodes();
