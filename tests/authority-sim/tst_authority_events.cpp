// Status query, cancellation and service status: what the stand-in answers about documents it
// authorised, cancelled or never saw, and each check of the cancellation event.
#include "AuthorityFixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The answer's registered events are procEventoCTe elements, declared in a schema of their own.
static const QStringList kSituationSchemas
    = {u"retConsSitCTe_v4.00.xsd"_s, u"procEventoCTe_v4.00.xsd"_s};

class TestAuthorityEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cancellationIsRegisteredAndQueried();
    void statusQuery_data();
    void statusQuery();
    void eventChecks_data();
    void eventChecks();
    void cancellationDeadline_data();
    void cancellationDeadline();
    void serviceStatus();
    void voiding_data();
    void voiding();

private:
    // Authorises a fresh document; its key and protocol.
    std::pair<QString, QString> authorise(AuthorityFixture &fx, const QDateTime &issuedAt = {});
    std::unique_ptr<AuthorityFixture> m_fx;
    qint64 m_number = 2000;
};

void TestAuthorityEvents::initTestCase()
{
    m_fx = std::make_unique<AuthorityFixture>();
    QVERIFY2(m_fx->authority().port() > 0, qPrintable(m_fx->authority().log()));
}

std::pair<QString, QString> TestAuthorityEvents::authorise(AuthorityFixture &fx,
                                                           const QDateTime &issuedAt)
{
    SampleCte cte;
    cte.number = ++m_number;
    if (issuedAt.isValid())
        cte.issuedAt = issuedAt;
    const auto reply = fx.transmit(cte);
    if (reply.cstat() != 100)
        qWarning("authorisation refused: %s %s", qPrintable(reply.field("xMotivo")),
                 qPrintable(reply.detail));
    return {cte.key(), reply.field("nProt")};
}

void TestAuthorityEvents::cancellationIsRegisteredAndQueried()
{
    const auto [key, protocol] = authorise(*m_fx);
    QCOMPARE(protocol.size(), 15);
    SampleCancellation event {.key = key, .protocol = protocol};
    const auto registered = m_fx->cancel(event);
    QCOMPARE(registered.cstat(), 135);
    QCOMPARE(registered.field("xMotivo"), u"Evento registrado e vinculado a CTe"_s);
    QCOMPARE(registered.field("chCTe"), key);
    QCOMPARE(registered.field("tpEvento"), u"110111"_s);
    const QString eventProtocol = registered.field("nProt");
    QCOMPARE(eventProtocol.size(), 15);
    QVERIFY(eventProtocol != protocol);
    QCOMPARE(validateResult(registered.body, u"retEventoCTe_v4.00.xsd"_s), QString());

    const auto situation = m_fx->query(key);
    QCOMPARE(situation.cstat(), 101);
    QCOMPARE(situation.field("xMotivo"), u"Cancelamento de CTe homologado"_s);
    QVERIFY(situation.body.contains("<procEventoCTe"));
    QVERIFY(situation.body.contains(eventProtocol.toUtf8()));
    QCOMPARE(validateResult(situation.body, kSituationSchemas), QString());

    // The same event again, and another cancellation of the cancelled document.
    const auto again = m_fx->cancel(event);
    QCOMPARE(again.cstat(), 631);
    QVERIFY2(again.field("xMotivo").contains(u"[nProt:%1]"_s.arg(eventProtocol)),
             qPrintable(again.field("xMotivo")));
    SampleCancellation other = event;
    other.organ = key.left(2);
    other.at = event.at.addSecs(5);
    const auto secondOne = m_fx->cancel(other);
    QCOMPARE(secondOne.cstat(), 631); // same organ, type, key and sequence
    // The document stays cancelled after the stand-in restarts.
    m_fx->restart();
    QCOMPARE(m_fx->query(key).cstat(), 101);
}

void TestAuthorityEvents::statusQuery_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("expected");
    QTest::newRow("authorised") << u"authorised"_s << 100;
    QTest::newRow("cancelled") << u"cancelled"_s << 101;
    QTest::newRow("unknown") << u"unknown"_s << 217;
    QTest::newRow("check-digit-wrong") << u"check-digit-wrong"_s << 236;
    QTest::newRow("seven-months-old") << u"seven-months-old"_s << 731;
    QTest::newRow("other-environment") << u"other-environment"_s << 252;
}

void TestAuthorityEvents::statusQuery()
{
    QFETCH(QString, scenario);
    QFETCH(int, expected);
    QString key;
    QString protocol;
    int environment = 2;
    if (scenario == u"authorised" || scenario == u"cancelled" || scenario == u"other-environment") {
        std::tie(key, protocol) = authorise(*m_fx);
        if (scenario == u"cancelled") {
            SampleCancellation event {.key = key, .protocol = protocol};
            QCOMPARE(m_fx->cancel(event).cstat(), 135);
        }
        if (scenario == u"other-environment")
            environment = 1;
    } else {
        SampleCte cte;
        cte.number = ++m_number;
        if (scenario == u"check-digit-wrong")
            cte.checkDigitOverride = QString::number((cte.key().right(1).toInt() + 1) % 10);
        if (scenario == u"seven-months-old")
            cte.issuedAt = QDateTime::currentDateTimeUtc().addMonths(-7);
        key = cte.key();
    }
    const auto reply = m_fx->authority().send(AuthorityProcess::Query,
                                              samples::situationQuery(key, environment));
    QCOMPARE(reply.httpStatus, 200);
    QVERIFY2(reply.cstat() == expected, qPrintable(reply.describe()));
    QCOMPARE(validateResult(reply.body, kSituationSchemas), QString());
    if (expected == 100 || expected == 101)
        QCOMPARE(reply.field("nProt"), protocol); // the authorisation's protocol comes first
    else
        QVERIFY(!reply.body.contains("<protCTe"));
    if (expected == 236)
        QVERIFY(reply.field("xMotivo").contains(u"[Motivo: DV invalido]"_s));
}

void TestAuthorityEvents::eventChecks_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("expected");
    const QList<std::pair<const char *, int>> rows = {
        {"valid", 135},
        {"environment-production", 252},
        {"id-composition", 628},
        {"event-type-unsupported", 629},
        {"cancellation-without-justification", 630},
        {"organ-differs", 677},
        {"tampered-after-signing", 297},
        {"signed-by-another-company", 213},
        {"author-is-not-the-issuer", 632},
        {"unknown-document", 217},
        {"sequence-2", 636},
        {"wrong-protocol", 222},
        {"dated-before-emission", 634},
        {"dated-ten-minutes-ahead", 635},
        {"dated-four-minutes-ahead", 135},
        {"correction", 135},
        {"correction-forbidden-field", 681},
        {"correction-sequence-skipped", 636},
        {"correction-of-cancelled", 218},
    };
    for (const auto &[name, code] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << code;
}

void TestAuthorityEvents::eventChecks()
{
    QFETCH(QString, scenario);
    QFETCH(int, expected);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto [key, protocol] = authorise(*m_fx);
    QCOMPARE(protocol.size(), 15);
    SampleCancellation event {.key = key, .protocol = protocol};
    const char *inf = "infEvento";
    QByteArray signedXml;
    if (scenario == u"environment-production")
        event.environment = 1;
    else if (scenario == u"id-composition")
        event.idOverride = u"ID110111"_s + key + u"002"_s;
    else if (scenario == u"event-type-unsupported")
        event.type = u"110180"_s;
    else if (scenario == u"organ-differs")
        event.organ = u"33"_s;
    else if (scenario == u"sequence-2")
        event.sequence = 2;
    else if (scenario == u"wrong-protocol")
        event.protocol = u"135269999999999"_s;
    else if (scenario == u"dated-before-emission")
        event.at = now.addSecs(-20 * 60);
    else if (scenario == u"dated-ten-minutes-ahead")
        event.at = now.addSecs(10 * 60);
    else if (scenario == u"dated-four-minutes-ahead")
        event.at = now.addSecs(4 * 60);
    else if (scenario.startsWith(u"correction"))
        event.type = u"110110"_s;
    if (scenario == u"correction-forbidden-field") {
        event.group = u"rem"_s;
        event.field = u"CNPJ"_s;
    } else if (scenario == u"correction-sequence-skipped")
        event.sequence = 2;
    else if (scenario == u"correction-of-cancelled")
        QCOMPARE(m_fx->cancel({.key = key, .protocol = protocol}).cstat(), 135);
    else if (scenario == u"unknown-document") {
        SampleCte never;
        never.number = ++m_number;
        event.key = never.key();
    }

    if (scenario == u"tampered-after-signing") {
        signedXml = m_fx->sign(event.xml(), inf);
        signedXml.replace("desistencia", "desistencia!");
    } else if (scenario == u"cancellation-without-justification") {
        QByteArray x = event.xml();
        const qsizetype from = x.indexOf("<xJust>");
        x.remove(from, x.indexOf("</xJust>") + 8 - from);
        signedXml = m_fx->sign(x, inf);
    } else if (scenario == u"signed-by-another-company"
               || scenario == u"author-is-not-the-issuer") {
        TestPki::LeafOptions o;
        o.cnpj = u"98765432000198"_s;
        if (scenario == u"author-is-not-the-issuer")
            event.cnpj = o.cnpj;
        signedXml = m_fx->sign(event.xml(), m_fx->pki().issue(o), inf);
    } else {
        signedXml = m_fx->sign(event.xml(), inf);
    }
    const auto reply = m_fx->authority().send(AuthorityProcess::Event, signedXml);
    QCOMPARE(reply.httpStatus, 200);
    QVERIFY2(reply.cstat() == expected, qPrintable(reply.describe()));
    QCOMPARE(validateResult(reply.body, u"retEventoCTe_v4.00.xsd"_s), QString());
    const bool cancelled = (expected == 135 && !scenario.startsWith(u"correction"))
        || scenario == u"correction-of-cancelled";
    QCOMPARE(m_fx->query(key).cstat(), cancelled ? 101 : 100);
}

void TestAuthorityEvents::cancellationDeadline_data()
{
    QTest::addColumn<int>("hoursAgo");
    QTest::addColumn<int>("expected");
    QTest::newRow("200-hours") << 200 << 220;
    QTest::newRow("169-hours") << 169 << 220;
    QTest::newRow("167-hours") << 167 << 135;
}

// The document is authorised by a stand-in whose clock runs behind, so that for the stand-in
// started afterwards (on the same data, with the true clock) it was authorised long ago.
void TestAuthorityEvents::cancellationDeadline()
{
    QFETCH(int, hoursAgo);
    QFETCH(int, expected);
    AuthorityFixture fx({u"--clock-offset=%1"_s.arg(-hoursAgo * 3600)});
    QVERIFY(fx.authority().port() > 0);
    const QDateTime then = QDateTime::currentDateTimeUtc().addSecs(-hoursAgo * 3600 - 60);
    const auto [key, protocol] = authorise(fx, then);
    QCOMPARE(protocol.size(), 15);
    fx.restart();
    SampleCancellation event {.key = key, .protocol = protocol};
    const auto reply = fx.cancel(event);
    QCOMPARE(reply.cstat(), expected);
    if (expected == 220)
        QCOMPARE(reply.field("xMotivo"),
                 u"Rejeição: CTe autorizado há mais de 7 dias (168 horas)"_s);
    QCOMPARE(fx.query(key).cstat(), expected == 135 ? 101 : 100);
}

void TestAuthorityEvents::serviceStatus()
{
    const auto running
        = m_fx->authority().send(AuthorityProcess::Status, samples::serviceStatusQuery(2, u"41"_s));
    QCOMPARE(running.cstat(), 107);
    QCOMPARE(running.field("cUF"), u"41"_s);
    QCOMPARE(validateResult(running.body, u"retConsStatServCTe_v4.00.xsd"_s), QString());
    const auto production
        = m_fx->authority().send(AuthorityProcess::Status, samples::serviceStatusQuery(1));
    QCOMPARE(production.cstat(), 252);
}

void TestAuthorityEvents::voiding_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("expected");
    const QList<std::pair<const char *, int>> rows = {
        {"voided", 102},      {"same-range-again", 682}, {"overlapping", 256},
        {"number-used", 241}, {"range-too-large", 201},  {"first-after-last", 224},
        {"year-ahead", 471},  {"series-reserved", 670},
    };
    for (const auto &[name, code] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << code;
}

void TestAuthorityEvents::voiding()
{
    QFETCH(QString, scenario);
    QFETCH(int, expected);
    m_number += 20;
    SampleVoiding request {.first = m_number - 9, .last = m_number};
    if (scenario == u"same-range-again" || scenario == u"overlapping") {
        QCOMPARE(m_fx->voidRange(request).cstat(), 102);
        request.first += scenario == u"overlapping" ? 5 : 0;
    } else if (scenario == u"number-used") {
        m_number = request.last - 2;
        authorise(*m_fx);
        m_number = request.last;
    } else if (scenario == u"range-too-large") {
        request.last = request.first + 10000;
    } else if (scenario == u"first-after-last") {
        std::swap(request.first, request.last);
    } else if (scenario == u"year-ahead") {
        request.year += 1;
    } else if (scenario == u"series-reserved") {
        request.series = 890;
    }
    const auto reply = m_fx->voidRange(request);
    QVERIFY2(reply.cstat() == expected, qPrintable(reply.describe()));
    QCOMPARE(validateResult(reply.body, u"retInutCTe_v4.00.xsd"_s), QString());
    // A voided number is answered as such by the status query; the range comes back with the
    // protocol, also when the same range is asked again.
    SampleCte inRange;
    inRange.number = request.last;
    const bool voided = expected == 102 || expected == 682 || expected == 256;
    QCOMPARE(m_fx->query(inRange.key()).cstat(), voided ? 102 : 217);
    QCOMPARE(reply.field("nProt").size(), expected == 102 || expected == 682 ? 15 : 0);
}

QTEST_GUILESS_MAIN(TestAuthorityEvents)
#include "tst_authority_events.moc"
