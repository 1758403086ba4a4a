#include "DataValues.h"

#include "FieldFormat.h"

#include <QDateTime>

#include <cmath>
#include <cstring>

namespace DataValues {

namespace {

template<typename T>
int threeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

QString bitsKey(quint64 bits)
{
    // Four UTF-16 units carry the eight bytes; a hash index holds one type, so no clashes.
    const char16_t units[4]
        = {char16_t(bits), char16_t(bits >> 16), char16_t(bits >> 32), char16_t(bits >> 48)};
    return QString(reinterpret_cast<const QChar *>(units), 4);
}

} // namespace

int Compare(const QVariant &a, const QVariant &b, FieldType type)
{
    const bool aNull = a.isNull(), bNull = b.isNull();
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    switch (type) {
    case FieldType::Float:
        return threeWay(a.toDouble(), b.toDouble());
    case FieldType::Integer:
        return threeWay(a.toLongLong(), b.toLongLong());
    case FieldType::DateTime:
        return threeWay(a.toDateTime(), b.toDateTime());
    default: {
        const int c = QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
}

QString HashKey(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return {};
    switch (type) {
    case FieldType::Float: {
        double d = value.toDouble();
        if (d == 0.0)
            d = 0.0; // -0 and 0 are one key
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        return bitsKey(bits);
    }
    case FieldType::Integer:
        return bitsKey(quint64(value.toLongLong()));
    case FieldType::DateTime:
        return bitsKey(quint64(value.toDateTime().toMSecsSinceEpoch()));
    default:
        return value.toString();
    }
}

std::optional<QVariant> ToStored(const QVariant &value, FieldType type, int size)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo: {
        QString text = value.typeId() == QMetaType::Double
            ? FieldFormat::FloatToText(value.toDouble())
            : value.typeId() == QMetaType::QDateTime
            ? FieldFormat::DateTimeToText(value.toDateTime())
            : value.toString();
        if (text.isEmpty())
            return QVariant();
        if (type != FieldType::Memo && size > 0) {
            if (text.size() > size)
                text.truncate(size);
            else if (type == FieldType::FixedString)
                text = text.leftJustified(size, u' ');
        }
        return QVariant(text);
    }
    case FieldType::Float: {
        switch (value.typeId()) {
        case QMetaType::Double:
            return value;
        case QMetaType::QString: {
            if (value.toString().trimmed().isEmpty())
                return QVariant();
            double d = 0;
            if (!FieldFormat::TextToFloat(value.toString(), &d))
                return std::nullopt;
            return QVariant(d);
        }
        default: {
            bool ok = false;
            const double d = value.toDouble(&ok);
            return ok ? std::optional<QVariant>(QVariant(d)) : std::nullopt;
        }
        }
    }
    case FieldType::Integer: {
        if (value.typeId() == QMetaType::LongLong)
            return value;
        double d = 0;
        bool ok = false;
        if (value.typeId() == QMetaType::QString) {
            if (value.toString().trimmed().isEmpty())
                return QVariant();
            ok = FieldFormat::TextToFloat(value.toString(), &d);
        } else {
            d = value.toDouble(&ok);
        }
        if (!ok || d != std::floor(d) || std::fabs(d) > 9.0e18)
            return std::nullopt;
        return QVariant(qint64(d));
    }
    case FieldType::DateTime: {
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().isValid() ? std::optional<QVariant>(value) : std::nullopt;
        if (value.typeId() == QMetaType::QDate)
            return QVariant(value.toDate().startOfDay());
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return QVariant();
        QDateTime dt;
        if (!FieldFormat::TextToDateTime(value.toString(), &dt))
            return std::nullopt;
        return QVariant(dt);
    }
    }
    return std::nullopt;
}

} // namespace DataValues
