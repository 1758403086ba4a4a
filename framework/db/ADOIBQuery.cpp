#include "ADOIBQuery.h"

#include "DbConnection.h"
#include "Exceptions.h"
#include "Messages.h"
#include "Orvglob.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

using namespace Qt::StringLiterals;

// ---- TQueryParam --------------------------------------------------------------------------

void TQueryParam::SetValue(const QVariant &value)
{
    if (!value.isValid()) {
        Clear();
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        m_kind = Kind::Date;
        m_value = value.isNull() ? QVariant() : QVariant(value.toDate());
        return;
    case QMetaType::QDateTime:
        m_kind = Kind::DateTime;
        m_value = value.isNull() ? QVariant() : QVariant(value.toDateTime());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        m_kind = Kind::Float;
        m_value = value.isNull() ? QVariant() : QVariant(value.toDouble());
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        m_kind = Kind::Integer;
        m_value = value.isNull() ? QVariant() : QVariant(value.toLongLong());
        return;
    default:
        m_kind = Kind::String;
        m_value = value.isNull() ? QVariant() : QVariant(value.toString());
        return;
    }
}

void TQueryParam::SetAsString(const QString &value)
{
    SetValue(QVariant(value.isNull() ? u""_s : value));
}

void TQueryParam::SetAsFloat(double value)
{
    SetValue(QVariant(value));
}

void TQueryParam::SetAsInteger(qint64 value)
{
    SetValue(QVariant(value));
}

void TQueryParam::SetAsDate(const QDate &value)
{
    m_kind = Kind::Date;
    m_value = value.isValid() ? QVariant(value) : QVariant();
}

void TQueryParam::SetAsDateTime(const QDateTime &value)
{
    m_kind = Kind::DateTime;
    m_value = value.isValid() ? QVariant(value) : QVariant();
}

QString TQueryParam::AsString() const
{
    return m_value.toString();
}

QVariant TQueryParam::BoundValue() const
{
    if (m_value.isNull()) {
        switch (m_kind) {
        case Kind::Float:
            return QVariant(QMetaType::fromType<double>());
        case Kind::Integer:
            return QVariant(QMetaType::fromType<qint64>());
        default:
            return QVariant(QMetaType::fromType<QString>());
        }
    }
    switch (m_kind) {
    case Kind::Date:
        return m_value.toDate().toString(u"yyyy-MM-dd"_s);
    case Kind::DateTime: {
        const QDateTime dt = m_value.toDateTime();
        return dt.toString(dt.time().msec() ? u"yyyy-MM-dd HH:mm:ss.zzz"_s
                                            : u"yyyy-MM-dd HH:mm:ss"_s);
    }
    default:
        return m_value;
    }
}

QString TQueryParam::SqlType() const
{
    switch (m_kind) {
    case Kind::Float:
        return u"NUMERIC"_s;
    case Kind::Integer:
        return u"BIGINT"_s;
    case Kind::Date:
        return u"DATE"_s;
    case Kind::DateTime:
        return u"TIMESTAMP"_s;
    case Kind::String:
        break;
    }
    return u"TEXT"_s;
}

// ---- TQueryField --------------------------------------------------------------------------

QVariant TQueryField::Value() const
{
    return m_query ? m_query->valueAt(m_index) : QVariant();
}

QString TQueryField::AsString() const
{
    const QVariant v = Value();
    if (v.isNull())
        return {};
    switch (m_kind) {
    case Kind::DateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.toString(u"dd/MM/yyyy"_s)
                                        : dt.toString(u"dd/MM/yyyy hh:mm:ss"_s);
    }
    case Kind::Float:
        return QString::number(v.toDouble(), 'g', 15);
    default:
        return v.toString();
    }
}

double TQueryField::AsFloat() const
{
    return Value().toDouble();
}

qint64 TQueryField::AsInteger() const
{
    const QVariant v = Value();
    return m_kind == Kind::Float ? qRound64(v.toDouble()) : v.toLongLong();
}

QDateTime TQueryField::AsDateTime() const
{
    const QVariant v = Value();
    if (v.metaType().id() == QMetaType::QString)
        return QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    return v.toDateTime();
}

QString TQueryField::DisplayLabel() const
{
    return m_query->FieldDisplay(m_name).label;
}

int TQueryField::DisplayWidth() const
{
    return m_query->FieldDisplay(m_name).width;
}

bool TQueryField::Visible() const
{
    return m_query->FieldDisplay(m_name).visible;
}

// ---- TADOIBQuery --------------------------------------------------------------------------

namespace {

// ISO dates as SQLite keeps them: "2026-12-07", "2026-12-07 10:15:00", "2026-12-07T10:15:00.000".
const QRegularExpression &isoDatePattern()
{
    static const QRegularExpression re(
        u"^\\d{4}-\\d{2}-\\d{2}([ T]\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,6})?)?)?$"_s);
    return re;
}

QDateTime parseIsoDate(const QString &text)
{
    QString t = text;
    t.replace(u' ', u'T');
    if (t.size() == 10)
        return QDateTime(QDate::fromString(t, Qt::ISODate), QTime(0, 0));
    return QDateTime::fromString(t, Qt::ISODateWithMs);
}

TQueryField::Kind kindOfDriverType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return TQueryField::Kind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return TQueryField::Kind::Float;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return TQueryField::Kind::DateTime;
    default:
        return TQueryField::Kind::String;
    }
}

QVariant normalised(const QVariant &v, TQueryField::Kind kind)
{
    if (v.isNull())
        return {};
    switch (kind) {
    case TQueryField::Kind::Integer:
        return v.toLongLong();
    case TQueryField::Kind::Float:
        return v.toDouble();
    case TQueryField::Kind::DateTime:
        if (v.metaType().id() == QMetaType::QDate)
            return QDateTime(v.toDate(), QTime(0, 0));
        if (v.metaType().id() == QMetaType::QString)
            return parseIsoDate(v.toString());
        return v.toDateTime();
    case TQueryField::Kind::String:
        break;
    }
    return v.toString();
}

// PostgreSQL's "could not determine data type of parameter" and its relatives: the statement
// may run once its parameters carry explicit types.
bool isUntypedParameterError(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == u"42P18"_s || code == u"42725"_s
        || error.databaseText().contains(u"could not determine data type"_s);
}

QString databaseText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

} // namespace

TADOIBQuery::TADOIBQuery(QObject *parent, const QString &name)
    : QObject(parent)
{
    setObjectName(name);
}

TADOIBQuery::~TADOIBQuery() = default;

void TADOIBQuery::SetConnectionName(const QString &connectionName)
{
    Close();
    m_connectionName = connectionName;
}

QString TADOIBQuery::DefaultConnectionName(const QString &connectionString)
{
    // QtSql connections belong to their thread; one per thread and database.
    return u"fwdb|%1|%2"_s.arg(reinterpret_cast<quintptr>(QThread::currentThread()), 0, 16)
        .arg(connectionString);
}

QSqlDatabase TADOIBQuery::Database() const
{
    if (!m_connectionName.isEmpty())
        return QSqlDatabase::database(m_connectionName);
    if (Orvglob::DBConnection.isEmpty())
        MensErro(FwMsg(u"FW_QRY_SEM_CONEXAO"_s));
    return OpenConnection(Orvglob::DBConnection, DefaultConnectionName(Orvglob::DBConnection));
}

void TADOIBQuery::SetSQL(const QString &text)
{
    Close();
    m_sql = text;
    m_text = TSqlText(text);
    m_params.clear();
    for (const QString &name : m_text.ParamNames())
        m_params.push_back(std::make_unique<TQueryParam>(name));
}

TQueryParam *TADOIBQuery::FindParam(const QString &name)
{
    for (const auto &p : m_params) {
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    }
    return nullptr;
}

TQueryParam &TADOIBQuery::ParamByName(const QString &name)
{
    TQueryParam *p = FindParam(name);
    if (!p)
        MensErro(FwMsg(u"FW_QRY_PARAM_N_ENCONTRADO"_s).arg(name, objectName()));
    return *p;
}

void TADOIBQuery::Open()
{
    Close();
    readRows();
    m_active = true;
    m_row = 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    emit afterOpen();
}

void TADOIBQuery::Close()
{
    const bool wasActive = m_active;
    m_active = false;
    m_rows.clear();
    m_fields.clear();
    m_row = 0;
    m_eof = true;
    m_bof = true;
    if (wasActive)
        emit afterClose();
}

int TADOIBQuery::ExecSQL()
{
    Close();
    return runStatement().numRowsAffected();
}

QSqlQuery TADOIBQuery::runStatement()
{
    QSqlDatabase db = Database();
    const bool hasParams = !m_text.Occurrences().isEmpty();
    QSqlQuery q(db);
    auto attempt = [&](bool cast) {
        q = QSqlQuery(db);
        q.setForwardOnly(true);
        // PostgreSQL cannot prepare DDL: a text without parameters runs as it is.
        if (!hasParams)
            return q.exec(m_sql);
        const QString sql = m_text.Positional([&](int i) {
            if (!cast)
                return u"?"_s;
            return u"CAST(? AS %1)"_s.arg(FindParam(m_text.Occurrences().at(i))->SqlType());
        });
        if (!q.prepare(sql))
            return false;
        for (int i = 0; i < m_text.Occurrences().size(); ++i)
            q.bindValue(i, FindParam(m_text.Occurrences().at(i))->BoundValue());
        return q.exec();
    };
    if (!attempt(false)) {
        const QSqlError first = q.lastError();
        if (!(DbKind(db) == TDbKind::PostgreSQL && hasParams && isUntypedParameterError(first)
              && attempt(true))) {
            qWarning("%s: %s\n%s", qPrintable(objectName()), qPrintable(databaseText(first)),
                     qPrintable(m_sql));
            MensErro(FwMsg(u"FW_QRY_ERRO_SQL"_s).arg(databaseText(first)));
        }
    }
    return q;
}

void TADOIBQuery::readRows()
{
    QSqlQuery q = runStatement();
    if (!q.isSelect())
        return;
    const bool sqlite = q.driver() && q.driver()->dbmsType() == QSqlDriver::SQLite;

    const QSqlRecord record = q.record();
    const int columns = record.count();
    QList<TQueryField::Kind> kinds;
    for (int c = 0; c < columns; ++c)
        kinds.append(kindOfDriverType(record.field(c).metaType().id()));
    while (q.next()) {
        QList<QVariant> row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(q.value(c));
        m_rows.append(row);
    }
    if (q.lastError().isValid())
        MensErro(FwMsg(u"FW_QRY_ERRO_SQL"_s).arg(databaseText(q.lastError())));

    for (int c = 0; c < columns; ++c) {
        // SQLite reports the type of expressions from the first row's values and keeps dates as
        // text: look at the values themselves.
        if (sqlite && kinds[c] == TQueryField::Kind::String) {
            bool anyValue = false;
            bool allNumbers = true;
            bool allIntegers = true;
            bool allDates = true;
            for (const auto &row : std::as_const(m_rows)) {
                const QVariant &v = row.at(c);
                if (v.isNull())
                    continue;
                anyValue = true;
                const int id = v.metaType().id();
                if (id != QMetaType::LongLong && id != QMetaType::Int)
                    allIntegers = false;
                if (id != QMetaType::Double && id != QMetaType::LongLong && id != QMetaType::Int)
                    allNumbers = false;
                if (id != QMetaType::QString || !isoDatePattern().match(v.toString()).hasMatch())
                    allDates = false;
            }
            if (anyValue && allIntegers)
                kinds[c] = TQueryField::Kind::Integer;
            else if (anyValue && allNumbers)
                kinds[c] = TQueryField::Kind::Float;
            else if (anyValue && allDates)
                kinds[c] = TQueryField::Kind::DateTime;
        }
        int longest = 0;
        for (auto &row : m_rows) {
            row[c] = normalised(row.at(c), kinds[c]);
            if (kinds[c] == TQueryField::Kind::String)
                longest = qMax(longest, int(row.at(c).toString().size()));
        }
        auto field = std::make_unique<TQueryField>();
        field->m_query = this;
        field->m_index = c;
        field->m_name = record.fieldName(c).toUpper();
        field->m_kind = kinds[c];
        if (kinds[c] == TQueryField::Kind::String) {
            const int declared = record.field(c).length();
            field->m_size = declared > 0 ? declared : qMax(longest, 1);
        }
        m_fields.push_back(std::move(field));
    }
}

void TADOIBQuery::requireActive() const
{
    if (!m_active)
        MensErro(FwMsg(u"FW_QRY_FECHADA"_s).arg(objectName()));
}

void TADOIBQuery::First()
{
    m_row = 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void TADOIBQuery::Next()
{
    if (m_row + 1 < m_rows.size()) {
        ++m_row;
        m_bof = false;
    } else {
        m_eof = true;
    }
}

void TADOIBQuery::Prior()
{
    if (m_row > 0) {
        --m_row;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void TADOIBQuery::Last()
{
    m_row = qMax(0, int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.isEmpty();
}

QStringList TADOIBQuery::FieldNames() const
{
    QStringList names;
    for (const auto &f : m_fields)
        names.append(f->FieldName());
    return names;
}

TQueryField *TADOIBQuery::FindField(const QString &name)
{
    for (const auto &f : m_fields) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

TQueryField &TADOIBQuery::FieldByName(const QString &name)
{
    requireActive();
    TQueryField *f = FindField(name);
    if (!f)
        MensErro(FwMsg(u"FW_QRY_CAMPO_N_ENCONTRADO"_s).arg(name, objectName()));
    return *f;
}

QVariant TADOIBQuery::valueAt(int column) const
{
    if (!m_active || m_rows.isEmpty())
        return {};
    return m_rows.at(m_row).value(column);
}

contracts::DataPacket TADOIBQuery::ToPacket() const
{
    requireActive();
    contracts::DataPacket packet;
    for (const auto &f : m_fields) {
        contracts::FieldDef def;
        def.name = f->FieldName();
        switch (f->DataType()) {
        case TQueryField::Kind::String:
            def.type = contracts::FieldType::String;
            def.size = f->Size();
            break;
        case TQueryField::Kind::Float:
            def.type = contracts::FieldType::Float;
            break;
        case TQueryField::Kind::Integer:
            def.type = contracts::FieldType::Integer;
            break;
        case TQueryField::Kind::DateTime:
            def.type = contracts::FieldType::DateTime;
            break;
        }
        def.hidden = !f->Visible();
        packet.fields.append(def);
    }
    packet.rows = m_rows;
    return packet;
}

void TADOIBQuery::SetFieldDisplay(const QString &fieldName, const QString &label, int width,
                                  bool visible)
{
    m_display.insert(fieldName.toUpper(), {label, width, visible});
}

bool TADOIBQuery::HasFieldDisplay(const QString &fieldName) const
{
    return m_display.contains(fieldName.toUpper());
}

TADOIBQuery::TFieldDisplay TADOIBQuery::FieldDisplay(const QString &fieldName) const
{
    const QString key = fieldName.toUpper();
    if (m_display.contains(key))
        return m_display.value(key);
    TFieldDisplay display;
    display.label = key;
    display.width = 10;
    for (const auto &f : m_fields) {
        if (f->FieldName() == key && f->DataType() == TQueryField::Kind::String)
            display.width = f->Size();
    }
    return display;
}
