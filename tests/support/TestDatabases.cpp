#include "TestDatabases.h"

#include "ADOIBQuery.h"
#include "DbConnection.h"
#include "Exceptions.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace TestDatabases {

QStringList Backends()
{
    QStringList backends {u"sqlite"_s};
    if (!PgServer().isEmpty())
        backends.append(u"postgresql"_s);
    return backends;
}

QString PgServer()
{
    return qEnvironmentVariable("CTE_TEST_PG");
}

namespace {

// Letters, digits and '_', at most 63 characters (PostgreSQL's identifier limit).
QString schemaName(const QString &name)
{
    QString s = (QCoreApplication::applicationName() + u'_' + name).toLower();
    for (QChar &c : s) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128))
            c = u'_';
    }
    if (s.size() > 63) {
        const QString hash = QString::fromLatin1(
            QCryptographicHash::hash(s.toUtf8(), QCryptographicHash::Md5).toHex().left(8));
        s = s.left(54) + u'_' + hash;
    }
    return s;
}

} // namespace

QString Fresh(const QString &backend, const QString &name, const QString &dir)
{
    if (backend == u"sqlite"_s) {
        const QString path = QDir(dir).filePath(schemaName(name) + u".db"_s);
        QFile::remove(path);
        QFile::remove(path + u"-wal"_s);
        QFile::remove(path + u"-shm"_s);
        return u"sqlite:"_s + path;
    }
    const QString server = PgServer();
    const QString schema = schemaName(name);
    {
        QSqlDatabase admin = OpenConnection(server, u"test-admin"_s);
        QSqlQuery q(admin);
        // The name was reduced to letters, digits and '_'.
        if (!q.exec(u"DROP SCHEMA IF EXISTS %1 CASCADE"_s.arg(schema))
            || !q.exec(u"CREATE SCHEMA %1"_s.arg(schema)))
            MensErro(q.lastError().text());
    }
    return server + (server.contains(u'?') ? u"&schema="_s : u"?schema="_s) + schema;
}

} // namespace TestDatabases

QStringList OpenAndCollect(TADOIBQuery &query, const QStringList &params, const QString &field)
{
    for (const QString &p : params) {
        const qsizetype eq = p.indexOf(u'=');
        if (eq < 0)
            query.ParamByName(p).Clear();
        else
            query.ParamByName(p.left(eq)).SetAsString(p.mid(eq + 1));
    }
    query.Open();
    QStringList got;
    for (query.First(); !query.Eof(); query.Next())
        got.append(query.FieldByName(field).AsString());
    return got;
}
