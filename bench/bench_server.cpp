// Application-server figures: the list load end to end against plain SQL, saves per second on
// PostgreSQL with one and with four sessions, and how many users calling once a second one
// server holds.
//   list_load_vs_raw_sql   (server query, packets, HTTP, six datasets loaded) / (same rows by SQL)
//   list_load_vs_sqlite    the same end to end / (same rows through SQLite's C interface), and
//                          the share of each step: server query, JSON writing, HTTP, client
//                          parse, dataset load
//   saves_per_s_1, saves_per_s_4
//   concurrent_clients_served  the most keep-alive clients, each listing a small selection once
//                              a second for 10 s, with the 99th-percentile answer under 1 s and
//                              no error
//   p99_ms_at_200              that percentile with 200 clients
//   statements_per_list_call   statements the server sent to the database for one such list
//                              call, its session check and transaction included (its log's sql=)
//   cluster_vs_direct_saves   saves per second of four clients through HAProxy to three servers
//                             over (the same clients straight to one server)
#include "CTeRecord.h"
#include "ClientDataSet.h"
#include "DbConnection.h"
#include "DemoData.h"
#include "HostDb.h"
#include "NetConnection.h"
#include "Operations.h"
#include "RpcProtocol.h"
#include "Schema.h"
#include "Sessions.h"
#include "SqlSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUuid>

#include <httplib.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;
using contracts::FieldDef;
using contracts::FieldType;

namespace {

QTextStream out(stdout);
const QString kPassword = u"senha-do-benchmark"_s;

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

double bestOf(int runs, const std::function<void()> &body)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        best = std::min(best, double(t.nsecsElapsed()) / 1e9);
    }
    return best;
}

QVariant sampleValue(const FieldDef &f, int doc, int row)
{
    switch (f.type) {
    case FieldType::Float:
        return double((doc * 7 + row * 3) % 5000) + 0.25;
    case FieldType::DateTime:
        return QDateTime(QDate(2026, 11, 1).addDays(doc % 30), QTime(9, doc % 60));
    default:
        return QString(u"%1%2"_s.arg(f.name.left(4)).arg(doc * 31 + row)).left(std::max(1, f.size));
    }
}

// Fills the store with `documents` documents of company 01, each with one tax, two components,
// two fiscal documents, five cargo rows and one observation, every field filled.
void fillStore(const QSqlDatabase &db, int documents)
{
    const QList<schema::StoredList> &lists = schema::documentLists();
    const int perDocument[] = {1, 1, 2, 2, 5, 1};
    SqlTransaction tx(db);
    qint64 childKey = 1000000;
    for (qsizetype l = 0; l < lists.size(); ++l) {
        const schema::StoredList &list = lists.at(l);
        QStringList cols, params;
        for (const FieldDef &f : list.fields) {
            cols << f.name;
            params << u"?"_s;
        }
        QSqlQuery q(db);
        q.prepare(u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(list.table, cols.join(u','),
                                                           params.join(u',')));
        for (int d = 1; d <= documents; ++d) {
            for (int r = 0; r < perDocument[l]; ++r) {
                for (qsizetype i = 0; i < list.fields.size(); ++i) {
                    const FieldDef &f = list.fields.at(i);
                    QVariant v = sampleValue(f, d, r);
                    if (f.name == u"CDCTE")
                        v = qint64(100000 + d);
                    else if (f.name == list.key)
                        v = ++childKey;
                    else if (f.name == u"CDEMPRESA")
                        v = u"01"_s;
                    else if (f.name == u"NRINSESTEMIT")
                        v = u"244187365112"_s;
                    else if (f.name == u"IDSTATUSCTE")
                        v = u"P"_s;
                    else if (f.name == u"CDSERIECTE")
                        v = u"9"_s;
                    else if (f.name == u"NRCTE")
                        v = u"%1"_s.arg(d, 9, 10, QLatin1Char('0'));
                    else if (f.name == u"CDMODDOCFISC")
                        v = u"57"_s;
                    q.bindValue(int(i), v);
                }
                if (!q.exec())
                    qFatal("fill: %s", qPrintable(q.lastError().text()));
            }
        }
    }
    tx.commit();
}

QVariantList selection()
{
    QVariantList a {u"01"_s,
                    u"244187365112"_s,
                    u"X"_s,
                    QString(),
                    QString(),
                    QDate(2026, 10, 1),
                    QDate(2026, 12, 31),
                    u"_A_C_D_P_R_T_"_s,
                    u"T"_s};
    for (int i = 0; i < 4; ++i)
        a << u"X"_s << QString() << QString();
    return a;
}

struct Server
{
    QProcess process;
    QTemporaryDir logDir;
    int port = -1;

    // The per-request log goes to a file: a pipe nobody drains would stall the server. The
    // office's users all come from this machine's address here, not from one address each.
    Server(const QString &connection, int threads)
    {
        const QString logFile = logDir.filePath(u"server.log"_s);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(logFile);
        process.start(QCoreApplication::applicationDirPath() + u"/../server/cte-server"_s,
                      {u"--db"_s, connection, u"--port"_s, u"0"_s, u"--threads"_s,
                       QString::number(threads), u"--max-connections-per-address"_s, u"4000"_s});
        static const QRegularExpression re(u"listening on 127\\.0\\.0\\.1:(\\d+)"_s);
        while (port < 0 && process.state() != QProcess::NotRunning) {
            process.waitForFinished(50);
            QFile f(logFile);
            if (f.open(QIODevice::ReadOnly)) {
                const auto m = re.match(QString::fromUtf8(f.readAll()));
                if (m.hasMatch())
                    port = m.captured(1).toInt();
            }
        }
    }
    // The least the server logged for `operation` in `field` (ms=, sql=).
    double leastLogged(const QString &operation, const QString &field)
    {
        QFile f(logDir.filePath(u"server.log"_s));
        f.open(QIODevice::ReadOnly);
        const QRegularExpression re(u"op=%1 .* %2=([0-9.]+)"_s.arg(operation, field));
        double best = -1;
        for (auto it = re.globalMatch(QString::fromUtf8(f.readAll())); it.hasNext();) {
            const double ms = it.next().captured(1).toDouble();
            best = best < 0 ? ms : std::min(best, ms);
        }
        return best;
    }
    ~Server()
    {
        process.terminate();
        process.waitForFinished();
    }
};

// HAProxy on a free port in front of `ports`, set up as docs/deploy.md describes.
struct Proxy
{
    QProcess process;
    QTemporaryDir dir;
    int port = -1;

    explicit Proxy(const QList<int> &ports)
    {
        const int listen = freePort();
        QString config = u"global\n    maxconn 4000\n    tune.bufsize 131072\n"
                         "defaults\n    mode http\n    timeout connect 2s\n"
                         "    timeout http-request 10s\n    timeout http-keep-alive 60s\n"
                         "    timeout client 30s\n    timeout server 300s\n"
                         "    timeout check 2s\n    retries 2\n    option redispatch 1\n"
                         "    retry-on conn-failure empty-response\n"
                         "frontend cte\n    bind 127.0.0.1:%1\n    option forwardfor\n"
                         "    stick-table type ip size 100k expire 10m store conn_cur\n"
                         "    tcp-request connection track-sc0 src\n"
                         "    tcp-request connection reject if { sc0_conn_cur gt 100 }\n"
                         "    default_backend cte_servers\n"
                         "backend cte_servers\n    balance leastconn\n"
                         "    option httpchk\n"
                         "    http-check send meth GET uri /health ver HTTP/1.1 hdr Host cte\n"
                         "    http-check expect status 200\n"
                         "    default-server inter 1s fall 2 rise 2\n"_s.arg(listen);
        for (qsizetype i = 0; i < ports.size(); ++i)
            config += u"    server cte%1 127.0.0.1:%2 check\n"_s.arg(i).arg(ports.at(i));
        QFile file(dir.filePath(u"haproxy.cfg"_s));
        if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
            return;
        file.close();
        process.setStandardOutputFile(dir.filePath(u"haproxy.log"_s));
        process.setStandardErrorFile(dir.filePath(u"haproxy.log"_s));
        process.start(u"haproxy"_s, {u"-db"_s, u"-f"_s, file.fileName()});
        if (!process.waitForStarted())
            return;
        while (process.state() == QProcess::Running) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(listen));
            if (probe.waitForConnected(200)) {
                port = listen;
                return;
            }
            process.waitForFinished(100);
        }
    }
    ~Proxy()
    {
        process.terminate();
        process.waitForFinished();
    }
};

void prepare(const QSqlDatabase &db)
{
    HostDb::CreateHostSchema(db);
    HostDb::LoadHostDemoData(db);
    schema::createOrUpgrade(db);
    demodata::load(db);
    sessions::createOrUpdateUser(db, u"bench"_s, kPassword);
}

// The SQL that reads each document list of company 01's documents, as the server's query does.
QStringList listQueries()
{
    QStringList queries;
    for (const schema::StoredList &list : schema::documentLists()) {
        QStringList cols;
        for (const FieldDef &f : list.fields)
            cols << u"X."_s + f.name;
        const QString where = u"D.CDEMPRESA = '01' AND D.NRINSESTEMIT = '244187365112'"_s;
        queries << (list.table == u"CTE" ? u"SELECT %1 FROM CTE X JOIN CTE D ON D.CDCTE = X.CDCTE "
                                           "WHERE %2 ORDER BY X.CDCTE"_s.arg(cols.join(u','), where)
                                         : u"SELECT %1 FROM %2 X WHERE X.CDCTE IN (SELECT D.CDCTE "
                                           "FROM CTE D WHERE %3) ORDER BY X.%4"_s.arg(
                                               cols.join(u','), list.table, where, list.key));
    }
    return queries;
}

// The rows read through SQLite's own interface, each value fetched in its stored type: the
// least any server on this store could spend. Returns the number of non-null values; `sum`
// takes in what was read.
qint64 readWithSqlite(sqlite3 *db, const QStringList &queries, double &sum)
{
    qint64 values = 0;
    for (const QString &sql : queries) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            qFatal("sqlite: %s", sqlite3_errmsg(db));
        const int n = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < n; ++i) {
                switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_INTEGER:
                    sum += double(sqlite3_column_int64(stmt, i));
                    break;
                case SQLITE_FLOAT:
                    sum += sqlite3_column_double(stmt, i);
                    break;
                case SQLITE_NULL:
                    continue;
                default:
                    sum += sqlite3_column_text(stmt, i)[0] + sqlite3_column_bytes(stmt, i);
                    break;
                }
                ++values;
            }
        }
        sqlite3_finalize(stmt);
    }
    return values;
}

QString share(double part, double whole)
{
    return QString::number(part / whole, 'f', 2);
}

void listLoad()
{
    QTemporaryDir dir;
    const QString connection = u"sqlite:"_s + dir.filePath(u"bench.db"_s);
    setServerConnectionString(connection);
    QSqlDatabase db = OpenConnection(connection, u"bench-list"_s);
    prepare(db);
    fillStore(db, 10000);

    Server server(connection, 4);
    TNetConnection net;
    net.SetPort(server.port);
    net.Connect(u"bench"_s, kPassword);
    int documents = 0;
    const double endToEnd = bestOf(3, [&] {
        const QVariantList reply = net.AppServer(u"GetDadosGerais"_s, selection()).toList();
        TClientDataSet sets[6];
        const int elements[] = {1, 4, 5, 7, 9, 10};
        for (int i = 0; i < 6; ++i)
            sets[i].SetData(reply.at(elements[i]));
        documents = sets[0].RecordCount();
    });

    // The same rows and columns read by plain SQL in this process.
    const QStringList queries = listQueries();
    qint64 values = 0;
    const double raw = bestOf(3, [&] {
        for (const QString &sql : queries) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(sql);
            const int n = q.record().count();
            while (q.next()) {
                for (int i = 0; i < n; ++i)
                    values += q.value(i).isValid() ? 1 : 0;
            }
        }
    });
    sqlite3 *lite = nullptr;
    if (sqlite3_open_v2(dir.filePath(u"bench.db"_s).toUtf8().constData(), &lite,
                        SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK)
        qFatal("sqlite: cannot open the store");
    qint64 liteValues = 0;
    double liteSum = 0;
    const double rawSqlite
        = bestOf(3, [&] { liteValues = readWithSqlite(lite, queries, liteSum); });
    sqlite3_close(lite);
    if (liteValues == 0 || liteSum == 0)
        qFatal("sqlite: no rows read");

    // The steps of the end-to-end load, each timed alone in this process: the operation the
    // server runs, its reply written as JSON, the reply read back as the client does, and the
    // six datasets loaded. What remains of the end-to-end time is HTTP (and the server's own
    // dispatch).
    QString error;
    const auto signature = contracts::findOperation(u"GetDadosGerais"_s);
    const auto call = contracts::decodeCall(contracts::encodeCall(selection()), &error);
    const auto args
        = call && signature ? contracts::checkArguments(*signature, *call, &error) : std::nullopt;
    if (!args)
        qFatal("list load: %s", qPrintable(error));
    CallContext ctx {db, u"bench"_s};
    QVariant reply;
    const double query = bestOf(3, [&] { reply = GetDadosGerais(ctx, *args); });
    QByteArray body;
    const double writing = bestOf(3, [&] { body = contracts::encodeReply(reply); });
    QVariant decoded;
    const double parse = bestOf(3, [&] {
        const auto r = contracts::decodeReply(body, &error);
        if (!r)
            qFatal("list load: %s", qPrintable(error));
        decoded = *r;
    });
    const double load = bestOf(3, [&] {
        const QVariantList list = decoded.toList();
        TClientDataSet sets[6];
        const int elements[] = {1, 4, 5, 7, 9, 10};
        for (int i = 0; i < 6; ++i)
            sets[i].SetData(list.at(elements[i]));
        if (sets[0].RecordCount() != documents)
            qFatal("list load: the datasets differ from the end-to-end load");
    });
    const double http = std::max(0.0, endToEnd - query - writing - parse - load);

    out << "list_load_documents " << documents << "\n";
    out << "list_load_reply_mb " << QString::number(double(body.size()) / 1e6, 'f', 1) << "\n";
    out << "list_load_ms " << QString::number(endToEnd * 1000, 'f', 1) << "\n";
    out << "list_load_server_ms "
        << QString::number(server.leastLogged(u"GetDadosGerais"_s, u"ms"_s), 'f', 1) << "\n";
    out << "list_load_raw_sql_ms " << QString::number(raw * 1000, 'f', 1) << "\n";
    out << "list_load_vs_raw_sql " << QString::number(endToEnd / raw, 'f', 2) << "\n";
    out << "list_load_raw_sqlite_ms " << QString::number(rawSqlite * 1000, 'f', 1) << "\n";
    out << "list_load_vs_sqlite " << QString::number(endToEnd / rawSqlite, 'f', 2) << "\n";
    out << "list_load_share_server_query " << share(query, endToEnd) << "\n";
    out << "list_load_share_json_writing " << share(writing, endToEnd) << "\n";
    out << "list_load_share_http " << share(http, endToEnd) << "\n";
    out << "list_load_share_client_parse " << share(parse, endToEnd) << "\n";
    out << "list_load_share_dataset_load " << share(load, endToEnd) << "\n";
    out.flush();
    net.Disconnect();
}

// Saves of new documents for `seconds` from `sessions` clients at once; saves per second.
double savesPerSecond(int port, int sessions, double seconds)
{
    QList<QVariant> args;
    {
        QHash<QString, QVariant> v;
        for (const FieldDef &f : contracts::cte::documentFields())
            v.insert(f.name, sampleValue(f, 7, 0));
        v.insert(u"CDCTE"_s, 0.0);
        v.insert(u"CDEMPRESA"_s, u"01"_s);
        v.insert(u"CDSERIECTE"_s, u"1"_s);
        v.insert(u"CDMODDOCFISC"_s, u"57"_s);
        // A service the demo parametrization knows, with its CFOP and ICMS situation: the save
        // checks them.
        const QHash<QString, QVariant> service {
            {u"NRINSESTEMIT"_s, u"244187365112"_s}, {u"CDTIPOOPER"_s, u"01"_s},
            {u"CDARVPROD"_s, u"010010001"_s},       {u"CDPAISINISERV"_s, u"1058"_s},
            {u"SGESTADOINISERV"_s, u"SP"_s},        {u"CDPAISFIMSERV"_s, u"1058"_s},
            {u"SGESTADOFIMSERV"_s, u"SP"_s},        {u"IDCADTOMADOR"_s, u"C"_s},
            {u"CDTOMADORCLI"_s, u"102"_s},          {u"CDCFOP"_s, u"5353"_s}};
        v.insert(service);
        auto delta = [](const QList<FieldDef> &fields, int rows,
                        const std::function<QVariant(const FieldDef &, int)> &value) {
            contracts::Delta d;
            d.fields = fields;
            for (int r = 0; r < rows; ++r) {
                contracts::Row row;
                for (const FieldDef &f : fields)
                    row.append(value(f, r));
                d.changes.append({contracts::Change::Kind::Insert, {}, row});
            }
            return QVariant::fromValue(d);
        };
        auto child = [](const FieldDef &f, int r) {
            if (f.name == u"CDIMPOSTO")
                return QVariant(u"01"_s);
            if (f.name == u"CDSITUTRIBIT")
                return QVariant(u"00"_s);
            return f.name.startsWith(u"CDCTE"_s) ? QVariant(0.0) : sampleValue(f, 3, r);
        };
        args << delta(contracts::cte::documentFields(), 1,
                      [&](const FieldDef &f, int) { return v.value(f.name); })
             << delta(contracts::cte::taxFields(), 1, child)
             << delta(contracts::cte::valueComponentFields(), 2, child)
             << delta(contracts::cte::fiscalDocumentFields(), 2, child)
             << delta(contracts::cte::cargoQuantityFields(), 5, child)
             << delta(contracts::cte::additionalDataFields(), 1, child);
    }
    // Every save is a new one: the request identifier (the last argument) differs per call.
    std::string head = contracts::encodeCall(args).toStdString();
    head.pop_back();
    std::atomic<bool> stop {false};
    std::atomic<int> saves {0};
    std::atomic<int> failures {0};
    std::vector<std::thread> threads;
    for (int s = 0; s < sessions; ++s) {
        threads.emplace_back([&] {
            httplib::Client client("127.0.0.1", port);
            client.set_tcp_nodelay(true);
            client.set_keep_alive(true);
            const std::string login = contracts::encodeCall({u"bench"_s, kPassword}).toStdString();
            auto r = client.Post("/rdmCTe/Login", login, "application/json");
            QString error;
            const QString token = r
                ? contracts::decodeReply(QByteArray::fromStdString(r->body), &error)
                      ->toList()
                      .value(1)
                      .toString()
                : QString();
            const httplib::Headers headers {{contracts::kSessionHeader, token.toStdString()}};
            while (!stop) {
                const std::string body = head + ",\""
                    + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString() + "\"]";
                auto res
                    = client.Post("/rdmCTe/AplicaAlteracoes", headers, body, "application/json");
                if (res && res->body.rfind("[\"S\"", 0) == 0)
                    ++saves;
                else if (++failures == 1)
                    qWarning("bench_server: a save failed: %s",
                             res ? res->body.c_str() : httplib::to_string(res.error()).c_str());
            }
        });
    }
    QElapsedTimer t;
    t.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(qint64(seconds * 1000)));
    stop = true;
    for (std::thread &th : threads)
        th.join();
    const double elapsed = double(t.nsecsElapsed()) / 1e9;
    if (failures > 0)
        qWarning("bench_server: %d saves failed", int(failures));
    return saves / elapsed;
}

struct LoadResult
{
    double p99Ms = 0;
    int calls = 0;
    int errors = 0;
};

// `clients` keep-alive connections, each calling GetDadosGerais with a small selection once a
// second (their starts spread over the first second) for `seconds`.
LoadResult officeLoad(int port, const QString &token, int clients, double seconds)
{
    const std::string body = contracts::encodeCall(selection()).toStdString();
    const httplib::Headers headers {{contracts::kSessionHeader, token.toStdString()}};
    std::mutex mutex;
    std::vector<double> latencies;
    std::atomic<int> errors {0};
    std::atomic<bool> reported {false};
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::milliseconds(qint64(seconds * 1000));
    std::vector<std::thread> threads;
    threads.reserve(size_t(clients));
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_tcp_nodelay(true);
            client.set_keep_alive(true);
            client.set_read_timeout(60, 0);
            std::vector<double> mine;
            auto next = start + std::chrono::microseconds(qint64(1e6 * c / clients));
            while (next < end) {
                std::this_thread::sleep_until(next);
                const auto t0 = std::chrono::steady_clock::now();
                auto res = client.Post("/rdmCTe/GetDadosGerais", headers, body, "application/json");
                const auto t1 = std::chrono::steady_clock::now();
                if (res && res->status == 200 && res->body.rfind("[\"S\"", 0) == 0) {
                    mine.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
                } else {
                    ++errors;
                    if (!reported.exchange(true))
                        qWarning("bench_server: a call failed: %s",
                                 res ? res->body.substr(0, 200).c_str()
                                     : httplib::to_string(res.error()).c_str());
                }
                next += std::chrono::seconds(1);
            }
            std::lock_guard lock(mutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread &t : threads)
        t.join();
    LoadResult r;
    r.calls = int(latencies.size()) + errors;
    r.errors = errors;
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        r.p99Ms = latencies.at(std::min(latencies.size() - 1, size_t(latencies.size() * 0.99)));
    }
    return r;
}

// Raises the number of clients step by step until the 99th percentile passes 1 s or a call
// fails; prints the largest count that held and the percentile at 200.
void office(int port)
{
    // One session, shared by every client (the server checks it on each call).
    httplib::Client login("127.0.0.1", port);
    const auto r
        = login.Post("/rdmCTe/Login", contracts::encodeCall({u"bench"_s, kPassword}).toStdString(),
                     "application/json");
    QString error;
    const QString shared = r ? contracts::decodeReply(QByteArray::fromStdString(r->body), &error)
                                   ->toList()
                                   .value(1)
                                   .toString()
                             : QString();
    int held = 0;
    double p99At200 = -1;
    for (int clients : {50, 100, 200, 300, 400, 600, 800, 1000}) {
        const LoadResult result = officeLoad(port, shared, clients, 10.0);
        qWarning("bench_server: %d clients: %d calls, %d errors, p99 %.1f ms", clients,
                 result.calls, result.errors, result.p99Ms);
        if (clients == 200)
            p99At200 = result.p99Ms;
        if (result.errors > 0 || result.p99Ms > 1000.0)
            break;
        held = clients;
    }
    if (p99At200 < 0)
        p99At200 = officeLoad(port, shared, 200, 10.0).p99Ms;
    out << "concurrent_clients_served " << held << "\n";
    out << "p99_ms_at_200 " << (p99At200 < 0 ? u"n/a"_s : QString::number(p99At200, 'f', 1))
        << "\n";
    out.flush();
}

// Saves per second and the office load on PostgreSQL; `officeOnly` skips the saves.
void saves(bool officeOnly)
{
    QTemporaryDir dir;
    const QString script = QString::fromUtf8(CTE_SOURCE_DIR) + u"/tests/support/pg-cluster"_s;
    const int pgPort = freePort();
    QProcess pg;
    pg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pg.start(script, {u"start"_s, dir.path(), QString::number(pgPort)});
    pg.waitForFinished(-1);
    if (pg.exitCode() != 0) {
        out << "saves_per_s_1 n/a\nsaves_per_s_4 n/a\nconcurrent_clients_served n/a\n"
               "p99_ms_at_200 n/a\n";
        return;
    }
    const QString connection = u"postgresql://postgres@127.0.0.1:%1/ctetest"_s.arg(pgPort);
    {
        setServerConnectionString(connection);
        QSqlDatabase db = OpenConnection(connection, u"bench-pg"_s);
        prepare(db);
        Server server(connection, 8);
        // The office first: the saves add documents to the small selection it lists.
        office(server.port);
        out << "statements_per_list_call " << server.leastLogged(u"GetDadosGerais"_s, u"sql"_s)
            << "\n";
        if (officeOnly) {
            db.close();
            return;
        }
        savesPerSecond(server.port, 1, 1.0); // warm-up
        out << "saves_per_s_1 " << QString::number(savesPerSecond(server.port, 1, 5.0), 'f', 0)
            << "\n";
        out << "saves_per_s_4 " << QString::number(savesPerSecond(server.port, 4, 5.0), 'f', 0)
            << "\n";
        out.flush();

        // The same four clients through HAProxy to three servers over the same database. The
        // two set-ups alternate so that load from elsewhere on the machine hits them alike; the
        // best round of each counts.
        Server s0(connection, 8), s1(connection, 8), s2(connection, 8);
        Proxy proxy({s0.port, s1.port, s2.port});
        if (proxy.port > 0) {
            savesPerSecond(proxy.port, 4, 1.0); // warm-up
            double direct = 0, through = 0;
            for (int round = 0; round < 3; ++round) {
                direct = std::max(direct, savesPerSecond(server.port, 4, 3.0));
                through = std::max(through, savesPerSecond(proxy.port, 4, 3.0));
            }
            out << "cluster_saves_per_s_4 " << QString::number(through, 'f', 0) << "\n";
            out << "cluster_vs_direct_saves " << QString::number(through / direct, 'f', 2) << "\n";
        } else {
            out << "cluster_vs_direct_saves n/a\n";
        }
        out.flush();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"bench-pg"_s);
    QProcess stop;
    stop.start(script, {u"stop"_s, dir.path()});
    stop.waitForFinished(-1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // "office": only the office load (the other figures take minutes in a debug build); "list":
    // only the list load.
    const bool officeOnly = app.arguments().contains(u"office"_s);
    if (!officeOnly)
        listLoad();
    if (!app.arguments().contains(u"list"_s))
        saves(officeOnly);
    return 0;
}
