// TransmiteCTe against the real application server and the real authority stand-in: what is
// sent, what is stored, and what each document's row says. Neither is told where the schemas
// are: both find the ones the build put beside them.
#include "A1Certificate.h"
#include "AuthorityHarness.h"
#include "CTeRecord.h"
#include "DemoData.h"
#include "IssuerClock.h"
#include "RpcProtocol.h"
#include "ServerHarness.h"
#include "SqlSupport.h"
#include "TestPki.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using contracts::DataPacket;

namespace {

QString receptionUrl(int port)
{
    return u"http://127.0.0.1:%1"_s.arg(port) + AuthorityProcess::path(AuthorityProcess::Reception);
}

DataPacket markedList(const QList<std::pair<qint64, bool>> &documents)
{
    DataPacket p;
    p.fields = {{u"IDCHECK"_s, contracts::FieldType::FixedString, 1},
                {u"CDCTE"_s, contracts::FieldType::Float, 0}};
    for (const auto &[key, marked] : documents)
        p.rows.append({marked ? u"S"_s : u"N"_s, double(key)});
    return p;
}

QByteArray transmitBody(const QList<std::pair<qint64, bool>> &documents,
                        const QString &registration = u"244187365112"_s)
{
    return contracts::encodeCall(
        {QVariant::fromValue(markedList(documents)), u"01"_s, registration});
}

// The server runs on UTC, as servers often do, far from its issuers.
QProcessEnvironment utcServer()
{
    QProcessEnvironment env;
    env.insert(u"TZ"_s, u"UTC"_s);
    return env;
}

struct ResultRow
{
    QString number, observation, sent, key, xml;
};

// The result rows of a successful reply, in order; fails the test for another reply.
QList<ResultRow> resultRows(const QVariant &reply)
{
    QList<ResultRow> rows;
    const QVariantList list = reply.toList();
    if (list.value(0).toString() != u"S") {
        qWarning() << "reply:" << reply;
        return rows;
    }
    const DataPacket p = list.value(1).value<DataPacket>();
    for (const contracts::Row &r : p.rows) {
        rows.append({r.value(p.indexOf(u"NRCTE"_s)).toString(),
                     r.value(p.indexOf(u"DSOBSERVACAO"_s)).toString(),
                     r.value(p.indexOf(u"IDGERADO"_s)).toString(),
                     r.value(p.indexOf(u"NRACESSONFE"_s)).toString(),
                     r.value(p.indexOf(u"DSTEXTOXML"_s)).toString()});
    }
    return rows;
}

} // namespace

class TestTransmission : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDemoDocumentIsAuthorised();
    void authorisedDocumentIsStored();
    void onlyMarkedPendingOrRejectedAreSent();
    void refusedBeforeSending_data();
    void refusedBeforeSending();
    void emissionMomentIsTheIssuers_data();
    void emissionMomentIsTheIssuers();
    void foreignDigestIsNoAuthorisation();
    void authorityCertificate_data();
    void authorityCertificate();
    void duplicateNumberIsRejected();
    void twoTransmissionsSendOnce();
    void authorityDownLeavesTransmitted();
    void certificateProblemsStopEverything_data();
    void certificateProblemsStopEverything();

private:
    QString status(qint64 key);
    QString writeSettings(const QString &name, const QString &url, const QString &p12,
                          const QString &passwordFile, const QString &more = {});
    QVariant transmit(ServerProcess &server, const QList<std::pair<qint64, bool>> &documents,
                      const QString &registration = u"244187365112"_s);

    QTemporaryDir m_dir;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<AuthorityProcess> m_authority;
    std::unique_ptr<AuthorityProcess> m_tlsAuthority;
    std::unique_ptr<ServerProcess> m_server;
    QString m_cert;
};

void TestTransmission::initTestCase()
{
    m_db = std::make_unique<TestDatabase>();
    m_cert = m_dir.filePath(u"demo"_s);
    QVERIFY(demodata::writeDemoCertificate(m_cert));
    m_authority
        = AuthorityProcess::forDemoIssuer(m_dir.filePath(u"authority"_s), m_cert + u".pem"_s);
    QVERIFY2(m_authority && m_authority->port() > 0, "authority-sim did not start");
    const QString settings = writeSettings(u"ok"_s, receptionUrl(m_authority->port()),
                                           m_cert + u".p12"_s, m_cert + u".password"_s);
    m_server = std::make_unique<ServerProcess>(
        m_db->connectionString(), QStringList {u"--settings"_s, settings}, utcServer());
    QVERIFY(m_server->port() > 0);
}

QString TestTransmission::writeSettings(const QString &name, const QString &url, const QString &p12,
                                        const QString &passwordFile, const QString &more)
{
    const QString path = m_dir.filePath(name + u".ini"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(u"[certificate]\nfile=%1\npasswordFile=%2\n[authority]\nreception=%3\n"
               "timeoutMs=5000\n%4\n"_s.arg(p12, passwordFile, url, more)
                   .toUtf8());
    return path;
}

QVariant TestTransmission::transmit(ServerProcess &server,
                                    const QList<std::pair<qint64, bool>> &documents,
                                    const QString &registration)
{
    const QString token = testerLogin(server.port());
    return rawPost(server.port(), u"TransmiteCTe"_s, transmitBody(documents, registration), token)
        .reply;
}

QString TestTransmission::status(qint64 key)
{
    QSqlQuery q
        = runSql(m_db->db(), u"SELECT IDSTATUSCTE FROM CTE WHERE CDCTE = :K"_s, {{u":K", key}});
    return q.next() ? q.value(0).toString() : QString();
}

// What a new user finds: every pending demo document goes through the schemas and the authority.
void TestTransmission::everyDemoDocumentIsAuthorised()
{
    QList<std::pair<qint64, bool>> pending;
    QSqlQuery q = runSql(m_db->db(), u"SELECT CDCTE FROM CTE WHERE IDSTATUSCTE = 'P'"_s);
    while (q.next())
        pending.append({q.value(0).toLongLong(), true});
    QVERIFY(pending.size() >= 5);
    const QList<ResultRow> rows = resultRows(transmit(*m_server, pending));
    QCOMPARE(rows.size(), pending.size());
    for (const ResultRow &row : rows)
        QVERIFY2(row.sent == u"S"_s, qPrintable(row.number + u": "_s + row.observation));
}

void TestTransmission::authorisedDocumentIsStored()
{
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}));
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows.at(0).sent == u"S", qPrintable(rows.at(0).observation));
    QVERIFY(rows.at(0).observation.startsWith(u"100 - "_s));
    QCOMPARE(rows.at(0).key.size(), 44);
    QVERIFY(rows.at(0).xml.contains(u"<Signature"_s));
    QSqlQuery q = runSql(m_db->db(),
                         u"SELECT IDSTATUSCTE, NRACESSOCTE, NRPROTOCOLCTE, DTAUTORIZACAO, "
                         "CDDIGESTVALUE, DSXMLCTE, DSXMLPROTOCOLO, CDSTATUSCTE FROM CTE "
                         "WHERE CDCTE = :K"_s,
                         {{u":K", key}});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), u"A"_s);
    QCOMPARE(q.value(1).toString(), rows.at(0).key);
    QCOMPARE(q.value(2).toString().size(), 15);
    QVERIFY(!q.value(3).isNull());
    QCOMPARE(q.value(4).toString().size(), 28);
    QVERIFY(q.value(5).toString().contains(u"<DigestValue>"_s + q.value(4).toString()));
    QVERIFY(q.value(6).toString().contains(q.value(2).toString()));
    QCOMPARE(q.value(7).toString(), u"100"_s);
    QSqlQuery batch = runSql(m_db->db(),
                             u"SELECT L.IDSITUACAO, L.CDSTATUS FROM CTELOTE L JOIN CTELOTEDOC D "
                             "ON D.NRLOTE = L.NRLOTE WHERE D.CDCTE = :K"_s,
                             {{u":K", key}});
    QVERIFY(batch.next());
    QCOMPARE(batch.value(0).toString(), u"P"_s);
    QCOMPARE(batch.value(1).toString(), u"100"_s);
}

void TestTransmission::onlyMarkedPendingOrRejectedAreSent()
{
    const qint64 accepted = demodata::insertCompleteDemoDocument(m_db->db());
    runSql(m_db->db(), u"UPDATE CTE SET IDSTATUSCTE = 'A' WHERE CDCTE = :K"_s, {{u":K", accepted}});
    const qint64 unmarked = demodata::insertCompleteDemoDocument(m_db->db());
    const qint64 rejected = demodata::insertCompleteDemoDocument(m_db->db());
    runSql(m_db->db(), u"UPDATE CTE SET IDSTATUSCTE = 'R' WHERE CDCTE = :K"_s, {{u":K", rejected}});
    const QList<ResultRow> rows
        = resultRows(transmit(*m_server, {{accepted, true}, {unmarked, false}, {rejected, true}}));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).sent, u"N"_s);
    QVERIFY2(rows.at(0).observation.contains(u"situação \"A\""_s),
             qPrintable(rows.at(0).observation));
    QCOMPARE(rows.at(1).sent, u"S"_s);
    QCOMPARE(status(accepted), u"A"_s);
    QCOMPARE(status(unmarked), u"P"_s);
    QCOMPARE(status(rejected), u"A"_s);
}

// What the authority would refuse, or what is not built yet, is not sent; the others go on.
void TestTransmission::refusedBeforeSending_data()
{
    QTest::addColumn<QString>("change"); // of the document :K
    QTest::addColumn<QString>("rntrc"); // of the establishment, empty: unchanged
    QTest::addColumn<QString>("text");
    QTest::newRow("CFOP out of the table")
        << u"UPDATE CTE SET CDCFOP = '9999' WHERE CDCTE = :K"_s << QString() << u"CFOP"_s;
    // The main schema leaves infModal open; the road modal's schema wants 8 digits.
    QTest::newRow("RNTRC of four digits") << QString() << u"1234"_s << u"RNTRC"_s;
    QTest::newRow("contingency (FS-DA)")
        << u"UPDATE CTE SET IDFORMAEMISSAO = '5' WHERE CDCTE = :K"_s << QString()
        << u"contingência"_s;
}

void TestTransmission::refusedBeforeSending()
{
    QFETCH(QString, change);
    QFETCH(QString, rntrc);
    QFETCH(QString, text);
    const qint64 broken = demodata::insertCompleteDemoDocument(m_db->db());
    if (!change.isEmpty())
        runSql(m_db->db(), change, {{u":K", broken}});
    const auto setRntrc = [this](const QString &value) {
        runSql(m_db->db(), u"UPDATE CTEPARAMEMIT SET NRRNTRC = :R WHERE CDINSCESTA = :I"_s,
               {{u":R", value}, {u":I", u"244187365112"_s}});
    };
    if (!rntrc.isEmpty())
        setRntrc(rntrc);
    const QList<ResultRow> refused = resultRows(transmit(*m_server, {{broken, true}}));
    if (!rntrc.isEmpty())
        setRntrc(u"44827163"_s);
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.at(0).sent, u"N"_s);
    QVERIFY2(refused.at(0).observation.startsWith(u"Não enviado"_s)
                 && refused.at(0).observation.contains(text),
             qPrintable(refused.at(0).observation));
    QCOMPARE(status(broken), u"P"_s);
    const qint64 good = demodata::insertCompleteDemoDocument(m_db->db());
    QCOMPARE(resultRows(transmit(*m_server, {{broken, true}, {good, true}})).value(1).sent, u"S"_s);
}

// The emission moment is the issuer's wall clock with its state's offset, whatever the zone of
// the server: a wrong offset puts it hours ahead of the authority's clock (212).
void TestTransmission::emissionMomentIsTheIssuers_data()
{
    QTest::addColumn<QString>("uf");
    QTest::addColumn<QString>("ufCode");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QString>("offset");
    QTest::newRow("São Paulo") << u"SP"_s << u"35"_s << u"3509502"_s << u"244187365112"_s
                               << u"-03:00"_s;
    QTest::newRow("Amazonas") << u"AM"_s << u"13"_s << u"1302603"_s << u"053721496"_s
                              << u"-04:00"_s;
}

void TestTransmission::emissionMomentIsTheIssuers()
{
    QFETCH(QString, uf);
    QFETCH(QString, ufCode);
    QFETCH(QString, city);
    QFETCH(QString, registration);
    QFETCH(QString, offset);
    if (registration != u"244187365112") {
        runSql(m_db->db(),
               u"INSERT INTO CTEPARAMEMIT (CDEMPRESA, CDINSCESTA, NRRNTRC, IDCRT) "
               "VALUES ('01', :I, '44827163', '3')"_s,
               {{u":I", registration}});
        QCOMPARE(AuthorityProcess::command(m_dir.filePath(u"authority"_s),
                                           {u"issuer"_s, u"--uf"_s, uf, u"--ie"_s, registration,
                                            u"--cnpj"_s, u"18462731000114"_s}),
                 0);
    }
    const QDateTime typed = issuerclock::wallClockNow(uf).addSecs(-600);
    const QDateTime emitted(typed.date(), QTime(typed.time().hour(), typed.time().minute()));
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    runSql(m_db->db(),
           u"UPDATE CTE SET SGESTADOEMIT = :U, CDESTADOIBGEEMIT = :C, CDMUNICIBGEEMIT = :M, "
           "NRINSESTEMIT = :I, DTEMISSAO = :D WHERE CDCTE = :K"_s,
           {{u":U", uf},
            {u":C", ufCode},
            {u":M", city},
            {u":I", registration},
            {u":D", emitted},
            {u":K", key}});
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}, registration));
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows.at(0).xml.contains(u"<dhEmi>"_s + emitted.toString(u"yyyy-MM-ddTHH:mm:ss"_s)
                                     + offset + u"</dhEmi>"_s),
             qPrintable(rows.at(0).xml.section(u"<dhEmi>"_s, 1).left(40)));
    QVERIFY2(rows.at(0).sent == u"S"_s, qPrintable(rows.at(0).observation));
}

// An authorisation that names another digest is not one of what was sent.
void TestTransmission::foreignDigestIsNoAuthorisation()
{
    const QString data = m_dir.filePath(u"authority"_s);
    QCOMPARE(AuthorityProcess::command(data, {u"fault"_s, u"digest"_s}), 0);
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}));
    QCOMPARE(AuthorityProcess::command(data, {u"fault"_s, u"--clear"_s}), 0);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).sent, u"N"_s);
    QVERIFY2(rows.at(0).observation.contains(u"digVal"_s)
                 && rows.at(0).observation.contains(u"consulte a situação"_s, Qt::CaseInsensitive),
             qPrintable(rows.at(0).observation));
    QCOMPARE(status(key), u"T"_s);
}

// Over HTTPS the authority's certificate must chain to the configured file and name the host.
void TestTransmission::authorityCertificate_data()
{
    QTest::addColumn<bool>("withCaFile");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("authorised");
    QTest::newRow("the authority's chain") << true << u"127.0.0.1"_s << true;
    QTest::newRow("the system's store only") << false << u"127.0.0.1"_s << false;
    QTest::newRow("another host name") << true << u"localhost"_s << false;
}

void TestTransmission::authorityCertificate()
{
    QFETCH(bool, withCaFile);
    QFETCH(QString, host);
    QFETCH(bool, authorised);
    const QString tlsDir = m_dir.filePath(u"tls"_s);
    if (!m_tlsAuthority) {
        TestPki pki(u"AC DA SEFAZ DE TESTE"_s);
        TestPki::LeafOptions options;
        options.name = u"127.0.0.1"_s;
        options.ipAddress = u"127.0.0.1"_s;
        const TestPki::Identity identity = pki.issue(options);
        QVERIFY(QDir().mkpath(tlsDir));
        QVERIFY(TestPki::writeFile(tlsDir + u"/ca.pem"_s, pki.root().certificatePem));
        QVERIFY(TestPki::writeFile(tlsDir + u"/server.pem"_s, identity.certificatePem));
        QVERIFY(TestPki::writeFile(tlsDir + u"/server.key"_s, identity.keyPem));
        m_tlsAuthority
            = AuthorityProcess::forDemoIssuer(tlsDir + u"/data"_s, m_cert + u".pem"_s,
                                              {u"--tls-cert"_s, tlsDir + u"/server.pem"_s,
                                               u"--tls-key"_s, tlsDir + u"/server.key"_s});
        QVERIFY2(m_tlsAuthority->port() > 0, qPrintable(m_tlsAuthority->log()));
    }
    const QString url = u"https://%1:%2"_s.arg(host).arg(m_tlsAuthority->port())
        + AuthorityProcess::path(AuthorityProcess::Reception);
    ServerProcess server(
        m_db->connectionString(),
        {u"--settings"_s,
         writeSettings(u"tls"_s, url, m_cert + u".p12"_s, m_cert + u".password"_s,
                       withCaFile ? u"caFile="_s + tlsDir + u"/ca.pem"_s : QString())},
        utcServer());
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> rows = resultRows(transmit(server, {{key, true}}));
    QCOMPARE(rows.size(), 1);
    QVERIFY2((rows.at(0).sent == u"S"_s) == authorised, qPrintable(rows.at(0).observation));
    QCOMPARE(status(key), authorised ? u"A"_s : u"T"_s);
}

void TestTransmission::duplicateNumberIsRejected()
{
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    QCOMPARE(resultRows(transmit(*m_server, {{key, true}})).value(0).sent, u"S"_s);
    // Sent again under a new key, the same number is a duplicate for the authority.
    runSql(m_db->db(), u"UPDATE CTE SET IDSTATUSCTE = 'R' WHERE CDCTE = :K"_s, {{u":K", key}});
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).sent, u"N"_s);
    QVERIFY2(rows.at(0).observation.contains(u"539"_s), qPrintable(rows.at(0).observation));
    QCOMPARE(status(key), u"R"_s);
    QSqlQuery q
        = runSql(m_db->db(), u"SELECT CDSTATUSCTE FROM CTE WHERE CDCTE = :K"_s, {{u":K", key}});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), u"539"_s);
}

void TestTransmission::twoTransmissionsSendOnce()
{
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QString token = testerLogin(m_server->port());
    const QByteArray body = transmitBody({{key, true}});
    const QList<QVariant> replies
        = concurrentCalls({{m_server->port(), u"TransmiteCTe"_s, token, body},
                           {m_server->port(), u"TransmiteCTe"_s, token, body}});
    QStringList sent;
    for (const QVariant &reply : replies) {
        const QList<ResultRow> rows = resultRows(reply);
        QCOMPARE(rows.size(), 1);
        sent << rows.at(0).sent;
    }
    sent.sort();
    QCOMPARE(sent, (QStringList {u"N"_s, u"S"_s}));
    QCOMPARE(status(key), u"A"_s);
}

void TestTransmission::authorityDownLeavesTransmitted()
{
    // A port nothing listens on: the connection is refused.
    const int freePort = freeLoopbackPort();
    const QString settings = writeSettings(u"down"_s, receptionUrl(freePort), m_cert + u".p12"_s,
                                           m_cert + u".password"_s);
    ServerProcess server(m_db->connectionString(), {u"--settings"_s, settings});
    QVERIFY(server.port() > 0);
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> rows = resultRows(transmit(server, {{key, true}}));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).sent, u"N"_s);
    QVERIFY2(rows.at(0).observation.contains(u"Consulte a situação"_s),
             qPrintable(rows.at(0).observation));
    QCOMPARE(status(key), u"T"_s);
    QSqlQuery q = runSql(m_db->db(), u"SELECT NRACESSOCTE, DSXMLCTE FROM CTE WHERE CDCTE = :K"_s,
                         {{u":K", key}});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), rows.at(0).key);
    QVERIFY(q.value(1).toString().contains(u"<Signature"_s));
}

void TestTransmission::certificateProblemsStopEverything_data()
{
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("text");
    QTest::newRow("wrong password") << u"password"_s << u"senha incorreta"_s;
    QTest::newRow("missing file") << u"missing"_s << u"Não foi possível ler"_s;
    QTest::newRow("expired") << u"expired"_s << u"venceu em"_s;
}

void TestTransmission::certificateProblemsStopEverything()
{
    QFETCH(QString, problem);
    QFETCH(QString, text);
    QString p12 = m_cert + u".p12"_s;
    QString passwordFile = m_cert + u".password"_s;
    if (problem == u"password") {
        passwordFile = m_dir.filePath(u"wrong.password"_s);
        QFile f(passwordFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not-the-password\n");
    } else if (problem == u"missing") {
        p12 = m_dir.filePath(u"nowhere.p12"_s);
    } else {
        p12 = m_dir.filePath(u"expired.p12"_s);
        QVERIFY(writeSelfSignedPkcs12(p12, "expired-1", u"18462731000114"_s, u"VENCIDO"_s, -3));
        passwordFile = m_dir.filePath(u"expired.password"_s);
        QFile f(passwordFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("expired-1\n");
    }
    ServerProcess server(
        m_db->connectionString(),
        {u"--settings"_s,
         writeSettings(problem, receptionUrl(m_authority->port()), p12, passwordFile)});
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QVariant reply = transmit(server, {{key, true}});
    QCOMPARE(reply.typeId(), QMetaType::QString);
    QVERIFY2(reply.toString().contains(text), qPrintable(reply.toString()));
    QCOMPARE(status(key), u"P"_s);
}

QTEST_GUILESS_MAIN(TestTransmission)
#include "tst_transmission.moc"
