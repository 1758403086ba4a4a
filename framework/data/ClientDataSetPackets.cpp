// Packets, deltas and the change log of TClientDataSet.
#include "ClientDataSetPrivate.h"

#include "ContractMessages.h"
#include "DataValues.h"
#include "Exceptions.h"
#include "Messages.h"
#include "PacketJsonText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;
using contracts::FieldType;

namespace {

constexpr quint64 kOrderStep = quint64(1) << 20;

// A packet value in stored form. Unlike an assignment, a text longer than its field is refused:
// it means the packet and the field definitions disagree. `stored` is set only when the stored
// form differs from the value, so values already in form stay shared with the packet.
bool toStoredStrict(const QVariant &value, const contracts::FieldDef &def,
                    std::optional<QVariant> *stored)
{
    if (value.isNull())
        return true;
    const int typeId = value.typeId();
    switch (def.type) {
    case FieldType::String:
    case FieldType::FixedString: {
        if (typeId != QMetaType::QString)
            return false;
        const QString &text = *static_cast<const QString *>(value.constData());
        if (text.size() > def.size)
            return false;
        if (text.isEmpty())
            *stored = QVariant();
        else if (def.type == FieldType::FixedString && text.size() < def.size)
            *stored = QVariant(text.leftJustified(def.size, u' '));
        return true;
    }
    case FieldType::Memo:
        if (typeId != QMetaType::QString)
            return false;
        if (static_cast<const QString *>(value.constData())->isEmpty())
            *stored = QVariant();
        return true;
    case FieldType::Float:
        if (typeId == QMetaType::Double)
            return true;
        break;
    case FieldType::Integer:
        if (typeId == QMetaType::LongLong)
            return true;
        break;
    case FieldType::DateTime:
        if (typeId == QMetaType::QDateTime)
            return value.toDateTime().isValid();
        break;
    }
    const auto converted = DataValues::ToStored(value, def.type, def.size);
    if (!converted)
        return false;
    *stored = *converted;
    return true;
}

[[noreturn]] void badPacket(const QString &dataSetName, const QString &why)
{
    MensErro(FwMsg(u"FW_DS_PACOTE_INVALIDO"_s).arg(dataSetName, why));
}

} // namespace

// ---------------------------------------------------------------- loading

void TClientDataSet::LoadFromPacket(const contracts::DataPacket &packet)
{
    loadPacket(contracts::DataPacket(packet));
}

void TClientDataSet::LoadFromPacket(contracts::DataPacket &&packet)
{
    loadPacket(std::move(packet));
}

void TClientDataSet::loadPacket(contracts::DataPacket &&packet)
{
    const QString name = objectName();
    // Everything is checked before anything changes: a bad packet leaves the dataset as it was.
    QSet<QString> names;
    for (const contracts::FieldDef &def : std::as_const(packet.fields)) {
        if (def.name.isEmpty())
            badPacket(name, contracts::contractMsg("PACOTE_CAMPO_SEM_NOME"));
        const QString upper = def.name.toUpper();
        const TField *existing = d->byName.value(upper);
        if (names.contains(upper) || (existing && existing->IsCalculated()))
            badPacket(name, contracts::contractMsg("PACOTE_CAMPO_REPETIDO").arg(def.name));
        if ((def.type == FieldType::String || def.type == FieldType::FixedString)
            && (def.size < 1 || def.size > 1'000'000))
            badPacket(name, contracts::contractMsg("PACOTE_TAMANHO_INVALIDO").arg(def.name));
        names.insert(upper);
    }
    if (packet.fields.isEmpty())
        badPacket(name, contracts::contractMsg("PACOTE_SEM_CAMPOS"));
    const qsizetype fieldCount = packet.fields.size();
    std::vector<std::unique_ptr<TDataRecord>> records;
    records.reserve(size_t(packet.rows.size()));
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        // Read without detaching: a row whose values are all in stored form is shared with
        // the packet (and the reply it came in), not copied value by value.
        const contracts::Row &row = std::as_const(packet.rows).at(r);
        if (row.size() != fieldCount)
            badPacket(name,
                      contracts::contractMsg("PACOTE_LINHA_TAMANHO")
                          .arg(r + 1)
                          .arg(row.size())
                          .arg(fieldCount));
        auto rec = std::make_unique<TDataRecord>();
        rec->values = row;
        for (qsizetype i = 0; i < fieldCount; ++i) {
            std::optional<QVariant> stored;
            if (!toStoredStrict(row.at(i), packet.fields.at(i), &stored))
                badPacket(name,
                          contracts::contractMsg("PACOTE_VALOR_INVALIDO")
                              .arg(packet.fields.at(i).name)
                              .arg(r + 1));
            if (stored)
                rec->values[i] = std::move(*stored);
        }
        records.push_back(std::move(rec));
    }

    // Commit. Fields of the same name and type keep their object, display properties and
    // handlers; calculated fields stay, after the packet's fields.
    if (d->editing())
        d->discardEdit();
    std::vector<std::unique_ptr<TField>> oldStore = std::move(d->fieldStore);
    d->fieldStore.clear();
    const QList<TField *> oldFields = d->fields;
    d->fields.clear();
    d->byName.clear();
    const auto takeOld = [&](const TField *wanted) {
        for (auto &owned : oldStore) {
            if (owned.get() == wanted) {
                std::unique_ptr<TField> taken = std::move(owned);
                return taken;
            }
        }
        return std::unique_ptr<TField>();
    };
    QHash<QString, TField *> oldByName;
    for (TField *f : oldFields)
        oldByName.insert(f->FieldName().toUpper(), f);
    int slot = 0;
    for (const contracts::FieldDef &def : std::as_const(packet.fields)) {
        TField *old = oldByName.value(def.name.toUpper());
        std::unique_ptr<TField> field;
        if (old && !old->IsCalculated() && old->DataType() == def.type)
            field = takeOld(old);
        if (field) {
            field->m_def = def;
        } else {
            field.reset(new TField(this, def, TFieldKind::fkData));
            field->m_visible = !def.hidden;
            field->m_readOnly = def.readOnly;
            field->m_required = def.required;
        }
        field->m_slot = slot++;
        d->fields.append(field.get());
        d->byName.insert(def.name.toUpper(), field.get());
        d->fieldStore.push_back(std::move(field));
    }
    d->dataCount = slot;
    int calcSlot = 0;
    for (TField *f : oldFields) {
        if (!f->IsCalculated())
            continue;
        std::unique_ptr<TField> field = takeOld(f);
        field->m_slot = calcSlot++;
        d->fields.append(field.get());
        d->byName.insert(f->FieldName().toUpper(), field.get());
        d->fieldStore.push_back(std::move(field));
    }
    d->calcCount = calcSlot;
    const bool structureChanged = d->fields != oldFields;

    d->clearRows();
    for (size_t i = 0; i < records.size(); ++i) {
        records[i]->id = d->nextId++;
        records[i]->order = (i + 1) * kOrderStep;
    }
    d->natural = std::move(records);
    d->resolveIndex();
    d->resort();
    d->rebuildHashIndexes();
    d->parseFilter();
    d->rebuildFilteredView();
    const bool empty = d->view().empty();
    d->cursor = empty ? -1 : 0;
    d->bof = true;
    d->eof = empty;
    d->setState(dsBrowse);
    if (structureChanged)
        d->notifyStructure();
    d->notifyData();
    d->notifyCurrent();
    // Old field objects not taken over die here, after the new structure is in place.
    oldStore.clear();
    if (!empty)
        d->runAfter(AfterScroll);
}

void TClientDataSet::SetData(const QVariant &data)
{
    if (data.canConvert<contracts::DataPacket>()
        && data.metaType() == QMetaType::fromType<contracts::DataPacket>()) {
        LoadFromPacket(data.value<contracts::DataPacket>());
        return;
    }
    if (data.typeId() == QMetaType::QJsonObject) {
        QString error;
        auto packet = contracts::packetFromJson(data.toJsonObject(), &error);
        if (!packet)
            badPacket(objectName(), error);
        LoadFromPacket(std::move(*packet));
        return;
    }
    if (data.typeId() == QMetaType::QByteArray || data.typeId() == QMetaType::QString) {
        LoadFromJson(data.typeId() == QMetaType::QString ? data.toString().toUtf8()
                                                         : data.toByteArray());
        return;
    }
    badPacket(objectName(), FwMsg(u"FW_DS_PACOTE_AUSENTE"_s));
}

void TClientDataSet::LoadFromJson(const QByteArray &json)
{
    if (auto packet = contracts::readPacketJsonText(json)) {
        LoadFromPacket(std::move(*packet));
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        badPacket(
            objectName(),
            FwMsg(u"FW_DS_JSON_INVALIDO"_s).arg(parseError.errorString()).arg(parseError.offset));
    QString error;
    auto packet = contracts::packetFromJson(doc.object(), &error);
    if (!packet)
        badPacket(objectName(), error);
    LoadFromPacket(std::move(*packet));
}

// ---------------------------------------------------------------- packets out

contracts::DataPacket TClientDataSet::DataPacket() const
{
    contracts::DataPacket packet;
    packet.fields = FieldDefs();
    packet.rows.reserve(qsizetype(d->natural.size()));
    for (const auto &rec : d->natural)
        packet.rows.append(rec->values);
    return packet;
}

QVariant TClientDataSet::Data() const
{
    return QVariant::fromValue(DataPacket());
}

QByteArray TClientDataSet::SaveToJson() const
{
    return QJsonDocument(contracts::packetToJson(DataPacket())).toJson(QJsonDocument::Compact);
}

// ---------------------------------------------------------------- change log

int TClientDataSet::ChangeCount() const
{
    int count = int(d->deleted.size());
    for (const auto &rec : d->natural)
        count += rec->status != TDataRecord::Status::Unchanged;
    return count;
}

contracts::Delta TClientDataSet::DeltaPacket() const
{
    std::vector<const TDataRecord *> changed;
    for (const auto &rec : d->natural) {
        if (rec->status != TDataRecord::Status::Unchanged)
            changed.push_back(rec.get());
    }
    for (const auto &rec : d->deleted)
        changed.push_back(rec.get());
    std::sort(changed.begin(), changed.end(), [](const TDataRecord *a, const TDataRecord *b) {
        return a->changeSeq < b->changeSeq;
    });
    contracts::Delta delta;
    delta.fields = FieldDefs();
    for (const TDataRecord *rec : changed) {
        contracts::Change change;
        const bool isDeleted = std::any_of(d->deleted.begin(), d->deleted.end(),
                                           [rec](const auto &r) { return r.get() == rec; });
        if (isDeleted) {
            change.kind = contracts::Change::Kind::Delete;
            change.oldValues = rec->oldValues();
        } else if (rec->status == TDataRecord::Status::Inserted) {
            change.kind = contracts::Change::Kind::Insert;
            change.newValues = rec->values;
        } else {
            change.kind = contracts::Change::Kind::Update;
            change.oldValues = rec->original;
            change.newValues = rec->values;
        }
        delta.changes.append(std::move(change));
    }
    return delta;
}

QVariant TClientDataSet::Delta() const
{
    if (ChangeCount() == 0)
        return {};
    return QVariant::fromValue(DeltaPacket());
}

void TClientDataSet::MergeChangeLog()
{
    d->checkActive();
    for (const auto &rec : d->natural) {
        rec->status = TDataRecord::Status::Unchanged;
        rec->original.clear();
        rec->changeSeq = 0;
    }
    d->deleted.clear();
}

bool TClientDataSet::LogChanges() const
{
    return d->logChanges;
}

void TClientDataSet::SetLogChanges(bool log)
{
    d->logChanges = log;
}

void TClientDataSet::CancelUpdates()
{
    d->checkActive();
    if (d->editing())
        d->discardEdit();
    std::vector<std::unique_ptr<TDataRecord>> kept;
    kept.reserve(d->natural.size() + d->deleted.size());
    for (auto &rec : d->natural) {
        if (rec->status == TDataRecord::Status::Inserted)
            continue;
        kept.push_back(std::move(rec));
    }
    for (auto &rec : d->deleted)
        kept.push_back(std::move(rec));
    for (auto &rec : kept) {
        if (rec->status == TDataRecord::Status::Modified)
            rec->values = rec->original;
        rec->status = TDataRecord::Status::Unchanged;
        rec->original.clear();
        rec->changeSeq = 0;
    }
    std::sort(kept.begin(), kept.end(),
              [](const auto &a, const auto &b) { return a->order < b->order; });
    d->clearRows();
    d->natural = std::move(kept);
    d->resort();
    d->rebuildHashIndexes();
    d->rebuildFilteredView();
    d->afterViewChange();
}
