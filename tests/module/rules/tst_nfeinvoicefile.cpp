// Reading NF-e files: what an invoice gives a CT-e, and why a file is refused.
#include "AccessKeyDigit.h"
#include "NfeInvoiceFile.h"
#include "NfeSamples.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

NfeSamples::Sample sample()
{
    NfeSamples::Sample s;
    s.number = 4101;
    s.products = {{u"CHAPA DE ACO"_s, 1845000}, {u"PERFIL U"_s, 312055}};
    s.grossWeight = 1250.5;
    s.netWeight = 1200;
    s.volumes = 12;
    return s;
}

} // namespace

class TestNfeInvoiceFile : public QObject
{
    Q_OBJECT

private slots:
    // The check digit as worked out by hand for a key of the tests' invoices.
    void checkDigit()
    {
        QCOMPARE(AccessKeyCheckDigit(u"4126116134825700012355001000090001119000012"), 1);
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QStringList>("args");
        const NfeSamples::Sample valid = sample();
        const QByteArray xml = NfeSamples::Xml(valid);
        const QString key = NfeSamples::AccessKey(valid);
        QTest::newRow("nfeProc") << xml << QString() << QStringList();
        NfeSamples::Sample alone = valid;
        alone.withProtocol = false;
        QTest::newRow("NFe alone") << NfeSamples::Xml(alone) << QString() << QStringList();
        NfeSamples::Sample spoiled = valid;
        spoiled.spoilCheckDigit = true;
        QTest::newRow("wrong check digit") << NfeSamples::Xml(spoiled) << u"NFE_CHAVE_DV"_s
                                           << QStringList {NfeSamples::AccessKey(spoiled)};
        NfeSamples::Sample consumer = valid;
        consumer.model = u"65"_s;
        QTest::newRow("model 65") << NfeSamples::Xml(consumer) << u"NFE_MODELO"_s
                                  << QStringList {u"65"_s};
        NfeSamples::Sample denied = valid;
        denied.protocolStatus = u"302"_s;
        QTest::newRow("use denied")
            << NfeSamples::Xml(denied) << u"NFE_NAO_AUTORIZADA"_s << QStringList {u"302"_s};
        QByteArray altered = xml;
        altered.replace("<nNF>4101</nNF>", "<nNF>4109</nNF>");
        QTest::newRow("number not the key's")
            << altered << u"NFE_CHAVE_DIVERGE"_s << QStringList {key};
        QByteArray undated = xml;
        undated.replace("<dhEmi>2026-12-01T10:30:00-03:00</dhEmi>", "");
        QTest::newRow("no issue date") << undated << u"NFE_NAO_NFE"_s << QStringList();
        QTest::newRow("damaged") << xml.left(xml.indexOf("<transp>")) << u"NFE_XML_DANIFICADO"_s
                                 << QStringList {u"1"_s};
        QByteArray entity = xml;
        entity.insert(entity.indexOf("?>") + 2,
                      "<!DOCTYPE nfeProc [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>");
        entity.replace("<xProd>PERFIL U</xProd>", "<xProd>&x;</xProd>");
        QTest::newRow("DTD with an entity") << entity << u"NFE_XML_DTD"_s << QStringList();
        QByteArray foreign = xml;
        foreign.replace("http://www.portalfiscal.inf.br/nfe", "urn:other");
        QTest::newRow("other namespace") << foreign << u"NFE_NAO_NFE"_s << QStringList();
        QTest::newRow("a CT-e") << QByteArray(
            "<cteProc xmlns=\"http://www.portalfiscal.inf.br/cte\"/>")
                                << u"NFE_NAO_NFE"_s << QStringList();
    }
    void reads()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, refusal);
        QFETCH(QStringList, args);
        const TNfeReading r = ReadNfeInvoice(xml);
        QCOMPARE(r.refusalKey, refusal);
        QCOMPARE(r.refusalArgs, args);
        QCOMPARE(r.invoice.has_value(), refusal.isEmpty());
        if (!r.invoice)
            return;
        const TNfeInvoice &nfe = *r.invoice;
        QCOMPARE(nfe.accessKey, NfeSamples::AccessKey(sample()));
        QCOMPARE(nfe.number, u"4101"_s);
        QCOMPARE(nfe.issuer.registration, u"61348257000123"_s);
        QCOMPARE(nfe.recipient.name, u"CERAMICA LITORAL PAULISTA LTDA"_s);
        QCOMPARE(nfe.issued, QDateTime(QDate(2026, 12, 1), QTime(10, 30)));
        QCOMPARE(nfe.totalCents, 2157055);
        QCOMPARE(nfe.products.size(), 2);
        QCOMPARE(nfe.grossWeight, 1250.5);
        QCOMPARE(nfe.volumes, 12.0);
    }

    void cents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("two places") << u"1234.56"_s << qint64(123456);
        QTest::newRow("whole") << u"10"_s << qint64(1000);
        QTest::newRow("half up") << u"0.005"_s << qint64(1);
        QTest::newRow("below half") << u"2.994"_s << qint64(299);
        QTest::newRow("comma") << u"1,50"_s << qint64(-1);
        QTest::newRow("text") << u"abc"_s << qint64(-1);
    }
    void cents()
    {
        QFETCH(QString, text);
        QFETCH(qint64, cents);
        QCOMPARE(DecimalToCents(text).value_or(-1), cents);
    }
};

QTEST_GUILESS_MAIN(TestNfeInvoiceFile)
#include "tst_nfeinvoicefile.moc"
