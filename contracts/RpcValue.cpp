#include "RpcValue.h"

#include "ContractMessages.h"
#include "DataPacket.h"
#include "JsonText.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace contracts {

QJsonValue toJson(const QVariant &value)
{
    if (value.isNull())
        return QJsonValue::Null;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    // An empty date (a date edit left blank) travels as null, as the operations expect.
    case QMetaType::QDate:
        if (!value.toDate().isValid())
            return QJsonValue::Null;
        return QJsonObject {{u"$date"_s, value.toDate().toString(Qt::ISODate)}};
    case QMetaType::QDateTime:
        if (!value.toDateTime().isValid())
            return QJsonValue::Null;
        return QJsonObject {{u"$datetime"_s, value.toDateTime().toString(Qt::ISODateWithMs)}};
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QVariant &item : value.toList())
            array.append(toJson(item));
        return array;
    }
    default:
        break;
    }
    if (value.typeId() == qMetaTypeId<DataPacket>())
        return QJsonObject {{u"$packet"_s, packetToJson(value.value<DataPacket>())}};
    if (value.typeId() == qMetaTypeId<Delta>())
        return QJsonObject {{u"$delta"_s, deltaToJson(value.value<Delta>())}};
    if (value.typeId() == qMetaTypeId<PacketText>())
        return QJsonObject {
            {u"$packet"_s, QJsonDocument::fromJson(value.value<PacketText>().json).object()}};
    return value.toString();
}

void appendJson(QByteArray &out, const QVariant &value)
{
    if (value.isNull()) {
        jsontext::appendNull(out);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        out.append(value.toBool() ? "true" : "false");
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        jsontext::appendInteger(out, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        jsontext::appendDouble(out, value.toDouble());
        return;
    case QMetaType::QDate:
        if (!value.toDate().isValid()) {
            jsontext::appendNull(out);
            return;
        }
        out.append("{\"$date\":", 9);
        jsontext::appendString(out, value.toDate().toString(Qt::ISODate));
        out.append('}');
        return;
    case QMetaType::QDateTime:
        if (!value.toDateTime().isValid()) {
            jsontext::appendNull(out);
            return;
        }
        out.append("{\"$datetime\":", 13);
        jsontext::appendString(out, value.toDateTime().toString(Qt::ISODateWithMs));
        out.append('}');
        return;
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        out.append('[');
        bool first = true;
        for (const QVariant &item : value.toList()) {
            if (!first)
                out.append(',');
            first = false;
            appendJson(out, item);
        }
        out.append(']');
        return;
    }
    default:
        break;
    }
    if (value.typeId() == qMetaTypeId<DataPacket>()) {
        out.append("{\"$packet\":", 11);
        appendPacketJson(out, *static_cast<const DataPacket *>(value.constData()));
        out.append('}');
        return;
    }
    if (value.typeId() == qMetaTypeId<PacketText>()) {
        out.append("{\"$packet\":", 11);
        out.append(static_cast<const PacketText *>(value.constData())->json);
        out.append('}');
        return;
    }
    if (value.typeId() == qMetaTypeId<Delta>()) {
        out.append("{\"$delta\":", 10);
        out.append(QJsonDocument(deltaToJson(*static_cast<const Delta *>(value.constData())))
                       .toJson(QJsonDocument::Compact));
        out.append('}');
        return;
    }
    jsontext::appendString(out, value.toString());
}

std::optional<QVariant> fromJson(const QJsonValue &json, QString *error)
{
    QString localError;
    if (!error)
        error = &localError;
    switch (json.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QVariant();
    case QJsonValue::Bool:
        return QVariant(json.toBool());
    case QJsonValue::Double:
        return QVariant(json.toDouble());
    case QJsonValue::String: {
        // No database keeps the NUL character or half a surrogate pair; a text holding one is
        // refused here, by name.
        QString text = json.toString();
        if (const TextFault fault = textFault(text); fault != TextFault::None) {
            *error
                = contractMsg(fault == TextFault::Nul ? "RPC_TEXTO_NUL" : "RPC_TEXTO_SUBSTITUTO");
            return std::nullopt;
        }
        return QVariant(std::move(text));
    }
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue &item : json.toArray()) {
            auto v = fromJson(item, error);
            if (!v)
                return std::nullopt;
            list.append(*v);
        }
        return QVariant(list);
    }
    case QJsonValue::Object:
        break;
    }
    const QJsonObject obj = json.toObject();
    const QString tag = obj.size() == 1 ? obj.begin().key() : QString();
    const QJsonValue inner = obj.size() == 1 ? obj.begin().value() : QJsonValue();
    if (tag == u"$date") {
        const QDate d = QDate::fromString(inner.toString(), Qt::ISODate);
        if (d.isValid())
            return QVariant(d);
    } else if (tag == u"$datetime") {
        const QDateTime dt = QDateTime::fromString(inner.toString(), Qt::ISODateWithMs);
        if (dt.isValid())
            return QVariant(dt);
    } else if (tag == u"$packet" && inner.isObject()) {
        auto packet = packetFromJson(inner.toObject(), error);
        return packet ? std::optional<QVariant>(QVariant::fromValue(*packet)) : std::nullopt;
    } else if (tag == u"$delta" && inner.isObject()) {
        auto delta = deltaFromJson(inner.toObject(), error);
        return delta ? std::optional<QVariant>(QVariant::fromValue(*delta)) : std::nullopt;
    }
    *error = contractMsg("RPC_VALOR_MARCADO_INVALIDO").arg(tag.isEmpty() ? u"{}"_s : tag);
    return std::nullopt;
}

} // namespace contracts
