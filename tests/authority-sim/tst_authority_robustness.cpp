// What the stand-in does with malformed requests (a rejection or an HTTP error, never a crash,
// nothing stored lost), its fault switches, many clients at once, and HTTPS with client
// certificates.
#include "AuthorityFixture.h"

#include "GzipBase64.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAuthorityRobustness : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badInput_data();
    void badInput();
    void faultSwitches_data();
    void faultSwitches();
    void switchesForTheWholeRun();
    void idleConnectionsDoNotStarveOthers();
    void https_data();
    void https();

private:
    std::unique_ptr<AuthorityFixture> m_fx;
    QString m_authorisedKey;
    QString m_authorisedProtocol;
    qint64 m_number = 3000;
};

void TestAuthorityRobustness::initTestCase()
{
    m_fx = std::make_unique<AuthorityFixture>();
    QVERIFY2(m_fx->authority().port() > 0, qPrintable(m_fx->authority().log()));
    SampleCte cte;
    cte.number = ++m_number;
    const auto reply = m_fx->transmit(cte);
    QCOMPARE(reply.cstat(), 100);
    m_authorisedKey = cte.key();
    m_authorisedProtocol = reply.field("nProt");
}

void TestAuthorityRobustness::badInput_data()
{
    using S = AuthorityProcess;
    QTest::addColumn<int>("service");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("contentType");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<int>("expected"); // cStat of a 200 answer
    const QString soap = u"application/soap+xml; charset=utf-8"_s;
    auto inReception = [](const QByteArray &data) {
        return S::envelope(S::Reception, data);
    };
    auto compressed = [&](const QByteArray &xml) {
        return inReception(gzipbase64::gzip(xml).toBase64());
    };
    const QByteArray status = samples::serviceStatusQuery();

    QTest::newRow("not-xml") << int(S::Reception) << "hello"_ba << soap << 400 << 0;
    QTest::newRow("empty-body") << int(S::Reception) << QByteArray() << soap << 400 << 0;
    QTest::newRow("xml-but-not-soap") << int(S::Status) << status << soap << 400 << 0;
    QTest::newRow("soap-1.1")
        << int(S::Status)
        << "<Envelope xmlns=\"http://schemas.xmlsoap.org/soap/envelope/\"><Body/></Envelope>"_ba
        << soap << 400 << 0;
    QTest::newRow("no-body") << int(
        S::Status) << "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"/>"_ba
                             << soap << 400 << 0;
    QTest::newRow("data-of-another-service")
        << int(S::Reception) << S::envelope(S::Status, status) << soap << 400 << 0;
    QTest::newRow("content-type-text-xml")
        << int(S::Status) << S::envelope(S::Status, status) << u"text/xml"_s << 415 << 0;
    QTest::newRow("action-of-another-service") << int(S::Status) << S::envelope(S::Status, status)
                                               << soap
            + u"; action=\"http://www.portalfiscal.inf.br/cte/wsdl/CTeConsultaV4/cteConsultaCT\""_s
                                               << 400 << 0;
    QTest::newRow("action-of-the-service") << int(S::Status) << S::envelope(S::Status, status)
                                           << soap
            + u"; action=\"http://www.portalfiscal.inf.br/cte/wsdl/CTeStatusServicoV4/cteStatusServicoCT\""_s
                                           << 200 << 107;
    QTest::newRow("not-base64") << int(S::Reception) << inReception("@@not*base64@@") << soap << 200
                                << 244;
    QTest::newRow("base64-not-gzip")
        << int(S::Reception) << inReception(SampleCte().xml().toBase64()) << soap << 200 << 244;
    QByteArray truncated = gzipbase64::gzip(SampleCte().xml());
    truncated.chop(truncated.size() / 2);
    QTest::newRow("gzip-truncated")
        << int(S::Reception) << inReception(truncated.toBase64()) << soap << 200 << 244;
    QTest::newRow("elements-instead-of-text")
        << int(S::Reception) << inReception(SampleCte().xml()) << soap << 200 << 244;
    QTest::newRow("gzip-of-text") << int(S::Reception) << compressed("hello, not XML") << soap
                                  << 200 << 243;
    QTest::newRow("gzip-of-dtd")
        << int(S::Reception)
        << compressed("<?xml version=\"1.0\"?><!DOCTYPE CTe [<!ENTITY a \"aaaaaaaaaa\">"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><CTe>&b;</CTe>")
        << soap << 200 << 243;
    QTest::newRow("inflates-past-512-KB")
        << int(S::Reception) << compressed(QByteArray(600 * 1024, ' ') + "<CTe/>") << soap << 200
        << 214;
    QTest::newRow("body-of-20-MB")
        << int(S::Reception) << inReception(QByteArray(20 * 1024 * 1024, 'A')) << soap << 413 << 0;
    QTest::newRow("query-without-message")
        << int(S::Query) << S::envelope(S::Query, {}) << soap << 200 << 243;
    QTest::newRow("query-in-foreign-namespace")
        << int(S::Query)
        << S::envelope(S::Query,
                       samples::situationQuery(SampleCte().key())
                           .replace("http://www.portalfiscal.inf.br/cte", "http://example.com/cte"))
        << soap << 200 << 598;
    QTest::newRow("query-pretty-printed")
        << int(S::Query)
        << S::envelope(S::Query,
                       samples::situationQuery(SampleCte().key()).replace("<xServ>", "\n <xServ>"))
        << soap << 200 << 599;
    QTest::newRow("event-not-xml-inside")
        << int(S::Event) << S::envelope(S::Event, "plain text") << soap << 200 << 243;
    QTest::newRow("event-schema") << int(S::Event)
                                  << S::envelope(
                                         S::Event,
                                         "<eventoCTe xmlns=\"http://www.portalfiscal.inf.br/cte\" "
                                         "versao=\"4.00\"><infEvento/></eventoCTe>")
                                  << soap << 200 << 215;
}

void TestAuthorityRobustness::badInput()
{
    QFETCH(int, service);
    QFETCH(QByteArray, body);
    QFETCH(QString, contentType);
    QFETCH(int, httpStatus);
    QFETCH(int, expected);
    const auto reply
        = m_fx->authority().post(AuthorityProcess::Service(service), body, contentType);
    QVERIFY(!reply.transportFailed);
    QCOMPARE(reply.httpStatus, httpStatus);
    if (httpStatus == 200) {
        QCOMPARE(reply.cstat(), expected);
    } else {
        // Every refusal is a SOAP 1.2 fault with a reason.
        QVERIFY2(!reply.fault().isEmpty(), reply.body.constData());
    }
    // Nothing the stand-in stored is lost, and it goes on answering.
    QVERIFY(m_fx->authority().running());
    const auto situation = m_fx->query(m_authorisedKey);
    QCOMPARE(situation.cstat(), 100);
    QCOMPARE(situation.field("nProt"), m_authorisedProtocol);
}

void TestAuthorityRobustness::faultSwitches_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("afterwards"); // the status query of the key once switched off
    QTest::addColumn<int>("atLeastMs");
    QTest::newRow("slow") << u"slow:400"_s << true << 200 << 100 << 100 << 400;
    QTest::newRow("unavailable") << u"unavailable"_s << true << 503 << 0 << 217 << 0;
    QTest::newRow("drop") << u"drop"_s << false << 0 << 0 << 100 << 0;
    QTest::newRow("reject-204") << u"reject:204"_s << true << 200 << 204 << 217 << 0;
    QTest::newRow("reject-108") << u"reject:108"_s << true << 200 << 108 << 217 << 0;
}

void TestAuthorityRobustness::faultSwitches()
{
    QFETCH(QString, setting);
    QFETCH(bool, answered);
    QFETCH(int, httpStatus);
    QFETCH(int, expected);
    QFETCH(int, afterwards);
    QFETCH(int, atLeastMs);
    SampleCte switched;
    switched.number = ++m_number;
    SampleCte other;
    other.number = ++m_number;
    const QString key = switched.key();
    QCOMPARE(AuthorityProcess::command(m_fx->dataDir(), {u"fault"_s, u"--key"_s, key, setting}), 0);

    QElapsedTimer timer;
    timer.start();
    const auto reply = m_fx->transmit(switched);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(!reply.transportFailed, answered);
    if (answered) {
        QCOMPARE(reply.httpStatus, httpStatus);
        if (httpStatus == 200)
            QCOMPARE(reply.cstat(), expected);
    }
    QVERIFY2(elapsed >= atLeastMs, qPrintable(QString::number(elapsed)));
    // Another key is not affected.
    QCOMPARE(m_fx->transmit(other).cstat(), 100);

    QCOMPARE(
        AuthorityProcess::command(m_fx->dataDir(), {u"fault"_s, u"--key"_s, key, u"--clear"_s}), 0);
    QCOMPARE(m_fx->query(key).cstat(), afterwards);
}

void TestAuthorityRobustness::switchesForTheWholeRun()
{
    {
        AuthorityFixture fx({u"--fault"_s, u"reject:108"_s});
        const auto reply
            = fx.authority().send(AuthorityProcess::Status, samples::serviceStatusQuery());
        QCOMPARE(reply.cstat(), 108);
        QCOMPARE(reply.field("xMotivo"), u"Serviço Paralisado Momentaneamente (curto prazo)"_s);
    }
    {
        AuthorityFixture fx({u"--fault"_s, u"unavailable"_s});
        QCOMPARE(fx.transmit(SampleCte()).httpStatus, 503);
        // Switched on while running, for every request, then off again.
        fx.restart();
        QCOMPARE(
            fx.authority().send(AuthorityProcess::Status, samples::serviceStatusQuery()).cstat(),
            107);
        QCOMPARE(AuthorityProcess::command(fx.dataDir(), {u"fault"_s, u"drop"_s}), 0);
        QVERIFY(fx.authority()
                    .send(AuthorityProcess::Status, samples::serviceStatusQuery())
                    .transportFailed);
        QCOMPARE(AuthorityProcess::command(fx.dataDir(), {u"fault"_s, u"--clear"_s}), 0);
        QCOMPARE(
            fx.authority().send(AuthorityProcess::Status, samples::serviceStatusQuery()).cstat(),
            107);
    }
    // A switch that makes no sense is refused at once.
    QVERIFY(AuthorityProcess::command(m_fx->dataDir(), {u"fault"_s, u"reject:99"_s}) != 0);
    QVERIFY(AuthorityProcess::command(m_fx->dataDir(), {u"fault"_s, u"sometimes"_s}) != 0);
}

// Clients that keep their connection open without asking anything must not hold every worker.
void TestAuthorityRobustness::idleConnectionsDoNotStarveOthers()
{
    AuthorityFixture fx({u"--threads"_s, u"2"_s});
    const QByteArray request
        = AuthorityProcess::envelope(AuthorityProcess::Status, samples::serviceStatusQuery());
    const QByteArray http = "POST " + AuthorityProcess::path(AuthorityProcess::Status).toUtf8()
        + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: keep-alive\r\n"
          "Content-Type: application/soap+xml\r\nContent-Length: "
        + QByteArray::number(request.size()) + "\r\n\r\n" + request;
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 6; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(u"127.0.0.1"_s, quint16(fx.authority().port()));
        QVERIFY(socket->waitForConnected());
        socket->write(http);
        QVERIFY(socket->waitForBytesWritten());
        idle.push_back(std::move(socket));
    }
    // The idle connections stay open; another client is still answered.
    const auto reply = fx.authority().send(AuthorityProcess::Status, samples::serviceStatusQuery());
    QCOMPARE(reply.cstat(), 107);
}

void TestAuthorityRobustness::https_data()
{
    QTest::addColumn<QString>("client");
    QTest::addColumn<bool>("answered");
    QTest::newRow("certificate-of-the-trusted-ca") << u"trusted"_s << true;
    QTest::newRow("no-certificate") << u"none"_s << false;
    QTest::newRow("certificate-of-another-ca") << u"foreign"_s << false;
}

void TestAuthorityRobustness::https()
{
    QFETCH(QString, client);
    QFETCH(bool, answered);
    TestPki pki(u"AC TLS DE TESTE"_s);
    const QString dir = m_fx->file(u"tls-"_s + client);
    const QString ca = dir + u"/ca.pem"_s;
    AuthorityFixture fx(AuthorityProcess::tlsArguments(pki, dir)
                        + QStringList {u"--client-ca"_s, ca});
    auto write = [&](const QString &name, const QByteArray &bytes) {
        const QString path = dir + u'/' + name;
        TestPki::writeFile(path, bytes);
        return path;
    };
    QVERIFY2(fx.authority().port() > 0, qPrintable(fx.authority().log()));

    AuthorityProcess::Tls tls;
    tls.caPem = ca;
    TestPki::LeafOptions clientOptions;
    clientOptions.cnpj = QString::fromLatin1(AuthorityFixture::kIssuerCnpj);
    if (client == u"trusted") {
        const TestPki::Identity id = pki.issue(clientOptions);
        tls.clientCertPem = write(u"client.pem"_s, id.certificatePem);
        tls.clientKeyPem = write(u"client.key"_s, id.keyPem);
    } else if (client == u"foreign") {
        TestPki other(u"AC ESTRANHA"_s);
        const TestPki::Identity id = other.issue(clientOptions);
        tls.clientCertPem = write(u"client.pem"_s, id.certificatePem);
        tls.clientKeyPem = write(u"client.key"_s, id.keyPem);
    }
    const auto reply = fx.authority().post(
        AuthorityProcess::Status,
        AuthorityProcess::envelope(AuthorityProcess::Status, samples::serviceStatusQuery()),
        u"application/soap+xml; charset=utf-8"_s, &tls);
    QCOMPARE(!reply.transportFailed, answered);
    if (answered)
        QCOMPARE(reply.cstat(), 107);
    // Plain HTTP is not served on an HTTPS port.
    QVERIFY(fx.authority().send(AuthorityProcess::Status, samples::serviceStatusQuery()).httpStatus
            != 200);
}

QTEST_GUILESS_MAIN(TestAuthorityRobustness)
#include "tst_authority_robustness.moc"
