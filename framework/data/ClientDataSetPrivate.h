#pragma once

// Inner state of TClientDataSet, shared by its implementation files only.

#include "ClientDataSet.h"
#include "FilterExpression.h"

#include <QHash>

#include <map>
#include <vector>

struct TDataRecord
{
    enum class Status : quint8 { Unchanged, Inserted, Modified };
    QList<QVariant> values; // data fields, by slot
    QList<QVariant> original; // as loaded or last merged (Modified only)
    quint64 id = 0; // bookmark
    quint64 order = 0; // arrival order; rows without an index keep it
    quint64 changeSeq = 0; // when the row first entered the change log
    Status status = Status::Unchanged;

    const QList<QVariant> &oldValues() const
    {
        return status == Status::Modified ? original : values;
    }
};

// Rows of one field grouped by value, each group in the visible order (index, then arrival):
// answers an equality filter without looking at other rows, and without sorting.
struct THashIndex
{
    contracts::FieldType type = contracts::FieldType::String;
    QHash<QString, std::vector<TDataRecord *>> buckets;
};

struct TClientDataSet::Private
{
    TClientDataSet *q = nullptr;

    // Fields
    std::vector<std::unique_ptr<TField>> fieldStore;
    QList<TField *> fields;
    QHash<QString, TField *> byName; // upper-case name
    int dataCount = 0; // stored slots
    int calcCount = 0;

    // Rows. `natural` owns the posted rows in arrival order; `sorted` is every posted row in index
    // order; `filteredRows` the rows passing the filter, in index order. A row being inserted
    // lives in `pending` and sits in the visible list at the cursor until it is posted.
    std::vector<std::unique_ptr<TDataRecord>> natural;
    std::vector<std::unique_ptr<TDataRecord>> deleted; // loaded rows deleted since load/merge
    std::vector<TDataRecord *> sorted;
    std::vector<TDataRecord *> filteredRows;
    std::unique_ptr<TDataRecord> pending;
    TDataRecord *insertBefore = nullptr;
    int cursorBeforeInsert = -1;
    quint64 nextId = 1;
    quint64 changeSeq = 0;
    bool logChanges = true;

    // Cursor and state
    TDataSetState state = dsInactive;
    int cursor = -1;
    bool bof = true, eof = true;
    QList<QVariant> buffer; // edit buffer of the current row
    bool modified = false;

    // Calculated fields: while OnCalcFields runs, values come from `calcSource` and calculated
    // ones go to `calcTarget`.
    int calcDepth = 0;
    const QList<QVariant> *calcSource = nullptr;
    QList<QVariant> *calcTarget = nullptr;
    // A row read by a grid without moving the cursor.
    mutable const TDataRecord *readOverride = nullptr;

    // Filter and index
    QString filterText;
    bool filtered = false;
    std::shared_ptr<const TFilterExpression> filterExpr; // null with text: matches nothing
    QString indexFieldNames;
    QList<int> indexSlots;
    QList<contracts::FieldType> indexTypes;
    std::map<int, THashIndex> hashIndexes; // by slot
    QStringList hashIndexedNames; // kept across loads
    FilterStats stats;

    // Deferred notifications
    int disableCount = 0;
    bool pendingStructure = false, pendingData = false, pendingState = false,
         pendingCurrent = false;

    // --- helpers (ClientDataSet.cpp)
    bool editing() const { return state == dsEdit || state == dsInsert; }
    bool filterActive() const { return filtered && !filterText.trimmed().isEmpty(); }
    std::vector<TDataRecord *> &view() { return filterActive() ? filteredRows : sorted; }
    const std::vector<TDataRecord *> &view() const
    {
        return filterActive() ? filteredRows : sorted;
    }
    TDataRecord *current() const;
    void checkActive() const;
    void setState(TDataSetState s);
    void notifyStructure();
    void notifyData();
    void notifyRecord(int row);
    void notifyCurrent();
    bool runBefore(const TDataSetNotifyEvent &handler);
    void runAfter(const TDataSetNotifyEvent &handler);
    bool checkBrowseMode();
    bool post();
    bool cancel();
    void discardEdit();
    bool scrollTo(int row, bool bof, bool eof);
    void insertRecord(bool append);
    void clearRows();
    QList<QVariant> calcValues(const QList<QVariant> &source) const;

    // --- views and indexes (ClientDataSetViews.cpp)
    bool less(const TDataRecord *a, const TDataRecord *b) const;
    qsizetype positionIn(const std::vector<TDataRecord *> &rows, const TDataRecord *rec) const;
    void insertSorted(std::vector<TDataRecord *> &rows, TDataRecord *rec) const;
    bool passesFilter(const TDataRecord *rec) const;
    void resolveIndex();
    void resort();
    void rebuildFilteredView();
    void parseFilter();
    THashIndex &hashIndex(int slot);
    void rebuildHashIndexes();
    void hashAdd(TDataRecord *rec);
    void hashRemove(TDataRecord *rec, const QList<QVariant> &values);
    void sortBuckets();
    void assignOrder(TDataRecord *rec);
    void commitInsert(TDataRecord *rec);
    void commitEdit(TDataRecord *rec);
    void removeRecord(int row);
    void afterViewChange();
};
