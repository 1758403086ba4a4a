// The CT-e XML of a stored document, its access key, signature and schema validation, and the
// A1 certificate; the signed XML is checked with the xmlsec1 and xmllint commands.
#include "A1Certificate.h"
#include "AccessKey.h"
#include "ChildProcess.h"
#include "CteXmlBuilder.h"
#include "DemoDocument.h"
#include "SchemaValidator.h"
#include "ServerError.h"
#include "XmlSigner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;

using Change = std::function<void(StoredDocument &, IssuerParameters &)>;
Q_DECLARE_METATYPE(Change)

namespace {

QString schemaDir()
{
    return qEnvironmentVariable("CTE_SCHEMA_DIR");
}

void setTax(StoredDocument &d, const QString &cst, double reduction = 0, double credit = 0)
{
    d.taxes.first()[u"CDSITUTRIBIT"_s] = cst;
    d.taxes.first()[u"VRREDBASECALC"_s] = reduction;
    d.taxes.first()[u"VRCREDPRESUMIDO"_s] = credit;
}

// The text of the first <tag> element of `xml`.
QString elementText(const QByteArray &xml, const QByteArray &tag)
{
    const qsizetype start = xml.indexOf("<" + tag + ">");
    if (start < 0)
        return {};
    const qsizetype from = start + tag.size() + 2;
    return QString::fromUtf8(xml.mid(from, xml.indexOf("</" + tag + ">", from) - from));
}

} // namespace

class TestCteXml : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void accessKey_data();
    void accessKey();
    void keyParts_data();
    void keyParts();

    void build_data();
    void build();
    void buildRefuses_data();
    void buildRefuses();
    void schemaNamesTheProblem();

    void signatureVerifiesWithXmlsec();
    void signatureOfOtherContentFails();

    void certificate_data();
    void certificate();

private:
    QTemporaryDir m_dir;
    std::shared_ptr<const SchemaValidator> m_schema;
    std::shared_ptr<const A1Certificate> m_cert;
    QString m_certPem;
};

void TestCteXml::initTestCase()
{
    QVERIFY2(QFile::exists(schemaDir() + u"/cte_v4.00.xsd"_s), "CTE_SCHEMA_DIR not set");
    m_schema = SchemaValidator::cteSchema(schemaDir());
    const QString p12 = m_dir.filePath(u"issuer.p12"_s);
    QVERIFY(writeSelfSignedPkcs12(p12, "segredo-1", QString::fromUtf16(demodocument::kIssuerCnpj),
                                  QString::fromUtf16(demodocument::kIssuerName), 30));
    m_cert = A1Certificate::load(p12, "segredo-1");
    m_certPem = m_dir.filePath(u"issuer.pem"_s);
    QFile pem(m_certPem);
    QVERIFY(pem.open(QIODevice::WriteOnly));
    pem.write("-----BEGIN CERTIFICATE-----\n");
    const QByteArray b64 = m_cert->certificateBase64();
    for (qsizetype i = 0; i < b64.size(); i += 64)
        pem.write(b64.mid(i, 64) + '\n');
    pem.write("-----END CERTIFICATE-----\n");
}

void TestCteXml::accessKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("valid");
    QTest::newRow("manual example") << u"43181203527568000153570010002211211062211212"_s << true;
    QTest::newRow("one digit changed")
        << u"43181203527568000153570010002211211062211213"_s << false;
    QTest::newRow("two digits swapped")
        << u"43181203527568000153570010002211211062212112"_s << false;
    QTest::newRow("rest 1 gives 0") << u"35261218462731000114570010000000011000000030"_s << true;
    QTest::newRow("rest 1, digit 1") << u"35261218462731000114570010000000011000000031"_s << false;
    QTest::newRow("43 digits") << u"4318120352756800015357001000221121106221121"_s << false;
    QTest::newRow("letter") << u"4318120352756800015357001000221121106221121A"_s << false;
}

void TestCteXml::accessKey()
{
    QFETCH(QString, key);
    QFETCH(bool, valid);
    QCOMPARE(accesskey::isValid(key), valid);
}

void TestCteXml::keyParts_data()
{
    QTest::addColumn<QString>("series");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("key"); // empty: refused
    QTest::newRow("padded") << u"1"_s << u"221121"_s
                            << u"43181203527568000153570010002211211062211212"_s;
    QTest::newRow("series too long") << u"1000"_s << u"1"_s << QString();
    QTest::newRow("number too long") << u"1"_s << u"1234567890"_s << QString();
    QTest::newRow("number not digits") << u"1"_s << u"12A"_s << QString();
}

void TestCteXml::keyParts()
{
    QFETCH(QString, series);
    QFETCH(QString, number);
    QFETCH(QString, key);
    const accesskey::Parts parts {u"43"_s, u"1812"_s, u"03527568000153"_s, u"57"_s, series,
                                  number,  u"1"_s,    u"06221121"_s};
    QCOMPARE(accesskey::compose(parts), key);
}

void TestCteXml::build_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QString homolog = QString::fromUtf16(kHomologationPartyName);

    QTest::newRow("demo document")
        << Change([](StoredDocument &, IssuerParameters &) {})
        << QStringList {u"<ICMS00><CST>00</CST><vBC>1850.00</vBC><pICMS>12.00</pICMS>"
                        "<vICMS>222.00</vICMS></ICMS00>"_s,
                        u"<toma3><toma>0</toma></toma3>"_s,
                        u"<indIEToma>1</indIEToma>"_s,
                        u"<rem><CNPJ>61348257000123</CNPJ><IE>645318220117</IE><xNome>"_s + homolog,
                        u"<dest><CNPJ>27451963000168</CNPJ>"_s,
                        u"<Comp><xNome>PEDAGIO</xNome><vComp>250.00</vComp></Comp>"_s,
                        u"<infQ><cUnid>01</cUnid><tpMed>PESO BRUTO</tpMed><qCarga>1250.5000"_s,
                        u"<infNFe><chave>35"_s,
                        u"<rodo><RNTRC>44827163</RNTRC></rodo>"_s,
                        u"<xObs>MERCADORIA ENTREGUE MEDIANTE AGENDAMENTO</xObs>"_s,
                        u"<xLgr>AV. JOHN BOYD DUNLOP</xLgr><nro>3900</nro>"_s,
                        u"<emit><CNPJ>18462731000114</CNPJ><IE>244187365112</IE>"
                        "<xNome>TRANSPORTES SERRA AZUL LTDA</xNome>"_s,
                        u"<CRT>3</CRT>"_s,
                        u"-03:00</dhEmi>"_s,
                        u"<qrCodCTe>https://homologacao.nfe.fazenda.sp.gov.br/CTeConsulta/qrCode"
                        "?chCTe=35"_s,
                        u"&amp;tpAmb=2</qrCodCTe>"_s}
        << QStringList {u"<exped>"_s, u"<receb>"_s, u"<toma4>"_s, u"<indGlobalizado>"_s};
    QTest::newRow("production keeps the names")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.document[u"IDAMBIENTECTE"_s] = u"1"_s;
           })
        << QStringList {u"<xNome>METALURGICA VALE DO PARAIBA LTDA</xNome>"_s, u"<tpAmb>1</tpAmb>"_s,
                        u"<qrCodCTe>https://nfe.fazenda.sp.gov.br/CTeConsulta/qrCode?chCTe="_s,
                        u"&amp;tpAmb=1</qrCodCTe>"_s}
        << QStringList {homolog};
    QTest::newRow("reduced base") << Change([](StoredDocument &d, IssuerParameters &) {
        setTax(d, u"20"_s, 20);
    }) << QStringList {u"<ICMS20><CST>20</CST><pRedBC>20.00</pRedBC><vBC>"_s}
                                  << QStringList {u"<ICMS00>"_s};
    QTest::newRow("not taxed") << Change([](StoredDocument &d, IssuerParameters &) {
        setTax(d, u"41"_s);
    }) << QStringList {u"<ICMS45><CST>41</CST></ICMS45>"_s}
                               << QStringList {u"<vBC>"_s};
    QTest::newRow("substitution")
        << Change([](StoredDocument &d, IssuerParameters &) { setTax(d, u"60"_s, 0, 10.5); })
        << QStringList {u"<ICMS60><CST>60</CST><vBCSTRet>1850.00</vBCSTRet>"_s,
                        u"<vCred>10.50</vCred>"_s}
        << QStringList {};
    QTest::newRow("other situations without reduction")
        << Change([](StoredDocument &d, IssuerParameters &) { setTax(d, u"90"_s); })
        << QStringList {u"<ICMS90><CST>90</CST><vBC>"_s} << QStringList {u"<pRedBC>"_s};
    QTest::newRow("simples nacional") << Change([](StoredDocument &d, IssuerParameters &p) {
        p.crt = u"1"_s;
        d.taxes.clear();
    }) << QStringList {u"<ICMSSN><CST>90</CST><indSN>1</indSN></ICMSSN>"_s, u"<CRT>1</CRT>"_s}
                                      << QStringList {u"<ICMS00>"_s};
    QTest::newRow("payer other")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.document[u"IDTOMADOR"_s] = u"4"_s;
               d.document[u"NRINSESTTOMA"_s] = u"ISENTO"_s;
           })
        << QStringList {u"<toma4><toma>4</toma><CNPJ>61348257000123</CNPJ><IE>ISENTO</IE>"_s,
                        u"<enderToma><xLgr>AV. DOS ASTRONAUTAS</xLgr><nro>1850</nro>"_s,
                        u"<indIEToma>2</indIEToma>"_s}
        << QStringList {u"<toma3>"_s};
    QTest::newRow("payer without registration")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.document[u"IDTOMADOR"_s] = u"3"_s;
               d.document[u"NRINSESTDEST"_s] = QString();
           })
        << QStringList {u"<indIEToma>9</indIEToma>"_s, u"<toma3><toma>3</toma></toma3>"_s}
        << QStringList {};
    QTest::newRow("dispatcher, receiver, person recipient") << Change([](StoredDocument &d,
                                                                         IssuerParameters &) {
        for (const QString &role : {u"EXPE"_s, u"RECE"_s}) {
            d.document[u"IDCAD"_s + (role == u"EXPE" ? u"EXPEDIDOR"_s : u"RECEBEDOR"_s)] = u"F"_s;
            for (const QString &field :
                 {u"NRINSJUR"_s, u"IDTPIJUR"_s, u"NMRAZSOC"_s, u"DSENDE"_s, u"NMBAIR"_s,
                  u"CDMUNICIBGE"_s, u"NMMUNICIPIO"_s, u"SGESTADO"_s})
                d.document[field + role] = d.document.value(field + u"DEST"_s);
        }
        d.document[u"IDTPIJURDEST"_s] = u"F"_s;
        d.document[u"NRINSJURDEST"_s] = u"123.456.789-09"_s;
        d.document[u"DSENDEDEST"_s] = u"ESTRADA VELHA SEM NUMERO"_s;
    }) << QStringList {u"<exped><CNPJ>27451963000168</CNPJ>"_s,
                       u"<enderExped>"_s,
                       u"<receb><CNPJ>27451963000168</CNPJ>"_s,
                       u"<enderReceb>"_s,
                       u"<dest><CPF>12345678909</CPF>"_s,
                       u"<xLgr>ESTRADA VELHA SEM NUMERO</xLgr><nro>S/N</nro>"_s}
                                                            << QStringList {};
    QTest::newRow("recipient abroad")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.document[u"CDPAISDEST"_s] = u"0639"_s;
               d.document[u"CDPAISBACENDEST"_s] = u"0639"_s;
               d.document[u"NMPAISDEST"_s] = u"ARGENTINA"_s;
               d.document[u"NRINSESTDEST"_s] = QString();
               d.document[u"NRINSJURDEST"_s] = QString();
           })
        << QStringList {u"<cMun>9999999</cMun><xMun>EXTERIOR</xMun><UF>EX</UF>"
                        "<cPais>0639</cPais><xPais>ARGENTINA</xPais>"_s,
                        u"<dest><CNPJ></CNPJ>"_s}
        << QStringList {};
    QTest::newRow("paper invoices")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.fiscalDocuments.first()[u"NRACESSONFE"_s] = QString();
               d.fiscalDocuments.first()[u"CDMODDOCFISC"_s] = u"01"_s;
           })
        << QStringList {u"<infOutros><tpDoc>99</tpDoc><descOutros>NOTA FISCAL MODELO 01"
                        "</descOutros><nDoc>4101</nDoc><dEmi>"_s}
        << QStringList {u"<infNFe>"_s};
    QTest::newRow("texts cleaned, escaped and cut")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.document[u"IDAMBIENTECTE"_s] = u"1"_s;
               d.document[u"NMRAZSOCDEST"_s] = u"  DIAS & DIAS <LTDA>\t\u2013 FILIAL  "_s;
               d.document[u"NMRAZSOCEMIT"_s] = QString(80, u'X');
               d.document[u"DSPRODPREDOMINA"_s] = u"A\nB"_s;
           })
        << QStringList {u"<xNome>DIAS &amp; DIAS &lt;LTDA&gt; FILIAL</xNome>"_s,
                        u"<xNome>"_s + QString(60, u'X') + u"</xNome>"_s,
                        u"<proPred>A B</proPred>"_s}
        << QStringList {u"\u2013"_s};
    QTest::newRow("without observations, documents and insured value")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.observations.clear();
               d.fiscalDocuments.clear();
               d.document[u"VRAVERBACAO"_s] = 0.0;
           })
        << QStringList {u"</infCarga><infModal"_s}
        << QStringList {u"<compl>"_s, u"<infDoc>"_s, u"<vCargaAverb>"_s};
    QTest::newRow("globalised, collection details, insured value")
        << Change([](StoredDocument &d, IssuerParameters &) {
               d.document[u"IDGLOBALIZADO"_s] = u"1"_s;
               d.document[u"IDRETIRA"_s] = u"0"_s;
               d.document[u"DSRETIRA"_s] = u"RETIRAR NA PORTARIA 2"_s;
               d.document[u"VRAVERBACAO"_s] = 20000.0;
           })
        << QStringList {u"<indGlobalizado>1</indGlobalizado>"_s,
                        u"<retira>0</retira><xDetRetira>RETIRAR NA PORTARIA 2</xDetRetira>"_s,
                        u"<vCargaAverb>20000.00</vCargaAverb>"_s}
        << QStringList {};
}

void TestCteXml::build()
{
    QFETCH(Change, change);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    StoredDocument doc = demodocument::complete(u"1234"_s);
    IssuerParameters issuer = demodocument::issuerParameters();
    change(doc, issuer);
    const BuiltCte built = buildCteXml(doc, issuer, u"00000042"_s);
    const QString xml = QString::fromUtf8(built.xml);
    QVERIFY(accesskey::isValid(built.accessKey));
    QCOMPARE(built.accessKey.mid(2, 4), QDate::currentDate().toString(u"yyMM"_s));
    QCOMPARE(built.accessKey.mid(6, 14), u"18462731000114"_s);
    QCOMPARE(built.accessKey.mid(20, 14), u"57001000001234"_s);
    QCOMPARE(built.accessKey.mid(34, 9), u"100000042"_s);
    QVERIFY(xml.contains(u"<infCte Id=\"CTe%1\" versao=\"4.00\">"_s.arg(built.accessKey)));
    QCOMPARE(elementText(built.xml, "cDV"), built.accessKey.right(1));
    QCOMPARE(elementText(built.xml, "nCT"), u"1234"_s);
    for (const QString &text : present)
        QVERIFY2(xml.contains(text), qPrintable(text));
    for (const QString &text : absent)
        QVERIFY2(!xml.contains(text), qPrintable(text));
    // The recipient abroad carries no registration: the schema is expected to take it.
    const SignedXml signedXml = signXml(built.xml, *m_cert);
    QCOMPARE(m_schema->validate(signedXml.xml), QString());
}

void TestCteXml::buildRefuses_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("text");
    QTest::newRow("no issuer registration") << Change([](StoredDocument &d, IssuerParameters &) {
        d.document[u"NRINSJUREMIT"_s] = QString();
    }) << u"CNPJ ou CPF do emitente"_s;
    QTest::newRow("no number") << Change([](StoredDocument &d, IssuerParameters &) {
        d.document[u"NRCTE"_s] = QString();
    }) << u"chave de acesso"_s;
    QTest::newRow("no issuer state") << Change([](StoredDocument &d, IssuerParameters &) {
        d.document[u"CDESTADOIBGEEMIT"_s] = QString();
        d.document[u"SGESTADOEMIT"_s] = QString();
    }) << u"chave de acesso"_s;
    QTest::newRow("no ICMS") << Change([](StoredDocument &d, IssuerParameters &) {
        d.taxes.clear();
    }) << u"não tem ICMS"_s;
    QTest::newRow("NF-e and paper invoice") << Change([](StoredDocument &d, IssuerParameters &) {
        FieldValues paper = d.fiscalDocuments.first();
        paper[u"NRACESSONFE"_s] = QString();
        d.fiscalDocuments.append(paper);
    }) << u"NF-e e outros documentos"_s;
}

void TestCteXml::buildRefuses()
{
    QFETCH(Change, change);
    QFETCH(QString, text);
    StoredDocument doc = demodocument::complete();
    IssuerParameters issuer = demodocument::issuerParameters();
    change(doc, issuer);
    try {
        buildCteXml(doc, issuer, u"12345678"_s);
        QFAIL("built");
    } catch (const ServerError &e) {
        QVERIFY2(e.text().contains(text), qPrintable(e.text()));
    }
}

void TestCteXml::schemaNamesTheProblem()
{
    StoredDocument doc = demodocument::complete();
    doc.document[u"DSPRODPREDOMINA"_s] = QString();
    doc.document[u"CDCFOP"_s] = u"9999"_s;
    const SignedXml signedXml
        = signXml(buildCteXml(doc, demodocument::issuerParameters(), u"12345678"_s).xml, *m_cert);
    const QString problem = m_schema->validate(signedXml.xml);
    QVERIFY2(problem.contains(u"CFOP"_s), qPrintable(problem));
    QVERIFY(!problem.contains(u"{http"_s));
    QVERIFY(!m_schema->validate("<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\"><x/></CTe>")
                 .isEmpty());
    QVERIFY(!m_schema->validate("<CTe").isEmpty());
}

void TestCteXml::signatureVerifiesWithXmlsec()
{
    const BuiltCte built
        = buildCteXml(demodocument::complete(), demodocument::issuerParameters(), u"31415926"_s);
    const SignedXml signedXml = signXml(built.xml, *m_cert);
    QVERIFY(signedXml.xml.startsWith(built.xml.left(built.xml.lastIndexOf("</CTe>"))));
    QVERIFY(!signedXml.xml.contains('\n'));
    QVERIFY(signedXml.xml.contains("<Reference URI=\"#CTe" + built.accessKey.toLatin1() + "\">"));
    QCOMPARE(elementText(signedXml.xml, "DigestValue").toLatin1(), signedXml.digestValue);
    const QString path = m_dir.filePath(u"signed.xml"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(signedXml.xml);
    file.close();
    QString output;
    QVERIFY2(RunTool(u"xmlsec1"_s,
                     {u"--verify"_s, u"--id-attr:Id"_s, u"infCte"_s, u"--trusted-pem"_s, m_certPem,
                      u"--enabled-key-data"_s, u"x509"_s, path},
                     &output),
             qPrintable(output));
    QVERIFY2(RunTool(u"xmllint"_s,
                     {u"--noout"_s, u"--schema"_s, schemaDir() + u"/cte_v4.00.xsd"_s, path},
                     &output),
             qPrintable(output));
    // infModal is open in the main schema: its content stands on its own against the modal's.
    const qsizetype from = signedXml.xml.indexOf("<rodo>");
    const qsizetype to = signedXml.xml.indexOf("</rodo>") + 7;
    QVERIFY(from > 0 && to > from);
    const QString modalPath = m_dir.filePath(u"modal.xml"_s);
    QFile modal(modalPath);
    QVERIFY(modal.open(QIODevice::WriteOnly));
    modal.write(signedXml.xml.mid(from, to - from)
                    .replace("<rodo>", "<rodo xmlns=\"http://www.portalfiscal.inf.br/cte\">"));
    modal.close();
    QVERIFY2(RunTool(u"xmllint"_s,
                     {u"--noout"_s, u"--schema"_s, schemaDir() + u"/cteModalRodoviario_v4.00.xsd"_s,
                      modalPath},
                     &output),
             qPrintable(output));
}

void TestCteXml::signatureOfOtherContentFails()
{
    const BuiltCte built
        = buildCteXml(demodocument::complete(), demodocument::issuerParameters(), u"31415926"_s);
    QByteArray tampered = signXml(built.xml, *m_cert).xml;
    tampered.replace("<vTPrest>1850.00</vTPrest>", "<vTPrest>1.00</vTPrest>");
    const QString path = m_dir.filePath(u"tampered.xml"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(tampered);
    file.close();
    QString output;
    QVERIFY2(!RunTool(u"xmlsec1"_s,
                      {u"--verify"_s, u"--id-attr:Id"_s, u"infCte"_s, u"--trusted-pem"_s, m_certPem,
                       u"--enabled-key-data"_s, u"x509"_s, path},
                      &output),
             qPrintable(output));
    // The canonical form the digest covers is the infCte element alone.
    const QByteArray canonical = canonicalElement(built.xml, u"CTe"_s + built.accessKey);
    QVERIFY(canonical.startsWith("<infCte xmlns=\"http://www.portalfiscal.inf.br/cte\" Id=\"CTe"));
    QVERIFY(canonical.endsWith("</infCte>"));
}

void TestCteXml::certificate_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("legacy");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QString>("damage"); // "missing", "garbage" or empty
    QTest::addColumn<QString>("error"); // empty: loads
    QTest::newRow("valid") << 30 << false << QByteArray("s3nha") << QString() << QString();
    QTest::newRow("old RC2 file") << 30 << true << QByteArray("s3nha") << QString() << QString();
    QTest::newRow("wrong password")
        << 30 << false << QByteArray("outra") << QString() << u"senha incorreta"_s;
    QTest::newRow("expired") << -2 << false << QByteArray("s3nha") << QString() << u"venceu em"_s;
    QTest::newRow("missing file") << 30 << false << QByteArray("s3nha") << u"missing"_s
                                  << u"Não foi possível ler o certificado"_s;
    QTest::newRow("not PKCS#12") << 30 << false << QByteArray("s3nha") << u"garbage"_s
                                 << u"não é um certificado digital PKCS#12"_s;
}

void TestCteXml::certificate()
{
    QFETCH(int, days);
    QFETCH(bool, legacy);
    QFETCH(QByteArray, password);
    QFETCH(QString, damage);
    QFETCH(QString, error);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + u".p12"_s);
    QVERIFY(
        writeSelfSignedPkcs12(path, "s3nha", u"09317584000106"_s, u"PAMPA SUL"_s, days, legacy));
    if (damage == u"missing")
        QFile::remove(path);
    if (damage == u"garbage") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a certificate");
    }
    try {
        const auto cert = A1Certificate::load(path, password);
        QVERIFY2(error.isEmpty(), "loaded");
        QCOMPARE(cert->cnpj(), u"09317584000106"_s);
        QCOMPARE(cert->subjectName(), u"PAMPA SUL:09317584000106"_s);
        QVERIFY(cert->notAfter() > QDateTime::currentDateTimeUtc().addDays(29));
    } catch (const ServerError &e) {
        QVERIFY2(!error.isEmpty(), qPrintable(e.text()));
        QVERIFY2(e.text().contains(error), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestCteXml)
#include "tst_cte_xml.moc"
