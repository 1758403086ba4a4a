// RPC values read from their JSON text without building a JSON tree: list replies carry large
// packets.
#include "PacketJsonText.h"

#include "RpcValue.h"

namespace contracts {

namespace {

// Deeper values are QJsonDocument's to judge (it has its own limit).
constexpr int kMaxDepth = 64;

bool readValue(jsontext::Scanner &in, QVariant &out, int depth)
{
    switch (in.peek()) {
    case 'n':
        out = QVariant();
        return in.takeNull();
    case 't':
        out = QVariant(true);
        return in.takeWord("true");
    case 'f':
        out = QVariant(false);
        return in.takeWord("false");
    case '"': {
        QString text;
        // A text no database keeps goes the slow way, which names its fault.
        if (!in.readString(text) || textFault(text) != TextFault::None)
            return false;
        out = QVariant(std::move(text));
        return true;
    }
    case '[': {
        if (depth >= kMaxDepth || !in.take('['))
            return false;
        QVariantList list;
        if (!in.take(']')) {
            do {
                QVariant item;
                if (!readValue(in, item, depth + 1))
                    return false;
                list.append(std::move(item));
            } while (in.take(','));
            if (!in.take(']'))
                return false;
        }
        out = QVariant(std::move(list));
        return true;
    }
    case '{': {
        // Only packets: the other tagged values are small and rare.
        if (!in.take('{') || !in.takeKey("$packet"))
            return false;
        auto packet = readPacket(in);
        if (!packet || !in.take('}'))
            return false;
        out = QVariant::fromValue(std::move(*packet));
        return true;
    }
    default: {
        double d = 0;
        if (!in.readNumber(d))
            return false;
        out = QVariant(d);
        return true;
    }
    }
}

} // namespace

std::optional<QVariant> readJsonText(QByteArrayView json)
{
    jsontext::Scanner in(json);
    QVariant value;
    if (!readValue(in, value, 0) || !in.atEnd())
        return std::nullopt;
    return value;
}

} // namespace contracts
