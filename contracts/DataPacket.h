#pragma once

#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <optional>

// The unit of exchange between a client dataset and the server: field definitions and rows
// (a data packet), or field definitions and a list of changes (a delta). The JSON form is
// documented in docs/packets.md; both sides use this codec.
namespace contracts {

enum class FieldType { String, FixedString, Float, Integer, DateTime, Memo };

QString fieldTypeName(FieldType type);
std::optional<FieldType> fieldTypeFromName(const QString &name);

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // characters, for String and FixedString
    bool hidden = false;
    bool readOnly = false;
    bool required = false;

    bool operator==(const FieldDef &other) const = default;
};

// One row: one value per field, in field order. A null QVariant is a null value; strings are
// QString, floats double, integers qint64, date-times QDateTime.
using Row = QList<QVariant>;

struct DataPacket
{
    QList<FieldDef> fields;
    QList<Row> rows;

    int indexOf(const QString &fieldName) const;
};

struct Change
{
    enum class Kind { Insert, Update, Delete };
    Kind kind = Kind::Insert;
    Row oldValues; // Update and Delete: the values when the content was loaded
    Row newValues; // Insert and Update: the values to store
};

struct Delta
{
    QList<FieldDef> fields;
    QList<Change> changes;

    int indexOf(const QString &fieldName) const;
};

// A packet already written as its JSON text (appendPacketJson's bytes), sent as it stands: a
// long list goes from the database to the wire without a QVariant per value.
struct PacketText
{
    QByteArray json;
    qsizetype rows = 0;
};

// Encoding. Values are written by their field's type; a date-time as ISO text with milliseconds.
QJsonObject packetToJson(const DataPacket &packet);
QJsonObject deltaToJson(const Delta &delta);
// The packet's compact JSON text, the same bytes as QJsonDocument(packetToJson(packet)) gives,
// written without building the JSON tree.
void appendPacketJson(QByteArray &out, const DataPacket &packet);
// The pieces of that text for a writer of its own: everything before the first row, one value
// by its field's type, and the end.
void appendPacketHead(QByteArray &out, const QList<FieldDef> &fields);
void appendValueJson(QByteArray &out, const QVariant &value, FieldType type);
void appendPacketTail(QByteArray &out);

// Decoding checks everything: a missing or unknown part, a field without a name or with an unknown
// type, a duplicated field name, a row of the wrong length or a value of the wrong type. On error
// nothing is returned and `error` names the problem (in the system's language).
std::optional<DataPacket> packetFromJson(const QJsonObject &json, QString *error);
std::optional<Delta> deltaFromJson(const QJsonObject &json, QString *error);

// Converts one value to its field's type: accepted when it is null, already of the type, or text
// that reads as it. Used by decoding and by the server when it builds rows from SQL.
std::optional<QVariant> coerceValue(const QVariant &value, FieldType type);

// Why a database would not keep a text as it is: the NUL character (refused), or half of a
// surrogate pair (PostgreSQL stores "?" in its place).
enum class TextFault { None, Nul, LoneSurrogate };
TextFault textFault(QStringView text);

} // namespace contracts

Q_DECLARE_METATYPE(contracts::DataPacket)
Q_DECLARE_METATYPE(contracts::Delta)
Q_DECLARE_METATYPE(contracts::PacketText)
