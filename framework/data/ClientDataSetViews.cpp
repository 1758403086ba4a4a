// Visible rows of TClientDataSet: index order, filters, hash indexes and keeping them current
// as rows are posted and deleted.
#include "ClientDataSetPrivate.h"

#include "DataValues.h"
#include "Exceptions.h"
#include "Messages.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
// Gap between the arrival-order keys of consecutive rows, so a row inserted between two others
// rarely needs the keys renumbered.
constexpr quint64 kOrderStep = quint64(1) << 20;
} // namespace

bool TClientDataSet::Private::less(const TDataRecord *a, const TDataRecord *b) const
{
    for (qsizetype i = 0; i < indexSlots.size(); ++i) {
        const int slot = indexSlots.at(i);
        const int c = DataValues::Compare(a->values.at(slot), b->values.at(slot), indexTypes.at(i));
        if (c != 0)
            return c < 0;
    }
    return a->order < b->order;
}

qsizetype TClientDataSet::Private::positionIn(const std::vector<TDataRecord *> &rows,
                                              const TDataRecord *rec) const
{
    const auto it = std::lower_bound(
        rows.begin(), rows.end(), rec,
        [this](const TDataRecord *a, const TDataRecord *b) { return less(a, b); });
    return (it != rows.end() && *it == rec) ? qsizetype(it - rows.begin()) : -1;
}

void TClientDataSet::Private::insertSorted(std::vector<TDataRecord *> &rows, TDataRecord *rec) const
{
    const auto it = std::upper_bound(
        rows.begin(), rows.end(), rec,
        [this](const TDataRecord *a, const TDataRecord *b) { return less(a, b); });
    rows.insert(it, rec);
}

bool TClientDataSet::Private::passesFilter(const TDataRecord *rec) const
{
    if (!filterActive())
        return true;
    return filterExpr && filterExpr->Matches(rec->values);
}

// --- index

void TClientDataSet::Private::resolveIndex()
{
    indexSlots.clear();
    indexTypes.clear();
    for (const QString &name : indexFieldNames.split(u';', Qt::SkipEmptyParts)) {
        const TField *f = byName.value(name.trimmed().toUpper());
        if (!f || f->IsCalculated())
            continue; // a reload may drop a field; the order then ignores it
        indexSlots.append(f->m_slot);
        indexTypes.append(f->DataType());
    }
}

void TClientDataSet::Private::resort()
{
    sorted.clear();
    sorted.reserve(natural.size());
    for (const auto &rec : natural)
        sorted.push_back(rec.get());
    if (!indexSlots.isEmpty())
        std::sort(sorted.begin(), sorted.end(),
                  [this](const TDataRecord *a, const TDataRecord *b) { return less(a, b); });
}

// --- hash indexes

THashIndex &TClientDataSet::Private::hashIndex(int slot)
{
    auto it = hashIndexes.find(slot);
    if (it != hashIndexes.end())
        return it->second;
    const TField *field = nullptr;
    for (const TField *f : std::as_const(fields)) {
        if (!f->IsCalculated() && f->m_slot == slot)
            field = f;
    }
    THashIndex &index = hashIndexes[slot];
    index.type = field->DataType();
    if (!hashIndexedNames.contains(field->FieldName().toUpper()))
        hashIndexedNames.append(field->FieldName().toUpper());
    // Built from the sorted rows, so every group starts in the visible order.
    for (TDataRecord *rec : sorted)
        index.buckets[DataValues::HashKey(rec->values.at(slot), index.type)].push_back(rec);
    return index;
}

void TClientDataSet::Private::rebuildHashIndexes()
{
    hashIndexes.clear();
    QStringList names = hashIndexedNames;
    for (const QString &name : indexFieldNames.split(u';', Qt::SkipEmptyParts))
        names.append(name.trimmed().toUpper());
    for (const QString &name : std::as_const(names)) {
        const TField *f = byName.value(name);
        if (f && !f->IsCalculated())
            hashIndex(f->m_slot);
    }
}

void TClientDataSet::Private::hashAdd(TDataRecord *rec)
{
    for (auto &[slot, index] : hashIndexes)
        insertSorted(index.buckets[DataValues::HashKey(rec->values.at(slot), index.type)], rec);
}

void TClientDataSet::Private::sortBuckets()
{
    for (auto &[slot, index] : hashIndexes) {
        for (auto &bucket : index.buckets)
            std::sort(bucket.begin(), bucket.end(),
                      [this](const TDataRecord *a, const TDataRecord *b) { return less(a, b); });
    }
}

void TClientDataSet::Private::hashRemove(TDataRecord *rec, const QList<QVariant> &values)
{
    for (auto &[slot, index] : hashIndexes) {
        const auto bucket = index.buckets.find(DataValues::HashKey(values.at(slot), index.type));
        if (bucket == index.buckets.end())
            continue;
        auto &list = bucket.value();
        list.erase(std::remove(list.begin(), list.end(), rec), list.end());
        if (list.empty())
            index.buckets.erase(bucket);
    }
}

// --- filter

void TClientDataSet::Private::parseFilter()
{
    filterExpr.reset();
    if (filterText.trimmed().isEmpty())
        return;
    try {
        filterExpr = TFilterExpression::Parse(
            filterText,
            [this](const QString &name) -> std::optional<TFilterExpression::FieldRef> {
                const TField *f = byName.value(name.toUpper());
                if (!f || f->IsCalculated())
                    return std::nullopt;
                return TFilterExpression::FieldRef {f->m_slot, f->DataType(), f->Size()};
            },
            q->objectName());
    } catch (const EMensErro &) {
        // After a reload that dropped a filtered field the filter shows nothing.
        filterExpr.reset();
    }
}

void TClientDataSet::Private::rebuildFilteredView()
{
    filteredRows.clear();
    stats = {};
    if (!filterActive() || !filterExpr)
        return;
    const auto equality = filterExpr->IndexableEquality([](int) { return true; });
    if (equality) {
        // Equality filters are answered from a hash index on the field, built on first use and
        // kept current by every post and delete.
        const THashIndex &index = hashIndex(equality->slot);
        stats.usedIndex = true;
        const auto bucket
            = index.buckets.constFind(DataValues::HashKey(equality->value, index.type));
        if (bucket == index.buckets.cend())
            return;
        stats.rowsExamined = qint64(bucket->size());
        if (equality->whole) {
            filteredRows.assign(bucket->begin(), bucket->end());
            return;
        }
        for (TDataRecord *rec : *bucket) {
            if (filterExpr->Matches(rec->values))
                filteredRows.push_back(rec);
        }
        return;
    }
    for (TDataRecord *rec : sorted) {
        ++stats.rowsExamined;
        if (filterExpr->Matches(rec->values))
            filteredRows.push_back(rec);
    }
}

void TClientDataSet::Private::afterViewChange()
{
    const bool empty = view().empty();
    cursor = empty ? -1 : 0;
    bof = true;
    eof = empty;
    notifyData();
    notifyCurrent();
    if (!empty)
        runAfter(q->AfterScroll);
}

// --- keeping the views current

void TClientDataSet::Private::assignOrder(TDataRecord *rec)
{
    std::unique_ptr<TDataRecord> owned = std::move(pending);
    const auto byOrder = [](const std::unique_ptr<TDataRecord> &r, quint64 order) {
        return r->order < order;
    };
    auto it = natural.end();
    if (insertBefore) {
        it = std::lower_bound(natural.begin(), natural.end(), insertBefore->order, byOrder);
        if (it == natural.end() || it->get() != insertBefore)
            it = natural.end();
    }
    if (it == natural.end()) {
        rec->order = (natural.empty() ? 0 : natural.back()->order) + kOrderStep;
        natural.push_back(std::move(owned));
    } else {
        quint64 prev = it == natural.begin() ? 0 : (*(it - 1))->order;
        if (insertBefore->order - prev < 2) {
            const auto at = it - natural.begin();
            for (size_t i = 0; i < natural.size(); ++i)
                natural[i]->order = (i + 1) * kOrderStep;
            it = natural.begin() + at;
            prev = it == natural.begin() ? 0 : (*(it - 1))->order;
        }
        rec->order = prev + (insertBefore->order - prev) / 2;
        natural.insert(it, std::move(owned));
    }
    insertBefore = nullptr;
}

void TClientDataSet::Private::commitInsert(TDataRecord *rec)
{
    const int previous = cursor;
    auto &rows = view();
    rows.erase(rows.begin() + cursor);
    rec->values = std::move(buffer);
    if (logChanges)
        rec->changeSeq = ++changeSeq;
    else
        rec->status = TDataRecord::Status::Unchanged;
    assignOrder(rec);
    hashAdd(rec);
    insertSorted(sorted, rec);
    if (filterActive() && passesFilter(rec))
        insertSorted(filteredRows, rec);
    const qsizetype at = positionIn(view(), rec);
    const int count = int(view().size());
    cursor = at >= 0 ? int(at) : std::min(previous, count - 1);
}

void TClientDataSet::Private::commitEdit(TDataRecord *rec)
{
    const int previous = cursor;
    QList<QVariant> newValues = std::move(buffer);
    bool keyMoved = false;
    for (qsizetype i = 0; i < indexSlots.size() && !keyMoved; ++i) {
        const int slot = indexSlots.at(i);
        keyMoved
            = DataValues::Compare(rec->values.at(slot), newValues.at(slot), indexTypes.at(i)) != 0;
    }
    if (!logChanges && rec->status == TDataRecord::Status::Modified) {
        // The logged change stays what it was: the unlogged values count as original ones.
        for (qsizetype i = 0; i < newValues.size(); ++i) {
            if (rec->values.at(i) != newValues.at(i))
                rec->original[i] = newValues.at(i);
        }
    } else if (logChanges && rec->status == TDataRecord::Status::Unchanged) {
        rec->original = rec->values;
        rec->status = TDataRecord::Status::Modified;
        rec->changeSeq = ++changeSeq;
    }
    if (keyMoved) {
        const qsizetype at = positionIn(sorted, rec);
        sorted.erase(sorted.begin() + at);
    }
    if (filterActive())
        filteredRows.erase(filteredRows.begin() + cursor);
    const QList<QVariant> oldValues = rec->values;
    rec->values = std::move(newValues);
    for (auto &[slot, index] : hashIndexes) {
        const QString oldKey = DataValues::HashKey(oldValues.at(slot), index.type);
        const QString newKey = DataValues::HashKey(rec->values.at(slot), index.type);
        if (oldKey == newKey && !keyMoved)
            continue;
        auto &oldBucket = index.buckets[oldKey];
        oldBucket.erase(std::remove(oldBucket.begin(), oldBucket.end(), rec), oldBucket.end());
        if (oldBucket.empty())
            index.buckets.remove(oldKey);
        insertSorted(index.buckets[newKey], rec);
    }
    if (keyMoved)
        insertSorted(sorted, rec);
    if (filterActive() && passesFilter(rec))
        insertSorted(filteredRows, rec);
    const qsizetype at = positionIn(view(), rec);
    const int count = int(view().size());
    cursor = at >= 0 ? int(at) : std::min(previous, count - 1);
}

void TClientDataSet::Private::removeRecord(int row)
{
    auto &rows = view();
    TDataRecord *rec = rows[size_t(row)];
    rows.erase(rows.begin() + row);
    if (filterActive()) {
        const qsizetype at = positionIn(sorted, rec);
        if (at >= 0)
            sorted.erase(sorted.begin() + at);
    }
    hashRemove(rec, rec->values);
    const auto it = std::lower_bound(
        natural.begin(), natural.end(), rec->order,
        [](const std::unique_ptr<TDataRecord> &r, quint64 order) { return r->order < order; });
    std::unique_ptr<TDataRecord> owned = std::move(*it);
    natural.erase(it);
    if (owned->status == TDataRecord::Status::Inserted || !logChanges)
        return; // never sent: the insert and the delete cancel out, or nothing is logged
    owned->changeSeq = ++changeSeq;
    deleted.push_back(std::move(owned));
}

// ---------------------------------------------------------------- public filter and index API

QString TClientDataSet::Filter() const
{
    return d->filterText;
}

void TClientDataSet::SetFilter(const QString &filter)
{
    if (d->state == dsInactive || !d->filtered) {
        d->filterText = filter;
        return;
    }
    if (!d->checkBrowseMode())
        return;
    const QString previous = d->filterText;
    const auto previousExpr = d->filterExpr;
    d->filterText = filter;
    d->filterExpr.reset();
    if (!filter.trimmed().isEmpty()) {
        try {
            d->filterExpr = TFilterExpression::Parse(
                filter,
                [this](const QString &name) -> std::optional<TFilterExpression::FieldRef> {
                    const TField *f = FindField(name);
                    if (!f || f->IsCalculated())
                        return std::nullopt;
                    return TFilterExpression::FieldRef {f->m_slot, f->DataType(), f->Size()};
                },
                objectName());
        } catch (...) {
            d->filterText = previous;
            d->filterExpr = previousExpr;
            throw;
        }
    }
    d->rebuildFilteredView();
    d->afterViewChange();
}

bool TClientDataSet::Filtered() const
{
    return d->filtered;
}

void TClientDataSet::SetFiltered(bool filtered)
{
    if (d->filtered == filtered)
        return;
    if (d->state == dsInactive) {
        d->filtered = filtered;
        return;
    }
    if (!d->checkBrowseMode())
        return;
    if (filtered) {
        const QString text = d->filterText;
        d->filterText.clear();
        d->filtered = true;
        try {
            SetFilter(text); // parses, raises on a malformed text
        } catch (...) {
            d->filtered = false;
            d->filterText = text;
            throw;
        }
        return;
    }
    d->filtered = false;
    d->filteredRows.clear();
    d->afterViewChange();
}

QString TClientDataSet::IndexFieldNames() const
{
    return d->indexFieldNames;
}

void TClientDataSet::SetIndexFieldNames(const QString &fieldNames)
{
    if (d->state != dsInactive || !d->fields.isEmpty()) {
        for (const QString &name : fieldNames.split(u';', Qt::SkipEmptyParts)) {
            const TField *f = FieldByName(name.trimmed());
            if (f->IsCalculated())
                MensErro(FwMsg(u"FW_DS_CAMPO_NAO_ENCONTRADO"_s).arg(name, objectName()));
        }
    }
    if (d->state != dsInactive && !d->checkBrowseMode())
        return;
    d->indexFieldNames = fieldNames;
    d->resolveIndex();
    if (d->state == dsInactive)
        return;
    d->resort();
    d->sortBuckets();
    for (const int slot : std::as_const(d->indexSlots))
        d->hashIndex(slot);
    d->rebuildFilteredView();
    d->afterViewChange();
}

TClientDataSet::FilterStats TClientDataSet::LastFilterStats() const
{
    return d->stats;
}
