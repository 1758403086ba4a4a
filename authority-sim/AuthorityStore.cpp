#include "AuthorityStore.h"

#include <QDir>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace store {

namespace {

QString g_path;
QMutex g_mutex;

class StoreError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

QSqlQuery run(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(connection());
    if (!q.prepare(sql))
        throw StoreError(q.lastError().text().toStdString());
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw StoreError(q.lastError().text().toStdString());
    return q;
}

// BEGIN IMMEDIATE takes the write lock at once, so two workers cannot both pass a duplicate
// check before either writes.
class Transaction
{
public:
    Transaction() { run(u"BEGIN IMMEDIATE"_s); }
    ~Transaction()
    {
        if (!m_done)
            QSqlQuery(connection()).exec(u"ROLLBACK"_s);
    }
    void commit()
    {
        run(u"COMMIT"_s);
        m_done = true;
    }

private:
    bool m_done = false;
};

QString utc(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime fromUtc(const QVariant &v)
{
    return QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}

Document readDocument(const QSqlQuery &q)
{
    Document d;
    d.key = q.value(0).toString();
    d.ufCode = q.value(1).toString();
    d.cnpj = q.value(2).toString();
    d.model = q.value(3).toString();
    d.series = q.value(4).toInt();
    d.number = q.value(5).toLongLong();
    d.environment = q.value(6).toInt();
    d.issuedAt = fromUtc(q.value(7));
    d.protocol = q.value(8).toString();
    d.authorizedAt = fromUtc(q.value(9));
    d.digest = q.value(10).toString();
    d.xml = q.value(11).toByteArray();
    d.protocolXml = q.value(12).toByteArray();
    d.status = q.value(13).toInt();
    return d;
}

const QString kDocumentColumns = u"chave, uf, cnpj, modelo, serie, numero, tp_amb, dh_emi, "
                                 "n_prot, dh_aut, dig_val, xml, prot_xml, status"_s;

} // namespace

bool open(const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = u"cannot create the data folder %1"_s.arg(folder);
        return false;
    }
    g_path = QDir(folder).absoluteFilePath(u"authority.db"_s);
    try {
        run(u"PRAGMA journal_mode=WAL"_s);
        run(u"CREATE TABLE IF NOT EXISTS issuers (uf TEXT NOT NULL, ie TEXT NOT NULL, "
            "cnpj TEXT NOT NULL, enabled INTEGER NOT NULL, PRIMARY KEY (uf, ie))"_s);
        run(u"CREATE TABLE IF NOT EXISTS documents (chave TEXT PRIMARY KEY, uf TEXT NOT NULL, "
            "cnpj TEXT NOT NULL, modelo TEXT NOT NULL, serie INTEGER NOT NULL, "
            "numero INTEGER NOT NULL, tp_amb INTEGER NOT NULL, dh_emi TEXT NOT NULL, "
            "n_prot TEXT NOT NULL, dh_aut TEXT NOT NULL, dig_val TEXT NOT NULL, "
            "xml BLOB NOT NULL, prot_xml BLOB NOT NULL, status INTEGER NOT NULL, "
            "UNIQUE (uf, cnpj, modelo, serie, numero, tp_amb))"_s);
        run(u"CREATE TABLE IF NOT EXISTS events (id INTEGER PRIMARY KEY, chave TEXT NOT NULL, "
            "tp_evento TEXT NOT NULL, n_seq INTEGER NOT NULL, c_orgao TEXT NOT NULL, "
            "n_prot TEXT NOT NULL, dh_reg TEXT NOT NULL, proc_xml BLOB NOT NULL, "
            "UNIQUE (c_orgao, tp_evento, chave, n_seq))"_s);
        run(u"CREATE TABLE IF NOT EXISTS voidings (cnpj TEXT NOT NULL, modelo TEXT NOT NULL, "
            "serie INTEGER NOT NULL, inicial INTEGER NOT NULL, final INTEGER NOT NULL, "
            "tp_amb INTEGER NOT NULL, n_prot TEXT NOT NULL, dh_reg TEXT NOT NULL)"_s);
        run(u"CREATE TABLE IF NOT EXISTS protocols (id INTEGER PRIMARY KEY AUTOINCREMENT, "
            "at TEXT NOT NULL)"_s);
        run(u"CREATE TABLE IF NOT EXISTS faults (scope TEXT NOT NULL, kind TEXT NOT NULL, "
            "value TEXT NOT NULL, PRIMARY KEY (scope, kind))"_s);
    } catch (const StoreError &e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

QString databasePath()
{
    return g_path;
}

QSqlDatabase connection()
{
    const QString name = u"authority-%1"_s.arg(quintptr(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    QMutexLocker lock(&g_mutex);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(g_path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=30000"_s);
    if (!db.open())
        throw StoreError(db.lastError().text().toStdString());
    return db;
}

void addIssuer(const Issuer &i)
{
    run(u"INSERT OR REPLACE INTO issuers (uf, ie, cnpj, enabled) VALUES (?, ?, ?, ?)"_s,
        {i.uf, i.ie, i.cnpj, i.enabled ? 1 : 0});
}

std::optional<Issuer> issuerByIe(const QString &uf, const QString &ie)
{
    QSqlQuery q
        = run(u"SELECT uf, ie, cnpj, enabled FROM issuers WHERE uf = ? AND ie = ?"_s, {uf, ie});
    if (!q.next())
        return std::nullopt;
    return Issuer {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                   q.value(3).toInt() != 0};
}

std::optional<Document> documentByKey(const QString &key)
{
    QSqlQuery q = run(u"SELECT %1 FROM documents WHERE chave = ?"_s.arg(kDocumentColumns), {key});
    if (!q.next())
        return std::nullopt;
    return readDocument(q);
}

QString nextProtocol(const QString &ufCode, const QDateTime &at)
{
    QSqlQuery q = run(u"INSERT INTO protocols (at) VALUES (?)"_s, {utc(at)});
    const qint64 seq = q.lastInsertId().toLongLong();
    return u"1"_s + ufCode + at.toUTC().toString(u"yy"_s)
        + u"%1"_s.arg(seq, 10, 10, QLatin1Char('0'));
}

AuthorizeOutcome authorize(Document doc,
                           const std::function<QByteArray(const Document &)> &makeProtocol)
{
    Transaction tx;
    QSqlQuery q = run(u"SELECT %1 FROM documents WHERE uf = ? AND cnpj = ? AND modelo = ? AND "
                      "serie = ? AND numero = ? AND tp_amb = ?"_s.arg(kDocumentColumns),
                      {doc.ufCode, doc.cnpj, doc.model, doc.series, doc.number, doc.environment});
    if (q.next())
        return {false, readDocument(q)};
    doc.protocol = nextProtocol(doc.ufCode, doc.authorizedAt);
    doc.protocolXml = makeProtocol(doc);
    run(u"INSERT INTO documents (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s.arg(
            kDocumentColumns),
        {doc.key, doc.ufCode, doc.cnpj, doc.model, doc.series, doc.number, doc.environment,
         utc(doc.issuedAt), doc.protocol, utc(doc.authorizedAt), doc.digest, doc.xml,
         doc.protocolXml, doc.status});
    tx.commit();
    return {true, doc};
}

QList<Event> eventsOf(const QString &key)
{
    QSqlQuery q = run(u"SELECT chave, tp_evento, n_seq, c_orgao, n_prot, dh_reg, proc_xml "
                      "FROM events WHERE chave = ? ORDER BY id"_s,
                      {key});
    QList<Event> list;
    while (q.next())
        list.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt(),
                     q.value(3).toString(), q.value(4).toString(), fromUtc(q.value(5)),
                     q.value(6).toByteArray()});
    return list;
}

RegisterOutcome registerEvent(Event e, bool cancels,
                              const std::function<QByteArray(const Event &)> &makeProc)
{
    Transaction tx;
    QSqlQuery q = run(u"SELECT chave, tp_evento, n_seq, c_orgao, n_prot, dh_reg, proc_xml "
                      "FROM events WHERE c_orgao = ? AND tp_evento = ? AND chave = ? AND "
                      "n_seq = ?"_s,
                      {e.organ, e.type, e.key, e.sequence});
    if (q.next())
        return {false,
                Event {q.value(0).toString(), q.value(1).toString(), q.value(2).toInt(),
                       q.value(3).toString(), q.value(4).toString(), fromUtc(q.value(5)),
                       q.value(6).toByteArray()},
                e};
    e.protocol = nextProtocol(e.key.left(2), e.registeredAt);
    e.procXml = makeProc(e);
    run(u"INSERT INTO events (chave, tp_evento, n_seq, c_orgao, n_prot, dh_reg, proc_xml) "
        "VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
        {e.key, e.type, e.sequence, e.organ, e.protocol, utc(e.registeredAt), e.procXml});
    if (cancels)
        run(u"UPDATE documents SET status = 101 WHERE chave = ?"_s, {e.key});
    tx.commit();
    return {true, std::nullopt, e};
}

namespace {

const QString kVoidingColumns = u"cnpj, modelo, serie, inicial, final, tp_amb, n_prot, dh_reg"_s;

Voiding readVoiding(const QSqlQuery &q)
{
    return {q.value(0).toString(),   q.value(1).toString(),   q.value(2).toInt(),
            q.value(3).toLongLong(), q.value(4).toLongLong(), q.value(5).toInt(),
            q.value(6).toString(),   fromUtc(q.value(7))};
}

} // namespace

VoidingOutcome registerVoiding(Voiding v, const QString &ufCode)
{
    Transaction tx;
    const QVariantList range {v.cnpj, v.model, v.series, v.environment};
    QSqlQuery q
        = run(u"SELECT %1 FROM voidings WHERE cnpj = ? AND modelo = ? AND serie = ? AND "
              "tp_amb = ? AND final >= ? AND inicial <= ? ORDER BY inicial"_s.arg(kVoidingColumns),
              range + QVariantList {v.first, v.last});
    if (q.next()) {
        const Voiding before = readVoiding(q);
        const bool same = before.first == v.first && before.last == v.last;
        return {same ? 682 : 256, before};
    }
    q = run(u"SELECT COUNT(*) FROM documents WHERE cnpj = ? AND modelo = ? AND serie = ? AND "
            "tp_amb = ? AND numero BETWEEN ? AND ?"_s,
            range + QVariantList {v.first, v.last});
    if (q.next() && q.value(0).toInt() > 0)
        return {241, v};
    v.protocol = nextProtocol(ufCode, v.registeredAt);
    run(u"INSERT INTO voidings (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s.arg(kVoidingColumns),
        {v.cnpj, v.model, v.series, v.first, v.last, v.environment, v.protocol,
         utc(v.registeredAt)});
    tx.commit();
    return {0, v};
}

std::optional<Voiding> voidingOf(const QString &cnpj, const QString &model, int series,
                                 qint64 number, int environment)
{
    QSqlQuery q = run(u"SELECT %1 FROM voidings WHERE cnpj = ? AND modelo = ? AND serie = ? AND "
                      "tp_amb = ? AND ? BETWEEN inicial AND final"_s.arg(kVoidingColumns),
                      {cnpj, model, series, environment, number});
    if (!q.next())
        return std::nullopt;
    return readVoiding(q);
}

QList<Fault> faults()
{
    QSqlQuery q = run(u"SELECT scope, kind, value FROM faults"_s);
    QList<Fault> list;
    while (q.next())
        list.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return list;
}

void setFault(const Fault &f)
{
    run(u"INSERT OR REPLACE INTO faults (scope, kind, value) VALUES (?, ?, ?)"_s,
        {f.scope, f.kind, f.value.isNull() ? u""_s : f.value});
}

void clearFaults(const QString &scope)
{
    if (scope.isEmpty())
        run(u"DELETE FROM faults"_s);
    else
        run(u"DELETE FROM faults WHERE scope = ?"_s, {scope});
}

} // namespace store
