#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

#include "ClientDataSet.h"
#include "DataSource.h"
class TField;

// One column of a data-aware grid.
struct TColumn
{
    QString FieldName;
    QString Title; // caption; empty uses the field's display label
    int Width = 0; // pixels; 0 uses the field's display width
    bool ReadOnly = false;
    QStringList PickList; // editing offers these values in a drop-down
    bool EllipsisButton = false; // editing shows a "..." button (the grid's OnEditButtonClick)
    bool Visible = true;
};

// The grid's view of a data source's dataset: one row per visible row of the dataset, one
// column per grid column (or per visible field when the grid has no columns). Reads values
// without moving the dataset's cursor; writing a cell makes its row current, puts the dataset in
// edit state and assigns the text to the field.
class TDataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TDataSetModel(QObject *parent = nullptr);

    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_source; }
    TClientDataSet *DataSet() const;
    void SetColumns(const QList<TColumn> &columns);
    // The columns in use: the grid's, or one per visible field.
    const QList<TColumn> &Columns() const { return m_effective; }
    TField *FieldOf(int column) const;
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // The error of the last refused setData (shown by the grid); empty when none.
    QString LastError() const { return m_lastError; }

signals:
    // The dataset's current row moved (0-based; -1 when empty).
    void currentRowChanged(int row);

private:
    void relink();
    void rebuildColumns();
    void reset();

    QPointer<TDataSource> m_source;
    QPointer<TClientDataSet> m_dataSet;
    QList<TColumn> m_columns;
    QList<TColumn> m_effective;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_sourceConnection;
    bool m_readOnly = false;
    int m_rows = 0;
    QString m_lastError;
};
