// TransmiteCTe against the real application server and the real authority stand-in: what is
// sent, what is stored, and what each document's row says. Neither is told where the schemas
// are: both find the ones the build put beside them.
#include "A1Certificate.h"
#include "AuthorityHarness.h"
#include "CTeRecord.h"
#include "ChildProcess.h"
#include "DemoData.h"
#include "IssuerClock.h"
#include "MailSink.h"
#include "PdfProbe.h"
#include "RpcProtocol.h"
#include "ServerHarness.h"
#include "SqlSupport.h"
#include "TestPki.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTcpServer>
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

DataPacket corrections(const QList<QStringList> &rows)
{
    DataPacket p;
    p.fields = {{u"DSGRUPO"_s, contracts::FieldType::String, 20},
                {u"DSCAMPO"_s, contracts::FieldType::String, 20},
                {u"DSVALOR"_s, contracts::FieldType::String, 500},
                {u"NRITEM"_s, contracts::FieldType::String, 2}};
    for (const QStringList &r : rows)
        p.rows.append({r.value(0), r.value(1), r.value(2), r.value(3)});
    return p;
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
    void emissionMomentIsTheIssuers();
    void foreignDigestIsNoAuthorisation();
    void authorityCertificate_data();
    void authorityCertificate();
    void duplicateIsRecovered_data();
    void duplicateIsRecovered();
    void lostAnswerIsSettled_data();
    void lostAnswerIsSettled();
    void cancellation();
    void cancellationRefused_data();
    void cancellationRefused();
    void correctionLetters();
    void voidedRangeIsSkipped();
    void twoTransmissionsSendOnce();
    void authorityDownLeavesTransmitted();
    void certificateProblemsStopEverything_data();
    void certificateProblemsStopEverything();
    void dacteOfAnAuthorisedDocument_data();
    void dacteOfAnAuthorisedDocument();
    void emailAndXmlOfAnAuthorisedDocument();
    void emailNotSent_data();
    void emailNotSent();

private:
    // xmllint against `schema` and xmlsec1 --verify of the element `idElement`, on `xml`.
    void checkSignedXml(const QString &name, const QString &xml, const QString &schema,
                        const QString &idElement);
    QString status(qint64 key);
    QString stored(qint64 key, const QString &column);
    QVariant call(const QString &operation, const QVariantList &args,
                  ServerProcess *server = nullptr);
    // A fault switch of the stand-in (authority-sim fault …); its exit code.
    int fault(const QStringList &args);
    QString writeSettings(const QString &name, const QString &url, const QString &p12,
                          const QString &passwordFile, const QString &more = {});
    QVariant transmit(ServerProcess &server, const QList<std::pair<qint64, bool>> &documents,
                      const QString &registration = u"244187365112"_s);
    qint64 authorisedDocument();
    // Writes `bytes` to the file `name` of the test's folder; its path.
    QString written(const QString &name, const QByteArray &bytes);
    // What xmllint says of `xml` against the schema `xsd`; empty when it is valid.
    QString schemaProblem(const QByteArray &xml, const QString &xsd);
    // The [mail] settings of an SMTP server on `port`.
    static QString mailSettings(int port, const QString &more = {});

    QTemporaryDir m_dir;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<AuthorityProcess> m_authority;
    std::unique_ptr<AuthorityProcess> m_tlsAuthority;
    std::unique_ptr<ServerProcess> m_server;
    std::unique_ptr<MailSinkProcess> m_sink;
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
    m_sink = std::make_unique<MailSinkProcess>();
    QVERIFY(m_sink->port() > 0);
    const QString settings
        = writeSettings(u"ok"_s, receptionUrl(m_authority->port()), m_cert + u".p12"_s,
                        m_cert + u".password"_s, mailSettings(m_sink->port()));
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

QString TestTransmission::stored(qint64 key, const QString &column)
{
    QSqlQuery q
        = runSql(m_db->db(), u"SELECT %1 FROM CTE WHERE CDCTE = :K"_s.arg(column), {{u":K", key}});
    return q.next() ? q.value(0).toString() : QString();
}

QVariant TestTransmission::call(const QString &operation, const QVariantList &args,
                                ServerProcess *server)
{
    const int port = (server ? server : m_server.get())->port();
    return rawPost(port, operation, contracts::encodeCall(args), testerLogin(port)).reply;
}

int TestTransmission::fault(const QStringList &args)
{
    return AuthorityProcess::command(m_dir.filePath(u"authority"_s),
                                     QStringList {u"fault"_s} + args);
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
    QTest::addColumn<QString>("change"); // of the document :K or its establishment
    QTest::addColumn<QString>("text");
    QTest::newRow("CFOP out of the table")
        << u"UPDATE CTE SET CDCFOP = '9999' WHERE CDCTE = :K"_s << u"CFOP"_s;
    // The main schema leaves infModal open; the road modal's schema wants 8 digits.
    QTest::newRow("RNTRC of four digits")
        << u"UPDATE CTEPARAMEMIT SET NRRNTRC = '1234' WHERE CDINSCESTA = "
           "(SELECT NRINSESTEMIT FROM CTE WHERE CDCTE = :K)"_s
        << u"RNTRC"_s;
    QTest::newRow("contingency (FS-DA)")
        << u"UPDATE CTE SET IDFORMAEMISSAO = '5' WHERE CDCTE = :K"_s << u"contingência"_s;
}

void TestTransmission::refusedBeforeSending()
{
    QFETCH(QString, change);
    QFETCH(QString, text);
    const qint64 broken = demodata::insertCompleteDemoDocument(m_db->db());
    const qint64 good = demodata::insertCompleteDemoDocument(m_db->db());
    runSql(m_db->db(), change, {{u":K", broken}});
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{broken, true}}));
    runSql(m_db->db(),
           u"UPDATE CTEPARAMEMIT SET NRRNTRC = '44827163' WHERE CDINSCESTA = '244187365112'"_s);
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows.at(0).observation.startsWith(u"Não enviado"_s)
                 && rows.at(0).observation.contains(text),
             qPrintable(rows.at(0).observation));
    QCOMPARE(status(broken), u"P"_s);
    QCOMPARE(resultRows(transmit(*m_server, {{broken, true}, {good, true}})).value(1).sent, u"S"_s);
}

// On this UTC server the demo documents of São Paulo went through (-03:00); one of Amazonas
// carries -04:00: any other offset puts it ahead of the authority's clock (212).
void TestTransmission::emissionMomentIsTheIssuers()
{
    const QString amazonas = u"053721496"_s;
    runSql(m_db->db(),
           u"INSERT INTO CTEPARAMEMIT (CDEMPRESA, CDINSCESTA, NRRNTRC, IDCRT) "
           "VALUES ('01', :I, '44827163', '3')"_s,
           {{u":I", amazonas}});
    QCOMPARE(AuthorityProcess::command(m_dir.filePath(u"authority"_s),
                                       {u"issuer"_s, u"--uf"_s, u"AM"_s, u"--ie"_s, amazonas,
                                        u"--cnpj"_s, u"18462731000114"_s}),
             0);
    const QDateTime now = issuerclock::wallClockNow(u"AM"_s).addSecs(-600);
    const QDateTime typed(now.date(), QTime(now.time().hour(), now.time().minute()));
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    runSql(m_db->db(),
           u"UPDATE CTE SET SGESTADOEMIT = 'AM', CDESTADOIBGEEMIT = '13', CDMUNICIBGEEMIT = "
           "'1302603', NRINSESTEMIT = :I, DTEMISSAO = :D WHERE CDCTE = :K"_s,
           {{u":I", amazonas}, {u":D", typed}, {u":K", key}});
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}, amazonas));
    QCOMPARE(rows.size(), 1);
    QVERIFY(rows.at(0).xml.contains(
        u"<dhEmi>%1-04:00</dhEmi>"_s.arg(typed.toString(u"yyyy-MM-ddTHH:mm:ss"_s))));
    QVERIFY2(rows.at(0).sent == u"S"_s, qPrintable(rows.at(0).observation));
}

// An authorisation that names another digest is not one of what was sent.
void TestTransmission::foreignDigestIsNoAuthorisation()
{
    QCOMPARE(fault({u"digest"_s}), 0);
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}));
    QVERIFY2(rows.value(0).sent == u"N"_s && rows.value(0).observation.contains(u"digVal"_s),
             qPrintable(rows.value(0).observation));
    QCOMPARE(status(key), u"T"_s);
    // Nor when the status query says so: the document waits for an answer about its content.
    const QVariantList query {QVariant::fromValue(markedList({{key, true}})), u"01"_s, QString()};
    call(u"ConsSituCte"_s, query);
    QCOMPARE(fault({u"--clear"_s}), 0);
    QCOMPARE(status(key), u"T"_s);
    QVERIFY2(stored(key, u"DSSTATUSCTE"_s).contains(u"digVal"_s),
             qPrintable(stored(key, u"DSSTATUSCTE"_s)));
    call(u"ConsSituCte"_s, query);
    QCOMPARE(status(key), u"A"_s);
}

// Over HTTPS the authority's certificate must chain to the configured file and name the host.
void TestTransmission::authorityCertificate_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("status");
    QTest::newRow("the authority's chain") << u"caFile=tls/ca.pem"_s << u"127.0.0.1"_s << u"A"_s;
    QTest::newRow("the system's store only") << QString() << u"127.0.0.1"_s << u"T"_s;
    QTest::newRow("another host name") << u"caFile=tls/ca.pem"_s << u"localhost"_s << u"T"_s;
}

void TestTransmission::authorityCertificate()
{
    QFETCH(QString, settings);
    QFETCH(QString, host);
    QFETCH(QString, status);
    if (!m_tlsAuthority) {
        const QStringList tls = AuthorityProcess::tlsArguments(TestPki(), m_dir.filePath(u"tls"_s));
        m_tlsAuthority = AuthorityProcess::forDemoIssuer(m_dir.filePath(u"tls/data"_s),
                                                         m_cert + u".pem"_s, tls);
    }
    const QString url = u"https://%1:%2"_s.arg(host).arg(m_tlsAuthority->port())
        + AuthorityProcess::path(AuthorityProcess::Reception);
    ServerProcess server(
        m_db->connectionString(),
        {u"--settings"_s,
         writeSettings(u"tls"_s, url, m_cert + u".p12"_s, m_cert + u".password"_s, settings)},
        utcServer());
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> rows = resultRows(transmit(server, {{key, true}}));
    QVERIFY2(rows.size() == 1 && (rows.at(0).sent == u"S") == (status == u"A"),
             qPrintable(rows.value(0).observation));
    QCOMPARE(this->status(key), status);
    // The status query reaches the authority under the same checks.
    const QVariant reply
        = call(u"ConsSituCte"_s,
               {QVariant::fromValue(markedList({{key, true}})), u"01"_s, QString()}, &server);
    QVERIFY2((reply.toList().value(0).toString() == u"S") == (status == u"A"),
             qPrintable(reply.toString()));
}

void TestTransmission::duplicateIsRecovered_data()
{
    QTest::addColumn<bool>("newKey");
    QTest::addColumn<QString>("code");
    // Sent again as it was, the authority knows the key; under a new key, only the number.
    QTest::newRow("same-key-204") << false << u"204"_s;
    QTest::newRow("other-key-539") << true << u"539"_s;
}

void TestTransmission::duplicateIsRecovered()
{
    QFETCH(bool, newKey);
    QFETCH(QString, code);
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const ResultRow first = resultRows(transmit(*m_server, {{key, true}})).value(0);
    QCOMPARE(first.sent, u"S"_s);
    const QString protocol = stored(key, u"NRPROTOCOLCTE"_s);
    // The authorisation's answer never arrived: the user saw a rejection and sends again.
    runSql(m_db->db(),
           newKey ? u"UPDATE CTE SET IDSTATUSCTE = 'R', NRACESSOCTE = NULL WHERE CDCTE = :K"_s
                  : u"UPDATE CTE SET IDSTATUSCTE = 'R' WHERE CDCTE = :K"_s,
           {{u":K", key}});
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}));
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows.at(0).sent == u"S" && rows.at(0).observation.startsWith(code),
             qPrintable(rows.at(0).observation));
    QCOMPARE(status(key), u"A"_s);
    QCOMPARE(stored(key, u"NRACESSOCTE"_s), first.key);
    QCOMPARE(stored(key, u"NRPROTOCOLCTE"_s), protocol);
}

void TestTransmission::lostAnswerIsSettled_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("status-query") << u"ConsSituCte"_s;
    QTest::newRow("batch-update") << u"AtualizaLoteCTe"_s;
}

void TestTransmission::lostAnswerIsSettled()
{
    QFETCH(QString, operation);
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    // The stand-in authorises, then drops the connection: the server times out.
    QCOMPARE(fault({u"drop"_s}), 0);
    const ResultRow row = resultRows(transmit(*m_server, {{key, true}})).value(0);
    QCOMPARE(fault({u"--clear"_s}), 0);
    QCOMPARE(row.sent, u"N"_s);
    QCOMPARE(status(key), u"T"_s);

    QVariant reply;
    if (operation == u"ConsSituCte") {
        reply = call(u"ConsSituCte"_s,
                     {QVariant::fromValue(markedList({{key, true}})), u"01"_s, u"244187365112"_s});
    } else {
        const DataPacket batches
            = call(u"GetAtualizaLoteCTe"_s, {}).toList().value(1).value<DataPacket>();
        const qint64 batch = countOf(
            m_db->db(), u"SELECT MAX(NRLOTE) FROM CTELOTEDOC WHERE CDCTE = %1"_s.arg(key));
        DataPacket marked = batches;
        bool listed = false;
        for (contracts::Row &r : marked.rows) {
            const bool mine = qint64(r.at(marked.indexOf(u"CDLOTECTE"_s)).toDouble()) == batch;
            listed = listed || mine;
            r[marked.indexOf(u"IDCHECK"_s)] = mine ? u"S"_s : u"N"_s;
        }
        QVERIFY(listed);
        reply = call(u"AtualizaLoteCTe"_s, {QVariant::fromValue(marked), u"0001"_s});
        // The document now accepted is the one whose e-mail is pending.
        const DataPacket email = reply.toList().value(1).value<DataPacket>();
        QCOMPARE(email.rows.size(), 1);
        QCOMPARE(qint64(email.rows.at(0).at(0).toDouble()), key);
    }
    QVERIFY2(reply.toList().value(0).toString() == u"S", qPrintable(reply.toString()));
    QCOMPARE(status(key), u"A"_s);
    QCOMPARE(stored(key, u"NRPROTOCOLCTE"_s).size(), 15);
    QVERIFY(stored(key, u"DSXMLPROTOCOLO"_s).contains(u"<protCTe"_s));
}

void TestTransmission::cancellation()
{
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    QCOMPARE(resultRows(transmit(*m_server, {{key, true}})).value(0).sent, u"S"_s);
    const QString cdCte = QString::number(key);
    // What the authority would refuse never leaves the server.
    for (const QString &reason :
         {u"Frete desistido"_s.left(14), u"Cliente desistiu\ndo frete"_s, u"x"_s.repeated(256)}) {
        const QVariant refused = call(u"CancelaCTe"_s, {cdCte, reason});
        QCOMPARE(refused.typeId(), QMetaType::QString);
        QVERIFY2(refused.toString().contains(u"motivo do cancelamento"_s),
                 qPrintable(refused.toString()));
        QCOMPARE(status(key), u"A"_s);
    }
    const QVariant reply = call(u"CancelaCTe"_s, {cdCte, u"Frete desistido"_s});
    QVERIFY2(reply.toList().value(0).toString() == u"S", qPrintable(reply.toString()));
    QCOMPARE(status(key), u"C"_s);
    QCOMPARE(stored(key, u"NRPROTOCOLCANC"_s).size(), 15);

    // The stored procEventoCTe is valid and its signature holds.
    checkSignedXml(u"cancel-%1.xml"_s.arg(key), stored(key, u"DSXMLCANCELAMENTO"_s),
                   u"procEventoCTe_v4.00.xsd"_s, u"infEvento"_s);
    // Asked again, the authority answers cancelled with the same event.
    call(u"ConsSituCte"_s, {QVariant::fromValue(markedList({{key, true}})), u"01"_s, QString()});
    QCOMPARE(status(key), u"C"_s);
}

void TestTransmission::checkSignedXml(const QString &name, const QString &xml,
                                      const QString &schema, const QString &idElement)
{
    QString output = schemaProblem(xml.toUtf8(), schema);
    QVERIFY2(output.isEmpty(), qPrintable(output));
    const QString path = written(name, xml.toUtf8());
    QVERIFY2(RunTool(u"xmlsec1"_s,
                     {u"--verify"_s, u"--id-attr:Id"_s, idElement, u"--trusted-pem"_s,
                      m_cert + u".pem"_s, u"--enabled-key-data"_s, u"x509"_s, path},
                     &output),
             qPrintable(output));
}

void TestTransmission::cancellationRefused_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("protocol-differs") << u"222"_s;
    QTest::newRow("already-cancelled") << u"218"_s;
    QTest::newRow("past-deadline") << u"220"_s;
    QTest::newRow("corrected") << u"523"_s;
}

void TestTransmission::cancellationRefused()
{
    QFETCH(QString, code);
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    QCOMPARE(resultRows(transmit(*m_server, {{key, true}})).value(0).sent, u"S"_s);
    const QString accessKey = stored(key, u"NRACESSOCTE"_s);
    if (code == u"222")
        runSql(m_db->db(), u"UPDATE CTE SET NRPROTOCOLCTE = '135269999999999' WHERE CDCTE = :K"_s,
               {{u":K", key}});
    else if (code == u"523")
        QCOMPARE(call(u"CartaCorrecaoCTe"_s,
                      {QString::number(key),
                       QVariant::fromValue(
                           corrections({{u"compl"_s, u"xObs"_s, u"Entregar a tarde"_s}}))})
                     .toList()
                     .value(0),
                 u"S"_s);
    else
        QCOMPARE(fault({u"--key"_s, accessKey, u"reject:"_s + code}), 0);
    const QVariant reply
        = call(u"CancelaCTe"_s, {QString::number(key), u"Servico nao prestado ao cliente"_s});
    fault({u"--clear"_s});
    QCOMPARE(reply.typeId(), QMetaType::QString);
    QVERIFY2(reply.toString().contains(code + u" - Rejeição"_s), qPrintable(reply.toString()));
    QCOMPARE(status(key), u"A"_s);
}

// Letters 1 and 2 registered and kept in order; a forbidden field never sent; a document the
// authority knows cancelled (the local copy says otherwise) refused with the authority's text.
void TestTransmission::correctionLetters()
{
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    QCOMPARE(resultRows(transmit(*m_server, {{key, true}})).value(0).sent, u"S"_s);
    const QString cdCte = QString::number(key);
    const auto send = [&](const QList<QStringList> &rows) {
        return call(u"CartaCorrecaoCTe"_s, {cdCte, QVariant::fromValue(corrections(rows))});
    };
    const QVariant forbidden = send({{u"rem"_s, u"CNPJ"_s, u"98765432000198"_s}});
    QCOMPARE(forbidden.typeId(), QMetaType::QString);
    QVERIFY2(forbidden.toString().contains(u"não pode ser alterado por carta de correção"_s),
             qPrintable(forbidden.toString()));
    QVariant reply = send({{u"compl"_s, u"xObs"_s, u"Entregar na doca 3"_s}});
    QVERIFY2(reply.toList().value(0) == u"S"_s, qPrintable(reply.toString()));
    reply = send({{u"compl"_s, u"xObs"_s, u"Entregar na doca 4"_s},
                  {u"ObsCont"_s, u"xTexto"_s, u"Pedido 7781"_s, u"1"_s}});
    QVERIFY2(reply.toList().value(0) == u"S"_s, qPrintable(reply.toString()));
    const QString secondProtocol = reply.toList().value(1).toString();

    const QVariantList listed = call(u"GetCartaCorrecaoCTe"_s, {cdCte}).toList();
    const DataPacket letters = listed.value(1).value<DataPacket>();
    QCOMPARE(letters.rows.size(), 2);
    QCOMPARE(letters.rows.at(0).at(0).toLongLong(), 1);
    QCOMPARE(letters.rows.at(1).at(0).toLongLong(), 2);
    QCOMPARE(letters.rows.at(1).at(1).toString(), secondProtocol);
    QCOMPARE(letters.rows.at(1).at(3).toString(),
             u"compl/xObs = Entregar na doca 4; ObsCont/xTexto[1] = Pedido 7781"_s);
    // The second letter printed: one page with its protocol and both corrections.
    const PdfProbe pdf = probePdf(QByteArray::fromBase64(
        call(u"GerarCartaCorrecaoCTe"_s, {cdCte, u"2"_s}).toList().value(1).toString().toLatin1()));
    QCOMPARE(pdf.pageSizes.size(), 1);
    for (const QString &expected : {secondProtocol, u"Entregar na doca 4"_s, u"Pedido 7781"_s,
                                    u"CARTA DE CORREÇÃO ELETRÔNICA"_s})
        QVERIFY2(pdf.text.contains(expected), qPrintable(pdf.text));
    QSqlQuery q = runSql(m_db->db(),
                         u"SELECT NRSEQEVENTO, DSXMLEVENTO FROM CTEEVENTO WHERE CDCTE = :K "
                         "AND TPEVENTO = '110110' ORDER BY NRSEQEVENTO"_s,
                         {{u":K", key}});
    QStringList letterXmls;
    while (q.next()) {
        checkSignedXml(u"cce-%1-%2.xml"_s.arg(key).arg(q.value(0).toInt()), q.value(1).toString(),
                       u"procEventoCTe_v4.00.xsd"_s, u"infEvento"_s);
        letterXmls << q.value(1).toString();
    }
    // The letters go with the document's XML, in the export and in the e-mail.
    const QList<ResultRow> exported
        = resultRows(call(u"GeraXML"_s, {QVariant::fromValue(markedList({{key, true}}))}));
    QCOMPARE(exported.size(), 3);
    QCOMPARE((QStringList {exported.at(1).xml, exported.at(2).xml}), letterXmls);
    QCOMPARE(call(u"EnviaEmailCTe"_s, {double(key), u"0001"_s}).toList().value(0).toString(),
             u"S"_s);
    const QString accessKey = stored(key, u"NRACESSOCTE"_s);
    QCOMPARE(
        m_sink->messages().constLast().attachmentNames,
        (QStringList {accessKey + u"-procCTe.xml"_s, accessKey + u"-110110-01-procEventoCTe.xml"_s,
                      accessKey + u"-110110-02-procEventoCTe.xml"_s, accessKey + u"-cte.pdf"_s}));

    const qint64 cancelled = demodata::insertCompleteDemoDocument(m_db->db());
    QCOMPARE(resultRows(transmit(*m_server, {{cancelled, true}})).value(0).sent, u"S"_s);
    QCOMPARE(
        call(u"CancelaCTe"_s, {QString::number(cancelled), u"Frete desistido"_s}).toList().value(0),
        u"S"_s);
    runSql(m_db->db(), u"UPDATE CTE SET IDSTATUSCTE = 'A' WHERE CDCTE = :K"_s,
           {{u":K", cancelled}});
    const QVariant refused = call(
        u"CartaCorrecaoCTe"_s,
        {QString::number(cancelled),
         QVariant::fromValue(corrections({{u"compl"_s, u"xObs"_s, u"Entregar na doca 3"_s}}))});
    QVERIFY2(refused.toString().contains(
                 u"218 - Rejeição: CTe já está cancelado na base de dados da SEFAZ"_s),
             qPrintable(refused.toString()));
}

// A range past the last number voided and kept; the next new document skips it; ranges holding
// a used or voided number refused before anything is sent.
void TestTransmission::voidedRangeIsSkipped()
{
    const QString series = u"WHERE CDEMPRESA = '01' AND CDMODDOCFISC = '57' AND CDSERIECTE = '1'"_s;
    const int used = countOf(
        m_db->db(),
        u"SELECT MAX(CAST(NRCTE AS BIGINT)) FROM CTE %1 AND IDSTATUSCTE <> 'R'"_s.arg(series));
    QVERIFY(used > 0);
    const int top = std::max(
        countOf(m_db->db(), u"SELECT MAX(CAST(NRCTE AS BIGINT)) FROM CTE %1"_s.arg(series)),
        countOf(m_db->db(), u"SELECT NRULTIMO FROM CTENUMERACAO %1"_s.arg(series)));
    const auto voiding = [&](int first, int last) {
        return call(u"InutilizaCTe"_s,
                    {u"01"_s, u"244187365112"_s, u"1"_s, QString::number(first),
                     QString::number(last), u"Numeracao pulada por falha no sistema"_s});
    };
    const QVariant usedRange = voiding(used, top + 1);
    QVERIFY2(usedRange.toString().contains(u"Não enviado: o número %1"_s.arg(used)),
             qPrintable(usedRange.toString()));
    const QVariant reply = voiding(top + 1, top + 3);
    QVERIFY2(reply.toList().value(0) == u"S"_s, qPrintable(reply.toString()));
    QCOMPARE(reply.toList().value(1).toString().size(), 15);
    QVERIFY(voiding(top + 3, top + 5).toString().contains(u"já foi inutilizada"_s));

    QSqlQuery q = runSql(m_db->db(),
                         u"SELECT DSXMLINUTILIZACAO FROM CTEINUTILIZACAO WHERE NRINICIAL = :A"_s,
                         {{u":A", top + 1}});
    QVERIFY(q.next());
    checkSignedXml(u"inut.xml"_s, q.value(0).toString(), u"procInutCTe_v4.00.xsd"_s, u"infInut"_s);
    q.finish(); // an open statement would keep this connection on the old snapshot
    const DataPacket listed
        = call(u"GetInutilizacaoCTe"_s, {u"01"_s}).toList().value(1).value<DataPacket>();
    QCOMPARE(listed.rows.size(), 1);
    QCOMPARE(listed.rows.at(0).at(listed.indexOf(u"NRFINAL"_s)).toLongLong(), top + 3);

    const QVariant saved
        = call(u"AplicaAlteracoes"_s,
               saveArgs({insertDelta(contracts::cte::documentFields(), {newDocumentValues()})}));
    QVERIFY2(saved.toList().value(0) == u"S"_s, qPrintable(saved.toString()));
    QCOMPARE(countOf(m_db->db(), u"SELECT MAX(CAST(NRCTE AS BIGINT)) FROM CTE %1"_s.arg(series)),
             top + 4);
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
        passwordFile = written(u"wrong.password"_s, "not-the-password\n");
    } else if (problem == u"missing") {
        p12 = m_dir.filePath(u"nowhere.p12"_s);
    } else {
        p12 = m_dir.filePath(u"expired.p12"_s);
        QVERIFY(writeSelfSignedPkcs12(p12, "expired-1", u"18462731000114"_s, u"VENCIDO"_s, -3));
        passwordFile = written(u"expired.password"_s, "expired-1\n");
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

void TestTransmission::dacteOfAnAuthorisedDocument_data()
{
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("accepted") << false;
    QTest::newRow("cancelled") << true;
}

// The DACTE of a document the stand-in authorised: its report data, and its PDF as a person and a
// scanner read it; a pending document in the same request gets a return-detail row, not a PDF.
// A cancelled document's DACTE says so.
void TestTransmission::dacteOfAnAuthorisedDocument()
{
    QFETCH(bool, cancelled);
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const qint64 pending = demodata::insertCompleteDemoDocument(m_db->db());
    QCOMPARE(resultRows(transmit(*m_server, {{key, true}})).value(0).sent, u"S"_s);
    if (cancelled)
        QCOMPARE(call(u"CancelaCTe"_s, {QString::number(key), u"Frete desistido"_s})
                     .toList()
                     .value(0)
                     .toString(),
                 u"S"_s);
    const QString token = testerLogin(m_server->port());

    const QVariantList prepared
        = rawPost(m_server->port(), u"PreparaDACTe"_s, contracts::encodeCall({double(key)}), token)
              .reply.toList();
    QCOMPARE(prepared.size(), 38);
    QCOMPARE(prepared.at(0).toString(), u"S"_s);
    const auto first = [&](int element, const QString &field) {
        const DataPacket p = prepared.at(element).value<DataPacket>();
        return p.rows.isEmpty() ? QString() : p.rows.first().at(p.indexOf(field)).toString();
    };
    const QString accessKey = first(2, u"chCTe"_s);
    const QString protocol = first(2, u"nProt"_s);
    const QString qr = first(1, u"qrCodCTe"_s);
    QCOMPARE(accessKey.size(), 44);
    QVERIFY(qr.contains(accessKey));

    DataPacket list;
    list.fields = {{u"NRACESSOCTE"_s, contracts::FieldType::String, 50},
                   {u"CDCTE"_s, contracts::FieldType::Float, 0}};
    list.rows = {{accessKey, double(key)}, {QString(), double(pending)}};
    const QVariantList reply
        = rawPost(m_server->port(), u"GerarDACTE"_s,
                  contracts::encodeCall({QVariant::fromValue(list), u"S"_s}), token)
              .reply.toList();
    QCOMPARE(reply.value(0).toString(), u"S"_s);
    const DataPacket details = reply.at(2).value<DataPacket>();
    QCOMPARE(details.rows.size(), 2);
    QCOMPARE(details.rows.at(0).at(details.indexOf(u"IDSTATUS"_s)).toString(), u"0"_s);
    QCOMPARE(details.rows.at(1).at(details.indexOf(u"IDSTATUS"_s)).toString(), u"1"_s);

    const QString base64 = reply.at(1).value<DataPacket>().rows.at(0).at(0).toString();
    const QHash<QString, QByteArray> entries
        = zipEntries(QByteArray::fromBase64(base64.toLatin1()));
    QCOMPARE(entries.keys(), QStringList {accessKey + u"-cte.pdf"_s});
    const PdfProbe pdf = probePdf(entries.value(accessKey + u"-cte.pdf"_s));
    QVERIFY(pdf.loaded);
    QCOMPARE(pdf.pageSizes.size(), 1);
    QVERIFY2(pdf.text.contains(accessKey.left(4) + u' ' + accessKey.mid(4, 4)),
             qPrintable(pdf.text));
    for (const QString &expected : {protocol, first(3, u"xNome"_s), first(5, u"xNome"_s),
                                    first(7, u"xNome"_s), u"SEM VALOR FISCAL"_s})
        QVERIFY2(pdf.text.contains(expected), qPrintable(expected));
    QVERIFY2(pdf.codes.contains(u"Code128:"_s + accessKey), qPrintable(pdf.codes.join(u' ')));
    QVERIFY2(pdf.codes.contains(u"QRCode:"_s + qr), qPrintable(pdf.codes.join(u' ')));
    QCOMPARE(pdf.text.contains(u"CANCELADO"_s), cancelled);
    // Both faces travel with the file, cut to what is printed.
    QCOMPARE(
        pdf.fonts.filter(QRegularExpression(u"^[A-Z]{6}\\+DejaVuSans(-Bold)? yes yes$"_s)).size(),
        2);
}

qint64 TestTransmission::authorisedDocument()
{
    const qint64 key = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> rows = resultRows(transmit(*m_server, {{key, true}}));
    return rows.value(0).sent == u"S" ? key : -1;
}

QString TestTransmission::written(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

QString TestTransmission::schemaProblem(const QByteArray &xml, const QString &xsd)
{
    QString output;
    const QString path = written(u"checked.xml"_s, xml);
    const QString schema = qEnvironmentVariable("CTE_SCHEMA_DIR") + u'/' + xsd;
    return RunTool(u"xmllint"_s, {u"--noout"_s, u"--schema"_s, schema, path}, &output) ? QString()
                                                                                       : output;
}

QString TestTransmission::mailSettings(int port, const QString &more)
{
    return u"[mail]\nserver=127.0.0.1\nport=%1\nsecurity=none\nfrom=cte@serraazul.test\n"
           "timeoutMs=2000\n%2"_s.arg(port)
               .arg(more);
}

// The parties get one message with the cteProc (the same bytes GeraXML answers, valid against
// its schema) and the DACTE; once cancelled, the cancellation event too.
void TestTransmission::emailAndXmlOfAnAuthorisedDocument()
{
    const qint64 key = authorisedDocument();
    QVERIFY(key > 0);
    const qsizetype before = m_sink->messages().size();
    QCOMPARE(call(u"EnviaEmailCTe"_s, {double(key), u"0001"_s}).toList().value(0).toString(),
             u"S"_s);
    QCOMPARE(stored(key, u"IDEMAILCTE"_s), u"E"_s);
    QCOMPARE(m_sink->messages().size(), before + 1);
    const ReceivedMail mail = m_sink->messages().constLast();
    static const QRegularExpression date(
        u"^\\w{3}, \\d{2} \\w{3} \\d{4} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}$"_s);
    const auto header = [&](const char *name) {
        return mail.headers.value(QLatin1StringView(name)).toString();
    };
    QVERIFY2(date.match(header("Date")).hasMatch(), qPrintable(header("Date")));
    QVERIFY(header("Message-ID").endsWith(u"@serraazul.test>"_s));
    QCOMPARE(header("Subject"),
             u"CT-e nº %1 série 1 - TRANSPORTES SERRA AZUL LTDA"_s.arg(
                 stored(key, u"NRCTE"_s).trimmed()));
    QCOMPARE(header("To"),
             u"METALURGICA VALE DO PARAIBA LTDA <compras@metalvale.com.br>, "
             "COMERCIAL DE ALIMENTOS BOA MESA LTDA <nfe@boamesa.com.br>"_s);

    // The attachment is the cteProc GeraXML answers, byte for byte, valid against its schema.
    const QList<ResultRow> rows
        = resultRows(call(u"GeraXML"_s, {QVariant::fromValue(markedList({{key, true}}))}));
    QCOMPARE(rows.size(), 1);
    const QString accessKey = stored(key, u"NRACESSOCTE"_s);
    QCOMPARE(mail.attachmentNames,
             (QStringList {accessKey + u"-procCTe.xml"_s, accessKey + u"-cte.pdf"_s}));
    QCOMPARE(mail.attachments.at(0), rows.at(0).xml.toUtf8());
    const QString problem = schemaProblem(mail.attachments.at(0), u"procCTe_v4.00.xsd"_s);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(probePdf(mail.attachments.at(1)).codes.contains(u"Code128:"_s + accessKey));

    // Cancelled: the event travels beside the cteProc, in the e-mail and in the export.
    QCOMPARE(call(u"CancelaCTe"_s, {QString::number(key), u"Frete desistido pelo cliente"_s})
                 .toList()
                 .value(0)
                 .toString(),
             u"S"_s);
    const QList<ResultRow> cancelled
        = resultRows(call(u"GeraXML"_s, {QVariant::fromValue(markedList({{key, true}}))}));
    QCOMPARE(cancelled.size(), 2);
    QCOMPARE(cancelled.at(1).xml, stored(key, u"DSXMLCANCELAMENTO"_s));
    call(u"EnviaEmailCTe"_s, {double(key), u"0001"_s});
    QCOMPARE(m_sink->messages().constLast().attachments.value(1), cancelled.at(1).xml.toUtf8());

    // A pending document has no XML to give.
    const qint64 pending = demodata::insertCompleteDemoDocument(m_db->db());
    const QList<ResultRow> none
        = resultRows(call(u"GeraXML"_s, {QVariant::fromValue(markedList({{pending, true}}))}));
    QCOMPARE(none.size(), 1);
    QCOMPARE(none.at(0).sent, u"N"_s);
}

// An SMTP server that refuses, or cannot be reached, leaves the document pending with the reason;
// nothing is lost: the pending e-mails go out once the server is back. A silent one holds only
// the call that waits for it.
void TestTransmission::emailNotSent_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("recipient refused") << u"refuse"_s << u"550 5.1.1 Caixa postal inexistente"_s;
    QTest::newRow("login refused") << u"login"_s << u"535"_s;
    QTest::newRow("nothing listens") << u"closed"_s << u"não foi possível falar"_s;
    QTest::newRow("never answers") << u"silent"_s << u"imed"_s;
}

void TestTransmission::emailNotSent()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const qint64 key = authorisedDocument();
    QVERIFY(key > 0);
    std::unique_ptr<MailSinkProcess> sink;
    QTcpServer silent;
    int port = freeLoopbackPort();
    QString login;
    if (kind == u"refuse" || kind == u"login") {
        const QString password = written(u"smtp.password"_s, "certa-123\n");
        sink = std::make_unique<MailSinkProcess>(
            kind == u"refuse"
                ? QStringList {u"--refuse"_s, reason}
                : QStringList {u"--user"_s, u"cte"_s, u"--password-file"_s, password});
        port = sink->port();
        login = u"user=cte\npasswordFile=%1\n"_s.arg(QFileInfo(m_cert).fileName() + u".password"_s);
    } else if (kind == u"silent") {
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        port = silent.serverPort();
    }
    ServerProcess server(m_db->connectionString(),
                         {u"--settings"_s,
                          writeSettings(kind, receptionUrl(m_authority->port()), m_cert + u".p12"_s,
                                        m_cert + u".password"_s, mailSettings(port, login))});
    QVERIFY(server.port() > 0);
    const QString token = testerLogin(server.port());
    RawConnection held(server.port());
    held.send(RawConnection::request(u"EnviaEmailCTe"_s,
                                     contracts::encodeCall({double(key), u"0001"_s}), token));
    if (kind == u"silent") {
        QVERIFY(silent.waitForNewConnection(-1));
        // The mail call waits on the SMTP server; another user is served meanwhile.
        const QVariant other = rawPost(server.port(), u"GetCompValorPrest"_s,
                                       contracts::encodeCall({u"3"_s, QString()}), token)
                                   .reply;
        QCOMPARE(other.toList().value(0).toString(), u"S"_s);
    }
    const QVariantList reply = held.readAnswer().reply.toList();
    QCOMPARE(reply.value(0).toString(), u"N"_s);
    QVERIFY2(reply.value(1).toString().contains(reason), qPrintable(reply.value(1).toString()));
    QCOMPARE(stored(key, u"IDEMAILCTE"_s), u"P"_s);
    QCOMPARE(stored(key, u"DSOBSEMAILCTE"_s), reply.value(1).toString());
    QVERIFY(!sink || sink->messages().isEmpty());

    const QVariantList later = call(u"EnviaEmailPendenteCTe"_s,
                                    {QVariant::fromValue(markedList({{key, false}})), u"0001"_s})
                                   .toList();
    const DataPacket rows = later.value(1).value<DataPacket>();
    QCOMPARE(rows.rows.size(), 1);
    QCOMPARE(rows.rows.at(0).at(rows.indexOf(u"IDEMAILCTE"_s)).toString(), u"E"_s);
    QCOMPARE(stored(key, u"IDEMAILCTE"_s), u"E"_s);
}

QTEST_GUILESS_MAIN(TestTransmission)
#include "tst_transmission.moc"
