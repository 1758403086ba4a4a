// The reception service: a document signed by the issuer is authorised once; each check refuses
// the document that fails it with the official code and lets the one that passes through.
#include "AuthorityFixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAuthorityReception : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signedDocumentIsAuthorised();
    void tamperedDocumentIsRefused();
    void signatureMatchesAnIndependentVerifier();
    void checks_data();
    void checks();
    void duplicates();

private:
    QByteArray request(const QString &scenario, qint64 number);
    std::unique_ptr<AuthorityFixture> m_fx;
    qint64 m_number = 1000;
};

void TestAuthorityReception::initTestCase()
{
    m_fx = std::make_unique<AuthorityFixture>();
    QVERIFY2(m_fx->authority().port() > 0, qPrintable(m_fx->authority().log()));
    // A second registration of the issuer that is not enabled to issue.
    QCOMPARE(AuthorityProcess::command(
                 m_fx->dataDir(),
                 {u"issuer"_s, u"--uf"_s, u"SP"_s, u"--ie"_s, u"222333444555"_s, u"--cnpj"_s,
                  QString::fromLatin1(AuthorityFixture::kIssuerCnpj), u"--disabled"_s}),
             0);
}

void TestAuthorityReception::signedDocumentIsAuthorised()
{
    SampleCte cte;
    cte.number = 1;
    const auto reply = m_fx->transmit(cte);
    QCOMPARE(reply.httpStatus, 200);
    QCOMPARE(reply.cstat(), 100);
    QCOMPARE(reply.field("xMotivo"), u"Autorizado o uso do CTe"_s);
    QCOMPARE(reply.field("chCTe"), cte.key());
    QCOMPARE(reply.field("nProt").size(), 15);
    QVERIFY(!reply.field("dhRecbto").isEmpty());
    QVERIFY(!reply.field("digVal").isEmpty());
    QCOMPARE(validateResult(reply.body, u"retCTe_v4.00.xsd"_s), QString());
    // The authorisation is kept: the status query answers it with the same protocol.
    const auto later = m_fx->query(cte.key());
    QCOMPARE(later.cstat(), 100);
    QCOMPARE(later.field("nProt"), reply.field("nProt"));
}

void TestAuthorityReception::tamperedDocumentIsRefused()
{
    SampleCte cte;
    cte.number = 2;
    QByteArray signedXml = m_fx->sign(cte.xml());
    QVERIFY(signedXml.contains("<vTPrest>1500.00</vTPrest>"));
    signedXml.replace("<vTPrest>1500.00</vTPrest>", "<vTPrest>150.00</vTPrest>");
    const auto reply = m_fx->authority().post(AuthorityProcess::Reception,
                                              AuthorityProcess::receptionEnvelope(signedXml));
    QCOMPARE(reply.cstat(), 297);
    QCOMPARE(reply.field("xMotivo"), u"Rejeição: Assinatura difere do calculado"_s);
    QVERIFY(reply.field("nProt").isEmpty());
    QCOMPARE(validateResult(reply.body, u"retCTe_v4.00.xsd"_s), QString());
    QCOMPARE(m_fx->query(cte.key()).cstat(), 217);
}

// The signing helper and the stand-in could agree on a wrong canonical form; xmlsec1 settles it.
void TestAuthorityReception::signatureMatchesAnIndependentVerifier()
{
    const QString xmlsec = QStandardPaths::findExecutable(u"xmlsec1"_s);
    if (xmlsec.isEmpty())
        QSKIP("xmlsec1 is not installed");
    SampleCte cte;
    const QString good = m_fx->file(u"signed.xml"_s);
    const QString bad = m_fx->file(u"tampered.xml"_s);
    QByteArray signedXml = m_fx->sign(cte.xml());
    QVERIFY(TestPki::writeFile(good, signedXml));
    QVERIFY(TestPki::writeFile(bad, signedXml.replace("MAQUINAS", "MAQUINAZ")));
    auto verify = [&](const QString &file) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(xmlsec,
                {u"--verify"_s, u"--id-attr:Id"_s, u"infCte"_s, u"--trusted-pem"_s, m_fx->rootPem(),
                 file});
        p.waitForFinished(-1);
        return p.exitCode();
    };
    QCOMPARE(verify(good), 0);
    QVERIFY(verify(bad) != 0);
}

QByteArray TestAuthorityReception::request(const QString &s, qint64 number)
{
    SampleCte cte;
    cte.number = number;
    const TestPki &pki = m_fx->pki();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    auto leaf = [&](auto adjust) {
        TestPki::LeafOptions o;
        o.cnpj = QString::fromLatin1(AuthorityFixture::kIssuerCnpj);
        adjust(o);
        return pki.issue(o);
    };
    auto envelope = [](const QByteArray &xml) {
        return AuthorityProcess::receptionEnvelope(xml);
    };

    if (s == u"valid")
        return envelope(m_fx->sign(cte.xml()));
    if (s == u"signed-by-untrusted-root") {
        TestPki other(u"AC RAIZ DESCONHECIDA"_s);
        TestPki::LeafOptions o;
        o.cnpj = QString::fromLatin1(AuthorityFixture::kIssuerCnpj);
        return envelope(m_fx->sign(cte.xml(), other.issue(o)));
    }
    if (s == u"self-signed-certificate")
        return envelope(m_fx->sign(cte.xml(), leaf([](auto &o) { o.selfSigned = true; })));
    if (s == u"certificate-expired")
        return envelope(m_fx->sign(cte.xml(), leaf([&](auto &o) {
                                       o.notBefore = now.addYears(-2);
                                       o.notAfter = now.addDays(-1);
                                   })));
    if (s == u"certificate-not-yet-valid")
        return envelope(
            m_fx->sign(cte.xml(), leaf([&](auto &o) { o.notBefore = now.addDays(2); })));
    if (s == u"certificate-without-cnpj")
        return envelope(m_fx->sign(cte.xml(), leaf([](auto &o) { o.cnpj.clear(); })));
    if (s == u"certificate-of-another-company")
        return envelope(m_fx->sign(cte.xml(), leaf([](auto &o) { o.cnpj = u"98765432000198"_s; })));
    if (s == u"certificate-of-a-branch")
        return envelope(m_fx->sign(cte.xml(), leaf([](auto &o) { o.cnpj = u"12345678000276"_s; })));
    if (s == u"ca-certificate-signs")
        return envelope(m_fx->sign(cte.xml(), leaf([](auto &o) { o.isCa = true; })));
    if (s == u"signature-value-corrupted") {
        QByteArray x = m_fx->sign(cte.xml());
        const qsizetype at = x.indexOf("<SignatureValue>") + 16;
        x[at] = x[at] == 'A' ? 'B' : 'A';
        return envelope(x);
    }
    if (s == u"reference-to-another-id") {
        QByteArray x = m_fx->sign(cte.xml());
        return envelope(x.replace("URI=\"#CTe", "URI=\"#CTX"));
    }
    if (s == u"one-transform-only") {
        QByteArray x = m_fx->sign(cte.xml());
        return envelope(x.replace(
            "<Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/>",
            "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>"));
    }
    if (s == u"unsigned")
        return envelope(cte.xml());
    if (s == u"schema-missing-group") {
        QByteArray x = cte.xml();
        const qsizetype from = x.indexOf("<vPrest>");
        x.remove(from, x.indexOf("</vPrest>") + 9 - from);
        return envelope(m_fx->sign(x));
    }
    if (s == u"modal-invalid") {
        cte.modalOverride = u"<rodo><RNTRC>ABC</RNTRC></rodo>"_s;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"environment-production") {
        cte.environment = 1;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"id-differs-from-fields") {
        SampleCte other = cte;
        other.code = u"87654321"_s;
        cte.idOverride = u"CTe"_s + other.key();
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"check-digit-wrong") {
        cte.checkDigitOverride = QString::number((cte.key().right(1).toInt() + 1) % 10);
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"issuer-uf-differs") {
        cte.ufLetters = u"RJ"_s;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"series-reserved") {
        cte.series = 890;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"series-889") {
        cte.series = 889;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"issued-10-minutes-ahead") {
        cte.issuedAt = now.addSecs(10 * 60);
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"issued-4-minutes-ahead") {
        cte.issuedAt = now.addSecs(4 * 60);
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"issued-169-hours-ago") {
        cte.issuedAt = now.addSecs(-169 * 3600);
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"issued-167-hours-ago") {
        cte.issuedAt = now.addSecs(-167 * 3600);
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"ie-not-registered") {
        cte.ie = u"999999999999"_s;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"ie-of-another-cnpj") {
        cte.cnpj = u"12345678000276"_s;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"issuer-not-enabled") {
        cte.ie = u"222333444555"_s;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"sender-name-in-homologation") {
        cte.senderName = u"REMETENTE REAL LTDA"_s;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"recipient-name-in-homologation") {
        cte.recipientName = u"DESTINATARIO REAL LTDA"_s;
        return envelope(m_fx->sign(cte.xml()));
    }
    if (s == u"foreign-namespace") {
        QByteArray x = m_fx->sign(cte.xml());
        return envelope(x.replace("<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\"",
                                  "<CTe xmlns=\"http://example.com/cte\""));
    }
    if (s == u"prefixed-namespace") {
        QByteArray x = cte.xml();
        x.replace("<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\">",
                  "<cte:CTe xmlns:cte=\"http://www.portalfiscal.inf.br/cte\" "
                  "xmlns=\"http://www.portalfiscal.inf.br/cte\">");
        x.replace("</CTe>", "</cte:CTe>");
        return envelope(m_fx->sign(x));
    }
    if (s == u"pretty-printed") {
        QByteArray x = cte.xml();
        x.replace("<ide>", "\n  <ide>");
        return envelope(m_fx->sign(x));
    }
    if (s == u"latin1-encoding") {
        QByteArray x = m_fx->sign(cte.xml());
        x.replace("encoding=\"UTF-8\"", "encoding=\"ISO-8859-1\"");
        return envelope(x);
    }
    if (s == u"version-3.00") {
        QByteArray x = cte.xml();
        return envelope(m_fx->sign(x.replace("versao=\"4.00\" Id=", "versao=\"3.00\" Id=")));
    }
    // Changed after signing: the signature fails before the key is looked at.
    if (s == u"code-changed-after-signing" || s == u"series-changed-after-signing") {
        QByteArray x = m_fx->sign(cte.xml());
        return envelope(s.startsWith(u"code")
                            ? x.replace("<cCT>12345678</cCT>", "<cCT>12345679</cCT>")
                            : x.replace("<serie>1</serie>", "<serie>2</serie>"));
    }
    if (s == u"processed-document-root") {
        const QByteArray x = m_fx->sign(cte.xml()).mid(38); // without the declaration
        return envelope("<cteProc xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">" + x
                        + "</cteProc>");
    }
    if (s == u"line-break-after-declaration")
        return envelope(m_fx->sign(cte.xml()).replace("?><CTe", "?>\n<CTe"));
    if (s == u"line-break-after-root")
        return envelope(m_fx->sign(cte.xml()) + "\n");
    // The QR code.
    if (s == u"qrcode-missing")
        cte.qrCodeOverride = u"-"_s;
    if (s == u"qrcode-of-another-state")
        cte.qrCodeOverride
            = cte.qrCode().replace(u"https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta"_s,
                                   u"https://dfe-portal.svrs.rs.gov.br/cte"_s);
    if (s == u"qrcode-address-in-other-case")
        cte.qrCodeOverride = cte.qrCode().replace(u"CTeConsulta/qrCode"_s, u"cteconsulta/QRCODE"_s);
    if (s == u"qrcode-of-production")
        cte.qrCodeOverride = cte.qrCode().replace(u"tpAmb=2"_s, u"tpAmb=1"_s);
    if (s == u"qrcode-of-another-key") {
        SampleCte other = cte;
        other.code = u"87654321"_s;
        cte.qrCodeOverride = other.qrCode();
    }
    if (s == u"qrcode-signed-in-normal-emission")
        cte.qrCodeOverride = cte.qrCode() + u"&sign=QUJD"_s;
    // Contingency (FS-DA is tpEmis 5).
    if (s == u"contingency-data-in-normal-emission") {
        cte.contingencyEntered = now.addSecs(-3600);
        cte.contingencyReason = u"FALHA NA CONEXAO COM A SEFAZ"_s;
    }
    if (s.startsWith(u"fsda-")) {
        cte.emission = u"5"_s;
        // The schema takes dhCont and xJust together or neither.
        if (s != u"fsda-without-contingency-data") {
            cte.contingencyEntered = s == u"fsda-entered-after-emission" ? now : now.addSecs(-3600);
            cte.contingencyReason = u"FALHA NA CONEXAO COM A SEFAZ"_s;
        }
        cte.qrCodeOverride = cte.qrCode();
        if (s == u"fsda-qrcode-wrongly-signed")
            cte.qrCodeOverride += u"&sign=QUJD"_s;
    }
    if (s.startsWith(u"qrcode-") || s.startsWith(u"contingency-") || s.startsWith(u"fsda-"))
        return envelope(m_fx->sign(cte.xml()));
    qFatal("unknown scenario %s", qPrintable(s));
}

void TestAuthorityReception::checks_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("expected");
    const QList<std::pair<const char *, int>> rows = {
        {"valid", 100},
        // The form of the data area.
        {"foreign-namespace", 598},
        {"prefixed-namespace", 404},
        {"pretty-printed", 599},
        {"latin1-encoding", 402},
        {"version-3.00", 239},
        {"processed-document-root", 215},
        {"line-break-after-declaration", 599},
        {"line-break-after-root", 599},
        {"unsigned", 215},
        {"schema-missing-group", 215},
        {"modal-invalid", 580},
        // The key against the content.
        {"environment-production", 252},
        {"id-differs-from-fields", 227},
        {"check-digit-wrong", 253},
        {"issuer-uf-differs", 247},
        {"series-reserved", 670},
        {"series-889", 100},
        // The signature and its certificate.
        {"signature-value-corrupted", 297},
        {"code-changed-after-signing", 297},
        {"series-changed-after-signing", 297},
        {"reference-to-another-id", 298},
        {"one-transform-only", 215}, // the signature schema wants both transforms
        {"ca-certificate-signs", 290},
        {"certificate-expired", 291},
        {"certificate-not-yet-valid", 291},
        {"certificate-without-cnpj", 292},
        {"signed-by-untrusted-root", 293},
        {"self-signed-certificate", 293},
        {"certificate-of-another-company", 213},
        {"certificate-of-a-branch", 100},
        // The emission date window.
        {"issued-10-minutes-ahead", 212},
        {"issued-4-minutes-ahead", 100},
        {"issued-169-hours-ago", 228},
        {"issued-167-hours-ago", 100},
        // The issuer's registration.
        {"ie-not-registered", 230},
        {"ie-of-another-cnpj", 231},
        {"issuer-not-enabled", 203},
        // Homologation documents name their parties with the literal.
        {"sender-name-in-homologation", 646},
        {"recipient-name-in-homologation", 649},
        // Contingency data only, and always, in FS-DA; the QR code signed only then.
        {"contingency-data-in-normal-emission", 586},
        {"fsda-without-contingency-data", 587},
        {"fsda-entered-after-emission", 588},
        {"fsda-qrcode-unsigned", 853},
        {"fsda-qrcode-wrongly-signed", 855},
        // The QR code: the state's address for the environment, the document's key.
        {"qrcode-missing", 850},
        {"qrcode-of-another-state", 851},
        {"qrcode-address-in-other-case", 100},
        {"qrcode-of-production", 851},
        {"qrcode-of-another-key", 852},
        {"qrcode-signed-in-normal-emission", 854},
    };
    for (const auto &[name, code] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << code;
}

void TestAuthorityReception::checks()
{
    QFETCH(QString, scenario);
    QFETCH(int, expected);
    const auto reply
        = m_fx->authority().post(AuthorityProcess::Reception, request(scenario, ++m_number));
    QCOMPARE(reply.httpStatus, 200);
    QVERIFY2(reply.cstat() == expected, qPrintable(reply.describe()));
    if (expected != 100)
        QVERIFY(reply.field("xMotivo").startsWith(u"Rejeição: "_s));
    QCOMPARE(reply.field("nProt").isEmpty(), expected != 100);
    QCOMPARE(validateResult(reply.body, u"retCTe_v4.00.xsd"_s), QString());
}

void TestAuthorityReception::duplicates()
{
    SampleCte first;
    first.number = 500;
    const auto authorised = m_fx->transmit(first);
    QCOMPARE(authorised.cstat(), 100);
    const QString protocol = authorised.field("nProt");

    // The same document again: refused, naming the protocol already given.
    const auto again = m_fx->transmit(first);
    QCOMPARE(again.cstat(), 204);
    QVERIFY2(again.field("xMotivo").startsWith(
                 u"Rejeição: Duplicidade de CTe [nProt:%1][dhAut:"_s.arg(protocol)),
             qPrintable(again.field("xMotivo")));

    // The same number and series under another key (another numeric code).
    SampleCte sameNumber = first;
    sameNumber.code = u"87654321"_s;
    const auto other = m_fx->transmit(sameNumber);
    QCOMPARE(other.cstat(), 539);
    QVERIFY2(other.field("xMotivo").contains(u"[chCTe:%1][nProt:%2]"_s.arg(first.key(), protocol)),
             qPrintable(other.field("xMotivo")));
    QCOMPARE(m_fx->query(sameNumber.key()).cstat(), 217);

    // Another series with the same number is another document.
    SampleCte otherSeries = first;
    otherSeries.series = 2;
    QCOMPARE(m_fx->transmit(otherSeries).cstat(), 100);
    QCOMPARE(m_fx->query(first.key()).field("nProt"), protocol);
}

QTEST_GUILESS_MAIN(TestAuthorityReception)
#include "tst_authority_reception.moc"
