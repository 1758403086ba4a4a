#include "DataSetModel.h"

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Exceptions.h"

TDataSetModel::TDataSetModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void TDataSetModel::SetDataSource(TDataSource *source)
{
    disconnect(m_sourceConnection);
    m_source = source;
    if (source) {
        m_sourceConnection
            = connect(source, &TDataSource::DataSetChanged, this, [this] { relink(); });
    }
    relink();
}

TClientDataSet *TDataSetModel::DataSet() const
{
    return m_dataSet;
}

void TDataSetModel::relink()
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataSet = m_source ? m_source->DataSet() : nullptr;
    if (m_dataSet) {
        TClientDataSet *ds = m_dataSet;
        m_connections = {
            connect(ds, &TClientDataSet::dataSetChanged, this, [this] { reset(); }),
            connect(ds, &TClientDataSet::structureChanged, this, [this] { reset(); }),
            connect(ds, &TClientDataSet::stateChanged, this,
                    [this] {
                        // Insert and cancel of a new row change the row count.
                        if (m_dataSet && m_dataSet->RecordCount() != m_rows)
                            reset();
                        else if (m_rows > 0)
                            emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
                    }),
            connect(ds, &TClientDataSet::recordChanged, this,
                    [this](int row) {
                        if (m_dataSet && m_dataSet->RecordCount() != m_rows) {
                            reset();
                            return;
                        }
                        if (row >= 0 && row < m_rows)
                            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
                    }),
            connect(ds, &TClientDataSet::fieldChanged, this,
                    [this] {
                        const int row = m_dataSet ? m_dataSet->CurrentRow() : -1;
                        if (row >= 0 && row < m_rows)
                            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
                    }),
            connect(ds, &TClientDataSet::currentChanged, this,
                    [this](int row) { emit currentRowChanged(row); }),
            connect(ds, &QObject::destroyed, this, [this] { relink(); }),
        };
    }
    reset();
}

void TDataSetModel::SetColumns(const QList<TColumn> &columns)
{
    m_columns = columns;
    reset();
}

void TDataSetModel::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

void TDataSetModel::rebuildColumns()
{
    m_effective.clear();
    if (!m_columns.isEmpty()) {
        for (const TColumn &c : std::as_const(m_columns)) {
            if (c.Visible)
                m_effective.append(c);
        }
        return;
    }
    if (!m_dataSet)
        return;
    for (TField *f : m_dataSet->Fields()) {
        if (f->Visible()) {
            TColumn c;
            c.FieldName = f->FieldName();
            m_effective.append(c);
        }
    }
}

void TDataSetModel::reset()
{
    beginResetModel();
    rebuildColumns();
    m_rows = m_dataSet && m_dataSet->Active() ? m_dataSet->RecordCount() : 0;
    endResetModel();
    emit currentRowChanged(m_dataSet && m_dataSet->Active() ? m_dataSet->CurrentRow() : -1);
}

TField *TDataSetModel::FieldOf(int column) const
{
    if (!m_dataSet || column < 0 || column >= m_effective.size())
        return nullptr;
    return m_dataSet->FindField(m_effective.at(column).FieldName);
}

int TDataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TDataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_effective.size());
}

QVariant TDataSetModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !m_dataSet)
        return {};
    TField *f = FieldOf(index.column());
    if (!f || index.row() >= m_dataSet->RecordCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_dataSet->DisplayTextAt(index.row(), f);
    case Qt::EditRole:
        return m_dataSet->TextAt(index.row(), f);
    case Qt::TextAlignmentRole:
        switch (f->Alignment()) {
        case TAlignment::taRightJustify:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        case TAlignment::taCenter:
            return int(Qt::AlignCenter);
        case TAlignment::taLeftJustify:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
        return {};
    default:
        return {};
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && m_dataSet && m_dataSet->IsEditingRow(section))
            return QStringLiteral("*");
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    }
    if (role != Qt::DisplayRole || section < 0 || section >= m_effective.size())
        return {};
    const TColumn &c = m_effective.at(section);
    if (!c.Title.isEmpty())
        return c.Title;
    TField *f = FieldOf(section);
    return f ? f->DisplayLabel() : c.FieldName;
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex &index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    TField *f = FieldOf(index.column());
    if (!m_readOnly && f && !f->ReadOnly() && !f->IsCalculated()
        && !m_effective.at(index.column()).ReadOnly && m_source
        && (m_source->AutoEdit() || m_dataSet->State() != dsBrowse))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TDataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    m_lastError.clear();
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    TField *f = FieldOf(index.column());
    try {
        if (m_dataSet->CurrentRow() != index.row())
            m_dataSet->SetRecNo(index.row() + 1);
        if (!m_source->Edit())
            return false;
        f->SetText(value.toString());
    } catch (const EMensErro &e) {
        m_lastError = e.text();
        return false;
    } catch (const EAbort &) {
        return false;
    }
    return true;
}
