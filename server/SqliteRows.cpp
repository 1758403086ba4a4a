#include "SqliteRows.h"

#include "JsonText.h"
#include "PacketSql.h"
#include "ServerError.h"
#include "ServerMessages.h"
#include "SqlSupport.h"

#include <QDateTime>
#include <QSqlDriver>

#include <sqlite3.h>

#include <memory>

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace sqliterows {

namespace {

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

[[noreturn]] void fail(sqlite3 *handle, const QString &sql)
{
    throw DatabaseError(srvMsg("BANCO_FALHA"),
                        u"%1 (statement: %2)"_s.arg(QString::fromUtf8(sqlite3_errmsg(handle)),
                                                    sql.simplified().left(200)));
}

// Binds as the Qt driver does, so a value compares with what it wrote: times as ISO text with
// milliseconds, whole numbers as integers, the rest as text.
int bindOne(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (value.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(stmt, index, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(stmt, index, value.toDouble());
    case QMetaType::QDateTime: {
        const QByteArray text = value.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

// A text value as a JSON string: plain ASCII is copied as it stands, anything else goes through
// QString so that escapes and unusual bytes are written exactly as for any other packet.
void appendText(QByteArray &out, sqlite3_stmt *stmt, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    bool plain = true;
    for (int i = 0; i < size && plain; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        plain = c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
    }
    if (!plain) {
        contracts::jsontext::appendString(out, QString::fromUtf8(text, size));
        return;
    }
    out.append('"');
    out.append(text, size);
    out.append('"');
}

// One value by its field's type; anything not stored in that type is read as the driver's
// value would be.
void appendValue(QByteArray &out, sqlite3_stmt *stmt, int column, const FieldDef &field)
{
    const int type = sqlite3_column_type(stmt, column);
    if (type == SQLITE_NULL) {
        contracts::jsontext::appendNull(out);
        return;
    }
    if (field.type == FieldType::String || field.type == FieldType::FixedString
        || field.type == FieldType::Memo) {
        appendText(out, stmt, column);
        return;
    }
    if (field.type == FieldType::Integer && type == SQLITE_INTEGER) {
        contracts::jsontext::appendInteger(out, sqlite3_column_int64(stmt, column));
        return;
    }
    if (field.type == FieldType::Float && (type == SQLITE_INTEGER || type == SQLITE_FLOAT)) {
        contracts::jsontext::appendDouble(out, sqlite3_column_double(stmt, column));
        return;
    }
    const QVariant stored = type == SQLITE_INTEGER
        ? QVariant(qint64(sqlite3_column_int64(stmt, column)))
        : type == SQLITE_FLOAT
        ? QVariant(sqlite3_column_double(stmt, column))
        : QVariant(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                              sqlite3_column_bytes(stmt, column)));
    contracts::appendValueJson(out, packetsql::readValue(stored, field), field.type);
}

} // namespace

std::optional<contracts::PacketText> readAsText(const QSqlDatabase &db, const QString &sql,
                                                const QList<std::pair<QString, QVariant>> &binds,
                                                const QList<FieldDef> &fields,
                                                const contracts::Row &prefix,
                                                const QList<FieldDef> &prefixFields)
{
    sqlite3 *handle = handleOf(db);
    if (!handle)
        return std::nullopt;
    sqlite3_stmt *raw = nullptr;
    const QByteArray text = sql.toUtf8();
    noteStatementSent();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK)
        fail(handle, sql);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> stmt(raw, sqlite3_finalize);
    for (const auto &[name, value] : binds) {
        const int index = sqlite3_bind_parameter_index(raw, name.toUtf8().constData());
        if (index == 0 || bindOne(raw, index, value) != SQLITE_OK)
            fail(handle, sql);
    }
    if (sqlite3_column_count(raw) != fields.size())
        fail(handle, sql);

    // The prefix is the same for every row: written once.
    QByteArray head;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (i > 0)
            head.append(',');
        contracts::appendValueJson(head, prefix.at(i), prefixFields.at(i).type);
    }
    contracts::PacketText packet;
    QByteArray &out = packet.json;
    contracts::appendPacketHead(out, prefixFields + fields);
    const int n = int(fields.size());
    int step;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        out.append(packet.rows == 0 ? "[" : ",[");
        out.append(head);
        for (int i = 0; i < n; ++i) {
            if (i > 0 || !head.isEmpty())
                out.append(',');
            appendValue(out, raw, i, fields.at(i));
        }
        out.append(']');
        ++packet.rows;
    }
    if (step != SQLITE_DONE)
        fail(handle, sql);
    contracts::appendPacketTail(out);
    return packet;
}

} // namespace sqliterows
