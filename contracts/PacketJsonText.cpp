// A packet read from its JSON text without building a JSON tree: large lists arrive this way.
#include "PacketJsonText.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

using namespace Qt::StringLiterals;

namespace contracts {

namespace {

constexpr double kMaxExactInteger = 9007199254740992.0;
// The stored numeric columns keep 14 digits before the decimal point.
constexpr double kMaxStoredNumber = 1e14;

// One value of a row, under the same rules as packetFromJson.
bool readValue(jsontext::Scanner &in, const FieldDef &field, Row &row)
{
    if (in.peek() == 'n') {
        if (!in.takeNull())
            return false;
        row.emplaceBack();
        return true;
    }
    switch (field.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo: {
        QString text;
        if (!in.readString(text) || (field.type != FieldType::Memo && text.size() > field.size)
            || textFault(text) != TextFault::None)
            return false;
        row.emplaceBack(std::move(text));
        return true;
    }
    case FieldType::Float: {
        double d = 0;
        if (!in.readNumber(d) || !(std::fabs(d) < kMaxStoredNumber))
            return false;
        row.emplaceBack(d);
        return true;
    }
    case FieldType::Integer: {
        double d = 0;
        if (!in.readNumber(d) || d != std::floor(d) || std::fabs(d) > kMaxExactInteger)
            return false;
        row.emplaceBack(qint64(d));
        return true;
    }
    case FieldType::DateTime: {
        QString text;
        if (!in.readString(text))
            return false;
        auto value = coerceValue(text, FieldType::DateTime);
        if (!value)
            return false;
        row.append(std::move(*value));
        return true;
    }
    }
    return false;
}

// The field definitions: a small part, read and checked by packetFromJson itself.
std::optional<QList<FieldDef>> readFields(jsontext::Scanner &in)
{
    if (in.peek() != '[')
        return std::nullopt;
    const char *begin = in.position();
    if (!in.skipContainer())
        return std::nullopt;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray::fromRawData(begin, in.position() - begin), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    auto packet = packetFromJson(
        QJsonObject {{u"fields"_s, doc.array()}, {u"rows"_s, QJsonArray()}}, nullptr);
    if (!packet)
        return std::nullopt;
    return std::move(packet->fields);
}

} // namespace

std::optional<DataPacket> readPacket(jsontext::Scanner &in)
{
    if (!in.take('{') || !in.takeKey("fields"))
        return std::nullopt;
    DataPacket packet;
    auto fields = readFields(in);
    if (!fields)
        return std::nullopt;
    packet.fields = std::move(*fields);
    const qsizetype width = packet.fields.size();
    if (!in.take(',') || !in.takeKey("rows") || !in.take('['))
        return std::nullopt;
    if (!in.take(']')) {
        do {
            if (!in.take('['))
                return std::nullopt;
            Row row;
            row.reserve(width);
            for (qsizetype i = 0; i < width; ++i) {
                if ((i > 0 && !in.take(',')) || !readValue(in, packet.fields.at(i), row))
                    return std::nullopt;
            }
            if (!in.take(']'))
                return std::nullopt;
            packet.rows.append(std::move(row));
        } while (in.take(','));
        if (!in.take(']'))
            return std::nullopt;
    }
    if (!in.take('}'))
        return std::nullopt;
    return packet;
}

std::optional<DataPacket> readPacketJsonText(QByteArrayView json)
{
    jsontext::Scanner in(json);
    auto packet = readPacket(in);
    if (!packet || !in.atEnd())
        return std::nullopt;
    return packet;
}

} // namespace contracts
