#include "FieldDataLink.h"

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Exceptions.h"

TFieldDataLink::TFieldDataLink(QObject *parent)
    : QObject(parent)
{ }

void TFieldDataLink::SetDataSource(TDataSource *source)
{
    if (m_source == source)
        return;
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections = {
            connect(source, &TDataSource::DataChange, this,
                    [this](TField *field) { dataChanged(field); }),
            connect(source, &TDataSource::StateChange, this,
                    [this] {
                        if (OnState)
                            OnState();
                    }),
            connect(source, &TDataSource::DisplayChange, this,
                    [this](TField *field) { displayChanged(field); }),
            connect(source, &TDataSource::UpdateData, this,
                    [this] {
                        // Part of the post: an error here must stop it, so it is not caught.
                        UpdateRecord();
                    }),
            connect(source, &TDataSource::LayoutChange, this, [this] { relink(); }),
            connect(source, &TDataSource::DataSetChanged, this, [this] { relink(); }),
        };
    }
    relink();
}

void TFieldDataLink::SetFieldName(const QString &name)
{
    m_fieldName = name;
    relink();
}

TClientDataSet *TFieldDataLink::DataSet() const
{
    return m_source ? m_source->DataSet() : nullptr;
}

TField *TFieldDataLink::Field() const
{
    TClientDataSet *ds = DataSet();
    return ds && !m_fieldName.isEmpty() ? ds->FindField(m_fieldName) : nullptr;
}

bool TFieldDataLink::Active() const
{
    TClientDataSet *ds = DataSet();
    return ds && ds->Active() && Field();
}

bool TFieldDataLink::Editing() const
{
    TClientDataSet *ds = DataSet();
    return ds && (ds->State() == dsEdit || ds->State() == dsInsert);
}

bool TFieldDataLink::CanModify() const
{
    TField *f = Field();
    return Active() && f && !f->ReadOnly() && !f->IsCalculated()
        && (Editing() || m_source->AutoEdit());
}

bool TFieldDataLink::Edit()
{
    if (!CanModify())
        return false;
    return Editing() || m_source->Edit();
}

void TFieldDataLink::UpdateRecord()
{
    if (!m_modified || !Active() || !OnSave)
        return;
    m_saving = true;
    try {
        OnSave();
    } catch (...) {
        m_saving = false;
        throw;
    }
    m_saving = false;
    m_modified = false;
}

void TFieldDataLink::Reset()
{
    m_modified = false;
    if (OnLoad)
        OnLoad();
}

void TFieldDataLink::relink()
{
    m_modified = false;
    if (OnLoad)
        OnLoad();
    if (OnState)
        OnState();
}

void TFieldDataLink::dataChanged(TField *field)
{
    // Our own write comes back as a change of our field: the control already shows it.
    if (m_saving)
        return;
    if (field && field != Field())
        return;
    m_modified = false;
    if (OnLoad)
        OnLoad();
}

void TFieldDataLink::displayChanged(TField *field)
{
    if (!field || field != Field())
        return;
    if (OnDisplay)
        OnDisplay();
    else if (!m_modified && OnLoad)
        OnLoad();
}
