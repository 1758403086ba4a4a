#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "ClientDataSet.h"
#include "DataSource.h"
class TField;

// What a data-aware control owns: the link to one field of a data source's dataset. The control
// tells the link when the user starts changing the value (Edit) and when the value is to be
// written (UpdateRecord); the link tells the control when the field's value changed (OnLoad) and
// when the dataset asks for pending values before a post.
class TFieldDataLink : public QObject
{
    Q_OBJECT
public:
    explicit TFieldDataLink(QObject *parent = nullptr);

    TDataSource *DataSource() const { return m_source; }
    void SetDataSource(TDataSource *source);
    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);

    TClientDataSet *DataSet() const;
    // The linked field; nullptr when the source, dataset or field is missing.
    TField *Field() const;
    bool Active() const;
    bool Editing() const;
    // The field accepts a value from the user: linked, not read-only, the source allows editing.
    bool CanModify() const;

    // Puts the dataset in edit state (auto-edit) before the first change; raises what the dataset
    // raises (a refused edit). True when the row is being edited or inserted.
    bool Edit();
    // The control holds a value the field does not have yet.
    bool Modified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // Writes the control's pending value through OnSave; raises what the field raises.
    void UpdateRecord();
    // Reloads the control from the field, dropping a pending value.
    void Reset();

    // Set by the control.
    std::function<void()> OnLoad; // show Field()'s value (or nothing when unlinked)
    std::function<void()> OnSave; // write the pending value into Field()
    std::function<void()> OnState; // the dataset's state or the link changed
    // The field's edit mask changed; without a handler the control reloads unless it holds a
    // pending value.
    std::function<void()> OnDisplay;

private:
    void relink();
    void dataChanged(TField *field);
    void displayChanged(TField *field);

    QPointer<TDataSource> m_source;
    QString m_fieldName;
    bool m_modified = false;
    bool m_saving = false;
    QList<QMetaObject::Connection> m_connections;
};
