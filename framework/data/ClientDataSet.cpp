#include "ClientDataSetPrivate.h"

#include "DataValues.h"
#include "Exceptions.h"
#include "Messages.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using contracts::FieldType;

// ---------------------------------------------------------------- helpers

TDataRecord *TClientDataSet::Private::current() const
{
    const auto &rows = view();
    if (cursor < 0 || cursor >= int(rows.size()))
        return nullptr;
    return rows[size_t(cursor)];
}

void TClientDataSet::Private::checkActive() const
{
    if (state == dsInactive)
        MensErro(FwMsg(u"FW_DS_INATIVO"_s).arg(q->objectName()));
}

void TClientDataSet::Private::setState(TDataSetState s)
{
    if (state == s)
        return;
    state = s;
    if (disableCount > 0) {
        pendingState = true;
        return;
    }
    emit q->stateChanged(s);
}

void TClientDataSet::Private::notifyStructure()
{
    if (disableCount > 0) {
        pendingStructure = true;
        return;
    }
    emit q->structureChanged();
}

void TClientDataSet::Private::notifyData()
{
    if (disableCount > 0) {
        pendingData = true;
        return;
    }
    emit q->dataSetChanged();
}

void TClientDataSet::Private::notifyRecord(int row)
{
    if (disableCount > 0) {
        pendingData = true;
        return;
    }
    emit q->recordChanged(row);
}

void TClientDataSet::Private::notifyCurrent()
{
    if (disableCount > 0) {
        pendingCurrent = true;
        return;
    }
    emit q->currentChanged(cursor);
}

bool TClientDataSet::Private::runBefore(const TDataSetNotifyEvent &handler)
{
    if (!handler)
        return true;
    // A copy: the handler may detach itself while it runs.
    const TDataSetNotifyEvent call = handler;
    try {
        call(q);
    } catch (const EAbort &) {
        return false;
    }
    return true;
}

void TClientDataSet::Private::runAfter(const TDataSetNotifyEvent &handler)
{
    if (!handler)
        return;
    const TDataSetNotifyEvent call = handler;
    call(q);
}

bool TClientDataSet::Private::checkBrowseMode()
{
    if (!editing())
        return true;
    emit q->updateDataRequested();
    return modified ? post() : cancel();
}

void TClientDataSet::Private::clearRows()
{
    natural.clear();
    deleted.clear();
    sorted.clear();
    filteredRows.clear();
    pending.reset();
    insertBefore = nullptr;
    for (auto &[slot, index] : hashIndexes)
        index.buckets.clear();
    cursor = -1;
    bof = eof = true;
    buffer.clear();
    modified = false;
}

QList<QVariant> TClientDataSet::Private::calcValues(const QList<QVariant> &source) const
{
    QList<QVariant> values(calcCount);
    if (!q->OnCalcFields)
        return values;
    auto *self = const_cast<Private *>(this);
    struct Restore
    {
        Private *p;
        const QList<QVariant> *source;
        QList<QVariant> *target;
        const TDataRecord *override;
        ~Restore()
        {
            --p->calcDepth;
            p->calcSource = source;
            p->calcTarget = target;
            p->readOverride = override;
        }
    } restore {self, calcSource, calcTarget, readOverride};
    ++self->calcDepth;
    self->calcSource = &source;
    self->calcTarget = &values;
    const TDataSetNotifyEvent call = q->OnCalcFields;
    call(q);
    return values;
}

// ---------------------------------------------------------------- construction and fields

TClientDataSet::TClientDataSet(QObject *parent, const QString &name)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->q = this;
    setObjectName(name);
}

TClientDataSet::~TClientDataSet() = default;

TField *TClientDataSet::AddField(const QString &name, FieldType type, int size, bool required)
{
    if (d->state != dsInactive)
        MensErro(FwMsg(u"FW_DS_ATIVO"_s).arg(objectName()));
    if (name.isEmpty() || d->byName.contains(name.toUpper()))
        MensErro(FwMsg(u"FW_DS_CAMPO_DUPLICADO"_s).arg(name, objectName()));
    contracts::FieldDef def;
    def.name = name;
    def.type = type;
    def.size = (type == FieldType::String || type == FieldType::FixedString)
        ? (size > 0 ? size : 20)
        : 0;
    def.required = required;
    auto field = std::unique_ptr<TField>(new TField(this, def, TFieldKind::fkData));
    field->m_slot = d->dataCount++;
    field->m_required = required;
    TField *raw = field.get();
    d->fieldStore.push_back(std::move(field));
    d->fields.append(raw);
    d->byName.insert(name.toUpper(), raw);
    return raw;
}

TField *TClientDataSet::AddCalcField(const QString &name, FieldType type, int size)
{
    if (d->state != dsInactive)
        MensErro(FwMsg(u"FW_DS_ATIVO"_s).arg(objectName()));
    if (name.isEmpty() || d->byName.contains(name.toUpper()))
        MensErro(FwMsg(u"FW_DS_CAMPO_DUPLICADO"_s).arg(name, objectName()));
    contracts::FieldDef def;
    def.name = name;
    def.type = type;
    def.size = (type == FieldType::String || type == FieldType::FixedString)
        ? (size > 0 ? size : 20)
        : 0;
    auto field = std::unique_ptr<TField>(new TField(this, def, TFieldKind::fkCalculated));
    field->m_slot = d->calcCount++;
    TField *raw = field.get();
    d->fieldStore.push_back(std::move(field));
    d->fields.append(raw);
    d->byName.insert(name.toUpper(), raw);
    return raw;
}

void TClientDataSet::ClearFields()
{
    if (d->state != dsInactive)
        MensErro(FwMsg(u"FW_DS_ATIVO"_s).arg(objectName()));
    d->fields.clear();
    d->byName.clear();
    d->fieldStore.clear();
    d->dataCount = d->calcCount = 0;
    d->hashIndexes.clear();
    d->notifyStructure();
}

QList<contracts::FieldDef> TClientDataSet::FieldDefs() const
{
    QList<contracts::FieldDef> defs;
    for (const TField *f : d->fields) {
        if (!f->IsCalculated())
            defs.append(f->m_def);
    }
    return defs;
}

void TClientDataSet::CreateDataSet()
{
    if (d->dataCount == 0)
        MensErro(FwMsg(u"FW_DS_SEM_CAMPOS"_s).arg(objectName()));
    if (d->editing())
        d->discardEdit();
    d->clearRows();
    d->resolveIndex();
    d->resort();
    d->rebuildHashIndexes();
    d->parseFilter();
    d->rebuildFilteredView();
    d->setState(dsBrowse);
    d->notifyData();
    d->notifyCurrent();
}

TField *TClientDataSet::FindField(const QString &name) const
{
    return d->byName.value(name.toUpper());
}

TField *TClientDataSet::FieldByName(const QString &name) const
{
    TField *f = FindField(name);
    if (!f)
        MensErro(FwMsg(u"FW_DS_CAMPO_NAO_ENCONTRADO"_s).arg(name, objectName()));
    return f;
}

const QList<TField *> &TClientDataSet::Fields() const
{
    return d->fields;
}

int TClientDataSet::FieldCount() const
{
    return int(d->fields.size());
}

// ---------------------------------------------------------------- open, close, state

bool TClientDataSet::Active() const
{
    return d->state != dsInactive;
}

void TClientDataSet::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TClientDataSet::Open()
{
    if (d->state == dsInactive)
        CreateDataSet();
}

void TClientDataSet::Close()
{
    if (d->state == dsInactive)
        return;
    d->clearRows();
    d->setState(dsInactive);
    d->notifyData();
    d->notifyCurrent();
}

void TClientDataSet::EmptyDataSet()
{
    d->checkActive();
    if (!d->checkBrowseMode())
        return;
    d->clearRows();
    d->notifyData();
    d->notifyCurrent();
}

TDataSetState TClientDataSet::State() const
{
    return d->calcDepth > 0 ? dsCalcFields : d->state;
}

bool TClientDataSet::Modified() const
{
    return d->editing() && d->modified;
}

// ---------------------------------------------------------------- editing

void TClientDataSet::Private::insertRecord(bool append)
{
    checkActive();
    if (!checkBrowseMode())
        return;
    if (!runBefore(q->BeforeInsert) || !runBefore(q->BeforeScroll))
        return;
    auto &rows = view();
    const int previous = cursor;
    pending = std::make_unique<TDataRecord>();
    pending->id = nextId++;
    pending->status = TDataRecord::Status::Inserted;
    TDataRecord *rec = pending.get();
    int at = append || cursor < 0 ? int(rows.size()) : cursor;
    insertBefore = append || cursor < 0 ? nullptr : rows[size_t(cursor)];
    rows.insert(rows.begin() + at, rec);
    cursorBeforeInsert = previous;
    cursor = at;
    bof = eof = false;
    buffer = QList<QVariant>(dataCount);
    modified = false;
    setState(dsInsert);
    notifyData();
    notifyCurrent();
    try {
        if (q->OnNewRecord) {
            const TDataSetNotifyEvent call = q->OnNewRecord;
            call(q);
        }
    } catch (...) {
        discardEdit();
        notifyData();
        notifyCurrent();
        try {
            throw;
        } catch (const EAbort &) {
            return;
        }
    }
    modified = false;
    runAfter(q->AfterInsert);
    runAfter(q->AfterScroll);
}

void TClientDataSet::Append()
{
    d->insertRecord(true);
}

void TClientDataSet::Insert()
{
    d->insertRecord(false);
}

void TClientDataSet::Edit()
{
    d->checkActive();
    if (d->editing())
        return;
    if (d->view().empty()) {
        Insert();
        return;
    }
    if (!d->runBefore(BeforeEdit))
        return;
    d->buffer = d->current()->values;
    d->modified = false;
    d->setState(dsEdit);
    d->runAfter(AfterEdit);
}

bool TClientDataSet::Private::post()
{
    checkActive();
    if (!editing())
        return true;
    emit q->updateDataRequested();
    if (!runBefore(q->BeforePost))
        return false;
    for (const TField *f : std::as_const(fields)) {
        if (f->Required() && !f->IsCalculated() && buffer.at(f->m_slot).isNull())
            MensErro(FwMsg(u"FW_DS_CAMPO_OBRIGATORIO"_s).arg(f->DisplayLabel()));
    }
    TDataRecord *rec = current();
    const int before = cursor;
    if (state == dsInsert) {
        commitInsert(rec);
    } else {
        commitEdit(rec);
    }
    buffer.clear();
    modified = false;
    bof = eof = view().empty();
    setState(dsBrowse);
    if (cursor == before && current() == rec)
        notifyRecord(cursor);
    else
        notifyData();
    notifyCurrent();
    runAfter(q->AfterPost);
    return true;
}

void TClientDataSet::Post()
{
    d->post();
}

void TClientDataSet::Private::discardEdit()
{
    if (state == dsInsert && pending) {
        auto &rows = view();
        rows.erase(rows.begin() + cursor);
        pending.reset();
        insertBefore = nullptr;
        cursor = std::min(cursorBeforeInsert, int(rows.size()) - 1);
        if (cursor < 0 && !rows.empty())
            cursor = 0;
    }
    buffer.clear();
    modified = false;
    bof = eof = view().empty();
    setState(dsBrowse);
}

bool TClientDataSet::Private::cancel()
{
    checkActive();
    if (!editing())
        return true;
    if (!runBefore(q->BeforeCancel))
        return false;
    const bool wasInsert = state == dsInsert;
    discardEdit();
    if (wasInsert)
        notifyData();
    else
        notifyRecord(cursor);
    notifyCurrent();
    runAfter(q->AfterCancel);
    return true;
}

void TClientDataSet::Cancel()
{
    d->cancel();
}

void TClientDataSet::Delete()
{
    d->checkActive();
    if (d->state == dsInsert) {
        d->cancel();
        return;
    }
    if (d->view().empty())
        MensErro(FwMsg(u"FW_DS_VAZIO"_s).arg(objectName()));
    if (!d->runBefore(BeforeDelete) || !d->runBefore(BeforeScroll))
        return;
    if (d->state == dsEdit) {
        d->buffer.clear();
        d->modified = false;
    }
    d->removeRecord(d->cursor);
    const int count = int(d->view().size());
    d->cursor = count == 0 ? -1 : std::min(d->cursor, count - 1);
    d->bof = d->eof = count == 0;
    d->setState(dsBrowse);
    d->notifyData();
    d->notifyCurrent();
    d->runAfter(AfterDelete);
    d->runAfter(AfterScroll);
}

// ---------------------------------------------------------------- cursor

bool TClientDataSet::Private::scrollTo(int row, bool newBof, bool newEof)
{
    if (!runBefore(q->BeforeScroll))
        return false;
    cursor = row;
    bof = newBof;
    eof = newEof;
    notifyCurrent();
    runAfter(q->AfterScroll);
    return true;
}

void TClientDataSet::First()
{
    d->checkActive();
    if (!d->checkBrowseMode())
        return;
    const bool empty = d->view().empty();
    d->scrollTo(empty ? -1 : 0, true, empty);
}

void TClientDataSet::Last()
{
    d->checkActive();
    if (!d->checkBrowseMode())
        return;
    const int count = int(d->view().size());
    d->scrollTo(count - 1, count == 0, true);
}

void TClientDataSet::Next()
{
    MoveBy(1);
}

void TClientDataSet::Prior()
{
    MoveBy(-1);
}

int TClientDataSet::MoveBy(int distance)
{
    d->checkActive();
    if (!d->checkBrowseMode())
        return 0;
    if (distance == 0 || (distance > 0 && d->eof) || (distance < 0 && d->bof))
        return 0;
    const int count = int(d->view().size());
    const int target = d->cursor + distance;
    const int row = std::clamp(target, 0, std::max(count - 1, 0));
    const bool newEof = count == 0 || target > count - 1;
    const bool newBof = count == 0 || target < 0;
    const int from = d->cursor;
    if (!d->scrollTo(count == 0 ? -1 : row, newBof, newEof))
        return 0;
    return row - from;
}

bool TClientDataSet::Eof() const
{
    return d->state == dsInactive || d->eof;
}

bool TClientDataSet::Bof() const
{
    return d->state == dsInactive || d->bof;
}

int TClientDataSet::RecNo() const
{
    return d->current() ? d->cursor + 1 : 0;
}

void TClientDataSet::SetRecNo(int recNo)
{
    d->checkActive();
    if (!d->checkBrowseMode())
        return;
    const int count = int(d->view().size());
    if (count == 0)
        return;
    const int row = std::clamp(recNo, 1, count) - 1;
    if (row == d->cursor)
        return;
    d->scrollTo(row, false, false);
}

int TClientDataSet::RecordCount() const
{
    return d->state == dsInactive ? 0 : int(d->view().size());
}

bool TClientDataSet::IsEmpty() const
{
    return RecordCount() == 0;
}

TBookmark TClientDataSet::GetBookmark() const
{
    const TDataRecord *rec = d->current();
    return rec ? rec->id : 0;
}

bool TClientDataSet::BookmarkValid(TBookmark bookmark) const
{
    const auto &rows = d->view();
    return bookmark != 0 && std::any_of(rows.begin(), rows.end(), [bookmark](const TDataRecord *r) {
               return r->id == bookmark;
           });
}

void TClientDataSet::GotoBookmark(TBookmark bookmark)
{
    d->checkActive();
    if (!d->checkBrowseMode())
        return;
    const auto &rows = d->view();
    const auto it = std::find_if(rows.begin(), rows.end(),
                                 [bookmark](const TDataRecord *r) { return r->id == bookmark; });
    if (bookmark == 0 || it == rows.end())
        MensErro(FwMsg(u"FW_DS_REGISTRO_NAO_ENCONTRADO"_s).arg(objectName()));
    d->scrollTo(int(it - rows.begin()), false, false);
}

bool TClientDataSet::Locate(const QString &fieldNames, const QVariant &values, int options)
{
    d->checkActive();
    const QStringList names = fieldNames.split(u';', Qt::SkipEmptyParts);
    QVariantList wanted
        = values.typeId() == QMetaType::QVariantList ? values.toList() : QVariantList {values};
    if (names.isEmpty() || wanted.size() != names.size())
        MensErro(FwMsg(u"FW_DS_LOCATE_INVALIDO"_s).arg(fieldNames, objectName()));
    QList<const TField *> keyFields;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const TField *f = FieldByName(names.at(i).trimmed());
        if (f->IsCalculated())
            MensErro(FwMsg(u"FW_DS_LOCATE_INVALIDO"_s).arg(fieldNames, objectName()));
        const auto stored = DataValues::ToStored(wanted.at(i), f->DataType(), 0);
        if (!stored)
            return false;
        wanted[i] = *stored;
        if (f->IsFixedWidth() && !wanted[i].isNull() && !(options & loPartialKey))
            wanted[i] = wanted[i].toString().leftJustified(f->Size(), u' ');
        keyFields.append(f);
    }
    if (!d->checkBrowseMode())
        return false;
    const auto matches = [&](const TDataRecord *rec) {
        for (qsizetype i = 0; i < keyFields.size(); ++i) {
            const TField *f = keyFields.at(i);
            const QVariant &v = rec->values.at(f->m_slot);
            const QVariant &w = wanted.at(i);
            const bool isText = f->DataType() == FieldType::String
                || f->DataType() == FieldType::FixedString || f->DataType() == FieldType::Memo;
            if (isText && !w.isNull() && !v.isNull()) {
                const auto cs
                    = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
                const QString text = v.toString();
                if ((options & loPartialKey) ? !text.startsWith(w.toString(), cs)
                                             : text.compare(w.toString(), cs) != 0)
                    return false;
            } else if (DataValues::Compare(v, w, f->DataType()) != 0) {
                return false;
            }
        }
        return true;
    };
    const auto &rows = d->view();
    int found = -1;
    const TField *first = keyFields.first();
    const auto index = d->hashIndexes.find(first->m_slot);
    if (index != d->hashIndexes.end() && !(options & (loCaseInsensitive | loPartialKey))) {
        // Candidates from the hash index; the visible one nearest the top wins.
        const auto bucket = index->second.buckets.constFind(
            DataValues::HashKey(wanted.first(), first->DataType()));
        if (bucket != index->second.buckets.cend()) {
            for (TDataRecord *rec : *bucket) {
                if (!matches(rec))
                    continue;
                const qsizetype pos = d->positionIn(rows, rec);
                if (pos >= 0 && (found < 0 || pos < found))
                    found = int(pos);
            }
        }
    } else {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (matches(rows[i])) {
                found = int(i);
                break;
            }
        }
    }
    if (found < 0)
        return false;
    return d->scrollTo(found, false, false);
}

// ---------------------------------------------------------------- grid access

int TClientDataSet::CurrentRow() const
{
    return d->current() ? d->cursor : -1;
}

bool TClientDataSet::IsEditingRow(int row) const
{
    return d->editing() && row == d->cursor;
}

// The field reads the row given by readOverride, restored afterwards even when `read` throws.
template<typename Read>
auto TClientDataSet::readAtRow(int row, const TField *field, Read read) const
    -> decltype(read(field))
{
    const auto &rows = d->view();
    if (!field || row < 0 || row >= int(rows.size()))
        return {};
    struct Restore
    {
        const Private *p;
        const TDataRecord *saved;
        ~Restore() { p->readOverride = saved; }
    } restore {d.get(), d->readOverride};
    d->readOverride = rows[size_t(row)];
    return read(field);
}

QVariant TClientDataSet::ValueAt(int row, const TField *field) const
{
    return readAtRow(row, field, [](const TField *f) { return f->Value(); });
}

QString TClientDataSet::DisplayTextAt(int row, const TField *field) const
{
    return readAtRow(row, field, [](const TField *f) { return f->DisplayText(); });
}

QString TClientDataSet::TextAt(int row, const TField *field) const
{
    return readAtRow(row, field, [](const TField *f) { return f->Text(); });
}

// ---------------------------------------------------------------- values

QVariant TClientDataSet::readValue(const TField *field) const
{
    if (d->state == dsInactive)
        return {};
    if (d->calcDepth > 0)
        return field->IsCalculated() ? d->calcTarget->at(field->m_slot)
                                     : d->calcSource->at(field->m_slot);
    const TDataRecord *rec = d->readOverride ? d->readOverride : d->current();
    if (!rec)
        return {};
    const QList<QVariant> &values = (d->editing() && rec == d->current()) ? d->buffer : rec->values;
    if (!field->IsCalculated())
        return values.at(field->m_slot);
    // Calculated values are worked out on each read: handlers may change between reads.
    const TDataRecord *saved = d->readOverride;
    d->readOverride = rec;
    const QList<QVariant> calc = d->calcValues(values);
    d->readOverride = saved;
    return calc.at(field->m_slot);
}

QVariant TClientDataSet::oldValue(const TField *field) const
{
    if (d->state == dsInactive || field->IsCalculated())
        return {};
    const TDataRecord *rec = d->readOverride ? d->readOverride : d->current();
    if (!rec || rec->status == TDataRecord::Status::Inserted)
        return {};
    return rec->oldValues().at(field->m_slot);
}

void TClientDataSet::writeValue(TField *field, const QVariant &value)
{
    if (field->IsCalculated()) {
        if (d->calcDepth == 0)
            MensErro(FwMsg(u"FW_DS_CAMPO_CALCULADO"_s).arg(field->FieldName()));
        const auto stored = DataValues::ToStored(value, field->DataType(), field->Size());
        if (!stored)
            MensErro(FwMsg(u"FW_DS_VALOR_INVALIDO"_s).arg(value.toString(), field->DisplayLabel()));
        (*d->calcTarget)[field->m_slot] = *stored;
        return;
    }
    if (!d->editing() || d->calcDepth > 0 || d->readOverride)
        MensErro(FwMsg(u"FW_DS_NAO_EDICAO"_s).arg(field->FieldName(), objectName()));
    if (field->ReadOnly())
        MensErro(FwMsg(u"FW_DS_CAMPO_SOMENTE_LEITURA"_s).arg(field->DisplayLabel()));
    const auto stored = DataValues::ToStored(value, field->DataType(), field->Size());
    if (!stored)
        MensErro(FwMsg(u"FW_DS_VALOR_INVALIDO"_s).arg(value.toString(), field->DisplayLabel()));
    QVariant &slot = d->buffer[field->m_slot];
    // Writing the value the field already holds changes nothing: no validation, no notice to
    // the controls, no change handler (which may clear what depends on the field).
    if (slot.isNull() == stored->isNull() && (slot.isNull() || slot == *stored))
        return;
    const QVariant old = slot;
    slot = *stored;
    if (field->OnValidate) {
        const TFieldNotifyEvent validate = field->OnValidate;
        try {
            validate(field);
        } catch (...) {
            d->buffer[field->m_slot] = old;
            throw;
        }
    }
    d->modified = true;
    if (d->disableCount > 0)
        d->pendingData = true;
    else
        emit fieldChanged(field);
    if (field->OnChange) {
        const TFieldNotifyEvent change = field->OnChange;
        change(field);
    }
}

// ---------------------------------------------------------------- listeners

void TClientDataSet::DisableControls()
{
    if (d->disableCount++ == 0)
        d->pendingStructure = d->pendingData = d->pendingState = d->pendingCurrent = false;
}

void TClientDataSet::EnableControls()
{
    if (d->disableCount == 0 || --d->disableCount > 0)
        return;
    const bool structure = d->pendingStructure, data = d->pendingData, state = d->pendingState,
               current = d->pendingCurrent;
    d->pendingStructure = d->pendingData = d->pendingState = d->pendingCurrent = false;
    if (structure)
        emit structureChanged();
    if (data || structure)
        emit dataSetChanged();
    if (state)
        emit stateChanged(d->state);
    if (current || data || structure)
        emit currentChanged(CurrentRow());
}

bool TClientDataSet::ControlsDisabled() const
{
    return d->disableCount > 0;
}
