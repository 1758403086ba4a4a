#pragma once

#include "DataPacket.h"
#include "SqlText.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class TADOIBQuery;

// A ":NAME" parameter of a query. Its data type is the type of the last value given (string by
// default); Clear() makes it null but keeps that type, so a null binds as a typed null.
class TQueryParam
{
public:
    enum class Kind { String, Float, Integer, Date, DateTime };

    explicit TQueryParam(QString name)
        : m_name(std::move(name))
    { }

    QString Name() const { return m_name; }
    Kind DataType() const { return m_kind; }

    // A null QVariant clears the value; a QDate, QDateTime, number or text sets value and type.
    void SetValue(const QVariant &value);
    void SetAsString(const QString &value);
    void SetAsFloat(double value);
    void SetAsInteger(qint64 value);
    void SetAsDate(const QDate &value);
    void SetAsDateTime(const QDateTime &value);
    void Clear() { m_value = QVariant(); }

    bool IsNull() const { return m_value.isNull(); }
    QVariant Value() const { return m_value; }
    QString AsString() const;
    double AsFloat() const { return m_value.toDouble(); }
    QDateTime AsDateTime() const { return m_value.toDateTime(); }

    // What the database receives. Dates travel as ISO text ("2026-12-07", "2026-12-07
    // 10:15:00"): SQLite stores and compares them as such, PostgreSQL reads the text as the
    // type of the column it meets.
    QVariant BoundValue() const;
    // The SQL type named in a CAST when PostgreSQL cannot infer the parameter's type.
    QString SqlType() const;

private:
    QString m_name;
    Kind m_kind = Kind::String;
    QVariant m_value;
};

// A column of an open query; its value follows the query's current row.
class TQueryField
{
public:
    enum class Kind { String, Float, Integer, DateTime };

    QString FieldName() const { return m_name; }
    Kind DataType() const { return m_kind; }
    // Characters of a string column: the declared width when the driver reports it, otherwise
    // the longest value of the result (at least 1).
    int Size() const { return m_size; }

    QVariant Value() const;
    bool IsNull() const { return Value().isNull(); }
    // Null reads as "" and 0. Dates as text: "dd/MM/yyyy", with " hh:mm:ss" when there is a time.
    QString AsString() const;
    double AsFloat() const;
    qint64 AsInteger() const;
    QDateTime AsDateTime() const;

    // Look-up list settings, kept by the query (see TADOIBQuery::SetFieldDisplay).
    QString DisplayLabel() const;
    int DisplayWidth() const;
    bool Visible() const;

private:
    friend class TADOIBQuery;
    const TADOIBQuery *m_query = nullptr;
    int m_index = 0;
    QString m_name;
    Kind m_kind = Kind::String;
    int m_size = 0;
};

// The framework's SQL query over QtSql, for SQLite and PostgreSQL.
//
// - SQL(): the text as written, with ":NAME" parameters (names are case-insensitive, a name may
//   appear several times). Setting the text closes the query and recreates its parameters.
// - Connection: SetConnectionName() names a QSqlDatabase connection of this thread; without one
//   the query opens the host database of Orvglob::DBConnection on a connection of its own per
//   thread and connection string.
// - Open() runs the text and reads the whole result into memory (host reference tables are
//   small); the cursor starts on the first row. ExecSQL() runs a statement without rows.
// - Failures raise MensErro (FW_QRY_ERRO_SQL) carrying the database's own error text.
// - Field names are upper case and looked up case-insensitively, so "cdempresa" from PostgreSQL
//   and "CDEMPRESA" from SQLite read alike. Column types are normalised across drivers: integer
//   columns qint64, numeric/real columns double, DATE/TIMESTAMP columns QDateTime (SQLite keeps
//   them as ISO text: a text column whose values are all ISO dates is read as dates), the rest
//   text.
// - PostgreSQL cannot infer the type of a parameter in some places (":P IS NULL", a bare
//   parameter in the select list). When the server refuses a text for that reason, the query
//   runs it once more with every parameter written as CAST(? AS type), the type taken from the
//   parameter's value (TEXT, NUMERIC, BIGINT, DATE, TIMESTAMP). A failed statement aborts an
//   open PostgreSQL transaction, so inside a transaction write the CAST in the text yourself.
//   "COALESCE(:P, COL)" needs nothing: the column gives the type.
// - ToPacket() hands the open result over as a data packet (for client datasets, look-up lists
//   and the server's replies): strings sized as Size(), numbers float (integer columns integer),
//   dates datetime.
class TADOIBQuery : public QObject
{
    Q_OBJECT
public:
    explicit TADOIBQuery(QObject *parent = nullptr, const QString &name = {});
    ~TADOIBQuery() override;

    // Connection
    void SetConnectionName(const QString &connectionName);
    QString ConnectionName() const { return m_connectionName; }
    void SetDatabase(const QSqlDatabase &db) { SetConnectionName(db.connectionName()); }
    // The connection the query runs on (opening the default one when no name was set).
    QSqlDatabase Database() const;
    // The per-thread connection name used for Orvglob::DBConnection.
    static QString DefaultConnectionName(const QString &connectionString);

    // Text and parameters
    void SetSQL(const QString &text);
    void SetSQL(const QStringList &lines) { SetSQL(lines.join(u'\n')); }
    QString SQL() const { return m_sql; }
    int ParamCount() const { return int(m_params.size()); }
    TQueryParam &Params(int index) { return *m_params.at(index); }
    // Raises MensErro (FW_QRY_PARAM_N_ENCONTRADO) for a name the text does not use.
    TQueryParam &ParamByName(const QString &name);
    TQueryParam *FindParam(const QString &name);

    // Running
    void Open();
    void Close();
    // Runs a statement that returns no rows; returns the number of rows it changed.
    int ExecSQL();
    bool Active() const { return m_active; }

    // Cursor over the rows read by Open()
    bool IsEmpty() const { return m_rows.isEmpty(); }
    int RecordCount() const { return int(m_rows.size()); }
    int RecNo() const { return m_rows.isEmpty() ? 0 : m_row + 1; }
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }

    // Fields of the open result. FieldByName raises MensErro (FW_QRY_CAMPO_N_ENCONTRADO) for an
    // unknown name and (FW_QRY_FECHADA) on a closed query.
    int FieldCount() const { return int(m_fields.size()); }
    TQueryField &Fields(int index) { return *m_fields.at(index); }
    QStringList FieldNames() const;
    TQueryField &FieldByName(const QString &name);
    TQueryField *FindField(const QString &name);

    // Every row of the open result as a data packet (raises FW_QRY_FECHADA when closed).
    // Columns made invisible with SetFieldDisplay are marked hidden.
    contracts::DataPacket ToPacket() const;

    // How a look-up list shows a column: caption, width in characters, visibility. Kept by field
    // name across Close and Open, like fields declared in advance; by default the caption is the
    // field name, the width the field's Size() (10 for other types) and the column visible.
    struct TFieldDisplay
    {
        QString label;
        int width = 0;
        bool visible = true;
    };
    void SetFieldDisplay(const QString &fieldName, const QString &label, int width,
                         bool visible = true);
    bool HasFieldDisplay(const QString &fieldName) const;
    TFieldDisplay FieldDisplay(const QString &fieldName) const;

signals:
    // Emitted by Open() once the rows are read, and by Close() when the query was open.
    // Connected handlers run inside Open/Close: they must not throw.
    void afterOpen();
    void afterClose();

private:
    friend class TQueryField;
    QVariant valueAt(int column) const;
    QSqlQuery runStatement();
    void readRows();
    void requireActive() const;

    QString m_connectionName;
    QString m_sql;
    TSqlText m_text;
    std::vector<std::unique_ptr<TQueryParam>> m_params;
    std::vector<std::unique_ptr<TQueryField>> m_fields;
    QHash<QString, TFieldDisplay> m_display; // by upper-case field name
    QList<QList<QVariant>> m_rows;
    int m_row = 0;
    bool m_active = false;
    bool m_eof = true;
    bool m_bof = true;
};
