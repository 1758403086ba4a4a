#include "DBCheckBox.h"

#include "ClientDataSet.h"
#include "Exceptions.h"
#include "FieldDataLink.h"

TDBCheckBox::TDBCheckBox(QWidget *parent, const QString &name)
    : QCheckBox(parent)
    , m_link(new TFieldDataLink(this))
{
    if (!name.isEmpty())
        setObjectName(name);
    m_link->OnLoad = [this] {
        m_loading = true;
        TField *f = m_link->Active() ? m_link->Field() : nullptr;
        setChecked(f && f->AsString() == ValueChecked);
        m_loading = false;
    };
    m_link->OnSave = [this] {
        m_link->Field()->SetAsString(isChecked() ? ValueChecked : ValueUnchecked);
    };
    connect(this, &QCheckBox::toggled, this, [this](bool checked) { userToggled(checked); });
}

void TDBCheckBox::SetDataSource(TDataSource *source)
{
    m_link->SetDataSource(source);
}

void TDBCheckBox::SetDataField(const QString &fieldName)
{
    m_link->SetFieldName(fieldName);
}

void TDBCheckBox::userToggled(bool)
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
