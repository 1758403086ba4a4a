#pragma once

#include <QComboBox>

class TDataSource;
class TFieldDataLink;

// A data-aware drop-down over a code list: the items are the rows of ListSource's dataset, shown
// by ListField and stored by KeyField into the linked field. Choosing an item puts the dataset in
// edit state and stores the key; a value that is not in the list shows no item.
class TDBLookupComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TDBLookupComboBox(QWidget *parent = nullptr, const QString &name = {});

    void SetDataSource(TDataSource *source);
    void SetDataField(const QString &fieldName);
    void SetListSource(TDataSource *listSource);
    void SetKeyField(const QString &keyField);
    void SetListField(const QString &listField);
    TFieldDataLink *DataLink() const { return m_link; }

    // The key of the item shown; empty when none.
    QString KeyValue() const;

private:
    void fillItems();
    void showValue();
    void userChose(int index);

    TFieldDataLink *m_link;
    TDataSource *m_listSource = nullptr;
    QString m_keyField;
    QString m_listField;
    QList<QMetaObject::Connection> m_listConnections;
    bool m_loading = false;
};
