#include "DBLookupComboBox.h"

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "FieldDataLink.h"

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent, const QString &name)
    : QComboBox(parent)
    , m_link(new TFieldDataLink(this))
{
    if (!name.isEmpty())
        setObjectName(name);
    m_link->OnLoad = [this] {
        showValue();
    };
    m_link->OnSave = [this] {
        m_link->Field()->SetAsString(KeyValue());
    };
    connect(this, &QComboBox::activated, this, [this](int index) { userChose(index); });
}

void TDBLookupComboBox::SetDataSource(TDataSource *source)
{
    m_link->SetDataSource(source);
}

void TDBLookupComboBox::SetDataField(const QString &fieldName)
{
    m_link->SetFieldName(fieldName);
}

void TDBLookupComboBox::SetListSource(TDataSource *listSource)
{
    for (const auto &c : std::as_const(m_listConnections))
        disconnect(c);
    m_listConnections.clear();
    m_listSource = listSource;
    if (listSource) {
        auto refill = [this] {
            fillItems();
        };
        m_listConnections = {
            connect(listSource, &TDataSource::DataSetChanged, this,
                    [this] { SetListSource(m_listSource); }),
            connect(listSource, &TDataSource::LayoutChange, this, refill),
        };
        if (TClientDataSet *ds = listSource->DataSet()) {
            m_listConnections.append(connect(ds, &TClientDataSet::dataSetChanged, this, refill));
            m_listConnections.append(connect(ds, &TClientDataSet::recordChanged, this, refill));
        }
    }
    fillItems();
}

void TDBLookupComboBox::SetKeyField(const QString &keyField)
{
    m_keyField = keyField;
    fillItems();
}

void TDBLookupComboBox::SetListField(const QString &listField)
{
    m_listField = listField;
    fillItems();
}

QString TDBLookupComboBox::KeyValue() const
{
    return currentIndex() < 0 ? QString() : currentData().toString();
}

void TDBLookupComboBox::fillItems()
{
    m_loading = true;
    clear();
    TClientDataSet *ds = m_listSource ? m_listSource->DataSet() : nullptr;
    TField *key = ds ? ds->FindField(m_keyField) : nullptr;
    TField *shown = ds ? ds->FindField(m_listField.isEmpty() ? m_keyField : m_listField) : nullptr;
    if (ds && ds->Active() && key && shown) {
        for (int row = 0; row < ds->RecordCount(); ++row)
            addItem(ds->DisplayTextAt(row, shown), ds->TextAt(row, key));
    }
    m_loading = false;
    showValue();
}

void TDBLookupComboBox::showValue()
{
    m_loading = true;
    TField *f = m_link->Active() ? m_link->Field() : nullptr;
    setCurrentIndex(f && !f->IsNull() ? findData(f->AsString()) : -1);
    m_loading = false;
}

void TDBLookupComboBox::userChose(int)
{
    if (m_loading)
        return;
    const bool ok = FrameworkGuard([this] {
        if (!m_link->Edit())
            Abort();
        m_link->SetModified(true);
        m_link->UpdateRecord();
    });
    if (!ok)
        m_link->Reset();
}
