#pragma once

#include "DataPacket.h"
#include "DataSetTypes.h"
#include "Field.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

// An in-memory client dataset: typed fields, rows, a cursor, edit states, filters, indexes and a
// change log against the content last loaded. The objectName is the component name ("cdsCTe").
//
// Operations and the order of their handlers (a handler is skipped while detached):
//   Append/Insert  [auto-post] BeforeInsert, BeforeScroll, -> dsInsert, OnNewRecord, AfterInsert,
//                  AfterScroll
//   Edit           [auto-post] BeforeEdit, -> dsEdit, AfterEdit (on an empty dataset: Insert)
//   Post           UpdateData signal, BeforePost, required check, store + log, -> dsBrowse,
//                  AfterPost (in browse state Post does nothing)
//   Cancel         BeforeCancel, discard, -> dsBrowse, AfterCancel (in browse state nothing)
//   Delete         BeforeDelete, BeforeScroll, remove + log, -> dsBrowse, AfterDelete,
//                  AfterScroll (in insert state Delete cancels the new row)
//   First/Next/Prior/Last/MoveBy/SetRecNo/Locate/GotoBookmark
//                  [auto-post] BeforeScroll, move, AfterScroll
//   Load, filter and index changes move to the first row and run AfterScroll when a row exists.
// Auto-post: moving while editing posts a modified row and cancels an unmodified one; when that
// post or cancel does not complete, the operation stops there.
// A before-handler that calls Abort() cancels its operation silently and leaves everything as it
// was; one that raises MensErro cancels it too and the error reaches the caller. Errors of
// after-handlers reach the caller once the operation is done.
//
// Listeners (data sources, grids, navigator) follow the Qt signals; DisableControls() holds them
// back and EnableControls() delivers one summary.
class TClientDataSet : public QObject
{
    Q_OBJECT
public:
    explicit TClientDataSet(QObject *parent = nullptr, const QString &name = {});
    ~TClientDataSet() override;

    // --- structure: fields are declared while inactive, then CreateDataSet() or a packet load
    TField *AddField(const QString &name, contracts::FieldType type, int size = 0,
                     bool required = false);
    TField *AddCalcField(const QString &name, contracts::FieldType type, int size = 0);
    // Removes every field; only while inactive.
    void ClearFields();
    // Definitions of the data fields, in field order (what a packet of this dataset carries).
    QList<contracts::FieldDef> FieldDefs() const;
    void CreateDataSet();
    TField *FieldByName(const QString &name) const; // raises on an unknown name
    TField *FindField(const QString &name) const; // nullptr on an unknown name
    const QList<TField *> &Fields() const;
    int FieldCount() const;

    // --- opening and closing; closing discards rows and change log, fields stay
    bool Active() const;
    void SetActive(bool active);
    void Open();
    void Close();
    // Removes every row and empties the change log (the dataset stays open).
    void EmptyDataSet();
    TDataSetState State() const;
    // True while the row being edited or inserted has an assigned value.
    bool Modified() const;

    // --- editing
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // --- cursor over the visible rows (filtered, in index order)
    void First();
    void Next();
    void Prior();
    void Last();
    int MoveBy(int distance);
    bool Eof() const;
    bool Bof() const;
    int RecNo() const; // 1-based; 0 when empty
    void SetRecNo(int recNo);
    int RecordCount() const;
    bool IsEmpty() const;
    // Finds the first visible row whose fields ("A;B") hold `values` (one value, or a list with
    // one per field) and makes it current. loCaseInsensitive, loPartialKey apply to strings.
    bool Locate(const QString &fieldNames, const QVariant &values, int options = 0);
    TBookmark GetBookmark() const;
    void GotoBookmark(TBookmark bookmark); // raises when the row is not visible
    bool BookmarkValid(TBookmark bookmark) const;

    // --- random access for grids: visible row `row` (0-based) without moving the cursor
    int CurrentRow() const; // 0-based, -1 when empty
    QVariant ValueAt(int row, const TField *field) const;
    QString DisplayTextAt(int row, const TField *field) const;
    QString TextAt(int row, const TField *field) const;
    bool IsEditingRow(int row) const;

    // --- filter and index
    QString Filter() const;
    void SetFilter(const QString &filter); // raises on a malformed filter while filtered
    bool Filtered() const;
    void SetFiltered(bool filtered);
    QString IndexFieldNames() const;
    void SetIndexFieldNames(const QString &fieldNames); // "CDCTE;CDIMPOSTO"

    // What the last filter evaluation cost: rows examined, and whether a hash index answered it.
    struct FilterStats
    {
        qint64 rowsExamined = 0;
        bool usedIndex = false;
    };
    FilterStats LastFilterStats() const;

    // --- change log since the last load or merge
    int ChangeCount() const;
    // The change log as a QVariant holding contracts::Delta; a null QVariant when empty.
    QVariant Delta() const;
    contracts::Delta DeltaPacket() const;
    void MergeChangeLog();
    void CancelUpdates();
    // Off: posts store their values without entering the change log (a row already logged keeps
    // the logged change as it was, so the unlogged value never reaches the delta). On by default.
    bool LogChanges() const;
    void SetLogChanges(bool log);

    // --- packets: all rows, filter ignored
    QVariant Data() const; // holds contracts::DataPacket
    contracts::DataPacket DataPacket() const;
    // Accepts a QVariant holding contracts::DataPacket, a QJsonObject, or JSON text.
    void SetData(const QVariant &data);
    // Replaces structure and content; a bad packet raises MensErro and changes nothing.
    void LoadFromPacket(const contracts::DataPacket &packet);
    void LoadFromPacket(contracts::DataPacket &&packet);
    void LoadFromJson(const QByteArray &json);
    QByteArray SaveToJson() const;

    // --- listeners
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // --- handlers
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost,
        BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll, AfterScroll,
        OnNewRecord, OnCalcFields;

signals:
    void stateChanged(TDataSetState state);
    // Fields were added, removed or replaced: listeners look their fields up again.
    void structureChanged();
    // Rows appeared, disappeared or moved (load, filter, index, insert, delete): re-read all.
    void dataSetChanged();
    // The stored values of visible row `row` changed.
    void recordChanged(int row);
    // A field of the current row got a value (edit buffer).
    void fieldChanged(TField *field);
    // How a field shows its values changed (its edit mask); the values are the same.
    void fieldDisplayChanged(TField *field);
    void currentChanged(int row);
    // Asked before a post: data-aware controls write their pending text to the field.
    void updateDataRequested();

private:
    friend class TField;
    struct Private;
    QVariant readValue(const TField *field) const;
    // Reads `field` of visible row `row` through `read` without moving the cursor.
    template<typename Read>
    auto readAtRow(int row, const TField *field, Read read) const -> decltype(read(field));
    QVariant oldValue(const TField *field) const;
    void writeValue(TField *field, const QVariant &value);
    void loadPacket(contracts::DataPacket &&packet);

    std::unique_ptr<Private> d;
};

// Holds a dataset's controls disabled for a scope.
class ScopedDisableControls
{
public:
    explicit ScopedDisableControls(TClientDataSet *dataSet)
        : m_dataSet(dataSet)
    {
        m_dataSet->DisableControls();
    }
    ~ScopedDisableControls() { m_dataSet->EnableControls(); }
    ScopedDisableControls(const ScopedDisableControls &) = delete;
    ScopedDisableControls &operator=(const ScopedDisableControls &) = delete;

private:
    TClientDataSet *m_dataSet;
};
