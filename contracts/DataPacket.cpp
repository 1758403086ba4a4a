#include "DataPacket.h"

#include "ContractMessages.h"
#include "IsoDateTime.h"
#include "JsonText.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <QSet>

#include <cmath>

using namespace Qt::StringLiterals;

namespace contracts {

namespace {

// Integers travel as JSON numbers (doubles): beyond 2^53 they are no longer exact.
constexpr double kMaxExactInteger = 9007199254740992.0;
// The stored numeric columns keep 14 digits before the decimal point.
constexpr double kMaxStoredNumber = 1e14;

} // namespace

TextFault textFault(QStringView text)
{
    if (text.contains(QChar(u'\0')))
        return TextFault::Nul;
    return text.isValidUtf16() ? TextFault::None : TextFault::LoneSurrogate;
}

namespace {

// Every process that reads packets converts date-times to local time; see pinLocalTimeZone.
[[maybe_unused]] const bool kLocalTimeZonePinned = (pinLocalTimeZone(), true);

struct TypeName
{
    FieldType type;
    const char16_t *name;
};

constexpr TypeName kTypeNames[] = {
    {FieldType::String, u"string"},     {FieldType::FixedString, u"fixedstring"},
    {FieldType::Float, u"float"},       {FieldType::Integer, u"integer"},
    {FieldType::DateTime, u"datetime"}, {FieldType::Memo, u"memo"},
};

QJsonArray fieldsToJson(const QList<FieldDef> &fields)
{
    QJsonArray out;
    for (const FieldDef &f : fields) {
        QJsonObject def {{u"name"_s, f.name}, {u"type"_s, fieldTypeName(f.type)}};
        if (f.type == FieldType::String || f.type == FieldType::FixedString)
            def.insert(u"size"_s, f.size);
        QJsonArray flags;
        if (f.hidden)
            flags.append(u"hidden"_s);
        if (f.readOnly)
            flags.append(u"readonly"_s);
        if (f.required)
            flags.append(u"required"_s);
        if (!flags.isEmpty())
            def.insert(u"flags"_s, flags);
        out.append(def);
    }
    return out;
}

QJsonValue valueToJson(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QJsonValue::Null;
    switch (type) {
    case FieldType::Float:
        return value.toDouble();
    case FieldType::Integer:
        return value.toLongLong();
    case FieldType::DateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs);
    default:
        return value.toString();
    }
}

QJsonArray rowToJson(const Row &row, const QList<FieldDef> &fields)
{
    QJsonArray out;
    for (qsizetype i = 0; i < fields.size(); ++i)
        out.append(valueToJson(row.value(i), fields.at(i).type));
    return out;
}

bool fieldsFromJson(const QJsonValue &json, QList<FieldDef> *fields, QString *error)
{
    if (!json.isArray()) {
        *error = contractMsg("PACOTE_SEM_CAMPOS");
        return false;
    }
    QSet<QString> seen;
    for (const QJsonValue &v : json.toArray()) {
        const QJsonObject def = v.toObject();
        FieldDef f;
        f.name = def.value(u"name"_s).toString();
        if (!v.isObject() || f.name.isEmpty()) {
            *error = contractMsg("PACOTE_CAMPO_SEM_NOME");
            return false;
        }
        if (seen.contains(f.name.toUpper())) {
            *error = contractMsg("PACOTE_CAMPO_REPETIDO").arg(f.name);
            return false;
        }
        seen.insert(f.name.toUpper());
        const auto type = fieldTypeFromName(def.value(u"type"_s).toString());
        if (!type) {
            *error = contractMsg("PACOTE_TIPO_DESCONHECIDO")
                         .arg(def.value(u"type"_s).toString(), f.name);
            return false;
        }
        f.type = *type;
        const QJsonValue size = def.value(u"size"_s);
        if (f.type == FieldType::String || f.type == FieldType::FixedString) {
            const double width = size.toDouble();
            if (!size.isDouble() || width < 1 || width > 1'000'000 || width != std::floor(width)) {
                *error = contractMsg("PACOTE_TAMANHO_INVALIDO").arg(f.name);
                return false;
            }
            f.size = size.toInt();
        }
        for (const QJsonValue &flag : def.value(u"flags"_s).toArray()) {
            const QString name = flag.toString();
            f.hidden |= name == u"hidden";
            f.readOnly |= name == u"readonly";
            f.required |= name == u"required";
        }
        fields->append(f);
    }
    return true;
}

enum class ValueProblem { Invalid, Nul, LoneSurrogate, TooLarge };

// Reads one JSON value of a row into `row`. Strings longer than the field are refused: the
// server's columns and the client's fields have the same widths, so a longer text is a broken
// packet. So are texts with the NUL character and numbers beyond what the columns keep, which no
// database stores. The value is read through the array's reference, without a QJsonValue copy.
bool appendValueFromJson(Row &row, const QJsonValueConstRef json, const FieldDef &field,
                         ValueProblem *problem)
{
    *problem = ValueProblem::Invalid;
    const QJsonValue::Type type = json.type();
    if (type == QJsonValue::Null) {
        row.emplaceBack();
        return true;
    }
    switch (field.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo: {
        if (type != QJsonValue::String)
            return false;
        QString text = json.toString();
        if (field.type != FieldType::Memo && text.size() > field.size)
            return false;
        if (const TextFault fault = textFault(text); fault != TextFault::None) {
            *problem = fault == TextFault::Nul ? ValueProblem::Nul : ValueProblem::LoneSurrogate;
            return false;
        }
        row.emplaceBack(std::move(text));
        return true;
    }
    case FieldType::Float: {
        if (type != QJsonValue::Double)
            return false;
        const double d = json.toDouble();
        if (!(std::fabs(d) < kMaxStoredNumber)) {
            *problem = ValueProblem::TooLarge;
            return false;
        }
        row.emplaceBack(d);
        return true;
    }
    case FieldType::Integer: {
        if (type != QJsonValue::Double)
            return false;
        const double d = json.toDouble();
        if (d != std::floor(d))
            return false;
        if (std::fabs(d) > kMaxExactInteger) {
            *problem = ValueProblem::TooLarge;
            return false;
        }
        row.emplaceBack(qint64(d));
        return true;
    }
    case FieldType::DateTime: {
        if (type != QJsonValue::String)
            return false;
        auto value = coerceValue(json.toString(), FieldType::DateTime);
        if (!value)
            return false;
        row.append(std::move(*value));
        return true;
    }
    }
    return false;
}

// `values` is the row's JSON value as an array (empty when it was not one).
bool rowFromJson(const QJsonArray &values, bool isArray, const QList<FieldDef> &fields, Row *row,
                 QString *error, qsizetype rowNumber)
{
    if (!isArray || values.size() != fields.size()) {
        *error = contractMsg("PACOTE_LINHA_TAMANHO")
                     .arg(rowNumber + 1)
                     .arg(values.size())
                     .arg(fields.size());
        return false;
    }
    row->reserve(fields.size());
    auto it = values.constBegin();
    for (qsizetype i = 0; i < fields.size(); ++i, ++it) {
        ValueProblem problem;
        if (!appendValueFromJson(*row, *it, fields.at(i), &problem)) {
            const char *key = problem == ValueProblem::Nul ? "PACOTE_VALOR_NUL"
                : problem == ValueProblem::LoneSurrogate   ? "PACOTE_VALOR_SUBSTITUTO"
                : problem == ValueProblem::TooLarge        ? "PACOTE_NUMERO_GRANDE"
                                                           : "PACOTE_VALOR_INVALIDO";
            *error = contractMsg(key).arg(fields.at(i).name, QString::number(rowNumber + 1));
            return false;
        }
    }
    return true;
}

int indexOfField(const QList<FieldDef> &fields, const QString &name)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

} // namespace

QString fieldTypeName(FieldType type)
{
    for (const TypeName &t : kTypeNames) {
        if (t.type == type)
            return QString::fromUtf16(t.name);
    }
    return {};
}

std::optional<FieldType> fieldTypeFromName(const QString &name)
{
    for (const TypeName &t : kTypeNames) {
        if (name == QStringView(t.name))
            return t.type;
    }
    return std::nullopt;
}

int DataPacket::indexOf(const QString &fieldName) const
{
    return indexOfField(fields, fieldName);
}

int Delta::indexOf(const QString &fieldName) const
{
    return indexOfField(fields, fieldName);
}

std::optional<QVariant> coerceValue(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        return QVariant(value.toString());
    case FieldType::Float: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? std::optional<QVariant>(d) : std::nullopt;
    }
    case FieldType::Integer: {
        bool ok = false;
        if (value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float) {
            const qint64 i = value.toLongLong(&ok);
            if (ok)
                return QVariant(i);
        }
        const double d = value.toDouble(&ok);
        if (ok && d == std::floor(d) && std::fabs(d) <= kMaxExactInteger)
            return QVariant(qint64(d));
        return std::nullopt;
    }
    case FieldType::DateTime: {
        if (value.typeId() == QMetaType::QDateTime)
            return value;
        if (value.typeId() == QMetaType::QDate)
            return QVariant(value.toDate().startOfDay());
        const QString text = value.toString();
        if (auto fast = readIsoLocalDateTime(text))
            return QVariant(std::move(*fast));
        QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!dt.isValid())
            dt = QDate::fromString(text, Qt::ISODate).startOfDay();
        if (!dt.isValid())
            return std::nullopt;
        return QVariant(dt);
    }
    }
    return std::nullopt;
}

QJsonObject packetToJson(const DataPacket &packet)
{
    QJsonArray rows;
    for (const Row &row : packet.rows)
        rows.append(rowToJson(row, packet.fields));
    return {{u"fields"_s, fieldsToJson(packet.fields)}, {u"rows"_s, rows}};
}

// valueToJson's text form.
void appendValueJson(QByteArray &out, const QVariant &value, FieldType type)
{
    if (value.isNull()) {
        jsontext::appendNull(out);
        return;
    }
    switch (type) {
    case FieldType::Float:
        jsontext::appendDouble(out, value.toDouble());
        return;
    case FieldType::Integer:
        jsontext::appendInteger(out, value.toLongLong());
        return;
    case FieldType::DateTime:
        jsontext::appendString(out, value.toDateTime().toString(Qt::ISODateWithMs));
        return;
    default:
        // Text values are QString already: read them in place.
        if (value.typeId() == QMetaType::QString)
            jsontext::appendString(out, *static_cast<const QString *>(value.constData()));
        else
            jsontext::appendString(out, value.toString());
        return;
    }
}

void appendPacketHead(QByteArray &out, const QList<FieldDef> &fields)
{
    // Keys in QJsonObject order (sorted): "fields", then "rows".
    out.append("{\"fields\":", 10);
    out.append(QJsonDocument(fieldsToJson(fields)).toJson(QJsonDocument::Compact));
    out.append(",\"rows\":[", 9);
}

void appendPacketTail(QByteArray &out)
{
    out.append("]}", 2);
}

void appendPacketJson(QByteArray &out, const DataPacket &packet)
{
    appendPacketHead(out, packet.fields);
    // Most values are short: a guess that spares the long list most of its regrowth.
    out.reserve(out.size() + packet.rows.size() * packet.fields.size() * 8);
    QList<FieldType> types;
    types.reserve(packet.fields.size());
    for (const FieldDef &f : packet.fields)
        types.append(f.type);
    const QVariant null;
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        if (r > 0)
            out.append(',');
        out.append('[');
        const Row &row = packet.rows.at(r);
        for (qsizetype i = 0; i < types.size(); ++i) {
            if (i > 0)
                out.append(',');
            appendValueJson(out, i < row.size() ? row.at(i) : null, types.at(i));
        }
        out.append(']');
    }
    appendPacketTail(out);
}

QJsonObject deltaToJson(const Delta &delta)
{
    QJsonArray changes;
    for (const Change &c : delta.changes) {
        QJsonObject change;
        switch (c.kind) {
        case Change::Kind::Insert:
            change.insert(u"kind"_s, u"insert"_s);
            change.insert(u"new"_s, rowToJson(c.newValues, delta.fields));
            break;
        case Change::Kind::Update:
            change.insert(u"kind"_s, u"update"_s);
            change.insert(u"old"_s, rowToJson(c.oldValues, delta.fields));
            change.insert(u"new"_s, rowToJson(c.newValues, delta.fields));
            break;
        case Change::Kind::Delete:
            change.insert(u"kind"_s, u"delete"_s);
            change.insert(u"old"_s, rowToJson(c.oldValues, delta.fields));
            break;
        }
        changes.append(change);
    }
    return {{u"fields"_s, fieldsToJson(delta.fields)}, {u"changes"_s, changes}};
}

std::optional<DataPacket> packetFromJson(const QJsonObject &json, QString *error)
{
    QString localError;
    if (!error)
        error = &localError;
    DataPacket packet;
    if (!fieldsFromJson(json.value(u"fields"_s), &packet.fields, error))
        return std::nullopt;
    const QJsonValue rows = json.value(u"rows"_s);
    if (!rows.isArray()) {
        *error = contractMsg("PACOTE_SEM_LINHAS");
        return std::nullopt;
    }
    const QJsonArray array = rows.toArray();
    packet.rows.reserve(array.size());
    qsizetype r = 0;
    for (auto it = array.constBegin(); it != array.constEnd(); ++it, ++r) {
        Row row;
        if (!rowFromJson((*it).toArray(), (*it).isArray(), packet.fields, &row, error, r))
            return std::nullopt;
        packet.rows.append(std::move(row));
    }
    return packet;
}

std::optional<Delta> deltaFromJson(const QJsonObject &json, QString *error)
{
    QString localError;
    if (!error)
        error = &localError;
    Delta delta;
    if (!fieldsFromJson(json.value(u"fields"_s), &delta.fields, error))
        return std::nullopt;
    const QJsonValue changes = json.value(u"changes"_s);
    if (!changes.isArray()) {
        *error = contractMsg("DELTA_SEM_ALTERACOES");
        return std::nullopt;
    }
    const QJsonArray array = changes.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QJsonObject obj = array.at(i).toObject();
        const QString kind = obj.value(u"kind"_s).toString();
        Change c;
        if (kind == u"insert")
            c.kind = Change::Kind::Insert;
        else if (kind == u"update")
            c.kind = Change::Kind::Update;
        else if (kind == u"delete")
            c.kind = Change::Kind::Delete;
        else {
            *error = contractMsg("DELTA_TIPO_DESCONHECIDO").arg(kind).arg(i + 1);
            return std::nullopt;
        }
        if (c.kind != Change::Kind::Insert
            && !rowFromJson(obj.value(u"old"_s).toArray(), obj.value(u"old"_s).isArray(),
                            delta.fields, &c.oldValues, error, i))
            return std::nullopt;
        if (c.kind != Change::Kind::Delete
            && !rowFromJson(obj.value(u"new"_s).toArray(), obj.value(u"new"_s).isArray(),
                            delta.fields, &c.newValues, error, i))
            return std::nullopt;
        delta.changes.append(std::move(c));
    }
    return delta;
}

} // namespace contracts
