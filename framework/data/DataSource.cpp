#include "DataSource.h"

#include "ClientDataSet.h"
#include "Exceptions.h"

TDataSource::TDataSource(QObject *parent, const QString &name)
    : QObject(parent)
{
    setObjectName(name);
}

void TDataSource::SetDataSet(TClientDataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataSet = dataSet;
    if (dataSet) {
        m_connections = {
            connect(dataSet, &TClientDataSet::stateChanged, this, [this] { stateChanged(); }),
            connect(dataSet, &TClientDataSet::dataSetChanged, this,
                    [this] { dataChanged(nullptr); }),
            connect(dataSet, &TClientDataSet::recordChanged, this,
                    [this] { dataChanged(nullptr); }),
            connect(dataSet, &TClientDataSet::currentChanged, this,
                    [this] { dataChanged(nullptr); }),
            connect(dataSet, &TClientDataSet::fieldChanged, this,
                    [this](TField *field) { dataChanged(field); }),
            connect(dataSet, &TClientDataSet::fieldDisplayChanged, this,
                    [this](TField *field) { emit DisplayChange(field); }),
            connect(dataSet, &TClientDataSet::updateDataRequested, this,
                    [this] { emit UpdateData(); }),
            connect(dataSet, &TClientDataSet::structureChanged, this,
                    [this] { emit LayoutChange(); }),
            connect(dataSet, &QObject::destroyed, this, [this] { SetDataSet(nullptr); }),
        };
    }
    emit DataSetChanged();
    stateChanged();
    dataChanged(nullptr);
}

TDataSetState TDataSource::State() const
{
    return m_dataSet ? m_dataSet->State() : dsInactive;
}

bool TDataSource::Edit()
{
    if (!m_dataSet || !m_dataSet->Active())
        return false;
    if (m_dataSet->State() == dsBrowse && m_autoEdit)
        m_dataSet->Edit();
    return m_dataSet->State() == dsEdit || m_dataSet->State() == dsInsert;
}

void TDataSource::stateChanged()
{
    if (OnStateChange) {
        const auto call = OnStateChange;
        FrameworkGuard([&] { call(this); });
    }
    emit StateChange();
}

void TDataSource::dataChanged(TField *field)
{
    if (OnDataChange) {
        const auto call = OnDataChange;
        FrameworkGuard([&] { call(this, field); });
    }
    emit DataChange(field);
}
