#include "PacketSql.h"

#include "Schema.h"

#include <QDateTime>
#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace packetsql {

QVariant readValue(const QVariant &stored, const FieldDef &field)
{
    if (stored.isNull())
        return QVariant();
    // Values the driver already gives in the field's type are shared, not rebuilt.
    const int id = stored.typeId();
    if (field.type == FieldType::Float && id == QMetaType::Double)
        return stored;
    if (field.type == FieldType::Float || field.type == FieldType::Integer) {
        bool ok = false;
        const double d = stored.toDouble(&ok);
        if (!ok)
            return QVariant();
        return field.type == FieldType::Integer ? QVariant(qint64(d)) : QVariant(d);
    }
    if (field.type == FieldType::DateTime) {
        if (id == QMetaType::QDateTime)
            return stored;
        auto v = contracts::coerceValue(stored, FieldType::DateTime);
        return v ? *v : QVariant();
    }
    if (id == QMetaType::QString)
        return stored;
    return QVariant(stored.toString());
}

contracts::DataPacket fromQuery(QSqlQuery &query, const QList<FieldDef> &fields,
                                const contracts::Row &prefix, const QList<FieldDef> &prefixFields)
{
    contracts::DataPacket packet;
    packet.fields = prefixFields + fields;
    const int n = int(fields.size());
    while (query.next()) {
        contracts::Row row = prefix;
        row.reserve(prefix.size() + n);
        for (int i = 0; i < n; ++i)
            row.append(readValue(query.value(i), fields.at(i)));
        packet.rows.append(std::move(row));
    }
    return packet;
}

QVariant bindValue(const QVariant &value, const FieldDef &field)
{
    switch (field.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        return value.isNull() ? QVariant(QMetaType::fromType<QString>())
                              : QVariant(value.toString());
    case FieldType::Float:
        if (value.isNull())
            return schema::isKeyField(field.name) ? QVariant(QMetaType::fromType<qint64>())
                                                  : QVariant(QMetaType::fromType<double>());
        return schema::isKeyField(field.name) ? QVariant(qint64(std::llround(value.toDouble())))
                                              : QVariant(value.toDouble());
    case FieldType::Integer:
        return value.isNull() ? QVariant(QMetaType::fromType<qint64>())
                              : QVariant(value.toLongLong());
    case FieldType::DateTime:
        return value.isNull() ? QVariant(QMetaType::fromType<QDateTime>())
                              : QVariant(value.toDateTime());
    }
    return value;
}

bool sameValue(const QVariant &client, const QVariant &stored, const FieldDef &field)
{
    const QVariant s = readValue(stored, field);
    switch (field.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        // An empty text and a null are the same to a dataset.
        return client.toString() == s.toString();
    case FieldType::Float:
    case FieldType::Integer:
        if (client.isNull() || s.isNull())
            return client.isNull() == s.isNull();
        // Stored decimals keep four places.
        return std::fabs(client.toDouble() - s.toDouble()) < 0.00005;
    case FieldType::DateTime:
        if (client.isNull() || s.isNull())
            return client.isNull() == s.isNull();
        return client.toDateTime() == s.toDateTime();
    }
    return false;
}

QString columnList(const QList<FieldDef> &fields, const QString &alias)
{
    QStringList cols;
    cols.reserve(fields.size());
    for (const FieldDef &f : fields)
        cols << (alias.isEmpty() ? f.name : alias + u'.' + f.name);
    return cols.join(u", "_s);
}

QString sqlWithoutPunctuation(const QString &column)
{
    QString expr = column;
    for (const char16_t *c : {u"/", u"-", u".", u"(", u")", u",", u" "})
        expr = u"REPLACE(%1, '%2', '')"_s.arg(expr, QString::fromUtf16(c));
    return expr;
}

} // namespace packetsql
