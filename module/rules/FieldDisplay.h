#pragma once

#include <QList>
#include <QString>

// How the editor shows the stored fields of its datasets beyond their label: display format,
// edit mask and alignment. Labels come from the catalogue msgRotulos under FieldLabelKey().
struct TFieldDisplay
{
    enum Align { Left, Center, Right };

    QString dataset;
    QString field;
    QString displayFormat;
    QString editMask;
    Align alignment = Left;
};

const QList<TFieldDisplay> &EditorFieldDisplays();

// "cdsCTe.NRCTE": the key of a field's label in msgRotulos.
QString FieldLabelKey(const QString &dataset, const QString &field);
