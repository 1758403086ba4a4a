#include "DbConnection.h"

#include "Exceptions.h"
#include "Messages.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

bool TDbAddress::Parse(const QString &connectionString, TDbAddress *address, QString *error)
{
    TDbAddress a;
    if (connectionString.startsWith(u"sqlite:"_s)) {
        a.kind = TDbKind::SQLite;
        a.path = connectionString.mid(7);
        if (a.path.startsWith(u"//"_s))
            a.path = a.path.mid(2);
        if (a.path.isEmpty()) {
            *error = FwMsg(u"FW_BD_ENDERECO_INVALIDO"_s).arg(connectionString);
            return false;
        }
    } else if (connectionString.startsWith(u"postgresql://"_s)
               || connectionString.startsWith(u"postgres://"_s)) {
        const QUrl url(connectionString, QUrl::StrictMode);
        a.kind = TDbKind::PostgreSQL;
        a.host = url.host();
        a.port = url.port(5432);
        a.user = url.userName(QUrl::FullyDecoded);
        a.password = url.password(QUrl::FullyDecoded);
        a.database = url.path(QUrl::FullyDecoded).mid(1);
        a.schema = QUrlQuery(url).queryItemValue(u"schema"_s, QUrl::FullyDecoded);
        if (!url.isValid() || a.database.isEmpty()) {
            *error = FwMsg(u"FW_BD_ENDERECO_INVALIDO"_s).arg(connectionString);
            return false;
        }
        for (const QChar c : a.schema) {
            if (!(c.isLetterOrNumber() || c == u'_')) {
                *error = FwMsg(u"FW_BD_ENDERECO_INVALIDO"_s).arg(connectionString);
                return false;
            }
        }
    } else {
        *error = FwMsg(u"FW_BD_ENDERECO_INVALIDO"_s).arg(connectionString);
        return false;
    }
    *address = a;
    return true;
}

QString TDbAddress::Describe() const
{
    if (kind == TDbKind::SQLite)
        return u"sqlite:"_s + path;
    QString text = u"postgresql://%1@%2:%3/%4"_s.arg(user, host).arg(port).arg(database);
    if (!schema.isEmpty())
        text += u"?schema="_s + schema;
    return text;
}

QSqlDatabase OpenConnection(const QString &connectionString, const QString &connectionName)
{
    if (QSqlDatabase::contains(connectionName)) {
        QSqlDatabase existing = QSqlDatabase::database(connectionName, false);
        if (existing.isOpen())
            return existing;
        QSqlDatabase::removeDatabase(connectionName);
    }
    TDbAddress address;
    QString error;
    if (!TDbAddress::Parse(connectionString, &address, &error))
        MensErro(error);

    QSqlDatabase db;
    if (address.kind == TDbKind::SQLite) {
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
        db.setDatabaseName(address.path);
        // Several processes write the same file: wait for a lock instead of failing at once.
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=10000"_s);
    } else {
        db = QSqlDatabase::addDatabase(u"QPSQL"_s, connectionName);
        db.setHostName(address.host);
        db.setPort(address.port);
        db.setUserName(address.user);
        db.setPassword(address.password);
        db.setDatabaseName(address.database);
    }
    if (!db.isValid() || !db.open()) {
        const QString driverError = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        MensErro(FwMsg(u"FW_BD_FALHA_CONEXAO"_s).arg(address.Describe(), driverError));
    }
    QSqlQuery setup(db);
    if (address.kind == TDbKind::SQLite) {
        setup.exec(u"PRAGMA foreign_keys = ON"_s);
        setup.exec(u"PRAGMA journal_mode = WAL"_s);
        // Pages are read from the mapped file rather than copied in by a system call each: a
        // long list reads thousands of them.
        setup.exec(u"PRAGMA mmap_size = 268435456"_s);
    } else {
        // Notices ("already exists, skipping") are the server's chatter, not the program's.
        setup.exec(u"SET client_min_messages TO warning"_s);
        // The schema name was checked to be letters, digits and '_' only.
        if (!address.schema.isEmpty()
            && !setup.exec(u"SET search_path TO %1"_s.arg(address.schema)))
            MensErro(
                FwMsg(u"FW_BD_FALHA_CONEXAO"_s).arg(address.Describe(), setup.lastError().text()));
    }
    return db;
}

TDbKind DbKind(const QSqlDatabase &db)
{
    return db.driverName() == u"QPSQL" ? TDbKind::PostgreSQL : TDbKind::SQLite;
}
