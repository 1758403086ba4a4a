#include "DBText.h"

#include "ClientDataSet.h"
#include "FieldDataLink.h"

TDBText::TDBText(QWidget *parent, const QString &name)
    : QLabel(parent)
    , m_link(new TFieldDataLink(this))
{
    if (!name.isEmpty())
        setObjectName(name);
    m_link->OnLoad = [this] {
        TField *f = m_link->Active() ? m_link->Field() : nullptr;
        setText(f && !f->DataSet()->IsEmpty() ? f->DisplayText() : QString());
    };
}

void TDBText::SetDataSource(TDataSource *source)
{
    m_link->SetDataSource(source);
}

void TDBText::SetDataField(const QString &fieldName)
{
    m_link->SetFieldName(fieldName);
}
