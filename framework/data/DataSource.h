#pragma once

#include "DataSetTypes.h"

#include <QObject>
#include <QPointer>

#include <functional>

// Links data-aware controls, grids and the navigator to one dataset. Every listener connects to
// the signals; a window that wants a handler it can detach and re-attach uses OnStateChange /
// OnDataChange, which run before the signals (inside a guard: they are notifications, not part of
// the dataset operation). The objectName is the component name ("dtsPadrao").
class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr, const QString &name = {});

    TClientDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TClientDataSet *dataSet);
    // dsInactive when no dataset is linked.
    TDataSetState State() const;
    // Controls enter edit state by themselves on the first change while AutoEdit is on.
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }
    // Puts the dataset in edit state when browsing and AutoEdit is on; true when it is editing.
    bool Edit();

    std::function<void(TDataSource *sender)> OnStateChange;
    std::function<void(TDataSource *sender, TField *field)> OnDataChange;

signals:
    void StateChange();
    // `field` is the field whose value changed, nullptr when the whole row or the rows changed.
    void DataChange(TField *field);
    // `field` shows its values differently now (a new edit mask); the values are the same.
    void DisplayChange(TField *field);
    // The dataset is about to post: controls write their pending text to the field.
    void UpdateData();
    // The dataset's fields were replaced: controls look their field up again.
    void LayoutChange();
    // The dataset was linked or unlinked.
    void DataSetChanged();

private:
    void stateChanged();
    void dataChanged(TField *field);

    QPointer<TClientDataSet> m_dataSet;
    QList<QMetaObject::Connection> m_connections;
    bool m_autoEdit = true;
};
